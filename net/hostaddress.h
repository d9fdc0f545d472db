// SPDX-License-Identifier: MIT
// Where a table is: a host name or address and a TCP port, as a player types
// it ("host", "host:port", "[v6 address]:port") and as the program prints it.
#pragma once

#include <QString>

struct HostAddress {
    QString host; // a name, a dotted IPv4 address or an IPv6 address without brackets
    quint16 port = 0;

    // "host" when the port is the default, else "host:port"; IPv6 addresses
    // are bracketed whenever a port follows them.
    QString text(quint16 defaultPort) const;
    bool isIPv6Literal() const { return host.contains(QLatin1Char(':')); }
};

namespace hostaddress {

constexpr quint16 GamePort = 7772;

// Parses a table address. Without a port the default applies; a bare IPv6
// address (two or more colons, no brackets) carries no port. On failure
// returns false and, when error is given, one sentence saying why.
bool parse(const QString &text, quint16 defaultPort, HostAddress *out, QString *error = nullptr);

// A port number as typed: 1 to 65535, digits only.
bool parsePort(const QString &text, quint16 *port, QString *error = nullptr);

} // namespace hostaddress
