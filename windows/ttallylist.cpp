// SPDX-License-Identifier: MIT
#include "ttallylist.h"

#include "look.h"
#include "paths.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

bool &loadErrorBoxEnabled()
{
    static bool on = true;
    return on;
}

const QString Zero = QStringLiteral("0");

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, Qt::Alignment align = Qt::AlignLeft)
{
    auto *l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    l->setTextFormat(Qt::PlainText); // opponents' names come from peers
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

QLabel *makeHeading(QWidget *parent, const QString &name, const QString &text)
{
    QLabel *l = makeLabel(parent, name, text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// A white card on the table background, so the figures stay readable.
QFrame *makePanel(QWidget *parent, const QString &name)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    f->setStyleSheet(QStringLiteral("QFrame#%1 { background: white; border: 1px solid #6b4226;"
                                    " border-radius: 4px; }")
                         .arg(name));
    return f;
}

} // namespace

void Ttallylist::setLoadErrorBoxEnabled(bool on) { loadErrorBoxEnabled() = on; }

QString Ttallylist::tallyFilePath() { return ::tallyFilePath(); }

Ttallylist::Ttallylist(Forms &forms, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_forms(forms), m_file(tallyFilePath())
{
    setWindowTitle(QStringLiteral("Velloc - Tally List"));
    setModal(false);
    setFixedSize(475, 347);
    buildControls();
    FormCreate();
}

Ttallylist::~Ttallylist()
{
    // FormDestroy: the session's games were saved as they were counted; this
    // keeps the tally choices made since.
    savetally();
}

void Ttallylist::buildControls()
{
    look::applyTiledBackground(this);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);

    // "Your Total Tally"
    QFrame *mine = makePanel(this, QStringLiteral("panel_mytally"));
    auto *mineLayout = new QGridLayout(mine);
    mineLayout->setContentsMargins(10, 6, 10, 6);
    mineLayout->setVerticalSpacing(2);
    mineLayout->addWidget(makeHeading(mine, QString(), QStringLiteral("Your Total Tally")), 0, 0, 1, 2);
    mineLayout->addWidget(makeLabel(mine, QString(), QStringLiteral("Total Games:")), 1, 0);
    mylabel_1 = makeLabel(mine, QStringLiteral("mylabel_1"), Zero, Qt::AlignRight);
    mineLayout->addWidget(mylabel_1, 1, 1);
    mineLayout->addWidget(makeLabel(mine, QString(), QStringLiteral("Your Wins")), 2, 0);
    mylabel_2 = makeLabel(mine, QStringLiteral("mylabel_2"), Zero, Qt::AlignRight);
    mineLayout->addWidget(mylabel_2, 2, 1);
    // Cells 3 and 4 of the player's row are never counted; their labels stay hidden.
    mylabel_3 = makeLabel(mine, QStringLiteral("mylabel_3"), QStringLiteral("Var3:"));
    mylabel_4 = makeLabel(mine, QStringLiteral("mylabel_4"), QStringLiteral("Var4:"));
    mylabel_3->hide();
    mylabel_4->hide();
    mineLayout->setColumnStretch(0, 1);

    // The selected opponent
    QFrame *his = makePanel(this, QStringLiteral("panel_histally"));
    auto *hisLayout = new QGridLayout(his);
    hisLayout->setContentsMargins(10, 6, 10, 8);
    hisLayout->setVerticalSpacing(4);
    label_hisnametop = makeHeading(his, QStringLiteral("label_hisnametop"), QString());
    hisLayout->addWidget(label_hisnametop, 0, 0, 1, 3);
    hisLayout->addWidget(makeHeading(his, QString(), QStringLiteral("Total")), 1, 1, Qt::AlignRight);
    hisLayout->addWidget(makeHeading(his, QString(), QStringLiteral("Session")), 1, 2, Qt::AlignRight);
    label_hisname = makeLabel(his, QStringLiteral("label_hisname"), QString());
    QLabel *rowNames[4] = {makeLabel(his, QString(), QStringLiteral("Number of Games")), label_hisname,
                           makeLabel(his, QString(), QStringLiteral("Your Wins:")),
                           makeLabel(his, QString(), QStringLiteral("Neither Won:"))};
    QLabel **labels[8] = {&label_1, &label_2, &label_3, &label_4, &label_5, &label_6, &label_7, &label_8};
    for (int i = 0; i < 8; ++i) {
        *labels[i] = makeLabel(his, QStringLiteral("label_%1").arg(i + 1), Zero, Qt::AlignRight);
        m_label[i + 1] = *labels[i];
    }
    for (int i = 0; i < 4; ++i) {
        hisLayout->addWidget(rowNames[i], 2 + i, 0);
        hisLayout->addWidget(m_label[1 + i], 2 + i, 1);
        hisLayout->addWidget(m_label[5 + i], 2 + i, 2);
    }
    label_hisname->setMinimumWidth(1);
    hisLayout->setColumnStretch(0, 1);
    hisLayout->setColumnMinimumWidth(1, 44);
    hisLayout->setColumnMinimumWidth(2, 56);
    hisLayout->setRowStretch(6, 1);

    auto *left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(mine);
    left->addWidget(his, 1);

    // The two check lists
    auto makeList = [this](const QString &panelName, const QString &title, const QString &listName) {
        QFrame *panel = makePanel(this, panelName);
        auto *v = new QVBoxLayout(panel);
        v->setContentsMargins(6, 6, 6, 6);
        v->setSpacing(4);
        v->addWidget(makeHeading(panel, QString(), title));
        auto *list = new QListWidget(panel);
        list->setObjectName(listName);
        list->setAccessibleName(title);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        // Long names are elided rather than scrolled sideways.
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setTextElideMode(Qt::ElideRight);
        v->addWidget(list, 1);
        return std::make_pair(panel, list);
    };
    auto [tallyPanel, tallyList] =
        makeList(QStringLiteral("panel_tallied"), QStringLiteral("Players Being Tallied"), QStringLiteral("listbox_tally"));
    auto [gamePanel, gameList] =
        makeList(QStringLiteral("panel_ingame"), QStringLiteral("Players In Current Game"), QStringLiteral("checklist"));
    listbox_tally = tallyList;
    checklist = gameList;

    button_reset = new QPushButton(QStringLiteral("Reset Tally"), this);
    button_reset->setObjectName(QStringLiteral("button_reset"));
    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_reset);
    buttons->addStretch(1);
    buttons->addWidget(button_done);

    auto *right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(tallyPanel, 1);
    right->addWidget(gamePanel, 1);

    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);

    connect(listbox_tally, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            listbox_tallyClick();
    });
    connect(listbox_tally, &QListWidget::itemChanged, this, &Ttallylist::listbox_tallyClickCheck);
    connect(checklist, &QListWidget::itemChanged, this, &Ttallylist::checklistClickCheck);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(button_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);

    clearOpponentPanel();
}

void Ttallylist::FormCreate()
{
    // A missing file is a first run; anything else unreadable is reported
    // and kept aside, never overwritten.
    if (!m_file.load(m_grid)) {
        m_loadError = m_file.errorText();
        if (loadErrorBoxEnabled() && m_forms.chat) {
            QPointer<Ttallylist> self(this);
            const QString text = m_loadError;
            QTimer::singleShot(0, this, [self, text] {
                if (self)
                    QMessageBox::warning(self->parentWidget(), QStringLiteral("Velloc"), text);
            });
        }
    }
    loadtally();
}

void Ttallylist::loadtally()
{
    showPlayerTotals();
    m_grid.startSession();
    m_updatingChecks = true;
    listbox_tally->clear();
    for (const QString &name : m_grid.opponents())
        addCheckItem(listbox_tally, name, true);
    m_updatingChecks = false;
}

void Ttallylist::showPlayerTotals()
{
    mylabel_1->setText(m_grid.cell(1, 0));
    mylabel_2->setText(m_grid.cell(2, 0));
    mylabel_3->setText(m_grid.cell(3, 0));
    mylabel_4->setText(m_grid.cell(4, 0));
}

QListWidgetItem *Ttallylist::addCheckItem(QListWidget *list, const QString &name, bool ticked)
{
    auto *item = new QListWidgetItem(name);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    list->addItem(item);
    return item;
}

void Ttallylist::loadchecklist(const QStringList &namesAtTable)
{
    m_updatingChecks = true;
    checklist->clear();
    for (const QString &seated : namesAtTable) {
        const QString name = sanitizeName(seated);
        if (name.isEmpty())
            continue;
        addCheckItem(checklist, name, m_grid.findName(name) >= 1);
    }
    m_updatingChecks = false;
}

void Ttallylist::addgame(const QString &winner, bool localPlayerWon, const QStringList &namesAtTable)
{
    loadchecklist(namesAtTable);
    QStringList seated;
    for (int i = 0; i < checklist->count(); ++i)
        seated.append(checklist->item(i)->text());
    m_grid.addgame(winner, localPlayerWon, seated);
    showPlayerTotals();
    if (listbox_tally->currentRow() >= 0)
        listbox_tallyClick();
    savetally();
}

void Ttallylist::moverow(int row) { m_grid.moverow(row); }

bool Ttallylist::savetally() { return m_file.save(m_grid); }

void Ttallylist::clearOpponentPanel()
{
    label_hisnametop->setText(QStringLiteral("Player's Tally"));
    label_hisname->setText(QStringLiteral("Player Wins:"));
    for (int c = 1; c <= 8; ++c)
        m_label[c]->setText(Zero);
}

void Ttallylist::listbox_tallyClick()
{
    const int r = listbox_tally->currentRow() + 1;
    if (r < 1 || r >= m_grid.rowCount())
        return;
    for (int c = 1; c <= 8; ++c)
        m_label[c]->setText(m_grid.cell(c, r));
    const QString name = m_grid.cell(0, r);
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::checklistClickCheck(QListWidgetItem *item)
{
    if (m_updatingChecks || !item)
        return;
    const QString name = item->text();
    if (m_grid.findName(name) < 1) {
        m_grid.addOpponent(name);
        m_updatingChecks = true;
        addCheckItem(listbox_tally, name, true);
        m_updatingChecks = false;
    }
    // The tick shows whether the name is tallied; untallying goes through
    // "Players Being Tallied" and its question.
    m_updatingChecks = true;
    item->setCheckState(Qt::Checked);
    m_updatingChecks = false;
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item)
{
    if (m_updatingChecks || !item || item->checkState() == Qt::Checked)
        return;
    const int index = listbox_tally->row(item);
    const QString name = item->text();
    listbox_tally->setCurrentRow(index);
    const bool yes = ask(QStringLiteral("This will delete ") + name +
                         QStringLiteral("'s Tally, Are you want to delete it?"));
    // The question ran an event loop: make sure the item is still there.
    if (index >= listbox_tally->count() || listbox_tally->item(index) != item)
        return;
    m_updatingChecks = true;
    if (yes) {
        moverow(index + 1);
        delete listbox_tally->takeItem(index);
        for (int i = 0; i < checklist->count(); ++i)
            if (QString::compare(checklist->item(i)->text(), name, Qt::CaseInsensitive) == 0 &&
                m_grid.findName(name) < 1)
                checklist->item(i)->setCheckState(Qt::Unchecked);
    } else {
        item->setCheckState(Qt::Checked);
    }
    m_updatingChecks = false;
    if (listbox_tally->currentRow() >= 0)
        listbox_tallyClick();
    else
        clearOpponentPanel();
}

void Ttallylist::button_resetClick()
{
    if (!ask(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    m_grid.reset();
    showPlayerTotals();
    m_updatingChecks = true;
    listbox_tally->clear();
    for (int i = 0; i < checklist->count(); ++i)
        checklist->item(i)->setCheckState(Qt::Unchecked);
    m_updatingChecks = false;
    clearOpponentPanel();
}

void Ttallylist::button_doneClick() { hide(); }

bool Ttallylist::ask(const QString &question)
{
    if (m_asker)
        return m_asker(question);
    return QMessageBox::question(this, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void Ttallylist::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    // Centred on the table window, or on the screen without one.
    QRect area;
    if (QWidget *p = parentWidget(); p && p->isVisible())
        area = p->frameGeometry();
    else if (QScreen *s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
}
