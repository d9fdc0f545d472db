// SPDX-License-Identifier: MIT
// Start-up: the launch modes decided from the command line, the windows and
// their captions, and the one-copy-per-desktop guard.
#include "paths.h"
#include "singleinstance.h"
#include "tablewidgets.h"
#include "tablefixture.h"
#include "tabout.h"
#include "tdownload.h"
#include "version.h"
#include "tgamestart.h"
#include "thelp.h"
#include "tphrases.h"
#include "tserver.h"
#include "tspylist.h"
#include "ttallylist.h"

#include <QAction>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {
// True once a running copy answers on the one-copy guard's name.
bool guardIsUp(const QString &name)
{
    return TestClient::waitFor([&] {
        QLocalSocket s;
        s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        s.connectToServer(name);
        return s.waitForConnected(100);
    }, 10000);
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void windowsAndCaptions();
    void damagedTallyReportedAtStart();
    void soloGame();
    void hostMode();
    void joinModeIsCaseSensitive();
    void twoArgumentsConnectNothing();
    void failedJoinSaysWhy();
    void secondCopyRaisesTheFirst();
    void guardIgnoresStrangers_data();
    void guardIgnoresStrangers();
    void guardSurvivesACrash();
    void secondProgramLeavesNoWindow();
    void commandLineOptions_data();
    void commandLineOptions();
};

void TestStartup::windowsAndCaptions()
{
    Table t(QStringList{"A", "B"}, QStringLiteral("0"));
    const Forms &f = t.program->forms;
    QCOMPARE(f.chat->windowTitle(), QStringLiteral("Velloc"));
    QCOMPARE(f.tallylist->windowTitle(), QStringLiteral("Velloc - Tally List"));
    QCOMPARE(f.about->windowTitle(), QStringLiteral("Velloc - About"));
    QCOMPARE(f.download->windowTitle(), QStringLiteral("Download The Qorb42 Lobby"));
    QCOMPARE(f.gamestart->windowTitle(), QStringLiteral("Velloc - Game Start"));
    QCOMPARE(f.help->windowTitle(), QStringLiteral("Velloc - Help File"));
    QCOMPARE(f.phrases->windowTitle(), QStringLiteral("Velloc - Phrase Buttons "));
    QCOMPARE(f.spylist->windowTitle(), QStringLiteral("Velloc - Spys"));
    QVERIFY(f.server);
    QVERIFY(!f.spylist->isVisible());
    // The client area holds the whole table.
    QVERIFY(f.chat->centralWidget()->minimumSize().width() >= 784);
    QVERIFY(f.chat->centralWidget()->minimumSize().height() >= 535);
    QCOMPARE(f.about->displayedVersion(), QStringLiteral(VELLOC_VERSION));
}

// The side windows are made on first use, but a damaged tally file is still
// reported at start, by the tally window.
void TestStartup::damagedTallyReportedAtStart()
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    QFile tally(tallyFilePath());
    QVERIFY(tally.open(QIODevice::WriteOnly));
    tally.write("not a tally");
    tally.close();
    Program program(QStringList{"A", "B"}, QStringLiteral("0"));
    QVERIFY(program.forms.tallylist.built());
    QVERIFY(!program.forms.tallylist.built()->loadError().isEmpty());
    QVERIFY(!program.forms.about.built());
    setProgramFolder(QString());
}

void TestStartup::soloGame()
{
    Table t(QStringList{}, QStringLiteral("0"));
    QTRY_VERIFY(t.chat->loggedIn());
    QCOMPARE(t.chat->ownSeat(), 1);
    QCOMPARE(t.chat->playerName(), QStringLiteral("You"));
    QTRY_COMPARE(t.chat->seatName(1), QStringLiteral("You"));
    QCOMPARE(t.notices().value(0), QStringLiteral("Loading Solo Game..Please wait."));
    QVERIFY(t.notices().contains("You are Connected."));
    QVERIFY(t.program->forms.download->isVisible());
    QVERIFY(!t.chat->button_start->isHidden());
    QVERIFY(t.chat->StartGame1->isEnabled());
    QVERIFY(t.chat->hostFlag());
    QVERIFY(!t.chat->Sock11->hasSocket()); // no lobby link in a solo game
    QVERIFY(t.program->forms.spylist->popup_kickhim->isEnabled());
    QCOMPARE(t.program->forms.server->game().players[1].name, QByteArray("You"));
    // Nothing the player has not opened was made, nor libcurl loaded.
    QVERIFY(!t.program->forms.gamestart.built() && !t.program->forms.help.built());
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libcurl"));
}

void TestStartup::hostMode()
{
    Table t(QStringList{"Ann", "10.0.0.5", "true", "ignored"}, QStringLiteral("0"));
    QTRY_VERIFY(t.chat->loggedIn());
    // The hosting copy's client uses the loopback address, not argument 2.
    QCOMPARE(t.chat->sock->HostName(), QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(t.program->forms.server->game().players[1].name, QByteArray("Ann"));
    QCOMPARE(t.notices().value(0), QStringLiteral("Loading Multi-player Game.. Please Wait."));
    QVERIFY(!t.program->forms.download->isVisible());
    QVERIFY(t.chat->Sock11->hasSocket()); // the idle lobby link
    QCOMPARE(t.chat->Sock11->PortName(), QStringLiteral("9001"));
    QVERIFY(!t.chat->button_start->isHidden());
}

void TestStartup::joinModeIsCaseSensitive()
{
    Table t(2, "Ann"); // joins with "x" as the third argument
    QVERIFY(t.chat->button_start->isHidden());
    QVERIFY(!t.chat->StartGame1->isEnabled());
    QVERIFY(!t.program->forms.server->Sock1->Listen());
    FakeHost other;
    Table capital(QStringList{"Ann", "127.0.0.1", "True"}, QString::number(other.port()));
    QVERIFY(other.waitForClient()); // "True" joins, it does not host
    QVERIFY(!capital.program->forms.server->Sock1->Listen());
    QVERIFY(!capital.chat->StartGame1->isEnabled());
    capital.chat->button_startClick();
    QCOMPARE(capital.boxes, QStringList{"You are not connected"});
}

void TestStartup::twoArgumentsConnectNothing()
{
    Table t(QStringList{"Ann", "127.0.0.1"}, QStringLiteral("0"));
    QTRY_COMPARE(t.notices(), QStringList{"Loading Multi-player Game.. Please Wait."});
    QTest::qWait(100);
    QVERIFY(!t.chat->sock->hasSocket());
    QVERIFY(!t.chat->Sock11->hasSocket());
    QVERIFY(!t.program->forms.server->Sock1->Listen());
    QVERIFY(!t.chat->loggedIn());
}

void TestStartup::failedJoinSaysWhy()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    Table t(QStringList{"Ann", "127.0.0.1", "x"}, QString::number(port));
    QSignalSpy closed(t.chat, &Tchat::closed);
    QTRY_COMPARE(t.chat->offer(), Tchat::Offer::JoinFailed);
    QCOMPARE(closed.count(), 0);
    QVERIFY(t.boxes.isEmpty());
    const QString why = "Could not join the table at 127.0.0.1:" + QString::number(port)
                        + ": nobody answered on that port (no table is open there, or a firewall refused the "
                          "connection).";
    QCOMPARE(t.notices(), (QStringList{"Loading Multi-player Game.. Please Wait.", why}));
    QCOMPARE(t.chat->label_offer->text(), why);
}

void TestStartup::secondCopyRaisesTheFirst()
{
    const QString name = QStringLiteral("velloc-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    int raised = 0;
    first.onRaise = [&] { ++raised; };
    QVERIFY(first.claim());
    SingleInstance second(name);
    QVERIFY(!second.claim());
    QTRY_COMPARE(raised, 1);
    SingleInstance elsewhere(name + QStringLiteral("-other-display"));
    QVERIFY(elsewhere.claim());
}

// Whatever else reaches the guard's socket neither raises the window nor
// stops the next copy from being told.
void TestStartup::guardIgnoresStrangers_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("raised");
    QTest::newRow("raise") << QByteArray("raise\n") << 1;
    QTest::newRow("other words") << QByteArray("hello\n") << 0;
    QTest::newRow("nothing") << QByteArray() << 0;
    QTest::newRow("binary") << QByteArray(300, '\xFF') << 0;
}

void TestStartup::guardIgnoresStrangers()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, raised);
    const QString name = QStringLiteral("velloc-stranger-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    int count = 0;
    first.onRaise = [&] { ++count; };
    QVERIFY(first.claim());
    {
        QLocalSocket s;
        s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        s.connectToServer(name);
        QVERIFY(s.waitForConnected(1000));
        if (!sent.isEmpty()) {
            s.write(sent);
            QVERIFY(s.waitForBytesWritten(1000));
        }
        QTest::qWait(50);
    }
    QTRY_COMPARE(count, raised);
    QTest::qWait(50);
    QCOMPARE(count, raised);
    SingleInstance second(name);
    QVERIFY(!second.claim());
    QTRY_COMPARE(count, raised + 1);
}

void TestStartup::guardSurvivesACrash()
{
    // A copy killed outright leaves nothing behind that stops the next one.
    const QString display = QStringLiteral(":velloc-crash-%1").arg(QCoreApplication::applicationPid());
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DISPLAY"), display);
    copy.setProcessEnvironment(env);
    copy.start(QStringLiteral(VELLOC_BIN_DIR "/velloc"), {QStringLiteral("A"), QStringLiteral("B")});
    QVERIFY(copy.waitForStarted());
    const QString guardName = QStringLiteral("24broq-%1-%2").arg(::getuid()).arg(display);
    QVERIFY(guardIsUp(guardName));
    ::kill(pid_t(copy.processId()), SIGKILL);
    copy.waitForFinished(3000);
    SingleInstance next(guardName);
    QVERIFY(next.claim());
}

void TestStartup::secondProgramLeavesNoWindow()
{
    const QString display = QStringLiteral(":velloc-second-%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DISPLAY"), display);
    QProcess first, second;
    first.setProcessEnvironment(env);
    second.setProcessEnvironment(env);
    first.start(QStringLiteral(VELLOC_BIN_DIR "/velloc"), {QStringLiteral("A"), QStringLiteral("B")});
    QVERIFY(first.waitForStarted());
    const QString guardName = QStringLiteral("24broq-%1-%2").arg(::getuid()).arg(display);
    QVERIFY(guardIsUp(guardName));
    second.start(QStringLiteral(VELLOC_BIN_DIR "/velloc"), {QStringLiteral("A"), QStringLiteral("B")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(3000);
}


void TestStartup::commandLineOptions_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // what standard output starts with
    QTest::addColumn<bool>("errors"); // something on standard error
    const QString version = QStringLiteral(VELLOC_VERSION);
    for (const QString program : {"velloc", "velloc-host", "velloc-tally"}) {
        const QByteArray p = program.toLatin1();
        QTest::newRow(p + " --version") << program << "--version" << 0 << program + " " + version << false;
        QTest::newRow(p + " --help") << program << "--help" << 0 << (program == "velloc-tally" ? "usage" : "Usage") << false;
        QTest::newRow(p + " --bogus") << program << "--bogus" << 2 << "" << true;
    }
}

void TestStartup::commandLineOptions()
{
    QFETCH(QString, program);
    QFETCH(QString, option);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(bool, errors);
    QProcess p;
    p.start(QStringLiteral(VELLOC_BIN_DIR "/") + program, {option});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), exitCode);
    const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QCOMPARE(!p.readAllStandardError().isEmpty(), errors);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
