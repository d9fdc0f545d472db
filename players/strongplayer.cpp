// SPDX-License-Identifier: MIT
#include "strongplayer.h"

#include "handreading.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace players {

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

struct Tables {
    BoneSet of[10] = {}; // bones with pip value v
    constexpr Tables()
    {
        for (int b = 1; b <= rules::BoneCount; ++b) {
            of[gettopnum(b)] |= BoneSet(1) << (b - 1);
            of[getbotnum(b)] |= BoneSet(1) << (b - 1);
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

struct Playout {
    const StrongSettings &settings;
    const TableView &view;
    bool late; // measured partly against the leading opponent's total

    Playout(const StrongSettings &s, const TableView &v)
        : settings(s), view(v), late(v.round.seatsInGame() >= 3 && v.game.lastRounds(s.lateRounds))
    {
    }

    // Lower is better: this seat's round score against the others' mean
    // (the lowest total wins the game), late in the game partly against
    // the total of the opponent who leads.
    double outcome(const Position &p) const
    {
        const int me = view.me;
        const int mine = p.roundScore(me);
        int others = 0, n = 0, leader = 0;
        bool any = false;
        for (int s = 1; s <= rules::Seats; ++s) {
            if (s == me || !p.inRound(s))
                continue;
            const int score = p.roundScore(s);
            others += score;
            ++n;
            const int total = view.game.total[s] + score;
            if (!any || total < leader)
                leader = total;
            any = true;
        }
        const double result = mine - (n ? double(others) / n : 0.0);
        if (!late || !any)
            return result;
        // What the game's totals would be: the gap to the one who leads.
        const int gap = view.game.total[me] + mine - leader;
        return (result * (100 - settings.leader) + gap * settings.leader) / 100.0;
    }

    double run(Position p, Knowledge k, rules::Random &rng) const
    {
        // Every bone laid or pass round brings the end nearer; the guard
        // only bounds a broken position.
        for (int guard = 0; !p.over && guard < 400; ++guard) {
            const Move m = heuristicMove(p, k, settings.weights, &rng, settings.noise);
            k.note(p, m);
            p.play(m);
        }
        return outcome(p);
    }
};

// The k-th bone (from 0) of a set.
int nthBone(BoneSet s, int k)
{
    for (; k > 0; --k)
        s &= s - 1;
    return lowestBone(s);
}

// The deals the playouts are played on. Sampled afresh for each, unless
// the other seats' plays can be read: then drawn from a pool of deals that
// follows how well each explains those plays. The pool comes from a chain:
// one sample, then bones swapped between two holders (keeping every pass),
// a swap kept with the Metropolis rule on the plays' regret, and every few
// swaps a deal into the pool.
class Deals {
public:
    Deals(const TableView &view, const StrongSettings &settings, std::uint64_t seed) : m_view(view)
    {
        if (settings.readPool > 0 && settings.readSteps > 0 && settings.temperature > 0) {
            const PlayReader reader(view, settings.weights);
            if (reader.active())
                chain(reader, settings, seed);
        }
    }

    bool next(rules::Random &rng, Position &out) const
    {
        if (m_pool.empty())
            return sampleDeal(m_view, rng, out);
        out = m_pool[std::size_t(rng.below(int(m_pool.size())))];
        return true;
    }

    const std::vector<Position> &pool() const { return m_pool; }

private:
    void chain(const PlayReader &reader, const StrongSettings &settings, std::uint64_t seed)
    {
        rules::Random rng(seed ^ 0xC4A1'0000'0000ull);
        Position deal;
        if (!sampleDeal(m_view, rng, deal))
            return;
        const double perRegret = -1.0 / settings.temperature;
        const BoneSet pool = m_view.unseen();
        int seat[Holders];
        BoneSet held[Holders], allowed[Holders];
        int regret[Holders] = {}, reading[Holders];
        int m = 0, readers = 0;
        BoneSet dealt = 0;
        for (int s = 1; s <= rules::Seats; ++s)
            if (s != m_view.me && m_view.round.inRound(s)) {
                seat[m] = s;
                held[m] = deal.hand[s];
                dealt |= held[m];
                allowed[m] = pool & ~forbiddenFor(m_view.cannotHold[s]);
                regret[m] = reader.regret(s, held[m]);
                if (reader.reads(s))
                    reading[readers++] = m;
                ++m;
            }
        // The last holder keeps the bones nobody was dealt.
        seat[m] = 0;
        held[m] = pool & ~dealt;
        allowed[m] = pool;
        const int holders = m + 1;
        const int every = settings.readSteps;
        const int burn = 4 * every;
        const int steps = burn + settings.readPool * every;
        m_pool.reserve(std::size_t(settings.readPool));
        for (int step = 0; step < steps; ++step) {
            const int a = reading[rng.below(readers)];
            int b = rng.below(holders - 1);
            b += b >= a;
            if (held[a] && held[b]) {
                const BoneSet x = rules::bit(nthBone(held[a], rng.below(std::popcount(held[a]))));
                const BoneSet y = rules::bit(nthBone(held[b], rng.below(std::popcount(held[b]))));
                if ((allowed[b] & x) && (allowed[a] & y)) {
                    const BoneSet na = held[a] ^ x ^ y, nb = held[b] ^ x ^ y;
                    const int ra = reader.regret(seat[a], na), rb = seat[b] ? reader.regret(seat[b], nb) : 0;
                    const int worse = ra + rb - regret[a] - regret[b];
                    if (worse <= 0 || double(rng.next() >> 11) * 0x1.0p-53 < std::exp(perRegret * worse)) {
                        held[a] = na;
                        held[b] = nb;
                        regret[a] = ra;
                        regret[b] = rb;
                    }
                }
            }
            if (step >= burn && (step - burn) % every == every - 1) {
                for (int h = 0; h < m; ++h)
                    deal.hand[seat[h]] = held[h];
                m_pool.push_back(deal);
            }
        }
    }

    const TableView &m_view;
    std::vector<Position> m_pool;
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

std::vector<Position> readDeals(const TableView &view, std::uint64_t seed, const StrongSettings &settings)
{
    return Deals(view, settings, seed).pool();
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
    // Passing is allowed with a bone that fits: it may end a round that
    // stands well, or keep a value back.
    if (settings.mayPass)
        cands[c++] = Move{};
    if (c == 1)
        return cands[0];

    // Successive halving: every candidate still in plays out the same deals
    // with the same dice, so luck cancels between them, and the better half
    // goes on to more deals. The budget grows with the candidates up to a
    // ceiling that keeps a decision within a few milliseconds.
    const Playout playout(settings, view);
    const Knowledge known = Knowledge::of(view);
    const Deals deals(view, settings, seed);
    int rounds = 1;
    while ((1 << rounds) < c)
        ++rounds;
    int inHands = 0;
    for (int s = 1; s <= rules::Seats; ++s)
        if (round.inRound(s))
            inHands += s == view.me ? std::popcount(round.hand[s]) : std::max(0, view.handCount[s]);
    const int budget
        = std::max(c, std::min(settings.determinizations * c, settings.maxWork * 1000 / std::max(inHands, 8)));
    double total[rules::MaxMoves] = {};
    int alive[rules::MaxMoves];
    for (int i = 0; i < c; ++i)
        alive[i] = i;
    int a = c;
    std::uint64_t d = 0;
    Position deal;
    for (int r = 0; r < rounds && a > 1; ++r) {
        const int perRound = std::max(1, budget / (a * rounds));
        for (int j = 0; j < perRound; ++j, ++d) {
            rules::Random dealRng(seed ^ mix(d));
            if (!deals.next(dealRng, deal))
                return cands[0];
            const std::uint64_t dice = dealRng.next();
            for (int i = 0; i < a; ++i) {
                Position p = deal;
                Knowledge k = known;
                k.note(p, cands[alive[i]]);
                p.play(cands[alive[i]]);
                rules::Random rng(dice);
                total[alive[i]] += playout.run(p, k, rng);
            }
        }
        std::stable_sort(alive, alive + a, [&](int x, int y) { return total[x] < total[y]; });
        a = (a + 1) / 2;
    }
    return cands[alive[0]];
}

} // namespace players
