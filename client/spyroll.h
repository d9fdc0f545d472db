// SPDX-License-Identifier: MIT
// SpyRoll: the watchers at the table ("7: Name") and whether this player may
// remove them, kept by the table window whether or not the spy list window
// has been made; once it is, the window shows the same entries.
#pragma once

#include <QPointer>
#include <QStringList>

class Tspylist;

class SpyRoll {
public:
    void add(const QString &entry);
    // Takes out the first entry equal to entry; false when there is none.
    bool remove(const QString &entry);
    void clear();
    // The name of the watcher in this slot (the last such entry), or empty.
    QString nameIn(int slot) const;
    void setRemovalAllowed(bool allowed);
    bool removalAllowed() const { return m_removalAllowed; }
    QStringList entries() const { return m_entries; }

    // The window, just made: it shows what is kept here and follows it.
    void attach(Tspylist *window);

private:
    QStringList m_entries;
    bool m_removalAllowed = false;
    QPointer<Tspylist> m_window;
};
