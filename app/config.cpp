// SPDX-License-Identifier: MIT
#include "config.h"

#include <QDir>
#include <QStandardPaths>

namespace config {

QString lobbyProgramPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Program Files/Qorb42/Qorb42Lobby.exe");
#else
    // The user's own programs' data folder ($XDG_DATA_HOME, normally
    // ~/.local/share), where a per-user install of the lobby puts itself.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Qorb42/Qorb42Lobby");
#endif
}

} // namespace config
