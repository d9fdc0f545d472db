// SPDX-License-Identifier: MIT
// Larger pictures: the lobby shown by the download window and the program
// icon.
#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

// A bone at its natural 34 x 66 geometry, placed by a transform.
void bone(QPainter &p, QPointF centre, double angle, double scale, int a, int b, bool lying)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.scale(scale, scale);
    if (lying) {
        drawBoneBlank(p, QRectF(-33, -17, 66, 34), false);
        drawPipFace(p, a, QPointF(-16, 0), false, 8.0, 2.6);
        drawPipFace(p, b, QPointF(16, 0), false, 8.0, 2.6);
    } else {
        drawBoneBlank(p, QRectF(-17, -33, 34, 66), true);
        drawPipFace(p, a, QPointF(0, -16), true, 8.0, 2.6);
        drawPipFace(p, b, QPointF(0, 16), true, 8.0, 2.6);
    }
    p.restore();
}

// ---------------------------------------------------------------- lobby

void wallpaper(QPainter &p, const QRectF &r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(214, 182, 128));
    g.setColorAt(1, QColor(236, 212, 160));
    p.fillRect(r, g);
    // Damask-like stripes.
    for (double x = r.left(); x < r.right(); x += 22) {
        p.fillRect(QRectF(x, r.top(), 9, r.height()), QColor(180, 130, 70, 34));
        p.fillRect(QRectF(x + 9, r.top(), 1, r.height()), QColor(255, 240, 200, 50));
        for (double y = r.top() + 14; y < r.bottom(); y += 26) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(170, 120, 60, 40));
            p.drawEllipse(QPointF(x + 15.5, y + (int(x / 22) % 2) * 13), 2.2, 3.2);
        }
    }
}

void window(QPainter &p, const QRectF &r)
{
    // Evening sky.
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(44, 62, 124));
    sky.setColorAt(0.55, QColor(150, 112, 160));
    sky.setColorAt(1, QColor(250, 176, 110));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 10; ++i) {
        const QPointF s(r.left() + 6 + std::abs(hashUnit(i, 1, uint32_t(r.left()))) * (r.width() - 12),
                        r.top() + 5 + std::abs(hashUnit(i, 2, uint32_t(r.left()))) * r.height() * 0.4);
        p.setBrush(QColor(255, 255, 230, 200));
        p.drawEllipse(s, 0.8, 0.8);
    }
    // Distant hills.
    QPainterPath hills;
    hills.moveTo(r.left(), r.bottom());
    hills.lineTo(r.left(), r.bottom() - 14);
    hills.quadTo(r.left() + r.width() * 0.35, r.bottom() - 30, r.left() + r.width() * 0.6, r.bottom() - 16);
    hills.quadTo(r.left() + r.width() * 0.8, r.bottom() - 8, r.right(), r.bottom() - 20);
    hills.lineTo(r.right(), r.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(70, 60, 90));
    p.drawPath(hills);
    // Frame and bars.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(96, 56, 28), 5));
    p.drawRect(r);
    p.setPen(QPen(QColor(96, 56, 28), 3));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.45), QPointF(r.right(), r.top() + r.height() * 0.45));
    p.setPen(QPen(QColor(200, 150, 100, 120), 1));
    p.drawRect(r.adjusted(-2.5, -2.5, 2.5, 2.5));
    // Sill.
    p.fillRect(QRectF(r.left() - 8, r.bottom() + 2, r.width() + 16, 6), QColor(110, 64, 32));
    p.fillRect(QRectF(r.left() - 8, r.bottom() + 2, r.width() + 16, 1.5), QColor(170, 110, 64));
    // Curtains.
    for (int side = 0; side < 2; ++side) {
        QPainterPath c;
        const double x = side == 0 ? r.left() - 12 : r.right() + 12;
        const double dir = side == 0 ? 1 : -1;
        c.moveTo(x, r.top() - 10);
        c.lineTo(x + dir * 24, r.top() - 10);
        c.cubicTo(QPointF(x + dir * 14, r.top() + 40), QPointF(x + dir * 8, r.top() + 60),
                  QPointF(x + dir * 16, r.bottom() + 14));
        c.lineTo(x - dir * 2, r.bottom() + 14);
        c.closeSubpath();
        QLinearGradient cg(x, 0, x + dir * 24, 0);
        cg.setColorAt(0, QColor(120, 20, 30));
        cg.setColorAt(0.5, QColor(170, 40, 46));
        cg.setColorAt(1, QColor(110, 16, 26));
        p.setPen(QPen(QColor(70, 8, 14), 1));
        p.setBrush(cg);
        p.drawPath(c);
    }
    // Rail.
    p.fillRect(QRectF(r.left() - 18, r.top() - 13, r.width() + 36, 4), QColor(150, 110, 50));
}

void floorBoards(QPainter &p, const QRectF &r)
{
    p.fillRect(r, QColor(132, 80, 44));
    const QPointF vanish(350, r.top() - 160);
    // Boards running into the room.
    for (int i = -20; i <= 20; ++i) {
        const double xb = 350 + i * 46;
        const QPointF bottom(xb, r.bottom());
        const double t = (r.top() - vanish.y()) / (bottom.y() - vanish.y());
        const QPointF top = vanish + (bottom - vanish) * t;
        QPainterPath plank;
        const double xb2 = 350 + (i + 1) * 46;
        const QPointF top2 = vanish + (QPointF(xb2, r.bottom()) - vanish) * t;
        plank.moveTo(top);
        plank.lineTo(top2);
        plank.lineTo(xb2, r.bottom());
        plank.lineTo(bottom);
        plank.closeSubpath();
        const double k = hashUnit(i + 40, 3, 5) * 12;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(clamp255(140 + k), clamp255(86 + k * 0.7), clamp255(48 + k * 0.4)));
        p.drawPath(plank);
        p.setPen(QPen(QColor(70, 38, 18, 160), 1));
        p.drawLine(top, bottom);
    }
    // Shine towards the back wall, shade at the front.
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 220, 160, 60));
    g.setColorAt(1, QColor(40, 20, 10, 70));
    p.fillRect(r, g);
}

void wainscot(QPainter &p, const QRectF &r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(122, 70, 36));
    g.setColorAt(1, QColor(92, 52, 26));
    p.fillRect(r, g);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 4), QColor(150, 94, 50));
    p.fillRect(QRectF(r.left(), r.top() + 4, r.width(), 1), QColor(70, 38, 18));
    for (double x = r.left() + 8; x < r.right() - 20; x += 58) {
        const QRectF panel(x, r.top() + 9, 48, r.height() - 15);
        p.setPen(QPen(QColor(70, 38, 18, 180), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(panel);
        p.setPen(QPen(QColor(170, 110, 64, 120), 1));
        p.drawLine(panel.bottomLeft() + QPointF(1, 1), panel.bottomRight() + QPointF(1, 1));
    }
}

void chair(QPainter &p, QPointF seat, double scale, bool front)
{
    p.save();
    p.translate(seat);
    p.scale(scale, scale);
    const QColor wood(96, 52, 24), woodLight(140, 84, 42);
    p.setPen(QPen(QColor(50, 24, 8), 1));
    if (!front) {
        // Back seen above the table edge.
        QPainterPath back;
        back.addRoundedRect(QRectF(-11, -30, 22, 26), 5, 5);
        p.setBrush(wood);
        p.drawPath(back);
        p.setBrush(QColor(150, 30, 40));
        p.drawRoundedRect(QRectF(-8, -27, 16, 18), 3, 3);
    } else {
        // Legs and seat in front of the table.
        p.setBrush(wood);
        p.drawRect(QRectF(-10, 0, 2.5, 16));
        p.drawRect(QRectF(7.5, 0, 2.5, 16));
        p.setBrush(woodLight);
        p.drawRoundedRect(QRectF(-12, -4, 24, 6), 2, 2);
        p.setBrush(QColor(150, 30, 40));
        p.drawRoundedRect(QRectF(-11, -6.5, 22, 4), 2, 2);
    }
    p.restore();
}

void table(QPainter &p, QPointF c, double rx, double ry, int seed)
{
    // Chairs behind the table.
    chair(p, QPointF(c.x() - rx * 0.55, c.y() - ry * 0.55), rx / 90, false);
    chair(p, QPointF(c.x() + rx * 0.55, c.y() - ry * 0.55), rx / 90, false);
    // Shadow on the floor.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 14, 4, 90));
    p.drawEllipse(QPointF(c.x(), c.y() + ry * 2.2 + 6), rx * 0.75, ry * 0.45);
    // Pedestal.
    QLinearGradient leg(c.x() - 8, 0, c.x() + 8, 0);
    leg.setColorAt(0, QColor(70, 36, 14));
    leg.setColorAt(0.4, QColor(140, 84, 40));
    leg.setColorAt(1, QColor(60, 30, 12));
    p.setBrush(leg);
    p.drawRect(QRectF(c.x() - rx * 0.07, c.y() + ry * 0.5, rx * 0.14, ry * 1.6));
    p.drawEllipse(QPointF(c.x(), c.y() + ry * 2.15), rx * 0.32, ry * 0.25);
    // Wooden rim and felt top.
    p.setBrush(QColor(100, 54, 24));
    p.drawEllipse(QPointF(c.x(), c.y() + 4), rx, ry);
    QRadialGradient felt(c + QPointF(0, -ry * 0.3), rx);
    felt.setColorAt(0, QColor(40, 140, 60));
    felt.setColorAt(1, QColor(4, 80, 22));
    p.setBrush(QColor(150, 90, 44));
    p.drawEllipse(c, rx, ry);
    p.setBrush(felt);
    p.drawEllipse(c, rx - 5, ry - 3);
    // A chicken foot in progress: a spinner and three toes.
    const double k = rx / 95.0 * 0.32;
    p.save();
    p.translate(c);
    p.scale(1, ry / rx * 2.2);
    bone(p, QPointF(-rx * 0.35, 0), 90, k, 9, 9, false);
    const int vals[6] = {9, seed % 9, 9, (seed + 3) % 9, 9, (seed + 5) % 9};
    for (int t = 0; t < 3; ++t) {
        const double ang = (t - 1) * 28.0;
        const int count = t == 1 ? 3 : 2;
        for (int b = 0; b < count; ++b) {
            const double d = (40 + b * 68) * k;
            const QPointF at(-rx * 0.35 + std::cos(ang * M_PI / 180) * (22 * k + d),
                             std::sin(ang * M_PI / 180) * (22 * k + d));
            bone(p, at, ang, k, b == 0 ? vals[t * 2] : vals[t * 2 + 1], (seed + t + b * 2) % 10, true);
        }
    }
    // Loose bones face down.
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(rx * 0.5 + i * 9 * k * 2.4, -ry * 0.2 + i * 5);
        p.rotate(20 + i * 25);
        p.scale(k, k);
        p.setPen(QPen(QColor(40, 20, 8), 1 / k));
        p.setBrush(QColor(60, 36, 20));
        p.drawRoundedRect(QRectF(-17, -33, 34, 66), 5, 5);
        p.restore();
    }
    p.restore();
    // Chairs in front.
    chair(p, QPointF(c.x() - rx * 0.75, c.y() + ry * 1.0), rx / 80, true);
    chair(p, QPointF(c.x() + rx * 0.75, c.y() + ry * 1.0), rx / 80, true);
}

void lamp(QPainter &p, QPointF at, double size)
{
    // Cord.
    p.setPen(QPen(QColor(40, 30, 20), 1.2));
    p.drawLine(QPointF(at.x(), 0), at);
    // Green banker's shade.
    QPainterPath shade;
    shade.moveTo(at + QPointF(-size * 0.3, 0));
    shade.lineTo(at + QPointF(size * 0.3, 0));
    shade.lineTo(at + QPointF(size, size * 0.55));
    shade.lineTo(at + QPointF(-size, size * 0.55));
    shade.closeSubpath();
    QLinearGradient g(at.x() - size, 0, at.x() + size, 0);
    g.setColorAt(0, QColor(10, 70, 30));
    g.setColorAt(0.4, QColor(50, 150, 80));
    g.setColorAt(1, QColor(6, 50, 20));
    p.setPen(QPen(QColor(160, 120, 40), 1));
    p.setBrush(g);
    p.drawPath(shade);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 180));
    p.drawEllipse(at + QPointF(0, size * 0.58), size * 0.8, size * 0.12);
}

void lightPool(QPainter &p, QPointF from, QPointF to, double width)
{
    QPainterPath cone;
    cone.moveTo(from + QPointF(-width * 0.12, 0));
    cone.lineTo(from + QPointF(width * 0.12, 0));
    cone.lineTo(to + QPointF(width, 0));
    cone.lineTo(to + QPointF(-width, 0));
    cone.closeSubpath();
    QLinearGradient g(from, to);
    g.setColorAt(0, QColor(255, 236, 170, 90));
    g.setColorAt(1, QColor(255, 236, 170, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(cone);
}

void sign(QPainter &p)
{
    const QRectF board(240, 16, 220, 40);
    p.setPen(QPen(QColor(80, 70, 60), 1.2));
    p.drawLine(QPointF(268, 0), QPointF(262, 16));
    p.drawLine(QPointF(432, 0), QPointF(438, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 20, 6, 80));
    p.drawRoundedRect(board.translated(2, 3), 6, 6);
    QLinearGradient g(board.topLeft(), board.bottomLeft());
    g.setColorAt(0, QColor(120, 70, 34));
    g.setColorAt(1, QColor(80, 44, 20));
    p.setPen(QPen(QColor(50, 26, 10), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(board, 6, 6);
    p.setPen(QPen(QColor(214, 170, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(board.adjusted(3, 3, -3, -3), 4, 4);
    QFont f = uiFont(21, true, true);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("Qorb42 Lobby"));
    text.translate(board.center() - text.boundingRect().center());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 14, 4, 180));
    p.drawPath(text.translated(1, 1.5));
    QLinearGradient gold(0, 24, 0, 48);
    gold.setColorAt(0, QColor(255, 240, 180));
    gold.setColorAt(1, QColor(214, 150, 50));
    p.setBrush(gold);
    p.drawPath(text);
}

// The middle of the wall, below the sign, stays plain: the download window
// lays its "IS CLOSED" label there.
void lobby(QPainter &p)
{
    const double W = 700, H = 260;
    wallpaper(p, QRectF(0, 0, W, 168));
    // Crown moulding.
    p.fillRect(QRectF(0, 0, W, 7), QColor(110, 64, 32));
    p.fillRect(QRectF(0, 7, W, 1.5), QColor(170, 114, 66));
    window(p, QRectF(44, 34, 78, 96));
    window(p, QRectF(578, 34, 78, 96));
    // Pictures on the wall: a big framed domino.
    p.save();
    const QRectF frame(160, 60, 44, 56);
    p.setPen(QPen(QColor(150, 110, 40), 3));
    p.setBrush(QColor(20, 70, 34));
    p.drawRect(frame);
    bone(p, frame.center(), 0, 0.7, 6, 6, false);
    const QRectF frame2(496, 60, 44, 56);
    p.drawRect(frame2);
    bone(p, frame2.center(), 0, 0.7, 3, 5, false);
    p.restore();
    wainscot(p, QRectF(0, 140, W, 34));
    floorBoards(p, QRectF(0, 174, W, H - 174));
    sign(p);

    lightPool(p, QPointF(130, 44), QPointF(130, 200), 100);
    lightPool(p, QPointF(570, 44), QPointF(570, 205), 100);
    table(p, QPointF(350, 180), 62, 12, 4);
    table(p, QPointF(130, 202), 98, 22, 1);
    table(p, QPointF(570, 206), 98, 22, 7);
    lamp(p, QPointF(130, 44), 22);
    lamp(p, QPointF(570, 44), 22);
    // A potted palm between the tables.
    p.save();
    p.translate(250, 196);
    p.setPen(QPen(QColor(80, 30, 10), 1));
    p.setBrush(QColor(170, 80, 40));
    QPainterPath pot;
    pot.moveTo(-11, -10);
    pot.lineTo(11, -10);
    pot.lineTo(8, 12);
    pot.lineTo(-8, 12);
    pot.closeSubpath();
    for (int i = 0; i < 9; ++i) {
        const double a = (-160 + i * 17.5) * M_PI / 180;
        QPainterPath leaf;
        leaf.moveTo(0, -10);
        const QPointF tip(std::cos(a) * 38, -10 + std::sin(a) * 34);
        leaf.quadTo(QPointF(tip.x() * 0.5 - 5, tip.y() - 12), tip);
        leaf.quadTo(QPointF(tip.x() * 0.5 + 5, tip.y() * 0.6), QPointF(0, -10));
        p.setPen(QPen(QColor(10, 60, 20), 0.8));
        p.setBrush(i % 2 ? QColor(40, 130, 50) : QColor(30, 110, 40));
        p.drawPath(leaf);
    }
    p.setPen(QPen(QColor(80, 30, 10), 1));
    p.setBrush(QColor(170, 80, 40));
    p.drawPath(pot);
    p.restore();
    // Warm vignette.
    QRadialGradient v(QPointF(W / 2, H * 0.45), W * 0.62);
    v.setColorAt(0.6, QColor(0, 0, 0, 0));
    v.setColorAt(1.0, QColor(30, 10, 0, 90));
    p.fillRect(QRectF(0, 0, W, H), v);
}

} // namespace

// ---------------------------------------------------------------- icon

// The icon: a spinner with its three toes — a chicken foot — on felt.
void drawProgramIcon(QPainter &p, double size)
{
    p.scale(size / 256.0, size / 256.0);
    const QRectF tile(10, 10, 236, 236);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(tile.translated(0, 4), 50, 50);
    QLinearGradient rim(tile.topLeft(), tile.bottomLeft());
    rim.setColorAt(0, QColor(180, 112, 60));
    rim.setColorAt(1, QColor(96, 52, 24));
    p.setBrush(rim);
    p.drawRoundedRect(tile, 50, 50);
    QRadialGradient felt(QPointF(110, 100), 190);
    felt.setColorAt(0, QColor(40, 140, 62));
    felt.setColorAt(0.7, QColor(4, 84, 24));
    felt.setColorAt(1, QColor(0, 52, 12));
    p.setBrush(felt);
    p.drawRoundedRect(tile.adjusted(10, 10, -10, -10), 40, 40);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(240, 200, 110, 170), 2));
    p.drawRoundedRect(tile.adjusted(11, 11, -11, -11), 39, 39);

    // The spinner stands upright; the middle toe leaves its right side and
    // the other two leave its corners at an angle, as on the table.
    const double k = 1.2;
    const QPointF spinner(86, 128);
    const double right = spinner.x() + 17 * k + 3;
    struct Toe { QPointF inner; double angle; int outer; };
    const Toe toes[3] = {
        {QPointF(right, spinner.y() - 31 * k), -40, 2},
        {QPointF(right, spinner.y()), 0, 3},
        {QPointF(right, spinner.y() + 31 * k), 40, 1},
    };
    auto centreOf = [k](const Toe &t) {
        const double a = t.angle * M_PI / 180;
        return t.inner + QPointF(std::cos(a), std::sin(a)) * (33 * k);
    };
    // Shadows first, then the toes, then the spinner on top.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    for (const Toe &t : toes) {
        p.save();
        p.translate(centreOf(t) + QPointF(3, 5));
        p.rotate(t.angle);
        p.scale(k, k);
        p.drawRoundedRect(QRectF(-33, -17, 66, 34), 5, 5);
        p.restore();
    }
    p.save();
    p.translate(spinner + QPointF(3, 5));
    p.scale(k, k);
    p.drawRoundedRect(QRectF(-17, -33, 34, 66), 5, 5);
    p.restore();
    for (const Toe &t : toes)
        bone(p, centreOf(t), t.angle, k, 5, t.outer, true);
    bone(p, spinner, 0, k, 5, 5, false);
}

std::vector<Picture> scenePictures()
{
    std::vector<Picture> list;
    Picture l = vectorPicture(QStringLiteral("images/lobby.jpg"), QSize(700, 260), lobby);
    l.jpeg = true;
    list.push_back(l);
    list.push_back(vectorPicture(QStringLiteral("images/velloc.png"), QSize(256, 256),
                                 [](QPainter &p) { drawProgramIcon(p, 256); }));
    list.push_back(vectorPicture(QStringLiteral("images/velloc_64.png"), QSize(64, 64),
                                 [](QPainter &p) { drawProgramIcon(p, 64); }));
    return list;
}

} // namespace art
