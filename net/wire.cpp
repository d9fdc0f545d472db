// SPDX-License-Identifier: MIT
#include "wire.h"

namespace wire {

QByteArray fromUser(const QString &text)
{
    // "ÿ" is the terminator's byte: as text it would cut the message.
    QByteArray bytes = ansi::encode(text);
    bytes.replace(Terminator, '?');
    return bytes;
}

bool splitCommand(const QByteArray &message, QByteArray &name, QByteArray &args)
{
    const qsizetype plus = message.indexOf('+');
    if (plus <= 0)
        return false;
    name = message.left(plus);
    args = message.mid(plus + 1);
    return true;
}

QByteArray FieldReader::next()
{
    const qsizetype plus = m_rest.indexOf('+');
    if (plus < 0)
        return {};
    QByteArray field = m_rest.left(plus);
    m_rest.remove(0, plus + 1);
    return field;
}

bool Framer::feed(const QByteArray &bytes, const std::function<void(QByteArray)> &sink)
{
    m_pending.append(bytes);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf(Terminator, start);
        if (end < 0)
            break;
        sink(m_pending.mid(start, end - start));
        start = end + 1;
    }
    if (start > 0)
        m_pending.remove(0, start);
    return m_pending.size() <= MaxPendingText;
}

} // namespace wire
