// The real program on real (virtual) screens, played with the mouse: a solo
// game to its winner, and two copies on two displays playing one game and
// chatting. Screenshots of the moments worth seeing go to e2e-shots/ in the
// build folder.
#include "desk.h"
#include "velloc_resources.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

const QByteArray FastSettings = "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\n";

QString shotPath(const QString &name)
{
    const QString dir = QStringLiteral(VELLOC_BIN_DIR "/../e2e-shots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

// Follows one table until its game ends, moving whenever it is this
// player's turn. Saves the named moments once each.
struct Follower {
    Desk &desk;
    RealPlayer player;
    QString prefix;
    TableView last;
    QImage lastShot;
    QSet<QString> saved;
    int attempts = 0;
    std::array<int, 21> triedHand{};
    QElapsedTimer sinceMove;

    Follower(Desk &d, const QString &p) : desk(d), player(d), prefix(p) { sinceMove.start(); }

    void save(const QString &what, const QImage &img)
    {
        if (saved.contains(what))
            return;
        saved.insert(what);
        img.save(shotPath(prefix + what));
    }

    // One look at the screen and at most one action; true once the game ended.
    bool step()
    {
        const QImage img = desk.grab();
        const TableView v = player.read(img);
        if (!v.found)
            return false;
        if (v.gameOver) {
            save(QStringLiteral("winner"), img);
            return true;
        }
        if (last.spinner && v.spinner && v.spinner != last.spinner && v.handCount() <= last.handCount())
            save(QStringLiteral("double"), img);
        if (v.roundOver)
            save(QStringLiteral("round-end"), img);
        if (v.myTurn) {
            save(QStringLiteral("first-turn"), img);
            if (v.hand == triedHand && sinceMove.elapsed() < 1500) {
                // Still waiting for the host's answer to the last move.
            } else if (v.hand == triedHand) {
                // The host refused what we read: pass instead.
                desk.click(player.panel() + QPoint(358 + 32, 368 + 14));
                ++player.passes;
                sinceMove.restart();
                triedHand = {};
            } else {
                player.move(v);
                triedHand = v.hand;
                sinceMove.restart();
            }
        }
        last = v;
        return false;
    }
};

bool startAGame(Desk &desk, RealPlayer &player)
{
    // "Start Game" on the board, then "Start" in the game-start dialog.
    desk.click(player.boardOrigin() + QPoint(10 + 51, 26 + 14));
    QPoint dialog(-1, -1);
    QDeadlineTimer until(10000);
    while ((dialog = desk.windowAt(QStringLiteral("Velloc - Game Start"))).x() < 0 && !until.hasExpired())
        QThread::msleep(100);
    if (dialog.x() < 0)
        return false;
    QThread::msleep(300);
    desk.click(dialog + QPoint(80 + 51, 224 + 14));
    return true;
}

bool calibrate(Desk &desk, RealPlayer &player)
{
    QDeadlineTimer until(20000);
    while (!until.hasExpired()) {
        if (player.calibrate(desk.grab()))
            return true;
        QThread::msleep(200);
    }
    return false;
}

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
