// The program's folder: the settings file and the tally file live beside the
// program. Tests point it elsewhere so they never touch a player's files.
#pragma once

#include <QString>

QString programFolder(); // with a trailing "/"
void setProgramFolder(const QString &folder);
QString settingsFilePath(); // programFolder() + "qorblobby.ini"
