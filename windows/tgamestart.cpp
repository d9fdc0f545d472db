// SPDX-License-Identifier: MIT
#include "tgamestart.h"

#include "look.h"
#include "tablewidgets.h"
#include "tchat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSpinBox>

namespace {
QLabel *text(QWidget *parent, const QString &t, int x, int y, int px, bool bold, bool underline)
{
    QLabel *l = look::label(t, parent, px, bold, look::Cream, false);
    QFont f = l->font();
    f.setUnderline(underline);
    l->setFont(f);
    l->move(x, y);
    l->adjustSize();
    return l;
}
} // namespace

Tgamestart::Tgamestart(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Velloc - Game Start"));
    setFixedSize(257, 390);
    look::applyTiledBackground(this);

    QLabel *title = text(this, QStringLiteral("Game Option"), 0, 0, 19, true, true);
    title->setObjectName(QStringLiteral("Label3"));
    title->setGeometry(0, 0, 257, 24);
    title->setAlignment(Qt::AlignCenter);
    QLabel *roundsLabel = text(this, QStringLiteral("Rounds to Play:"), 32, 46, 13, true, false);
    roundsLabel->setObjectName(QStringLiteral("Label2"));

    // The up-down control holds the value; the read-only edit shows it.
    UpDown1 = new QSpinBox(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(3, 10);
    UpDown1->setValue(10);
    UpDown1->setWrapping(false);
    // At 142 when the label leaves room, else just right of it.
    UpDown1->setGeometry(qMax(142, roundsLabel->geometry().right() + 4), 44, 57, 21);
    UpDown1->setAlignment(Qt::AlignCenter);
    edit_playtoscore = UpDown1->findChild<QLineEdit *>();
    edit_playtoscore->setObjectName(QStringLiteral("edit_playtoscore"));
    // Digits may be typed as well as stepped.
    UpDown1->setAccessibleName(QStringLiteral("Rounds to play"));
    roundsLabel->setBuddy(UpDown1);
    QFont bold = UpDown1->font();
    bold.setBold(true);
    UpDown1->setFont(bold);
    QPalette editPal = UpDown1->palette();
    editPal.setColor(QPalette::Base, look::Cream);
    UpDown1->setPalette(editPal);

    label_newcomers = text(this, QStringLiteral("NEWCOMERS"), 64, 86, 16, true, true);
    label_newcomers->setObjectName(QStringLiteral("label_newcomers"));
    const char *const options[] = {"", "Cannot Play", "Starts with Highest", "Starts with Average"};
    for (int k = 1; k <= 3; ++k) {
        auto *box = new QLabel(this);
        box->setObjectName(QStringLiteral("image_newcomers%1").arg(k));
        box->setGeometry(48, 112 + 32 * (k - 1), 25, 28);
        box->setScaledContents(true);
        box->setCursor(Qt::PointingHandCursor);
        box->installEventFilter(this);
        // Tab reaches each choice; Space takes it, Up and Down move between them.
        box->setFocusPolicy(Qt::StrongFocus);
        box->setAccessibleName(QStringLiteral("Newcomers: ") + QString::fromLatin1(options[k]));
        image_newcomers[size_t(k)] = box;
        QLabel *caption = text(this, QString::fromLatin1(options[k]), 80, 118 + 32 * (k - 1), 13, true, false);
        caption->setObjectName(QStringLiteral("Label%1").arg(3 + k));
        caption->setCursor(Qt::PointingHandCursor);
        caption->installEventFilter(this);
        caption->setProperty("option", k);
        box->setProperty("option", k);
    }
    checkit(QStringLiteral("image_newcomers1"));

    text(this, QStringLiteral("COMPUTERS"), 68, 214, 16, true, true)->setObjectName(QStringLiteral("label_computers"));
    text(this, QStringLiteral("Computer players:"), 26, 244, 13, true, false);
    UpDown_computers = new QSpinBox(this);
    UpDown_computers->setObjectName(QStringLiteral("UpDown_computers"));
    UpDown_computers->setRange(1, 5);
    UpDown_computers->setValue(1);
    UpDown_computers->setGeometry(166, 242, 57, 21);
    UpDown_computers->setAlignment(Qt::AlignCenter);
    UpDown_computers->setFont(bold);
    UpDown_computers->setPalette(editPal);
    UpDown_computers->setAccessibleName(QStringLiteral("Computer players"));
    UpDown_computers->setToolTip(QStringLiteral("Seat 2 when nobody sits there, and one more empty seat for each "
                                                "player above one"));
    QLabel *levelLabel = text(this, QStringLiteral("Level:"), 26, 272, 13, true, false);
    combo_level = new QComboBox(this);
    combo_level->setObjectName(QStringLiteral("combo_level"));
    combo_level->addItem(QStringLiteral("Normal"), 1);
    combo_level->addItem(QStringLiteral("Strong"), 2);
    combo_level->setGeometry(142, 269, 81, 22);
    combo_level->setFont(bold);
    combo_level->setAccessibleName(QStringLiteral("Level of the computer players"));
    levelLabel->setBuddy(combo_level);
    check_hints = new QCheckBox(QStringLiteral("Allow &hints"), this);
    check_hints->setObjectName(QStringLiteral("check_hints"));
    check_hints->setFont(bold);
    check_hints->setGeometry(26, 294, 200, 20);
    QPalette cream = check_hints->palette();
    cream.setColor(QPalette::WindowText, look::Cream);
    check_hints->setPalette(cream);

    // What the game will be, as the choices stand: who plays, and how many
    // computer players fill the empty seats.
    label_summary = text(this, QString(), 16, 318, 12, true, false);
    label_summary->setObjectName(QStringLiteral("label_summary"));
    label_summary->setGeometry(16, 316, 225, 32);
    label_summary->setWordWrap(true);
    label_summary->setAlignment(Qt::AlignCenter);
    connect(UpDown_computers, &QSpinBox::valueChanged, this, &Tgamestart::updateSummary);

    auto *start = new PictureButton(QStringLiteral("gamestart_button.png"), QStringLiteral("gamestart_button_hover.png"),
                                    QStringLiteral("Start"), this);
    start->setObjectName(QStringLiteral("button_start"));
    start->setGeometry(StartButtonRect);
    connect(start, &PictureButton::clicked, this, &Tgamestart::button_startClick);
}

void Tgamestart::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    updateSummary();
    UpDown1->setFocus();
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
}

void Tgamestart::updateSummary()
{
    label_summary->setText(m_forms.chat ? m_forms.chat->gameSummary(computerPlayers()) : QString());
    label_summary->setAccessibleName(label_summary->text());
}

void Tgamestart::keyPressEvent(QKeyEvent *e)
{
    // Return starts the game, as its one button would; Escape cancels.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        button_startClick();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool Tgamestart::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress && watched->property("option").isValid()) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        const int option = watched->property("option").toInt();
        const int next = key == Qt::Key_Up ? option - 1 : key == Qt::Key_Down ? option + 1 : option;
        if (key == Qt::Key_Space || next != option) {
            const int chosen = qBound(1, next, 3);
            image_newcomers1Click(chosen);
            image_newcomers[size_t(chosen)]->setFocus();
            return true;
        }
    }
    if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) && watched->property("option").isValid()
        && qobject_cast<QLabel *>(watched)) {
        static_cast<QLabel *>(watched)->setFrameStyle(e->type() == QEvent::FocusIn ? QFrame::Box : QFrame::NoFrame);
    }
    if (e->type() == QEvent::MouseButtonPress && watched->property("option").isValid()) {
        image_newcomers1Click(watched->property("option").toInt());
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

int Tgamestart::rounds() const { return UpDown1->value(); }

int Tgamestart::computerPlayers() const { return UpDown_computers->value(); }

void Tgamestart::setComputerPlayers(int count) { UpDown_computers->setValue(qBound(1, count, 5)); }

int Tgamestart::computerLevel() const { return combo_level->currentData().toInt(); }

void Tgamestart::setComputerLevel(int level) { combo_level->setCurrentIndex(level == 2 ? 1 : 0); }

bool Tgamestart::hintsAllowed() const { return check_hints->isChecked(); }

void Tgamestart::setHintsAllowed(bool on) { check_hints->setChecked(on); }

void Tgamestart::setRounds(int rounds) { UpDown1->setValue(rounds); }

void Tgamestart::checkit(const QString &name)
{
    const QPixmap empty = artwork(QStringLiteral("check_empty.png"), {25, 28});
    const QPixmap ticked = artwork(QStringLiteral("check_ticked.png"), {25, 28});
    for (int k = 1; k <= 3; ++k) {
        const bool chosen = image_newcomers[size_t(k)]->objectName() == name;
        image_newcomers[size_t(k)]->setPixmap(chosen ? ticked : empty);
        image_newcomers[size_t(k)]->setAccessibleDescription(chosen ? QStringLiteral("chosen") : QString());
        if (chosen)
            m_newcomers = k;
    }
    label_newcomers->setProperty("Tag", m_newcomers);
}

void Tgamestart::button_startClick()
{
    if (m_forms.chat)
        m_forms.chat->applyComputerChoice(computerPlayers(), computerLevel(), hintsAllowed());
    if (m_forms.chat)
        m_forms.chat->sendMessage("CMD_startgame+" + wire::fromUser(m_forms.chat->playerName()) + "+"
                                  + edit_playtoscore->text().toLatin1() + "+" + QByteArray::number(m_newcomers) + "+");
    hide();
    if (m_forms.chat) {
        for (const char *key : {"Playtoscore", "Newcomers", "Computerplayers", "Computerlevel", "Allowhints"})
            m_forms.chat->savePreference(QString::fromLatin1(key));
    }
}
