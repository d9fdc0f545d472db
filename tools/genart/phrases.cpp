// SPDX-License-Identifier: MIT
// Icons of the ten phrase buttons, 17 x 13 each, drawn for a white button.
#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

const QColor Outline(70, 44, 14);
const QColor SkinLight(255, 226, 130);
const QColor Skin(250, 190, 60);

QPen outlinePen(double w = 0.9)
{
    return QPen(Outline, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QBrush vertical(double y0, double y1, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPainterPath star(QPointF c, double outer, double inner, int points, double turn = -90)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 ? inner : outer;
        const double a = (turn + i * 180.0 / points) * M_PI / 180.0;
        const QPointF pt = c + QPointF(std::cos(a) * r, std::sin(a) * r);
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void thumbsUp(QPainter &p)
{
    // Sleeve.
    p.setPen(outlinePen());
    p.setBrush(vertical(6, 12, QColor(90, 150, 230), QColor(30, 80, 170)));
    p.drawRoundedRect(QRectF(2.5, 6.0, 3.2, 6.2), 0.8, 0.8);
    // Fist with the thumb raised.
    QPainterPath hand;
    hand.moveTo(5.7, 6.3);
    hand.lineTo(7.6, 5.6);
    hand.cubicTo(8.4, 4.4, 8.6, 2.6, 8.5, 1.6);
    hand.cubicTo(8.5, 0.6, 10.6, 0.6, 10.8, 2.2);
    hand.cubicTo(11.0, 3.4, 10.6, 4.6, 10.2, 5.4);
    hand.lineTo(13.4, 5.4);
    hand.cubicTo(14.9, 5.4, 14.9, 7.4, 13.6, 7.5);
    hand.cubicTo(14.8, 7.7, 14.7, 9.4, 13.4, 9.5);
    hand.cubicTo(14.4, 9.8, 14.2, 11.3, 13.0, 11.4);
    hand.cubicTo(13.6, 11.8, 13.2, 12.6, 12.4, 12.6);
    hand.lineTo(5.7, 12.6);
    hand.closeSubpath();
    p.setBrush(vertical(1, 12.6, SkinLight, Skin));
    p.drawPath(hand);
    // Knuckle lines.
    p.setPen(QPen(QColor(150, 96, 20, 200), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 7.5), QPointF(13.4, 7.5));
    p.drawLine(QPointF(10.4, 9.5), QPointF(13.2, 9.5));
    p.drawLine(QPointF(10.6, 11.4), QPointF(12.8, 11.4));
}

void goldStar(QPainter &p)
{
    const QPainterPath s = star(QPointF(8.5, 7.1), 6.9, 2.9, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(s.translated(0.5, 0.6));
    QRadialGradient g(QPointF(7.3, 5.2), 7);
    g.setColorAt(0, QColor(255, 250, 190));
    g.setColorAt(0.5, QColor(255, 210, 50));
    g.setColorAt(1, QColor(226, 140, 0));
    p.setPen(outlinePen(0.8));
    p.setBrush(g);
    p.drawPath(s);
}

void target(QPainter &p)
{
    const QPointF c(7.2, 6.9);
    const QColor red(214, 36, 36);
    const QColor white(255, 255, 255);
    p.setPen(outlinePen(0.8));
    p.setBrush(red);
    p.drawEllipse(c, 5.8, 5.8);
    p.setPen(Qt::NoPen);
    p.setBrush(white);
    p.drawEllipse(c, 4.1, 4.1);
    p.setBrush(red);
    p.drawEllipse(c, 2.5, 2.5);
    p.setBrush(white);
    p.drawEllipse(c, 1.0, 1.0);
    // An arrow that just missed the middle.
    const QPointF tip(9.0, 5.0);
    p.setPen(QPen(QColor(60, 40, 20), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tip, QPointF(15.2, 0.9));
    QPainterPath fletch;
    fletch.moveTo(13.4, 2.1);
    fletch.lineTo(13.8, -0.2);
    fletch.lineTo(16.6, 0.1);
    fletch.lineTo(16.4, 3.0);
    fletch.lineTo(14.3, 3.4);
    fletch.closeSubpath();
    p.setPen(QPen(QColor(20, 60, 120), 0.5));
    p.setBrush(QColor(60, 140, 230));
    p.drawPath(fletch);
}

void trophy(QPainter &p)
{
    QPainterPath cup;
    cup.moveTo(4.5, 1.0);
    cup.lineTo(12.5, 1.0);
    cup.cubicTo(12.5, 5.0, 11.0, 7.2, 8.5, 7.6);
    cup.cubicTo(6.0, 7.2, 4.5, 5.0, 4.5, 1.0);
    cup.closeSubpath();
    QLinearGradient gold(4, 0, 13, 0);
    gold.setColorAt(0, QColor(255, 242, 170));
    gold.setColorAt(0.4, QColor(255, 206, 40));
    gold.setColorAt(1, QColor(200, 120, 0));
    // Handles.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 130, 0), 1.3));
    p.drawArc(QRectF(1.8, 1.6, 4.2, 4.2), 90 * 16, 180 * 16);
    p.drawArc(QRectF(11.0, 1.6, 4.2, 4.2), -90 * 16, 180 * 16);
    p.setPen(outlinePen(0.8));
    p.setBrush(gold);
    p.drawPath(cup);
    // Stem and base.
    p.drawRect(QRectF(7.6, 7.4, 1.8, 2.4));
    p.drawRoundedRect(QRectF(5.0, 9.8, 7.0, 2.6), 0.7, 0.7);
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.3, 2.2), QPointF(6.6, 4.6));
}

void diamond(QPainter &p)
{
    QPainterPath gem;
    gem.moveTo(4.2, 1.5);
    gem.lineTo(12.8, 1.5);
    gem.lineTo(15.5, 4.6);
    gem.lineTo(8.5, 12.4);
    gem.lineTo(1.5, 4.6);
    gem.closeSubpath();
    QLinearGradient g(2, 1, 15, 12);
    g.setColorAt(0, QColor(210, 245, 255));
    g.setColorAt(0.5, QColor(80, 180, 250));
    g.setColorAt(1, QColor(20, 90, 200));
    p.setPen(QPen(QColor(16, 60, 130), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(gem);
    // Facets.
    p.setPen(QPen(QColor(255, 255, 255, 190), 0.55));
    p.drawLine(QPointF(1.8, 4.6), QPointF(15.2, 4.6));
    p.drawLine(QPointF(6.0, 1.7), QPointF(5.2, 4.6));
    p.drawLine(QPointF(11.0, 1.7), QPointF(11.8, 4.6));
    p.drawLine(QPointF(5.2, 4.6), QPointF(8.5, 12.0));
    p.drawLine(QPointF(11.8, 4.6), QPointF(8.5, 12.0));
    p.setPen(QPen(QColor(20, 80, 170, 140), 0.55));
    p.drawLine(QPointF(6.0, 1.7), QPointF(8.5, 4.6));
    p.drawLine(QPointF(11.0, 1.7), QPointF(8.5, 4.6));
    // Sparkle.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(star(QPointF(3.5, 2.2), 2.0, 0.45, 4));
}

void burst(QPainter &p)
{
    const QPainterPath outer = star(QPointF(8.5, 6.5), 6.6, 3.9, 10, -81);
    QRadialGradient g(QPointF(8.5, 6.5), 6.6);
    g.setColorAt(0, QColor(255, 244, 120));
    g.setColorAt(0.6, QColor(255, 170, 30));
    g.setColorAt(1, QColor(236, 80, 20));
    p.setPen(QPen(QColor(150, 40, 0), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(outer);
    // Exclamation mark.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 20, 0));
    QPainterPath bar;
    bar.moveTo(7.6, 2.6);
    bar.lineTo(9.4, 2.6);
    bar.lineTo(8.9, 7.6);
    bar.lineTo(8.1, 7.6);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawEllipse(QPointF(8.5, 9.5), 0.95, 0.95);
}

void heart(QPainter &p)
{
    QPainterPath h;
    h.moveTo(8.5, 12.3);
    h.cubicTo(4.0, 9.0, 1.4, 6.6, 1.6, 4.0);
    h.cubicTo(1.8, 1.2, 5.8, 0.2, 8.5, 3.4);
    h.cubicTo(11.2, 0.2, 15.2, 1.2, 15.4, 4.0);
    h.cubicTo(15.6, 6.6, 13.0, 9.0, 8.5, 12.3);
    h.closeSubpath();
    QRadialGradient g(QPointF(6, 4), 9);
    g.setColorAt(0, QColor(255, 140, 150));
    g.setColorAt(0.5, QColor(230, 30, 60));
    g.setColorAt(1, QColor(160, 0, 30));
    p.setPen(QPen(QColor(110, 0, 20), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(5.0, 3.9), 1.3, 0.9);
}

void person(QPainter &p, QPointF at, const QColor &light, const QColor &dark)
{
    p.setPen(QPen(dark.darker(160), 0.7));
    QPainterPath body;
    body.moveTo(at + QPointF(-4.0, 8.5));
    body.cubicTo(at + QPointF(-4.0, 4.2), at + QPointF(-2.4, 3.4), at + QPointF(0, 3.4));
    body.cubicTo(at + QPointF(2.4, 3.4), at + QPointF(4.0, 4.2), at + QPointF(4.0, 8.5));
    body.closeSubpath();
    p.setBrush(vertical(at.y() + 3, at.y() + 8.5, light, dark));
    p.drawPath(body);
    p.setBrush(vertical(at.y() - 2.5, at.y() + 2.4, QColor(255, 230, 190), QColor(236, 180, 120)));
    p.setPen(QPen(QColor(120, 70, 30), 0.7));
    p.drawEllipse(at + QPointF(0, 0.2), 2.3, 2.3);
}

void team(QPainter &p)
{
    person(p, QPointF(11.4, 3.6), QColor(120, 220, 120), QColor(20, 130, 40));
    person(p, QPointF(5.6, 4.0), QColor(120, 180, 255), QColor(30, 80, 190));
    // A little star above: "way to go".
    p.setPen(QPen(QColor(170, 100, 0), 0.5));
    p.setBrush(QColor(255, 200, 40));
    p.drawPath(star(QPointF(8.6, 1.6), 1.7, 0.7, 5));
}

void goodGame(QPainter &p)
{
    const QRectF badge(0.8, 0.8, 15.4, 11.4);
    p.setPen(QPen(QColor(0, 70, 10), 0.8));
    p.setBrush(vertical(0.8, 12.2, QColor(60, 170, 70), QColor(0, 96, 20)));
    p.drawRoundedRect(badge, 3, 3);
    QFont f = uiFont(9.5, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, -0.6);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("GG"));
    const QRectF b = text.boundingRect();
    text.translate(badge.center() - b.center() + QPointF(0, 0.1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 40, 0, 160));
    p.drawPath(text.translated(0.4, 0.6));
    p.setBrush(QColor(255, 250, 220));
    p.drawPath(text);
}

void wave(QPainter &p)
{
    p.save();
    p.translate(7.4, 7.4);
    p.rotate(-14);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(-4.4, -1.8, 8.8, 7.0), 2.6, 2.6); // palm
    const double tops[4] = {-5.6, -6.6, -6.3, -5.0};
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(-4.3 + i * 2.2, tops[i], 2.0, 5.0), 1.0, 1.0);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.05, -4.2, 2.1, 5.0), 1.05, 1.05);
    QTransform t;
    t.translate(-4.2, 2.4);
    t.rotate(-50);
    hand = hand.united(t.map(thumb)).simplified();
    p.setPen(outlinePen(0.8));
    p.setBrush(vertical(-6.6, 5.2, SkinLight, Skin));
    p.drawPath(hand);
    // Gaps between the fingers.
    p.setPen(QPen(QColor(150, 96, 20), 0.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(-4.3 + i * 2.2 - 0.1, -1.0), QPointF(-4.3 + i * 2.2 - 0.1, tops[i - 1] + 1.6));
    p.restore();
    // Motion marks beside the hand.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 110, 200), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10.2, 2.4, 3.6, 5.2), -50 * 16, 100 * 16);
    p.drawArc(QRectF(11.6, 0.4, 4.8, 9.2), -45 * 16, 90 * 16);
}

} // namespace

void drawPhraseIcon(QPainter &p, int n)
{
    switch (n) {
    case 1: thumbsUp(p); break;   // "Way To Go!"
    case 2: goldStar(p); break;   // "Good One!"
    case 3: target(p); break;     // "Nice Try!"
    case 4: trophy(p); break;     // "Excellent!"
    case 5: diamond(p); break;    // "Brilliant!"
    case 6: burst(p); break;      // "Wow, WTG!"
    case 7: heart(p); break;      // "Thanks!"
    case 8: team(p); break;       // "Way To Go Teamie!"
    case 9: goodGame(p); break;   // "Good Game Everyone!"
    case 10: wave(p); break;      // waves "Good-Bye"
    default: break;
    }
}

} // namespace art
