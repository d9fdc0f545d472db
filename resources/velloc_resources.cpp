// SPDX-License-Identifier: MIT
#include "velloc_resources.h"

#include "deferredicon.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

void initVellocResources()
{
    Q_INIT_RESOURCE(velloc);
    Q_INIT_RESOURCE(velloc_2x);
}

namespace {

// Our art is named for its format: read as that format only, so Qt neither
// guesses from the contents nor loads every image plugin it has to ask.
QPixmap readArt(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        return QPixmap();
    // Opaque art is kept as it was stored, a byte a pixel with a palette or
    // else three, not the screen's four: the table holds its backdrops at
    // rest, and they draw the same either way.
    if (!image.hasAlphaChannel()) {
        if (image.depth() == 32)
            image.convertTo(QImage::Format_RGB888);
        return QPixmap::fromImage(std::move(image), Qt::NoFormatConversion);
    }
    return QPixmap::fromImage(std::move(image));
}

} // namespace

QPixmap artPixmap(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        if (dot > path.lastIndexOf(QLatin1Char('/'))) {
            QPixmap sharp = readArt(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
            if (!sharp.isNull()) {
                sharp.setDevicePixelRatio(2.0);
                return sharp;
            }
        }
    }
    return readArt(path);
}

// Decoded the first time something draws it: a desktop asks for it once,
// and a platform without window icons never does.
QIcon programIcon()
{
    return deferredIcon([] {
        // QIcon finds the "@2x" files by itself.
        QIcon icon;
        icon.addFile(QStringLiteral(":/images/velloc_64.png"));
        icon.addFile(QStringLiteral(":/images/velloc.png"));
        return icon;
    });
}
