// SPDX-License-Identifier: MIT
#include "look.h"

#include "velloc_resources.h"

#include <QLabel>
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

QFont font(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QLabel *label(const QString &text, QWidget *parent, int pixelSize, bool bold, const QColor &colour, bool wrap)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    l->setFont(font(pixelSize, bold));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

} // namespace look
