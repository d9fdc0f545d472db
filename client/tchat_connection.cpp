// SPDX-License-Identifier: MIT
// The table window's side of the connection: reading, the dispatch tick,
// login, who sits where, watching, removal and the bot speed.
#include "tchat.h"

#include "failure.h"
#include "look.h"
#include "tserver.h"
#include "tspylist.h"

#include <QListWidget>
#include <QMenu>

namespace {
bool isSeat(int n) { return n >= 1 && n <= Tchat::Seats; }
} // namespace

void Tchat::notice(const QString &text) { addlinetochat(text, m_noticeColour); }

QString Tchat::seatName(int seat) const
{
    return isSeat(seat) ? label_playername[size_t(seat)]->text() : QString();
}

void Tchat::sockRead(TSock *s, int)
{
    const bool fits = m_framer.feed(s->Receive(), [this](QByteArray line) { receivedlist.push_back(std::move(line)); });
    const bool flooded = qsizetype(receivedlist.size()) > wire::MaxQueuedMessages;
    if (!fits || flooded) {
        // A host that never ends its message, or sends more than the host
        // itself would queue from a player, is not one we can follow.
        if (flooded)
            receivedlist.clear();
        s->Close();
        return;
    }
    if (!receivedlist.empty() && !Timer1.isActive())
        Timer1.start();
}

void Tchat::sockInfo(TSock *, TSocketInfo kind, const QString &msg)
{
    if (msg == QLatin1String("Socket Closed"))
        connectionLost();
    else if (kind == TSocketInfo::Error)
        sockError(msg);
}

void Tchat::connectionLost()
{
    // What already arrived ("Game is full", say) is shown before closing.
    m_lost = true;
    if (!Timer1.isActive())
        Timer1.start();
}

void Tchat::Timer1Timer()
{
    if (m_dispatching) {
        // A handler's message box runs its own event loop: rest until it
        // is closed rather than waking a thousand times a second.
        Timer1.stop();
        return;
    }
    if (receivedlist.empty()) {
        Timer1.stop();
        if (m_lost && !m_closing) {
            m_lost = false;
            lostConnection();
        }
        return;
    }
    const QByteArray line = std::move(receivedlist.front());
    receivedlist.pop_front();
    // Resting while the handler runs: a message box it opens must not see
    // this timer wake a thousand times a second.
    Timer1.stop();
    m_dispatching = true;
    try {
        processsocktimer(line);
    } catch (const EConvertError &) {
        // A malformed number ends this message's handling only.
    } catch (...) {
        m_dispatching = false;
        throw;
    }
    m_dispatching = false;
    if ((!receivedlist.empty() || m_lost) && !m_closing)
        Timer1.start();
}

void Tchat::cooldownTick()
{
    // 101 ticks of 20 ms: a phrase button works again after about two seconds.
    if (!m_phraseReady)
        ++m_cooldown;
    if (m_cooldown > 100) {
        m_phraseReady = true;
        m_cooldown = 0;
    }
    if (m_phraseReady)
        cooldownTimer.stop();
}

void Tchat::processsocktimer(const QByteArray &line)
{
    QByteArray name, args;
    if (!wire::splitCommand(line, name, args))
        return;
    // What this seat may know, for the hint.
    m_tracker.observe(line);
    if (name == "CMD_sendlogininfo")
        sendloginfo(args);
    else if (name == "CMD_chat" || name == "CMD_action")
        chatrecieved(args);
    else if (name == "CMD_newplayerinfo")
        newplayerinfo(args);
    else if (name == "CMD_havewrongversion")
        notice(wire::toDisplay(args) + QStringLiteral(" has a different version of the game then you."));
    else if (name == "CMD_wrongversion")
        notice(QStringLiteral("You have a differnt version of the game then the host."));
    else if (name == "CMD_existingplayers")
        newplayerinfo(args);
    else if (name == "CMD_playerdisconnected")
        playerdisconnected(args);
    else if (name == "CMD_startgame")
        startthegame(args);
    else if (name == "CMD_nextplayer")
        getnextplayer(args);
    else if (name == "CMD_winner")
        winner(args);
    else if (name == "CMD_full") {
        if (m_hostFlag) {
            showMessage(QStringLiteral("Game is full"));
            close();
        } else {
            // A joining player can try again later or play alone instead.
            m_answerTimer.stop();
            joinFailed(QStringLiteral("Game is full"));
        }
    } else if (name == "CMD_justwatching")
        justwatching(args);
    else if (name == "CMD_startround")
        startround(args);
    else if (name == "CMD_beginagain")
        beginagain(args);
    else if (name == "CMD_dealmybones")
        dealmybones(args);
    else if (name == "CMD_hepassed")
        hepassed(args);
    else if (name == "CMD_heplayed")
        heplayed(args);
    else if (name == "CMD_noplay")
        noplay(args);
    else if (name == "CMD_endround")
        endround(args);
    else if (name == "CMD_double")
        doubleplayed(args);
    else if (name == "CMD_gamestats")
        gamestats(args);
    else if (name == "CMD_youplay")
        youplay(args);
    else
        extensionMessage(name, args);
    logGame(name, args);
    refreshAccessible();
    updateHint();
}

void Tchat::sendloginfo(const QByteArray &args)
{
    const int slot = strToInt(args);
    m_answered = true;
    m_answerTimer.stop();
    if (m_reclaimSeat > 0 && !m_seatToken.isEmpty()) {
        // Back after a drop: ask for our own seat before logging in.
        m_ownSeat = slot;
        sendMessage("CMD_reclaimseat+" + QByteArray::number(m_reclaimSeat) + "+" + m_seatToken + "+");
        return;
    }
    m_reclaimSeat = 0;
    m_ownSeat = slot;
    m_loggedIn = true;
    m_tracker.setSeat(slot);
    setStatus(QStringLiteral("Connected."));
    sendLogin();
}

void Tchat::newplayerinfo(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int slot = r.nextInt();
    const QString name = wire::toDisplay(r.rest());
    if (slot < 1 || slot > 9)
        return;
    if (slot == m_ownSeat) {
        notice(QStringLiteral("You are Connected."));
        // Read once: after a reconnect the window stays where the player put it.
        if (!m_settingsLoaded)
            loadinifile();
        offerLobby();
    } else {
        notice(name + QStringLiteral(" is Connected."));
    }
    if (isSeat(slot)) {
        label_playername[size_t(slot)]->setText(name);
        label_playername[size_t(slot)]->show();
        label_score[size_t(slot)]->show();
        if (slot == m_ownSeat || m_waitingShown || label_status->text() == QLatin1String("Connected."))
            showWaiting();
    } else {
        spies.add(QString::number(slot) + QStringLiteral(": ") + name);
        notice(slot == m_ownSeat ? QStringLiteral("You are spying.") : name + QStringLiteral(" is spying."));
    }
    playsounds(QStringLiteral("entered"));
}

void Tchat::playerdisconnected(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int slot = r.nextInt();
    const QString name = wire::toDisplay(r.rest());
    if (isSeat(slot)) {
        QLabel *l = label_playername[size_t(slot)];
        const QString bot = botName(slot);
        if (l->text() != QLatin1String("<Waiting>") && l->text() != bot)
            notice(l->text() + QStringLiteral(" disconnected."));
        l->setText(bot);
        image_eyes[size_t(slot)]->hide();
        if (m_waitingShown)
            showWaiting();
        return;
    }
    if (slot < 7 || slot > 9 || !spies.remove(QString::number(slot) + QStringLiteral(": ") + name))
        return;
    notice(name + QStringLiteral(" has left."));
}

void Tchat::justwatching(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int seat = r.nextInt();
    if (!isSeat(seat))
        return;
    const QString label = label_playername[size_t(seat)]->text();
    if (r.rest() == "1") {
        if (seat == m_ownSeat)
            JustWatch1->setChecked(true);
        notice(label + QStringLiteral(" is just watching"));
        image_eyes[size_t(seat)]->show();
    } else {
        if (seat == m_ownSeat)
            JustWatch1->setChecked(false);
        notice(label + QStringLiteral(" is now playing again"));
        image_eyes[size_t(seat)]->hide();
    }
}

void Tchat::JustWatch1Click()
{
    // The check mark follows the host's answer, not the click.
    const bool watching = !JustWatch1->isChecked();
    JustWatch1->setChecked(watching);
    if (!m_loggedIn || !isSeat(m_ownSeat))
        return;
    sendMessage("CMD_justwatch+" + QByteArray::number(m_ownSeat) + (watching ? "+2" : "+1"));
}

void Tchat::label_playername1ContextPopup(int seat, const QPoint &globalPos)
{
    for (QAction *a : {RemoveFromGame1, SettoJustWatch1, UnsetJustWatch1})
        a->setEnabled(hostRights());
    if (label_playername[size_t(seat)]->text() == QLatin1String("<Waiting>"))
        RemoveFromGame1->setEnabled(false);
    popupKickTag = seat;
    // A menu of nothing but greyed entries is no use to anyone.
    const bool any = RemoveFromGame1->isEnabled() || SettoJustWatch1->isEnabled() || UnsetJustWatch1->isEnabled();
    if (!globalPos.isNull() && any)
        popup_kick->popup(globalPos);
}

void Tchat::Fast1Click(int delay)
{
    m_botDelay = delay;
    Slow1->setChecked(delay == 2000);
    Normal1->setChecked(delay == 1000);
    Fast1->setChecked(delay == 500);
    if (m_forms.server)
        m_forms.server->setBotDelay(delay);
    if (m_loggedIn)
        sendMessage("CMD_botspeed+" + QByteArray::number(m_ownSeat) + "+" + QByteArray::number(delay) + "+");
    savePreference(QStringLiteral("Botspeed"));
}
