// SPDX-License-Identifier: MIT
#include "jpegimage.h"

#include "sharedlibrary.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace jpegimage {

namespace {

// libjpeg is opened for each picture and closed after it: pictures are
// few (the lobby offer's), and the program neither starts with the library
// nor keeps it in memory while at rest.
#define VELLOC_JPEG_FUNCTIONS(X)                                                                                       \
    X(std_error) X(CreateDecompress) X(mem_src) X(read_header) X(start_decompress) X(read_scanlines)                   \
    X(finish_decompress) X(destroy_decompress)

struct JpegLibrary {
#define VELLOC_JPEG_POINTER(f) decltype(&::jpeg_##f) f = nullptr;
    VELLOC_JPEG_FUNCTIONS(VELLOC_JPEG_POINTER)
#undef VELLOC_JPEG_POINTER
};

constexpr const char *JpegFileName = "libjpeg.so.62";

// Pictures larger than this are refused before any pixel memory is taken.
constexpr JDIMENSION MaxSide = 16384;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Fatal errors come back to decodeInto() instead of ending the process.
[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Keeps the first message (warnings included) instead of printing it.
void outputMessage(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (err->message[0] == '\0')
        (*cinfo->err->format_message)(cinfo, err->message);
}

// Adobe writes CMYK inverted; this is the usual conversion for such files.
void cmykRowToRgb32(const JSAMPLE *in, QRgb *out, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        const int k = in[3];
        out[x] = qRgb(in[0] * k / 255, in[1] * k / 255, in[2] * k / 255);
    }
}

// Everything between setjmp and a possible longjmp lives in the caller's
// frame or in plain data, so jumping back skips no destructor.
bool decodeInto(const JpegLibrary &jpeg, jpeg_decompress_struct *cinfo, ErrorManager *err,
                const unsigned char *data, unsigned long size, QImage *image, JSAMPLE **cmykRow)
{
    if (setjmp(err->jump))
        return false;

    jpeg.CreateDecompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    jpeg.mem_src(cinfo, data, size);
    jpeg.read_header(cinfo, TRUE);

    if (cinfo->image_width == 0 || cinfo->image_height == 0 || cinfo->image_width > MaxSide
        || cinfo->image_height > MaxSide) {
        std::snprintf(err->message, sizeof err->message, "Picture size %ux%u refused",
                      unsigned(cinfo->image_width), unsigned(cinfo->image_height));
        return false;
    }

    QImage::Format format = QImage::Format_RGB888;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        format = QImage::Format_RGB32;
        break;
    default:
        cinfo->out_color_space = JCS_RGB;
        break;
    }

    jpeg.start_decompress(cinfo);
    *image = QImage(int(cinfo->output_width), int(cinfo->output_height), format);
    if (image->isNull()) {
        std::snprintf(err->message, sizeof err->message, "Not enough memory for the picture");
        return false;
    }
    if (cinfo->out_color_space == JCS_CMYK) {
        *cmykRow = static_cast<JSAMPLE *>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                       size_t(cinfo->output_width) * 4));
    }

    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = int(cinfo->output_scanline);
        if (*cmykRow) {
            JSAMPROW row = *cmykRow;
            jpeg.read_scanlines(cinfo, &row, 1);
            cmykRowToRgb32(row, reinterpret_cast<QRgb *>(image->scanLine(y)), cinfo->output_width);
        } else {
            JSAMPROW row = image->scanLine(y);
            jpeg.read_scanlines(cinfo, &row, 1);
        }
    }
    jpeg.finish_decompress(cinfo);
    return true;
}

} // namespace

QImage decode(const QByteArray &data, QString *error)
{
    JpegLibrary jpeg;
    OpenedLibrary opened(JpegFileName, [&jpeg](OpenedLibrary &l) {
#define VELLOC_JPEG_RESOLVE(f) l.resolve(jpeg.f, "jpeg_" #f);
        VELLOC_JPEG_FUNCTIONS(VELLOC_JPEG_RESOLVE)
#undef VELLOC_JPEG_RESOLVE
    });
    if (!opened.ok()) {
        if (error)
            *error = opened.problem(QStringLiteral("Pictures need"), QStringLiteral("JPEG"), "libjpeg62-turbo");
        return QImage();
    }
    opened.closeWhenDone();

    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg.std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = outputMessage;

    QImage image;
    JSAMPLE *cmykRow = nullptr;
    bool ok = false;
    if (data.isEmpty())
        std::snprintf(err.message, sizeof err.message, "Empty picture file");
    else
        ok = decodeInto(jpeg, &cinfo, &err, reinterpret_cast<const unsigned char *>(data.constData()),
                        static_cast<unsigned long>(data.size()), &image, &cmykRow);
    // A damaged file only draws warnings and grey rows; such a picture is
    // refused too rather than shown half painted.
    if (ok && err.pub.num_warnings > 0)
        ok = false;
    jpeg.destroy_decompress(&cinfo);

    if (!ok) {
        if (error)
            *error = QString::fromLatin1(err.message[0] ? err.message : "Bad JPEG file");
        return QImage();
    }
    if (error)
        error->clear();
    return image;
}

QImage load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return QImage();
    }
    return decode(file.readAll(), error);
}

} // namespace jpegimage
