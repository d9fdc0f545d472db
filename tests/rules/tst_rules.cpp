// SPDX-License-Identifier: MIT
// The fast rules core against the host: over thousands of positions from
// seeded games, both accept exactly the same plays, and a play or pass
// leaves both in the same state. Also the core's own few edge cases.
#include "position.h"
#include "synclink.h"

#include <QtTest>

#include <algorithm>
#include <set>
#include <tuple>

namespace {

using rules::Move;
using rules::Position;

// What the host's state says, in the core's terms.
Position fromHost(const GameHost &g)
{
    Position p;
    for (int s = 1; s <= 6; ++s) {
        if (!g.players[s].playing)
            continue;
        p.inGame |= std::uint8_t(1u << s);
        if (g.players[s].passed)
            p.passed |= std::uint8_t(1u << s);
        for (int h = 1; h <= 20; ++h)
            if (g.players[s].hand[h])
                p.hand[s] |= rules::bit(g.players[s].hand[h]);
    }
    for (int t = 1; t <= 3; ++t) {
        int n = 0;
        while (n < 40 && g.toes[t][n + 1].bone)
            ++n;
        p.length[t] = std::uint8_t(n);
        p.end[t] = std::int8_t(n ? g.openValue(t, n) : 0);
    }
    p.spinner = std::int8_t(g.spinner);
    p.mode = std::uint8_t(g.playmode);
    p.turn = std::uint8_t(g.whoseturn);
    return p;
}

QString describe(const Position &p)
{
    QString s = QStringLiteral("turn %1 mode %2 spinner %3 passed %4 |").arg(p.turn).arg(p.mode).arg(p.spinner).arg(p.passed);
    for (int t = 1; t <= 3; ++t)
        s += QStringLiteral(" toe%1 len %2 end %3").arg(t).arg(p.length[t]).arg(p.end[t]);
    for (int seat = 1; seat <= 6; ++seat)
        if (p.inRound(seat))
            s += QStringLiteral(" | %1: %2").arg(seat).arg(p.hand[seat], 0, 16);
    return s;
}

bool sameState(const Position &a, const Position &b)
{
    if (a.turn != b.turn || a.mode != b.mode || a.spinner != b.spinner || a.inGame != b.inGame
        || (a.passed & a.inGame) != (b.passed & b.inGame))
        return false;
    for (int s = 1; s <= 6; ++s)
        if (a.hand[s] != b.hand[s])
            return false;
    for (int t = 1; t <= 3; ++t)
        if (a.length[t] != b.length[t] || (a.length[t] && a.end[t] != b.end[t]))
            return false;
    return true;
}

// Where the host keeps a bone of the seat's hand.
int handNumber(const GameHost &g, int seat, int bone)
{
    for (int h = 1; h <= 20; ++h)
        if (g.players[seat].hand[h] == bone)
            return h;
    return 0;
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void coreAndHostAgree();
    void edgeCases();
    void firstFitGamesEnd();
};

void TestRules::coreAndHostAgree()
{
    long long positions = 0, plays = 0, refusalsChecked = 0;
    int doubles = 0, blocked = 0, wentOut = 0;
    for (int seed = 0; seed < 400; ++seed) {
        SyncLink link;
        GameHost g(link, unsigned(seed));
        link.host = &g;
        bool newSpinner = false, roundEnded = false;
        link.onSend = [&](int slot, const QByteArray &m) {
            if (slot != 1)
                return;
            newSpinner |= m.startsWith("CMD_double+");
            if (m.startsWith("CMD_endround+")) {
                roundEnded = true;
                (m.startsWith("CMD_endround+0+") ? blocked : wentOut)++;
            }
        };
        const int seats = 2 + seed % 5;
        for (int i = 1; i <= seats; ++i) {
            g.slotConnected(g.reserveSlot());
            g.dispatch(i, "CMD_logininfo+" + QByteArray::number(i) + "+1.0.1+P" + QByteArray::number(i));
        }
        g.dispatch(1, "CMD_startgame+P1+10+1+");
        rules::Random rng(std::uint64_t(seed) + 1);
        int guard = 0;
        while (g.gamerunning && ++guard < 20000) {
            if (!g.turnopen) {
                link.fireOne();
                continue;
            }
            const Position before = fromHost(g);
            // Every play the host would take is one the core offers, and
            // nothing else.
            std::set<std::tuple<int, int, int>> host, core;
            const int s = g.whoseturn;
            for (int h = 1; h <= 20; ++h)
                for (int t = 1; t <= 3; ++t)
                    for (int pos = 0; pos <= 41; ++pos) {
                        const int b = g.players[s].hand[h];
                        ++refusalsChecked;
                        if (b && rules::judge(g.toes, g.playmode, g.spinner, b, t, pos).legal)
                            host.insert({b, t, pos});
                    }
            Move moves[rules::MaxMoves];
            const int n = before.legalMoves(moves);
            for (int i = 0; i < n; ++i)
                core.insert({moves[i].bone, moves[i].toe, moves[i].position});
            if (host != core)
                QFAIL(qPrintable(QStringLiteral("seed %1: the host takes %2 plays, the core offers %3 in %4")
                                     .arg(seed).arg(host.size()).arg(core.size()).arg(describe(before))));
            ++positions;
            // Play one of them (or pass now and then) on both and compare.
            const Move m = (n == 0 || rng.below(8) == 0) ? Move{} : moves[rng.below(n)];
            newSpinner = roundEnded = false;
            const QByteArray seat = QByteArray::number(s);
            if (m.isPass())
                g.dispatch(s, "CMD_hepasses+" + seat + "+");
            else
                g.dispatch(s, "CMD_playbone+" + seat + "+" + QByteArray::number(handNumber(g, s, m.bone)) + "+"
                                  + QByteArray::number(m.toe) + "+" + QByteArray::number(m.position) + "+");
            ++plays;
            Position after = before;
            after.play(m);
            if (roundEnded) {
                QVERIFY2(after.over, qPrintable(describe(before)));
                for (int seat2 = 1; seat2 <= 6; ++seat2)
                    if (after.inRound(seat2))
                        QCOMPARE(after.roundScore(seat2), g.players[seat2].roundscore);
                continue;
            }
            QVERIFY2(!after.over, qPrintable(describe(before)));
            if (newSpinner) {
                ++doubles;
                while (!g.turnopen && g.gamerunning)
                    link.fireOne(); // the pause before the board starts again
            }
            if (!sameState(after, fromHost(g)))
                QFAIL(qPrintable(QStringLiteral("seed %1 after %2/%3/%4:\n core %5\n host %6")
                                     .arg(seed).arg(m.bone).arg(m.toe).arg(m.position)
                                     .arg(describe(after), describe(fromHost(g)))));
        }
        QVERIFY(!g.gamerunning);
    }
    qInfo("%lld positions, %lld plays and passes, %lld requests judged, %d doubles, %d rounds out, %d blocked",
          positions, plays, refusalsChecked, doubles, wentOut, blocked);
    QVERIFY(positions > 10000 && doubles > 100 && blocked > 10 && wentOut > 100);
}

void TestRules::edgeCases()
{
    // Spinner 9, toe 2 empty: 8-9 goes on with its 9 touching, 8 open.
    Position p;
    p.inGame = 0b110;
    p.spinner = 9;
    p.hand[1] = rules::bit(54) | rules::bit(1);
    p.hand[2] = rules::bit(2);
    p.length[1] = 1;
    p.end[1] = 3;
    p.length[3] = 1;
    p.end[3] = 4;
    Move moves[rules::MaxMoves];
    QCOMPARE(p.legalMoves(moves), 1);
    QCOMPARE(moves[0], (Move{54, 2, 1}));
    p.play(moves[0]);
    QCOMPARE(p.mode, 2);
    QCOMPARE(p.end[2], 8);
    QCOMPARE(p.turn, 2);
    // Seat 2 cannot play 0-1 anywhere: it passes, seat 1 passes, blocked.
    QCOMPARE(p.legalMoves(moves), 0);
    p.play(Move{});
    QVERIFY(!p.over);
    p.play(Move{});
    QVERIFY(p.over);
    QCOMPARE(p.wentOut, 0);
    QCOMPARE(p.roundScore(1), 0);   // 0-0 left
    QCOMPARE(p.roundScore(2), 1);   // 0-1 left

    // The double of an open end becomes the spinner; the last bone goes out.
    Position d;
    d.inGame = 0b110;
    d.mode = 2;
    d.spinner = 9;
    d.length[1] = d.length[2] = d.length[3] = 1;
    d.end[1] = 8;
    d.end[2] = 7;
    d.end[3] = 6;
    d.hand[1] = rules::bit(53) | rules::bit(3);
    d.hand[2] = rules::bit(50);
    QCOMPARE(d.legalMoves(moves), 1);
    d.play(moves[0]);
    QCOMPARE(d.spinner, 8);
    QCOMPARE(d.mode, 1);
    QCOMPARE(d.length[1], 0);
    QCOMPARE(d.turn, 2);
    QCOMPARE(d.legalMoves(moves), 0);
    d.turn = 1;
    d.hand[1] = rules::bit(53);
    d.mode = 2;
    d.spinner = 9;
    d.length[1] = 1;
    d.end[1] = 8;
    d.play(Move{53, 1, 2});
    QVERIFY(d.over);
    QCOMPARE(d.wentOut, 1);
    QCOMPARE(d.roundScore(1), -20);
}

void TestRules::firstFitGamesEnd()
{
    rules::Random rng(5);
    for (int seats = 2; seats <= 6; ++seats) {
        const long long moves = rules::playFirstFitGame(seats, 10, rng);
        QVERIFY(moves > 100);
    }
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
