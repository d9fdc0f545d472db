// SPDX-License-Identifier: MIT
// NetworkTables: the part of Play with Others that finds tables: the live
// list of tables on this network (DNS-SD), the way to the online lobby, and
// whether a hosted table is listed there (and with local addresses too).
#pragma once

#include <QRect>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class TableListView;
struct TableSummary;
namespace dnssd {
class Browser;
}

class NetworkTables : public QWidget {
    Q_OBJECT
public:
    explicit NetworkTables(QWidget *parent = nullptr);

    // Fixed places inside the widget (448 x 192), shared with the
    // end-to-end test.
    static constexpr QRect ListRect{0, 24, 330, 104};
    static constexpr QRect JoinButtonRect{340, 24, 108, 28};
    static constexpr QRect LobbyButtonRect{340, 60, 108, 28};
    ~NetworkTables() override;

    // The program wires these: join a listed table, open the lobby window.
    std::function<void(const TableSummary &table)> join;
    std::function<void()> openLobby;

    // Browses while shown: nothing is asked of the network otherwise.
    void startBrowsing();
    void stopBrowsing();

    // Settings keys of the two boxes.
    static bool listInLobby();
    static bool listLocalAddresses();

    TableListView *list_network;
    QLabel *label_network;
    QPushButton *button_netjoin;
    QPushButton *button_lobby;
    QCheckBox *check_lobby;
    QCheckBox *check_local;

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void saveBoxes();
    void showProblem();
    dnssd::Browser *m_browser = nullptr;
};
