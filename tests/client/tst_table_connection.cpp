// SPDX-License-Identifier: MIT
// The table window's connection: login, who sits where, watchers, the seat
// menu, bot speed, just watching, and how a lost or refused connection ends
// the window.
#include "failure.h"
#include "tablefixture.h"
#include "tgamestart.h"
#include "tserver.h"
#include "tspylist.h"

#include <QAction>
#include <QListWidget>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

class TestTableConnection : public QObject {
    Q_OBJECT
private slots:
    void loginBurstOfANewcomer();
    void watcherIsListedAsASpy();
    void departures();
    void justWatching();
    void ownJustWatchFollowsTheHost();
    void seatMenuForHostAndGuest();
    void botSpeedIsSentAndKept();
    void removalFromTheSpyList();
    void gameIsFullIsShownBeforeClosing();
    void lostConnectionClosesTheWindow();
    void outOfRangeNumbersLeaveTheDisplayAlone();
    void versionNotices();
    void modalBoxRestsTheDispatchTimer();
    void lobbyLinkIsReadAndCapped();
    void hostModeWithThePortTaken();
};

void TestTableConnection::loginBurstOfANewcomer()
{
    Table t;
    QVERIFY(t.host.waitForClient());
    t.host.send("CMD_sendlogininfo+3");
    // The login text ends with its own terminator: two in a row. Our own
    // announcement follows as a message of its own, which other hosts drop.
    QVERIFY(TestClient::waitFor([&] { return t.host.raw.contains("CMD_velloc"); }));
    QCOMPARE(t.host.raw, QByteArray("CMD_logininfo+3+1.0.1+Ann\xFF\xFF"
                                    "CMD_velloc+1+\xFF"));
    QCOMPARE(t.chat->ownSeat(), 3);
    t.host.send("CMD_newplayerinfo+3+Ann");
    t.host.send("CMD_existingplayers+1+Bo");
    t.host.send("CMD_existingplayers+2+Cy");
    QVERIFY(t.sync());
    QCOMPARE(t.notices().mid(1), (QStringList{"You are Connected.", "Bo is Connected.", "Cy is Connected."}));
    QCOMPARE(t.sounds, (QStringList{"entered", "entered", "entered"}));
    QCOMPARE(t.chat->seatName(3), QStringLiteral("Ann"));
    QCOMPARE(t.chat->seatName(1), QStringLiteral("Bo"));
    QCOMPARE(t.chat->seatName(4), QStringLiteral("<Waiting>"));
}

void TestTableConnection::watcherIsListedAsASpy()
{
    Table t(7);
    QListWidget *spies = t.program->forms.spylist->listbox_spys;
    QCOMPARE(spies->count(), 1);
    QCOMPARE(spies->item(0)->text(), QStringLiteral("7: Ann"));
    QVERIFY(t.notices().contains("You are spying."));
    t.host.send("CMD_newplayerinfo+8+Bo");
    QVERIFY(t.sync());
    QVERIFY(t.notices().contains("Bo is spying."));
    QCOMPARE(spies->count(), 2);
}

void TestTableConnection::departures()
{
    Table t(1);
    t.host.send("CMD_newplayerinfo+4+Dee");
    t.host.send("CMD_newplayerinfo+7+Eve");
    t.host.send("CMD_justwatching+4+1");
    t.host.send("CMD_playerdisconnected+4+whatever");
    t.host.send("CMD_playerdisconnected+4+again");
    t.host.send("CMD_playerdisconnected+7+Eve");
    t.host.send("CMD_playerdisconnected+7+Eve");
    t.host.send("CMD_playerdisconnected+5+Nobody");
    QVERIFY(t.sync());
    const QStringList n = t.notices();
    // The notice names the label's player, and only while a person sat there.
    QCOMPARE(n.count("Dee disconnected."), 1);
    QVERIFY(!n.join('|').contains("whatever"));
    QCOMPARE(n.count("Eve has left."), 1);
    QVERIFY(!n.join('|').contains("Nobody"));
    QCOMPARE(t.chat->seatName(4), QStringLiteral("Kling"));
    QVERIFY(t.chat->image_eyes[4]->isHidden());
    QCOMPARE(t.program->forms.spylist->listbox_spys->count(), 0);
}

void TestTableConnection::justWatching()
{
    Table t(1);
    t.host.send("CMD_newplayerinfo+3+Cy");
    t.host.send("CMD_justwatching+3+1");
    QVERIFY(t.sync());
    QVERIFY(!t.chat->image_eyes[3]->isHidden());
    QVERIFY(t.notices().contains("Cy is just watching"));
    t.host.send("CMD_justwatching+3+2");
    t.host.send("CMD_justwatching+8+1");
    t.host.send("CMD_justwatching+0+1");
    QVERIFY(t.sync());
    QVERIFY(t.chat->image_eyes[3]->isHidden());
    QVERIFY(t.notices().contains("Cy is now playing again"));
    QCOMPARE(t.notices().filter("just watching").size(), 1);
}

void TestTableConnection::ownJustWatchFollowsTheHost()
{
    Table t(3);
    t.chat->JustWatch1->trigger();
    QCOMPARE(t.host.take("CMD_justwatch"), QByteArray("CMD_justwatch+3+1"));
    QVERIFY(!t.chat->JustWatch1->isChecked()); // only the host's answer checks it
    t.host.send("CMD_justwatching+3+1");
    QVERIFY(t.sync());
    QVERIFY(t.chat->JustWatch1->isChecked());
    t.chat->JustWatch1->trigger();
    QCOMPARE(t.host.take("CMD_justwatch"), QByteArray("CMD_justwatch+3+2"));
    QVERIFY(t.chat->JustWatch1->isChecked());
}

void TestTableConnection::seatMenuForHostAndGuest()
{
    Table host({"Ann", "127.0.0.1", "true"}, QStringLiteral("0"));
    QTRY_VERIFY(host.chat->loggedIn());
    host.chat->label_playername1ContextPopup(4, QPoint()); // an empty seat
    QVERIFY(!host.chat->RemoveFromGame1->isEnabled());
    QVERIFY(host.chat->SettoJustWatch1->isEnabled());
    QVERIFY(host.chat->UnsetJustWatch1->isEnabled());
    host.chat->label_playername1ContextPopup(1, QPoint());
    QVERIFY(host.chat->RemoveFromGame1->isEnabled());
    QCOMPARE(host.chat->popupKickTag, 1);
    // The two watch entries act on the seat right-clicked, whatever is shown.
    TestClient bo;
    QCOMPARE(bo.login(host.program->forms.server->Sock1->localPort(), "Bo"), 2);
    host.chat->button_startClick();
    host.program->forms.gamestart->button_startClick();
    QVERIFY(!bo.take("CMD_startround+").isEmpty());
    host.chat->label_playername1ContextPopup(2, QPoint());
    host.chat->SettoJustWatch1->trigger();
    QCOMPARE(bo.take("CMD_justwatching+"), QByteArray("CMD_justwatching+2+1"));
    host.chat->UnsetJustWatch1->trigger();
    QCOMPARE(bo.take("CMD_justwatching+"), QByteArray("CMD_justwatching+2+2"));

    Table guest(2);
    guest.chat->label_playername1ContextPopup(2, QPoint());
    QVERIFY(!guest.chat->RemoveFromGame1->isEnabled());
    QVERIFY(!guest.chat->SettoJustWatch1->isEnabled());
    QVERIFY(!guest.chat->UnsetJustWatch1->isEnabled());
    guest.chat->kicking(1); // a guest never sends a removal
    QVERIFY(guest.host.nothingFor(100));
}

void TestTableConnection::botSpeedIsSentAndKept()
{
    {
        Table t(3);
        t.chat->Fast1->trigger();
        QCOMPARE(t.host.take("CMD_botspeed"), QByteArray("CMD_botspeed+3+500+"));
        QVERIFY(t.chat->Fast1->isChecked());
        QVERIFY(!t.chat->Normal1->isChecked());
        QCOMPARE(t.chat->botDelay(), 500);
        QCOMPARE(t.program->forms.server->game().botDelay(), 500);
        const QString folder = t.dir.path();
        t.dir.setAutoRemove(false);
        t.program.reset();
        // A restart reads "Fast" back.
        setProgramFolder(folder);
        FakeHost h2;
        Program again({"Ann", "127.0.0.1", "x"}, QString::number(h2.port()));
        again.forms.chat->show();
        QVERIFY(h2.waitForClient());
        h2.send("CMD_sendlogininfo+3");
        h2.send("CMD_newplayerinfo+3+Ann");
        QTRY_VERIFY(again.forms.chat->Fast1->isChecked());
        QCOMPARE(again.forms.chat->botDelay(), 500);
        QDir(folder).removeRecursively();
    }
}

void TestTableConnection::removalFromTheSpyList()
{
    Table host({"Ann", "127.0.0.1", "true"}, QStringLiteral("0"));
    QTRY_VERIFY(host.chat->loggedIn());
    Tspylist *spies = host.program->forms.spylist;
    QVERIFY(spies->popup_kickhim->isEnabled());
    TestClient bo;
    QCOMPARE(bo.login(host.program->forms.server->Sock1->localPort(), "Bo"), 2);
    for (int i = 3; i <= 7; ++i) {
        auto *c = new TestClient;
        QCOMPARE(c->login(host.program->forms.server->Sock1->localPort(), "W" + QByteArray::number(i)), i);
    }
    TestClient watcher;
    QCOMPARE(watcher.login(host.program->forms.server->Sock1->localPort(), "Bo"), 8);
    QTRY_COMPARE(spies->listbox_spys->count(), 2);
    QCOMPARE(spies->listbox_spys->item(1)->text(), QStringLiteral("8: Bo"));
    spies->listTag = -1; // the pointer is below the entries
    spies->popup_kickhimClick();
    QVERIFY(!watcher.closed);
    spies->listTag = 1;
    spies->popup_kickhimClick();
    QVERIFY(TestClient::waitFor([&] { return watcher.closed; }));
    QTRY_COMPARE(spies->listbox_spys->count(), 1);
    QTRY_VERIFY(host.notices().contains("Bo has left."));
}

void TestTableConnection::gameIsFullIsShownBeforeClosing()
{
    Table t;
    QVERIFY(t.host.waitForClient());
    QSignalSpy closed(t.chat, &Tchat::closed);
    // The host refuses and closes at once: the refusal must still be shown,
    // and a joining player may try again or play alone instead.
    t.host.send("CMD_full+");
    t.host.peer->disconnectFromHost();
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
    QTest::qWait(50);
    QCOMPARE(closed.count(), 0);
    QVERIFY(t.boxes.isEmpty());
    QVERIFY(t.chat->panel_offer->isVisible());
    const QString port = QString::number(t.host.port());
    QCOMPARE(t.chat->label_offer->text(), "Could not join the table at 127.0.0.1:" + port + ": Game is full.");
}

void TestTableConnection::lostConnectionClosesTheWindow()
{
    Table t(2);
    QSignalSpy closed(t.chat, &Tchat::closed);
    t.host.send("CMD_chat+Bo chats: last words|clBlack");
    t.host.peer->disconnectFromHost();
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(t.log().contains("Bo chats: last words"));
    QVERIFY(t.boxes.isEmpty());
}

void TestTableConnection::outOfRangeNumbersLeaveTheDisplayAlone()
{
    Table t(2);
    for (const char *m : {"CMD_newplayerinfo+12+Zed", "CMD_newplayerinfo+0+Zed", "CMD_newplayerinfo+-1+Zed",
                          "CMD_playerdisconnected+99+Zed", "CMD_justwatching+7+1", "CMD_nextplayer+9+1+t+t+t+1+1+1+",
                          "CMD_nextplayer+1+1+t+t+t+99+-4+1+", "CMD_heplayed+0+1+5+1+1+f+3+",
                          "CMD_heplayed+1+1+77+1+1+f+3+", "CMD_heplayed+1+1+5+4+1+f+3+", "CMD_heplayed+1+1+5+1+41+f+3+",
                          "CMD_double+1+1+0+1+2+f+3+", "CMD_endround+0+9+5+5+x+1+1", "CMD_hepassed+44+",
                          "CMD_startround+1+99+16+1+t+2+t+8+t", "CMD_dealmybones+2+1+0+2+56+25+3",
                          "CMD_gamestats+9+1+3+42+t+0+0+0+0+0+0+4+1+5+t+1+99+5+t", "CMD_beginagain+300+",
                          "CMD_noplay+x+", "CMD_winner+", "CMD_youplay+3+x+"})
        t.host.send(m);
    QVERIFY(t.sync());
    for (int s = 1; s <= 6; ++s)
        QVERIFY(!t.chat->seatName(s).contains("Zed"));
    QCOMPARE(t.chat->spinnerBone(), -1);
    QCOMPARE(t.chat->handSlot(1), -1); // no bone 0, 56, or hand number 25
    for (int toe = 1; toe <= 3; ++toe)
        for (int p = 1; p <= 40; ++p)
            QCOMPARE(t.chat->cellBone(toe, p), 0);
}

void TestTableConnection::versionNotices()
{
    Table t(1);
    t.host.send("CMD_havewrongversion+Bo");
    t.host.send("CMD_wrongversion+");
    QVERIFY(t.sync());
    QVERIFY(t.notices().contains("Bo has a different version of the game then you."));
    QVERIFY(t.notices().contains("You have a differnt version of the game then the host."));
}

// A hosting copy whose own host is full hears "Game is full" in a box;
// while the box is up the 1 ms dispatch timer must rest.
void TestTableConnection::modalBoxRestsTheDispatchTimer()
{
    Table t({"Ann", "127.0.0.1", "true"}, QStringLiteral("0"));
    GameHost &g = t.program->forms.server->game();
    g.slotcount = 9;
    for (int i = 1; i <= 9; ++i)
        g.players[i].connected = true;
    int activeSamples = 0;
    int shown = 0;
    Tchat::messageBox = [&](QWidget *, const QString &text) {
        ++shown;
        QCOMPARE(text, QStringLiteral("Game is full"));
        QElapsedTimer open;
        open.start();
        while (open.elapsed() < 150) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            activeSamples += t.chat->dispatchTimerActive();
        }
    };
    QSignalSpy closed(t.chat, &Tchat::closed);
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(shown, 1);
    // At most the one wake-up that notices the box (the closed connection
    // may add one more); a spinning timer shows in every sample.
    QVERIFY2(activeSamples <= 2, qPrintable(QString::number(activeSamples)));
}

// The idle lobby link: what the lobby sends is read and dropped, and a
// lobby that never ends its message is cut off at the usual cap.
void TestTableConnection::lobbyLinkIsReadAndCapped()
{
    QTcpServer lobby;
    QVERIFY(lobby.listen(QHostAddress::LocalHost, 0));
    FakeHost table;
    Table t({"Ann", "127.0.0.1", "x"}, QString::number(table.port()));
    t.chat->Sock11->setPortName(QString::number(lobby.serverPort()));
    QTRY_VERIFY(lobby.hasPendingConnections());
    QTcpSocket *peer = lobby.nextPendingConnection();
    peer->write(QByteArray(1000, 'a') + '\xFF');
    peer->flush();
    QTRY_VERIFY(t.chat->Sock11->hasSocket());
    QTest::qWait(50);
    QCOMPARE(t.chat->Sock11->Receive(), QByteArray()); // nothing left piling up
    peer->write(QByteArray(wire::MaxPendingText + 10, 'b'));
    peer->flush();
    QTRY_VERIFY(!t.chat->Sock11->hasSocket());
    QVERIFY(t.chat->isVisible()); // the table goes on
}

// The game's port already in use: the socket's error in a box, no
// connection, no lobby link; the table offers the other ways to play.
void TestTableConnection::hostModeWithThePortTaken()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    QStringList failures;
    setFailureReporter([&](const QString &text) { failures << text; });
    Table t({"Ann", "127.0.0.1", "true"}, QString::number(taken.serverPort()));
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
    QCOMPARE(failures, QStringList{"Listen - Error Binding Socket"});
    QVERIFY(!t.chat->sock->hasSocket());
    QVERIFY(!t.chat->Sock11->hasSocket());
    QVERIFY(!t.chat->loggedIn());
    setFailureReporter(nullptr);
}

QTEST_MAIN(TestTableConnection)
#include "tst_table_connection.moc"
