// What one seat may know of a round, and nothing more: its own hand, the
// board, how many bones every seat holds, the open values each seat passed
// on, and the bones that are out of play. Plain data for the planning player.
#pragma once

#include "position.h"

#include <cstdint>

namespace players {

struct TableView {
    int me = 0;              // the seat this view belongs to
    // The round as the seat sees it: board, spinner, mode, turn, seats in
    // the round and the pass record. Only hand[me] is filled.
    rules::Position round;
    int handCount[rules::Seats + 1] = {}; // bones each seat holds; -1 when not known
    // Bit v: the seat passed while value v was open, so it holds no bone
    // with v (hands only shrink within a round).
    std::uint16_t cannotHold[rules::Seats + 1] = {};
    rules::BoneSet gone = 0; // on the board, played before the board restarted, the spinners
    bool valid = false;      // a round is running and the board is known

    // The bones this seat cannot see: in other hands or not dealt.
    rules::BoneSet unseen() const { return rules::AllBones & ~(round.hand[me] | gone); }
};

} // namespace players
