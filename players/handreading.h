// SPDX-License-Identifier: MIT
// Reading the other hands from the plays. A seat that laid a light bone
// while it could have shed a heavy one probably did not hold the heavy one:
// PlayReader replays the round as the table showed it and, for a hand a
// sampled deal gives a seat, measures how much better the heuristic player
// would have liked its own choices to the seat's plays with that hand. The
// hands that explain the plays well are the likely ones.
#pragma once

#include "heuristic.h"

namespace players {

class PlayReader {
public:
    PlayReader(const TableView &view, const HeuristicWeights &weights);
    // Whether there are plays to read (the round's moves replayed cleanly).
    bool active() const { return m_count > 0; }
    bool reads(int seat) const { return plays(seat) > 0; }
    int plays(int seat) const { return seat >= 1 && seat <= rules::Seats ? m_plays[seat] : 0; }
    // The heuristic's shortfall over the seat's plays, were it holding
    // `hand` now: 0 when it would have made every one of them. Each play
    // counts at most RegretCap, so one odd play does not rule a hand out.
    int regret(int seat, rules::BoneSet hand) const;
    int regret(const rules::Position &deal) const; // every seat's, by the deal's hands
    static constexpr int RegretCap = 100;

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
    const HeuristicWeights m_weights;
};

} // namespace players
