// SPDX-License-Identifier: MIT
// Addresses and places that belong to the maker's lobby, kept in one place.
#pragma once

#include <QString>

namespace config {

// The lobby installer offered to solo players; the file name after the last
// "/" is the name it is saved under in the program folder.
inline const QString LobbyInstallerUrl = QStringLiteral("http://www.qorb42.com/lobby/lobbysetup.exe");
// The maker's web address without its scheme (about box, banner); TURL adds
// "http://".
inline const QString MakerWebAddress = QStringLiteral("www.qorb42.com");
// Where an installed lobby is looked for. Linux and other Unix desktops:
// $XDG_DATA_HOME/Qorb42/Qorb42Lobby (normally ~/.local/share/Qorb42/Qorb42Lobby);
// Windows: C:/Program Files/Qorb42/Qorb42Lobby.exe.
QString lobbyProgramPath();
// Arguments the lobby installer is started with, separated by blanks.
inline const QString InstallerArguments = QStringLiteral("/SP- /silent /noicons");

} // namespace config
