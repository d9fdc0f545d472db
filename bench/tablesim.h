// SPDX-License-Identifier: MIT
// Whole games in the rules core alone, for tuning the computer players:
// each seat is played by a player that is handed only what its seat could
// know (the same TableView a tracker keeps), the deal of every round comes
// from the game's deal number, and a tie replays the last round as the
// host does. Much faster than the host, which the strength benchmark uses.
#pragma once

#include "heuristic.h"
#include "position.h"
#include "strongplayer.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include <time.h>

namespace tablesim {

using players::Knowledge;
using players::TableView;
using rules::Move;
using rules::Position;

inline std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A seat's player: its move from its view; `seed` differs at every turn.
class Player {
public:
    virtual ~Player() = default;
    virtual Move move(const TableView &view, std::uint64_t seed) = 0;
};

struct GameResult {
    int total[rules::Seats + 1] = {};
    int winner = 0;
};

// One game of `seats` seats and `rounds` rounds, seat s played by
// players[s - 1]. The deals depend on `deal` only.
inline GameResult playGame(int seats, int rounds, std::uint64_t deal, Player *const *players)
{
    GameResult r;
    TableView::Game game;
    game.rounds = rounds;
    int opener = 1, extra = 0;
    std::uint64_t turnSeed = mix(deal ^ 0x5EED);
    for (int round = 1; round <= rounds; ++round) {
        rules::Random rng(mix(deal * 64 + std::uint64_t(round) + std::uint64_t(extra) * 16));
        const int spinnerBone = rules::roundSpinner(round);
        Position p;
        p.spinner = std::int8_t(gettopnum(spinnerBone));
        p.inGame = std::uint8_t(((1u << (seats + 1)) - 1) & ~1u);
        int deck[rules::BoneCount];
        int n = 0;
        for (int b = 1; b <= rules::BoneCount; ++b)
            if (b != spinnerBone)
                deck[n++] = b;
        for (int i = n - 1; i > 0; --i)
            std::swap(deck[i], deck[rng.below(i + 1)]);
        const int each = rules::bonesEach(seats);
        for (int k = 0, d = 0; k < each; ++k)
            for (int s = 1; s <= seats; ++s)
                p.hand[s] |= rules::bit(deck[d++]);
        p.turn = std::uint8_t(opener);
        Knowledge known = Knowledge::dealt(p, spinnerBone);
        game.round = round;
        TableView v; // what every seat was shown; the hand is the seat's own
        v.valid = true;
        v.game = game;
        v.firstSpinner = spinnerBone;
        for (int guard = 0; !p.over && guard < 1000; ++guard) {
            v.me = p.turn;
            v.round = p;
            for (int s = 1; s <= rules::Seats; ++s)
                if (s != v.me)
                    v.round.hand[s] = 0;
            std::copy(std::begin(known.count), std::end(known.count), v.handCount);
            std::copy(std::begin(known.cannotHold), std::end(known.cannotHold), v.cannotHold);
            v.gone = known.gone;
            const Move m = players[p.turn - 1]->move(v, turnSeed = mix(turnSeed));
            if (v.historyLength >= 0 && v.historyLength < TableView::MaxHistory)
                v.history[v.historyLength++] = {std::int8_t(p.turn), m.bone, m.toe};
            else
                v.historyLength = -1;
            known.note(p, m);
            p.play(m);
        }
        for (int s = 1; s <= seats; ++s)
            game.total[s] += p.roundScore(s);
        opener = p.turn % seats + 1;
        if (round == rounds) {
            int best = 1, tied = 0;
            for (int s = 2; s <= seats; ++s)
                if (game.total[s] < game.total[best])
                    best = s;
            for (int s = 1; s <= seats; ++s)
                tied += game.total[s] == game.total[best];
            if (tied > 1 && extra++ < 20)
                --round;
            else
                r.winner = best;
        }
    }
    std::copy(std::begin(game.total), std::end(game.total), r.total);
    return r;
}

// The players a tuning run can seat.
struct HeuristicSeat : Player {
    players::HeuristicWeights weights;
    Move move(const TableView &v, std::uint64_t) override { return players::decideHeuristic(v, weights); }
};

struct GreedySeat : Player {
    Move move(const TableView &v, std::uint64_t) override { return players::decideGreedy(v); }
};

// The host's first-fit player: a toe from a random one on, and on it the
// first fitting bone by hand place, which is a random one of them (the
// deal puts the bones in hand in a random order).
struct FirstFitSeat : Player {
    Move move(const TableView &v, std::uint64_t seed) override
    {
        rules::Random rng(seed);
        Move all[rules::MaxMoves];
        const int n = v.round.legalMoves(all);
        if (n == 0)
            return {};
        const int t0 = 1 + rng.below(rules::Toes);
        for (int k = 0; k < rules::Toes; ++k) {
            const int t = (t0 + k - 1) % rules::Toes + 1;
            Move fit[rules::MaxMoves];
            int f = 0;
            for (int i = 0; i < n; ++i)
                if (all[i].toe == t)
                    fit[f++] = all[i];
            if (f)
                return fit[rng.below(f)];
        }
        return all[0];
    }
};

struct StrongSeat : Player {
    players::StrongSettings settings;
    Move move(const TableView &v, std::uint64_t seed) override { return players::decideStrong(v, seed, settings); }
};

// The processor time of each decision of another player, in milliseconds.
// A decision depends on its view and seed only, so with `tries` above one
// it is made that many times and the least time kept: on a shared machine
// the slowest single timing says more about the neighbours than the work.
struct Timing {
    std::vector<double> ms;
    int tries = 1;
};

template <class Inner>
struct TimedSeat : Inner, Timing {
    Move move(const TableView &v, std::uint64_t seed) override
    {
        Move m;
        double least = 0;
        for (int i = 0; i < std::max(1, tries); ++i) {
            timespec a{}, b{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
            m = Inner::move(v, seed);
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
            const double ms1 = double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6;
            least = i == 0 ? ms1 : std::min(least, ms1);
        }
        ms.push_back(least);
        return m;
    }
};

} // namespace tablesim
