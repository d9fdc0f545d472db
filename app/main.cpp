// Velloc: a Chicken Foot dominoes table for two to six players.
#include "failure.h"
#include "program.h"
#include "singleinstance.h"
#include "tchat.h"
#include "velloc_resources.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <memory>

namespace {

// Runs one table after another in this one process: switching tables from
// Play with Others closes the current one and opens the next with the
// command line the lobby would have used, without a second copy.
class Shell {
public:
    explicit Shell(SingleInstance &guard) : m_guard(guard) {}

    void open(const QStringList &args, bool mapRouterPort, const QRect &place = QRect())
    {
        m_program = std::make_unique<Program>(args, QStringLiteral("7772"), mapRouterPort);
        Tchat *chat = m_program->forms.chat;
        m_guard.onRaise = [chat] {
            if (chat->isMinimized())
                chat->showNormal();
            chat->raise();
            chat->activateWindow();
        };
        chat->relaunch = [this, chat](const QStringList &next, bool map) {
            m_next = {next, map, true};
            chat->close();
        };
        // Closing the table window ends the program, whatever else is open,
        // unless another table was asked for.
        QObject::connect(chat, &Tchat::closed, chat, [this] {
            QTimer::singleShot(0, qApp, [this] { closed(); });
        });
        if (place.isValid())
            chat->setGeometry(place);
        chat->show();
    }

private:
    void closed()
    {
        if (!m_next.pending) {
            QApplication::quit();
            return;
        }
        const Next next = m_next;
        m_next = {};
        const QRect place = m_program->forms.chat->geometry();
        m_program.reset(); // the old host lets go of its port first
        open(next.args, next.map, place);
    }

    struct Next {
        QStringList args;
        bool map = false;
        bool pending = false;
    };
    SingleInstance &m_guard;
    std::unique_ptr<Program> m_program;
    Next m_next;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloc"));
    // The table window alone decides when the program ends (see Shell).
    QApplication::setQuitOnLastWindowClosed(false);
    std::signal(SIGPIPE, SIG_IGN);
    initVellocResources();

    SingleInstance guard;
    if (!guard.claim())
        return 0;

    setFailureReporter([](const QString &text) {
        QMessageBox::critical(nullptr, QStringLiteral("Velloc"), text);
    });

    Shell shell(guard);
    shell.open(app.arguments().mid(1), false);
    return app.exec();
}
