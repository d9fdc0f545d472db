// SPDX-License-Identifier: MIT
// TableListView: a live list of tables that take players, one row each
// (name, address, seats taken of 6, watchers, waiting or the round, and in
// the online lobby whether the host can be reached from the internet).
// Double-click or Return asks to join the chosen one. Rows change in place,
// so a list that updates often keeps its selection and scroll position.
#pragma once

#include "tablesummary.h"

#include <QHash>
#include <QTreeWidget>

class TableListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TableListView(bool internetColumn, QWidget *parent = nullptr);

    void setTable(const QString &key, const TableSummary &table);
    void removeTable(const QString &key);
    void clearTables();
    // An out-of-date list stays visible, greyed, until it is fresh again.
    void setStale(bool stale);
    bool stale() const { return m_stale; }
    int count() const { return int(m_rows.size()); }
    // The chosen table's key; empty when none is chosen.
    QString currentKey() const;
    TableSummary table(const QString &key) const;

signals:
    void joinRequested(const QString &key, const TableSummary &table);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void askToJoin(QTreeWidgetItem *item);
    bool m_internet;
    bool m_stale = false;
    QHash<QString, QTreeWidgetItem *> m_rows;
    QHash<QString, TableSummary> m_tables;
};
