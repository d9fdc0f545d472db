// SPDX-License-Identifier: MIT
#include "dnssd.h"

#include "avahilibrary.h"

#include <avahi-common/watch.h>

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

#include <sys/time.h>

// --- Avahi's main loop on Qt's --------------------------------------------

struct AvahiWatch {
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened = AvahiWatchEvent(0);
    AvahiWatchCallback callback;
    void *userdata;
    std::unique_ptr<QSocketNotifier> in, out;
};

struct AvahiTimeout {
    QTimer timer;
    AvahiTimeoutCallback callback = nullptr;
    void *userdata = nullptr;
};

namespace dnssd {

namespace {
// Set by the first Daemon; everything else here runs only once it has a client.
const AvahiLibrary *avahi = nullptr;
} // namespace

class QtPoll {
public:
    QtPoll()
    {
        api.userdata = this;
        api.watch_new = &watchNew;
        api.watch_update = &watchUpdate;
        api.watch_get_events = [](AvahiWatch *w) { return w->happened; };
        api.watch_free = [](AvahiWatch *w) { delete w; };
        api.timeout_new = &timeoutNew;
        api.timeout_update = &timeoutUpdate;
        api.timeout_free = [](AvahiTimeout *t) { delete t; };
    }
    AvahiPoll api{};

private:
    static void fire(AvahiWatch *w, AvahiWatchEvent e)
    {
        w->happened = e;
        w->callback(w, w->fd, e, w->userdata);
    }
    static AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent event, AvahiWatchCallback cb, void *ud)
    {
        auto *w = new AvahiWatch{fd, AvahiWatchEvent(0), AvahiWatchEvent(0), cb, ud, nullptr, nullptr};
        w->in = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        w->out = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        QObject::connect(w->in.get(), &QSocketNotifier::activated, [w] { fire(w, AVAHI_WATCH_IN); });
        QObject::connect(w->out.get(), &QSocketNotifier::activated, [w] { fire(w, AVAHI_WATCH_OUT); });
        watchUpdate(w, event);
        return w;
    }
    static void watchUpdate(AvahiWatch *w, AvahiWatchEvent event)
    {
        w->wanted = event;
        w->in->setEnabled(event & AVAHI_WATCH_IN);
        w->out->setEnabled(event & AVAHI_WATCH_OUT);
    }
    static void arm(AvahiTimeout *t, const struct timeval *tv)
    {
        if (!tv) {
            t->timer.stop();
            return;
        }
        timeval now;
        gettimeofday(&now, nullptr);
        const qint64 ms = (qint64(tv->tv_sec) - now.tv_sec) * 1000 + (qint64(tv->tv_usec) - now.tv_usec) / 1000;
        t->timer.start(int(std::clamp<qint64>(ms, 0, 24 * 3600 * 1000)));
    }
    static AvahiTimeout *timeoutNew(const AvahiPoll *, const struct timeval *tv, AvahiTimeoutCallback cb, void *ud)
    {
        auto *t = new AvahiTimeout;
        t->callback = cb;
        t->userdata = ud;
        t->timer.setSingleShot(true);
        QObject::connect(&t->timer, &QTimer::timeout, [t] { t->callback(t, t->userdata); });
        arm(t, tv);
        return t;
    }
    static void timeoutUpdate(AvahiTimeout *t, const struct timeval *tv) { arm(t, tv); }
};

struct Callbacks {
    static void client(AvahiClient *c, AvahiClientState state, void *self)
    {
        static_cast<Daemon *>(self)->clientState(c, state);
    }
    static void group(AvahiEntryGroup *g, AvahiEntryGroupState state, void *self)
    {
        static_cast<Publisher *>(self)->groupState(g, state);
    }
    static void browse(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                       const char *name, const char *type, const char *domain, AvahiLookupResultFlags, void *self)
    {
        auto *b = static_cast<Browser *>(self);
        if (event == AVAHI_BROWSER_NEW)
            b->itemNew(interface, protocol, QString::fromUtf8(name), type, domain);
        else if (event == AVAHI_BROWSER_REMOVE)
            b->itemRemoved(interface, protocol, QString::fromUtf8(name));
    }
    static void resolve(AvahiServiceResolver *, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiResolverEvent event, const char *name, const char *, const char *, const char *,
                        const AvahiAddress *address, uint16_t port, AvahiStringList *txt, AvahiLookupResultFlags,
                        void *self)
    {
        if (event != AVAHI_RESOLVER_FOUND || !address)
            return;
        char text[AVAHI_ADDRESS_STR_MAX];
        avahi->address_snprint(text, sizeof text, address);
        TableSummary::Fields fields;
        // A stranger's records: only so many, each only so long.
        int n = 0;
        for (AvahiStringList *l = txt; l && n < 16; l = avahi->string_list_get_next(l), ++n) {
            const QByteArray item(reinterpret_cast<const char *>(avahi->string_list_get_text(l)),
                                  int(qMin<size_t>(avahi->string_list_get_size(l), 255)));
            const int eq = item.indexOf('=');
            if (eq > 0)
                fields.append({item.left(eq), item.mid(eq + 1)});
        }
        static_cast<Browser *>(self)->resolved(interface, protocol, QString::fromUtf8(name),
                                               QString::fromLatin1(text), port, fields);
    }
};

// --- the daemon --------------------------------------------------------------

Daemon::Daemon(QObject *parent) : QObject(parent), m_poll(std::make_unique<QtPoll>())
{
    if (!avahi && !(avahi = AvahiLibrary::get(&m_problem)))
        return;
    int error = 0;
    // NO_FAIL: without a daemon we wait for one to start.
    m_client = avahi->client_new(&m_poll->api, AVAHI_CLIENT_NO_FAIL, &Callbacks::client, this, &error);
    if (!m_client)
        m_problem = QString::fromUtf8(avahi->strerror(error));
}

Daemon::~Daemon()
{
    if (m_client)
        avahi->client_free(m_client);
}

void Daemon::clientState(AvahiClient *c, int state)
{
    // Called from inside avahi_client_new too, before m_client is set.
    m_client = c;
    const bool running = state == AVAHI_CLIENT_S_RUNNING || state == AVAHI_CLIENT_S_REGISTERING
                         || state == AVAHI_CLIENT_S_COLLISION;
    m_problem = running ? QString()
                        : QStringLiteral("the network discovery service (avahi-daemon) is not running on this "
                                         "computer");
    if (state == AVAHI_CLIENT_FAILURE) {
        // The daemon went away: wait for it to come back, with a new client.
        QTimer::singleShot(0, this, [this] {
            if (m_client && avahi->client_get_state(m_client) == AVAHI_CLIENT_FAILURE) {
                avahi->client_free(m_client);
                m_client = nullptr;
                int error = 0;
                m_client = avahi->client_new(&m_poll->api, AVAHI_CLIENT_NO_FAIL, &Callbacks::client, this, &error);
            }
        });
    }
    if (running != m_running) {
        m_running = running;
        emit runningChanged(running);
    }
}

// --- publishing ----------------------------------------------------------------

Publisher::Publisher(QObject *parent) : QObject(parent), m_daemon(std::make_unique<Daemon>())
{
    connect(m_daemon.get(), &Daemon::runningChanged, this, [this](bool running) {
        // The group went with the old connection.
        m_group = nullptr;
        m_registered = false;
        if (running && m_have)
            publish();
    });
}

Publisher::~Publisher()
{
    if (m_group)
        avahi->entry_group_free(m_group);
}

namespace {
AvahiStringList *txtOf(const TableSummary &s)
{
    AvahiStringList *l = avahi->string_list_new("txtvers=1", nullptr);
    for (const auto &[key, value] : s.toFields(false))
        l = avahi->string_list_add_pair_arbitrary(l, key.constData(), reinterpret_cast<const uint8_t *>(value.constData()),
                                                 size_t(value.size()));
    return l;
}
} // namespace

void Publisher::update(const TableSummary &summary)
{
    const bool renamed = m_have && summary.name != m_summary.name;
    m_summary = summary;
    m_have = true;
    if (!m_daemon->running())
        return;
    if (m_group && !renamed && m_registered) {
        AvahiStringList *txt = txtOf(m_summary);
        avahi->entry_group_update_service_txt_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                                    m_name.toUtf8().constData(), ServiceType, nullptr, txt);
        avahi->string_list_free(txt);
        return;
    }
    if (renamed || m_name.isEmpty())
        m_name = m_summary.name;
    publish();
}

void Publisher::publish()
{
    if (!m_daemon->client())
        return;
    if (m_name.isEmpty())
        m_name = m_summary.name;
    if (!m_group)
        m_group = avahi->entry_group_new(m_daemon->client(), &Callbacks::group, this);
    if (!m_group)
        return;
    avahi->entry_group_reset(m_group);
    m_registered = false;
    AvahiStringList *txt = txtOf(m_summary);
    int rc = avahi->entry_group_add_service_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                                  m_name.toUtf8().constData(), ServiceType, nullptr, nullptr,
                                                  m_summary.port, txt);
    avahi->string_list_free(txt);
    if (rc == AVAHI_ERR_COLLISION) {
        groupState(m_group, AVAHI_ENTRY_GROUP_COLLISION);
        return;
    }
    if (rc >= 0)
        avahi->entry_group_commit(m_group);
}

void Publisher::groupState(AvahiEntryGroup *, int state)
{
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
        m_registered = true;
        emit registered(m_name);
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        // Two tables of one name: this one takes "Name #2", as Avahi's own tools do.
        char *next = avahi->alternative_service_name(m_name.toUtf8().constData());
        m_name = QString::fromUtf8(next);
        avahi->free(next);
        QTimer::singleShot(0, this, [this] { publish(); });
    }
}

// --- browsing ------------------------------------------------------------------

Browser::Browser(QObject *parent) : QObject(parent), m_daemon(std::make_unique<Daemon>())
{
    connect(m_daemon.get(), &Daemon::runningChanged, this, [this](bool running) {
        m_browser = nullptr; // freed with the old connection
        stopAll();
        if (running)
            start();
        emit problemChanged(problem());
    });
    if (m_daemon->running())
        start();
}

Browser::~Browser()
{
    // The client frees its browser and resolvers with it.
}

void Browser::start()
{
    if (m_browser || !m_daemon->client())
        return;
    // IPv4 only: tables listen on IPv4.
    m_browser = avahi->service_browser_new(m_daemon->client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, ServiceType, nullptr,
                                          AvahiLookupFlags(0), &Callbacks::browse, this);
}

void Browser::stopAll()
{
    const QStringList keys = m_tables.keys();
    m_found.clear();
    m_tables.clear();
    for (const QString &k : keys)
        emit tableGone(k);
}

namespace {
QString where(int interface, int protocol) { return QStringLiteral("%1/%2").arg(interface).arg(protocol); }
} // namespace

void Browser::itemNew(int interface, int protocol, const QString &name, const char *type, const char *domain)
{
    auto &seen = m_found[name];
    const QString at = where(interface, protocol);
    if (seen.contains(at))
        return;
    // A flood of names does not grow the list, or our memory, without end.
    if (seen.isEmpty() && m_found.size() > MaxTables) {
        m_found.remove(name);
        return;
    }
    // The resolver stays: it reports every change of the TXT records.
    AvahiServiceResolver *r = avahi->service_resolver_new(
        m_daemon->client(), interface, protocol, name.toUtf8().constData(), type, domain, AVAHI_PROTO_INET,
        AvahiLookupFlags(0), &Callbacks::resolve, this);
    seen.insert(at, Found{r});
}

void Browser::itemRemoved(int interface, int protocol, const QString &name)
{
    auto it = m_found.find(name);
    if (it == m_found.end())
        return;
    const Found f = it->take(where(interface, protocol));
    if (f.resolver)
        avahi->service_resolver_free(f.resolver);
    if (!it->isEmpty())
        return;
    m_found.erase(it);
    if (m_tables.remove(name))
        emit tableGone(name);
}

void Browser::resolved(int interface, int protocol, const QString &name, const QString &address, quint16 port,
                       const TableSummary::Fields &txt)
{
    if (!m_found.value(name).contains(where(interface, protocol)))
        return;
    TableSummary s;
    TableSummary::Fields fields = txt;
    fields.removeIf([](const auto &f) { return f.first == "txtvers" || f.first == "host" || f.first == "port"; });
    fields.append({"host", address.toUtf8()});
    fields.append({"port", QByteArray::number(port)});
    if (!TableSummary::fromFields(fields, true, &s)) {
        // Malformed: not shown, and an earlier good form goes too.
        if (m_tables.remove(name))
            emit tableGone(name);
        return;
    }
    if (m_tables.value(name) == s && m_tables.contains(name))
        return;
    m_tables.insert(name, s);
    emit tableChanged(name, s);
}

} // namespace dnssd
