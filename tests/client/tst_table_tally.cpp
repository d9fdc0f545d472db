// SPDX-License-Identifier: MIT
// The table window reporting finished games to the tally: who counts as
// the winner, which opponents are counted, and that the record is on disk
// right after the game.
#include "tablefixture.h"
#include "ttallylist.h"

#include <QAction>
#include <QListWidget>
#include <QtTest>

namespace {

// Ann in seat 3, with Bo in seat 1 and a peer who calls himself "addtomine"
// in seat 2; Bo is tallied.
struct TallyTable : Table {
    Ttallylist *tally;
    TallyTable() : Table(3, "Ann")
    {
        tally = program->forms.tallylist;
        host.send("CMD_newplayerinfo+1+Bo");
        host.send("CMD_newplayerinfo+2+addtomine");
        sync();
        chat->ViewTally1->trigger();
        QListWidgetItem *bo = tally->checklist->findItems(QStringLiteral("Bo"), Qt::MatchExactly).value(0);
        if (bo)
            bo->setCheckState(Qt::Checked);
    }
    QString cell(int col, int row) const { return tally->grid().cell(col, row); }
};

} // namespace

class TestTableTally : public QObject {
    Q_OBJECT
private slots:
    void tableNamesReachTheTally();
    void gamesAreCountedByWinner();
    void aWatcherRecordsNothing();
};

void TestTableTally::tableNamesReachTheTally()
{
    TallyTable t;
    QVERIFY(t.tally->isVisible());
    QStringList names;
    for (int i = 0; i < t.tally->checklist->count(); ++i)
        names << t.tally->checklist->item(i)->text();
    QCOMPARE(names, (QStringList{"Bo", "addtomine"})); // not Ann herself, no empty seats
    QCOMPARE(t.tally->listbox_tally->count(), 1);
    QCOMPARE(t.cell(0, 1), QStringLiteral("Bo"));
}

void TestTableTally::gamesAreCountedByWinner()
{
    TallyTable t;
    t.host.send("CMD_winner+Bo+");
    QVERIFY(t.sync());
    QCOMPARE(t.cell(1, 0), QStringLiteral("1"));
    QCOMPARE(t.cell(2, 0), QStringLiteral("0"));
    QCOMPARE(t.cell(1, 1), QStringLiteral("1"));
    QCOMPARE(t.cell(2, 1), QStringLiteral("1")); // Bo's wins
    QCOMPARE(t.cell(6, 1), QStringLiteral("1"));

    t.host.send("CMD_winner+Ann+");
    QVERIFY(t.sync());
    QCOMPARE(t.cell(2, 0), QStringLiteral("1"));
    QCOMPARE(t.cell(3, 1), QStringLiteral("1")); // Ann's wins against Bo
    QCOMPARE(t.cell(7, 1), QStringLiteral("1"));

    // A peer named like the call site's spelling is still somebody else.
    t.host.send("CMD_winner+addtomine+");
    QVERIFY(t.sync());
    QCOMPARE(t.cell(1, 0), QStringLiteral("3"));
    QCOMPARE(t.cell(2, 0), QStringLiteral("1"));
    QCOMPARE(t.cell(4, 1), QStringLiteral("1")); // a third player won
    QCOMPARE(t.cell(3, 1), QStringLiteral("1"));

    // Every counted game is on disk at once.
    QVERIFY(QFile::exists(Ttallylist::tallyFilePath()));
    QVERIFY(Ttallylist::tallyFilePath().startsWith(t.dir.path()));
}

void TestTableTally::aWatcherRecordsNothing()
{
    Table t(8, "Spy");
    t.host.send("CMD_newplayerinfo+1+Bo");
    t.host.send("CMD_winner+Bo+");
    QVERIFY(t.sync());
    QCOMPARE(t.program->forms.tallylist->grid().cell(1, 0), QStringLiteral("0"));
    QVERIFY(!QFile::exists(Ttallylist::tallyFilePath()));
}

QTEST_MAIN(TestTableTally)
#include "tst_table_tally.moc"
