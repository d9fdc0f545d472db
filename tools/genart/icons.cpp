// SPDX-License-Identifier: MIT
// The program icon for desktops: the hicolor theme's PNG sizes and an SVG,
// all drawn by the same drawing as the icon embedded in the program, so the
// menu, the dock and the window show one picture.
#include "art.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSvgGenerator>

#include <cstdio>

namespace art {

namespace {

// The desktop entry, the metainfo and QGuiApplication::desktopFileName all
// use this id; the theme icon must carry the same name.
const QString AppId = QStringLiteral("io.github.velloc.Velloc");

// The sizes desktops look up most; smaller ones are drawn, not scaled, so
// the strokes stay crisp.
constexpr int ThemeSizes[] = {16, 32, 48, 64, 128, 256};

bool writeFile(const QString &file, const QByteArray &data)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray svgIcon()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator gen;
    gen.setOutputDevice(&buffer);
    gen.setSize(QSize(256, 256));
    gen.setViewBox(QRect(0, 0, 256, 256));
    gen.setTitle(QStringLiteral("Velloc"));
    gen.setDescription(QStringLiteral("A spinner with its three toes on felt: a chicken foot"));
    QPainter p(&gen);
    p.setRenderHint(QPainter::Antialiasing);
    drawProgramIcon(p, 256);
    p.end();
    return buffer.data();
}

} // namespace

QStringList writeThemeIcons(const QString &resourceDir)
{
    QStringList written;
    const QString base = QStringLiteral("icons/hicolor/");
    for (int size : ThemeSizes) {
        const QString rel = base + QStringLiteral("%1x%1/apps/").arg(size) + AppId + QStringLiteral(".png");
        const QString file = resourceDir + QLatin1Char('/') + rel;
        QDir().mkpath(QFileInfo(file).absolutePath());
        const QImage img = renderVector(QSize(size, size), 1, [size](QPainter &p) { drawProgramIcon(p, size); })
                               .convertToFormat(QImage::Format_ARGB32);
        QImageWriter w(file, "png");
        w.setQuality(0); // for PNG: strongest deflate
        if (!w.write(img)) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file));
            return {};
        }
        written << rel;
    }
    const QString rel = base + QStringLiteral("scalable/apps/") + AppId + QStringLiteral(".svg");
    const QString file = resourceDir + QLatin1Char('/') + rel;
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!writeFile(file, svgIcon())) {
        std::fprintf(stderr, "%s: cannot write\n", qPrintable(file));
        return {};
    }
    written << rel;
    return written;
}

} // namespace art
