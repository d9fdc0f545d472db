// SPDX-License-Identifier: MIT
// The table window following a game from a scripted host: the hand (faces,
// sorting, raising, swapping, removal), the board's drawing and targets,
// turns, plays, refusals, round scores, the winner and a latecomer's view.
#include "bones.h"
#include "tablefixture.h"
#include "tablewidgets.h"
#include "velloc_resources.h"

#include <QAction>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {

// What a bone should look like, composed from the same pictures.
QImage expectedLying(int bone, bool flip)
{
    QImage img(66, 34, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.drawPixmap(QRect(0, 0, 66, 34), artwork(QStringLiteral("bone_back_h.png"), {66, 34}));
    const int l = flip ? getbotnum(bone) : gettopnum(bone), r = flip ? gettopnum(bone) : getbotnum(bone);
    p.drawPixmap(QRect(3, 3, 28, 28), artwork(QStringLiteral("dots_h_%1.png").arg(l), {28, 28}));
    p.drawPixmap(QRect(35, 3, 28, 28), artwork(QStringLiteral("dots_h_%1.png").arg(r), {28, 28}));
    return img;
}

QImage expectedUpright(int bone)
{
    QImage img(34, 66, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.drawPixmap(QRect(0, 0, 34, 66), artwork(QStringLiteral("bone_back_v.png"), {34, 66}));
    p.drawPixmap(QRect(2, 3, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(gettopnum(bone)), {28, 28}));
    p.drawPixmap(QRect(2, 35, 28, 28), artwork(QStringLiteral("dots_v_%1.png").arg(getbotnum(bone)), {28, 28}));
    return img;
}

// Opaque pixels of `want` must match the board at `at`.
bool drawnAt(const QImage &board, const QPoint &at, const QImage &want)
{
    int compared = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const QRgb w = want.pixel(x, y);
            if (qAlpha(w) < 255)
                continue;
            ++compared;
            const QRgb b = board.pixel(at.x() + x, at.y() + y);
            if (qAbs(qRed(w) - qRed(b)) > 2 || qAbs(qGreen(w) - qGreen(b)) > 2 || qAbs(qBlue(w) - qBlue(b)) > 2)
                return false;
        }
    return compared > 500;
}

QImage boardImage(Tchat *chat)
{
    QWidget *surface = chat->paintbox_board;
    QImage img(surface->size(), QImage::Format_ARGB32_Premultiplied);
    surface->render(&img);
    return img;
}

void deal(Table &t, const QByteArray &pairs)
{
    t.host.send("CMD_dealmybones+" + QByteArray::number(t.chat->ownSeat()) + pairs);
    QVERIFY(t.sync());
}

QList<int> lefts(Tchat *chat)
{
    QList<int> l;
    for (int s = 1; s <= 20 && chat->handSlot(s) != -1; ++s)
        l << chat->handBone(chat->handSlot(s))->x();
    return l;
}

} // namespace

class TestTableGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initVellocResources(); }
    void handFaces();
    void sortingAndRemoval();
    void clicksOnTheHand();
    void toeTargetsOfATurn();
    void oneSendPerTurnAndRefusals();
    void boardGeometry();
    void longToesStayDrawnAndReachable();
    void doublesAndBeginAgain();
    void roundScores_data();
    void roundScores();
    void gameStartResetsTheTable();
    void winnerTexts();
    void latecomerViews();
    void spinnerFieldOfGameStats_data();
    void spinnerFieldOfGameStats();
    void passButtonAndPasses();
    void twentyBonesFillTheHand();
};

void TestTableGame::handFaces()
{
    Table t(3);
    deal(t, "+1+42+2+30");
    HandBone *b = t.chat->handBone(1);
    QVERIFY(b);
    QCOMPARE(b->objectName(), QStringLiteral("bone1"));
    QCOMPARE(b->hint(), 42);
    QCOMPARE(b->tag(), 1);
    QCOMPARE(b->size(), QSize(34, 66));
    // 5-6: the low value on top.
    const QImage want = expectedUpright(42);
    QImage got(34, 66, QImage::Format_ARGB32_Premultiplied);
    got.fill(Qt::transparent);
    b->render(&got);
    QVERIFY(drawnAt(got, {0, 0}, want));
    QVERIFY(!drawnAt(got, {0, 0}, want.mirrored(false, true)));
    // A hand number the hand already holds is not added twice.
    deal(t, "+1+11");
    QCOMPARE(t.chat->handSlot(3), -1);
}

void TestTableGame::sortingAndRemoval()
{
    Table t(3);
    deal(t, "+1+42+2+10+3+28");
    QCOMPARE(lefts(t.chat), (QList<int>{4, 44, 84}));
    t.chat->boneimagesMouseDown(t.chat->handBone(1), Qt::RightButton);
    QCOMPARE(t.chat->handSlot(1), 2); // 0-9
    QCOMPARE(t.chat->handSlot(2), 3); // 3-3
    QCOMPARE(t.chat->handSlot(3), 1); // 5-6
    QCOMPARE(lefts(t.chat), (QList<int>{4, 44, 84}));
    QCOMPARE(t.chat->handBone(2)->x(), 4);
    QCOMPARE(t.sounds.last(), QStringLiteral("sort"));

    Table five(3);
    deal(five, "+1+1+2+2+3+3+4+4+5+5");
    five.host.send("CMD_heplayed+3+2+2+1+1+f+4+");
    QVERIFY(five.sync());
    QCOMPARE(lefts(five.chat), (QList<int>{4, 44, 84, 124}));
    QCOMPARE(five.chat->handSlot(5), -1);
    QCOMPARE(five.chat->handBone(2), nullptr);
    QCOMPARE(five.chat->handBone(5)->x(), 124);
}

void TestTableGame::clicksOnTheHand()
{
    Table t(3);
    deal(t, "+1+42+2+10+3+28");
    t.host.send("CMD_nextplayer+1+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    t.sounds.clear();
    HandBone *a = t.chat->handBone(1), *b = t.chat->handBone(2);
    t.chat->boneimagesMouseDown(a, Qt::LeftButton); // not our turn
    QCOMPARE(a->y(), 12);
    QCOMPARE(t.chat->selectedBone(), -1);
    QVERIFY(t.sounds.isEmpty());

    t.host.send("CMD_nextplayer+3+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    t.sounds.clear();
    QTest::mousePress(a, Qt::LeftButton);
    QCOMPARE(a->y(), 4);
    QCOMPARE(t.chat->selectedBone(), 1);
    QTest::mousePress(a, Qt::LeftButton);
    QCOMPARE(a->y(), 12);
    QCOMPARE(t.chat->selectedBone(), -1);
    QTest::mousePress(a, Qt::LeftButton);
    QTest::mousePress(b, Qt::LeftButton); // swap with the raised bone
    QCOMPARE(t.chat->handSlot(1), 2);
    QCOMPARE(t.chat->handSlot(2), 1);
    QCOMPARE(a->pos(), QPoint(44, 12));
    QCOMPARE(b->pos(), QPoint(4, 12));
    QCOMPARE(t.chat->selectedBone(), -1);
    QCOMPARE(t.sounds, (QStringList{"selectbone", "clearbone", "selectbone", "sort"}));
    QTest::mousePress(b, Qt::MiddleButton);
    QCOMPARE(t.sounds.size(), 4);
}

void TestTableGame::toeTargetsOfATurn()
{
    Table t(3);
    t.host.send("CMD_nextplayer+3+2+t+f+t+4+1+2+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Your Turn."));
    QCOMPARE(t.sounds.last(), QStringLiteral("turn"));
    QVERIFY(!t.chat->button_pass->isHidden());
    QVERIFY(!t.chat->image_toe[1]->isHidden());
    QCOMPARE(t.chat->image_toe[1]->x(), 266);
    QCOMPARE(t.chat->targetPosition(1), 4);
    QVERIFY(t.chat->image_toe[2]->isHidden());
    QCOMPARE(t.chat->image_toe[3]->x(), 134);
    QVERIFY(!t.chat->image_turn[3]->isHidden());
    QVERIFY(t.chat->image_turn[1]->isHidden());
    t.host.send("CMD_newplayerinfo+5+Eve");
    t.host.send("CMD_nextplayer+5+2+t+t+t+4+1+2+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Eve's turn."));
    QVERIFY(t.chat->button_pass->isHidden());
    // The turn sound follows the menu.
    t.chat->New1->trigger();
    t.host.send("CMD_nextplayer+3+2+t+f+t+4+1+2+");
    QVERIFY(t.sync());
    QCOMPARE(t.sounds.last(), QStringLiteral("turnnew"));
}

void TestTableGame::oneSendPerTurnAndRefusals()
{
    Table t(3);
    deal(t, "+4+54+9+12");
    t.host.send("CMD_nextplayer+3+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    QTest::mousePress(t.chat->handBone(4), Qt::LeftButton);
    QTest::mousePress(t.chat->image_toe[2], Qt::LeftButton);
    QTest::mousePress(t.chat->image_toe[2], Qt::LeftButton);
    QCOMPARE(t.host.take("CMD_playbone"), QByteArray("CMD_playbone+3+4+2+1+"));
    QVERIFY(t.host.nothingFor(50));
    t.host.send("CMD_noplay+3+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("That is not a valid play"));
    QCOMPARE(t.sounds.last(), QStringLiteral("invalid"));
    QCOMPARE(t.chat->selectedBone(), -1);
    QCOMPARE(t.chat->handBone(4)->y(), 12);
    QTest::mousePress(t.chat->image_toe[2], Qt::LeftButton); // no bone raised: -1
    QCOMPARE(t.host.take("CMD_playbone"), QByteArray("CMD_playbone+3+-1+2+1+"));
    t.host.send("CMD_noplay+3+");
    t.host.send("CMD_noplay+2+"); // someone else's: nothing
    QVERIFY(t.sync());
    QTest::mousePress(t.chat->handBone(9), Qt::LeftButton);
    QTest::mousePress(t.chat->image_toe[1], Qt::LeftButton);
    QCOMPARE(t.host.take("CMD_playbone"), QByteArray("CMD_playbone+3+9+1+1+"));
    t.host.send("CMD_heplayed+3+9+12+1+1+f+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->handBone(9), nullptr);
    QVERIFY(t.chat->button_pass->isHidden());
    for (int k = 1; k <= 3; ++k)
        QVERIFY(t.chat->image_toe[k]->isHidden());
    QCOMPARE(t.chat->label_bones[3]->text(), QStringLiteral("1"));
    QCOMPARE(t.sounds.last(), QStringLiteral("placebone"));
}

void TestTableGame::boardGeometry()
{
    Table t(3);
    t.host.send("CMD_startround+1+55+16+1+t+2+t+3+f+4+f+5+f+6+f");
    t.host.send("CMD_heplayed+2+1+54+2+1+t+15+");
    t.host.send("CMD_heplayed+2+2+44+2+2+t+14+");
    t.host.send("CMD_heplayed+2+3+30+2+3+t+13+"); // 3-5, 5 touching: shows 5 then 3
    QVERIFY(t.sync());
    QApplication::processEvents();
    const QImage board = boardImage(t.chat);
    QVERIFY(drawnAt(board, {198, 128}, expectedLying(30, true)));
    QVERIFY(!drawnAt(board, {198, 128}, expectedLying(30, false)));
    QVERIFY(drawnAt(board, {64, 128}, expectedLying(54, true)));
    // The spinner stands upright at (16, 124) with its low value on top.
    QVERIFY(drawnAt(board, {16, 124}, expectedUpright(55)));
    // The target of toe 2 moved past the third bone.
    QCOMPARE(t.chat->image_toe[2]->pos(), QPoint(66 * 3 + 70, 128));
    QCOMPARE(t.chat->targetPosition(2), 4);
    QCOMPARE(t.chat->image_toe[1]->pos(), QPoint(68, 68));
}

void TestTableGame::longToesStayDrawnAndReachable()
{
    Table t(3);
    t.host.send("CMD_startround+1+55+16+1+t+2+t+3+f+4+f+5+f+6+f");
    for (int p = 1; p <= 25; ++p)
        t.host.send("CMD_heplayed+2+1+" + QByteArray::number(p % 2 ? 10 : 1) + "+3+" + QByteArray::number(p) + "+f+5+");
    t.host.send("CMD_nextplayer+3+2+f+f+t+1+1+26+");
    QVERIFY(t.sync());
    t.chat->paintbox_board->repaint();
    const QImage board = boardImage(t.chat);
    const int x24 = 67 * 24 - 3; // the 25th is partly under the next target
    QVERIFY(board.width() >= 67 * 25 - 3 + 66);
    QVERIFY(drawnAt(board, {x24, 192}, expectedLying(1, false)));
    // The target of the 26th position lies on the same scrolling surface.
    QCOMPARE(t.chat->image_toe[3]->parentWidget(), t.chat->paintbox_board);
    QCOMPARE(t.chat->image_toe[3]->x(), 66 * 26 + 2);
    QVERIFY(t.chat->paintbox_board->width() >= 66 * 26 + 2 + 66);
    QScrollBar *h = t.chat->panel_board->horizontalScrollBar();
    QVERIFY(h->maximum() > 0);
    t.chat->panel_board->ensureWidgetVisible(t.chat->image_toe[3]);
    QVERIFY(h->value() > 0);
    // A game start clears every cell, however far out.
    t.host.send("CMD_startgame+Ann+3+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->cellBone(3, 25), 0);
    QCOMPARE(h->value(), 0);
}

void TestTableGame::doublesAndBeginAgain()
{
    Table t(3);
    deal(t, "+1+53+2+12");
    t.host.send("CMD_startround+1+55+16+1+t+2+t+3+t+4+f+5+f+6+f");
    deal(t, "+1+53+2+12");
    t.host.send("CMD_heplayed+2+1+54+1+1+t+15+");
    t.host.send("CMD_nextplayer+3+1+f+t+t+1+1+1+");
    QVERIFY(t.sync());
    const QPoint targetBefore = t.chat->image_toe[1]->pos();
    t.host.send("CMD_double+3+1+53+1+2+f+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("New Spinner Loaded!"));
    QCOMPARE(t.chat->cellBone(1, 2), 53);
    QCOMPARE(t.chat->image_toe[1]->pos(), targetBefore);
    for (int k = 1; k <= 3; ++k)
        QVERIFY(t.chat->image_toe[k]->isHidden());
    QCOMPARE(t.chat->handBone(1), nullptr);
    QCOMPARE(t.sounds.last(), QStringLiteral("double"));
    t.host.send("CMD_beginagain+53+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->spinnerBone(), 53);
    QCOMPARE(t.chat->cellBone(1, 1), 0);
    QCOMPARE(t.chat->cellBone(1, 2), 0);
    QCOMPARE(t.chat->image_toe[1]->pos(), QPoint(68, 68));
}

void TestTableGame::roundScores_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QStringList>("bonus");
    QTest::addColumn<QStringList>("score");
    QTest::newRow("went out") << QByteArray("CMD_endround+3+1+7+7+2+0+12+3+-20+-20") << "roundover"
                              << QStringList{"+7", "0", "-20"} << QStringList{"7", "12", "-20"};
    QTest::newRow("blocked") << QByteArray("CMD_endround+0+1+3+10+2+44+44") << "blocked"
                             << QStringList{"+3", "+44", ""} << QStringList{"10", "44", "0"};
}

void TestTableGame::roundScores()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, sound);
    QFETCH(QStringList, bonus);
    QFETCH(QStringList, score);
    Table t(3);
    t.host.send(message);
    QVERIFY(t.sync());
    QCOMPARE(t.sounds.last(), sound);
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Posting Scores, Please Wait.."));
    for (int s = 1; s <= 3; ++s) {
        QCOMPARE(t.chat->label_bonus[s]->text(), bonus[s - 1]);
        QCOMPARE(t.chat->label_score[s]->text(), score[s - 1]);
    }
}

void TestTableGame::gameStartResetsTheTable()
{
    Table t(1);
    t.host.send("CMD_newplayerinfo+4+Dee");
    t.host.send("CMD_playerdisconnected+4+Dee");
    t.host.send("CMD_newplayerinfo+3+Cy");
    t.host.send("CMD_justwatching+3+1");
    t.host.send("CMD_endround+0+1+3+10+2+44+44");
    t.host.send("CMD_winner+Klot+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->seatName(4), QStringLiteral("Kling"));
    t.host.send("CMD_startgame+Ann+5+");
    t.host.send("CMD_startround+1+55+14+1+t+2+t+3+t+4+f+5+f+6+f");
    QVERIFY(t.sync());
    // The player's own start, in his own window, is in the second person.
    QVERIFY(t.notices().contains("You started a game."));
    QCOMPARE(t.chat->label_round->text(), QStringLiteral("Round: 1 of 5"));
    QCOMPARE(t.chat->label_score[1]->text(), QStringLiteral("0"));
    QCOMPARE(t.chat->label_bonus[2]->text(), QString());
    QCOMPARE(t.chat->label_bones[3]->text(), QStringLiteral("14"));
    QCOMPARE(t.chat->label_bones[4]->text(), QString());
    QCOMPARE(t.chat->seatName(4), QStringLiteral("<Waiting>"));
    QCOMPARE(t.chat->seatName(2), QStringLiteral("Klot"));
    QVERIFY(t.chat->image_eyes[3]->isHidden()); // watching ends with a new game
    QVERIFY(t.chat->panel_winner->isHidden());
    QVERIFY(!t.chat->JustWatch1->isChecked());
}

void TestTableGame::winnerTexts()
{
    Table t(3);
    t.host.send("CMD_newplayerinfo+1+Bo+Cy");
    t.host.send("CMD_winner+Ann+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_winner1->text(), QStringLiteral("You have Won the Game!"));
    QCOMPARE(t.chat->label_winner2->text(), QStringLiteral("You have Won the Game!"));
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Game Over!"));
    QVERIFY(!t.chat->panel_winner->isHidden());
    QCOMPARE(t.sounds.last(), QStringLiteral("winner"));
    QVERIFY(t.chat->button_start->isHidden()); // only the host's player starts games
    // A name holding "+" is shown whole.
    t.host.send("CMD_winner+Bo+Cy+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_winner1->text(), QStringLiteral("Bo+Cy has Won the Game!"));
    QVERIFY(t.notices().contains("Bo+Cy has Won the Game!"));
}

void TestTableGame::latecomerViews()
{
    {
        // A watcher joins in round 4 of 10.
        Table t(7);
        t.host.send("CMD_gamestats+2+4+10+7+f+5+-3+0+0+0+0+1+1+50+f+1+2+52+t+2+1+57+f");
        QVERIFY(t.sync());
        QCOMPARE(t.chat->label_round->text(), QStringLiteral("Round: 4 of 10"));
        QCOMPARE(t.chat->label_score[2]->text(), QStringLiteral("-3"));
        QCOMPARE(t.chat->cellBone(1, 2), 52);
        QVERIFY(t.chat->cellFlip(1, 2));
        QCOMPARE(t.chat->cellBone(2, 1), 0); // 57 is no bone
        QCOMPARE(t.chat->spinnerBone(), 50);
        QVERIFY(t.chat->label_notplaying->isHidden());
        QCOMPARE(t.chat->handSlot(1), -1);
        QVERIFY(!t.chat->image_turn[2]->isHidden());
        QCOMPARE(t.chat->image_toe[1]->pos(), QPoint(66 * 2 + 70, 68));
    }
    {
        // A seated newcomer who waits for the next round.
        Table t(4);
        t.host.send("CMD_youplay+3+4+");
        t.host.send("CMD_gamestats+1+2+10+8+f+0+0+0+0+0+0+*");
        QVERIFY(t.sync());
        QVERIFY(!t.chat->label_notplaying->isHidden());
        QCOMPARE(t.chat->label_notplaying->text(), QStringLiteral("Round already in progress.."));
        QCOMPARE(t.chat->spinnerBone(), 53);
        t.host.send("CMD_dealmybones+4+1+5");
        QVERIFY(t.sync());
        QVERIFY(t.chat->label_notplaying->isHidden());
    }
    {
        // Taking over a seat whose turn it is: the player can pass.
        Table t(2);
        t.host.send("CMD_gamestats+2+1+3+9+t+0+0+0+0+0+0+*");
        t.host.send("CMD_dealmybones+2+3+12");
        QVERIFY(t.sync());
        QCOMPARE(t.chat->label_status->text(), QStringLiteral("Your Turn"));
        QVERIFY(!t.chat->button_pass->isHidden());
        for (int k = 1; k <= 3; ++k)
            QVERIFY(!t.chat->image_toe[k]->isHidden());
        QTest::mouseClick(t.chat->button_pass, Qt::LeftButton);
        QCOMPARE(t.host.take("CMD_hepasses"), QByteArray("CMD_hepasses+2+"));
    }
}

void TestTableGame::spinnerFieldOfGameStats_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("bone");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("9") << 9 << 55;
    QTest::newRow("5") << 5 << 41;
    QTest::newRow("a double's bone number") << 53 << -1;
}

void TestTableGame::spinnerFieldOfGameStats()
{
    QFETCH(int, field);
    QFETCH(int, bone);
    Table t(7);
    t.host.send("CMD_gamestats+0+1+10+" + QByteArray::number(field) + "+f+0+0+0+0+0+0+*");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->spinnerBone(), bone);
}

void TestTableGame::passButtonAndPasses()
{
    Table t(3);
    t.host.send("CMD_newplayerinfo+1+Bo");
    t.host.send("CMD_nextplayer+3+1+t+t+t+1+1+1+");
    QVERIFY(t.sync());
    t.chat->button_passClick();
    QCOMPARE(t.host.take("CMD_hepasses"), QByteArray("CMD_hepasses+3+"));
    QVERIFY(t.chat->button_pass->isHidden());
    t.host.send("CMD_hepassed+3+");
    t.host.send("CMD_nextplayer+1+1+t+t+t+1+1+1+");
    t.host.send("CMD_hepassed+1+");
    QVERIFY(t.sync());
    QCOMPARE(t.chat->label_status->text(), QStringLiteral("Bo passed."));
    QCOMPARE(t.sounds.count("pass"), 1);
    t.chat->button_passClick(); // not our turn any more: nothing goes out
    QVERIFY(t.host.nothingFor(50));
}

// A hand of twenty bones takes every place; a twenty-first has none and
// is left out, and the places stay in order when one is played.
void TestTableGame::twentyBonesFillTheHand()
{
    Table t(3);
    QByteArray pairs;
    for (int h = 1; h <= 20; ++h)
        pairs += "+" + QByteArray::number(h) + "+" + QByteArray::number(h + 20);
    deal(t, pairs);
    for (int slot = 1; slot <= 20; ++slot)
        QCOMPARE(t.chat->handSlot(slot), slot);
    const QList<int> before = lefts(t.chat);
    QCOMPARE(before.size(), 20);
    QVERIFY(std::is_sorted(before.begin(), before.end()));
    t.chat->createbone(21, 50);
    QCOMPARE(t.chat->handBone(21), nullptr);
    t.chat->createbone(5, 50); // a hand number already held
    QCOMPARE(t.chat->handBone(5)->hint(), 25);
    t.chat->freebone(7);
    QCOMPARE(lefts(t.chat).size(), 19);
}

QTEST_MAIN(TestTableGame)
#include "tst_table_game.moc"
