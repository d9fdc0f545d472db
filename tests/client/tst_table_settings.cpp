// SPDX-License-Identifier: MIT
// The player's preferences: read when seated, written at every change and
// on closing, without ever replacing stored settings with defaults, and the
// game-start dialog that uses two of them.
#include "settingsfile.h"
#include "sounds.h"
#include "tablefixture.h"
#include "tgamestart.h"
#include "tphrases.h"
#include "tserver.h"

#include <QAction>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {


QString value(const Table &t, const char *key)
{
    SettingsFile s(t.ini());
    s.load();
    return s.readString(QStringLiteral("Chickenfoot"), QString::fromLatin1(key), QStringLiteral("<missing>"));
}

// A table whose settings file holds `text` before it logs in as seat 1.
struct SeatedTable : Table {
    explicit SeatedTable(const QByteArray &text) : Table(0)
    {
        writeFile(ini(), text);
        host.waitForClient();
        login(1, "Ann");
    }
};

} // namespace

class TestTableSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsAroundASingleKey();
    void storedValuesAreApplied();
    void changesAreWritten();
    void onlyTheExactFalseSilences();
    void closingWritesOnlyWhenMoved();
    void oversizedWindowIsSavedSmaller();
    void minimumSizeHolds();
    void otherSectionsAndCommentsSurvive();
    void unseatedCopyKeepsStoredSettings();
    void absurdValuesArePulledBack();
    void gameStartDialog();
    void resetScreenLocation();
    void unwritableSettingsFolder();
    void noSoundDeviceSaidOnce();
};

void TestTableSettings::defaultsAroundASingleKey()
{
    SeatedTable t("[Chickenfoot]\r\nPlaysounds=false\r\n");
    QCOMPARE(t.chat->mainchat->font().pointSize(), 8);
    QCOMPARE(t.chat->pos(), QPoint(3, 3));
    QCOMPARE(t.chat->size(), QSize(790, 578));
    QCOMPARE(t.chat->chatColour(), QColor(Qt::black));
    QCOMPARE(t.chat->actionColour(), QColor(Qt::black));
    QCOMPARE(t.program->forms.gamestart->rounds(), 10);
    QCOMPARE(t.program->forms.gamestart->newcomersOption(), 1);
    QCOMPARE(t.chat->botDelay(), 1000);
    QVERIFY(t.chat->Normal1->isChecked());
    QCOMPARE(t.chat->phrase(6), QStringLiteral("Wow, WTG!"));
    QVERIFY(t.chat->Classic1->isChecked());
    QVERIFY(!t.chat->PlaySounds1->isChecked());
    // No sound at all, the turn sound included.
    t.sounds.clear();
    t.host.send("CMD_nextplayer+1+1+t+t+t+1+1+1+");
    t.host.send("CMD_newplayerinfo+2+Bo");
    QVERIFY(t.sync());
    QVERIFY(t.sounds.isEmpty());
}

void TestTableSettings::storedValuesAreApplied()
{
    SeatedTable t("[Chickenfoot]\r\nTextsize=12\r\nTop=40\r\nLeft=30\r\nWidth=800\r\nHeight=590\r\n"
                  "Textcolor=$000080FF\r\nActioncolor=clBlue\r\nPlaytoscore=5\r\nNewcomers=3\r\n"
                  "Botspeed=2000\r\nPhrase6=Wow, WTG!, \"yes\"\r\nTurnsound=1\r\nPlaysounds=true\r\n");
    QCOMPARE(t.chat->mainchat->font().pointSize(), 12);
    QVERIFY(t.chat->findChild<QAction *>(QStringLiteral("N12"))->isChecked());
    QCOMPARE(t.chat->pos(), QPoint(30, 40));
    QCOMPARE(t.chat->size(), QSize(800, 590));
    QCOMPARE(t.chat->chatColour(), QColor(255, 128, 0));
    QCOMPARE(t.chat->mychat->palette().color(QPalette::Text), QColor(255, 128, 0));
    QCOMPARE(t.chat->actionColour(), QColor(0, 0, 255));
    // Kept by the table until the dialog is made, then shown in it.
    QVERIFY(!t.program->forms.gamestart.built());
    QCOMPARE(t.program->forms.gamestart->rounds(), 5);
    QCOMPARE(t.program->forms.gamestart->newcomersOption(), 3);
    QVERIFY(t.chat->Slow1->isChecked());
    QCOMPARE(t.program->forms.server->game().botDelay(), 2000);
    QCOMPARE(t.chat->phrase(6), QStringLiteral("Wow, WTG!, \"yes\"")); // one text, quotes kept
    QCOMPARE(t.chat->phrase(7), QStringLiteral("Thanks!"));
    QVERIFY(t.chat->New1->isChecked());
    t.host.send("CMD_nextplayer+1+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.sounds.last(), QStringLiteral("turnnew"));
}

void TestTableSettings::changesAreWritten()
{
    SeatedTable t("[Chickenfoot]\r\nBotspeed=500\r\nTurnsound=2\r\n");
    QVERIFY(t.chat->Fast1->isChecked());
    QVERIFY(t.chat->Classic1->isChecked()); // 2 is no turn sound: Classic
    t.chat->Normal1->trigger();
    QCOMPARE(value(t, "Botspeed"), QStringLiteral("1000"));
    QCOMPARE(value(t, "Turnsound"), QStringLiteral("0"));
    QCOMPARE(value(t, "Playsounds"), QStringLiteral("true"));
    // Choosing a size moves no check mark: the loaded size (8) keeps its tick.
    QAction *n8 = t.chat->findChild<QAction *>(QStringLiteral("N8"));
    QAction *n14 = t.chat->findChild<QAction *>(QStringLiteral("N14"));
    QVERIFY(n8->isChecked());
    n14->trigger();
    QCOMPARE(value(t, "Textsize"), QStringLiteral("14"));
    QVERIFY(n8->isChecked());
    QVERIFY(!n14->isChecked());
    n8->trigger();
    QVERIFY(n8->isChecked());
    t.chat->PlaySounds1->trigger();
    QCOMPARE(value(t, "Playsounds"), QStringLiteral("false"));
    t.chat->New1->trigger();
    QCOMPARE(value(t, "Turnsound"), QStringLiteral("1"));
    QCOMPARE(value(t, "Phrase1"), QStringLiteral("<missing>")); // phrases only from their dialog
}

void TestTableSettings::onlyTheExactFalseSilences()
{
    SeatedTable t("[Chickenfoot]\r\nPlaysounds=FALSE\r\n");
    QVERIFY(t.chat->PlaySounds1->isChecked());
    t.host.send("CMD_newplayerinfo+2+Bo");
    QVERIFY(t.sync());
    QCOMPARE(t.sounds.last(), QStringLiteral("entered"));
}

void TestTableSettings::closingWritesOnlyWhenMoved()
{
    const QByteArray text = "[Chickenfoot]\r\nTop=3\r\nLeft=3\r\nWidth=790\r\nHeight=578\r\n";
    {
        SeatedTable t(text);
        t.chat->close();
        QCOMPARE(readFile(t.ini()), text);
    }
    SeatedTable t(text);
    t.chat->move(20, 30);
    t.chat->close();
    QCOMPARE(value(t, "Left"), QStringLiteral("20"));
    QCOMPARE(value(t, "Top"), QStringLiteral("30"));
}

void TestTableSettings::oversizedWindowIsSavedSmaller()
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int w = area.width() + 100, h = area.height() + 100;
    SeatedTable t("[Chickenfoot]\r\nTop=3\r\nLeft=3\r\nWidth=" + QByteArray::number(w) + "\r\nHeight="
                  + QByteArray::number(h) + "\r\n");
    QCOMPARE(t.chat->size(), QSize(w, h));
    t.chat->move(5, 5);
    t.chat->close();
    QCOMPARE(value(t, "Width"), QString::number(w - 15));
    QCOMPARE(value(t, "Height"), QString::number(h - 15));
}

void TestTableSettings::minimumSizeHolds()
{
    SeatedTable t("");
    t.chat->resize(300, 200);
    QTRY_VERIFY(t.chat->centralWidget()->width() >= 784);
    QVERIFY(t.chat->centralWidget()->height() >= 535);
}

void TestTableSettings::otherSectionsAndCommentsSurvive()
{
    const QByteArray before = "; the lobby's settings\r\n[Lobby]\r\nServer=play.example.org\r\nName=Ann, the Great\r\n\r\n"
                              "[Chickenfoot]\r\n; mine\r\nBOTSPEED=2000\r\nPhrase3=Nice, \"really\"\r\n\r\n[Other]\r\nx=1\r\n";
    SeatedTable t(before);
    t.chat->Fast1->trigger();
    const QByteArray after = readFile(t.ini());
    QVERIFY(after.startsWith("; the lobby's settings\r\n[Lobby]\r\nServer=play.example.org\r\nName=Ann, the Great\r\n\r\n"
                             "[Chickenfoot]\r\n; mine\r\nBOTSPEED=500\r\nPhrase3=Nice, \"really\"\r\n"));
    QVERIFY(after.endsWith("\r\n\r\n[Other]\r\nx=1\r\n"));
    QVERIFY(!after.contains("Botspeed=")); // the key keeps its spelling
    QCOMPARE(t.chat->phrase(3), QStringLiteral("Nice, \"really\""));
}

void TestTableSettings::unseatedCopyKeepsStoredSettings()
{
    Table t(QStringList{"Ann", "127.0.0.1"}, QStringLiteral("0"));
    const QByteArray stored = "[Chickenfoot]\r\nTextsize=14\r\nBotspeed=2000\r\nTop=50\r\n";
    writeFile(t.ini(), stored);
    t.chat->move(200, 200);
    t.chat->close(); // never seated: nothing is written
    QCOMPARE(readFile(t.ini()), stored);
    t.chat->Fast1->trigger(); // a change writes its own key only
    QCOMPARE(value(t, "Botspeed"), QStringLiteral("500"));
    QCOMPARE(value(t, "Textsize"), QStringLiteral("14"));
    QCOMPARE(value(t, "Top"), QStringLiteral("50"));
    QCOMPARE(value(t, "Playsounds"), QStringLiteral("<missing>"));
}

void TestTableSettings::absurdValuesArePulledBack()
{
    const QByteArray text = "[Chickenfoot]\r\nTextsize=500\r\nTop=-40000\r\nLeft=90000\r\nWidth=20\r\nHeight=10\r\n"
                            "Textcolor=lilac\r\nPlaytoscore=x\r\nNewcomers=y\r\n";
    SeatedTable t(text);
    QVERIFY(t.chat->mainchat->font().pointSize() <= 48);
    const QRect area = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    QVERIFY(area.intersects(t.chat->frameGeometry()));
    QVERIFY(t.chat->width() >= 784);
    QCOMPARE(t.chat->chatColour(), QColor(Qt::black));
    QCOMPARE(t.program->forms.gamestart->rounds(), 10); // unreadable: unchanged
    QCOMPARE(readFile(t.ini()), text); // left alone until the next save
    SeatedTable tiny("[Chickenfoot]\r\nTextsize=0\r\n");
    QVERIFY(tiny.chat->mainchat->font().pointSize() >= 6);
}

void TestTableSettings::gameStartDialog()
{
    Table t({"Ann", "127.0.0.1", "true"}, QStringLiteral("0"));
    QTRY_VERIFY(t.chat->loggedIn());
    Tgamestart *dialog = t.program->forms.gamestart;
    t.chat->StartGame1->trigger();
    QVERIFY(dialog->isVisible());
    dialog->UpDown1->setValue(2);
    QCOMPARE(dialog->rounds(), 3);
    dialog->UpDown1->stepDown();
    QCOMPARE(dialog->edit_playtoscore->text(), QStringLiteral("3"));
    dialog->UpDown1->setValue(11);
    QCOMPARE(dialog->rounds(), 10);
    // Digits typed into the box count.
    dialog->edit_playtoscore->selectAll();
    QTest::keyClicks(dialog->edit_playtoscore, "7");
    QCOMPARE(dialog->rounds(), 7);
    dialog->edit_playtoscore->selectAll();
    QTest::keyClicks(dialog->edit_playtoscore, "10");
    QCOMPARE(dialog->rounds(), 10);
    QTest::mouseClick(dialog->image_newcomers[3], Qt::LeftButton);
    QCOMPARE(dialog->newcomersOption(), 3);
    TestClient spy;
    QVERIFY(spy.login(t.program->forms.server->Sock1->localPort(), "Bo") == 2);
    dialog->button_startClick();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(spy.take("CMD_startgame"), QByteArray("CMD_startgame+Ann+10+"));
    QCOMPARE(t.program->forms.server->game().newcomers, 3);
    QCOMPARE(value(t, "Newcomers"), QStringLiteral("3"));
    QCOMPARE(value(t, "Playtoscore"), QStringLiteral("10"));
    // A guest's start button says why it cannot start.
    Table guest;
    guest.chat->button_startClick();
    QCOMPARE(guest.boxes, QStringList{"You are not connected"});
}

void TestTableSettings::resetScreenLocation()
{
    SeatedTable t("[Chickenfoot]\r\nTop=40\r\nLeft=50\r\nWidth=900\r\nHeight=650\r\n");
    t.chat->ResetScreenLocation1->trigger();
    QCOMPARE(t.chat->pos(), QPoint(3, 3));
    QCOMPARE(t.chat->size(), QSize(790, 578));
    QCOMPARE(value(t, "Left"), QStringLiteral("50")); // saved when the window closes
    t.chat->close();
    QCOMPARE(value(t, "Left"), QStringLiteral("3"));
    QCOMPARE(value(t, "Width"), QStringLiteral("790"));
}

// Settings that cannot be written: the player is told once where it was
// tried, and the game goes on.
void TestTableSettings::unwritableSettingsFolder()
{
    Table t(2);
    const QString blocked = t.dir.filePath(QStringLiteral("afile"));
    writeFile(blocked, "not a folder");
    setProgramFolder(blocked); // the settings would go to afile/qorblobby.ini
    t.chat->Fast1->trigger();
    t.chat->Slow1->trigger();
    const QStringList notes = t.notices().filter(QStringLiteral("Your settings could not be saved in "));
    QCOMPARE(notes.size(), 1);
    QVERIFY(notes.first().contains(blocked + QStringLiteral("/qorblobby.ini")));
    QCOMPARE(t.chat->botDelay(), 2000); // the choice itself still counts
    setProgramFolder(t.dir.path());
}

void TestTableSettings::noSoundDeviceSaidOnce()
{
    Table t(0);
    SoundPlayer::deviceProbe = [] { return false; };
    writeFile(t.ini(), "[Chickenfoot]\r\nPlaysounds=true\r\nGamelog=false\r\n");
    t.host.waitForClient();
    t.login(1, "Ann");
    QVERIFY(!t.chat->GameLog1->isChecked());
    for (int slot = 2; slot <= 4; ++slot) // each arrival would play "entered"
        t.host.send("CMD_newplayerinfo+" + QByteArray::number(slot) + "+P" + QByteArray::number(slot));
    QVERIFY(t.sync());
    QCOMPARE(t.notices().count("No sound device was found; sounds are off until one is."), 1);
    QVERIFY(!t.chat->PlaySounds1->isChecked());
    QVERIFY(!t.chat->PlaySounds1->isEnabled());
    // Any other change saves every key: the player's own choice stays.
    t.chat->Fast1Click(500);
    QCOMPARE(value(t, "Playsounds"), QStringLiteral("true"));
    QCOMPARE(value(t, "Gamelog"), QStringLiteral("false"));
}

QTEST_MAIN(TestTableSettings)
#include "tst_table_settings.moc"
