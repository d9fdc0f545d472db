// SPDX-License-Identifier: MIT
// Velloc: a Chicken Foot dominoes table for two to six players.
#include "deferredstyle.h"
#include "failure.h"
#include "singleinstance.h"
#include "tableshell.h"
#include "velloc_resources.h"
#include "version.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <malloc.h>

namespace {
const char *const Usage =
    "Usage: velloc                          a solo game against computer players\n"
    "       velloc NAME ADDRESS true [--port N]   host a table as NAME\n"
    "       velloc NAME HOST[:PORT] x        join the table at HOST as NAME\n"
    "       velloc --help | --version\n"
    "\n"
    "Without arguments the table opens for a solo game; File > Play with Others\n"
    "hosts or joins a table from the window.\n";
} // namespace

namespace {

// Every window, dialogs included, carries the program's icon. Decoding it
// (three sizes) is left until the table has been painted once: the icon is
// no use before the window is on the screen, and the table comes up sooner.
class IconAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] { QApplication::setWindowIcon(programIcon()); });
            deleteLater();
        }
        return false;
    }
};

void setIconAfterFirstPaint() { qApp->installEventFilter(new IconAfterFirstPaint(qApp)); }

// Fontconfig reads its configuration and font caches from disk the first
// time the program measures a text, about 10 ms spent waiting on files
// before the table can be drawn. Started on a thread of its own at once, it
// is done by the time the window needs its first font. Fontconfig guards
// its own set-up, and Qt (which brings the library) calls the same function.
void readFontConfigurationEarly()
{
    using Init = int (*)();
    if (const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
        std::thread(init).detach();
}

} // namespace

int main(int argc, char **argv)
{
    // An option alone, before any window: a name is never the only argument.
    if (argc == 2 && argv[1][0] == '-') {
        const std::string option = argv[1];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("velloc %s\n", VELLOC_VERSION);
            return 0;
        }
        std::fprintf(stderr, "velloc: unknown option \"%s\"\n%s", argv[1], Usage);
        return 2;
    }

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
#ifdef __GLIBC__
    // One heap for all threads: the worker threads are few and short, and
    // an arena of their own would keep pages the table could reuse.
    mallopt(M_ARENA_MAX, 1);
#endif
    readFontConfigurationEarly();
    QApplication app(qtArgc, qtArgv.data());
    // The platform's own style, its standard icons read only when drawn.
    QApplication::setStyle(new DeferredIconStyle);
    QApplication::setApplicationName(QStringLiteral("Velloc"));
    // Identity for desktops: the id matches the installed desktop entry,
    // icons and metainfo, so docks and Wayland compositors find them. The
    // player's files are in generic folders; these names do not move them.
    QApplication::setOrganizationName(QStringLiteral("Velloc"));
    QApplication::setOrganizationDomain(QStringLiteral("velloc.github.io"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velloc.Velloc"));
    // The table window alone decides when the program ends (see TableShell).
    QApplication::setQuitOnLastWindowClosed(false);
    std::signal(SIGPIPE, SIG_IGN);
    initVellocResources();
    setIconAfterFirstPaint();

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
