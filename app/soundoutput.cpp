// SPDX-License-Identifier: MIT
#include "soundoutput.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

SoundOutput *SoundOutput::get()
{
    static SoundOutput *const output = []() -> SoundOutput * {
        const QString dir = QCoreApplication::applicationDirPath();
        const QString name = QString::fromLatin1(ModuleName);
        for (const QString &path : {dir + QLatin1Char('/') + name, dir + QStringLiteral("/../lib/velloc/") + name,
                                    dir + QStringLiteral("/../lib/games/velloc/") + name}) {
            if (!QFile::exists(path))
                continue;
            // Never unloaded: the clips it makes live until the program ends.
            QLibrary module(path);
            if (auto make = reinterpret_cast<SoundOutput *(*)()>(module.resolve(EntryPoint)))
                return make();
            qWarning("Sounds are off: %s", qPrintable(module.errorString()));
            return nullptr;
        }
        qWarning("Sounds are off: %s is not installed beside the program.", ModuleName);
        return nullptr;
    }();
    return output;
}
