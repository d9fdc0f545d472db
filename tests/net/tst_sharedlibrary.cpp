// SPDX-License-Identifier: MIT
// Libraries opened on first use: a missing library, a missing function and
// a library closed after use are each told apart, and a library's functions
// work once resolved.
#include "sharedlibrary.h"

#include <QtTest>

#include <cstdlib>
#include <cstring>

class TestSharedLibrary : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("ok");
        QTest::newRow("present") << QByteArray("libc.so.6") << QByteArray("strlen") << true << true;
        QTest::newRow("function missing") << QByteArray("libc.so.6") << QByteArray("velloc_no_such_function") << true
                                          << false;
        QTest::newRow("library missing") << QByteArray("libvelloc-not-here.so.1") << QByteArray("strlen") << false
                                         << false;
    }
    void outcomes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, function);
        QFETCH(bool, opened);
        QFETCH(bool, ok);
        decltype(&::strlen) f = nullptr;
        int (*g)(int) = nullptr;
        OpenedLibrary lib(file.constData(), [&](OpenedLibrary &l) {
            l.resolve(f, function.constData());
            l.resolve(g, "abs");
        });
        QCOMPARE(lib.opened(), opened);
        QCOMPARE(lib.ok(), ok);
        // The first missing one is named; nothing is named when all were found
        // or the library itself is missing.
        QCOMPARE(lib.missing(), opened && !ok ? QString::fromLatin1(function) : QString());
        if (ok) {
            QCOMPARE(f("four"), size_t(4));
            QCOMPARE(g(-3), 3);
        }
    }

    void closedWhenDone()
    {
        // libc stays (the program uses it); what matters is that closing
        // after use is asked for and nothing breaks.
        decltype(&::strlen) f = nullptr;
        {
            OpenedLibrary lib("libc.so.6", [&](OpenedLibrary &l) { l.resolve(f, "strlen"); });
            QVERIFY(lib.ok());
            lib.closeWhenDone();
            QCOMPARE(f("ab"), size_t(2));
        }
        QCOMPARE(std::strlen("abc"), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestSharedLibrary)
#include "tst_sharedlibrary.moc"
