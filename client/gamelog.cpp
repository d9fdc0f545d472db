// SPDX-License-Identifier: MIT
#include "gamelog.h"

#include "bones.h"
#include "convert.h"
#include "wire.h"

#include <algorithm>

namespace {

const char *const Words[] = {"blank", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};

bool isSeat(int n) { return n >= 1 && n <= 6; }

// The fields of a message as numbers; a field that is not one ends the list,
// as a malformed message ends its handling.
QList<int> numbers(const QByteArray &args, qsizetype from = 0)
{
    QList<int> out;
    const QList<QByteArray> f = args.split('+');
    for (qsizetype i = from; i < f.size(); ++i) {
        int v = 0;
        if (!tryStrToInt(f[i], v))
            break;
        out << v;
    }
    return out;
}

} // namespace

QString GameLog::seatName(int seat) const
{
    QString n = nameOf ? nameOf(seat) : QString();
    if (n.isEmpty() || n == QLatin1String("<Waiting>"))
        n = QStringLiteral("Seat %1").arg(seat);
    return n;
}

QString GameLog::boneText(int bone, bool flip)
{
    if (!bones::valid(bone))
        return QStringLiteral("?");
    const int touching = flip ? getbotnum(bone) : gettopnum(bone);
    const int open = flip ? gettopnum(bone) : getbotnum(bone);
    return QStringLiteral("%1-%2").arg(touching).arg(open);
}

QString GameLog::spokenBone(int bone)
{
    if (!bones::valid(bone))
        return QString();
    const int low = gettopnum(bone), high = getbotnum(bone);
    if (low == high)
        return QStringLiteral("double %1").arg(QLatin1String(Words[low]));
    return QStringLiteral("%1 %2").arg(QLatin1String(Words[low]), QLatin1String(Words[high]));
}

QList<GameLog::Standing> GameLog::rank(QList<Standing> seats)
{
    std::stable_sort(seats.begin(), seats.end(),
                     [](const Standing &a, const Standing &b) { return a.total < b.total; });
    for (qsizetype i = 0; i < seats.size(); ++i)
        seats[i].place = (i > 0 && seats[i].total == seats[i - 1].total) ? seats[i - 1].place : int(i + 1);
    return seats;
}

QStringList GameLog::standingLines(const QList<Standing> &ranked)
{
    QStringList out;
    for (const Standing &s : ranked)
        out << QStringLiteral("%1. %2: %3 (total %4)")
                   .arg(s.place)
                   .arg(s.name)
                   .arg(s.roundScore > 0 ? QStringLiteral("+%1").arg(s.roundScore) : QString::number(s.roundScore))
                   .arg(s.total);
    return out;
}

QStringList GameLog::lines(const QByteArray &command, const QByteArray &args)
{
    if (command == "CMD_startgame") {
        wire::FieldReader r(args);
        r.next();
        m_roundsToPlay = wire::toDisplay(r.next());
        m_standings.clear();
        m_round = m_standingsRound = 0;
        return {};
    }
    if (command == "CMD_startround") {
        const QList<int> f = numbers(args);
        if (f.size() < 2)
            return {};
        m_round = f[0];
        return {QStringLiteral("Round %1 of %2 begins with the spinner %3.")
                    .arg(m_round)
                    .arg(m_roundsToPlay, boneText(f[1], false))};
    }
    if (command == "CMD_heplayed" || command == "CMD_double") {
        const QList<QByteArray> f = args.split('+');
        const QList<int> n = numbers(args);
        if (n.size() < 5 || f.size() < 6 || !isSeat(n[0]))
            return {};
        const QString who = seatName(n[0]);
        const int bone = n[2], toe = n[3], pos = n[4];
        if (command == "CMD_double")
            return {QStringLiteral("%1 played the double %2: new spinner.").arg(who, boneText(bone, false))};
        if (pos == 0)
            return {QStringLiteral("%1 placed %2 as the spinner.").arg(who, boneText(bone, false))};
        return {QStringLiteral("%1 played %2 on toe %3.").arg(who, boneText(bone, f[5] == "t")).arg(toe)};
    }
    if (command == "CMD_hepassed") {
        const QList<int> n = numbers(args);
        if (n.isEmpty() || !isSeat(n[0]))
            return {};
        return {QStringLiteral("%1 passed.").arg(seatName(n[0]))};
    }
    if (command == "CMD_endround") {
        const QList<int> n = numbers(args);
        if (n.isEmpty())
            return {};
        QList<Standing> scored;
        for (qsizetype i = 1; i + 2 < n.size(); i += 3)
            if (isSeat(n[i]))
                scored << Standing{0, n[i], seatName(n[i]), n[i + 1], n[i + 2]};
        m_standings = rank(scored);
        m_standingsRound = m_round;
        const QString round = m_round > 0 ? QStringLiteral("Round %1").arg(m_round) : QStringLiteral("The round");
        QStringList out{isSeat(n[0]) ? QStringLiteral("%1 is over: %2 went out.").arg(round, seatName(n[0]))
                                     : QStringLiteral("%1 is blocked: nobody can play.").arg(round)};
        return out + standingLines(m_standings);
    }
    if (command == "CMD_tiegame")
        return {QStringLiteral("The lowest totals are tied: one more round decides the game.")};
    if (command == "CMD_winner") {
        if (m_standings.isEmpty())
            return {};
        QStringList out{QStringLiteral("Final standings:")};
        for (const Standing &s : m_standings)
            out << QStringLiteral("%1. %2: %3").arg(s.place).arg(s.name).arg(s.total);
        return out;
    }
    return {};
}
