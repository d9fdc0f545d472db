// SPDX-License-Identifier: MIT
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
    // The round's moves so far, in order, as the table showed them: what
    // the other seats chose tells something of what they hold.
    struct Played {
        std::int8_t seat = 0;
        std::int8_t bone = 0; // 0: a pass
        std::int8_t toe = 0;
    };
    static constexpr int MaxHistory = 240; // a round with more moves keeps none
    Played history[MaxHistory];
    int historyLength = 0; // -1 when the round had more moves
    int firstSpinner = 0;  // the bone the round started on
    // The game around the round, kept from one round to the next.
    struct Game {
        int total[rules::Seats + 1] = {}; // each seat's total before this round
        int round = 0;                    // this round's number, 0 before the first
        int rounds = 0;                   // rounds the game lasts, 0 when not known
        // Whether this round is among the last n (a tie's extra round is the last).
        bool lastRounds(int n) const { return rounds > 0 && round > rounds - n; }
    } game;

    // The bones this seat cannot see: in other hands or not dealt.
    rules::BoneSet unseen() const { return rules::AllBones & ~(round.hand[me] | gone); }
};

} // namespace players
