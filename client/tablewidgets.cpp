// SPDX-License-Identifier: MIT
#include "tablewidgets.h"

#include "bones.h"
#include "gamelog.h"
#include "look.h"
#include "tchat.h"
#include "velloc_resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

QPixmap artwork(const QString &name, QSize size)
{
    initVellocResources();
    QPixmap p = artPixmap(QStringLiteral(":/images/") + name);
    if (!p.isNull())
        return p;
    p = QPixmap(size);
    p.fill(look::Cream);
    return p;
}

PictureButton::PictureButton(const QString &picture, const QString &hoverPicture, const QString &text,
                             QWidget *parent)
    : QAbstractButton(parent)
{
    initVellocResources();
    m_picture = artPixmap(QStringLiteral(":/images/") + picture);
    m_hover = artPixmap(QStringLiteral(":/images/") + hoverPicture);
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(text);
    setAccessibleName(text);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool lit = m_under || hasFocus() || isDown();
    const QPixmap &pic = lit && !m_hover.isNull() ? m_hover : m_picture;
    if (!pic.isNull()) {
        p.drawPixmap(rect(), pic);
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(lit ? look::DarkGreen : look::Cream);
        p.setPen(Qt::black);
        p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 4, 4);
        p.setPen(lit ? look::Cream : Qt::black);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    if (hasFocus()) {
        p.setPen(QPen(look::Cream, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void PictureButton::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void PictureButton::enterEvent(QEnterEvent *)
{
    m_under = true;
    update();
}

void PictureButton::leaveEvent(QEvent *)
{
    m_under = false;
    update();
}


BoardSurface::BoardSurface(Tchat *chat, QWidget *parent)
    : QWidget(parent), m_chat(chat), m_backdrop(artwork(QStringLiteral("boardback.png"), {756, 312}))
{
    setObjectName(QStringLiteral("paintbox_board"));
}

void BoardSurface::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    p.fillRect(e->rect(), look::BoardGreen);
    // The backdrop covers the board's visible part; toes that run further
    // lie on plain green.
    p.drawPixmap(QRect(0, 0, 770, 258), m_backdrop);
    m_chat->paintbox_boardPaint(p);
}

HandSurface::HandSurface(QWidget *parent)
    : QWidget(parent), m_backdrop(artwork(QStringLiteral("handback.png"), {770, 95}))
{
}

void HandSurface::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), look::BoardGreen);
    p.drawPixmap(QRect(0, 0, qMax(width(), 770), height()), m_backdrop);
}

HandBone::HandBone(int handnum, int bone, QWidget *parent) : QLabel(parent), m_handnum(handnum), m_bone(bone)
{
    setObjectName(QStringLiteral("bone%1").arg(handnum));
    setFixedSize(34, 66);
    setScaledContents(true);
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap face(QSize(34, 66) * dpr);
    face.setDevicePixelRatio(dpr);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(0, 0, 34, 66), artwork(QStringLiteral("bone_back_v.png"), {34, 66}));
    p.drawPixmap(QRect(2, 3, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(gettopnum(bone)), {28, 28}));
    p.drawPixmap(QRect(2, 35, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(getbotnum(bone)), {28, 28}));
    p.end();
    setPixmap(face);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus); // the hand gives its focus to one bone at a time
    setAccessibleName(GameLog::spokenBone(bone));
}

void HandBone::mousePressEvent(QMouseEvent *e)
{
    if (onMouseDown)
        onMouseDown(this, e->button());
}

void HandBone::keyPressEvent(QKeyEvent *e)
{
    if (!onKey || !onKey(this, e))
        QLabel::keyPressEvent(e);
}

void HandBone::paintEvent(QPaintEvent *e)
{
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QPainter p(this);
    p.setPen(QPen(look::Cream, 2));
    p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 3, 3);
}

void HandBone::focusInEvent(QFocusEvent *e)
{
    QLabel::focusInEvent(e);
    update();
}

void HandBone::focusOutEvent(QFocusEvent *e)
{
    QLabel::focusOutEvent(e);
    update();
}

void HandBone::moveEvent(QMoveEvent *e)
{
    QLabel::moveEvent(e);
    // A raised bone stands higher than the rest of the hand.
    setAccessibleDescription(y() < 12 ? QStringLiteral("raised") : QString());
}

ToeTarget::ToeTarget(int toe, QWidget *parent) : QLabel(parent), m_toe(toe)
{
    setObjectName(QStringLiteral("image_toe%1").arg(toe));
    setFixedSize(66, 34);
    setScaledContents(true);
    setPixmap(artwork(QStringLiteral("toe_target.png"), {66, 34}));
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::number(toe));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("toe %1").arg(toe));
    hide();
}

void ToeTarget::setMarked(bool on)
{
    if (on == m_marked)
        return;
    m_marked = on;
    update();
}

void ToeTarget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        emit clicked(m_toe);
}

void ToeTarget::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked(m_toe);
        return;
    default:
        QLabel::keyPressEvent(e);
    }
}

void ToeTarget::paintEvent(QPaintEvent *e)
{
    QLabel::paintEvent(e);
    if (!m_marked && !hasFocus())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(m_marked ? QColor(255, 215, 0) : look::Cream, m_marked ? 3 : 1, m_marked ? Qt::SolidLine : Qt::DotLine));
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
}
