// SPDX-License-Identifier: MIT
// FairQueue: the host's inbound queue. Connections take turns, one message
// each, so a connection with a backlog cannot hold the others back; each
// connection's messages keep their order, and while no connection has more
// than one waiting, messages are served strictly in the order they arrived.
#pragma once

#include <QByteArray>

#include <deque>
#include <unordered_map>

class FairQueue {
public:
    struct Message {
        quint64 conn = 0;
        QByteArray text;
    };

    void push(quint64 conn, QByteArray text);
    // The next message, from the connection whose turn it is; false when
    // nothing waits.
    bool pop(Message &out);
    // Forgets everything a connection has waiting.
    void drop(quint64 conn);

    qsizetype size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    qsizetype waiting(quint64 conn) const;

private:
    std::unordered_map<quint64, std::deque<QByteArray>> m_inbox;
    // Connections with messages waiting, in the order of their turns: a
    // connection goes to the back when its first message arrives and again
    // after each message served while it has more.
    std::deque<quint64> m_turns;
    qsizetype m_size = 0;
};
