// SPDX-License-Identifier: MIT
// The board rules the host judges by and the computer players search with:
// three toes off a spinner, what may be played where, which toe ends a turn
// offers, and the round's numbers. Plain data and functions, no Qt.
#pragma once

#include "bones.h"

namespace rules {

constexpr int BoneCount = bones::Count;
constexpr int Toes = 3;
constexpr int Positions = 40;     // cells along a toe
constexpr int OfferedPositions = 20; // a turn offers a toe's next cell only up to here
constexpr int Seats = 6;
constexpr int HandPlaces = 20;
constexpr int GoingOut = -20;     // the round score of the seat that empties its hand

struct Cell {
    int bone = 0;
    bool flip = false; // the high value touches; the low value is open
};

// Toes 1..3 by positions 1..40; row and column 0 unused.
using ToeCells = Cell[Toes + 1][Positions + 1];

void clear(ToeCells &toes);
// The free value of the bone at (toe, position); -1 when the cell is empty
// or outside the board.
int openValue(const ToeCells &toes, int toe, int position);
// Whether every toe has its first bone (play mode 2 from then on).
bool allToesStarted(const ToeCells &toes);

// A request to put `bone` at (toe, position), judged in the current play
// mode against the spinner's pip value.
struct Verdict {
    bool legal = false;
    bool newSpinner = false; // the double of the open value: it becomes the spinner
    bool flip = false;       // how it lies when placed
};
Verdict judge(const ToeCells &toes, int playmode, int spinnerValue, int bone, int toe, int position);

// What a turn offers: per toe whether it takes a bone now and at which
// position (1 when it does not).
struct Targets {
    bool open[Toes + 1] = {};
    int position[Toes + 1] = {0, 1, 1, 1};
};
Targets targets(const ToeCells &toes);

int bonesEach(int seats);      // 16, 14, 11, 9, 7 for 2..6 seats; 0 otherwise
int roundSpinner(int round);   // bone number of the round's double; 0 outside 1..10

} // namespace rules
