// SPDX-License-Identifier: MIT
// The player's hand (raise, lower, swap, sort) and the board drawn from its
// cell table, with the toe targets that move along the toes.
#include "tchat.h"

#include "bones.h"
#include "tablewidgets.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace {
constexpr int RowY[] = {0, 68, 128, 192};
constexpr int Rest = 12;
constexpr int Raised = 4;

int slotLeft(int slot) { return 40 * slot - 36; }
} // namespace

// --- hand ------------------------------------------------------------------

HandBone *Tchat::handBone(int handnum) const
{
    return handSurface->findChild<HandBone *>(QStringLiteral("bone%1").arg(handnum), Qt::FindDirectChildrenOnly);
}

void Tchat::placeSlot(int slot)
{
    if (HandBone *b = handBone(handslots[size_t(slot)].handnum))
        b->move(slotLeft(slot), b->y());
}

void Tchat::raiseSlots(int from)
{
    for (int i = from; i <= HandSlots; ++i)
        if (!handslots[size_t(i)].free)
            if (HandBone *b = handBone(handslots[size_t(i)].handnum))
                b->raise();
}

void Tchat::layoutHand()
{
    int used = 0;
    for (int i = 1; i <= HandSlots; ++i)
        used += handslots[size_t(i)].free ? 0 : 1;
    const QSize view = panel_bones->viewport()->size();
    handSurface->resize(qMax(view.width(), slotLeft(used) + 34 + 4), view.height());
}

void Tchat::createbone(int handnum, int bone)
{
    // Only real bones, and never a hand number the hand already holds.
    if (!bones::valid(bone) || handnum < 1 || handnum > HandSlots || handBone(handnum))
        return;
    int i = 1;
    while (i <= HandSlots && !handslots[size_t(i)].free)
        ++i;
    if (i > HandSlots)
        return;
    handslots[size_t(i)] = {false, handnum};
    auto *b = new HandBone(handnum, bone, handSurface);
    b->move(slotLeft(i), Rest);
    b->onMouseDown = [this](HandBone *hb, Qt::MouseButton button) { boneimagesMouseDown(hb, button); };
    b->onKey = [this](HandBone *hb, QKeyEvent *e) { return handKey(hb, e); };
    b->show();
    if (!handBone(m_handCursor))
        setHandCursor(handnum, false);
    raiseSlots(i);
    layoutHand();
}

void Tchat::freebone(int handnum)
{
    HandBone *gone = handBone(handnum);
    const bool hadFocus = gone && gone->hasFocus();
    int slot = 0;
    for (int i = 1; i <= HandSlots; ++i)
        if (!handslots[size_t(i)].free && handslots[size_t(i)].handnum == handnum)
            slot = i;
    delete gone;
    movebone(handnum);
    // The focus stays in the hand, on the bone that moved into the gap.
    if (handnum == m_handCursor || !handBone(m_handCursor)) {
        m_handCursor = 0;
        for (int i = qMin(slot, HandSlots); i >= 1 && !m_handCursor; --i)
            if (!handslots[size_t(i)].free)
                setHandCursor(handslots[size_t(i)].handnum, hadFocus);
    }
}

void Tchat::movebone(int handnum)
{
    int i = 1;
    while (i <= HandSlots && (handslots[size_t(i)].free || handslots[size_t(i)].handnum != handnum))
        ++i;
    if (i > HandSlots)
        return;
    handslots[size_t(i)] = {true, -1};
    for (int j = i + 1; j <= HandSlots; ++j) {
        if (handslots[size_t(j)].free)
            continue;
        if (HandBone *b = handBone(handslots[size_t(j)].handnum)) {
            b->move(slotLeft(j - 1), b->y());
            b->raise();
            b->show();
        }
        handslots[size_t(j - 1)] = handslots[size_t(j)];
        handslots[size_t(j)] = {true, -1};
    }
    for (int k = 1; k <= HandSlots; ++k)
        if (!handslots[size_t(k)].free)
            if (HandBone *b = handBone(handslots[size_t(k)].handnum); b && b->y() != Rest)
                b->move(b->x(), Rest);
    layoutHand();
}

void Tchat::clearallbones()
{
    handslots.fill(Slot{});
    m_handCursor = 0;
    const auto bonesNow = handSurface->findChildren<HandBone *>(Qt::FindDirectChildrenOnly);
    for (auto it = bonesNow.rbegin(); it != bonesNow.rend(); ++it)
        if ((*it)->objectName().startsWith(QLatin1String("bone")))
            delete *it;
    layoutHand();
}

void Tchat::clearselected()
{
    for (int i = 1; i <= HandSlots; ++i)
        if (!handslots[size_t(i)].free)
            if (HandBone *b = handBone(handslots[size_t(i)].handnum); b && b->y() != Rest)
                b->move(b->x(), Rest);
    selectedbone = -1;
}

void Tchat::sortthem()
{
    for (int pass = 0; pass < HandSlots; ++pass)
        for (int s = HandSlots; s >= 2; --s) {
            if (handslots[size_t(s)].free || handslots[size_t(s - 1)].free)
                continue;
            HandBone *upper = handBone(handslots[size_t(s)].handnum);
            HandBone *lower = handBone(handslots[size_t(s - 1)].handnum);
            if (!upper || !lower)
                return; // a picture went missing: leave the hand as it is
            if (lower->hint() > upper->hint()) {
                std::swap(handslots[size_t(s)].handnum, handslots[size_t(s - 1)].handnum);
                placeSlot(s);
                placeSlot(s - 1);
            }
        }
    raiseSlots(1);
}

void Tchat::boneimagesMouseDown(HandBone *bone, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        sortthem();
        playsounds(QStringLiteral("sort"));
        return;
    }
    if (button != Qt::LeftButton || !m_loggedIn || m_turnSeat != m_ownSeat || m_ownSeat == 0)
        return;
    if (bone->y() == Raised) {
        bone->move(bone->x(), Rest);
        selectedbone = -1;
        playsounds(QStringLiteral("clearbone"));
        return;
    }
    if (selectedbone != -1) {
        if (HandBone *raised = handBone(selectedbone))
            raised->move(raised->x(), Rest);
        int a = 0, b = 0;
        for (int i = 1; i <= HandSlots; ++i) {
            if (handslots[size_t(i)].free)
                continue;
            if (handslots[size_t(i)].handnum == selectedbone)
                a = i;
            if (handslots[size_t(i)].handnum == bone->tag())
                b = i;
        }
        if (a && b) {
            selectedbone = -1;
            std::swap(handslots[size_t(a)].handnum, handslots[size_t(b)].handnum);
            placeSlot(a);
            placeSlot(b);
            raiseSlots(1);
            playsounds(QStringLiteral("sort"));
            return;
        }
    }
    bone->move(bone->x(), Raised);
    selectedbone = bone->tag();
    playsounds(QStringLiteral("selectbone"));
}

// --- board ---------------------------------------------------------------

void Tchat::emptyCells()
{
    for (auto &toe : cells)
        for (auto &c : toe)
            c = Cell{};
}

void Tchat::resetTargets()
{
    for (int t = 1; t <= Toes; ++t) {
        targetTag[size_t(t)] = 1;
        image_toe[size_t(t)]->move(68, RowY[t]);
    }
}

void Tchat::clearboard()
{
    panel_board->horizontalScrollBar()->setValue(0);
    resetTargets();
    updateBoardExtent();
    paintbox_board->update();
}

// The surface grows with the longest toe, so every bone and target stays
// reachable by scrolling, up to the fortieth position.
void Tchat::updateBoardExtent()
{
    int right = 770;
    for (int t = 1; t <= Toes; ++t) {
        for (int p = Positions; p >= 1; --p)
            if (cells[t][p].bone) {
                right = qMax(right, 67 * (p + 1) - 3 + 66 + 8);
                break;
            }
        if (!image_toe[size_t(t)]->isHidden())
            right = qMax(right, image_toe[size_t(t)]->x() + 66 + 8);
    }
    const QSize view = panel_board->viewport()->size();
    paintbox_board->resize(qMin(qMax(view.width(), right), 67 * (Positions + 1) + 8), qMax(view.height(), 230));
}

void Tchat::placePlayedBone(int toe, int pos, int bone, bool flip, bool moveTarget)
{
    cells[toe][pos] = {bone, flip};
    if (moveTarget) {
        ToeTarget *target = image_toe[size_t(toe)];
        target->move(66 * pos + 70, RowY[toe]);
        targetTag[size_t(toe)] += 1;
    }
    updateBoardExtent();
    paintbox_board->update();
}

void Tchat::placeSpinnerCell(int bone)
{
    cells[0][1] = {bone, false};
    spinnerbone = bone;
    paintbox_board->update();
}

void Tchat::placeboardbone(QPainter &p, int bone, int x, bool flip, int y) const
{
    if (!bones::valid(bone))
        return;
    static const QPixmap back = artwork(QStringLiteral("bone_back_h.png"), {66, 34});
    const int left = flip ? getbotnum(bone) : gettopnum(bone);
    const int right = flip ? gettopnum(bone) : getbotnum(bone);
    p.drawPixmap(QRect(x, y, 66, 34), back);
    p.drawPixmap(QRect(x + 3, y + 3, 28, 28), artwork(QStringLiteral("dots_h_%1.png").arg(left), {28, 28}));
    p.drawPixmap(QRect(x + 35, y + 3, 28, 28), artwork(QStringLiteral("dots_h_%1.png").arg(right), {28, 28}));
}

void Tchat::placespinner(QPainter &p, int bone, int x, int y) const
{
    if (!bones::valid(bone))
        return;
    static const QPixmap back = artwork(QStringLiteral("bone_back_v.png"), {34, 66});
    p.drawPixmap(QRect(x, y, 34, 66), back);
    p.drawPixmap(QRect(x + 2, y + 3, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(gettopnum(bone)), {28, 28}));
    p.drawPixmap(QRect(x + 2, y + 35, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(getbotnum(bone)), {28, 28}));
}

void Tchat::paintbox_boardPaint(QPainter &p) const
{
    // Every occupied cell, however long the toe.
    for (int t = 1; t <= Toes; ++t)
        for (int pos = 1; pos <= Positions; ++pos)
            if (cells[t][pos].bone != 0)
                placeboardbone(p, cells[t][pos].bone, 67 * pos - 3, cells[t][pos].flip, RowY[t]);
    placespinner(p, spinnerbone, spinnerpos.x(), spinnerpos.y());
    // The last bone played stays marked until the next play.
    QRect mark;
    if (m_markToe == 0 && spinnerbone != -1)
        mark = QRect(spinnerpos, QSize(34, 66));
    else if (m_markToe >= 1 && m_markToe <= Toes && m_markPos >= 1 && cells[m_markToe][m_markPos].bone)
        mark = QRect(67 * m_markPos - 3, RowY[m_markToe], 66, 34);
    if (!mark.isNull()) {
        // Gold bars above and below, in the free space between the rows, so
        // the bone itself and its neighbours stay as they are drawn.
        const QColor gold(255, 215, 0);
        p.fillRect(QRect(mark.left() + 2, mark.top() - 4, mark.width() - 4, 3), gold);
        p.fillRect(QRect(mark.left() + 2, mark.bottom() + 2, mark.width() - 4, 3), gold);
    }
}
