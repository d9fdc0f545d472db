// SPDX-License-Identifier: MIT
// The strong computer player: determinized Monte Carlo. It fills the bones
// it cannot see into the other hands consistently with what the table has
// shown, favouring the hands that explain the other seats' plays (see
// handreading.h), plays each candidate out to the end of the round with
// every seat, its own and the others', playing the heuristic player from
// what that seat would know in the sampled deal (now and then at random),
// and keeps the candidate with the best mean result, halving the field as
// the playouts come in. A pass is a candidate even with a bone that fits.
// Late in a game of three or more it measures a result partly against the
// leading opponent's total. It reads a TableView only, never the live game.
#pragma once

#include "heuristic.h"
#include "tableview.h"

#include <cstdint>
#include <vector>

namespace players {

// The tunable numbers, listed once so a benchmark can set them by name.
#define VELLOC_STRONG_SETTINGS(X)                                                                                      \
    X(determinizations) X(maxWork) X(noise) X(mayPass) X(readPool) X(readSteps) X(temperature) X(lateRounds) X(leader)

struct StrongSettings {
    int determinizations = 300; // playouts per candidate move
    // Ceiling of a decision's work, whatever the candidates: thousands of
    // playouts times the bones in hands, which a playout's length follows.
    int maxWork = 60;
    // Percent of playout moves made at random: nobody at the table plays
    // exactly the heuristic, and the playouts should not count on it.
    int noise = 30;
    // Passing with a bone that fits is a candidate too (the host allows it):
    // it may end a round that stands well, or keep a value back.
    int mayPass = 1;
    // Deals read from the other seats' plays (0: every deal sampled afresh),
    // swaps between two of them, and how much a deal's likelihood falls per
    // point of the heuristic's regret over the plays: by exp(-regret / temperature).
    int readPool = 256;
    int readSteps = 5;
    int temperature = 10;
    // Rounds at the end of a game of three or more seats in which a result
    // counts against the leading opponent's total ...
    int lateRounds = 2;
    int leader = 50; // ... with this percent of the weight, the round's mean the rest
    HeuristicWeights weights; // how every seat plays in the playouts
};

// The move for the view's seat (a pass when it has none). The same view and
// seed give the same move.
rules::Move decideStrong(const TableView &view, std::uint64_t seed, const StrongSettings &settings = {});

// The deals decideStrong plays out on when it reads the other seats' plays
// (empty when it samples each deal afresh), for tests.
std::vector<rules::Position> readDeals(const TableView &view, std::uint64_t seed, const StrongSettings &settings = {});

// Fills the unseen bones into the other seats' hands (their counts, and
// none with a value they passed on, where that is possible) and returns the
// round with every hand known. False when the view is not usable.
bool sampleDeal(const TableView &view, rules::Random &rng, rules::Position &out);

} // namespace players
