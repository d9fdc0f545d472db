// SPDX-License-Identifier: MIT
// Table addresses as players type them: host, host:port, [v6]:port, and the
// mistakes that must be caught before anything connects.
#include "hostaddress.h"

#include <QtTest>

class TestHostAddress : public QObject {
    Q_OBJECT
private slots:
    void parses_data();
    void parses();
    void refuses_data();
    void refuses();
    void printsBack();
};

void TestHostAddress::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("name") << "example.org" << "example.org" << 7772;
    QTest::newRow("name and port") << "example.org:7800" << "example.org" << 7800;
    QTest::newRow("dotted") << "10.0.0.5" << "10.0.0.5" << 7772;
    QTest::newRow("dotted and port") << "10.0.0.5:1" << "10.0.0.5" << 1;
    QTest::newRow("highest port") << "h:65535" << "h" << 65535;
    QTest::newRow("blanks around") << "  table.lan:9000 " << "table.lan" << 9000;
    QTest::newRow("bracketed v6 with port") << "[fd00::2]:7773" << "fd00::2" << 7773;
    QTest::newRow("bracketed v6") << "[::1]" << "::1" << 7772;
    QTest::newRow("bare v6") << "fe80::1%eth0" << "fe80::1%eth0" << 7772;
    QTest::newRow("v4-mapped v6") << "[::ffff:10.0.0.5]:80" << "::ffff:10.0.0.5" << 80;
}

void TestHostAddress::parses()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    HostAddress a;
    QString error;
    QVERIFY2(hostaddress::parse(text, 7772, &a, &error), qPrintable(error));
    QCOMPARE(a.host, host);
    QCOMPARE(int(a.port), port);
}

void TestHostAddress::refuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("says");
    QTest::newRow("empty") << "" << "enter the address";
    QTest::newRow("blank") << "   " << "enter the address";
    QTest::newRow("port only") << ":7772" << "before the port";
    QTest::newRow("port zero") << "h:0" << "port in the table's address";
    QTest::newRow("port too big") << "h:65536" << "1 to 65535";
    QTest::newRow("port huge") << "h:99999999999" << "1 to 65535";
    QTest::newRow("port negative") << "h:-1" << "1 to 65535";
    QTest::newRow("port not a number") << "h:abc" << "1 to 65535";
    QTest::newRow("port empty") << "h:" << "1 to 65535";
    QTest::newRow("port with sign") << "h:+80" << "1 to 65535";
    QTest::newRow("port arabic digits") << QString::fromUtf8("h:\u0667\u0667") << "1 to 65535";
    QTest::newRow("bracket unclosed") << "[::1:7772" << "without its";
    QTest::newRow("junk after bracket") << "[::1]x" << "only \":\"";
    QTest::newRow("bracketed name") << "[host]:1" << "not an IPv6";
    QTest::newRow("v6 bad port") << "[::1]:70000" << "1 to 65535";
    QTest::newRow("blank inside") << "my host" << "not a valid host";
    QTest::newRow("url") << "http://h/" << "not a valid";
    QTest::newRow("terminator byte") << QString::fromLatin1("h\xff") << "not a valid host";
    QTest::newRow("control character") << QStringLiteral("h\tx") << "not a valid host";
}

void TestHostAddress::refuses()
{
    QFETCH(QString, text);
    QFETCH(QString, says);
    HostAddress a{QStringLiteral("untouched"), 1};
    QString error;
    QVERIFY(!hostaddress::parse(text, 7772, &a, &error));
    QVERIFY2(error.contains(says), qPrintable(error));
    QCOMPARE(a.host, QStringLiteral("untouched"));
}

void TestHostAddress::printsBack()
{
    // What the recent-tables list stores must parse back to the same table.
    for (const QString &text : {QStringLiteral("example.org"), QStringLiteral("example.org:7800"),
                                QStringLiteral("[fd00::2]:7773"), QStringLiteral("fd00::2")}) {
        HostAddress a, b;
        QVERIFY(hostaddress::parse(text, 7772, &a));
        QCOMPARE(a.text(7772), text);
        QVERIFY(hostaddress::parse(a.text(7772), 7772, &b));
        QCOMPARE(b.host, a.host);
        QCOMPARE(b.port, a.port);
    }
    QCOMPARE((HostAddress{QStringLiteral("h"), 7772}).text(7772), QStringLiteral("h"));
}

QTEST_GUILESS_MAIN(TestHostAddress)
#include "tst_hostaddress.moc"
