// SPDX-License-Identifier: MIT
// Without --port the headless host serves the game's own port, 7772.
#include "testclient.h"

#include <QProcess>
#include <QtTest>

class TestDefaultPort : public QObject {
    Q_OBJECT
private slots:
    void listensOn7772();
};

void TestDefaultPort::listensOn7772()
{
    QProcess host;
    host.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-host"), {});
    QVERIFY(host.waitForStarted(5000));
    QByteArray out;
    QVERIFY(TestClient::waitFor([&] {
        out += host.readAllStandardOutput();
        return out.contains('\n') || host.state() == QProcess::NotRunning;
    }));
    QVERIFY2(out.contains("listening on port 7772"), out.constData());
    TestClient c;
    QCOMPARE(c.login(7772, "Ann"), 1);
    host.terminate();
    QVERIFY(host.waitForFinished(5000));
    QCOMPARE(host.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDefaultPort)
#include "tst_port7772_host.moc"
