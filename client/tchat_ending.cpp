// SPDX-License-Identifier: MIT
// The table window telling the player where things stand: why a table ended
// and what he can do next, who will start the game, whose turn it is, every
// seat's state for a player who arrives late, and the controls only the
// host player may use.
#include "tchat.h"

#include "gamehost.h"
#include "look.h"
#include "tablewidgets.h"
#include "tspylist.h"

#include <QAccessible>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace {
bool isSeat(int n) { return n >= 1 && n <= Tchat::Seats; }
} // namespace

void Tchat::setStatus(const QString &text)
{
    m_waitingShown = false;
    if (label_status->text() == text)
        return;
    label_status->setText(text);
    refreshAccessible();
    QAccessibleEvent changed(label_status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

QString Tchat::hostPlayerName() const
{
    if (hostRights())
        return QStringLiteral("You");
    // A table of ours says who holds the rights; any other host obeys seat 1.
    const int slot = m_ourHost ? m_hostPlayerSlot : 1;
    if (slot == m_ownSeat && slot != 0)
        return QStringLiteral("You");
    if (!isSeat(slot))
        return {};
    const QString name = seatName(slot);
    return name == QLatin1String("<Waiting>") || name == botName(slot) ? QString() : name;
}

QString Tchat::gameSummary(int computerPlayers) const
{
    // The host's rule: seat 2 when nobody sits there (and seat 1 at a table
    // of its own), then one more empty seat from 3 on for each above one.
    QStringList names;
    std::array<bool, Seats + 1> empty{};
    for (int s = 1; s <= Seats; ++s) {
        const QString n = seatName(s);
        empty[size_t(s)] = n == QLatin1String("<Waiting>") || n.isEmpty() || n == botName(s);
        if (!empty[size_t(s)])
            names << (s == m_ownSeat ? QStringLiteral("You") : n);
    }
    int computers = (empty[2] ? 1 : 0) + (empty[1] && !m_seat1Bot.isEmpty() ? 1 : 0);
    for (int s = 3, more = computerPlayers - 1; s <= Seats && more > 0; ++s)
        if (empty[size_t(s)]) {
            ++computers;
            --more;
        }
    if (computers > 0)
        names << (computers == 1 ? QStringLiteral("1 computer player")
                                 : QStringLiteral("%1 computer players").arg(computers));
    if (names.isEmpty())
        return {};
    const QString who = names.size() == 1 ? names.first()
                                          : names.mid(0, names.size() - 1).join(QStringLiteral(", "))
                                                + QStringLiteral(" and ") + names.last();
    return QStringLiteral("The game: %1.").arg(who);
}

void Tchat::showWaiting()
{
    if (m_gameRunning || !m_loggedIn || m_offer != Offer::None)
        return;
    const QString host = hostPlayerName();
    if (host == QLatin1String("You"))
        setStatus(QStringLiteral("Press Start Game to begin."));
    else if (!host.isEmpty())
        setStatus(QStringLiteral("Waiting for %1 to start the game.").arg(host));
    else
        setStatus(QStringLiteral("Waiting for the game to start."));
    m_waitingShown = true;
}

void Tchat::showTurnStatus(int seat)
{
    if (!isSeat(seat))
        return;
    setStatus(seat == m_ownSeat ? QStringLiteral("Your Turn.") : seatName(seat) + QStringLiteral("'s turn."));
}

void Tchat::updateHostControls()
{
    // Only the host player's speed counts at a table; for anyone else the
    // menu would promise what the host ignores.
    BotSpeed1->menuAction()->setEnabled(hostRights());
}

void Tchat::tableEnded(const QString &text)
{
    m_gameRunning = false;
    m_turnSeat = 0;
    for (int n = 1; n <= Seats; ++n)
        image_turn[size_t(n)]->hide();
    notice(text);
    const QList<GameLog::Standing> standings = m_gameLog.standings();
    QStringList lines;
    if (!standings.isEmpty()) {
        lines << (m_gameLog.standingsRound() > 0
                      ? QStringLiteral("Standings after round %1:").arg(m_gameLog.standingsRound())
                      : QStringLiteral("Standings:"));
        for (const GameLog::Standing &s : standings)
            lines << QStringLiteral("%1. %2 \u2013 %3").arg(s.place).arg(s.name).arg(s.total);
    }
    label_standings->setText(lines.join(QLatin1Char('\n')));
    label_standings->setAccessibleName(lines.join(QLatin1Char(' ')));
    showOffer(Offer::Ended, text);
}

// Every seat as the host holds it, for a player who arrived late or took
// his seat back: in the round or not, bones in hand, and the computer's name
// where the computer plays.
void Tchat::seatsReported(const QByteArray &args)
{
    const QList<QByteArray> f = args.split('+');
    for (qsizetype i = 0; i + 3 < f.size(); i += 4) {
        const int seat = strToInt(f[i]);
        if (!isSeat(seat))
            continue;
        const bool playing = f[i + 1] == "t";
        const int bones = strToInt(f[i + 2]);
        m_inGame[size_t(seat)] = playing;
        label_bones[size_t(seat)]->setText(playing && bones >= 0 && bones <= HandSlots ? QString::number(bones)
                                                                                        : QString());
        QLabel *name = label_playername[size_t(seat)];
        if (f[i + 3] == "t" && playing && name->text() == QLatin1String("<Waiting>") && !botName(seat).isEmpty())
            name->setText(botName(seat));
    }
    if (isSeat(m_turnSeat))
        showTurnStatus(m_turnSeat);
    refreshAccessible();
}

void Tchat::kicking(int slot)
{
    if (!hostRights() || !m_loggedIn)
        return;
    QString who;
    if (isSeat(slot))
        who = seatName(slot);
    else if (m_forms.spylist)
        for (int i = 0; i < m_forms.spylist->listbox_spys->count(); ++i)
            if (m_forms.spylist->listbox_spys->item(i)->text().startsWith(QString::number(slot) + QStringLiteral(": ")))
                who = m_forms.spylist->listbox_spys->item(i)->text().section(QStringLiteral(": "), 1);
    if (who.isEmpty() || who == QLatin1String("<Waiting>"))
        who = QStringLiteral("the player in slot %1").arg(slot);
    if (questionBox && !questionBox(this, QStringLiteral("Remove %1 from the table?").arg(who)))
        return;
    sendMessage("CMD_kickhim+" + QByteArray::number(m_ownSeat) + "+" + QByteArray::number(slot) + "+");
}
