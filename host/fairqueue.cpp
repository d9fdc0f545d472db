// SPDX-License-Identifier: MIT
#include "fairqueue.h"

#include <algorithm>

void FairQueue::push(quint64 conn, QByteArray text)
{
    std::deque<QByteArray> &box = m_inbox[conn];
    if (box.empty())
        m_turns.push_back(conn);
    box.push_back(std::move(text));
    ++m_size;
}

bool FairQueue::pop(Message &out)
{
    if (m_turns.empty())
        return false;
    const quint64 conn = m_turns.front();
    m_turns.pop_front();
    const auto it = m_inbox.find(conn);
    out.conn = conn;
    out.text = std::move(it->second.front());
    it->second.pop_front();
    --m_size;
    if (it->second.empty())
        m_inbox.erase(it);
    else
        m_turns.push_back(conn);
    return true;
}

void FairQueue::drop(quint64 conn)
{
    const auto it = m_inbox.find(conn);
    if (it == m_inbox.end())
        return;
    m_size -= qsizetype(it->second.size());
    m_inbox.erase(it);
    std::erase(m_turns, conn);
}

qsizetype FairQueue::waiting(quint64 conn) const
{
    const auto it = m_inbox.find(conn);
    return it == m_inbox.end() ? 0 : qsizetype(it->second.size());
}
