// SPDX-License-Identifier: MIT
#include "tspylist.h"

#include "convert.h"
#include "look.h"
#include "tchat.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace {

// Every entry one line of the list's font, 16 px high whatever the style adds.
class FixedHeightItems : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 16};
    }
};

} // namespace

Tspylist::Tspylist(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Velloc - Spys"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(162, 168);
    look::applyTiledBackground(this);

    listbox_spys = new QListWidget(this);
    listbox_spys->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys->setGeometry(5, 5, 154, 130);
    QPalette pal = listbox_spys->palette();
    pal.setColor(QPalette::Base, look::Cream);
    listbox_spys->setPalette(pal);
    listbox_spys->setMouseTracking(true);
    listbox_spys->viewport()->setMouseTracking(true);
    listbox_spys->viewport()->installEventFilter(this);
    listbox_spys->setFont(look::font(13, true));
    listbox_spys->setItemDelegate(new FixedHeightItems(listbox_spys));
    listbox_spys->setUniformItemSizes(true);
    listbox_spys->setAccessibleName(QStringLiteral("Spy List: players watching the table"));

    auto *title = new QLabel(QStringLiteral("Spy List"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->move(7, 138);
    QFont big = title->font();
    big.setPixelSize(19);
    big.setBold(true);
    title->setFont(big);
    QPalette cream = title->palette();
    cream.setColor(QPalette::WindowText, look::Cream);
    title->setPalette(cream);
    title->adjustSize();

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    // Right of the title, at 88 when the title leaves room; its right edge
    // stays under the list's.
    const int doneLeft = qMax(88, title->geometry().right() + 4);
    done->setGeometry(doneLeft, 140, 159 - doneLeft, 20);
    done->setFlat(true);
    done->setCursor(Qt::PointingHandCursor);
    done->setStyleSheet(QStringLiteral(
        "QPushButton { background: rgb(226,228,182); border: 1px solid black; color: grey;"
        " font: bold 13px Arial; }"
        "QPushButton:hover, QPushButton:focus { color: rgb(0,98,0); }"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &Tspylist::button_doneClick);

    popup_kick = new QMenu(this);
    popup_kickhim = popup_kick->addAction(QStringLiteral("Remove From Game"), this, &Tspylist::popup_kickhimClick);
    popup_kickhim->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim->setEnabled(false);
    listbox_spys->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(listbox_spys, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        listbox_spysMouseMove(at);
        popup_kick->popup(listbox_spys->viewport()->mapToGlobal(at));
    });
}

bool Tspylist::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == listbox_spys->viewport() && e->type() == QEvent::MouseMove)
        listbox_spysMouseMove(static_cast<QMouseEvent *>(e)->position().toPoint());
    return QDialog::eventFilter(watched, e);
}

void Tspylist::listbox_spysMouseMove(const QPoint &pos)
{
    QListWidgetItem *item = listbox_spys->itemAt(pos);
    listTag = item ? listbox_spys->row(item) : -1;
}

void Tspylist::popup_kickhimClick()
{
    // The entry under the mouse, not the selected one.
    if (listTag < 0 || listTag >= listbox_spys->count() || !m_forms.chat)
        return;
    const QString entry = listbox_spys->item(listTag)->text();
    int slot = 0;
    if (tryStrToInt(entry.section(QLatin1Char(':'), 0, 0).toLatin1(), slot))
        m_forms.chat->kicking(slot);
}
