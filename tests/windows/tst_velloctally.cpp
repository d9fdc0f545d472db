// SPDX-License-Identifier: MIT
// velloc-tally, the command-line companion: what players and support see.
#include "tallygrid.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int code = -1;
    QByteArray out, err;
};

Run velloctally(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VELLOC_BIN_DIR "/velloc-tally"), args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestVellocTally : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void compressAndDecompress();
    void failures_data();
    void failures();
    void showPrintsTheTable();
};

void TestVellocTally::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral(VELLOC_BIN_DIR "/velloc-tally")), "velloc-tally is not built");
}

void TestVellocTally::compressAndDecompress()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("notes.txt"));
    const QString packed = dir.filePath(QStringLiteral("notes.tld"));
    const QString back = dir.filePath(QStringLiteral("back.txt"));
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + QByteArray::number(i % 37) + "\r\n";
    writeFile(in, text);

    Run r = velloctally({QStringLiteral("compress"), in, packed});
    QCOMPARE(r.code, 0);
    QVERIFY(readFile(packed).startsWith("WRZL"));
    QCOMPARE(r.out.trimmed(), QByteArray::number(readFile(packed).size()) + " bytes written to " + packed.toLocal8Bit());

    r = velloctally({QStringLiteral("decompress"), packed, back});
    QCOMPARE(r.code, 0);
    QCOMPARE(readFile(back), text);
}

void TestVellocTally::failures_data()
{
    QTest::addColumn<QStringList>("args"); // %d stands for the temporary folder
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");

    QTest::newRow("bad header") << QStringList{"decompress", "%d/junk", "%d/out"} << 1
                                << "%d/junk : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("missing input") << QStringList{"compress", "%d/none", "%d/out"} << 1
                                   << "Lzrw1 compression : Failed to obtain the size of : %d/none";
    QTest::newRow("show a damaged tally") << QStringList{"show", "%d/junk"} << 1
                                          << "%d/junk : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("no command") << QStringList{} << 2 << "usage: velloc-tally show FILE";
    QTest::newRow("unknown command") << QStringList{"list", "%d/junk"} << 2 << "usage: velloc-tally show FILE";
}

void TestVellocTally::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, error);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("junk")), "JUNK and more junk");
    args.replaceInStrings(QStringLiteral("%d"), dir.path());
    error.replace(QStringLiteral("%d"), dir.path());

    const Run r = velloctally(args);
    QCOMPARE(r.code, code);
    QCOMPARE(QString::fromLocal8Bit(r.err).split(QLatin1Char('\n')).first(), error);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out"))));
}

void TestVellocTally::showPrintsTheTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Chickenfoottally.tld"));
    TallyGrid g;
    g.addOpponent(QStringLiteral("Klot"));
    g.addOpponent(QStringLiteral("Annabelle"));
    g.addgame(QStringLiteral("Klot"), false, {QStringLiteral("Klot"), QStringLiteral("Annabelle")});
    g.addgame(QStringLiteral("x"), true, {QStringLiteral("Klot")});
    QVERIFY(TallyFile(path).save(g));

    const Run r = velloctally({QStringLiteral("show"), path});
    QCOMPARE(r.code, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.first(), QByteArray("Your total tally: 2 games, 1 win"));
    auto find = [&lines](const QByteArray &start) {
        for (const QByteArray &l : lines)
            if (l.startsWith(start))
                return l.simplified();
        return QByteArray();
    };
    QCOMPARE(find("Klot "), QByteArray("Klot 2 1 1 0 | 2 1 1 0"));
    QCOMPARE(find("Annabelle "), QByteArray("Annabelle 1 0 0 1 | 1 0 0 1"));

    const QString empty = dir.filePath(QStringLiteral("new.tld"));
    QVERIFY(TallyFile(empty).save(TallyGrid()));
    const Run none = velloctally({QStringLiteral("show"), empty});
    QCOMPARE(none.code, 0);
    QVERIFY(none.out.contains("No players are being tallied."));
}

QTEST_GUILESS_MAIN(TestVellocTally)
#include "tst_velloctally.moc"
