// SPDX-License-Identifier: MIT
// PortMapper: asks the router (UPnP IGD) to forward an external TCP port to
// this machine while a table is hosted, and takes the forward away again.
//
// The router calls block for seconds, so each runs on one short-lived worker
// thread at a time; results come back on the thread that owns the mapper.
#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class PortMapper : public QObject
{
    Q_OBJECT

public:
    struct Result {
        bool mapped = false;
        QString externalAddress; // as the router reports it, may be empty
        quint16 port = 0;
        QString message;         // one plain sentence for the player
    };

    explicit PortMapper(QObject *parent = nullptr);
    // Removes a mapping still held, waiting for the router at most
    // destroyWaitMs(); a worker still busy then finishes (and cleans up) alone.
    ~PortMapper() override;

    // Maps external `port` to the same port on this machine. An empty
    // igdDescriptionUrl discovers the router on the local network; tests pass
    // the URL of a stand-in instead. A mapping held from an earlier start is
    // removed first. Requests made while the worker is busy wait their turn.
    // When disabledByEnvironment(), only reports (finished, queued).
    void start(quint16 port, const QString &igdDescriptionUrl = QString());
    // Removes the mapping held or being made (on the worker, after requests
    // already waiting); removed() reports it, true also when none was held.
    void remove();
    // A request is running or waiting.
    bool busy() const;

    // VELLOC_NO_UPNP is set and neither empty nor "0".
    static bool disabledByEnvironment();
    // The longest the destructor blocks the caller.
    static constexpr int destroyWaitMs() { return 2500; }

signals:
    void finished(const PortMapper::Result &result);
    void removed(bool ok);

private:
    struct Job {
        bool map = true; // false: only remove what is held
        quint16 port = 0;
        QString url;
    };
    struct Shared; // what the worker may outlive the mapper with
    struct Outcome;

    static void work(std::shared_ptr<Shared> shared, Job job);
    void launchNext();
    void workerDone(const Outcome &outcome);

    std::shared_ptr<Shared> m_shared;
    std::deque<Job> m_queue;
    bool m_workerActive = false;
};

Q_DECLARE_METATYPE(PortMapper::Result)
