// SPDX-License-Identifier: MIT
// A round in a few cache lines, for computer players that search: hands as
// bone sets, each toe as its length and open end. Legal moves go into a
// fixed array and nothing allocates, so millions of moves a second can be
// played out. Same rules as the host's board (board.h); a test holds the two
// to every legal move.
#pragma once

#include "board.h"

#include <cstdint>

namespace rules {

using BoneSet = std::uint64_t; // bit (bone - 1) for bone 1..55

constexpr BoneSet bit(int bone) { return BoneSet(1) << (bone - 1); }
constexpr BoneSet AllBones = (BoneSet(1) << BoneCount) - 1;
// The bones that carry pip value v (ten of them each).
BoneSet withValue(int v);
int countOf(BoneSet s);
int pipsOf(BoneSet s);

struct Move {
    std::int8_t bone = 0; // 0: a pass
    std::int8_t toe = 0;
    std::int8_t position = 0;
    bool isPass() const { return bone == 0; }
    friend bool operator==(const Move &, const Move &) = default;
};
constexpr int MaxMoves = 64; // at most 20 bones on 3 toes

struct Position {
    BoneSet hand[Seats + 1] = {};
    std::uint8_t length[Toes + 1] = {}; // bones on each toe
    std::int8_t end[Toes + 1] = {};     // open value of each started toe
    std::int8_t spinner = 0;            // pip value
    std::uint8_t mode = 1;              // 1 until all three toes are started
    std::uint8_t turn = 1;
    std::uint8_t inGame = 0;  // bit s: seat s is in the round
    std::uint8_t passed = 0;  // bit s: seat s passed at its latest turn, since the last bone laid
    std::int8_t wentOut = 0;  // the seat that emptied its hand
    bool over = false;        // went out, or everyone passed in a row

    // The moves of the seat whose turn it is, every (bone, toe) the host
    // would accept; 0 when it can only pass.
    int legalMoves(Move *out) const;
    // Plays a legal move or, with a pass, passes; then hands the turn on the
    // way the host does (a double restarts the board at once).
    void play(const Move &m);
    bool inRound(int seat) const { return (inGame >> seat) & 1; }
    int roundScore(int seat) const { return (wentOut == seat ? GoingOut : 0) + pipsOf(hand[seat]); }
    int seatsInGame() const;

private:
    void nextTurn();
};

// A small fast generator for shuffles and playouts (xoshiro256**).
struct Random {
    std::uint64_t s[4];
    explicit Random(std::uint64_t seed);
    std::uint64_t next();
    // Uniform in 0..n-1.
    int below(int n) { return int((next() >> 32) * std::uint64_t(n) >> 32); }
};

// The computer player of the host in outline: the first bone that fits,
// trying the toes from a random one on. Bones go by number, not by the
// place in hand the host deals them to.
Move firstFit(const Position &p, Random &rng);

// A whole game with this policy for every seat, for benchmarks: seats 2..6,
// the round count; returns the moves made.
long long playFirstFitGame(int seats, int rounds, Random &rng);

} // namespace rules
