// SPDX-License-Identifier: MIT
// JPEG decoding for the lobby picture: good files decode, bad ones are
// refused while the program goes on (libjpeg's own handler would exit).
#include "jpegimage.h"

#include <QFile>
#include <QTest>

#include <cstdio>

#include <jpeglib.h>

namespace {

// A test picture: left half red, right half blue, so that orientation and
// colour order both show.
QByteArray encode(int width, int height, bool grey, int quality = 95)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(width) * cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            if (grey) {
                row[size_t(x)] = left ? 40 : 210;
            } else {
                row[size_t(x) * 3 + 0] = left ? 220 : 10;
                row[size_t(x) * 3 + 1] = 20;
                row[size_t(x) * 3 + 2] = left ? 10 : 230;
            }
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

bool near(int a, int b) { return std::abs(a - b) <= 12; }

} // namespace

class tst_Jpeg : public QObject {
    Q_OBJECT

private slots:
    void decodesColour();
    void decodesGrey();
    void rejects_data();
    void rejects();
    void lobbyPicture();
};

void tst_Jpeg::decodesColour()
{
    QString error = QStringLiteral("stale");
    const QImage img = jpegimage::decode(encode(64, 48, false), &error);
    QVERIFY2(!img.isNull(), qPrintable(error));
    QVERIFY(error.isEmpty());
    QCOMPARE(img.size(), QSize(64, 48));
    const QColor left = img.pixelColor(8, 24);
    const QColor right = img.pixelColor(56, 24);
    QVERIFY2(near(left.red(), 220) && near(left.blue(), 10), qPrintable(left.name()));
    QVERIFY2(near(right.red(), 10) && near(right.blue(), 230), qPrintable(right.name()));
}

void tst_Jpeg::decodesGrey()
{
    const QImage img = jpegimage::decode(encode(33, 17, true));
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), QSize(33, 17));
    QVERIFY(near(qGray(img.pixel(2, 8)), 40));
    QVERIFY(near(qGray(img.pixel(30, 8)), 210));
}

void tst_Jpeg::rejects_data()
{
    QTest::addColumn<QByteArray>("data");

    const QByteArray good = encode(128, 96, false, 90);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a picture at all");
    QTest::newRow("PNG signature") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("only the start marker") << good.left(2);
    QTest::newRow("cut inside the header") << good.left(40);
    QTest::newRow("cut inside the picture") << good.left(good.size() / 2);
    QByteArray noFrame = good;
    // Damage the frame header's marker: no picture size any more.
    const qsizetype sof = noFrame.indexOf("\xFF\xC0");
    QVERIFY(sof > 0);
    noFrame[sof + 1] = char(0xCF); // a marker libjpeg does not support
    QTest::newRow("unsupported frame type") << noFrame;
    QByteArray hugeSize = good;
    // Height and width fields of the frame header: 65000 x 65000.
    hugeSize[sof + 5] = char(0xFD);
    hugeSize[sof + 6] = char(0xE8);
    hugeSize[sof + 7] = char(0xFD);
    hugeSize[sof + 8] = char(0xE8);
    QTest::newRow("absurd size") << hugeSize;
}

void tst_Jpeg::rejects()
{
    QFETCH(QByteArray, data);
    QString error;
    const QImage img = jpegimage::decode(data, &error);
    QVERIFY(img.isNull());
    QVERIFY(!error.isEmpty());
    // Still here: a good picture decodes right after a bad one.
    QVERIFY(!jpegimage::decode(encode(16, 16, false)).isNull());
}

void tst_Jpeg::lobbyPicture()
{
    const QString path = QStringLiteral(VELLOC_SOURCE_DIR "/resources/images/lobby.jpg");
    if (!QFile::exists(path))
        QSKIP("the lobby picture has not been generated");
    QString error;
    const QImage img = jpegimage::load(path, &error);
    QVERIFY2(!img.isNull(), qPrintable(error));
    QVERIFY(img.width() > 0 && img.height() > 0);
    QVERIFY(jpegimage::load(QStringLiteral("/nonexistent/lobby.jpg"), &error).isNull());
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(tst_Jpeg)
#include "tst_jpeg.moc"
