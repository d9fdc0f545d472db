// SPDX-License-Identifier: MIT
// velloc-genart: draws every picture and synthesises every sound of Velloc
// into resources/, together with the resource lists velloc.qrc and velloc_2x.qrc, and the
// desktop icons under resources/icons/. The results are committed; the
// program's build only embeds or installs them.
//
//   velloc-genart <resources-dir>
//   velloc-genart --preview <out.png> [--scale 1|2] <resources-dir>
#include "art.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString at2x(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

bool isOpaque(const QImage &img)
{
    const QImage a = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

// The same pixels with an exact palette when there are at most 256
// colours, else the picture as it is.
QImage withPalette(const QImage &rgb)
{
    QList<QRgb> colours;
    QHash<QRgb, int> index;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (!index.contains(line[x])) {
                if (colours.size() == 256)
                    return rgb;
                index.insert(line[x], 0);
                colours << line[x];
            }
    }
    std::sort(colours.begin(), colours.end());
    for (int i = 0; i < colours.size(); ++i)
        index[colours[i]] = i;
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(colours);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *to = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            to[x] = uchar(index.value(line[x]));
    }
    return out;
}

bool writeJpeg(const QImage &img, const QString &file)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    QImageWriter w(file, "jpeg");
    w.setQuality(90);
    w.setOptimizedWrite(true);
    if (w.write(rgb))
        return true;
    // No JPEG plug-in: let ImageMagick do it.
    QTemporaryDir tmp;
    const QString png = tmp.filePath(QStringLiteral("lobby.png"));
    if (!rgb.save(png, "PNG"))
        return false;
    return QProcess::execute(QStringLiteral("convert"), {png, QStringLiteral("-quality"), QStringLiteral("90"), file}) == 0;
}

bool writePicture(const art::Picture &pic, const QString &dir, QStringList &written)
{
    for (int scale : {1, 2}) {
        const QString rel = scale == 1 ? pic.path : at2x(pic.path);
        const QString file = dir + QLatin1Char('/') + rel;
        QImage img = pic.render(scale);
        if (img.size() != pic.size * scale) {
            std::fprintf(stderr, "%s: drawn at the wrong size\n", qPrintable(rel));
            return false;
        }
        bool ok;
        if (pic.jpeg) {
            ok = writeJpeg(img, file);
        } else {
            // Opaque pictures are stored without an alpha channel, and with
            // a palette when they have few colours: smaller to ship, and the
            // program keeps them at one byte a pixel.
            img = isOpaque(img) ? withPalette(img.convertToFormat(QImage::Format_RGB32))
                                : img.convertToFormat(QImage::Format_ARGB32);
            QImageWriter w(file, "png");
            w.setQuality(0); // for PNG: strongest deflate
            ok = w.write(img);
        }
        if (!ok) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file));
            return false;
        }
        written << rel;
    }
    return true;
}

bool writeWav(const std::vector<float> &samples, const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    auto u32 = [&out](quint32 v) { for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&out](quint16 v) { out.append(char(v & 0xFF)); out.append(char(v >> 8)); };
    out.append("RIFF");
    u32(36 + dataBytes);
    out.append("WAVE");
    out.append("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(art::SampleRate);
    u32(art::SampleRate * 2);
    u16(2);
    u16(16);
    out.append("data");
    u32(dataBytes);
    for (float s : samples) {
        const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        u16(quint16(qint16(v)));
    }
    return f.write(out) == out.size();
}

// The "@2x" pictures go into a resource block of their own (velloc_2x.qrc):
// on a screen of pixel ratio 1 their pages are never touched.
bool writeQrcFile(const QStringList &files, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << "<!DOCTYPE RCC>\n"
           "<!-- Written by tools/genart.sh; edit the generator, not this list. -->\n"
           "<RCC version=\"1.0\">\n"
           "<qresource prefix=\"/\">\n";
    QStringList sorted = files;
    sorted.sort();
    for (const QString &file : sorted)
        out << "    <file>" << file << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    return true;
}

bool writeQrc(const QStringList &files, const QString &dir)
{
    QStringList plain, sharp;
    for (const QString &file : files)
        (file.contains(QLatin1String("@2x.")) ? sharp : plain) << file;
    return writeQrcFile(plain, dir + QStringLiteral("/velloc.qrc"))
        && writeQrcFile(sharp, dir + QStringLiteral("/velloc_2x.qrc"));
}

int usage()
{
    std::fprintf(stderr, "usage: velloc-genart <resources-dir>\n"
                         "       velloc-genart --preview <out.png> [--scale 1|2] <resources-dir>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString preview;
    int scale = 1;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QLatin1String("--preview") && !args.isEmpty())
            preview = args.takeFirst();
        else if (opt == QLatin1String("--scale") && !args.isEmpty())
            scale = args.takeFirst().toInt();
        else
            return usage();
    }
    if (args.size() != 1 || (scale != 1 && scale != 2))
        return usage();
    const QString dir = QDir(args.first()).absolutePath();

    if (!preview.isEmpty())
        return art::writePreview(dir, preview, scale) ? 0 : 1;

    if (!QDir().mkpath(dir + QStringLiteral("/images")) || !QDir().mkpath(dir + QStringLiteral("/sounds"))) {
        std::fprintf(stderr, "cannot create %s/images and %s/sounds\n", qPrintable(dir), qPrintable(dir));
        return 1;
    }
    QStringList written;
    std::vector<art::Picture> pictures = art::tablePictures();
    for (auto &&list : {art::boardPictures(), art::scenePictures()})
        pictures.insert(pictures.end(), list.begin(), list.end());
    for (const art::Picture &pic : pictures) {
        if (!writePicture(pic, dir, written))
            return 1;
        std::printf("%s\n", qPrintable(pic.path));
    }
    for (const art::Sound &sound : art::sounds()) {
        if (!writeWav(sound.render(), dir + QLatin1Char('/') + sound.path)) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(sound.path));
            return 1;
        }
        written << sound.path;
        std::printf("%s\n", qPrintable(sound.path));
    }
    // Desktop icons are installed beside the program, not embedded: they stay
    // out of velloc.qrc.
    const QStringList icons = art::writeThemeIcons(dir);
    if (icons.isEmpty())
        return 1;
    for (const QString &icon : icons)
        std::printf("%s\n", qPrintable(icon));
    if (!writeQrc(written, dir)) {
        std::fprintf(stderr, "cannot write velloc.qrc\n");
        return 1;
    }
    std::printf("%lld files and velloc.qrc written to %s\n", static_cast<long long>(written.size()), qPrintable(dir));
    return 0;
}
