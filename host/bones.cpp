#include "bones.h"

namespace bones {

namespace {
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
constexpr Table table;
} // namespace

int gettopnum(int n) { return valid(n) ? table.top[n] : -1; }
int getbotnum(int n) { return valid(n) ? table.bot[n] : -2; }

int bonenumber(int low, int high)
{
    if (low < 0 || high > 9 || low > high)
        return 0;
    // Pairs with a smaller low value: 10 + 9 + ... + (11 - low).
    int before = 0;
    for (int l = 0; l < low; ++l)
        before += 10 - l;
    return 1 + before + (high - low);
}

int doubleof(int v) { return (v >= 0 && v <= 9) ? bonenumber(v, v) : -1; }

} // namespace bones
