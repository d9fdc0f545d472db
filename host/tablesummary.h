// SPDX-License-Identifier: MIT
// TableSummary: what a table that accepts players tells those looking for
// one (its name, where it is, seats taken, watchers, waiting or which round),
// the same on the local network and in the online lobby. Built from the
// game host's state on the sending side; every field checked again on the
// receiving side, where it comes from a stranger.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

class GameHost;

struct TableSummary {
    static constexpr int MaxNameLength = 40;
    static constexpr int MaxHostLength = 253; // a DNS name at its longest
    static constexpr int Seats = 6;

    QString name;        // the host player's name, or velloc-host --name
    QString host;        // a host name or address; may be empty before it is known
    quint16 port = 0;
    int seated = 0;      // humans in seats 1..6
    int watchers = 0;    // humans in the watchers' slots
    int round = 0;       // 0 while waiting, else the round being played
    int rounds = 0;      // rounds of the game, when one runs
    bool internet = false; // the host says it can be reached from the internet

    bool inGame() const { return round > 0; }
    // The seats and game of a host, name and address left as they are.
    void takeCounts(const GameHost &game);

    // "2 of 6"
    QString seatsText() const;
    // "waiting" or "round 2 of 5"
    QString stateText() const;
    // "host" or "host:port" ([v6]:port), as the join box takes it.
    QString addressText() const;

    // Key and value pairs, the form both transports carry; the address is
    // included only when withAddress (DNS-SD has its own).
    using Fields = QList<QPair<QByteArray, QByteArray>>;
    Fields toFields(bool withAddress) const;
    // Reads fields a stranger sent; false (out untouched) when any field is
    // missing, repeated, oversized or out of range. withAddress as above.
    static bool fromFields(const Fields &fields, bool withAddress, TableSummary *out);
    // Checks a summary as fromFields does (names are plain one-line text).
    bool valid(bool withAddress) const;

    // A name as plain one-line text: control characters removed, cut to
    // MaxNameLength characters.
    static QString plainName(const QString &text);

    bool operator==(const TableSummary &o) const = default;
};
Q_DECLARE_METATYPE(TableSummary)
