// SPDX-License-Identifier: MIT
// HostedTable: while this copy hosts a table from Play with Others, makes it
// findable: announced on the local network always, and listed in the online
// lobby when the player ticked the box. The lobby shows the router's
// external address when the port mapping worked, and a local address only
// when the player allowed it; otherwise the table is not listed and the
// chat says why.
#pragma once

#include "forms.h"

#include <QObject>

#include <memory>

class TableListing;

class HostedTable : public QObject {
    Q_OBJECT
public:
    // listInLobby and listLocal as the player's boxes say; waitForRouter
    // when a port mapping was asked for and its answer is still to come.
    HostedTable(Forms &forms, quint16 port, bool waitForRouter);
    ~HostedTable() override;

    // The router's answer (PortMapper's result).
    void routerResult(bool mapped, const QString &externalAddress, quint16 externalPort);
    TableListing *listing() const { return m_listing.get(); }
    // An IPv4 address players on the internet can reach (not a private,
    // shared, link-local or loopback one).
    static bool publicAddress(const QString &address);

private:
    void list(const QString &host, quint16 port, bool internet);
    void notice(const QString &text);

    Forms &m_forms;
    quint16 m_port;
    bool m_inLobby;
    bool m_local;
    std::unique_ptr<TableListing> m_listing;
};
