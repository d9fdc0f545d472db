// SPDX-License-Identifier: MIT
// Drawing helpers and noise shared by every picture of the generator.
#include "art.h"

#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace art {

QImage renderVector(QSize logical, int scale, const std::function<void(QPainter &)> &draw)
{
    QImage img(logical * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    draw(p);
    p.end();
    return img;
}

Picture vectorPicture(const QString &path, QSize size, std::function<void(QPainter &)> draw)
{
    return Picture{path, size, [size, draw](int scale) { return renderVector(size, scale, draw); }};
}

QImage renderPixels(QSize logical, int scale, const std::function<QColor(double, double, int)> &shadeFn,
                    int supersample)
{
    QImage img(logical * scale, QImage::Format_ARGB32);
    const int n = std::max(1, supersample);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    const double u = (x + (sx + 0.5) / n) / scale;
                    const double v = (y + (sy + 0.5) / n) / scale;
                    const QColor c = shadeFn(u, v, scale);
                    r += c.red();
                    g += c.green();
                    b += c.blue();
                    a += c.alpha();
                }
            const double k = 1.0 / (n * n);
            line[x] = qRgba(clamp255(r * k), clamp255(g * k), clamp255(b * k), clamp255(a * k));
        }
    }
    return img;
}

uint32_t hash3(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double hashUnit(uint32_t a, uint32_t b, uint32_t c)
{
    return (hash3(a, b, c) & 0xFFFFFF) / double(0xFFFFFF) * 2.0 - 1.0;
}

static double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

static int wrap(int v, int period)
{
    const int m = v % period;
    return m < 0 ? m + period : m;
}

double periodicNoise(double x, double y, int periodX, int periodY, uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = wrap(int(fx), periodX), y0 = wrap(int(fy), periodY);
    const int x1 = wrap(x0 + 1, periodX), y1 = wrap(y0 + 1, periodY);
    const double tx = fade(x - fx), ty = fade(y - fy);
    const double a = hashUnit(x0, y0, seed), b = hashUnit(x1, y0, seed);
    const double c = hashUnit(x0, y1, seed), d = hashUnit(x1, y1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double periodicFbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed)
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * periodicNoise(x, y, periodX, periodY, seed + 101 * o);
        norm += amp;
        amp *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / norm;
}

int clamp255(double v)
{
    return std::clamp(int(std::lround(v)), 0, 255);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor(clamp255(a.red() + (b.red() - a.red()) * t), clamp255(a.green() + (b.green() - a.green()) * t),
                  clamp255(a.blue() + (b.blue() - a.blue()) * t),
                  clamp255(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QColor shade(const QColor &c, double amount)
{
    return QColor(clamp255(c.red() + amount), clamp255(c.green() + amount), clamp255(c.blue() + amount), c.alpha());
}

QFont uiFont(double pixelSize, bool bold, bool serif)
{
    QFont f(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void drawEngravedText(QPainter &p, const QRectF &r, const QString &text, const QFont &font, const QColor &colour,
                      const QColor &light, const QColor &dark, int flags)
{
    p.save();
    p.setFont(font);
    if (light.alpha() > 0) {
        p.setPen(light);
        p.drawText(r.translated(0, 1), flags, text);
    }
    if (dark.alpha() > 0) {
        p.setPen(dark);
        p.drawText(r.translated(0, -0.5), flags, text);
    }
    p.setPen(colour);
    p.drawText(r, flags, text);
    p.restore();
}

// Strokes a rounded rectangle with a pen whose brush may be a gradient. An
// SVG writer strokes only with plain colours (a gradient pen comes out
// black), so there the stroke's outline is filled with the pen's brush,
// which looks the same; pictures keep the plain stroke.
static void strokeRoundedRect(QPainter &p, const QRectF &r, double radius, const QPen &pen)
{
    if (p.paintEngine() && p.paintEngine()->type() == QPaintEngine::SVG && pen.brush().gradient()) {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        p.fillPath(QPainterPathStroker(pen).createStroke(path), pen.brush());
        return;
    }
    p.setPen(pen);
    p.drawRoundedRect(r, radius, radius);
}

// A blank bone: ivory, rounded, lit from the top left, with a sunk dividing
// line and the brass pin that real bones carry at their centre.
void drawBoneBlank(QPainter &p, const QRectF &r, bool upright)
{
    p.save();
    const double radius = std::min(r.width(), r.height()) * 0.16;
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);

    // Body: a soft diagonal fall of light.
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0.0, IvoryLight);
    g.setColorAt(0.45, Ivory);
    g.setColorAt(1.0, QColor(234, 226, 204));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(body, radius, radius);

    // Rounded edges: a light rim above and left, a shaded rim below and right.
    const QRectF rim = body.adjusted(0.9, 0.9, -0.9, -0.9);
    QLinearGradient edge(rim.topLeft(), rim.bottomRight());
    edge.setColorAt(0.0, QColor(255, 255, 255, 220));
    edge.setColorAt(0.5, QColor(255, 255, 255, 0));
    edge.setColorAt(0.5001, QColor(150, 128, 90, 0));
    edge.setColorAt(1.0, QColor(150, 128, 90, 150));
    p.setBrush(Qt::NoBrush);
    strokeRoundedRect(p, rim, radius - 0.8, QPen(QBrush(edge), 1.2));

    // Outline, darker at the bottom where the bone meets the table.
    QLinearGradient outline(body.topLeft(), body.bottomLeft());
    outline.setColorAt(0.0, QColor(120, 100, 72, 200));
    outline.setColorAt(1.0, QColor(70, 54, 34, 235));
    strokeRoundedRect(p, body, radius, QPen(QBrush(outline), 1.0));

    // Dividing line, cut into the face: a dark groove with a light lip below.
    const QPointF c = r.center();
    const double inset = (upright ? r.width() : r.height()) * 0.17;
    QLineF groove, lip;
    if (upright) {
        groove = QLineF(r.left() + inset, c.y() - 0.25, r.right() - inset, c.y() - 0.25);
        lip = groove.translated(0, 0.8);
    } else {
        groove = QLineF(c.x() - 0.25, r.top() + inset, c.x() - 0.25, r.bottom() - inset);
        lip = groove.translated(0.8, 0);
    }
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lip);
    p.setPen(QPen(QColor(120, 100, 74, 210), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(groove);

    // The brass pin.
    const double pr = 1.9;
    QRadialGradient brass(c + QPointF(-0.6, -0.6), pr * 1.6);
    brass.setColorAt(0.0, QColor(255, 240, 190));
    brass.setColorAt(0.45, QColor(214, 172, 84));
    brass.setColorAt(1.0, QColor(128, 90, 30));
    p.setPen(QPen(QColor(96, 66, 24, 200), 0.5));
    p.setBrush(brass);
    p.drawEllipse(c, pr, pr);
    p.restore();
}

// Pip colours of a coloured double-nine set: each value its own hue, so a
// matching end is found at a glance, all dark enough to read on ivory.
QColor pipColour(int value)
{
    static const QColor colours[10] = {
        QColor(0, 0, 0),        // 0: no pips
        QColor(24, 118, 186),   // 1: sky blue
        QColor(30, 126, 58),    // 2: green
        QColor(200, 40, 36),    // 3: red
        QColor(112, 62, 26),    // 4: brown
        QColor(36, 52, 160),    // 5: deep blue
        QColor(14, 124, 122),   // 6: teal
        QColor(128, 42, 140),   // 7: purple
        QColor(30, 30, 30),     // 8: black
        QColor(214, 110, 0),    // 9: orange
    };
    return colours[std::clamp(value, 0, 9)];
}

// Pip positions on a 3 x 3 grid for an upright half; a lying half shows the
// same pattern turned a quarter to the right.
static std::vector<QPoint> pipGrid(int value)
{
    switch (value) {
    case 1: return {{0, 0}};
    case 2: return {{1, -1}, {-1, 1}};
    case 3: return {{1, -1}, {0, 0}, {-1, 1}};
    case 4: return {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    case 5: return {{-1, -1}, {1, -1}, {0, 0}, {-1, 1}, {1, 1}};
    case 6: return {{-1, -1}, {-1, 0}, {-1, 1}, {1, -1}, {1, 0}, {1, 1}};
    case 7: return {{-1, -1}, {-1, 0}, {-1, 1}, {0, 0}, {1, -1}, {1, 0}, {1, 1}};
    case 8: return {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    case 9: return {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    default: return {};
    }
}

// One pip: a drilled, paint-filled hollow. The shadow of the rim falls on
// the upper left of the hollow, the light catches its lower right wall.
static void drawPip(QPainter &p, QPointF c, double r, const QColor &colour)
{
    p.save();
    p.setPen(Qt::NoPen);
    // Light lip of the hole on the lower right.
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(c + QPointF(0.35, 0.45), r, r);
    // Paint.
    QRadialGradient g(c + QPointF(r * 0.3, r * 0.35), r * 1.25);
    g.setColorAt(0.0, shade(colour, 40));
    g.setColorAt(0.55, colour);
    g.setColorAt(1.0, shade(colour, -45));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    // Rim shadow on the upper left.
    QLinearGradient s(c - QPointF(r, r), c + QPointF(r, r));
    s.setColorAt(0.0, QColor(0, 0, 0, 110));
    s.setColorAt(0.5, QColor(0, 0, 0, 0));
    p.setBrush(s);
    p.drawEllipse(c, r, r);
    p.restore();
}

void drawPipFace(QPainter &p, int value, QPointF centre, bool upright, double pitch, double radius)
{
    const QColor colour = pipColour(value);
    for (QPoint g : pipGrid(value)) {
        // Turning a quarter to the right maps (x, y) to (-y, x).
        const QPointF offset = upright ? QPointF(g.x(), g.y()) : QPointF(-g.y(), g.x());
        drawPip(p, centre + offset * pitch, radius, colour);
    }
}

} // namespace art
