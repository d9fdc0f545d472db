// SPDX-License-Identifier: MIT
// A scripted peer for tests: a plain QTcpSocket (not our TSock) that speaks
// the game's framing, so the host and table window are checked against an
// independent implementation.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QTcpSocket>
#include <QTest>

#include <functional>

class TestClient {
public:
    static constexpr char T = '\xFF';

    bool connectTo(quint16 port, int ms = 5000)
    {
        QObject::connect(&sock, &QTcpSocket::readyRead, [this] { pull(); });
        QObject::connect(&sock, &QTcpSocket::disconnected, [this] { closed = true; });
        QObject::connect(&sock, &QTcpSocket::connected, [this] {
            connected = true;
            // Each send goes out at once, so arrival order is send order.
            sock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        });
        sock.connectToHost(QStringLiteral("127.0.0.1"), port);
        return waitFor([this] { return connected; }, ms);
    }

    void send(const QByteArray &body) { sendRaw(body + T); }
    void sendRaw(const QByteArray &bytes)
    {
        sock.write(bytes);
        sock.flush();
    }

    // Connects and logs in as the host expects; returns the slot given.
    int login(quint16 port, const QByteArray &name, const QByteArray &version = "1.0.1")
    {
        if (!connectTo(port))
            return 0;
        const QByteArray first = take("CMD_sendlogininfo+");
        if (first.isEmpty())
            return 0;
        slot = first.mid(int(qstrlen("CMD_sendlogininfo+"))).toInt();
        send("CMD_logininfo+" + QByteArray::number(slot) + "+" + version + "+" + name + T);
        take("CMD_newplayerinfo+" + QByteArray::number(slot) + "+");
        return slot;
    }

    static bool waitFor(const std::function<bool()> &done, int ms = 5000)
    {
        QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QTest::qWait(1);
        }
        return true;
    }

    // Removes and returns the first message that starts with prefix,
    // waiting for it; empty when it does not come in time.
    QByteArray take(const QByteArray &prefix, int ms = 5000)
    {
        QByteArray found;
        waitFor([&] {
            for (int i = 0; i < messages.size(); ++i)
                if (messages[i].startsWith(prefix)) {
                    found = messages.takeAt(i);
                    return true;
                }
            return false;
        }, ms);
        return found;
    }

    // True when no message with the prefix arrives within ms.
    bool silentFor(const QByteArray &prefix, int ms)
    {
        return take(prefix, ms).isEmpty();
    }

    int count(const QByteArray &prefix) const
    {
        int n = 0;
        for (const auto &m : messages)
            n += m.startsWith(prefix) ? 1 : 0;
        return n;
    }

    QTcpSocket sock;
    QByteArray pending;
    QList<QByteArray> messages;
    QList<QByteArray> all; // every message ever received, in order
    bool closed = false;
    bool connected = false;
    int slot = 0;

private:
    void pull()
    {
        pending += sock.readAll();
        int end;
        while ((end = pending.indexOf(T)) >= 0) {
            messages << pending.left(end);
            all << pending.left(end);
            pending.remove(0, end + 1);
        }
    }
};
