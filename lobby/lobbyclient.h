// SPDX-License-Identifier: MIT
// LobbyClient: one seat in the online lobby, a multi-user chat room on a
// standard XMPP server. It logs in anonymously, joins the room under the
// player's name (with a suffix when the name is taken), keeps the list of
// people and of their tables (a payload of our own namespace in each room
// presence, every field checked), carries the room's chat, and publishes
// this program's own table when it has one. Lost connections are retried
// with back-off while the client is started; meanwhile the list is stale.
//
// XMPP, SASL and TLS are libstrophe's. It runs on the Qt event loop: the
// socket is watched with QSocketNotifier and libstrophe runs one step, never
// blocking, when it is ready; a single-shot timer covers the connect timeout.
#pragma once

#include "tablesummary.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

struct _xmpp_ctx_t;
struct _xmpp_conn_t;
struct _xmpp_stanza_t;
struct _xmpp_log_t;
class QSocketNotifier;

class LobbyClient : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 5222;
    static constexpr const char *DefaultRoom = "velloc";
    static constexpr const char *TableNamespace = "urn:velloc:table:1";
    static constexpr int MaxTables = 500;
    static constexpr int MaxPeople = 2000;
    static constexpr int MaxChatLength = 300;
    static constexpr int ChatLines = 5;        // at most this many lines ...
    static constexpr int ChatWindowMs = 10000; // ... in this long from one person
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 60000;
    // Set only by tests: a CA file to trust besides the system's, and TLS
    // even on loopback.
    static constexpr const char *TestCaVariable = "VELLOC_LOBBY_TEST_CA";

    enum State { Offline, Connecting, Online, Waiting };
    Q_ENUM(State)

    explicit LobbyClient(QObject *parent = nullptr);
    ~LobbyClient() override;

    // "host" or "host:port" of a lobby server; error says why not.
    static bool parseServer(const QString &text, QString *host, quint16 *port, QString *error = nullptr);

    // Connects and stays in the room until stop(), retrying as needed.
    // server as parseServer takes it; room without "@" uses rooms.HOST.
    bool start(const QString &server, const QString &nick, const QString &room = QString(),
               QString *error = nullptr);
    void stop();
    bool started() const { return m_started; }
    State state() const { return m_state; }
    QString server() const { return m_serverText; }
    // Our name in the room as the room knows it.
    QString nick() const { return m_nick; }
    // Shown while not Online: why, and when the next attempt is.
    QString problem() const { return m_problem; }
    // Not Online: what the list shows may be out of date.
    bool stale() const { return m_state != Online; }

    // The table this program lists, carried in our presence; nullopt: none.
    void setTable(const std::optional<TableSummary> &table);

    // Sends a line to the room; false and why when it is empty, too long or
    // too soon after the last five.
    bool sendChat(const QString &text, QString *why = nullptr);

    QStringList people() const { return m_people.keys(); }
    const QMap<QString, TableSummary> &tables() const { return m_tables; }

    // Milliseconds of a steady clock; tests move it on.
    std::function<qint64()> clock;

signals:
    void stateChanged(LobbyClient::State state);
    // The room gave us another name than asked for (taken): suffixed is true.
    void nickChanged(const QString &nick, bool suffixed);
    void personJoined(const QString &nick);
    void personLeft(const QString &nick);
    void tableChanged(const QString &nick, const TableSummary &table);
    void tableGone(const QString &nick);
    void chatReceived(const QString &nick, const QString &text);

private:
    friend struct LobbyCallbacks;
    struct Person {
        int generation = 0;
        std::deque<qint64> lines; // times of his last chat lines
    };

    void connectNow();
    void resolved(const QString &address, bool loopback, const QString &why);
    void connected();
    void dropped(const QString &why);
    void fail(const QString &why, bool retry);
    void joinRoom();
    void sendPresence();
    void pump();
    void pumpSoon();
    void watchSocket(int fd);
    void release();
    void setState(State s);
    int onPresence(_xmpp_stanza_t *stanza);
    int onMessage(_xmpp_stanza_t *stanza);
    QString occupant(const char *from) const;
    void removePerson(const QString &nick);
    bool withinRate(std::deque<qint64> &lines);

    std::unique_ptr<_xmpp_log_t> m_log;
    _xmpp_ctx_t *m_ctx = nullptr;
    _xmpp_conn_t *m_conn = nullptr;
    std::unique_ptr<QSocketNotifier> m_readable, m_writable;
    QTimer m_deadline; // libstrophe's connect timeout
    QTimer m_retry;
    bool m_pumpQueued = false;
    int m_lookup = 0;

    bool m_started = false;
    State m_state = Offline;
    QString m_serverText, m_host, m_room, m_wantedNick, m_nick, m_problem;
    quint16 m_port = DefaultPort;
    int m_retryMs = FirstRetryMs;
    int m_suffix = 1;
    bool m_joined = false;
    bool m_releasing = false;
    QElapsedTimer m_connecting;
    bool m_certFailed = false;
    QString m_lastError; // libstrophe's own words for the last failure
    int m_generation = 0;
    std::optional<TableSummary> m_table;
    QMap<QString, Person> m_people;
    QMap<QString, TableSummary> m_tables;
    std::deque<qint64> m_sent;
};
