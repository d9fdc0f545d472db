// SPDX-License-Identifier: MIT
#include "handreading.h"

#include <algorithm>
#include <bit>
#include <iterator>

namespace players {

namespace {

// Whether the table's play fits the board as replayed.
bool fits(const rules::Position &p, const rules::Move &m)
{
    if (m.toe < 1 || m.toe > rules::Toes || !bones::valid(m.bone))
        return false;
    const int value = p.mode == 1 ? p.spinner : p.end[m.toe];
    if (p.mode == 1 ? p.length[m.toe] != 0 : p.length[m.toe] == 0)
        return false;
    return gettopnum(m.bone) == value || getbotnum(m.bone) == value;
}

} // namespace

PlayReader::PlayReader(const TableView &view, const HeuristicWeights &weights) : m_weights(weights)
{
    const int n = view.historyLength;
    if (!view.valid || n <= 0 || !bones::isdouble(view.firstSpinner))
        return;
    const int me = view.me;
    rules::Position p;
    p.spinner = std::int8_t(gettopnum(view.firstSpinner));
    p.inGame = view.round.inGame;
    Knowledge k;
    k.gone = rules::bit(view.firstSpinner);
    for (int s = 1; s <= rules::Seats; ++s)
        k.count[s] = s == me ? std::popcount(view.round.hand[me]) : std::max(0, view.handCount[s]);
    for (int i = 0; i < n; ++i)
        if (view.history[i].bone)
            ++k.count[view.history[i].seat];
    rules::BoneSet later[rules::Seats + 1] = {};
    for (int i = n - 1; i >= 0; --i) {
        const TableView::Played &h = view.history[i];
        if (h.seat >= 1 && h.seat <= rules::Seats && h.bone)
            later[h.seat] |= rules::bit(h.bone);
    }
    for (int i = 0; i < n; ++i) {
        const TableView::Played &h = view.history[i];
        const rules::Move m{h.bone, h.toe, std::int8_t(h.bone ? (p.mode == 1 ? 1 : p.length[h.toe] + 1) : 0)};
        if (h.seat < 1 || h.seat > rules::Seats || !p.inRound(h.seat) || (h.bone && !fits(p, m))) {
            m_count = 0; // not the round this view shows: read nothing
            break;
        }
        p.turn = std::uint8_t(h.seat);
        if (h.bone && h.seat != me && m_count < MaxSnapshots) {
            m_snap[m_count++] = {p, k, later[h.seat], m};
            ++m_plays[h.seat];
        }
        if (h.bone)
            later[h.seat] &= ~rules::bit(h.bone);
        k.note(p, m);
        // A bone in hand keeps the replay from ending the round.
        p.hand[h.seat] = rules::bit(h.bone) | rules::bit(view.firstSpinner);
        p.play(m);
        p.over = false;
    }
    for (int t = 1; t <= rules::Toes; ++t)
        if (p.length[t] != view.round.length[t] || (p.length[t] && p.end[t] != view.round.end[t]))
            m_count = 0;
    if (p.spinner != view.round.spinner || p.mode != view.round.mode)
        m_count = 0;
    if (m_count == 0)
        std::fill(std::begin(m_plays), std::end(m_plays), 0);
}

int PlayReader::regret(int seat, rules::BoneSet hand) const
{
    int sum = 0;
    for (int i = 0, left = reads(seat) ? m_plays[seat] : 0; left > 0 && i < m_count; ++i) {
        const Snapshot &s = m_snap[i];
        if (s.board.turn != seat)
            continue;
        --left;
        rules::Position q = s.board;
        q.hand[seat] = hand | s.later;
        const int r = heuristicRegret(q, s.known, m_weights, s.played);
        sum += (r < 0 || r > RegretCap) ? RegretCap : r;
    }
    return sum;
}

int PlayReader::regret(const rules::Position &deal) const
{
    int sum = 0;
    for (int s = 1; s <= rules::Seats; ++s)
        sum += regret(s, deal.hand[s]);
    return sum;
}

} // namespace players
