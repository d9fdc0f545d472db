// SPDX-License-Identifier: MIT
#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString withSlash(QString f)
{
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

const QString ProgramFolderName = QStringLiteral("velloc");

} // namespace

QString programFolder()
{
    return withSlash(overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath() : overrideFolder());
}

void setProgramFolder(const QString &folder) { overrideFolder() = folder; }

QString playerFilePath(const QString &programDir, const QString &fileName, QStandardPaths::StandardLocation where)
{
    const QString beside = withSlash(programDir) + fileName;
    if (QFileInfo::exists(beside))
        return beside;
    return withSlash(QStandardPaths::writableLocation(where)) + ProgramFolderName + QLatin1Char('/') + fileName;
}

QString settingsFilePath()
{
    const QString name = QStringLiteral("qorblobby.ini");
    if (!overrideFolder().isEmpty())
        return programFolder() + name;
    return playerFilePath(programFolder(), name, QStandardPaths::GenericConfigLocation);
}

QString tallyFilePath()
{
    const QString name = QStringLiteral("Chickenfoot") + QStringLiteral("tally.tld");
    if (!overrideFolder().isEmpty())
        return programFolder() + name;
    return playerFilePath(programFolder(), name, QStandardPaths::GenericDataLocation);
}

QString downloadFolder()
{
    const QString program = programFolder();
    if (!overrideFolder().isEmpty() || QFileInfo(program).isWritable())
        return program;
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + ProgramFolderName + QLatin1Char('/');
}
