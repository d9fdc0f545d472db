// SPDX-License-Identifier: MIT
// The host's slot table over real loopback connections: who gets which
// slot, logins, chat relay, removal and watching, and what a hostile peer
// can no longer do.
#include "fairqueue.h"
#include "logtext.h"
#include "testclient.h"
#include "tserver.h"

#include <QPointer>
#include <QtTest>

#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <arpa/inet.h>

namespace {

struct Host {
    TServer server;
    quint16 port = 0;
    explicit Host(int dispatchMs = 1)
    {
        server.setTimings(dispatchMs, 20);
        server.Sock1->setPortName(QStringLiteral("0"));
        server.Sock1->setListen(true);
        port = server.Sock1->localPort();
    }
};

using Clients = std::vector<std::unique_ptr<TestClient>>;

// Lets stray announcements arrive, then forgets them.
void settle(Clients &cs)
{
    QTest::qWait(30);
    for (auto &c : cs)
        c->messages.clear();
}

TestClient &add(Clients &cs)
{
    cs.push_back(std::make_unique<TestClient>());
    return *cs.back();
}

} // namespace

class TestSeats : public QObject {
    Q_OBJECT
private slots:
    void lowestFreeSlotAndReuse();
    void tenthClientIsRefusedAfterHearingFull();
    void loginAnnouncements();
    void versionMismatchIsReportedNotRefused();
    void chatAndActionRelay();
    void removalByTheHostsPlayerOnly();
    void justWatchRules();
    void foreignSlotNumbersAreIgnored_data();
    void foreignSlotNumbersAreIgnored();
    void loginCannotClaimAnotherSlot();
    void malformedNumbersEndOnlyThatMessage();
    void queuedMessagesOfAClosedConnectionAreDropped();
    void resetConnectionFreesTheSlot();
    void closedSocketIsFreed();
    void floodsCloseTheConnection();
    void slowReaderIsCutOff();
    void messagesFromAllConnectionsKeepArrivalOrder();
    void connectionsTakeTurns_data();
    void connectionsTakeTurns();
    void aFloodDoesNotHoldOthersBack();
    void anIdleHostAnswersAtOnce();
    void namesInTheLog_data();
    void namesInTheLog();
    void aBurstOfConnectionsIsAnsweredAtOnce();
    void connectionsThatNeverLogInAreClosed();
    void outOfDescriptorsTheListenerRests();
};

void TestSeats::lowestFreeSlotAndReuse()
{
    Host h;
    Clients cs;
    QCOMPARE(add(cs).login(h.port, "A"), 1);
    QCOMPARE(add(cs).login(h.port, "B"), 2);
    cs[1]->sock.disconnectFromHost();
    QVERIFY(cs[0]->take("CMD_playerdisconnected+2+B") == "CMD_playerdisconnected+2+B");
    QCOMPARE(add(cs).login(h.port, "C"), 2);
    QCOMPARE(h.server.game().slotcount, 2);
    QCOMPARE(add(cs).login(h.port, "D"), 3);
    QCOMPARE(h.server.game().slotcount, 3);
}

void TestSeats::tenthClientIsRefusedAfterHearingFull()
{
    Host h;
    Clients cs;
    for (int i = 1; i <= 9; ++i)
        QCOMPARE(add(cs).login(h.port, "P" + QByteArray::number(i)), i);
    TestClient &tenth = add(cs);
    QVERIFY(tenth.connectTo(h.port));
    QCOMPARE(tenth.take("CMD_full"), QByteArray("CMD_full+"));
    QVERIFY(TestClient::waitFor([&] { return tenth.closed; }));
    QCOMPARE(tenth.all, QList<QByteArray>{"CMD_full+"});
    // The nine stay, and nobody heard of the refused one.
    for (int i = 1; i <= 9; ++i)
        QVERIFY(h.server.game().players[i].connected);
    QVERIFY(cs[0]->silentFor("CMD_playerdisconnected", 100));
    QCOMPARE(h.server.game().slotcount, 9);
}

void TestSeats::loginAnnouncements()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Bo");
    TestClient &c = add(cs);
    QVERIFY(c.connectTo(h.port));
    QCOMPARE(c.take("CMD_sendlogininfo"), QByteArray("CMD_sendlogininfo+3")); // no trailing "+"
    c.send("CMD_logininfo+3+1.0.1+Cy+Dee\xFF");
    QVERIFY(TestClient::waitFor([&] { return c.all.size() >= 4; }));
    QCOMPARE(c.all.mid(1, 3), (QList<QByteArray>{"CMD_newplayerinfo+3+Cy+Dee", "CMD_existingplayers+1+Ann",
                                                 "CMD_existingplayers+2+Bo"}));
    QCOMPARE(cs[0]->take("CMD_newplayerinfo+3"), QByteArray("CMD_newplayerinfo+3+Cy+Dee"));
    QCOMPARE(cs[1]->take("CMD_newplayerinfo+3"), QByteArray("CMD_newplayerinfo+3+Cy+Dee"));
    QVERIFY(cs[0]->silentFor("CMD_existingplayers", 50));
    // The empty message after the login's double terminator is dropped.
    QCOMPARE(h.server.queuedMessages(), 0);
}

void TestSeats::versionMismatchIsReportedNotRefused()
{
    Host h;
    Clients cs;
    TestClient &host = add(cs);
    host.login(h.port, "Ann");
    TestClient &old = add(cs);
    QCOMPARE(old.login(h.port, "Bo", "1.0.0"), 2);
    QCOMPARE(old.take("CMD_wrongversion"), QByteArray("CMD_wrongversion+"));
    QCOMPARE(host.take("CMD_havewrongversion"), QByteArray("CMD_havewrongversion+Bo"));
    QVERIFY(h.server.game().players[2].connected);
    QCOMPARE(h.server.game().players[2].name, QByteArray("Bo"));
}

void TestSeats::chatAndActionRelay()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Klot");
    cs[1]->send("CMD_chat+2+a+b: c|clBlue");
    cs[1]->send("CMD_action+2+waves \"Good-Bye\"|$000080FF");
    for (auto &c : cs) {
        QCOMPARE(c->take("CMD_chat"), QByteArray("CMD_chat+Klot chats: a+b: c|clBlue"));
        QCOMPARE(c->take("CMD_action"), QByteArray("CMD_action+Klot waves \"Good-Bye\"|$000080FF"));
    }
}

void TestSeats::removalByTheHostsPlayerOnly()
{
    Host h;
    Clients cs;
    for (const char *n : {"Ann", "Bo", "Cy"})
        add(cs).login(h.port, n);
    settle(cs);
    cs[1]->send("CMD_kickhim+2+3+"); // only the host's player may remove
    QVERIFY(cs[2]->silentFor("", 100));
    QVERIFY(!cs[2]->closed);
    cs[0]->send("CMD_kickhim+1+3+");
    QVERIFY(TestClient::waitFor([&] { return cs[2]->closed; }));
    QCOMPARE(cs[0]->take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+3+Cy"));
    QCOMPARE(cs[1]->take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+3+Cy"));
    QVERIFY(!h.server.game().players[3].connected);
    cs[0]->send("CMD_kickhim+1+12+"); // out of range: ignored, nothing breaks
    cs[0]->send("CMD_kickhim+1+0+");
    cs[0]->send("CMD_chat+1+still here");
    QCOMPARE(cs[0]->take("CMD_chat"), QByteArray("CMD_chat+Ann chats: still here"));
}

void TestSeats::justWatchRules()
{
    Host h;
    Clients cs;
    for (const char *n : {"Ann", "Bo", "Cy"})
        add(cs).login(h.port, n);
    settle(cs);
    cs[1]->send("CMD_justwatch+2+1"); // no game: watching is refused
    cs[1]->send("CMD_justwatch+2+2"); // playing again is always announced
    QCOMPARE(cs[0]->take("CMD_justwatching"), QByteArray("CMD_justwatching+2+2"));
    QVERIFY(cs[0]->silentFor("CMD_justwatching", 50));
    cs[0]->send("CMD_startgame+Ann+3+1+");
    QVERIFY(!cs[0]->take("CMD_nextplayer").isEmpty());
    settle(cs);
    cs[1]->send("CMD_justwatch+3+1"); // not Bo's seat, and Bo is not the host's player
    cs[1]->send("CMD_justwatch+2+1");
    QCOMPARE(cs[2]->take("CMD_justwatching"), QByteArray("CMD_justwatching+2+1"));
    QVERIFY(h.server.game().players[2].watching);
    QVERIFY(!h.server.game().players[3].watching);
    cs[0]->send("CMD_justwatch+3+1"); // the host's player may set it for any seat
    QCOMPARE(cs[2]->take("CMD_justwatching"), QByteArray("CMD_justwatching+3+1"));
    cs[0]->send("CMD_justwatch+8+1"); // not a seat
    cs[0]->send("CMD_justwatch+0+1");
    cs[0]->send("CMD_justwatch+3+1+"); // a mode other than "1" or "2"
    QVERIFY(cs[2]->silentFor("CMD_justwatching", 100));
}

void TestSeats::foreignSlotNumbersAreIgnored_data()
{
    QTest::addColumn<QByteArray>("fromSlot2");
    QTest::newRow("chat as slot 1") << QByteArray("CMD_chat+1+I am Ann");
    QTest::newRow("action as slot 1") << QByteArray("CMD_action+1+waves");
    QTest::newRow("chat as slot 12") << QByteArray("CMD_chat+12+ghost");
    QTest::newRow("remove") << QByteArray("CMD_kickhim+1+1+");
    QTest::newRow("bot speed") << QByteArray("CMD_botspeed+1+5+");
    QTest::newRow("start game") << QByteArray("CMD_startgame+Bo+3+1+");
}

void TestSeats::foreignSlotNumbersAreIgnored()
{
    QFETCH(QByteArray, fromSlot2);
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Bo");
    settle(cs);
    const int delay = h.server.game().botDelay();
    cs[1]->send(fromSlot2);
    cs[1]->send("CMD_chat+2+done");
    QCOMPARE(cs[0]->take("CMD_chat"), QByteArray("CMD_chat+Bo chats: done"));
    QVERIFY(cs[0]->messages.isEmpty());
    QVERIFY(!cs[0]->closed);
    QVERIFY(!h.server.game().gamerunning);
    QCOMPARE(h.server.game().botDelay(), delay);
}

void TestSeats::loginCannotClaimAnotherSlot()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    TestClient &b = add(cs);
    QVERIFY(b.connectTo(h.port));
    QCOMPARE(b.take("CMD_sendlogininfo"), QByteArray("CMD_sendlogininfo+2"));
    // Logging in as slot 5 would mark a slot connected that has no socket.
    b.send("CMD_logininfo+5+1.0.1+Mallory");
    b.send("CMD_logininfo+1+1.0.1+Mallory");
    b.send("CMD_logininfo+2+1.0.1+Bo");
    QCOMPARE(cs[0]->take("CMD_newplayerinfo+2"), QByteArray("CMD_newplayerinfo+2+Bo"));
    QVERIFY(!h.server.game().players[5].connected);
    QCOMPARE(h.server.game().players[1].name, QByteArray("Ann"));
    QCOMPARE(h.server.game().slotcount, 2);
    QCOMPARE(cs[0]->count("CMD_newplayerinfo"), 0);
}

void TestSeats::malformedNumbersEndOnlyThatMessage()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    for (const char *m : {"CMD_chat+x+hi", "CMD_kickhim+1+y+", "CMD_justwatch++1", "CMD_playbone+1+a+b+c+",
                          "CMD_hepasses+", "CMD_logininfo+", "CMD_nosuch+1", "nocommand", "+1+2", ""})
        cs[0]->send(m);
    cs[0]->send("CMD_chat+1+ok");
    QCOMPARE(cs[0]->take("CMD_chat"), QByteArray("CMD_chat+Ann chats: ok"));
    QVERIFY(cs[0]->messages.isEmpty());
}

void TestSeats::queuedMessagesOfAClosedConnectionAreDropped()
{
    Host h(200); // slow dispatch, so the chat is still queued at the close
    Clients cs;
    add(cs).login(h.port, "Ann");
    QVERIFY(TestClient::waitFor([&] { return h.server.queuedMessages() == 0; }));
    TestClient &b = add(cs);
    QCOMPARE(b.login(h.port, "Bo"), 2);
    QVERIFY(TestClient::waitFor([&] { return h.server.queuedMessages() == 0; }, 3000));
    // An idle host answers the first at once; the second waits for a tick.
    b.sendRaw("CMD_chat+2+first\xFF" "CMD_chat+2+after I left\xFF");
    b.sock.disconnectFromHost();
    QCOMPARE(cs[0]->take("CMD_playerdisconnected", 3000), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(cs[0]->silentFor("CMD_chat+Bo chats: after", 600));
}

void TestSeats::resetConnectionFreesTheSlot()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Bo");
    linger l{1, 0};
    setsockopt(int(cs[1]->sock.socketDescriptor()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    cs[1]->sock.abort();
    QCOMPARE(cs[0]->take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(!h.server.game().players[2].connected);
    QCOMPARE(add(cs).login(h.port, "Cy"), 2);
}

void TestSeats::closedSocketIsFreed()
{
    Host h;
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Bo");
    QPointer<TSock> s = h.server.slotSocket(2);
    QVERIFY(s);
    cs[1]->sock.disconnectFromHost();
    QVERIFY(TestClient::waitFor([&] { return s.isNull(); }));
    QCOMPARE(h.server.slotSocket(2), nullptr);
    QCOMPARE(h.server.Sock1->findChildren<TSock *>().size(), 1);
}

void TestSeats::floodsCloseTheConnection()
{
    Host h(50);
    Clients cs;
    add(cs).login(h.port, "Ann");
    TestClient &endless = add(cs);
    QCOMPARE(endless.login(h.port, "Bo"), 2);
    endless.sendRaw(QByteArray(wire::MaxPendingText + 1, 'x'));
    QCOMPARE(cs[0]->take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+2+Bo"));
    QVERIFY(TestClient::waitFor([&] { return endless.closed; }));

    TestClient &chatty = add(cs);
    QCOMPARE(chatty.login(h.port, "Cy"), 2);
    QByteArray burst;
    for (int i = 0; i <= wire::MaxQueuedMessages; ++i)
        burst += "CMD_chat+2+spam\xFF";
    chatty.sendRaw(burst);
    QCOMPARE(cs[0]->take("CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+2+Cy"));
    // Its queued messages went with it.
    QVERIFY(TestClient::waitFor([&] { return h.server.queuedMessages() == 0; }));
    QVERIFY(cs[0]->count("CMD_chat") <= 1);
}

void TestSeats::slowReaderIsCutOff()
{
    Host h;
    Clients cs;
    TestClient &talker = add(cs);
    talker.login(h.port, "Ann");
    // A peer with a tiny receive window that never reads.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(h.port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    QVERIFY(TestClient::waitFor([&] { return h.server.game().players[2].connected; }));
    const QByteArray text(60000, 'z');
    for (int i = 0; i < 150 && h.server.game().players[2].connected; ++i) {
        talker.send("CMD_chat+1+" + text);
        QTest::qWait(5);
        talker.messages.clear();
    }
    QVERIFY(TestClient::waitFor([&] { return !h.server.game().players[2].connected; }, 20000));
    ::close(fd);
    QVERIFY(TestClient::waitFor([&] { return talker.all.contains("CMD_playerdisconnected+2+"); }));
}

void TestSeats::messagesFromAllConnectionsKeepArrivalOrder()
{
    Host h(20);
    Clients cs;
    add(cs).login(h.port, "Ann");
    add(cs).login(h.port, "Bo");
    QVERIFY(!cs[0]->take("CMD_newplayerinfo+2").isEmpty());
    cs[0]->messages.clear();
    for (int i = 0; i < 5; ++i) {
        cs[0]->send("CMD_chat+1+" + QByteArray::number(2 * i));
        QTest::qWait(5);
        cs[1]->send("CMD_chat+2+" + QByteArray::number(2 * i + 1));
        QTest::qWait(5);
    }
    QVERIFY(TestClient::waitFor([&] { return cs[0]->count("CMD_chat") == 10; }));
    for (int i = 0; i < 10; ++i)
        QVERIFY(cs[0]->messages[i].endsWith(" chats: " + QByteArray::number(i)));
}

// Each letter is a connection, "a1" its first message; "." serves one.
void TestSeats::connectionsTakeTurns_data()
{
    QTest::addColumn<QByteArray>("schedule");
    QTest::addColumn<QByteArray>("served");
    QTest::newRow("no backlog: arrival order") << QByteArray("a1 b1 c1 . b2 . a2 . . .") << QByteArray("a1 b1 c1 b2 a2");
    QTest::newRow("a backlog takes turns") << QByteArray("a1 a2 a3 b1 c1 . . . . .") << QByteArray("a1 b1 c1 a2 a3");
    QTest::newRow("a newcomer waits one turn") << QByteArray("a1 a2 a3 . b1 . . .") << QByteArray("a1 a2 b1 a3");
    QTest::newRow("dropped") << QByteArray("a1 a2 b1 b2 -a . . .") << QByteArray("b1 b2");
}

void TestSeats::connectionsTakeTurns()
{
    QFETCH(QByteArray, schedule);
    QFETCH(QByteArray, served);
    FairQueue q;
    QList<QByteArray> out;
    for (const QByteArray &step : schedule.split(' ')) {
        FairQueue::Message m;
        if (step == ".")
            out << (q.pop(m) ? m.text : "none");
        else if (step.startsWith('-'))
            q.drop(quint64(step[1]));
        else
            q.push(quint64(step[0]), step);
    }
    QCOMPARE(out.join(' ').replace(" none", ""), served);
    QCOMPARE(q.size(), 0);
}

// Bo queues 300 chat lines at once; Ann's line goes out within a turn or
// two, and Bo's lines keep their order.
void TestSeats::aFloodDoesNotHoldOthersBack()
{
    Host h(5);
    Clients cs;
    TestClient &ann = add(cs), &bo = add(cs);
    ann.login(h.port, "Ann");
    bo.login(h.port, "Bo");
    settle(cs);
    QByteArray flood;
    for (int i = 0; i < 300; ++i)
        flood += "CMD_chat+2+" + QByteArray::number(i) + "\xFF";
    bo.sendRaw(flood);
    QVERIFY(TestClient::waitFor([&] { return h.server.queuedMessages() > 250; }));
    ann.send("CMD_chat+1+mine");
    QVERIFY(TestClient::waitFor([&] { return ann.count("CMD_chat") == 301; }, 20000));
    const qsizetype mine = ann.messages.indexOf("CMD_chat+Ann chats: mine");
    QVERIFY2(mine >= 0 && mine < 10, qPrintable(QString::number(mine)));
    ann.messages.removeAt(mine);
    for (int i = 0; i < 300; ++i)
        QCOMPARE(ann.messages[i], "CMD_chat+Bo chats: " + QByteArray::number(i));
}

// With a tick far away, a message to an empty queue is still answered; of
// two arriving together, the second waits for the tick.
void TestSeats::anIdleHostAnswersAtOnce()
{
    Host h(600000);
    TestClient ann;
    QVERIFY(ann.connectTo(h.port));
    QVERIFY(!ann.take("CMD_sendlogininfo+1").isEmpty());
    ann.send("CMD_logininfo+1+1.0.1+Ann");
    QVERIFY(!ann.take("CMD_newplayerinfo+1+Ann").isEmpty());
    ann.sendRaw("CMD_chat+1+one\xFF" "CMD_chat+1+two\xFF");
    QVERIFY(!ann.take("CMD_chat+Ann chats: one").isEmpty());
    QVERIFY(ann.silentFor("CMD_chat+Ann chats: two", 300));
}

void TestSeats::namesInTheLog_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("escape") << QByteArray("Bob\x1b[2J\r\n") << QByteArray("Bob?[2J??");
    QTest::newRow("beyond ASCII") << QByteArray("Jos\xE9 \xE2\x80\xA6") << QByteArray("Jos? ???");
    QTest::newRow("64 characters") << QByteArray(64, 'n') << QByteArray(64, 'n');
    QTest::newRow("65 characters") << QByteArray(65, 'n') << QByteArray(63, 'n') + logtext::Ellipsis;
    QTest::newRow("40,000 bytes") << QByteArray(40000, '\xFE') << QByteArray(63, '?') + logtext::Ellipsis;
}

void TestSeats::namesInTheLog()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, shown);
    Host h;
    QList<QByteArray> events;
    h.server.eventLog = [&](const QByteArray &l) { events << l; };
    TestClient c;
    QVERIFY(c.connectTo(h.port));
    QVERIFY(!c.take("CMD_sendlogininfo+1").isEmpty());
    c.send("CMD_logininfo+1+1.0.1+" + name.replace('\xFF', '\xFE'));
    QVERIFY(TestClient::waitFor([&] { return events.size() >= 2; }));
    QCOMPARE(events[1], "login: slot 1 (" + shown + ")");
}

// Sixty players at once: every one hears from the host, nine with a slot,
// the rest that the table is full; none is left waiting.
void TestSeats::aBurstOfConnectionsIsAnsweredAtOnce()
{
    Host h;
    std::vector<std::unique_ptr<QTcpSocket>> socks;
    for (int i = 0; i < 60; ++i) {
        socks.push_back(std::make_unique<QTcpSocket>());
        socks.back()->connectToHost(QHostAddress::LocalHost, h.port);
    }
    int seated = 0, full = 0;
    QVERIFY(TestClient::waitFor([&] {
        seated = full = 0;
        for (auto &s : socks) {
            const QByteArray seen = s->peek(64);
            seated += seen.startsWith("CMD_sendlogininfo+");
            full += seen.startsWith("CMD_full+");
        }
        return seated + full == 60;
    }, 1500));
    QCOMPARE(seated, 9);
    QCOMPARE(full, 51);
}

void TestSeats::connectionsThatNeverLogInAreClosed()
{
    Host h;
    h.server.setLoginTimeout(200);
    QStringList events;
    h.server.eventLog = [&](const QByteArray &l) { events << QString::fromLatin1(l); };
    TestClient player;
    QCOMPARE(player.login(h.port, "Ann"), 1);
    TestClient idle;
    QVERIFY(idle.connectTo(h.port));
    QVERIFY(!idle.take("CMD_sendlogininfo+2").isEmpty());
    QVERIFY(TestClient::waitFor([&] { return idle.closed; }, 2000));
    QVERIFY(!h.server.game().players[2].connected);
    QVERIFY(events.contains(QStringLiteral("closing slot 2: no login within 0 s")));
    // The player who logged in stays, however long he sits there.
    QTest::qWait(300);
    QVERIFY(!player.closed);
    TestClient next;
    QCOMPARE(next.login(h.port, "Bo"), 2);
}

// With no descriptor left, accept fails while the connection stays queued;
// the listener must not report it again and again meanwhile.
void TestSeats::outOfDescriptorsTheListenerRests()
{
    Host h;
    int failures = 0;
    h.server.Sock1->OnInfo = [&](TSock *, TSocketInfo, const QString &m) {
        failures += m == QLatin1String("Could Not Accept Connection");
    };
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    QVERIFY(fd >= 0);
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    int highest = 0;
    for (int i = 0; i < 65536; ++i)
        if (::fcntl(i, F_GETFD) != -1)
            highest = i;
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(highest + 1);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(h.port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
    QTest::qWait(400);
    const int whileTight = failures;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QVERIFY2(whileTight >= 1 && whileTight <= 10, qPrintable(QString::number(whileTight)));
    // With descriptors back, the waiting player is taken in.
    QByteArray got;
    QVERIFY(TestClient::waitFor([&] {
        char buf[64];
        const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0)
            got.append(buf, int(n));
        return got.startsWith("CMD_sendlogininfo+1");
    }, 3000));
    ::close(fd);
}

QTEST_GUILESS_MAIN(TestSeats)
#include "tst_seats.moc"
