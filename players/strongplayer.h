// The strong computer player: determinized Monte Carlo. It fills the bones
// it cannot see into the other hands consistently with what the table has
// shown, plays each candidate move out to the end of the round with a quick
// policy (its own seat dumping doubles and heavy bones, the others taken for
// first-fit players), and keeps the move with the best mean result for its
// own seat, halving the field as the playouts come in. It reads a TableView
// only, never the live game.
#pragma once

#include "tableview.h"

#include <cstdint>

namespace players {

// The tunable numbers, listed once so a benchmark can set them by name.
#define VELLOC_STRONG_SETTINGS(X) X(determinizations) X(maxPlayouts) X(ownRandom)

struct StrongSettings {
    int determinizations = 400; // playouts per candidate move
    int maxPlayouts = 6000;     // ceiling of a decision's playouts, whatever the candidates
    // Percent of its own playout moves the seat makes at random: it will not
    // always play the heaviest bone, and the playouts should not count on it.
    int ownRandom = 25;
};

// The move for the view's seat (a pass when it has none). The same view and
// seed give the same move.
rules::Move decideStrong(const TableView &view, std::uint64_t seed, const StrongSettings &settings = {});

// Fills the unseen bones into the other seats' hands (their counts, and
// none with a value they passed on, where that is possible) and returns the
// round with every hand known. False when the view is not usable.
bool sampleDeal(const TableView &view, rules::Random &rng, rules::Position &out);

} // namespace players
