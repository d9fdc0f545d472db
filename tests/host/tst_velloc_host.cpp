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

    bool start()
    {
        proc.setProgram(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"));
        proc.setArguments({QStringLiteral("--port"), QStringLiteral("0")});
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

QTEST_GUILESS_MAIN(TestVellocHost)
#include "tst_velloc_host.moc"
