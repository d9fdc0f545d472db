// SPDX-License-Identifier: MIT
// The game's message format: "CMD_" name, "+"-separated fields, ended by the
// byte 0xFF. Text on the wire is the Western ANSI code page (ansi.h).
#pragma once

#include "ansi.h"
#include "convert.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>

namespace wire {

constexpr char Terminator = '\xFF';

// Caps that keep a hostile peer from growing our buffers without end.
constexpr qsizetype MaxPendingText = 65536;   // bytes without a terminator
constexpr qsizetype MaxQueuedMessages = 1000; // per connection
constexpr qsizetype MaxUnsentBytes = 1 << 20; // per connection

// Text typed by a user, as it may travel: the ANSI code page, unknown
// characters as "?", and never the terminator, so a message cannot be split
// by its content.
QByteArray fromUser(const QString &text);
inline QString toDisplay(const QByteArray &text) { return ansi::decode(text); }

// Splits a dispatched message at its first "+": false when there is none or
// the name is empty (such a message is dropped).
bool splitCommand(const QByteArray &message, QByteArray &name, QByteArray &args);

// Reads fields the way the handlers do: the text before the next "+" and
// then deletes through it. Without a further "+" a field reads empty and
// nothing is consumed.
class FieldReader {
public:
    explicit FieldReader(const QByteArray &args) : m_rest(args) {}
    QByteArray next();
    int nextInt() { return strToInt(next()); } // throws EConvertError
    const QByteArray &rest() const { return m_rest; }

private:
    QByteArray m_rest;
};

// Per-connection reassembly of messages from the pieces a stream delivers.
class Framer {
public:
    // Appends bytes and hands out every completed message (terminator
    // removed). Returns false when the pending text exceeds its cap.
    bool feed(const QByteArray &bytes, const std::function<void(QByteArray)> &sink);
    const QByteArray &pending() const { return m_pending; }
    void clear() { m_pending.clear(); }

private:
    QByteArray m_pending;
};

} // namespace wire
