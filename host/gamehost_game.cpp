// SPDX-License-Identifier: MIT
// The game host running a game: the start, rounds, the shuffle and deal,
// turns, plays, passes, doubles, scoring and the winner.
#include "gamehost.h"

#include "bones.h"
#include "hostfields.h"
#include "logtext.h"
#include "wire.h"

#include <algorithm>

using namespace hostfields;

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
    m_link.log("game won by seat " + num(c) + " (" + logtext::name(winnerName) + ") with " + num(w.totalscore));
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
