// SPDX-License-Identifier: MIT
// The settings file store: what it reads, and that a write changes only the
// keys it sets and never leaves a damaged file behind.
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Keys = QList<QPair<QString, QString>>;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<cannot read>");
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// One line with its line break, the break made visible.
QString visible(const QByteArray &line)
{
    QString s;
    for (char c : line) {
        if (c == '\r')
            s += QStringLiteral("\\r");
        else if (c == '\n')
            s += QStringLiteral("\\n");
        else if (uchar(c) < 0x20 || uchar(c) >= 0x7F)
            s += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        else
            s += QLatin1Char(c);
    }
    return s;
}

QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i) == '\n' || (text.at(i) == '\r' && (i + 1 >= text.size() || text.at(i + 1) != '\n'))) {
            lines.append(text.mid(start, i + 1 - start));
            start = i + 1;
        }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// A line diff of the file before (expected) and after (actual), for failure messages.
QString diff(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> a = linesOf(expected), b = linesOf(actual);
    const qsizetype n = a.size(), m = b.size();
    QList<QList<int>> lcs(n + 1, QList<int>(m + 1, 0));
    for (qsizetype i = n - 1; i >= 0; --i)
        for (qsizetype j = m - 1; j >= 0; --j)
            lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : qMax(lcs[i + 1][j], lcs[i][j + 1]);
    QString out = QStringLiteral("file differs (- expected, + actual):\n");
    qsizetype i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            out += QStringLiteral("  ") + visible(a[i++]) + QLatin1Char('\n');
            ++j;
        } else if (j < m && (i == n || lcs[i][j + 1] >= lcs[i + 1][j])) {
            out += QStringLiteral("+ ") + visible(b[j++]) + QLatin1Char('\n');
        } else {
            out += QStringLiteral("- ") + visible(a[i++]) + QLatin1Char('\n');
        }
    }
    return out;
}

#define COMPARE_FILE(actual, expected)                                                             \
    do {                                                                                           \
        const QByteArray actual_ = (actual), expected_ = (expected);                               \
        if (actual_ != expected_)                                                                  \
            QFAIL(qPrintable(diff(expected_, actual_)));                                           \
    } while (false)

ino_t inodeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

const QString Section = QStringLiteral("Chickenfoot");

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void writesOnlyItsKeys_data();
    void writesOnlyItsKeys();
    void reads_data();
    void reads();
    void readsIntegers_data();
    void readsIntegers();
    void writtenValuesReadBack_data();
    void writtenValuesReadBack();
    void valueCannotAddLines();
    void textEncodings();
    void missingFile();
    void unchangedWriteLeavesFileAlone();
    void keepsChangesOfOthers();
    void badNameWritesNothing();
    void unreadableFileIsNeverOverwritten_data();
    void unreadableFileIsNeverOverwritten();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("qorblobby.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// Textsize=12 and Playsounds=false are written into the file; everything else
// must come out byte for byte.
void TestSettingsFile::writesOnlyItsKeys_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    const QByteArray shared =
        "; Qorb42 Lobby\n"
        "[Lobby]\n"
        "Name=Bo\n"
        "  Server = lobby.example.net  \n"
        "\n"
        "\n"
        "; the game's own section\n"
        "[Chickenfoot]\n"
        "Textsize=8\n"
        "\n"
        "Phrase6=Wow, WTG!\n"
        "Phrase7=He said \"hi\"\n"
        "\n"
        "[Other]\n"
        "; kept\n"
        "x=1\n"
        "a line without an equals sign\n"
        "; a comment at the end\n";
    QByteArray sharedAfter = shared;
    sharedAfter.replace("Textsize=8\n", "Textsize=12\n");
    sharedAfter.replace("Phrase7=He said \"hi\"\n", "Phrase7=He said \"hi\"\nPlaysounds=false\n");
    QTest::newRow("other sections, comments, blank lines")
        << shared << sharedAfter;

    QByteArray crlf = shared, crlfAfter = sharedAfter;
    crlf.replace("\n", "\r\n");
    crlfAfter.replace("\n", "\r\n");
    QTest::newRow("CRLF stays CRLF") << crlf << crlfAfter;

    QTest::newRow("names in another case keep their spelling")
        << QByteArray("[CHICKENFOOT]\r\n TEXTSIZE = 8 \r\nplaySounds=true\r\n")
        << QByteArray("[CHICKENFOOT]\r\n TEXTSIZE=12\r\nplaySounds=false\r\n");
    QTest::newRow("section made at the end, no final line break")
        << QByteArray("[Lobby]\nName=Bo")
        << QByteArray("[Lobby]\nName=Bo\n\n[Chickenfoot]\nTextsize=12\nPlaysounds=false\n");
    QTest::newRow("empty file") << QByteArray()
                                << QByteArray("[Chickenfoot]\r\nTextsize=12\r\nPlaysounds=false\r\n");
    QTest::newRow("section header is the last line")
        << QByteArray("[Lobby]\nName=Bo\n[Chickenfoot]")
        << QByteArray("[Lobby]\nName=Bo\n[Chickenfoot]\nTextsize=12\nPlaysounds=false\n");
    QTest::newRow("empty section followed by another")
        << QByteArray("[Chickenfoot]\n\n[Lobby]\nName=Bo\n")
        << QByteArray("[Chickenfoot]\nTextsize=12\nPlaysounds=false\n\n[Lobby]\nName=Bo\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xEF\xBB\xBF[Chickenfoot]\nPhrase1=Ol\xC3\xA9\n")
        << QByteArray("\xEF\xBB\xBF[Chickenfoot]\nPhrase1=Ol\xC3\xA9\nTextsize=12\nPlaysounds=false\n");
    QTest::newRow("text after the header, odd lines kept")
        << QByteArray("[Chickenfoot] ; ours\n=nokey\njunk\n\tTextsize\t=\t9\t\n# end\n")
        << QByteArray("[Chickenfoot] ; ours\n=nokey\njunk\n\tTextsize=12\nPlaysounds=false\n# end\n");
    QTest::newRow("first of two equal keys is the one changed")
        << QByteArray("[Chickenfoot]\nTextsize=8\nTextsize=9\n")
        << QByteArray("[Chickenfoot]\nTextsize=12\nTextsize=9\nPlaysounds=false\n");
    QTest::newRow("section written twice")
        << QByteArray("[Chickenfoot]\nTextsize=8\n[Lobby]\nName=Bo\n[Chickenfoot]\nPlaysounds=true\n")
        << QByteArray("[Chickenfoot]\nTextsize=12\n[Lobby]\nName=Bo\n[Chickenfoot]\nPlaysounds=false\n");
    QTest::newRow("latin-1 elsewhere kept, old line break style")
        << QByteArray("[Lobby]\rName=Jos\xE9\r[Chickenfoot]\rTextsize=8\r")
        << QByteArray("[Lobby]\rName=Jos\xE9\r[Chickenfoot]\rTextsize=12\rPlaysounds=false\r");
    QTest::newRow("values already right: nothing moves")
        << QByteArray("[Chickenfoot]\nTextsize = 12  \nPlaysounds=false")
        << QByteArray("[Chickenfoot]\nTextsize = 12  \nPlaysounds=false");
}

void TestSettingsFile::writesOnlyItsKeys()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QVERIFY(writeAll(path(), before));
    QString error;
    QVERIFY2(SettingsFile::writeKeys(path(), Section,
                                     {{QStringLiteral("Textsize"), QStringLiteral("12")},
                                      {QStringLiteral("Playsounds"), QStringLiteral("false")}},
                                     &error),
             qPrintable(error));
    COMPARE_FILE(readAll(path()), after);

    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readInteger(Section, QStringLiteral("textsize"), 0), 12);
    QCOMPARE(file.readString(Section, QStringLiteral("PLAYSOUNDS"), QString()), QStringLiteral("false"));
}

void TestSettingsFile::reads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray file = "[Lobby]\r\n"
                            "Phrase6=not ours\r\n"
                            "[Chickenfoot]\r\n"
                            "Phrase6=Wow, WTG!\r\n"
                            "Phrase3=He said \"hi\", then left\r\n"
                            "Phrase4=\"quoted\"\r\n"
                            "  Phrase5  =   spaced out\t \r\n"
                            "Phrase8=\r\n"
                            "Phrase9=a=b;c #d\r\n"
                            "Textcolor=$00FF0000\r\n"
                            "Top=1\r\n"
                            "top=2\r\n";
    QTest::newRow("commas are text") << file << Section << "Phrase6" << "Wow, WTG!";
    QTest::newRow("section case") << file << "CHICKENFOOT" << "Phrase6" << "Wow, WTG!";
    QTest::newRow("key case") << file << Section << "PHRASE6" << "Wow, WTG!";
    QTest::newRow("other section") << file << "lobby" << "phrase6" << "not ours";
    QTest::newRow("inner quotes") << file << Section << "Phrase3" << "He said \"hi\", then left";
    QTest::newRow("outer quotes") << file << Section << "Phrase4" << "quoted";
    QTest::newRow("blanks trimmed") << file << Section << "phrase5" << "spaced out";
    QTest::newRow("empty is not missing") << file << Section << "Phrase8" << "";
    QTest::newRow("rest of line") << file << Section << "Phrase9" << "a=b;c #d";
    QTest::newRow("colour text") << file << Section << "Textcolor" << "$00FF0000";
    QTest::newRow("first of two wins") << file << Section << "TOP" << "1";
    QTest::newRow("missing key") << file << Section << "Phrase1" << "<default>";
    QTest::newRow("missing section") << file << "Nowhere" << "Phrase6" << "<default>";
    QTest::newRow("keys before any section are not in one")
        << QByteArray("Phrase6=loose\n[Chickenfoot]\n") << Section << "Phrase6" << "<default>";
    QTest::newRow("bare CR line breaks")
        << QByteArray("[Chickenfoot]\rA=1\rPhrase6=cr\r") << Section << "Phrase6" << "cr";
}

void TestSettingsFile::reads()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(writeAll(path(), content));
    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readString(section, key, QStringLiteral("<default>")), expected);
}

void TestSettingsFile::readsIntegers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("12") << 12;
    QTest::newRow("blanks") << QByteArray("  14  ") << 14;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("plus") << QByteArray("+7") << 7;
    QTest::newRow("number then text") << QByteArray("10px") << 99;
    QTest::newRow("number then letters") << QByteArray("790abc") << 99;
    QTest::newRow("inner blank") << QByteArray("1 2") << 99;
    QTest::newRow("quoted") << QByteArray("\"12\"") << 12;
    QTest::newRow("text") << QByteArray("ten") << 99;
    QTest::newRow("empty") << QByteArray("") << 99;
    QTest::newRow("sign only") << QByteArray("-") << 99;
    QTest::newRow("too large") << QByteArray("99999999999") << 99;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483648LL);
}

void TestSettingsFile::readsIntegers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(writeAll(path(), "[Chickenfoot]\nTextsize=" + value + "\n"));
    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readInteger(Section, QStringLiteral("Textsize"), 99), expected);
    QCOMPARE(file.readInteger(Section, QStringLiteral("Missing"), 99), 99);
}

void TestSettingsFile::writtenValuesReadBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("commas") << "Wow, WTG!" << "Wow, WTG!";
    QTest::newRow("quotes") << "\"Nice\" play" << "\"Nice\" play";
    QTest::newRow("whole value quoted") << "\"Nice\"" << "\"Nice\"";
    QTest::newRow("equals and semicolon") << "a=b; #c" << "a=b; #c";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("outer blanks dropped") << "  gg  " << "gg";
    QTest::newRow("non-latin") << QString::fromUtf8("ура €") << QString::fromUtf8("ура €");
}

void TestSettingsFile::writtenValuesReadBack()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QVERIFY(SettingsFile::writeKeys(path(), Section, {{QStringLiteral("Phrase1"), value}}));
    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readString(Section, QStringLiteral("Phrase1"), QStringLiteral("<default>")), expected);
}

// A phrase is one line: whatever it holds must not turn into keys or sections.
void TestSettingsFile::valueCannotAddLines()
{
    QVERIFY(writeAll(path(), "[Lobby]\nName=Bo\n"));
    QVERIFY(SettingsFile::writeKeys(path(), Section,
                                    {{QStringLiteral("Phrase1"), QStringLiteral("hi\r\n[Lobby]\nName=Evil")}}));
    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readString(QStringLiteral("Lobby"), QStringLiteral("Name"), QString()), QStringLiteral("Bo"));
    QCOMPARE(file.readString(Section, QStringLiteral("Phrase1"), QString()),
             QStringLiteral("hi  [Lobby] Name=Evil"));
    QCOMPARE(file.readString(Section, QStringLiteral("Name"), QStringLiteral("<default>")),
             QStringLiteral("<default>"));
}

// Values are bytes: UTF-8 where they are valid UTF-8, Latin-1 otherwise; new
// text follows the file's encoding.
void TestSettingsFile::textEncodings()
{
    const QString ole = QString::fromUtf8("Olé");

    // A file written by an 8-bit Windows program.
    QVERIFY(writeAll(path(), "[Chickenfoot]\nPhrase1=Caf\xE9\n"));
    QVERIFY(SettingsFile::writeKeys(path(), Section,
                                    {{QStringLiteral("Phrase1"), QString::fromUtf8("Café")},
                                     {QStringLiteral("Phrase2"), ole}}));
    COMPARE_FILE(readAll(path()), QByteArray("[Chickenfoot]\nPhrase1=Caf\xE9\nPhrase2=Ol\xE9\n"));
    SettingsFile latin1(path());
    QVERIFY(latin1.load());
    QCOMPARE(latin1.readString(Section, QStringLiteral("Phrase2"), QString()), ole);

    // A new file is UTF-8.
    QVERIFY(QFile::remove(path()));
    QVERIFY(SettingsFile::writeKeys(path(), Section, {{QStringLiteral("Phrase2"), ole}}));
    COMPARE_FILE(readAll(path()), QByteArray("[Chickenfoot]\r\nPhrase2=Ol\xC3\xA9\r\n"));
    SettingsFile utf8(path());
    QVERIFY(utf8.load());
    QCOMPARE(utf8.readString(Section, QStringLiteral("Phrase2"), QString()), ole);
}

void TestSettingsFile::missingFile()
{
    SettingsFile file(path());
    QVERIFY(file.load());
    QCOMPARE(file.readString(Section, QStringLiteral("Textcolor"), QStringLiteral("clblack")),
             QStringLiteral("clblack"));
    QCOMPARE(file.readInteger(Section, QStringLiteral("Width"), 790), 790);
    QVERIFY(file.save()); // nothing written: no file appears
    QVERIFY(!QFile::exists(path()));

    QVERIFY(file.writeInteger(Section, QStringLiteral("Width"), 800));
    QVERIFY(file.save());
    COMPARE_FILE(readAll(path()), QByteArray("[Chickenfoot]\r\nWidth=800\r\n"));
}

void TestSettingsFile::unchangedWriteLeavesFileAlone()
{
    const QByteArray content = "[Chickenfoot]\nTextsize=8\n";
    QVERIFY(writeAll(path(), content));
    const ino_t before = inodeOf(path());
    QVERIFY(before != 0);
    QVERIFY(SettingsFile::writeKeys(path(), Section, {{QStringLiteral("TEXTSIZE"), QStringLiteral("8")}}));
    QCOMPARE(inodeOf(path()), before); // not replaced
    COMPARE_FILE(readAll(path()), content);
}

// Every write starts from the file as it is now.
void TestSettingsFile::keepsChangesOfOthers()
{
    QVERIFY(SettingsFile::writeKeys(path(), Section, {{QStringLiteral("Textsize"), QStringLiteral("10")}}));
    QByteArray changed = readAll(path());
    changed += "Phrase1=from the other copy\r\n[Lobby]\r\nName=Bo\r\n";
    QVERIFY(writeAll(path(), changed));
    QVERIFY(SettingsFile::writeKeys(path(), Section, {{QStringLiteral("Textsize"), QStringLiteral("12")}}));
    QByteArray expected = changed;
    expected.replace("Textsize=10", "Textsize=12");
    COMPARE_FILE(readAll(path()), expected);
}

void TestSettingsFile::badNameWritesNothing()
{
    const QByteArray content = "[Chickenfoot]\nTextsize=8\n";
    QVERIFY(writeAll(path(), content));
    QString error;
    QVERIFY(!SettingsFile::writeKeys(path(), Section,
                                     {{QStringLiteral("Textsize"), QStringLiteral("12")},
                                      {QStringLiteral("Bad=Key"), QStringLiteral("1")}},
                                     &error));
    QVERIFY(!error.isEmpty());
    COMPARE_FILE(readAll(path()), content);
    QVERIFY(!SettingsFile::writeKeys(path(), QStringLiteral("Bad]"), {{QStringLiteral("A"), QStringLiteral("1")}}));
    QVERIFY(!SettingsFile::writeKeys(path(), QString(), {{QStringLiteral("A"), QStringLiteral("1")}}));
    COMPARE_FILE(readAll(path()), content);
}

void TestSettingsFile::unreadableFileIsNeverOverwritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("unreadable");
    QTest::newRow("UTF-16")
        << QByteArray("\xFF\xFE[\0C\0h\0i\0c\0k\0e\0n\0f\0o\0o\0t\0]\0\r\0\n\0", 30) << false;
    QTest::newRow("zero bytes") << QByteArray("[Chickenfoot]\nTextsize=8\n\0\0\0", 28) << false;
    QTest::newRow("no read permission") << QByteArray("[Chickenfoot]\nTextsize=8\n") << true;
}

void TestSettingsFile::unreadableFileIsNeverOverwritten()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, unreadable);
    QVERIFY(writeAll(path(), content));
    if (unreadable) {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(QFile::setPermissions(path(), QFileDevice::WriteOwner));
    }
    SettingsFile file(path());
    QVERIFY(!file.load());
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(file.readInteger(Section, QStringLiteral("Textsize"), 8), 8);
    QVERIFY(!file.writeInteger(Section, QStringLiteral("Textsize"), 12));
    QVERIFY(!file.save());
    QVERIFY(!SettingsFile::writeKeys(path(), Section, {{QStringLiteral("Textsize"), QStringLiteral("12")}}));
    QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    COMPARE_FILE(readAll(path()), content);
}

// A save that cannot complete reports failure and leaves the old file whole.
void TestSettingsFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("write fails half way") << "size limit";
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("read-only file") << "file";
}

void TestSettingsFile::failedSaveKeepsOldFile()
{
    QFETCH(QString, how);
    const QByteArray old = "; the old file\n[Lobby]\nName=Bo\n[Chickenfoot]\nTextsize=8\n";
    QVERIFY(writeAll(path(), old));

    SettingsFile file(path());
    QVERIFY(file.load());
    QVERIFY(file.writeInteger(Section, QStringLiteral("Textsize"), 12));
    QVERIFY(file.writeString(Section, QStringLiteral("Phrase1"), QString(4096, QLatin1Char('x'))));

    bool ok = true;
    if (how == QLatin1String("size limit")) {
        // Files may not grow beyond 1 KiB: the new file breaks off while written.
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        ok = file.save();
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
        std::signal(SIGXFSZ, oldHandler);
    } else {
        if (::geteuid() == 0)
            QSKIP("root writes regardless of permissions");
        const QString target = how == QLatin1String("folder") ? m_dir->path() : path();
        const auto perms = QFile::permissions(target);
        QVERIFY(QFile::setPermissions(target, perms & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser
                                                        | QFileDevice::WriteGroup | QFileDevice::WriteOther)));
        ok = file.save();
        QVERIFY(QFile::setPermissions(target, perms));
    }
    QVERIFY(!ok);
    QVERIFY(!file.errorString().isEmpty());
    COMPARE_FILE(readAll(path()), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("qorblobby.ini")}); // no half-written file left behind

    // Once writing works again the same changes go through.
    QVERIFY(file.save());
    SettingsFile again(path());
    QVERIFY(again.load());
    QCOMPARE(again.readInteger(Section, QStringLiteral("Textsize"), 0), 12);
    QCOMPARE(again.readString(QStringLiteral("Lobby"), QStringLiteral("Name"), QString()), QStringLiteral("Bo"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
