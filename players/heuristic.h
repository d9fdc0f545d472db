// SPDX-License-Identifier: MIT
// Players that look one move ahead and no further. The heuristic player
// scores each play by what a seasoned player weighs at a glance: the pips
// it sheds, a double backed by another bone of its value, ends it can
// follow itself, values few unseen bones carry, values the next seats
// passed on, and a hand with many values left. It is the benchmark's
// thinking opponent and the policy of every seat in the strong player's
// playouts. Greedy, the heaviest bone with doubles first, is its plain
// yardstick.
#pragma once

#include "tableview.h"

#include <cstdint>

namespace players {

// What the table has shown every seat in a round: the bones out of play,
// the values each seat passed on, and how many bones each holds.
struct Knowledge {
    rules::BoneSet gone = 0;
    std::uint16_t cannotHold[rules::Seats + 1] = {};
    int count[rules::Seats + 1] = {};

    static Knowledge of(const TableView &view);
    // A round dealt as `p` holds it, its spinner bone already out of play.
    static Knowledge dealt(const rules::Position &p, int spinnerBone);
    // What the table learns from move m of the seat to move in `before`
    // (call it before the move is played).
    void note(const rules::Position &before, const rules::Move &m);
};

// The values a turn offers in `p`: a seat that passes holds none of them.
std::uint16_t offeredValues(const rules::Position &p);

// The weights, listed once so the benchmark and the tuning tool can set
// them by name. Tuned by simulation against one another; see
// bench/tune_players.cpp.
#define VELLOC_HEURISTIC_WEIGHTS(X)                                                                                    \
    X(pips) X(urgentPips) X(doubleBacked) X(doubleAlone) X(follow) X(followMore) X(scarce) X(nextPassed)               \
        X(nextBlocked) X(laterPassed) X(variety)

struct HeuristicWeights {
    int pips = 7;         // per pip shed
    int urgentPips = 6;    // more per pip when an opponent is down to two bones
    int doubleBacked = 60; // a double when another bone of its value stays in hand
    int doubleAlone = 10;  // a double without one
    int follow = 30;       // some bone left in hand fits an open end afterwards
    int followMore = 6;    // per further such bone, up to three
    int scarce = 8;        // per unseen bone fewer than nine that carries the new open value
    int nextPassed = 25;   // the next seat passed on the new open value
    int nextBlocked = 40;  // the next seat passed on every open value afterwards
    int laterPassed = 10;  // the seat after it passed on the new open value
    int variety = 6;       // per distinct value left in hand
};

// The play for the seat to move in `p` (a pass when it has none). Only the
// seat's own hand is read from `p`; everything about the others comes from
// `k`. With `noise`, a random legal play instead, `noisePercent` of the time.
rules::Move heuristicMove(const rules::Position &p, const Knowledge &k, const HeuristicWeights &w,
                          rules::Random *noise = nullptr, int noisePercent = 0);
// How much better than `played` the heuristic player likes its own choice
// in `p` (0: it would play it too); -1 when `played` is not in the hand.
int heuristicRegret(const rules::Position &p, const Knowledge &k, const HeuristicWeights &w, const rules::Move &played);
// The heaviest bone that fits, a double before any other.
rules::Move greedyMove(const rules::Position &p);

rules::Move decideHeuristic(const TableView &view, const HeuristicWeights &w = {});
rules::Move decideGreedy(const TableView &view);

} // namespace players
