// The double-nine set: bone numbers 1..55 and their two pip values, the one
// mapping that host and table window share.
#pragma once

namespace bones {

constexpr int Count = 55;

// Low value of bone n (drawn on top of an upright bone); -1 for 0 or any
// number outside 1..55, so an empty place never matches a pip value.
int gettopnum(int n);
// High value of bone n; -2 outside 1..55 (never equal to gettopnum's -1).
int getbotnum(int n);
// Bone number of the pair (low, high), 0 <= low <= high <= 9; 0 otherwise.
int bonenumber(int low, int high);
// Bone number of the double with pip value v (0 gives 1, 9 gives 55); -1 otherwise.
int doubleof(int v);
inline bool valid(int n) { return n >= 1 && n <= Count; }
inline bool isdouble(int n) { return valid(n) && gettopnum(n) == getbotnum(n); }
inline int pips(int n) { return valid(n) ? gettopnum(n) + getbotnum(n) : 0; }

} // namespace bones

using bones::getbotnum;
using bones::gettopnum;
