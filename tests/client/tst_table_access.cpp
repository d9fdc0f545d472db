// SPDX-License-Identifier: MIT
// The table window for a player without a mouse or without sight: the game
// in words, the names a screen reader reads, play by keys alone, who starts
// the game and every seat's state told by our host.
#include "bones.h"
#include "gamelog.h"
#include "tablefixture.h"
#include "tablewidgets.h"
#include "tgamestart.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTcpServer>
#include <QTextEdit>
#include <QtTest>

namespace {

QByteArray bone(int low, int high) { return QByteArray::number(bones::bonenumber(low, high)); }

QString spoken(QWidget *w)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

// The widget with the keyboard focus gets the key, as a player's press would.
void press(Qt::Key key)
{
    QWidget *w = QApplication::focusWidget();
    QVERIFY(w);
    QTest::keyClick(w, key);
}

} // namespace

class TestTableAccess : public QObject {
    Q_OBJECT
private slots:
    void gameInWords_data();
    void gameInWords();
    void keysAloneAndWhatIsRead();
    void whoStartsAndWhoMayChange();
    void seatsToldByOurHost();
    void boldOnlyForWhoSaidIt();
};

void TestTableAccess::gameInWords_data()
{
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<QStringList>("lines");
    const QByteArray start = "CMD_startgame+Ann+3+";
    const QByteArray round = "CMD_startround+1+" + bone(9, 9) + "+7+1+t+2+t+3+t+4+f+5+f+6+f";
    QTest::newRow("round and a play") << QByteArrayList{start, round, "CMD_heplayed+2+4+" + bone(4, 6) + "+2+1+t+6+"}
                                      << QStringList{"Round 1 of 3 begins with the spinner 9-9.", "Bob played 6-4 on toe 2."};
    QTest::newRow("unflipped") << QByteArrayList{"CMD_heplayed+1+4+" + bone(4, 6) + "+3+2+f+6+"}
                               << QStringList{"Ann played 4-6 on toe 3."};
    QTest::newRow("double") << QByteArrayList{"CMD_double+3+1+" + bone(5, 5) + "+1+3+f+4+"}
                            << QStringList{"Cid played the double 5-5: new spinner."};
    QTest::newRow("passes, an empty seat") << QByteArrayList{"CMD_hepassed+1+", "CMD_hepassed+4+"}
                                           << QStringList{"Ann passed.", "Seat 4 passed."};
    QTest::newRow("round end, ranked, ties share a place")
        << QByteArrayList{start, round, "CMD_endround+2+1+12+30+2+0+12+3+5+30"}
        << QStringList{"Round 1 of 3 begins with the spinner 9-9.", "Round 1 is over: Bob went out.",
                       "1. Bob: 0 (total 12)", "2. Ann: +12 (total 30)", "2. Cid: +5 (total 30)"};
    QTest::newRow("blocked, then the winner")
        << QByteArrayList{"CMD_endround+0+1+3+3+2+4+4", "CMD_tiegame", "CMD_winner+Ann+"}
        << QStringList{"The round is blocked: nobody can play.", "1. Ann: +3 (total 3)", "2. Bob: +4 (total 4)",
                       "The lowest totals are tied: one more round decides the game.", "Final standings:",
                       "1. Ann: 3", "2. Bob: 4"};
    QTest::newRow("malformed says nothing")
        << QByteArrayList{"CMD_heplayed+9+1+1+1+1+t+1+", "CMD_heplayed+2+x", "CMD_hepassed+0+", "CMD_endround+",
                          "CMD_double+2+1+99+1+1+f+3+", "CMD_winner+Ann+"}
        << QStringList{};
}

void TestTableAccess::gameInWords()
{
    QFETCH(QByteArrayList, messages);
    QFETCH(QStringList, lines);
    GameLog log;
    log.nameOf = [](int seat) { return seat <= 3 ? QStringList{"", "Ann", "Bob", "Cid"}[seat] : QStringLiteral("<Waiting>"); };
    QStringList got;
    for (const QByteArray &m : messages) {
        const qsizetype plus = m.indexOf('+');
        got += log.lines(plus < 0 ? m : m.left(plus), plus < 0 ? QByteArray() : m.mid(plus + 1));
    }
    QCOMPARE(got, lines);
    QCOMPARE(GameLog::spokenBone(bones::bonenumber(4, 6)), QStringLiteral("six four"));
    QCOMPARE(GameLog::spokenBone(bones::bonenumber(0, 0)), QStringLiteral("double blank"));
}

// A whole turn by keys: the hand takes the focus when the turn comes, the
// arrows walk it, a number puts the bone on a toe, Up/Down and Return choose
// the toe, P passes; what was played is read out with the status.
void TestTableAccess::keysAloneAndWhatIsRead()
{
    Table t(2, "Bob");
    t.chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.chat));
    t.host.send("CMD_newplayerinfo+1+Ann");
    t.host.send("CMD_startgame+Ann+3+");
    t.host.send("CMD_startround+1+" + bone(6, 6) + "+3+1+t+2+t+3+f+4+f+5+f+6+f");
    t.host.send("CMD_dealmybones+2+1+" + bone(4, 6) + "+2+" + bone(0, 9) + "+3+" + bone(6, 8));
    t.host.send("CMD_nextplayer+2+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());

    // From the chat entry, Tab reaches the hand.
    t.chat->mychat->setFocus();
    for (int i = 0; i < 40 && !qobject_cast<HandBone *>(QApplication::focusWidget()); ++i)
        press(Qt::Key_Tab);
    QVERIFY(qobject_cast<HandBone *>(QApplication::focusWidget()));
    // F6 goes to the chat entry and back to the same bone.
    press(Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(), t.chat->mychat);
    press(Qt::Key_F6);
    QCOMPARE(spoken(QApplication::focusWidget()), QStringLiteral("six four"));
    press(Qt::Key_Right);
    QCOMPARE(spoken(QApplication::focusWidget()), QStringLiteral("nine blank"));
    press(Qt::Key_End);
    QCOMPARE(spoken(QApplication::focusWidget()), QStringLiteral("eight six"));
    press(Qt::Key_Home);
    press(Qt::Key_2);
    QCOMPARE(t.host.take("CMD_playbone"), QByteArray("CMD_playbone+2+1+2+1+"));
    t.host.send("CMD_heplayed+2+1+" + bone(4, 6) + "+2+1+t+2+");
    t.host.send("CMD_nextplayer+1+1+t+t+t+1+2+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->lastPlayed(), QPoint(2, 1));
    QVERIFY(spoken(t.chat->label_status).startsWith("You played 6-4 on toe 2."));
    QVERIFY(spoken(t.chat->label_status).endsWith("Ann's turn."));
    QCOMPARE(spoken(t.chat->image_toe[2]), QStringLiteral("toe 2, open end 4"));
    QCOMPARE(spoken(t.chat->label_playername[2]), QStringLiteral("seat 2, Bob, 0 points, 2 bones"));
    QCOMPARE(spoken(t.chat->label_playername[1]), QStringLiteral("seat 1, Ann, 0 points, 3 bones, has the turn"));
    // Not his turn: a number key tells him so and sends nothing.
    QTRY_VERIFY(qobject_cast<HandBone *>(QApplication::focusWidget()));
    press(Qt::Key_1);
    QVERIFY(spoken(t.chat->label_status).startsWith("It is not your turn."));
    QVERIFY(t.host.nothingFor(50));

    t.host.send("CMD_nextplayer+2+1+t+f+t+1+2+1+");
    QVERIFY(t.sync());
    press(Qt::Key_Return); // raises the bone with the focus
    QVERIFY(t.chat->selectedBone() != -1);
    press(Qt::Key_Down);
    press(Qt::Key_Down); // toe 2 is closed: from 1 to 3
    QVERIFY(t.chat->image_toe[3]->marked() && !t.chat->image_toe[1]->marked());
    QVERIFY(spoken(t.chat->label_status).startsWith("toe 3"));
    press(Qt::Key_Return);
    QCOMPARE(t.host.take("CMD_playbone"), QByteArray("CMD_playbone+2+2+3+1+"));
    t.host.send("CMD_noplay+2+");
    QVERIFY(t.sync());
    QTest::keyClick(t.chat, Qt::Key_P);
    QCOMPARE(t.host.take("CMD_hepasses"), QByteArray("CMD_hepasses+2+"));

    // Whatever the focus, typing in the chat entry stays typing.
    t.host.send("CMD_nextplayer+2+1+t+f+t+1+2+1+");
    QVERIFY(t.sync());
    t.chat->mychat->setFocus();
    QTest::keyClicks(t.chat->mychat, "p2");
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("p2"));
    QVERIFY(t.host.nothingFor(50));
}

void TestTableAccess::whoStartsAndWhoMayChange()
{
    Table t(2, "Bob");
    t.host.send("CMD_newplayerinfo+1+Ann");
    t.host.send("CMD_velloc+1+");
    t.host.send("CMD_hostplayer+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Waiting for Ann to start the game."));
    QVERIFY(!t.chat->BotSpeed1->menuAction()->isEnabled());
    QVERIFY(t.chat->button_start->isHidden());
    // A seat menu with nothing a guest may do stays shut.
    t.chat->label_playername1ContextPopup(1, QPoint());
    QVERIFY(!t.chat->popup_kick->isVisible());

    t.host.send("CMD_youhost+");
    t.host.send("CMD_hostplayer+2+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Press Start Game to begin."));
    QVERIFY(t.chat->BotSpeed1->menuAction()->isEnabled());
    QVERIFY(!t.chat->button_start->isHidden());
    // With no hand yet, F6 leaves the chat entry for the Start button.
    t.chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.chat));
    t.chat->mychat->setFocus();
    press(Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(), t.chat->button_start);
    QTest::keyClick(t.chat, Qt::Key_S);
    QTRY_VERIFY(t.program->forms.gamestart->isVisible());
}

// A latecomer sees every seat as it is: computer names and bone counts, not
// "<Waiting>" and blanks until each seat plays.
void TestTableAccess::seatsToldByOurHost()
{
    Table t(3, "Cid");
    t.host.send("CMD_velloc+1+");
    t.host.send("CMD_botname+1+Klunk");
    t.host.send("CMD_newplayerinfo+2+Bob");
    t.host.send("CMD_gamestats+2+1+3+6+t+0+0+0+0+0+0+*");
    t.host.send("CMD_seats+1+t+7+t+2+t+12+f+3+t+9+f+4+f+0+f+5+f+0+f+6+f+0+f");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->seatName(1), QStringLiteral("Klunk"));
    QCOMPARE(t.chat->label_bones[1]->text(), QStringLiteral("7"));
    QCOMPARE(t.chat->label_bones[2]->text(), QStringLiteral("12"));
    QCOMPARE(t.chat->label_bones[4]->text(), QString());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Bob's turn."));
    QVERIFY(spoken(t.chat->label_playername[2]).contains("Bob, 0 points, 12 bones"));
    // Two digits stay clear of the name beside them.
    QVERIFY(t.chat->label_bones[2]->alignment() & Qt::AlignRight);
    QVERIFY(t.chat->label_bones[2]->geometry().right() < t.chat->label_playername[2]->geometry().left()
            || t.chat->label_bones[2]->geometry().left() > t.chat->label_playername[2]->geometry().right());
}

// A relayed chat line is bold up to its colon; the table's own notices,
// which may hold an address with a colon, are not.
void TestTableAccess::boldOnlyForWhoSaidIt()
{
    const auto boldAt = [](Table &t, const QString &text) {
        QTextCursor c = t.chat->mainchat->document()->find(text);
        c.setPosition(c.selectionStart() + 1);
        return !c.isNull() && c.charFormat().fontWeight() >= QFont::Bold;
    };
    Table t(2, "Bob");
    t.host.send("CMD_chat+Ann chats: hello|clBlack");
    QVERIFY(t.sync());
    QVERIFY(boldAt(t, QStringLiteral("Ann chats:")));
    QVERIFY(!boldAt(t, QStringLiteral("hello")));

    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    Table failed({"Ann", "127.0.0.1:" + port, "x"}, port);
    QTRY_COMPARE(failed.chat->offer(), Tchat::Offer::JoinFailed);
    const QString notice = failed.notices().filter(QStringLiteral("127.0.0.1:")).value(0);
    QVERIFY2(!notice.isEmpty(), qPrintable(failed.notices().join('\n')));
    QVERIFY(!boldAt(failed, notice.left(notice.indexOf(QLatin1Char(':')))));
}

QTEST_MAIN(TestTableAccess)
#include "tst_table_access.moc"
