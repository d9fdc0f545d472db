// SPDX-License-Identifier: MIT
// TSock over loopback: the byte stream, the order of its reports, and the
// error texts peers and logs depend on.
#include "testclient.h"
#include "convert.h"
#include "tsock.h"

#include <QPointer>
#include <QTcpServer>
#include <QtTest>

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Log {
    QStringList lines;
    void attach(TSock *s, const QString &who)
    {
        s->OnInfo = [this, who](TSock *, TSocketInfo k, const QString &m) {
            lines << who + ":" + socketInfoName(k) + ":" + m;
        };
        s->OnDisconnect = [this, who](TSock *) { lines << who + ":OnDisconnect"; };
        s->OnConnect = [this, who](TSock *) { lines << who + ":OnConnect"; };
    }
    int indexOf(const QString &line) const { return lines.indexOf(line); }
    bool has(const QString &line) const { return lines.contains(line); }
};

// A port on which nothing listens.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 p = s.serverPort();
    s.close();
    return p;
}

// A connected pair: a listener, the client socket and the accepted one.
struct Pair {
    TSock listener;
    TSock client;
    TSock *accepted = nullptr;
    Log log;

    bool open()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock *l) { l->Accept(accepted); };
        listener.setListen(true);
        log.attach(&client, QStringLiteral("client"));
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(listener.localPort()));
        client.Open();
        return TestClient::waitFor([this] { return accepted && client.Connected(); });
    }
};

} // namespace

class TestTSock : public QObject {
    Q_OBJECT
private slots:
    void bytesPassUnchanged();
    void sendBeforeConnectIsQueued();
    void refusedConnectionReportsOnlyError();
    void peerCloseGivesDisconnectThenClosed();
    void resetByPeerEndsTheConnection();
    void listenerRules();
    void operationErrors();
    void errorTexts_data();
    void errorTexts();
    void largeTransferArrivesWhole();
    void acceptedSocketReports();
    void ipv6AndIpv4OnOneListener();
    void hostNamesAndPortTexts();
};

void TestTSock::bytesPassUnchanged()
{
    Pair p;
    QVERIFY(p.open());
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    all += QByteArray("\x00\xFF\x00\xFF\r\n\n\r", 8);
    QByteArray atServer, atClient;
    p.accepted->OnRead = [&](TSock *s, int) { atServer += s->Receive(); };
    p.client.OnRead = [&](TSock *s, int) { atClient += s->Receive(); };
    p.client.Send(all);
    p.accepted->Send(all);
    QVERIFY(TestClient::waitFor([&] { return atServer.size() >= all.size() && atClient.size() >= all.size(); }));
    QCOMPARE(atServer, all);
    QCOMPARE(atClient, all);
}

void TestTSock::sendBeforeConnectIsQueued()
{
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    TSock *accepted = nullptr;
    QByteArray got;
    listener.OnAccept = [&](TSock *l) {
        l->Accept(accepted);
        accepted->OnRead = [&](TSock *s, int) { got += s->Receive(); };
    };
    listener.setListen(true);
    TSock client;
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(listener.localPort()));
    QVERIFY(!client.Open());
    QVERIFY(client.Send("early bird\xFF"));
    QVERIFY(TestClient::waitFor([&] { return got.size() == 11; }));
    QCOMPARE(got, QByteArray("early bird\xFF"));
}

void TestTSock::refusedConnectionReportsOnlyError()
{
    TSock client;
    Log log;
    log.attach(&client, QStringLiteral("c"));
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(closedPort()));
    QVERIFY(!client.Open());
    QVERIFY(TestClient::waitFor([&] { return log.has("c:Error:Error #10061 (WSAECONNREFUSED)"); }));
    QTest::qWait(100);
    QVERIFY(!log.has("c:Close:Socket Closed"));
    QVERIFY(!log.has("c:OnConnect"));
    QVERIFY(!client.Connected());
    QCOMPARE(log.lines.first(), QStringLiteral("c:Lookup:Lookup Of Port ") + client.PortName());
    QCOMPARE(log.lines.at(1), QStringLiteral("c:Lookup:Lookup Of Host 127.0.0.1"));
}

void TestTSock::peerCloseGivesDisconnectThenClosed()
{
    Pair p;
    QVERIFY(p.open());
    QVERIFY(p.log.has("client:Connect:Non-Blocking Socket Connected"));
    QVERIFY(p.log.indexOf("client:Connect:Non-Blocking Socket Connected") < p.log.indexOf("client:OnConnect"));
    p.accepted->Close();
    QVERIFY(TestClient::waitFor([&] { return p.log.has("client:Close:Socket Closed"); }));
    QVERIFY(p.log.indexOf("client:OnDisconnect") >= 0);
    QVERIFY(p.log.indexOf("client:OnDisconnect") < p.log.indexOf("client:Close:Socket Closed"));
    QVERIFY(!p.client.Connected());
    QCOMPARE(p.log.lines.count("client:Close:Socket Closed"), 1);
}

void TestTSock::resetByPeerEndsTheConnection()
{
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    TSock *accepted = nullptr;
    Log log;
    listener.OnAccept = [&](TSock *l) {
        l->Accept(accepted);
        log.attach(accepted, QStringLiteral("a"));
    };
    listener.setListen(true);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(listener.localPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    QVERIFY(TestClient::waitFor([&] { return accepted != nullptr; }));
    // Closing with a zero linger time sends a reset instead of an orderly close.
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
    QVERIFY(TestClient::waitFor([&] { return log.has("a:Close:Socket Closed"); }));
    QVERIFY(log.has("a:Error:Error #10054 (WSAECONNRESET)"));
    QVERIFY(log.indexOf("a:Error:Error #10054 (WSAECONNRESET)") < log.indexOf("a:OnDisconnect"));
    QVERIFY(!accepted->Connected());
}

void TestTSock::listenerRules()
{
    TSock a;
    Log log;
    log.attach(&a, QStringLiteral("a"));
    a.setPortName(QStringLiteral("0"));
    a.setListen(true);
    QVERIFY(a.Listen());
    QVERIFY(log.has("a:Listen:Listening Started"));
    const quint16 port = a.localPort();
    a.setListen(true);
    QVERIFY(log.has("a:Listen:Listening Already Running"));
    QCOMPARE(a.localPort(), port);

    TSock b;
    b.setPortName(QString::number(port));
    try {
        b.setListen(true);
        QFAIL("a taken port must not be bound twice");
    } catch (const ESockException &e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Listen - Error Binding Socket"));
    }
    QVERIFY(!b.Listen());

    a.setListen(false);
    QVERIFY(!a.Listen());
    QVERIFY(log.indexOf("a:Close:Socket Closed") < log.indexOf("a:Listen:Listening Stopped"));

    // A connected socket cannot become a listener.
    Pair p;
    QVERIFY(p.open());
    try {
        p.client.setListen(true);
        QFAIL("listening on a connected socket");
    } catch (const ESockException &e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Listen - Socket Already In Use"));
    }
}

void TestTSock::operationErrors()
{
    TSock s;
    auto text = [](auto f) {
        try {
            f();
        } catch (const ESockException &e) {
            return QString::fromLatin1(e.what());
        }
        return QString();
    };
    QCOMPARE(text([&] { s.Send("x"); }), QStringLiteral("Send - Socket Not Connected"));
    QCOMPARE(text([&] { s.Receive(); }), QStringLiteral("Receive - Socket Not Connected"));
    TSock *none = nullptr;
    QCOMPARE(text([&] { s.Accept(none); }), QStringLiteral("Accept - Socket Not In Listening Mode"));
    s.setPortName(QStringLiteral("no-such-service-here"));
    QCOMPARE(text([&] { s.setListen(true); }), QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    TSock l;
    l.setPortName(QStringLiteral("0"));
    l.setListen(true);
    QCOMPARE(text([&] { l.Send("x"); }), QStringLiteral("Send - Cannot Send On A Listener Socket"));
    QCOMPARE(text([&] { l.Receive(); }), QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    TSock c;
    c.setHostName(QStringLiteral("host.invalid"));
    c.setPortName(QStringLiteral("7772"));
    QCOMPARE(text([&] { c.Open(); }), QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    QVERIFY(!c.hasSocket());
    // Close reports even without an OS socket, and never throws.
    int closedReports = 0;
    TSock d;
    d.OnInfo = [&](TSock *, TSocketInfo, const QString &m) {
        closedReports += m == QLatin1String("Socket Closed");
        throw std::runtime_error("handler trouble");
    };
    QVERIFY(!d.Close());
    QCOMPARE(closedReports, 1);
}

void TestTSock::errorTexts_data()
{
    QTest::addColumn<int>("posixErrno");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << ECONNREFUSED << "Error #10061 (WSAECONNREFUSED)";
    QTest::newRow("reset") << ECONNRESET << "Error #10054 (WSAECONNRESET)";
    QTest::newRow("aborted") << ECONNABORTED << "Error #10053 (WSAECONNABORTED)";
    QTest::newRow("timed out") << ETIMEDOUT << "Error #10060 (WSAETIMEDOUT)";
    QTest::newRow("in use") << EADDRINUSE << "Error #10048 (WSAEADDRINUSE)";
    QTest::newRow("net unreachable") << ENETUNREACH << "Error #10051 (WSAENETUNREACH)";
    QTest::newRow("host unreachable") << EHOSTUNREACH << "Error #10065 (WSAEHOSTUNREACH)";
    QTest::newRow("would block") << EAGAIN << "Error #10035 (WSAEWOULDBLOCK)";
    QTest::newRow("unmapped") << ENOMEM << QString("Error #%1 (UNKNOWN ERROR)").arg(20000 + ENOMEM);
}

void TestTSock::errorTexts()
{
    QFETCH(int, posixErrno);
    QFETCH(QString, text);
    QCOMPARE(TSock::errorText(TSock::wsaCode(posixErrno)), text);
    QCOMPARE(TSock::errorName(11001), QStringLiteral("WSAHOST_NOT_FOUND"));
    QCOMPARE(TSock::errorName(10000), QStringLiteral("UNKNOWN ERROR"));
}

void TestTSock::largeTransferArrivesWhole()
{
    Pair p;
    QVERIFY(p.open());
    QByteArray big(3 * 1024 * 1024 + 7, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((i * 131) ^ (i >> 9));
    QByteArray got;
    int reads = 0;
    p.accepted->OnRead = [&](TSock *s, int count) {
        ++reads;
        QVERIFY(count <= 32768 + got.size() + 32768);
        got += s->Receive();
    };
    p.client.Send(big);
    QVERIFY(TestClient::waitFor([&] { return got.size() >= big.size(); }, 20000));
    QCOMPARE(got, big);
    QVERIFY(reads > 1); // never more than one receive area per read
    QCOMPARE(p.client.pendingOutbound(), 0);
}

void TestTSock::acceptedSocketReports()
{
    TSock listener;
    Log log;
    listener.setPortName(QStringLiteral("0"));
    log.attach(&listener, QStringLiteral("l"));
    TSock *accepted = nullptr;
    listener.OnAccept = [&](TSock *l) { l->Accept(accepted); };
    listener.setListen(true);
    TestClient peer;
    QVERIFY(peer.connectTo(listener.localPort()));
    QVERIFY(TestClient::waitFor([&] { return accepted != nullptr; }));
    // The accepted socket inherits the info handler and reports the two
    // property writes made while it is already connected.
    QVERIFY(log.has("l:Lookup:Setting PortName While Connected Has No Effect"));
    QVERIFY(log.has("l:Lookup:Setting HostName While Connected Has No Effect"));
    QVERIFY(log.has("l:Accept:Created New TSock Structure"));
    QCOMPARE(accepted->HostName(), QStringLiteral("127.0.0.1"));
    QVERIFY(accepted->Connected());
    QCOMPARE(accepted->parent(), &listener);
}

void TestTSock::ipv6AndIpv4OnOneListener()
{
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHostIPv6, 0))
            QSKIP("this machine has no IPv6 loopback");
    }
    TSock listener;
    QList<TSock *> accepted;
    listener.setPortName(QStringLiteral("0"));
    listener.OnAccept = [&](TSock *l) {
        TSock *s = nullptr;
        if (l->Accept(s))
            accepted << s;
    };
    listener.setListen(true);
    const QString port = QString::number(listener.localPort());
    QStringList seen;
    for (const QString &host : {QStringLiteral("::1"), QStringLiteral("127.0.0.1")}) {
        TSock client;
        client.setHostName(host);
        client.setPortName(port);
        client.Open();
        QVERIFY(TestClient::waitFor([&] { return client.Connected() && accepted.size() == seen.size() + 1; }));
        seen << accepted.last()->HostName();
        QByteArray got;
        accepted.last()->OnRead = [&](TSock *s, int) { got += s->Receive(); };
        client.Send("hello");
        QVERIFY(TestClient::waitFor([&] { return got == "hello"; }));
    }
    // An IPv4 player reads as before, not as a mapped IPv6 address.
    QCOMPARE(seen, (QStringList{"::1", "127.0.0.1"}));
    // Something that is neither an address nor a name.
    TSock bad;
    bad.setHostName(QStringLiteral("::zz"));
    bad.setPortName(port);
    QVERIFY_THROWS_EXCEPTION(ESockException, bad.Open());
}

// A name is resolved once and kept whatever its letter case; a dotted
// address is never cached; a port text that starts with a digit must be a
// whole number, and a failed lookup leaves no socket behind.
void TestTSock::hostNamesAndPortTexts()
{
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    TSock *accepted = nullptr;
    listener.OnAccept = [&](TSock *l) { l->Accept(accepted); };
    listener.setListen(true);
    const QString port = QString::number(listener.localPort());

    QVERIFY(!TSock::isHostCached(QStringLiteral("localhost")));
    TSock named;
    named.setHostName(QStringLiteral("LocalHost"));
    named.setPortName(port);
    named.Open();
    QVERIFY(TestClient::waitFor([&] { return named.Connected(); }));
    QVERIFY(TSock::isHostCached(QStringLiteral("localhost")));
    QVERIFY(TSock::isHostCached(QStringLiteral("LOCALHOST")));
    TSock dotted;
    dotted.setHostName(QStringLiteral("127.0.0.1"));
    dotted.setPortName(port);
    dotted.Open();
    QVERIFY(!TSock::isHostCached(QStringLiteral("127.0.0.1")));

    for (const char *text : {"7772x", "77 72", "1e3"}) {
        TSock bad;
        bad.setHostName(QStringLiteral("127.0.0.1"));
        bad.setPortName(QString::fromLatin1(text));
        QVERIFY_THROWS_EXCEPTION(EConvertError, bad.Open());
        QVERIFY2(!bad.hasSocket(), text);
    }
    TSock service;
    service.setHostName(QStringLiteral("127.0.0.1"));
    service.setPortName(QStringLiteral("no-such-service-velloc"));
    QVERIFY_THROWS_EXCEPTION(ESockException, service.Open());
    QVERIFY(!service.hasSocket());
}

QTEST_GUILESS_MAIN(TestTSock)
#include "tst_tsock.moc"
