// SPDX-License-Identifier: MIT
// Every window of the program against the fonts of the machine it runs on:
// a label, check box, radio button or push button whose text needs more
// room than the control has is cut, so each one is measured. Also the few
// looks the windows are drawn with (hints, colours, backdrops).
#include "look.h"
#include "offerpicture.h"
#include "paths.h"
#include "program.h"
#include "tablewidgets.h"
#include "tabout.h"
#include "tchat.h"
#include "tdownload.h"
#include "tgamestart.h"
#include "thelp.h"
#include "tphrases.h"
#include "tplayothers.h"
#include "tspylist.h"
#include "ttallylist.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QAccessible>
#include <QScrollBar>
#include <QDialog>
#include <QtTest>

#include <cmath>

#include <memory>

namespace {

// Labels that are never shown: their text is a leftover placeholder.
const QStringList NeverShown{QStringLiteral("mylabel_3"), QStringLiteral("mylabel_4")};

QString describe(const QWidget *w)
{
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    return QStringLiteral("%1 %2 at (%3,%4 %5x%6)")
        .arg(name)
        .arg(w->window()->objectName().isEmpty() ? w->window()->windowTitle() : w->window()->objectName())
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

QString shortBy(const QWidget *w, const QString &text, const QString &what, int needs, int has)
{
    return QStringLiteral("%1 \"%2\": %3 needs %4 px, has %5 (%6 px short)")
        .arg(describe(w), text, what)
        .arg(needs)
        .arg(has)
        .arg(needs - has);
}

// Empty when the label's text fits, else what is cut and by how much. A
// text that fits its label but runs under a control beside it is cut too.
QString labelCut(const QLabel *l)
{
    if (!l->pixmap().isNull() || l->movie() || l->text().isEmpty() || NeverShown.contains(l->objectName()))
        return {};
    QString text = l->text();
    if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        text = doc.toPlainText();
    } else if (l->buddy()) {
        // A buddy's mnemonic marker is drawn as an underline, not a character.
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace(QLatin1Char('\x01'), QLatin1Char('&'));
    }
    const QFontMetrics fm(l->font());
    const int m = l->margin();
    const QRect room = l->contentsRect().adjusted(m, m, -m, -m);
    int indent = l->indent();
    if (indent < 0)
        indent = l->frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    const Qt::Alignment align = QStyle::visualAlignment(l->layoutDirection(), l->alignment());
    const int hIndent = align & (Qt::AlignLeft | Qt::AlignRight) ? indent : 0;
    const int vIndent = align & (Qt::AlignTop | Qt::AlignBottom) ? indent : 0;
    const int width = room.width() - hIndent;
    QSize used;
    if (l->wordWrap()) {
        // Measured from the top left: centring in a tall box would round
        // the result up by a pixel.
        used = fm.boundingRect(QRect(0, 0, width, 100000), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text).size();
        if (used.width() > width)
            return shortBy(l, text, QStringLiteral("a word"), used.width() + hIndent, room.width());
        if (used.height() + vIndent > room.height())
            return shortBy(l, text, QStringLiteral("wrapped, height"), used.height() + vIndent, room.height());
    } else {
        used = text.contains(QLatin1Char('\n')) ? fm.boundingRect(QRect(), 0, text).size()
                                                : QSize(fm.horizontalAdvance(text), fm.height());
        if (used.width() + hIndent > room.width())
            return shortBy(l, text, QStringLiteral("width"), used.width() + hIndent, room.width());
    }
    // Where the text lies, against the controls beside the label.
    const QRect inked = QStyle::alignedRect(l->layoutDirection(), align, used.boundedTo(room.size()), room)
                            .translated(l->pos());
    for (const QWidget *other : l->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        // A caption may lie on a picture.
        const bool picture = qobject_cast<const QLabel *>(other) || dynamic_cast<const OfferPicture *>(other);
        if (other == l || other->isHidden() || picture || !other->geometry().intersects(inked))
            continue;
        const QRect under = other->geometry().intersected(inked);
        return QStringLiteral("%1 \"%2\": runs under %3 by %4 x %5 px")
            .arg(describe(l), text, describe(other))
            .arg(under.width())
            .arg(under.height());
    }
    return {};
}

// The same for the text of a button or box: the room its style leaves for it.
QString buttonCut(const QAbstractButton *b)
{
    if (b->text().isEmpty())
        return {};
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox *>(b))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(b))
        contents = QStyle::SE_RadioButtonContents;
    else if (const auto *push = qobject_cast<const QPushButton *>(b)) {
        if (push->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        if (push->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
    } else {
        return {}; // tool buttons show pictures
    }
    const int room = b->style()->subElementRect(contents, &opt, b).width();
    QString text = b->text();
    text.remove(QLatin1Char('&'));
    int needs = QFontMetrics(b->font()).horizontalAdvance(text);
    if (!opt.icon.isNull() && contents == QStyle::SE_PushButtonContents)
        needs += opt.iconSize.width() + 4;
    return needs > room ? shortBy(b, text, QStringLiteral("width"), needs, room) : QString();
}

QStringList cutTexts(const QWidget *window)
{
    QStringList cut;
    for (const QLabel *l : window->findChildren<QLabel *>()) {
        if (l->window() != window)
            continue;
        const QString why = labelCut(l);
        if (!why.isEmpty())
            cut << why;
    }
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (b->window() != window || b->isHidden())
            continue;
        const QString why = buttonCut(b);
        if (!why.isEmpty())
            cut << why;
    }
    return cut;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void textsFit_data();
    void textsFit();
    void keysAndNames_data() { textsFit_data(); }
    void keysAndNames();
    void helpCaptionsFit();

    void phraseLabels();
    void spyList();
    void gameStartFonts();
    void toeHints();
    void boardBackdrop();
    void aboutBackground();

private:
    QWidget *window(const QString &name) const;
    QTemporaryDir m_dir;
    std::unique_ptr<Program> m_program;
};

void TestLayout::initTestCase()
{
    QVERIFY(m_dir.isValid());
    setProgramFolder(m_dir.path());
    Tchat::messageBox = [](QWidget *, const QString &) {};
    // A port nobody listens on: the table tries once, fails and offers the
    // way on, so its join-failure texts are measured too.
    quint16 closed = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closed = probe.serverPort();
    }
    m_program = std::make_unique<Program>(QStringList{"Ann", "127.0.0.1", "x"}, QString::number(closed));
    Tchat *chat = m_program->forms.chat;
    chat->show();
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    QTRY_VERIFY_WITH_TIMEOUT(chat->offer() == Tchat::Offer::JoinFailed, 10000);
    // The seats are measured with their placeholder: players' names may be
    // longer and are elided, "<Waiting>" must be whole.
    for (int seat = 1; seat <= Tchat::Seats; ++seat)
        QCOMPARE(chat->seatName(seat), QStringLiteral("<Waiting>"));
}

void TestLayout::cleanupTestCase()
{
    m_program.reset();
    Tchat::messageBox = nullptr;
}

QWidget *TestLayout::window(const QString &name) const
{
    const Forms &f = m_program->forms;
    const QList<QPair<QString, QWidget *>> all{
        {"table", f.chat},          {"tally", f.tallylist}, {"about", f.about},
        {"download", f.download},   {"gamestart", f.gamestart}, {"help", f.help},
        {"phrases", f.phrases},     {"spylist", f.spylist}, {"playothers", f.playothers}};
    for (const auto &[n, w] : all)
        if (n == name)
            return w;
    return nullptr;
}

void TestLayout::textsFit_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"table", "tally", "about", "download", "gamestart", "help", "phrases", "spylist",
                             "playothers"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestLayout::textsFit()
{
    QFETCH(QString, name);
    QWidget *w = window(name);
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QStringList cut = cutTexts(w);
    if (name != QLatin1String("table"))
        w->hide();
    QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("\n") + cut.join(QLatin1Char('\n'))));
}

// Every window works from the keyboard: a dialog presses a button on Return
// and closes on Escape, and whatever Tab reaches tells a screen reader what
// it is.
void TestLayout::keysAndNames()
{
    QFETCH(QString, name);
    QWidget *w = window(name);
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QStringList unnamed;
    bool defaultButton = false;
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (!c->isVisibleTo(w))
            continue;
        if (auto *b = qobject_cast<QPushButton *>(c); b && b->isDefault())
            defaultButton = true;
        if (!(c->focusPolicy() & Qt::TabFocus) || qobject_cast<QScrollBar *>(c) || c->focusProxy())
            continue;
        QAccessibleInterface *i = QAccessible::queryAccessibleInterface(c);
        if (!i || i->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << c->objectName() + QStringLiteral(" (") + QLatin1String(c->metaObject()->className()) + QLatin1Char(')');
    }
    if (auto *dialog = qobject_cast<QDialog *>(w)) {
        QVERIFY2(defaultButton || name == QLatin1String("gamestart"), "Return should press a button");
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY2(!dialog->isVisible(), "Escape should close the window");
    }
    if (name != QLatin1String("table"))
        w->hide();
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

// The help window's caption takes each page button's text in turn.
void TestLayout::helpCaptionsFit()
{
    Thelp *help = m_program->forms.help;
    help->show();
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QStringList cut;
    for (QPushButton *b : {help->button_overview, help->button_connecting, help->button_gameplay,
                           help->button_scoring, help->button_documentation, help->button_license}) {
        b->click();
        QCOMPARE(help->label_caption->text(), b->text());
        cut << labelCut(help->label_caption);
    }
    help->button_overview->click();
    help->hide();
    cut.removeAll(QString());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

void TestLayout::phraseLabels()
{
    Tphrases *phrases = m_program->forms.phrases;
    for (int n = 1; n <= 10; ++n) {
        auto *label = phrases->findChild<QLabel *>(QStringLiteral("Label%1").arg(n));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Phrase Button %1:").arg(n));
        QCOMPARE(label->x(), 9);
        // Each label ends before its edit begins.
        QVERIFY(label->geometry().right() < phrases->phrase[size_t(n)]->x());
    }
    auto *note = phrases->findChild<QLabel *>(QStringLiteral("label_note"));
    QVERIFY(note);
    QCOMPARE(note->text(), QStringLiteral("Buttons can only be used once every 2 seconds"));
    // Red, and readable: WCAG contrast of at least 4.5 against its own background.
    const QColor text = note->palette().color(QPalette::WindowText), back = note->palette().color(QPalette::Window);
    QVERIFY(note->autoFillBackground());
    QVERIFY(text.red() > 2 * text.green() && text.red() > 2 * text.blue());
    const auto luminance = [](const QColor &c) {
        const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const double l1 = luminance(text), l2 = luminance(back);
    QVERIFY((std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05) >= 4.5);
}

void TestLayout::spyList()
{
    Tspylist *spies = m_program->forms.spylist;
    auto *title = spies->findChild<QLabel *>(QStringLiteral("Label1"));
    auto *done = spies->findChild<QPushButton *>(QStringLiteral("button_done"));
    QVERIFY(title && done);
    QCOMPARE(title->text(), QStringLiteral("Spy List"));
    QVERIFY2(title->geometry().right() < done->x(),
             qPrintable(QStringLiteral("title ends at %1, Done starts at %2").arg(title->geometry().right()).arg(done->x())));

    QListWidget *list = spies->listbox_spys;
    QCOMPARE(list->font(), look::font(13, true));
    list->addItem(QStringLiteral("7: Ann"));
    list->addItem(QStringLiteral("8: Bo"));
    spies->show();
    QVERIFY(QTest::qWaitForWindowExposed(spies));
    QCOMPARE(list->visualItemRect(list->item(0)).height(), 16);
    QCOMPARE(list->visualItemRect(list->item(1)).top(), list->visualItemRect(list->item(0)).bottom() + 1);
    spies->hide();
    list->clear();
}

void TestLayout::gameStartFonts()
{
    Tgamestart *start = m_program->forms.gamestart;
    auto *rounds = start->findChild<QLabel *>(QStringLiteral("Label2"));
    QVERIFY(rounds);
    QCOMPARE(rounds->text(), QStringLiteral("Rounds to Play:"));
    QCOMPARE(rounds->x(), 32);
    const char *const options[] = {"Cannot Play", "Starts with Highest", "Starts with Average"};
    for (int k = 1; k <= 3; ++k) {
        auto *caption = start->findChild<QLabel *>(QStringLiteral("Label%1").arg(3 + k));
        QVERIFY(caption);
        QCOMPARE(caption->text(), QString::fromLatin1(options[k - 1]));
        QCOMPARE(caption->font(), look::font(13, true));
    }
}

void TestLayout::toeHints()
{
    Tchat *chat = m_program->forms.chat;
    for (int toe = 1; toe <= Tchat::Toes; ++toe) {
        QCOMPARE(chat->image_toe[size_t(toe)]->toolTip(), QString::number(toe));
        QCOMPARE(chat->image_toe[size_t(toe)]->hint(), toe);
    }
}

void TestLayout::boardBackdrop()
{
    Tchat *chat = m_program->forms.chat;
    QWidget *board = chat->paintbox_board;
    QVERIFY(board->width() >= 770 && board->height() >= 258);
    // The board alone (its children left out), against the backdrop
    // stretched over 770 x 258 on the board's green.
    QImage drawn(board->size(), QImage::Format_RGB32);
    board->render(&drawn, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    QImage expected(board->size(), QImage::Format_RGB32);
    {
        QPainter p(&expected);
        p.fillRect(expected.rect(), look::BoardGreen);
        p.drawPixmap(QRect(0, 0, 770, 258), artwork(QStringLiteral("boardback.png"), {756, 312}));
    }
    QCOMPARE(drawn.copy(0, 0, 770, 258), expected.copy(0, 0, 770, 258));
}

void TestLayout::aboutBackground()
{
    Tabout *about = m_program->forms.about;
    const QBrush window = about->palette().brush(QPalette::Window);
    QVERIFY(!window.texture().isNull());
    QCOMPARE(window.texture().toImage(), look::backgroundTile().toImage());
    QVERIFY(about->autoFillBackground());
    // Light texts on the dark tile.
    for (QLabel *l : {about->label_product, about->label_versionword, about->version, about->label_build,
                      about->label_credit1, about->label_credit2})
        QCOMPARE(l->palette().color(QPalette::WindowText), look::Cream);
    QVERIFY(!about->label_web->text().contains(QLatin1String("#0000ff")));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
