// SPDX-License-Identifier: MIT
// The table window following a game: turns, plays, passes, doubles, round
// scores, the winner, and a latecomer's view rebuilt from the game state.
#include "tchat.h"

#include "bones.h"
#include "tablewidgets.h"
#include "tgamestart.h"
#include "ttallylist.h"

#include <QScrollArea>
#include <QScrollBar>

namespace {
bool isSeat(int n) { return n >= 1 && n <= Tchat::Seats; }

QList<QByteArray> fieldsOf(const QByteArray &args) { return args.split('+'); }
} // namespace

QStringList Tchat::namesAtTable() const
{
    QStringList names;
    for (int s = 1; s <= Seats; ++s) {
        const QString n = label_playername[size_t(s)]->text();
        if (s != m_ownSeat && n != QLatin1String("<Waiting>"))
            names << n;
    }
    return names;
}

void Tchat::loadchecklist()
{
    if (m_forms.tallylist)
        m_forms.tallylist->loadchecklist(namesAtTable());
}

void Tchat::clearall()
{
    for (int n = 1; n <= Seats; ++n) {
        label_score[size_t(n)]->setText(QStringLiteral("0"));
        label_bonus[size_t(n)]->clear();
        label_bones[size_t(n)]->clear();
        image_turn[size_t(n)]->hide();
    }
    spinnerpos = {16, 124};
    // Every cell, not just the first twenty: a long toe of the last game
    // must not reappear in the next.
    emptyCells();
    clearboard();
    clearallbones();
}

void Tchat::hideTargets()
{
    for (int t = 1; t <= Toes; ++t)
        image_toe[size_t(t)]->hide();
}

void Tchat::button_startClick()
{
    if (m_loggedIn && m_forms.gamestart)
        m_forms.gamestart->show();
    else if (!m_loggedIn)
        showMessage(QStringLiteral("You are not connected"));
}

void Tchat::startthegame(const QByteArray &args)
{
    wire::FieldReader r(args);
    const QString starter = wire::toDisplay(r.next());
    const QByteArray rounds = r.next();
    hideGameButton(button_start);
    JustWatch1->setChecked(false);
    panel_winner->hide();
    label_notplaying->hide();
    // The host stops everyone's watching at a game start.
    for (int n = 1; n <= Seats; ++n)
        image_eyes[size_t(n)]->hide();
    clearall();
    m_roundsToPlay = wire::toDisplay(rounds);
    notice(ownLine(starter + QStringLiteral(" has started a game.")));
    m_gameRunning = true;
    m_inGame.fill(false);
    label_finalstandings->hide();
    m_markToe = -1;
    for (int n = 1; n <= Seats; ++n)
        if (label_playername[size_t(n)]->text() == botName(n))
            label_playername[size_t(n)]->setText(QStringLiteral("<Waiting>"));
    if (label_playername[2]->text() == QLatin1String("<Waiting>"))
        label_playername[2]->setText(QStringLiteral("Klot"));
    // A table of its own plays an empty seat 1 too.
    if (!m_seat1Bot.isEmpty() && label_playername[1]->text() == QLatin1String("<Waiting>"))
        label_playername[1]->setText(m_seat1Bot);
}

void Tchat::startround(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (f.size() < 3)
        return;
    const int round = strToInt(f[0]);
    const int spinner = strToInt(f[1]);
    const int each = strToInt(f[2]);
    for (int i = 3; i + 1 < f.size(); i += 2) {
        const int seat = strToInt(f[i]);
        if (!isSeat(seat))
            continue;
        label_bones[size_t(seat)]->setText(f[i + 1] == "t" ? QString::number(each) : QString());
        m_inGame[size_t(seat)] = f[i + 1] == "t";
        // A seat in the round that nobody announced is a computer's.
        QLabel *name = label_playername[size_t(seat)];
        if (f[i + 1] == "t" && name->text() == QLatin1String("<Waiting>") && !botName(seat).isEmpty())
            name->setText(botName(seat));
    }
    hideTargets();
    clearboard();
    clearallbones();
    emptyCells();
    spinnerbone = bones::valid(spinner) ? spinner : -1;
    m_markToe = -1;
    paintbox_board->update();
    for (int n = 1; n <= Seats; ++n)
        label_bonus[size_t(n)]->clear();
    label_round->setText(QStringLiteral("Round: %1 of %2").arg(round).arg(m_roundsToPlay));
    label_round->adjustSize();
}

void Tchat::dealmybones(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (strToInt(f.value(0)) != m_ownSeat)
        return;
    label_notplaying->hide();
    for (int i = 1; i + 1 < f.size(); i += 2)
        createbone(strToInt(f[i]), strToInt(f[i + 1]));
    focusHand(false);
}

void Tchat::getnextplayer(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (f.size() < 8)
        return;
    const int seat = strToInt(f[0]);
    strToInt(f[1]); // the play mode: read, not needed here
    int pos[Toes + 1] = {};
    for (int t = 1; t <= Toes; ++t)
        pos[t] = strToInt(f[4 + t]);
    if (!isSeat(seat))
        return;
    m_turnSeat = seat;
    hideGameButton(button_pass);
    clearHint();
    m_targetCursor = 0;
    clearselected();
    for (int n = 1; n <= Seats; ++n)
        image_turn[size_t(n)]->hide();
    image_turn[size_t(seat)]->show();
    showTurnStatus(seat);
    if (seat == m_ownSeat) {
        playsounds(m_turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
        button_pass->show();
        for (int t = 1; t <= Toes; ++t) {
            if (f[1 + t] != "t" || pos[t] < 1 || pos[t] > Positions)
                continue;
            ToeTarget *target = image_toe[size_t(t)];
            target->move(66 * pos[t] + 2, target->y());
            targetTag[size_t(t)] = pos[t];
            target->show();
            target->raise();
        }
        updateBoardExtent();
        focusHand(false);
    }
}

void Tchat::image_toe1Click(int toe)
{
    if (m_turnSeat != m_ownSeat || m_ownSeat == 0)
        return;
    if (m_loggedIn)
        sendMessage("CMD_playbone+" + QByteArray::number(m_ownSeat) + "+" + QByteArray::number(selectedbone) + "+"
                    + QByteArray::number(toe) + "+" + QByteArray::number(targetTag[size_t(toe)]) + "+");
    m_turnSeat = 0; // nothing more until the host answers
    clearHint();
    updateHint();
}

void Tchat::heplayed(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (f.size() < 7)
        return;
    const int seat = strToInt(f[0]), handnum = strToInt(f[1]), bone = strToInt(f[2]);
    const int toe = strToInt(f[3]), pos = strToInt(f[4]);
    const QByteArray left = f[6];
    if (!isSeat(seat) || !bones::valid(bone) || toe < 0 || toe > Toes || pos < 0 || pos > Positions
        || (pos > 0 && toe < 1))
        return;
    label_bones[size_t(seat)]->setText(QString::fromLatin1(left));
    const bool flip = f[5] == "t";
    if (pos == 0)
        placeSpinnerCell(bone);
    else
        placePlayedBone(toe, pos, bone, flip, true);
    m_markToe = pos == 0 ? 0 : toe;
    m_markPos = pos;
    if (seat == m_ownSeat) {
        hideGameButton(button_pass);
        hideTargets();
        freebone(handnum);
    }
    playsounds(QStringLiteral("placebone"));
}

void Tchat::doubleplayed(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (f.size() < 7)
        return;
    const int seat = strToInt(f[0]), handnum = strToInt(f[1]), bone = strToInt(f[2]);
    const int toe = strToInt(f[3]), pos = strToInt(f[4]);
    if (!isSeat(seat) || !bones::valid(bone) || toe < 0 || toe > Toes || pos < 0 || pos > Positions
        || (pos > 0 && toe < 1))
        return;
    hideTargets();
    setStatus(QStringLiteral("New Spinner Loaded!"));
    label_bones[size_t(seat)]->setText(QString::fromLatin1(f[6]));
    if (pos == 0)
        placeSpinnerCell(bone);
    else
        placePlayedBone(toe, pos, bone, f[5] == "t", false);
    m_markToe = pos == 0 ? 0 : toe;
    m_markPos = pos;
    if (seat == m_ownSeat) {
        hideGameButton(button_pass);
        freebone(handnum);
    }
    playsounds(QStringLiteral("double"));
}

void Tchat::beginagain(const QByteArray &args)
{
    const int bone = strToInt(wire::FieldReader(args).next());
    clearboard();
    emptyCells();
    spinnerbone = bones::valid(bone) ? bone : -1;
    // The double just played is the new spinner: it stays the marked bone.
    m_markToe = spinnerbone == -1 ? -1 : 0;
    paintbox_board->update();
    for (int n = 1; n <= Seats; ++n)
        label_bonus[size_t(n)]->clear();
    setStatus(QStringLiteral("New Spinner Loaded!"));
    label_round->update();
}

void Tchat::button_passClick()
{
    hideGameButton(button_pass);
    clearHint();
    hideTargets();
    if (m_turnSeat == m_ownSeat && m_loggedIn && m_ownSeat != 0)
        sendMessage("CMD_hepasses+" + QByteArray::number(m_ownSeat) + "+");
}

void Tchat::hepassed(const QByteArray &args)
{
    const int seat = strToInt(wire::FieldReader(args).next());
    if (!isSeat(seat))
        return;
    if (seat == m_ownSeat) {
        setStatus(QStringLiteral("You passed."));
        hideGameButton(button_pass);
        clearselected();
        playsounds(QStringLiteral("pass"));
    } else {
        setStatus(label_playername[size_t(seat)]->text() + QStringLiteral(" passed."));
    }
}

void Tchat::noplay(const QByteArray &args)
{
    const int seat = strToInt(wire::FieldReader(args).next());
    if (seat != m_ownSeat || !isSeat(seat))
        return;
    m_turnSeat = m_ownSeat;
    clearselected();
    setStatus(QStringLiteral("That is not a valid play"));
    playsounds(QStringLiteral("invalid"));
}

void Tchat::endround(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    const int wentOut = strToInt(f.value(0));
    hideTargets();
    playsounds(wentOut != 0 ? QStringLiteral("roundover") : QStringLiteral("blocked"));
    setStatus(QStringLiteral("Posting Scores, Please Wait.."));
    for (int i = 1; i + 2 < f.size(); i += 3) {
        const int seat = strToInt(f[i]);
        const int score = strToInt(f[i + 1]);
        if (!isSeat(seat))
            continue;
        label_bonus[size_t(seat)]->setText(score > 0 ? QStringLiteral("+%1").arg(score) : QString::number(score));
        label_score[size_t(seat)]->setText(QString::fromLatin1(f[i + 2]));
    }
}

void Tchat::winner(const QByteArray &args)
{
    // The name is everything but the final "+": a name may hold "+" itself.
    const QString name = wire::toDisplay(args.endsWith('+') ? args.chopped(1) : args);
    hideTargets();
    playsounds(QStringLiteral("winner"));
    panel_board->horizontalScrollBar()->setValue(0);
    const bool mine = isSeat(m_ownSeat) && label_playername[size_t(m_ownSeat)]->text() == name;
    const QString text = mine ? QStringLiteral("You have Won the Game!") : name + QStringLiteral(" has Won the Game!");
    label_winner1->setText(text);
    label_winner2->setText(text);
    setStatus(QStringLiteral("Game Over!"));
    notice(text);
    label_round->raise();
    panel_winner->show();
    panel_winner->raise();
    for (int n = 1; n <= Seats; ++n)
        image_turn[size_t(n)]->hide();
    hideGameButton(button_pass);
    m_gameRunning = false;
    showFinalStandings();
    if (hostRights()) {
        button_start->show();
        button_start->raise();
    }
    if (isSeat(m_ownSeat) && m_forms.tallylist)
        m_forms.tallylist->addgame(mine ? QStringLiteral("addtomine") : name, mine, namesAtTable());
}

void Tchat::youplay(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int option = r.nextInt();
    const int slot = r.nextInt();
    if (slot == m_ownSeat && (option == 2 || option == 3))
        label_notplaying->setText(QStringLiteral("Round already in progress.."));
}

void Tchat::gamestats(const QByteArray &args)
{
    const QList<QByteArray> f = fieldsOf(args);
    if (f.size() < 12)
        return;
    const int turn = strToInt(f[0]);
    const int round = strToInt(f[1]);
    strToInt(f[2]);
    const int spinner = strToInt(f[3]);
    m_gameRunning = true;
    for (int n = 1; n <= Seats; ++n)
        strToInt(f[4 + n]);
    m_turnSeat = turn;
    m_roundsToPlay = QString::fromLatin1(f[2]);
    for (int n = 1; n <= Seats; ++n)
        label_score[size_t(n)]->setText(QString::fromLatin1(f[4 + n]));
    clearboard();
    clearallbones();
    emptyCells();
    label_round->setText(QStringLiteral("Round: %1 of %2").arg(round).arg(m_roundsToPlay));
    label_round->adjustSize();
    label_notplaying->setVisible(f[4] == "f" && isSeat(m_ownSeat));
    // During the pause after a double the host reports the double's bone
    // number, which names no spinner value: nothing is drawn until the next.
    spinnerbone = bones::doubleof(spinner);
    m_markToe = -1;
    if (isSeat(m_ownSeat))
        m_inGame[size_t(m_ownSeat)] = f[4] == "t";
    paintbox_board->update();
    for (int n = 1; n <= Seats; ++n)
        image_turn[size_t(n)]->hide();
    if (turn == m_ownSeat && isSeat(turn)) {
        for (int t = 1; t <= Toes; ++t)
            image_toe[size_t(t)]->show();
        setStatus(QStringLiteral("Your Turn"));
        // Without the pass button a player with no fitting bone could not go on.
        button_pass->show();
    } else if (isSeat(turn)) {
        showTurnStatus(turn);
    } else {
        // A pause between rounds or after a double: nobody may move now.
        setStatus(QStringLiteral("Round %1 of %2 is under way.").arg(round).arg(m_roundsToPlay));
    }
    if (isSeat(turn))
        image_turn[size_t(turn)]->show();
    if (f.size() == 12 && f[11] == "*")
        return;
    for (int i = 11; i + 3 < f.size(); i += 4) {
        const int toe = strToInt(f[i]), pos = strToInt(f[i + 1]), bone = strToInt(f[i + 2]);
        if (toe < 1 || toe > Toes || pos < 1 || pos > Positions || !bones::valid(bone))
            continue;
        placePlayedBone(toe, pos, bone, f[i + 3] == "t", true);
    }
}
