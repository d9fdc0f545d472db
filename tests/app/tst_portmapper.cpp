// SPDX-License-Identifier: MIT
// Router port mapping against a stand-in router on 127.0.0.1: what is asked of
// the router, what the player is told, and that a mapping never outlives the
// mapper. Every start() gets the stand-in's URL, so nothing is ever discovered.
//
// The stand-in runs on a thread of its own: the mapper's destructor blocks the
// test's thread while it waits for the router, and must get an answer.
#include "portmapper.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

const quint16 GamePort = 47772;

struct Request {
    QByteArray method, path, action; // action: the SOAP action, empty for GET
    QHash<QString, QString> args;
};

class StandInRouter
{
public:
    struct Answer {
        int fault = 0;   // an UPnPError code, or 0 for success
        int delayMs = 0; // < 0: never answers
    };

    explicit StandInRouter(QHash<QByteArray, Answer> answers = {}) : m_answers(std::move(answers))
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(&m_context, [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~StandInRouter()
    {
        QMetaObject::invokeMethod(&m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/rootDesc.xml").arg(m_port); }
    QList<Request> requests() const { QMutexLocker l(&m_mutex); return m_requests; }
    int open() const { QMutexLocker l(&m_mutex); return m_open; }
    QList<Request> actions(const QByteArray &action) const
    {
        QList<Request> found;
        for (const Request &r : requests())
            if (r.action == action)
                found << r;
        return found;
    }

private:
    void listen()
    {
        m_server = new QTcpServer;
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            qFatal("stand-in router cannot listen");
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *s = m_server->nextPendingConnection()) {
                s->setParent(m_server);
                { QMutexLocker l(&m_mutex); ++m_open; }
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s] {
                    { QMutexLocker l(&m_mutex); --m_open; }
                    s->deleteLater();
                });
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                    buffer->append(s->readAll());
                    const qsizetype end = buffer->indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    static const QRegularExpression lengthRe(QStringLiteral("(?i)content-length:\\s*(\\d+)"));
                    const auto m = lengthRe.match(QString::fromLatin1(buffer->left(end)));
                    const qsizetype length = m.hasMatch() ? m.captured(1).toLongLong() : 0;
                    if (buffer->size() < end + 4 + length)
                        return;
                    handle(s, buffer->left(end), buffer->mid(end + 4, length));
                    buffer->clear();
                });
            }
        });
    }

    void handle(QTcpSocket *s, const QByteArray &head, const QByteArray &body)
    {
        Request r;
        const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
        r.method = first.value(0);
        r.path = first.value(1);
        static const QRegularExpression actionRe(QStringLiteral("(?i)soapaction:\\s*\"?[^#\"]*#(\\w+)"));
        r.action = actionRe.match(QString::fromLatin1(head)).captured(1).toLatin1();
        static const QRegularExpression argRe(QStringLiteral("<(New\\w+)>([^<]*)</\\1>"));
        for (const auto &m : argRe.globalMatch(QString::fromUtf8(body)))
            r.args.insert(m.captured(1), m.captured(2));
        { QMutexLocker l(&m_mutex); m_requests << r; }

        const Answer answer = m_answers.value(r.action);
        if (answer.delayMs < 0)
            return;
        int status = 200;
        QByteArray content;
        if (r.method == "GET") {
            content = description();
        } else if (answer.fault) {
            status = 500;
            content = envelope("<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring>"
                               "<detail><UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>"
                               + QByteArray::number(answer.fault) + "</errorCode></UPnPError></detail></s:Fault>");
        } else {
            const QByteArray out = r.action == "GetExternalIPAddress"
                ? "<NewExternalIPAddress>203.0.113.7</NewExternalIPAddress>" : "";
            content = envelope("<u:" + r.action + "Response xmlns:u=\"" + Service + "\">" + out + "</u:"
                               + r.action + "Response>");
        }
        const QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Internal Server Error")
            + "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nConnection: close\r\nContent-Length: "
            + QByteArray::number(content.size()) + "\r\n\r\n" + content;
        QTimer::singleShot(answer.delayMs, s, [s, reply] {
            s->write(reply);
            s->disconnectFromHost();
        });
    }

    static QByteArray envelope(const QByteArray &inner)
    {
        return "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
               "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>"
            + inner + "</s:Body></s:Envelope>";
    }

    QByteArray description() const
    {
        return "<?xml version=\"1.0\"?><root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
               "<device>"
               "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>"
               "<friendlyName>Stand-in</friendlyName><deviceList><device>"
               "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><deviceList><device>"
               "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>"
               "<serviceList><service><serviceType>" + Service + "</serviceType>"
               "<serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId>"
               "<controlURL>http://127.0.0.1:" + QByteArray::number(m_port) + "/ctl/IPConn</controlURL>"
               "<eventSubURL>/evt/IPConn</eventSubURL><SCPDURL>/WANIPCn.xml</SCPDURL>"
               "</service></serviceList></device></deviceList></device></deviceList></device></root>";
    }

    static inline const QByteArray Service = "urn:schemas-upnp-org:service:WANIPConnection:1";
    QThread m_thread;
    QObject m_context; // lives on m_thread: the server's and sockets' events run there
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    const QHash<QByteArray, Answer> m_answers;
    mutable QMutex m_mutex;
    QList<Request> m_requests;
    int m_open = 0;
};

PortMapper::Result waitForResult(QSignalSpy &spy, int ms = 5000)
{
    if (spy.isEmpty() && !spy.wait(ms))
        return {};
    return spy.takeFirst().at(0).value<PortMapper::Result>();
}

} // namespace

class TestPortMapper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mapsAndRemoves_data();
    void mapsAndRemoves();
    void routerRefuses_data();
    void routerRefuses();
    void noRouter();
    void turnedOff();
    void destroyedWhileBusy_data();
    void destroyedWhileBusy();
};

void TestPortMapper::initTestCase()
{
    // ctest turns mapping off for every test; these talk only to the stand-in.
    qunsetenv("VELLOC_NO_UPNP");
    QVERIFY(!PortMapper::disabledByEnvironment());
}

void TestPortMapper::mapsAndRemoves_data()
{
    QTest::addColumn<bool>("byDestruction");
    QTest::addColumn<bool>("addressKnown");
    QTest::newRow("remove()") << false << true;
    QTest::newRow("destruction") << true << true;
    QTest::newRow("no external address") << false << false;
}

void TestPortMapper::mapsAndRemoves()
{
    QFETCH(bool, byDestruction);
    QFETCH(bool, addressKnown);
    QHash<QByteArray, StandInRouter::Answer> answers;
    if (!addressKnown)
        answers.insert("GetExternalIPAddress", {501, 0});
    StandInRouter router(answers);
    auto mapper = std::make_unique<PortMapper>();
    QSignalSpy finished(mapper.get(), &PortMapper::finished);
    QSignalSpy removed(mapper.get(), &PortMapper::removed);

    mapper->start(GamePort, router.url());
    QVERIFY(mapper->busy());
    const PortMapper::Result result = waitForResult(finished);
    QVERIFY(result.mapped);
    QCOMPARE(result.port, GamePort);
    QVERIFY(!mapper->busy());
    if (addressKnown) {
        QCOMPARE(result.externalAddress, QStringLiteral("203.0.113.7"));
        QCOMPARE(result.message, QStringLiteral("Friends outside your network can join at 203.0.113.7:47772."));
    } else {
        QVERIFY(result.externalAddress.isEmpty());
        QVERIFY2(result.message.contains(QLatin1String("port 47772")), qPrintable(result.message));
    }

    const QList<Request> adds = router.actions("AddPortMapping");
    QCOMPARE(adds.size(), 1);
    QCOMPARE(adds[0].path, QByteArray("/ctl/IPConn"));
    QCOMPARE(adds[0].args.value("NewExternalPort"), QStringLiteral("47772"));
    QCOMPARE(adds[0].args.value("NewInternalPort"), QStringLiteral("47772"));
    QCOMPARE(adds[0].args.value("NewProtocol"), QStringLiteral("TCP"));
    QCOMPARE(adds[0].args.value("NewInternalClient"), QStringLiteral("127.0.0.1"));
    QCOMPARE(adds[0].args.value("NewPortMappingDescription"), QStringLiteral("Velloc"));
    QVERIFY(router.actions("DeletePortMapping").isEmpty());

    if (byDestruction) {
        QElapsedTimer clock;
        clock.start();
        mapper.reset();
        QVERIFY(clock.elapsed() < PortMapper::destroyWaitMs());
    } else {
        mapper->remove();
        QVERIFY(removed.wait(5000));
        QCOMPARE(removed.at(0).at(0).toBool(), true);
    }
    const QList<Request> deletes = router.actions("DeletePortMapping");
    QCOMPARE(deletes.size(), 1);
    QCOMPARE(deletes[0].args.value("NewExternalPort"), QStringLiteral("47772"));
    QCOMPARE(deletes[0].args.value("NewProtocol"), QStringLiteral("TCP"));

    // Nothing held any more: destruction asks nothing further.
    mapper.reset();
    QCOMPARE(router.actions("DeletePortMapping").size(), 1);
}

void TestPortMapper::routerRefuses_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("718") << 718 << "The router refused to open port 47772 (error 718: ConflictInMappingEntry).";
    QTest::newRow("606") << 606 << "The router refused to open port 47772 (error 606: Action not authorized).";
}

void TestPortMapper::routerRefuses()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    StandInRouter router({{"AddPortMapping", {code, 0}}});
    {
        PortMapper mapper;
        QSignalSpy finished(&mapper, &PortMapper::finished);
        mapper.start(GamePort, router.url());
        const PortMapper::Result result = waitForResult(finished);
        QVERIFY(!result.mapped);
        QCOMPARE(result.message, message);
    }
    QCOMPARE(router.actions("AddPortMapping").size(), 1);
    QVERIFY(router.actions("DeletePortMapping").isEmpty());
}

void TestPortMapper::noRouter()
{
    // A loopback port nobody listens on any more.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closed = probe.serverPort();
    probe.close();

    PortMapper mapper;
    QSignalSpy finished(&mapper, &PortMapper::finished);
    QElapsedTimer clock;
    clock.start();
    mapper.start(GamePort, QStringLiteral("http://127.0.0.1:%1/rootDesc.xml").arg(closed));
    const PortMapper::Result result = waitForResult(finished);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!result.mapped);
    QCOMPARE(result.message,
             QStringLiteral("No router answered; friends outside your network need port 47772 opened on the router."));
}

void TestPortMapper::turnedOff()
{
    StandInRouter router;
    qputenv("VELLOC_NO_UPNP", "1");
    const auto restore = qScopeGuard([] { qunsetenv("VELLOC_NO_UPNP"); });
    QVERIFY(PortMapper::disabledByEnvironment());

    PortMapper mapper;
    QSignalSpy finished(&mapper, &PortMapper::finished);
    mapper.start(GamePort, router.url());
    QCOMPARE(finished.size(), 0); // reported from the event loop, not inside start()
    const PortMapper::Result result = waitForResult(finished);
    QVERIFY(!result.mapped);
    QCOMPARE(result.port, GamePort);
    QCOMPARE(result.message, QStringLiteral("Router port mapping is turned off."));
    QTest::qWait(100);
    QVERIFY(router.requests().isEmpty());

    qputenv("VELLOC_NO_UPNP", "0");
    QVERIFY(!PortMapper::disabledByEnvironment());
}

void TestPortMapper::destroyedWhileBusy_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("answer while the destructor waits") << 800;
    QTest::newRow("answer after it gave up") << PortMapper::destroyWaitMs() + 800;
}

void TestPortMapper::destroyedWhileBusy()
{
    QFETCH(int, delayMs);
    StandInRouter router({{"AddPortMapping", {0, delayMs}}});
    auto mapper = std::make_unique<PortMapper>();
    mapper->start(GamePort, router.url());
    QVERIFY(QTest::qWaitFor([&] { return !router.actions("AddPortMapping").isEmpty(); }, 5000));

    QElapsedTimer clock;
    clock.start();
    mapper.reset();
    QVERIFY(clock.elapsed() < PortMapper::destroyWaitMs() + 500);
    if (delayMs < PortMapper::destroyWaitMs())
        QCOMPARE(router.actions("DeletePortMapping").size(), 1);
    // Either way the worker removes the mapping it made for nobody, then lets
    // go of the router; its result never reaches the event loop.
    QVERIFY(QTest::qWaitFor([&] { return !router.actions("DeletePortMapping").isEmpty(); }, 3000));
    QVERIFY(QTest::qWaitFor([&] { return router.open() == 0; }, 3000));
    QCOMPARE(router.actions("DeletePortMapping").size(), 1);
    QCOMPARE(router.actions("DeletePortMapping")[0].args.value("NewExternalPort"), QStringLiteral("47772"));
}

QTEST_GUILESS_MAIN(TestPortMapper)
#include "tst_portmapper.moc"
