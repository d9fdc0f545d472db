// velloc-host: the game host alone, for dedicated servers and tests.
// Listens until SIGINT or SIGTERM, then closes every connection cleanly.
#include "failure.h"
#include "tserver.h"

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

int usage()
{
    std::fprintf(stderr, "usage: velloc-host [--port N]\n");
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString port = QStringLiteral("7772");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--port") && i + 1 < args.size())
            port = args[++i];
        else if (args[i].startsWith(QLatin1String("--port=")))
            port = args[i].mid(7);
        else
            return usage();
    }
    bool ok = false;
    const int p = port.toInt(&ok);
    if (!ok || p < 0 || p > 65535)
        return usage();

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
    server.Sock1->setPortName(QString::number(p));
    try {
        server.Sock1->setListen(true);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "velloc-host: %s (port %d)\n", e.what(), p);
        return 1;
    }
    std::printf("velloc-host: listening on port %u\n", server.Sock1->localPort());
    std::fflush(stdout);

    const int rc = app.exec();
    server.shutdown();
    std::printf("velloc-host: stopped\n");
    return rc;
}
