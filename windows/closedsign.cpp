// SPDX-License-Identifier: MIT
#include "closedsign.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Border = 2;
constexpr int Radius = 4;
constexpr int Padding = 16; // left and right of the letters
const QColor Red(230, 0, 0);
const QColor Board(0, 0, 0, 170);
} // namespace

ClosedSign::ClosedSign(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(30);
    f.setBold(true);
    setFont(f);
    setAlignment(Qt::AlignCenter);
}

QSize ClosedSign::sizeHint() const
{
    const QSize letters = QLabel::sizeHint();
    return letters + QSize(2 * (Padding + Border), 2 * Border);
}

// Drawn the way Qt draws a rounded style-sheet border, so the sign looks as
// it did with one: the board clipped along the middle of the border, the
// straight edges filled, each corner two quarter arcs of a flat pen.
void ClosedSign::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const qreal b = Border, half = Border / 2.0;
    QPainterPath clip;
    clip.moveTo(r.left() + Radius, r.top() + half);
    clip.lineTo(r.right() - Radius, r.top() + half);
    clip.arcTo(r.right() - half - 2 * Radius + b, r.top() + half, 2 * Radius - b, 2 * Radius - b, 90, -90);
    clip.lineTo(r.right() - half, r.bottom() - Radius);
    clip.arcTo(r.right() - half - 2 * Radius + b, r.bottom() - half - 2 * Radius + b, 2 * Radius - b, 2 * Radius - b, 0, -90);
    clip.lineTo(r.left() + Radius, r.bottom() - half);
    clip.arcTo(r.left() + half, r.bottom() - half - 2 * Radius + b, 2 * Radius - b, 2 * Radius - b, 270, -90);
    clip.lineTo(r.left() + half, r.top() + Radius);
    clip.arcTo(r.left() + half, r.top() + half, 2 * Radius - b, 2 * Radius - b, 180, -90);
    p.save();
    p.setClipPath(clip);
    p.fillRect(r, Board);
    p.restore();

    const qreal d = 2 * Radius - b;
    const QRectF tl(r.left() + half, r.top() + half, d, d), tr(r.right() - 2 * Radius + half, r.top() + half, d, d);
    const QRectF bl(r.left() + half, r.bottom() - 2 * Radius + half, d, d),
        br(r.right() - 2 * Radius + half, r.bottom() - 2 * Radius + half, d, d);
    p.setPen(QPen(Red, b));
    p.setBrush(Qt::NoBrush);
    // Edge by edge (bottom, right, left, top), each with the halves of its two
    // corners: where two halves meet, the order shows in the last bit.
    struct Edge {
        QRectF straight;
        QRectF corner1;
        int from1, span1;
        QRectF corner2;
        int from2, span2;
    };
    const Edge edges[] = {
        {{r.left() + Radius, r.bottom() - b, r.width() - 2 * Radius, b}, bl, 225, 45, br, 315, -45},
        {{r.right() - b, r.top() + Radius, b, r.height() - 2 * Radius}, br, 315, 45, tr, 45, -45},
        {{r.left(), r.top() + Radius, b, r.height() - 2 * Radius}, tl, 135, 45, bl, 225, -45},
        {{r.left() + Radius, r.top(), r.width() - 2 * Radius, b}, tl, 135, -45, tr, 45, 45},
    };
    for (const Edge &e : edges) {
        p.fillRect(e.straight, Red);
        p.drawArc(e.corner1, e.from1 * 16, e.span1 * 16);
        p.drawArc(e.corner2, e.from2 * 16, e.span2 * 16);
    }

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Red);
    p.drawText(rect().adjusted(Border + Padding, Border, -(Border + Padding), -Border), int(alignment()), text());
}
