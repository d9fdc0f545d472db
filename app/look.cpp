#include "look.h"

#include "velloc_resources.h"

#include <QPalette>
#include <QWidget>

namespace look {

QPixmap backgroundTile()
{
    initVellocResources();
    QPixmap tile = artPixmap(QStringLiteral(":/images/background.png"));
    if (tile.isNull()) {
        tile = QPixmap(300, 128);
        tile.fill(TableBrown);
    }
    return tile;
}

void applyTiledBackground(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setBrush(QPalette::Window, QBrush(TableBrown, backgroundTile()));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace look
