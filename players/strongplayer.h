// The strong computer player: determinized Monte Carlo. It fills the bones
// it cannot see into the other hands consistently with what the table has
// shown, plays each candidate move out to the end of the round with every
// seat, its own and the others', playing the heuristic player from what that
// seat would know in the sampled deal, and keeps the move with the best
// mean result, halving the field as the playouts come in. Late in a game of
// three or more it measures a result against the leading opponent's total
// rather than the round's mean. It reads a TableView only, never the live
// game.
#pragma once

#include "heuristic.h"
#include "tableview.h"

#include <cstdint>
#include <vector>

namespace players {

// The tunable numbers, listed once so a benchmark can set them by name.
#define VELLOC_STRONG_SETTINGS(X)                                                                                      \
    X(determinizations) X(maxWork) X(noise) X(mayPass) X(lateRounds) X(leader) X(winBonus) X(readPool) X(readSteps) X(misfit) X(temperature)

struct StrongSettings {
    int determinizations = 300; // playouts per candidate move
    // Ceiling of a decision's work, whatever the candidates: thousands of
    // playouts times the bones in hands, which a playout's length follows.
    int maxWork = 128;
    // Percent of playout moves made at random: nobody at the table plays
    // exactly the heuristic, and the playouts should not count on it.
    int noise = 30;
    int mayPass = 1; // whether passing with a bone that fits is a candidate
    // Rounds at the end of a game of three or more seats in which a result
    // counts against the leading opponent's total ...
    int lateRounds = 2;
    int leader = 50; // ... with this percent of the weight, the round's mean the rest
    // Points a playout of the very last round counts for ending ahead of
    // every opponent (and against ending behind one).
    int winBonus = 0;
    // Deals sampled to read the other seats' plays by (0: none), and the
    // percent weight of a deal for each play it does not explain.
    int readPool = 128;
    int readSteps = 10; // swaps between two deals of the pool; 0: independent samples, weighed
    int misfit = 10;
    int temperature = 0; // when above 0, deals weighed by exp(-regret / temperature) instead
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
