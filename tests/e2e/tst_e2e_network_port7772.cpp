// SPDX-License-Identifier: MIT
// Two copies find each other the way players without the lobby do, with the
// mouse only: Ann's solo copy hosts a table from Play with Others, Bob's
// solo copy joins it through a relay in this test, the relay drops Bob
// mid-game, and Bob takes his seat back with the offer's Reconnect button.
// Screenshots go to e2e-shots/network-*.png in the build folder.
#include "desk.h"
#include "look.h"
#include "tchat.h"
#include "tplayothers.h"
#include "velloc_resources.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

// A port nobody listens on now: the system's pick, let go again.
quint16 freePort()
{
    QTcpServer s;
    return s.listen(QHostAddress::Any, 0) ? s.serverPort() : 0;
}

// A table listening on the port keeps anyone else from binding it.
bool portInUse(quint16 port)
{
    QTcpServer s;
    return !s.listen(QHostAddress::Any, port);
}

bool waitFor(const std::function<bool()> &done, int timeoutMs, const std::function<void()> &meanwhile = {})
{
    QDeadlineTimer until(timeoutMs);
    while (!done()) {
        if (until.hasExpired())
            return false;
        if (meanwhile)
            meanwhile();
        QThread::msleep(100);
    }
    return true;
}

// Forwards every connection on 127.0.0.1:port to 127.0.0.1:target, on a
// thread of its own because the test's thread blocks on screenshots and
// xdotool. It keeps what the table sent down each connection, so the test
// can see which seat the table gave.
class Relay {
public:
    Relay(quint16 port, quint16 target) : m_target(target)
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        run([this, port] {
            m_server = new QTcpServer(&m_context);
            QObject::connect(m_server, &QTcpServer::newConnection, &m_context, [this] { accept(); });
            m_listening = m_server->listen(QHostAddress::LocalHost, port);
        });
    }
    ~Relay()
    {
        run([this] {
            cutAll();
            delete m_server;
        });
        m_thread.quit();
        m_thread.wait();
    }
    bool listening() const { return m_listening; }
    // Aborts every connection pair at once, as a network failure would;
    // new connections are still taken.
    void cut() { run([this] { cutAll(); }); }
    int connections()
    {
        int n = 0;
        run([&] { n = int(m_down.size()); });
        return n;
    }
    QByteArray downstream(int connection)
    {
        QByteArray d;
        run([&] { d = m_down.value(connection); });
        return d;
    }

private:
    void run(const std::function<void()> &f) { QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection); }

    void accept()
    {
        while (QTcpSocket *in = m_server->nextPendingConnection()) {
            auto *out = new QTcpSocket(&m_context);
            const int n = int(m_down.size());
            m_down.append(QByteArray());
            m_pairs.append(Pair{in, out});
            QObject::connect(in, &QTcpSocket::readyRead, out, [in, out] { out->write(in->readAll()); });
            QObject::connect(out, &QTcpSocket::readyRead, in, [this, in, out, n] {
                const QByteArray data = out->readAll();
                m_down[n] += data;
                in->write(data);
            });
            QObject::connect(in, &QTcpSocket::disconnected, out, &QTcpSocket::disconnectFromHost);
            QObject::connect(out, &QTcpSocket::disconnected, in, &QTcpSocket::disconnectFromHost);
            QObject::connect(out, &QTcpSocket::errorOccurred, in, [in, out] {
                if (out->state() != QAbstractSocket::ConnectedState)
                    in->abort();
            });
            // The table speaks first, so nothing from the client waits on the connect.
            out->connectToHost(QHostAddress::LocalHost, m_target);
        }
    }

    void cutAll()
    {
        for (const Pair &p : std::as_const(m_pairs))
            for (const QPointer<QTcpSocket> &s : {p.in, p.out})
                if (s) {
                    s->disconnect();
                    s->abort();
                    s->deleteLater();
                }
        m_pairs.clear();
    }

    quint16 m_target;
    QThread m_thread;
    QObject m_context; // lives on m_thread; everything below is used there only
    QTcpServer *m_server = nullptr;
    bool m_listening = false;
    struct Pair {
        QPointer<QTcpSocket> in, out;
    };
    QList<Pair> m_pairs;
    QList<QByteArray> m_down;
};

bool light(QRgb c) { return qRed(c) > 225 && qGreen(c) > 225 && qBlue(c) > 225; }

// Presses "Play with Others" in the lobby offer that a solo start shows
// (no lobby is installed for the test, so the program's own window opens),
// and returns that window's corner, or (-1, -1).
QPoint openPlayWithOthers(Desk &desk)
{
    const QPoint offer = waitForWindow(desk, QStringLiteral("Download The Qorb42 Lobby"), 20000);
    if (offer.x() < 0)
        return offer;
    // The button is the first light bar in the right-hand column, where the
    // text above it is cream; its height follows the fonts, so it is looked for.
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

// The address box's list is open with its first entry highlighted: where to
// click it, or (-1, -1).
QPoint highlightedEntry(const QImage &img, QPoint window)
{
    const QRect box = Tplayothers::AddressBoxRect.translated(window);
    int top = -1, bottom = -1;
    for (int y = box.bottom() + 1; y < box.bottom() + 40; ++y) {
        const QRgb c = img.pixel(box.left() + 20, y);
        if (qBlue(c) > 150 && qBlue(c) > qRed(c) + 80) {
            if (top < 0)
                top = y;
            bottom = y;
        } else if (top >= 0) {
            break;
        }
    }
    return bottom - top >= 8 ? QPoint(box.left() + 60, (top + bottom) / 2) : QPoint(-1, -1);
}

bool near(QRgb a, const QColor &b, int tol)
{
    return qAbs(qRed(a) - b.red()) <= tol && qAbs(qGreen(a) - b.green()) <= tol && qAbs(qBlue(a) - b.blue()) <= tol;
}

// A cream panel over the board (the offer, or the taller one of a table
// that ended) at this place in the table: its top and bottom margins are plain.
bool panelShown(const QImage &img, QPoint panel, const QRect &place)
{
    const QRect r = place.translated(panel);
    for (int x = r.left() + 6; x < r.right() - 6; x += 12)
        for (int y : {r.top() + 4, r.bottom() - 4})
            if (!near(img.pixel(x, y), look::Cream, 6))
                return false;
    return true;
}

const QByteArray FastSettings = "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\n";

} // namespace

class TestNetworkEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hostJoinDropAndReconnect();
    void hostLeavesMidGame();
};

void TestNetworkEndToEnd::initTestCase()
{
    initVellocResources();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        QFAIL("Xvfb, xdotool and ImageMagick's import are needed (tools/setup.sh installs them)");
}

void TestNetworkEndToEnd::hostJoinDropAndReconnect()
{
    const quint16 tablePort = freePort();
    quint16 relayPort = freePort();
    while (relayPort == tablePort)
        relayPort = freePort();
    QVERIFY(tablePort && relayPort);

    Desk annDesk, bobDesk;
    // What both screens showed when a check failed.
    const auto onFailure = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            annDesk.shot(QStringLiteral("network-FAILED-ann"));
            bobDesk.shot(QStringLiteral("network-FAILED-bob"));
        }
    });

    // Ann's solo copy hosts a table on its own port.
    QVERIFY(annDesk.start({}, "[Chickenfoot]\r\nBotspeed=500\r\nPlaytoscore=3\r\nPlayername=Ann\r\nHostport="
                                  + QByteArray::number(tablePort) + "\r\n"));
    const QPoint annWindow = openPlayWithOthers(annDesk);
    QVERIFY2(annWindow.x() >= 0, "Ann's Play with Others window should open from the lobby offer");
    QThread::msleep(300);
    annDesk.shot(QStringLiteral("network-playothers-host"));
    annDesk.click(annWindow + Tplayothers::HostButtonRect.center());
    QVERIFY2(waitFor([&] { return portInUse(tablePort); }, 15000), "Ann's hosting table should listen on its port");
    // Bob's solo start needs the game's usual port, which Ann's solo table held.
    QVERIFY2(waitFor([] { return !portInUse(7772); }, 15000), "Ann's solo table should have let go of port 7772");
    Follower ann(annDesk, QStringLiteral("network-ann-"));
    QVERIFY(calibrate(annDesk, ann.player));

    Relay relay(relayPort, tablePort);
    QVERIFY(relay.listening());

    // Bob's solo copy joins through the relay, picking the recent table.
    QVERIFY(bobDesk.start({}, "[Chickenfoot]\r\nBotspeed=500\r\nPlayername=Bob\r\nRecenttables=127.0.0.1:"
                                  + QByteArray::number(relayPort) + "\r\n"));
    const QPoint bobWindow = openPlayWithOthers(bobDesk);
    QVERIFY2(bobWindow.x() >= 0, "Bob's Play with Others window should open from the lobby offer");
    const QRect box = Tplayothers::AddressBoxRect;
    bobDesk.click(bobWindow + QPoint(box.right() - 9, box.center().y()));
    QPoint entry(-1, -1);
    QVERIFY2(waitFor([&] { return (entry = highlightedEntry(bobDesk.grab(), bobWindow)).x() >= 0; }, 5000),
             "the address box's list should open with the recent table");
    bobDesk.shot(QStringLiteral("network-playothers-join"));
    bobDesk.click(entry);
    QThread::msleep(300);
    bobDesk.click(bobWindow + Tplayothers::JoinButtonRect.center());
    // The table tells only a seated player of ours his seat's token.
    QVERIFY2(waitFor([&] { return relay.downstream(0).contains("CMD_seattoken+2+"); }, 20000),
             "Bob should sit in seat 2 of Ann's table");
    Follower bob(bobDesk, QStringLiteral("network-bob-"));
    QVERIFY(calibrate(bobDesk, bob.player));
    QThread::msleep(1000);

    QVERIFY(startAGame(annDesk, ann.player));
    QElapsedTimer clock;
    clock.start();
    bool annDone = false, bobDone = false, cut = false;
    int bobMovesBefore = 0;
    const auto annPlays = [&] { annDone = ann.step() || annDone; };
    while (!(annDone && bobDone) && clock.elapsed() < 360000 && annDesk.running() && bobDesk.running()) {
        annPlays();
        if (!cut && ann.player.moves >= 3 && bob.player.moves >= 3 && !annDone && !bobDone) {
            // The network fails under Bob; Ann's table keeps his seat and plays it.
            cut = true;
            bobMovesBefore = bob.player.moves;
            relay.cut();
            const QPoint panel = bob.player.panel();
            QVERIFY2(waitFor([&] { return panelShown(bobDesk.grab(), panel, Tchat::OfferPanelRect); }, 15000, annPlays),
                     "Bob's table should offer to reconnect");
            QThread::msleep(300);
            bobDesk.shot(QStringLiteral("network-reconnect-offer"));
            bobDesk.click(panel + Tchat::OfferPanelRect.topLeft() + Tchat::ReconnectButtonRect.center());
            QVERIFY2(waitFor([&] { return relay.downstream(1).contains("CMD_reclaimed+2+t+"); }, 20000, annPlays),
                     "Bob should take seat 2 back");
            // At once, not when each seat next plays: both seats count bones.
            QVERIFY2(waitFor([&] { return labelsShowing(bobDesk.grab(), panel, BoneCounts) == 2; }, 5000, annPlays),
                     "Bob's table should count every seat's bones after the reclaim");
            bobDesk.shot(QStringLiteral("network-reclaimed"));
            continue;
        }
        bobDone = bob.step() || bobDone;
        QThread::msleep(100);
    }
    QVERIFY2(cut, "the game should have lasted until both had moved a few times");
    QVERIFY2(annDone && bobDone, "both tables should show the winner");
    QVERIFY2(bob.player.moves > bobMovesBefore, "Bob should have played after reconnecting");
    // Back under his own name: the table told everyone who sits in seat 2.
    QVERIFY(relay.downstream(1).contains("CMD_newplayerinfo+2+Bob"));
    qInfo("network: Ann %d plays, Bob %d plays (%d before the drop), %lld s", ann.player.moves, bob.player.moves,
          bobMovesBefore, clock.elapsed() / 1000);
}

// Ann hosts and leaves mid-game by File > Exit, by keys, answering the
// question that names Bob; Bob's window stays with what happened and the
// standings, and starts a solo game from its panel.
void TestNetworkEndToEnd::hostLeavesMidGame()
{
    Desk annDesk, bobDesk;
    const auto onFailure = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            annDesk.shot(QStringLiteral("leave-FAILED-ann"));
            bobDesk.shot(QStringLiteral("leave-FAILED-bob"));
        }
    });
    QVERIFY(annDesk.start({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}, FastSettings));
    Follower ann(annDesk, QStringLiteral("leave-ann-"));
    QVERIFY(calibrate(annDesk, ann.player));
    QVERIFY(bobDesk.start({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("x")}, FastSettings));
    Follower bob(bobDesk, QStringLiteral("leave-bob-"));
    QVERIFY(calibrate(bobDesk, bob.player));
    QThread::msleep(1500);
    QVERIFY(startAGame(annDesk, ann.player));

    // Play into the second round, so there are standings to show.
    QElapsedTimer clock;
    clock.start();
    qint64 roundEnded = -1;
    while (clock.elapsed() < 300000 && annDesk.running() && bobDesk.running()
           && (roundEnded < 0 || clock.elapsed() - roundEnded < 4000)) {
        QVERIFY2(!ann.step() && !bob.step(), "the game should not end before Ann leaves");
        if (roundEnded < 0 && bob.saved.contains(QStringLiteral("round-end")))
            roundEnded = clock.elapsed();
        QThread::msleep(100);
    }
    QVERIFY2(roundEnded >= 0, "a round should end");

    annDesk.focusWindow(QStringLiteral("Velloc"));
    QThread::msleep(300);
    annDesk.key(QStringLiteral("alt+f"));
    QThread::msleep(300);
    annDesk.key(QStringLiteral("x"));
    QVERIFY2(waitFor([&] { return annDesk.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                    QStringLiteral("--name"), QStringLiteral("^Velloc$")})
                                      .trimmed()
                                      .split(QLatin1Char('\n'))
                                      .size() >= 2; }, 10000),
             "Exit should ask first, a game being on with Bob");
    QThread::msleep(300);
    annDesk.shot(QStringLiteral("leave-ann-question"));
    annDesk.focusWindow(QStringLiteral("Velloc"), true);
    QThread::msleep(200);
    annDesk.key(QStringLiteral("Return"));
    QVERIFY2(annDesk.ended(15000), "Ann's program should end");

    const QPoint panel = bob.player.panel();
    QVERIFY2(waitFor([&] { return panelShown(bobDesk.grab(), panel, Tchat::EndedPanelRect); }, 15000),
             "Bob's window should say the table ended");
    QThread::msleep(300);
    bobDesk.shot(QStringLiteral("leave-bob-ended"));
    QVERIFY(bobDesk.running());

    bobDesk.click(panel + Tchat::EndedPanelRect.topLeft() + Tchat::EndedSoloButtonRect.center());
    QVERIFY2(waitForWindow(bobDesk, QStringLiteral("Download The Qorb42 Lobby"), 20000).x() >= 0,
             "Play Solo should open a solo table (its lobby offer first)");
    QThread::msleep(500);
    bobDesk.shot(QStringLiteral("leave-bob-solo"));
}

QTEST_MAIN(TestNetworkEndToEnd)
#include "tst_e2e_network_port7772.moc"
