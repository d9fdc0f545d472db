// SPDX-License-Identifier: MIT
#include "tablelisting.h"

#include "dnssd.h"

TableListing::TableListing(TServer &server, QObject *parent) : QObject(parent), m_announcer(server)
{
    connect(&m_announcer, &TableAnnouncer::changed, this, &TableListing::changed);
}

TableListing::~TableListing()
{
    if (m_lobby)
        m_lobby(std::nullopt);
}

void TableListing::setBase(const TableSummary &base)
{
    m_base = base;
    m_announcer.setBase(base);
}

void TableListing::announceOnNetwork(bool on, quint16 networkPort)
{
    m_networkPort = networkPort;
    if (on == bool(m_publisher))
        return;
    m_publisher.reset(on ? new dnssd::Publisher : nullptr);
    publish(m_announcer.current());
}

void TableListing::publish(TableSummary summary)
{
    if (m_networkPort)
        summary.port = m_networkPort;
    // The local network needs no word on the internet.
    summary.internet = false;
    if (m_publisher && summary.valid(false))
        m_publisher->update(summary);
}

void TableListing::setLobby(std::function<void(const std::optional<TableSummary> &)> lobby)
{
    if (m_lobby && !lobby)
        m_lobby(std::nullopt);
    m_lobby = std::move(lobby);
    changed(m_announcer.current());
}

void TableListing::changed(const TableSummary &summary)
{
    publish(summary);
    if (m_lobby)
        m_lobby(summary.valid(true) ? std::optional<TableSummary>(summary) : std::nullopt);
}
