// SPDX-License-Identifier: MIT
#include "singleinstance.h"

#include <QGuiApplication>
#include <QLocalSocket>

#include <unistd.h>

QString SingleInstance::defaultName()
{
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = QGuiApplication::platformName().toUtf8();
    return QStringLiteral("24broq-%1-%2").arg(::getuid()).arg(QString::fromUtf8(display));
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name)
{
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server.nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("raise") && onRaise)
                    onRaise();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

bool SingleInstance::askRunningCopy()
{
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    s.connectToServer(m_name);
    if (!s.waitForConnected(500))
        return false;
    s.write("raise\n");
    s.waitForBytesWritten(500);
    s.waitForDisconnected(500);
    return true;
}

bool SingleInstance::claim()
{
    if (askRunningCopy())
        return false;
    if (m_server.listen(m_name))
        return true;
    // Another copy started in the same instant and won the name.
    return !askRunningCopy();
}
