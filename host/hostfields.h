// SPDX-License-Identifier: MIT
// Small helpers shared by the game host's source files: numbers and flags as
// the wire writes them, and the ranges of seats and slots.
#pragma once

#include "gamehost.h"

namespace hostfields {

inline QByteArray num(int v) { return QByteArray::number(v); }
inline const char *tf(bool b) { return b ? "t" : "f"; }
inline bool isSeat(int n) { return n >= 1 && n <= GameHost::maxseats; }
inline bool isSlot(int n) { return n >= 1 && n <= GameHost::MaxSlots; }

} // namespace hostfields
