// Addresses and places that belong to the maker's lobby, kept in one place.
#pragma once

#include <QString>

namespace config {

// The lobby installer offered to solo players.
inline const QString LobbyInstallerUrl = QStringLiteral("http://www.qorb42.com/lobby/lobbysetup.exe");
// The maker's web address (about box, banner).
inline const QString MakerWebAddress = QStringLiteral("www.qorb42.com");
// Where an installed lobby is looked for: on Linux, the user's local programs.
QString lobbyProgramPath();
// Arguments the lobby installer is started with.
inline const QString InstallerArguments = QStringLiteral("/SP- /silent /noicons");

} // namespace config
