// SPDX-License-Identifier: MIT
#include "thelp.h"

#include "helppages.h"
#include "look.h"
#include "tabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(const QString &text, QWidget *parent, int pixelSize, bool bold)
{
    return look::label(text, parent, pixelSize, bold);
}

QPushButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    button->setFont(font);
    button->setAutoDefault(false);
    button->setMinimumHeight(26);
    button->setFixedWidth(118);
    return button;
}

} // namespace

Thelp::Thelp(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Help File"));
    setFixedSize(521, 422);
    look::applyTiledBackground(this);

    button_overview = makeButton(QStringLiteral("Overview"), this);
    button_connecting = makeButton(QStringLiteral("Connecting"), this);
    button_gameplay = makeButton(QStringLiteral("Game Play"), this);
    button_scoring = makeButton(QStringLiteral("Scoring"), this);
    button_documentation = makeButton(QStringLiteral("Documentation"), this);
    button_license = makeButton(QStringLiteral("License"), this);
    button_about = makeButton(QStringLiteral("About"), this);
    button_done = makeButton(QStringLiteral("Done"), this);
    label_credit1 = makeLabel(QStringLiteral("Velloc"), this, 13, true);
    label_credit2 = makeLabel(QStringLiteral("by the Velloc developers"), this, 11, false);
    label_credit1->setFixedWidth(118);
    label_credit2->setFixedWidth(118);

    label_caption = makeLabel(QStringLiteral("Overview"), this, 19, true);
    label_caption->setWordWrap(false);

    pages = new QStackedWidget(this);
    QTextBrowser **memos[] = {&memo1, &memo2, &memo3, &memo4, &memo5, &memo6};
    for (int n = 1; n <= 6; ++n) {
        auto *memo = new QTextBrowser(pages);
        memo->setObjectName(QStringLiteral("memo%1").arg(n));
        memo->setOpenExternalLinks(true);
        memo->setReadOnly(true);
        QPalette pal = memo->palette();
        pal.setColor(QPalette::Base, look::Cream);
        pal.setColor(QPalette::Text, Qt::black);
        memo->setPalette(pal);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        memo->document()->setDefaultFont(font);
        memo->setHtml(helppages::page(n));
        pages->addWidget(memo);
        *memos[n - 1] = memo;
    }
    pages->setCurrentWidget(memo1);

    QPushButton *pageButtons[] = {button_overview, button_connecting,
                                  button_gameplay, button_scoring, button_documentation, button_license};
    for (int n = 1; n <= 6; ++n) // a screen reader names each page by its button
        (*memos[n - 1])->setAccessibleName(pageButtons[n - 1]->text().remove(QLatin1Char('&')));
    auto *side = new QVBoxLayout;
    side->setSpacing(6);
    for (int n = 1; n <= 6; ++n) {
        QPushButton *button = pageButtons[n - 1];
        button->setProperty("Tag", n);
        connect(button, &QPushButton::clicked, this, [this, button] { pagebuttonClick(button); });
        side->addWidget(button);
    }
    side->addSpacing(12);
    side->addWidget(button_about);
    side->addWidget(button_done);
    side->addStretch(1);
    side->addWidget(label_credit1);
    side->addWidget(label_credit2);

    connect(button_about, &QPushButton::clicked, this, &Thelp::button_aboutClick);
    connect(button_done, &QPushButton::clicked, this, &Thelp::button_doneClick);
    button_done->setDefault(true);

    auto *main = new QVBoxLayout;
    main->setSpacing(6);
    main->addWidget(label_caption);
    main->addWidget(pages, 1);

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(12);
    root->addLayout(side);
    root->addLayout(main, 1);
}

void Thelp::pagebuttonClick(QPushButton *button)
{
    const int tag = button->property("Tag").toInt();
    auto *memo = pages->findChild<QTextBrowser *>(QStringLiteral("memo%1").arg(tag), Qt::FindDirectChildrenOnly);
    if (!memo)
        return;
    pages->setCurrentWidget(memo);
    label_caption->setText(button->text());
}

void Thelp::button_aboutClick()
{
    if (!m_forms.about)
        return;
    m_forms.about->show();
    m_forms.about->raise();
    m_forms.about->activateWindow();
}

void Thelp::button_doneClick() { hide(); }

int Thelp::currentPage() const
{
    const QString name = pages->currentWidget() ? pages->currentWidget()->objectName() : QString();
    return name.startsWith(QLatin1String("memo")) ? name.mid(4).toInt() : 0;
}
