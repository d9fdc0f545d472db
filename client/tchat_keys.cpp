// SPDX-License-Identifier: MIT
// Playing from the keyboard: one bone of the hand holds the focus and the
// arrows move it along; Return or Space raises it, 1, 2 and 3 (or Up, Down
// and Return) put it on a toe; P passes, S starts, O sorts, H hints.
#include "tchat.h"

#include "tablewidgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>

namespace {
// Keys a player may press anywhere in the table but in the chat entry,
// which takes plain letters as text.
QShortcut *tableKey(Tchat *chat, Qt::Key key, std::function<void()> act)
{
    auto *s = new QShortcut(QKeySequence(key), chat);
    s->setContext(Qt::WindowShortcut);
    QObject::connect(s, &QShortcut::activated, chat, std::move(act));
    return s;
}
} // namespace

void Tchat::createKeys()
{
    tableKey(this, Qt::Key_P, [this] {
        if (!button_pass->isHidden())
            button_pass->click();
    });
    tableKey(this, Qt::Key_S, [this] {
        if (!button_start->isHidden())
            button_start->click();
    });
}

void Tchat::setHandCursor(int handnum, bool focus)
{
    HandBone *next = handBone(handnum);
    if (HandBone *old = handBone(m_handCursor); old && old != next)
        old->setFocusPolicy(Qt::NoFocus);
    const bool changed = m_handCursor != handnum;
    m_handCursor = next ? handnum : 0;
    if (!next)
        return;
    next->setFocusPolicy(Qt::StrongFocus);
    if (changed)
        applyTabOrder();
    if (focus) {
        next->setFocus(Qt::TabFocusReason);
        panel_bones->ensureWidgetVisible(next, 4, 0);
    }
}

void Tchat::focusHand(bool force)
{
    if (!handBone(m_handCursor)) {
        for (int i = 1; i <= HandSlots && !handBone(m_handCursor); ++i)
            if (!handslots[size_t(i)].free)
                setHandCursor(handslots[size_t(i)].handnum, false);
    }
    HandBone *bone = handBone(m_handCursor);
    if (!bone)
        return;
    // Never from the chat entry or another window: the player may be typing.
    QWidget *now = QApplication::focusWidget();
    const bool neutral = !now || now == this || now->window() != this || qobject_cast<HandBone *>(now)
                         || qobject_cast<ToeTarget *>(now) || now == button_pass || now == button_start;
    if (force || (neutral && isActiveWindow()) || (neutral && !now))
        setHandCursor(m_handCursor, true);
}

bool Tchat::handKey(HandBone *bone, QKeyEvent *e)
{
    int slot = 0;
    for (int i = 1; i <= HandSlots; ++i)
        if (!handslots[size_t(i)].free && handslots[size_t(i)].handnum == bone->tag())
            slot = i;
    if (slot == 0)
        return false;
    auto moveTo = [this](int s) {
        if (s >= 1 && s <= HandSlots && !handslots[size_t(s)].free)
            setHandCursor(handslots[size_t(s)].handnum, true);
    };
    int last = 0;
    for (int i = 1; i <= HandSlots; ++i)
        if (!handslots[size_t(i)].free)
            last = i;
    const int key = e->key();
    switch (key) {
    case Qt::Key_Left:
        moveTo(slot - 1);
        return true;
    case Qt::Key_Right:
        moveTo(slot + 1);
        return true;
    case Qt::Key_Home:
        moveTo(1);
        return true;
    case Qt::Key_End:
        moveTo(last);
        return true;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_targetCursor && selectedbone != -1)
            playOnToe(m_targetCursor, bone);
        else
            boneimagesMouseDown(bone, Qt::LeftButton);
        return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        playOnToe(key - Qt::Key_0, bone);
        return true;
    case Qt::Key_Up:
        moveTargetCursor(-1);
        return true;
    case Qt::Key_Down:
        moveTargetCursor(1);
        return true;
    case Qt::Key_Escape:
        if (m_targetCursor) {
            moveTargetCursor(0);
        } else if (selectedbone != -1) {
            if (HandBone *raised = handBone(selectedbone))
                boneimagesMouseDown(raised, Qt::LeftButton);
        } else {
            return false;
        }
        return true;
    case Qt::Key_Menu:
        boneimagesMouseDown(bone, Qt::RightButton);
        return true;
    case Qt::Key_F10:
        if (e->modifiers() & Qt::ShiftModifier) {
            boneimagesMouseDown(bone, Qt::RightButton);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Up and Down go through the toes open to this turn; 0 clears the choice.
void Tchat::moveTargetCursor(int step)
{
    QList<int> open;
    if (m_turnSeat == m_ownSeat && m_ownSeat != 0)
        for (int t = 1; t <= Toes; ++t)
            if (!image_toe[size_t(t)]->isHidden())
                open << t;
    if (step == 0 || open.isEmpty()) {
        m_targetCursor = 0;
        if (step != 0)
            announce(QStringLiteral("No toe is open to you now."));
    } else {
        const qsizetype at = open.indexOf(m_targetCursor);
        const qsizetype n = open.size();
        m_targetCursor = open[at < 0 ? (step > 0 ? 0 : n - 1) : ((at + step) % n + n) % n];
        announce(image_toe[size_t(m_targetCursor)]->accessibleName());
    }
    for (int t = 1; t <= Toes; ++t)
        image_toe[size_t(t)]->setMarked(t == m_targetCursor || t == m_hintToe);
    if (m_targetCursor)
        panel_board->ensureWidgetVisible(image_toe[size_t(m_targetCursor)], 8, 0);
}

// A number key on the hand: the raised bone (or, with none raised, the one
// with the focus) goes on that toe.
void Tchat::playOnToe(int toe, HandBone *focused)
{
    if (toe < 1 || toe > Toes || m_turnSeat != m_ownSeat || m_ownSeat == 0) {
        announce(QStringLiteral("It is not your turn."));
        return;
    }
    if (image_toe[size_t(toe)]->isHidden()) {
        announce(QStringLiteral("Toe %1 is not open to you now.").arg(toe));
        return;
    }
    if (selectedbone == -1 && focused)
        boneimagesMouseDown(focused, Qt::LeftButton);
    if (selectedbone == -1)
        return;
    image_toe1Click(toe);
}
