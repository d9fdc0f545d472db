// SPDX-License-Identifier: MIT
// The real program on real (virtual) screens, played with the mouse: a solo
// game to its winner, one against five strong computer players, and two
// copies on two displays playing one game and chatting. Screenshots of the
// moments worth seeing go to e2e-shots/ in the build folder.
#include "desk.h"
#include "velloc_resources.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

namespace {
const QByteArray FastSettings = "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\n";

// The lobby download window comes first in a solo game, over the table.
bool hideDownloadWindow(Desk &desk, const QString &shot = QString())
{
    const QString title = QStringLiteral("Download The Qorb42 Lobby");
    if (waitForWindow(desk, title, 20000).x() < 0)
        return false;
    if (!shot.isEmpty())
        desk.shot(shot);
    const QString id = desk.xdotool({QStringLiteral("search"), QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')})
                           .split('\n')
                           .value(0);
    desk.xdotool({QStringLiteral("windowunmap"), id});
    return true;
}
// Follows the game, moving on each turn, until its winner shows (true) or
// the time is up.
bool playToTheWinner(Desk &desk, Follower &me, int timeoutMs)
{
    QDeadlineTimer until(timeoutMs);
    while (!until.hasExpired() && desk.running()) {
        if (me.step())
            return true;
        QThread::msleep(150);
    }
    return false;
}

// Waits (bounded) until no window of that title is on screen.
bool goneFromScreen(const Desk &desk, const QString &title)
{
    QDeadlineTimer until(10000);
    while (desk.shown(title) && !until.hasExpired())
        QThread::msleep(100);
    return !desk.shown(title);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soloGameWithTheMouse();
    void soloGameByKeys();
    void soloAgainstFiveStrong();
    void twoDisplaysPlayTogether();
};

void TestEndToEnd::initTestCase()
{
    initVellocResources();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        QFAIL("Xvfb, xdotool and ImageMagick's import are needed (tools/setup.sh installs them)");
}

void TestEndToEnd::soloGameWithTheMouse()
{
    Desk desk;
    QVERIFY(desk.start({}, FastSettings));
    QVERIFY(hideDownloadWindow(desk, QStringLiteral("solo-start")));

    Follower me(desk, QStringLiteral("solo-"));
    QVERIFY(calibrate(desk, me.player));
    QVERIFY(startAGame(desk, me.player));
    QElapsedTimer clock;
    clock.start();
    const bool over = playToTheWinner(desk, me, 480000);
    QVERIFY2(over, "the solo game should reach its winner");
    QVERIFY(me.player.moves > 0);
    QVERIFY(me.saved.contains("first-turn"));
    QVERIFY(me.saved.contains("round-end"));
    qInfo("solo: %d plays, %d passes, %lld s", me.player.moves, me.player.passes, clock.elapsed() / 1000);
}

// No mouse at all: Escape closes the lobby offer, S opens the game start
// dialog and Return starts; the hand is
// played with Home, Right and a toe's number, P passes, to the winner.
void TestEndToEnd::soloGameByKeys()
{
    Desk desk;
    const auto onFailure = qScopeGuard([&] {
        if (QTest::currentTestFailed())
            desk.shot(QStringLiteral("keys-FAILED"));
    });
    QVERIFY(desk.start({}, FastSettings));
    const QString offer = QStringLiteral("Download The Qorb42 Lobby");
    QVERIFY(waitForWindow(desk, offer, 20000).x() >= 0);
    QThread::msleep(500);
    desk.focusWindow(offer);
    desk.key(QStringLiteral("Escape"));
    QVERIFY2(goneFromScreen(desk, offer), "Escape should close the lobby offer");

    Follower me(desk, QStringLiteral("keys-"));
    me.player.byKeys = true;
    QVERIFY(calibrate(desk, me.player));
    // Xvfb runs no window manager: the test gives each window the keyboard
    // as one would when it opens.
    desk.focusWindow(QStringLiteral("Velloc"));
    QThread::msleep(1000);
    desk.key(QStringLiteral("s"));
    const QString dialog = QStringLiteral("Velloc - Game Start");
    QVERIFY2(waitForWindow(desk, dialog, 10000).x() >= 0, "S should open Game Start");
    QThread::msleep(300);
    desk.focusWindow(dialog);
    QThread::msleep(300);
    desk.key(QStringLiteral("Return"));
    QVERIFY2(goneFromScreen(desk, dialog), "Return should start the game");
    desk.focusWindow(QStringLiteral("Velloc"));
    QElapsedTimer clock;
    clock.start();
    const bool over = playToTheWinner(desk, me, 480000);
    QVERIFY2(over, "the game played by keys should reach its winner");
    QVERIFY(me.player.moves > 0);
    QVERIFY(me.saved.contains("round-end"));
    qInfo("keys: %d plays, %d passes, %lld s", me.player.moves, me.player.passes, clock.elapsed() / 1000);
}

// Six seats: You and five strong computer players, chosen in the settings
// file; seven bones each, and every seat row counts bones and scores rounds.
void TestEndToEnd::soloAgainstFiveStrong()
{
    Desk desk;
    QVERIFY(desk.start({}, FastSettings + "Computerplayers=5\r\nComputerlevel=Strong\r\n"));
    QVERIFY(hideDownloadWindow(desk));
    Follower me(desk, QStringLiteral("strong6-"));
    QVERIFY(calibrate(desk, me.player));
    const QPoint panel = me.player.panel();
    // Before the game no seat counts bones, so the count below is the game's.
    QCOMPARE(labelsShowing(desk.grab(), panel, BoneCounts), 0);
    QVERIFY(startAGame(desk, me.player, QStringLiteral("strong6-dialog")));
    QElapsedTimer clock;
    clock.start();
    bool over = false;
    int firstHand = -1, countsShown = -1, scoresShown = -1;
    while (!over && clock.elapsed() < 360000 && desk.running()) {
        const bool firstTurnSeen = me.saved.contains("first-turn"), roundEndSeen = me.saved.contains("round-end");
        over = me.step();
        // Follower keeps the view it acted on and the screen it saved.
        if (!firstTurnSeen && me.saved.contains("first-turn")) {
            firstHand = me.last.handCount();
            countsShown = labelsShowing(QImage(shotPath(QStringLiteral("strong6-first-turn"))), panel, BoneCounts);
        }
        if (!roundEndSeen && me.saved.contains("round-end"))
            scoresShown = labelsShowing(QImage(shotPath(QStringLiteral("strong6-round-end"))), panel, RoundScores);
        QThread::msleep(150);
    }
    QVERIFY2(over, "the game against five strong players should reach its winner");
    QCOMPARE(firstHand, 7);
    QCOMPARE(countsShown, 6);
    QCOMPARE(scoresShown, 6);
    QVERIFY(me.player.moves > 0);
    qInfo("strong6: %d plays, %d passes, %lld s", me.player.moves, me.player.passes, clock.elapsed() / 1000);
}

void TestEndToEnd::twoDisplaysPlayTogether()
{
    Desk hostDesk, guestDesk;
    QVERIFY(hostDesk.start({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}, FastSettings));
    Follower ann(hostDesk, QStringLiteral("duo-ann-"));
    QVERIFY(calibrate(hostDesk, ann.player));
    QVERIFY(guestDesk.start({QStringLiteral("Bo"), QStringLiteral("127.0.0.1"), QStringLiteral("x")}, FastSettings));
    Follower bo(guestDesk, QStringLiteral("duo-bo-"));
    QVERIFY(calibrate(guestDesk, bo.player));
    QThread::msleep(1500);

    // Bo says hello; Ann's chat log shows a new line.
    const QRect annLog(ann.player.panel() + QPoint(432, 374), QSize(300, 120));
    const QImage before = hostDesk.grab().copy(annLog);
    guestDesk.click(bo.player.panel() + QPoint(427 + 150, 505 + 11));
    guestDesk.type(QStringLiteral("hello from Bo"));
    guestDesk.key(QStringLiteral("Return"));
    QDeadlineTimer heard(10000);
    bool changed = false;
    while (!changed && !heard.hasExpired()) {
        QThread::msleep(200);
        changed = hostDesk.grab().copy(annLog) != before;
    }
    QVERIFY2(changed, "the host's chat log should show the guest's line");
    hostDesk.grab().save(shotPath(QStringLiteral("duo-chat")));

    QVERIFY(startAGame(hostDesk, ann.player));
    QElapsedTimer clock;
    clock.start();
    bool annDone = false, boDone = false;
    while (!(annDone && boDone) && clock.elapsed() < 480000 && hostDesk.running() && guestDesk.running()) {
        annDone = ann.step() || annDone;
        boDone = bo.step() || boDone;
        QThread::msleep(100);
    }
    QVERIFY2(annDone && boDone, "both tables should show the winner");
    QVERIFY(ann.player.moves > 0 && bo.player.moves > 0);
    qInfo("duo: Ann %d plays, Bo %d plays, %lld s", ann.player.moves, bo.player.moves, clock.elapsed() / 1000);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e_port7772.moc"
