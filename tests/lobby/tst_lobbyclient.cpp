// SPDX-License-Identifier: MIT
// The online lobby's client against a Prosody of the test's own, started
// from the configuration we ship: meeting in the room, tables and chat,
// strangers' bad payloads and floods, a server that dies and comes back,
// and TLS with a certificate that verifies or does not.
#include "lobbyclient.h"
#include "lobbyservers.h"
#include "strophelibrary.h"

#include <strophe.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

TableSummary table(const QString &name, int seated)
{
    TableSummary t;
    t.name = name;
    t.host = QStringLiteral("203.0.113.7");
    t.port = 7772;
    t.seated = seated;
    t.internet = true;
    return t;
}

// An occupant that sends whatever the test writes, for payloads our own
// client would never send.
struct ScriptedOccupant {
    xmpp_ctx_t *ctx = xmpp_ctx_new(nullptr, nullptr);
    xmpp_conn_t *conn = xmpp_conn_new(ctx);
    bool up = false;

    ~ScriptedOccupant()
    {
        xmpp_conn_release(conn);
        xmpp_ctx_free(ctx);
    }
    bool connect(quint16 port)
    {
        xmpp_conn_set_flags(conn, XMPP_CONN_FLAG_DISABLE_TLS | XMPP_CONN_FLAG_DISABLE_SM);
        xmpp_conn_set_jid(conn, "localhost");
        auto cb = [](xmpp_conn_t *, xmpp_conn_event_t e, int, xmpp_stream_error_t *, void *self) {
            static_cast<ScriptedOccupant *>(self)->up = e == XMPP_CONN_CONNECT;
        };
        xmpp_connect_client(conn, "127.0.0.1", port, cb, this);
        QElapsedTimer t;
        t.start();
        while (!up && t.elapsed() < 10000)
            run(20);
        return up;
    }
    void run(int ms)
    {
        QElapsedTimer t;
        t.start();
        do {
            xmpp_run_once(ctx, 1);
            QCoreApplication::processEvents();
        } while (t.elapsed() < ms);
    }
    void send(const QByteArray &xml)
    {
        xmpp_stanza_t *s = xmpp_stanza_new_from_string(ctx, xml.constData());
        QVERIFY(s);
        xmpp_send(conn, s);
        xmpp_stanza_release(s);
        xmpp_run_once(ctx, 1);
    }
    void presence(const QString &nick, const QByteArray &tableAttributes)
    {
        send("<presence to='velloc@rooms.localhost/" + nick.toUtf8() + "'><x xmlns='http://jabber.org/protocol/muc'/>"
             + (tableAttributes.isNull() ? QByteArray() : "<table xmlns='urn:velloc:table:1' " + tableAttributes + "/>")
             + "</presence>");
    }
    void say(const QString &nick, const QByteArray &text)
    {
        (void)nick;
        send("<message to='velloc@rooms.localhost' type='groupchat'><body>" + text + "</body></message>");
    }
};

const QByteArray goodAttributes = "name='Cy' host='198.51.100.4' port='7772' seated='2' watchers='1' round='3' "
                                  "rounds='5' internet='1'";

} // namespace

class TestLobbyClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!server.start(false))
            QSKIP("prosody cannot run here");
    }

    // First: the client keeps the library once it has it.
    void withoutTheLibrary()
    {
        StropheLibrary::setFileNameForTest("libstrophe-not-here.so.0");
        LobbyClient c;
        QString error;
        const bool started = c.start(server.server(), QStringLiteral("Ann"), QString(), &error);
        StropheLibrary::setFileNameForTest(StropheLibrary::FileName);
        QVERIFY(!started);
        QVERIFY2(error.contains(QLatin1String("libstrophe-not-here.so.0")) && error.contains(QLatin1String("not installed")),
                 qPrintable(error));
        QCOMPARE(c.state(), LobbyClient::Offline);
    }

    void meetInTheRoom()
    {
        LobbyClient a, b;
        a.setTable(table(QStringLiteral("Ann"), 1));
        QVERIFY(a.start(server.server(), QStringLiteral("Ann")));
        QTRY_COMPARE_WITH_TIMEOUT(a.state(), LobbyClient::Online, 15000);
        QVERIFY(b.start(server.server(), QStringLiteral("Bob")));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 15000);
        QTRY_VERIFY(b.tables().contains(QStringLiteral("Ann")));
        QCOMPARE(b.tables().value(QStringLiteral("Ann")), table(QStringLiteral("Ann"), 1));
        QCOMPARE(b.people(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));

        // Changes ride on the next presence.
        a.setTable(table(QStringLiteral("Ann"), 3));
        QTRY_COMPARE(b.tables().value(QStringLiteral("Ann")).seated, 3);

        QSignalSpy heard(&b, &LobbyClient::chatReceived);
        QVERIFY(a.sendChat(QStringLiteral("Hello <b>Bob</b>\nsecond line")));
        QTRY_COMPARE(heard.size(), 1);
        QCOMPARE(heard[0][0].toString(), QStringLiteral("Ann"));
        QCOMPARE(heard[0][1].toString(), QStringLiteral("Hello <b>Bob</b> second line"));

        // A taken name gets a suffix and says so.
        LobbyClient c;
        QSignalSpy renamed(&c, &LobbyClient::nickChanged);
        QVERIFY(c.start(server.server(), QStringLiteral("Ann")));
        QTRY_COMPARE_WITH_TIMEOUT(c.state(), LobbyClient::Online, 15000);
        QCOMPARE(c.nick(), QStringLiteral("Ann (2)"));
        QCOMPARE(renamed.size(), 1);

        // Leaving takes the table off everybody's list.
        a.stop();
        QTRY_VERIFY(!b.tables().contains(QStringLiteral("Ann")));
        QVERIFY(!b.people().contains(QStringLiteral("Ann")));
    }

    void chatLimits()
    {
        LobbyClient a;
        QString why;
        QVERIFY(!a.sendChat(QStringLiteral("hi"), &why));
        QVERIFY(why.contains(QStringLiteral("not in the lobby")));
        QVERIFY(a.start(server.server(), QStringLiteral("Dee")));
        QTRY_COMPARE_WITH_TIMEOUT(a.state(), LobbyClient::Online, 15000);
        QVERIFY(!a.sendChat(QStringLiteral("  \n "), &why));
        QVERIFY(!a.sendChat(QString(LobbyClient::MaxChatLength + 1, QLatin1Char('x')), &why));
        QVERIFY(why.contains(QStringLiteral("300")));
        for (int i = 0; i < LobbyClient::ChatLines; ++i)
            QVERIFY(a.sendChat(QString(LobbyClient::MaxChatLength, QLatin1Char('x'))));
        QVERIFY(!a.sendChat(QStringLiteral("one too many"), &why));
        QVERIFY(why.contains(QStringLiteral("wait")));
    }

    // Every field's checks are in tst_tablesummary; here a few bad payloads
    // come through a real room.
    void strangerPayloads_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<bool>("shown");
        QTest::newRow("good") << goodAttributes << true;
        QTest::newRow("seven seated") << QByteArray(goodAttributes).replace("seated='2'", "seated='7'") << false;
        QTest::newRow("blank in host") << QByteArray(goodAttributes).replace("198.51.100.4", "a b") << false;
        QTest::newRow("long name") << QByteArray(goodAttributes).replace("'Cy'", "'" + QByteArray(41, 'n') + "'")
                                   << false;
        QByteArray many = goodAttributes;
        for (int i = 0; i < 20; ++i)
            many += " x" + QByteArray::number(i) + "='1'";
        QTest::newRow("too many attributes") << many << false;
        QTest::newRow("no table") << QByteArray() << false;
    }

    void strangerPayloads()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(bool, shown);
        LobbyClient b;
        QVERIFY(b.start(server.server(), QStringLiteral("Eve")));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 15000);
        ScriptedOccupant s;
        QVERIFY(s.connect(server.port));
        // First a good table, then the row's: a bad update takes it off.
        s.presence(QStringLiteral("Cy"), goodAttributes);
        QSignalSpy heard(&b, &LobbyClient::chatReceived);
        s.say(QStringLiteral("Cy"), "sync");
        while (heard.isEmpty() && s.up)
            s.run(20);
        QVERIFY(b.tables().contains(QStringLiteral("Cy")));
        s.presence(QStringLiteral("Cy"), attributes);
        s.say(QStringLiteral("Cy"), "sync");
        for (int i = 0; i < 500 && heard.size() < 2; ++i)
            s.run(20);
        QCOMPARE(heard.size(), 2);
        QCOMPARE(b.tables().contains(QStringLiteral("Cy")), shown);
        QVERIFY(b.people().contains(QStringLiteral("Cy")));
    }

    void floodIsCapped()
    {
        LobbyClient b;
        QVERIFY(b.start(server.server(), QStringLiteral("Fay")));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 15000);
        ScriptedOccupant s;
        QVERIFY(s.connect(server.port));
        QSignalSpy heard(&b, &LobbyClient::chatReceived);
        // Hundreds of table updates and a burst of chat in one go.
        for (int i = 0; i < 300; ++i)
            s.presence(QStringLiteral("Gus"), QByteArray(goodAttributes).replace("seated='2'",
                                                                                  "seated='" + QByteArray::number(i % 7) + "'"));
        for (int i = 0; i < 20; ++i)
            s.say(QStringLiteral("Gus"), "line " + QByteArray::number(i));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && heard.size() < LobbyClient::ChatLines)
            s.run(20);
        s.run(300);
        QCOMPARE(heard.size(), LobbyClient::ChatLines);
        QCOMPARE(b.tables().value(QStringLiteral("Gus")).seated, 299 % 7);
    }

    void serverDiesAndComesBack()
    {
        LobbyClient a, b;
        a.setTable(table(QStringLiteral("Hal"), 1));
        QVERIFY(a.start(server.server(), QStringLiteral("Hal")));
        QVERIFY(b.start(server.server(), QStringLiteral("Ivy")));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 15000);
        QTRY_VERIFY(b.tables().contains(QStringLiteral("Hal")));

        server.stop();
        QTRY_VERIFY_WITH_TIMEOUT(b.stale() && a.stale(), 15000);
        // The list stays, marked stale, while the client tries again.
        QVERIFY(b.tables().contains(QStringLiteral("Hal")));
        QVERIFY(b.problem().contains(QStringLiteral("Trying again")));
        QVERIFY(server.start(false));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 40000);
        QTRY_COMPARE_WITH_TIMEOUT(a.state(), LobbyClient::Online, 40000);
        QTRY_VERIFY(b.tables().contains(QStringLiteral("Hal")));
    }

    void dedicatedTableListsItself()
    {
        LobbyClient b;
        QVERIFY(b.start(server.server(), QStringLiteral("Kim")));
        QTRY_COMPARE_WITH_TIMEOUT(b.state(), LobbyClient::Online, 15000);
        QProcess host;
        host.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"),
                   {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--no-announce"),
                    QStringLiteral("--lobby"), server.server(), QStringLiteral("--public-address"),
                    QStringLiteral("198.51.100.9:7790"), QStringLiteral("--name"), QStringLiteral("Den")});
        QVERIFY(host.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(b.tables().contains(QStringLiteral("Den")), 20000);
        const TableSummary t = b.tables().value(QStringLiteral("Den"));
        QCOMPARE(t.addressText(), QStringLiteral("198.51.100.9:7790"));
        QCOMPARE(t.seatsText(), QStringLiteral("0 of 6"));
        QVERIFY(t.internet);
        host.terminate();
        QVERIFY(host.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!b.tables().contains(QStringLiteral("Den")), 15000);
    }

    void dedicatedTableRefusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("lobby without address") << QStringList{"--lobby", "lobby.example.org"};
        QTest::newRow("bad public address") << QStringList{"--lobby", "l.org", "--public-address", "a b:1"};
        QTest::newRow("bad lobby port") << QStringList{"--lobby", "l.org:0", "--public-address", "h:1"};
        QTest::newRow("name of two lines") << QStringList{"--name", "a\nb"};
        QTest::newRow("lobby without value") << QStringList{"--lobby"};
    }
    void dedicatedTableRefusesBadOptions()
    {
        QFETCH(QStringList, options);
        QProcess host;
        host.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + options);
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(host.exitCode(), 2);
    }

    void certificates_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::newRow("signed by the trusted CA") << true;
        QTest::newRow("signed by an unknown CA") << false;
    }

    void certificates()
    {
        QFETCH(bool, trusted);
        TestProsody secure;
        if (!secure.start(true))
            QSKIP("prosody with TLS cannot run here");
        qputenv(LobbyClient::TestCaVariable, (trusted ? secure.caFile : secure.otherCaFile).toUtf8());
        LobbyClient a;
        QSignalSpy states(&a, &LobbyClient::stateChanged);
        QVERIFY(a.start(secure.server(), QStringLiteral("Jo")));
        if (trusted) {
            QTRY_COMPARE_WITH_TIMEOUT(a.state(), LobbyClient::Online, 15000);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!a.started(), 15000);
            QCOMPARE(a.state(), LobbyClient::Offline);
            QVERIFY2(a.problem().contains(QStringLiteral("not trusted")), qPrintable(a.problem()));
        }
        qunsetenv(LobbyClient::TestCaVariable);
    }

private:
    TestProsody server;
};

QTEST_GUILESS_MAIN(TestLobbyClient)
#include "tst_lobbyclient.moc"
