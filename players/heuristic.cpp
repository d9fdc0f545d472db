// SPDX-License-Identifier: MIT
#include "heuristic.h"

#include <algorithm>
#include <bit>
#include <iterator>

namespace players {

namespace {

using rules::BoneSet;
using rules::Move;
using rules::Position;

struct Tables {
    BoneSet of[10] = {}; // bones with pip value v
    int pips[rules::BoneCount + 1] = {};
    constexpr Tables()
    {
        for (int b = 1; b <= rules::BoneCount; ++b) {
            of[gettopnum(b)] |= BoneSet(1) << (b - 1);
            of[getbotnum(b)] |= BoneSet(1) << (b - 1);
            pips[b] = gettopnum(b) + getbotnum(b);
        }
    }
};
constexpr Tables tables;

inline int lowestBone(BoneSet s) { return std::countr_zero(s) + 1; }

// Set bits, inline: without a processor option std::popcount is a library
// call, and the playouts count bits at every move.
inline int bits(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
}

inline BoneSet bonesWith(unsigned values)
{
    BoneSet s = 0;
    for (; values; values &= values - 1)
        s |= tables.of[std::countr_zero(values)];
    return s;
}

inline unsigned valuesIn(BoneSet hand)
{
    unsigned m = 0;
    for (int v = 0; v <= 9; ++v)
        if (hand & tables.of[v])
            m |= 1u << v;
    return m;
}

// The seat after `seat` in the round.
int nextSeat(const Position &p, int seat)
{
    for (int i = 0; i < rules::Seats; ++i) {
        seat = seat >= rules::Seats ? 1 : seat + 1;
        if (p.inRound(seat))
            break;
    }
    return seat;
}

struct Candidate {
    int bone;
    int toe;
};

// The plays worth telling apart: in mode 1 every empty toe is alike, and
// in mode 2 two toes with the same open end are.
int candidates(const Position &p, Candidate *out)
{
    const BoneSet hand = p.hand[p.turn];
    int n = 0;
    if (p.mode == 1) {
        int toe = 0;
        for (int t = rules::Toes; t >= 1; --t)
            if (p.length[t] == 0)
                toe = t;
        if (toe)
            for (BoneSet s = hand & tables.of[p.spinner]; s; s &= s - 1)
                out[n++] = {lowestBone(s), toe};
        return n;
    }
    unsigned seen = 0;
    for (int t = 1; t <= rules::Toes; ++t) {
        if (p.length[t] >= rules::Positions || (seen & (1u << p.end[t])))
            continue;
        seen |= 1u << p.end[t];
        for (BoneSet s = hand & tables.of[p.end[t]]; s; s &= s - 1)
            out[n++] = {lowestBone(s), t};
    }
    return n;
}

Move moveOf(const Position &p, const Candidate &c)
{
    return Move{std::int8_t(c.bone), std::int8_t(c.toe), std::int8_t(p.mode == 1 ? 1 : p.length[c.toe] + 1)};
}

} // namespace

std::uint16_t offeredValues(const Position &p)
{
    if (p.mode == 1)
        return std::uint16_t(1u << p.spinner);
    unsigned m = 0;
    for (int t = 1; t <= rules::Toes; ++t)
        if (p.length[t] < rules::OfferedPositions)
            m |= 1u << p.end[t];
    return std::uint16_t(m);
}

Knowledge Knowledge::of(const TableView &view)
{
    Knowledge k;
    k.gone = view.gone;
    std::copy(std::begin(view.cannotHold), std::end(view.cannotHold), k.cannotHold);
    std::copy(std::begin(view.handCount), std::end(view.handCount), k.count);
    if (view.me >= 1 && view.me <= rules::Seats)
        k.count[view.me] = bits(view.round.hand[view.me]);
    return k;
}

Knowledge Knowledge::dealt(const Position &p, int spinnerBone)
{
    Knowledge k;
    k.gone = rules::bit(spinnerBone);
    for (int s = 1; s <= rules::Seats; ++s)
        k.count[s] = bits(p.hand[s]);
    return k;
}

void Knowledge::note(const Position &before, const Move &m)
{
    if (m.isPass()) {
        cannotHold[before.turn] |= offeredValues(before);
        return;
    }
    gone |= rules::bit(m.bone);
    --count[before.turn];
}

namespace {

// Scores every candidate (n of them, at least two) and returns the best
// one's index, the first of equals; a play that empties the hand is best
// (only a hand of one bone can, and then every candidate does).
int scoreAll(const Position &p, const Knowledge &k, const HeuristicWeights &w, const Candidate *c, int n, int *score)
{
    const int me = p.turn;
    const BoneSet hand = p.hand[me];
    if (!(hand & (hand - 1))) {
        std::fill(score, score + n, 0);
        return 0;
    }
    const BoneSet unseen = rules::AllBones & ~(hand | k.gone);
    const int next = nextSeat(p, me);
    const int later = nextSeat(p, next);
    int fewest = rules::HandPlaces;
    for (int s = 1; s <= rules::Seats; ++s)
        if (s != me && p.inRound(s))
            fewest = std::min(fewest, k.count[s]);
    const int perPip = w.pips + (fewest <= 2 ? w.urgentPips : 0);
    // The open values of the toes other than t, as they stay when t is
    // played, and the bones that carry them.
    unsigned endOf[rules::Toes + 1] = {};
    for (int t = 1; t <= rules::Toes; ++t)
        endOf[t] = 1u << (p.length[t] ? p.end[t] : p.spinner);
    unsigned otherEnds[rules::Toes + 1] = {};
    BoneSet otherBones[rules::Toes + 1] = {};
    for (int t = 1; t <= rules::Toes; ++t) {
        for (int u = 1; u <= rules::Toes; ++u)
            if (u != t)
                otherEnds[t] |= endOf[u];
        otherBones[t] = bonesWith(otherEnds[t]);
    }
    const unsigned handValues = valuesIn(hand);

    int best = 0;
    for (int i = 0; i < n; ++i) {
        const int b = c[i].bone, t = c[i].toe;
        const BoneSet left = hand & ~rules::bit(b);
        const int low = gettopnum(b), high = getbotnum(b);
        unsigned leftValues = handValues;
        if (!(left & tables.of[low]))
            leftValues &= ~(1u << low);
        if (!(left & tables.of[high]))
            leftValues &= ~(1u << high);
        const int touching = p.mode == 1 ? p.spinner : p.end[t];
        const int open = low == touching ? high : low;
        const bool restart = p.mode == 2 && low == high;
        const unsigned ends = (1u << open) | (restart ? 0u : otherEnds[t]);
        const BoneSet endBones = tables.of[open] | (restart ? 0 : otherBones[t]);
        int sc = perPip * tables.pips[b];
        if (restart)
            sc += (left & tables.of[open]) ? w.doubleBacked : w.doubleAlone;
        if (const int fits = bits(left & endBones))
            sc += w.follow + w.followMore * std::min(fits - 1, 3);
        sc += w.scarce * (9 - bits(unseen & tables.of[open]));
        if (k.cannotHold[next] & (1u << open))
            sc += w.nextPassed;
        if ((ends & ~unsigned(k.cannotHold[next])) == 0)
            sc += w.nextBlocked;
        if (later != me && (k.cannotHold[later] & (1u << open)))
            sc += w.laterPassed;
        sc += w.variety * bits(leftValues);
        score[i] = sc;
        if (sc > score[best])
            best = i;
    }
    return best;
}

} // namespace

Move heuristicMove(const Position &p, const Knowledge &k, const HeuristicWeights &w, rules::Random *noise,
                   int noisePercent)
{
    Candidate c[rules::MaxMoves];
    const int n = candidates(p, c);
    if (n <= 1)
        return n ? moveOf(p, c[0]) : Move{};
    if (noise && noise->below(100) < noisePercent)
        return moveOf(p, c[noise->below(n)]);
    int score[rules::MaxMoves];
    return moveOf(p, c[scoreAll(p, k, w, c, n, score)]);
}

int heuristicRegret(const Position &p, const Knowledge &k, const HeuristicWeights &w, const Move &played)
{
    Candidate c[rules::MaxMoves];
    const int n = candidates(p, c);
    int j = -1;
    for (int i = 0; i < n && j < 0; ++i)
        if (c[i].bone == played.bone && (p.mode == 1 || p.end[c[i].toe] == p.end[played.toe]))
            j = i;
    if (j < 0)
        return -1;
    if (n <= 1)
        return 0;
    int score[rules::MaxMoves];
    return score[scoreAll(p, k, w, c, n, score)] - score[j];
}

Move greedyMove(const Position &p)
{
    Candidate c[rules::MaxMoves];
    const int n = candidates(p, c);
    int best = -1, bestRank = -1;
    for (int i = 0; i < n; ++i) {
        const int b = c[i].bone;
        const int rank = tables.pips[b] + (bones::isdouble(b) ? 100 : 0);
        if (rank > bestRank) {
            best = i;
            bestRank = rank;
        }
    }
    return best < 0 ? Move{} : moveOf(p, c[best]);
}

Move decideHeuristic(const TableView &view, const HeuristicWeights &w)
{
    if (!view.valid || view.round.turn != view.me)
        return {};
    return heuristicMove(view.round, Knowledge::of(view), w);
}

Move decideGreedy(const TableView &view)
{
    if (!view.valid || view.round.turn != view.me)
        return {};
    return greedyMove(view.round);
}

} // namespace players
