// SPDX-License-Identifier: MIT
// Whatever a host sends, the table window keeps working: thousands of
// messages with the game's command names and random or hostile fields.
#include "tablefixture.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

class TestTableRobustness : public QObject {
    Q_OBJECT
private slots:
    void hostileHostMessages();
    void aFloodingHostIsLeft();
};

void TestTableRobustness::hostileHostMessages()
{
    static const char *const commands[] = {
        "CMD_sendlogininfo", "CMD_chat", "CMD_action", "CMD_newplayerinfo", "CMD_havewrongversion",
        "CMD_wrongversion", "CMD_existingplayers", "CMD_playerdisconnected", "CMD_startgame", "CMD_nextplayer",
        "CMD_winner", "CMD_justwatching", "CMD_startround", "CMD_beginagain", "CMD_dealmybones", "CMD_hepassed",
        "CMD_heplayed", "CMD_noplay", "CMD_endround", "CMD_double", "CMD_gamestats", "CMD_youplay", "CMD_tiegame",
        "CMD_nosuch", "", "cmd_chat"};
    static const char *const fields[] = {"0", "1", "2", "3", "6", "7", "9", "10", "20", "21", "40", "41", "55",
                                         "56", "-1", "-20", "2147483647", "99999999999", "x", "", "t", "f", "*",
                                         "|", "|clBlue", "<Waiting>", "\x01\x02", "+"};
    Table t(3);
    QRandomGenerator rng(20261208);
    for (int i = 0; i < 6000; ++i) {
        QByteArray m = commands[rng.bounded(int(std::size(commands)))];
        const int n = rng.bounded(14);
        for (int k = 0; k < n; ++k)
            m += "+" + QByteArray(fields[rng.bounded(int(std::size(fields)))]);
        if (rng.bounded(10) == 0)
            m += "+";
        if (m.startsWith("CMD_full") || m.startsWith("CMD_sendlogininfo"))
            continue; // these end the table or change its seat
        t.host.send(m);
        if (i % 500 == 499)
            QVERIFY(t.sync());
    }
    QVERIFY(t.sync());
    QVERIFY(t.chat->isVisible());
    t.chat->mychat->setText(QStringLiteral("still here"));
    t.chat->sendit();
    QCOMPARE(t.host.take("CMD_chat"), QByteArray("CMD_chat+3+still here|clBlack"));
    // Endless junk without a terminator ends the connection, and the table.
    QSignalSpy closed(t.chat, &Tchat::closed);
    t.host.peer->write(QByteArray(70000, 'j'));
    QTRY_COMPARE(closed.count(), 1);
}

// A host that sends far more than a table could show is left at once, as a
// lost connection, not followed for half a minute.
void TestTableRobustness::aFloodingHostIsLeft()
{
    Table t(3);
    t.host.send("CMD_velloc+1+"); // ours: a lost connection is offered back
    QVERIFY(t.sync());
    QByteArray flood;
    for (int i = 0; i < 30000; ++i)
        flood += "CMD_chat+" + QByteArray::number(i) + "|clBlack\xFF";
    t.host.peer->write(flood);
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::Reconnect);
    QCOMPARE(t.chat->pendingMessages(), 0);
    QVERIFY(t.notices().contains("The connection to the table was lost."));
    QVERIFY(t.log().size() < 2000);
}

QTEST_MAIN(TestTableRobustness)
#include "tst_table_robustness.moc"
