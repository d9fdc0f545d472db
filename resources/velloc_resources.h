// SPDX-License-Identifier: MIT
// The program's embedded pictures and sounds: registration and loading of
// the right picture for the screen's pixel density.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Registers the pictures and sounds embedded in velloc_gui. Call it once at
// the start of main() and of every test that uses ":/images/..." or
// ":/sounds/..." paths; further calls do nothing.
void initVellocResources();

// Loads a picture such as ":/images/bone_back_v.png". On a screen with more
// than one device pixel per logical pixel it takes the "@2x" file beside it
// and marks it as such, so it is drawn at the same logical size but sharper.
// A devicePixelRatio of 0 means the application's. Returns a null pixmap when
// the picture is missing.
QPixmap artPixmap(const QString &path, qreal devicePixelRatio = 0);

// The program icon at all its sizes.
QIcon programIcon();
