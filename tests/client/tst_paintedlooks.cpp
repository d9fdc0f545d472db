// SPDX-License-Identifier: MIT
// Widgets that paint themselves instead of carrying a style sheet look, pixel
// for pixel, as they did with it, at pixel ratios 1 and 2.
#include "closedsign.h"
#include "deferredstyle.h"
#include "jpegimage.h"
#include "look.h"
#include "offerpicture.h"
#include "phrasebutton.h"
#include "velloc_resources.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QImage rendered(QWidget *w, qreal ratio)
{
    QPixmap pm(w->size() * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::magenta);
    w->render(&pm);
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class tst_PaintedLooks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initVellocResources(); }
    void phraseButton_data();
    void phraseButton();
    void closedSign_data();
    void closedSign();
    void deferredIcons();
    void offerPicture_data() { closedSign_data(); }
    void offerPicture();
};

void tst_PaintedLooks::phraseButton_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("state");
    for (qreal ratio : {1.0, 2.0})
        for (const char *state : {"normal", "hover", "pressed", "focus", "disabled"})
            QTest::addRow("%s at %g", state, ratio) << ratio << QString::fromLatin1(state);
}

void tst_PaintedLooks::phraseButton()
{
    QFETCH(qreal, ratio);
    QFETCH(QString, state);
    QWidget window;
    window.resize(80, 40);
    // The look the buttons had with their style sheet.
    auto *before = new QToolButton(&window);
    before->setAutoRaise(true);
    before->setAutoFillBackground(true);
    before->setStyleSheet(QStringLiteral("QToolButton { background: white; border: 1px solid #b0a890; }"
                                         "QToolButton:hover { background: #e2e4b6; }"));
    QToolButton *now = new PhraseButton(&window);
    const QIcon icon(artPixmap(QStringLiteral(":/images/phrase_3.png"), 1.0));
    int x = 5;
    for (QToolButton *b : {before, now}) {
        b->setGeometry(x, 5, 25, 19);
        b->setIcon(icon);
        b->setIconSize(QSize(17, 13));
        b->setFocusPolicy(Qt::StrongFocus);
        x += 30;
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (QToolButton *b : {before, now}) {
        b->setAttribute(Qt::WA_UnderMouse, state == QLatin1String("hover"));
        if (state == QLatin1String("pressed"))
            b->setDown(true);
        else if (state == QLatin1String("disabled"))
            b->setEnabled(false);
    }
    const QImage reference = [&] {
        if (state == QLatin1String("focus"))
            before->setFocus(Qt::TabFocusReason);
        return rendered(before, ratio);
    }();
    if (state == QLatin1String("focus"))
        now->setFocus(Qt::TabFocusReason);
    const QImage painted = rendered(now, ratio);
    QCOMPARE(painted.size(), reference.size());
    if (painted != reference) {
        reference.save(QDir::temp().filePath(QStringLiteral("phrase-before-%1.png").arg(QString::fromLatin1(QTest::currentDataTag()))));
        painted.save(QDir::temp().filePath(QStringLiteral("phrase-now-%1.png").arg(QString::fromLatin1(QTest::currentDataTag()))));
    }
    QVERIFY2(painted == reference, "differs; both pictures are in the temporary folder");
}

void tst_PaintedLooks::closedSign_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("at 1") << 1.0;
    QTest::newRow("at 2") << 2.0;
}

// On the lobby picture's green, as the download window hangs it.
void tst_PaintedLooks::closedSign()
{
    QFETCH(qreal, ratio);
    QWidget window;
    window.resize(700, 200);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(0x1f, 0x5c, 0x3a));
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    auto *before = new QLabel(QStringLiteral("IS CLOSED"), &window);
    before->setAlignment(Qt::AlignCenter);
    before->setStyleSheet(QStringLiteral(
        "QLabel { color: rgb(230, 0, 0); background-color: rgba(0, 0, 0, 170);"
        " border: 2px solid rgb(230, 0, 0); border-radius: 4px;"
        " font-family: Arial; font-size: 30px; font-weight: bold; padding: 0px 16px; }"));
    before->adjustSize();
    before->move(10, 10);
    auto *now = new ClosedSign(QStringLiteral("IS CLOSED"), &window);
    now->adjustSize();
    now->move(10, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(now->size(), before->size());
    QPixmap canvas(window.size() * ratio);
    canvas.setDevicePixelRatio(ratio);
    window.render(&canvas);
    const QImage all = canvas.toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage reference = all.copy(QRect(before->pos() * ratio, before->size() * ratio));
    const QImage painted = all.copy(QRect(now->pos() * ratio, now->size() * ratio));
    if (painted != reference) {
        reference.save(QDir::temp().filePath(QStringLiteral("sign-before-%1.png").arg(ratio)));
        painted.save(QDir::temp().filePath(QStringLiteral("sign-now-%1.png").arg(ratio)));
    }
    QVERIFY2(painted == reference, "differs; both pictures are in the temporary folder");
}

// The program's style draws as the platform's own and gives the same
// standard icons, only later.
void tst_PaintedLooks::deferredIcons()
{
    auto shot = [](QStyle *style) {
        QMainWindow w;
        if (style)
            QApplication::setStyle(style);
        w.menuBar()->addMenu(QStringLiteral("&Game"))->addAction(QStringLiteral("E&xit"));
        auto *c = new QWidget;
        auto *l = new QVBoxLayout(c);
        l->addWidget(new QPushButton(QStringLiteral("&Start")));
        l->addWidget(new QLineEdit(QStringLiteral("Ann")));
        auto *combo = new QComboBox;
        combo->addItems({QStringLiteral("Normal"), QStringLiteral("Strong")});
        l->addWidget(combo);
        w.setCentralWidget(c);
        w.resize(300, 200);
        w.show();
        QCoreApplication::processEvents();
        return w.grab().toImage();
    };
    const QImage platform = shot(nullptr);
    const QStyle::StandardPixmap some[] = {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_MessageBoxWarning,
                                           QStyle::SP_DialogOkButton, QStyle::SP_ArrowRight};
    QList<QImage> icons;
    for (QStyle::StandardPixmap sp : some)
        icons << QApplication::style()->standardIcon(sp).pixmap(16).toImage();
    const QImage ours = shot(new DeferredIconStyle);
    QCOMPARE(ours, platform);
    for (int i = 0; i < icons.size(); ++i) {
        const QIcon later = QApplication::style()->standardIcon(some[i]);
        QCOMPARE(later.isNull(), icons[i].isNull());
        QCOMPARE(later.pixmap(16).toImage(), icons[i]);
    }
}

// The offer window's picture draws as the label holding its pixmap did, and
// again the same once its decoded copy was let go.
void tst_PaintedLooks::offerPicture()
{
    QFETCH(qreal, ratio);
    QWidget window;
    auto *before = new QLabel(&window);
    before->setFixedSize(700, 260);
    before->setAlignment(Qt::AlignCenter);
    QPalette pal = before->palette();
    pal.setColor(QPalette::Window, look::BoardGreen);
    before->setPalette(pal);
    before->setAutoFillBackground(true);
    before->setPixmap(QPixmap::fromImage(jpegimage::load(QStringLiteral(":/images/lobby.jpg"))));
    auto *now = new OfferPicture(QSize(700, 260), &window);
    QVERIFY(now->hasPicture());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(!now->holdsDecoded());
    const QImage reference = rendered(before, ratio);
    QCOMPARE(rendered(now, ratio), reference);
    QTRY_VERIFY(!now->holdsDecoded());
    QCOMPARE(rendered(now, ratio), reference);
}

QTEST_MAIN(tst_PaintedLooks)
#include "tst_paintedlooks.moc"
