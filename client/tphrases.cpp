// SPDX-License-Identifier: MIT
#include "tphrases.h"

#include "look.h"
#include "paths.h"
#include "settingsfile.h"
#include "tchat.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tphrases::Tphrases(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Velloc - Phrase Buttons "));
    setFixedSize(368, 282);
    look::applyTiledBackground(this);
    const int tops[] = {0, 12, 36, 60, 84, 108, 131, 155, 179, 203, 227};
    QFont bold = font();
    bold.setBold(true);
    // The edits start where the labels end, at 112 when "Phrase Button 10:"
    // fits there; a wider font moves them right rather than cutting it.
    const int labelWidth = qMax(103, QFontMetrics(bold).horizontalAdvance(QStringLiteral("Phrase Button 10:")) + 4);
    const int editLeft = 9 + labelWidth;
    for (int n = 1; n <= 10; ++n) {
        auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setFont(bold);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, look::Cream);
        label->setPalette(pal);
        label->setGeometry(9, tops[n] + 1, labelWidth, 21);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(n));
        edit->setGeometry(editLeft, tops[n], 360 - editLeft, 21);
        edit->setMaxLength(50);
        label->setBuddy(edit); // a screen reader names the edit by its label
        phrase[size_t(n)] = edit;
    }
    auto *note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setObjectName(QStringLiteral("label_note"));
    note->setGeometry(25, 253, 137, 25);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    QFont small = note->font();
    small.setPixelSize(10);
    note->setFont(small);
    // Dark red on a cream card: red straight on the brown wood was hard to read.
    QPalette red = note->palette();
    red.setColor(QPalette::WindowText, QColor(150, 0, 0));
    red.setColor(QPalette::Window, look::Cream);
    note->setPalette(red);
    note->setAutoFillBackground(true);
    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setDefault(true);
    done->setGeometry(266, 254, 95, 20);
    connect(done, &QPushButton::clicked, this, &Tphrases::button_doneClick);
}

void Tphrases::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
}

void Tphrases::loadPhrases()
{
    if (!m_forms.chat)
        return;
    for (int n = 1; n <= 10; ++n)
        phrase[size_t(n)]->setText(m_forms.chat->phrase(n));
}

void Tphrases::button_doneClick()
{
    QList<QPair<QString, QString>> keys;
    for (int n = 1; n <= 10; ++n) {
        const QString text = phrase[size_t(n)]->text();
        if (m_forms.chat)
            m_forms.chat->setPhrase(n, text);
        keys.append({QStringLiteral("Phrase%1").arg(n), text});
    }
    SettingsFile::writeKeys(settingsFilePath(), QStringLiteral("Chickenfoot"), keys);
    close();
}
