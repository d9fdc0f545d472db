// SPDX-License-Identifier: MIT
#include "tablelistview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace {
enum Column { Name, Address, Players, Watchers, Game, Internet };
constexpr int KeyRole = Qt::UserRole + 1;
} // namespace

TableListView::TableListView(bool internetColumn, QWidget *parent) : QTreeWidget(parent), m_internet(internetColumn)
{
    QStringList headers{QStringLiteral("Table"), QStringLiteral("Address"), QStringLiteral("Players"),
                        QStringLiteral("Watchers"), QStringLiteral("Game")};
    if (m_internet)
        headers << QStringLiteral("From the internet");
    setHeaderLabels(headers);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(true);
    sortByColumn(Name, Qt::AscendingOrder);
    setFocusPolicy(Qt::StrongFocus);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { askToJoin(item); });
}

void TableListView::setTable(const QString &key, const TableSummary &t)
{
    QTreeWidgetItem *item = m_rows.value(key);
    if (!item) {
        item = new QTreeWidgetItem;
        item->setData(Name, KeyRole, key);
        m_rows.insert(key, item);
        addTopLevelItem(item);
        if (!currentItem())
            setCurrentItem(item);
    }
    m_tables.insert(key, t);
    // Every text is set as plain text: names come from strangers.
    item->setText(Name, t.name);
    item->setText(Address, t.addressText());
    item->setText(Players, t.seatsText());
    item->setText(Watchers, QString::number(t.watchers));
    item->setText(Game, t.stateText());
    if (m_internet)
        item->setText(Internet, t.internet ? QStringLiteral("yes") : QStringLiteral("no"));
}

void TableListView::removeTable(const QString &key)
{
    m_tables.remove(key);
    delete m_rows.take(key);
}

void TableListView::clearTables()
{
    m_tables.clear();
    m_rows.clear();
    clear();
}

void TableListView::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, stale ? QColor(Qt::gray) : style()->standardPalette().color(QPalette::Text));
    setPalette(pal);
}

QString TableListView::currentKey() const
{
    const QTreeWidgetItem *item = currentItem();
    return item ? item->data(Name, KeyRole).toString() : QString();
}

TableSummary TableListView::table(const QString &key) const { return m_tables.value(key); }

void TableListView::askToJoin(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString key = item->data(Name, KeyRole).toString();
    if (m_tables.contains(key))
        emit joinRequested(key, m_tables.value(key));
}

void TableListView::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        askToJoin(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(e);
}
