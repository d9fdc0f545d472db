// SPDX-License-Identifier: MIT
// The host's extensions for our own programs: announcing, seat tokens and
// taking a seat back after a drop, and the host player's rights on a table
// of its own. A peer that never announces must see exactly the old stream.
#include "bones.h"
#include "protocol.h"
#include "scriptedplayer.h"
#include "synclink.h"
#include "testclient.h"
#include "tserver.h"

#include <QtTest>

#include <map>

namespace {

const QList<QByteArray> OurMessages = {"CMD_velloc",      "CMD_seattoken", "CMD_youhost", "CMD_botname",
                                       "CMD_removed",     "CMD_tableclosed", "CMD_reclaimed", "CMD_hostplayer",
                                       "CMD_seats"};

bool isOurs(const QByteArray &m)
{
    for (const QByteArray &name : OurMessages)
        if (m.startsWith(name + "+"))
            return true;
    return false;
}

// A GameHost without sockets: messages are recorded per slot, the timers
// fire when told, and the clock only moves when the test moves it.
struct Table {
    SyncLink link;
    GameHost g{link, 42};
    std::map<int, QList<QByteArray>> got;
    qint64 now = 1000;

    explicit Table(bool dedicated = false)
    {
        link.host = &g;
        link.onSend = [this](int slot, const QByteArray &m) { got[slot] << m.chopped(1); };
        g.clock = [this] { return now; };
        g.setDedicated(dedicated);
    }

    int connect()
    {
        const int slot = g.reserveSlot();
        g.slotConnected(slot);
        return slot;
    }
    void send(int slot, const QByteArray &m) { g.dispatch(slot, m); }
    int join(const QByteArray &name, bool ours)
    {
        const int slot = connect();
        send(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+" + name);
        if (ours)
            send(slot, "CMD_velloc+1+");
        return slot;
    }
    QByteArray last(int slot, const QByteArray &prefix) const
    {
        const auto it = got.find(slot);
        if (it == got.end())
            return {};
        for (qsizetype i = it->second.size() - 1; i >= 0; --i)
            if (it->second[i].startsWith(prefix))
                return it->second[i];
        return {};
    }
    QByteArray token(int seat) const { return last(seat, "CMD_seattoken+").split('+').value(2); }

    // The human whose turn it is plays the first bone that fits, or passes;
    // computer seats move when their timer fires. False once nothing moves.
    bool step()
    {
        if (g.turnopen && !g.computerPlayed(g.whoseturn)) {
            const int s = g.whoseturn;
            const QByteArray seat = QByteArray::number(s);
            for (int h = 1; h <= 20; ++h) {
                const int b = g.players[s].hand[h];
                if (!b)
                    continue;
                for (int t = 1; t <= 3; ++t) {
                    int p = 1;
                    while (p <= 40 && g.toes[t][p].bone)
                        ++p;
                    const int v = g.playmode == 1 ? g.spinner : g.openValue(t, p - 1);
                    const bool fits = (g.playmode == 1) == (p == 1) && (gettopnum(b) == v || getbotnum(b) == v);
                    if (fits) {
                        send(s, "CMD_playbone+" + seat + "+" + QByteArray::number(h) + "+" + QByteArray::number(t) + "+"
                                    + QByteArray::number(p) + "+");
                        return true;
                    }
                }
            }
            send(s, "CMD_hepasses+" + seat + "+");
            return true;
        }
        return link.fireOne();
    }
    int play(int steps)
    {
        int n = 0;
        while (n < steps && g.gamerunning && step())
            ++n;
        return n;
    }
};

QByteArray handOf(const GameHost &g, int seat)
{
    QByteArray h;
    for (int i = 1; i <= 20; ++i)
        if (g.players[seat].hand[i])
            h += "+" + QByteArray::number(i) + "+" + QByteArray::number(g.players[seat].hand[i]);
    return h;
}

} // namespace

class TestExtensions : public QObject {
    Q_OBJECT
private slots:
    void announcedConnectionsAloneHearExtensions();
    void plainPeerSeesTheSameStream();
    void plainPeerSeesTheSameStreamOverSockets();
    void seatTakenBackWithItsToken();
    void seatRefused_data();
    void seatRefused();
    void reclaimKeepsTheGameAndTheSeat_data();
    void reclaimKeepsTheGameAndTheSeat();
    void rightsOnlyAfterALogin_data();
    void rightsOnlyAfterALogin();
    void removedOrClosedSeatsAreNotKept();
    void strangerDoesNotTakeAKeptSeat();
    void rightsPassOnATableOfItsOwn();
    void hostingCopyKeepsItsRights();
    void seatOneOnATableOfItsOwn();
    void reclaimOverRealConnections();
    void computerChoiceFromTheHostPlayerOnly_data();
    void computerChoiceFromTheHostPlayerOnly();
};

void TestExtensions::announcedConnectionsAloneHearExtensions()
{
    Table t;
    const int a = t.join("Ann", true);
    const int b = t.join("Bob", false);
    const int c = t.join("Cy", true);
    QCOMPARE(t.last(a, "CMD_velloc+"), QByteArray("CMD_velloc+1+"));
    QCOMPARE(t.last(a, "CMD_youhost+"), QByteArray("CMD_youhost+"));
    QCOMPARE(t.last(c, "CMD_youhost+"), QByteArray()); // only the holder of the rights is told
    QCOMPARE(t.token(a).size(), 32);
    QVERIFY(t.token(c) != t.token(a));
    // An announcement before logging in, or a malformed one, is not taken.
    const int d = t.connect();
    t.send(d, "CMD_velloc+1+");
    t.send(b, "CMD_velloc+x+");
    for (int slot : {b, d})
        for (const QByteArray &m : t.got[slot])
            QVERIFY2(!isOurs(m), m.constData());
    QCOMPARE(t.last(c, "CMD_hostplayer+"), QByteArray("CMD_hostplayer+1+"));
    // One of ours arriving in a running game hears every seat: in the round,
    // bones left, played by the computer.
    t.send(a, "CMD_startgame+Ann+3+1+");
    const int e = t.join("Eve", true);
    QCOMPARE(t.last(e, "CMD_seats+"),
             QByteArray("CMD_seats+1+t+11+f+2+t+11+f+3+t+11+f+4+t+11+f+5+f+0+f+6+f+0+f+"));
    t.send(a, "CMD_kickhim+1+" + QByteArray::number(c) + "+");
    // Our players are told who removed them and who closed the table.
    QCOMPARE(t.last(c, "CMD_removed+"), QByteArray("CMD_removed+Ann"));
    t.g.closingAll();
    QCOMPARE(t.last(a, "CMD_tableclosed+"), QByteArray("CMD_tableclosed+Ann"));
    for (const QByteArray &m : t.got[b])
        QVERIFY2(!isOurs(m), m.constData());
}

// The same game twice with the same deal: once with plain peers only, once
// with two of ours (one of them dropping and taking its seat back). The
// plain peer in seat 2 must not see a single byte of difference.
void TestExtensions::plainPeerSeesTheSameStream()
{
    QList<QByteArray> streams[2];
    for (int run = 0; run < 2; ++run) {
        const bool ours = run == 1;
        Table t;
        t.join("Ann", ours);
        const int bob = t.join("Bob", false);
        t.join("Cy", ours);
        t.send(1, "CMD_startgame+Ann+3+1+");
        QVERIFY(t.play(40) == 40);
        t.g.slotClosed(3);
        t.play(15);
        const int again = t.connect();
        if (ours) {
            QCOMPARE(again, 4); // seat 3 is kept for Cy
            t.send(again, "CMD_reclaimseat+3+" + t.token(3) + "+");
            QCOMPARE(t.last(3, "CMD_reclaimed+"), QByteArray("CMD_reclaimed+3+t+"));
        } else {
            QCOMPARE(again, 3);
        }
        t.send(3, "CMD_logininfo+3+1.0.1+Cy");
        if (ours)
            t.send(3, "CMD_velloc+1+");
        t.play(5000);
        QVERIFY(!t.g.gamerunning);
        streams[run] = t.got[bob];
        for (const QByteArray &m : streams[run])
            QVERIFY2(wellFormedHostMessage(m) || m.startsWith("CMD_sendlogininfo+"), m.constData());
    }
    QVERIFY(streams[0].size() > 100);
    QCOMPARE(streams[1], streams[0]);
}

// The same over real connections with the scripted players the host tests
// use: three humans play a whole game (no computer seat, so nothing but the
// messages drives it); in the second run two of them announce themselves.
void TestExtensions::plainPeerSeesTheSameStreamOverSockets()
{
    QList<QByteArray> streams[2];
    for (int run = 0; run < 2; ++run) {
        TServer server;
        server.setTimings(1, 5);
        server.game().reseed(7);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        const quint16 port = server.Sock1->localPort();
        TestClient a, b, c;
        QCOMPARE(a.login(port, "Ann"), 1);
        QCOMPARE(b.login(port, "Bob"), 2);
        QCOMPARE(c.login(port, "Cy"), 3);
        if (run == 1) {
            a.send("CMD_velloc+1+");
            c.send("CMD_velloc+1+");
            QVERIFY(!c.take("CMD_seattoken+3+").isEmpty());
            QVERIFY(!a.take("CMD_youhost+").isEmpty());
        }
        ScriptedPlayer pa(a), pb(b), pc(c);
        a.send("CMD_startgame+Ann+3+2+");
        const bool done = TestClient::waitFor([&] {
            pa.pump();
            pb.pump();
            pc.pump();
            return !pb.winner.isEmpty();
        }, 60000);
        QVERIFY(done);
        streams[run] = b.all;
        for (const QByteArray &m : b.all)
            QVERIFY2(!isOurs(m), m.constData());
    }
    QVERIFY(streams[0].size() > 100);
    QCOMPARE(streams[1], streams[0]);
}

void TestExtensions::seatTakenBackWithItsToken()
{
    Table t;
    t.join("Ann", true);
    t.join("Bob", true);
    t.send(1, "CMD_startgame+Ann+5+1+");
    t.play(30);
    t.g.endround(0); // a round end, so the totals are not all zero
    while (!t.g.turnopen)
        t.link.fireOne();
    t.play(7);
    const QByteArray hand = handOf(t.g, 2);
    const int total = t.g.players[2].totalscore;
    const QByteArray token = t.token(2);
    QVERIFY(!hand.isEmpty());
    t.g.slotClosed(2);
    QVERIFY(t.last(1, "CMD_playerdisconnected+").startsWith("CMD_playerdisconnected+2+Bob"));
    // Meanwhile the computer plays the seat, under its own name.
    QVERIFY(t.g.computerPlayed(2));
    t.play(6);
    t.now += 119000;
    const QByteArray handNow = handOf(t.g, 2);

    const int slot = t.connect();
    QCOMPARE(slot, 3);
    t.send(slot, "CMD_reclaimseat+2+" + token + "+");
    QCOMPARE(t.last(2, "CMD_reclaimed+"), QByteArray("CMD_reclaimed+2+t+"));
    QVERIFY(!t.g.players[3].connected);
    QVERIFY(t.g.players[2].connected);
    t.got[1].clear();
    t.send(2, "CMD_logininfo+2+1.0.1+Bob");
    QCOMPARE(t.last(1, "CMD_newplayerinfo+"), QByteArray("CMD_newplayerinfo+2+Bob"));
    QCOMPARE(t.last(2, "CMD_dealmybones+"), "CMD_dealmybones+2" + handNow);
    QCOMPARE(t.last(2, "CMD_gamestats+").split('+').value(7), QByteArray::number(total));
    if (t.g.turnopen && t.g.whoseturn == 2)
        QVERIFY(t.last(2, "CMD_nextplayer+").startsWith("CMD_nextplayer+2+"));
    // The token was spent: a copy of it takes nothing any more.
    t.send(2, "CMD_velloc+1+");
    QVERIFY(t.token(2) != token);
    t.g.slotClosed(2);
    const int thief = t.connect();
    t.send(thief, "CMD_reclaimseat+2+" + token + "+");
    QCOMPARE(t.last(thief, "CMD_reclaimed+"), "CMD_reclaimed+" + QByteArray::number(thief) + "+f+");
}

void TestExtensions::seatRefused_data()
{
    QTest::addColumn<QByteArray>("how");
    QTest::newRow("wrong token") << QByteArray("wrong");
    QTest::newRow("empty token") << QByteArray("empty");
    QTest::newRow("too late") << QByteArray("late");
    QTest::newRow("another seat") << QByteArray("seat");
    QTest::newRow("seat out of range") << QByteArray("range");
    QTest::newRow("after logging in") << QByteArray("loggedin");
    QTest::newRow("not a number") << QByteArray("nan");
    QTest::newRow("seat spelt out") << QByteArray("field:two");
    QTest::newRow("seat after a space") << QByteArray("field: 2");
    QTest::newRow("seat in hex") << QByteArray("field:0x2");
    QTest::newRow("seat overflowing") << QByteArray("field:99999999999");
    QTest::newRow("no fields") << QByteArray("nofields");
}

void TestExtensions::seatRefused()
{
    QFETCH(QByteArray, how);
    Table t;
    t.join("Ann", true);
    t.join("Bob", true);
    t.join("Cy", false);
    t.send(1, "CMD_startgame+Ann+3+1+");
    t.play(10);
    QByteArray token = t.token(2);
    QByteArray seat = "2";
    t.g.slotClosed(2);
    if (how == "wrong")
        token = QByteArray(32, 'a');
    else if (how == "empty")
        token.clear();
    else if (how == "late")
        t.now += GameHost::SeatHoldMs + 1;
    else if (how == "seat")
        seat = "1";
    else if (how == "range")
        seat = "9";
    else if (how == "nan")
        seat = "x";
    else if (how.startsWith("field:"))
        seat = how.mid(6);
    const int slot = t.connect();
    if (how == "loggedin")
        t.send(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+Bob");
    t.send(slot, how == "nofields" ? QByteArray("CMD_reclaimseat+") : "CMD_reclaimseat+" + seat + "+" + token + "+");
    // Too late, the seat is free for anyone and this connection got it plainly.
    QCOMPARE(slot, how == "late" ? 2 : 4);
    QCOMPARE(t.g.players[2].connected, how == "late");
    QVERIFY(t.g.players[slot].connected);
    // Only a connection that logged in gets no answer: it is not claiming.
    if (how == "loggedin")
        QCOMPARE(t.last(slot, "CMD_reclaimed+"), QByteArray());
    else
        QCOMPARE(t.last(slot, "CMD_reclaimed+"), "CMD_reclaimed+" + QByteArray::number(slot) + "+f+");
}

// The claim may come from the slot of a seat the computer plays, whose turn
// it is; and the connection may drop again before it logs in. Either way
// the game goes on to its end and the seat stays its player's.
void TestExtensions::reclaimKeepsTheGameAndTheSeat_data()
{
    QTest::addColumn<bool>("fromComputerSeat");
    QTest::addColumn<bool>("dropAgain");
    QTest::newRow("fresh slot") << false << false;
    QTest::newRow("computer seat's slot") << true << false;
    QTest::newRow("second drop") << false << true;
    QTest::newRow("computer seat's slot, second drop") << true << true;
}

void TestExtensions::reclaimKeepsTheGameAndTheSeat()
{
    QFETCH(bool, fromComputerSeat);
    QFETCH(bool, dropAgain);
    Table t;
    t.join("Ann", true);
    t.join("Bob", true);
    t.join("Cy", false);
    t.send(1, "CMD_startgame+Ann+3+1+");
    const QByteArray token = t.token(2);
    if (fromComputerSeat)
        t.g.slotClosed(3);
    t.g.slotClosed(2);
    while (!(t.g.turnopen && t.g.whoseturn == 3))
        QVERIFY(t.step());
    int slot = t.connect();
    QCOMPARE(slot, fromComputerSeat ? 3 : 4);
    t.link.fireOne(); // seat 3's computer move comes due while a connection sits there
    for (int claim = 0; claim < (dropAgain ? 2 : 1); ++claim) {
        if (claim) {
            t.g.slotClosed(2);
            slot = t.connect();
        }
        t.got[2].clear();
        t.send(slot, "CMD_reclaimseat+2+" + token + "+");
        QCOMPARE(t.last(2, "CMD_reclaimed+"), QByteArray("CMD_reclaimed+2+t+"));
    }
    t.send(2, "CMD_logininfo+2+1.0.1+Bob");
    t.play(100000);
    QVERIFY(!t.g.gamerunning);
}

// On a table of its own, a connection that has not logged in has no rights,
// even in slot 1: the first to log in is the host player.
void TestExtensions::rightsOnlyAfterALogin_data()
{
    QTest::addColumn<QByteArray>("fromSilent");
    QTest::newRow("start a game") << QByteArray("CMD_startgame+Eve+3+1+");
    QTest::newRow("remove") << QByteArray("CMD_kickhim+1+2+");
    QTest::newRow("bot speed") << QByteArray("CMD_botspeed+1+50+");
    QTest::newRow("computers") << QByteArray("CMD_computers+3+2+t+");
}

void TestExtensions::rightsOnlyAfterALogin()
{
    QFETCH(QByteArray, fromSilent);
    Table t(true);
    const int silent = t.connect();
    const int bob = t.join("Bob", false);
    t.send(silent, fromSilent);
    QVERIFY(!t.g.gamerunning);
    QVERIFY(t.g.players[bob].connected);
    QCOMPARE(t.g.botDelay(), int(GameHost::DefaultBotDelay));
    QCOMPARE(t.g.computerPlayers(), 1);
    QCOMPARE(t.g.hostSlot, bob);
    t.send(silent, "CMD_logininfo+1+1.0.1+Eve");
    t.send(bob, "CMD_startgame+Bob+3+1+");
    QVERIFY(t.g.gamerunning);
}

void TestExtensions::removedOrClosedSeatsAreNotKept()
{
    Table t;
    t.join("Ann", true);
    t.join("Bob", true);
    t.join("Cy", true);
    t.send(1, "CMD_startgame+Ann+3+1+");
    t.send(1, "CMD_kickhim+1+2+"); // SyncLink closes the slot at once
    QVERIFY(!t.g.players[2].connected);
    QVERIFY(!t.g.isHeld(2));
    t.g.closingAll();
    t.g.slotClosed(3);
    QVERIFY(!t.g.isHeld(3));
    // Outside a game nothing is kept either.
    Table idle;
    idle.join("Ann", true);
    idle.join("Bob", true);
    idle.g.slotClosed(2);
    QVERIFY(!idle.g.isHeld(2));
}

void TestExtensions::strangerDoesNotTakeAKeptSeat()
{
    Table t;
    t.join("Ann", true);
    t.join("Bob", true);
    t.send(1, "CMD_startgame+Ann+3+1+");
    t.g.slotClosed(2);
    // A stranger, even under the same name, gets another slot...
    const int stranger = t.join("Bob", false);
    QCOMPARE(stranger, 3);
    QCOMPARE(t.last(stranger, "CMD_dealmybones+"), QByteArray());
    // ... until the seat is no longer kept.
    t.now += GameHost::SeatHoldMs + 1;
    QCOMPARE(t.join("Eve", false), 2);
    QVERIFY(t.last(2, "CMD_dealmybones+").startsWith("CMD_dealmybones+2+"));
}

void TestExtensions::rightsPassOnATableOfItsOwn()
{
    Table t(true);
    const int ann = t.join("Ann", true);
    const int bob = t.join("Bob", false); // a plain peer could not use them
    const int cy = t.join("Cy", true);
    QCOMPARE(t.g.hostSlot, ann);
    t.g.slotClosed(ann);
    QCOMPARE(t.g.hostSlot, cy);
    QCOMPARE(t.last(cy, "CMD_youhost+"), QByteArray("CMD_youhost+"));
    // A newcomer in slot 1 is not the host player; Cy is.
    const int dee = t.join("Dee", true);
    QCOMPARE(dee, 1);
    t.send(dee, "CMD_startgame+Dee+3+1+");
    QVERIFY(!t.g.gamerunning);
    t.send(dee, "CMD_kickhim+1+" + QByteArray::number(bob) + "+");
    QVERIFY(t.g.players[bob].connected);
    t.send(cy, "CMD_botspeed+3+500+");
    QCOMPARE(t.g.botDelay(), 500);
    t.send(cy, "CMD_startgame+Cy+3+1+");
    QVERIFY(t.g.gamerunning);
    // When only plain peers are left, the lowest of them holds the rights;
    // when nobody is left, the next to log in takes them.
    t.g.slotClosed(cy);
    QCOMPARE(t.g.hostSlot, dee);
    t.g.slotClosed(dee);
    QCOMPARE(t.g.hostSlot, bob);
    t.g.slotClosed(bob);
    QCOMPARE(t.g.hostSlot, 0);
    const int eve = t.join("Eve", false);
    QCOMPARE(t.g.hostSlot, eve);
    // ... and one of ours who announces later takes them from a plain peer.
    const int fay = t.join("Fay", true);
    QCOMPARE(t.g.hostSlot, fay);
}

void TestExtensions::hostingCopyKeepsItsRights()
{
    Table t(false);
    const int bob = t.join("Bob", true); // a remote player logging in before the host's own
    QCOMPARE(bob, 1);
    const int cy = t.join("Cy", true);
    t.g.slotClosed(bob);
    QCOMPARE(t.g.hostSlot, 1);
    t.send(cy, "CMD_startgame+Cy+3+1+");
    QVERIFY(!t.g.gamerunning);
    QCOMPARE(t.last(cy, "CMD_youhost+"), QByteArray());
}

void TestExtensions::seatOneOnATableOfItsOwn()
{
    Table t(true);
    t.join("Ann", true);
    const int bob = t.join("Bob", true);
    QCOMPARE(t.last(bob, "CMD_botname+"), "CMD_botname+1+" + GameHost::DedicatedSeat1Name);
    t.g.slotClosed(1);
    t.send(bob, "CMD_startgame+Bob+3+1+");
    QVERIFY(t.g.players[1].playing);
    t.play(100000);
    QVERIFY(!t.g.gamerunning);
    const QByteArray winner = t.last(bob, "CMD_winner+");
    QVERIFY(winner == "CMD_winner+Bob+" || winner == "CMD_winner+" + GameHost::DedicatedSeat1Name + "+"
            || winner == "CMD_winner+Klot+");
    // A hosting copy's seat 1 has no computer name.
    Table hosting(false);
    QVERIFY(hosting.g.players[1].botname.isEmpty());
}

// The same over sockets: the new connection lands in another slot, takes
// the seat back, and its queued messages follow it.
void TestExtensions::reclaimOverRealConnections()
{
    TServer server;
    server.setTimings(1, 20);
    server.game().setBotDelay(10000); // the computer keeps still while we look
    server.Sock1->setPortName(QStringLiteral("0"));
    server.Sock1->setListen(true);
    const quint16 port = server.Sock1->localPort();
    QStringList events;
    server.eventLog = [&](const QByteArray &l) { events << QString::fromLatin1(l); };

    TestClient ann, bob;
    QCOMPARE(ann.login(port, "Ann"), 1);
    ann.send("CMD_velloc+1+");
    QCOMPARE(bob.login(port, "Bob"), 2);
    bob.send("CMD_velloc+1+");
    const QByteArray token = bob.take("CMD_seattoken+2+").split('+').value(2);
    QCOMPARE(token.size(), 32);
    ann.send("CMD_startgame+Ann+3+1+");
    QVERIFY(!bob.take("CMD_dealmybones+2+").isEmpty());
    bob.sock.abort();
    QVERIFY(!ann.take("CMD_playerdisconnected+2+Bob").isEmpty());

    TestClient back;
    QVERIFY(back.connectTo(port));
    QCOMPARE(back.take("CMD_sendlogininfo+"), QByteArray("CMD_sendlogininfo+3"));
    // The claim and the login arrive together: the login must be handled
    // for the slot the connection has become.
    back.send("CMD_reclaimseat+2+" + token + "+");
    back.send("CMD_logininfo+2+1.0.1+Bob");
    QCOMPARE(back.take("CMD_reclaimed+"), QByteArray("CMD_reclaimed+2+t+"));
    QVERIFY(!back.take("CMD_dealmybones+2+").isEmpty());
    QVERIFY(!ann.take("CMD_newplayerinfo+2+Bob").isEmpty());
    QCOMPARE(server.slotSocket(2) != nullptr, true);
    QCOMPARE(server.slotSocket(3), nullptr);
    back.send("CMD_chat+2+hello|clBlack");
    QVERIFY(!ann.take("CMD_chat+Bob chats: hello").isEmpty());
    QVERIFY(events.filter(QStringLiteral("taken back")).size() == 1);
    QVERIFY(events.filter(QStringLiteral("login: slot 2 (Bob)")).size() == 2);
}

void TestExtensions::computerChoiceFromTheHostPlayerOnly_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("taken");
    QTest::newRow("host player") << 1 << QByteArray("CMD_computers+4+2+t+") << true;
    QTest::newRow("another player") << 2 << QByteArray("CMD_computers+4+2+t+") << false;
    QTest::newRow("none") << 1 << QByteArray("CMD_computers+0+2+t+") << false;
    QTest::newRow("six") << 1 << QByteArray("CMD_computers+6+2+t+") << false;
    QTest::newRow("unknown level") << 1 << QByteArray("CMD_computers+4+3+t+") << false;
    QTest::newRow("level zero") << 1 << QByteArray("CMD_computers+4+0+t+") << false;
    QTest::newRow("hints not a letter") << 1 << QByteArray("CMD_computers+4+2+yes+") << false;
    QTest::newRow("not numbers") << 1 << QByteArray("CMD_computers+four+2+t+") << false;
    QTest::newRow("cut short") << 1 << QByteArray("CMD_computers+4+") << false;
}

void TestExtensions::computerChoiceFromTheHostPlayerOnly()
{
    QFETCH(int, from);
    QFETCH(QByteArray, message);
    QFETCH(bool, taken);
    Table t(true);
    t.join("Ann", true);
    t.join("Bob", true);
    t.send(from, message);
    QCOMPARE(t.g.computerPlayers(), taken ? 4 : 1);
    QCOMPARE(t.g.computerLevel(3), taken ? int(GameHost::Strong) : int(GameHost::Normal));
    QCOMPARE(t.g.hintsAllowed(), taken);
    // Our connections hear whether hints are allowed; a plain one never does.
    QCOMPARE(t.last(2, "CMD_hints+"), taken ? QByteArray("CMD_hints+t+") : QByteArray());
    if (!taken)
        return;
    t.send(1, "CMD_startgame+Ann+3+1+");
    for (int s = 1; s <= 5; ++s)
        QVERIFY(t.g.players[s].playing);
    QVERIFY(!t.g.players[6].playing);
}

QTEST_GUILESS_MAIN(TestExtensions)
#include "tst_extensions.moc"
