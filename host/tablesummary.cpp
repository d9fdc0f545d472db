// SPDX-License-Identifier: MIT
#include "tablesummary.h"

#include "gamehost.h"
#include "hostaddress.h"

namespace {

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

bool readCount(const QByteArray &v, int lo, int hi, int *out)
{
    if (v.isEmpty() || v.size() > 5)
        return false;
    for (char c : v)
        if (c < '0' || c > '9')
            return false;
    const int n = v.toInt();
    if (n < lo || n > hi)
        return false;
    *out = n;
    return true;
}

} // namespace

void TableSummary::takeCounts(const GameHost &game)
{
    seated = 0;
    watchers = 0;
    for (int slot = 1; slot <= GameHost::MaxSlots; ++slot) {
        const tplayer &p = game.players[slot];
        if (!p.connected || !game.loggedin[slot])
            continue;
        if (slot <= GameHost::maxseats)
            ++seated;
        else
            ++watchers;
    }
    round = game.gamerunning ? qBound(1, game.roundnum, game.roundstoplay) : 0;
    rounds = game.gamerunning ? game.roundstoplay : 0;
}

QString TableSummary::seatsText() const { return QStringLiteral("%1 of %2").arg(seated).arg(Seats); }

QString TableSummary::stateText() const
{
    return inGame() ? QStringLiteral("round %1 of %2").arg(round).arg(rounds) : QStringLiteral("waiting");
}

QString TableSummary::addressText() const { return HostAddress{host, port}.text(hostaddress::GamePort); }

QString TableSummary::plainName(const QString &text)
{
    QString out;
    for (char32_t c : text.toUcs4())
        if (!isControl(c))
            out += QString::fromUcs4(&c, 1);
    out = out.simplified();
    // Cut whole characters, never half a surrogate pair.
    const QList<uint> chars = out.toUcs4();
    if (chars.size() > MaxNameLength)
        out = QString::fromUcs4(reinterpret_cast<const char32_t *>(chars.constData()), MaxNameLength);
    return out;
}

bool TableSummary::valid(bool withAddress) const
{
    if (name.isEmpty() || name != plainName(name))
        return false;
    if (seated < 0 || seated > Seats || watchers < 0 || watchers > Seats)
        return false;
    if (round == 0 ? rounds != 0 : (rounds < 3 || rounds > 10 || round < 1 || round > rounds))
        return false;
    if (!withAddress)
        return true;
    if (port == 0 || host.isEmpty() || host.size() > MaxHostLength)
        return false;
    HostAddress parsed;
    // The host alone must read back as itself: no port, brackets or blanks
    // hidden in it.
    return hostaddress::parse(HostAddress{host, port}.text(0), 0, &parsed) && parsed.host == host
           && parsed.port == port;
}

TableSummary::Fields TableSummary::toFields(bool withAddress) const
{
    Fields f{{"name", name.toUtf8()},
             {"seated", QByteArray::number(seated)},
             {"watchers", QByteArray::number(watchers)},
             {"round", QByteArray::number(round)},
             {"rounds", QByteArray::number(rounds)},
             {"internet", internet ? "1" : "0"}};
    if (withAddress) {
        f.append({"host", host.toUtf8()});
        f.append({"port", QByteArray::number(port)});
    }
    return f;
}

bool TableSummary::fromFields(const Fields &fields, bool withAddress, TableSummary *out)
{
    TableSummary t;
    QList<QByteArray> seen;
    int port = 0;
    for (const auto &[key, value] : fields) {
        if (seen.contains(key) || value.size() > 4 * MaxHostLength)
            return false;
        seen.append(key);
        bool ok = true;
        if (key == "name")
            t.name = QString::fromUtf8(value);
        else if (key == "seated")
            ok = readCount(value, 0, Seats, &t.seated);
        else if (key == "watchers")
            ok = readCount(value, 0, Seats, &t.watchers);
        else if (key == "round")
            ok = readCount(value, 0, 10, &t.round);
        else if (key == "rounds")
            ok = readCount(value, 0, 10, &t.rounds);
        else if (key == "internet") {
            ok = value == "0" || value == "1";
            t.internet = value == "1";
        }
        else if (key == "host" && withAddress)
            t.host = QString::fromUtf8(value);
        else if (key == "port" && withAddress)
            ok = readCount(value, 1, 65535, &port);
        // Keys of a later version are passed over.
        if (!ok)
            return false;
    }
    t.port = quint16(port);
    for (const char *k : {"name", "seated", "watchers", "round", "rounds"})
        if (!seen.contains(k))
            return false;
    if (!t.valid(withAddress))
        return false;
    *out = t;
    return true;
}
