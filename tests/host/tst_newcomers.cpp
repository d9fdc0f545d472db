// SPDX-License-Identifier: MIT
// Newcomers under options 2 and 3: a player who arrives in the pause after
// a round end, when that round's grants are already given, watches one more
// round, is granted at its end and only then enters; one who arrives after
// the last round end never enters and cannot win without playing.
#include "synclink.h"

#include <QtTest>

namespace {

struct Table {
    SyncLink link;
    GameHost g{link, 3};
    QList<QByteArray> seen; // what slot 1 hears

    Table()
    {
        link.host = &g;
        link.onSend = [this](int slot, const QByteArray &m) {
            if (slot == 1)
                seen << m.chopped(1);
        };
        for (int s = 1; s <= 2; ++s)
            join(s == 1 ? "Ann" : "Bo");
    }
    void join(const QByteArray &name)
    {
        const int slot = g.reserveSlot();
        g.slotConnected(slot);
        g.dispatch(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+" + name);
    }
    // Seat 1 keeps 8-9 (17 pips), seat 2 keeps 1-2 (3 pips); both pass, so
    // the round ends blocked with those scores.
    void blockedRound()
    {
        g.players[1].hand.fill(0);
        g.players[1].hand[1] = 54;
        g.players[2].hand.fill(0);
        g.players[2].hand[1] = 12;
        while (g.gamerunning && !(g.turnopen && g.whoseturn == 1))
            link.fireOne();
        g.dispatch(1, "CMD_hepasses+1+");
        g.dispatch(2, "CMD_hepasses+2+");
    }
    QByteArray last(const QByteArray &prefix) const
    {
        for (qsizetype i = seen.size() - 1; i >= 0; --i)
            if (seen[i].startsWith(prefix))
                return seen[i];
        return {};
    }
    void nextRound()
    {
        while (g.gamerunning && !g.turnopen)
            link.fireOne();
    }
};

} // namespace

class TestNewcomers : public QObject {
    Q_OBJECT
private slots:
    void arrivingAfterTheGrantsWaitsARound_data();
    void arrivingAfterTheGrantsWaitsARound();
    void arrivingAfterTheLastRoundNeverEnters();
};

void TestNewcomers::arrivingAfterTheGrantsWaitsARound_data()
{
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<int>("grant"); // after round 2: totals 34 and 6
    QTest::newRow("highest") << QByteArray("2") << 34;
    QTest::newRow("average") << QByteArray("3") << 20;
}

void TestNewcomers::arrivingAfterTheGrantsWaitsARound()
{
    QFETCH(QByteArray, option);
    QFETCH(int, grant);
    Table t;
    t.g.dispatch(1, "CMD_startgame+Ann+5+" + option + "+");
    t.blockedRound();
    QCOMPARE(t.last("CMD_endround+"), QByteArray("CMD_endround+0+1+17+17+2+3+3"));
    // Cy logs in during the pause: round 1's grants are already given.
    t.join("Cy");
    QVERIFY(t.g.players[3].newcomer);
    t.nextRound();
    QVERIFY2(t.last("CMD_startround+").endsWith("+3+f+4+f+5+f+6+f"), t.last("CMD_startround+").constData());
    QVERIFY(!t.g.players[3].playing);
    // He is granted at the end of round 2, announced like any newcomer ...
    t.blockedRound();
    QCOMPARE(t.last("CMD_endround+"),
             "CMD_endround+0+1+17+34+2+3+6+3+" + QByteArray::number(grant) + "+" + QByteArray::number(grant));
    // ... and enters round 3 with it.
    t.nextRound();
    QVERIFY(t.last("CMD_startround+").startsWith("CMD_startround+3+50+14+"));
    QVERIFY(t.last("CMD_startround+").contains("+3+t+"));
    QVERIFY(t.g.players[3].playing);
    QCOMPARE(t.g.players[3].totalscore, grant);
}

void TestNewcomers::arrivingAfterTheLastRoundNeverEnters()
{
    Table t;
    t.g.dispatch(1, "CMD_startgame+Ann+3+3+");
    for (int round = 1; round <= 3; ++round) {
        t.blockedRound();
        if (round < 3)
            t.nextRound();
    }
    QCOMPARE(t.last("CMD_endround+"), QByteArray("CMD_endround+0+1+17+51+2+3+9"));
    t.join("Cy");
    while (t.g.gamerunning && t.link.fireOne()) {
    }
    QVERIFY(!t.g.gamerunning);
    QVERIFY(!t.g.players[3].playing);
    QCOMPARE(t.last("CMD_winner+"), QByteArray("CMD_winner+Bo+"));
}

QTEST_APPLESS_MAIN(TestNewcomers)
#include "tst_newcomers.moc"
