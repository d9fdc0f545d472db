// SPDX-License-Identifier: MIT
// TServer: the game host of a hosting copy (or of velloc-host). It listens
// on port 7772, gives each connection a slot, cuts the byte streams into
// messages, queues them and hands one per 10 ms tick to the GameHost, which
// answers through this object's sockets and timers; a message to an empty
// queue is handed on at once. It is never shown.
#pragma once

#include "fairqueue.h"
#include "gamehost.h"
#include "tsock.h"
#include "wire.h"

#include <QObject>
#include <QTimer>

#include <array>

class TServer : public QObject, private HostLink {
    Q_OBJECT
public:
    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    TSock *Sock1;    // the listener, PortName "7772"
    TSock *tempsock; // never opened: carries the handlers of accepted sockets

    GameHost &game() { return m_game; }
    const GameHost &game() const { return m_game; }

    // The hosting table window's "Bot Speed" setting.
    void setBotDelay(int ms) { m_game.setBotDelay(ms); }

    // Shorter pacing for tests; the program always runs at 10 ms and 1 s.
    void setTimings(int dispatchMs, int stepMs);
    // A connection that has not logged in this long after getting its slot
    // is closed, so strangers cannot hold the table's slots (30 s).
    void setLoginTimeout(int ms) { m_loginTimeoutMs = ms; }

    // Tells our own programs the table closes, closes every connection and
    // stops listening.
    void shutdown();

    // Receives one line per event at the table (connections, logins,
    // games, removals); velloc-host writes them to standard error.
    std::function<void(const QByteArray &line)> eventLog;
    // Called after anything that may change the seats or the game.
    std::function<void()> tableChanged;

    TSock *slotSocket(int slot) const { return m_socks[slot]; }
    qsizetype queuedMessages() const { return qsizetype(receivedlist.size()); }

private:
    void Sock1Accept(TSock *listener);
    void acceptOne(TSock *sock);
    void checkLogins();
    void Sock1Read(TSock *sock, int count);
    void tempsockDisconnect(TSock *sock);
    void tempsockInfo(TSock *sock, TSocketInfo kind, const QString &msg);
    void socktimerTimer();
    void serveOne();
    void disconnectsock(int slot);
    void refuse(TSock *sock);
    void dropQueued(quint64 conn);
    void closeLater(int slot, quint64 conn);
    int slotOf(TSock *sock) const;
    void changed() { if (tableChanged) tableChanged(); }

    // HostLink
    void sendTo(int slot, const QByteArray &message) override;
    void disconnectSlot(int slot) override { disconnectsock(slot); }
    void startStepTimer() override { timer1.start(); }
    void stopStepTimer() override { timer1.stop(); }
    void armComputer(int ms) override;
    void stopComputer() override { computertimer.stop(); }
    void moveSlot(int from, int to) override;
    void log(const QByteArray &line) override;

    GameHost m_game;
    std::array<TSock *, 12> m_socks{};
    std::array<quint64, 12> m_conn{};
    std::array<wire::Framer, 12> m_framers{};
    quint64 m_nextConn = 1;
    std::array<qint64, 12> m_loginDue{}; // steady ms by which the slot must log in; 0: none
    int m_loginTimeoutMs = 30000;
    QTimer m_loginTimer;
    // Connections take turns when more than one has messages waiting.
    FairQueue receivedlist;
    QTimer socktimer;
    QTimer timer1;
    QTimer computertimer;
};
