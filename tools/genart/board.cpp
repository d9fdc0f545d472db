// SPDX-License-Identifier: MIT
// The board and hand: green felt backdrops, blank bones, pip faces and the
// toe target.
#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

// Felt: a fine fibre grain over a gentle mottle. The texture repeats after
// periodX logical pixels so that copies placed side by side meet without
// a seam.
QColor felt(double u, double v, int scale, int periodX, int periodY, uint32_t seed, double darken)
{
    // Fine fibres: lattice of 1.5 px cells, two octaves.
    const int fx = int(std::lround(periodX / 1.5)), fy = int(std::lround(periodY / 1.5));
    const double fine = periodicFbm(u * fx / periodX, v * fy / periodY, fx, fy, 2, seed);
    // Fibres lying across: short streaks.
    const int sx = periodX / 6, sy = periodY / 1;
    const double streak = periodicNoise(u * sx / periodX, v * sy / periodY, sx, sy, seed + 7);
    // Mottle: large soft patches.
    const double mottle = periodicFbm(u * 6.0 / periodX, v * 3.0 / periodY, 6, 3, 3, seed + 13);
    // Per-device-pixel sparkle so both scales look like cloth, not blur.
    const int px = int(std::floor(u * scale)), py = int(std::floor(v * scale));
    const double grain = hashUnit(uint32_t(px % (periodX * scale)), uint32_t(py), seed + 29 + scale);

    const double k = fine * 6.0 + streak * 3.0 + mottle * 6.0 + grain * 1.5 - darken;
    return QColor(clamp255(6 + k * 0.30), clamp255(68 + k), clamp255(16 + k * 0.45));
}

QImage boardBack(int scale)
{
    // Copies are drawn at x 0, 750 and 1500, overlapping by six pixels: a
    // period of 750 makes the overlap identical to the start of the next copy.
    return renderPixels(QSize(756, 312), scale, [](double u, double v, int s) {
        return felt(u, v, s, 750, 312, 4242, 0.0);
    });
}

QImage handBack(int scale)
{
    const QSize size(770, 95);
    QImage img = renderPixels(size, scale, [](double u, double v, int s) {
        return felt(u, v, s, 770, 95, 5151, 4.0);
    });
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    // A shadow under the board's edge above.
    QLinearGradient top(0, 0, 0, 7);
    top.setColorAt(0, QColor(0, 0, 0, 90));
    top.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, 770, 7), top);
    // The ledge the resting bones stand on (their feet are at y 78).
    QLinearGradient ledge(0, 80, 0, 95);
    ledge.setColorAt(0.0, QColor(0, 0, 0, 70));
    ledge.setColorAt(0.2, QColor(0, 0, 0, 40));
    ledge.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 80, 770, 15), ledge);
    p.setPen(QPen(QColor(150, 200, 140, 40), 1));
    p.drawLine(QPointF(0, 84.5), QPointF(770, 84.5));
    p.end();
    return img;
}

void toeTarget(QPainter &p)
{
    const QRectF slot(1.5, 1.5, 63, 31);
    // A warm glow inside the slot.
    QRadialGradient glow(QPointF(33, 17), 34);
    glow.setColorAt(0.0, QColor(255, 236, 150, 120));
    glow.setColorAt(0.6, QColor(255, 220, 120, 50));
    glow.setColorAt(1.0, QColor(255, 210, 110, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(slot, 5, 5);
    // Dashed outline in the shape of a lying bone.
    QPen dash(QColor(255, 238, 170, 230), 1.4);
    dash.setDashPattern({3.0, 2.0});
    dash.setCapStyle(Qt::RoundCap);
    p.setBrush(Qt::NoBrush);
    p.setPen(dash);
    p.drawRoundedRect(slot, 5, 5);
    // An arrow pointing along the toe.
    QPainterPath arrow;
    arrow.moveTo(22, 13.5);
    arrow.lineTo(34, 13.5);
    arrow.lineTo(34, 9);
    arrow.lineTo(44, 17);
    arrow.lineTo(34, 25);
    arrow.lineTo(34, 20.5);
    arrow.lineTo(22, 20.5);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(90, 60, 10, 120), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow.translated(0.4, 0.6));
    QLinearGradient g(0, 9, 0, 25);
    g.setColorAt(0, QColor(255, 246, 200, 250));
    g.setColorAt(1, QColor(240, 196, 90, 250));
    p.setPen(QPen(QColor(120, 80, 20, 220), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(arrow);
}

} // namespace

std::vector<Picture> boardPictures()
{
    std::vector<Picture> list;
    list.push_back({QStringLiteral("images/boardback.png"), QSize(756, 312), boardBack});
    list.push_back({QStringLiteral("images/handback.png"), QSize(770, 95), handBack});
    list.push_back(vectorPicture(QStringLiteral("images/bone_back_v.png"), QSize(34, 66),
                                 [](QPainter &p) { drawBoneBlank(p, QRectF(0, 0, 34, 66), true); }));
    list.push_back(vectorPicture(QStringLiteral("images/bone_back_h.png"), QSize(66, 34),
                                 [](QPainter &p) { drawBoneBlank(p, QRectF(0, 0, 66, 34), false); }));
    // Faces are drawn at x + 2 on a 34-wide upright bone and at x + 3 on a
    // 66-wide lying one; centring the pips at 15 and 14 in the face puts them
    // on the middle of each half in both cases.
    for (int n = 0; n <= 9; ++n)
        list.push_back(vectorPicture(QStringLiteral("images/dots_v_%1.png").arg(n), QSize(28, 28),
                                     [n](QPainter &p) { drawPipFace(p, n, QPointF(15, 14), true, 8.0, 2.7); }));
    for (int n = 0; n <= 9; ++n)
        list.push_back(vectorPicture(QStringLiteral("images/dots_h_%1.png").arg(n), QSize(28, 28),
                                     [n](QPainter &p) { drawPipFace(p, n, QPointF(14, 14), false, 8.0, 2.7); }));
    list.push_back(vectorPicture(QStringLiteral("images/toe_target.png"), QSize(66, 34), toeTarget));
    return list;
}

} // namespace art
