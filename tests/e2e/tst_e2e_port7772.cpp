// The real program on real (virtual) screens, played with the mouse: a solo
// game to its winner, and two copies on two displays playing one game and
// chatting. Screenshots of the moments worth seeing go to e2e-shots/ in the
// build folder.
#include "desk.h"
#include "velloc_resources.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

namespace {
const QByteArray FastSettings = "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\n";
} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soloGameWithTheMouse();
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
    // The lobby download window comes first; the solo game goes on behind it.
    QDeadlineTimer until(20000);
    QPoint download(-1, -1);
    while ((download = desk.windowAt(QStringLiteral("Download The Qorb42 Lobby"))).x() < 0 && !until.hasExpired())
        QThread::msleep(100);
    QVERIFY(download.x() >= 0);
    desk.grab().save(shotPath(QStringLiteral("solo-start")));
    const QString id = desk.xdotool({QStringLiteral("search"), QStringLiteral("--name"),
                                     QStringLiteral("^Download The Qorb42 Lobby$")}).split('\n').value(0);
    desk.xdotool({QStringLiteral("windowunmap"), id});

    Follower me(desk, QStringLiteral("solo-"));
    QVERIFY(calibrate(desk, me.player));
    QVERIFY(startAGame(desk, me.player));
    QElapsedTimer clock;
    clock.start();
    bool over = false;
    while (!over && clock.elapsed() < 480000 && desk.running()) {
        over = me.step();
        QThread::msleep(150);
    }
    QVERIFY2(over, "the solo game should reach its winner");
    QVERIFY(me.player.moves > 0);
    QVERIFY(me.saved.contains("first-turn"));
    QVERIFY(me.saved.contains("round-end"));
    qInfo("solo: %d plays, %d passes, %lld s", me.player.moves, me.player.passes, clock.elapsed() / 1000);
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
