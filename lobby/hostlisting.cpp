// SPDX-License-Identifier: MIT
#include "hostlisting.h"

#include "dnssd.h"
#include "hostaddress.h"

#include <unistd.h>

namespace {
QString localHostName()
{
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? QString::fromLocal8Bit(name) : QString();
}
} // namespace

bool HostListingOptions::take(const QStringList &args, int &i, QString *error)
{
    const QString a = args[i];
    auto value = [&](const char *option, QString &into) {
        const QString name = QString::fromLatin1(option);
        if (a == name) {
            if (i + 1 >= args.size())
                *error = QStringLiteral("%1 needs a value").arg(name);
            else
                into = args[++i];
            return true;
        }
        if (a.startsWith(name + QLatin1Char('='))) {
            into = a.mid(name.size() + 1);
            return true;
        }
        return false;
    };
    if (a == QLatin1String("--no-announce")) {
        announce = false;
        return true;
    }
    return value("--name", name) || value("--lobby", lobby) || value("--room", room)
           || value("--public-address", publicAddress);
}

bool HostListingOptions::check(QString *error) const
{
    if (!name.isEmpty() && TableSummary::plainName(name) != name.trimmed()) {
        *error = QStringLiteral("the name must be one line of at most %1 characters").arg(TableSummary::MaxNameLength);
        return false;
    }
    if (lobby.isEmpty())
        return true;
    QString host, why;
    quint16 port = 0;
    if (!LobbyClient::parseServer(lobby, &host, &port, &why)) {
        *error = QStringLiteral("--lobby: %1").arg(why);
        return false;
    }
    HostAddress address;
    if (publicAddress.isEmpty()) {
        *error = QStringLiteral("--lobby needs --public-address HOST[:PORT]");
        return false;
    }
    if (!hostaddress::parse(publicAddress, 0, &address, &why)) {
        *error = QStringLiteral("--public-address: %1").arg(why);
        return false;
    }
    return true;
}

std::unique_ptr<HostListing> startHostListing(TServer &server, quint16 port, const HostListingOptions &options,
                                              std::function<void(const QByteArray &)> log)
{
    auto out = std::make_unique<HostListing>();
    out->listing = std::make_unique<TableListing>(server);
    TableSummary base;
    base.name = TableSummary::plainName(options.name.isEmpty() ? localHostName() : options.name);
    if (base.name.isEmpty())
        base.name = QStringLiteral("velloc-host");
    base.port = port;
    if (!options.lobby.isEmpty()) {
        HostAddress address;
        hostaddress::parse(options.publicAddress, port, &address);
        base.host = address.host;
        base.port = address.port;
        base.internet = true;
    }
    out->listing->setBase(base);
    if (options.announce) {
        // DNS-SD carries the port we listen on, whatever the public one is.
        out->listing->announceOnNetwork(true, port);
        if (log && !out->listing->publisher()->problem().isEmpty())
            log(out->listing->publisher()->problem().toUtf8());
    }
    if (!options.lobby.isEmpty()) {
        out->lobby = std::make_unique<LobbyClient>();
        LobbyClient *client = out->lobby.get();
        out->listing->setLobby([client](const std::optional<TableSummary> &t) { client->setTable(t); });
        if (log)
            QObject::connect(client, &LobbyClient::stateChanged, client, [client, log](LobbyClient::State s) {
                if (s == LobbyClient::Online)
                    log("listed in the lobby as " + client->nick().toUtf8());
                else if (!client->problem().isEmpty() && s != LobbyClient::Connecting)
                    log(client->problem().toUtf8());
            });
        client->start(options.lobby, base.name, options.room);
    }
    return out;
}
