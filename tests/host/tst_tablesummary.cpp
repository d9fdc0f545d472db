// SPDX-License-Identifier: MIT
// A table's summary: the fields a stranger sends are all checked, the
// counts come from the host's seats, and the announcer passes on changes
// without flooding.
#include "tableannouncer.h"
#include "tablesummary.h"
#include "tserver.h"

#include <QSignalSpy>
#include <QtTest>

using Fields = TableSummary::Fields;

namespace {
Fields good()
{
    return {{"name", "Ann"}, {"seated", "1"}, {"watchers", "0"}, {"round", "2"}, {"rounds", "5"},
            {"internet", "1"}, {"host", "192.0.2.5"}, {"port", "7773"}};
}
Fields with(const QByteArray &key, const QByteArray &value)
{
    Fields f = good();
    for (auto &p : f)
        if (p.first == key)
            p.second = value;
    return f;
}
Fields without(const QByteArray &key)
{
    Fields f = good();
    f.removeIf([&](const auto &p) { return p.first == key; });
    return f;
}
} // namespace

class TestTableSummary : public QObject {
    Q_OBJECT
private slots:
    void readsOnlyWellFormedFields_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<bool>("ok");
        QTest::newRow("good") << good() << true;
        QTest::newRow("rounds without a round") << with("round", "0") << false;
        Fields waiting = with("round", "0");
        waiting[4].second = "0";
        QTest::newRow("waiting, no rounds") << waiting << true;
        QTest::newRow("IPv6 host") << with("host", "2001:db8::1") << true;
        QTest::newRow("host name") << with("host", "table.example.org") << true;
        QTest::newRow("later version's key") << good() + Fields{{"colour", "red"}} << true;
        QTest::newRow("seven seated") << with("seated", "7") << false;
        QTest::newRow("sign in count") << with("seated", "+1") << false;
        QTest::newRow("watchers not a number") << with("watchers", "x") << false;
        QTest::newRow("round 11") << with("round", "11") << false;
        QTest::newRow("two rounds") << with("rounds", "2") << false;
        QTest::newRow("port 0") << with("port", "0") << false;
        QTest::newRow("port 65536") << with("port", "65536") << false;
        QTest::newRow("empty host") << with("host", "") << false;
        QTest::newRow("host with port") << with("host", "h:80") << false;
        QTest::newRow("host with slash") << with("host", "h/x") << false;
        QTest::newRow("host too long") << with("host", QByteArray(254, 'h')) << false;
        QTest::newRow("internet maybe") << with("internet", "yes") << false;
        QTest::newRow("empty name") << with("name", "") << false;
        QTest::newRow("name 40") << with("name", QByteArray(40, 'n')) << true;
        QTest::newRow("name 41") << with("name", QByteArray(41, 'n')) << false;
        QTest::newRow("line break in name") << with("name", "A\nB") << false;
        QTest::newRow("escape in name") << with("name", "A\x1b[2J") << false;
        QTest::newRow("no name") << without("name") << false;
        QTest::newRow("no port") << without("port") << false;
        QTest::newRow("twice seated") << good() + Fields{{"seated", "2"}} << false;
    }
    void readsOnlyWellFormedFields()
    {
        QFETCH(Fields, fields);
        QFETCH(bool, ok);
        TableSummary t;
        t.name = QStringLiteral("untouched");
        QCOMPARE(TableSummary::fromFields(fields, true, &t), ok);
        if (!ok)
            QCOMPARE(t.name, QStringLiteral("untouched"));
        else
            QCOMPARE(TableSummary::fromFields(t.toFields(true), true, &t), true); // and back
    }

    void textsAndCounts()
    {
        TServer server;
        GameHost &g = server.game();
        TableSummary t;
        t.name = QStringLiteral("Ann");
        t.host = QStringLiteral("2001:db8::1");
        t.port = 7773;
        for (int slot : {1, 3, 7}) {
            g.players[slot].connected = true;
            g.loggedin[slot] = true;
        }
        g.players[4].connected = true; // connected, not logged in: nobody yet
        t.takeCounts(g);
        QCOMPARE(t.seatsText(), QStringLiteral("2 of 6"));
        QCOMPARE(t.watchers, 1);
        QCOMPARE(t.stateText(), QStringLiteral("waiting"));
        g.gamerunning = true;
        g.roundnum = 2;
        g.roundstoplay = 4;
        t.takeCounts(g);
        QCOMPARE(t.stateText(), QStringLiteral("round 2 of 4"));
        QCOMPARE(t.addressText(), QStringLiteral("[2001:db8::1]:7773"));
        QVERIFY(t.valid(true));
    }

    void announcerCoalesces()
    {
        TServer server;
        TableAnnouncer announcer(server);
        announcer.setMinInterval(300);
        QSignalSpy changed(&announcer, &TableAnnouncer::changed);
        TableSummary base;
        base.name = QStringLiteral("Ann");
        announcer.setBase(base);
        QCOMPARE(changed.size(), 1);
        // Nothing a looker sees changed: nothing announced.
        server.tableChanged();
        QCOMPARE(changed.size(), 1);
        // Many changes at once: the last state comes out, once, later.
        for (int slot = 1; slot <= 6; ++slot) {
            server.game().players[slot].connected = true;
            server.game().loggedin[slot] = true;
            server.tableChanged();
        }
        QCOMPARE(changed.size(), 1);
        QTRY_COMPARE(changed.size(), 2);
        QCOMPARE(changed.last()[0].value<TableSummary>().seated, 6);
        QTest::qWait(400);
        QCOMPARE(changed.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTableSummary)
#include "tst_tablesummary.moc"
