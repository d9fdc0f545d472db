// SPDX-License-Identifier: MIT
// Finding a table with the mouse, under Xvfb. The online lobby: Ann enters
// a Prosody of the test's own, hosts and lists her table; Bob enters, they
// chat, Bob joins Ann's table by double-clicking it and they play a round;
// a velloc-host --lobby table comes and goes; the server is killed and
// restarted and both lobbies come back by themselves. The network list:
// two velloc-host tables found through an Avahi daemon of the test's own,
// one joined by double-click, both gone when they stop. A watcher in the
// room (and a browser on the network) checks what the windows show.
// Screenshots go to e2e-shots/lobby-*.png in the build folder.
#include "desk.h"
#include "dnssd.h"
#include "lobbyclient.h"
#include "lobbyservers.h"
#include "networktables.h"
#include "tlobby.h"
#include "tplayothers.h"
#include "velloc_resources.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

// Waits while the test's own lobby client and browser keep running.
bool waitFor(const std::function<bool()> &done, int timeoutMs, const std::function<void()> &meanwhile = {})
{
    QDeadlineTimer until(timeoutMs);
    while (!done()) {
        if (until.hasExpired())
            return false;
        if (meanwhile)
            meanwhile();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return true;
}

bool light(QRgb c) { return qRed(c) > 225 && qGreen(c) > 225 && qBlue(c) > 225; }

// "Play with Others" in the lobby offer a solo start shows; the window's corner.
QPoint openPlayWithOthers(Desk &desk)
{
    const QPoint offer = waitForWindow(desk, QStringLiteral("Download The Qorb42 Lobby"), 20000);
    if (offer.x() < 0)
        return offer;
    QDeadlineTimer until(10000);
    QPoint button(-1, -1);
    while (button.x() < 0 && !until.hasExpired()) {
        QThread::msleep(200);
        const QImage img = desk.grab();
        int top = -1;
        for (int y = 300; y < 495 && button.x() < 0; ++y) {
            const bool bar = light(img.pixel(offer + QPoint(400, y))) && light(img.pixel(offer + QPoint(690, y)));
            if (bar && top < 0)
                top = y;
            else if (!bar && top >= 0 && y - top >= 16)
                button = offer + QPoint(544, (top + y) / 2);
            else if (!bar)
                top = -1;
        }
    }
    if (button.x() < 0)
        return button;
    desk.click(button);
    return waitForWindow(desk, QStringLiteral("Velloc - Play with Others"), 10000);
}

QPoint inNetworkTables(QPoint window, QPoint at) { return window + Tplayothers::NetworkTablesRect.topLeft() + at; }

// The first row of a table list whose top left corner is at `list`.
void doubleClickFirstRow(Desk &desk, QPoint list)
{
    // Below the header, in the middle of the first row.
    const QPoint at = list + QPoint(50, 25);
    desk.xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                  QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("120"),
                  QStringLiteral("1"), QStringLiteral("mousemove"), QStringLiteral("1023"), QStringLiteral("767")});
}

void moveWindow(Desk &desk, const QString &title, QPoint to)
{
    const QString ids = desk.xdotool({QStringLiteral("search"), QStringLiteral("--name"), title});
    for (const QString &id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        desk.xdotool({QStringLiteral("windowmove"), id, QString::number(to.x()), QString::number(to.y())});
}

void say(Desk &desk, QPoint lobby, const QString &text)
{
    desk.click(lobby + Tlobby::ChatEditRect.center());
    QThread::msleep(200);
    desk.type(text);
    desk.key(QStringLiteral("Return"));
}

struct HostProcess {
    QProcess proc;
    QByteArray err;
    bool start(const QStringList &args)
    {
        proc.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"), args);
        return proc.waitForStarted(5000);
    }
    QByteArray log()
    {
        err += proc.readAllStandardError();
        return err;
    }
    ~HostProcess()
    {
        proc.terminate();
        if (!proc.waitForFinished(5000))
            proc.kill();
    }
};

QByteArray settings(const QByteArray &name, const QByteArray &more)
{
    return "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\nPlayername=" + name + "\r\n" + more;
}

} // namespace

class TestLobbyEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        initVellocResources();
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QFAIL("Xvfb and xdotool are needed (tools/setup.sh installs them)");
    }
    void lobbyHostChatJoinAndRecover();
    void networkTablesFoundJoinedAndGone();
};

void TestLobbyEndToEnd::lobbyHostChatJoinAndRecover()
{
    TestProsody server;
    if (!server.start(false))
        QSKIP("prosody cannot run here");
    LobbyClient watcher;
    QVERIFY(watcher.start(server.server(), QStringLiteral("Watcher")));
    QVERIFY(waitFor([&] { return watcher.state() == LobbyClient::Online; }, 15000));
    QSignalSpy heard(&watcher, &LobbyClient::chatReceived);
    const auto saidBy = [&](const QString &nick, const QString &text) {
        for (const auto &h : heard)
            if (h[0].toString() == nick && h[1].toString() == text)
                return true;
        return false;
    };
    const auto table = [&](const QString &nick) { return watcher.tables().value(nick); };

    Desk annDesk, bobDesk;
    const auto onFailure = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            annDesk.shot(QStringLiteral("lobby-FAILED-ann"));
            bobDesk.shot(QStringLiteral("lobby-FAILED-bob"));
        }
    });
    const QByteArray lobby = "Lobbyserver=" + server.server().toUtf8() + "\r\n";
    const quint16 tablePort = freeLoopbackPort();

    // Ann enters the lobby from Play with Others, then hosts a listed table.
    QVERIFY(annDesk.start({}, settings("Ann", lobby + "Hostport=" + QByteArray::number(tablePort)
                                                  + "\r\nMapport=false\r\nLobbylist=true\r\nLobbylocal=true\r\n")));
    const QPoint annOthers = openPlayWithOthers(annDesk);
    QVERIFY2(annOthers.x() >= 0, "Ann's Play with Others window should open");
    annDesk.click(inNetworkTables(annOthers, NetworkTables::LobbyButtonRect.center()));
    QVERIFY2(waitFor([&] { return watcher.people().contains(QStringLiteral("Ann")); }, 20000),
             "Ann should enter the lobby from Play with Others");
    moveWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), {1024, 0});
    QThread::msleep(300);
    annDesk.shot(QStringLiteral("lobby-ann-playothers"));
    annDesk.click(annOthers + Tplayothers::HostButtonRect.center());
    QVERIFY2(waitFor([&] { return table(QStringLiteral("Ann")).port == tablePort; }, 30000),
             "Ann's table should be listed with its port");
    QCOMPARE(table(QStringLiteral("Ann")).seatsText(), QStringLiteral("1 of 6"));

    // Bob enters from his Play with Others; they greet each other. His solo
    // start needs the game's usual port, which Ann's solo table held.
    QVERIFY(waitFor([] {
        QTcpServer probe;
        return probe.listen(QHostAddress::Any, 7772);
    }, 15000));
    QVERIFY(bobDesk.start({}, settings("Bob", lobby)));
    const QPoint bobOthers = openPlayWithOthers(bobDesk);
    QVERIFY2(bobOthers.x() >= 0, "Bob's Play with Others window should open");
    bobDesk.click(inNetworkTables(bobOthers, NetworkTables::LobbyButtonRect.center()));
    QVERIFY2(waitFor([&] { return watcher.people().contains(QStringLiteral("Bob")); }, 20000), "Bob should enter");
    const QPoint bobLobby = waitForWindow(bobDesk, QStringLiteral("Velloc - Online Lobby"), 10000);
    QVERIFY(bobLobby.x() >= 0);
    QThread::msleep(1000);
    bobDesk.shot(QStringLiteral("lobby-bob-sees-ann"));
    say(bobDesk, bobLobby, QStringLiteral("hello Ann"));
    QVERIFY2(waitFor([&] { return saidBy(QStringLiteral("Bob"), QStringLiteral("hello Ann")); }, 15000),
             "Bob's line should reach the room");
    const QPoint annLobby = waitForWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), 10000);
    QVERIFY2(annLobby.x() >= 0, "Ann's lobby window should be open again at her hosted table");
    moveWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), {0, 0});
    const QPoint annLobbyNow = waitForWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), 5000);
    say(annDesk, annLobbyNow, QStringLiteral("hi Bob, join me"));
    QVERIFY2(waitFor([&] { return saidBy(QStringLiteral("Ann"), QStringLiteral("hi Bob, join me")); }, 15000),
             "Ann's line should reach the room");
    QThread::msleep(500);
    annDesk.shot(QStringLiteral("lobby-ann-chat"));
    bobDesk.shot(QStringLiteral("lobby-bob-chat"));

    // Bob joins by double-click and sits down: Ann's listing says 2 of 6.
    doubleClickFirstRow(bobDesk, bobLobby + Tlobby::TablesRect.topLeft());
    QVERIFY2(waitFor([&] { return table(QStringLiteral("Ann")).seated == 2; }, 30000),
             "Bob should sit at Ann's table, and the listing should say so");
    // The lobby windows step aside while they play one round.
    QVERIFY(waitFor([&] { return waitForWindow(bobDesk, QStringLiteral("Velloc - Online Lobby"), 200).x() >= 0; },
                    15000));
    moveWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), {1024, 0});
    moveWindow(bobDesk, QStringLiteral("Velloc - Online Lobby"), {1024, 0});
    Follower ann(annDesk, QStringLiteral("lobby-ann-")), bob(bobDesk, QStringLiteral("lobby-bob-"));
    QVERIFY(calibrate(annDesk, ann.player));
    QVERIFY(calibrate(bobDesk, bob.player));
    QThread::msleep(1000);
    QVERIFY(startAGame(annDesk, ann.player));
    const bool played = waitFor([&] { return table(QStringLiteral("Ann")).round >= 2; }, 300000, [&] {
        ann.step();
        bob.step();
    });
    QVERIFY2(played, "the first round should end and the listing show round 2");
    QVERIFY(ann.player.moves + bob.player.moves > 0);

    // A dedicated table comes and goes.
    moveWindow(bobDesk, QStringLiteral("Velloc - Online Lobby"), {0, 0});
    {
        HostProcess den;
        QVERIFY(den.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--no-announce"),
                           QStringLiteral("--lobby"), server.server(), QStringLiteral("--public-address"),
                           QStringLiteral("198.51.100.9:7790"), QStringLiteral("--name"), QStringLiteral("Den")}));
        QVERIFY2(waitFor([&] { return watcher.tables().contains(QStringLiteral("Den")); }, 20000),
                 "velloc-host --lobby should be listed");
        QThread::msleep(1000);
        bobDesk.shot(QStringLiteral("lobby-bob-dedicated"));
    }
    QVERIFY2(waitFor([&] { return !watcher.tables().contains(QStringLiteral("Den")); }, 20000),
             "a stopped velloc-host should leave the list");

    // The server dies: both windows show a stale list; it returns and so do they.
    moveWindow(annDesk, QStringLiteral("Velloc - Online Lobby"), {0, 0});
    server.stop();
    QVERIFY(waitFor([&] { return watcher.stale(); }, 15000));
    QThread::msleep(2500);
    annDesk.shot(QStringLiteral("lobby-ann-stale"));
    bobDesk.shot(QStringLiteral("lobby-bob-stale"));
    QVERIFY(server.start(false));
    QVERIFY2(waitFor([&] {
                 return watcher.state() == LobbyClient::Online && watcher.people().contains(QStringLiteral("Ann"))
                        && watcher.people().contains(QStringLiteral("Bob"))
                        && watcher.tables().contains(QStringLiteral("Ann"));
             }, 90000),
             "both players and Ann's table should be back in the room by themselves");
    QThread::msleep(1500);
    annDesk.shot(QStringLiteral("lobby-ann-recovered"));
    bobDesk.shot(QStringLiteral("lobby-bob-recovered"));
}

void TestLobbyEndToEnd::networkTablesFoundJoinedAndGone()
{
    TestAvahi avahi;
    if (!avahi.start())
        QSKIP(qPrintable(avahi.why));
    dnssd::Browser browser; // what the window should show
    HostProcess den, eli;
    QVERIFY(den.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--name"), QStringLiteral("Den")}));
    QVERIFY(eli.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--name"), QStringLiteral("Eli")}));
    QVERIFY2(waitFor([&] { return browser.tables().size() == 2; }, 30000), "both tables should be announced");

    Desk bobDesk;
    const auto onFailure = qScopeGuard([&] {
        if (QTest::currentTestFailed())
            bobDesk.shot(QStringLiteral("lobby-FAILED-network"));
    });
    QVERIFY(bobDesk.start({}, settings("Bob", {})));
    const QPoint others = openPlayWithOthers(bobDesk);
    QVERIFY2(others.x() >= 0, "Bob's Play with Others window should open");
    QThread::msleep(3000);
    bobDesk.shot(QStringLiteral("lobby-network-list"));
    // "Den" sorts first.
    doubleClickFirstRow(bobDesk, inNetworkTables(others, NetworkTables::ListRect.topLeft()));
    QVERIFY2(waitFor([&] { return den.log().contains("login: slot 1 (Bob)"); }, 30000),
             "Bob should join Den's table from the network list");
    QVERIFY(!eli.log().contains("login:"));
    QVERIFY2(waitFor([&] { return browser.tables().value(QStringLiteral("Den")).seated == 1; }, 20000),
             "Den's announcement should say one player sits there");

    den.proc.terminate();
    eli.proc.terminate();
    QVERIFY(den.proc.waitForFinished(10000) && eli.proc.waitForFinished(10000));
    QVERIFY2(waitFor([&] { return browser.tables().isEmpty(); }, 30000), "stopped tables should leave the list");
}

QTEST_MAIN(TestLobbyEndToEnd)
#include "tst_e2e_lobby_port7772.moc"
