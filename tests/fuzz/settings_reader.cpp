// SPDX-License-Identifier: MIT
// Fuzzes the settings file store: whatever a file holds, reading it gives
// values or defaults, a file that did not load is never written, and a key
// that was written reads back. (The store may refuse a write it cannot make
// safely; refusing is never damage.)
#include "settingsfile.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QDir::tempPath() + QStringLiteral("/velloc-fuzz-%1.ini").arg(::getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    SettingsFile ini(path);
    const bool loaded = ini.load();
    const QString section = QStringLiteral("Chickenfoot");
    for (const char *key : {"Textsize", "Top", "Botspeed", "Phrase6", "Playsounds", ""})
        ini.readString(section, QString::fromLatin1(key), QStringLiteral("d"));
    ini.readInteger(section, QStringLiteral("Width"), 790);
    const bool written = ini.writeString(section, QStringLiteral("Botspeed"), QStringLiteral("500"));
    if (written && !loaded)
        std::abort();
    if (written && ini.save()) {
        SettingsFile again(path);
        if (!again.load() || again.readString(section, QStringLiteral("Botspeed"), QString()) != QLatin1String("500"))
            std::abort();
    }
    return 0;
}
