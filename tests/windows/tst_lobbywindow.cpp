// SPDX-License-Identifier: MIT
// The online lobby window against a Prosody of the test's own: tables,
// people and chat as the room has them, joining by double-click, ignoring a
// person, the stale list while the server is down and its recovery, and
// the lobby servers it remembers.
#include "forms.h"
#include "hostedtable.h"
#include "lobbyhub.h"
#include "lobbyservers.h"
#include "paths.h"
#include "settingsfile.h"
#include "tablelistview.h"
#include "tlobby.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestLobbyWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        setProgramFolder(folder.path());
        if (!server.start(false))
            QSKIP("prosody cannot run here");
    }

    void tablesChatIgnoreAndStale()
    {
        LobbyClient ann;
        TableSummary t;
        t.name = QStringLiteral("Ann");
        t.host = QStringLiteral("192.0.2.1");
        t.port = 7773;
        t.seated = 1;
        ann.setTable(t);
        QVERIFY(ann.start(server.server(), QStringLiteral("Ann")));
        QTRY_COMPARE_WITH_TIMEOUT(ann.state(), LobbyClient::Online, 15000);

        Forms forms;
        LobbyHub hub;
        Tlobby w(forms, hub);
        QList<TableSummary> joined;
        w.join = [&](const TableSummary &s) { joined << s; };
        QStringList boxes;
        w.showMessage = [&](const QString &m) { boxes << m; };
        w.show();
        w.combo_server->setEditText(server.server());
        w.edit_name->setText(QStringLiteral("Bob"));
        w.button_connectClick();
        QTRY_COMPARE_WITH_TIMEOUT(hub.client().state(), LobbyClient::Online, 15000);
        QVERIFY(w.label_status->text().contains(QStringLiteral("as \"Bob\"")));
        QTRY_COMPARE(w.list_tables->count(), 1);
        const QTreeWidgetItem *row = w.list_tables->topLevelItem(0);
        QCOMPARE(row->text(1), QStringLiteral("192.0.2.1:7773"));
        QCOMPARE(row->text(2), QStringLiteral("1 of 6"));
        QCOMPARE(row->text(4), QStringLiteral("waiting"));
        QTRY_COMPARE(w.list_people->count(), 2);

        // Joining takes the chosen table; nothing is asked of its address before.
        emit w.list_tables->itemDoubleClicked(w.list_tables->topLevelItem(0), 0);
        QCOMPARE(joined.size(), 1);
        QCOMPARE(joined[0].addressText(), QStringLiteral("192.0.2.1:7773"));

        QSignalSpy heard(&ann, &LobbyClient::chatReceived);
        w.edit_chat->setText(QStringLiteral("hello Ann"));
        QTest::keyClick(w.edit_chat, Qt::Key_Return);
        QTRY_COMPARE(heard.size(), 1);
        QVERIFY(w.edit_chat->text().isEmpty());
        QVERIFY(ann.sendChat(QStringLiteral("hi <Bob>")));
        QTRY_VERIFY(w.memo_chat->toPlainText().contains(QStringLiteral("Ann: hi <Bob>")));

        // The server goes: the list stays, greyed, and says so; then it comes back.
        server.stop();
        QTRY_VERIFY_WITH_TIMEOUT(w.list_tables->stale(), 15000);
        QVERIFY(w.label_status->text().contains(QStringLiteral("out of date")));
        QCOMPARE(w.list_tables->count(), 1);
        QVERIFY(server.start(false));
        QTRY_COMPARE_WITH_TIMEOUT(hub.client().state(), LobbyClient::Online, 40000);
        QTRY_COMPARE_WITH_TIMEOUT(ann.state(), LobbyClient::Online, 40000);
        QTRY_VERIFY(!w.list_tables->stale());
        QTRY_COMPARE(w.list_tables->count(), 1);

        // Ignored: his lines and his table are gone from the window.
        w.list_people->setCurrentItem(w.list_people->findItems(QStringLiteral("Ann"), Qt::MatchExactly).value(0));
        w.button_ignoreClick();
        QCOMPARE(w.list_tables->count(), 0);
        QVERIFY(!w.memo_chat->toPlainText().contains(QStringLiteral("Ann: hi")));
        QVERIFY(ann.sendChat(QStringLiteral("still there?")));
        QTest::qWait(300);
        QVERIFY(!w.memo_chat->toPlainText().contains(QStringLiteral("still there")));
        QVERIFY(boxes.isEmpty());

        // Closing the window leaves the room when no table is listed.
        w.button_close->click();
        QVERIFY(!hub.client().started());
    }

    void remembersFiveServers_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << "a.org" << QStringList{"a.org"};
        QTest::newRow("again, any case") << QStringList{"b.org", "A.org"} << "a.org" << QStringList{"a.org", "b.org"};
        QTest::newRow("sixth drops the oldest") << QStringList{"1", "2", "3", "4", "5"} << "6"
                                                << QStringList{"6", "1", "2", "3", "4"};
    }
    void remembersFiveServers()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(QStringList, after);
        QCOMPARE(Tlobby::addRecentServer(before, added), after);
    }

    // A hosted table is listed at the router's address only when players on
    // the internet can reach it.
    void routerAddressIsPublic_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("public") << "203.0.113.7" << true;
        QTest::newRow("just outside 172.16/12") << "172.32.0.1" << true;
        QTest::newRow("home network") << "192.168.1.20" << false;
        QTest::newRow("10/8") << "10.1.2.3" << false;
        QTest::newRow("172.16/12") << "172.20.0.1" << false;
        QTest::newRow("carrier NAT") << "100.64.0.9" << false;
        QTest::newRow("self-assigned") << "169.254.3.4" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("a name") << "router.home" << false;
    }
    void routerAddressIsPublic()
    {
        QFETCH(QString, address);
        QFETCH(bool, reachable);
        QCOMPARE(HostedTable::publicAddress(address), reachable);
    }

private:
    QTemporaryDir folder;
    TestProsody server;
};

QTEST_MAIN(TestLobbyWindow)
#include "tst_lobbywindow.moc"
