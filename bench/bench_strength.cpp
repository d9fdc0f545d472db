// Strength benchmark: the strong player against the host's own first-fit
// player in complete 10-round games through the real GameHost, every seat
// played by the computer. Two-seat games play each deal twice with the
// seats swapped; four-seat games play each deal four times with the strong
// seat moved round the table. Prints the strong player's share of games
// won with a 95 % Wilson interval, the mean final totals, and how long the
// host's event loop spends on one strong decision.
//
// bench_strength [two-seat games] [four-seat games] [name=value ...]
// where name is a StrongSettings field, for trying other settings.
#include "position.h"
#include "synclink.h"

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct GameResult {
    bool strongWon = false;
    int strongTotal = 0;
    double othersTotal = 0; // mean of the other seats' totals
};

struct Timings {
    std::vector<double> ms;  // decisions with a real choice, by the clock on the wall
    std::vector<double> cpu; // the same, by the thread's own processor time
    long long turns = 0;    // every strong turn, passes and forced plays included
};

// A busy machine stretches the wall-clock time of a decision but not the
// work in it: both are shown, the work by the thread's own processor clock.
template <class Reading>
Reading readingOf(int (*)(clockid_t, Reading *));
using ClockReading = decltype(readingOf(&clock_gettime)); // what clock_gettime fills in

double threadMs()
{
    ClockReading r{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &r);
    return double(r.tv_sec) * 1e3 + double(r.tv_nsec) / 1e6;
}

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Whether the seat whose turn it is has more than one play: forced plays
// and passes cost the strong player nothing and would flatter its times.
bool hasChoice(const GameHost &g)
{
    const int s = g.whoseturn;
    int legal = 0;
    for (int h = 1; h <= rules::HandPlaces; ++h) {
        const int b = g.players[s].hand[h];
        if (!b)
            continue;
        for (int t = 1; t <= rules::Toes; ++t) {
            int p = 1;
            while (p <= rules::Positions && g.toes[t][p].bone)
                ++p;
            if (p <= rules::Positions && rules::judge(g.toes, g.playmode, g.spinner, b, t, p).legal && ++legal > 1)
                return true;
        }
    }
    return false;
}

// One 10-round game with `seats` seats, the strong player in `strongSeat`.
// Every round's deal comes from (deal, round), so the games of one deal
// differ only in where the strong player sits.
GameResult playGame(int seats, int strongSeat, std::uint64_t deal, const players::StrongSettings &settings,
                    Timings &timings)
{
    SyncLink link;
    GameHost g(link, unsigned(mix(deal)));
    link.host = &g;
    g.setBotDelay(1);
    g.strongSettings = settings;
    g.setComputerLevel(strongSeat, GameHost::Strong);
    int rounds = 0;
    // The watcher in slot 7 hears every round start before the shuffle.
    link.onSend = [&](int slot, const QByteArray &m) {
        if (slot == 7 && m.startsWith("CMD_startround+"))
            g.reseed(unsigned(mix(deal * 1000 + std::uint64_t(++rounds))));
    };
    for (int i = 1; i <= 7; ++i)
        g.slotConnected(g.reserveSlot());
    for (int s = seats + 1; s <= 6; ++s)
        g.slotClosed(s);
    g.dispatch(1, "CMD_startgame+Bench+10+1+");
    for (int s = 1; s <= seats; ++s)
        g.slotClosed(s);
    int guard = 0;
    while (g.gamerunning && ++guard < 100000) {
        if (link.computerRunning && g.turnopen && g.whoseturn == strongSeat) {
            ++timings.turns;
            const bool choice = hasChoice(g);
            const double c0 = threadMs();
            const auto t0 = std::chrono::steady_clock::now();
            link.fireOne();
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            if (choice) {
                timings.ms.push_back(ms);
                timings.cpu.push_back(threadMs() - c0);
            }
            continue;
        }
        if (!link.fireOne())
            break;
    }
    if (g.gamerunning)
        std::fprintf(stderr, "deal %llu: the game did not end\n", (unsigned long long)deal);
    GameResult r;
    int best = 0;
    for (int s = 1; s <= seats; ++s)
        if (best == 0 || g.players[s].totalscore < g.players[best].totalscore)
            best = s;
    r.strongWon = best == strongSeat;
    r.strongTotal = g.players[strongSeat].totalscore;
    for (int s = 1; s <= seats; ++s)
        if (s != strongSeat)
            r.othersTotal += g.players[s].totalscore;
    r.othersTotal /= seats - 1;
    return r;
}

// Plays `games` games of `seats` seats on every core: each deal as many
// times as there are seats, the strong player in each seat once.
std::vector<GameResult> playAll(int seats, int games, std::uint64_t base, const players::StrongSettings &settings,
                                Timings &timings)
{
    const int deals = (games + seats - 1) / seats;
    std::vector<GameResult> results(std::size_t(deals) * seats);
    std::atomic<int> next{0};
    std::mutex merge;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned c = 0; c < cores; ++c)
        pool.emplace_back([&] {
            Timings mine;
            for (int d; (d = next++) < deals;)
                for (int s = 1; s <= seats; ++s)
                    results[std::size_t(d) * seats + s - 1] = playGame(seats, s, base + std::uint64_t(d), settings, mine);
            std::lock_guard lock(merge);
            timings.ms.insert(timings.ms.end(), mine.ms.begin(), mine.ms.end());
            timings.cpu.insert(timings.cpu.end(), mine.cpu.begin(), mine.cpu.end());
            timings.turns += mine.turns;
        });
    for (auto &t : pool)
        t.join();
    return results;
}

// Wilson score interval for k successes in n at 95 %.
void wilson(double k, int n, double &lo, double &hi)
{
    const double z = 1.959964, p = k / n, z2 = z * z;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z2 / (4.0 * n * n)) / (1 + z2 / n);
    lo = centre - half;
    hi = centre + half;
}

void report(const char *what, const std::vector<GameResult> &results)
{
    int won = 0;
    double strong = 0, others = 0, margin2 = 0;
    for (const GameResult &r : results) {
        won += r.strongWon;
        strong += r.strongTotal;
        others += r.othersTotal;
        margin2 += (r.othersTotal - r.strongTotal) * (r.othersTotal - r.strongTotal);
    }
    const int n = int(results.size());
    double lo, hi;
    wilson(won, n, lo, hi);
    std::printf("%s: %.1f %% of %d games won (95 %% interval %.1f-%.1f %%), mean totals %.1f vs %.1f\n", what,
                100.0 * won / n, n, 100 * lo, 100 * hi, strong / n, others / n);
    // The margin is the finer measure when nearly every game is won.
    const double margin = (others - strong) / n;
    std::printf("  margin (others' mean total - strong total) %.1f +- %.1f per game\n", margin,
                1.96 * std::sqrt(std::max(0.0, margin2 / n - margin * margin) / n));
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5));
    return v[i];
}

bool setField(players::StrongSettings &s, const char *arg)
{
    const char *eq = std::strchr(arg, '=');
    if (!eq)
        return false;
    const std::string name(arg, eq);
    const int value = std::atoi(eq + 1);
#define VELLOC_FIELD(f)    \
    if (name == #f) {      \
        s.f = value;       \
        return true;       \
    }
    VELLOC_STRONG_SETTINGS(VELLOC_FIELD)
#undef VELLOC_FIELD
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    int games2 = 1000, games4 = 500;
    players::StrongSettings settings;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strchr(argv[i], '=')) {
            if (!setField(settings, argv[i])) {
                std::fprintf(stderr, "unknown setting %s\n", argv[i]);
                return 2;
            }
        } else if (positional++ == 0) {
            games2 = std::atoi(argv[i]);
        } else {
            games4 = std::atoi(argv[i]);
        }
    }
    std::printf("strength: settings");
#define VELLOC_FIELD(f) std::printf(" %s=%d", #f, int(settings.f));
    VELLOC_STRONG_SETTINGS(VELLOC_FIELD)
#undef VELLOC_FIELD
    std::printf(", %u threads\n", std::max(1u, std::thread::hardware_concurrency()));
    std::fflush(stdout);

    const auto t0 = std::chrono::steady_clock::now();
    Timings timings;
    if (games2 > 0) {
        report("Strong vs Normal, 2 seats", playAll(2, games2, 1000000, settings, timings));
        std::fflush(stdout);
    }
    if (games4 > 0)
        report("Strong vs 3 Normal, 4 seats (even share 25 %)", playAll(4, games4, 2000000, settings, timings));
    std::printf("strength: the host replays the last round on a tie, so every game has one winner\n");
    // Timed as the event loop sees it: the host's computer tick for a strong
    // seat, its tracker's view and decideStrong included.
    std::printf("thinking time over %zu strong decisions with a choice (of %lld strong turns): median %.2f ms, "
                "99th percentile %.2f ms, max %.2f ms\n",
                timings.ms.size(), timings.turns, percentile(timings.ms, 0.5), percentile(timings.ms, 0.99),
                percentile(timings.ms, 1.0));
    std::printf("  processor time of the same: median %.2f ms, 99th percentile %.2f ms, max %.2f ms\n",
                percentile(timings.cpu, 0.5), percentile(timings.cpu, 0.99), percentile(timings.cpu, 1.0));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("strength: wall time %.1f s\n", wall);
    return 0;
}
