// SPDX-License-Identifier: MIT
// A game on the host, driven over loopback by scripted clients: plays onto
// the spinner and the toes, doubles, passes, rounds, scores, newcomers, the
// tie rule, computer players, and the moves the host must refuse.
#include "protocol.h"
#include "testclient.h"
#include "tserver.h"

#include <QtTest>

#include <initializer_list>
#include <memory>

namespace {

constexpr int StepMs = 15; // the host's one-second step, shortened

struct Table {
    TServer server;
    quint16 port = 0;
    std::vector<std::unique_ptr<TestClient>> clients;

    Table()
    {
        server.setTimings(1, StepMs);
        server.game().holdComputers(true); // the tests move for the computer seats themselves
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        port = server.Sock1->localPort();
    }
    GameHost &g() { return server.game(); }
    TestClient &join(const QByteArray &name)
    {
        clients.push_back(std::make_unique<TestClient>());
        clients.back()->login(port, name);
        return *clients.back();
    }
    TestClient &operator[](int i) { return *clients[size_t(i)]; }
    void settle()
    {
        QTest::qWait(20);
        for (auto &c : clients)
            c->messages.clear();
    }
    // Starts a game from the host's player and waits for the first turn.
    void start(const QByteArray &fields = "Ann+3+1+")
    {
        clients[0]->send("CMD_startgame+" + fields);
        QVERIFY(!clients[0]->take("CMD_nextplayer").isEmpty());
        settle();
    }
    void hand(int seat, std::initializer_list<int> bones)
    {
        auto &h = g().players[seat].hand;
        h.fill(0);
        int i = 1;
        for (int b : bones)
            h[i++] = b;
    }
    bool allWellFormed() const
    {
        for (const auto &c : clients)
            for (const auto &m : c->all)
                if (!m.startsWith("CMD_sendlogininfo") && !wellFormedHostMessage(m)) {
                    qWarning() << "malformed:" << m;
                    return false;
                }
        return true;
    }
};

} // namespace

class TestGame : public QObject {
    Q_OBJECT
private slots:
    void firstRoundOpening();
    void flipsOntoTheSpinner_data();
    void flipsOntoTheSpinner();
    void thirdToeSwitchesToToes();
    void doubleBecomesTheSpinner();
    void doubleAsLastBoneEndsTheRound();
    void refusedPlays_data();
    void refusedPlays();
    void blockedRoundScoresPipsAndMovesOn();
    void goingOutScoresMinusTwenty();
    void roundsField_data();
    void roundsField();
    void lastRoundDeclaresTheLowestTotal();
    void tieRulePlaysOneMoreRound();
    void newcomersAreGrantedScores_data();
    void newcomersAreGrantedScores();
    void seatListOfTheRoundStart();
    void latecomerTakesOverABotMidTurn();
    void nothingCountsOutsideAnOpenTurn();
    void departureDuringAPauseDoesNotHandOnTwice();
    void restartCancelsTheOldGamesSteps();
    void hostsOwnSeatLeavingHandsTheTurnOn();
    void heldComputersKeepStill();
    void botDelayRange_data();
    void botDelayRange();
    void botsPlayWatchingSeats();
};

void TestGame::firstRoundOpening()
{
    Table t;
    t.join("Ann");
    t[0].send("CMD_startgame+Ann+3+1+");
    QCOMPARE(t[0].take("CMD_startgame"), QByteArray("CMD_startgame+Ann+3+"));
    QCOMPARE(t[0].take("CMD_startround"), QByteArray("CMD_startround+1+55+16+1+t+2+t+3+f+4+f+5+f+6+f"));
    const QByteArray deal = t[0].take("CMD_dealmybones");
    QCOMPARE(deal.count('+'), 1 + 32);
    QVERIFY(!deal.split('+').mid(2).contains("55"));
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+1+1+t+t+t+1+1+1+"));
    // Seat 2 is the computer "Klot" with a hand of its own and no message.
    int dealt = 0;
    for (int h = 1; h <= 20; ++h)
        dealt += t.g().players[2].hand[h] != 0;
    QCOMPARE(dealt, 16);
    QVERIFY(t.g().players[2].playing);
    QVERIFY(t.allWellFormed());
}

void TestGame::flipsOntoTheSpinner_data()
{
    QTest::addColumn<int>("spinner");
    QTest::addColumn<int>("bone");
    QTest::addColumn<QByteArray>("flip");
    QTest::newRow("8-9 on 9") << 9 << 54 << QByteArray("t");
    QTest::newRow("0-9 on 9") << 9 << 10 << QByteArray("t");
    QTest::newRow("5-9 on 9") << 9 << 45 << QByteArray("t");
    QTest::newRow("5-9 on 5") << 5 << 45 << QByteArray("f");
    QTest::newRow("0-5 on 5") << 5 << 6 << QByteArray("t");
}

void TestGame::flipsOntoTheSpinner()
{
    QFETCH(int, spinner);
    QFETCH(int, bone);
    QFETCH(QByteArray, flip);
    Table t;
    t.join("Ann");
    t.start();
    t.g().spinner = spinner;
    t.hand(1, {bone, 12, 13});
    t[0].send("CMD_playbone+1+1+2+1+");
    QCOMPARE(t[0].take("CMD_heplayed"),
             "CMD_heplayed+1+1+" + QByteArray::number(bone) + "+2+1+" + flip + "+2+");
    QCOMPARE(t.g().toes[2][1].bone, bone);
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+f+t+1+1+1+"));
}

void TestGame::thirdToeSwitchesToToes()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    t.hand(1, {54, 10, 5});
    t.hand(2, {19, 27, 6});
    t[0].send("CMD_playbone+1+1+1+1+");
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+f+t+t+1+1+1+"));
    t[1].send("CMD_playbone+2+1+2+1+");
    QCOMPARE(t[0].take("CMD_heplayed+2+"), QByteArray("CMD_heplayed+2+1+19+2+1+t+2+"));
    QCOMPARE(t[0].take("CMD_nextplayer+1+"), QByteArray("CMD_nextplayer+1+1+f+f+t+1+1+1+"));
    t[0].send("CMD_playbone+1+2+3+1+");
    QCOMPARE(t[1].take("CMD_nextplayer+2+2"), QByteArray("CMD_nextplayer+2+2+t+t+t+2+2+2+"));
    QCOMPARE(t.g().playmode, 2);
    // Toe 1 is open on 8 (54 = 8-9 lies flipped), toe 2 on 1, toe 3 on 0.
    t.hand(2, {28, 2, 6});
    t[1].send("CMD_playbone+2+2+3+2+"); // 0-1 onto the 0 of toe 3
    QCOMPARE(t[0].take("CMD_heplayed+2+"), QByteArray("CMD_heplayed+2+2+2+3+2+f+2+"));
    QCOMPARE(t[0].take("CMD_nextplayer+1+2"), QByteArray("CMD_nextplayer+1+2+t+t+t+2+2+3+"));
    QVERIFY(t.allWellFormed());
}

void TestGame::doubleBecomesTheSpinner()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    auto &g = t.g();
    g.toes[1][1] = {54, true};
    g.toes[2][1] = {19, true};
    g.toes[3][1] = {10, true};
    g.playmode = 2;
    g.whoseturn = 1;
    t.hand(1, {53, 12, 13});
    t[0].send("CMD_playbone+1+1+1+2+");
    QCOMPARE(t[1].take("CMD_double"), QByteArray("CMD_double+1+1+53+1+2+f+2+"));
    QCOMPARE(g.spinner, 53);
    QCOMPARE(g.playmode, 1);
    // During the pause nobody may move, and a latecomer sees the double.
    t[0].send("CMD_hepasses+1+");
    t[1].send("CMD_hepasses+2+");
    TestClient &late = t.join("Cy");
    const QByteArray stats = late.take("CMD_gamestats");
    QCOMPARE(stats, QByteArray("CMD_gamestats+0+1+3+53+f+0+0+0+0+0+0+1+1+54+t+2+1+19+t+3+1+10+t"));
    QCOMPARE(t[1].take("CMD_beginagain"), QByteArray("CMD_beginagain+53+"));
    QVERIFY(t[1].silentFor("CMD_hepassed", 0));
    QCOMPARE(g.spinner, 8);
    QCOMPARE(g.toes[1][1].bone, 0);
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
    QCOMPARE(t[1].count("CMD_nextplayer"), 0);
}

void TestGame::doubleAsLastBoneEndsTheRound()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    auto &g = t.g();
    g.toes[1][1] = {54, true};
    g.toes[2][1] = {19, true};
    g.toes[3][1] = {10, true};
    g.playmode = 2;
    t.hand(1, {53});
    t.hand(2, {12, 54}); // 1-2 and 8-9: 3 + 17 pips
    t[0].send("CMD_playbone+1+1+1+2+");
    QCOMPARE(t[1].take("CMD_double"), QByteArray("CMD_double+1+1+53+1+2+f+0+"));
    QCOMPARE(t[1].take("CMD_endround"), QByteArray("CMD_endround+1+1+-20+-20+2+20+20"));
    QVERIFY(t[1].silentFor("CMD_beginagain", 6 * StepMs));
    QVERIFY(!t[1].take("CMD_startround+2+53+").isEmpty());
}

void TestGame::refusedPlays_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("play");
    QTest::newRow("gap") << 2 << QByteArray("1+1+4+");
    QTest::newRow("occupied position 1") << 2 << QByteArray("1+1+1+");
    QTest::newRow("no match") << 2 << QByteArray("2+1+3+");
    QTest::newRow("position 41") << 2 << QByteArray("1+1+41+");
    QTest::newRow("position 0") << 2 << QByteArray("1+1+0+");
    QTest::newRow("toe 0") << 2 << QByteArray("1+0+3+");
    QTest::newRow("toe 4") << 2 << QByteArray("1+4+3+");
    QTest::newRow("hand 0") << 2 << QByteArray("0+1+3+");
    QTest::newRow("hand 21") << 2 << QByteArray("21+1+3+");
    QTest::newRow("no bone raised") << 2 << QByteArray("-1+1+3+");
    QTest::newRow("empty hand place") << 2 << QByteArray("5+1+3+");
    QTest::newRow("spinner at position 2") << 1 << QByteArray("3+3+2+");
    QTest::newRow("spinner, toe taken") << 1 << QByteArray("3+1+1+");
    QTest::newRow("spinner, no match") << 1 << QByteArray("2+3+1+");
}

void TestGame::refusedPlays()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, play);
    Table t;
    t.join("Ann");
    t.start();
    auto &g = t.g();
    g.toes[1][1] = {54, true}; // 8-9 with its 9 on the spinner: open 8
    g.toes[1][2] = {44, true}; // 5-8 with its 8 touching: open 5
    g.toes[2][1] = {19, true}; // open 1
    if (mode == 2)
        g.toes[3][1] = {10, true}; // open 0
    g.playmode = mode;
    if (mode == 2)
        t.hand(1, {42, 12, 46}); // 5-6, 1-2, 6-6
    else
        t.hand(1, {42, 12, 27}); // 5-6, 1-2, 2-9
    const auto before = g.players[1].hand;
    t[0].send("CMD_playbone+1+" + play);
    QCOMPARE(t[0].take("CMD_noplay"), QByteArray("CMD_noplay+1+"));
    QCOMPARE(g.players[1].hand, before);
    QCOMPARE(g.whoseturn, 1);
    QVERIFY(g.turnopen);
    QVERIFY(t[0].silentFor("CMD_heplayed", 20));
    QCOMPARE(g.toes[1][3].bone, 0);
}

void TestGame::blockedRoundScoresPipsAndMovesOn()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    t.hand(1, {54});
    t.hand(2, {1, 11});
    t[0].send("CMD_hepasses+1+");
    QCOMPARE(t[1].take("CMD_hepassed"), QByteArray("CMD_hepassed+1+"));
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
    t[1].send("CMD_hepasses+2+");
    QCOMPARE(t[0].take("CMD_hepassed+2"), QByteArray("CMD_hepassed+2+"));
    QCOMPARE(t[0].take("CMD_endround"), QByteArray("CMD_endround+0+1+17+17+2+2+2"));
    t[0].messages.clear(); // what came before the round end
    QVERIFY(t[0].silentFor("CMD_nextplayer", 2 * StepMs));
    QCOMPARE(t[0].take("CMD_startround"), QByteArray("CMD_startround+2+53+16+1+t+2+t+3+f+4+f+5+f+6+f"));
    // The round opens with the seat after the last mover.
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+1+1+t+t+t+1+1+1+"));
}

void TestGame::goingOutScoresMinusTwenty()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    t.hand(1, {54});
    t.hand(2, {42, 10}); // 11 + 9 pips
    t[0].send("CMD_playbone+1+1+2+1+");
    QCOMPARE(t[1].take("CMD_heplayed"), QByteArray("CMD_heplayed+1+1+54+2+1+t+0+"));
    QCOMPARE(t[1].take("CMD_endround"), QByteArray("CMD_endround+1+1+-20+-20+2+20+20"));
    QVERIFY(t[1].silentFor("CMD_nextplayer", 10));
    QVERIFY(!t[1].take("CMD_startround+2+53+").isEmpty());
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
}

void TestGame::roundsField_data()
{
    QTest::addColumn<QByteArray>("rounds");
    QTest::addColumn<int>("played");
    QTest::newRow("25") << QByteArray("25") << 10;
    QTest::newRow("x") << QByteArray("x") << 3;
    QTest::newRow("1") << QByteArray("1") << 3;
    QTest::newRow("7") << QByteArray("7") << 7;
    QTest::newRow("empty") << QByteArray("") << 3;
}

void TestGame::roundsField()
{
    QFETCH(QByteArray, rounds);
    QFETCH(int, played);
    Table t;
    t.join("Ann");
    t[0].send("CMD_startgame+Ann+" + rounds + "+9+");
    QCOMPARE(t[0].take("CMD_startgame"), "CMD_startgame+Ann+" + rounds + "+");
    QVERIFY(!t[0].take("CMD_nextplayer").isEmpty());
    QCOMPARE(t.g().roundstoplay, played);
    QCOMPARE(t.g().newcomers, 1);
}

void TestGame::lastRoundDeclaresTheLowestTotal()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    t.g().roundnum = 3;
    t.hand(1, {54});
    t.hand(2, {1, 11});
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[1].take("CMD_nextplayer+2+").isEmpty());
    t[1].send("CMD_hepasses+2+");
    QCOMPARE(t[0].take("CMD_endround"), QByteArray("CMD_endround+0+1+17+17+2+2+2"));
    QCOMPARE(t[0].take("CMD_winner"), QByteArray("CMD_winner+Bo+"));
    QVERIFY(!t.g().gamerunning);
    QVERIFY(t[0].silentFor("CMD_startround", 0));
    t.settle();
    // After the game nobody moves: no phantom round, no second winner.
    t[1].send("CMD_hepasses+2+");
    t[0].send("CMD_hepasses+1+");
    t[0].send("CMD_playbone+1+1+1+1+");
    QVERIFY(t[0].silentFor("CMD_", 10 * StepMs));
    QCOMPARE(t.g().players[1].totalscore, 17);
}

void TestGame::tieRulePlaysOneMoreRound()
{
    Table t;
    t.join("Ann");
    t.start();
    auto &g = t.g();
    g.roundnum = 3;
    t.hand(1, {12}); // 3 pips each
    t.hand(2, {4});
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[0].take("CMD_nextplayer+2+").isEmpty());
    g.computerTick(); // Klot cannot play on 9 either
    QCOMPARE(t[0].take("CMD_endround"), QByteArray("CMD_endround+0+1+3+3+2+3+3"));
    QCOMPARE(t[0].take("CMD_tiegame"), QByteArray("CMD_tiegame+"));
    QCOMPARE(t[0].count("CMD_winner"), 0);
    QCOMPARE(t[0].take("CMD_startround"), QByteArray("CMD_startround+3+50+16+1+t+2+t+3+f+4+f+5+f+6+f"));
    QVERIFY(g.gamerunning);
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+1+1+t+t+t+1+1+1+"));
    t.hand(1, {1});  // 0 pips
    t.hand(2, {54}); // 17 pips
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[0].take("CMD_nextplayer+2+").isEmpty());
    g.computerTick();
    QCOMPARE(t[0].take("CMD_endround"), QByteArray("CMD_endround+0+1+0+3+2+17+20"));
    QCOMPARE(t[0].take("CMD_winner"), QByteArray("CMD_winner+Ann+"));
    QVERIFY(!g.gamerunning);
}

void TestGame::newcomersAreGrantedScores_data()
{
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QByteArray>("youplay");
    QTest::addColumn<QByteArray>("endround");
    QTest::addColumn<QByteArray>("nextSeats");
    QTest::newRow("average") << QByteArray("3") << QByteArray("CMD_youplay+3+3+")
                             << QByteArray("CMD_endround+0+1+17+17+2+2+2+3+9+9") << QByteArray("+3+t+4+f");
    QTest::newRow("highest") << QByteArray("2") << QByteArray("CMD_youplay+2+3+")
                             << QByteArray("CMD_endround+0+1+17+17+2+2+2+3+17+17") << QByteArray("+3+t+4+f");
    QTest::newRow("cannot play") << QByteArray("1") << QByteArray()
                                 << QByteArray("CMD_endround+0+1+17+17+2+2+2") << QByteArray("+3+f+4+f");
}

void TestGame::newcomersAreGrantedScores()
{
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, youplay);
    QFETCH(QByteArray, endround);
    QFETCH(QByteArray, nextSeats);
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start("Ann+5+" + option + "+");
    TestClient &cy = t.join("Cy");
    if (youplay.isEmpty())
        QVERIFY(cy.silentFor("CMD_youplay", 20));
    else
        QCOMPARE(cy.take("CMD_youplay"), youplay);
    QVERIFY(cy.take("CMD_gamestats").startsWith("CMD_gamestats+1+1+5+9+f+0+0+0+0+0+0+*"));
    QVERIFY(cy.silentFor("CMD_dealmybones", 20));
    // A newcomer who leaves still enters, played by the computer.
    cy.sock.disconnectFromHost();
    QVERIFY(TestClient::waitFor([&] { return !t.g().players[3].connected; }));
    t.hand(1, {54});
    t.hand(2, {1, 11});
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[1].take("CMD_nextplayer+2+").isEmpty());
    t[1].send("CMD_hepasses+2+");
    QCOMPARE(t[0].take("CMD_endround"), endround);
    const QByteArray next = t[0].take("CMD_startround");
    QVERIFY2(next.contains(nextSeats), next);
    QVERIFY(next.startsWith(option == "1" ? "CMD_startround+2+53+16+" : "CMD_startround+2+53+14+"));
}

void TestGame::seatListOfTheRoundStart()
{
    Table t;
    for (const char *n : {"Ann", "Bo", "Cy", "Di"})
        t.join(n);
    t[2].sock.disconnectFromHost();
    QVERIFY(TestClient::waitFor([&] { return !t.g().players[3].connected; }));
    t[0].send("CMD_startgame+Ann+3+1+");
    QCOMPARE(t[0].take("CMD_startround"), QByteArray("CMD_startround+1+55+14+1+t+2+t+3+f+4+t+5+f+6+f"));
    QCOMPARE(t[3].take("CMD_dealmybones").count('+'), 1 + 28);
}

void TestGame::latecomerTakesOverABotMidTurn()
{
    Table t;
    t.g().holdComputers(false);
    t.join("Ann");
    t[0].send("CMD_botspeed+1+400+");
    t.start();
    t[0].send("CMD_hepasses+1+");
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
    QVERIFY(t.g().computerArmed);
    TestClient &bo = t.join("Bo");
    QCOMPARE(bo.slot, 2);
    const QByteArray stats = bo.take("CMD_gamestats");
    QVERIFY2(stats.startsWith("CMD_gamestats+2+1+3+9+t+0+0+0+0+0+0+*"), stats);
    QCOMPARE(bo.take("CMD_dealmybones").count('+'), 1 + 32);
    // The computer's delay runs out: the seat is taken, so the bot keeps still.
    QVERIFY(bo.silentFor("CMD_hepassed", 600));
    QVERIFY(bo.silentFor("CMD_heplayed", 0));
    QCOMPARE(t.g().whoseturn, 2);
    bo.send("CMD_hepasses+2+");
    QCOMPARE(t[0].take("CMD_hepassed+2"), QByteArray("CMD_hepassed+2+"));
}

void TestGame::nothingCountsOutsideAnOpenTurn()
{
    Table t;
    t.join("Ann");
    // Before any game: whoseturn is 0 and seat 1 passes.
    t[0].send("CMD_hepasses+1+");
    t[0].send("CMD_hepasses+0+");
    t[0].send("CMD_playbone+1+1+1+1+");
    QVERIFY(t[0].silentFor("CMD_", 10 * StepMs));
    QCOMPARE(t.g().roundnum, 0);
    // A round start past the spinner table ends the game instead of dealing.
    t.start();
    t.g().players[2].totalscore = 5;
    t.g().roundnum = 10;
    t.g().roundstoplay = 10;
    t.g().startround();
    QVERIFY(!t[0].take("CMD_winner").isEmpty());
    QVERIFY(!t.g().gamerunning);
    t.g().roundnum = 57;
    t.g().roundstoplay = 3;
    t.g().startround();
    QVERIFY(t[0].silentFor("CMD_startround", 20));
}

void TestGame::departureDuringAPauseDoesNotHandOnTwice()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    TestClient &cy = t.join("Cy");
    t.start();
    t.hand(1, {54});
    t.hand(2, {1});
    t.hand(3, {11});
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[1].take("CMD_nextplayer+2+").isEmpty());
    t[1].send("CMD_hepasses+2+");
    QVERIFY(!cy.take("CMD_nextplayer+3+").isEmpty());
    cy.send("CMD_hepasses+3+");
    QVERIFY(!t[0].take("CMD_endround+0+").isEmpty());
    t.settle();
    // Cy made the last move; leaving during the pause must not announce a turn.
    cy.sock.disconnectFromHost();
    QVERIFY(!t[0].take("CMD_playerdisconnected+3").isEmpty());
    QVERIFY(t[0].silentFor("CMD_nextplayer", 0));
    QVERIFY(!t[0].take("CMD_startround+2+").isEmpty());
    QCOMPARE(t[0].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+1+1+t+t+t+1+1+1+"));
    QVERIFY(t[0].silentFor("CMD_nextplayer", 5 * StepMs));
    // The same during the pause after a double.
    auto &g = t.g();
    g.toes[1][1] = {54, true};
    g.toes[2][1] = {19, true};
    g.toes[3][1] = {10, true};
    g.playmode = 2;
    t.hand(1, {53, 12});
    t[0].send("CMD_playbone+1+1+1+2+");
    QVERIFY(!t[1].take("CMD_double").isEmpty());
    t.settle();
    t[0].send("CMD_justwatch+1+1");
    QCOMPARE(t[1].take("CMD_justwatching"), QByteArray("CMD_justwatching+1+1"));
    QVERIFY(t[1].silentFor("CMD_nextplayer", 0));
    QCOMPARE(t[1].take("CMD_beginagain"), QByteArray("CMD_beginagain+53+"));
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
    QVERIFY(t[1].silentFor("CMD_nextplayer", 5 * StepMs));
}

void TestGame::restartCancelsTheOldGamesSteps()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start("Ann+5+3+");
    TestClient &cy = t.join("Cy");
    QVERIFY(!cy.take("CMD_youplay").isEmpty());
    cy.sock.disconnectFromHost();
    QVERIFY(TestClient::waitFor([&] { return !t.g().players[3].connected; }));
    QVERIFY(t.g().players[3].newcomer);
    t.hand(1, {54});
    t.hand(2, {1});
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[1].take("CMD_nextplayer+2+").isEmpty());
    t[1].send("CMD_hepasses+2+");
    QVERIFY(!t[0].take("CMD_endround").isEmpty()); // the five-step pause begins
    t[0].send("CMD_startgame+Ann+5+1+");
    QCOMPARE(t[0].take("CMD_startround"), QByteArray("CMD_startround+1+55+16+1+t+2+t+3+f+4+f+5+f+6+f"));
    QVERIFY(!t.g().players[3].newcomer);
    // The old pause must not start a round in the new game.
    QVERIFY(t[0].silentFor("CMD_startround", 8 * StepMs));
    QCOMPARE(t.g().roundnum, 1);
}

void TestGame::hostsOwnSeatLeavingHandsTheTurnOn()
{
    Table t;
    t.join("Ann");
    t.join("Bo");
    t.start();
    t[0].sock.disconnectFromHost();
    QCOMPARE(t[1].take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+1+Ann"));
    QCOMPARE(t[1].take("CMD_nextplayer"), QByteArray("CMD_nextplayer+2+1+t+t+t+1+1+1+"));
}

// The fixture's hold is real: past the longest delay the computer has not
// moved, and it still moves when a test ticks it.
void TestGame::heldComputersKeepStill()
{
    Table t;
    t.join("Ann");
    t.start();
    t[0].send("CMD_hepasses+1+");
    QVERIFY(!t[0].take("CMD_hepassed+1+").isEmpty());
    QVERIFY(!t[0].take("CMD_nextplayer+2+").isEmpty());
    QVERIFY(!t.g().computerArmed);
    QVERIFY(t[0].silentFor("CMD_he", 1200));
    t.g().computerTick();
    QVERIFY(!t[0].take("CMD_he").isEmpty());
}

void TestGame::botDelayRange_data()
{
    QTest::addColumn<QByteArray>("delay");
    QTest::addColumn<int>("result");
    QTest::newRow("fast") << QByteArray("500") << 500;
    QTest::newRow("one") << QByteArray("1") << 1;
    QTest::newRow("limit") << QByteArray("10000") << 10000;
    // Refused values leave the delay as it was (2000 here).
    QTest::newRow("zero") << QByteArray("0") << 2000;
    QTest::newRow("negative") << QByteArray("-5") << 2000;
    QTest::newRow("huge") << QByteArray("2000000000") << 2000;
    QTest::newRow("text") << QByteArray("slow") << 2000;
}

void TestGame::botDelayRange()
{
    QFETCH(QByteArray, delay);
    QFETCH(int, result);
    Table t;
    t.server.setBotDelay(2000);
    t.server.setBotDelay(60000); // out of range for the setter too
    QCOMPARE(t.g().botDelay(), 2000);
    t.join("Ann");
    t[0].send("CMD_botspeed+1+" + delay + "+");
    t[0].send("CMD_chat+1+x");
    QVERIFY(!t[0].take("CMD_chat").isEmpty());
    QCOMPARE(t.g().botDelay(), result);
}

void TestGame::botsPlayWatchingSeats()
{
    Table t;
    t.g().holdComputers(false);
    t.join("Ann");
    t.join("Bo");
    t.join("Cy");
    t[0].send("CMD_botspeed+1+1+");
    t.start("Ann+3+1+");
    for (int s = 1; s <= 3; ++s)
        t[s - 1].send("CMD_justwatch+" + QByteArray::number(s) + "+1");
    QVERIFY(!t[2].take("CMD_winner", 60000).isEmpty());
    QVERIFY(!t.g().gamerunning);
    QVERIFY(t.allWellFormed());
    QCOMPARE(t[0].count("CMD_noplay"), 0);
}

QTEST_GUILESS_MAIN(TestGame)
#include "tst_game.moc"
