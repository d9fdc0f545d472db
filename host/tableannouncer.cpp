// SPDX-License-Identifier: MIT
#include "tableannouncer.h"

#include "tserver.h"

TableAnnouncer::TableAnnouncer(TServer &server, QObject *parent) : QObject(parent), m_server(server)
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &TableAnnouncer::announce);
    m_last.takeCounts(server.game());
    m_server.tableChanged = [this] { poke(); };
}

TableAnnouncer::~TableAnnouncer() { m_server.tableChanged = nullptr; }

void TableAnnouncer::setBase(const TableSummary &base)
{
    m_base = base;
    poke();
}

void TableAnnouncer::poke()
{
    // Most host events change nothing a looker sees: a quick comparison,
    // no timer.
    TableSummary now = m_base;
    now.takeCounts(m_server.game());
    if (now == m_last || m_later.isActive())
        return;
    if (m_since.isValid() && m_since.elapsed() < m_minInterval) {
        m_later.start(int(m_minInterval - m_since.elapsed()));
        return;
    }
    announce();
}

void TableAnnouncer::announce()
{
    TableSummary now = m_base;
    now.takeCounts(m_server.game());
    if (now == m_last && m_since.isValid())
        return;
    m_last = now;
    m_since.start();
    emit changed(now);
}
