// SPDX-License-Identifier: MIT
// The game host's seats and connections: slots given and freed, logins,
// our own programs' announcements, seats kept for a dropped player and taken
// back, the host player's rights, removal, watching, chat and bot speed.
#include "gamehost.h"

#include "hostfields.h"
#include "logtext.h"
#include "wire.h"

#include <QRandomGenerator>

using namespace hostfields;

// --- connections -------------------------------------------------------------

int GameHost::reserveSlot()
{
    // A seat kept for a dropped player is passed over while a free one is
    // left; only a full table gives it away.
    for (int i = 1; i <= slotcount; ++i)
        if (!players[i].connected && !isHeld(i))
            return i;
    if (slotcount < MaxSlots)
        return ++slotcount;
    for (int i = 1; i <= slotcount; ++i)
        if (!players[i].connected) {
            held[i] = {};
            return i;
        }
    return 0;
}

bool GameHost::isHeld(int seat)
{
    if (!isSeat(seat) || held[seat].token.isEmpty())
        return false;
    if (clock() > held[seat].until) {
        held[seat] = {};
        return false;
    }
    return true;
}

void GameHost::slotConnected(int slot)
{
    if (!isSlot(slot))
        return;
    players[slot].connected = true;
    ours[slot] = false;
    loggedin[slot] = false;
    seatToken[slot].clear();
    m_removed[slot] = false;
    sendSeat(slot, "CMD_sendlogininfo+" + num(slot));
}

void GameHost::slotClosed(int slot)
{
    if (!isSlot(slot))
        return;
    tplayer &p = players[slot];
    // A table that closes just ends its connections, as the program's end would.
    if (p.connected && !m_closingAll)
        sendAll("CMD_playerdisconnected+" + num(slot) + "+" + p.name, slot);
    // One of our players who lost his connection in a game gets a while to
    // come back to the same seat; a removed player does not.
    if (ours[slot] && isSeat(slot) && gamerunning && (p.playing || p.newcomer) && !m_removed[slot]
        && !m_closingAll && !seatToken[slot].isEmpty())
        held[slot] = {seatToken[slot], clock() + SeatHoldMs};
    const bool hadRights = slot == hostSlot;
    p.connected = false;
    p.name.clear();
    p.watching = false;
    ours[slot] = false;
    loggedin[slot] = false;
    seatToken[slot].clear();
    m_removed[slot] = false;
    if (m_closingAll)
        return;
    if (hadRights)
        passHostRights();
    // The seat keeps its hand and score and is played by the computer from
    // now on; if it had the turn, the turn moves on.
    handOnIfTurnOf(slot);
}

// On a table of its own the rights go to the lowest slot whose program can
// use them (one of ours), else to the lowest logged-in slot, else to whoever
// logs in next. A hosting copy's own player keeps them: he is the table.
void GameHost::passHostRights()
{
    if (!m_dedicated)
        return;
    int next = 0;
    for (int i = 1; i <= slotcount && !next; ++i)
        if (players[i].connected && loggedin[i] && ours[i])
            next = i;
    for (int i = 1; i <= slotcount && !next; ++i)
        if (players[i].connected && loggedin[i])
            next = i;
    if (next == hostSlot)
        return;
    hostSlot = next;
    if (next)
        m_link.log("host player rights pass to " + who(next));
    tellHostPlayer();
    tellHostPlayerToAll();
}

void GameHost::tellHostPlayer()
{
    if (isSlot(hostSlot))
        sendOurs(hostSlot, "CMD_youhost+");
}

bool GameHost::hasRights(int carrier, int field) const
{
    return carrier == hostSlot && field == hostSlot;
}

void GameHost::sendOurs(int slot, const QByteArray &message)
{
    if (isSlot(slot) && ours[slot])
        sendSeat(slot, message);
}

QByteArray GameHost::newToken()
{
    // Names are not proof of anyone: the seat goes back only to the holder
    // of a secret nobody else could have seen.
    QByteArray raw(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(raw.data()), 4);
    return raw.toHex();
}

QByteArray GameHost::who(int slot) const
{
    const QByteArray &name = players[slot].name;
    return "slot " + num(slot) + (name.isEmpty() ? QByteArray() : " (" + logtext::name(name) + ")");
}

void GameHost::closingAll()
{
    m_closingAll = true;
    // Our players are told who closed it: a hosting copy's own player, or
    // nobody when a table of its own stops.
    const QByteArray closer = m_dedicated ? QByteArray() : players[1].name;
    for (int i = 1; i <= slotcount; ++i)
        sendOurs(i, "CMD_tableclosed+" + closer);
}

void GameHost::handOnIfTurnOf(int seat)
{
    // During a pause (after a round end or a double) no turn is open; the
    // pending step hands the turn on itself.
    if (gamerunning && turnopen && seat == whoseturn)
        findplayer();
}

// --- the players' messages ------------------------------------------------

void GameHost::receivedlogininfo(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    const int n = r.nextInt();
    const QByteArray version = r.next();
    const QByteArray name = r.rest();
    // Only the connection itself may log its slot in; accepting it is what
    // marks a slot connected.
    if (n != carrier || !players[n].connected)
        return;
    players[n].name = name;
    loggedin[n] = true;
    m_link.log("login: " + who(n) + (version != Version ? " with version " + logtext::name(version) : QByteArray()));
    if (hostSlot == 0) {
        hostSlot = n;
        tellHostPlayerToAll();
    }
    sendAll("CMD_newplayerinfo+" + num(n) + "+" + name);
    for (int i = 1; i <= slotcount; ++i)
        if (i != n && players[i].connected)
            sendSeat(n, "CMD_existingplayers+" + num(i) + "+" + players[i].name);
    if (version != Version) {
        sendSeat(1, "CMD_havewrongversion+" + name);
        sendSeat(n, "CMD_wrongversion+");
    }
    if (!gamerunning)
        return;
    tplayer &p = players[n];
    p.newcomer = false;
    p.granted = false;
    if ((newcomers == 2 || newcomers == 3) && isSeat(n) && !p.playing) {
        p.newcomer = true;
        sendSeat(n, "CMD_youplay+" + num(newcomers) + "+" + num(n) + "+");
    }
    sendSeat(n, gamestats(n));
    if (isSeat(n) && p.playing && bonesLeft(n) > 0)
        sendSeat(n, "CMD_dealmybones+" + num(n) + handreport(n, HandPlaces));
    // A player back in his seat while it has the turn is shown the turn
    // itself, with its toe targets and pass button.
    if (ours[n] && turnopen && whoseturn == n)
        sendSeat(n, m_lastNextPlayer);
}

void GameHost::announced(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    if (r.nextInt() < 1 || !loggedin[carrier])
        return;
    ours[carrier] = true;
    sendSeat(carrier, "CMD_velloc+" + num(ExtensionLevel) + "+");
    if (isSeat(carrier)) {
        seatToken[carrier] = newToken();
        sendSeat(carrier, "CMD_seattoken+" + num(carrier) + "+" + seatToken[carrier] + "+");
    }
    if (m_dedicated)
        sendSeat(carrier, "CMD_botname+1+" + DedicatedSeat1Name);
    if (m_hintsAllowed)
        sendSeat(carrier, "CMD_hints+t+");
    if (carrier == hostSlot)
        tellHostPlayer();
    else if (m_dedicated && (!isSlot(hostSlot) || !ours[hostSlot]))
        passHostRights();
    sendOurs(carrier, "CMD_hostplayer+" + num(hostSlot) + "+");
    if (gamerunning)
        tellSeats(carrier);
}

// The host player's choice of computer players, from a table window of ours
// on a table of its own: every field must make sense, or nothing changes.
void GameHost::computers(int carrier, const QByteArray &args)
{
    if (carrier != hostSlot)
        return;
    wire::FieldReader r(args);
    const int count = r.nextInt();
    const int level = r.nextInt();
    const QByteArray hints = r.next();
    if (count < 1 || count > maxseats - 1 || (level != Normal && level != Strong) || (hints != "t" && hints != "f"))
        return;
    setComputerPlayers(count);
    setComputerLevel(level);
    setHintsAllowed(hints == "t");
}

void GameHost::reclaimseat(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    int seat = 0;
    // A claim that names no seat is refused like a wrong token: our client
    // waits for an answer.
    const bool numeric = tryStrToInt(r.next(), seat);
    const QByteArray token = r.next();
    if (loggedin[carrier])
        return; // only a fresh connection may become another slot
    const bool ok = isSeat(seat) && isHeld(seat) && !players[seat].connected && !token.isEmpty()
                    && token == held[seat].token;
    if (!ok) {
        m_link.log(numeric ? "seat " + num(seat) + " refused to slot " + num(carrier) + ": no seat is kept for that token"
                           : "seat claim refused to slot " + num(carrier) + ": no seat number");
        sendSeat(carrier, "CMD_reclaimed+" + num(carrier) + "+f+");
        return;
    }
    // The seat keeps its token until the login brings a new one, so a drop
    // before the login keeps the seat again.
    seatToken[seat] = held[seat].token;
    held[seat] = {};
    m_link.moveSlot(carrier, seat);
    players[carrier].connected = false;
    players[seat].connected = true;
    ours[seat] = true;
    loggedin[seat] = false;
    m_removed[seat] = false;
    m_link.log("seat " + num(seat) + " taken back by its player (was slot " + num(carrier) + ")");
    sendSeat(seat, "CMD_reclaimed+" + num(seat) + "+t+");
    // The slot it leaves is left as by a close: a turn that waited there for
    // a connection moves on, and the computer plays the next one.
    handOnIfTurnOf(carrier);
}

void GameHost::kickhim(int carrier, const QByteArray &args)
{
    if (carrier != hostSlot)
        return;
    wire::FieldReader r(args);
    if (!hasRights(carrier, r.nextInt()))
        return;
    const int target = r.nextInt();
    if (isSlot(target) && players[target].connected) {
        m_link.log("removed: " + who(target) + " by " + who(carrier));
        m_removed[target] = true;
        sendOurs(target, "CMD_removed+" + players[carrier].name);
        m_link.disconnectSlot(target);
    }
}

void GameHost::botspeed(int carrier, const QByteArray &args)
{
    if (carrier != hostSlot)
        return;
    wire::FieldReader r(args);
    if (!hasRights(carrier, r.nextInt()))
        return;
    setBotDelay(r.nextInt());
}

void GameHost::chat(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    if (r.nextInt() != carrier)
        return;
    sendAll("CMD_chat+" + players[carrier].name + " chats: " + r.rest());
}

void GameHost::action(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    if (r.nextInt() != carrier)
        return;
    sendAll("CMD_action+" + players[carrier].name + " " + r.rest());
}

void GameHost::justwatch(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    const int s = r.nextInt();
    if (!isSeat(s) || (s != carrier && carrier != hostSlot))
        return;
    const QByteArray mode = r.rest();
    if (mode == "2") {
        players[s].watching = false;
        sendAll("CMD_justwatching+" + num(s) + "+2");
    } else if (mode == "1" && gamerunning) {
        players[s].watching = true;
        sendAll("CMD_justwatching+" + num(s) + "+1");
        handOnIfTurnOf(s);
    }
}
