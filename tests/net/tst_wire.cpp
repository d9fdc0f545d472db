// SPDX-License-Identifier: MIT
// Framing, field reading and the Latin-1 wire text.
#include "wire.h"

#include <QtTest>

class TestWire : public QObject {
    Q_OBJECT
private slots:
    void framing_data();
    void framing();
    void pendingTextCap();
    void fieldReader();
    void numbers_data();
    void numbers();
    void userTextNeverSplitsAMessage();
    void windowsCodePage();
    void commandSplit_data();
    void commandSplit();
};

void TestWire::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<QByteArray>>("messages");
    QTest::addColumn<QByteArray>("left");
    QTest::newRow("two in one read") << QList<QByteArray>{"CMD_a+1\xFF" "CMD_b+2\xFF"}
                                     << QList<QByteArray>{"CMD_a+1", "CMD_b+2"} << QByteArray();
    QTest::newRow("one over two reads") << QList<QByteArray>{"CMD_hepas", "ses+3+\xFF"}
                                        << QList<QByteArray>{"CMD_hepasses+3+"} << QByteArray();
    QTest::newRow("rest stays pending") << QList<QByteArray>{"CMD_a+\xFF" "CMD_b"}
                                        << QList<QByteArray>{"CMD_a+"} << QByteArray("CMD_b");
    QTest::newRow("double terminator gives an empty message")
        << QList<QByteArray>{"CMD_logininfo+1+1.0.1+You\xFF\xFF"}
        << QList<QByteArray>{"CMD_logininfo+1+1.0.1+You", ""} << QByteArray();
    QTest::newRow("zero bytes are data") << QList<QByteArray>{QByteArray("a\0b\xFF", 4)}
                                         << QList<QByteArray>{QByteArray("a\0b", 3)} << QByteArray();
}

void TestWire::framing()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QList<QByteArray>, messages);
    QFETCH(QByteArray, left);
    wire::Framer f;
    QList<QByteArray> got;
    for (const auto &r : reads)
        QVERIFY(f.feed(r, [&](QByteArray m) { got << m; }));
    QCOMPARE(got, messages);
    QCOMPARE(f.pending(), left);
}

void TestWire::pendingTextCap()
{
    wire::Framer f;
    int n = 0;
    auto count = [&](QByteArray) { ++n; };
    QVERIFY(f.feed(QByteArray(wire::MaxPendingText, 'x'), count));
    QVERIFY(!f.feed("y", count)); // one byte more without a terminator
    wire::Framer g;
    // A long message that does end is fine, whatever its length.
    QVERIFY(g.feed(QByteArray(wire::MaxPendingText * 3, 'x') + '\xFF', count));
    QCOMPARE(n, 1);
}

void TestWire::fieldReader()
{
    wire::FieldReader pass("3+");
    QCOMPARE(pass.nextInt(), 3);
    QCOMPARE(pass.rest(), QByteArray());

    wire::FieldReader chat("2+hello+world|clBlack");
    QCOMPARE(chat.nextInt(), 2);
    QCOMPARE(chat.rest(), QByteArray("hello+world|clBlack")); // free text keeps its "+"

    wire::FieldReader missing("7");
    QCOMPARE(missing.next(), QByteArray()); // no "+" left: empty, nothing consumed
    QCOMPARE(missing.rest(), QByteArray("7"));
    QVERIFY_THROWS_EXCEPTION(EConvertError, wire::FieldReader("x+").nextInt());
}

void TestWire::numbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("42") << true << 42;
    QTest::newRow("negative") << QByteArray("-20") << true << -20;
    QTest::newRow("plus") << QByteArray("+5") << true << 5;
    QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
    QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483648LL);
    QTest::newRow("overflow") << QByteArray("2147483648") << false << 0;
    QTest::newRow("huge") << QByteArray("99999999999999999999") << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("sign only") << QByteArray("-") << false << 0;
    QTest::newRow("letters") << QByteArray("x") << false << 0;
    QTest::newRow("trailing junk") << QByteArray("12a") << false << 0;
    QTest::newRow("space") << QByteArray(" 1") << false << 0;
}

void TestWire::numbers()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    int v = -1;
    QCOMPARE(tryStrToInt(text, v), ok);
    if (ok)
        QCOMPARE(v, value);
    else
        QVERIFY_THROWS_EXCEPTION(EConvertError, strToInt(text));
}

void TestWire::userTextNeverSplitsAMessage()
{
    QCOMPARE(wire::fromUser(QStringLiteral("caf\u00e9")), QByteArray("caf\xE9"));
    QCOMPARE(wire::fromUser(QStringLiteral("\u00ff")), QByteArray("?")); // the terminator itself
    QCOMPARE(wire::fromUser(QStringLiteral("\u20ac 5")), QByteArray("\x80 5")); // the euro sign
    QCOMPARE(wire::fromUser(QStringLiteral("\U0001F600")), QByteArray("?")); // one character, one "?"
    QCOMPARE(wire::fromUser(QStringLiteral("\u0101\u0090")), QByteArray("??")); // not in the code page
    QVERIFY(!wire::fromUser(QStringLiteral("a\u00ffb\u00ff")).contains(wire::Terminator));
    QCOMPARE(wire::toDisplay("caf\xE9"), QStringLiteral("caf\u00e9"));
}

// The wire's code page is Windows-1252: what a Windows peer sends in
// 0x80..0x9F reads as its characters, and the same go out as those bytes.
void TestWire::windowsCodePage()
{
    const QString high = QString::fromUtf8("\u20ac\ufffd\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160"
                                           "\u2039\u0152\ufffd\u017d\ufffd\ufffd\u2018\u2019\u201c\u201d\u2022"
                                           "\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\ufffd\u017e\u0178");
    QByteArray bytes;
    for (int b = 0x80; b < 0xA0; ++b)
        bytes.append(char(b));
    QCOMPARE(wire::toDisplay(bytes), high);
    // Every assigned one goes back to its byte; the five unassigned stay
    // "?" and none of them can end a message.
    QByteArray back = wire::fromUser(high);
    QCOMPARE(back.size(), 32);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(uchar(back[i]), high[i] == QChar(0xFFFD) ? uchar('?') : uchar(0x80 + i));
    // The rest is Latin-1 both ways, 0xFF included when it arrives.
    QByteArray rest;
    for (int b = 0; b < 256; ++b)
        if (b < 0x80 || b >= 0xA0)
            rest.append(char(b));
    QCOMPARE(wire::toDisplay(rest), QString::fromLatin1(rest));
    rest.chop(1);
    QCOMPARE(wire::fromUser(QString::fromLatin1(rest)), rest);
}

void TestWire::commandSplit_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("args");
    QTest::newRow("normal") << QByteArray("CMD_noplay+3+") << true << QByteArray("CMD_noplay") << QByteArray("3+");
    QTest::newRow("no plus") << QByteArray("receivedlist") << false << QByteArray() << QByteArray();
    QTest::newRow("empty name") << QByteArray("+3") << false << QByteArray() << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << QByteArray() << QByteArray();
    QTest::newRow("bare") << QByteArray("CMD_full+") << true << QByteArray("CMD_full") << QByteArray();
}

void TestWire::commandSplit()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, ok);
    QByteArray name, args;
    QCOMPARE(wire::splitCommand(message, name, args), ok);
    if (ok) {
        QTEST(name, "name");
        QTEST(args, "args");
    }
}

QTEST_APPLESS_MAIN(TestWire)
#include "tst_wire.moc"
