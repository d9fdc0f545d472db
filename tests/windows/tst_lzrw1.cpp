// SPDX-License-Identifier: MIT
// The tally file's compressor: exact bytes of known inputs, a golden set of
// outputs that faster code must reproduce byte for byte, round trips around
// the block size, hostile containers and blocks, and the file-level calls.
#include "lzrw1.h"
#include "lzrw1corpus.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <variant>

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

// A fixed generator for the golden inputs: unlike QRandomGenerator's
// bounded(), its sequence cannot change with the Qt version.
struct GoldenRng : lzrw1corpus::XorShift {
    explicit GoldenRng(quint64 seed) : XorShift(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
};

// Exactly what bench_lzrw1 times (a prefix of it).
Bytes benchCorpus(qsizetype size)
{
    const std::vector<std::uint8_t> c = lzrw1corpus::make(std::size_t(size));
    return Bytes(reinterpret_cast<const char *>(c.data()), size);
}

// Inputs of every shape the coder treats differently: runs just under and
// over 16 and 4095 bytes, copies at every small offset (overlapping their
// own output), offsets around the 4095 limit, incompressible and
// almost-incompressible data, and the benchmark's mix.
Bytes goldenInput(int kind, int size, quint32 seed = 0)
{
    GoldenRng rng(quint64(kind) * 1000003u + quint64(size) + (quint64(seed) << 32));
    static const char *const words[] = {"Klot ", "Chickenfoot ", "spinner ", "toe ", "\r\n", "9-9 ",
                                        "double ", "0\r\n", "12\r\n", "the ", "bone ", "Ann "};
    Bytes b;
    b.reserve(size + 8200);
    auto random = [&](int n) {
        for (int i = 0; i < n; ++i)
            b += char(rng.next());
    };
    while (b.size() < size) {
        switch (kind) {
        case 0: b += Bytes(size, '\0'); break;
        case 1: random(size); break;
        case 2: b += words[rng.below(std::size(words))]; break;
        case 3: return benchCorpus(size);
        case 4: {
            static const int lengths[] = {1, 2, 3, 14, 15, 16, 17, 18, 19, 4094, 4095, 4096, 4097, 4111, 4112};
            const char c = "\0\xFF" "ab"[rng.below(4)];
            b += Bytes(rng.below(3) ? lengths[rng.below(9)] : lengths[9 + rng.below(6)], c);
            break;
        }
        case 5: { // a random unit repeated: every offset from 1 to 24
            const int period = 1 + int(rng.below(24));
            const qsizetype start = b.size();
            random(period);
            const int reps = int(rng.below(40));
            for (int i = 0; i < reps * period; ++i)
                b += b[start + i];
            break;
        }
        case 6: { // short snippets from offsets around the 4095 limit
            random(1 + int(rng.below(12)));
            static const int offsets[] = {1, 2, 3, 17, 18, 19, 4094, 4095, 4096, 4097};
            const int offset = offsets[rng.below(std::size(offsets))];
            const int len = 3 + int(rng.below(18));
            if (b.size() >= offset)
                for (int i = 0; i < len; ++i)
                    b += b[b.size() - offset];
            break;
        }
        case 7: b += char('a' + rng.below(2)); break;
        default: { // about as long coded as plain: near the stored fallback
            random(10 + int(rng.below(12)));
            const int len = 4 + int(rng.below(2));
            const int offset = 1 + int(rng.below(200));
            if (b.size() >= offset)
                for (int i = 0; i < len; ++i)
                    b += b[b.size() - offset];
        }
        }
    }
    b.truncate(size);
    return b;
}

Bytes digest(const Bytes &b) { return QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex().left(24); }

// Builds a coded block item by item, for decoder tests.
struct BlockWriter {
    Bytes out = Bytes(1, char(0x40));
    qsizetype controlAt = 0;
    int items = 16;
    quint16 control = 0;

    void bit(bool copy)
    {
        if (items == 16) {
            controlAt = out.size();
            out += Bytes(2, '\0');
            items = 0;
            control = 0;
        }
        if (copy)
            control |= quint16(0x8000u >> items);
        ++items;
        out[controlAt] = char(control >> 8);
        out[controlAt + 1] = char(control & 0xFF);
    }
    BlockWriter &literal(char c)
    {
        bit(false);
        out += c;
        return *this;
    }
    BlockWriter &literals(const Bytes &s)
    {
        for (char c : s)
            literal(c);
        return *this;
    }
    BlockWriter &copy(int offset, int len)
    {
        bit(true);
        const int v = offset * 16 + (len - 3);
        out += char(v >> 8);
        out += char(v & 0xFF);
        return *this;
    }
    BlockWriter &run(int count, char c)
    {
        bit(true);
        out += '\0';
        out += char((count - 16) >> 8);
        out += char((count - 16) & 0xFF);
        out += c;
        return *this;
    }
};

// The decoder written the plain way, one item and one byte at a time; its
// results, output and error texts alike, are the ones to keep.
std::variant<Bytes, QString> referenceDecode(const Bytes &block)
{
    const QString own = QStringLiteral("Lzrw1 (decompression LZRW1/KH) : ");
    const qsizetype length = block.size();
    auto at = [&](qsizetype i) { return quint32(quint8(block[i])); };
    if (length > 32769)
        return own + "coded block longer than 32769 bytes !";
    if (length <= 1)
        return Bytes();
    if (at(0) == 0x80)
        return block.mid(1);
    if (length < 3)
        return Bytes();
    Bytes out;
    qsizetype p = 3;
    quint32 control = at(1) << 8 | at(2);
    int bits = 16;
    while (p < length) {
        if (bits == 0) {
            if (length - p < 2)
                return own + "coded item runs past the end of its block !";
            control = at(p) << 8 | at(p + 1);
            p += 2;
            bits = 16;
            if (p == length)
                break;
        }
        if (control & 0x8000) {
            if (length - p < 2)
                return own + "coded item runs past the end of its block !";
            const quint32 offset = (at(p) << 8 | at(p + 1)) >> 4;
            if (offset == 0) {
                if (length - p < 4)
                    return own + "coded item runs past the end of its block !";
                const quint32 count = (at(p + 1) << 8 | at(p + 2)) + 16;
                if (out.size() + count > 32768)
                    return own + "block decodes to more than 32768 bytes !";
                out += Bytes(count, block[p + 3]);
                p += 4;
            } else {
                const quint32 len = (at(p + 1) & 15) + 3;
                if (offset > out.size())
                    return own + "copy reaches before the start of its block !";
                if (out.size() + len > 32768)
                    return own + "block decodes to more than 32768 bytes !";
                for (quint32 k = 0; k < len; ++k)
                    out += out[out.size() - offset];
                p += 2;
            }
        } else {
            if (out.size() == 32768)
                return own + "block decodes to more than 32768 bytes !";
            out += block[p++];
        }
        control <<= 1;
        --bits;
    }
    return out;
}

std::variant<Bytes, QString> decodeBlock(const Bytes &block)
{
    std::vector<std::uint8_t> out(lzrw1kh::BlockSize);
    try {
        const std::size_t n = lzrw1kh::decompressBlock(reinterpret_cast<const std::uint8_t *>(block.constData()),
                                                       std::size_t(block.size()), out.data());
        return Bytes(reinterpret_cast<const char *>(out.data()), qsizetype(n));
    } catch (const ELzrw1Exception &e) {
        return QString::fromStdString(e.what());
    }
}

QString describe(const std::variant<Bytes, QString> &r)
{
    if (const auto *b = std::get_if<Bytes>(&r))
        return QStringLiteral("%1 bytes, %2").arg(b->size()).arg(QString::fromLatin1(digest(*b)));
    return std::get<QString>(r);
}

// Hostile coded blocks: random items with offsets, lengths and counts drawn
// near every limit, blocks that reach the 32768-byte end, damaged real
// blocks, cut-off and overlong blocks, and odd flag bytes.
Bytes hostileBlock(GoldenRng &rng)
{
    const quint32 shape = rng.below(10);
    if (shape == 0) { // a real block, damaged
        const Bytes plain = goldenInput(int(rng.below(9)), int(rng.below(3) ? rng.below(3000) : 32768));
        std::vector<std::uint8_t> coded(lzrw1kh::CodeBufferSize);
        std::vector<std::uint16_t> hash(lzrw1kh::HashEntries);
        const std::size_t n = lzrw1kh::compressBlock(reinterpret_cast<const std::uint8_t *>(plain.constData()),
                                                     std::size_t(plain.size()), coded.data(), hash.data());
        Bytes b(reinterpret_cast<const char *>(coded.data()), qsizetype(n));
        for (int k = int(rng.below(4)); k > 0 && !b.isEmpty(); --k)
            b[rng.below(quint32(b.size()))] = char(rng.next());
        if (rng.below(3) == 0 && !b.isEmpty())
            b.truncate(rng.below(quint32(b.size())));
        return b;
    }
    if (shape == 1) { // raw bytes of any length
        Bytes b;
        const int n = int(rng.below(4) ? rng.below(40) : 32760 + rng.below(12));
        for (int i = 0; i < n; ++i)
            b += char(rng.next());
        return b;
    }
    BlockWriter w;
    static const char flags[] = {char(0x40), char(0x00), char(0xFF), char(0x41)};
    if (rng.below(8) == 0)
        w.out[0] = flags[rng.below(4)];
    // Most blocks head for the end of the output on purpose.
    const int target = rng.below(3) ? 32768 - int(rng.below(40)) : int(rng.below(300));
    int produced = 0;
    if (rng.below(10)) { // material for copies
        const int k = 1 + int(rng.below(30));
        for (int i = 0; i < k; ++i)
            w.literal(char(rng.next()));
        produced += k;
    }
    while (w.out.size() < 32769) {
        const quint32 what = rng.below(100);
        const int left = target - produced;
        if (left <= 0 && rng.below(3))
            break;
        if (what < 40) {
            const int k = 1 + int(rng.below(20));
            for (int i = 0; i < k; ++i)
                w.literal(char(rng.next()));
            produced += k;
        } else if (what < 75) {
            static const int offsets[] = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 18, 19, 24, 100, 4095};
            int offset = offsets[rng.below(std::size(offsets))];
            if (rng.below(20) == 0)
                offset = produced + int(rng.below(3)); // at and just past the start
            else if (offset > produced && rng.below(8))
                offset = 1 + int(rng.below(quint32(std::max(produced, 1))));
            offset = std::clamp(offset, 1, 4095);
            const int len = 3 + int(rng.below(16));
            w.copy(offset, len);
            produced += len;
        } else if (what < 85) {
            int count = 16 + int(rng.below(4096));
            if (left > 16 && rng.below(2))
                count = std::min(left + int(rng.below(3)) - 1, 4111);
            count = std::clamp(count, 16, 4111);
            w.run(count, char(rng.next()));
            produced += count;
        } else if (what < 95 && left > 0 && left < 40) { // land exactly on the end, or one past it
            const int extra = int(rng.below(3));
            if (left + extra >= 3 && left + extra <= 18 && produced >= 20) {
                w.copy(rng.below(2) ? 1 + int(rng.below(8)) : 18 + int(rng.below(20)), left + extra);
                produced += left + extra;
            } else {
                for (int i = 0; i < left + extra; ++i)
                    w.literal(char(rng.next()));
                produced += left + extra;
            }
        } else {
            w.literal(char(rng.next()));
            ++produced;
        }
    }
    Bytes b = w.out;
    const quint32 cut = rng.below(8);
    if (cut == 0 && !b.isEmpty())
        b.truncate(b.size() - 1 - qsizetype(rng.below(quint32(std::min<qsizetype>(b.size(), 5)))));
    else if (cut == 1)
        b += Bytes(1 + rng.below(2), char(rng.next())); // a stray control word or part of one
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
    void goldenOutput_data();
    void goldenOutput();
    void goldenBenchCorpus();
    void goldenSmallInputs();
    void blockCount_data();
    void blockCount();
    void matchesReference_data();
    void matchesReference();
    void roundTrip_data();
    void roundTrip();
    void rejectsHostileInput_data();
    void rejectsHostileInput();
    void overlappingCopies();
    void itemsMidBlock_data();
    void itemsMidBlock();
    void itemsAtBlockEnd_data();
    void itemsAtBlockEnd();
    void decoderMatchesReference();
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

namespace {

// What the coder wrote for each golden input when the golden set was taken:
// the container's length and the start of its SHA-256.
struct Golden {
    int kind;
    int size;
    int packedSize;
    const char *digest;
};

const Golden goldens[] = {
    {0, 0, 11, "461edc790a649ab4e40f307e"},
    {0, 1, 12, "ddde308461d9966a19eb069b"},
    {0, 2, 13, "4e1ce4c4f66a186a21aca3c9"},
    {0, 3, 14, "cad1edc74dae326130bc2083"},
    {0, 4, 15, "3250dbf17cedb8daf9e8720f"},
    {0, 5, 16, "26a62a85778f907106c6220a"},
    {0, 15, 16, "a0b75c40283e0e8fe7f28680"},
    {0, 16, 17, "64c1c9f41fe69953c141b3f3"},
    {0, 17, 17, "fa133cfca3b755bea917b61c"},
    {0, 18, 17, "dd06f4ae64cc420e92d59b6c"},
    {0, 19, 17, "bbda6db3fb786f4797f63163"},
    {0, 20, 17, "6e789b37ee7a948e1abf7812"},
    {0, 33, 17, "128751f4efb6f2618b658661"},
    {0, 100, 17, "10e4cd3734379dae20a13091"},
    {0, 1000, 17, "3132d376bdd0f1b569ed32ca"},
    {0, 4095, 17, "3bd730a495e978b887544342"},
    {0, 4096, 18, "e4d99e7078c304820b056c8b"},
    {0, 4097, 19, "55b2d749967d4254d07fe876"},
    {0, 4113, 21, "19620d1c65cb8af3376c21b5"},
    {0, 32767, 48, "df306b0e5f70832514637839"},
    {0, 32768, 51, "42455fea2b661881b818c04b"},
    {0, 32769, 52, "3868d817713bfe94a298e5ad"},
    {0, 65535, 88, "c590d3bd14967a3f00c67015"},
    {0, 65536, 91, "26ee6c82e8d7dd145f2d1252"},
    {0, 65537, 92, "4947af3dc8df6ee020aef327"},
    {0, 100000, 137, "a31886e07e92a8e7006ba4ca"},
    {1, 0, 11, "461edc790a649ab4e40f307e"},
    {1, 1, 12, "b400e0678b91fa4566065146"},
    {1, 2, 13, "4899ef83757d690713b710dd"},
    {1, 3, 14, "36b18cb8cf29b4f5d42e3e17"},
    {1, 4, 15, "f0b4b8a5d19cb5a7441af270"},
    {1, 5, 16, "aa2f668b8e6e96565535ded0"},
    {1, 15, 26, "7dfaaf1e7a85a0d5265c2c32"},
    {1, 16, 27, "711722ecee73b10fbd76614a"},
    {1, 17, 28, "ab4ebfd7a8ac0d61769d5ff0"},
    {1, 18, 29, "d4bad0f7fd974d8b0b965c3b"},
    {1, 19, 30, "377b0cf4765b0e2843c5e8e2"},
    {1, 20, 31, "be3e3af096f362928c1669e0"},
    {1, 33, 44, "520f0563683d2839d07f4721"},
    {1, 100, 111, "7e80d7367a5be9aafcb68a3d"},
    {1, 1000, 1011, "78eae358c0396c0a932f0389"},
    {1, 4095, 4106, "fcc26576edeaa27d14f2beed"},
    {1, 4096, 4107, "a311b4bc48bc8d95d0bccb9a"},
    {1, 4097, 4108, "05064d4f58ffdef44be2ce83"},
    {1, 4113, 4124, "50a8b5acf6f941e8ee2af7fc"},
    {1, 32767, 32778, "4c6f9b064b443b8c9b06fd0d"},
    {1, 32768, 32782, "1efd8e9f6eeb2583d5dc8c23"},
    {1, 32769, 32783, "05c09e9892599a6fea983db1"},
    {1, 65535, 65549, "f4874c83dcb33fb8e7c3f9ed"},
    {1, 65536, 65553, "05c395b38fee5e544e759ab6"},
    {1, 65537, 65554, "f64d5e6582608178d13bdf75"},
    {1, 100000, 100020, "15c98b8d1f3c808fd2c28e18"},
    {2, 0, 11, "461edc790a649ab4e40f307e"},
    {2, 1, 12, "5774d0cfe41eab4fe9c6c05e"},
    {2, 2, 13, "34a67789e853126555da9344"},
    {2, 3, 14, "021a94261e9df6924d8e0b63"},
    {2, 4, 15, "c564ca66be54f03ec64f522a"},
    {2, 5, 16, "d1a435723e69f2894e9634b2"},
    {2, 15, 26, "7bafe819a70b63618ccffc13"},
    {2, 16, 27, "0e2af8e5af67ca3332e4eb9d"},
    {2, 17, 28, "2fc1daf578af306a8df433ff"},
    {2, 18, 29, "7b532448184608f255b656d4"},
    {2, 19, 30, "1b002b2ba3af16447106e9f2"},
    {2, 20, 31, "9ce7c3157a36724df4b507b5"},
    {2, 33, 44, "ae9e287a003c7841324b5e54"},
    {2, 100, 82, "a12d3a4a7ae5313b55d9f483"},
    {2, 1000, 435, "88cf400845d006a45e7413fb"},
    {2, 4095, 1491, "d3123eef210fa121305df624"},
    {2, 4096, 1544, "ff01fb2f9950711c839dd6f0"},
    {2, 4097, 1519, "2888ac636b78ff45448d39b4"},
    {2, 4113, 1556, "adb6b3dc92eced8c0c083b90"},
    {2, 32767, 11507, "3fa2999ed0bd1a0aa8d3b695"},
    {2, 32768, 11656, "a9377476524ee37a9f6445d6"},
    {2, 32769, 11667, "a432784fb2b598a74ae6e977"},
    {2, 65535, 23460, "c70e1e0fb249eec2d2723f83"},
    {2, 65536, 23238, "f512a3e32b70c6ac8f36718e"},
    {2, 65537, 23363, "a89ea02028c79ab52e415927"},
    {2, 100000, 35770, "e8231e7e1a2333b2b9111e08"},
    {3, 0, 11, "461edc790a649ab4e40f307e"},
    {3, 1, 12, "ddde308461d9966a19eb069b"},
    {3, 2, 13, "4e1ce4c4f66a186a21aca3c9"},
    {3, 3, 14, "cad1edc74dae326130bc2083"},
    {3, 4, 15, "3250dbf17cedb8daf9e8720f"},
    {3, 5, 16, "26a62a85778f907106c6220a"},
    {3, 15, 16, "a0b75c40283e0e8fe7f28680"},
    {3, 16, 17, "64c1c9f41fe69953c141b3f3"},
    {3, 17, 17, "fa133cfca3b755bea917b61c"},
    {3, 18, 17, "dd06f4ae64cc420e92d59b6c"},
    {3, 19, 17, "bbda6db3fb786f4797f63163"},
    {3, 20, 17, "6e789b37ee7a948e1abf7812"},
    {3, 33, 17, "128751f4efb6f2618b658661"},
    {3, 100, 62, "7a315c50ec6e05701d54b178"},
    {3, 1000, 647, "379b2ca9a28aec4c0c06de76"},
    {3, 4095, 2557, "1ea9c7315b1f47dda493475f"},
    {3, 4096, 2557, "0cc36038b0453c0ffa22b11e"},
    {3, 4097, 2557, "504a2c02ff8c8a45627435a0"},
    {3, 4113, 2557, "5b6e0ca67fb08d85894c4064"},
    {3, 32767, 18416, "dfc7145edc48b8a8b73b9f4b"},
    {3, 32768, 18419, "6cb0f3064bc4c5540bf9eefe"},
    {3, 32769, 18420, "836bf60ace43277b622bb232"},
    {3, 65535, 39206, "802707b706d855b6f9ff7969"},
    {3, 65536, 39210, "28d8c49f7ebef52a13a6c46a"},
    {3, 65537, 39211, "87ffddecaf96882712286a6c"},
    {3, 100000, 61281, "175cb6ba5efb4a13fba2060f"},
    {4, 0, 11, "461edc790a649ab4e40f307e"},
    {4, 1, 12, "ddde308461d9966a19eb069b"},
    {4, 2, 13, "7ccbc169beeed8ebe87a64b3"},
    {4, 3, 14, "bceb295be9e758fcd09c7490"},
    {4, 4, 15, "05eb8daee34b14a4d8524091"},
    {4, 5, 16, "dc70d36db5125d459197d7d4"},
    {4, 15, 16, "a0b75c40283e0e8fe7f28680"},
    {4, 16, 17, "f0ff64f56f9cf2c580a3cd3e"},
    {4, 17, 18, "b40fd0b2d96570c861b32416"},
    {4, 18, 17, "e1cc27a1eb1fe72609c13069"},
    {4, 19, 17, "ea2b4927ba4636e459069774"},
    {4, 20, 17, "6e789b37ee7a948e1abf7812"},
    {4, 33, 17, "2f442117ed541edb16b8825c"},
    {4, 100, 20, "1bee061f3a5cc7995bd9d37c"},
    {4, 1000, 17, "affcf19d2986c62ff473c2e2"},
    {4, 4095, 21, "7cc63a27af84de066e9a6191"},
    {4, 4096, 18, "6cdf0a5ea521c712be5df6c9"},
    {4, 4097, 19, "eb6d3dbee20f76c6bda83f7c"},
    {4, 4113, 23, "88b3a49a6d0b4e80d31c9423"},
    {4, 32767, 107, "6cb23ab432ebe66bf72e62d4"},
    {4, 32768, 87, "130c80218fb091f1b5c58abd"},
    {4, 32769, 85, "b214a3089d6817eee0ed9f14"},
    {4, 65535, 229, "cdfe8096524ab63a0de9cf2f"},
    {4, 65536, 197, "37c54676363e8060c52d5866"},
    {4, 65537, 240, "d940ad1ae69d5c5d7d06d778"},
    {4, 100000, 278, "ae5b7223107195911c9744dc"},
    {5, 0, 11, "461edc790a649ab4e40f307e"},
    {5, 1, 12, "604f1cf0fd09be6e763c5c0f"},
    {5, 2, 13, "b034e5844bfdfcdd220ac429"},
    {5, 3, 14, "f2064add13e58e8e7eb6f57e"},
    {5, 4, 15, "9617b49fc89e741d62e84d1c"},
    {5, 5, 16, "854dcbd652dd648c9222f822"},
    {5, 15, 20, "065ede8efbf7c9b83afe6810"},
    {5, 16, 27, "314b99dc7effac20cd439b6a"},
    {5, 17, 26, "b03d6ecdd31107a72be69141"},
    {5, 18, 26, "b4adf299e077901ee12e291b"},
    {5, 19, 23, "221844d5a19c7b2b94e8837c"},
    {5, 20, 20, "71509f2d57093f75b8b98f95"},
    {5, 33, 41, "deecdc5a470c23d5f498c435"},
    {5, 100, 43, "9a4095771a627b424d584bdc"},
    {5, 1000, 170, "62f0650cb21213cc0e63782d"},
    {5, 4095, 716, "41a4c712c00ae50a75685cae"},
    {5, 4096, 741, "30116fb271aabc27661844f1"},
    {5, 4097, 731, "282aab3fc83af302055bcd78"},
    {5, 4113, 661, "1628bc10be95e143a3348e7c"},
    {5, 32767, 5489, "b0f289ee9b9f573b8703a58b"},
    {5, 32768, 5592, "2aebfb2b849b3d1bc3f12172"},
    {5, 32769, 5593, "73f9b57297ba2b571316b69e"},
    {5, 65535, 11310, "f4e425c671a87d269001bdd1"},
    {5, 65536, 11192, "6ec057ab6f654775d6509d50"},
    {5, 65537, 11198, "48c8b42d8a7c4885673ac5c1"},
    {5, 100000, 16992, "3ba2b19dc9580dc4507fb69c"},
    {6, 0, 11, "461edc790a649ab4e40f307e"},
    {6, 1, 12, "de2d63e94ddc5db12cae2ae6"},
    {6, 2, 13, "c0b4bd366558e85c7a5609bc"},
    {6, 3, 14, "5daffcf9c7e12d84a02ab70c"},
    {6, 4, 15, "6548a59fcaca9a6a6b51be34"},
    {6, 5, 16, "b278a2b4b744544f87fec5e9"},
    {6, 15, 26, "86718bd6be715a103b2b67c3"},
    {6, 16, 27, "502eaff77bccd8ba2bedb2f7"},
    {6, 17, 28, "dfed978668edf9fb193bdbd9"},
    {6, 18, 29, "14c4cfa4f3811e4e15c9bcba"},
    {6, 19, 30, "b3546dab7403c3d94adfdfa2"},
    {6, 20, 25, "8ad6f5558a089e21c92bf311"},
    {6, 33, 29, "125341f55b06cb9a88cf1e0d"},
    {6, 100, 74, "f818c410fc954f598978de44"},
    {6, 1000, 666, "f9023231fb81368d1ac037f8"},
    {6, 4095, 2731, "0add88f73958517e0e1423d1"},
    {6, 4096, 2792, "84870df8d8394c141825a944"},
    {6, 4097, 2755, "074bd8ea26bb7e58d0731985"},
    {6, 4113, 2784, "c5482465ca9068e2285ea12a"},
    {6, 32767, 21936, "b15cf6ed83bff8269898a4dd"},
    {6, 32768, 21671, "684eb7cc634e4dd4dc004257"},
    {6, 32769, 22104, "98c799ef7e8b60c3ef4096dd"},
    {6, 65535, 43733, "df2a264f8cf1552685c11060"},
    {6, 65536, 43861, "5dfedfffdef5ad65a232628f"},
    {6, 65537, 44161, "b617d3102d334f4f891a2071"},
    {6, 100000, 67379, "45735b7f7c87e569320843d2"},
    {7, 0, 11, "461edc790a649ab4e40f307e"},
    {7, 1, 12, "d6361d5724cbcf919a7889db"},
    {7, 2, 13, "e51456183205e22b66264b9d"},
    {7, 3, 14, "aa57fc692c44ad80c53390cf"},
    {7, 4, 15, "05eb8daee34b14a4d8524091"},
    {7, 5, 16, "b3daac03b052f3a0744f194b"},
    {7, 15, 23, "31dc20837aaf33d9b0824609"},
    {7, 16, 23, "8b8a6d127ebd37bc3e73d4cd"},
    {7, 17, 24, "7c50bd329702d78fe616d412"},
    {7, 18, 25, "c0ee6589404926c5a0ad9298"},
    {7, 19, 27, "fa326181571c3907f4b8e789"},
    {7, 20, 27, "49bf0675cd436dc225156ba7"},
    {7, 33, 32, "5c299b2a9e686b672c4ffa37"},
    {7, 100, 68, "6a11e99cb23dd1ccf19f8245"},
    {7, 1000, 549, "39ec587ec11e369b399a6575"},
    {7, 4095, 2217, "ed67d1c45b3bb44b67cc0be0"},
    {7, 4096, 2211, "14d5518b132b9bc30c181887"},
    {7, 4097, 2225, "e059ddd0f1c5c12bd9f82861"},
    {7, 4113, 2159, "3b8092f5d70246e5ced7efe3"},
    {7, 32767, 17307, "a6302bbb1089ebe3b691c918"},
    {7, 32768, 17485, "c3972e86a65e8b8ad4812418"},
    {7, 32769, 17509, "8ce112c6145c912a88b4e51f"},
    {7, 65535, 34929, "cc5ece564fed6f573e6683d6"},
    {7, 65536, 34837, "8e657c9dba66b0086f567395"},
    {7, 65537, 34806, "b0b47d95cd2294da6da11c59"},
    {7, 100000, 53189, "c64752177e8bdce33af8753f"},
    {8, 0, 11, "461edc790a649ab4e40f307e"},
    {8, 1, 12, "10bdc326cac46371f7121335"},
    {8, 2, 13, "3e8985e617a139bf87cd139c"},
    {8, 3, 14, "db383517b5feb9716963a7f9"},
    {8, 4, 15, "d8d952f25f096ef7b8cf0714"},
    {8, 5, 16, "3e8ca6996ca623f7ae6c5e3d"},
    {8, 15, 26, "e158670429171b59f0f5b2dd"},
    {8, 16, 27, "b1e5340e77d4c1af86e6abc6"},
    {8, 17, 28, "30a6fb4d71332fe513f02afe"},
    {8, 18, 29, "833472b61498ac70f35981d3"},
    {8, 19, 30, "fbffa66e197a3d7250b959d0"},
    {8, 20, 31, "cc36e2ad9eebd2dbbe3e377a"},
    {8, 33, 44, "eefa8532db7ac3ce45ccaa5e"},
    {8, 100, 111, "9956baac1f1bbb8bc9273d4a"},
    {8, 1000, 1003, "7045a14ba17ca19c5aa819eb"},
    {8, 4095, 4087, "e547faf672807e5fc5e77aeb"},
    {8, 4096, 4064, "dd3984f73dd1eaafc1660cb5"},
    {8, 4097, 4074, "532edc3c8e17c6f0cde77bbc"},
    {8, 4113, 4107, "f7f27e815d5767e19cede332"},
    {8, 32767, 32488, "48bbbe11b8475dc7fbc2ca17"},
    {8, 32768, 32558, "5532f2b3441c4d86d989cca6"},
    {8, 32769, 32483, "1761d984e4dd65cb8a35f6a7"},
    {8, 65535, 64988, "8fdf3689ebfea127f87c92f9"},
    {8, 65536, 64958, "12343c0f0e167eb46b0b3631"},
    {8, 65537, 65063, "f06c6c741fd9cf53ccda7c40"},
    {8, 100000, 99045, "dcb23ddd6e6159f98ad839a5"},
};

} // namespace

void TestLzrw1::goldenOutput_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("packedSize");
    QTest::addColumn<Bytes>("packedDigest");
    for (const Golden &g : goldens)
        QTest::addRow("kind %d size %d", g.kind, g.size) << g.kind << g.size << g.packedSize << Bytes(g.digest);
}

void TestLzrw1::goldenOutput()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(int, packedSize);
    QFETCH(Bytes, packedDigest);
    const Bytes input = goldenInput(kind, size);
    const Bytes packed = pack(input);
    if (qEnvironmentVariableIsSet("LZRW1_PRINT_GOLDEN"))
        qInfo("    {%d, %d, %d, \"%s\"},", kind, size, int(packed.size()), digest(packed).constData());
    QCOMPARE(packed.size(), packedSize);
    QCOMPARE(digest(packed), packedDigest);
    QCOMPARE(unpack(packed), input);
}

void TestLzrw1::goldenBenchCorpus()
{
    // 8 MiB of the benchmark's corpus: what it times is what is pinned.
    const Bytes input = benchCorpus(8 << 20);
    const Bytes packed = pack(input);
    if (qEnvironmentVariableIsSet("LZRW1_PRINT_GOLDEN"))
        qInfo("bench: %d %s", int(packed.size()), digest(packed).constData());
    QCOMPARE(packed.size(), 4896142);
    QCOMPARE(digest(packed), Bytes("6eab70b2783ac5260c2acb22"));
    QCOMPARE(unpack(packed), input);
}

void TestLzrw1::goldenSmallInputs()
{
    // Thousands of short inputs, where the ends of the block decide most
    // items; pinned together.
    QCryptographicHash all(QCryptographicHash::Sha256);
    GoldenRng rng(99);
    for (quint32 i = 0; i < 4000; ++i) {
        const Bytes input = goldenInput(int(i % 9), int(rng.below(600)), i + 1);
        const Bytes packed = pack(input);
        QCOMPARE(unpack(packed), input);
        all.addData(packed);
    }
    if (qEnvironmentVariableIsSet("LZRW1_PRINT_GOLDEN"))
        qInfo("small: %s", all.result().toHex().left(24).constData());
    QCOMPARE(all.result().toHex().left(24), Bytes("74134bcec2a21599a7786685"));
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

void TestLzrw1::overlappingCopies()
{
    // Every offset smaller than the length copies bytes it has just written.
    // With a lead-in of 16 literals the copies sit in a later control word,
    // far from both ends of the block, where the decoder takes a whole word
    // at once; without it, in the first word, which it takes item by item.
    for (int lead : {0, 16}) {
        for (int offset = 1; offset <= 24; ++offset) {
            for (int len = 3; len <= 18; ++len) {
                for (int before : {0, 1, 7}) {
                    Bytes expected(lead, '-');
                    for (int i = 0; i < offset + before; ++i)
                        expected += char('A' + i % 26);
                    BlockWriter w;
                    w.literals(expected);
                    w.copy(offset, len);
                    for (int k = 0; k < len; ++k)
                        expected += expected[expected.size() - offset];
                    // A second copy right behind the first, then literals.
                    w.copy(offset, 18);
                    for (int k = 0; k < 18; ++k)
                        expected += expected[expected.size() - offset];
                    const Bytes tail = lead ? Bytes("z") + Bytes(60, 'y') : Bytes("z");
                    w.literals(tail);
                    expected += tail;
                    const auto got = decodeBlock(w.out);
                    QVERIFY2(std::holds_alternative<Bytes>(got), qPrintable(describe(got)));
                    QCOMPARE(std::get<Bytes>(got), expected);
                    QCOMPARE(unpack(container(quint32(expected.size()), {w.out})), expected);
                }
            }
        }
    }
}

void TestLzrw1::itemsMidBlock_data()
{
    QTest::addColumn<Bytes>("block");

    // A second control word far from both ends of the block, holding items
    // the whole-word path hands back to the checked one at any position:
    // runs, copies from fewer than 8 bytes back, copies from before the
    // block, and a copy from exactly the block's start.
    const Bytes lead = "0123456789abcdef"; // the first word: 16 literals
    auto word = [&](int at, const std::function<void(BlockWriter &)> &item) {
        BlockWriter w;
        w.literals(lead);
        for (int i = 0; i < at; ++i)
            i % 2 ? w.copy(9 + i, 3 + i % 16) : w.literal(char('g' + i));
        item(w);
        for (int i = at + 1; i < 16; ++i)
            i % 3 ? w.literal(char('G' + i)) : w.copy(12, 5);
        w.literals(Bytes(40, 't')); // keeps the input end far away
        return w.out;
    };
    for (int at : {0, 1, 7, 14, 15}) {
        QTest::addRow("run at item %d", at) << word(at, [](BlockWriter &w) { w.run(100, 'r'); });
        QTest::addRow("run of 4111 at item %d", at) << word(at, [](BlockWriter &w) { w.run(4111, 'R'); });
        for (int offset : {1, 2, 5, 7, 8})
            QTest::addRow("offset %d at item %d", offset, at)
                << word(at, [offset](BlockWriter &w) { w.copy(offset, 18); });
        QTest::addRow("copy from the block's start at item %d", at)
            << word(at, [](BlockWriter &w) { w.copy(4095, 3); });
    }
    // Offsets measured from the output reached at each item.
    for (int at : {0, 5, 15}) {
        int reached = 16;
        for (int i = 0; i < at; ++i)
            reached += i % 2 ? 3 + i % 16 : 1;
        QTest::addRow("copy from exactly the start at item %d", at)
            << word(at, [reached](BlockWriter &w) { w.copy(reached, 4); });
        QTest::addRow("copy from one before the start at item %d", at)
            << word(at, [reached](BlockWriter &w) { w.copy(reached + 1, 4); });
    }
}

void TestLzrw1::itemsMidBlock()
{
    QFETCH(Bytes, block);
    const auto got = decodeBlock(block);
    const auto expected = referenceDecode(block);
    QCOMPARE(describe(got), describe(expected));
}

void TestLzrw1::itemsAtBlockEnd_data()
{
    QTest::addColumn<Bytes>("block");
    QTest::addColumn<QString>("result"); // an error text, or "N bytes" when it decodes

    const QString overflow = QStringLiteral("Lzrw1 (decompression LZRW1/KH) : block decodes to more than 32768 bytes !");
    const QString pastEnd = QStringLiteral("Lzrw1 (decompression LZRW1/KH) : coded item runs past the end of its block !");
    // Runs fill the output up to `room` bytes before its end.
    auto filled = [](int room) {
        BlockWriter w;
        int left = 32768 - room;
        w.literals("0123456789abcdefghijklmnopqrstuvwxyz"); // material for copies
        left -= 36;
        while (left > 0) {
            const int count = std::min(left, 4111);
            w.run(count, char('a' + left % 7));
            left -= count;
        }
        return w;
    };
    for (int len = 3; len <= 18; ++len) {
        for (int offset : {1, 2, 3, 7, 8, 17, 18, 19, 30}) {
            QTest::addRow("copy %d at offset %d fills the block", len, offset)
                << filled(len).copy(offset, len).out << QStringLiteral("32768 bytes");
            QTest::addRow("copy %d at offset %d one past the end", len, offset)
                << filled(len - 1).copy(offset, len).out << overflow;
        }
    }
    for (int k : {1, 2, 5, 15, 16, 17, 40}) {
        QTest::addRow("%d literals fill the block", k)
            << filled(k).literals(Bytes(k, 'L')).out << QStringLiteral("32768 bytes");
        QTest::addRow("%d literals one past the end", k)
            << filled(k).literals(Bytes(k + 1, 'L')).out << overflow;
        QTest::addRow("%d literals, input ends first", k)
            << filled(40).literals(Bytes(k, 'L')).out << QStringLiteral("%1 bytes").arg(32728 + k);
    }
    QTest::newRow("run fills the block") << filled(100).run(100, 'r').out << QStringLiteral("32768 bytes");
    QTest::newRow("run one past the end") << filled(100).run(101, 'r').out << overflow;
    QTest::newRow("literal after a full block") << filled(0).literal('x').out << overflow;
    QTest::newRow("copy after a full block") << filled(0).copy(1, 3).out << overflow;
    QTest::newRow("control word, then nothing")
        << BlockWriter().literals(Bytes(16, 'a')).literal('b').out.chopped(1) << QStringLiteral("16 bytes");
    QTest::newRow("half a control word") << BlockWriter().literals(Bytes(16, 'a')).literal('b').out.chopped(2)
                                         << pastEnd;
    QTest::newRow("control word says copy, block ends")
        << BlockWriter().literals("abc").copy(3, 3).out.chopped(2) << QStringLiteral("3 bytes");
    QTest::newRow("half a copy") << BlockWriter().literals("abc").copy(3, 3).out.chopped(1) << pastEnd;
    QTest::newRow("three quarters of a run") << BlockWriter().literals("abc").run(20, 'x').out.chopped(1) << pastEnd;
    QTest::newRow("literal bits past the last byte")
        << BlockWriter().literals("abcdefghij").out << QStringLiteral("10 bytes");
    QTest::newRow("flag 0x00 decodes as coded") << Bytes(1, '\0') + BlockWriter().literals("abc").out.mid(1)
                                                << QStringLiteral("3 bytes");
    QTest::newRow("two bytes decode to nothing") << hex("40 80") << QStringLiteral("0 bytes");
    QTest::newRow("stored, one byte") << hex("80 61") << QStringLiteral("1 bytes");
}

void TestLzrw1::itemsAtBlockEnd()
{
    QFETCH(Bytes, block);
    QFETCH(QString, result);
    const auto got = decodeBlock(block);
    const auto expected = referenceDecode(block);
    QCOMPARE(describe(got), describe(expected));
    if (const auto *b = std::get_if<Bytes>(&got)) {
        QCOMPARE(QStringLiteral("%1 bytes").arg(b->size()), result);
        QCOMPARE(*b, std::get<Bytes>(expected));
    } else {
        QCOMPARE(std::get<QString>(got), result);
    }
}

void TestLzrw1::decoderMatchesReference()
{
    // Thousands of hostile blocks: each must give the plain decoder's
    // result, and all of them together what the decoder gave when the
    // golden set was taken.
    GoldenRng rng(2024);
    QCryptographicHash all(QCryptographicHash::Sha256);
    int errors = 0;
    for (int i = 0; i < 3000; ++i) {
        const Bytes block = hostileBlock(rng);
        const auto got = decodeBlock(block);
        const auto expected = referenceDecode(block);
        if (describe(got) != describe(expected) ||
            (std::holds_alternative<Bytes>(got) && std::get<Bytes>(got) != std::get<Bytes>(expected)))
            QFAIL(qPrintable(QStringLiteral("block %1 (%2 bytes, %3): %4, the plain decoder: %5")
                                 .arg(i).arg(block.size()).arg(QString::fromLatin1(block.left(24).toHex()))
                                 .arg(describe(got), describe(expected))));
        errors += std::holds_alternative<QString>(got);
        all.addData(describe(got).toUtf8());
        all.addData(QByteArrayView("\n"));
    }
    QVERIFY(errors > 300 && errors < 2700); // both outcomes are well covered
    if (qEnvironmentVariableIsSet("LZRW1_PRINT_GOLDEN"))
        qInfo("decoder: %d %s", errors, all.result().toHex().left(24).constData());
    QCOMPARE(all.result().toHex().left(24), Bytes("39d8563176405c941f1fdd3c"));
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
