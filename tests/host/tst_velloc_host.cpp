// SPDX-License-Identifier: MIT
// The headless host as a program: whole games over loopback at the real
// pace, and a clean stop on SIGTERM.
#include "protocol.h"
#include "scriptedplayer.h"
#include "testclient.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

struct HostProcess {
    QProcess proc;
    quint16 port = 0;

    bool start(const QStringList &more = {})
    {
        proc.setProgram(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"));
        proc.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + more);
        proc.start();
        if (!proc.waitForStarted(5000))
            return false;
        QByteArray out;
        TestClient::waitFor([&] {
            out += proc.readAllStandardOutput();
            return out.contains('\n');
        }, 5000);
        const int at = out.indexOf("port ");
        port = at < 0 ? 0 : quint16(out.mid(at + 5).trimmed().toUInt());
        return port != 0;
    }
    ~HostProcess()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.kill();
            proc.waitForFinished(2000);
        }
    }
};

bool allWellFormed(const TestClient &c)
{
    for (const auto &m : c.all)
        if (!m.startsWith("CMD_sendlogininfo") && !wellFormedHostMessage(m)) {
            qWarning() << "malformed:" << m;
            return false;
        }
    return true;
}

} // namespace

class TestVellocHost : public QObject {
    Q_OBJECT
private slots:
    void wholeGamesAtTheRealPace();
    void stopsCleanlyOnSigterm();
    void refusesBadArguments();
    void tellsItsOperator();
    void helpAndQuiet();
};

void TestVellocHost::wholeGamesAtTheRealPace()
{
    // Two hosts side by side: a person against the bot "Klot" at Fast bot
    // speed, and three players who all just watch while the bots play.
    HostProcess duel, watched;
    QVERIFY(duel.start());
    QVERIFY(watched.start());

    TestClient human;
    QCOMPARE(human.login(duel.port, "Ann"), 1);
    ScriptedPlayer ann(human);
    human.send("CMD_botspeed+1+500+");
    human.send("CMD_startgame+Ann+3+1+");

    std::vector<std::unique_ptr<TestClient>> watchers;
    for (int i = 1; i <= 3; ++i) {
        watchers.push_back(std::make_unique<TestClient>());
        QCOMPARE(watchers.back()->login(watched.port, "W" + QByteArray::number(i)), i);
    }
    watchers[0]->send("CMD_botspeed+1+1+");
    watchers[0]->send("CMD_startgame+W1+3+1+");
    QVERIFY(!watchers[0]->take("CMD_nextplayer").isEmpty());
    for (int i = 1; i <= 3; ++i)
        watchers[size_t(i - 1)]->send("CMD_justwatch+" + QByteArray::number(i) + "+1");

    const bool done = TestClient::waitFor([&] {
        ann.pump();
        return !ann.winner.isEmpty() && watchers[2]->all.count() > 0
               && watchers[2]->all.last().startsWith("CMD_winner+");
    }, 240000);
    QVERIFY2(done, "both games should reach a winner");
    QCOMPARE(human.all.last(), "CMD_winner+" + ann.winner + "+");
    QVERIFY(ann.winner == "Ann" || ann.winner == "Klot");
    QVERIFY(ann.moves > 0);
    QCOMPARE(human.count("CMD_noplay"), 0);
    QVERIFY(allWellFormed(human));
    for (auto &w : watchers) {
        QVERIFY(allWellFormed(*w));
        QCOMPARE(w->count("CMD_winner"), 1);
    }
    QCOMPARE(human.count("CMD_winner"), 1);
}

void TestVellocHost::stopsCleanlyOnSigterm()
{
    HostProcess h;
    QVERIFY(h.start());
    TestClient c;
    QCOMPARE(c.login(h.port, "Ann"), 1);
    ::kill(pid_t(h.proc.processId()), SIGTERM);
    QVERIFY(h.proc.waitForFinished(5000));
    QCOMPARE(h.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(h.proc.exitCode(), 0);
    QVERIFY(h.proc.readAllStandardOutput().contains("stopped"));
    QVERIFY(TestClient::waitFor([&] { return c.closed; }));
}

void TestVellocHost::refusesBadArguments()
{
    for (const QStringList &args : {QStringList{"--port", "70000"}, QStringList{"--frobnicate"}}) {
        QProcess p;
        p.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"), args);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 2);
    }
}

void TestVellocHost::tellsItsOperator()
{
    HostProcess h;
    QVERIFY(h.start());
    TestClient ann, bob, eve;
    QCOMPARE(ann.login(h.port, "Ann"), 1);
    ann.send("CMD_velloc+1+");
    QCOMPARE(bob.login(h.port, "Bob\x1b[2J"), 2);
    bob.send("CMD_velloc+1+");
    QCOMPARE(eve.login(h.port, "Eve"), 3);
    QVERIFY(!ann.take("CMD_youhost+").isEmpty());
    ann.sock.abort();
    // Bob takes over the table: he is told so and may start and remove.
    QVERIFY(!bob.take("CMD_youhost+").isEmpty());
    QVERIFY(!bob.take("CMD_botname+1+Klunk").isEmpty());
    bob.send("CMD_startgame+Bob+3+1+");
    QVERIFY(!eve.take("CMD_startgame+Bob+3+").isEmpty());
    bob.send("CMD_kickhim+2+3+");
    QVERIFY(TestClient::waitFor([&] { return eve.closed; }));
    ::kill(pid_t(h.proc.processId()), SIGTERM);
    QVERIFY(!bob.take("CMD_tableclosed+").isEmpty());
    QVERIFY(h.proc.state() == QProcess::NotRunning || h.proc.waitForFinished(5000));
    const QString log = QString::fromLatin1(h.proc.readAllStandardError());
    for (const char *line :
         {"velloc-host: connection from 127.0.0.1 in slot 1", "velloc-host: login: slot 1 (Ann)",
          "velloc-host: connection closed: slot 1 (127.0.0.1)", "velloc-host: host player rights pass to slot 2 (Bob?[2J)",
          "velloc-host: game started by slot 2 (Bob?[2J), 3 rounds",
          "velloc-host: removed: slot 3 (Eve) by slot 2 (Bob?[2J)", "velloc-host: stopping: closing every connection"})
        QVERIFY2(log.contains(QLatin1String(line)), qPrintable(line + QStringLiteral(" not in:\n") + log));
    QVERIFY2(!log.contains(QLatin1Char('\x1b')), "a name must not carry escapes into the log");
}

void TestVellocHost::helpAndQuiet()
{
    QProcess help;
    help.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(5000));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char *option : {"--port", "--quiet", "--help"})
        QVERIFY2(text.contains(option), option);

    HostProcess h;
    QVERIFY(h.start({QStringLiteral("--quiet")}));
    TestClient c;
    QCOMPARE(c.login(h.port, "Ann"), 1);
    c.sock.abort();
    QTest::qWait(100);
    ::kill(pid_t(h.proc.processId()), SIGTERM);
    QVERIFY(h.proc.waitForFinished(5000));
    QCOMPARE(h.proc.readAllStandardError(), QByteArray());
}

QTEST_GUILESS_MAIN(TestVellocHost)
#include "tst_velloc_host.moc"
