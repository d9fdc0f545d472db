// SPDX-License-Identifier: MIT
#include "tabletracker.h"

#include <algorithm>

namespace players {

namespace {

int valueBit(int v) { return (v >= 0 && v <= 9) ? 1 << v : 0; }

} // namespace

TableMessage::TableMessage(QByteArrayView message)
{
    const qsizetype plus = message.indexOf('+');
    if (plus < 0)
        return;
    valid = true;
    name = message.first(plus);
    qsizetype from = plus + 1;
    for (;;) {
        const qsizetype next = message.indexOf('+', from);
        if (next < 0) {
            fields.append(message.sliced(from));
            break;
        }
        fields.append(message.sliced(from, next - from));
        from = next + 1;
    }
}

void TableTracker::setSeat(int seat)
{
    m_view = TableView{};
    m_view.me = seat;
    std::fill(std::begin(m_handNumber), std::end(m_handNumber), 0);
}

void TableTracker::clearRound()
{
    const TableView::Game game = m_view.game;
    setSeat(m_view.me);
    m_view.game = game;
}

void TableTracker::record(int seat, int bone, int toe)
{
    int &n = m_view.historyLength;
    if (n < 0)
        return;
    if (n == TableView::MaxHistory) {
        n = -1;
        return;
    }
    m_view.history[n++] = {std::int8_t(seat), std::int8_t(bone), std::int8_t(toe)};
}

bool TableTracker::myTurn() const { return m_view.valid && m_view.round.turn == m_view.me && !m_doublePending; }

int TableTracker::handNumber(int bone) const
{
    return (bone >= 1 && bone <= rules::BoneCount && (m_view.round.hand[m_view.me] & rules::bit(bone))) ? m_handNumber[bone]
                                                                                                        : 0;
}

void TableTracker::observe(const TableMessage &message)
{
    if (!message.valid)
        return;
    const QByteArrayView name = message.name;
    const auto &f = message.fields;
    TableView &v = m_view;
    rules::Position &r = v.round;
    const int me = v.me;

    if (name == "CMD_startround") {
        if (f.size() < 3)
            return;
        const int spinnerBone = f[1].toInt();
        const int each = f[2].toInt();
        clearRound();
        v.game.round = f[0].toInt();
        if (!bones::valid(spinnerBone) || !bones::isdouble(spinnerBone))
            return;
        r.spinner = std::int8_t(gettopnum(spinnerBone));
        r.mode = 1;
        for (int i = 3; i + 1 < f.size(); i += 2) {
            const int s = f[i].toInt();
            if (s >= 1 && s <= rules::Seats && f[i + 1] == "t") {
                r.inGame |= std::uint8_t(1u << s);
                v.handCount[s] = each;
            }
        }
        v.gone = rules::bit(spinnerBone);
        v.firstSpinner = spinnerBone;
        m_each = each;
        m_doublePending = false;
        v.valid = true;
    } else if (name == "CMD_dealmybones") {
        if (message.number(0) != me || !v.valid)
            return;
        r.hand[me] = 0;
        for (int i = 1; i + 1 < f.size(); i += 2) {
            const int place = f[i].toInt(), bone = f[i + 1].toInt();
            if (bones::valid(bone) && place >= 1 && place <= rules::HandPlaces) {
                r.hand[me] |= rules::bit(bone);
                m_handNumber[bone] = place;
            }
        }
        v.handCount[me] = rules::countOf(r.hand[me]);
    } else if (name == "CMD_nextplayer") {
        if (f.size() < 8 || !v.valid)
            return;
        const int seat = f[0].toInt();
        if (seat < 1 || seat > rules::Seats)
            return;
        r.turn = std::uint8_t(seat);
        r.passed &= std::uint8_t(~(1u << seat));
        r.mode = std::uint8_t(f[1].toInt() == 2 ? 2 : 1);
        // The values this turn offers: a pass says the seat holds none.
        m_offeredValues = 0;
        for (int t = 1; t <= rules::Toes; ++t)
            if (f[1 + t] == "t")
                m_offeredValues |= valueBit(r.mode == 1 ? r.spinner : (r.length[t] ? r.end[t] : r.spinner));
    } else if (name == "CMD_heplayed") {
        if (f.size() < 7 || !v.valid)
            return;
        const int seat = f[0].toInt(), handnum = f[1].toInt(), bone = f[2].toInt(), toe = f[3].toInt();
        const int pos = f[4].toInt();
        if (!bones::valid(bone) || toe < 1 || toe > rules::Toes || pos < 1 || pos > rules::Positions || seat < 1
            || seat > rules::Seats)
            return;
        const bool flip = f[5] == "t";
        r.end[toe] = std::int8_t(flip ? gettopnum(bone) : getbotnum(bone));
        r.length[toe] = std::uint8_t(pos);
        if (r.length[1] && r.length[2] && r.length[3])
            r.mode = 2;
        r.passed = 0;
        v.gone |= rules::bit(bone);
        v.handCount[seat] = f[6].toInt();
        record(seat, bone, toe);
        if (seat == me) {
            r.hand[me] &= ~rules::bit(bone);
            (void)handnum;
        }
    } else if (name == "CMD_double") {
        if (f.size() < 7 || !v.valid)
            return;
        const int seat = f[0].toInt(), bone = f[2].toInt();
        if (!bones::valid(bone) || seat < 1 || seat > rules::Seats)
            return;
        v.gone |= rules::bit(bone);
        v.handCount[seat] = f[6].toInt();
        record(seat, bone, f[3].toInt());
        if (seat == me)
            r.hand[me] &= ~rules::bit(bone);
        // The board restarts around it a moment later.
        m_doublePending = true;
        r.spinner = std::int8_t(gettopnum(bone));
        r.mode = 1;
        r.length[1] = r.length[2] = r.length[3] = 0;
    } else if (name == "CMD_beginagain") {
        const int bone = message.number(0);
        if (!v.valid || !bones::isdouble(bone))
            return;
        m_doublePending = false;
        r.spinner = std::int8_t(gettopnum(bone));
        r.mode = 1;
        r.length[1] = r.length[2] = r.length[3] = 0;
    } else if (name == "CMD_hepassed") {
        const int seat = message.number(0);
        if (!v.valid || seat < 1 || seat > rules::Seats)
            return;
        if (seat == r.turn)
            v.cannotHold[seat] |= std::uint16_t(m_offeredValues);
        r.passed |= std::uint8_t(1u << seat);
        record(seat, 0, 0);
    } else if (name == "CMD_endround" || name == "CMD_startgame" || name == "CMD_gamestats") {
        // Between rounds, and for a latecomer who cannot know the hand
        // counts, there is nothing to plan with until the next round.
        clearRound();
        TableView::Game &game = v.game;
        if (name == "CMD_startgame") {
            game = {};
            // The host's reading of the rounds field: a sign and digits, or 3.
            const QByteArrayView text = f.size() > 1 ? f[1] : QByteArrayView();
            bool number = !text.isEmpty();
            for (qsizetype i = 0; i < text.size() && number; ++i)
                number = (text[i] >= '0' && text[i] <= '9') || (i == 0 && (text[i] == '-' || text[i] == '+'));
            const int rounds = number ? text.toInt(&number) : 3;
            game.rounds = number ? std::clamp(rounds, 3, 10) : 3;
        } else if (name == "CMD_endround") {
            for (qsizetype i = 1; i + 2 < f.size(); i += 3)
                if (const int s = f[i].toInt(); s >= 1 && s <= rules::Seats)
                    game.total[s] = f[i + 2].toInt();
        } else if (f.size() >= 11) {
            game.round = f[1].toInt();
            game.rounds = f[2].toInt();
            for (int s = 1; s <= rules::Seats; ++s)
                game.total[s] = f[4 + s].toInt();
        }
    }
}

} // namespace players
