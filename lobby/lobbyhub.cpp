// SPDX-License-Identifier: MIT
#include "lobbyhub.h"

#include <QCoreApplication>
#include <QPointer>

LobbyHub &LobbyHub::instance()
{
    static QPointer<LobbyHub> hub;
    if (!hub) {
        hub = new LobbyHub;
        // Leaves the room before the program ends.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, hub.data(),
                         &QObject::deleteLater);
    }
    return *hub;
}

LobbyHub::LobbyHub(QObject *parent) : QObject(parent)
{
    connect(&m_client, &LobbyClient::chatReceived, this, [this](const QString &nick, const QString &text) {
        m_log.append({nick, text});
        if (m_log.size() > ChatLogLines)
            m_log.removeFirst();
        if (!m_ignored.contains(nick))
            emit chatLine(nick + QStringLiteral(": ") + text);
    });
    connect(&m_client, &LobbyClient::nickChanged, this, [this](const QString &nick, bool) {
        addNotice(QStringLiteral("Your name is taken in the lobby; you are \"%1\" there.").arg(nick));
    });
}

void LobbyHub::addNotice(const QString &text)
{
    m_log.append({QString(), text});
    if (m_log.size() > ChatLogLines)
        m_log.removeFirst();
    emit chatLine(text);
}

bool LobbyHub::open(const QString &server, const QString &nick, QString *error)
{
    QString host;
    quint16 port = 0;
    if (!LobbyClient::parseServer(server, &host, &port, error))
        return false;
    const QString wanted = HostAddress{host, port}.text(LobbyClient::DefaultPort);
    if (m_client.started() && m_client.server() == wanted && m_client.nick().startsWith(nick.trimmed()))
        return true;
    return m_client.start(server, nick, QString(), error);
}

void LobbyHub::setWindowWanted(bool wanted)
{
    m_windowWanted = wanted;
    release();
}

void LobbyHub::setListedTable(const std::optional<TableSummary> &table)
{
    m_listed = table;
    m_client.setTable(table);
    release();
}

void LobbyHub::release()
{
    if (!m_windowWanted && !m_listed && m_client.started())
        m_client.stop();
}

QStringList LobbyHub::chatLog() const
{
    QStringList out;
    for (const Line &l : m_log)
        if (l.nick.isEmpty())
            out << l.text;
        else if (!m_ignored.contains(l.nick))
            out << l.nick + QStringLiteral(": ") + l.text;
    return out;
}

void LobbyHub::ignore(const QString &nick)
{
    if (nick.isEmpty() || nick == m_client.nick())
        return;
    m_ignored.insert(nick);
    emit ignoredChanged();
}
