// SPDX-License-Identifier: MIT
// Strength benchmark: the strong player in complete 10-round games through
// the real GameHost against three kinds of opponent: the host's own
// first-fit player (Normal), the heuristic player (the thinking baseline)
// and the strong player as first shipped; and the heuristic player against
// Normal and Greedy. The player measured sits in one seat and the opponent
// kind in all the others; every deal is played once with it in each seat,
// so no seat's first turn favours it. Prints for 2, 4 and 6 seats the share
// of games won with a 95 % Wilson interval, the mean final totals and the
// mean margin, how long one strong decision takes on the host's event loop
// (by the clock and in processor time), and each match's wall time.
//
// bench_strength [percent] [name=value ...]
// percent scales every game count (100 by default, for a quick look less);
// name is a StrongSettings field, or w.NAME for one of its playout weights.
#include "heuristic.h"
#include "shippedstrong.h"
#include "strongplayer.h"
#include "synclink.h"
#include "tabletracker.h"

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
#include <string>
#include <thread>
#include <vector>

namespace {

// Who plays a seat. Strong and Normal are the host's own computer players;
// the others play the seat as a client would, from a tracker of the
// seat's messages.
enum class Kind { Strong, Normal, Greedy, Heuristic, Shipped };

const char *nameOf(Kind k)
{
    switch (k) {
    case Kind::Strong:
        return "Strong";
    case Kind::Normal:
        return "Normal";
    case Kind::Greedy:
        return "Greedy";
    case Kind::Heuristic:
        return "Heuristic";
    case Kind::Shipped:
        return "shipped Strong";
    }
    return "";
}

struct GameResult {
    bool won = false;
    int total = 0;
    double othersTotal = 0; // mean of the other seats' totals
};

struct Timings {
    std::vector<double> ms;  // strong decisions with a real choice, by the clock on the wall
    std::vector<double> cpu; // the same, by the thread's own processor time
    long long turns = 0;     // every strong turn, passes and forced plays included
    void add(const Timings &o)
    {
        ms.insert(ms.end(), o.ms.begin(), o.ms.end());
        cpu.insert(cpu.end(), o.cpu.begin(), o.cpu.end());
        turns += o.turns;
    }
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

QByteArray num(int v) { return QByteArray::number(v); }

// One 10-round game with `seats` seats: `measured` in seat `seat`, the
// opponent kind in the others. Every round's deal comes from (deal, round),
// so the games of one deal differ only in who sits where.
GameResult playGame(int seats, Kind measured, int seat, Kind opponent, std::uint64_t deal,
                    const players::StrongSettings &settings, Timings &timings)
{
    SyncLink link;
    GameHost g(link, unsigned(mix(deal)));
    link.host = &g;
    g.setBotDelay(1);
    g.strongSettings = settings;
    g.reseedStrong(mix(deal ^ 0x57201u) + std::uint64_t(seat));
    Kind kind[rules::Seats + 1];
    for (int s = 1; s <= seats; ++s) {
        kind[s] = s == seat ? measured : opponent;
        g.setComputerLevel(s, kind[s] == Kind::Strong ? GameHost::Strong : GameHost::Normal);
    }
    const auto client = [&](int s) { return kind[s] != Kind::Strong && kind[s] != Kind::Normal; };
    players::TableTracker trackers[rules::Seats + 1];
    int rounds = 0, refused = 0;
    // The watcher in slot 7 hears every round start before the shuffle.
    link.onSend = [&](int slot, const QByteArray &m) {
        if (slot >= 1 && slot <= seats)
            trackers[slot].observe(m.chopped(1));
        refused += m.startsWith("CMD_noplay+");
        if (slot == 7 && m.startsWith("CMD_startround+"))
            g.reseed(unsigned(mix(deal * 1000 + std::uint64_t(++rounds))));
    };
    for (int i = 1; i <= 7; ++i) {
        g.slotConnected(g.reserveSlot());
        if (i <= rules::Seats)
            trackers[i].setSeat(i);
    }
    for (int s = seats + 1; s <= 6; ++s)
        g.slotClosed(s);
    g.dispatch(1, "CMD_startgame+Bench+10+1+");
    for (int s = 1; s <= seats; ++s)
        if (!client(s))
            g.slotClosed(s);
    std::uint64_t clientSeed = mix(deal ^ 0xC11E47u);
    int guard = 0;
    while (g.gamerunning && ++guard < 100000) {
        const int s = g.whoseturn;
        if (g.turnopen && s >= 1 && s <= seats && client(s)) {
            const players::TableView &v = trackers[s].view();
            rules::Move m;
            if (kind[s] == Kind::Greedy)
                m = players::decideGreedy(v);
            else if (kind[s] == Kind::Heuristic)
                m = players::decideHeuristic(v);
            else
                m = shipped::decideStrong(v, clientSeed = mix(clientSeed));
            if (m.isPass())
                g.dispatch(s, "CMD_hepasses+" + num(s) + "+");
            else
                g.dispatch(s, "CMD_playbone+" + num(s) + "+" + num(trackers[s].handNumber(m.bone)) + "+" + num(m.toe)
                                  + "+" + num(m.position) + "+");
            continue;
        }
        if (link.computerRunning && g.turnopen && kind[s] == Kind::Strong) {
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
    if (g.gamerunning || refused)
        std::fprintf(stderr, "deal %llu: %s\n", (unsigned long long)deal,
                     refused ? "a play was refused" : "the game did not end");
    GameResult r;
    int best = 0;
    for (int s = 1; s <= seats; ++s)
        if (best == 0 || g.players[s].totalscore < g.players[best].totalscore)
            best = s;
    r.won = best == seat;
    r.total = g.players[seat].totalscore;
    for (int s = 1; s <= seats; ++s)
        if (s != seat)
            r.othersTotal += g.players[s].totalscore;
    r.othersTotal /= seats - 1;
    return r;
}

// Plays `games` games on every core: each deal as many times as there are
// seats, the measured player in each seat once.
std::vector<GameResult> playAll(int seats, Kind measured, Kind opponent, int games, std::uint64_t base,
                                const players::StrongSettings &settings, Timings &timings)
{
    const int deals = (games + seats - 1) / seats;
    std::vector<GameResult> results(std::size_t(deals) * std::size_t(seats));
    std::atomic<int> next{0};
    std::mutex merge;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned c = 0; c < cores; ++c)
        pool.emplace_back([&] {
            Timings mine;
            for (int d; (d = next++) < deals;)
                for (int s = 1; s <= seats; ++s)
                    results[std::size_t(d) * std::size_t(seats) + std::size_t(s - 1)]
                        = playGame(seats, measured, s, opponent, base + std::uint64_t(d), settings, mine);
            std::lock_guard lock(merge);
            timings.add(mine);
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

// One line per match; `target` is the share the issue asks for, 0 for none.
void report(int seats, Kind measured, Kind opponent, const std::vector<GameResult> &results, double target,
            double seconds)
{
    int won = 0;
    double mine = 0, others = 0, margin2 = 0;
    for (const GameResult &r : results) {
        won += r.won;
        mine += r.total;
        others += r.othersTotal;
        margin2 += (r.othersTotal - r.total) * (r.othersTotal - r.total);
    }
    const int n = int(results.size());
    double lo, hi;
    wilson(won, n, lo, hi);
    const double margin = (others - mine) / n;
    std::printf("%s vs %s, %d seats (even share %.1f %%): %.1f %% of %d games won (95 %% interval %.1f-%.1f %%)", nameOf(measured),
                nameOf(opponent), seats, 100.0 / seats, 100.0 * won / n, n, 100 * lo, 100 * hi);
    if (target > 0)
        std::printf(", target %.0f %% %s", target, 100.0 * won / n >= target ? "met" : "missed");
    std::printf("\n  mean totals %.1f vs %.1f, margin (others' mean - own) %.1f +- %.1f per game; %.0f s\n", mine / n,
                others / n, margin, 1.96 * std::sqrt(std::max(0.0, margin2 / n - margin * margin) / n), seconds);
    std::fflush(stdout);
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5));
    return v[i];
}

void reportTimes(const char *what, const Timings &t)
{
    std::printf("%s: thinking time over %zu strong decisions with a choice (of %lld strong turns): median %.2f ms, "
                "99th percentile %.2f ms, slowest %.2f ms\n",
                what, t.ms.size(), t.turns, percentile(t.ms, 0.5), percentile(t.ms, 0.99), percentile(t.ms, 1.0));
    std::printf("  processor time of the same: median %.2f ms, 99th percentile %.2f ms, slowest %.2f ms\n",
                percentile(t.cpu, 0.5), percentile(t.cpu, 0.99), percentile(t.cpu, 1.0));
    std::fflush(stdout);
}

bool setField(players::StrongSettings &s, const char *arg)
{
    const char *eq = std::strchr(arg, '=');
    if (!eq)
        return false;
    std::string name(arg, eq);
    const int value = std::atoi(eq + 1);
    const bool playout = name.rfind("w.", 0) == 0;
#define VELLOC_FIELD(f)                      \
    if (playout && name == "w." #f) {        \
        s.weights.f = value;                 \
        return true;                         \
    }
    VELLOC_HEURISTIC_WEIGHTS(VELLOC_FIELD)
#undef VELLOC_FIELD
#define VELLOC_FIELD(f)    \
    if (name == #f) {      \
        s.f = value;       \
        return true;       \
    }
    VELLOC_STRONG_SETTINGS(VELLOC_FIELD)
#undef VELLOC_FIELD
    return false;
}

struct Match {
    Kind measured, opponent;
    int games[3]; // 2, 4 and 6 seats
    double target[3];
};

} // namespace

int main(int argc, char **argv)
{
    int percent = 100;
    players::StrongSettings settings;
    for (int i = 1; i < argc; ++i) {
        if (std::strchr(argv[i], '=')) {
            if (!setField(settings, argv[i])) {
                std::fprintf(stderr, "unknown setting %s\n", argv[i]);
                return 2;
            }
        } else {
            percent = std::clamp(std::atoi(argv[i]), 1, 1000);
        }
    }
    std::printf("strength: settings");
#define VELLOC_FIELD(f) std::printf(" %s=%d", #f, int(settings.f));
    VELLOC_STRONG_SETTINGS(VELLOC_FIELD)
#undef VELLOC_FIELD
#define VELLOC_FIELD(f) std::printf(" w.%s=%d", #f, int(settings.weights.f));
    VELLOC_HEURISTIC_WEIGHTS(VELLOC_FIELD)
#undef VELLOC_FIELD
    std::printf(", %u threads, %d %% of the games\n", std::max(1u, std::thread::hardware_concurrency()), percent);
    std::fflush(stdout);

    // The same deals for every match of one table size, so the matches
    // differ only in the players. Strong beats Normal in nearly every game
    // of two or four: fewer games tell that as well, and the time goes to
    // the matches with targets.
    const Match matches[] = {
        {Kind::Strong, Kind::Normal, {100, 100, 60}, {0, 0, 0}},
        {Kind::Strong, Kind::Heuristic, {1000, 500, 300}, {80, 45, 30}},
        {Kind::Strong, Kind::Shipped, {1000, 100, 60}, {65, 0, 0}},
        {Kind::Heuristic, Kind::Normal, {1000, 500, 300}, {0, 0, 0}},
        {Kind::Heuristic, Kind::Greedy, {1000, 500, 300}, {0, 0, 0}},
    };
    const int tables[] = {2, 4, 6};
    const auto t0 = std::chrono::steady_clock::now();
    Timings all;
    for (int k = 0; k < 3; ++k) {
        const int seats = tables[k];
        Timings timings;
        for (const Match &m : matches) {
            const int games = std::max(seats, m.games[k] * percent / 100);
            const auto start = std::chrono::steady_clock::now();
            const auto results
                = playAll(seats, m.measured, m.opponent, games, std::uint64_t(seats) * 1000000, settings, timings);
            report(seats, m.measured, m.opponent, results, m.target[k],
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        const std::string what = std::to_string(seats) + " seats";
        reportTimes(what.c_str(), timings);
        all.add(timings);
    }
    std::printf("strength: the host replays the last round on a tie, so every game has one winner\n");
    // Timed as the event loop sees it: the host's computer tick for a strong
    // seat, its tracker's view and decideStrong included.
    reportTimes("all tables", all);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("strength: wall time %.1f s\n", wall);
    return 0;
}
