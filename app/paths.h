// SPDX-License-Identifier: MIT
// Where the player's files live. A settings or tally file that is already
// beside the program stays there (a portable copy, or a folder shared with
// the maker's lobby); otherwise they live in the user's own folders, the
// settings under $XDG_CONFIG_HOME/velloc and the tally under
// $XDG_DATA_HOME/velloc, so an installed program or a rebuilt build folder
// never loses them. Tests put everything in a folder of their own.
#pragma once

#include <QStandardPaths>
#include <QString>

QString programFolder(); // with a trailing "/"
// Tests: the player's files all live in this folder.
void setProgramFolder(const QString &folder);
QString settingsFilePath(); // "qorblobby.ini"
QString tallyFilePath();    // "Chickenfoottally.tld"
// A writable folder for downloads: the program's, or the user's data folder
// when the program's is not writable (an installed copy).
QString downloadFolder();

// The rule itself: fileName beside the program when it exists there, else in
// the user's `where` folder (config or data) under "velloc".
QString playerFilePath(const QString &programDir, const QString &fileName, QStandardPaths::StandardLocation where);
