#include "tablewidgets.h"

#include "bones.h"
#include "look.h"
#include "tchat.h"
#include "velloc_resources.h"

#include <QApplication>
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
    : QWidget(parent), m_text(text)
{
    initVellocResources();
    m_picture = artPixmap(QStringLiteral(":/images/") + picture);
    m_hover = artPixmap(QStringLiteral(":/images/") + hoverPicture);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setToolTip(text);
    setAccessibleName(text);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &pic = m_under && !m_hover.isNull() ? m_hover : m_picture;
    if (!pic.isNull()) {
        p.drawPixmap(rect(), pic);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(m_under ? look::DarkGreen : look::Cream);
    p.setPen(Qt::black);
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 4, 4);
    p.setPen(m_under ? look::Cream : Qt::black);
    p.drawText(rect(), Qt::AlignCenter, m_text);
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

void PictureButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
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
}

void HandBone::mousePressEvent(QMouseEvent *e)
{
    if (onMouseDown)
        onMouseDown(this, e->button());
}

ToeTarget::ToeTarget(int toe, QWidget *parent) : QLabel(parent), m_toe(toe)
{
    setObjectName(QStringLiteral("image_toe%1").arg(toe));
    setFixedSize(66, 34);
    setScaledContents(true);
    setPixmap(artwork(QStringLiteral("toe_target.png"), {66, 34}));
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::number(toe));
    hide();
}

void ToeTarget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        emit clicked(m_toe);
}
