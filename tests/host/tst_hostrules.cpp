// SPDX-License-Identifier: MIT
// The host's worked examples that a likely fault would slip past: the
// computer player's choice, toe offers capped at position 20, the
// round-robin deal, the bone numbers, latecomers and watchers in a running
// game, one departure notice per departure, and the highest of negative
// totals.
#include "bones.h"
#include "position.h"
#include "synclink.h"

#include <QtTest>

namespace {

struct Table {
    SyncLink link;
    GameHost g{link, 11};
    QMap<int, QList<QByteArray>> got;

    Table()
    {
        link.host = &g;
        link.onSend = [this](int slot, const QByteArray &m) { got[slot] << m.chopped(1); };
    }
    int join(const QByteArray &name)
    {
        const int slot = g.reserveSlot();
        g.slotConnected(slot);
        g.dispatch(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+" + name);
        return slot;
    }
    void hand(int seat, std::initializer_list<int> bones)
    {
        g.players[seat].hand.fill(0);
        int i = 1;
        for (int b : bones)
            g.players[seat].hand[i++] = b;
    }
    void hand(int seat, int place, int bone)
    {
        g.players[seat].hand.fill(0);
        g.players[seat].hand[place] = bone;
    }
    QByteArray last(int slot, const QByteArray &prefix) const
    {
        const QList<QByteArray> &l = got[slot];
        for (qsizetype i = l.size() - 1; i >= 0; --i)
            if (l[i].startsWith(prefix))
                return l[i];
        return {};
    }
    int count(int slot, const QByteArray &prefix) const
    {
        int n = 0;
        for (const QByteArray &m : got[slot])
            n += m.startsWith(prefix);
        return n;
    }
    // A solo game (Ann in seat 1, the computer in seat 2) at Ann's first turn.
    void solo()
    {
        join("Ann");
        g.dispatch(1, "CMD_startgame+Ann+3+1+");
    }
};

} // namespace

class TestHostRules : public QObject {
    Q_OBJECT
private slots:
    void computerOntoTheSpinner();
    void computerTakesTheFirstBoneByHandNumber();
    void computerFindsTheOneToeThatFits();
    void computerNeverPassesWhenItCanPlay();
    void toeOffersStopAtPosition20();
    void dealGoesRoundTheSeatsInTheGame();
    void boneNumbers();
    void latecomerTakesOverAfterBonesWerePlayed();
    void watcherLoggingInDuringAGame();
    void oneNoticePerDeparture();
    void highestOfNegativeTotals();
};

void TestHostRules::computerOntoTheSpinner()
{
    // Spinner 9, toes 1 and 2 started; the first bone with a 9 is 8-9 at
    // hand number 3 (0-9 at 7 fits too): it goes onto toe 3.
    Table t;
    t.solo();
    t.g.toes[1][1] = {47, false};
    t.g.toes[2][1] = {52, false};
    t.hand(2, {0});
    t.g.players[2].hand[3] = 54;
    t.g.players[2].hand[7] = 10;
    t.g.whoseturn = 2;
    t.g.computerplay(2);
    QCOMPARE(t.last(1, "CMD_heplayed+"), QByteArray("CMD_heplayed+2+3+54+3+1+t+1+"));
    // No bone with a 9: a pass.
    Table u;
    u.solo();
    u.hand(2, {12, 20});
    u.g.whoseturn = 2;
    u.g.computerplay(2);
    QCOMPARE(u.last(1, "CMD_hepassed+"), QByteArray("CMD_hepassed+2+"));
}

void TestHostRules::computerTakesTheFirstBoneByHandNumber()
{
    Table t;
    t.solo();
    t.hand(2, {10, 54}); // 0-9 before the heavier 8-9
    t.g.whoseturn = 2;
    t.g.computerplay(2);
    QCOMPARE(t.last(1, "CMD_heplayed+"), QByteArray("CMD_heplayed+2+1+10+1+1+t+1+"));
}

void TestHostRules::computerFindsTheOneToeThatFits()
{
    // Mode 2, open ends 3, 5 and 7: the computer holds only 5-6, which fits
    // toe 2, whichever toe its random draw starts with.
    for (unsigned seed = 0; seed < 24; ++seed) {
        Table t;
        t.solo();
        t.g.reseed(seed);
        rules::clear(t.g.toes);
        t.g.toes[1][1] = {bones::bonenumber(3, 9), true};
        t.g.toes[2][1] = {bones::bonenumber(5, 9), true};
        t.g.toes[3][1] = {bones::bonenumber(7, 9), true};
        t.g.playmode = 2;
        t.hand(2, 5, bones::bonenumber(5, 6));
        t.g.whoseturn = 2;
        t.g.computerplay(2);
        QCOMPARE(t.last(1, "CMD_heplayed+"), "CMD_heplayed+2+5+" + QByteArray::number(bones::bonenumber(5, 6)) + "+2+2+f+0+");
    }
}

// Over many bot games: at every computer turn where the rules core offers
// a play, the computer plays.
void TestHostRules::computerNeverPassesWhenItCanPlay()
{
    long long turns = 0;
    for (int seed = 0; seed < 150; ++seed) {
        SyncLink link;
        GameHost g(link, unsigned(seed));
        link.host = &g;
        int passer = 0;
        link.onSend = [&](int slot, const QByteArray &m) {
            if (slot == 7 && m.startsWith("CMD_hepassed+"))
                passer = m.mid(13).toInt();
        };
        const int seats = 2 + seed % 5;
        for (int i = 1; i <= 7; ++i)
            g.slotConnected(g.reserveSlot());
        for (int s = seats + 1; s <= 6; ++s)
            g.slotClosed(s);
        g.dispatch(1, "CMD_startgame+Bot+5+1+");
        for (int s = 1; s <= seats; ++s)
            g.slotClosed(s);
        while (g.gamerunning && link.computerRunning) {
            rules::Position p;
            const int s = g.whoseturn;
            p.turn = std::uint8_t(s);
            p.mode = std::uint8_t(g.playmode);
            p.spinner = std::int8_t(g.spinner);
            for (int h = 1; h <= 20; ++h)
                if (g.players[s].hand[h])
                    p.hand[s] |= rules::bit(g.players[s].hand[h]);
            for (int toe = 1; toe <= 3; ++toe) {
                int n = 0;
                while (n < 40 && g.toes[toe][n + 1].bone)
                    ++n;
                p.length[toe] = std::uint8_t(n);
                p.end[toe] = std::int8_t(n ? g.openValue(toe, n) : 0);
            }
            rules::Move moves[rules::MaxMoves];
            const bool canPlay = p.legalMoves(moves) > 0;
            passer = 0;
            link.fireOne();
            ++turns;
            if (canPlay && passer == s)
                QFAIL(qPrintable(QStringLiteral("seed %1: seat %2 passed with a play in hand").arg(seed).arg(s)));
            while (g.gamerunning && !link.computerRunning && link.stepRunning)
                link.fireOne();
        }
    }
    QVERIFY(turns > 5000);
}

void TestHostRules::toeOffersStopAtPosition20()
{
    Table t;
    t.solo();
    rules::clear(t.g.toes);
    // Toe 1 full up to 20, toes 2 and 3 up to 5: a long chain of 9s and 8s.
    for (int p = 1; p <= 20; ++p)
        t.g.toes[1][p] = {p % 2 ? 54 : 54, p % 2 == 0};
    for (int toe = 2; toe <= 3; ++toe)
        for (int p = 1; p <= 5; ++p)
            t.g.toes[toe][p] = {54, p % 2 == 0};
    t.g.playmode = 2;
    t.g.whoseturn = 2;
    t.g.findplayer();
    QCOMPARE(t.last(1, "CMD_nextplayer+"), QByteArray("CMD_nextplayer+1+2+f+t+t+1+6+6+"));
}

void TestHostRules::dealGoesRoundTheSeatsInTheGame()
{
    // Four seats in the game, 1, 2, 4 and 5: seat 4 is dealt third in each
    // round of the deal, so it gets boneyard places 3, 7, 11, ...
    Table t;
    for (const char *n : {"Ann", "Bo", "Cy", "Di", "Ed"})
        t.join(n);
    t.g.slotClosed(3);
    t.g.dispatch(1, "CMD_startgame+Ann+3+1+");
    QVERIFY(t.last(1, "CMD_startround+").endsWith("+3+f+4+t+5+t+6+f"));
    for (int k = 0; k < 11; ++k) {
        QCOMPARE(t.g.players[4].hand[k + 1], t.g.boneyard[3 + 4 * k]);
        QCOMPARE(t.g.players[1].hand[k + 1], t.g.boneyard[1 + 4 * k]);
        QCOMPARE(t.g.players[5].hand[k + 1], t.g.boneyard[4 + 4 * k]);
    }
    QCOMPARE(t.g.players[3].hand[1], 0);
    QCOMPARE(t.last(4, "CMD_dealmybones+").count('+'), 1 + 2 * 11);
}

void TestHostRules::boneNumbers()
{
    int n = 1;
    for (int low = 0; low <= 9; ++low)
        for (int high = low; high <= 9; ++high, ++n) {
            QCOMPARE(gettopnum(n), low);
            QCOMPARE(getbotnum(n), high);
            QCOMPARE(bones::bonenumber(low, high), n);
        }
    QCOMPARE(n, 56);
    QCOMPARE(bones::bonenumber(0, 9), 10);
    QCOMPARE(bones::bonenumber(1, 1), 11);
    QCOMPARE(bones::doubleof(0), 1);
    QCOMPARE(bones::doubleof(9), 55);
    QCOMPARE(gettopnum(0), -1);
    QCOMPARE(getbotnum(56), -2);
    QCOMPARE(bones::bonenumber(5, 4), 0);
}

void TestHostRules::latecomerTakesOverAfterBonesWerePlayed()
{
    Table t;
    t.solo();
    t.hand(2, {3, 54, 44, 12}); // hand numbers 1..4
    t.g.dispatch(1, "CMD_hepasses+1+");
    t.g.computerTick(); // plays 8-9 from hand number 2
    QCOMPARE(t.last(1, "CMD_heplayed+"), QByteArray("CMD_heplayed+2+2+54+1+1+t+3+"));
    const int bo = t.join("Bo");
    QCOMPARE(bo, 2);
    QCOMPARE(t.last(2, "CMD_dealmybones+"), QByteArray("CMD_dealmybones+2+1+3+3+44+4+12"));
    QVERIFY(t.last(2, "CMD_gamestats+").endsWith("+1+1+54+t"));
}

void TestHostRules::watcherLoggingInDuringAGame()
{
    Table t;
    t.join("Ann");
    t.g.dispatch(1, "CMD_startgame+Ann+3+2+");
    for (int i = 2; i <= 6; ++i)
        t.join("P" + QByteArray::number(i));
    const int spy = t.join("Spy");
    QCOMPARE(spy, 7);
    QVERIFY(t.last(7, "CMD_gamestats+").startsWith("CMD_gamestats+1+1+3+9+f+"));
    QCOMPARE(t.count(7, "CMD_youplay+"), 0);
    QCOMPARE(t.count(7, "CMD_dealmybones+"), 0);
    QCOMPARE(t.last(4, "CMD_youplay+"), QByteArray("CMD_youplay+2+4+")); // a seat, by contrast
}

void TestHostRules::oneNoticePerDeparture()
{
    Table t;
    for (const char *n : {"Ann", "Bo", "Cy"})
        t.join(n);
    t.g.slotClosed(2);
    t.g.slotClosed(2); // a second report of the same close
    t.g.dispatch(1, "CMD_kickhim+1+3+");
    QCOMPARE(t.count(1, "CMD_playerdisconnected+"), 2);
    QCOMPARE(t.count(1, "CMD_playerdisconnected+2+Bo"), 1);
    QCOMPARE(t.count(1, "CMD_playerdisconnected+3+Cy"), 1);
    QCOMPARE(t.count(2, "CMD_playerdisconnected+2+"), 0); // not to the one who left
}

void TestHostRules::highestOfNegativeTotals()
{
    Table t;
    t.solo();
    for (int s = 1; s <= 6; ++s)
        t.g.players[s].totalscore = -40 + s;
    QCOMPARE(t.g.gethighest(), -34);
    t.g.players[1].totalscore = -3;
    QCOMPARE(t.g.gethighest(), -3);
}

QTEST_APPLESS_MAIN(TestHostRules)
#include "tst_hostrules.moc"
