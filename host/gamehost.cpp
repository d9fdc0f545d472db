#include "gamehost.h"

#include "bones.h"
#include "wire.h"

#include <QRandomGenerator>

#include <algorithm>
#include <chrono>

const QByteArray GameHost::Version = "1.0.1";
const QByteArray GameHost::DedicatedSeat1Name = "Klunk";

namespace {

QByteArray num(int v) { return QByteArray::number(v); }
const char *tf(bool b) { return b ? "t" : "f"; }
bool isSeat(int n) { return n >= 1 && n <= GameHost::maxseats; }
bool isSlot(int n) { return n >= 1 && n <= GameHost::MaxSlots; }

const char *const botNames[] = {"", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};

} // namespace

GameHost::GameHost(HostLink &link, unsigned seed) : m_link(link), m_rng(seed)
{
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
    return "slot " + num(slot) + (name.isEmpty() ? QByteArray() : " (" + name + ")");
}

void GameHost::closingAll()
{
    m_closingAll = true;
    for (int i = 1; i <= slotcount; ++i)
        sendOurs(i, "CMD_tableclosed+");
}

void GameHost::handOnIfTurnOf(int seat)
{
    // During a pause (after a round end or a double) no turn is open; the
    // pending step hands the turn on itself.
    if (gamerunning && turnopen && seat == whoseturn)
        findplayer();
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
    m_link.log("login: " + who(n) + (version != Version ? " with version " + version : QByteArray()));
    if (hostSlot == 0)
        hostSlot = n;
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
    const int seat = r.nextInt();
    const QByteArray token = r.next();
    if (loggedin[carrier])
        return; // only a fresh connection may become another slot
    const bool ok = isSeat(seat) && isHeld(seat) && !players[seat].connected && !token.isEmpty()
                    && token == held[seat].token;
    if (!ok) {
        m_link.log("seat " + num(seat) + " refused to slot " + num(carrier) + ": no seat is kept for that token");
        sendSeat(carrier, "CMD_reclaimed+" + num(carrier) + "+f+");
        return;
    }
    held[seat] = {};
    m_link.moveSlot(carrier, seat);
    players[carrier].connected = false;
    players[seat].connected = true;
    ours[seat] = true;
    loggedin[seat] = false;
    m_removed[seat] = false;
    m_link.log("seat " + num(seat) + " taken back by its player (was slot " + num(carrier) + ")");
    sendSeat(seat, "CMD_reclaimed+" + num(seat) + "+t+");
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
        sendOurs(target, "CMD_removed+");
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

// --- game start, rounds and the end ----------------------------------------

void GameHost::startgame(int carrier, const QByteArray &args)
{
    if (carrier != hostSlot || !isSlot(carrier))
        return;
    wire::FieldReader r(args);
    const QByteArray starter = r.next();
    const QByteArray rounds = r.next();
    const QByteArray option = r.next();
    gamerunning = true;
    newcomers = option == "2" ? 2 : option == "3" ? 3 : 1;
    int n = 3;
    if (!tryStrToInt(rounds, n))
        n = 3;
    roundstoplay = std::clamp(n, 3, 10);
    sendAll("CMD_startgame+" + starter + "+" + rounds + "+");
    // A restart must not inherit the old game's pending steps or entrants.
    stopTimers();
    turnopen = false;
    for (int s = 1; s <= maxseats; ++s) {
        tplayer &p = players[s];
        p.roundscore = 0;
        p.totalscore = 0;
        p.watching = false;
        p.newcomer = false;
        p.granted = false;
        // Seats 1 and 2 are always in the game: a table of its own has no
        // host's player to sit in seat 1, and the computer takes it.
        p.playing = p.connected || s == 2 || (s == 1 && m_dedicated);
    }
    // More computer players fill the next empty seats.
    for (int s = 3, more = m_computerPlayers - 1; s <= maxseats && more > 0; ++s)
        if (!players[s].playing) {
            players[s].playing = true;
            --more;
        }
    whoseturn = 0;
    roundnum = 0;
    m_link.log("game started by " + who(carrier) + ", " + num(roundstoplay) + " rounds");
    startround();
}

int GameHost::seatsInGame() const
{
    int n = 2;
    for (int s = 3; s <= maxseats; ++s)
        n += players[s].playing ? 1 : 0;
    return n;
}

void GameHost::startround()
{
    ++roundnum;
    for (int s = 3; s <= maxseats; ++s) {
        tplayer &p = players[s];
        // Only after a round end granted him a score: one who arrived in the
        // pause after the grants would enter with nothing and could win
        // without playing; he waits one more round.
        if (!p.playing && p.newcomer && p.granted) {
            p.playing = true;
            p.newcomer = false;
            p.granted = false;
        }
    }
    if (roundnum == roundstoplay + 1 || roundSpinner(roundnum) == 0) {
        checkforwin();
        return;
    }
    const int each = bonesEach(seatsInGame());
    QByteArray seatlist = "+1+t+2+t";
    for (int s = 3; s <= maxseats; ++s)
        seatlist += "+" + num(s) + "+" + tf(players[s].playing);
    playmode = 1;
    spinner = roundSpinner(roundnum);
    rules::clear(toes);
    for (int s = 1; s <= maxseats; ++s)
        players[s].passed = false;
    sendAll("CMD_startround+" + num(roundnum) + "+" + num(spinner) + "+" + num(each) + seatlist);
    shufflebones();
    dealbones();
    findplayer();
}

void GameHost::shufflebones()
{
    boneyard.fill(0);
    boneyard[55] = spinner;
    // Each bone goes to a uniformly random free place among 1..54; drawing
    // among the free places gives the same deal as redrawing on a taken one
    // and always ends.
    std::array<int, 54> free{};
    for (int i = 0; i < 54; ++i)
        free[i] = i + 1;
    int nfree = 54;
    for (int b = 1; b <= bones::Count; ++b) {
        if (b == spinner)
            continue;
        std::uniform_int_distribution<int> pick(0, nfree - 1);
        const int k = pick(m_rng);
        boneyard[free[k]] = b;
        free[k] = free[--nfree];
    }
    spinner = gettopnum(spinner);
    dealpos = 0;
}

QByteArray GameHost::handreport(int seat, int upTo) const
{
    QByteArray report;
    for (int h = 1; h <= upTo; ++h)
        if (players[seat].hand[h] != 0)
            report += "+" + num(h) + "+" + num(players[seat].hand[h]);
    return report;
}

void GameHost::dealbones()
{
    for (int s = 1; s <= maxseats; ++s)
        players[s].hand.fill(0);
    const int each = bonesEach(seatsInGame());
    for (int p = 1; p <= each; ++p)
        for (int s = 1; s <= maxseats; ++s)
            if (players[s].playing && dealpos < 54)
                players[s].hand[p] = boneyard[++dealpos];
    for (int s = 1; s <= maxseats; ++s) {
        if (!players[s].playing)
            continue;
        const QByteArray report = handreport(s, each);
        if (report.isEmpty())
            continue;
        sendSeat(s, "CMD_dealmybones+" + num(s) + report);
        m_trackers[s].observe("CMD_dealmybones+" + num(s) + report);
    }
}

int GameHost::openValue(int toe, int position) const { return rules::openValue(toes, toe, position); }

bool GameHost::computerPlayed(int seat) const
{
    const tplayer &p = players[seat];
    return p.playing && (!p.connected || p.watching);
}

void GameHost::findplayer()
{
    // Always moves on at least one seat; a game always has seat 2 playing,
    // but never loop for ever on a table where nobody does.
    int next = whoseturn;
    bool found = false;
    for (int i = 0; i < maxseats; ++i) {
        next = next >= maxseats || next < 1 ? 1 : next + 1;
        if (players[next].playing) {
            found = true;
            break;
        }
    }
    if (!found)
        return;
    whoseturn = next;
    players[whoseturn].passed = false;

    const rules::Targets offer = rules::targets(toes);
    const bool *open = offer.open;
    const int *pos = offer.position;
    turnopen = true;
    m_lastNextPlayer = "CMD_nextplayer+" + num(whoseturn) + "+" + num(playmode) + "+" + tf(open[1]) + "+"
                       + tf(open[2]) + "+" + tf(open[3]) + "+" + num(pos[1]) + "+" + num(pos[2]) + "+"
                       + num(pos[3]) + "+";
    sendAll(m_lastNextPlayer);
    if (computerPlayed(whoseturn) && !m_computersHeld) {
        computerArmed = true;
        m_link.armComputer(m_botDelay);
    }
}

void GameHost::endround(int wentOut)
{
    turnopen = false;
    computerArmed = false;
    m_link.stopComputer();
    QByteArray groups;
    for (int s = 1; s <= maxseats; ++s) {
        tplayer &p = players[s];
        if (!p.playing)
            continue;
        p.roundscore = s == wentOut ? -20 : 0;
        for (int h = 1; h <= HandPlaces; ++h)
            p.roundscore += bones::pips(p.hand[h]);
        p.totalscore += p.roundscore;
        groups += "+" + num(s) + "+" + num(p.roundscore) + "+" + num(p.totalscore);
    }
    const int highest = gethighest();
    const int average = getaverage();
    for (int s = 3; s <= maxseats; ++s) {
        tplayer &p = players[s];
        if (p.playing || !p.newcomer)
            continue;
        p.roundscore = newcomers == 2 ? highest : average;
        p.totalscore += p.roundscore;
        p.granted = true;
        groups += "+" + num(s) + "+" + num(p.roundscore) + "+" + num(p.totalscore);
    }
    sendAll("CMD_endround+" + num(wentOut) + groups);
    startStepTimer(RoundStartStep, 5);
}

int GameHost::gethighest() const
{
    int highest = players[1].totalscore;
    for (int s = 2; s <= maxseats; ++s)
        highest = std::max(highest, players[s].totalscore);
    return highest;
}

int GameHost::getaverage() const
{
    int sum = 0, n = 0;
    for (int s = 1; s <= maxseats; ++s)
        if (players[s].playing) {
            sum += players[s].totalscore;
            ++n;
        }
    return n ? sum / n : 0;
}

void GameHost::checkforwin()
{
    int c = 1;
    for (int s = 2; s <= maxseats; ++s)
        if (players[s].playing && players[s].totalscore < players[c].totalscore)
            c = s;
    for (int s = 1; s <= maxseats; ++s)
        if (s != c && players[s].playing && players[s].totalscore == players[c].totalscore) {
            sendAll("CMD_tiegame+");
            roundnum = roundstoplay - 1;
            startround();
            return;
        }
    const tplayer &w = players[c];
    const QByteArray winnerName = w.name.isEmpty() ? w.botname : w.name;
    m_link.log("game won by seat " + num(c) + " (" + winnerName + ") with " + num(w.totalscore));
    sendAll("CMD_winner+" + winnerName + "+");
    gamerunning = false;
    turnopen = false;
    stopTimers();
}

QByteArray GameHost::gamestats(int slot) const
{
    const bool ingame = isSeat(slot) && players[slot].playing;
    // Outside an open turn (the pauses after a round end or a double) nobody
    // may move, so a latecomer is not shown a turn.
    QByteArray m = "CMD_gamestats+" + num(turnopen ? whoseturn : 0) + "+" + num(roundnum) + "+"
                   + num(roundstoplay) + "+" + num(spinner) + "+" + tf(ingame);
    for (int s = 1; s <= maxseats; ++s)
        m += "+" + num(players[s].totalscore);
    QByteArray board;
    for (int t = 1; t <= Toes; ++t)
        for (int p = 1; p <= Positions; ++p)
            if (toes[t][p].bone != 0)
                board += "+" + num(t) + "+" + num(p) + "+" + num(toes[t][p].bone) + "+"
                         + tf(toes[t][p].flip);
    return m + (board.isEmpty() ? QByteArray("+*") : board);
}

// --- timers ------------------------------------------------------------------

void GameHost::startStepTimer(Step step, int ticks)
{
    m_link.stopStepTimer();
    timerstep = step;
    timercount = ticks;
    m_link.startStepTimer();
}

void GameHost::stopTimers()
{
    m_link.stopStepTimer();
    timerstep = NoStep;
    timercount = 0;
    m_link.stopComputer();
    computerArmed = false;
}

void GameHost::stepTick()
{
    if (timerstep == NoStep)
        return;
    if (--timercount >= 1)
        return;
    const Step step = timerstep;
    timerstep = NoStep;
    m_link.stopStepTimer();
    if (step == RoundStartStep)
        startround();
    else if (step == BeginAgainStep)
        beginagain();
}

// --- plays and passes -------------------------------------------------------

int GameHost::bonesLeft(int seat) const
{
    return int(std::count_if(players[seat].hand.begin() + 1, players[seat].hand.end(),
                             [](int b) { return b != 0; }));
}

void GameHost::playbone(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    const int seat = r.nextInt();
    if (seat != carrier || !turnopen || seat != whoseturn)
        return;
    const int handnum = r.nextInt();
    const int toe = r.nextInt();
    const int position = r.nextInt();
    play(seat, handnum, toe, position);
}

void GameHost::play(int seat, int handnum, int toe, int position)
{
    if (!turnopen || seat != whoseturn)
        return;
    const bool ok = playmode == 1 ? playingfoots(seat, handnum, toe, position)
                                  : playingtoes(seat, handnum, toe, position);
    if (!ok)
        sendSeat(seat, "CMD_noplay+" + num(seat) + "+");
}

int GameHost::handBone(int seat, int handnum) const
{
    return (handnum >= 1 && handnum <= HandPlaces) ? players[seat].hand[handnum] : 0;
}

bool GameHost::playingfoots(int seat, int handnum, int toe, int position)
{
    const int b = handBone(seat, handnum);
    const rules::Verdict v = rules::judge(toes, 1, spinner, b, toe, position);
    if (!v.legal)
        return false;
    tplayer &p = players[seat];
    toes[toe][1] = {b, v.flip};
    p.hand[handnum] = 0;
    playmode = rules::allToesStarted(toes) ? 2 : 1;
    const int left = bonesLeft(seat);
    for (int s = 1; s <= maxseats; ++s)
        players[s].passed = false;
    turnopen = false;
    sendAll("CMD_heplayed+" + num(seat) + "+" + num(handnum) + "+" + num(b) + "+" + num(toe) + "+"
            + num(position) + "+" + tf(v.flip) + "+" + num(left) + "+");
    if (left > 0)
        findplayer();
    else
        endround(seat);
    return true;
}

bool GameHost::playingtoes(int seat, int handnum, int toe, int position)
{
    const int b = handBone(seat, handnum);
    const rules::Verdict v = rules::judge(toes, 2, spinner, b, toe, position);
    if (!v.legal)
        return false;
    tplayer &p = players[seat];
    if (v.newSpinner) {
        // The double becomes the new spinner; the board restarts around it
        // three seconds later unless it was the last bone.
        spinner = b;
        p.hand[handnum] = 0;
        playmode = 1;
        const int left = bonesLeft(seat);
        turnopen = false;
        computerArmed = false;
        m_link.stopComputer();
        sendAll("CMD_double+" + num(seat) + "+" + num(handnum) + "+" + num(b) + "+" + num(toe) + "+"
                + num(position) + "+f+" + num(left) + "+");
        if (left > 0)
            startStepTimer(BeginAgainStep, 3);
        else
            endround(seat);
        return true;
    }
    toes[toe][position] = {b, v.flip};
    p.hand[handnum] = 0;
    const int left = bonesLeft(seat);
    for (int s = 1; s <= maxseats; ++s)
        players[s].passed = false;
    turnopen = false;
    sendAll("CMD_heplayed+" + num(seat) + "+" + num(handnum) + "+" + num(b) + "+" + num(toe) + "+"
            + num(position) + "+" + tf(v.flip) + "+" + num(left) + "+");
    if (left > 0)
        findplayer();
    else
        endround(seat);
    return true;
}

void GameHost::beginagain()
{
    rules::clear(toes);
    sendAll("CMD_beginagain+" + num(spinner) + "+");
    spinner = gettopnum(spinner);
    findplayer();
}

void GameHost::hepasses(int carrier, const QByteArray &args)
{
    wire::FieldReader r(args);
    const int seat = r.nextInt();
    if (seat != carrier)
        return;
    pass(seat);
}

void GameHost::pass(int seat)
{
    if (!turnopen || seat != whoseturn)
        return;
    players[seat].passed = true;
    turnopen = false;
    sendAll("CMD_hepassed+" + num(seat) + "+");
    for (int s = 1; s <= maxseats; ++s)
        if (players[s].playing && !players[s].passed) {
            findplayer();
            return;
        }
    endround(0);
}

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
    const std::uint64_t seed = (std::uint64_t(m_rng()) << 32) | m_rng();
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
