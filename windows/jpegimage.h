// SPDX-License-Identifier: MIT
// Decodes JPEG pictures with libjpeg into QImage. A damaged or foreign file
// is reported as an error; libjpeg's own handler would end the process.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace jpegimage {

// Decodes a whole JPEG file held in memory. On failure the result is a null
// image and, when error is given, it receives libjpeg's reason.
QImage decode(const QByteArray &data, QString *error = nullptr);

// Reads a file or a resource (":/images/...") and decodes it.
QImage load(const QString &path, QString *error = nullptr);

} // namespace jpegimage
