// SPDX-License-Identifier: MIT
// Tchat: the table window. A client of a game host: it logs in, shows who
// sits where, the board, the hand and the chat, and sends the player's
// plays, passes and chat lines. It decides nothing about the rules.
#pragma once

#include "forms.h"
#include "gamelog.h"
#include "hostaddress.h"
#include "spyroll.h"
#include "tabletracker.h"
#include "tsock.h"
#include "wire.h"

#include <QColor>
#include <QLabel>
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QLineEdit;
class QPushButton;
class QPainter;
class QScrollArea;
class QTextEdit;
class QToolButton;
class SoundPlayer;
class PictureButton;
class BoardSurface;
class HandSurface;
class HandBone;
class QKeyEvent;
class ToeTarget;
class Tgamestart;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int Seats = 6;
    static constexpr int Phrases = 10;
    static constexpr int Toes = 3;
    static constexpr int Positions = 40;
    static constexpr int HandSlots = 20;
    // panel_main, which holds every control of the table.
    static constexpr int PanelWidth = 780;
    static constexpr int PanelHeight = 531;
    // The offer after a failed join or a lost connection, in the main
    // panel, and its buttons within it (the end-to-end test clicks them).
    static constexpr QRect OfferPanelRect{170, 50, 440, 150};
    static constexpr QRect ReconnectButtonRect{14, 106, 120, 30};
    static constexpr QRect PlaySoloButtonRect{144, 106, 120, 30};
    static constexpr QRect PlayOthersButtonRect{274, 106, 152, 30};
    // The same panel when the table has ended: taller, with the standings,
    // and Play Solo, Play with Others and Close along its foot.
    static constexpr QRect EndedPanelRect{150, 8, 480, 252};
    static constexpr QRect EndedSoloButtonRect{14, 210, 140, 30};
    static constexpr QRect EndedOthersButtonRect{164, 210, 170, 30};
    static constexpr QRect EndedCloseButtonRect{344, 210, 122, 30};

    explicit Tchat(Forms &forms, QWidget *parent = nullptr);
    ~Tchat() override;

    // The command line without the program path; read when first shown.
    void setArguments(const QStringList &args) { m_args = args; }
    // Port of the game host, "7772" unless a test picks another.
    void setGamePort(const QString &port) { m_gamePort = port; }

    // Replaceable for tests: message boxes and opening links.
    static std::function<void(QWidget *, const QString &)> messageBox;
    static std::function<bool(QWidget *, const QString &)> questionBox;
    std::function<bool(const QString &link)> openLink;
    // Closes this table and opens another with the command line the lobby
    // would use (no arguments: a solo game). The program shell sets it.
    std::function<void(const QStringList &args, bool mapRouterPort)> relaunch;
    // How long a join waits for the table's first answer.
    int answerTimeoutMs = 10000;
    // The watchers, kept here until the spy list window is made.
    SpyRoll spies;
    // The game start dialog, just made, takes the choices kept until then.
    void gameStartMade(Tgamestart *window);

    TSock *sock;   // the connection to the game host
    TSock *Sock11; // the idle lobby link

    QString playerName() const { return m_playerName; }
    bool hostFlag() const { return m_hostFlag; }
    // This player may start games, remove players and set watching: he runs
    // the host, or the table of its own told him he is its host player.
    bool hostRights() const { return m_hostFlag || m_hostRights; }
    bool ourHost() const { return m_ourHost; }
    // The table this window joins (or hosts on 127.0.0.1).
    HostAddress tableAddress() const { return m_table; }
    // The offer over the board after a failed join or a lost connection.
    enum class Offer { None, JoinFailed, Reconnect, Ended };
    Offer offer() const { return m_offer; }
    bool loggedIn() const { return m_loggedIn; }
    int ownSeat() const { return m_ownSeat; }
    int turnSeat() const { return m_turnSeat; }
    int selectedBone() const { return selectedbone; }
    int spinnerBone() const { return spinnerbone; }
    int botDelay() const { return m_botDelay; }
    QColor chatColour() const { return m_chatColour; }
    QColor actionColour() const { return m_actionColour; }
    bool phraseReady() const { return m_phraseReady; }
    QString phrase(int n) const { return m_phrases[size_t(n)]; }
    void setPhrase(int n, const QString &text);
    bool scrollFrozen() const;
    // The seat's name as its label shows it.
    QString seatName(int seat) const;
    qsizetype pendingMessages() const { return qsizetype(receivedlist.size()); }
    bool dispatchTimerActive() const { return Timer1.isActive(); }
    // The names at the table other than this player's, for the tally.
    QStringList namesAtTable() const;

    // Sends one message (the terminator is added) to the host.
    void sendMessage(const QByteArray &body);

    // Start-up and end.
    void processparams();
    void hostpress();
    void joinpress();
    void Exit1Click();

    // Network play beyond the lobby: failures, coming back, switching table.
    // The host player's choice of computer players for the next game: given
    // to this copy's host directly, or sent to a table of ours.
    void applyComputerChoice(int count, int level, bool hints);
    // The strong player's advice on the player's own turn: raises the bone
    // and flashes its target. Sends nothing. Offered in solo games, and at a
    // table whose host player allowed it.
    bool hintOffered() const;
    void Hint1Click();
    const players::TableTracker &tracker() const { return m_tracker; }

    // Before switching tables: true when nobody loses a game by it, or the
    // player says so.
    bool leaveTableOk();
    void button_reconnectClick();
    void button_playsoloClick();
    void PlaywithOthers1Click();
    // Who, besides this player, a hosting copy would drop by leaving.
    QStringList othersAtMyTable() const;
    // The host player as this window knows him: "You", his name, or empty.
    QString hostPlayerName() const;
    // What a game started now would be: "Ann, Bob and 2 computer players".
    QString gameSummary(int computerPlayers) const;
    // The record of the game, and its standings at the last round end.
    const GameLog &gameLog() const { return m_gameLog; }
    bool gameLogShown() const { return m_gameLogOn; }
    // The board cell of the last bone played: toe 1..3 and its position, or
    // toe 0 for the spinner; toe -1 when nothing is marked.
    QPoint lastPlayed() const { return {m_markToe, m_markPos}; }
    int hintedToe() const { return m_hintToe; }

    // Settings.
    void loadinifile();
    void saveinifile();
    // After a preference change: every key once the settings were read,
    // only this key before.
    void savePreference(const QString &key);
    void playsounds(const QString &name);

    // Connection and seats.
    void kicking(int slot); // asks the player first

    void Fast1Click(int delay);
    void JustWatch1Click();
    void label_playername1ContextPopup(int seat, const QPoint &globalPos);

    // Game flow.
    void button_startClick();
    void button_passClick();
    void image_toe1Click(int toe);
    void clearall();

    // Hand and board.
    void createbone(int handnum, int bone);
    void freebone(int handnum);
    void movebone(int handnum);
    void clearallbones();
    void clearselected();
    void sortthem();
    void boneimagesMouseDown(HandBone *bone, Qt::MouseButton button);
    void clearboard();
    void placeboardbone(QPainter &p, int bone, int x, bool flip, int y) const;
    void placespinner(QPainter &p, int bone, int x, int y) const;
    void paintbox_boardPaint(QPainter &p) const;
    HandBone *handBone(int handnum) const;
    int handSlot(int slot) const { return handslots[size_t(slot)].handnum; }
    int cellBone(int toe, int pos) const { return cells[toe][pos].bone; }
    bool cellFlip(int toe, int pos) const { return cells[toe][pos].flip; }
    int targetPosition(int toe) const { return targetTag[size_t(toe)]; }

    // Chat.
    void sendit();
    void chatrecieved(const QByteArray &text);
    // A line of the log; only relayed chat lines take the bold head.
    void addlinetochat(const QString &line, const QColor &colour, bool boldHead = false);
    void b_phrase1Click(int n);
    void ScrollChatOff1Click();
    void ClearMainChat1Click();
    void Copy1Click();
    void Paste1Click();
    void N14Click(int size, bool save = true);
    void setChatColour(const QColor &c);
    void setActionColour(const QColor &c) { m_actionColour = c; }
    // The link under a point of the log, or empty.
    QString linkAt(const QPoint &viewportPos) const;
    void PrhaseList1Click();
    void loadchecklist();

    // Controls, named as the window's layout names them.
    QWidget *panel_main;
    QScrollArea *panel_board;
    BoardSurface *paintbox_board;
    QScrollArea *panel_bones;
    HandSurface *handSurface;
    QLabel *Image4;
    QLabel *Image5;
    std::array<QLabel *, Seats + 1> label_playername{};
    std::array<QLabel *, Seats + 1> label_score{};
    std::array<QLabel *, Seats + 1> label_bonus{};
    std::array<QLabel *, Seats + 1> label_bones{};
    std::array<QLabel *, Seats + 1> image_eyes{};
    std::array<QLabel *, Seats + 1> image_turn{};
    std::array<ToeTarget *, Toes + 1> image_toe{};
    QLabel *label_status;
    QLabel *label_round;
    QLabel *label_notplaying;
    QWidget *panel_winner;
    QLabel *label_winner1;
    QLabel *label_winner2;
    PictureButton *button_start;
    PictureButton *button_pass;
    QTextEdit *mainchat;
    QLineEdit *mychat;
    std::array<QToolButton *, Phrases + 1> b_phrase{};
    QWidget *panel_offer;
    QLabel *label_offer;
    QPushButton *button_reconnect;
    QPushButton *button_playsolo;
    QPushButton *button_playothers;
    QPushButton *button_close;
    QLabel *label_standings;      // on the offer panel when the table ended
    QLabel *label_finalstandings; // under the winner's banner until the next game

    QAction *StartGame1 = nullptr;
    QAction *PlaywithOthers1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *Classic1 = nullptr;
    QAction *New1 = nullptr;
    QAction *Slow1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *TextColor1 = nullptr;
    QAction *ActionColor1 = nullptr;
    std::array<QAction *, 4> textSizes{}; // N8, N10, N12, N14
    QAction *ScrollChatOff2 = nullptr;
    QAction *ScrollChatOff1 = nullptr;
    QAction *ClearMainChat1 = nullptr;
    QAction *ResetScreenLocation1 = nullptr;
    QAction *JustWatch1 = nullptr;
    QAction *Hint1 = nullptr;
    QAction *SortHand1 = nullptr;
    QAction *GameLog1 = nullptr;
    QMenu *BotSpeed1 = nullptr;
    QAction *ViewTally1 = nullptr;
    QAction *SpyList1 = nullptr;
    QAction *PrhaseList1 = nullptr;
    QAction *Help2 = nullptr;
    QAction *About1 = nullptr;
    QMenu *popup_kick = nullptr;
    QAction *RemoveFromGame1 = nullptr;
    QAction *SettoJustWatch1 = nullptr;
    QAction *UnsetJustWatch1 = nullptr;
    int popupKickTag = 0;

    SoundPlayer *sounds = nullptr;

signals:
    void closed();
    // The host of this copy listens on this port (hosting, not solo).
    void hosting(quint16 port);
    // A sound the player would hear (sounds on), for tests and the player.
    void soundRequested(const QString &name);

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    struct Cell {
        int bone = 0;
        bool flip = false;
    };
    struct Slot {
        bool free = true;
        int handnum = -1;
    };

    void FormCreate();
    void createMenus();
    void createSeatDisplay();
    void createBoardAndHand();
    void createChatPanel();
    void createOfferPanel();
    void layoutHand();
    void raiseSlots(int from);
    void placeSlot(int slot);
    void resetTargets();
    void emptyCells();
    void placePlayedBone(int toe, int pos, int bone, bool flip, bool moveTarget);
    void placeSpinnerCell(int bone);
    void hideTargets();
    void updateBoardExtent();

    // Connection.
    void sockRead(TSock *s, int count);
    void sockInfo(TSock *s, TSocketInfo kind, const QString &msg);
    void connectionLost();
    void Timer1Timer();
    void cooldownTick();
    void processsocktimer(const QByteArray &line);
    void sendloginfo(const QByteArray &args);
    void newplayerinfo(const QByteArray &args);
    void playerdisconnected(const QByteArray &args);
    void justwatching(const QByteArray &args);
    void notice(const QString &text);
    void showMessage(const QString &text);
    QString botName(int seat) const;

    // Our own host's messages, and what a lost connection leads to.
    bool extensionMessage(const QByteArray &name, const QByteArray &args);
    void openConnection();
    void sockError(const QString &msg);
    void answerTimeout();
    void lostConnection();
    void joinFailed(const QString &reason);
    void showOffer(Offer kind, const QString &text);
    void tableEnded(const QString &text);
    void seatsReported(const QByteArray &args);
    // The status line when nobody has the turn: who will start the game.
    void showWaiting();
    void showTurnStatus(int seat);
    void setStatus(const QString &text);
    void updateHostControls();
    void forgetTable();
    void grantHostRights();
    void reclaimed(const QByteArray &args);
    void sendLogin();
    void updateHint();
    void flashTick();
    void clearHint();
    // The record: lines in the log's own style, and what a screen reader says.
    void logGame(const QByteArray &name, const QByteArray &args);
    void announce(const QString &text);
    void refreshAccessible();
    void showFinalStandings();
    // Keys on a hand bone: moving along the hand, raising, playing.
    bool handKey(HandBone *bone, QKeyEvent *e);
    void focusHand(bool force);
    // Hides Start or Pass; when it held the focus, the game keeps it.
    void hideGameButton(QWidget *button);
    // The offer's line on the kept seat, or empty.
    QString seatKeptHint() const;
    void moveTargetCursor(int step);
    void playOnToe(int toe, HandBone *focused);
    void setHandCursor(int handnum, bool focus);
    void createKeys();
    void applyTabOrder();
    QString ownLine(const QString &line) const;
    // Game flow.
    void startthegame(const QByteArray &args);
    void startround(const QByteArray &args);
    void dealmybones(const QByteArray &args);
    void getnextplayer(const QByteArray &args);
    void heplayed(const QByteArray &args);
    void doubleplayed(const QByteArray &args);
    void beginagain(const QByteArray &args);
    void hepassed(const QByteArray &args);
    void noplay(const QByteArray &args);
    void endround(const QByteArray &args);
    void winner(const QByteArray &args);
    void youplay(const QByteArray &args);
    void gamestats(const QByteArray &args);

    void applyPlacement(int left, int top, int width, int height);
    // Writes keys of the settings file; the first failure is told to the
    // player, with the place it tried, and the game goes on.
    void writeSettings(const QList<QPair<QString, QString>> &keys);
    // The dialog's choices when there is one, else what the settings said.
    int computerPlayersChosen() const;
    int computerLevelChosen() const;
    bool hintsChosen() const;
    int roundsChosen() const;
    int newcomersChosen() const;
    // The lobby offer of a solo table, once: after the login or a second.
    void offerLobby();

    Forms &m_forms;
    QStringList m_args;
    QString m_gamePort = QStringLiteral("7772");
    QString m_playerName;
    QString m_hostAddress;
    bool m_hostFlag = false;
    QByteArray m_logintext;
    int m_ownSeat = 0;
    bool m_loggedIn = false;
    bool m_shown = false;
    bool m_closing = false;
    bool m_leaveAsked = false; // the player already said he leaves
    bool m_dispatching = false;
    bool m_lost = false;

    // Network play.
    HostAddress m_table;
    bool m_answered = false;    // the table gave us a slot
    bool m_ourHost = false;     // the table is one of ours (it acknowledged us)
    bool m_hostRights = false;  // a table of its own made us its host player
    bool m_removed = false;     // the host player removed us
    bool m_tableClosed = false; // the table said it closes
    QString m_endedBy;          // who removed us or closed the table
    int m_hostPlayerSlot = 0;   // who holds the host player's rights (our hosts say)
    bool m_seatKept = false;    // a dropped seat waits for us at the table
    bool m_waitingShown = false; // the status line says who will start the game
    std::array<bool, Seats + 1> m_inGame{}; // seats in the current round
    bool m_gameRunning = false;
    int m_tokenSeat = 0;
    QByteArray m_seatToken;
    int m_reclaimSeat = 0; // asked for on the next slot offer
    bool m_reconnecting = false;
    QString m_seat1Bot;
    Offer m_offer = Offer::None;
    QTimer m_answerTimer;

    // The hint.
    players::TableTracker m_tracker;
    bool m_hintsAllowed = false;
    QTimer m_flashTimer;
    int m_flashToe = 0;
    int m_flashCount = 0;
    int m_hintToe = 0;

    // The record of the game and what marks the last play.
    GameLog m_gameLog;
    bool m_gameLogOn = true;
    int m_markToe = -1;
    int m_markPos = 0;
    int m_targetCursor = 0; // the toe chosen from the keyboard, 0 none
    int m_handCursor = 0;   // hand number of the bone that takes the focus
    bool m_gameKeepsFocus = false; // a hidden Start or Pass had it
    QString m_lastAnnouncement;
    bool m_soundsWanted = true; // the player's "Play Sounds", whatever the device

    wire::Framer m_framer;
    wire::Framer m_lobbyFramer; // what the lobby says is read and let go
    std::deque<QByteArray> receivedlist;
    QTimer Timer1;       // dispatch: one message per tick while any wait
    QTimer cooldownTimer; // the phrase buttons' lock

    // Game state as this window shows it.
    int m_turnSeat = 0;
    int selectedbone = -1;
    int spinnerbone = -1;
    QPoint spinnerpos{16, 124};
    QString m_roundsToPlay = QStringLiteral("10");
    Cell cells[Toes + 1][Positions + 3]{};
    std::array<Slot, HandSlots + 1> handslots{};
    std::array<int, Toes + 1> targetTag{};

    // Chat state.
    QColor m_chatColour = Qt::black;
    QColor m_actionColour = Qt::black;
    QColor m_noticeColour;
    bool m_phraseReady = true;
    bool m_scrollFrozen = false;
    int m_cooldown = 0;
    std::array<QString, Phrases + 1> m_phrases{};

    // Settings.
    int m_botDelay = 1000;
    int m_rounds = 10;
    int m_newcomers = 1;
    int m_computerPlayers = 1;
    int m_computerLevel = 1;
    bool m_allowHints = false;
    int m_turnSound = 0;
    bool m_lobbyOffered = false;
    bool m_settingsLoaded = false;
    bool m_settingsWarned = false;
    int m_savedTop = 3, m_savedLeft = 3, m_savedWidth = 790, m_savedHeight = 578;
    int m_defaultWidth = 790, m_defaultHeight = 578;
};
