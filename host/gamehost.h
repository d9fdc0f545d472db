// SPDX-License-Identifier: MIT
// GameHost: the authority of a game. It owns the slot table, the boneyard,
// the hands, the board and the scores, judges every request and plays the
// empty seats. It does no I/O of its own: messages go out, connections are
// closed and timers are armed through a HostLink, so the same rules run
// behind real sockets (TServer) and inside tests and benchmarks.
#pragma once

#include "board.h"
#include "strongplayer.h"
#include "tabletracker.h"

#include <QByteArray>

#include <array>
#include <functional>
#include <random>

// What the host asks of its surroundings.
class HostLink {
public:
    virtual ~HostLink() = default;
    // One whole message, terminator included, on the connection of a slot.
    virtual void sendTo(int slot, const QByteArray &message) = 0;
    // Close the connection of a slot; its departure is reported back
    // through GameHost::slotClosed.
    virtual void disconnectSlot(int slot) = 0;
    // The one-second step timer: GameHost::stepTick once a second while on.
    virtual void startStepTimer() = 0;
    virtual void stopStepTimer() = 0;
    // One GameHost::computerTick after ms milliseconds.
    virtual void armComputer(int ms) = 0;
    virtual void stopComputer() = 0;
    // The connection of slot `from` now serves slot `to` (a seat taken back).
    virtual void moveSlot(int from, int to) { (void)from, (void)to; }
    // One line for the operator's log: what happened at the table.
    virtual void log(const QByteArray &line) { (void)line; }
};

// One slot record: a connection's seat (slots 1..6) or a watcher (7..9).
struct tplayer {
    QByteArray name;       // login name of the human here; empty when none
    bool connected = false;
    int totalscore = 0;
    int roundscore = 0;
    bool watching = false; // the human watches; the computer plays the seat
    QByteArray botname;
    std::array<int, 21> hand{}; // bone by hand number 1..20; 0 = empty
    bool passed = false;
    bool playing = false;  // in the current game
    bool newcomer = false; // enters the game at the next round
    bool granted = false;  // a newcomer's score was granted at a round end
};

using ToeCell = rules::Cell;

class GameHost {
public:
    static constexpr int MaxSlots = 9;
    static constexpr int maxseats = 6;
    static constexpr int Toes = rules::Toes;
    static constexpr int Positions = rules::Positions;
    static constexpr int HandPlaces = rules::HandPlaces;
    static constexpr int DefaultBotDelay = 1000;
    static const QByteArray Version;
    // Our own programs announce themselves with "CMD_velloc+" level "+"
    // after logging in; only announced connections are sent the messages
    // below, so a peer that never announces sees the plain protocol.
    static constexpr int ExtensionLevel = 1;
    // How long a dropped player's seat is kept for him.
    static constexpr qint64 SeatHoldMs = 120000;
    // The computer name of seat 1 on a table without a host's own player.
    static const QByteArray DedicatedSeat1Name;
    // Names a table window repeats in its own sentences are cut to this.
    static constexpr int MaxNameShown = 64;

    enum Step { NoStep = 0, RoundStartStep = 2, BeginAgainStep = 3 };

    explicit GameHost(HostLink &link, unsigned seed = std::random_device{}());

    // Connections (TServer drives these from its socket events).
    int reserveSlot();             // lowest free slot, or 0 when all nine are taken
    void slotConnected(int slot);  // a connection was accepted into slot
    void slotClosed(int slot);     // "Socket Closed" on the slot's connection

    // One queued message, carried by the connection of slot `carrier`.
    void dispatch(int carrier, const QByteArray &message);

    void stepTick();     // the step timer's one-second tick
    void computerTick(); // the computer delay ran out

    void setBotDelay(int ms);
    int botDelay() const { return m_botDelay; }
    // Tests that move for the computer seats themselves keep the computer
    // players from moving at all (computerTick still moves when called).
    void holdComputers(bool on) { m_computersHeld = on; }
    void reseed(unsigned seed) { m_rng.seed(seed); }
    // The strong players draw their seeds from a generator of their own, so
    // nothing they are handed comes from the stream that shuffles the bones.
    void reseedStrong(std::uint64_t seed) { m_strongRng.seed(seed); }

    // The computer players. Level 1 is the first-fit player every table
    // knows, 2 the strong one that plans. Computer players 1 means seat 2
    // when it is empty, as always; each one more fills the next empty seat
    // from 3 on at the next game start.
    enum Level { Normal = 1, Strong = 2 };
    bool setComputerPlayers(int count); // 1..5; false (and unchanged) otherwise
    bool setComputerLevel(int level);   // Normal or Strong, for every computer seat
    bool setComputerLevel(int seat, int level); // one seat (benchmarks pit the two against each other)
    int computerPlayers() const { return m_computerPlayers; }
    int computerLevel(int seat) const { return (seat >= 1 && seat <= maxseats) ? m_level[seat] : Normal; }
    // Whether our table windows may show the strong player's hint.
    void setHintsAllowed(bool on);
    bool hintsAllowed() const { return m_hintsAllowed; }
    players::StrongSettings strongSettings;

    // A table of its own (velloc-host): seat 1 has a computer name and
    // plays in every game like seat 2.
    void setDedicated(bool on);
    bool dedicated() const { return m_dedicated; }
    // Tells announced connections that the table closes, before it does.
    void closingAll();
    // Milliseconds of a steady clock; tests move time on.
    std::function<qint64()> clock;

    // Message handlers, by the command they answer.
    void receivedlogininfo(int carrier, const QByteArray &args);
    void kickhim(int carrier, const QByteArray &args);
    void botspeed(int carrier, const QByteArray &args);
    void chat(int carrier, const QByteArray &args);
    void action(int carrier, const QByteArray &args);
    void startgame(int carrier, const QByteArray &args);
    void justwatch(int carrier, const QByteArray &args);
    void hepasses(int carrier, const QByteArray &args);
    void playbone(int carrier, const QByteArray &args);
    // Our own programs' messages.
    void announced(int carrier, const QByteArray &args);
    void reclaimseat(int carrier, const QByteArray &args);
    void computers(int carrier, const QByteArray &args);

    // The game steps.
    void shufflebones();
    void dealbones();
    void startround();
    void findplayer();
    void endround(int wentOut);
    void checkforwin();
    void beginagain();
    int gethighest() const;
    int getaverage() const;
    QByteArray gamestats(int slot) const;
    QByteArray handreport(int seat, int upTo) const;

    // Moves, shared by the handlers and the computer players.
    void play(int seat, int handnum, int toe, int position);
    void pass(int seat);
    void computerplay(int seat);

    bool computerPlayed(int seat) const;
    int seatsInGame() const;
    int openValue(int toe, int position) const; // free value of the cell, -1 when empty

    // The state, plain data a test can read.
    std::array<tplayer, 12> players{}; // 1..9 slots; 10 and 11 spare
    int slotcount = 0;
    bool gamerunning = false;
    bool turnopen = false; // plays and passes count only while a turn is open
    int whoseturn = 0;
    int roundnum = 0;
    int roundstoplay = 10;
    int newcomers = 1;
    int playmode = 1;
    int spinner = 0; // pip value; a double's bone number until its begin-again
    std::array<int, 56> boneyard{};
    int dealpos = 0;
    rules::ToeCells toes{};
    int timercount = 0;
    Step timerstep = NoStep;
    bool computerArmed = false;

    // Extension state, by slot.
    std::array<bool, 12> ours{};     // the connection announced itself
    std::array<bool, 12> loggedin{}; // the connection has logged in
    std::array<QByteArray, 12> seatToken{}; // the secret that takes the seat back
    struct SeatHold {
        QByteArray token;
        qint64 until = 0;
    };
    std::array<SeatHold, 12> held{}; // seats kept for a dropped player
    // The slot whose removal, watch, bot speed and game-start commands count;
    // 0 while nobody holds the rights (the next to log in takes them).
    int hostSlot = 1;
    bool isHeld(int seat);

    static int bonesEach(int seats) { return rules::bonesEach(seats); }
    static int roundSpinner(int round) { return rules::roundSpinner(round); } // 0 outside 1..10

private:
    void sendSeat(int slot, const QByteArray &message);
    void sendAll(const QByteArray &message, int except = 0);
    void startStepTimer(Step step, int ticks);
    void stopTimers();
    bool playingfoots(int seat, int handnum, int toe, int position);
    bool playingtoes(int seat, int handnum, int toe, int position);
    int handBone(int seat, int handnum) const;
    void computerfoots(int seat);
    void computertoes(int seat);
    bool strongplay(int seat);
    void observe(const QByteArray &message);
    int bonesLeft(int seat) const;
    void handOnIfTurnOf(int seat);
    bool hasRights(int carrier, int field) const;
    void passHostRights();
    void tellHostPlayer();
    QByteArray newToken();
    void sendOurs(int slot, const QByteArray &message);
    QByteArray who(int slot) const;
    // What our own clients are told beyond the plain stream: who holds the
    // host player's rights, and every seat's state for one arriving late.
    void tellHostPlayerToAll();
    void tellSeats(int slot);

    HostLink &m_link;
    std::mt19937 m_rng;
    std::mt19937_64 m_strongRng;
    int m_botDelay = DefaultBotDelay;
    bool m_dedicated = false;
    bool m_closingAll = false;
    bool m_computersHeld = false;
    std::array<bool, 12> m_removed{}; // closed by the host player's removal
    QByteArray m_lastNextPlayer;     // the turn as last announced
    int m_computerPlayers = 1;
    std::array<int, 7> m_level{Normal, Normal, Normal, Normal, Normal, Normal, Normal};
    bool m_hintsAllowed = false;
    // What each seat may know, for the strong players: fed with what the
    // table says to everyone and with the seat's own deal.
    std::array<players::TableTracker, 7> m_trackers;
};
