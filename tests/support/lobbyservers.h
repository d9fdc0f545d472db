// SPDX-License-Identifier: MIT
// Servers of their own for the tests that find tables: a Prosody lobby on a
// free loopback port (plain, or TLS with a test CA made on the spot) built
// from the configuration we ship, and a private system bus with an Avahi
// daemon that sees only the loopback interface.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline bool waitForPort(quint16 port, int ms)
{
    for (int waited = 0; waited < ms; waited += 50) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (s.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

inline bool runQuietly(const QString &program, const QStringList &args, const QString &dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class TestProsody {
public:
    QTemporaryDir dir;
    quint16 port = 0;
    QString caFile;      // the CA that signed the server's certificate (TLS)
    QString otherCaFile; // a CA that signed nothing here

    ~TestProsody() { stop(); }
    QString server() const { return QStringLiteral("localhost:%1").arg(port); }
    QString log() const
    {
        QFile f(dir.filePath(QStringLiteral("prosody.log")));
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    // Starts Prosody with the shipped configuration, made to run here.
    bool start(bool tls)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("prosody")).isEmpty())
            return false;
        if (!port)
            port = freeLoopbackPort();
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        if (tls && caFile.isEmpty() && !makeCertificates())
            return false;
        QFile shipped(QStringLiteral(VELLOC_SOURCE_DIR "/dist/lobby/prosody.cfg.lua"));
        if (!shipped.open(QIODevice::ReadOnly))
            return false;
        QString cfg = QString::fromUtf8(shipped.readAll());
        const QString d = dir.path();
        cfg.replace(QStringLiteral("lobby.example.org"), QStringLiteral("localhost"));
        cfg.replace(QStringLiteral("/run/prosody/prosody.pid"), d + QStringLiteral("/prosody.pid"));
        cfg.replace(QStringLiteral("/etc/prosody/certs/localhost.crt"), d + QStringLiteral("/server.crt"));
        cfg.replace(QStringLiteral("/etc/prosody/certs/localhost.key"), d + QStringLiteral("/server.key"));
        cfg.replace(QStringLiteral("/var/log/prosody/prosody.log"), d + QStringLiteral("/prosody.log"));
        cfg.replace(QStringLiteral("/var/log/prosody/prosody.err"), d + QStringLiteral("/prosody.err"));
        if (!tls)
            cfg.replace(QStringLiteral("c2s_require_encryption = true"), QStringLiteral("c2s_require_encryption = false"));
        // Tests flood on purpose: the limits of a real server would only slow them.
        cfg.replace(QStringLiteral("rate = \"2kb/s\""), QStringLiteral("rate = \"2000kb/s\""));
        QString head = QStringLiteral("data_path = \"%1/data\"\ndaemonize = false\nc2s_ports = { %2 }\n"
                                      "c2s_interfaces = { \"127.0.0.1\" }\nhttp_ports = {}\nhttps_ports = {}\n"
                                      "c2s_direct_tls_ports = {}\n")
                           .arg(d)
                           .arg(port);
        if (::geteuid() == 0)
            head += QStringLiteral("run_as_root = true\n");
        QFile out(dir.filePath(QStringLiteral("prosody.cfg.lua")));
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write((head + cfg).toUtf8());
        out.close();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->setStandardOutputFile(dir.filePath(QStringLiteral("prosody.out")));
        m_process->start(QStringLiteral("prosody"), {QStringLiteral("--config"), out.fileName(), QStringLiteral("-F")});
        return m_process->waitForStarted(10000) && waitForPort(port, 15000);
    }

    // Ends the server at once, as a crash would.
    void stop()
    {
        if (!m_process)
            return;
        m_process->kill();
        m_process->waitForFinished(5000);
        m_process.reset();
    }

private:
    bool makeCertificates()
    {
        const QString d = dir.path();
        const QString ssl = QStringLiteral("openssl");
        const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                             QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        for (const QString &ca : {QStringLiteral("ca"), QStringLiteral("other")})
            if (!runQuietly(ssl, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec
                                     + QStringList{QStringLiteral("-keyout"), ca + QStringLiteral(".key"),
                                                   QStringLiteral("-out"), ca + QStringLiteral(".crt"),
                                                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                                                   QStringLiteral("/CN=Velloc test CA ") + ca},
                            d))
                return false;
        QFile ext(dir.filePath(QStringLiteral("ext.cnf")));
        ext.open(QIODevice::WriteOnly);
        ext.write("subjectAltName=DNS:localhost,DNS:rooms.localhost\n");
        ext.close();
        if (!runQuietly(ssl, QStringList{QStringLiteral("req")} + ec
                                 + QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                               QStringLiteral("-out"), QStringLiteral("server.csr"),
                                               QStringLiteral("-subj"), QStringLiteral("/CN=localhost")},
                        d)
            || !runQuietly(ssl, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                                 QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                                 QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                                 QStringLiteral("-out"), QStringLiteral("server.crt"), QStringLiteral("-days"),
                                 QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("ext.cnf")},
                           d))
            return false;
        caFile = dir.filePath(QStringLiteral("ca.crt"));
        otherCaFile = dir.filePath(QStringLiteral("other.crt"));
        return true;
    }

    std::unique_ptr<QProcess> m_process;
};

// A private system bus and an Avahi daemon on loopback only. The daemon
// keeps its pid file in /run, so it needs root and no other daemon running.
class TestAvahi {
public:
    QTemporaryDir dir;
    QString why; // why it could not start

    // The bus's address goes into the environment at once: libdbus reads it
    // only the first time anything asks for the system bus.
    TestAvahi() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir.filePath(QStringLiteral("bus")).toUtf8()); }
    ~TestAvahi() { stop(); }

    bool start()
    {
        if (::geteuid() != 0) {
            why = QStringLiteral("the Avahi daemon needs root");
            return false;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("avahi-daemon")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            why = QStringLiteral("avahi-daemon or dbus-daemon is not installed");
            return false;
        }
        if (QFile::exists(QStringLiteral("/run/avahi-daemon/pid"))) {
            // One left by a killed test, or a real daemon: the real one is left alone.
            QProcess check;
            check.start(QStringLiteral("avahi-daemon"), {QStringLiteral("--check")});
            check.waitForFinished(5000);
            if (check.exitCode() == 0) {
                why = QStringLiteral("an Avahi daemon already runs on this machine");
                return false;
            }
            QFile::remove(QStringLiteral("/run/avahi-daemon/pid"));
        }
        const QString d = dir.path();
        const QString bus = d + QStringLiteral("/bus");
        QFile busConf(d + QStringLiteral("/bus.conf"));
        busConf.open(QIODevice::WriteOnly);
        busConf.write(QStringLiteral(
                          "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                          "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>system</type>"
                          "<listen>unix:path=%1</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                          "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/><allow user=\"*\"/>"
                          "</policy></busconfig>\n")
                          .arg(bus)
                          .toUtf8());
        busConf.close();
        QFile avahiConf(d + QStringLiteral("/avahi.conf"));
        avahiConf.open(QIODevice::WriteOnly);
        avahiConf.write("[server]\nhost-name=velloctest\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=lo\n"
                        "enable-dbus=yes\nratelimit-interval-usec=1000000\nratelimit-burst=1000\n"
                        "[wide-area]\nenable-wide-area=no\n[publish]\npublish-hinfo=no\npublish-workstation=no\n");
        avahiConf.close();
        m_bus = std::make_unique<QProcess>();
        m_bus->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + busConf.fileName(),
                                                     QStringLiteral("--nofork")});
        for (int i = 0; i < 100 && !QFile::exists(bus); ++i)
            QTest::qWait(50);
        if (!QFile::exists(bus)) {
            why = QStringLiteral("the private bus did not start");
            return false;
        }
        m_avahi = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        m_avahi->setProcessEnvironment(env);
        m_avahi->setProcessChannelMode(QProcess::MergedChannels);
        m_avahi->setStandardOutputFile(d + QStringLiteral("/avahi.log"));
        m_avahi->start(QStringLiteral("avahi-daemon"), {QStringLiteral("-f"), avahiConf.fileName(),
                                                        QStringLiteral("--no-drop-root"), QStringLiteral("--no-chroot"),
                                                        QStringLiteral("--no-rlimits")});
        return m_avahi->waitForStarted(5000);
    }

    void stop()
    {
        for (auto *p : {&m_avahi, &m_bus}) {
            if (!*p)
                continue;
            (*p)->terminate();
            if (!(*p)->waitForFinished(5000))
                (*p)->kill();
            p->reset();
        }
    }

private:
    std::unique_ptr<QProcess> m_bus, m_avahi;
};
