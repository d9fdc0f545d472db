// Rules benchmark: complete 10-round games with six computer seats and no
// delays, in process. Prints games per second and microseconds per move.
#include "synclink.h"

#include <QByteArray>

#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    const int games = argc > 1 ? std::atoi(argv[1]) : 2000;
    long long moves = 0;
    long long messages = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int seed = 0; seed < games; ++seed) {
        SyncLink link;
        GameHost g(link, unsigned(seed));
        link.host = &g;
        g.setBotDelay(1);
        // One watcher receives every announcement, so messages are built
        // and sent as in a real game.
        link.onSend = [&](int slot, const QByteArray &m) {
            if (slot == 7) {
                ++messages;
                moves += m.startsWith("CMD_heplayed+") || m.startsWith("CMD_double+")
                         || m.startsWith("CMD_hepassed+");
            }
        };
        for (int i = 1; i <= 7; ++i)
            g.slotConnected(g.reserveSlot());
        g.dispatch(1, "CMD_startgame+Bench+10+1+");
        for (int s = 1; s <= 6; ++s)
            g.slotClosed(s);
        while (g.gamerunning && link.fireOne()) {
        }
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("rules: %d games of 10 rounds, 6 computer seats, in %.2f s\n", games, secs);
    std::printf("rules: %.0f games/s, %.2f us/move (%lld moves, %lld messages)\n", games / secs,
                secs * 1e6 / double(moves), moves, messages);
    return 0;
}
