// SPDX-License-Identifier: MIT
// The double-nine set: bone numbers 1..55 and their two pip values, the one
// mapping that host, table window and computer players share.
#pragma once

namespace bones {

constexpr int Count = 55;

namespace detail {
struct Table {
    int top[Count + 1];
    int bot[Count + 1];
    constexpr Table() : top(), bot()
    {
        int n = 1;
        for (int low = 0; low <= 9; ++low)
            for (int high = low; high <= 9; ++high, ++n) {
                top[n] = low;
                bot[n] = high;
            }
    }
};
inline constexpr Table table;
} // namespace detail

constexpr bool valid(int n) { return n >= 1 && n <= Count; }
// Low value of bone n (drawn on top of an upright bone); -1 for 0 or any
// number outside 1..55, so an empty place never matches a pip value.
constexpr int gettopnum(int n) { return valid(n) ? detail::table.top[n] : -1; }
// High value of bone n; -2 outside 1..55 (never equal to gettopnum's -1).
constexpr int getbotnum(int n) { return valid(n) ? detail::table.bot[n] : -2; }
// Bone number of the pair (low, high), 0 <= low <= high <= 9; 0 otherwise.
constexpr int bonenumber(int low, int high)
{
    if (low < 0 || high > 9 || low > high)
        return 0;
    // Pairs with a smaller low value: 10 + 9 + ... + (11 - low).
    int before = 0;
    for (int l = 0; l < low; ++l)
        before += 10 - l;
    return 1 + before + (high - low);
}
// Bone number of the double with pip value v (0 gives 1, 9 gives 55); -1 otherwise.
constexpr int doubleof(int v) { return (v >= 0 && v <= 9) ? bonenumber(v, v) : -1; }
constexpr bool isdouble(int n) { return valid(n) && gettopnum(n) == getbotnum(n); }
constexpr int pips(int n) { return valid(n) ? gettopnum(n) + getbotnum(n) : 0; }

} // namespace bones

using bones::getbotnum;
using bones::gettopnum;
