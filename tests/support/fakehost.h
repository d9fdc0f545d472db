// SPDX-License-Identifier: MIT
// A scripted game host for table-window tests: accepts the table window's
// connection and lets the test say exactly what the host says.
#pragma once

#include "testclient.h"

#include <QTcpServer>
#include <QTcpSocket>

class FakeHost {
public:
    FakeHost()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(peer, &QTcpSocket::readyRead, [this] {
                pending += peer->readAll();
                int end;
                while ((end = pending.indexOf('\xFF')) >= 0) {
                    if (end > 0) // the login's second terminator makes an empty one
                        received << pending.left(end);
                    raw += pending.left(end + 1);
                    pending.remove(0, end + 1);
                }
            });
        });
    }
    quint16 port() const { return server.serverPort(); }
    bool waitForClient(int ms = 5000)
    {
        return TestClient::waitFor([this] { return peer != nullptr; }, ms);
    }
    void send(const QByteArray &body)
    {
        peer->write(body + '\xFF');
        peer->flush();
    }
    // Removes and returns the first received message with the prefix.
    QByteArray take(const QByteArray &prefix, int ms = 3000)
    {
        QByteArray found;
        TestClient::waitFor([&] {
            for (int i = 0; i < received.size(); ++i)
                if (received[i].startsWith(prefix)) {
                    found = received.takeAt(i);
                    return true;
                }
            return false;
        }, ms);
        return found;
    }
    bool nothingFor(int ms)
    {
        TestClient::waitFor([] { return false; }, ms);
        return received.isEmpty();
    }

    QTcpServer server;
    QTcpSocket *peer = nullptr;
    QByteArray pending;
    QByteArray raw; // every byte received, terminators included
    QList<QByteArray> received;
};
