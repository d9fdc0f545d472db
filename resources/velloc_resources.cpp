// SPDX-License-Identifier: MIT
#include "velloc_resources.h"

#include <QGuiApplication>

void initVellocResources()
{
    Q_INIT_RESOURCE(velloc);
    Q_INIT_RESOURCE(velloc_2x);
}

QPixmap artPixmap(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        if (dot > path.lastIndexOf(QLatin1Char('/'))) {
            QPixmap sharp(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
            if (!sharp.isNull()) {
                sharp.setDevicePixelRatio(2.0);
                return sharp;
            }
        }
    }
    return QPixmap(path);
}

QIcon programIcon()
{
    // QIcon finds the "@2x" files by itself.
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/velloc_64.png"));
    icon.addFile(QStringLiteral(":/images/velloc.png"));
    return icon;
}
