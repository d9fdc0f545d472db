#include "strongplayer.h"

#include <algorithm>
#include <bit>

namespace players {

namespace {

using rules::BoneSet;
using rules::Move;
using rules::Position;

// The quick policy of a playout: mostly the heaviest bone that fits (heavy
// bones cost the most at the round's end), sometimes any.
Move playoutMove(const Position &p, rules::Random &rng)
{
    Move moves[rules::MaxMoves];
    const int n = p.legalMoves(moves);
    if (n == 0)
        return {};
    if (rng.below(4) == 0)
        return moves[rng.below(n)];
    int best = 0, bestPips = -1;
    for (int i = 0; i < n; ++i) {
        const int pips = bones::pips(moves[i].bone);
        if (pips > bestPips) {
            best = i;
            bestPips = pips;
        }
    }
    return moves[best];
}

// Lower is better: this seat's round score against the others' mean.
double outcome(const Position &p, int me)
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

} // namespace

bool sampleDeal(const TableView &view, rules::Random &rng, Position &out)
{
    if (!view.valid || view.me < 1 || view.me > rules::Seats)
        return false;
    out = view.round;
    int pool[rules::BoneCount];
    int n = 0;
    for (BoneSet s = view.unseen(); s; s &= s - 1)
        pool[n++] = std::countr_zero(s) + 1;
    for (int i = n - 1; i > 0; --i)
        std::swap(pool[i], pool[rng.below(i + 1)]);

    // Most constrained seats first, so a seat that passed on many values
    // still finds bones it may hold.
    int order[rules::Seats];
    int seats = 0;
    for (int s = 1; s <= rules::Seats; ++s)
        if (s != view.me && view.round.inRound(s))
            order[seats++] = s;
    const auto constraints = [&](int s) { return std::popcount(unsigned(view.cannotHold[s])); };
    for (int i = 1; i < seats; ++i)
        for (int j = i; j > 0 && constraints(order[j]) > constraints(order[j - 1]); --j)
            std::swap(order[j], order[j - 1]);
    bool used[rules::BoneCount] = {};
    for (int k = 0; k < seats; ++k) {
        const int s = order[k];
        const int want = std::max(0, view.handCount[s]);
        int got = 0;
        BoneSet forbidden = 0;
        for (int v = 0; v <= 9; ++v)
            if (view.cannotHold[s] & (1 << v))
                forbidden |= rules::withValue(v);
        out.hand[s] = 0;
        for (int pass = 0; pass < 2 && got < want; ++pass)
            for (int i = 0; i < n && got < want; ++i) {
                // The second pass ignores what the seat passed on: the table
                // said otherwise (a person may pass while able to play).
                if (used[i] || (pass == 0 && (forbidden & rules::bit(pool[i]))))
                    continue;
                used[i] = true;
                out.hand[s] |= rules::bit(pool[i]);
                ++got;
            }
    }
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
    rules::Random rng(seed);
    double total[rules::MaxMoves] = {};
    Position deal;
    for (int d = 0; d < settings.determinizations; ++d) {
        if (!sampleDeal(view, rng, deal))
            return cands[0];
        for (int i = 0; i < c; ++i) {
            Position p = deal;
            p.play(cands[i]);
            int guard = 0;
            while (!p.over && ++guard < 400)
                p.play(playoutMove(p, rng));
            total[i] += outcome(p, view.me);
        }
    }
    return cands[std::min_element(total, total + c) - total];
}

} // namespace players
