// SPDX-License-Identifier: MIT
// Pictures of the table window and its dialogs: the wooden background, the
// scoreboard, the turn bar, the watcher's eyes, the banner, the buttons,
// the check boxes and the phrase icons.
#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

// Walnut table top, repeating every 300 x 128 pixels: long grain lines bent
// by a slow warp, fine fibres along the grain and a faint mottle.
QImage background(int scale)
{
    const int W = 300, H = 128;
    return renderPixels(QSize(W, H), scale, [=](double u, double v, int s) {
        // Grain bands run across; a slow warp bends them. Every term uses a
        // whole number of periods over the tile so the edges meet.
        const double warp = periodicFbm(u * 2.0 / W, v * 2.0 / H, 2, 2, 3, 77);
        const double warp2 = periodicFbm(u * 10.0 / W, v * 6.0 / H, 10, 6, 2, 78);
        const double phase = v * 13.0 / H + warp * 0.55 + warp2 * 0.06;
        const double line = std::pow(0.5 + 0.5 * std::sin(2 * M_PI * phase), 12.0); // thin late-wood lines
        const double soft = std::sin(2 * M_PI * (v * 3.0 / H + warp * 0.35));      // broad tone swells
        // Fibres: cells long across the tile, thin down it.
        const double fibre = periodicFbm(u * 75.0 / W, v * 96.0 / H, 75, 96, 2, 79);
        const double mottle = periodicFbm(u * 2.0 / W, v * 1.0 / H, 2, 1, 3, 80);
        const int px = int(std::floor(u * s)), py = int(std::floor(v * s));
        const double grain = hashUnit(uint32_t(px % (W * s)), uint32_t(py % (H * s)), 81 + s);

        const double k = soft * 4.0 - line * 9.0 + fibre * 5.0 + mottle * 4.0 + grain * 1.2 + 1.5;
        return QColor(clamp255(137 + k * 1.0), clamp255(85 + k * 0.66), clamp255(50 + k * 0.42));
    }, scale == 1 ? 2 : 1);
}

// A sunk rounded slot in a wooden panel.
void slot(QPainter &p, const QRectF &r, double radius)
{
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(26, 14, 7, 235));
    g.setColorAt(0.3, QColor(40, 23, 12, 225));
    g.setColorAt(1.0, QColor(48, 28, 15, 225));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    // Light catching the lower lip, shadow along the upper one.
    p.setBrush(Qt::NoBrush);
    QLinearGradient lip(r.topLeft(), r.bottomLeft());
    lip.setColorAt(0.0, QColor(0, 0, 0, 150));
    lip.setColorAt(0.5, QColor(0, 0, 0, 0));
    lip.setColorAt(0.51, QColor(255, 230, 190, 0));
    lip.setColorAt(1.0, QColor(255, 230, 190, 70));
    p.setPen(QPen(QBrush(lip), 1.0));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

void scoreboard(QPainter &p)
{
    const QRectF panel(0.5, 0.5, 421, 93);
    // Panel of dark polished walnut.
    QLinearGradient g(panel.topLeft(), panel.bottomLeft());
    g.setColorAt(0.0, QColor(104, 64, 37));
    g.setColorAt(0.08, QColor(86, 52, 30));
    g.setColorAt(1.0, QColor(62, 37, 21));
    p.setPen(QPen(QColor(30, 16, 8), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(panel, 6, 6);
    // Fine grain on the panel.
    for (int i = 0; i < 40; ++i) {
        const double y = 2 + i * 2.3 + hashUnit(i, 1, 9) * 0.8;
        const double x0 = 4 + std::abs(hashUnit(i, 2, 9)) * 180, len = 60 + std::abs(hashUnit(i, 3, 9)) * 200;
        p.setPen(QPen(QColor(30, 16, 6, 28), 0.6));
        p.drawLine(QPointF(x0, y), QPointF(std::min(418.0, x0 + len), y + hashUnit(i, 4, 9) * 0.6));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 220, 170, 60), 1.0));
    p.drawRoundedRect(panel.adjusted(1, 1, -1, -1), 5, 5);

    // The six rows, three per column.
    for (int col = 0; col < 2; ++col) {
        const double x = col == 0 ? 3 : 214;
        for (int row = 0; row < 3; ++row) {
            const double y = 4 + row * 30;
            slot(p, QRectF(x, y, 204, 26), 4);
            // Column rules: bone count | name | score | round score.
            for (double cx : {22.5, 133.5, 165.5}) {
                p.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
                p.drawLine(QPointF(x + cx, y + 5), QPointF(x + cx, y + 21));
                p.setPen(QPen(QColor(255, 225, 180, 28), 1.0));
                p.drawLine(QPointF(x + cx + 1, y + 5), QPointF(x + cx + 1, y + 21));
            }
        }
    }
    // A groove between the two columns.
    p.setPen(QPen(QColor(20, 10, 4, 150), 1.0));
    p.drawLine(QPointF(210.5, 6), QPointF(210.5, 88));
    p.setPen(QPen(QColor(255, 220, 170, 40), 1.0));
    p.drawLine(QPointF(211.5, 6), QPointF(211.5, 88));
}

void turnBar(QPainter &p)
{
    const QRectF r(0.5, 0.5, 203, 25);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(255, 214, 110, 150));
    g.setColorAt(0.5, QColor(235, 160, 40, 95));
    g.setColorAt(1.0, QColor(210, 120, 20, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
    // Glow gathered at the ends so the names in the middle stay easy to read.
    QLinearGradient ends(r.topLeft(), r.topRight());
    ends.setColorAt(0.0, QColor(255, 230, 140, 110));
    ends.setColorAt(0.12, QColor(255, 230, 140, 0));
    ends.setColorAt(0.88, QColor(255, 230, 140, 0));
    ends.setColorAt(1.0, QColor(255, 230, 140, 110));
    p.setBrush(ends);
    p.drawRoundedRect(r, 4, 4);
    // Gloss on the upper half.
    QLinearGradient gloss(0, 1, 0, 12);
    gloss.setColorAt(0, QColor(255, 255, 235, 90));
    gloss.setColorAt(1, QColor(255, 255, 235, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(2, 1.5, 200, 11), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 232, 150, 230), 1.0));
    p.drawRoundedRect(r, 4, 4);
}

void eyes(QPainter &p)
{
    for (double cx : {5.5, 16.5}) {
        const QRectF white(cx - 4.8, 0.6, 9.6, 6.8);
        QRadialGradient g(QPointF(cx - 1, 2.5), 6);
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(214, 214, 204));
        p.setPen(QPen(QColor(24, 16, 10), 0.9));
        p.setBrush(g);
        p.drawEllipse(white);
        // Looking sideways at the table.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 150));
        p.drawEllipse(QPointF(cx + 1.6, 4.2), 2.3, 2.3);
        p.setBrush(QColor(10, 10, 12));
        p.drawEllipse(QPointF(cx + 1.8, 4.2), 1.25, 1.25);
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawEllipse(QPointF(cx + 1.1, 3.4), 0.55, 0.55);
    }
}

// A small upright bone used as an ornament in the banner and the icon.
void miniBone(QPainter &p, const QRectF &r, int top, int bottom)
{
    drawBoneBlank(p, r, true);
    const double k = r.width() / 34.0;
    drawPipFace(p, top, QPointF(r.left() + 17 * k, r.top() + 17 * k), true, 8.0 * k, 2.6 * k);
    drawPipFace(p, bottom, QPointF(r.left() + 17 * k, r.top() + 49 * k), true, 8.0 * k, 2.6 * k);
}

void banner(QPainter &p)
{
    const QRectF r(0.5, 0.5, 271, 33);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(18, 96, 36));
    g.setColorAt(0.5, QColor(6, 70, 20));
    g.setColorAt(1.0, QColor(2, 48, 12));
    p.setPen(QPen(QColor(40, 22, 8), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(r, 7, 7);
    // Brass inlay.
    p.setBrush(Qt::NoBrush);
    QLinearGradient brass(0, 2, 0, 32);
    brass.setColorAt(0, QColor(255, 232, 160));
    brass.setColorAt(1, QColor(170, 120, 40));
    p.setPen(QPen(QBrush(brass), 1.0));
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 5, 5);
    // Sheen.
    QLinearGradient sheen(0, 3, 0, 16);
    sheen.setColorAt(0, QColor(255, 255, 255, 46));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(QRectF(4, 3.5, 264, 13), 4, 4);

    // Two little bones, slightly fanned.
    p.save();
    p.translate(20, 17);
    p.rotate(-14);
    miniBone(p, QRectF(-6.5, -12.5, 13, 25.2), 5, 5);
    p.restore();
    p.save();
    p.translate(31, 18);
    p.rotate(16);
    miniBone(p, QRectF(-6.5, -12.5, 13, 25.2), 1, 3);
    p.restore();

    // The name in gold, with a dark cut below.
    QFont title = uiFont(22, true, true);
    title.setItalic(true);
    QPainterPath text;
    text.addText(QPointF(45, 25), title, QStringLiteral("Velloc"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 20, 4, 170));
    p.drawPath(text.translated(0.8, 1.2));
    QLinearGradient gold(0, 8, 0, 26);
    gold.setColorAt(0.0, QColor(255, 246, 200));
    gold.setColorAt(0.5, QColor(246, 206, 110));
    gold.setColorAt(1.0, QColor(196, 140, 46));
    p.setBrush(gold);
    p.setPen(QPen(QColor(90, 56, 12, 160), 0.5));
    p.drawPath(text);

    // The maker.
    const QFont small = uiFont(9, false);
    const QFont maker = uiFont(13, true);
    p.setFont(small);
    p.setPen(QColor(226, 228, 182, 200));
    p.drawText(QRectF(150, 5, 112, 11), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("a game by"));
    drawEngravedText(p, QRectF(150, 14, 112, 16), QStringLiteral("Qorb42"), maker, Cream, QColor(0, 0, 0, 0),
                     QColor(0, 0, 0, 140), Qt::AlignRight | Qt::AlignVCenter);
}

// A picture button: a brass-and-ivory plate with engraved text.
void button(QPainter &p, QSizeF size, const QString &text, bool hover)
{
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (hover) {
        g.setColorAt(0.0, QColor(255, 252, 226));
        g.setColorAt(0.45, QColor(255, 228, 150));
        g.setColorAt(1.0, QColor(236, 176, 70));
    } else {
        g.setColorAt(0.0, QColor(252, 242, 204));
        g.setColorAt(0.45, QColor(236, 206, 136));
        g.setColorAt(1.0, QColor(196, 146, 66));
    }
    p.setPen(QPen(QColor(74, 42, 14), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    // Bevel.
    p.setBrush(Qt::NoBrush);
    QLinearGradient bevel(r.topLeft(), r.bottomLeft());
    bevel.setColorAt(0.0, QColor(255, 255, 255, hover ? 230 : 190));
    bevel.setColorAt(0.5, QColor(255, 255, 255, 0));
    bevel.setColorAt(0.51, QColor(120, 70, 20, 0));
    bevel.setColorAt(1.0, QColor(120, 70, 20, 120));
    p.setPen(QPen(QBrush(bevel), 1.0));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
    if (hover) {
        // A warm glow inside the rim says "click me".
        p.setPen(QPen(QColor(255, 200, 60, 140), 1.6));
        p.drawRoundedRect(r.adjusted(1.8, 1.8, -1.8, -1.8), 4.5, 4.5);
    }
    const QColor ink = hover ? QColor(0, 86, 0) : QColor(70, 40, 14);
    drawEngravedText(p, r.adjusted(0, -0.5, 0, -0.5), text, uiFont(13, true), ink, QColor(255, 255, 255, 150),
                     QColor(0, 0, 0, 0));
}

void checkBox(QPainter &p, bool ticked)
{
    const QRectF box(3.5, 6.5, 18, 18);
    // Sunk cream square.
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0.0, QColor(214, 204, 170));
    g.setColorAt(0.25, QColor(244, 240, 214));
    g.setColorAt(1.0, QColor(252, 250, 236));
    p.setPen(QPen(QColor(56, 32, 14), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(box, 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 230, 180, 90), 1.0));
    p.drawRoundedRect(box.adjusted(-1, -1, 1, 1), 4, 4);
    if (!ticked)
        return;
    QPainterPath tick;
    tick.moveTo(7.0, 15.5);
    tick.lineTo(11.2, 20.8);
    tick.cubicTo(QPointF(13.8, 14), QPointF(17, 8.5), QPointF(22.8, 3.2));
    p.setPen(QPen(QColor(0, 0, 0, 90), 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick.translated(0.5, 0.8));
    p.setPen(QPen(QColor(0, 110, 20), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(120, 210, 110, 200), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick.translated(-0.4, -0.5));
}

} // namespace

// Phrase icons live in phrases.cpp.
void drawPhraseIcon(QPainter &p, int n);

std::vector<Picture> tablePictures()
{
    std::vector<Picture> list;
    list.push_back({QStringLiteral("images/background.png"), QSize(300, 128), background});
    list.push_back(vectorPicture(QStringLiteral("images/scoreboard.png"), QSize(422, 94), scoreboard));
    list.push_back(vectorPicture(QStringLiteral("images/turnbar.png"), QSize(204, 26), turnBar));
    list.push_back(vectorPicture(QStringLiteral("images/eyes.png"), QSize(22, 8), eyes));
    list.push_back(vectorPicture(QStringLiteral("images/banner.png"), QSize(272, 34), banner));
    struct B { const char *name; int w; const char *text; };
    for (B b : {B{"button_start", 102, "Start Game"}, B{"button_pass", 65, "Pass"},
                B{"gamestart_button", 102, "Start"}}) {
        const QString text = QString::fromLatin1(b.text);
        const QSize size(b.w, 28);
        list.push_back(vectorPicture(QStringLiteral("images/%1.png").arg(QLatin1String(b.name)), size,
                                     [text, size](QPainter &p) { button(p, size, text, false); }));
        list.push_back(vectorPicture(QStringLiteral("images/%1_hover.png").arg(QLatin1String(b.name)), size,
                                     [text, size](QPainter &p) { button(p, size, text, true); }));
    }
    list.push_back(vectorPicture(QStringLiteral("images/check_empty.png"), QSize(25, 28),
                                 [](QPainter &p) { checkBox(p, false); }));
    list.push_back(vectorPicture(QStringLiteral("images/check_ticked.png"), QSize(25, 28),
                                 [](QPainter &p) { checkBox(p, true); }));
    for (int n = 1; n <= 10; ++n)
        list.push_back(vectorPicture(QStringLiteral("images/phrase_%1.png").arg(n), QSize(17, 13),
                                     [n](QPainter &p) { drawPhraseIcon(p, n); }));
    return list;
}

} // namespace art
