// SPDX-License-Identifier: MIT
// Tlobby: the online lobby window. The player picks a lobby server (the last
// five are kept), enters under his name, and sees the open tables, the
// people in the room and the room's chat; Join takes the chosen table
// through the same path as Play with Others. The connection itself is the
// program's LobbyHub, so it survives a change of table.
#pragma once

#include "forms.h"

#include <QDialog>
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
