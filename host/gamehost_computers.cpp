// SPDX-License-Identifier: MIT
// The game host's computer players: the first-fit player every table knows,
// and the strong player, which plans from what its seat could know.
#include "gamehost.h"

#include "bones.h"
#include "hostfields.h"

using namespace hostfields;

// --- computer players ----------------------------------------------------------

void GameHost::computerTick()
{
    computerArmed = false;
    m_link.stopComputer();
    if (!turnopen || !isSeat(whoseturn))
        return;
    const tplayer &p = players[whoseturn];
    // A human may have taken the seat or stopped watching meanwhile.
    if (!p.connected || p.watching)
        computerplay(whoseturn);
}

void GameHost::computerplay(int seat)
{
    if (m_level[seat] == Strong && strongplay(seat))
        return;
    if (playmode == 1)
        computerfoots(seat);
    else
        computertoes(seat);
}

void GameHost::computerfoots(int seat)
{
    for (int h = 1; h <= HandPlaces; ++h) {
        const int b = players[seat].hand[h];
        if (gettopnum(b) != spinner && getbotnum(b) != spinner)
            continue;
        for (int t = 1; t <= Toes; ++t)
            if (toes[t][1].bone == 0) {
                play(seat, h, t, 1);
                return;
            }
    }
    pass(seat);
}

void GameHost::computertoes(int seat)
{
    std::uniform_int_distribution<int> draw(1, Toes);
    const int t0 = draw(m_rng);
    for (int k = 1; k <= 4; ++k) {
        const int t = (t0 + k - 1) % Toes + 1;
        int p = 1;
        while (p <= Positions && toes[t][p].bone != 0)
            ++p;
        if (p > Positions || p < 2)
            continue;
        const int v = openValue(t, p - 1);
        for (int h = 1; h <= HandPlaces; ++h) {
            const int b = players[seat].hand[h];
            if (gettopnum(b) == v || getbotnum(b) == v) {
                play(seat, h, t, p);
                return;
            }
        }
    }
    pass(seat);
}

// The strong player decides from what its seat could know (its tracker),
// never from the hands held here; false when it has no view to plan with,
// and the first-fit player moves instead.
bool GameHost::strongplay(int seat)
{
    const players::TableTracker &t = m_trackers[seat];
    if (!t.myTurn())
        return false;
    const std::uint64_t seed = m_strongRng();
    const rules::Move m = players::decideStrong(t.view(), seed, strongSettings);
    if (m.isPass()) {
        pass(seat);
        return true;
    }
    const int handnum = t.handNumber(m.bone);
    if (handnum == 0 || players[seat].hand[handnum] != m.bone)
        return false;
    play(seat, handnum, m.toe, m.position);
    return true;
}
