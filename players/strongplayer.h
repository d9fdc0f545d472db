// The strong computer player: determinized Monte Carlo. It fills the bones
// it cannot see into the other hands consistently with what the table has
// shown, plays each candidate move out to the end of the round many times
// with a quick policy, and picks the move with the best mean result for its
// own seat. It reads a TableView only, never the live game.
#pragma once

#include "tableview.h"

#include <cstdint>

namespace players {

struct StrongSettings {
    int determinizations = 48; // sampled deals per decision
};

// The move for the view's seat (a pass when it has none). The same view and
// seed give the same move.
rules::Move decideStrong(const TableView &view, std::uint64_t seed, const StrongSettings &settings = {});

// Fills the unseen bones into the other seats' hands (their counts, and
// none with a value they passed on, where that is possible) and returns the
// round with every hand known. False when the view is not usable.
bool sampleDeal(const TableView &view, rules::Random &rng, rules::Position &out);

} // namespace players
