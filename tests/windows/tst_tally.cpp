// SPDX-License-Identifier: MIT
// The tally window: what the player sees and ticks, and what reaches the
// tally file across restarts.
#include "ttallylist.h"

#include "lzrw1kh.h"
#include "paths.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QByteArray fileText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = f.readAll();
    const auto v = lzrw1kh::decompressBuffer(bytes.constData(), std::size_t(bytes.size()));
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

QStringList cells(const TallyGrid &g, int row)
{
    QStringList out;
    for (int c = 1; c < TallyGrid::ColCount; ++c)
        out.append(g.cell(c, row));
    return out;
}

QStringList itemTexts(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QList<bool> ticks(QListWidget *list)
{
    QList<bool> out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->checkState() == Qt::Checked);
    return out;
}

} // namespace

class TestTally : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowLayout();
    void firstRun();
    void tickingTalliesAName();
    void gamesAreCountedAndSavedAtOnce_data();
    void gamesAreCountedAndSavedAtOnce();
    void opponentPanel();
    void deleteMiddleOfThree();
    void answeringNoKeepsOpponent();
    void resetThenGame();
    void sessionColumnsZeroAfterRestart();
    void unreadableFileIsReportedAndKept();

private:
    std::unique_ptr<Ttallylist> open();
    std::unique_ptr<Ttallylist> withTallied(const QStringList &names);

    std::unique_ptr<QTemporaryDir> m_dir;
    Forms m_forms;
    QStringList m_questions;
    bool m_answer = true;
};

void TestTally::initTestCase() { Ttallylist::setLoadErrorBoxEnabled(false); }

void TestTally::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    setProgramFolder(m_dir->path());
    m_questions.clear();
    m_answer = true;
}

void TestTally::cleanup() { setProgramFolder(QString()); }

std::unique_ptr<Ttallylist> TestTally::open()
{
    auto t = std::make_unique<Ttallylist>(m_forms, nullptr);
    t->setAsker([this](const QString &q) {
        m_questions.append(q);
        return m_answer;
    });
    return t;
}

// A window whose player ticked these names in "Players In Current Game".
std::unique_ptr<Ttallylist> TestTally::withTallied(const QStringList &names)
{
    auto t = open();
    t->loadchecklist(names);
    for (int i = 0; i < t->checklist->count(); ++i)
        t->checklist->item(i)->setCheckState(Qt::Checked);
    return t;
}

void TestTally::windowLayout()
{
    auto t = open();
    QCOMPARE(t->windowTitle(), QStringLiteral("Velloc - Tally List"));
    QCOMPARE(t->minimumSize(), QSize(475, 347));
    QCOMPARE(t->maximumSize(), QSize(475, 347));
    for (const char *name : {"mylabel_1", "mylabel_2", "mylabel_3", "mylabel_4", "label_1", "label_2", "label_3",
                             "label_4", "label_5", "label_6", "label_7", "label_8", "label_hisname",
                             "label_hisnametop"})
        QVERIFY2(t->findChild<QLabel *>(QLatin1String(name)), name);
    QVERIFY(t->findChild<QListWidget *>(QStringLiteral("listbox_tally")));
    QVERIFY(t->findChild<QListWidget *>(QStringLiteral("checklist")));
    QCOMPARE(t->button_reset->text(), QStringLiteral("Reset Tally"));
    QCOMPARE(t->button_done->text(), QStringLiteral("Done"));

    t->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.get()));
    QCOMPARE(t->size(), QSize(475, 347));
    QVERIFY(t->mylabel_1->isVisible());
    QVERIFY(!t->mylabel_3->isVisible());
    QVERIFY(!t->mylabel_4->isVisible());
    // Every visible control lies wholly inside the window.
    for (QWidget *w : t->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->parentWidget() != t.get())
            continue;
        QVERIFY2(t->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
    QTest::mouseClick(t->button_done, Qt::LeftButton);
    QVERIFY(t->isHidden());
}

void TestTally::firstRun()
{
    const QString path = Ttallylist::tallyFilePath();
    QCOMPARE(path, m_dir->filePath(QStringLiteral("Chickenfoottally.tld")));
    {
        auto t = open();
        QVERIFY(t->loadError().isEmpty());
        QCOMPARE(t->mylabel_1->text(), QStringLiteral("0"));
        QCOMPARE(t->mylabel_2->text(), QStringLiteral("0"));
        QCOMPARE(t->listbox_tally->count(), 0);
        QCOMPARE(t->checklist->count(), 0);
        QVERIFY(!QFile::exists(path));
    }
    QCOMPARE(fileText(path), QByteArray("9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
}

void TestTally::tickingTalliesAName()
{
    auto t = open();
    t->loadchecklist({QStringLiteral("Klot"), QStringLiteral("Ann")});
    QCOMPARE(ticks(t->checklist), (QList<bool>{false, false}));
    t->checklist->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(itemTexts(t->listbox_tally), QStringList{"Klot"});
    QCOMPARE(ticks(t->listbox_tally), QList<bool>{true});
    QCOMPARE(cells(t->grid(), 1), (QStringList{"0", "0", "0", "0", "0", "0", "0", "0"}));

    // Rebuilt for the next game: tallied names come ticked, case-blind.
    t->loadchecklist({QStringLiteral("KLOT"), QStringLiteral("Ann")});
    QCOMPARE(ticks(t->checklist), (QList<bool>{true, false}));
    // Unticking there does not untally; only the tally list deletes.
    t->checklist->item(0)->setCheckState(Qt::Unchecked);
    QCOMPARE(itemTexts(t->listbox_tally), QStringList{"Klot"});
    QCOMPARE(ticks(t->checklist), (QList<bool>{true, false}));
    QVERIFY(m_questions.isEmpty());
}

void TestTally::gamesAreCountedAndSavedAtOnce_data()
{
    QTest::addColumn<QStringList>("tallied");
    QTest::addColumn<QStringList>("atTable");
    QTest::addColumn<QString>("winner");
    QTest::addColumn<bool>("localWon");
    QTest::addColumn<QStringList>("mine");
    QTest::addColumn<QStringList>("klot"); // cells 1 to 8 of Klot's row, when tallied

    QTest::newRow("win with one tallied opponent")
        << QStringList{"Klot"} << QStringList{"Klot", "Ann"} << "addtomine" << true << QStringList{"1", "1"}
        << QStringList{"1", "0", "1", "0", "1", "0", "1", "0"};
    QTest::newRow("third player wins") << QStringList{"Klot"} << QStringList{"Klot", "Ann"} << "Ann" << false
                                       << QStringList{"1", "0"}
                                       << QStringList{"1", "0", "0", "1", "1", "0", "0", "1"};
    QTest::newRow("tallied opponent wins") << QStringList{"Klot"} << QStringList{"Klot"} << "Klot" << false
                                           << QStringList{"1", "0"}
                                           << QStringList{"1", "1", "0", "0", "1", "1", "0", "0"};
    QTest::newRow("tallied opponent not at the table")
        << QStringList{"Klot"} << QStringList{"Ann"} << "Ann" << false << QStringList{"1", "0"}
        << QStringList{"0", "0", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("untallied opponent") << QStringList{} << QStringList{"Klot"} << "Klot" << false
                                        << QStringList{"1", "0"} << QStringList{};
}

void TestTally::gamesAreCountedAndSavedAtOnce()
{
    QFETCH(QStringList, tallied);
    QFETCH(QStringList, atTable);
    QFETCH(QString, winner);
    QFETCH(bool, localWon);
    QFETCH(QStringList, mine);
    QFETCH(QStringList, klot);

    auto t = withTallied(tallied);
    t->addgame(winner, localWon, atTable);
    QCOMPARE(t->mylabel_1->text(), mine[0]);
    QCOMPARE(t->mylabel_2->text(), mine[1]);
    QCOMPARE(itemTexts(t->checklist), atTable);
    QCOMPARE(t->grid().rowCount(), 1 + tallied.size());
    if (!tallied.isEmpty())
        QCOMPARE(cells(t->grid(), 1), klot);
    // Saved with the game, not only at the end of the run.
    QCOMPARE(fileText(Ttallylist::tallyFilePath()), t->grid().toText());
}

void TestTally::opponentPanel()
{
    auto t = withTallied({QStringLiteral("Klot"), QStringLiteral("Ann")});
    t->addgame(QStringLiteral("Klot"), false, {QStringLiteral("Klot"), QStringLiteral("Ann")});
    t->listbox_tally->setCurrentRow(0);
    QCOMPARE(t->label_hisnametop->text(), QStringLiteral("Klot's Tally"));
    QCOMPARE(t->label_hisname->text(), QStringLiteral("Klot Wins:"));
    QCOMPARE(t->label_1->text(), QStringLiteral("1"));
    QCOMPARE(t->label_2->text(), QStringLiteral("1"));
    QCOMPARE(t->label_4->text(), QStringLiteral("0"));
    QCOMPARE(t->label_5->text(), QStringLiteral("1"));
    QCOMPARE(t->label_6->text(), QStringLiteral("1"));

    // A game counted while an opponent is selected refreshes the panel.
    t->addgame(QStringLiteral("Ann"), false, {QStringLiteral("Klot"), QStringLiteral("Ann")});
    QCOMPARE(t->label_1->text(), QStringLiteral("2"));
    QCOMPARE(t->label_4->text(), QStringLiteral("1"));
    QCOMPARE(t->label_8->text(), QStringLiteral("1"));

    t->listbox_tally->setCurrentRow(1);
    QCOMPARE(t->label_hisnametop->text(), QStringLiteral("Ann's Tally"));
    QCOMPARE(t->label_2->text(), QStringLiteral("1"));
}

void TestTally::deleteMiddleOfThree()
{
    const QStringList three{"A", "B", "C"};
    {
        auto t = withTallied(three);
        t->addgame(QStringLiteral("C"), false, three);
        t->listbox_tally->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(m_questions, QStringList{"This will delete B's Tally, Are you want to delete it?"});
        QCOMPARE(itemTexts(t->listbox_tally), (QStringList{"A", "C"}));
        QCOMPARE(ticks(t->listbox_tally), (QList<bool>{true, true}));
        QCOMPARE(t->grid().opponents(), (QStringList{"A", "C"}));
        QCOMPARE(t->grid().cell(2, 2), QStringLiteral("1")); // C's win moved up with C
        QCOMPARE(ticks(t->checklist), (QList<bool>{true, false, true}));
    }
    const QByteArray text = fileText(Ttallylist::tallyFilePath());
    QVERIFY(text.startsWith("9\r\n3\r\n0\r\nA\r\nC\r\n"));
}

void TestTally::answeringNoKeepsOpponent()
{
    m_answer = false;
    auto t = withTallied({QStringLiteral("A"), QStringLiteral("B")});
    t->listbox_tally->item(1)->setCheckState(Qt::Unchecked);
    QCOMPARE(m_questions.size(), 1);
    QCOMPARE(itemTexts(t->listbox_tally), (QStringList{"A", "B"}));
    QCOMPARE(ticks(t->listbox_tally), (QList<bool>{true, true}));
    QCOMPARE(t->grid().opponents(), (QStringList{"A", "B"}));

    QTest::mouseClick(t->button_reset, Qt::LeftButton); // No to the reset too
    QCOMPARE(m_questions.last(), QStringLiteral("Are you sure you want to reset the Tally?"));
    QCOMPARE(t->grid().opponents(), (QStringList{"A", "B"}));
}

void TestTally::resetThenGame()
{
    auto t = withTallied({QStringLiteral("A"), QStringLiteral("B")});
    t->addgame(QStringLiteral("x"), true, {QStringLiteral("A"), QStringLiteral("B")});
    t->listbox_tally->setCurrentRow(0);
    QCOMPARE(t->label_3->text(), QStringLiteral("1"));

    QTest::mouseClick(t->button_reset, Qt::LeftButton);
    QCOMPARE(m_questions, QStringList{"Are you sure you want to reset the Tally?"});
    QCOMPARE(t->listbox_tally->count(), 0);
    QCOMPARE(t->grid().rowCount(), 1);
    QCOMPARE(t->mylabel_1->text(), QStringLiteral("0"));
    QCOMPARE(t->mylabel_2->text(), QStringLiteral("0"));
    QCOMPARE(t->label_3->text(), QStringLiteral("0"));
    QCOMPARE(ticks(t->checklist), (QList<bool>{false, false}));

    t->addgame(QStringLiteral("x"), true, {QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(t->mylabel_1->text(), QStringLiteral("1"));
    QCOMPARE(t->mylabel_2->text(), QStringLiteral("1"));
    QCOMPARE(t->grid().rowCount(), 1);
}

void TestTally::sessionColumnsZeroAfterRestart()
{
    {
        auto t = withTallied({QStringLiteral("Klot")});
        t->addgame(QStringLiteral("Klot"), false, {QStringLiteral("Klot")});
        t->addgame(QStringLiteral("x"), true, {QStringLiteral("Klot")});
    }
    auto t = open();
    QVERIFY(t->loadError().isEmpty());
    QCOMPARE(t->mylabel_1->text(), QStringLiteral("2"));
    QCOMPARE(t->mylabel_2->text(), QStringLiteral("1"));
    QCOMPARE(itemTexts(t->listbox_tally), QStringList{"Klot"});
    QCOMPARE(ticks(t->listbox_tally), QList<bool>{true});
    QCOMPARE(cells(t->grid(), 1), (QStringList{"2", "1", "1", "0", "0", "0", "0", "0"}));
    t->listbox_tally->setCurrentRow(0);
    QCOMPARE(t->label_5->text(), QStringLiteral("0"));
    QCOMPARE(t->label_1->text(), QStringLiteral("2"));

    t->addgame(QStringLiteral("x"), true, {QStringLiteral("Klot")});
    QCOMPARE(cells(t->grid(), 1), (QStringList{"3", "1", "2", "0", "1", "0", "1", "0"}));
}

void TestTally::unreadableFileIsReportedAndKept()
{
    const QString path = Ttallylist::tallyFilePath();
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("XXXX this is not a tally");
    }
    {
        auto t = open();
        QVERIFY(t->loadError().contains(QStringLiteral("this file has no valid header !")));
        QVERIFY(t->loadError().contains(path + QStringLiteral(".bad")));
        QCOMPARE(t->mylabel_1->text(), QStringLiteral("0"));
        t->addgame(QStringLiteral("x"), true, {}); // still works, and saves
    }
    QFile bad(path + QStringLiteral(".bad"));
    QVERIFY(bad.open(QIODevice::ReadOnly));
    QCOMPARE(bad.readAll(), QByteArray("XXXX this is not a tally"));
    QVERIFY(fileText(path).startsWith("9\r\n1\r\n0\r\n1\r\n1\r\n"));
}

QTEST_MAIN(TestTally)
#include "tst_tally.moc"
