// SPDX-License-Identifier: MIT
// A scripted human for end-to-end tests: follows the board from the host's
// messages and, on its own turn, plays the first bone that fits an offered
// toe, or passes.
#pragma once

#include "bones.h"
#include "testclient.h"

#include <QList>

class ScriptedPlayer {
public:
    explicit ScriptedPlayer(TestClient &c) : client(c) {}

    // Handles every message not seen yet; returns false on a message the
    // player cannot follow.
    void pump()
    {
        while (seen < client.all.size())
            handle(client.all.at(seen++));
    }

    TestClient &client;
    int seat() const { return client.slot; }
    int hand[21] = {};
    int spinnerValue = -1;
    int openEnd[4] = {-1, -1, -1, -1};
    int moves = 0;
    int passes = 0;
    QByteArray winner;

private:
    static QList<int> ints(const QByteArray &args)
    {
        QList<int> v;
        for (const QByteArray &f : args.split('+'))
            v << f.toInt();
        return v;
    }

    void handle(const QByteArray &m)
    {
        const qsizetype plus = m.indexOf('+');
        const QByteArray name = m.left(plus), args = m.mid(plus + 1);
        if (name == "CMD_startround") {
            spinnerValue = gettopnum(ints(args)[1]);
            std::fill(std::begin(hand), std::end(hand), 0);
            std::fill(std::begin(openEnd), std::end(openEnd), -1);
        } else if (name == "CMD_dealmybones") {
            const QList<int> v = ints(args);
            if (v[0] == seat())
                for (int i = 1; i + 1 < v.size(); i += 2)
                    hand[v[i]] = v[i + 1];
        } else if (name == "CMD_heplayed") {
            const QList<int> v = ints(args);
            const bool flip = args.split('+')[5] == "t";
            openEnd[v[3]] = flip ? gettopnum(v[2]) : getbotnum(v[2]);
            if (v[0] == seat())
                hand[v[1]] = 0;
        } else if (name == "CMD_double") {
            const QList<int> v = ints(args);
            if (v[0] == seat())
                hand[v[1]] = 0;
        } else if (name == "CMD_beginagain") {
            spinnerValue = gettopnum(ints(args)[0]);
            std::fill(std::begin(openEnd), std::end(openEnd), -1);
        } else if (name == "CMD_nextplayer") {
            const QList<QByteArray> f = args.split('+');
            if (f[0].toInt() == seat())
                move(f[1].toInt(), f);
        } else if (name == "CMD_winner") {
            winner = args.chopped(1);
        }
    }

    void move(int mode, const QList<QByteArray> &f)
    {
        for (int toe = 1; toe <= 3; ++toe) {
            if (f[1 + toe] != "t")
                continue;
            const int want = mode == 1 ? spinnerValue : openEnd[toe];
            for (int h = 1; h <= 20; ++h)
                if (hand[h] && (gettopnum(hand[h]) == want || getbotnum(hand[h]) == want)) {
                    client.send("CMD_playbone+" + QByteArray::number(seat()) + "+" + QByteArray::number(h)
                                + "+" + QByteArray::number(toe) + "+" + f[4 + toe] + "+");
                    ++moves;
                    return;
                }
        }
        client.send("CMD_hepasses+" + QByteArray::number(seat()) + "+");
        ++passes;
    }

    qsizetype seen = 0;
};
