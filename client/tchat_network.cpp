// SPDX-License-Identifier: MIT
// The table window beyond the lobby's command lines: our own host's messages
// (seat tokens, the host player's rights on a table of its own), saying why a
// join failed, offering to reconnect after a drop and taking the seat back,
// and switching to another table without a second copy of the program.
#include "tchat.h"

#include "failure.h"
#include "bones.h"
#include "look.h"
#include "strongplayer.h"
#include "tablewidgets.h"
#include "tgamestart.h"
#include "tplayothers.h"
#include "tserver.h"
#include "tspylist.h"

#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>

namespace {

bool isSeat(int n) { return n >= 1 && n <= Tchat::Seats; }

QPushButton *offerButton(const QString &text, QWidget *parent, const QRect &place)
{
    auto *b = new QPushButton(text, parent);
    b->setFont(look::font(13, true));
    b->setGeometry(place);
    b->setAutoDefault(false);
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

// What a player can make of a failed connection attempt.
QString attemptError(const QString &msg)
{
    const int hash = msg.indexOf(QLatin1Char('#'));
    const int code = hash < 0 ? 0 : msg.mid(hash + 1).section(QLatin1Char(' '), 0, 0).toInt();
    switch (code) {
    case 10061:
        return QStringLiteral("nobody answered on that port (no table is open there, or a firewall refused the "
                              "connection)");
    case 10060:
        return QStringLiteral("the connection timed out");
    case 10051:
    case 10065:
        return QStringLiteral("that address cannot be reached from this computer");
    default:
        return msg;
    }
}

} // namespace

void Tchat::createOfferPanel()
{
    panel_offer = new QWidget(panel_main);
    panel_offer->setObjectName(QStringLiteral("panel_offer"));
    panel_offer->setGeometry(OfferPanelRect);
    panel_offer->setAutoFillBackground(true);
    QPalette pal = panel_offer->palette();
    pal.setColor(QPalette::Window, look::Cream);
    pal.setColor(QPalette::WindowText, look::DarkGreen);
    panel_offer->setPalette(pal);
    label_offer = new QLabel(panel_offer);
    label_offer->setObjectName(QStringLiteral("label_offer"));
    label_offer->setTextFormat(Qt::PlainText);
    label_offer->setGeometry(14, 10, OfferPanelRect.width() - 28, 86);
    label_offer->setWordWrap(true);
    label_offer->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_offer->setFont(look::font(14, true));
    label_offer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    button_reconnect = offerButton(QStringLiteral("Reconnect"), panel_offer, ReconnectButtonRect);
    button_reconnect->setObjectName(QStringLiteral("button_reconnect"));
    button_playsolo = offerButton(QStringLiteral("Play &Solo"), panel_offer, PlaySoloButtonRect);
    button_playsolo->setObjectName(QStringLiteral("button_playsolo"));
    button_playothers = offerButton(QStringLiteral("Play with &Others..."), panel_offer, PlayOthersButtonRect);
    button_playothers->setObjectName(QStringLiteral("button_playothers"));
    button_close = offerButton(QStringLiteral("&Close"), panel_offer, EndedCloseButtonRect);
    button_close->setObjectName(QStringLiteral("button_close"));
    label_standings = new QLabel(panel_offer);
    label_standings->setObjectName(QStringLiteral("label_standings"));
    label_standings->setTextFormat(Qt::PlainText);
    label_standings->setGeometry(30, 96, EndedPanelRect.width() - 60, 108);
    label_standings->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_standings->setFont(look::font(13, true));
    connect(button_reconnect, &QPushButton::clicked, this, [this] { guarded([&] { button_reconnectClick(); }); });
    connect(button_playsolo, &QPushButton::clicked, this, [this] { guarded([&] { button_playsoloClick(); }); });
    connect(button_playothers, &QPushButton::clicked, this, [this] { guarded([&] { PlaywithOthers1Click(); }); });
    connect(button_close, &QPushButton::clicked, this, [this] { close(); });
    panel_offer->hide();

    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { guarded([&] { answerTimeout(); }); });
    m_flashTimer.setInterval(160);
    connect(&m_flashTimer, &QTimer::timeout, this, [this] { flashTick(); });
}

QString Tchat::botName(int seat) const
{
    static const char *const names[] = {"", "", "Klot", "Klock", "Kling", "Klick", "Krazy"};
    if (seat == 1)
        return m_seat1Bot;
    return isSeat(seat) ? QString::fromLatin1(names[seat]) : QString();
}

// --- connecting -----------------------------------------------------------------

void Tchat::openConnection()
{
    m_answered = false;
    m_lost = false;
    sock->setHostName(m_table.host);
    sock->setPortName(QString::number(m_table.port));
    // Connected is not answered: the wait runs until a slot arrives.
    if (!m_hostFlag)
        m_answerTimer.start(answerTimeoutMs);
    try {
        sock->Open();
    } catch (const ESockException &e) {
        m_answerTimer.stop();
        if (m_hostFlag)
            throw;
        joinFailed(QString::fromLatin1(e.what()).contains(QLatin1String("Host Lookup"))
                       ? QStringLiteral("that address could not be found")
                       : QString::fromLocal8Bit(e.what()));
    }
}

void Tchat::sockError(const QString &msg)
{
    if (m_answered || m_hostFlag || m_offer != Offer::None)
        return;
    // A failed attempt reports its error and then nothing more.
    if (!sock->Connected()) {
        m_answerTimer.stop();
        joinFailed(attemptError(msg));
    }
}

void Tchat::answerTimeout()
{
    if (m_answered || m_offer != Offer::None)
        return;
    const int seconds = qMax(1, (answerTimeoutMs + 999) / 1000);
    joinFailed(QStringLiteral("the table did not answer within %1 second%2").arg(seconds).arg(seconds == 1 ? "" : "s"));
    if (sock->hasSocket())
        sock->Close();
}

void Tchat::lostConnection()
{
    m_answerTimer.stop();
    // The host of this copy, a removal and a table that said it closes end
    // the window, as does a lost table that is not ours (we cannot tell a
    // drop from its end).
    if (m_offer != Offer::None)
        return;
    // Our own host said why it ended: the window stays, with the chat and the
    // standings, and says what happened. The host of this copy ends with it.
    if (!m_hostFlag && (m_removed || m_tableClosed)) {
        const QString where = m_table.text(hostaddress::GamePort);
        if (m_removed)
            tableEnded(m_endedBy.isEmpty() ? QStringLiteral("You were removed from the table.")
                                           : QStringLiteral("%1 removed you from the table.").arg(m_endedBy));
        else
            tableEnded(m_endedBy.isEmpty() ? QStringLiteral("The table at %1 was stopped.").arg(where)
                                           : QStringLiteral("%1 closed the table.").arg(m_endedBy));
        return;
    }
    if (m_hostFlag || m_removed || m_tableClosed) {
        close();
        return;
    }
    if (!m_answered) {
        joinFailed(QStringLiteral("the table closed the connection"));
        return;
    }
    if (!m_ourHost && !m_reconnecting) {
        close();
        return;
    }
    const QString where = m_table.text(hostaddress::GamePort);
    QString text = QStringLiteral("The connection to the table at %1 was lost.").arg(where);
    // Decided at the first loss: a failed attempt meanwhile does not make the
    // kept seat any less kept.
    if (!m_reconnecting)
        m_seatKept = m_gameRunning && isSeat(m_ownSeat) && !m_seatToken.isEmpty();
    notice(QStringLiteral("The connection to the table was lost."));
    showOffer(Offer::Reconnect, text + seatKeptHint());
}

QString Tchat::seatKeptHint() const
{
    return m_seatKept ? QStringLiteral(" Reconnect within two minutes to take your seat back; the computer plays it "
                                       "meanwhile.")
                      : QString();
}

void Tchat::joinFailed(const QString &reason)
{
    const QString where = m_table.host.isEmpty() ? m_args.value(1) : m_table.text(hostaddress::GamePort);
    const QString text = (m_reconnecting ? QStringLiteral("Could not reconnect to the table at %1: %2.")
                                         : QStringLiteral("Could not join the table at %1: %2."))
                             .arg(where, reason);
    notice(text);
    // A failed attempt to come back leaves the seat as kept as it was.
    if (m_reconnecting && m_seatKept)
        showOffer(Offer::Reconnect, text + seatKeptHint());
    else
        showOffer(Offer::JoinFailed, text);
}

void Tchat::showOffer(Offer kind, const QString &text)
{
    m_offer = kind;
    const bool ended = kind == Offer::Ended;
    panel_offer->setGeometry(ended ? EndedPanelRect : OfferPanelRect);
    label_offer->setGeometry(14, 10, panel_offer->width() - 28, ended ? 80 : 86);
    label_offer->setText(text);
    label_offer->setAccessibleName(text);
    button_reconnect->setText(kind == Offer::Reconnect ? QStringLiteral("&Reconnect") : QStringLiteral("&Try Again"));
    button_reconnect->setVisible(!ended);
    button_close->setVisible(ended);
    label_standings->setVisible(ended);
    button_playsolo->setGeometry(ended ? EndedSoloButtonRect : PlaySoloButtonRect);
    button_playothers->setGeometry(ended ? EndedOthersButtonRect : PlayOthersButtonRect);
    hideGameButton(button_pass);
    hideTargets();
    clearHint();
    setStatus(ended                       ? QStringLiteral("The table has ended")
              : kind == Offer::Reconnect ? QStringLiteral("Connection lost")
                                         : QStringLiteral("Not connected"));
    panel_offer->show();
    panel_offer->raise();
    // The first choice takes the keyboard: Return is the likeliest answer.
    QPushButton *first = ended ? button_playsolo : button_reconnect;
    for (QPushButton *b : {button_reconnect, button_playsolo, button_playothers, button_close})
        b->setDefault(b == first);
    first->setFocus();
    announce(text);
    playsounds(QStringLiteral("invalid"));
}

// Back to a table that knows nothing of us: it tells us everything again.
void Tchat::forgetTable()
{
    receivedlist.clear();
    m_framer.clear();
    if (sock->hasSocket())
        sock->Close();
    m_loggedIn = false;
    m_ownSeat = 0;
    m_turnSeat = 0;
    m_ourHost = false;
    m_hostRights = false;
    m_removed = false;
    m_tableClosed = false;
    m_endedBy.clear();
    m_hostPlayerSlot = 0;
    m_inGame.fill(false);
    m_gameRunning = false;
    m_hintsAllowed = false;
    m_tracker.setSeat(0);
    if (!m_hostFlag) {
        hideGameButton(button_start);
        StartGame1->setEnabled(false);
        spies.setRemovalAllowed(false);
    }
    updateHostControls();
    label_finalstandings->hide();
    m_markToe = -1;
    for (int n = 1; n <= Seats; ++n) {
        label_playername[size_t(n)]->setText(QStringLiteral("<Waiting>"));
        image_eyes[size_t(n)]->hide();
    }
    spies.clear();
    JustWatch1->setChecked(false);
    hideTargets();
    hideGameButton(button_pass);
    panel_winner->hide();
    label_notplaying->hide();
    clearall();
    spinnerbone = -1;
    paintbox_board->update();
}

void Tchat::button_reconnectClick()
{
    if (m_offer == Offer::None || m_offer == Offer::Ended)
        return;
    const bool seatKept = m_offer == Offer::Reconnect || m_reconnecting;
    panel_offer->hide();
    m_offer = Offer::None;
    if (!m_answered && !m_reconnecting && !m_table.host.isEmpty()) {
        // A join that never got in: simply try again.
        notice(QStringLiteral("Trying again..."));
        forgetTable();
        openConnection();
        return;
    }
    if (m_table.host.isEmpty())
        return;
    m_reconnecting = seatKept;
    m_reclaimSeat = m_seatToken.isEmpty() ? 0 : m_tokenSeat;
    notice(QStringLiteral("Reconnecting to %1...").arg(m_table.text(hostaddress::GamePort)));
    forgetTable();
    openConnection();
}

QStringList Tchat::othersAtMyTable() const
{
    QStringList names;
    if (!m_hostFlag || !m_forms.server)
        return names;
    const GameHost &g = m_forms.server->game();
    for (int i = 1; i <= GameHost::MaxSlots; ++i)
        if (i != m_ownSeat && g.players[i].connected)
            names << (g.players[i].name.isEmpty() ? QStringLiteral("A player in slot %1").arg(i)
                                                  : wire::toDisplay(g.players[i].name));
    return names;
}

bool Tchat::leaveTableOk()
{
    const QStringList others = othersAtMyTable();
    const bool playing = m_hostFlag && m_forms.server && m_forms.server->game().gamerunning;
    QString question;
    if (!others.isEmpty()) {
        const QString who = others.size() == 1 ? others.first()
                                                : others.mid(0, others.size() - 1).join(QStringLiteral(", "))
                                                      + QStringLiteral(" and ") + others.last();
        const QString verb = others.size() == 1 ? QStringLiteral("is") : QStringLiteral("are");
        question = playing ? QStringLiteral("%1 %2 playing at your table. Leaving ends the game for them.").arg(who, verb)
                           : QStringLiteral("%1 %2 at your table. Leaving closes it for them.").arg(who, verb);
    } else if (m_gameRunning && m_loggedIn && isSeat(m_ownSeat) && m_offer == Offer::None && !m_hostFlag) {
        question = QStringLiteral("Leave the game in progress?");
    }
    return question.isEmpty() || !questionBox || questionBox(this, question);
}

void Tchat::button_playsoloClick()
{
    if (relaunch)
        relaunch({}, false);
}

void Tchat::PlaywithOthers1Click()
{
    if (!m_forms.playothers)
        return;
    m_forms.playothers->show();
    m_forms.playothers->raise();
    m_forms.playothers->activateWindow();
}

// --- logging in and our own host's messages -----------------------------------

void Tchat::sendLogin()
{
    sendMessage("CMD_logininfo+" + QByteArray::number(m_ownSeat) + "+1.0.1+" + m_logintext);
    // Announce ourselves: our own hosts answer with what only we understand;
    // any other host drops the unknown command.
    sendMessage("CMD_velloc+" + QByteArray::number(GameHost::ExtensionLevel) + "+");
}

void Tchat::reclaimed(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int slot = r.nextInt();
    const bool back = r.next() == "t";
    if (m_reclaimSeat == 0 || m_loggedIn || slot < 1 || slot > GameHost::MaxSlots)
        return;
    m_reclaimSeat = 0;
    m_ownSeat = slot;
    m_loggedIn = true;
    m_tracker.setSeat(slot);
    notice(back ? QStringLiteral("You are back in your seat.")
                : QStringLiteral("Your seat was not kept for you: you join the table anew."));
    sendLogin();
}

void Tchat::grantHostRights()
{
    if (m_hostRights)
        return;
    m_hostRights = true;
    if (!m_hostFlag)
        notice(QStringLiteral("You are the host player of this table: you start the games."));
    StartGame1->setEnabled(true);
    if (!m_gameRunning) {
        button_start->show();
        button_start->raise();
    }
    spies.setRemovalAllowed(true);
    updateHostControls();
    if (m_waitingShown)
        showWaiting();
    // A table of its own plays its computers at this player's speed from
    // now on (a hosting copy's host already has it).
    if (m_loggedIn && !m_hostFlag)
        sendMessage("CMD_botspeed+" + QByteArray::number(m_ownSeat) + "+" + QByteArray::number(m_botDelay) + "+");
}

bool Tchat::extensionMessage(const QByteArray &name, const QByteArray &args)
{
    // Only a host that answered our announcement, made after our login, is
    // ours; the answer to a claim for our seat is the one that comes first.
    if (name == "CMD_velloc" ? !m_loggedIn : !m_ourHost && name != "CMD_reclaimed")
        return false;
    if (name == "CMD_velloc") {
        m_ourHost = true;
        m_reconnecting = false;
    } else if (name == "CMD_seattoken") {
        wire::FieldReader r(args);
        const int seat = r.nextInt();
        const QByteArray token = r.next();
        if (seat == m_ownSeat && isSeat(seat) && !token.isEmpty() && token.size() <= 64) {
            m_tokenSeat = seat;
            m_seatToken = token;
        }
    } else if (name == "CMD_youhost") {
        grantHostRights();
    } else if (name == "CMD_hostplayer") {
        const int slot = wire::FieldReader(args).nextInt();
        m_hostPlayerSlot = slot >= 0 && slot <= GameHost::MaxSlots ? slot : 0;
        if (!m_gameRunning)
            showWaiting();
    } else if (name == "CMD_seats") {
        seatsReported(args);
    } else if (name == "CMD_botname") {
        // Seat 1's computer name on a table of its own: shown when seat 1
        // is empty in a game or its player leaves.
        wire::FieldReader r(args);
        if (r.nextInt() == 1)
            m_seat1Bot = wire::toDisplay(r.rest()).left(12);
    } else if (name == "CMD_removed") {
        m_removed = true;
        m_endedBy = wire::toDisplay(args).left(GameHost::MaxNameShown);
    } else if (name == "CMD_tableclosed") {
        m_tableClosed = true;
        m_endedBy = wire::toDisplay(args).left(GameHost::MaxNameShown);
    } else if (name == "CMD_reclaimed") {
        reclaimed(args);
    } else if (name == "CMD_hints") {
        m_hintsAllowed = args.startsWith('t');
    } else {
        return false;
    }
    return true;
}

// --- computer players and the hint -------------------------------------------------

int Tchat::computerPlayersChosen() const { return m_forms.gamestart.built() ? m_forms.gamestart->computerPlayers() : m_computerPlayers; }

int Tchat::computerLevelChosen() const { return m_forms.gamestart.built() ? m_forms.gamestart->computerLevel() : m_computerLevel; }

bool Tchat::hintsChosen() const { return m_forms.gamestart.built() ? m_forms.gamestart->hintsAllowed() : m_allowHints; }

void Tchat::applyComputerChoice(int count, int level, bool hints)
{
    m_computerPlayers = count;
    m_computerLevel = level;
    m_allowHints = hints;
    if (m_hostFlag && m_forms.server) {
        GameHost &host = m_forms.server->game();
        host.setComputerPlayers(count);
        host.setComputerLevel(level);
        host.setHintsAllowed(hints);
    } else if (m_ourHost && hostRights() && m_loggedIn) {
        // Only our own tables know this message; others never hear it.
        sendMessage("CMD_computers+" + QByteArray::number(count) + "+" + QByteArray::number(level) + "+"
                    + (hints ? "t" : "f") + "+");
    }
}

bool Tchat::hintOffered() const { return m_args.isEmpty() || m_hintsAllowed; }

void Tchat::updateHint()
{
    Hint1->setEnabled(hintOffered() && m_loggedIn && m_turnSeat == m_ownSeat && m_ownSeat != 0 && m_tracker.myTurn());
}

void Tchat::Hint1Click()
{
    updateHint();
    if (!Hint1->isEnabled())
        return;
    const rules::Move m = players::decideStrong(m_tracker.view(), QRandomGenerator::global()->generate64());
    if (m.isPass()) {
        setStatus(QStringLiteral("Hint: pass."));
        return;
    }
    HandBone *bone = handBone(m_tracker.handNumber(m.bone));
    if (!bone)
        return;
    clearHint();
    clearselected();
    boneimagesMouseDown(bone, Qt::LeftButton);
    // The bone stays raised and its target marked until the player moves
    // or the turn ends; the status line says the same in words.
    const rules::Position &round = m_tracker.view().round;
    const int open = round.length[m.toe] == 0 ? round.spinner : round.end[m.toe];
    const bool flip = getbotnum(m.bone) == open && gettopnum(m.bone) != open;
    setStatus(QStringLiteral("Hint: play %1 on toe %2.").arg(GameLog::boneText(m.bone, flip)).arg(m.toe));
    m_hintToe = m.toe;
    m_flashToe = m.toe;
    m_flashCount = 7;
    if (ToeTarget *target = (m.toe >= 1 && m.toe <= Toes) ? image_toe[size_t(m.toe)] : nullptr)
        target->setMarked(true);
    m_flashTimer.start();
}

void Tchat::clearHint()
{
    m_flashTimer.stop();
    for (int t = 1; t <= Toes; ++t)
        image_toe[size_t(t)]->setMarked(t == m_targetCursor);
    if (m_hintToe >= 1 && m_hintToe <= Toes && m_turnSeat == m_ownSeat && m_ownSeat != 0)
        image_toe[size_t(m_hintToe)]->show();
    m_hintToe = 0;
}

// The hinted target blinks a few times and then stays shown and marked.
void Tchat::flashTick()
{
    ToeTarget *target = (m_flashToe >= 1 && m_flashToe <= Toes) ? image_toe[size_t(m_flashToe)] : nullptr;
    if (!target || m_turnSeat != m_ownSeat || --m_flashCount <= 0) {
        m_flashTimer.stop();
        if (target && m_turnSeat == m_ownSeat)
            target->show();
        return;
    }
    target->setVisible(m_flashCount % 2 == 0);
}
