// Velloc: a Chicken Foot dominoes table for two to six players.
#include "failure.h"
#include "singleinstance.h"
#include "tableshell.h"
#include "velloc_resources.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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
    shell.open(app.arguments().mid(1));
    return app.exec();
}
