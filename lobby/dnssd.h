// SPDX-License-Identifier: MIT
// Tables on the local network through DNS-SD over multicast DNS: the Avahi
// daemon of the desktop announces our tables as _velloc._tcp services, with
// the summary in TXT records, and tells browsers of every table that comes,
// changes or goes. Avahi's client library runs on the Qt event loop here
// (its sockets through QSocketNotifier, its timeouts as single-shot timers).
// Without a running daemon both sides wait for one and say so plainly.
#pragma once

#include "tablesummary.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

struct AvahiClient;
struct AvahiEntryGroup;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

namespace dnssd {

constexpr const char *ServiceType = "_velloc._tcp";
// A network holds no more tables than this in the list.
constexpr int MaxTables = 500;

class QtPoll;

// One connection to the Avahi daemon; publisher and browser each own one.
class Daemon : public QObject {
    Q_OBJECT
public:
    explicit Daemon(QObject *parent = nullptr);
    ~Daemon() override;
    AvahiClient *client() const { return m_client; }
    bool running() const { return m_running; }
    // Why the daemon cannot be used, in words for the player; empty when running.
    QString problem() const { return m_problem; }
    // problem() as a sentence after what cannot be done; empty when running.
    QString sentence(const QString &what) const
    {
        return m_problem.isEmpty() ? QString() : QStringLiteral("%1: %2.").arg(what, m_problem);
    }

signals:
    // Running or not; on false every group, browser and resolver is gone.
    void runningChanged(bool running);

private:
    friend struct Callbacks;
    void clientState(AvahiClient *c, int state);
    std::unique_ptr<QtPoll> m_poll;
    AvahiClient *m_client = nullptr;
    bool m_running = false;
    QString m_problem;
};

// Announces one table while it exists; update() carries every change.
class Publisher : public QObject {
    Q_OBJECT
public:
    explicit Publisher(QObject *parent = nullptr);
    ~Publisher() override;
    void update(const TableSummary &summary);
    // The service name in use (Avahi renames on a clash), empty until registered.
    QString serviceName() const { return m_registered ? m_name : QString(); }
    QString problem() const { return m_daemon->sentence(QStringLiteral("The table is not announced on this network")); }

signals:
    void registered(const QString &name);

private:
    void publish();
    friend struct Callbacks;
    void groupState(AvahiEntryGroup *g, int state);
    std::unique_ptr<Daemon> m_daemon;
    AvahiEntryGroup *m_group = nullptr;
    TableSummary m_summary;
    QString m_name;
    bool m_registered = false;
    bool m_have = false;
};

// Lists the tables announced on the network, by service name.
class Browser : public QObject {
    Q_OBJECT
public:
    explicit Browser(QObject *parent = nullptr);
    ~Browser() override;
    const QMap<QString, TableSummary> &tables() const { return m_tables; }
    QString problem() const { return m_daemon->sentence(QStringLiteral("Tables on this network cannot be found")); }

signals:
    // A table came or changed (key: its service name).
    void tableChanged(const QString &key, const TableSummary &summary);
    void tableGone(const QString &key);
    void problemChanged(const QString &problem);

private:
    struct Found {
        AvahiServiceResolver *resolver = nullptr;
    };
    void start();
    void stopAll();
    void itemNew(int interface, int protocol, const QString &name, const char *type, const char *domain);
    void itemRemoved(int interface, int protocol, const QString &name);
    void resolved(int interface, int protocol, const QString &name, const QString &address, quint16 port,
                  const TableSummary::Fields &txt);
    friend struct Callbacks;

    std::unique_ptr<Daemon> m_daemon;
    AvahiServiceBrowser *m_browser = nullptr;
    // Each name may be seen on several interfaces: shown while any remains.
    QMap<QString, QMap<QString, Found>> m_found; // name -> "interface/protocol" -> resolver
    QMap<QString, TableSummary> m_tables;
};

} // namespace dnssd
