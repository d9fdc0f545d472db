// SPDX-License-Identifier: MIT
// The table window at one of our own tables: coming back to the same seat
// after a drop, closing when removed or when the table ends, the host
// player's rights on a table of its own, and joins that fail saying why.
#include "tablefixture.h"
#include "tablewidgets.h"
#include "tgamestart.h"
#include "tplayothers.h"
#include "tserver.h"
#include "tspylist.h"

#include <QAction>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace {

struct Server {
    TServer server;
    quint16 port = 0;
    explicit Server(bool dedicated = false)
    {
        server.setTimings(1, 20);
        server.game().setDedicated(dedicated);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        port = server.Sock1->localPort();
    }
    GameHost &game() { return server.game(); }
};

QList<int> handOf(const GameHost &g, int seat)
{
    QList<int> bones;
    for (int h = 1; h <= 20; ++h)
        if (g.players[seat].hand[h])
            bones << g.players[seat].hand[h];
    std::sort(bones.begin(), bones.end());
    return bones;
}

QList<int> handShown(const Tchat *chat)
{
    QList<int> bones;
    for (int h = 1; h <= Tchat::HandSlots; ++h)
        if (HandBone *b = chat->handBone(h))
            bones << b->hint();
    std::sort(bones.begin(), bones.end());
    return bones;
}

void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

} // namespace

class TestTableNetwork : public QObject {
    Q_OBJECT
private slots:
    void reconnectTakesTheSeatBack();
    void tableEndsExplainThemselves_data();
    void tableEndsExplainThemselves();
    void hostPlayerOfATableOfItsOwn();
    void extensionsOnlyFromAHostThatAnswered_data();
    void extensionsOnlyFromAHostThatAnswered();
    void failedJoinsSayWhy();
    void tryAgainAndTheOtherWays();
    void hostingOnABusyPort();
};

void TestTableNetwork::reconnectTakesTheSeatBack()
{
    Server s;
    s.game().setBotDelay(30);
    TestClient ann;
    QCOMPARE(ann.login(s.port, "Ann"), 1);
    Table bob({"Bob", "127.0.0.1", "x"}, QString::number(s.port));
    QTRY_VERIFY(bob.chat->ourHost());
    QCOMPARE(bob.chat->ownSeat(), 2);
    ann.send("CMD_startgame+Ann+3+1+");
    QVERIFY(!ann.take("CMD_startround+").isEmpty());
    ann.send("CMD_justwatch+1+1"); // the computer plays Ann's seat
    QTRY_VERIFY(bob.chat->turnSeat() == 2);
    QTRY_COMPARE(handShown(bob.chat), handOf(s.game(), 2));

    // The connection drops (not a removal): the seat is kept and offered back.
    s.server.slotSocket(2)->Close();
    QTRY_COMPARE(bob.chat->offer(), Tchat::Offer::Reconnect);
    QVERIFY(bob.chat->isVisible());
    QVERIFY(bob.chat->label_offer->text().contains("Reconnect within two minutes"));
    QCOMPARE(bob.chat->button_reconnect->text().remove('&'), QStringLiteral("Reconnect"));
    QVERIFY(!ann.take("CMD_playerdisconnected+2+Bob").isEmpty());
    // Meanwhile the computer plays the seat.
    QTRY_VERIFY(s.game().whoseturn != 2);

    // One attempt fails while the table does not listen: the seat is still
    // kept, and the offer still says for how long.
    s.server.Sock1->setListen(false);
    click(bob.chat->button_reconnect);
    QTRY_VERIFY(bob.chat->label_offer->text().startsWith("Could not reconnect"));
    QCOMPARE(bob.chat->offer(), Tchat::Offer::Reconnect);
    QVERIFY(bob.chat->label_offer->text().contains("within two minutes"));
    s.server.Sock1->setPortName(QString::number(s.port));
    s.server.Sock1->setListen(true);

    click(bob.chat->button_reconnect);
    QTRY_VERIFY(bob.chat->loggedIn());
    QCOMPARE(bob.chat->ownSeat(), 2);
    QVERIFY(!ann.take("CMD_newplayerinfo+2+Bob").isEmpty());
    QTRY_VERIFY(bob.notices().contains("You are back in your seat."));
    QTRY_VERIFY(bob.chat->ourHost());
    QVERIFY(!bob.chat->panel_offer->isVisible());
    QTRY_COMPARE(handShown(bob.chat), handOf(s.game(), 2));
    for (int seat = 1; seat <= 2; ++seat) {
        QTRY_COMPARE(bob.chat->label_score[size_t(seat)]->text(),
                     QString::number(s.game().players[seat].totalscore));
        QTRY_VERIFY(!bob.chat->label_bones[size_t(seat)]->text().isEmpty());
    }
    QTRY_VERIFY2(bob.chat->label_status->text().endsWith("turn.", Qt::CaseInsensitive), qPrintable(bob.chat->label_status->text()));
    QCOMPARE(s.server.slotSocket(3), nullptr);
    // The table window plays on: its turn comes with targets and a pass button.
    QTRY_VERIFY(bob.chat->turnSeat() == 2);
    QVERIFY(bob.chat->button_pass->isVisible());
}

void TestTableNetwork::tableEndsExplainThemselves_data()
{
    QTest::addColumn<bool>("dedicated");
    QTest::addColumn<bool>("removal");
    QTest::addColumn<QString>("said");
    QTest::newRow("removed") << false << true << "Ann removed you from the table.";
    QTest::newRow("host left") << false << false << "Ann closed the table.";
    QTest::newRow("stopped") << true << false << "The table at 127.0.0.1:%1 was stopped.";
}

void TestTableNetwork::tableEndsExplainThemselves()
{
    QFETCH(bool, dedicated);
    QFETCH(bool, removal);
    QFETCH(QString, said);
    Server s(dedicated);
    TestClient ann;
    QCOMPARE(ann.login(s.port, "Ann"), 1);
    ann.send("CMD_velloc+1+");
    Table bob({"Bob", "127.0.0.1", "x"}, QString::number(s.port));
    QTRY_VERIFY(bob.chat->ourHost());
    ann.send("CMD_startgame+Ann+3+1+");
    QTRY_VERIFY(s.game().gamerunning);
    QSignalSpy closed(bob.chat, &Tchat::closed);
    if (removal)
        ann.send("CMD_kickhim+1+2+");
    else
        s.server.shutdown();
    // The window stays, says what happened and offers the ways on.
    const QString text = said.contains("%1") ? said.arg(s.port) : said;
    QTRY_COMPARE(bob.chat->offer(), Tchat::Offer::Ended);
    QCOMPARE(bob.chat->label_offer->text(), text);
    QVERIFY(bob.notices().contains(text));
    QVERIFY(bob.chat->button_playsolo->isVisible() && bob.chat->button_playothers->isVisible());
    QVERIFY(!bob.chat->button_reconnect->isVisible());
    QVERIFY(!s.game().isHeld(2));
    QCOMPARE(closed.count(), 0);
    click(bob.chat->button_close);
    QTRY_COMPARE(closed.count(), 1);
}

void TestTableNetwork::hostPlayerOfATableOfItsOwn()
{
    Server s(true);
    s.game().setBotDelay(2000);
    TestClient ann;
    QCOMPARE(ann.login(s.port, "Ann"), 1);
    ann.send("CMD_velloc+1+");
    Table bob({"Bob", "127.0.0.1", "x"}, QString::number(s.port));
    QTRY_VERIFY(bob.chat->ourHost());
    QVERIFY(!bob.chat->hostRights());
    QVERIFY(!bob.chat->button_start->isVisible());
    QVERIFY(!bob.chat->StartGame1->isEnabled());

    ann.sock.abort(); // the host player leaves: Bob takes over
    QTRY_VERIFY(bob.chat->hostRights());
    QVERIFY(bob.chat->button_start->isVisible());
    QVERIFY(bob.chat->StartGame1->isEnabled());
    QVERIFY(bob.program->forms.spylist->popup_kickhim->isEnabled());
    bob.chat->label_playername1ContextPopup(2, QPoint());
    QVERIFY(bob.chat->RemoveFromGame1->isEnabled());
    QVERIFY(bob.chat->SettoJustWatch1->isEnabled());
    QTRY_COMPARE(s.game().botDelay(), bob.chat->botDelay()); // his speed is the table's now
    QVERIFY(bob.notices().contains("You are the host player of this table: you start the games."));

    bob.chat->button_startClick();
    bob.program->forms.gamestart->button_startClick();
    QTRY_VERIFY(s.game().gamerunning);
    QVERIFY(!bob.chat->button_start->isVisible());
    QTRY_COMPARE(bob.chat->seatName(1), QString::fromLatin1(GameHost::DedicatedSeat1Name));
}

// A host that sends our messages before we logged in, or without answering
// our announcement, is not one of ours: nothing it says of them counts.
void TestTableNetwork::extensionsOnlyFromAHostThatAnswered_data()
{
    QTest::addColumn<int>("stage");
    QTest::newRow("before the login") << 0;
    QTest::newRow("logged in, no answer") << 1;
    QTest::newRow("answered") << 2;
}

void TestTableNetwork::extensionsOnlyFromAHostThatAnswered()
{
    QFETCH(int, stage);
    const bool acted = stage == 2;
    Table t;
    QVERIFY(t.host.waitForClient());
    if (stage >= 1)
        t.login(2, "Ann");
    if (stage >= 2)
        t.host.send("CMD_velloc+1+");
    for (const char *m : {"CMD_youhost+", "CMD_hints+t+", "CMD_botname+1+Evil", "CMD_playerdisconnected+1+X"})
        t.host.send(m);
    QVERIFY(t.sync());
    QCOMPARE(t.chat->hostRights(), acted);
    QCOMPARE(t.chat->button_start->isVisible(), acted);
    QCOMPARE(t.notices().contains("You are the host player of this table: you start the games."), acted);
    QCOMPARE(t.chat->hintOffered(), acted);
    QCOMPARE(t.chat->seatName(1), acted ? QStringLiteral("Evil") : QString());
}

void TestTableNetwork::failedJoinsSayWhy()
{
    // A table that takes the connection and never says a word.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    {
        Table t({"Ann", "127.0.0.1", "x"}, QString::number(silent.serverPort()));
        t.chat->answerTimeoutMs = 300;
        QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
        QVERIFY2(t.chat->label_offer->text().contains("did not answer within 1 second"),
                 qPrintable(t.chat->label_offer->text()));
        QVERIFY(!t.chat->sock->hasSocket());
    }
    // An address that cannot be one, and one with a bad port: nothing connects.
    for (const QString &address : {QStringLiteral("my table"), QStringLiteral("127.0.0.1:99999")}) {
        Table t({"Ann", address, "x"}, QString::number(silent.serverPort()));
        QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
        QVERIFY(t.chat->label_offer->text().startsWith("Could not join the table at " + address + ": "));
        QVERIFY(!t.chat->sock->hasSocket());
    }
    // host:port reaches a table on another port than the default.
    Server s;
    Table t({"Ann", "127.0.0.1:" + QString::number(s.port), "x"}, QStringLiteral("7772"));
    QTRY_VERIFY(t.chat->loggedIn());
    QCOMPARE(t.chat->tableAddress().port, s.port);
    // ... and [IPv6 address]:port reaches it over IPv6, where there is IPv6.
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHostIPv6, 0)) {
        Table v6({"Bo", "[::1]:" + QString::number(s.port), "x"}, QStringLiteral("7772"));
        QTRY_VERIFY(v6.chat->loggedIn());
        QCOMPARE(s.server.slotSocket(v6.chat->ownSeat())->HostName(), QStringLiteral("::1"));
    }
}

void TestTableNetwork::tryAgainAndTheOtherWays()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    Table t({"Ann", "127.0.0.1", "x"}, QString::number(port));
    QList<QStringList> relaunched;
    t.chat->relaunch = [&](const QStringList &args, bool) { relaunched << args; };
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
    QCOMPARE(t.chat->button_reconnect->text().remove('&'), QStringLiteral("Try Again"));

    // The table opens meanwhile: trying again gets in.
    TServer server;
    server.setTimings(1, 20);
    server.Sock1->setPortName(QString::number(port));
    server.Sock1->setListen(true);
    click(t.chat->button_reconnect);
    QTRY_VERIFY(t.chat->loggedIn());
    QCOMPARE(t.chat->offer(), Tchat::Offer::None);
    QVERIFY(t.notices().contains("Trying again..."));
    QTRY_COMPARE(t.chat->label_status->text(), QStringLiteral("Press Start Game to begin."));

    // From the offer the player can also go solo or choose another table.
    t.chat->PlaywithOthers1Click();
    QVERIFY(t.program->forms.playothers->isVisible());
    t.program->forms.playothers->hide();
    click(t.chat->button_playsolo);
    QCOMPARE(relaunched, QList<QStringList>{QStringList{}});
}

void TestTableNetwork::hostingOnABusyPort()
{
    QTcpServer busy;
    QVERIFY(busy.listen(QHostAddress::Any, 0));
    const QString port = QString::number(busy.serverPort());
    Table t({"Ann", "127.0.0.1", "true", "--port", port}, QStringLiteral("7772"));
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
    QVERIFY(t.chat->label_offer->text().startsWith("Could not host a table on port " + port));
    QVERIFY(!t.chat->button_reconnect->isVisible());
    QVERIFY(!t.chat->hostFlag());
    QVERIFY(!t.chat->button_start->isVisible());
    QVERIFY(t.boxes.isEmpty());
}

QTEST_MAIN(TestTableNetwork)
#include "tst_table_network.moc"
