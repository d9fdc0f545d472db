// SPDX-License-Identifier: MIT
// TableListing: makes a hosted table findable while it exists: announced on
// the local network through DNS-SD, and listed in the online lobby when the
// owner gives it a way there. Both follow the table's announcer, so they
// change at most once every two seconds.
#pragma once

#include "tableannouncer.h"

#include <functional>
#include <memory>
#include <optional>

namespace dnssd {
class Publisher;
}

class TableListing : public QObject {
    Q_OBJECT
public:
    explicit TableListing(TServer &server, QObject *parent = nullptr);
    // Takes the table off the lobby's list; the network announcement goes
    // with the publisher.
    ~TableListing() override;

    // Name, port, and the address and reachability the lobby shows.
    void setBase(const TableSummary &base);
    TableSummary base() const { return m_base; }
    // The port announced on the network, when the lobby shows another
    // (a router's or a proxy's); 0: the base's.
    void announceOnNetwork(bool on, quint16 networkPort = 0);
    // Receives the table for the lobby (nullopt: take it off), whenever it
    // changes; unset, the table is not listed. Listed only with an address.
    void setLobby(std::function<void(const std::optional<TableSummary> &)> lobby);
    TableAnnouncer &announcer() { return m_announcer; }
    dnssd::Publisher *publisher() const { return m_publisher.get(); }

private:
    void changed(const TableSummary &summary);
    void publish(TableSummary summary);
    TableAnnouncer m_announcer;
    TableSummary m_base;
    std::unique_ptr<dnssd::Publisher> m_publisher;
    quint16 m_networkPort = 0;
    std::function<void(const std::optional<TableSummary> &)> m_lobby;
};
