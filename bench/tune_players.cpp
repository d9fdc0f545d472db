// SPDX-License-Identifier: MIT
// Tuning runs for the computer players, in the rules core (tablesim.h), on
// deals of their own: the strength benchmark reports on other deals, so
// what was tuned here is not what is measured there.
//
// tune_players [seats=2] [games=1000] [threads=1] [deals=N] [tries=1] a=KIND b=KIND [a.NAME=V ...] [b.NAME=V ...]
//   Player a in one seat, b in all the others; each deal is played once
//   with a in every seat. KIND: normal, greedy, heuristic, strong, shipped.
//   NAME: a heuristic weight, a strong setting, or w.WEIGHT for the weights
//   of the strong player's playouts. tries: times a's strong decisions are
//   each timed, the least kept (see tablesim.h).
// tune_players descend [seats=2] [games=4000] [threads=1] [a.NAME=V ...]
//   Coordinate descent of the heuristic's weights against the best so far.
// Not run by bench/run.sh; keep runs small on a shared machine (nice, one thread).
#include "shippedstrong.h"
#include "tablesim.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tablesim;

constexpr std::uint64_t TuningDeals = 900000000; // the benchmark's deals are far below

struct ShippedSeat : Player {
    Move move(const TableView &v, std::uint64_t seed) override { return shipped::decideStrong(v, seed); }
};

struct Side {
    std::string kind = "heuristic";
    int tries = 1; // timings of each strong decision, the least kept
    players::HeuristicWeights weights;
    players::StrongSettings strong;

    std::unique_ptr<Player> make() const
    {
        if (kind == "normal")
            return std::make_unique<FirstFitSeat>();
        if (kind == "greedy")
            return std::make_unique<GreedySeat>();
        if (kind == "shipped")
            return std::make_unique<ShippedSeat>();
        if (kind == "strong") {
            auto p = std::make_unique<TimedSeat<StrongSeat>>();
            p->settings = strong;
            p->tries = tries;
            return p;
        }
        auto p = std::make_unique<HeuristicSeat>();
        p->weights = weights;
        return p;
    }

    bool set(const std::string &name, int value)
    {
        const bool playout = name.rfind("w.", 0) == 0;
        const std::string field = playout ? name.substr(2) : name;
        players::HeuristicWeights &w = playout ? strong.weights : weights;
#define VELLOC_FIELD(f)    \
    if (field == #f) {     \
        w.f = value;       \
        return true;       \
    }
        VELLOC_HEURISTIC_WEIGHTS(VELLOC_FIELD)
#undef VELLOC_FIELD
#define VELLOC_FIELD(f)              \
    if (!playout && field == #f) {   \
        strong.f = value;            \
        return true;                 \
    }
        VELLOC_STRONG_SETTINGS(VELLOC_FIELD)
#undef VELLOC_FIELD
        return false;
    }
};

struct Tally {
    int games = 0, won = 0;
    double margin = 0, margin2 = 0; // others' mean total - a's total
    std::vector<double> ms;         // a's decisions, when it is timed
};

Tally match(const Side &a, const Side &b, int seats, int games, int threads, std::uint64_t deals)
{
    const int dealCount = (games + seats - 1) / seats;
    std::atomic<int> next{0};
    std::vector<Tally> parts(static_cast<std::size_t>(threads));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            Tally &tally = parts[std::size_t(t)];
            std::vector<std::unique_ptr<Player>> own;
            own.push_back(a.make());
            for (int s = 1; s < seats; ++s)
                own.push_back(b.make());
            for (int d; (d = next++) < dealCount;)
                for (int seat = 1; seat <= seats; ++seat) {
                    Player *at[rules::Seats];
                    for (int s = 1, o = 1; s <= seats; ++s)
                        at[s - 1] = s == seat ? own[0].get() : own[std::size_t(o++)].get();
                    const GameResult r = playGame(seats, 10, deals + std::uint64_t(d), at);
                    double others = 0;
                    for (int s = 1; s <= seats; ++s)
                        if (s != seat)
                            others += r.total[s];
                    const double m = others / (seats - 1) - r.total[seat];
                    ++tally.games;
                    tally.won += r.winner == seat;
                    tally.margin += m;
                    tally.margin2 += m * m;
                }
            if (auto *timed = dynamic_cast<Timing *>(own[0].get()))
                tally.ms = timed->ms;
        });
    for (auto &t : pool)
        t.join();
    Tally all;
    for (const Tally &p : parts) {
        all.games += p.games;
        all.won += p.won;
        all.margin += p.margin;
        all.margin2 += p.margin2;
        all.ms.insert(all.ms.end(), p.ms.begin(), p.ms.end());
    }
    return all;
}

void print(const char *what, const Tally &t)
{
    const double n = t.games, p = t.won / n, z = 1.959964;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    const double m = t.margin / n, se = std::sqrt(std::max(0.0, t.margin2 / n - m * m) / n);
    std::printf("%s: %.1f %% of %d (%.1f-%.1f), margin %.1f +- %.1f", what, 100 * p, t.games,
                100 * (centre - half), 100 * (centre + half), m, 1.96 * se);
    if (!t.ms.empty()) {
        std::vector<double> ms = t.ms;
        std::sort(ms.begin(), ms.end());
        double sum = 0;
        for (double x : ms)
            sum += x;
        std::printf(", decisions %.2f ms mean, %.2f median, %.2f at 99 %%, %.2f max", sum / double(ms.size()),
                    ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    }
    std::printf("\n");
    std::fflush(stdout);
}

std::string weightsText(const players::HeuristicWeights &w)
{
    std::string s;
#define VELLOC_FIELD(f) s += std::string(" ") + #f + "=" + std::to_string(w.f);
    VELLOC_HEURISTIC_WEIGHTS(VELLOC_FIELD)
#undef VELLOC_FIELD
    return s;
}

// Each weight in turn up and down by a step; a change stays when it beats
// the best so far by more than twice its standard error.
void descend(Side best, int seats, int games, int threads, std::uint64_t deals)
{
    std::vector<int players::HeuristicWeights::*> fields;
#define VELLOC_FIELD(f) fields.push_back(&players::HeuristicWeights::f);
    VELLOC_HEURISTIC_WEIGHTS(VELLOC_FIELD)
#undef VELLOC_FIELD
    for (int pass = 0; pass < 3; ++pass) {
        bool changed = false;
        for (auto field : fields)
            for (int sign : {+1, -1}) {
                Side trial = best;
                const int step = std::max(2, std::abs(best.weights.*field) / 3);
                trial.weights.*field += sign * step;
                const Tally t = match(trial, best, seats, games, threads, deals);
                deals += std::uint64_t(games);
                const double m = t.margin / t.games;
                const double se = std::sqrt(std::max(0.0, t.margin2 / t.games - m * m) / t.games);
                std::printf("  %s:%s", m > 2 * se ? "kept" : "    ", weightsText(trial.weights).c_str());
                print("", t);
                if (m > 2 * se) {
                    best = trial;
                    changed = true;
                    break;
                }
            }
        std::printf("pass %d:%s\n", pass + 1, weightsText(best.weights).c_str());
        if (!changed)
            break;
    }
}

} // namespace

int main(int argc, char **argv)
{
    Side a, b;
    int seats = 2, games = 1000, threads = 1;
    std::uint64_t deals = TuningDeals;
    bool descending = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (arg == "descend") {
            descending = true;
            continue;
        }
        if (eq == std::string::npos) {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
        const std::string name = arg.substr(0, eq), value = arg.substr(eq + 1);
        if (name == "seats")
            seats = std::clamp(std::atoi(value.c_str()), 2, 6);
        else if (name == "games")
            games = std::atoi(value.c_str());
        else if (name == "threads")
            threads = std::max(1, std::atoi(value.c_str()));
        else if (name == "deals")
            deals = TuningDeals + std::strtoull(value.c_str(), nullptr, 10);
        else if (name == "tries")
            a.tries = std::atoi(value.c_str());
        else if (name == "a")
            a.kind = value;
        else if (name == "b")
            b.kind = value;
        else if (!((name.rfind("a.", 0) == 0 && a.set(name.substr(2), std::atoi(value.c_str())))
                   || (name.rfind("b.", 0) == 0 && b.set(name.substr(2), std::atoi(value.c_str()))))) {
            std::fprintf(stderr, "unknown setting %s\n", argv[i]);
            return 2;
        }
    }
    if (descending) {
        descend(a, seats, games, threads, deals);
        return 0;
    }
    const std::string what = a.kind + " vs " + b.kind + ", " + std::to_string(seats) + " seats";
    print(what.c_str(), match(a, b, seats, games, threads, deals));
    return 0;
}
