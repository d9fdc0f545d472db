// SPDX-License-Identifier: MIT
// Tables on this network through an Avahi daemon of the test's own (a
// private system bus, loopback only): found with their fields, changed,
// gone when they stop; a desktop without the daemon gets a plain sentence.
#include "dnssd.h"
#include "lobbyservers.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
TableSummary table(const QString &name, quint16 port, int seated)
{
    TableSummary t;
    t.name = name;
    t.port = port;
    t.seated = seated;
    return t;
}
} // namespace

class TestDnsSd : public QObject {
    Q_OBJECT
private slots:
    void withoutDaemon()
    {
        // The test's bus is not there yet.
        dnssd::Browser browser;
        QVERIFY(!browser.problem().isEmpty());
        QVERIFY2(browser.problem().startsWith(QStringLiteral("Tables on this network cannot be found")),
                 qPrintable(browser.problem()));
        dnssd::Publisher publisher;
        publisher.update(table(QStringLiteral("Ann"), 7772, 1)); // quietly nothing
        QVERIFY(browser.tables().isEmpty());
    }

    void findChangeAndLose()
    {
        if (!avahi.start())
            QSKIP(qPrintable(avahi.why));
        dnssd::Browser browser;
        auto ann = std::make_unique<dnssd::Publisher>();
        auto bob = std::make_unique<dnssd::Publisher>();
        ann->update(table(QStringLiteral("Ann"), 7772, 1));
        bob->update(table(QStringLiteral("velloc-host"), 7790, 0));
        QTRY_COMPARE_WITH_TIMEOUT(browser.tables().size(), 2, 20000);
        const TableSummary found = browser.tables().value(QStringLiteral("Ann"));
        QCOMPARE(found.host, QStringLiteral("127.0.0.1"));
        QCOMPARE(found.port, quint16(7772));
        QCOMPARE(found.seated, 1);
        QCOMPARE(browser.tables().value(QStringLiteral("velloc-host")).port, quint16(7790));

        TableSummary playing = table(QStringLiteral("Ann"), 7772, 3);
        playing.round = 2;
        playing.rounds = 5;
        ann->update(playing);
        QTRY_COMPARE_WITH_TIMEOUT(browser.tables().value(QStringLiteral("Ann")).stateText(),
                                  QStringLiteral("round 2 of 5"), 20000);
        QCOMPARE(browser.tables().value(QStringLiteral("Ann")).seated, 3);

        // Two tables of one name: the second is renamed, both listed.
        dnssd::Publisher twin;
        twin.update(table(QStringLiteral("Ann"), 7791, 0));
        QTRY_COMPARE_WITH_TIMEOUT(browser.tables().size(), 3, 20000);
        QVERIFY(!twin.serviceName().isEmpty());
        QVERIFY(twin.serviceName() != QStringLiteral("Ann"));

        QSignalSpy gone(&browser, &dnssd::Browser::tableGone);
        bob.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!browser.tables().contains(QStringLiteral("velloc-host")), 20000);
        QCOMPARE(gone.size(), 1);
    }

private:
    TestAvahi avahi;
};

QTEST_GUILESS_MAIN(TestDnsSd)
#include "tst_dnssd.moc"
