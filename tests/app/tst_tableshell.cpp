// SPDX-License-Identifier: MIT
// Switching tables inside one program: from a solo game to hosting and to
// joining, always one table window, the old host's port let go, and the end
// of the program when a table closes for any other reason.
#include "fakehost.h"
#include "testclient.h"
#include "paths.h"
#include "program.h"
#include "tableshell.h"
#include "tchat.h"
#include "tdownload.h"
#include "tplayothers.h"
#include "tserver.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

namespace {

int tableWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<Tchat *>(w) != nullptr;
    return n;
}

} // namespace

class TestTableShell : public QObject {
    Q_OBJECT
private slots:
    void switchesWithoutASecondCopy();
    void hostingFromTheWindowAsksTheRouter();
    void leavingAskedWhenOthersWouldLoseTheirGame();
};

void TestTableShell::switchesWithoutASecondCopy()
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    Tchat::messageBox = [](QWidget *, const QString &) {};
    int ended = 0;
    TableShell shell(nullptr, QStringLiteral("0"));
    shell.onEnd = [&] { ++ended; };
    shell.onOpen = [](Program &p) { p.forms.download->launcher = [](const QString &, const QStringList &) { return false; }; };

    shell.open({});
    QTRY_VERIFY(shell.program()->forms.chat->loggedIn());
    QPointer<Tchat> solo = shell.program()->forms.chat;
    const QRect place(40, 50, 800, 600);
    solo->setGeometry(place);
    const QRect before = solo->geometry();

    // Host from the Play with Others window.
    shell.program()->forms.playothers->launch({"Ann", "127.0.0.1", "true", "--port", "0"}, false);
    QTRY_VERIFY(solo.isNull());
    Tchat *host = shell.program()->forms.chat;
    QTRY_VERIFY(host->loggedIn());
    QVERIFY(host->hostFlag());
    QCOMPARE(host->playerName(), QStringLiteral("Ann"));
    QCOMPARE(host->geometry(), before);
    QCOMPARE(tableWindows(), 1);
    QVERIFY(host->isVisible());
    QCOMPARE(ended, 0);

    // Join another table: the hosting copy's listener is closed first.
    FakeHost table;
    QPointer<TServer> oldServer = shell.program()->forms.server;
    host->relaunch({"Ann", "127.0.0.1:" + QString::number(table.port()), "false"}, false);
    QTRY_VERIFY(oldServer.isNull());
    QVERIFY(table.waitForClient());
    Tchat *joined = shell.program()->forms.chat;
    QVERIFY(!joined->hostFlag());
    QCOMPARE(joined->tableAddress().port, table.port());
    QCOMPARE(tableWindows(), 1);

    // Closing the table for any other reason ends the program.
    joined->Exit1Click();
    QTRY_COMPARE(ended, 1);
    Tchat::messageBox = nullptr;
}

// Only hosting from the window with the box ticked asks the router; with
// mapping turned off (as in every test) the player is told so plainly.
void TestTableShell::hostingFromTheWindowAsksTheRouter()
{
    qputenv("VELLOC_NO_UPNP", "1");
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    TableShell shell(nullptr, QStringLiteral("0"));
    shell.onEnd = [] {};
    shell.open({"Ann", "127.0.0.1", "true"}, false);
    QTRY_VERIFY(shell.program()->forms.chat->loggedIn());
    QVERIFY(!shell.program()->forms.chat->mainchat->toPlainText().contains("Router"));
    shell.program()->forms.chat->relaunch({"Ann", "127.0.0.1", "true"}, true);
    QTRY_VERIFY(shell.program()->forms.chat->mainchat->toPlainText().contains("Router port mapping is turned off."));
    QCOMPARE(shell.program()->forms.playothers->label_router->text(), QStringLiteral("Router port mapping is turned off."));
}

void TestTableShell::leavingAskedWhenOthersWouldLoseTheirGame()
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    QStringList asked;
    bool answer = false;
    Tchat::questionBox = [&](QWidget *, const QString &q) {
        asked << q;
        return answer;
    };
    TableShell shell(nullptr, QStringLiteral("0"));
    shell.onEnd = [] {};
    shell.open({"Ann", "127.0.0.1", "true"}, false);
    Program *hosting = shell.program();
    QTRY_VERIFY(hosting->forms.chat->loggedIn());
    TestClient bo;
    QCOMPARE(bo.login(hosting->forms.server->Sock1->localPort(), "Bo"), 2);
    QTRY_VERIFY(hosting->forms.chat->seatName(2) == QStringLiteral("Bo"));

    hosting->forms.playothers->launch({}, false);
    QCOMPARE(asked, QStringList{"Bo is at your table. Leaving closes it for them."});
    QTest::qWait(50);
    QCOMPARE(shell.program(), hosting); // the player said no
    QVERIFY(!bo.closed);
    answer = true;
    QPointer<Tchat> old = hosting->forms.chat;
    hosting->forms.playothers->launch({}, false);
    QTRY_VERIFY(bo.closed);
    QTRY_VERIFY(old.isNull());
    Tchat::questionBox = nullptr;
}

QTEST_MAIN(TestTableShell)
#include "tst_tableshell.moc"
