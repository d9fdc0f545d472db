// SPDX-License-Identifier: MIT
// Addresses read with the C library: what counts as an address rather than
// a name, loopback, and a lookup answered on the event loop (or not at all
// once its asker is gone).
#include "ipaddress.h"

#include <QtTest>

class TestIpAddress : public QObject {
    Q_OBJECT
private slots:
    void literals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("literal");
        QTest::addColumn<bool>("ipv4");
        QTest::addColumn<bool>("loopback");
        QTest::newRow("ipv4") << "192.168.1.20" << true << true << false;
        QTest::newRow("ipv4 loopback") << "127.0.0.1" << true << true << true;
        QTest::newRow("other 127") << "127.8.9.10" << true << true << true;
        QTest::newRow("ipv6") << "2001:db8::1" << true << false << false;
        QTest::newRow("ipv6 loopback") << "::1" << true << false << true;
        QTest::newRow("name") << "example.org" << false << false << false;
        QTest::newRow("localhost is a name") << "localhost" << false << false << false;
        QTest::newRow("too many parts") << "1.2.3.4.5" << false << false << false;
        QTest::newRow("part too big") << "1.2.3.256" << false << false << false;
        QTest::newRow("padded") << " 1.2.3.4" << false << false << false;
        QTest::newRow("empty") << "" << false << false << false;
    }
    void literals()
    {
        QFETCH(QString, text);
        QFETCH(bool, literal);
        QFETCH(bool, ipv4);
        QFETCH(bool, loopback);
        QCOMPARE(ipaddress::isLiteral(text), literal);
        QCOMPARE(ipaddress::parseIPv4(text).has_value(), ipv4);
        QCOMPARE(ipaddress::isLoopback(text), loopback);
    }

    void subnets()
    {
        const quint32 a = *ipaddress::parseIPv4(QStringLiteral("172.20.3.4"));
        QCOMPARE(a, 0xAC140304u);
        QVERIFY(ipaddress::inSubnet(a, 0xAC100000u, 12));
        QVERIFY(!ipaddress::inSubnet(a, 0xAC100000u, 16));
        QVERIFY(ipaddress::inSubnet(a, 0, 0));
        QVERIFY(ipaddress::inSubnet(a, a, 32));
    }

    void ownAddressesAreUsable()
    {
        for (const QString &a : ipaddress::localIPv4()) {
            QVERIFY2(ipaddress::parseIPv4(a) && !ipaddress::isLoopback(a), qPrintable(a));
            QVERIFY2(!a.startsWith(QLatin1String("169.254.")), qPrintable(a));
        }
    }

    void lookupAnswersOnTheLoop()
    {
        QObject asker;
        QStringList got;
        bool answered = false;
        ipaddress::lookup(QStringLiteral("127.0.0.1"), &asker, [&](const QStringList &addresses, const QString &) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            got = addresses;
            answered = true;
        });
        QVERIFY(!answered);
        QTRY_VERIFY(answered);
        QCOMPARE(got, QStringList{QStringLiteral("127.0.0.1")});

        // No name at all (refused without asking any server): no
        // addresses, and a reason.
        QString why;
        answered = false;
        ipaddress::lookup(QString(), &asker, [&](const QStringList &a, const QString &e) {
            got = a;
            why = e;
            answered = true;
        });
        QTRY_VERIFY(answered);
        QVERIFY(got.isEmpty());
        QVERIFY(!why.isEmpty());

        // The asker gone before the answer: nobody is called.
        bool called = false;
        {
            QObject gone;
            ipaddress::lookup(QStringLiteral("127.0.0.1"), &gone, [&](const QStringList &, const QString &) { called = true; });
        }
        QTest::qWait(300);
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestIpAddress)
#include "tst_ipaddress.moc"
