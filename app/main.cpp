// Velloc: a Chicken Foot dominoes table for two to six players.
#include "failure.h"
#include "program.h"
#include "singleinstance.h"
#include "tchat.h"
#include "velloc_resources.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloc"));
    std::signal(SIGPIPE, SIG_IGN);
    initVellocResources();

    SingleInstance guard;
    if (!guard.claim())
        return 0;

    setFailureReporter([](const QString &text) {
        QMessageBox::critical(nullptr, QStringLiteral("Velloc"), text);
    });

    Program program(app.arguments().mid(1));
    Tchat *chat = program.forms.chat;
    guard.onRaise = [chat] {
        if (chat->isMinimized())
            chat->showNormal();
        chat->raise();
        chat->activateWindow();
    };
    // Closing the table window ends the program, whatever else is open.
    QObject::connect(chat, &Tchat::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    chat->show();
    return app.exec();
}
