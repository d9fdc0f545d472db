// SPDX-License-Identifier: MIT
// LobbyHub: this program's one seat in the online lobby, shared by the lobby
// window and by a table this program hosts and lists. It outlives the table
// windows (joining a table from the lobby closes the old table, not the
// lobby), keeps the room's recent chat and the people the player chose to
// ignore until the program ends, and stays connected only while the window
// is wanted or a table is listed.
#pragma once

#include "hostaddress.h"
#include "lobbyclient.h"

#include <QSet>
#include <QStringList>

class LobbyHub : public QObject {
    Q_OBJECT
public:
    static constexpr int ChatLogLines = 200;

    // The program's hub; made on first use, gone when the application quits.
    static LobbyHub &instance();
    explicit LobbyHub(QObject *parent = nullptr);

    LobbyClient &client() { return m_client; }

    // The lobby window is open (and should open again with the next table).
    void setWindowWanted(bool wanted);
    bool windowWanted() const { return m_windowWanted; }
    // Connects to server as nick, or keeps the connection when it is the same.
    bool open(const QString &server, const QString &nick, QString *error = nullptr);
    // The table this program lists, or nullopt; while one is listed the
    // connection stays even with the window closed.
    void setListedTable(const std::optional<TableSummary> &table);
    bool listing() const { return m_listed.has_value(); }

    // "nick: text" lines of the room, oldest first, ignored people left out.
    QStringList chatLog() const;
    void ignore(const QString &nick);
    bool ignored(const QString &nick) const { return m_ignored.contains(nick); }
    void addNotice(const QString &text);

signals:
    // A line for the chat log (not from an ignored person).
    void chatLine(const QString &line);
    void ignoredChanged();

private:
    void release();
    struct Line {
        QString nick; // empty for our own notices
        QString text;
    };
    LobbyClient m_client;
    bool m_windowWanted = false;
    std::optional<TableSummary> m_listed;
    QList<Line> m_log;
    QSet<QString> m_ignored;
};
