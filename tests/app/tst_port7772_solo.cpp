// SPDX-License-Identifier: MIT
// The program itself, started with no arguments: a solo table whose host
// serves the game's own port and whose player sits in seat 1 as "You".
#include "testclient.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class TestSoloProgram : public QObject {
    Q_OBJECT
private slots:
    void soloTableServesPort7772();
    void argumentsThatLookLikeQtOptions_data();
    void argumentsThatLookLikeQtOptions();
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

void TestSoloProgram::argumentsThatLookLikeQtOptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("-reverse") << "-reverse";
    QTest::newRow("-platform") << "-platform";
    QTest::newRow("-style") << "-style";
}

// The first three arguments are the player's, whatever they look like.
void TestSoloProgram::argumentsThatLookLikeQtOptions()
{
    QFETCH(QString, name);
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QTemporaryDir dir;
    QVERIFY(QFile::copy(QStringLiteral(VELLOC_BIN_DIR "/velloc"), dir.filePath(QStringLiteral("velloc"))));
    QProcess velloc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":velloc-args-%1").arg(QCoreApplication::applicationPid()));
    velloc.setProcessEnvironment(env);
    velloc.start(dir.filePath(QStringLiteral("velloc")),
                 {name, QStringLiteral("10.0.0.5"), QStringLiteral("true"), QStringLiteral("--port"), QString::number(port)});
    QVERIFY(velloc.waitForStarted());
    TestClient guest;
    QVERIFY(TestClient::waitFor([&] {
        if (guest.connected)
            return true;
        guest.sock.abort();
        return guest.connectTo(port, 200);
    }, 15000));
    QCOMPARE(guest.take("CMD_sendlogininfo"), QByteArray("CMD_sendlogininfo+2"));
    guest.send("CMD_logininfo+2+1.0.1+Bo\xFF");
    QCOMPARE(guest.take("CMD_existingplayers"), "CMD_existingplayers+1+" + name.toLatin1());
    velloc.terminate();
    velloc.waitForFinished(5000);
    if (velloc.state() != QProcess::NotRunning)
        velloc.kill();
}

QTEST_GUILESS_MAIN(TestSoloProgram)
#include "tst_port7772_solo.moc"
