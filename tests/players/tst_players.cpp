// SPDX-License-Identifier: MIT
// The computer players against the real host: a seat's tracker follows host
// games turn by turn, sampled deals keep to what the seat knows, the strong
// player only makes plays the host accepts, never reads a bone its seat
// cannot see, and a solo game against five strong players runs to its end.
#include "bones.h"
#include "handreading.h"
#include "heuristic.h"
#include "position.h"
#include "strongplayer.h"
#include "synclink.h"
#include "tabletracker.h"

#include <QtTest>

#include <cstring>
#include <random>

namespace {

using rules::BoneSet;
using rules::Position;

QByteArray num(int v) { return QByteArray::number(v); }

BoneSet setOf(const std::array<int, 21> &hand)
{
    BoneSet s = 0;
    for (int h = 1; h <= rules::HandPlaces; ++h)
        if (hand[h])
            s |= rules::bit(hand[h]);
    return s;
}

BoneSet withValues(std::uint16_t values)
{
    BoneSet s = 0;
    for (int v = 0; v <= 9; ++v)
        if (values & (1 << v))
            s |= rules::withValue(v);
    return s;
}

// The next free cell of a toe: where the host takes a bone on it.
int nextCell(const GameHost &g, int toe)
{
    int p = 1;
    while (p <= rules::Positions && g.toes[toe][p].bone)
        ++p;
    return p;
}

bool hostTakes(const GameHost &g, int bone, int toe, int position)
{
    return bone && position == nextCell(g, toe) && rules::judge(g.toes, g.playmode, g.spinner, bone, toe, position).legal;
}

bool canPlay(const GameHost &g, int seat)
{
    for (int h = 1; h <= rules::HandPlaces; ++h)
        for (int t = 1; t <= rules::Toes; ++t)
            if (hostTakes(g, g.players[seat].hand[h], t, nextCell(g, t)))
                return true;
    return false;
}

// A host game whose seats are all connected but watching: the computer
// plays them, and each connection still hears what a player in that seat
// would, which feeds that seat's tracker. Slot 7 watches the table.
struct HostGame {
    SyncLink link;
    GameHost g;
    int seats;
    players::TableTracker trackers[rules::Seats + 1];
    QList<QByteArray> heard; // what slot 7 heard since the last step
    int refusals = 0;
    int doubles = 0, blocked = 0, wentOut = 0;

    // Seats in `own` are left to the test to play; the computer plays the rest.
    HostGame(int seatCount, unsigned seed, int rounds, const QList<int> &strong, const QList<int> &own = {})
        : g(link, seed), seats(seatCount)
    {
        link.host = &g;
        g.setBotDelay(1);
        for (int s : strong)
            g.setComputerLevel(s, GameHost::Strong);
        for (int s = 1; s <= rules::Seats; ++s)
            trackers[s].setSeat(s);
        link.onSend = [this](int slot, const QByteArray &whole) {
            const QByteArray m = whole.chopped(1);
            if (slot >= 1 && slot <= rules::Seats)
                trackers[slot].observe(m);
            refusals += m.startsWith("CMD_noplay+");
            if (slot != 7)
                return;
            heard << m;
            doubles += m.startsWith("CMD_double+");
            blocked += m.startsWith("CMD_endround+0+");
            wentOut += m.startsWith("CMD_endround+") && !m.startsWith("CMD_endround+0+");
        };
        for (int i = 1; i <= 7; ++i) {
            g.slotConnected(g.reserveSlot());
            g.dispatch(i, "CMD_logininfo+" + num(i) + "+1.0.1+P" + num(i));
        }
        for (int s = seats + 1; s <= rules::Seats; ++s)
            g.slotClosed(s);
        g.dispatch(1, "CMD_startgame+P1+" + num(rounds) + "+1+");
        // Seat 1 has the turn: it starts watching last, and the turn moves on.
        for (int s = seats; s >= 1; --s)
            if (!own.contains(s))
                g.dispatch(s, "CMD_justwatch+" + num(s) + "+1");
    }

    bool strongToMove() const
    {
        return g.turnopen && link.computerRunning && g.computerLevel(g.whoseturn) == GameHost::Strong;
    }

    bool step()
    {
        heard.clear();
        return link.fireOne();
    }
};

// How slot 7 hears seat s make move m: "CMD_hepassed+s+", or the tail of
// "CMD_heplayed+" or "CMD_double+". Taken before the move.
QByteArray moveText(const HostGame &h, int s, const rules::Move &m)
{
    if (m.isPass())
        return "CMD_hepassed+" + num(s) + "+";
    return num(s) + "+" + num(h.trackers[s].handNumber(m.bone)) + "+" + num(m.bone) + "+" + num(m.toe) + "+"
           + num(m.position) + "+";
}

bool heardMove(const HostGame &h, const QByteArray &move)
{
    return std::any_of(h.heard.begin(), h.heard.end(), [&](const QByteArray &msg) {
        return msg == move || msg.startsWith("CMD_heplayed+" + move) || msg.startsWith("CMD_double+" + move);
    });
}

// Where the view and the host disagree, in words; empty when they agree.
QString trackerFault(const HostGame &h, int s)
{
    const GameHost &g = h.g;
    const players::TableView &v = h.trackers[s].view();
    const Position &r = v.round;
    if (!v.valid || v.me != s)
        return QStringLiteral("no view");
    if (r.hand[s] != setOf(g.players[s].hand))
        return QStringLiteral("own hand");
    for (int hp = 1; hp <= rules::HandPlaces; ++hp)
        if (const int b = g.players[s].hand[hp]; b && h.trackers[s].handNumber(b) != hp)
            return QStringLiteral("hand place of bone %1").arg(b);
    for (int t = 1; t <= rules::Toes; ++t) {
        const int length = nextCell(g, t) - 1;
        if (r.length[t] != length || (length && r.end[t] != g.openValue(t, length)))
            return QStringLiteral("toe %1").arg(t);
    }
    if (r.spinner != g.spinner || r.mode != g.playmode || r.turn != g.whoseturn)
        return QStringLiteral("spinner, mode or turn");
    if (h.trackers[s].myTurn() != (g.whoseturn == s))
        return QStringLiteral("whose turn");
    if (v.game.round != g.roundnum || v.game.rounds != g.roundstoplay)
        return QStringLiteral("round %1 of %2").arg(v.game.round).arg(v.game.rounds);
    int played[rules::Seats + 1] = {};
    for (int i = 0; i < v.historyLength; ++i)
        played[v.history[i].seat] += v.history[i].bone != 0;
    BoneSet hands = 0;
    for (int p = 1; p <= rules::Seats; ++p) {
        const tplayer &pl = g.players[p];
        if (r.inRound(p) != pl.playing)
            return QStringLiteral("seat %1 in the round").arg(p);
        if (!pl.playing)
            continue;
        const BoneSet hand = setOf(pl.hand);
        hands |= hand;
        if (p != s && r.hand[p])
            return QStringLiteral("knows seat %1's hand").arg(p);
        if (v.handCount[p] != rules::countOf(hand))
            return QStringLiteral("seat %1 holds %2, view says %3").arg(p).arg(rules::countOf(hand)).arg(v.handCount[p]);
        if (v.game.total[p] != pl.totalscore)
            return QStringLiteral("seat %1's total").arg(p);
        if (v.historyLength < 0 || played[p] + v.handCount[p] != g.bonesEach(g.seatsInGame()))
            return QStringLiteral("seat %1's plays").arg(p);
        if (bool((r.passed >> p) & 1) != pl.passed)
            return QStringLiteral("seat %1's pass").arg(p);
        // The first-fit player passes only when it cannot play (the strong
        // one may pass with a bone that fits).
        if (g.computerLevel(p) != GameHost::Strong && (hand & withValues(v.cannotHold[p])))
            return QStringLiteral("seat %1 holds a value it is said to have passed on").arg(p);
    }
    BoneSet undealt = 0;
    for (int i = g.dealpos + 1; i <= 54; ++i)
        undealt |= rules::bit(g.boneyard[i]);
    // Every bone is once in the own hand, once unseen or once gone.
    if (r.hand[s] & v.gone)
        return QStringLiteral("own bone counted as gone");
    if (v.gone != (rules::AllBones & ~hands & ~undealt))
        return QStringLiteral("gone set");
    if (v.unseen() != ((hands & ~r.hand[s]) | undealt))
        return QStringLiteral("unseen set");
    if ((r.hand[s] | v.gone | v.unseen()) != rules::AllBones)
        return QStringLiteral("bones unaccounted for");
    return {};
}

// What is wrong with a sampled deal for a view; empty when nothing is.
// keepPasses: a deal that keeps every pass exists, so this one must.
QString dealFault(const players::TableView &v, const Position &deal, bool keepPasses)
{
    const Position &r = v.round;
    if (deal.hand[v.me] != r.hand[v.me])
        return QStringLiteral("own hand changed");
    if (deal.turn != r.turn || deal.mode != r.mode || deal.spinner != r.spinner || deal.inGame != r.inGame
        || deal.passed != r.passed || std::memcmp(deal.length, r.length, sizeof r.length)
        || std::memcmp(deal.end, r.end, sizeof r.end))
        return QStringLiteral("board changed");
    BoneSet dealt = 0;
    for (int s = 1; s <= rules::Seats; ++s) {
        if (s == v.me)
            continue;
        const BoneSet hand = deal.hand[s];
        if (!r.inRound(s)) {
            if (hand)
                return QStringLiteral("seat %1 is not in the round but holds bones").arg(s);
            continue;
        }
        if (rules::countOf(hand) != v.handCount[s])
            return QStringLiteral("seat %1 holds %2, not %3").arg(s).arg(rules::countOf(hand)).arg(v.handCount[s]);
        if (hand & ~v.unseen())
            return QStringLiteral("seat %1 holds a bone the view can see").arg(s);
        if (hand & dealt)
            return QStringLiteral("seat %1 shares a bone").arg(s);
        dealt |= hand;
        if (keepPasses && (hand & withValues(v.cannotHold[s])))
            return QStringLiteral("seat %1 holds a value it passed on").arg(s);
    }
    return {};
}

// A view by hand: seat 1 holds `mine`, the bones in `pool` are unseen and
// the rest are gone; the other seats hold the given counts.
players::TableView handMadeView(BoneSet mine, BoneSet pool, const QList<int> &counts, const QList<int> &passedOn)
{
    players::TableView v;
    v.me = 1;
    v.valid = true;
    v.round.inGame = std::uint8_t(((1u << (counts.size() + 2)) - 1) & ~1u);
    v.round.turn = 1;
    v.round.mode = 2;
    v.round.spinner = 9;
    for (int t = 1; t <= rules::Toes; ++t) {
        v.round.length[t] = 1;
        v.round.end[t] = 9;
    }
    v.round.hand[1] = mine;
    v.handCount[1] = rules::countOf(mine);
    for (int i = 0; i < counts.size(); ++i) {
        v.handCount[i + 2] = counts[i];
        v.cannotHold[i + 2] = std::uint16_t(passedOn.value(i));
    }
    v.gone = rules::AllBones & ~(mine | pool);
    return v;
}

BoneSet bonesOf(std::initializer_list<std::pair<int, int>> pairs)
{
    BoneSet s = 0;
    for (const auto &[a, b] : pairs)
        s |= rules::bit(bones::bonenumber(std::min(a, b), std::max(a, b)));
    return s;
}

// A bone as its two values, in either order.
using Pair = std::pair<int, int>;
using Pairs = QList<Pair>;

// Bits of values.
std::uint16_t values(std::initializer_list<int> vs)
{
    std::uint16_t m = 0;
    for (int v : vs)
        m |= std::uint16_t(1 << v);
    return m;
}

} // namespace

class TestPlayers : public QObject {
    Q_OBJECT
private slots:
    void trackerFollowsHostGames_data();
    void trackerFollowsHostGames();
    void sampledDealsKeepToTheView_data();
    void sampledDealsKeepToTheView();
    void sampledDealsKeepPassesWheneverPossible();
    void strongIgnoresHiddenBones();
    void leakingHostIsCaught();
    void playsReadFromHeuristicSeats_data();
    void playsReadFromHeuristicSeats();
    void oneLookChoices_data();
    void oneLookChoices();
    void trackerKeepsTheGame_data();
    void trackerKeepsTheGame();
    void levelsChangedDuringGames();
    void soloGameAgainstFiveStrong_data();
    void soloGameAgainstFiveStrong();
};

void TestPlayers::trackerFollowsHostGames_data()
{
    QTest::addColumn<int>("seats");
    QTest::addColumn<QList<int>>("strong");
    QTest::addColumn<int>("games");
    QTest::newRow("2 seats, strong against normal") << 2 << QList<int>{2} << 10;
    QTest::newRow("2 seats, both strong") << 2 << QList<int>{1, 2} << 5;
    QTest::newRow("3 seats, two strong") << 3 << QList<int>{1, 3} << 5;
    QTest::newRow("4 seats, one strong") << 4 << QList<int>{3} << 8;
    QTest::newRow("5 seats, three strong") << 5 << QList<int>{2, 4, 5} << 5;
    QTest::newRow("6 seats, all strong") << 6 << QList<int>{1, 2, 3, 4, 5, 6} << 4;
    QTest::newRow("6 seats, all normal") << 6 << QList<int>{} << 6;
}

// Also the strong player's every decision: the host must make exactly the
// move decideStrong makes from a tracker fed only what that seat's own
// connection was sent (with the seed the host draws from the generator of
// its own), so it cannot use anything it kept from elsewhere, such as the
// deal. That move is one the host takes, or a pass.
void TestPlayers::trackerFollowsHostGames()
{
    QFETCH(int, seats);
    QFETCH(QList<int>, strong);
    QFETCH(int, games);
    int turns = 0, decisions = 0, doubles = 0, blocked = 0, wentOut = 0, passesKnown = 0, voluntary = 0;
    for (int game = 0; game < games; ++game) {
        const unsigned seed = unsigned(1000 * seats + game);
        HostGame h(seats, seed, 10, strong);
        std::mt19937_64 hostSeeds(seed);
        h.g.reseedStrong(seed);
        int guard = 0;
        while (h.g.gamerunning && ++guard < 100000) {
            if (h.g.turnopen) {
                ++turns;
                for (int s = 1; s <= seats; ++s) {
                    const QString fault = trackerFault(h, s);
                    if (!fault.isEmpty())
                        QFAIL(qPrintable(QStringLiteral("game %1, seat %2's view: %3").arg(seed).arg(s).arg(fault)));
                    for (int p = 1; p <= seats; ++p)
                        passesKnown += h.trackers[s].view().cannotHold[p] != 0;
                }
            }
            const int s = h.g.whoseturn;
            if (h.strongToMove()) {
                QVERIFY(h.trackers[s].myTurn());
                const players::TableView &v = h.trackers[s].view();
                const std::uint64_t mySeed = hostSeeds();
                const rules::Move m = players::decideStrong(v, mySeed, h.g.strongSettings);
                if (++decisions % 3 == 0)
                    QCOMPARE(players::decideStrong(v, mySeed, h.g.strongSettings), m);
                voluntary += m.isPass() && canPlay(h.g, s);
                if (!m.isPass()) {
                    QVERIFY2(hostTakes(h.g, m.bone, m.toe, m.position),
                             qPrintable(QStringLiteral("game %1: bone %2 on toe %3 at %4")
                                            .arg(seed).arg(m.bone).arg(m.toe).arg(m.position)));
                    QCOMPARE(h.g.players[s].hand[h.trackers[s].handNumber(m.bone)], m.bone);
                }
                const QByteArray expected = moveText(h, s, m);
                QVERIFY(h.step());
                // The host moved as the seat's own tracker says it should.
                QVERIFY2(heardMove(h, expected), qPrintable(QStringLiteral("game %1: the host did not play %2")
                                                                .arg(seed).arg(QString::fromLatin1(expected))));
            } else if (!h.step()) {
                break;
            }
            QCOMPARE(h.refusals, 0);
        }
    QVERIFY2(!h.g.gamerunning, qPrintable(QStringLiteral("game %1 never ended").arg(seed)));
        doubles += h.doubles;
        blocked += h.blocked;
        wentOut += h.wentOut;
    }
    qInfo("%d turns checked, %d strong decisions (%d passes with a bone that fits), %d doubles, %d rounds out, %d blocked",
          turns, decisions, voluntary, doubles, wentOut, blocked);
    // Two strong players end their rounds by passing rather than going out.
    QVERIFY(doubles > 0 && passesKnown > 0 && (wentOut > 0 || strong.size() == seats));
    QVERIFY(blocked > 0 || seats > 4); // with few bones each, someone nearly always goes out
    QVERIFY(decisions >= 100 * strong.size() || strong.isEmpty());
}

void TestPlayers::sampledDealsKeepToTheView_data()
{
    QTest::addColumn<int>("seats");
    QTest::newRow("2 seats") << 2;
    QTest::newRow("3 seats") << 3;
    QTest::newRow("4 seats") << 4;
    QTest::newRow("6 seats") << 6;
}

// From every turn of host games, where the real hands keep every pass, so a
// sample must too, and so must the deals read from the plays.
void TestPlayers::sampledDealsKeepToTheView()
{
    QFETCH(int, seats);
    int samples = 0, read = 0;
    for (int game = 0; game < 3; ++game) {
        HostGame h(seats, unsigned(77 * seats + game), 10, {});
        int guard = 0;
        while (h.g.gamerunning && h.step() && ++guard < 100000) {
            if (!h.g.turnopen)
                continue;
            for (int s = 1; s <= seats; ++s) {
                const players::TableView &v = h.trackers[s].view();
                for (int k = 0; k < 3; ++k) {
                    rules::Random rng(std::uint64_t(guard) * 31 + std::uint64_t(s * 7 + k));
                    Position deal;
                    QVERIFY(players::sampleDeal(v, rng, deal));
                    const QString fault = dealFault(v, deal, true);
                    if (!fault.isEmpty())
                        QFAIL(qPrintable(QStringLiteral("game %1 seat %2: %3").arg(game).arg(s).arg(fault)));
                    ++samples;
                }
                // The deals read from the plays keep to the view as well.
                if ((guard + s) % 16 == 0)
                    for (const Position &deal : players::readDeals(v, std::uint64_t(guard))) {
                        const QString fault = dealFault(v, deal, true);
                        if (!fault.isEmpty())
                            QFAIL(qPrintable(QStringLiteral("game %1 seat %2, read: %3").arg(game).arg(s).arg(fault)));
                        ++read;
                    }
            }
        }
    }
    QVERIFY(samples > 1000 && read > 1000);
}

void TestPlayers::sampledDealsKeepPassesWheneverPossible()
{
    // Seat 2 passed on 0, 1 and 2, seat 3 on 9: seat 3 may hold only 3-4
    // and 3-5, so seat 2 must get 9-9 and 8-9; filling seat 2 first from a
    // shuffled pool would often leave seat 3 short.
    const players::TableView tight = handMadeView(bonesOf({{0, 0}, {1, 5}}), bonesOf({{9, 9}, {8, 9}, {3, 4}, {3, 5}}),
                                                  {2, 2}, {values({0, 1, 2}), values({9})});
    // Seat 2 passed on 3 and 5 and there is room for the undealt bones:
    // the two bones with a 3 or a 5 must stay undealt or go to seat 3.
    const players::TableView undealt = handMadeView(bonesOf({{0, 0}}), bonesOf({{3, 5}, {3, 3}, {1, 2}, {6, 7}, {8, 8}}),
                                                    {2, 1}, {values({3, 5}), values({0, 1, 2, 6, 7, 8})});
    // A person may pass while able to play: when no deal keeps the passes,
    // the counts and the bones still do.
    const players::TableView impossible = handMadeView(bonesOf({{0, 0}}), bonesOf({{4, 4}, {4, 6}, {1, 2}}),
                                                       {2, 1}, {values({4}), values({1, 2})});
    for (std::uint64_t seed = 0; seed < 300; ++seed) {
        rules::Random rng(seed);
        Position deal;
        QVERIFY(players::sampleDeal(tight, rng, deal));
        QCOMPARE(dealFault(tight, deal, true), QString());
        QCOMPARE(deal.hand[2], bonesOf({{9, 9}, {8, 9}}));
        QVERIFY(players::sampleDeal(undealt, rng, deal));
        QCOMPARE(dealFault(undealt, deal, true), QString());
        QVERIFY(players::sampleDeal(impossible, rng, deal));
        QCOMPARE(dealFault(impossible, deal, false), QString());
    }
    players::TableView none;
    rules::Random rng(1);
    Position deal;
    QVERIFY(!players::sampleDeal(none, rng, deal));
}

// Two hosts play the same game in step. Whenever a strong seat is to move,
// the second host's hidden bones are shuffled about first (between the
// other seats' hands and the undealt bones, keeping every count and every
// pass), and both must then make the same move; the swaps are undone
// before anyone else moves.
void TestPlayers::strongIgnoresHiddenBones()
{
    int compared = 0, swaps = 0;
    for (int game = 0; game < 24; ++game) {
        const int seats = 2 + game % 5;
        QList<int> strong{1 + game % seats};
        if (game % 3 == 0)
            strong << 1 + (game + 1) % seats;
        const unsigned seed = unsigned(500 + game);
        HostGame a(seats, seed, 4, strong), b(seats, seed, 4, strong);
        std::mt19937 pick(seed);
        int guard = 0;
        while (a.g.gamerunning && ++guard < 100000) {
            struct Place {
                int seat; // 0: the undealt bones
                int index;
            };
            QList<std::pair<Place, Place>> done;
            const auto bone = [&](const Place &p) -> int & {
                return p.seat ? b.g.players[p.seat].hand[p.index] : b.g.boneyard[p.index];
            };
            // A move that ends the round scores the hidden hands: swap only
            // where the strong seat's play cannot empty its hand and its
            // pass cannot block the round.
            const auto othersPassed = [&] {
                for (int s = 1; s <= seats; ++s)
                    if (s != a.g.whoseturn && a.g.players[s].playing && !a.g.players[s].passed)
                        return false;
                return true;
            };
            if (a.strongToMove() && rules::countOf(setOf(a.g.players[a.g.whoseturn].hand)) > 1 && canPlay(a.g, a.g.whoseturn)
                && !othersPassed()) {
                const int me = a.g.whoseturn;
                const players::TableView &v = a.trackers[me].view();
                QList<Place> places;
                for (int s = 1; s <= seats; ++s)
                    if (s != me && b.g.players[s].playing)
                        for (int hp = 1; hp <= rules::HandPlaces; ++hp)
                            if (b.g.players[s].hand[hp])
                                places << Place{s, hp};
                for (int i = b.g.dealpos + 1; i <= 54; ++i)
                    places << Place{0, i};
                const auto mayHold = [&](int seat, int bn) {
                    return seat == 0 || !(rules::bit(bn) & withValues(v.cannotHold[seat]));
                };
                for (int k = 0; k < 40 && places.size() > 1; ++k) {
                    const Place x = places[int(pick() % places.size())], y = places[int(pick() % places.size())];
                    if (x.seat == y.seat || !mayHold(y.seat, bone(x)) || !mayHold(x.seat, bone(y)))
                        continue;
                    std::swap(bone(x), bone(y));
                    done << std::pair{x, y};
                }
                swaps += int(done.size());
                ++compared;
            }
            const bool more = a.step();
            QCOMPARE(b.step(), more);
            if (a.heard != b.heard)
                QFAIL(qPrintable(QStringLiteral("game %1: %2 against %3").arg(seed).arg(
                    QString::fromLatin1(a.heard.join(' ')), QString::fromLatin1(b.heard.join(' ')))));
            for (qsizetype i = done.size() - 1; i >= 0; --i)
                std::swap(bone(done[i].first), bone(done[i].second));
            if (!more)
                break;
        }
        QVERIFY(!a.g.gamerunning);
        QCOMPARE(a.refusals + b.refusals, 0);
    }
    qInfo("%d strong decisions compared after %d swaps of hidden bones", compared, swaps);
    QVERIFY(compared > 500 && swaps > 10 * compared);
}

// A host that keeps the deal when it deals and lets its strong player plan
// with it later (a seat cannot hold a value it was not dealt) moves the same
// in both hosts of strongIgnoresHiddenBones, whose swaps come after the
// deal; the check of trackerFollowsHostGames, the move a tracker of the
// seat's own messages makes, catches it. The test moves for that host's
// strong seat through the host's own handling of a play.
void TestPlayers::leakingHostIsCaught()
{
    int decisions = 0, leaked = 0, caught = 0;
    for (int game = 0; game < 6; ++game) {
        const int seats = 2 + game % 3, leaky = 1 + game % seats;
        const unsigned seed = unsigned(700 + game);
        HostGame h(seats, seed, 3, {}, {leaky});
        std::mt19937_64 strongSeeds(seed);
        std::uint16_t notDealt[rules::Seats + 1] = {};
        const auto keepDeal = [&] {
            if (std::any_of(h.heard.begin(), h.heard.end(), [](const QByteArray &m) { return m.startsWith("CMD_startround+"); }))
                for (int s = 1; s <= seats; ++s) {
                    notDealt[s] = 0;
                    for (int v = 0; v <= 9; ++v)
                        if (!(setOf(h.g.players[s].hand) & rules::withValue(v)))
                            notDealt[s] |= std::uint16_t(1 << v);
                }
        };
        keepDeal();
        int guard = 0;
        while (h.g.gamerunning && ++guard < 100000) {
            const int s = h.g.whoseturn;
            if (h.g.turnopen && s == leaky && h.trackers[s].myTurn()) {
                players::TableView v = h.trackers[s].view();
                const std::uint64_t mySeed = strongSeeds();
                const rules::Move fair = players::decideStrong(v, mySeed);
                for (int o = 1; o <= seats; ++o)
                    if (o != s)
                        v.cannotHold[o] |= notDealt[o];
                const rules::Move m = players::decideStrong(v, mySeed);
                const QByteArray expected = moveText(h, s, fair);
                h.heard.clear();
                h.g.dispatch(s, m.isPass() ? "CMD_hepasses+" + num(s) + "+"
                                           : "CMD_playbone+" + num(s) + "+" + num(h.trackers[s].handNumber(m.bone)) + "+"
                                                 + num(m.toe) + "+" + num(m.position) + "+");
                ++decisions;
                leaked += !(m == fair);
                caught += !heardMove(h, expected);
                continue;
            }
            if (!h.step())
                break;
            keepDeal();
        }
        QVERIFY(!h.g.gamerunning);
        QCOMPARE(h.refusals, 0);
    }
    qInfo("%d decisions of a leaking host, %d of them caught", decisions, caught);
    QVERIFY(decisions > 100);
    QVERIFY(caught > 0);
    QCOMPARE(caught, leaked); // and only those the leak changed
}

void TestPlayers::playsReadFromHeuristicSeats_data()
{
    QTest::addColumn<int>("seats");
    QTest::newRow("2 seats") << 2;
    QTest::newRow("3 seats") << 3;
    QTest::newRow("4 seats") << 4;
    QTest::newRow("6 seats") << 6;
}

// Every seat played by the heuristic player from its own tracker, as a
// client: the real hands must explain every play any seat's view shows of
// the others, and a hand that lacks what a seat played once cannot.
void TestPlayers::playsReadFromHeuristicSeats()
{
    QFETCH(int, seats);
    QList<int> all;
    for (int s = 1; s <= seats; ++s)
        all << s;
    const players::HeuristicWeights weights;
    int read = 0, refuted = 0;
    for (int game = 0; game < 3; ++game) {
        HostGame h(seats, unsigned(300 * seats + game), 3, {}, all);
        int guard = 0;
        while (h.g.gamerunning && ++guard < 100000) {
            const int s = h.g.whoseturn;
            if (!h.g.turnopen || s < 1 || s > seats) {
                if (!h.step())
                    break;
                continue;
            }
            Position truth;
            for (int p = 1; p <= seats; ++p)
                truth.hand[p] = setOf(h.g.players[p].hand);
            for (int p = 1; p <= seats; ++p) {
                const players::PlayReader reader(h.trackers[p].view(), weights);
                if (!reader.active())
                    continue;
                ++read;
                QCOMPARE(reader.regret(truth), 0);
                // With the heaviest bone p cannot see added to its hand, a
                // seat's plays are not all explained any more, now and then.
                int heavy = 0;
                for (BoneSet x = h.trackers[p].view().unseen(); x; x &= x - 1)
                    if (const int b = std::countr_zero(x) + 1; !heavy || bones::pips(b) > bones::pips(heavy))
                        heavy = b;
                for (int o = 1; o <= seats; ++o)
                    if (o != p && reader.reads(o) && heavy)
                        refuted += reader.regret(o, truth.hand[o] | rules::bit(heavy)) > 0;
            }
            // A history that does not replay to the board is not read at all.
            players::TableView garbled = h.trackers[s].view();
            for (int i = 0; i < garbled.historyLength; ++i)
                if (garbled.history[i].bone)
                    garbled.history[i].bone = std::int8_t(rules::BoneCount + 1);
            const players::PlayReader none(garbled, weights);
            QVERIFY(!none.active() || garbled.historyLength == 0);
            for (int o = 1; o <= seats; ++o)
                QCOMPARE(none.regret(o, truth.hand[o]), 0);
            const rules::Move m = players::decideHeuristic(h.trackers[s].view(), weights);
            if (m.isPass()) {
                QVERIFY(!canPlay(h.g, s));
                h.g.dispatch(s, "CMD_hepasses+" + num(s) + "+");
            } else {
                h.g.dispatch(s, "CMD_playbone+" + num(s) + "+" + num(h.trackers[s].handNumber(m.bone)) + "+" + num(m.toe)
                                    + "+" + num(m.position) + "+");
            }
            QCOMPARE(h.refusals, 0);
        }
        QVERIFY(!h.g.gamerunning);
    }
    qInfo("%d views read, %d hands refuted", read, refuted);
    QVERIFY(read > 100 && refuted > 0);
}

void TestPlayers::oneLookChoices_data()
{
    QTest::addColumn<Pairs>("hand");
    QTest::addColumn<QList<int>>("ends");      // the three toes' open values, each started
    QTest::addColumn<int>("nextPassedOn");     // a value the next seat passed on, or -1
    QTest::addColumn<Pair>("heuristic");
    QTest::addColumn<Pair>("greedy");
    QTest::newRow("the heavier of two alike") << Pairs{{5, 6}, {5, 1}} << QList<int>{5, 0, 0} << -1 << Pair{5, 6} << Pair{5, 6};
    QTest::newRow("a double with its value backed") << Pairs{{4, 4}, {4, 9}, {4, 1}} << QList<int>{4, 4, 4} << -1
                                                    << Pair{4, 4} << Pair{4, 4};
    QTest::newRow("an end the next seat passed on") << Pairs{{7, 3}, {7, 2}, {2, 0}} << QList<int>{7, 7, 7} << 2
                                                   << Pair{7, 2} << Pair{7, 3};
    QTest::newRow("the last bone") << Pairs{{0, 1}} << QList<int>{1, 1, 1} << -1 << Pair{0, 1} << Pair{0, 1};
}

// Greedy plays the heaviest bone that fits, a double first; the heuristic
// player also weighs what is left in hand and at the table.
void TestPlayers::oneLookChoices()
{
    QFETCH(Pairs, hand);
    QFETCH(QList<int>, ends);
    QFETCH(int, nextPassedOn);
    QFETCH(Pair, heuristic);
    QFETCH(Pair, greedy);
    BoneSet mine = 0;
    for (const auto &[a, b] : hand)
        mine |= bonesOf({{a, b}});
    players::TableView v = handMadeView(mine, rules::AllBones & ~mine & ~bonesOf({{9, 9}}), {5}, {});
    for (int t = 1; t <= rules::Toes; ++t)
        v.round.end[t] = std::int8_t(ends[t - 1]);
    if (nextPassedOn >= 0)
        v.cannotHold[2] = values({nextPassedOn});
    const auto bone = [](const rules::Move &m) { return Pair{gettopnum(m.bone), getbotnum(m.bone)}; };
    const auto ordered = [](Pair p) { return Pair{std::min(p.first, p.second), std::max(p.first, p.second)}; };
    QCOMPARE(bone(players::decideHeuristic(v)), ordered(heuristic));
    QCOMPARE(bone(players::decideGreedy(v)), ordered(greedy));
}

void TestPlayers::trackerKeepsTheGame_data()
{
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("round");
    QTest::addColumn<QList<int>>("totals"); // seats 1..6
    QTest::addColumn<int>("history");       // moves kept, -1 when too many
    const QByteArray round2 = "CMD_startround+2+53+16+1+t+2+t+3+f+4+f+5+f+6+f";
    const QByteArray ended = "CMD_endround+0+1+30+45+2+-20+-5";
    QTest::newRow("rounds as the host reads them: 25") << QByteArrayList{"CMD_startgame+Ann+25+"} << 10 << 0
                                                       << QList<int>(6, 0) << 0;
    QTest::newRow("not a number") << QByteArrayList{"CMD_startgame+Ann+x+"} << 3 << 0 << QList<int>(6, 0) << 0;
    QTest::newRow("too few") << QByteArrayList{"CMD_startgame+Ann+1+"} << 3 << 0 << QList<int>(6, 0) << 0;
    QTest::newRow("empty") << QByteArrayList{"CMD_startgame+Ann++"} << 3 << 0 << QList<int>(6, 0) << 0;
    QTest::newRow("seven") << QByteArrayList{"CMD_startgame+Ann+07+"} << 7 << 0 << QList<int>(6, 0) << 0;
    QTest::newRow("a space") << QByteArrayList{"CMD_startgame+Ann+ 5+"} << 3 << 0 << QList<int>(6, 0) << 0;
    QTest::newRow("totals from the round's end, kept into the next")
        << QByteArrayList{"CMD_startgame+Ann+4+", ended, round2} << 4 << 2 << QList<int>{45, -5, 0, 0, 0, 0} << 0;
    QTest::newRow("a latecomer's state")
        << QByteArrayList{"CMD_gamestats+2+7+9+5+t+10+20+30+40+50+60+*"} << 9 << 7 << QList<int>{10, 20, 30, 40, 50, 60} << 0;
    QTest::newRow("a new game starts over")
        << QByteArrayList{"CMD_startgame+Ann+4+", ended, "CMD_startgame+Ann+6+"} << 6 << 0 << QList<int>(6, 0) << 0;
    QByteArrayList passes{"CMD_startgame+Ann+4+", round2};
    for (int i = 0; i < 3; ++i)
        passes << "CMD_nextplayer+2+1+t+t+t+1+1+1+" << "CMD_hepassed+2+";
    QTest::newRow("the moves of the round") << passes << 4 << 2 << QList<int>(6, 0) << 3;
    for (int i = 3; i <= players::TableView::MaxHistory; ++i)
        passes << "CMD_hepassed+2+";
    QTest::newRow("more moves than are kept") << passes << 4 << 2 << QList<int>(6, 0) << -1;
}

// What the tracker keeps of the game around the round: the rounds as the
// host counts them, the totals, and the round's moves.
void TestPlayers::trackerKeepsTheGame()
{
    QFETCH(QByteArrayList, messages);
    QFETCH(int, rounds);
    QFETCH(int, round);
    QFETCH(QList<int>, totals);
    QFETCH(int, history);
    players::TableTracker t(1);
    for (const QByteArray &m : messages)
        t.observe(m);
    const players::TableView &v = t.view();
    QCOMPARE(v.game.rounds, rounds);
    QCOMPARE(v.game.round, round);
    for (int s = 1; s <= rules::Seats; ++s)
        QCOMPARE(v.game.total[s], totals[s - 1]);
    QCOMPARE(v.historyLength, history);
    // Nothing to read from passes, nor from a history that was cut.
    QVERIFY(!players::PlayReader(v, {}).active());
}

// The host player may switch the computer players between normal and strong
// at any moment: a strong seat must then plan from the round as it is, never
// from one it saw before the switch, and every play it makes is taken.
void TestPlayers::levelsChangedDuringGames()
{
    int switches = 0;
    for (int game = 0; game < 100; ++game) {
        const unsigned seed = unsigned(9000 + game);
        HostGame h(2, seed, 5, {2});
        std::mt19937 pick(seed);
        int guard = 0;
        while (h.g.gamerunning && ++guard < 100000) {
            if (pick() % 40 == 0) {
                h.g.setComputerLevel(2, h.g.computerLevel(2) == GameHost::Strong ? GameHost::Normal : GameHost::Strong);
                ++switches;
            }
            if (!h.step())
                break;
            QCOMPARE(h.refusals, 0);
        }
        QVERIFY2(!h.g.gamerunning, qPrintable(QStringLiteral("game %1 stopped").arg(seed)));
    }
    QVERIFY(switches > 200);
}

void TestPlayers::soloGameAgainstFiveStrong_data()
{
    QTest::addColumn<bool>("watching");
    QTest::newRow("a first-fit player") << false;
    QTest::newRow("a watcher") << true;
}

void TestPlayers::soloGameAgainstFiveStrong()
{
    QFETCH(bool, watching);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        SyncLink link;
        GameHost g(link, seed);
        link.host = &g;
        g.setBotDelay(1);
        QVERIFY(g.setComputerPlayers(5));
        QVERIFY(g.setComputerLevel(GameHost::Strong));
        QByteArray winner;
        int refusals = 0, rounds = 0;
        link.onSend = [&](int, const QByteArray &whole) {
            const QByteArray m = whole.chopped(1);
            refusals += m.startsWith("CMD_noplay+");
            rounds += m.startsWith("CMD_endround+");
            if (m.startsWith("CMD_winner+"))
                winner = m.mid(11).chopped(1);
        };
        g.slotConnected(g.reserveSlot());
        g.dispatch(1, "CMD_logininfo+1+1.0.1+You");
        g.dispatch(1, "CMD_startgame+You+10+1+");
        QCOMPARE(g.seatsInGame(), 6);
        if (watching)
            g.dispatch(1, "CMD_justwatch+1+1");
        int guard = 0;
        while (g.gamerunning && ++guard < 100000) {
            if (g.turnopen && g.whoseturn == 1 && !g.computerPlayed(1)) {
                // The first bone by hand place on the first toe it fits.
                QByteArray play = "CMD_hepasses+1+";
                for (int hp = 1; hp <= rules::HandPlaces && play.startsWith("CMD_hepasses"); ++hp)
                    for (int t = 1; t <= rules::Toes; ++t)
                        if (hostTakes(g, g.players[1].hand[hp], t, nextCell(g, t))) {
                            play = "CMD_playbone+1+" + num(hp) + "+" + num(t) + "+" + num(nextCell(g, t)) + "+";
                            break;
                        }
                g.dispatch(1, play);
                continue;
            }
            if (!link.fireOne())
                break;
        }
        QVERIFY(!g.gamerunning);
        QCOMPARE(refusals, 0);
        QVERIFY(rounds >= 10);
        int best = 1;
        for (int s = 2; s <= 6; ++s)
            if (g.players[s].totalscore < g.players[best].totalscore)
                best = s;
        QCOMPARE(winner, best == 1 ? QByteArray("You") : g.players[best].botname);
    }
}

QTEST_APPLESS_MAIN(TestPlayers)
#include "tst_players.moc"
