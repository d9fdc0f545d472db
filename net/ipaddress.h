// SPDX-License-Identifier: MIT
// Addresses and name lookups with the C library, so the table window needs
// no network library of Qt's: the program talks to its host through plain
// sockets (tsock.h) and starts without one.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace ipaddress {

// The IPv4 address written in dotted form (host byte order), or none.
std::optional<quint32> parseIPv4(const QString &text);

// True when the text is an IPv4 or IPv6 address rather than a name.
bool isLiteral(const QString &text);

// True for 127.0.0.0/8 and ::1.
bool isLoopback(const QString &literal);

// True when the address lies in net/bits (IPv4, host byte order).
inline bool inSubnet(quint32 address, quint32 net, int bits)
{
    const quint32 mask = bits <= 0 ? 0 : ~quint32(0) << (32 - bits);
    return (address & mask) == (net & mask);
}

// This computer's IPv4 addresses on interfaces that are up and running,
// without loopback and self-assigned (169.254) ones.
QStringList localIPv4();

// Looks the name up on a thread of its own (the C library blocks) and calls
// `done` on the event loop with the addresses, IPv4 first, or the reason
// there are none; not at all when `context` is gone by then.
void lookup(const QString &host, QObject *context,
            std::function<void(const QStringList &addresses, const QString &error)> done);

} // namespace ipaddress
