// SPDX-License-Identifier: MIT
// Colours as they travel in chat messages and the settings file: a standard
// colour name ("clBlack") or "$" and eight hex digits laid out 00BBGGRR.
#pragma once

#include <QColor>
#include <QString>

QString colorToString(const QColor &c);
// Accepts a colour name in any letter case, or a decimal or "$"/"0x" hex
// number; false for anything else.
bool stringToColor(const QString &text, QColor &c);
