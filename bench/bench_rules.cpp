// SPDX-License-Identifier: MIT
// Rules benchmark: complete 10-round games with six computer seats and no
// delays, in process, on one core: through the host (messages built and
// sent) and through the rules core alone (what a searching player plays
// out). Prints games per second and moves per second.
#include "position.h"
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

    // The same games in the rules core: first fit, six seats, ten rounds.
    const int coreGames = games * 25;
    rules::Random rng(1);
    long long coreMoves = 0;
    const auto c0 = std::chrono::steady_clock::now();
    for (int i = 0; i < coreGames; ++i)
        coreMoves += rules::playFirstFitGame(6, 10, rng);
    const double coreSecs = std::chrono::duration<double>(std::chrono::steady_clock::now() - c0).count();
    std::printf("rules core: %d games of 10 rounds, 6 seats, first fit, in %.2f s\n", coreGames, coreSecs);
    std::printf("rules core: %.0f games/s, %.1f million moves/s (%lld moves)\n", coreGames / coreSecs,
                double(coreMoves) / coreSecs / 1e6, coreMoves);
    return 0;
}
