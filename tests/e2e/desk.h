// SPDX-License-Identifier: MIT
// One desktop for end-to-end tests: its own Xvfb display, a copy of the
// program in its own folder, screenshots, and mouse and keyboard through
// xdotool. A RealPlayer reads the table from the screen by matching the
// program's own bone pictures, and plays the first legal move it sees.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <array>
#include <memory>

class Desk {
public:
    ~Desk();
    // Starts Xvfb and the program with these arguments; settingsText is
    // written to the program's settings file first.
    bool start(const QStringList &args, const QByteArray &settingsText);
    // Saves a screenshot in the shots folder, when the display is up.
    void shot(const QString &name) const;
    QImage grab() const;
    void click(QPoint screen, int button = 1) const;
    void type(const QString &text) const;
    void key(const QString &keys) const;
    // Whether a window of that title is on screen.
    bool shown(const QString &title) const;
    // Gives the keyboard to the widest (or smallest) window of that title
    // on screen.
    void focusWindow(const QString &title, bool smallest = false) const;
    QString xdotool(const QStringList &args) const;
    // Top-left corner of the named window, or (-1, -1).
    QPoint windowAt(const QString &title) const;
    bool running() const { return m_program.state() == QProcess::Running; }
    // True once the program has ended, waiting at most ms for it.
    bool ended(int ms) { return m_program.state() == QProcess::NotRunning || m_program.waitForFinished(ms); }
    QString display() const { return m_display; }

private:
    bool startDisplay();

    QString m_display;
    QProcess m_xvfb;
    QProcess m_program;
    QTemporaryDir m_folder;
};

// The table as a player sees it.
struct TableView {
    bool found = false;
    bool myTurn = false;
    bool gameOver = false;
    bool roundOver = false;
    int spinner = 0;                  // bone number, 0 when none is seen
    std::array<int, 21> hand{};       // bone number by slot, 0 = empty
    std::array<int, 21> raised{};     // 1 when the slot's bone is raised
    int toes[4][12] = {};             // bone numbers at positions 1..11
    bool flips[4][12] = {};
    int handCount() const;
};

class RealPlayer {
public:
    explicit RealPlayer(Desk &desk);
    // Finds the table on screen; true once its corner is known.
    bool calibrate(const QImage &screen);
    TableView read(const QImage &screen) const;
    // Plays one legal move, or passes; false when nothing could be done.
    bool move(const TableView &view);
    void pass();
    // Plays with keys alone (the hand holds the focus) instead of the mouse.
    bool byKeys = false;
    QPoint panel() const { return m_panel; }
    QPoint boardOrigin() const { return m_board; }
    QPoint handOrigin() const { return m_hand; }
    int moves = 0;
    int passes = 0;

private:
    int identifyUpright(const QImage &screen, QPoint at) const;
    int identifyLying(const QImage &screen, QPoint at, bool *flip) const;
    bool matches(const QImage &screen, QPoint at, const QImage &want, double tolerance) const;
    // Pixels of `want` that differ on screen, counting no further than `cap`.
    int mismatches(const QImage &screen, QPoint at, const QImage &want, int cap, int *compared) const;

    Desk &m_desk;
    QPoint m_panel{-1, -1};
    QPoint m_board, m_hand;
    std::array<QImage, 56> m_upright, m_uprightInner;
    std::array<QImage, 56> m_lying, m_lyingFlipped;
    QImage m_banner, m_pass, m_passHover, m_winnerStrip;
};

// The scoreboard's six seat rows, in the table's panel: where each seat's
// bone count and its round score stand.
constexpr QPoint BoneCounts[] = {{9, 404}, {9, 433}, {9, 463}, {220, 404}, {220, 433}, {220, 463}};
constexpr QPoint RoundScores[] = {{173, 403}, {173, 433}, {173, 463}, {384, 403}, {384, 432}, {384, 463}};
// How many of these labels hold text: their letters are cream on the dark
// scoreboard, and a seat outside the game leaves them empty.
int labelsShowing(const QImage &screen, QPoint panel, const QPoint (&labels)[6]);

// Where the tests' screenshots go: e2e-shots/NAME.png in the build folder.
QString shotPath(const QString &name);
// Waits (bounded) until the player's table is found on screen.
bool calibrate(Desk &desk, RealPlayer &player);
// The host player's "Start Game" on the board, then "Start" in the dialog;
// a dialogShot name saves the screen with the dialog open first.
bool startAGame(Desk &desk, RealPlayer &player, const QString &dialogShot = QString());
// The corner of the named window once it shows, or (-1, -1) after timeoutMs.
QPoint waitForWindow(const Desk &desk, const QString &title, int timeoutMs);

// Follows one table until its game ends, moving whenever it is this
// player's turn. Saves the named moments once each, as PREFIX-moment.png.
struct Follower {
    Desk &desk;
    RealPlayer player;
    QString prefix;
    TableView last;
    QSet<QString> saved;
    std::array<int, 21> triedHand{};
    QElapsedTimer sinceMove;

    Follower(Desk &d, const QString &p) : desk(d), player(d), prefix(p) { sinceMove.start(); }
    void save(const QString &what, const QImage &img);
    // One look at the screen and at most one action; true once the game ended.
    bool step();
};
