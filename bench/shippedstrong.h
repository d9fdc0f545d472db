// SPDX-License-Identifier: MIT
// The first shipped strong player, a fixed yardstick for the benchmark.
#pragma once

#include "tableview.h"

#include <cstdint>

namespace shipped {

struct StrongSettings {
    int determinizations = 400; // playouts per candidate move
    int maxPlayouts = 6000;     // ceiling of a decision's playouts, whatever the candidates
    int ownRandom = 25;         // percent of its own playout moves made at random
};

rules::Move decideStrong(const players::TableView &view, std::uint64_t seed, const StrongSettings &settings = {});
bool sampleDeal(const players::TableView &view, rules::Random &rng, rules::Position &out);

} // namespace shipped
