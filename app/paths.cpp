#include "paths.h"

#include <QCoreApplication>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    QString f = overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath() : overrideFolder();
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

void setProgramFolder(const QString &folder) { overrideFolder() = folder; }

QString settingsFilePath() { return programFolder() + QStringLiteral("qorblobby.ini"); }
