// SPDX-License-Identifier: MIT
// The about box, the help window and TURL.
#include "config.h"
#include "forms.h"
#include "tabout.h"
#include "thelp.h"
#include "turl.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>

class tst_AboutHelp : public QObject {
    Q_OBJECT

private slots:
    void urlOpen_data();
    void urlOpen();
    void urlEmptyOrRefused();

    void aboutVersion();
    void aboutWebLink();

    void helpStartsOnOverview();
    void helpPages_data();
    void helpPages();
    void helpAboutAndDone();
};

void tst_AboutHelp::urlOpen_data()
{
    QTest::addColumn<TURL::TURLType>("type");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("address");

    QTest::newRow("default is http") << TURL::utHttp << "www.qorb42.com" << "http://www.qorb42.com";
    QTest::newRow("file") << TURL::utFile << "/tmp/readme.txt" << "file:///tmp/readme.txt";
    QTest::newRow("ftp") << TURL::utFtp << "ftp.example.org/pub" << "ftp://ftp.example.org/pub";
    QTest::newRow("gopher") << TURL::utGopher << "gopher.example.org" << "gopher://gopher.example.org";
    QTest::newRow("https") << TURL::utHttps << "example.org/a?b=c" << "https://example.org/a?b=c";
    QTest::newRow("mailto") << TURL::utMailto << "ann@example.org" << "mailto:ann@example.org";
    QTest::newRow("news") << TURL::utNews << "comp.games" << "news:comp.games";
    QTest::newRow("telnet") << TURL::utTelnet << "bbs.example.org" << "telnet:bbs.example.org";
    QTest::newRow("wais") << TURL::utWais << "wais.example.org" << "wais:wais.example.org";
    QTest::newRow("none") << TURL::utnone << "https://example.org/x" << "https://example.org/x";
}

void tst_AboutHelp::urlOpen()
{
    QFETCH(TURL::TURLType, type);
    QFETCH(QString, url);
    QFETCH(QString, address);

    TURL link;
    if (QByteArray(QTest::currentDataTag()) != "default is http")
        link.setURLType(type);
    link.setURL(url);
    QList<QUrl> opened;
    link.opener = [&](const QUrl &u) {
        opened.append(u);
        return true;
    };
    QVERIFY(link.open());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].toString(), address);
    QCOMPARE(link.address(), address);
}

void tst_AboutHelp::urlEmptyOrRefused()
{
    TURL link;
    int calls = 0;
    bool accept = true;
    link.opener = [&](const QUrl &) {
        ++calls;
        return accept;
    };
    QVERIFY(!link.open());
    QCOMPARE(calls, 0);

    link.setURL(QStringLiteral("www.qorb42.com"));
    accept = false;
    QVERIFY(!link.open());
    QCOMPARE(calls, 1);
}

void tst_AboutHelp::aboutVersion()
{
    Forms forms;
    Tabout about(forms, nullptr);
    QCOMPARE(about.windowTitle(), QStringLiteral("Velloc - About"));
    QCOMPARE(about.size(), QSize(304, 174));
    QCOMPARE(about.minimumSize(), about.maximumSize());

    // The login carries the protocol version; the player reads one more part.
    QCOMPARE(about.versionText(), QStringLiteral("1.0.1"));
    QCOMPARE(about.version->text(), QStringLiteral("1.0.1"));
    QCOMPARE(about.displayedVersion(), QStringLiteral("1.0.1.2"));

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // The three labels sit on one line, left to right, and read as one text.
    QCOMPARE(about.label_versionword->y(), about.version->y());
    QCOMPARE(about.version->y(), about.label_build->y());
    QVERIFY(about.label_versionword->geometry().right() < about.version->x());
    QVERIFY(about.version->geometry().right() < about.label_build->x());
    QCOMPARE((about.label_versionword->text() + about.version->text() + about.label_build->text()).simplified(),
             QStringLiteral("Version 1.0.1.2"));
    QCOMPARE(about.label_product->text(), QStringLiteral("Velloc"));

    QTest::mouseClick(about.button_done, Qt::LeftButton);
    QVERIFY(about.isHidden());
}

void tst_AboutHelp::aboutWebLink()
{
    Forms forms;
    Tabout about(forms, nullptr);
    QCOMPARE(about.URL1->URLType(), TURL::utHttp);
    QCOMPARE(about.URL1->URL(), config::MakerWebAddress);
    QVERIFY(about.label_web->text().contains(config::MakerWebAddress));

    QList<QUrl> opened;
    about.URL1->opener = [&](const QUrl &u) {
        opened.append(u);
        return true;
    };
    emit about.label_web->linkActivated(QStringLiteral("#"));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].toString(), QStringLiteral("http://") + config::MakerWebAddress);
}

void tst_AboutHelp::helpStartsOnOverview()
{
    Forms forms;
    Thelp help(forms, nullptr);
    QCOMPARE(help.windowTitle(), QStringLiteral("Velloc - Help File"));
    QCOMPARE(help.size(), QSize(521, 422));
    QCOMPARE(help.currentPage(), 1);
    QCOMPARE(help.pages->currentWidget(), help.memo1);
    QCOMPARE(help.label_caption->text(), QStringLiteral("Overview"));
    for (QTextBrowser *memo : {help.memo1, help.memo2, help.memo3, help.memo4, help.memo5, help.memo6})
        QVERIFY(memo->isReadOnly());
}

void tst_AboutHelp::helpPages_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("facts"); // what a player must find on that page

    QTest::newRow("Overview") << "Overview" << 1 << QStringList{"Chicken Foot", "55", "double-nine"};
    QTest::newRow("Connecting") << "Connecting" << 2
                                << QStringList{"7772", "velloc NAME HOSTADDRESS true", "velloc NAME HOSTADDRESS x",
                                               "velloc-host [--port N]", "host leaves", "spies", "Play with Others",
                                               "host:port", "Reconnect"};
    QTest::newRow("Game Play") << "Game Play" << 3
                               << QStringList{"16", "14", "11", "9-9", "three toes", "new spinner", "passed"};
    QTest::newRow("Scoring") << "Scoring" << 4 << QStringList{"-20", "pips", "lowest total", "3 and 10 rounds"};
    QTest::newRow("Documentation") << "Documentation" << 5 << QStringList{"Version history", "1.0.1.2", "1.0.0.0"};
    QTest::newRow("License") << "License" << 6 << QStringList{"MIT", "Copyright (c) the Velloc developers"};
}

void tst_AboutHelp::helpPages()
{
    QFETCH(QString, button);
    QFETCH(int, page);
    QFETCH(QStringList, facts);

    Forms forms;
    Thelp help(forms, nullptr);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));

    QPushButton *pressed = nullptr;
    for (QPushButton *b : help.findChildren<QPushButton *>())
        if (b->text() == button)
            pressed = b;
    QVERIFY(pressed);
    QCOMPARE(pressed->property("Tag").toInt(), page);

    // Start from another page so that a button doing nothing cannot pass.
    QPushButton *other = page == 6 ? help.button_overview : help.button_license;
    QTest::mouseClick(other, Qt::LeftButton);
    QVERIFY(help.currentPage() != page);

    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(help.currentPage(), page);
    QCOMPARE(help.label_caption->text(), button);
    auto *memo = qobject_cast<QTextBrowser *>(help.pages->currentWidget());
    QVERIFY(memo);
    QCOMPARE(memo->objectName(), QStringLiteral("memo%1").arg(page));
    const QString text = memo->toPlainText();
    for (const QString &fact : facts)
        QVERIFY2(text.contains(fact), qPrintable(fact));
}

void tst_AboutHelp::helpAboutAndDone()
{
    Forms forms;
    Tabout about(forms, nullptr);
    forms.about = &about;
    Thelp help(forms, nullptr);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));

    QTest::mouseClick(help.button_about, Qt::LeftButton);
    QVERIFY(about.isVisible());
    QVERIFY(help.isVisible());

    QTest::mouseClick(help.button_done, Qt::LeftButton);
    QVERIFY(help.isHidden());

    // Without an about box the button does nothing harmful.
    Forms bare;
    Thelp lone(bare, nullptr);
    lone.button_aboutClick();
}

QTEST_MAIN(tst_AboutHelp)
#include "tst_about_help.moc"
