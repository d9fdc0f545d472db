// SPDX-License-Identifier: MIT
// TableTracker: follows a table from the messages it sends, the very ones a
// table window receives, and keeps the view of one seat. The host's strong
// computer players and the table window's hint plan from it, so they cannot
// see more than a player at that seat could.
#pragma once

#include "tableview.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

namespace players {

// A table message cut into its command and its '+'-separated fields (the
// trailing empty one included), so several trackers can share one cutting.
// Views into the message: it must outlive this.
struct TableMessage {
    explicit TableMessage(QByteArrayView message);
    QByteArrayView name;
    QVarLengthArray<QByteArrayView, 48> fields;
    bool valid = false; // the message had a '+'
    int number(qsizetype i) const { return i < fields.size() ? fields[i].toInt() : 0; }
};

class TableTracker {
public:
    TableTracker() = default;
    explicit TableTracker(int seat) { setSeat(seat); }
    void setSeat(int seat);
    int seat() const { return m_view.me; }

    // One message as the table sent it, without its terminator.
    void observe(const QByteArray &message) { observe(TableMessage(message)); }
    void observe(const TableMessage &message);

    const TableView &view() const { return m_view; }
    bool myTurn() const;
    // Where the table keeps a bone of this seat's hand (0: not held).
    int handNumber(int bone) const;

private:
    void clearRound(); // a new round, or none: the game's totals stay
    void record(int seat, int bone, int toe);
    TableView m_view;
    int m_handNumber[rules::BoneCount + 1] = {};
    int m_offeredValues = 0; // value bits the current turn offers
    bool m_doublePending = false;
    int m_each = 0;
};

} // namespace players
