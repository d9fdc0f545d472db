// SPDX-License-Identifier: MIT
#include "spyroll.h"

#include "tspylist.h"

#include <QAction>
#include <QListWidget>

void SpyRoll::add(const QString &entry)
{
    m_entries << entry;
    if (m_window)
        m_window->listbox_spys->addItem(entry);
}

bool SpyRoll::remove(const QString &entry)
{
    const qsizetype at = m_entries.indexOf(entry);
    if (at < 0)
        return false;
    m_entries.removeAt(at);
    if (m_window) {
        const auto found = m_window->listbox_spys->findItems(entry, Qt::MatchExactly);
        if (!found.isEmpty())
            delete found.first();
    }
    return true;
}

void SpyRoll::clear()
{
    m_entries.clear();
    if (m_window)
        m_window->listbox_spys->clear();
}

QString SpyRoll::nameIn(int slot) const
{
    const QString prefix = QString::number(slot) + QStringLiteral(": ");
    QString name;
    for (const QString &entry : m_entries)
        if (entry.startsWith(prefix))
            name = entry.section(QStringLiteral(": "), 1);
    return name;
}

void SpyRoll::setRemovalAllowed(bool allowed)
{
    m_removalAllowed = allowed;
    if (m_window)
        m_window->popup_kickhim->setEnabled(allowed);
}

void SpyRoll::attach(Tspylist *window)
{
    m_window = window;
    window->listbox_spys->clear();
    window->listbox_spys->addItems(m_entries);
    window->popup_kickhim->setEnabled(m_removalAllowed);
}
