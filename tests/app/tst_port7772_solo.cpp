// The program itself, started with no arguments: a solo table whose host
// serves the game's own port and whose player sits in seat 1 as "You".
#include "testclient.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSoloProgram : public QObject {
    Q_OBJECT
private slots:
    void soloTableServesPort7772();
};

void TestSoloProgram::soloTableServesPort7772()
{
    QProcess velloc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":velloc-solo-%1").arg(QCoreApplication::applicationPid()));
    velloc.setProcessEnvironment(env);
    velloc.start(QStringLiteral(VELLOC_BIN_DIR "/velloc"), {});
    QVERIFY(velloc.waitForStarted());
    TestClient watcher;
    QVERIFY(TestClient::waitFor([&] {
        if (watcher.connected)
            return true;
        watcher.sock.abort();
        return watcher.connectTo(7772, 200);
    }, 15000));
    QCOMPARE(watcher.take("CMD_sendlogininfo"), QByteArray("CMD_sendlogininfo+2"));
    watcher.send("CMD_logininfo+2+1.0.1+Bo\xFF");
    QCOMPARE(watcher.take("CMD_existingplayers"), QByteArray("CMD_existingplayers+1+You"));
    watcher.send("CMD_chat+2+hello|clBlack");
    QCOMPARE(watcher.take("CMD_chat"), QByteArray("CMD_chat+Bo chats: hello|clBlack"));
    velloc.terminate();
    velloc.waitForFinished(5000);
    if (velloc.state() != QProcess::NotRunning)
        velloc.kill();
}

QTEST_GUILESS_MAIN(TestSoloProgram)
#include "tst_port7772_solo.moc"
