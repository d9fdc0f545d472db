// SPDX-License-Identifier: MIT
#include "lobbyclient.h"

#include "hostaddress.h"
#include "ipaddress.h"

#include "strophelibrary.h"

#include <QPointer>
#include <QSocketNotifier>

#include <chrono>

namespace {

// Set before the first connection is made: nothing below runs without it.
const StropheLibrary *strophe = nullptr;

constexpr const char *MucNamespace = "http://jabber.org/protocol/muc";
constexpr const char *MucUserNamespace = "http://jabber.org/protocol/muc#user";
constexpr const char *StanzaNamespace = "urn:ietf:params:xml:ns:xmpp-stanzas";
// libstrophe gives up connecting after 5 s; we look a little later.
constexpr int ConnectTimeoutMs = 5200;
constexpr int GiveUpMs = 20000;
constexpr int MaxNickLength = 40;
constexpr int MaxSuffix = 20;

// Each client's libstrophe context, for the callbacks that carry none.
QMap<xmpp_ctx_t *, LobbyClient *> &clients()
{
    static QMap<xmpp_ctx_t *, LobbyClient *> map;
    return map;
}

QString plainLine(const QString &text, int max)
{
    QString out;
    for (QChar c : text)
        out += (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) ? QLatin1Char(' ') : c;
    out = out.trimmed();
    if (out.size() > max) {
        out.truncate(max);
        if (out.back().isHighSurrogate())
            out.chop(1);
    }
    return out;
}

bool hasStatus(xmpp_stanza_t *stanza, const char *code)
{
    xmpp_stanza_t *x = strophe->stanza_get_child_by_name_and_ns(stanza, "x", MucUserNamespace);
    for (xmpp_stanza_t *c = x ? strophe->stanza_get_children(x) : nullptr; c; c = strophe->stanza_get_next(c)) {
        const char *n = strophe->stanza_get_name(c);
        const char *v = strophe->stanza_get_attribute(c, "code");
        if (n && v && qstrcmp(n, "status") == 0 && qstrcmp(v, code) == 0)
            return true;
    }
    return false;
}

} // namespace

struct LobbyCallbacks {
    static void log(void *self, xmpp_log_level_t level, const char *area, const char *msg)
    {
        if (level >= XMPP_LEVEL_ERROR && msg)
            static_cast<LobbyClient *>(self)->m_lastError = QString::fromUtf8(msg).left(300);
    }
    static int sockopt(xmpp_conn_t *conn, void *sock)
    {
        if (LobbyClient *c = clients().value(strophe->conn_get_context(conn)))
            c->watchSocket(*static_cast<int *>(sock));
        return strophe->sockopt_cb_keepalive(conn, sock);
    }
    static int certfail(const xmpp_tlscert_t *cert, const char *const errormsg)
    {
        if (LobbyClient *c = clients().value(strophe->tlscert_get_ctx(const_cast<xmpp_tlscert_t *>(cert)))) {
            c->m_certFailed = true;
            c->m_lastError = QString::fromUtf8(errormsg ? errormsg : "").left(300);
        }
        return 0; // never accepted: the connection fails
    }
    static void connection(xmpp_conn_t *, xmpp_conn_event_t event, int error, xmpp_stream_error_t *stream,
                           void *self)
    {
        auto *c = static_cast<LobbyClient *>(self);
        if (event == XMPP_CONN_CONNECT) {
            c->connected();
            return;
        }
        if (event == XMPP_CONN_RAW_CONNECT)
            return;
        QString why;
        if (stream && stream->text)
            why = QString::fromUtf8(stream->text);
        else if (error)
            why = QString::fromLocal8Bit(strerror(error));
        c->dropped(why);
    }
    static int presence(xmpp_conn_t *, xmpp_stanza_t *stanza, void *self)
    {
        return static_cast<LobbyClient *>(self)->onPresence(stanza);
    }
    static int message(xmpp_conn_t *, xmpp_stanza_t *stanza, void *self)
    {
        return static_cast<LobbyClient *>(self)->onMessage(stanza);
    }
};

LobbyClient::LobbyClient(QObject *parent) : QObject(parent)
{
    clock = [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
    m_log = std::make_unique<xmpp_log_t>(xmpp_log_t{&LobbyCallbacks::log, this});
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        pump();
        // A server that takes the connection but never lets us in is as
        // good as none.
        if (m_conn && !m_joined && m_connecting.isValid() && m_connecting.elapsed() >= GiveUpMs)
            fail(QStringLiteral("The lobby server %1 does not answer.").arg(m_serverText), true);
        else if (m_conn && !m_joined)
            m_deadline.start(GiveUpMs);
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LobbyClient::connectNow);
}

LobbyClient::~LobbyClient()
{
    release();
}

bool LobbyClient::parseServer(const QString &text, QString *host, quint16 *port, QString *error)
{
    HostAddress a;
    QString why;
    if (!hostaddress::parse(text, DefaultPort, &a, &why)) {
        if (error)
            *error = why.replace(QLatin1String("table"), QLatin1String("lobby server"));
        return false;
    }
    *host = a.host;
    *port = a.port;
    return true;
}

bool LobbyClient::start(const QString &server, const QString &nick, const QString &room, QString *error)
{
    QString host;
    quint16 port = DefaultPort;
    if (!parseServer(server, &host, &port, error))
        return false;
    const QString name = plainLine(nick, MaxNickLength);
    if (name.isEmpty()) {
        if (error)
            *error = QStringLiteral("Please enter your name.");
        return false;
    }
    if (!strophe && !(strophe = StropheLibrary::get(error)))
        return false;
    stop();
    m_started = true;
    m_host = host;
    m_port = port;
    m_serverText = HostAddress{host, port}.text(DefaultPort);
    const QString r = room.isEmpty() ? QString::fromLatin1(DefaultRoom) : room;
    m_room = r.contains(QLatin1Char('@')) ? r : r + QStringLiteral("@rooms.") + host;
    m_wantedNick = m_nick = name;
    m_suffix = 1;
    m_retryMs = FirstRetryMs;
    connectNow();
    return true;
}

void LobbyClient::stop()
{
    m_started = false;
    m_retry.stop();
    release();
    m_problem.clear();
    setState(Offline);
}

void LobbyClient::release()
{
    ++m_lookup; // an answer or failure still on its way is for nobody
    m_releasing = true;
    m_deadline.stop();
    m_readable.reset();
    m_writable.reset();
    if (m_conn) {
        // Leaving: the room tells the others at once; the socket closes with
        // the connection either way.
        if (m_joined) {
            xmpp_stanza_t *p = strophe->presence_new(m_ctx);
            strophe->stanza_set_type(p, "unavailable");
            strophe->stanza_set_to(p, (m_room + QLatin1Char('/') + m_nick).toUtf8().constData());
            strophe->send(m_conn, p);
            strophe->stanza_release(p);
            strophe->disconnect(m_conn);
            for (int i = 0; i < 3; ++i)
                strophe->run_once(m_ctx, 0);
        }
        xmpp_conn_t *conn = m_conn;
        m_conn = nullptr;
        strophe->conn_release(conn);
    }
    if (m_ctx) {
        clients().remove(m_ctx);
        strophe->ctx_free(m_ctx);
        m_ctx = nullptr;
    }
    m_joined = false;
    m_releasing = false;
}

void LobbyClient::setState(State s)
{
    if (s == m_state)
        return;
    m_state = s;
    emit stateChanged(s);
}

void LobbyClient::connectNow()
{
    if (!m_started)
        return;
    release();
    m_problem = QStringLiteral("Connecting to the lobby server %1...").arg(m_serverText);
    setState(Connecting);
    // The name is looked up off the UI thread; libstrophe gets an address.
    const int lookup = ++m_lookup;
    QPointer<LobbyClient> self(this);
    ipaddress::lookup(m_host, this, [self, lookup](const QStringList &addresses, const QString &error) {
        if (!self || lookup != self->m_lookup)
            return;
        if (addresses.isEmpty()) {
            self->resolved(QString(), false, error.isEmpty() ? QStringLiteral("no address was found") : error);
            return;
        }
        // IPv4 first, where there is one.
        const QString pick = addresses.first();
        self->resolved(pick, ipaddress::isLoopback(pick), QString());
    });
}

void LobbyClient::resolved(const QString &address, bool loopback, const QString &why)
{
    if (address.isEmpty()) {
        fail(QStringLiteral("Cannot find the lobby server \"%1\": %2.").arg(m_host, why), true);
        return;
    }
    m_ctx = strophe->ctx_new(nullptr, m_log.get());
    clients().insert(m_ctx, this);
    m_conn = strophe->conn_new(m_ctx);
    const QByteArray testCa = qgetenv(TestCaVariable);
    // Plain text only to a server on this computer; anywhere else TLS with a
    // certificate the system (or a test's own CA) vouches for.
    long flags = XMPP_CONN_FLAG_DISABLE_SM;
    if (loopback && testCa.isEmpty())
        flags |= XMPP_CONN_FLAG_DISABLE_TLS;
    else
        flags |= XMPP_CONN_FLAG_MANDATORY_TLS;
    strophe->conn_set_flags(m_conn, flags);
    if (!testCa.isEmpty())
        strophe->conn_set_cafile(m_conn, testCa.constData());
    strophe->conn_set_certfail_handler(m_conn, &LobbyCallbacks::certfail);
    strophe->conn_set_sockopt_callback(m_conn, &LobbyCallbacks::sockopt);
    // A bare domain and no password: an anonymous login.
    strophe->conn_set_jid(m_conn, m_host.toUtf8().constData());
    strophe->handler_add(m_conn, &LobbyCallbacks::presence, nullptr, "presence", nullptr, this);
    strophe->handler_add(m_conn, &LobbyCallbacks::message, nullptr, "message", nullptr, this);
    m_certFailed = false;
    m_lastError.clear();
    if (strophe->connect_client(m_conn, address.toUtf8().constData(), m_port, &LobbyCallbacks::connection, this)
        != XMPP_EOK) {
        fail(QStringLiteral("Cannot connect to the lobby server %1.").arg(m_serverText), true);
        return;
    }
    m_connecting.start();
    m_deadline.start(ConnectTimeoutMs);
    pumpSoon();
}

void LobbyClient::watchSocket(int fd)
{
    // A new socket for each address tried.
    m_readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &LobbyClient::pump);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &LobbyClient::pump);
}

void LobbyClient::pumpSoon()
{
    if (m_pumpQueued)
        return;
    m_pumpQueued = true;
    QMetaObject::invokeMethod(this, [this] { pump(); }, Qt::QueuedConnection);
}

void LobbyClient::pump()
{
    m_pumpQueued = false;
    if (!m_ctx || !m_conn)
        return;
    QPointer<LobbyClient> self(this);
    xmpp_ctx_t *ctx = m_ctx;
    // One step reads at most 4 KiB; what TLS has already decrypted does not
    // wake the socket again, so a few steps drain one record.
    for (int i = 0; i < 5 && self && m_ctx == ctx; ++i)
        strophe->run_once(ctx, 0);
    if (!self || m_ctx != ctx || !m_conn)
        return;
    // Write interest only while the connection is being made or something
    // waits to go out: a writable socket is nearly always writable.
    if (m_writable)
        m_writable->setEnabled(strophe->conn_is_connecting(m_conn) || strophe->conn_send_queue_len(m_conn) > 0);
}

void LobbyClient::connected()
{
    joinRoom();
}

void LobbyClient::joinRoom()
{
    m_generation++;
    xmpp_stanza_t *p = strophe->presence_new(m_ctx);
    strophe->stanza_set_to(p, (m_room + QLatin1Char('/') + m_nick).toUtf8().constData());
    xmpp_stanza_t *x = strophe->stanza_new(m_ctx);
    strophe->stanza_set_name(x, "x");
    strophe->stanza_set_ns(x, MucNamespace);
    // The room's old chat is not replayed: every reconnection would repeat it.
    xmpp_stanza_t *history = strophe->stanza_new(m_ctx);
    strophe->stanza_set_name(history, "history");
    strophe->stanza_set_attribute(history, "maxstanzas", "0");
    strophe->stanza_add_child(x, history);
    strophe->stanza_release(history);
    strophe->stanza_add_child(p, x);
    strophe->stanza_release(x);
    if (m_table) {
        xmpp_stanza_t *t = strophe->stanza_new(m_ctx);
        strophe->stanza_set_name(t, "table");
        strophe->stanza_set_ns(t, TableNamespace);
        for (const auto &[key, value] : m_table->toFields(true))
            strophe->stanza_set_attribute(t, key.constData(), value.constData());
        strophe->stanza_add_child(p, t);
        strophe->stanza_release(t);
    }
    strophe->send(m_conn, p);
    strophe->stanza_release(p);
    pumpSoon();
}

void LobbyClient::sendPresence()
{
    if (m_conn && m_joined)
        joinRoom(); // a presence to the room updates ours
}

void LobbyClient::setTable(const std::optional<TableSummary> &table)
{
    if (table == m_table)
        return;
    m_table = table;
    sendPresence();
}

void LobbyClient::dropped(const QString &why)
{
    // libstrophe has closed the socket: no more waiting on it.
    if (m_readable)
        m_readable->setEnabled(false);
    if (m_writable)
        m_writable->setEnabled(false);
    if (!m_started || m_releasing)
        return;
    QString text;
    if (m_certFailed)
        text = QStringLiteral("The lobby server %1 is not trusted: its certificate does not verify (%2). "
                              "Check the server's address, or ask its operator to fix the certificate.")
                   .arg(m_serverText, m_lastError.isEmpty() ? QStringLiteral("unknown reason") : m_lastError);
    else if (m_joined)
        text = QStringLiteral("The connection to the lobby server %1 was lost").arg(m_serverText);
    else
        text = QStringLiteral("Cannot reach the lobby server %1").arg(m_serverText);
    if (!m_certFailed) {
        const QString reason = !why.isEmpty() ? why : m_lastError;
        text += reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(" (%1).").arg(reason);
    }
    // A certificate that does not verify will not verify in a minute either.
    QMetaObject::invokeMethod(this, [this, text, retry = !m_certFailed, lookup = m_lookup] {
        if (lookup == m_lookup)
            fail(text, retry);
    }, Qt::QueuedConnection);
}

void LobbyClient::fail(const QString &why, bool retry)
{
    if (!m_started)
        return;
    release();
    if (retry) {
        m_problem = QStringLiteral("%1 Trying again in %2 s.").arg(why).arg(m_retryMs / 1000);
        m_retry.start(m_retryMs);
        m_retryMs = qMin(m_retryMs * 2, LastRetryMs);
        setState(Waiting);
    } else {
        m_problem = why;
        m_started = false;
        setState(Offline);
    }
    // Not Online again means a new state even when Waiting twice in a row.
    emit stateChanged(m_state);
}

QString LobbyClient::occupant(const char *from) const
{
    const QString f = QString::fromUtf8(from ? from : "");
    const int slash = f.indexOf(QLatin1Char('/'));
    if (slash <= 0 || f.left(slash).compare(m_room, Qt::CaseInsensitive) != 0)
        return QString();
    return f.mid(slash + 1);
}

void LobbyClient::removePerson(const QString &nick)
{
    if (m_tables.remove(nick))
        emit tableGone(nick);
    if (m_people.remove(nick))
        emit personLeft(nick);
}

int LobbyClient::onPresence(xmpp_stanza_t *stanza)
{
    const QString nick = occupant(strophe->stanza_get_from(stanza));
    if (nick.isEmpty())
        return 1;
    const char *type = strophe->stanza_get_type(stanza);
    const bool self = hasStatus(stanza, "110") || (!m_joined && nick == m_nick);
    if (type && qstrcmp(type, "error") == 0) {
        if (m_joined)
            return 1;
        xmpp_stanza_t *error = strophe->stanza_get_child_by_name(stanza, "error");
        if (error && strophe->stanza_get_child_by_name_and_ns(error, "conflict", StanzaNamespace) && m_suffix < MaxSuffix) {
            // Taken: the next free "Name (2)", "Name (3)" ...
            m_nick = QStringLiteral("%1 (%2)").arg(m_wantedNick).arg(++m_suffix);
            joinRoom();
            return 1;
        }
        const char *condition = nullptr;
        for (xmpp_stanza_t *c = error ? strophe->stanza_get_children(error) : nullptr; c && !condition;
             c = strophe->stanza_get_next(c))
            if (strophe->stanza_get_ns(c) && qstrcmp(strophe->stanza_get_ns(c), StanzaNamespace) == 0)
                condition = strophe->stanza_get_name(c);
        QMetaObject::invokeMethod(this, [this, why = QString::fromUtf8(condition ? condition : "unknown"),
                                         lookup = m_lookup] {
            if (lookup == m_lookup)
                fail(QStringLiteral("The lobby room %1 refused us (%2).").arg(m_room, why), true);
        }, Qt::QueuedConnection);
        return 1;
    }
    if (type && qstrcmp(type, "unavailable") == 0) {
        if (self && m_joined) {
            // Removed from the room: come back as after a lost connection.
            QMetaObject::invokeMethod(this, [this, lookup = m_lookup] {
                if (lookup == m_lookup)
                    fail(QStringLiteral("The lobby room %1 let us go.").arg(m_room), true);
            }, Qt::QueuedConnection);
            return 1;
        }
        removePerson(nick);
        return 1;
    }
    if (!m_people.contains(nick) && m_people.size() >= MaxPeople)
        return 1;
    const bool isNew = !m_people.contains(nick);
    m_people[nick].generation = m_generation;
    if (isNew)
        emit personJoined(nick);

    TableSummary table;
    bool ok = false;
    if (xmpp_stanza_t *t = strophe->stanza_get_child_by_name_and_ns(stanza, "table", TableNamespace)) {
        // A handful of short attributes, nothing more.
        const char *attrs[32];
        const int n = strophe->stanza_get_attributes(t, attrs, 32);
        TableSummary::Fields fields;
        for (int i = 0; i + 1 < n; i += 2)
            if (qstrcmp(attrs[i], "xmlns") != 0)
                fields.append({QByteArray(attrs[i]), QByteArray(attrs[i + 1])});
        ok = n < 32 && TableSummary::fromFields(fields, true, &table);
    }
    if (ok && (m_tables.contains(nick) || m_tables.size() < MaxTables)) {
        if (!m_tables.contains(nick) || m_tables.value(nick) != table) {
            m_tables.insert(nick, table);
            emit tableChanged(nick, table);
        }
    } else if (m_tables.remove(nick)) {
        emit tableGone(nick);
    }

    if (self && !m_joined) {
        m_joined = true;
        m_deadline.stop();
        m_retryMs = FirstRetryMs;
        m_problem.clear();
        if (nick != m_nick)
            m_nick = nick; // the room may have changed it itself
        // Whoever we did not hear of again since joining has gone meanwhile.
        const QStringList gone = [&] {
            QStringList g;
            for (auto it = m_people.cbegin(); it != m_people.cend(); ++it)
                if (it->generation != m_generation)
                    g << it.key();
            return g;
        }();
        for (const QString &g : gone)
            removePerson(g);
        if (m_nick != m_wantedNick)
            emit nickChanged(m_nick, true);
        setState(Online);
    }
    return 1;
}

bool LobbyClient::withinRate(std::deque<qint64> &lines)
{
    const qint64 now = clock();
    while (!lines.empty() && now - lines.front() >= ChatWindowMs)
        lines.pop_front();
    if (int(lines.size()) >= ChatLines)
        return false;
    lines.push_back(now);
    return true;
}

int LobbyClient::onMessage(xmpp_stanza_t *stanza)
{
    const char *type = strophe->stanza_get_type(stanza);
    if (!type || qstrcmp(type, "groupchat") != 0)
        return 1;
    const QString nick = occupant(strophe->stanza_get_from(stanza));
    // Only people in the room speak; the room's own notices have no nick.
    if (nick.isEmpty() || !m_people.contains(nick))
        return 1;
    char *body = strophe->message_get_body(stanza);
    if (!body)
        return 1;
    const QString text = plainLine(QString::fromUtf8(body), MaxChatLength);
    strophe->free(m_ctx, body);
    if (text.isEmpty() || !withinRate(m_people[nick].lines))
        return 1;
    emit chatReceived(nick, text);
    return 1;
}

bool LobbyClient::sendChat(const QString &text, QString *why)
{
    auto no = [why](const QString &w) {
        if (why)
            *why = w;
        return false;
    };
    const QString line = plainLine(text, MaxChatLength + 1);
    if (line.isEmpty())
        return no(QStringLiteral("There is nothing to send."));
    if (line.size() > MaxChatLength)
        return no(QStringLiteral("A line may be at most %1 characters long.").arg(MaxChatLength));
    if (m_state != Online || !m_conn)
        return no(QStringLiteral("You are not in the lobby room."));
    if (!withinRate(m_sent))
        return no(QStringLiteral("Please wait a moment: at most %1 lines in %2 seconds.")
                      .arg(ChatLines)
                      .arg(ChatWindowMs / 1000));
    xmpp_stanza_t *m = strophe->message_new(m_ctx, "groupchat", m_room.toUtf8().constData(), nullptr);
    strophe->message_set_body(m, line.toUtf8().constData());
    strophe->send(m_conn, m);
    strophe->stanza_release(m);
    pumpSoon();
    return true;
}
