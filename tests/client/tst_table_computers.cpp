// SPDX-License-Identifier: MIT
// Computer players from the table window: how many and how strong, kept in
// the settings file, handed to this copy's host or sent to a table of ours;
// and the hint, offered on the player's own turn where it is allowed.
#include "settingsfile.h"
#include "tablefixture.h"
#include "tablewidgets.h"
#include "tgamestart.h"
#include "tserver.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QtTest>

namespace {


// A solo table (the whole program, hosting on a free port) with its
// settings file written first.
struct Solo : Table {
    explicit Solo(const QByteArray &settings) : Table(QStringList{}, QStringLiteral("0"))
    {
        writeFile(ini(), settings);
        QTRY_VERIFY(chat->loggedIn());
        QTRY_VERIFY(notices().contains("You are Connected."));
    }
    GameHost &game() { return program->forms.server->game(); }
    Tgamestart *dialog() { return program->forms.gamestart; }
};

} // namespace

class TestTableComputers : public QObject {
    Q_OBJECT
private slots:
    void settingsAreReadPulledIntoRangeAndWritten();
    void fiveStrongOpponentsInASoloGame();
    void hintOnTheOwnTurnOnly();
    void tableOfOurOwnHearsTheChoice();
};

void TestTableComputers::settingsAreReadPulledIntoRangeAndWritten()
{
    const QByteArray before = "; mine\r\n[Other]\r\nComputerplayers=3\r\n\r\n[Chickenfoot]\r\nComputerplayers=9\r\n"
                              "Computerlevel=strong\r\nAllowhints=true\r\nBotspeed=500\r\n";
    Solo t(before);
    QCOMPARE(t.dialog()->computerPlayers(), 5);
    QCOMPARE(t.dialog()->computerLevel(), 2);
    QVERIFY(t.dialog()->hintsAllowed());
    // Nothing was written by reading.
    QCOMPARE(readFile(t.ini()), before);

    t.dialog()->setComputerPlayers(0);
    QCOMPARE(t.dialog()->computerPlayers(), 1);
    t.dialog()->setComputerPlayers(2);
    t.dialog()->combo_level->setCurrentIndex(0);
    t.dialog()->check_hints->setChecked(false);
    t.chat->button_startClick();
    t.dialog()->button_startClick();
    QTRY_VERIFY(t.game().gamerunning);
    QCOMPARE(t.game().computerPlayers(), 2);
    QCOMPARE(t.game().computerLevel(2), int(GameHost::Normal));
    QVERIFY(!t.game().hintsAllowed());
    const QByteArray after = readFile(t.ini());
    QVERIFY(after.startsWith("; mine\r\n[Other]\r\nComputerplayers=3\r\n\r\n[Chickenfoot]\r\nComputerplayers=2\r\n"
                             "Computerlevel=Normal\r\nAllowhints=false\r\nBotspeed=500\r\n"));
    // Two computer players in a solo game: seats 2 and 3, 14 bones each.
    QVERIFY(t.game().players[3].playing);
    QVERIFY(!t.game().players[4].playing);
    QTRY_COMPARE(t.chat->label_bones[3]->text(), QStringLiteral("14"));
}

void TestTableComputers::fiveStrongOpponentsInASoloGame()
{
    Solo t("[Chickenfoot]\r\nComputerplayers=5\r\nComputerlevel=Strong\r\n");
    t.game().setBotDelay(1);
    t.program->forms.server->setTimings(1, 10); // pauses between rounds of 50 ms
    t.chat->button_startClick();
    t.dialog()->setRounds(3);
    t.dialog()->button_startClick();
    QTRY_VERIFY(t.game().gamerunning);
    for (int s = 2; s <= 6; ++s) {
        QVERIFY(t.game().players[s].playing);
        QCOMPARE(t.game().computerLevel(s), int(GameHost::Strong));
        QTRY_COMPARE(t.chat->label_bones[size_t(s)]->text(), QStringLiteral("7"));
    }
    const char *const names[] = {"", "You", "Klot", "Klock", "Kling", "Klick", "Krazy"};
    for (int s = 1; s <= 6; ++s)
        QTRY_COMPARE(t.chat->seatName(s), QString::fromLatin1(names[s]));
    // The player watches; the six computers play the game to its winner.
    t.chat->JustWatch1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!t.game().gamerunning, 60000);
    QTRY_VERIFY(t.chat->panel_winner->isVisible());
}

void TestTableComputers::hintOnTheOwnTurnOnly()
{
    Solo t("[Chickenfoot]\r\nComputerplayers=1\r\nBotspeed=2000\r\n");
    QVERIFY(t.chat->hintOffered()); // solo: always
    QVERIFY(!t.chat->Hint1->isEnabled());
    t.chat->button_startClick();
    t.dialog()->button_startClick();
    // Round 1 opens with seat 1: the player's turn.
    QTRY_COMPARE(t.chat->turnSeat(), 1);
    QTRY_VERIFY(t.chat->Hint1->isEnabled());
    const int handsBefore = t.game().players[1].hand[1];
    t.chat->Hint1->trigger();
    if (t.chat->selectedBone() == -1) {
        // No bone fits the spinner: the hint says to pass.
        QCOMPARE(t.chat->label_status->text(), QStringLiteral("Hint: pass."));
    } else {
        const HandBone *b = t.chat->handBone(t.chat->selectedBone());
        QVERIFY(b);
        QVERIFY(gettopnum(b->hint()) == 9 || getbotnum(b->hint()) == 9);
        QTRY_VERIFY(t.chat->image_toe[1]->isVisible() || t.chat->image_toe[2]->isVisible());
    }
    // Nothing went to the host: it is still the player's turn, hand unchanged.
    QTest::qWait(100);
    QCOMPARE(t.game().whoseturn, 1);
    QCOMPARE(t.game().players[1].hand[1], handsBefore);
    // The key H asks too, when the chat line does not hold the focus.
    t.chat->clearselected();
    t.chat->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), t.chat);
    // Typed into the chat line, an "h" is just a letter.
    t.chat->mychat->setFocus();
    QTest::keyClick(t.chat->mychat, Qt::Key_H);
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("h"));
    QCOMPARE(t.chat->selectedBone(), -1);
    t.chat->panel_bones->setFocus();
    QTest::keyClick(t.chat->panel_bones, Qt::Key_H);
    QVERIFY(t.chat->selectedBone() != -1 || t.chat->label_status->text() == QStringLiteral("Hint: pass."));
    // Once the play is sent, no more hints until the next turn.
    t.chat->button_passClick();
    t.chat->image_toe1Click(1);
    QTRY_VERIFY(!t.chat->Hint1->isEnabled());
}

void TestTableComputers::tableOfOurOwnHearsTheChoice()
{
    TServer server;
    server.setTimings(1, 20);
    server.game().setDedicated(true);
    server.Sock1->setPortName(QStringLiteral("0"));
    server.Sock1->setListen(true);
    Table ann({"Ann", "127.0.0.1", "x"}, QString::number(server.Sock1->localPort()));
    QTRY_VERIFY(ann.chat->hostRights());
    QVERIFY(!ann.chat->hintOffered()); // a network table: only when allowed
    ann.program->forms.gamestart->setComputerPlayers(4);
    ann.program->forms.gamestart->setComputerLevel(2);
    ann.program->forms.gamestart->setHintsAllowed(true);
    ann.chat->button_startClick();
    ann.program->forms.gamestart->button_startClick();
    QTRY_VERIFY(server.game().gamerunning);
    QCOMPARE(server.game().computerPlayers(), 4);
    QCOMPARE(server.game().computerLevel(5), int(GameHost::Strong));
    QTRY_VERIFY(ann.chat->hintOffered());
    // Seat 1 is Ann's, seat 2 and three more empty seats are the computer's.
    for (int s = 1; s <= 5; ++s)
        QVERIFY(server.game().players[s].playing);
    QVERIFY(!server.game().players[6].playing);
}

QTEST_MAIN(TestTableComputers)
#include "tst_table_computers.moc"
