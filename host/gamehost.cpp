#include "gamehost.h"

#include "bones.h"
#include "wire.h"

#include <algorithm>

const QByteArray GameHost::Version = "1.0.1";

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
}

int GameHost::bonesEach(int seats)
{
    switch (seats) {
    case 2: return 16;
    case 3: return 14;
    case 4: return 11;
    case 5: return 9;
    case 6: return 7;
    default: return 0;
    }
}

int GameHost::roundSpinner(int round)
{
    static const int spinners[] = {0, 55, 53, 50, 46, 41, 35, 28, 20, 11, 1};
    return (round >= 1 && round <= 10) ? spinners[round] : 0;
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
    const QByteArray whole = message + wire::Terminator;
    for (int i = 1; i <= slotcount; ++i)
        if (i != except && players[i].connected)
            m_link.sendTo(i, whole);
}

// --- connections -------------------------------------------------------------

int GameHost::reserveSlot()
{
    for (int i = 1; i <= slotcount; ++i)
        if (!players[i].connected)
            return i;
    if (slotcount < MaxSlots)
        return ++slotcount;
    return 0;
}

void GameHost::slotConnected(int slot)
{
    if (!isSlot(slot))
        return;
    players[slot].connected = true;
    sendSeat(slot, "CMD_sendlogininfo+" + num(slot));
}

void GameHost::slotClosed(int slot)
{
    if (!isSlot(slot))
        return;
    tplayer &p = players[slot];
    if (p.connected)
        sendAll("CMD_playerdisconnected+" + num(slot) + "+" + p.name, slot);
    p.connected = false;
    p.name.clear();
    p.watching = false;
    // The seat keeps its hand and score and is played by the computer from
    // now on; if it had the turn, the turn moves on.
    handOnIfTurnOf(slot);
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
    if ((newcomers == 2 || newcomers == 3) && isSeat(n) && !p.playing) {
        p.newcomer = true;
        sendSeat(n, "CMD_youplay+" + num(newcomers) + "+" + num(n) + "+");
    }
    sendSeat(n, gamestats(n));
    if (isSeat(n) && p.playing && bonesLeft(n) > 0)
        sendSeat(n, "CMD_dealmybones+" + num(n) + handreport(n, HandPlaces));
}

void GameHost::kickhim(int carrier, const QByteArray &args)
{
    if (carrier != 1)
        return;
    wire::FieldReader r(args);
    if (r.nextInt() != 1)
        return;
    const int target = r.nextInt();
    if (isSlot(target) && players[target].connected)
        m_link.disconnectSlot(target);
}

void GameHost::botspeed(int carrier, const QByteArray &args)
{
    if (carrier != 1)
        return;
    wire::FieldReader r(args);
    if (r.nextInt() != 1)
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
    if (!isSeat(s) || (s != carrier && carrier != 1))
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
    if (carrier != 1)
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
        p.playing = p.connected || s == 2;
    }
    whoseturn = 0;
    roundnum = 0;
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
        if (!p.playing && p.newcomer) {
            p.playing = true;
            p.newcomer = false;
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
    for (auto &toe : toes)
        std::fill(std::begin(toe), std::end(toe), ToeCell{});
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
        if (!report.isEmpty())
            sendSeat(s, "CMD_dealmybones+" + num(s) + report);
    }
}

int GameHost::openValue(int toe, int position) const
{
    if (toe < 1 || toe > Toes || position < 1 || position > Positions)
        return -1;
    const ToeCell &c = toes[toe][position];
    if (c.bone == 0)
        return -1;
    return c.flip ? gettopnum(c.bone) : getbotnum(c.bone);
}

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

    bool open[Toes + 1] = {};
    int pos[Toes + 1] = {0, 1, 1, 1};
    const bool footsMissing = toes[1][1].bone == 0 || toes[2][1].bone == 0 || toes[3][1].bone == 0;
    for (int t = 1; t <= Toes; ++t) {
        if (footsMissing) {
            open[t] = toes[t][1].bone == 0;
            continue;
        }
        for (int p = 1; p <= 20; ++p)
            if (toes[t][p].bone == 0) {
                open[t] = true;
                pos[t] = p;
                break;
            }
    }
    turnopen = true;
    sendAll("CMD_nextplayer+" + num(whoseturn) + "+" + num(playmode) + "+" + tf(open[1]) + "+"
            + tf(open[2]) + "+" + tf(open[3]) + "+" + num(pos[1]) + "+" + num(pos[2]) + "+"
            + num(pos[3]) + "+");
    if (computerPlayed(whoseturn)) {
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
    sendAll("CMD_winner+" + (w.name.isEmpty() ? w.botname : w.name) + "+");
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

bool GameHost::playingfoots(int seat, int handnum, int toe, int position)
{
    // Onto the spinner a bone always goes to position 1; any other position
    // would announce a cell the bone is not in.
    if (handnum < 1 || handnum > HandPlaces || toe < 1 || toe > Toes || position != 1)
        return false;
    tplayer &p = players[seat];
    const int b = p.hand[handnum];
    const int low = gettopnum(b), high = getbotnum(b);
    if (low != spinner && high != spinner)
        return false;
    if (toes[toe][1].bone != 0)
        return false;
    toes[toe][1] = {b, low != spinner};
    p.hand[handnum] = 0;
    playmode = (toes[1][1].bone && toes[2][1].bone && toes[3][1].bone) ? 2 : 1;
    const int left = bonesLeft(seat);
    for (int s = 1; s <= maxseats; ++s)
        players[s].passed = false;
    turnopen = false;
    sendAll("CMD_heplayed+" + num(seat) + "+" + num(handnum) + "+" + num(b) + "+" + num(toe) + "+"
            + num(position) + "+" + tf(toes[toe][1].flip) + "+" + num(left) + "+");
    if (left > 0)
        findplayer();
    else
        endround(seat);
    return true;
}

bool GameHost::playingtoes(int seat, int handnum, int toe, int position)
{
    if (handnum < 1 || handnum > HandPlaces || toe < 1 || toe > Toes || position < 2
        || position > Positions)
        return false;
    const int v = openValue(toe, position - 1);
    if (v < 0)
        return false;
    tplayer &p = players[seat];
    const int b = p.hand[handnum];
    const int low = gettopnum(b), high = getbotnum(b);
    if (low != v && high != v)
        return false;
    if (toes[toe][position].bone != 0)
        return false;
    if (low == v && high == v) {
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
    toes[toe][position] = {b, high == v};
    p.hand[handnum] = 0;
    const int left = bonesLeft(seat);
    for (int s = 1; s <= maxseats; ++s)
        players[s].passed = false;
    turnopen = false;
    sendAll("CMD_heplayed+" + num(seat) + "+" + num(handnum) + "+" + num(b) + "+" + num(toe) + "+"
            + num(position) + "+" + tf(high == v) + "+" + num(left) + "+");
    if (left > 0)
        findplayer();
    else
        endround(seat);
    return true;
}

void GameHost::beginagain()
{
    for (auto &toe : toes)
        std::fill(std::begin(toe), std::end(toe), ToeCell{});
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
