// SPDX-License-Identifier: MIT
#include "position.h"

#include <bit>

namespace rules {

namespace {

struct ValueSets {
    BoneSet of[10] = {};
    constexpr ValueSets()
    {
        for (int b = 1; b <= BoneCount; ++b) {
            of[gettopnum(b)] |= bit(b);
            of[getbotnum(b)] |= bit(b);
        }
    }
};
constexpr ValueSets valueSets;

struct PipTable {
    int pips[BoneCount + 1] = {};
    constexpr PipTable()
    {
        for (int b = 1; b <= BoneCount; ++b)
            pips[b] = gettopnum(b) + getbotnum(b);
    }
};
constexpr PipTable pipTable;

inline int lowestBone(BoneSet s) { return std::countr_zero(s) + 1; }

} // namespace

BoneSet withValue(int v) { return (v >= 0 && v <= 9) ? valueSets.of[v] : 0; }

int countOf(BoneSet s) { return std::popcount(s); }

int pipsOf(BoneSet s)
{
    int total = 0;
    for (; s; s &= s - 1)
        total += pipTable.pips[lowestBone(s)];
    return total;
}

int Position::seatsInGame() const { return std::popcount(unsigned(inGame)); }

int Position::legalMoves(Move *out) const
{
    int n = 0;
    const BoneSet mine = hand[turn];
    if (mode == 1) {
        const BoneSet fits = mine & valueSets.of[spinner];
        for (int t = 1; t <= Toes; ++t)
            if (length[t] == 0)
                for (BoneSet s = fits; s; s &= s - 1)
                    out[n++] = Move{std::int8_t(lowestBone(s)), std::int8_t(t), 1};
        return n;
    }
    for (int t = 1; t <= Toes; ++t) {
        if (length[t] >= Positions)
            continue;
        for (BoneSet s = mine & valueSets.of[end[t]]; s; s &= s - 1)
            out[n++] = Move{std::int8_t(lowestBone(s)), std::int8_t(t), std::int8_t(length[t] + 1)};
    }
    return n;
}

void Position::nextTurn()
{
    int next = turn;
    for (int i = 0; i < Seats; ++i) {
        next = next >= Seats ? 1 : next + 1;
        if (inRound(next))
            break;
    }
    turn = std::uint8_t(next);
    passed &= std::uint8_t(~(1u << next));
}

void Position::play(const Move &m)
{
    if (m.isPass()) {
        passed |= std::uint8_t(1u << turn);
        if ((passed & inGame) == inGame) {
            over = true;
            return;
        }
        nextTurn();
        return;
    }
    const int b = m.bone;
    hand[turn] &= ~bit(b);
    const int low = gettopnum(b), high = getbotnum(b);
    if (mode == 1) {
        end[m.toe] = std::int8_t(low == spinner ? high : low);
        length[m.toe] = 1;
        if (length[1] && length[2] && length[3])
            mode = 2;
        passed = 0;
    } else if (low == high) {
        // The double becomes the spinner and the board starts again around
        // it; the host's pass record is left as it is.
        spinner = std::int8_t(low);
        mode = 1;
        length[1] = length[2] = length[3] = 0;
    } else {
        end[m.toe] = std::int8_t(low == end[m.toe] ? high : low);
        ++length[m.toe];
        passed = 0;
    }
    if (hand[turn] == 0) {
        wentOut = std::int8_t(turn);
        over = true;
        return;
    }
    nextTurn();
}

Random::Random(std::uint64_t seed)
{
    // splitmix64 spreads any seed over the whole state.
    for (auto &w : s) {
        std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        w = z ^ (z >> 31);
    }
}

std::uint64_t Random::next()
{
    const std::uint64_t result = std::rotl(s[1] * 5, 7) * 9;
    const std::uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = std::rotl(s[3], 45);
    return result;
}

Move firstFit(const Position &p, Random &rng)
{
    const BoneSet mine = p.hand[p.turn];
    if (p.mode == 1) {
        const BoneSet fits = mine & valueSets.of[p.spinner];
        if (fits)
            for (int t = 1; t <= Toes; ++t)
                if (p.length[t] == 0)
                    return Move{std::int8_t(lowestBone(fits)), std::int8_t(t), 1};
        return {};
    }
    const int t0 = 1 + rng.below(Toes);
    for (int k = 0; k < Toes; ++k) {
        const int t = (t0 + k - 1) % Toes + 1;
        if (p.length[t] >= Positions)
            continue;
        if (const BoneSet fits = mine & valueSets.of[p.end[t]])
            return Move{std::int8_t(lowestBone(fits)), std::int8_t(t), std::int8_t(p.length[t] + 1)};
    }
    return {};
}

long long playFirstFitGame(int seats, int rounds, Random &rng)
{
    int total[Seats + 1] = {};
    long long moves = 0;
    int opener = 1;
    int extra = 0;
    for (int round = 1; round <= rounds; ++round) {
        Position p;
        const int spinnerBone = roundSpinner(round);
        p.spinner = std::int8_t(gettopnum(spinnerBone));
        p.inGame = std::uint8_t(((1u << (seats + 1)) - 1) & ~1u);
        // Shuffle the 54 other bones and deal them round by round.
        int deck[BoneCount];
        int n = 0;
        for (int b = 1; b <= BoneCount; ++b)
            if (b != spinnerBone)
                deck[n++] = b;
        for (int i = n - 1; i > 0; --i) {
            const int j = rng.below(i + 1);
            const int tmp = deck[i];
            deck[i] = deck[j];
            deck[j] = tmp;
        }
        const int each = bonesEach(seats);
        for (int k = 0, d = 0; k < each; ++k)
            for (int s = 1; s <= seats; ++s)
                p.hand[s] |= bit(deck[d++]);
        p.turn = std::uint8_t(opener);
        while (!p.over) {
            p.play(firstFit(p, rng));
            ++moves;
        }
        for (int s = 1; s <= seats; ++s)
            total[s] += p.roundScore(s);
        opener = p.turn % seats + 1;
        // A tie for the lowest total after the last round plays it again.
        if (round == rounds) {
            int best = 1, tied = 0;
            for (int s = 2; s <= seats; ++s)
                if (total[s] < total[best])
                    best = s;
            for (int s = 1; s <= seats; ++s)
                tied += total[s] == total[best];
            if (tied > 1 && extra++ < 20)
                --round;
        }
    }
    return moves;
}

} // namespace rules
