// SPDX-License-Identifier: MIT
// The strong player as it was first shipped (first-fit opponents and a
// greedy own seat in its playouts, the round's mean as its measure), kept
// unchanged so the strength benchmark can pit the current one against it.
#include "shippedstrong.h"

#include <algorithm>
#include <bit>

namespace shipped {

using players::TableView;

namespace {

using rules::BoneSet;
using rules::Move;
using rules::Position;

constexpr int Holders = rules::Seats + 1; // the other seats and the undealt bones

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline int lowestBone(BoneSet s) { return std::countr_zero(s) + 1; }

// The k-th bone (from 0) of a set.
int nthBone(BoneSet s, int k)
{
    for (; k > 0; --k)
        s &= s - 1;
    return lowestBone(s);
}

struct Tables {
    BoneSet of[10] = {};       // bones with pip value v
    BoneSet pipsAre[19] = {};  // bones whose two values add to n
    BoneSet doubles = 0;
    constexpr Tables()
    {
        for (int b = 1; b <= rules::BoneCount; ++b) {
            const BoneSet m = BoneSet(1) << (b - 1);
            of[gettopnum(b)] |= m;
            of[getbotnum(b)] |= m;
            pipsAre[gettopnum(b) + getbotnum(b)] |= m;
            if (gettopnum(b) == getbotnum(b))
                doubles |= m;
        }
    }
};
constexpr Tables tables;

BoneSet forbiddenFor(std::uint16_t cannotHold)
{
    BoneSet s = 0;
    for (int v = 0; v <= 9; ++v)
        if (cannotHold & (1 << v))
            s |= tables.of[v];
    return s;
}

// The first empty toe in mode 1 (they are all alike), else 0.
int emptyToe(const Position &p)
{
    for (int t = 1; t <= rules::Toes; ++t)
        if (p.length[t] == 0)
            return t;
    return 0;
}

// The bones of a hand that fit each toe in mode 2, and all of them.
struct Fits {
    BoneSet toe[rules::Toes + 1] = {};
    BoneSet any = 0;
};

Fits fitsOf(const Position &p, BoneSet hand)
{
    Fits f;
    for (int t = 1; t <= rules::Toes; ++t)
        if (p.length[t] < rules::Positions) {
            f.toe[t] = hand & tables.of[p.end[t]];
            f.any |= f.toe[t];
        }
    return f;
}

Move place(const Position &p, int bone, const Fits &f, rules::Random &rng)
{
    // A bone that fits two toes goes to either: the open value left behind
    // differs, and the playout should not always favour the same one.
    int toes[rules::Toes];
    int n = 0;
    for (int t = 1; t <= rules::Toes; ++t)
        if (f.toe[t] & rules::bit(bone))
            toes[n++] = t;
    const int t = toes[n > 1 ? rng.below(n) : 0];
    return Move{std::int8_t(bone), std::int8_t(t), std::int8_t(p.length[t] + 1)};
}

// The host's first-fit player as the table sees it: a toe from a random
// one on, the first bone by hand place (any of the fitting ones, since the
// places are not known).
Move firstFitLike(const Position &p, rules::Random &rng)
{
    const BoneSet hand = p.hand[p.turn];
    if (p.mode == 1) {
        const BoneSet fits = hand & tables.of[p.spinner];
        if (!fits)
            return {};
        return Move{std::int8_t(nthBone(fits, rng.below(std::popcount(fits)))), std::int8_t(emptyToe(p)), 1};
    }
    const int t0 = 1 + rng.below(rules::Toes);
    for (int k = 0; k < rules::Toes; ++k) {
        const int t = (t0 + k - 1) % rules::Toes + 1;
        if (p.length[t] >= rules::Positions)
            continue;
        if (const BoneSet fits = hand & tables.of[p.end[t]])
            return Move{std::int8_t(nthBone(fits, rng.below(std::popcount(fits)))), std::int8_t(t),
                        std::int8_t(p.length[t] + 1)};
    }
    return {};
}

// A thoughtful player in a hurry: now and then any bone, else a double
// when it has one (it restarts the board on a value it chose), else the
// heaviest bone (heavy bones cost the most at the round's end).
Move greedy(const Position &p, rules::Random &rng, int randomPercent)
{
    const BoneSet hand = p.hand[p.turn];
    if (p.mode == 1) {
        const BoneSet fits = hand & tables.of[p.spinner];
        if (!fits)
            return {};
        int bone;
        if (rng.below(100) < randomPercent) {
            bone = nthBone(fits, rng.below(std::popcount(fits)));
        } else {
            int n = 18;
            while (!(fits & tables.pipsAre[n]))
                --n;
            bone = lowestBone(fits & tables.pipsAre[n]);
        }
        return Move{std::int8_t(bone), std::int8_t(emptyToe(p)), 1};
    }
    const Fits f = fitsOf(p, hand);
    if (!f.any)
        return {};
    int bone;
    if (rng.below(100) < randomPercent) {
        bone = nthBone(f.any, rng.below(std::popcount(f.any)));
    } else if (f.any & tables.doubles) {
        bone = lowestBone(f.any & tables.doubles);
    } else {
        int n = 18;
        while (!(f.any & tables.pipsAre[n]))
            --n;
        bone = lowestBone(f.any & tables.pipsAre[n]);
    }
    return place(p, bone, f, rng);
}

struct Playout {
    const StrongSettings &settings;
    int me;

    // Our own seat plays the quick thoughtful way; the others are taken for
    // the host's first-fit player, the computer player every table knows.
    Move step(const Position &p, rules::Random &rng) const
    {
        return p.turn == me ? greedy(p, rng, settings.ownRandom) : firstFitLike(p, rng);
    }

    // Lower is better: this seat's round score against the others' mean
    // (the lowest total wins the game).
    double outcome(const Position &p) const
    {
        int mine = 0, others = 0, n = 0;
        for (int s = 1; s <= rules::Seats; ++s) {
            if (!p.inRound(s))
                continue;
            if (s == me) {
                mine = p.roundScore(s);
            } else {
                others += p.roundScore(s);
                ++n;
            }
        }
        return mine - (n ? double(others) / n : 0.0);
    }

    double run(Position p, rules::Random &rng) const
    {
        // Every bone laid or pass round brings the end nearer; the guard
        // only bounds a broken position.
        for (int guard = 0; !p.over && guard < 400; ++guard)
            p.play(step(p, rng));
        return outcome(p);
    }
};

} // namespace

bool sampleDeal(const TableView &view, rules::Random &rng, Position &out)
{
    if (!view.valid || view.me < 1 || view.me > rules::Seats)
        return false;
    out = view.round;
    const BoneSet pool = view.unseen();
    const int n = rules::countOf(pool);

    // Holders 0..m-1 are the other seats in the round, holder m the bones
    // nobody was dealt; each takes exactly its count.
    int seat[Holders];
    int cap[Holders];
    BoneSet allowed[Holders];
    BoneSet held[Holders] = {};
    int m = 0, wanted = 0;
    for (int s = 1; s <= rules::Seats; ++s)
        if (s != view.me && view.round.inRound(s)) {
            seat[m] = s;
            cap[m] = std::max(0, view.handCount[s]);
            allowed[m] = pool & ~forbiddenFor(view.cannotHold[s]);
            wanted += cap[m];
            ++m;
        }
    seat[m] = 0;
    cap[m] = std::max(0, n - wanted);
    allowed[m] = pool;
    const int holders = m + 1;

    // Bones in a random order, each to a holder that may have it, drawn by
    // the room left (without constraints that is a plain random deal).
    int order[rules::BoneCount];
    int k = 0;
    for (BoneSet s = pool; s; s &= s - 1)
        order[k++] = lowestBone(s);
    for (int i = k - 1; i > 0; --i)
        std::swap(order[i], order[rng.below(i + 1)]);
    BoneSet left = 0; // bones no holder could take
    for (int i = 0; i < k; ++i) {
        const int bone = order[i];
        const BoneSet b = rules::bit(bone);
        int room = 0;
        for (int h = 0; h < holders; ++h)
            if ((allowed[h] & b) && cap[h] > 0)
                room += cap[h];
        if (room > 0) {
            int r = rng.below(room);
            for (int h = 0; h < holders; ++h)
                if ((allowed[h] & b) && cap[h] > 0 && (r -= cap[h]) < 0) {
                    held[h] |= b;
                    --cap[h];
                    break;
                }
            continue;
        }
        // Every holder that may have it is full: move bones along a chain
        // of holders to one with room, when such a chain exists. This finds
        // a deal that keeps every pass whenever there is one.
        int parent[Holders];
        bool seen[Holders] = {};
        int queue[Holders], head = 0, tail = 0, found = -1;
        for (int h = 0; h < holders; ++h)
            if (allowed[h] & b) {
                seen[h] = true;
                parent[h] = -1;
                queue[tail++] = h;
            }
        while (head < tail && found < 0) {
            const int h = queue[head++];
            for (int h2 = 0; h2 < holders && found < 0; ++h2)
                if (!seen[h2] && (held[h] & allowed[h2])) {
                    seen[h2] = true;
                    parent[h2] = h;
                    queue[tail++] = h2;
                    if (cap[h2] > 0)
                        found = h2;
                }
        }
        if (found < 0) {
            left |= b;
            continue;
        }
        --cap[found];
        int to = found;
        while (parent[to] >= 0) {
            const int from = parent[to];
            const BoneSet movable = held[from] & allowed[to];
            const BoneSet one = movable & (~movable + 1);
            held[from] &= ~one;
            held[to] |= one;
            to = from;
        }
        held[to] |= b;
    }
    // What is left goes where there is room, passes or not: the table said
    // otherwise (a person may pass while able to play).
    for (int h = 0; h < holders && left; ++h)
        for (; cap[h] > 0 && left; --cap[h]) {
            const BoneSet one = left & (~left + 1);
            held[h] |= one;
            left &= ~one;
        }
    for (int h = 0; h < m; ++h)
        out.hand[seat[h]] = held[h];
    return true;
}

Move decideStrong(const TableView &view, std::uint64_t seed, const StrongSettings &settings)
{
    const Position &round = view.round;
    if (!view.valid || round.turn != view.me)
        return {};
    Move all[rules::MaxMoves];
    const int n = round.legalMoves(all);
    if (n == 0)
        return {};
    // Moves that lead to the same position but for the order of the toes
    // are one candidate.
    Move cands[rules::MaxMoves];
    int c = 0;
    for (int i = 0; i < n; ++i) {
        const int value = round.mode == 1 ? -1 : round.end[all[i].toe];
        bool seen = false;
        for (int j = 0; j < c && !seen; ++j)
            seen = cands[j].bone == all[i].bone && (round.mode == 1 || round.end[cands[j].toe] == value);
        if (!seen)
            cands[c++] = all[i];
    }
    if (c == 1)
        return cands[0];

    // Successive halving: every candidate still in plays out the same deals
    // with the same dice, so luck cancels between them, and the better half
    // goes on to more deals. The budget grows with the candidates up to a
    // ceiling that keeps a decision within a few milliseconds.
    const Playout playout{settings, view.me};
    int rounds = 1;
    while ((1 << rounds) < c)
        ++rounds;
    const int budget = std::max(c, std::min(settings.determinizations * c, settings.maxPlayouts));
    double total[rules::MaxMoves] = {};
    int alive[rules::MaxMoves];
    for (int i = 0; i < c; ++i)
        alive[i] = i;
    int a = c;
    std::uint64_t d = 0;
    Position deal;
    for (int r = 0; r < rounds && a > 1; ++r) {
        const int deals = std::max(1, budget / (a * rounds));
        for (int j = 0; j < deals; ++j, ++d) {
            rules::Random dealRng(seed ^ mix(d));
            if (!sampleDeal(view, dealRng, deal))
                return cands[0];
            const std::uint64_t dice = dealRng.next();
            for (int i = 0; i < a; ++i) {
                Position p = deal;
                p.play(cands[alive[i]]);
                rules::Random rng(dice);
                total[alive[i]] += playout.run(p, rng);
            }
        }
        std::stable_sort(alive, alive + a, [&](int x, int y) { return total[x] < total[y]; });
        a = (a + 1) / 2;
    }
    return cands[alive[0]];
}

} // namespace shipped
