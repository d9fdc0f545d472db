#include "config.h"

#include <QDir>

namespace config {

QString lobbyProgramPath()
{
    return QDir::homePath() + QStringLiteral("/.local/share/Qorb42/Qorb42Lobby");
}

} // namespace config
