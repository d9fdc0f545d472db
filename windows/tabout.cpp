// SPDX-License-Identifier: MIT
#include "tabout.h"

#include "config.h"
#include "look.h"
#include "turl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Cream, as on the other windows: black would be lost on the dark tile.
QLabel *makeLabel(const QString &text, QWidget *parent, int pixelSize, bool bold)
{
    return look::label(text, parent, pixelSize, bold, look::Cream, false);
}

} // namespace

Tabout::Tabout(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    setFixedSize(304, 174);
    look::applyTiledBackground(this);

    label_product = makeLabel(QStringLiteral("Velloc"), this, 22, true);
    label_versionword = makeLabel(QStringLiteral("Version "), this, 13, true);
    // Two labels, so that the protocol part stays a value of its own.
    version = makeLabel(QStringLiteral("1.0.1"), this, 13, true);
    label_build = makeLabel(QStringLiteral(".2"), this, 13, true);
    label_credit1 = makeLabel(QStringLiteral("Chicken Foot dominoes for two to six players."), this, 12, false);
    label_credit2 = makeLabel(QStringLiteral("Made by the Velloc developers."), this, 12, false);

    URL1 = new TURL(this);
    URL1->setURL(config::MakerWebAddress);
    URL1->setURLType(TURL::utHttp);

    label_web = new QLabel(this);
    label_web->setTextFormat(Qt::RichText);
    label_web->setText(QStringLiteral("<a href=\"#\" style=\"color: %1; text-decoration: underline;\">%2</a>")
                           .arg(look::Cream.name(), config::MakerWebAddress.toHtmlEscaped()));
    label_web->setOpenExternalLinks(false);
    label_web->setCursor(Qt::PointingHandCursor);
    {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(12);
        label_web->setFont(font);
    }
    connect(label_web, &QLabel::linkActivated, this, &Tabout::label_webClick);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setDefault(true);
    connect(button_done, &QPushButton::clicked, this, &Tabout::button_doneClick);

    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addWidget(label_versionword);
    versionRow->addWidget(version);
    versionRow->addWidget(label_build);
    versionRow->addStretch(1);

    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(label_web);
    bottomRow->addStretch(1);
    bottomRow->addWidget(button_done);

    auto *root = new QVBoxLayout(this);
    // 14 at the sides: where Arial is replaced by the wider DejaVu Sans the
    // credit line needs the room.
    root->setContentsMargins(14, 12, 14, 12);
    root->setSpacing(4);
    root->addWidget(label_product);
    root->addLayout(versionRow);
    root->addSpacing(6);
    root->addWidget(label_credit1);
    root->addWidget(label_credit2);
    root->addStretch(1);
    root->addLayout(bottomRow);
}

QString Tabout::versionText() const { return version->text(); }

QString Tabout::displayedVersion() const { return version->text() + label_build->text(); }

void Tabout::button_doneClick() { close(); }

void Tabout::label_webClick() { URL1->open(); }
