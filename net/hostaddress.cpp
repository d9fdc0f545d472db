// SPDX-License-Identifier: MIT
#include "hostaddress.h"

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool asciiAlnum(QChar c)
{
    return c.unicode() < 128 && c.isLetterOrNumber();
}

// ASCII letters, digits, dots, hyphens and underscores: what a host name or a
// dotted address may hold. Anything else (blanks, slashes, "@") is a typo.
bool plausibleName(const QString &host)
{
    for (QChar c : host)
        if (!(asciiAlnum(c) || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_')))
            return false;
    return true;
}

// Hex digits and colons, an embedded dotted IPv4 tail, and a "%zone" suffix.
bool plausibleIPv6(const QString &host)
{
    const int zone = host.indexOf(QLatin1Char('%'));
    const QString address = zone < 0 ? host : host.left(zone);
    if (zone >= 0 && !plausibleName(host.mid(zone + 1)))
        return false;
    int colons = 0;
    for (QChar c : address) {
        if (c == QLatin1Char(':'))
            ++colons;
        else if (!(c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                   || c == QLatin1Char('.')))
            return false;
    }
    return colons >= 2;
}

} // namespace

QString HostAddress::text(quint16 defaultPort) const
{
    if (port == defaultPort || port == 0)
        return host;
    const QString h = isIPv6Literal() ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

namespace hostaddress {

bool parsePort(const QString &text, quint16 *port, QString *error)
{
    const QString t = text.trimmed();
    bool digits = !t.isEmpty() && t.size() <= 5;
    for (QChar c : t)
        digits = digits && c.isDigit() && c.unicode() < 128;
    const int n = digits ? t.toInt() : 0;
    if (n < 1 || n > 65535)
        return fail(error, QStringLiteral("The port must be a number from 1 to 65535."));
    if (port)
        *port = quint16(n);
    return true;
}

bool parse(const QString &text, quint16 defaultPort, HostAddress *out, QString *error)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return fail(error, QStringLiteral("Please enter the address of the table."));
    if (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('@')))
        return fail(error, QStringLiteral("\"%1\" is not a valid address: type only the host name or address, "
                                          "and a port after \":\" if it is not the usual one.").arg(t));
    QString host;
    QString portText;
    bool hasPort = false;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            return fail(error, QStringLiteral("The address \"%1\" has a \"[\" without its \"]\".").arg(t));
        host = t.mid(1, close - 1);
        const QString after = t.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':')))
                return fail(error, QStringLiteral("After \"]\" only \":\" and a port may follow."));
            portText = after.mid(1);
            hasPort = true;
        }
        if (!plausibleIPv6(host))
            return fail(error, QStringLiteral("\"%1\" is not an IPv6 address.").arg(host));
    } else if (t.count(QLatin1Char(':')) >= 2) {
        // A bare IPv6 address: its colons cannot also announce a port.
        host = t;
        if (!plausibleIPv6(host))
            return fail(error, QStringLiteral("\"%1\" is not a valid address.").arg(t));
    } else {
        const int colon = t.indexOf(QLatin1Char(':'));
        host = colon < 0 ? t : t.left(colon);
        if (colon >= 0) {
            portText = t.mid(colon + 1);
            hasPort = true;
        }
        if (host.isEmpty())
            return fail(error, QStringLiteral("Please enter the address of the table before the port."));
        if (!plausibleName(host))
            return fail(error, QStringLiteral("\"%1\" is not a valid host name or address.").arg(host));
    }
    if (host.isEmpty())
        return fail(error, QStringLiteral("Please enter the address of the table."));
    quint16 port = defaultPort;
    // Said of the address, not of a Port box the player may see beside it.
    if (hasPort && !parsePort(portText, &port))
        return fail(error, QStringLiteral("The port in the table's address (after \":\") must be a number from 1 "
                                          "to 65535."));
    if (out) {
        out->host = host;
        out->port = port;
    }
    return true;
}

} // namespace hostaddress
