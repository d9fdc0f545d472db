// SPDX-License-Identifier: MIT
#include "tserver.h"

#include "failure.h"
#include "logtext.h"

#include <QDeadlineTimer>

TServer::TServer(QObject *parent)
    : QObject(parent), Sock1(new TSock(this)), tempsock(new TSock(this)), m_game(*this)
{
    setObjectName(QStringLiteral("Server"));
    Sock1->setPortName(QStringLiteral("7772"));
    Sock1->OnAccept = [this](TSock *s) { guarded([&] { Sock1Accept(s); }); };
    tempsock->OnDisconnect = [this](TSock *s) { guarded([&] { tempsockDisconnect(s); }); };
    tempsock->OnInfo = [this](TSock *s, TSocketInfo k, const QString &m) {
        guarded([&] { tempsockInfo(s, k, m); });
    };

    // The dispatch tick runs only while messages wait.
    socktimer.setInterval(10);
    connect(&socktimer, &QTimer::timeout, this, [this] { guarded([&] { socktimerTimer(); }); });
    timer1.setInterval(1000);
    connect(&timer1, &QTimer::timeout, this, [this] { guarded([&] { m_game.stepTick(); }); changed(); });
    m_loginTimer.setSingleShot(true);
    connect(&m_loginTimer, &QTimer::timeout, this, [this] { guarded([&] { checkLogins(); }); });
    computertimer.setSingleShot(true);
    connect(&computertimer, &QTimer::timeout, this, [this] { guarded([&] { m_game.computerTick(); }); changed(); });
}

TServer::~TServer()
{
    socktimer.stop();
    timer1.stop();
    computertimer.stop();
}

void TServer::setTimings(int dispatchMs, int stepMs)
{
    socktimer.setInterval(dispatchMs);
    timer1.setInterval(stepMs);
}

void TServer::shutdown()
{
    m_game.closingAll();
    for (int i = 1; i <= GameHost::MaxSlots; ++i)
        disconnectsock(i);
    if (Sock1->Listen())
        Sock1->setListen(false);
}

int TServer::slotOf(TSock *sock) const
{
    const int n = sock->Tag;
    return (n >= 1 && n <= GameHost::MaxSlots && m_socks[n] == sock) ? n : 0;
}

void TServer::Sock1Accept(TSock *listener)
{
    // Everything that waits is taken at once: players arriving together
    // each hear from the host within the same moment.
    for (int i = 0; i < 64; ++i) {
        TSock *sock = nullptr;
        if (!listener->Accept(sock))
            return;
        acceptOne(sock);
    }
}

void TServer::acceptOne(TSock *sock)
{
    const int slot = m_game.reserveSlot();
    if (slot == 0) {
        log("refused " + sock->HostName().toLatin1() + ": the table is full");
        refuse(sock);
        return;
    }
    log("connection from " + sock->HostName().toLatin1() + " in slot " + QByteArray::number(slot));
    sock->Tag = slot;
    sock->OnDisconnect = tempsock->OnDisconnect;
    sock->OnInfo = tempsock->OnInfo;
    sock->OnRead = [this](TSock *s, int count) { guarded([&] { Sock1Read(s, count); }); };
    m_socks[slot] = sock;
    m_conn[slot] = m_nextConn++;
    m_framers[slot].clear();
    m_game.slotConnected(slot);
    m_loginDue[slot] = QDeadlineTimer::current().deadline() + m_loginTimeoutMs;
    if (!m_loginTimer.isActive())
        m_loginTimer.start(m_loginTimeoutMs);
}

// Runs only while someone has yet to log in; an idle table has no timer.
void TServer::checkLogins()
{
    const qint64 now = QDeadlineTimer::current().deadline();
    qint64 next = 0;
    for (int slot = 1; slot <= GameHost::MaxSlots; ++slot) {
        if (!m_socks[slot] || m_loginDue[slot] == 0)
            continue;
        if (m_game.loggedin[slot]) {
            m_loginDue[slot] = 0;
        } else if (m_loginDue[slot] <= now) {
            m_loginDue[slot] = 0;
            log("closing slot " + QByteArray::number(slot) + ": no login within "
                + QByteArray::number(m_loginTimeoutMs / 1000) + " s");
            disconnectsock(slot);
        } else if (next == 0 || m_loginDue[slot] < next) {
            next = m_loginDue[slot];
        }
    }
    if (next)
        m_loginTimer.start(int(qMax<qint64>(1, next - now)));
}

// A tenth client: it hears "CMD_full+" before its connection is closed.
void TServer::refuse(TSock *sock)
{
    sock->OnInfo = nullptr;
    sock->OnDisconnect = nullptr;
    sock->OnRead = nullptr;
    // The socket comes as an argument, never from the closure that is
    // running: closing must not depend on a handler that may be gone.
    const auto finish = [](TSock *s) {
        s->Close();
        s->deleteLater();
    };
    sock->OnWrite = [finish](TSock *s) {
        if (s->pendingOutbound() == 0)
            finish(s);
    };
    sock->Send(QByteArray("CMD_full+") + wire::Terminator);
    if (sock->pendingOutbound() == 0)
        finish(sock);
}

void TServer::Sock1Read(TSock *sock, int)
{
    const int slot = slotOf(sock);
    if (slot == 0) {
        sock->Receive();
        return;
    }
    const quint64 conn = m_conn[slot];
    const bool idle = receivedlist.empty();
    bool flooded = false;
    const bool fits = m_framers[slot].feed(sock->Receive(), [&](QByteArray text) {
        receivedlist.push(conn, std::move(text));
        flooded = flooded || receivedlist.waiting(conn) > wire::MaxQueuedMessages;
    });
    if (!fits || flooded) {
        log("closing slot " + QByteArray::number(slot) + ": "
            + (fits ? "more than " + QByteArray::number(wire::MaxQueuedMessages) + " messages waiting"
                    : "a message longer than " + QByteArray::number(wire::MaxPendingText) + " bytes"));
        disconnectsock(slot);
        return;
    }
    // An idle host answers at once; whatever waits behind goes one a tick.
    if (idle && !receivedlist.empty())
        serveOne();
    if (!receivedlist.empty() && !socktimer.isActive())
        socktimer.start();
}

void TServer::socktimerTimer()
{
    serveOne();
    if (receivedlist.empty())
        socktimer.stop();
}

void TServer::serveOne()
{
    FairQueue::Message m;
    if (!receivedlist.pop(m))
        return;
    for (int slot = 1; slot <= GameHost::MaxSlots; ++slot)
        if (m_conn[slot] == m.conn) {
            m_game.dispatch(slot, m.text);
            changed();
            return;
        }
}

void TServer::dropQueued(quint64 conn)
{
    receivedlist.drop(conn);
}

void TServer::tempsockDisconnect(TSock *sock)
{
    const int slot = slotOf(sock);
    if (slot && m_game.players[slot].connected)
        sock->Close();
}

void TServer::tempsockInfo(TSock *sock, TSocketInfo, const QString &msg)
{
    if (msg != QLatin1String("Socket Closed"))
        return;
    const int slot = slotOf(sock);
    if (slot == 0)
        return; // a second report for a connection already let go
    log("connection closed: slot " + QByteArray::number(slot) + " (" + sock->HostName().toLatin1() + ")");
    dropQueued(m_conn[slot]);
    m_socks[slot] = nullptr;
    m_conn[slot] = 0;
    m_framers[slot].clear();
    m_loginDue[slot] = 0;
    // Its handlers go with it, after the call that closed it (perhaps its
    // own OnRead) has returned.
    sock->deleteLater();
    m_game.slotClosed(slot);
    changed();
}

void TServer::disconnectsock(int slot)
{
    if (slot < 1 || slot > GameHost::MaxSlots)
        return;
    if (TSock *s = m_socks[slot])
        s->Close();
}

void TServer::closeLater(int slot, quint64 conn)
{
    // Not from inside a game step: the departure would re-enter it.
    QMetaObject::invokeMethod(this, [this, slot, conn] {
        if (m_conn[slot] != conn)
            return;
        log("closing slot " + QByteArray::number(slot) + ": it stopped reading (over "
            + QByteArray::number(wire::MaxUnsentBytes) + " bytes unsent)");
        guarded([&] { disconnectsock(slot); });
    }, Qt::QueuedConnection);
}

void TServer::moveSlot(int from, int to)
{
    if (from < 1 || from > GameHost::MaxSlots || to < 1 || to > GameHost::MaxSlots || from == to)
        return;
    TSock *sock = m_socks[from];
    if (!sock || m_socks[to])
        return;
    sock->Tag = to;
    m_socks[to] = sock;
    m_conn[to] = m_conn[from];
    m_framers[to] = m_framers[from];
    m_loginDue[to] = m_loginDue[from];
    m_loginDue[from] = 0;
    // Its queued messages follow it: they are found by connection.
    m_socks[from] = nullptr;
    m_conn[from] = 0;
    m_framers[from].clear();
}

void TServer::log(const QByteArray &line)
{
    if (!eventLog)
        return;
    // Names come from peers: no line breaks or terminal escapes in a log.
    eventLog(logtext::line(line));
}

void TServer::sendTo(int slot, const QByteArray &message)
{
    TSock *s = (slot >= 1 && slot <= GameHost::MaxSlots) ? m_socks[slot] : nullptr;
    if (!s || !s->hasSocket())
        return;
    s->Send(message);
    // A peer that stops reading must not make us hold its backlog for ever.
    if (s->pendingOutbound() > wire::MaxUnsentBytes)
        closeLater(slot, m_conn[slot]);
}

void TServer::armComputer(int ms)
{
    computertimer.stop();
    computertimer.setInterval(ms);
    computertimer.start();
}
