// SPDX-License-Identifier: MIT
#include "phrasebutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

const QColor PhraseButton::Face(Qt::white);
const QColor PhraseButton::HoverFace(0xe2, 0xe4, 0xb6);
const QColor PhraseButton::Frame(0xb0, 0xa8, 0x90);

PhraseButton::PhraseButton(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
}

void PhraseButton::paintEvent(QPaintEvent *)
{
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, (opt.state & QStyle::State_MouseOver) ? HoverFace : Face);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), Frame);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Frame);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), Frame);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), Frame);

    // The picture centred inside the frame, moved as the style moves a
    // pressed button's label.
    QRect inside = r.adjusted(1, 1, -1, -1);
    if (opt.state & (QStyle::State_Sunken | QStyle::State_On))
        inside.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                         style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this));
    QIcon::Mode mode = QIcon::Normal;
    if (!(opt.state & QStyle::State_Enabled))
        mode = QIcon::Disabled;
    else if ((opt.state & QStyle::State_MouseOver) && (opt.state & QStyle::State_AutoRaise))
        mode = QIcon::Active;
    const QPixmap picture = icon().pixmap(inside.size().boundedTo(iconSize()), p.device()->devicePixelRatio(), mode,
                                          (opt.state & QStyle::State_On) ? QIcon::On : QIcon::Off);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    style()->drawItemPixmap(&p, inside, Qt::AlignCenter, picture);
}
