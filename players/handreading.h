// SPDX-License-Identifier: MIT
// Reading the other hands from the plays. A seat that laid a light bone
// while it could have shed a heavy one probably did not hold the heavy one:
// PlayReader replays the round as the table showed it and, for a deal the
// strong player sampled, counts the plays of the other seats that the
// heuristic player would not have made with the hand the deal gives them.
// Deals that explain the table's plays well are the likely ones.
#pragma once

#include "heuristic.h"

namespace players {

class PlayReader {
public:
    PlayReader(const TableView &view, const HeuristicWeights &weights);
    // Whether there are plays to read (the round's moves replayed cleanly).
    bool active() const { return m_count > 0; }
    // The other seats' plays this deal (every hand known) does not explain.
    int misfits(const rules::Position &deal) const;
    // Those of one seat, were it holding `hand` now.
    int misfits(int seat, rules::BoneSet hand) const;
    // How much better, in the heuristic's own measure, the seat's plays
    // would have been for it with `hand`, each play's shortfall capped.
    int regret(int seat, rules::BoneSet hand) const;
    int regret(const rules::Position &deal) const;
    static constexpr int RegretCap = 100;
    bool reads(int seat) const { return seat >= 1 && seat <= rules::Seats && m_plays[seat] > 0; }

private:
    struct Snapshot {
        rules::Position board; // as it was before the play; no hands
        Knowledge known;       // what the table had shown by then
        rules::BoneSet later;  // the bones the seat played from this play on
        rules::Move played;
    };
    static constexpr int MaxSnapshots = 64;
    Snapshot m_snap[MaxSnapshots];
    int m_count = 0;
    int m_plays[rules::Seats + 1] = {}; // snapshots of each seat

    const HeuristicWeights &m_weights;
};

} // namespace players
