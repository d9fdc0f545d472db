// SPDX-License-Identifier: MIT
// The online lobby with a crowd: a Prosody of its own, 300 scripted tables
// in the room (a second process of this program), and the lobby window of a
// player who enters. Prints the time from entering until the list holds
// every table, the window's processor time per second while the tables
// change ten times a second, and the memory the window and its list take.
#include "forms.h"
#include "lobbyhub.h"
#include "lobbyservers.h"
#include "tablelistview.h"
#include "tlobby.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int Tables = 300;
constexpr int UpdatesPerSecond = 10;
constexpr int MeasureMs = 10000;

qint64 cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (qint64(u.ru_utime.tv_sec) + u.ru_stime.tv_sec) * 1000 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

TableSummary tableNo(int i, int seated)
{
    TableSummary t;
    t.name = QStringLiteral("Table %1").arg(i, 3, 10, QLatin1Char('0'));
    t.host = QStringLiteral("198.51.100.%1").arg(1 + i % 250);
    t.port = quint16(7772 + i);
    t.seated = seated;
    t.internet = true;
    return t;
}

// The scripted tables: all in the room, then one change every 100 ms.
int runTables(const QString &server)
{
    std::vector<std::unique_ptr<LobbyClient>> tables;
    for (int i = 0; i < Tables; ++i) {
        tables.push_back(std::make_unique<LobbyClient>());
        tables.back()->setTable(tableNo(i, 1));
        tables.back()->start(server, tableNo(i, 1).name);
    }
    QElapsedTimer t;
    t.start();
    auto online = [&] {
        return std::all_of(tables.begin(), tables.end(), [](const auto &c) { return c->state() == LobbyClient::Online; });
    };
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (online() || t.elapsed() > 120000)
                loop.quit();
        });
        check.start(100);
        loop.exec();
    }
    if (!online()) {
        const auto late = std::count_if(tables.begin(), tables.end(),
                                        [](const auto &c) { return c->state() != LobbyClient::Online; });
        std::fprintf(stderr, "bench_lobby: %d tables not in the room: %s\n", int(late),
                     qPrintable(std::find_if(tables.begin(), tables.end(), [](const auto &c) {
                                    return c->state() != LobbyClient::Online;
                                })->get()->problem()));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer change;
    int n = 0;
    QObject::connect(&change, &QTimer::timeout, [&] {
        const int i = QRandomGenerator::global()->bounded(Tables);
        tables[i]->setTable(tableNo(i, 1 + (++n % 6)));
    });
    change.start(1000 / UpdatesPerSecond);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--tables") == 0) {
        QCoreApplication app(argc, argv);
        return runTables(QString::fromLocal8Bit(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    TestProsody server;
    if (!server.start(false)) {
        std::printf("bench_lobby: prosody cannot run here, nothing measured\n");
        return 0;
    }
    QProcess tables;
    tables.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tables.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--tables"), server.server()});
    tables.waitForStarted(10000);
    QByteArray out;
    QElapsedTimer wait;
    wait.start();
    while (!out.contains("ready") && wait.elapsed() < 180000 && tables.state() == QProcess::Running) {
        tables.waitForReadyRead(1000);
        out += tables.readAllStandardOutput();
    }
    if (!out.contains("ready")) {
        std::printf("bench_lobby: the scripted tables did not all enter the room\n%s\n", qPrintable(server.log().right(2000)));
        tables.kill();
        tables.waitForFinished(5000);
        return 1;
    }

    // Qt's own first-window costs (fonts, style) are not the lobby's.
    QWidget warm;
    warm.show();
    QCoreApplication::processEvents();
    const long rssBefore = rssKb();
    Forms forms;
    LobbyHub hub;
    Tlobby window(forms, hub);
    window.show();
    window.combo_server->setEditText(server.server());
    window.edit_name->setText(QStringLiteral("Bench"));
    QElapsedTimer entering;
    entering.start();
    window.button_connectClick();
    {
        // A real wait on the event loop: a busy loop here would be measured too.
        QEventLoop loop;
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        QObject::connect(&hub.client(), &LobbyClient::tableChanged, &loop, [&] {
            if (window.list_tables->count() >= Tables)
                loop.quit();
        });
        loop.exec();
    }
    const qint64 completeMs = entering.elapsed();
    const int listed = window.list_tables->count();

    int updates = 0;
    QObject::connect(&hub.client(), &LobbyClient::tableChanged, [&] { ++updates; });
    const qint64 cpuBefore = cpuMs();
    QElapsedTimer measuring;
    measuring.start();
    {
        QEventLoop loop;
        QTimer::singleShot(MeasureMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double seconds = measuring.elapsed() / 1000.0;
    const qint64 cpu = cpuMs() - cpuBefore;
    const long rssAfter = rssKb();

    std::printf("lobby with %d scripted tables (Prosody on loopback)\n", Tables);
    std::printf("  entering until the list is complete: %lld ms (%d tables listed)\n", qlonglong(completeMs), listed);
    std::printf("  window while tables change %d times a second: %.1f ms processor time per second "
                "(%d changes seen in %.1f s)\n",
                UpdatesPerSecond, cpu / seconds, updates, seconds);
    std::printf("  memory of the lobby window with its list and the lobby connection: %ld kB resident\n",
                rssAfter - rssBefore);
    tables.kill();
    tables.waitForFinished(5000);
    return 0;
}
