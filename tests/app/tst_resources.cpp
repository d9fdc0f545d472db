// SPDX-License-Identifier: MIT
// Every embedded picture loads at its layout size with a sharp twin at twice
// that size, and every sound is a short, unclipped 16-bit mono PCM wave.
#include "velloc_resources.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QtEndian>
#include <QtTest>

#include <cstdlib>

class tst_resources : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void sounds_data();
    void sounds();
    void artPixmapPicksDensity_data();
    void artPixmapPicksDensity();
    void programIconHasBothSizes();
    void opaqueArtDrawsTheSame_data();
    void opaqueArtDrawsTheSame();
};

void tst_resources::initTestCase()
{
    initVellocResources();
}

static QString at2x(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

// How a picture is laid over the window.
enum Layer { Plain, Backdrop, Overlay };
Q_DECLARE_METATYPE(Layer)

void tst_resources::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Layer>("layer");
    auto row = [](const QString &path, int w, int h, Layer layer = Plain) {
        QTest::newRow(qPrintable(path)) << QStringLiteral(":/images/") + path << QSize(w, h) << layer;
    };
    row(QStringLiteral("background.png"), 300, 128, Backdrop);
    row(QStringLiteral("scoreboard.png"), 422, 94);
    row(QStringLiteral("turnbar.png"), 204, 26, Overlay);
    row(QStringLiteral("eyes.png"), 22, 8);
    row(QStringLiteral("banner.png"), 272, 34);
    row(QStringLiteral("boardback.png"), 756, 312, Backdrop);
    row(QStringLiteral("handback.png"), 770, 95, Backdrop);
    row(QStringLiteral("bone_back_v.png"), 34, 66);
    row(QStringLiteral("bone_back_h.png"), 66, 34);
    for (int n = 0; n <= 9; ++n) {
        row(QStringLiteral("dots_v_%1.png").arg(n), 28, 28, Overlay);
        row(QStringLiteral("dots_h_%1.png").arg(n), 28, 28, Overlay);
    }
    row(QStringLiteral("toe_target.png"), 66, 34, Overlay);
    row(QStringLiteral("button_start.png"), 102, 28);
    row(QStringLiteral("button_start_hover.png"), 102, 28);
    row(QStringLiteral("button_pass.png"), 65, 28);
    row(QStringLiteral("button_pass_hover.png"), 65, 28);
    row(QStringLiteral("gamestart_button.png"), 102, 28);
    row(QStringLiteral("gamestart_button_hover.png"), 102, 28);
    for (int n = 1; n <= 10; ++n)
        row(QStringLiteral("phrase_%1.png").arg(n), 17, 13, Overlay);
    row(QStringLiteral("check_empty.png"), 25, 28, Overlay);
    row(QStringLiteral("check_ticked.png"), 25, 28, Overlay);
    row(QStringLiteral("lobby.jpg"), 700, 260, Backdrop);
    row(QStringLiteral("velloc.png"), 256, 256, Overlay);
    row(QStringLiteral("velloc_64.png"), 64, 64, Overlay);
}

void tst_resources::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(Layer, layer);
    QImageReader plain(path);
    const QImage normal = plain.read();
    QVERIFY2(!normal.isNull(), qPrintable(path + QStringLiteral(": ") + plain.errorString()));
    QCOMPARE(normal.size(), size);
    QImageReader doubled(at2x(path));
    const QImage sharp = doubled.read();
    QVERIFY2(!sharp.isNull(), qPrintable(at2x(path) + QStringLiteral(": ") + doubled.errorString()));
    QCOMPARE(sharp.size(), size * 2);

    // Backdrops must not let the window show through; overlays must leave
    // what lies beneath visible around their edges.
    for (const QImage &img : {normal, sharp}) {
        const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
        const int corner = argb.pixelColor(0, 0).alpha();
        if (layer == Backdrop)
            QCOMPARE(corner, 255);
        else if (layer == Overlay)
            QCOMPARE(corner, 0);
    }
}

void tst_resources::sounds_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"blocked", "clearbone", "double", "entered", "invalid", "pass", "placebone",
                             "roundover", "selectbone", "sort", "turn", "turnnew", "winner"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_resources::sounds()
{
    QFETCH(QString, name);
    QFile f(QStringLiteral(":/sounds/%1.wav").arg(name));
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
    const QByteArray wav = f.readAll();
    const auto u16 = [&wav](qsizetype at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
    const auto u32 = [&wav](qsizetype at) { return qFromLittleEndian<quint32>(wav.constData() + at); };

    QVERIFY(wav.size() >= 44);
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(qsizetype(u32(4)), wav.size() - 8);
    QCOMPARE(wav.mid(8, 4), QByteArray("WAVE"));

    // Walk the chunks: "fmt " must come before "data".
    qsizetype at = 12, dataAt = -1;
    quint32 dataSize = 0;
    bool haveFormat = false;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const quint32 len = u32(at + 4);
        QVERIFY2(at + 8 + qsizetype(len) <= wav.size(), "chunk runs past the end of the file");
        if (id == "fmt ") {
            QVERIFY(len >= 16);
            QCOMPARE(u16(at + 8), quint16(1));      // PCM
            QCOMPARE(u16(at + 10), quint16(1));     // mono
            QCOMPARE(u32(at + 12), quint32(22050)); // sample rate
            QCOMPARE(u32(at + 16), quint32(44100)); // byte rate
            QCOMPARE(u16(at + 20), quint16(2));     // block align
            QCOMPARE(u16(at + 22), quint16(16));    // bits per sample
            haveFormat = true;
        } else if (id == "data") {
            QVERIFY2(haveFormat, "data before fmt");
            dataAt = at + 8;
            dataSize = len;
        }
        at += 8 + len + (len & 1);
    }
    QVERIFY2(dataAt > 0, "no data chunk");
    QCOMPARE(dataSize % 2, 0u);

    const double seconds = dataSize / 2 / 22050.0;
    QVERIFY2(seconds >= 0.1 && seconds <= 1.2, qPrintable(QString::number(seconds)));
    int peak = 0;
    for (quint32 i = 0; i < dataSize; i += 2)
        peak = std::max(peak, std::abs(int(qint16(u16(dataAt + i)))));
    // Audible, but with headroom: nothing near full scale.
    QVERIFY2(peak > 32767 / 20, qPrintable(QString::number(peak)));
    QVERIFY2(peak < 32767 * 9 / 10, qPrintable(QString::number(peak)));
}

void tst_resources::artPixmapPicksDensity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("pixmapRatio");
    QTest::newRow("normal screen") << QStringLiteral(":/images/eyes.png") << 1.0 << QSize(22, 8) << 1.0;
    QTest::newRow("high density") << QStringLiteral(":/images/eyes.png") << 2.0 << QSize(44, 16) << 2.0;
    QTest::newRow("fractional") << QStringLiteral(":/images/bone_back_v.png") << 1.5 << QSize(68, 132) << 2.0;
    QTest::newRow("jpeg") << QStringLiteral(":/images/lobby.jpg") << 2.0 << QSize(1400, 520) << 2.0;
    QTest::newRow("missing") << QStringLiteral(":/images/nothing.png") << 2.0 << QSize() << 1.0;
}

void tst_resources::artPixmapPicksDensity()
{
    QFETCH(QString, path);
    QFETCH(qreal, ratio);
    QFETCH(QSize, pixels);
    QFETCH(qreal, pixmapRatio);
    const QPixmap pm = artPixmap(path, ratio);
    QCOMPARE(pm.isNull(), !pixels.isValid());
    if (pm.isNull())
        return;
    QCOMPARE(pm.size(), pixels);
    QCOMPARE(pm.devicePixelRatio(), pixmapRatio);
    // Drawn at the same logical size whichever file was taken.
    QCOMPARE(pm.deviceIndependentSize().toSize(), pixels / pixmapRatio);
}

void tst_resources::programIconHasBothSizes()
{
    const QIcon icon = programIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.pixmap(QSize(64, 64)).size(), QSize(64, 64));
    QCOMPARE(icon.pixmap(QSize(256, 256)).size(), QSize(256, 256));
}

void tst_resources::opaqueArtDrawsTheSame_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("drawn"); // as the table stretches it
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QImage::Format>("held");
    for (qreal ratio : {1.0, 2.0}) {
        const QByteArray at = ratio > 1 ? "@2x" : "";
        QTest::addRow("board%s", at.data()) << QStringLiteral("boardback.png") << QSize(770, 258) << ratio
                                            << QImage::Format_Indexed8;
        QTest::addRow("hand%s", at.data()) << QStringLiteral("handback.png") << QSize(900, 95) << ratio
                                           << (ratio > 1 ? QImage::Format_RGB888 : QImage::Format_Indexed8);
        QTest::addRow("tiles%s", at.data()) << QStringLiteral("background.png") << QSize(724, 500) << ratio
                                            << QImage::Format_Indexed8;
    }
}

// Opaque art is held at one byte a pixel (palette) or three and must draw
// exactly as the four-byte picture did: stretched, smoothed or tiled.
void tst_resources::opaqueArtDrawsTheSame()
{
    QFETCH(QString, name);
    QFETCH(QSize, drawn);
    QFETCH(qreal, ratio);
    QFETCH(QImage::Format, held);
    const QPixmap kept = artPixmap(QStringLiteral(":/images/") + name, ratio);
    QCOMPARE(kept.toImage().format(), held);
    QImageReader reader(ratio > 1 ? QStringLiteral(":/images/%1@2x.png").arg(name.chopped(4))
                                  : QStringLiteral(":/images/") + name);
    QPixmap before = QPixmap::fromImage(reader.read().convertToFormat(QImage::Format_RGB32));
    before.setDevicePixelRatio(ratio);
    QCOMPARE(before.toImage().format(), QImage::Format_RGB32);
    auto draw = [&](const QPixmap &art, int how) {
        QImage canvas((drawn + QSize(6, 6)) * ratio, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::magenta);
        QPainter p(&canvas);
        if (how == 0) {
            p.drawPixmap(QRect(QPoint(3, 3), drawn), art);
        } else if (how == 1) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawPixmap(QRect(QPoint(3, 3), drawn), art);
        } else {
            p.fillRect(QRect(QPoint(3, 3), drawn), QBrush(Qt::black, art));
        }
        return canvas;
    };
    for (int how = 0; how < 3; ++how)
        QVERIFY2(draw(kept, how) == draw(before, how), qPrintable(QString::number(how)));
}

QTEST_MAIN(tst_resources)
#include "tst_resources.moc"
