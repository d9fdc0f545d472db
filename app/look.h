// SPDX-License-Identifier: MIT
// The table's colours and the background every window shares.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

class QLabel;
class QWidget;

namespace look {

inline const QColor Cream(226, 228, 182);    // labels, chat log, list boxes
inline const QColor DarkGreen(0, 98, 0);     // winner text, hovered buttons
inline const QColor BoardGreen(0, 64, 0);    // board and hand panels
inline const QColor TableBrown(137, 85, 50); // behind the background tile
inline const QColor NoticeBlue(0, 0, 255);

// The 300 x 128 background tile.
QPixmap backgroundTile();
// Gives a window the tiled background (repeated from its top left corner).
void applyTiledBackground(QWidget *w);

// The windows' type: Arial, or the desktop's sans-serif, at a pixel size.
QFont font(int pixelSize, bool bold = false);
// A plain-text label in the given colour (cream on the tiled background by
// default); wrapped when wrap is set.
QLabel *label(const QString &text, QWidget *parent, int pixelSize, bool bold, const QColor &colour = Cream,
              bool wrap = true);

} // namespace look
