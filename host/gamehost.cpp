// SPDX-License-Identifier: MIT
// The game host: set-up, sending to the slots, and the dispatch of each
// queued message to its handler. Seats and connections, the game itself and
// the computer players live in the other gamehost_*.cpp files.
#include "gamehost.h"

#include "hostfields.h"
#include "wire.h"

#include <chrono>

const QByteArray GameHost::Version = "1.0.1";
const QByteArray GameHost::DedicatedSeat1Name = "Klunk";

using namespace hostfields;

namespace {
const char *const botNames[] = {"", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};
} // namespace

GameHost::GameHost(HostLink &link, unsigned seed) : m_link(link), m_rng(seed)
{
    reseedStrong(seed * 0x9E3779B97F4A7C15ull + 21);
    for (int s = 2; s <= maxseats; ++s)
        players[s].botname = botNames[s];
    for (int s = 1; s <= maxseats; ++s)
        m_trackers[s].setSeat(s);
    clock = [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

bool GameHost::setComputerPlayers(int count)
{
    if (count < 1 || count > maxseats - 1)
        return false;
    m_computerPlayers = count;
    return true;
}

bool GameHost::setComputerLevel(int level)
{
    if (level != Normal && level != Strong)
        return false;
    m_level.fill(level);
    return true;
}

bool GameHost::setComputerLevel(int seat, int level)
{
    if (seat < 1 || seat > maxseats || (level != Normal && level != Strong))
        return false;
    m_level[seat] = level;
    return true;
}

void GameHost::setHintsAllowed(bool on)
{
    if (on == m_hintsAllowed)
        return;
    m_hintsAllowed = on;
    for (int i = 1; i <= slotcount; ++i)
        sendOurs(i, QByteArray("CMD_hints+") + tf(on) + "+");
}

void GameHost::observe(const QByteArray &message)
{
    const players::TableMessage cut(message);
    for (int s = 1; s <= maxseats; ++s)
        m_trackers[s].observe(cut);
}

void GameHost::setDedicated(bool on)
{
    m_dedicated = on;
    players[1].botname = on ? DedicatedSeat1Name : QByteArray();
    // No player of its own: the rights wait for the first to log in.
    if (on && !loggedin[hostSlot])
        hostSlot = 0;
}

void GameHost::setBotDelay(int ms)
{
    if (ms >= 1 && ms <= 10000)
        m_botDelay = ms;
}

// --- sending ---------------------------------------------------------------

void GameHost::sendSeat(int slot, const QByteArray &message)
{
    if (slot >= 1 && slot < int(players.size()) && players[slot].connected)
        m_link.sendTo(slot, message + wire::Terminator);
}

void GameHost::sendAll(const QByteArray &message, int except)
{
    // The trackers follow every game, so a seat switched to strong in the
    // middle of a round plans from that round and not from an older one.
    observe(message);
    const QByteArray whole = message + wire::Terminator;
    for (int i = 1; i <= slotcount; ++i)
        if (i != except && players[i].connected)
            m_link.sendTo(i, whole);
}

// --- dispatch --------------------------------------------------------------

void GameHost::dispatch(int carrier, const QByteArray &message)
{
    QByteArray name, args;
    if (!isSlot(carrier) || !wire::splitCommand(message, name, args))
        return;
    try {
        if (name == "CMD_logininfo")
            receivedlogininfo(carrier, args);
        else if (name == "CMD_kickhim")
            kickhim(carrier, args);
        else if (name == "CMD_botspeed")
            botspeed(carrier, args);
        else if (name == "CMD_chat")
            chat(carrier, args);
        else if (name == "CMD_action")
            action(carrier, args);
        else if (name == "CMD_startgame")
            startgame(carrier, args);
        else if (name == "CMD_justwatch")
            justwatch(carrier, args);
        else if (name == "CMD_hepasses")
            hepasses(carrier, args);
        else if (name == "CMD_playbone")
            playbone(carrier, args);
        else if (name == "CMD_velloc")
            announced(carrier, args);
        else if (name == "CMD_reclaimseat")
            reclaimseat(carrier, args);
        else if (name == "CMD_computers")
            computers(carrier, args);
    } catch (const EConvertError &) {
        // A number field that is not a number ends this message's handling.
    }
}
