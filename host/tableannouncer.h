// SPDX-License-Identifier: MIT
// TableAnnouncer: turns the game host's many small changes into announcements
// of the table's summary, at most one every two seconds, and none when
// nothing a looker sees has changed. The network announcement and the lobby
// listing both follow it.
#pragma once

#include "tablesummary.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class TServer;

class TableAnnouncer : public QObject {
    Q_OBJECT
public:
    static constexpr int MinIntervalMs = 2000;

    // Follows server's seats and game; name, address and reachability come
    // from setBase. The server must outlive the announcer.
    explicit TableAnnouncer(TServer &server, QObject *parent = nullptr);
    ~TableAnnouncer() override;

    // Name, host, port and internet of the summary; counts come from the host.
    void setBase(const TableSummary &base);
    // The summary as last announced (or as it is, before the first).
    TableSummary current() const { return m_last; }
    // Tests shorten the spacing.
    void setMinInterval(int ms) { m_minInterval = ms; }
    // The host reports that something may have changed.
    void poke();

signals:
    void changed(const TableSummary &summary);

private:
    void announce();

    TServer &m_server;
    TableSummary m_base;
    TableSummary m_last;
    QElapsedTimer m_since; // since the last announcement
    QTimer m_later;        // a change held back by the spacing
    int m_minInterval = MinIntervalMs;
};
