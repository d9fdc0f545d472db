// SPDX-License-Identifier: MIT
#include "velloc_resources.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QIconEngine>
#include <QPainter>

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
    return image.isNull() ? QPixmap() : QPixmap::fromImage(std::move(image));
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

namespace {

// The program's icon, decoded the first time something draws it: a desktop
// asks for it once, and a platform without window icons never does.
class ProgramIconEngine final : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("velloc"); }
    QIconEngine *clone() const override { return new ProgramIconEngine; }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull()) {
            // QIcon finds the "@2x" files by itself.
            m_icon.addFile(QStringLiteral(":/images/velloc_64.png"));
            m_icon.addFile(QStringLiteral(":/images/velloc.png"));
        }
        return m_icon;
    }
    QIcon m_icon;
};

} // namespace

QIcon programIcon()
{
    return QIcon(new ProgramIconEngine);
}
