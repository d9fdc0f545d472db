// SPDX-License-Identifier: MIT
// Shared pieces of the artwork generator: the asset table, the drawing
// helpers and the periodic noise that the textures are grown from.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

// One picture: its resource path (relative to resources/), its size in
// logical pixels and a function that renders it at a whole-number scale.
struct Picture {
    QString path;
    QSize size;
    std::function<QImage(int scale)> render;
    bool jpeg = false;
};

// One synthesised sound: 16-bit mono samples at the given rate.
struct Sound {
    QString path;
    std::function<std::vector<float>()> render;
};

constexpr int SampleRate = 22050;

std::vector<Picture> tablePictures();  // background, scoreboard, buttons, phrases ...
std::vector<Picture> boardPictures();  // felt, bones, pip faces, toe target
std::vector<Picture> scenePictures();  // lobby picture and program icon
std::vector<Sound> sounds();

// Renders a vector drawing made in logical coordinates at the given scale
// onto a transparent image.
QImage renderVector(QSize logical, int scale, const std::function<void(QPainter &)> &draw);

// Builds a Picture from a vector drawing.
Picture vectorPicture(const QString &path, QSize size, std::function<void(QPainter &)> draw);

// Renders per pixel: the function gets logical coordinates (pixel centres)
// and the scale, and returns a straight (not premultiplied) colour;
// supersample > 1 averages that many samples per pixel along each axis.
QImage renderPixels(QSize logical, int scale, const std::function<QColor(double u, double v, int scale)> &shade,
                    int supersample = 1);

// Deterministic hashing for textures and noise.
uint32_t hash3(uint32_t a, uint32_t b, uint32_t c);
double hashUnit(uint32_t a, uint32_t b, uint32_t c); // in [-1, 1]

// Value noise on a lattice that wraps after periodX x periodY cells, so a
// texture built from it tiles without seams. Coordinates are in cells.
double periodicNoise(double x, double y, int periodX, int periodY, uint32_t seed);

// Several octaves of periodicNoise; each octave doubles frequency and
// period, so the sum wraps with the same period as the first octave.
double periodicFbm(double x, double y, int periodX, int periodY, int octaves, uint32_t seed);

// Colour helpers.
QColor mix(const QColor &a, const QColor &b, double t);
QColor shade(const QColor &c, double amount); // amount < 0 darker, > 0 lighter (in 0..255 levels)
int clamp255(double v);

// Table palette.
inline const QColor Cream(226, 228, 182);
inline const QColor TableBrown(137, 85, 50);
inline const QColor BoardGreen(0, 64, 0);
inline const QColor Ivory(246, 241, 224);
inline const QColor IvoryLight(255, 253, 244);
inline const QColor IvoryShade(224, 214, 188);
inline const QColor Ink(62, 38, 20);

// Drawing pieces shared between pictures.
QFont uiFont(double pixelSize, bool bold = true, bool serif = false);
void drawBoneBlank(QPainter &p, const QRectF &r, bool upright);
void drawPipFace(QPainter &p, int value, QPointF centre, bool upright, double pitch, double radius);
QColor pipColour(int value);
void drawEngravedText(QPainter &p, const QRectF &r, const QString &text, const QFont &font,
                      const QColor &colour, const QColor &light, const QColor &dark, int flags = Qt::AlignCenter);

// The program icon, drawn on a size x size square.
void drawProgramIcon(QPainter &p, double size);

// The program icon for desktops: hicolor theme PNGs and an SVG under
// <resourceDir>/icons/hicolor, named by the application's id. Returns the
// written paths relative to resourceDir, or an empty list on failure.
QStringList writeThemeIcons(const QString &resourceDir);

// Montage of the written files, for a maintainer to look at.
bool writePreview(const QString &resourceDir, const QString &outFile, int scale);

} // namespace art
