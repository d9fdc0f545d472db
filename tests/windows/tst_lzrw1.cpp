// The tally file's compressor: exact bytes of known inputs, round trips
// around the block size, hostile containers, and the file-level calls.
#include "lzrw1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using Bytes = QByteArray;

namespace {

Bytes hex(const char *h) { return QByteArray::fromHex(QByteArray(h).replace(' ', "")); }

Bytes pack(const Bytes &in)
{
    const auto v = lzrw1kh::compressBuffer(in.constData(), std::size_t(in.size()));
    return Bytes(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

Bytes unpack(const Bytes &in)
{
    const auto v = lzrw1kh::decompressBuffer(in.constData(), std::size_t(in.size()), "in.tld");
    return Bytes(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

Bytes container(quint32 size, const QList<Bytes> &blocks)
{
    Bytes out("WRZL");
    for (int i = 0; i < 4; ++i)
        out += char((size >> (8 * i)) & 0xFF);
    for (const Bytes &b : blocks) {
        out += char(b.size() & 0xFF);
        out += char((b.size() >> 8) & 0xFF);
        out += b;
    }
    return out;
}

// The coder written the plain way, step by step as the format describes it,
// including the hash of bytes past the block's end: whatever they hold, the
// output must not change.
Bytes referenceBlock(const Bytes &block, QRandomGenerator &rng)
{
    const int n = int(block.size());
    Bytes src = block;
    for (int i = 0; i < 4; ++i)
        src += char(rng.bounded(256));
    auto b = [&](int i) { return quint32(quint8(src[i])); };

    quint16 table[4096];
    std::fill(std::begin(table), std::end(table), 0xFFFF);
    Bytes out(3, '\0');
    out[0] = char(0x40);
    int controlAt = 1, items = 0, p = 0;
    quint32 control = 0;
    while (p < n && out.size() <= n) {
        if (items == 16) {
            out[controlAt] = char(control >> 8);
            out[controlAt + 1] = char(control);
            controlAt = int(out.size());
            out += Bytes(2, '\0');
            items = 0;
            control = 0;
        }
        int run = 1;
        while (run < 4095 && p + run < n && src[p + run] == src[p])
            ++run;
        if (run >= 16) {
            out += char(0);
            out += char((run - 16) >> 8);
            out += char((run - 16) & 255);
            out += src[p];
            p += run;
            control = (control << 1) | 1;
        } else {
            const quint32 h = ((((((b(p) * 16) ^ b(p + 1)) * 16) ^ b(p + 2)) * 40543u) >> 4) & 0xFFF;
            const int c = table[h];
            bool copied = false;
            if (c != 0xFFFF && p - c < 4096) {
                int len = 0;
                while (len < 18 && p + len < n && src[p + len] == src[c + len])
                    ++len;
                if (len >= 3) {
                    const int v = (p - c) * 16 + (len - 3);
                    out += char(v >> 8);
                    out += char(v & 255);
                    table[h] = quint16(p);
                    p += len;
                    control = (control << 1) | 1;
                    copied = true;
                }
            }
            if (!copied) {
                table[h] = quint16(p);
                out += src[p];
                ++p;
                control <<= 1;
            }
        }
        ++items;
    }
    control <<= (16 - items);
    out[controlAt] = char(control >> 8);
    out[controlAt + 1] = char(control);
    if (out.size() > n)
        return char(0x80) + block;
    return out;
}

Bytes referenceContainer(const Bytes &in, QRandomGenerator &rng)
{
    QList<Bytes> blocks;
    qsizetype p = 0;
    for (;;) {
        const Bytes block = in.mid(p, 32768);
        blocks.append(referenceBlock(block, rng));
        p += block.size();
        if (block.size() < 32768)
            break;
    }
    return container(quint32(in.size()), blocks);
}

Bytes randomBytes(QRandomGenerator &rng, int n)
{
    Bytes b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char(rng.bounded(256));
    return b;
}

// Text-like, binary-like and run-heavy data, so copies, runs, literals and
// the stored-block fallback all occur.
Bytes structured(QRandomGenerator &rng, int n, int kind)
{
    static const char *const words[] = {"Klot ", "Chickenfoot ", "spinner ", "toe ", "\r\n", "9-9 ",
                                        "double ", "0\r\n", "12\r\n", "the ", "bone "};
    Bytes b;
    b.reserve(n + 64);
    while (b.size() < n) {
        switch (kind) {
        case 0: b += words[rng.bounded(int(std::size(words)))]; break;
        case 1: b += Bytes(rng.bounded(1, 40), char(rng.bounded(3))); break;
        case 2: b += randomBytes(rng, rng.bounded(1, 8)) + Bytes(rng.bounded(10, 5000), 'z'); break;
        default: {
            const int period = rng.bounded(1, 4200);
            const Bytes unit = randomBytes(rng, period);
            for (int k = rng.bounded(1, 6); k > 0; --k)
                b += unit;
        }
        }
    }
    b.truncate(n);
    return b;
}

void writeFile(const QString &path, const Bytes &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(content), content.size());
}

Bytes readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Bytes();
    return f.readAll();
}

} // namespace

class TestLzrw1 : public QObject {
    Q_OBJECT

private slots:
    void exactBytes_data();
    void exactBytes();
    void blockCount_data();
    void blockCount();
    void matchesReference_data();
    void matchesReference();
    void roundTrip_data();
    void roundTrip();
    void rejectsHostileInput_data();
    void rejectsHostileInput();
    void survivesRandomDamage();
    void fileFailures_data();
    void fileFailures();
    void fileRoundTrip();
    void failedDecompressKeepsExistingOutput();
};

void TestLzrw1::exactBytes_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<Bytes>("packed");

    QTest::newRow("empty file is 11 bytes") << Bytes() << hex("57525A4C 00000000 0100 80");
    QTest::newRow("abcabcabc") << Bytes("abcabcabc") << hex("57525A4C 09000000 0800 40 1000 616263 0033");
    QTest::newRow("one byte stored") << Bytes("a") << hex("57525A4C 01000000 0200 80 61");
    QTest::newRow("two bytes stored") << Bytes("ab") << hex("57525A4C 02000000 0300 80 6162");
    QTest::newRow("no repeats stored") << Bytes("abcdefgh") << hex("57525A4C 08000000 0900 80 6162636465666768");
    // Coded form of exactly n bytes stays compressed; one byte longer is stored.
    QTest::newRow("coded length equals n") << Bytes("abcdeabcde")
                                           << hex("57525A4C 0A000000 0A00 40 0400 6162636465 0052");
    QTest::newRow("coded length n+1 stored") << Bytes("abcdabcd")
                                             << hex("57525A4C 08000000 0900 80 6162636461626364");
    QTest::newRow("100 equal bytes are one run") << Bytes(100, 'x') << hex("57525A4C 64000000 0700 40 8000 00005478");
    QTest::newRow("16 equal bytes are a run") << Bytes(16, 'x') << hex("57525A4C 10000000 0700 40 8000 00000078");
    QTest::newRow("15 equal bytes never a run") << Bytes(15, 'x') << hex("57525A4C 0F000000 0600 40 4000 78 001B");
    QTest::newRow("runs stop at 4095") << Bytes(4096, 'x') << hex("57525A4C 00100000 0800 40 8000 000FEF78 78");
}

void TestLzrw1::exactBytes()
{
    QFETCH(Bytes, input);
    QFETCH(Bytes, packed);
    QCOMPARE(pack(input).toHex(' '), packed.toHex(' '));
    QCOMPARE(unpack(packed), input);
}

void TestLzrw1::blockCount_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("lastLength");

    QTest::newRow("32767") << 32767 << 1 << -1;
    QTest::newRow("32768 ends with an empty block") << 32768 << 2 << 1;
    QTest::newRow("32769") << 32769 << 2 << 2;
    QTest::newRow("65536 ends with an empty block") << 65536 << 3 << 1;
}

void TestLzrw1::blockCount()
{
    QFETCH(int, size);
    QFETCH(int, blocks);
    QFETCH(int, lastLength);
    QRandomGenerator rng(size);
    const Bytes input = structured(rng, size, 0);
    const Bytes packed = pack(input);

    int count = 0, pos = 8, last = 0;
    while (pos < packed.size()) {
        last = quint8(packed[pos]) | quint8(packed[pos + 1]) << 8;
        QVERIFY(last >= 1 && last <= 32769);
        pos += 2 + last;
        ++count;
    }
    QCOMPARE(pos, packed.size());
    QCOMPARE(count, blocks);
    if (lastLength > 0)
        QCOMPARE(last, lastLength);
    if (lastLength == 1)
        QCOMPARE(quint8(packed.back()), quint8(0x80));
    QCOMPARE(unpack(packed), input);
}

void TestLzrw1::matchesReference_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    for (int kind = 0; kind < 5; ++kind)
        for (int size : {3, 4, 17, 18, 19, 20, 100, 4099, 32768, 40000, 70000})
            QTest::addRow("kind %d size %d", kind, size) << kind << size;
}

void TestLzrw1::matchesReference()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QRandomGenerator rng(quint32(kind * 100003 + size));
    const Bytes input = kind == 4 ? randomBytes(rng, size) : structured(rng, size, kind);
    QCOMPARE(pack(input), referenceContainer(input, rng));
}

void TestLzrw1::roundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    const int sizes[] = {0, 1, 2, 3, 15, 16, 17, 18, 19, 4095, 4096, 4097, 32766, 32767, 32768, 32769,
                         32770, 65535, 65536, 65537, 98304, 98305, 150000};
    for (int kind = 0; kind < 5; ++kind)
        for (int size : sizes)
            QTest::addRow("kind %d size %d", kind, size) << kind << size;
}

void TestLzrw1::roundTrip()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QRandomGenerator rng(quint32(kind * 7919 + size));
    const Bytes input = kind == 4 ? randomBytes(rng, size) : structured(rng, size, kind);
    const Bytes packed = pack(input);
    QCOMPARE(unpack(packed), input);
    // Never worse than storing: one flag byte and a length per block.
    QVERIFY(packed.size() <= 8 + input.size() + 3 * (input.size() / 32768 + 1));
    if (kind == 4 && size > 0)
        QCOMPARE(quint8(packed[10]), quint8(0x80)); // random data is stored
}

void TestLzrw1::rejectsHostileInput_data()
{
    QTest::addColumn<Bytes>("input");
    QTest::addColumn<QString>("message");

    QTest::newRow("bad header") << Bytes("WRZX\0\0\0\0\1\0\x80", 11)
                                << "in.tld : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("good mode is not read") << container(0, {hex("80")}).replace(0, 4, "!HZL")
                                           << "in.tld : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("size one more than content") << container(11, {hex("40 0400 6162636465 0052")})
                                                << "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    QTest::newRow("truncated header") << Bytes("WRZL\0\0", 6) << "Lzrw1 : Error reading from input file : in.tld";
    QTest::newRow("missing block") << container(0, {}) << "Lzrw1 : Error reading from input file : in.tld";
    QTest::newRow("block shorter than its length")
        << container(3, {}) + hex("0500 80 616263") << "Lzrw1 : Error reading from input file : in.tld";
    QTest::newRow("full block without its successor")
        << container(32768, {char(0x80) + Bytes(32768, 'q')}) << "Lzrw1 : Error reading from input file : in.tld";

    const QString own = QStringLiteral("Lzrw1 (decompression LZRW1/KH) : ");
    QTest::newRow("coded length above 32769")
        << container(32769, {Bytes(32770, char(0x80))}) << own + "coded block longer than 32769 bytes !";
    QTest::newRow("copy before block start") << container(6, {hex("40 8000 0013")})
                                             << own + "copy reaches before the start of its block !";
    QTest::newRow("copy offset past output") << container(9, {hex("40 4000 61 0053")})
                                             << own + "copy reaches before the start of its block !";
    QTest::newRow("copy cut off") << container(4, {hex("40 4000 61 00")})
                                  << own + "coded item runs past the end of its block !";
    QTest::newRow("run cut off") << container(40, {hex("40 8000 0000 05")})
                                 << own + "coded item runs past the end of its block !";
    QTest::newRow("control word cut off")
        << container(17, {hex("40 0000") + Bytes(16, 'a') + hex("00")}) << own + "coded item runs past the end of its block !";
    Bytes manyRuns = hex("40 FFFF");
    for (int i = 0; i < 8; ++i)
        manyRuns += hex("00 0FFF 41"); // 8 x 4111 bytes
    QTest::newRow("block decodes past 32768") << container(40000, {manyRuns})
                                              << own + "block decodes to more than 32768 bytes !";
    Bytes runsThenLiteral = hex("40 FF00");
    for (int i = 0; i < 8; ++i)
        runsThenLiteral += hex("00 0FF0 41"); // 8 x 4096 = 32768 bytes
    runsThenLiteral += hex("0000 42");           // then a literal
    QTest::newRow("literal past 32768") << container(40000, {runsThenLiteral})
                                        << own + "block decodes to more than 32768 bytes !";
    // A stored size smaller than the data is the one mismatch the format
    // names, whether it shows at the end or, as here, on the way.
    QTest::newRow("more than the stored size") << container(5, {hex("40 1000 616263 0033")})
                                               << own + "Original and compressed sizes do not match !";
}

void TestLzrw1::rejectsHostileInput()
{
    QFETCH(Bytes, input);
    QFETCH(QString, message);
    try {
        unpack(input);
        QFAIL("no exception");
    } catch (const ELzrw1Exception &e) {
        QCOMPARE(QString::fromStdString(e.what()), message);
    }
}

void TestLzrw1::survivesRandomDamage()
{
    // Damaged real files must decode or fail cleanly, never crash or hang.
    QRandomGenerator rng(77);
    Bytes original;
    for (int i = 0; i < 40; ++i)
        original += structured(rng, 1000 + int(rng.bounded(3000)), i % 4);
    const Bytes packed = pack(original);
    int failed = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = packed;
        for (int k = int(rng.bounded(1, 6)); k > 0; --k)
            damaged[8 + rng.bounded(int(damaged.size()) - 8)] = char(rng.bounded(256));
        if (rng.bounded(4) == 0)
            damaged.truncate(rng.bounded(int(damaged.size())));
        try {
            const Bytes out = unpack(damaged);
            QVERIFY(out.size() == original.size());
        } catch (const ELzrw1Exception &) {
            ++failed;
        }
    }
    QVERIFY(failed > 0);
}

void TestLzrw1::fileFailures_data()
{
    QTest::addColumn<bool>("compress");
    QTest::addColumn<Bytes>("input");      // empty means: no input file
    QTest::addColumn<QString>("outName");  // relative to the temporary folder
    QTest::addColumn<QString>("message");  // %in and %out stand for the paths

    QTest::newRow("bad header") << false << Bytes("HELLO, WORLD") << "out.txt"
                                << "%in : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("size mismatch") << false << container(11, {hex("40 0400 6162636465 0052")}) << "out.txt"
                                   << "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    QTest::newRow("truncated") << false << container(32768, {char(0x80) + Bytes(32768, 'q')}) << "out.txt"
                               << "Lzrw1 : Error reading from input file : %in";
    QTest::newRow("hostile block") << false << container(6, {hex("40 8000 0013")}) << "out.txt"
                                   << "Lzrw1 (decompression LZRW1/KH) : copy reaches before the start of its block !";
    QTest::newRow("no input to decompress") << false << Bytes() << "out.txt"
                                            << "Lzrw1 (de)compression : Failed to open input file : %in";
    QTest::newRow("no input to compress") << true << Bytes() << "out.tld"
                                          << "Lzrw1 compression : Failed to obtain the size of : %in";
    QTest::newRow("output folder missing") << true << Bytes("text") << "nofolder/out.tld"
                                           << "Lzrw1 (de)compression : Failed to open output file : %out";
}

void TestLzrw1::fileFailures()
{
    QFETCH(bool, compress);
    QFETCH(Bytes, input);
    QFETCH(QString, outName);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Tlzrw1 doit;
    doit.InputFile = dir.filePath(QStringLiteral("in.bin"));
    doit.OutputFile = dir.filePath(outName);
    if (!input.isEmpty())
        writeFile(doit.InputFile, input);
    try {
        compress ? doit.Compress() : doit.Decompress();
        QFAIL("no exception");
    } catch (const ELzrw1Exception &e) {
        QString expected = message;
        expected.replace(QStringLiteral("%in"), doit.InputFile).replace(QStringLiteral("%out"), doit.OutputFile);
        QCOMPARE(QString::fromStdString(e.what()), expected);
    }
    QVERIFY(!QFile::exists(doit.OutputFile));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             input.isEmpty() ? 0 : 1); // no temporary copy left behind either
}

void TestLzrw1::fileRoundTrip()
{
    QTemporaryDir dir;
    QRandomGenerator rng(5);
    const Bytes input = structured(rng, 100000, 0);
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    const QString packed = dir.filePath(QStringLiteral("packed.tld"));
    const QString back = dir.filePath(QStringLiteral("back.txt"));
    writeFile(plain, input);

    Tlzrw1 doit;
    doit.InputFile = plain;
    doit.OutputFile = packed;
    const qint64 packedSize = doit.Compress();
    QCOMPARE(packedSize, QFileInfo(packed).size());
    QCOMPARE(readFile(packed), pack(input));

    doit.InputFile = packed;
    doit.OutputFile = back;
    QCOMPARE(doit.Decompress(), qint64(input.size()));
    QCOMPARE(readFile(back), input);

    // In place: the result replaces the input only when complete.
    doit.InputFile = back;
    doit.OutputFile = back;
    doit.Compress();
    QCOMPARE(readFile(back), pack(input));
}

void TestLzrw1::failedDecompressKeepsExistingOutput()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.tld"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    writeFile(in, container(11, {hex("40 0400 6162636465 0052")}));
    writeFile(out, "precious");
    Tlzrw1 doit;
    doit.InputFile = in;
    doit.OutputFile = out;
    QVERIFY_THROWS_EXCEPTION(ELzrw1Exception, doit.Decompress());
    QCOMPARE(readFile(out), Bytes("precious"));
}

QTEST_GUILESS_MAIN(TestLzrw1)
#include "tst_lzrw1.moc"
