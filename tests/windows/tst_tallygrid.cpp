// SPDX-License-Identifier: MIT
// The tally's score grid and its file: counting, the grid text, damaged
// input, and saves that never lose the history.
#include "tallygrid.h"

#include "lzrw1kh.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Grid text from one value per line, as the grid is written.
QByteArray lines(const QStringList &values)
{
    QByteArray text;
    for (const QString &v : values)
        text += v.toLatin1() + "\r\n";
    return text;
}

QByteArray packed(const QByteArray &text)
{
    const auto v = lzrw1kh::compressBuffer(text.constData(), std::size_t(text.size()));
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

QByteArray unpacked(const QByteArray &bytes)
{
    const auto v = lzrw1kh::decompressBuffer(bytes.constData(), std::size_t(bytes.size()));
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList row(const TallyGrid &g, int r)
{
    QStringList cells;
    for (int c = 0; c < TallyGrid::ColCount; ++c)
        cells.append(g.cell(c, r));
    return cells;
}

// The example tally: Klot after two games, one won by Klot, one by the player.
const QStringList KlotExample = {"9", "2", "0", "Klot", "2", "2", "1", "1", "0", "1", "0", "0",
                                 "0", "2", "0", "1", "0", "1", "0", "0"};

} // namespace

class TestTallyGrid : public QObject {
    Q_OBJECT

private slots:
    void freshGridText();
    void exampleText();
    void readsText_data();
    void readsText();
    void rejectsText_data();
    void rejectsText();
    void counting_data();
    void counting();
    void namesCannotBreakTheText();
    void namesInTheWindowsCodePage();
    void moverow_data();
    void moverow();
    void resetThenGame();
    void startSession();

    void fileMissingIsFirstRun();
    void fileRoundTrip();
    void unreadableFileIsKeptAside_data();
    void unreadableFileIsKeptAside();
    void secondUnreadableFileKeepsFirst();
    void failedSaveKeepsOldFile();
    void saveIntoMissingFolderFails();
    void noWorkingFileAnywhere();
};

void TestTallyGrid::freshGridText()
{
    QCOMPARE(TallyGrid().toText(), QByteArray("9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
}

void TestTallyGrid::exampleText()
{
    TallyGrid g;
    g.addOpponent(QStringLiteral("Klot"));
    g.addgame(QStringLiteral("Klot"), false, {QStringLiteral("Klot")});
    g.addgame(QStringLiteral("addtomine"), true, {QStringLiteral("Klot")});
    QCOMPARE(g.toText(), lines(KlotExample));

    TallyGrid back;
    QString error;
    QVERIFY(TallyGrid::fromText(g.toText(), back, &error));
    QCOMPARE(back.toText(), g.toText());
}

void TestTallyGrid::readsText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("lastRow");

    QTest::newRow("example") << lines(KlotExample) << 2
                             << QStringList{"Klot", "2", "1", "1", "0", "2", "1", "1", "0"};
    QByteArray lf = lines(KlotExample);
    lf.replace("\r\n", "\n");
    QTest::newRow("LF line ends") << lf << 2 << QStringList{"Klot", "2", "1", "1", "0", "2", "1", "1", "0"};
    QByteArray noFinalBreak = lines(KlotExample);
    noFinalBreak.chop(2);
    QTest::newRow("no final line break") << noFinalBreak << 2
                                         << QStringList{"Klot", "2", "1", "1", "0", "2", "1", "1", "0"};
    QTest::newRow("cut off after column 1")
        << lines({"9", "3", "0", "A", "B", "5", "6", "7"}) << 3 << QStringList{"B", "7", "", "", "", "", "", "", ""};
    QTest::newRow("row count above the lines present")
        << lines({"9", "2000000000", "0", "A", "B"}) << 3 << QStringList{"B", "", "", "", "", "", "", "", ""};
    QTest::newRow("huge row count, nothing after")
        << lines({"9", "999999999999"}) << 1 << QStringList{"", "", "", "", "", "", "", "", ""};
    QTest::newRow("counters that are not numbers")
        << lines({"9", "2", "0", "Bo", "x", "", "1", "1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"})
        << 2 << QStringList{"Bo", "", "1", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("stray carriage return in a name")
        << lines({"9", "2", "0", "Bo\rb", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"})
        << 2 << QStringList{"Bo b", "0", "0", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("blanks around the counts") << lines({" 9 ", "+1", "0", "1", "2", "3", "4", "5", "6", "7", "8"}) << 1
                                              << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8"};
}

void TestTallyGrid::readsText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, rows);
    QFETCH(QStringList, lastRow);
    TallyGrid g;
    QString error;
    QVERIFY2(TallyGrid::fromText(text, g, &error), qPrintable(error));
    QCOMPARE(g.rowCount(), rows);
    QCOMPARE(row(g, rows - 1), lastRow);
    // Whatever was read counts on without trouble.
    g.addgame(QStringLiteral("x"), true, g.opponents());
    QVERIFY(g.cell(1, 0).toInt() >= 1);
    for (int r = 1; r < g.rowCount(); ++r)
        for (int c = 1; c < TallyGrid::ColCount; ++c) {
            bool ok = false;
            g.cell(c, r).toInt(&ok);
            QVERIFY2(ok, qPrintable(QStringLiteral("cell %1,%2").arg(c).arg(r)));
        }
}

void TestTallyGrid::rejectsText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("eight columns") << lines({"8", "1", "0", "0", "0", "0", "0", "0", "0", "0"});
    QTest::newRow("huge column count") << lines({"2147483647", "1", "0"});
    QTest::newRow("column count not a number") << lines({"nine", "1"});
    QTest::newRow("row count missing") << lines({"9"});
    QTest::newRow("row count zero") << lines({"9", "0", "0"});
    QTest::newRow("row count negative") << lines({"9", "-3", "0"});
    QTest::newRow("row count not a number") << lines({"9", "two", "0"});
    QTest::newRow("binary") << QByteArray("\x01\xff\x00garbage", 10);
}

void TestTallyGrid::rejectsText()
{
    QFETCH(QByteArray, text);
    TallyGrid g;
    g.addOpponent(QStringLiteral("Kept"));
    QString error;
    QVERIFY(!TallyGrid::fromText(text, g, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(g.opponents(), QStringList{"Kept"}); // untouched on failure
}

void TestTallyGrid::counting_data()
{
    QTest::addColumn<QStringList>("tallied");
    QTest::addColumn<QStringList>("atTable");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<bool>("localWon");
    QTest::addColumn<QStringList>("mine");     // row 0, cells 1 and 2
    QTest::addColumn<QStringList>("expected"); // per tallied row: cells 1 to 8 joined by ","

    QTest::newRow("player wins, one tallied opponent")
        << QStringList{"Klot"} << QStringList{"Klot"} << "addtomine" << true << QStringList{"1", "1"}
        << QStringList{"1,0,1,0,1,0,1,0"};
    QTest::newRow("opponent wins") << QStringList{"Klot"} << QStringList{"Klot", "Ann"} << "Klot" << false
                                   << QStringList{"1", "0"} << QStringList{"1,1,0,0,1,1,0,0"};
    QTest::newRow("third player wins") << QStringList{"Klot"} << QStringList{"Klot", "Ann"} << "Ann" << false
                                       << QStringList{"1", "0"} << QStringList{"1,0,0,1,1,0,0,1"};
    QTest::newRow("untallied opponent at the table") << QStringList{} << QStringList{"Ann"} << "Ann" << false
                                                     << QStringList{"1", "0"} << QStringList{};
    QTest::newRow("tallied opponent not at the table")
        << QStringList{"Klot", "Bo"} << QStringList{"Bo"} << "Bo" << false << QStringList{"1", "0"}
        << QStringList{"0,0,0,0,0,0,0,0", "1,1,0,0,1,1,0,0"};
    QTest::newRow("tallied found case-blind, winner compared exactly")
        << QStringList{"Klot"} << QStringList{"KLOT"} << "KLOT" << false << QStringList{"1", "0"}
        << QStringList{"1,0,0,1,1,0,0,1"};
    QTest::newRow("a peer named addtomine wins") << QStringList{"addtomine"} << QStringList{"addtomine"}
                                                 << "addtomine" << false << QStringList{"1", "0"}
                                                 << QStringList{"1,1,0,0,1,1,0,0"};
    QTest::newRow("player wins against a namesake") << QStringList{"Me"} << QStringList{"Me"} << "Me" << true
                                                    << QStringList{"1", "1"} << QStringList{"1,0,1,0,1,0,1,0"};
    QTest::newRow("winner name with a line break")
        << QStringList{"Bad\nName"} << QStringList{"Bad\nName"} << "Bad\nName" << false << QStringList{"1", "0"}
        << QStringList{"1,1,0,0,1,1,0,0"};
}

void TestTallyGrid::counting()
{
    QFETCH(QStringList, tallied);
    QFETCH(QStringList, atTable);
    QFETCH(QString, winner);
    QFETCH(bool, localWon);
    QFETCH(QStringList, mine);
    QFETCH(QStringList, expected);

    TallyGrid g;
    for (const QString &n : tallied)
        g.addOpponent(n);
    g.addgame(winner, localWon, atTable);
    QCOMPARE((QStringList{g.cell(1, 0), g.cell(2, 0)}), mine);
    QCOMPARE(g.cell(3, 0), QStringLiteral("0"));
    QCOMPARE(g.cell(4, 0), QStringLiteral("0"));
    QCOMPARE(g.rowCount(), 1 + tallied.size());
    for (int r = 1; r < g.rowCount(); ++r)
        QCOMPARE(row(g, r).mid(1).join(QLatin1Char(',')), expected[r - 1]);
}

void TestTallyGrid::namesCannotBreakTheText()
{
    QCOMPARE(sanitizeName(QStringLiteral("a\r\nb\tc\x7f" "d\u2028e")), QStringLiteral("a  b c d e"));
    TallyGrid g;
    g.addOpponent(QStringLiteral("Evil\r\n9\r\n5"));
    g.addOpponent(QStringLiteral("Next"));
    TallyGrid back;
    QString error;
    QVERIFY(TallyGrid::fromText(g.toText(), back, &error));
    QCOMPARE(back.opponents(), (QStringList{"Evil  9  5", "Next"}));
    QCOMPARE(row(back, 2), (QStringList{"Next", "0", "0", "0", "0", "0", "0", "0", "0"}));
}

// Names are stored in the Windows code page, like the wire's: a Windows
// player called "Šimon €" is the same row in both programs.
void TestTallyGrid::namesInTheWindowsCodePage()
{
    TallyGrid g;
    g.addOpponent(QString::fromUtf8("\u0160imon \u20ac"));
    const QByteArray text = g.toText();
    QVERIFY(text.contains("\x8Aimon \x80\r\n"));
    TallyGrid back;
    QString error;
    QVERIFY(TallyGrid::fromText(text, back, &error));
    QCOMPARE(back.opponents(), QStringList{QString::fromUtf8("\u0160imon \u20ac")});
}

void TestTallyGrid::moverow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("middle of three") << 2 << QStringList{"A", "C"};
    QTest::newRow("first") << 1 << QStringList{"B", "C"};
    QTest::newRow("last") << 3 << QStringList{"A", "B"};
    QTest::newRow("the player's row stays") << 0 << QStringList{"A", "B", "C"};
    QTest::newRow("past the end") << 4 << QStringList{"A", "B", "C"};
}

void TestTallyGrid::moverow()
{
    QFETCH(int, row);
    QFETCH(QStringList, left);
    TallyGrid g;
    for (const char *n : {"A", "B", "C"}) {
        const int r = g.addOpponent(QString::fromLatin1(n));
        g.setCell(1, r, QString::number(r * 10));
    }
    g.moverow(row);
    QCOMPARE(g.opponents(), left);
    for (int r = 1; r < g.rowCount(); ++r) // counters travel with their names
        QCOMPARE(g.cell(1, r).toInt(), 10 * (g.cell(0, r).at(0).unicode() - 'A' + 1));
    QVERIFY(g.toText().startsWith("9\r\n" + QByteArray::number(1 + left.size()) + "\r\n"));
}

void TestTallyGrid::resetThenGame()
{
    TallyGrid g;
    g.addOpponent(QStringLiteral("A"));
    g.addgame(QStringLiteral("x"), true, {QStringLiteral("A")});
    g.reset();
    QCOMPARE(g.rowCount(), 1);
    QCOMPARE(row(g, 0), (QStringList{"", "0", "0", "0", "0", "", "", "", ""}));
    g.addgame(QStringLiteral("x"), true, {QStringLiteral("A")});
    QCOMPARE(g.cell(1, 0), QStringLiteral("1"));
    QCOMPARE(g.cell(2, 0), QStringLiteral("1"));

    TallyGrid alone; // without opponents, row 0 keeps its zeros
    alone.reset();
    QCOMPARE(row(alone, 0), (QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0"}));
}

void TestTallyGrid::startSession()
{
    TallyGrid g;
    g.addOpponent(QStringLiteral("A"));
    g.addgame(QStringLiteral("A"), false, {QStringLiteral("A")});
    g.startSession();
    QCOMPARE(row(g, 1), (QStringList{"A", "1", "1", "0", "0", "0", "0", "0", "0"}));
}

void TestTallyGrid::fileMissingIsFirstRun()
{
    QTemporaryDir dir;
    TallyFile file(dir.filePath(QStringLiteral("Chickenfoottally.tld")));
    TallyGrid g;
    g.addOpponent(QStringLiteral("stale"));
    QVERIFY(file.load(g));
    QVERIFY(file.errorText().isEmpty());
    QCOMPARE(g.toText(), TallyGrid().toText());
    QVERIFY(file.save(g));
    QCOMPARE(unpacked(readFile(file.path())), TallyGrid().toText());
}

void TestTallyGrid::fileRoundTrip()
{
    QTemporaryDir dir;
    TallyFile file(dir.filePath(QStringLiteral("Chickenfoottally.tld")));
    TallyGrid g;
    for (int i = 0; i < 300; ++i)
        g.addOpponent(QStringLiteral("Player %1 \u00e9").arg(i));
    g.addgame(QStringLiteral("Player 7 \u00e9"), false, g.opponents());
    QVERIFY(file.save(g));
    QCOMPARE(readFile(file.path()).left(4), QByteArray("WRZL"));
    TallyGrid back;
    QVERIFY(file.load(back));
    QCOMPARE(back.toText(), g.toText());
    QCOMPARE(back.cell(0, 8), QStringLiteral("Player 7 \u00e9"));
}

void TestTallyGrid::unreadableFileIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no valid header") << QByteArray("not a tally at all")
                                     << "this file has no valid header !";
    QTest::newRow("sizes differ") << packed("9\r\n1\r\n").replace(4, 1, "\x09")
                                  << "Original and compressed sizes do not match !";
    QTest::newRow("not a grid") << packed(lines({"7", "1", "0"})) << "columns";
    QTest::newRow("empty file") << QByteArray() << "Error reading from input file";
    QTest::newRow("absurd stored size") << packed("9\r\n1\r\n").replace(4, 4, "\xff\xff\xff\x7f")
                                        << "too large";
}

void TestTallyGrid::unreadableFileIsKeptAside()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Chickenfoottally.tld"));
    writeFile(path, content);

    TallyFile file(path);
    TallyGrid g;
    QVERIFY(!file.load(g));
    QCOMPARE(g.toText(), TallyGrid().toText());
    QVERIFY2(file.errorText().contains(reason), qPrintable(file.errorText()));
    QCOMPARE(file.badPath(), path + ".bad");
    QVERIFY2(file.errorText().contains(path + ".bad"), qPrintable(file.errorText()));
    QCOMPARE(readFile(path), content); // nothing moved before the first save

    g.addgame(QStringLiteral("x"), true, {});
    QVERIFY(file.save(g));
    QCOMPARE(readFile(path + ".bad"), content);
    QCOMPARE(unpacked(readFile(path)), g.toText());
    QVERIFY(file.save(g)); // later saves just replace the new file
    QCOMPARE(readFile(path + ".bad"), content);
}

void TestTallyGrid::secondUnreadableFileKeepsFirst()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Chickenfoottally.tld"));
    writeFile(path + ".bad", "first");
    writeFile(path, "second");
    TallyFile file(path);
    TallyGrid g;
    QVERIFY(!file.load(g));
    QCOMPARE(file.badPath(), path + ".bad.2");
    QVERIFY(file.save(g));
    QCOMPARE(readFile(path + ".bad"), QByteArray("first"));
    QCOMPARE(readFile(path + ".bad.2"), QByteArray("second"));
}

void TestTallyGrid::failedSaveKeepsOldFile()
{
    // A full disk midway through the save, made with a file size limit
    // (which binds root too).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Chickenfoottally.tld"));
    TallyFile file(path);
    TallyGrid old;
    old.addOpponent(QStringLiteral("Klot"));
    QVERIFY(file.save(old));
    const QByteArray before = readFile(path);

    TallyGrid big;
    QRandomGenerator rng(3);
    for (int i = 0; i < 2000; ++i)
        big.addOpponent(QString::number(rng.generate64(), 36));
    QVERIFY(packed(big.toText()).size() > 8192);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = file.save(big);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Chickenfoottally.tld"});
    QVERIFY(file.save(big)); // and the next save, with room, succeeds
    QCOMPARE(unpacked(readFile(path)), big.toText());
}

// The user's data folder is made on the first save; a folder that cannot
// be made (a file stands in its place) makes the save fail, not crash.
void TestTallyGrid::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    TallyFile fresh(dir.filePath(QStringLiteral("velloc/Chickenfoottally.tld")));
    QVERIFY(fresh.save(TallyGrid()));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("velloc/Chickenfoottally.tld"))));
    writeFile(dir.filePath(QStringLiteral("afile")), "x");
    TallyFile blocked(dir.filePath(QStringLiteral("afile/Chickenfoottally.tld")));
    QVERIFY(!blocked.save(TallyGrid()));
}

void TestTallyGrid::noWorkingFileAnywhere()
{
    QTemporaryDir work, folder;
    writeFile(work.filePath(QStringLiteral("temp.txt")), "the player's own file");
    const QString oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    TallyFile file(folder.filePath(QStringLiteral("Chickenfoottally.tld")));
    TallyGrid g;
    file.load(g);
    g.addOpponent(QStringLiteral("A"));
    const bool saved = file.save(g);
    file.load(g);
    QDir::setCurrent(oldCwd);
    QVERIFY(saved);
    QCOMPARE(readFile(work.filePath(QStringLiteral("temp.txt"))), QByteArray("the player's own file"));
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"temp.txt"});
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Chickenfoottally.tld"});
}

QTEST_GUILESS_MAIN(TestTallyGrid)
#include "tst_tallygrid.moc"
