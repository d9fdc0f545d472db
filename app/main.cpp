// Velloc: a Chicken Foot dominoes table for two to six players.
#include "failure.h"
#include "singleinstance.h"
#include "tableshell.h"
#include "velloc_resources.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>
#include <vector>

int main(int argc, char **argv)
{
    // The player's name, address and flag are the first three arguments,
    // verbatim: Qt must not take "-reverse" or "-platform" among them for
    // its own options, so it sees only what follows them.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    std::vector<char *> qtArgv{argv[0]};
    for (int i = 4; i < argc; ++i)
        qtArgv.push_back(argv[i]);
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArgv.size()) - 1;
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("Velloc"));
    // The table window alone decides when the program ends (see TableShell).
    QApplication::setQuitOnLastWindowClosed(false);
    std::signal(SIGPIPE, SIG_IGN);
    initVellocResources();

    SingleInstance guard;
    if (!guard.claim())
        return 0;

    setFailureReporter([](const QString &text) {
        QMessageBox::critical(nullptr, QStringLiteral("Velloc"), text);
    });

    TableShell shell(&guard);
    shell.open(args);
    return app.exec();
}
