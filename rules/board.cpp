// SPDX-License-Identifier: MIT
#include "board.h"

namespace rules {

void clear(ToeCells &toes)
{
    for (auto &toe : toes)
        for (Cell &c : toe)
            c = Cell{};
}

int openValue(const ToeCells &toes, int toe, int position)
{
    if (toe < 1 || toe > Toes || position < 1 || position > Positions)
        return -1;
    const Cell &c = toes[toe][position];
    if (c.bone == 0)
        return -1;
    return c.flip ? gettopnum(c.bone) : getbotnum(c.bone);
}

bool allToesStarted(const ToeCells &toes)
{
    return toes[1][1].bone != 0 && toes[2][1].bone != 0 && toes[3][1].bone != 0;
}

Verdict judge(const ToeCells &toes, int playmode, int spinnerValue, int bone, int toe, int position)
{
    Verdict v;
    if (toe < 1 || toe > Toes)
        return v;
    const int low = gettopnum(bone), high = getbotnum(bone);
    if (playmode == 1) {
        // Onto the spinner a bone always goes to position 1; any other
        // position would announce a cell the bone is not in.
        if (position != 1 || (low != spinnerValue && high != spinnerValue) || toes[toe][1].bone != 0)
            return v;
        v.legal = true;
        v.flip = low != spinnerValue;
        return v;
    }
    if (position < 2 || position > Positions)
        return v;
    const int open = openValue(toes, toe, position - 1);
    if (open < 0 || (low != open && high != open) || toes[toe][position].bone != 0)
        return v;
    v.legal = true;
    v.newSpinner = low == open && high == open;
    v.flip = !v.newSpinner && high == open;
    return v;
}

Targets targets(const ToeCells &toes)
{
    Targets t;
    const bool footsMissing = !allToesStarted(toes);
    for (int toe = 1; toe <= Toes; ++toe) {
        if (footsMissing) {
            t.open[toe] = toes[toe][1].bone == 0;
            continue;
        }
        for (int p = 1; p <= OfferedPositions; ++p)
            if (toes[toe][p].bone == 0) {
                t.open[toe] = true;
                t.position[toe] = p;
                break;
            }
    }
    return t;
}

int bonesEach(int seats)
{
    switch (seats) {
    case 2: return 16;
    case 3: return 14;
    case 4: return 11;
    case 5: return 9;
    case 6: return 7;
    default: return 0;
    }
}

int roundSpinner(int round)
{
    static const int spinners[] = {0, 55, 53, 50, 46, 41, 35, 28, 20, 11, 1};
    return (round >= 1 && round <= 10) ? spinners[round] : 0;
}

} // namespace rules
