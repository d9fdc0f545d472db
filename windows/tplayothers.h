// SPDX-License-Identifier: MIT
// Tplayothers: where a player without the maker's lobby hosts a network table
// or joins one by its address, with the name, port and recent tables kept in
// the settings file.
#pragma once

#include "forms.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class NetworkTables;

class Tplayothers : public QDialog {
    Q_OBJECT
public:
    explicit Tplayothers(Forms &forms, QWidget *parent = nullptr);

    // Fixed places, relative to the window's client area, shared with the
    // end-to-end test that clicks them with xdotool.
    static constexpr QSize WindowSize{480, 700};
    static constexpr QRect NameEditRect{120, 16, 200, 24};
    static constexpr QRect PortEditRect{120, 90, 70, 24};
    static constexpr QRect RouterBoxRect{32, 250, 300, 22};
    static constexpr QRect HostButtonRect{32, 312, 140, 30};
    static constexpr QRect AddressBoxRect{120, 390, 220, 26};
    static constexpr QRect JoinButtonRect{350, 389, 114, 28};
    static constexpr QRect NetworkTablesRect{16, 452, 448, 192};
    static constexpr QRect CloseButtonRect{384, 660, 80, 28};

    static constexpr int MaxNameLength = 24;
    static constexpr int MaxRecentTables = 10;

    // Starts the game: hosting with {name, address, "true"[, "--port", N]},
    // joining with {name, address, "false"}. The program wires it; unset, the
    // choice goes nowhere.
    std::function<void(const QStringList &args, bool mapRouterPort)> launch;
    // Tells the player what is wrong (a message box unless a test records it).
    std::function<void(const QString &text)> showMessage;
    // Looks a host name up and calls done once, on the UI thread; ok when at
    // least one address came back, else reason says why.
    std::function<void(const QString &host, std::function<void(bool ok, const QString &reason)> done)> resolve;
    // This machine's IPv4 addresses that friends can reach.
    std::function<QStringList()> localAddresses;

    // localAddresses' default: the IPv4 addresses of network interfaces that
    // are up, running and not loopback, less self-assigned 169.254 ones.
    static QStringList networkAddresses();
    // The recent tables with address added at the front: no duplicates
    // (letter case aside), at most MaxRecentTables.
    static QStringList addRecentTable(const QStringList &recent, const QString &address);
    // Whether a name can be used at a table; when not, error says why in one
    // sentence. The name is taken trimmed.
    static bool validName(const QString &name, QString *error = nullptr);
    // The desktop user's login name, the first name offered.
    static QString defaultName();

    // A line from the router port mapping, under the check box.
    void setRouterStatus(const QString &text);
    // A looked up name is being waited for; joining again is refused meanwhile.
    bool resolving() const { return m_resolving; }
    // The recent tables as last read or written, most recent first.
    QStringList recentTables() const { return m_recent; }

    void button_hostClick();
    void button_joinClick();
    void button_closeClick() { hide(); }
    void edit_portChange();
    void action_copyClick();

    QLineEdit *edit_name;
    QLineEdit *edit_port;
    QPlainTextEdit *memo_addresses;
    QAction *action_copy;
    QLabel *label_forward;
    QCheckBox *check_router;
    QLabel *label_router;
    QPushButton *button_host;
    QComboBox *combo_address;
    QPushButton *button_join;
    QPushButton *button_close;
    NetworkTables *networkTables; // tables on this network, the online lobby

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void loadSettings();
    void showAddresses();
    void showRecentTables();
    void finishJoin(const QString &name, const QString &address);

    Forms &m_forms;
    QStringList m_addresses; // as localAddresses gave them, without ports
    QStringList m_recent;
    bool m_resolving = false;
    int m_lookup = 0; // numbers lookups, so an abandoned one's answer is ignored
};
