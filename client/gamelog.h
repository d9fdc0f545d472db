// SPDX-License-Identifier: MIT
// GameLog: the record of a game in words, worked out from the messages every
// table window already receives: who played which bone where, passes,
// doubles, blocked rounds and each round's scores, ranked. It knows no
// widgets; the table window writes its lines into the chat log and shows its
// standings.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class GameLog {
public:
    // What the table shows for a seat ("You" for the player's own).
    std::function<QString(int seat)> nameOf;

    struct Standing {
        int place = 0; // equal totals share a place
        int seat = 0;
        QString name;
        int roundScore = 0;
        int total = 0;
    };

    // The lines one message adds to the record; none for most messages.
    QStringList lines(const QByteArray &command, const QByteArray &args);
    // The seats scored at the last round end, lowest total first.
    QList<Standing> standings() const { return m_standings; }
    int standingsRound() const { return m_standingsRound; }
    // A line for each seat: "1. Ann: -20 (total 15)".
    static QStringList standingLines(const QList<Standing> &ranked);
    static QList<Standing> rank(QList<Standing> seats);

    // A bone as it lies: the value that touches first ("6-4").
    static QString boneText(int bone, bool flip);
    // A bone in words, low value first ("four six", "double five").
    static QString spokenBone(int bone);

private:
    QString seatName(int seat) const;

    int m_round = 0;
    QString m_roundsToPlay = QStringLiteral("10");
    QList<Standing> m_standings;
    int m_standingsRound = 0;
};
