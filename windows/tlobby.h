// SPDX-License-Identifier: MIT
// Tlobby: the online lobby window. The player picks a lobby server (the last
// five are kept), enters under his name, and sees the open tables, the
// people in the room and the room's chat; Join takes the chosen table
// through the same path as Play with Others. The connection itself is the
// program's LobbyHub, so it survives a change of table.
#pragma once

#include "forms.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>

class LobbyHub;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TableListView;
struct TableSummary;

class Tlobby : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxRecentServers = 5;
    // Fixed places in the client area, shared with the end-to-end test.
    static constexpr QSize WindowSize{760, 566};
    static constexpr QRect ServerBoxRect{110, 10, 220, 26};
    static constexpr QRect NameEditRect{420, 10, 160, 26};
    static constexpr QRect ConnectButtonRect{592, 9, 156, 28};
    static constexpr QRect StatusRect{12, 42, 736, 36};
    static constexpr QRect TablesRect{12, 102, 540, 216};
    static constexpr QRect JoinButtonRect{12, 324, 100, 28};
    static constexpr QRect PeopleRect{564, 102, 184, 216};
    static constexpr QRect IgnoreButtonRect{564, 324, 100, 28};
    static constexpr QRect ChatLogRect{12, 380, 736, 110};
    static constexpr QRect ChatEditRect{12, 496, 630, 26};
    static constexpr QRect SendButtonRect{648, 495, 100, 28};
    static constexpr QRect CloseButtonRect{648, 530, 100, 28};

    Tlobby(Forms &forms, LobbyHub &hub, QWidget *parent = nullptr);

    // Shows the window and enters the room of the server last used.
    void popup();
    // The servers with server added at the front, at most five, no repeats.
    static QStringList addRecentServer(const QStringList &recent, const QString &server);

    // Joins a table of the list: the program wires it to the join path;
    // tests record it.
    std::function<void(const TableSummary &table)> join;
    std::function<void(const QString &text)> showMessage;

    void button_connectClick();
    void button_joinClick();
    void button_sendClick();
    void button_ignoreClick();

    QComboBox *combo_server;
    QLineEdit *edit_name;
    QPushButton *button_connect;
    QLabel *label_status;
    TableListView *list_tables;
    QPushButton *button_join;
    QListWidget *list_people;
    QPushButton *button_ignore;
    QPlainTextEdit *memo_chat;
    QLineEdit *edit_chat;
    QPushButton *button_send;
    QPushButton *button_close;

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void loadSettings();
    void showState();
    void refill();
    void leave();

    Forms &m_forms;
    LobbyHub &m_hub;
    QStringList m_recent;
};
