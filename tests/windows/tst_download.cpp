// SPDX-License-Identifier: MIT
// The lobby download window against a small HTTP/1.0 server on loopback:
// what goes on the wire, what the window shows, and that only a complete
// download is ever started as an installer.
#include "config.h"
#include "curlloader.h"
#include "forms.h"
#include "httpdownload.h"
#include "offerpicture.h"
#include "paths.h"
#include "tchat.h"
#include "tdownload.h"
#include "tplayothers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers every request like an HTTP/1.0 server: one response, then close.
class TestHttpServer : public QObject {
public:
    struct Reply {
        QByteArray head; // status line and header lines, without the blank line
        QByteArray body;
        int chunk = 0;        // bytes per tick; 0 sends everything at once
        int intervalMs = 0;   // between ticks
        qint64 cutAfter = -1; // close after this many body bytes
        bool silentClose = false;
    };

    TestHttpServer()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                serve(s);
        });
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    quint16 port() const { return m_server.serverPort(); }

    static Reply ok(const QByteArray &body, bool withLength = true)
    {
        Reply r;
        r.head = "HTTP/1.0 200 OK\r\nServer: TestHttp/1.0\r\nContent-Type: application/octet-stream";
        if (withLength)
            r.head += "\r\nContent-Length: " + QByteArray::number(body.size());
        r.body = body;
        return r;
    }

    Reply reply;
    QList<QByteArray> requests; // each request's head, as received
    int connections = 0;
    bool clientHungUp = false; // the client closed before the whole body was sent

private:
    void serve(QTcpSocket *s)
    {
        ++connections;
        auto *buffer = new QByteArray;
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QObject::destroyed, this, [buffer] { delete buffer; });
        connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
            if (buffer->contains("\r\n\r\n"))
                return; // already answering
            buffer->append(s->readAll());
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            requests.append(buffer->left(end));
            answer(s, reply);
        });
    }

    void answer(QTcpSocket *s, const Reply &r)
    {
        if (r.silentClose) {
            s->disconnectFromHost();
            return;
        }
        s->write(r.head + "\r\n\r\n");
        const QByteArray body = r.cutAfter >= 0 ? r.body.left(r.cutAfter) : r.body;
        if (r.chunk <= 0) {
            s->write(body);
            s->disconnectFromHost();
            return;
        }
        auto *timer = new QTimer(s);
        auto *sent = new qint64(0);
        connect(timer, &QObject::destroyed, [sent] { delete sent; });
        connect(s, &QTcpSocket::disconnected, this, [this, sent, body] {
            if (*sent < body.size())
                clientHungUp = true;
        });
        connect(timer, &QTimer::timeout, s, [s, timer, sent, body, r] {
            if (s->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            const QByteArray piece = body.mid(*sent, r.chunk);
            s->write(piece);
            *sent += piece.size();
            if (*sent >= body.size()) {
                timer->stop();
                s->disconnectFromHost();
            }
        });
        timer->start(r.intervalMs);
    }

    QTcpServer m_server;
};

QByteArray randomBytes(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char(QRandomGenerator::global()->bounded(256));
    return b;
}

// Counts close events of a window without depending on what it does then.
class CloseCounter : public QObject {
public:
    explicit CloseCounter(QObject *target) { target->installEventFilter(this); }
    int closes = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Close)
            ++closes;
        return false;
    }
};

struct Launch {
    QString program;
    QStringList args;
    QByteArray contents; // the file as it was when it was started
    bool executable = false;
};

} // namespace

Q_DECLARE_METATYPE(TestHttpServer::Reply)

class tst_Download : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void requestAsSent();
    void success_data();
    void success();
    void installerRefused();
    void failures_data();
    void failures();
    void failureKeepsEarlierInstaller();
    void retryAfterFailure();
    void abort_data();
    void abort();
    void unusableFileName_data();
    void unusableFileName();
    void withoutLibcurl();
    void playWithOthers_data();
    void playWithOthers();
    void playSolo();
    void windowLayout();
    void noInstallerWhereItCannotRun();

private:
    // A window wired to the test's launcher, messages and folder.
    std::unique_ptr<Tdownload> makeWindow(Forms &forms, const QString &url);
    bool runDownload(Tdownload &dl, int timeoutMs = 15000);
    QStringList folderEntries() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Launch> m_launches;
    QStringList m_messages;
    bool m_launchResult = true;
};

void tst_Download::initTestCase()
{
    // A proxy from the environment must not be used: this one leads nowhere.
    qputenv("http_proxy", "http://127.0.0.1:9");
    qputenv("HTTP_PROXY", "http://127.0.0.1:9");
    qputenv("ALL_PROXY", "http://127.0.0.1:9");
    qputenv("all_proxy", "http://127.0.0.1:9");
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
}

void tst_Download::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    setProgramFolder(m_dir->path());
    m_launches.clear();
    m_messages.clear();
    m_launchResult = true;
    // The download itself is tested as it runs where the installer can run.
    Tdownload::installerRunsHere = true;
}

void tst_Download::cleanup()
{
    setProgramFolder(QString());
    m_dir.reset();
}

std::unique_ptr<Tdownload> tst_Download::makeWindow(Forms &forms, const QString &url)
{
    auto dl = std::make_unique<Tdownload>(forms, nullptr);
    dl->installerUrl = url;
    dl->launcher = [this](const QString &program, const QStringList &args) {
        QFile f(program);
        Launch l{program, args, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(),
                 bool(QFileInfo(program).permissions() & QFileDevice::ExeOwner)};
        m_launches.append(l);
        return m_launchResult;
    };
    dl->showMessage = [this](const QString &text) { m_messages.append(text); };
    return dl;
}

bool tst_Download::runDownload(Tdownload &dl, int timeoutMs)
{
    QSignalSpy done(&dl, &Tdownload::downloadDone);
    dl.getbuttonClick();
    if (done.isEmpty() && !done.wait(timeoutMs))
        return false;
    return done.size() == 1;
}

QStringList tst_Download::folderEntries() const
{
    // The table window's settings file may live here too; it is not ours.
    QStringList entries = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.removeAll(QStringLiteral("qorblobby.ini"));
    return entries;
}

void tst_Download::requestAsSent()
{
    TestHttpServer server;
    server.reply = TestHttpServer::ok("MZ-installer");
    Forms forms;
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));
    QVERIFY(runDownload(*dl));

    QCOMPARE(server.requests.size(), 1);
    const QList<QByteArray> lines = server.requests.first().split('\n');
    QCOMPARE(lines.first().trimmed(), QByteArray("GET /lobby/lobbysetup.exe HTTP/1.0"));
    QList<QByteArray> headers;
    for (qsizetype i = 1; i < lines.size(); ++i)
        headers.append(lines[i].trimmed());
    QVERIFY(headers.contains("User-Agent: Mozilla/3.0 (compatible)"));
    QVERIFY(headers.contains("Host: 127.0.0.1:" + QByteArray::number(server.port())));
    QStringList accepts;
    for (const QByteArray &h : headers) {
        if (h.toLower().startsWith("accept:"))
            accepts << QString::fromLatin1(h);
        QVERIFY2(!h.toLower().startsWith("proxy-"), h.constData());
    }
    QCOMPARE(accepts, QStringList{QStringLiteral("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*")});
}

void tst_Download::success_data()
{
    QTest::addColumn<TestHttpServer::Reply>("reply");
    QTest::addColumn<int>("headerLines");

    const QByteArray big = randomBytes(100000);
    QTest::newRow("with length") << TestHttpServer::ok(big) << 4;
    QTest::newRow("without length") << TestHttpServer::ok(randomBytes(5000), false) << 3;
    TestHttpServer::Reply slow = TestHttpServer::ok(randomBytes(64 * 1024));
    slow.chunk = 8 * 1024;
    slow.intervalMs = 10;
    QTest::newRow("in pieces") << slow << 4;
}

void tst_Download::success()
{
    QFETCH(TestHttpServer::Reply, reply);
    QFETCH(int, headerLines);

    TestHttpServer server;
    server.reply = reply;
    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    CloseCounter chatCloses(&chat);
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));

    // The texts in the order the player sees them.
    QStringList seen;
    connect(dl->http, &HttpDownload::headerLine, this, [&] { seen << dl->infolabel->text(); });
    connect(dl->http, &HttpDownload::bodyStarted, this, [&] { seen << dl->infolabel3->text(); });
    connect(dl->http, &HttpDownload::progress, this, [&] { seen << dl->infolabel->text(); });

    QVERIFY(runDownload(*dl));

    QStringList expectedStart;
    for (int i = 1; i <= headerLines; ++i)
        expectedStart << QStringLiteral("Loading") + QString(i, QLatin1Char('.'));
    expectedStart << QStringLiteral("Downloading: lobbysetup.exe");
    QCOMPARE(seen.mid(0, expectedStart.size()), expectedStart);
    const QStringList counts = seen.mid(expectedStart.size());
    QVERIFY(!counts.isEmpty());
    qint64 last = 0;
    for (const QString &text : counts) {
        QVERIFY2(text.endsWith(QLatin1String(" bytes")), qPrintable(text));
        const qint64 n = text.chopped(6).toLongLong();
        QVERIFY2(n > last, qPrintable(text));
        last = n;
    }
    QCOMPARE(last, qint64(reply.body.size()));

    QCOMPARE(dl->infolabel->text(), QStringLiteral("Received %1 bytes").arg(reply.body.size()));
    QCOMPARE(dl->infolabel3->text(), QStringLiteral("Installing"));
    QCOMPARE(dl->infolabel2->text(), QStringLiteral("lobbysetup.exe"));
    QCOMPARE(dl->infolabelTag(), 1);
    QVERIFY(dl->getbutton->isEnabled());
    QVERIFY(!dl->abortbutton->isEnabled());

    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_launches[0].program, programFolder() + QStringLiteral("lobbysetup.exe"));
    QCOMPARE(m_launches[0].args, (QStringList{"/SP-", "/silent", "/noicons"}));
    QVERIFY(m_launches[0].contents == reply.body);
    QVERIFY(m_launches[0].executable);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(chatCloses.closes, 1);
    QCOMPARE(folderEntries(), QStringList{QStringLiteral("lobbysetup.exe")});
}

void tst_Download::installerRefused()
{
    TestHttpServer server;
    server.reply = TestHttpServer::ok("MZ-installer");
    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    CloseCounter chatCloses(&chat);
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));
    m_launchResult = false;

    QVERIFY(runDownload(*dl));
    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_messages, QStringList{QStringLiteral("An Error has Occurred.")});
    QCOMPARE(chatCloses.closes, 0);
    QVERIFY(dl->getbutton->isEnabled());
}

void tst_Download::failures_data()
{
    QTest::addColumn<TestHttpServer::Reply>("reply");
    QTest::addColumn<bool>("refused");

    TestHttpServer::Reply r;
    const QByteArray page = "<html><body>Not here</body></html>";
    r.head = "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: "
        + QByteArray::number(page.size());
    r.body = page;
    QTest::newRow("404 with a page") << r << false;

    r = {};
    r.head = "HTTP/1.0 404 Not Found\r\nContent-Length: 0";
    QTest::newRow("404 empty") << r << false;

    r = {};
    r.head = "HTTP/1.0 500 Internal Server Error";
    r.body = "oops";
    QTest::newRow("500 without length") << r << false;

    r = {};
    r.head = "HTTP/1.0 302 Found\r\nContent-Length: 0";
    QTest::newRow("redirect to nowhere") << r << false;

    r = TestHttpServer::ok(randomBytes(10000));
    r.cutAfter = 4000;
    QTest::newRow("body shorter than its length") << r << false;

    r = TestHttpServer::ok(randomBytes(50000));
    r.cutAfter = 30000;
    r.chunk = 10000;
    r.intervalMs = 5;
    QTest::newRow("cut off in pieces") << r << false;

    r = {};
    r.head = "hello there";
    QTest::newRow("not HTTP") << r << false;

    r = {};
    r.silentClose = true;
    QTest::newRow("closed without reply") << r << false;

    QTest::newRow("connection refused") << TestHttpServer::Reply{} << true;
}

void tst_Download::failures()
{
    QFETCH(TestHttpServer::Reply, reply);
    QFETCH(bool, refused);

    QString url;
    std::unique_ptr<TestHttpServer> server;
    if (refused) {
        // A port that was just free and has nobody listening any more.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        url = QStringLiteral("http://127.0.0.1:%1/lobby/lobbysetup.exe").arg(probe.serverPort());
    } else {
        server = std::make_unique<TestHttpServer>();
        server->reply = reply;
        url = server->url(QStringLiteral("/lobby/lobbysetup.exe"));
    }
    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    CloseCounter chatCloses(&chat);
    auto dl = makeWindow(forms, url);

    QVERIFY(runDownload(*dl));
    QCOMPARE(dl->infolabel->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(dl->infolabelTag(), 2);
    // An error page is never taken for the installer's body.
    QVERIFY(dl->infolabel3->text() != QStringLiteral("Installing"));
    if (reply.head.startsWith("HTTP/1.0 404") || reply.head.startsWith("HTTP/1.0 500"))
        QCOMPARE(dl->infolabel3->text(), QString());
    QVERIFY(dl->getbutton->isEnabled());
    QVERIFY(!dl->abortbutton->isEnabled());
    QVERIFY(m_launches.isEmpty());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(chatCloses.closes, 0);
    QVERIFY(!QFileInfo::exists(dl->installerPath()));
    QCOMPARE(folderEntries(), QStringList());
}

void tst_Download::failureKeepsEarlierInstaller()
{
    // A failed attempt neither starts nor spoils an installer fetched before.
    QFile earlier(programFolder() + QStringLiteral("lobbysetup.exe"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier complete installer");
    earlier.close();

    TestHttpServer server;
    server.reply = TestHttpServer::ok(randomBytes(8000));
    server.reply.cutAfter = 100;
    Forms forms;
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));
    QVERIFY(runDownload(*dl));
    QCOMPARE(dl->infolabelTag(), 2);
    QVERIFY(m_launches.isEmpty());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier complete installer"));
    QCOMPARE(folderEntries(), QStringList{QStringLiteral("lobbysetup.exe")});
}

void tst_Download::retryAfterFailure()
{
    TestHttpServer server;
    server.reply.head = "HTTP/1.0 503 Service Unavailable\r\nContent-Length: 0";
    Forms forms;
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));
    QVERIFY(runDownload(*dl));
    QCOMPARE(dl->infolabelTag(), 2);
    QVERIFY(m_launches.isEmpty());

    server.reply = TestHttpServer::ok("second try");
    QVERIFY(runDownload(*dl));
    QCOMPARE(dl->infolabelTag(), 1);
    QCOMPARE(dl->infolabel->text(), QStringLiteral("Received 10 bytes"));
    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_launches[0].contents, QByteArray("second try"));
    QCOMPARE(server.connections, 2);
}

void tst_Download::abort_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop Download") << QStringLiteral("button");
    QTest::newRow("stop while the body arrives") << QStringLiteral("callback");
    QTest::newRow("Play Solo Game") << QStringLiteral("solo");
}

void tst_Download::abort()
{
    QFETCH(QString, how);

    // Four megabytes in small pieces: far from done when the stop comes.
    TestHttpServer server;
    server.reply = TestHttpServer::ok(randomBytes(4 * 1024 * 1024));
    server.reply.chunk = 16 * 1024;
    server.reply.intervalMs = 15;
    Forms forms;
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobby/lobbysetup.exe")));
    dl->show();
    QSignalSpy done(dl.get(), &Tdownload::downloadDone);

    const qint64 stopAt = 64 * 1024;
    if (how == QLatin1String("callback")) {
        connect(dl->http, &HttpDownload::progress, this, [&](qint64 bytes) {
            if (bytes >= stopAt && dl->abortbutton->isEnabled())
                dl->abortbuttonClick();
        });
    }
    dl->getbuttonClick();
    QVERIFY(dl->abortbutton->isEnabled());
    QVERIFY(!dl->getbutton->isEnabled());
    if (how != QLatin1String("callback")) {
        QTRY_VERIFY_WITH_TIMEOUT(dl->http->bytesReceived() >= stopAt, 15000);
        QVERIFY(done.isEmpty());
        if (how == QLatin1String("button"))
            dl->abortbuttonClick();
        else
            dl->Button1Click();
    }
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 15000);
    QCOMPARE(done.first().first().toBool(), false);

    QCOMPARE(dl->infolabel->text(), QStringLiteral("Download has been aborted."));
    QCOMPARE(dl->infolabel3->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(dl->infolabelTag(), 2);
    QVERIFY(dl->getbutton->isEnabled());
    QVERIFY(!dl->abortbutton->isEnabled());
    QVERIFY(dl->http->bytesReceived() < server.reply.body.size());
    if (how == QLatin1String("solo"))
        QVERIFY(dl->isHidden());

    // The connection is dropped, and nothing more happens afterwards.
    QTRY_VERIFY_WITH_TIMEOUT(server.clientHungUp, 15000);
    QTest::qWait(100);
    QCOMPARE(done.size(), 1);
    QVERIFY(m_launches.isEmpty());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(folderEntries(), QStringList());
}

void tst_Download::unusableFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("ends in a slash") << QStringLiteral("/lobby/");
    QTest::newRow("no path") << QString();
    QTest::newRow("parent folder") << QStringLiteral("/lobby/..");
    QTest::newRow("encoded backslash") << QStringLiteral("/lobby/..%5Cescape.exe");
}

void tst_Download::unusableFileName()
{
    QFETCH(QString, path);
    TestHttpServer server;
    server.reply = TestHttpServer::ok("should not be fetched");
    Forms forms;
    auto dl = makeWindow(forms, server.url(path));
    QVERIFY(runDownload(*dl));
    QCOMPARE(dl->infolabel->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(dl->infolabelTag(), 2);
    QVERIFY(dl->getbutton->isEnabled());
    QVERIFY(m_launches.isEmpty());
    QCOMPARE(server.connections, 0);
    QCOMPARE(folderEntries(), QStringList());
}

// No libcurl on the computer: the window says so and fetches nothing.
void tst_Download::withoutLibcurl()
{
    TestHttpServer server;
    server.reply = TestHttpServer::ok("should not be fetched");
    Forms forms;
    auto dl = makeWindow(forms, server.url(QStringLiteral("/lobbysetup.exe")));
    CurlLibrary::setFileNameForTest("libcurl-not-here.so.4");
    const bool ran = runDownload(*dl);
    CurlLibrary::setFileNameForTest(CurlLibrary::FileName);
    QVERIFY(ran);
    QCOMPARE(dl->infolabel->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QLatin1String("libcurl-not-here.so.4"))
                 && m_messages.first().contains(QLatin1String("not installed")),
             qPrintable(m_messages.first()));
    QCOMPARE(server.connections, 0);
    QVERIFY(m_launches.isEmpty());
}

void tst_Download::playWithOthers_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("exits");

    QTest::newRow("installed") << true << true << QString() << true;
    QTest::newRow("installed but will not start") << true << false << QStringLiteral("An Error has Occurred.") << false;
    QTest::newRow("not installed") << false << true
                                   << QStringLiteral("Please close the game and open the Qorb42 Lobby using the "
                                                     "icon on your desktop or using the your Window's start-up menu.")
                                   << false;
    // With our own window for network play, it opens instead of the message.
    QTest::newRow("not installed, own window") << false << true << QString() << false;
}

void tst_Download::playWithOthers()
{
    QFETCH(bool, installed);
    QFETCH(bool, starts);
    QFETCH(QString, message);
    QFETCH(bool, exits);

    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    CloseCounter chatCloses(&chat);
    std::unique_ptr<Tplayothers> others;
    if (QByteArray(QTest::currentDataTag()).endsWith("own window")) {
        others = std::make_unique<Tplayothers>(forms);
        forms.playothers = others.get();
    }
    auto dl = makeWindow(forms, QString());
    dl->lobbyProgram = m_dir->filePath(QStringLiteral("Qorb42/Qorb42Lobby"));
    if (installed) {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Qorb42")));
        QFile lobby(dl->lobbyProgram);
        QVERIFY(lobby.open(QIODevice::WriteOnly));
    }
    m_launchResult = starts;

    dl->Button2Click();
    QCOMPARE(m_launches.size(), installed ? 1 : 0);
    if (installed) {
        QCOMPARE(m_launches[0].program, dl->lobbyProgram);
        QCOMPARE(m_launches[0].args, QStringList());
    }
    QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(chatCloses.closes, exits ? 1 : 0);
    if (others) {
        QVERIFY(others->isVisible());
        QVERIFY(!dl->isVisible());
    }
}

void tst_Download::playSolo()
{
    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    CloseCounter chatCloses(&chat);
    auto dl = makeWindow(forms, QString());
    dl->show();
    QVERIFY(dl->isVisible());
    QTest::mouseClick(dl->Button1, Qt::LeftButton);
    QVERIFY(dl->isHidden());
    QCOMPARE(chatCloses.closes, 0);
    QVERIFY(m_launches.isEmpty());
}

void tst_Download::windowLayout()
{
    Forms forms;
    auto dl = makeWindow(forms, QString());
    dl->show();
    QVERIFY(QTest::qWaitForWindowExposed(dl.get()));

    QCOMPARE(dl->size(), QSize(724, 500));
    QCOMPARE(dl->windowTitle(), QStringLiteral("Download The Qorb42 Lobby"));
    QVERIFY(dl->windowFlags().testFlag(Qt::Tool));
    QVERIFY(dl->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dl->infolabel2->isHidden());
    QVERIFY(!dl->abortbutton->isEnabled());

    // Every control is inside the window, clear of the others, and shows its
    // whole text.
    const QList<QWidget *> controls{dl->image,      dl->label_offer, dl->getbutton,  dl->abortbutton,
                                    dl->infolabel,  dl->infolabel3,  dl->label_solo, dl->Button1,
                                    dl->label_firewall, dl->label_others, dl->Button2};
    for (QWidget *w : controls) {
        QVERIFY2(dl->rect().contains(w->geometry()), qPrintable(w->objectName() + w->metaObject()->className()));
        if (auto *label = qobject_cast<QLabel *>(w); label && label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
        if (auto *button = qobject_cast<QPushButton *>(w))
            QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(QStringLiteral("%1 / %2").arg(i).arg(j)));
    // The sign hangs inside the picture.
    QVERIFY(dl->label_closed->isVisible());
    QVERIFY(dl->image->rect().contains(dl->label_closed->geometry()));
    QCOMPARE(dl->label_closed->text(), QStringLiteral("IS CLOSED"));
}

// Elsewhere than Windows the installer is never fetched or started: the
// button opens our own Play with Others, and a line says why.
void tst_Download::noInstallerWhereItCannotRun()
{
    Tdownload::installerRunsHere = false;
    Forms forms;
    Tchat chat(forms);
    forms.chat = &chat;
    Tplayothers others(forms);
    forms.playothers = &others;
    auto dl = makeWindow(forms, QStringLiteral("http://127.0.0.1:9/lobby/lobbysetup.exe"));
    dl->show();
    QVERIFY(!dl->offersDownload());
    QCOMPARE(dl->getbutton->text().remove('&'), QStringLiteral("Play with Others"));
    QVERIFY(dl->label_windowsonly->isVisible());
    QVERIFY(dl->label_windowsonly->text().contains("for Windows"));
    QVERIFY(!dl->abortbutton->isVisible());
    QTest::mouseClick(dl->getbutton, Qt::LeftButton);
    QVERIFY(!dl->downloading());
    QCOMPARE(dl->infolabelTag(), 0);
    QVERIFY(others.isVisible());
    QVERIFY(!dl->isVisible());
    QVERIFY(m_launches.isEmpty());
    QVERIFY(!QFile::exists(dl->installerPath()));
}

QTEST_MAIN(tst_Download)
#include "tst_download.moc"
