// SPDX-License-Identifier: MIT
// velloc-host: the game host alone, a table of its own for dedicated servers
// and tests. Listens until SIGINT or SIGTERM, then closes every connection
// cleanly. Tells its operator what happens, one line per event on stderr.
#include "failure.h"
#include "hostlisting.h"
#include "tserver.h"
#include "version.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

const char *const HelpText =
    "Usage: velloc-host [--port N] [--quiet] [--name NAME] [--no-announce]\n"
    "                   [--lobby SERVER[:PORT] [--room ROOM] --public-address HOST[:PORT]]\n"
    "\n"
    "Runs a Velloc table without a window: players join it from their table\n"
    "windows (Play with Others, or velloc NAME HOST[:PORT] x). The first player\n"
    "to log in is the table's host player: he starts games, removes players and\n"
    "sets the computer players' speed. When he leaves, the player in the lowest\n"
    "slot takes over. Empty seats 1 and 2 are played by the computer.\n"
    "\n"
    "Options:\n"
    "  --port N    listen on TCP port N (default 7772; 0 picks a free port)\n"
    "  --quiet     do not log connections, logins and games to standard error\n"
    "  --help      show this text and end\n"
    "  --version   show the version and end\n"
    "  --name NAME the table's name in lists (default: this computer's name)\n"
    "  --no-announce\n"
    "              do not announce the table on the local network (DNS-SD)\n"
    "  --lobby SERVER[:PORT]\n"
    "              list the table in the online lobby on this XMPP server\n"
    "              (port 5222 unless given)\n"
    "  --room ROOM the lobby's room (default velloc, at rooms.SERVER)\n"
    "  --public-address HOST[:PORT]\n"
    "              where players on the internet reach this table; needed\n"
    "              with --lobby (its port defaults to the listening port)\n"
    "\n"
    "It prints \"velloc-host: listening on port N\" on standard output once it\n"
    "listens, and stops on SIGINT or SIGTERM, telling the players first.\n";

int usage(const QString &why)
{
    std::fprintf(stderr, "velloc-host: %s\nTry 'velloc-host --help'.\n", qPrintable(why));
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString port = QStringLiteral("7772");
    bool quiet = false;
    HostListingOptions listingOptions;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::fputs(HelpText, stdout);
            return 0;
        }
        if (args[i] == QLatin1String("--version")) {
            std::printf("velloc-host %s\n", VELLOC_VERSION);
            return 0;
        }
        if (args[i] == QLatin1String("--port") && i + 1 < args.size())
            port = args[++i];
        else if (args[i].startsWith(QLatin1String("--port=")))
            port = args[i].mid(7);
        else if (args[i] == QLatin1String("--quiet") || args[i] == QLatin1String("-q"))
            quiet = true;
        else if (QString why; listingOptions.take(args, i, &why)) {
            if (!why.isEmpty())
                return usage(why);
        }
        else
            return usage(QStringLiteral("unknown option \"%1\"").arg(args[i]));
    }
    bool ok = false;
    const int p = port.toInt(&ok);
    if (!ok || p < 0 || p > 65535)
        return usage(QStringLiteral("the port must be a number from 0 to 65535"));
    if (QString why; !listingOptions.check(&why))
        return usage(why);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return 1;
    QSocketNotifier quitter(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitter, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
        app.quit();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    TServer server;
    server.game().setDedicated(true);
    if (!quiet)
        server.eventLog = [](const QByteArray &line) {
            std::fprintf(stderr, "velloc-host: %s\n", line.constData());
            std::fflush(stderr);
        };
    server.Sock1->setPortName(QString::number(p));
    try {
        server.Sock1->setListen(true);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "velloc-host: %s (port %d)\n", e.what(), p);
        return 1;
    }
    std::printf("velloc-host: listening on port %u\n", server.Sock1->localPort());
    std::fflush(stdout);
    const auto findable = startHostListing(server, server.Sock1->localPort(), listingOptions, server.eventLog);

    const int rc = app.exec();
    if (server.eventLog)
        server.eventLog("stopping: closing every connection");
    server.shutdown();
    std::printf("velloc-host: stopped\n");
    return rc;
}
