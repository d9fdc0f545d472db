// SPDX-License-Identifier: MIT
#include "hostedtable.h"

#include "ipaddress.h"

#include "lobbyhub.h"
#include "look.h"
#include "networktables.h"
#include "paths.h"
#include "settingsfile.h"
#include "tablelisting.h"
#include "tchat.h"
#include "tplayothers.h"
#include "tserver.h"


#include <QPointer>

HostedTable::HostedTable(Forms &forms, quint16 port, bool waitForRouter)
    : m_forms(forms), m_port(port), m_inLobby(NetworkTables::listInLobby()),
      m_local(NetworkTables::listLocalAddresses())
{
    m_listing = std::make_unique<TableListing>(*forms.server);
    TableSummary base;
    base.name = TableSummary::plainName(forms.chat->playerName());
    base.port = port;
    m_listing->setBase(base);
    m_listing->announceOnNetwork(true);
    if (!m_inLobby)
        return;
    if (!waitForRouter)
        routerResult(false, QString(), 0);
}

HostedTable::~HostedTable()
{
    // Off the lobby's list before the table goes.
    m_listing.reset();
}

void HostedTable::notice(const QString &text)
{
    if (m_forms.chat)
        m_forms.chat->addlinetochat(text, look::NoticeBlue);
}

bool HostedTable::publicAddress(const QString &address)
{
    const std::optional<quint32> a = ipaddress::parseIPv4(address);
    if (!a)
        return false;
    for (const auto &[net, bits] : {std::pair{"10.0.0.0", 8}, {"172.16.0.0", 12}, {"192.168.0.0", 16},
                                   {"100.64.0.0", 10}, {"169.254.0.0", 16}, {"127.0.0.0", 8}, {"0.0.0.0", 8}})
        if (ipaddress::inSubnet(*a, *ipaddress::parseIPv4(QString::fromLatin1(net)), bits))
            return false;
    return true;
}

void HostedTable::routerResult(bool mapped, const QString &externalAddress, quint16 externalPort)
{
    if (!m_inLobby)
        return;
    // A router behind another router (or a carrier's NAT) reports an address
    // of that inner network: no use to players on the internet.
    if (mapped && publicAddress(externalAddress)) {
        list(externalAddress, externalPort ? externalPort : m_port, true);
        return;
    }
    if (m_local) {
        const QStringList addresses = Tplayothers::networkAddresses();
        list(addresses.value(0, QStringLiteral("127.0.0.1")), m_port, false);
        return;
    }
    notice(QStringLiteral("Your table is not listed in the online lobby: the router did not give an address "
                          "players on the internet can reach, and your local addresses are not to be listed "
                          "(Play with Others)."));
}

void HostedTable::list(const QString &host, quint16 port, bool internet)
{
    SettingsFile ini(settingsFilePath());
    ini.load();
    const QString server = ini.readString(QStringLiteral("Chickenfoot"), QStringLiteral("Lobbyserver"), QString());
    LobbyHub &hub = LobbyHub::instance();
    QString error;
    if (server.isEmpty() || !hub.open(server, m_forms.chat->playerName(), &error)) {
        notice(server.isEmpty() ? QStringLiteral("Your table is not listed in the online lobby: choose a lobby "
                                                 "server first (File, Online Lobby...).")
                                : QStringLiteral("Your table is not listed in the online lobby: %1").arg(error));
        return;
    }
    TableSummary base = m_listing->base();
    base.host = host;
    base.port = port;
    base.internet = internet;
    m_listing->announceOnNetwork(true, m_port);
    m_listing->setBase(base);
    m_listing->setLobby([hub = QPointer<LobbyHub>(&hub)](const std::optional<TableSummary> &t) {
        if (hub)
            hub->setListedTable(t);
    });
    notice(QStringLiteral("Your table is listed in the online lobby %1 at %2.").arg(server, base.addressText()));
}
