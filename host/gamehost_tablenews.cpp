// SPDX-License-Identifier: MIT
// What the host tells our own table windows so that nothing they show is
// left to guess: who holds the host player's rights, and for a player who
// arrives in a running game (or takes his seat back) every seat's place in
// the game, bone count and whether the computer plays it. A peer that never
// announced itself hears none of it.
#include "gamehost.h"

#include "hostfields.h"

using namespace hostfields;

void GameHost::tellHostPlayerToAll()
{
    const QByteArray message = "CMD_hostplayer+" + num(isSlot(hostSlot) ? hostSlot : 0) + "+";
    for (int i = 1; i <= slotcount; ++i)
        sendOurs(i, message);
}

void GameHost::tellSeats(int slot)
{
    QByteArray m = "CMD_seats";
    for (int s = 1; s <= maxseats; ++s)
        m += "+" + num(s) + "+" + tf(players[s].playing) + "+" + num(players[s].playing ? bonesLeft(s) : 0) + "+"
             + tf(computerPlayed(s));
    sendOurs(slot, m + "+");
}
