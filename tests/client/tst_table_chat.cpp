// SPDX-License-Identifier: MIT
// The chat panel: what is sent for each kind of entry, phrase buttons and
// their lock, how relayed lines are coloured and set, scroll freeze, links,
// and colours as text.
#include "colortext.h"
#include "tablefixture.h"
#include "tphrases.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QMimeData>
#include <QListWidget>
#include <QAbstractButton>
#include "tspylist.h"
#include "ttallylist.h"
#include <QtTest>

class TestTableChat : public QObject {
    Q_OBJECT
private slots:
    void entryLines_data();
    void entryLines();
    void nothingIsSentBeforeLogin();
    void firstKeyClearsThePrompt();
    void phraseButtonsAndTheirLock();
    void phraseDialogChangesTheButtons();
    void relayedLineColours_data();
    void relayedLineColours();
    void headIsBoldUpToTheFirstColon();
    void scrollFreezeKeepsTheView();
    void links_data();
    void links();
    void colourText_data();
    void colourText();
    void pasteReplacesTheEntry();
    void chatKeys();
    void markedUpNamesStayText();
};

void TestTableChat::entryLines_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("chat") << "hello there" << QByteArray("CMD_chat+3+hello there|clBlack");
    QTest::newRow("plus kept") << "2+2" << QByteArray("CMD_chat+3+2+2|clBlack");
    QTest::newRow("action") << "/me waves" << QByteArray("CMD_action+3+waves|clBlack");
    QTest::newRow("bare /me") << "/me" << QByteArray("CMD_action+3+|clBlack");
    QTest::newRow("/mewaves") << "/mewaves" << QByteArray("CMD_action+3+aves|clBlack");
    QTest::newRow("other slash") << "/away" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("latin-1") << QString::fromUtf8("caf\u00e9") << QByteArray("CMD_chat+3+caf\xE9|clBlack");
    // The terminator can be typed: it must never end a message early.
    QTest::newRow("terminator typed") << QString::fromUtf8("m\u00ffe \u20ac") << QByteArray("CMD_chat+3+m?e \x80|clBlack");
}

void TestTableChat::entryLines()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    Table t(3);
    t.chat->mychat->setText(typed);
    t.chat->sendit();
    QCOMPARE(t.chat->mychat->text(), QString());
    if (sent.isEmpty()) {
        QVERIFY(t.host.nothingFor(100));
        return;
    }
    QCOMPARE(t.host.take("CMD_"), sent);
    QVERIFY(!t.host.raw.contains(sent.mid(sent.indexOf('+')) + "\xFF\xFF"));
}

void TestTableChat::nothingIsSentBeforeLogin()
{
    Table t;
    QVERIFY(t.host.waitForClient());
    t.chat->mychat->setText(QStringLiteral("too early"));
    t.chat->sendit();
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("too early")); // kept for later
    t.chat->b_phrase1Click(7);
    QVERIFY(t.chat->phraseReady());
    QVERIFY(t.host.nothingFor(100));
    QVERIFY(t.host.raw.isEmpty());
}

void TestTableChat::firstKeyClearsThePrompt()
{
    Table t(3);
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("<Enter Chat Here>"));
    QTest::keyClick(t.chat->mychat, Qt::Key_H);
    QTest::keyClick(t.chat->mychat, Qt::Key_I);
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("hi"));
    QTest::keyClick(t.chat->mychat, Qt::Key_Return);
    QCOMPARE(t.host.take("CMD_chat"), QByteArray("CMD_chat+3+hi|clBlack"));
}

void TestTableChat::phraseButtonsAndTheirLock()
{
    Table t(3);
    t.chat->b_phrase[7]->click(); // "Thanks!"
    QCOMPARE(t.host.take("CMD_action"), QByteArray("CMD_action+3+says: Thanks!|clBlack"));
    QVERIFY(!t.chat->phraseReady());
    t.chat->b_phrase[10]->click(); // locked: nothing
    QTest::qWait(300);
    QVERIFY(!t.chat->phraseReady());
    QVERIFY(t.host.nothingFor(50));
    // The lock lasts about two seconds, then the next phrase goes out.
    QTRY_VERIFY_WITH_TIMEOUT(t.chat->phraseReady(), 8000);
    t.chat->b_phrase[10]->click();
    QCOMPARE(t.host.take("CMD_action"), QByteArray("CMD_action+3+waves \"Good-Bye\"|clBlack"));
    t.host.send("CMD_action+Klot waves \"Good-Bye\"|clBlack");
    t.host.send("CMD_action+Klot says: Thanks!|clBlack");
    QVERIFY(t.sync());
    QVERIFY(t.log().contains("Klot waves \"Good-Bye\""));
    QVERIFY(t.log().contains("Klot says: Thanks!"));
}

void TestTableChat::phraseDialogChangesTheButtons()
{
    Table t(3);
    Tphrases *dialog = t.program->forms.phrases;
    t.chat->PrhaseList1->trigger();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->phrase[6]->text(), QStringLiteral("Wow, WTG!"));
    QCOMPARE(dialog->phrase[1]->maxLength(), 50);
    dialog->phrase[2]->setText(QStringLiteral("/me bows"));
    dialog->button_doneClick();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(t.chat->b_phrase[2]->toolTip(), QStringLiteral("/me bows"));
    t.chat->b_phrase[2]->click();
    QCOMPARE(t.host.take("CMD_action"), QByteArray("CMD_action+3+bows|clBlack"));
    QFile ini(t.dir.filePath(QStringLiteral("qorblobby.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY(text.contains("Phrase2=/me bows"));
    QVERIFY(text.contains("Phrase6=Wow, WTG!"));
}

void TestTableChat::relayedLineColours_data()
{
    QTest::addColumn<QByteArray>("relayed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("named") << QByteArray("Klot chats: hello|clBlue") << "Klot chats: hello" << QColor(0, 0, 255);
    QTest::newRow("hex") << QByteArray("Klot chats: hi|$000080FF") << "Klot chats: hi" << QColor(255, 128, 0);
    QTest::newRow("lower case name") << QByteArray("Bo waves|clgreen") << "Bo waves" << QColor(0, 128, 0);
    QTest::newRow("second bar") << QByteArray("Klot chats: a|b|clBlue") << "Klot chats: a" << QColor(255, 0, 0);
    QTest::newRow("no colour") << QByteArray("Klot chats: plain") << "Klot chats: plain" << QColor(255, 0, 0);
    QTest::newRow("bad colour") << QByteArray("Bo chats: x|$GG") << "Bo chats: x" << QColor(255, 0, 0);
}

void TestTableChat::relayedLineColours()
{
    QFETCH(QByteArray, relayed);
    QFETCH(QString, shown);
    QFETCH(QColor, colour);
    Table t(3);
    t.host.send("CMD_chat+" + relayed);
    QVERIFY(t.sync());
    QTextDocument *doc = t.chat->mainchat->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (b.text() == shown) {
            const QTextCharFormat f = b.begin().fragment().charFormat();
            QCOMPARE(f.foreground().color(), colour);
            return;
        }
    QFAIL("line not shown");
}

void TestTableChat::headIsBoldUpToTheFirstColon()
{
    Table t(3);
    t.host.send("CMD_chat+Klot chats: time: 10:30|clBlack");
    t.host.send("CMD_action+Klot waves|clBlack");
    QVERIFY(t.sync());
    QTextDocument *doc = t.chat->mainchat->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b.text() == QLatin1String("Klot chats: time: 10:30")) {
            QTextBlock::iterator it = b.begin();
            QCOMPARE(it.fragment().text(), QStringLiteral("Klot chats:"));
            QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Bold));
            ++it;
            QCOMPARE(it.fragment().text(), QStringLiteral(" time: 10:30"));
            QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Normal));
        }
        if (b.text() == QLatin1String("Klot waves"))
            QCOMPARE(b.begin().fragment().charFormat().fontWeight(), int(QFont::Normal));
    }
}

void TestTableChat::scrollFreezeKeepsTheView()
{
    Table t(3);
    for (int i = 0; i < 60; ++i)
        t.chat->addlinetochat(QStringLiteral("line %1").arg(i), Qt::black);
    QScrollBar *bar = t.chat->mainchat->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum()); // new lines scroll into view
    t.chat->ScrollChatOff2->trigger();
    QVERIFY(t.chat->scrollFrozen());
    QVERIFY(t.chat->ScrollChatOff1->isChecked());
    bar->setValue(0);
    t.chat->addlinetochat(QStringLiteral("while frozen"), Qt::black);
    QCOMPARE(bar->value(), 0);
    t.chat->ScrollChatOff1->trigger();
    QVERIFY(!t.chat->scrollFrozen());
    QVERIFY(!t.chat->ScrollChatOff2->isChecked());
    t.chat->addlinetochat(QStringLiteral("thawed"), Qt::black);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestTableChat::links_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("link");
    QTest::newRow("full stop dropped") << "see http://example.org/page." << "example" << "http://example.org/page";
    QTest::newRow("www") << "visit www.qorb42.com!" << "qorb42" << "www.qorb42.com";
    QTest::newRow("mail") << "write mailto:ann@example.org, please" << "ann" << "mailto:ann@example.org";
    QTest::newRow("case kept") << "at HTTP://Example.ORG/X" << "Example" << "HTTP://Example.ORG/X";
    QTest::newRow("prefix alone") << "type http:// here" << "http" << "";
    QTest::newRow("www alone") << "just www. nothing" << "www" << "";
    QTest::newRow("plain word") << "no links at all" << "links" << "";
}

void TestTableChat::links()
{
    QFETCH(QString, line);
    QFETCH(QString, word);
    QFETCH(QString, link);
    Table t(3);
    t.chat->resize(900, 700);
    t.chat->addlinetochat(line, Qt::black);
    QTextEdit *log = t.chat->mainchat;
    QTextCursor c = log->document()->find(word);
    QVERIFY(!c.isNull());
    c.setPosition(c.selectionStart() + 1);
    const QPoint at = log->cursorRect(c).center() + QPoint(1, 0);
    QCOMPARE(t.chat->linkAt(at), link);
    QStringList opened;
    t.chat->openLink = [&](const QString &l) {
        opened << l;
        return true;
    };
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(opened, link.isEmpty() ? QStringList() : QStringList{link});
    QCOMPARE(t.chat->linkAt(QPoint(log->viewport()->width() - 20, log->viewport()->height() - 5)), QString());
}

void TestTableChat::colourText_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << QColor(0, 0, 0) << "clBlack";
    QTest::newRow("red") << QColor(255, 0, 0) << "clRed";
    QTest::newRow("navy") << QColor(0, 0, 128) << "clNavy";
    QTest::newRow("orange") << QColor(255, 128, 0) << "$000080FF";
    QTest::newRow("odd") << QColor(1, 2, 3) << "$00030201";
}

void TestTableChat::colourText()
{
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    QCOMPARE(colorToString(colour), text);
    QColor back;
    QVERIFY(stringToColor(text, back));
    QCOMPARE(back, colour);
    QVERIFY(stringToColor(text.toUpper(), back));
    QVERIFY(stringToColor(QStringLiteral("clWindowText"), back));
    QCOMPARE(back, QColor(Qt::black));
    QVERIFY(stringToColor(QStringLiteral("255"), back));
    QCOMPARE(back, QColor(255, 0, 0));
    for (const char *bad : {"", "b|clBlue", "clNoSuch", "$", "$12345678901", "12ab", "0x"})
        QVERIFY2(!stringToColor(QString::fromLatin1(bad), back), bad);
}

void TestTableChat::pasteReplacesTheEntry()
{
    Table t(3);
    t.chat->mychat->setText(QStringLiteral("xyz"));
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    t.chat->Paste1Click();
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("abc"));
}

// Ctrl+V replaces the entry like the menu's Paste; Ctrl+C in the log puts
// plain text on the clipboard; pressing on a link opens it without
// selecting its characters.
void TestTableChat::chatKeys()
{
    Table t(3);
    t.chat->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), t.chat);
    t.chat->mychat->setFocus();
    t.chat->mychat->setText(QStringLiteral("xyz"));
    t.chat->mychat->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(t.chat->mychat, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(t.chat->mychat->text(), QStringLiteral("abc"));

    t.chat->addlinetochat(QStringLiteral("Ann chats: bold words"), Qt::red);
    QTextEdit *log = t.chat->mainchat;
    log->setFocus();
    log->selectAll();
    QApplication::clipboard()->clear();
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied->text().contains(QStringLiteral("Ann chats: bold words")));
    QVERIFY(!copied->hasHtml());

    t.chat->addlinetochat(QStringLiteral("see http://example.org/page"), Qt::black);
    QTextCursor c = log->document()->find(QStringLiteral("example"));
    c.setPosition(c.selectionStart() + 1);
    const QPoint at = log->cursorRect(c).center() + QPoint(1, 0);
    QStringList opened;
    t.chat->openLink = [&](const QString &l) {
        opened << l;
        return true;
    };
    log->textCursor().clearSelection();
    log->setTextCursor(QTextCursor(log->document()));
    QTest::mousePress(log->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseMove(log->viewport(), at + QPoint(12, 0));
    QTest::mouseRelease(log->viewport(), Qt::LeftButton, {}, at + QPoint(12, 0));
    QCOMPARE(opened, QStringList{"http://example.org/page"});
    QVERIFY(!log->textCursor().hasSelection());
}

// A name with markup is text wherever a name shows: seat, status line,
// notices, chat, watchers' list, winner banner.
void TestTableChat::markedUpNamesStayText()
{
    const QByteArray evil = "<i>Bo</i><br>x";
    const QString shown = QString::fromLatin1(evil);
    Table t(1);
    t.host.send("CMD_newplayerinfo+2+" + evil);
    t.host.send("CMD_newplayerinfo+7+" + evil);
    t.host.send("CMD_chat+" + evil + " chats: " + evil + "|clBlack");
    t.host.send("CMD_startgame+" + evil + "+3+");
    t.host.send("CMD_startround+1+55+16+1+t+2+t+3+f+4+f+5+f+6+f");
    t.host.send("CMD_nextplayer+2+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_playername[2]->text(), shown);
    QCOMPARE(t.chat->label_playername[2]->textFormat(), Qt::PlainText);
    QCOMPARE(t.chat->label_status->text(), shown + "'s turn.");
    QCOMPARE(t.chat->label_status->textFormat(), Qt::PlainText);
    const QString log = t.chat->mainchat->toPlainText();
    for (const QString &line : {shown + " is Connected.", shown + " is spying.", shown + " chats: " + shown,
                                shown + " has started a game."})
        QVERIFY2(log.contains(line), qPrintable(line));
    QVERIFY(!t.program->forms.spylist->listbox_spys->findItems("7: " + shown, Qt::MatchExactly).isEmpty());
    t.host.send("CMD_hepassed+2+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), shown + " passed.");
    t.host.send("CMD_winner+" + evil + "+");
    QVERIFY(t.sync());
    for (QLabel *l : {t.chat->label_winner1, t.chat->label_winner2}) {
        QVERIFY(l->text().contains(shown));
        QCOMPARE(l->textFormat(), Qt::PlainText);
    }
    // The tally window lists the names at the table as they are, and shows
    // a tallied one in its name labels as plain text.
    t.chat->loadchecklist();
    Ttallylist *tally = t.program->forms.tallylist;
    QCOMPARE(tally->checklist->findItems(shown, Qt::MatchExactly).size(), 1);
    for (QLabel *l : {tally->label_hisname, tally->label_hisnametop})
        QCOMPARE(l->textFormat(), Qt::PlainText);
}

QTEST_MAIN(TestTableChat)
#include "tst_table_chat.moc"
