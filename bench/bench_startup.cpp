// SPDX-License-Identifier: MIT
// Start-up and idle cost: how long velloc-host takes from being started to
// its first CMD_sendlogininfo on loopback, and how much CPU an idle
// velloc-host and an idle solo velloc (offscreen) use over ten seconds.
// Then the solo velloc against a bare Qt Widgets window, run by turns in the
// same run, offscreen and (when Xvfb is there) on an X server: idle memory,
// exec to first paint, and exec to the solo login as a second client sees it.
// Needs port 7772 (the solo table's).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

QString binDir;

// CPU seconds (user + system) a process has used so far.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = sysconf(_SC_CLK_TCK);
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

double idleCpuPercent(QProcess &p, int seconds)
{
    const double before = cpuSeconds(p.processId());
    QThread::sleep(seconds);
    const double after = cpuSeconds(p.processId());
    return 100.0 * (after - before) / seconds;
}

double msToFirstLogin()
{
    QProcess host;
    QElapsedTimer clock;
    clock.start();
    host.start(binDir + QStringLiteral("/velloc-host"), {QStringLiteral("--port"), QStringLiteral("7790")});
    QTcpSocket s;
    QByteArray got;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        s.connectToHost(QStringLiteral("127.0.0.1"), 7790);
        if (s.waitForConnected(50)) {
            while (!got.contains('\xFF') && s.waitForReadyRead(1000))
                got += s.readAll();
            break;
        }
        s.abort();
        QThread::usleep(200);
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    host.terminate();
    host.waitForFinished(3000);
    return got.startsWith("CMD_sendlogininfo+1\xFF") ? ms : -1;
}


double median(std::vector<double> v)
{
    v.erase(std::remove(v.begin(), v.end(), -1.0), v.end());
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Resident memory of a process in MB.
double rssMb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+) kB")).match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? m.captured(1).toDouble() / 1024.0 : -1;
}

struct Measure {
    double rss = -1;   // MB, at rest
    double paint = -1; // ms from exec to the first paint on screen
    double login = -1; // ms from exec to the solo login a second client hears
};

// One start of program (the solo table when solo): the first paint comes
// from the preloaded watcher, the login from a client that connects to
// port 7772 as soon as it can. Whichever slot it gets, the player's login
// is the CMD_newplayerinfo that names "You".
Measure startOnce(const QString &program, const QProcessEnvironment &env, bool solo)
{
    Measure m;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    const long long start = monotonicNs();
    p.start(program, {});
    if (!p.waitForStarted(5000))
        return m;
    QByteArray out;
    QTcpSocket probe;
    QByteArray heard;
    bool connected = false;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && (m.paint < 0 || (solo && m.login < 0))) {
        if (solo && m.login < 0) {
            if (!connected) {
                probe.connectToHost(QStringLiteral("127.0.0.1"), 7772);
                connected = probe.waitForConnected(20);
                if (!connected) {
                    probe.abort();
                    QThread::usleep(1000);
                }
            } else if (probe.waitForReadyRead(2)) {
                heard += probe.readAll();
                static const QRegularExpression login(QStringLiteral("CMD_newplayerinfo\\+\\d+\\+You\\xFF"));
                if (login.match(QString::fromLatin1(heard)).hasMatch())
                    m.login = (monotonicNs() - start) / 1e6;
            } else if (probe.state() != QAbstractSocket::ConnectedState) {
                return m;
            }
        } else {
            p.waitForReadyRead(20);
        }
        out += p.readAllStandardOutput();
        const int at = out.indexOf("firstpaint ");
        if (m.paint < 0 && at >= 0 && out.indexOf('\n', at) > at)
            m.paint = (out.mid(at + 11, out.indexOf('\n', at) - at - 11).toLongLong() - start) / 1e6;
        if (p.state() != QProcess::Running)
            return m;
    }
    // At rest: past the lobby offer the solo table shows a second after start.
    QThread::msleep(1500);
    m.rss = rssMb(p.processId());
    probe.abort();
    p.kill();
    p.waitForFinished(3000);
    return m;
}

// Starts an Xvfb of its own; returns its display, or empty.
QString startXvfb(QProcess &xvfb, const QTemporaryDir &dir)
{
    const QString numberFile = dir.filePath(QStringLiteral("display"));
    xvfb.setStandardOutputFile(QProcess::nullDevice());
    xvfb.setStandardErrorFile(QProcess::nullDevice());
    xvfb.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                      QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>\"$0\""),
                                      numberFile});
    if (!xvfb.waitForStarted(5000))
        return {};
    QDeadlineTimer up(15000);
    while (!up.hasExpired() && xvfb.state() == QProcess::Running) {
        QFile f(numberFile);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray text = f.readAll();
            if (text.endsWith('\n'))
                return QStringLiteral(":") + QString::fromLatin1(text.trimmed());
        }
        QThread::msleep(50);
    }
    return {};
}

// The solo table against the bare window, by turns, runs times each.
void compareWithBareWindow(const QString &where, QProcessEnvironment env, int runs)
{
    QTemporaryDir dir;
    // A copy of its own: its settings file and the one-copy guard stay apart
    // from any other copy on this machine.
    const QString velloc = dir.filePath(QStringLiteral("velloc"));
    QFile::copy(binDir + QStringLiteral("/velloc"), velloc);
    env.insert(QStringLiteral("LD_PRELOAD"), binDir + QStringLiteral("/libstartup_firstpaint.so"));
    env.insert(QStringLiteral("VELLOC_NO_UPNP"), QStringLiteral("1"));
    std::vector<double> rss[2], paint[2], login;
    for (int i = 0; i < runs; ++i) {
        const Measure bare = startOnce(binDir + QStringLiteral("/startup_bare_window"), env, false);
        const Measure solo = startOnce(velloc, env, true);
        rss[0].push_back(bare.rss);
        paint[0].push_back(bare.paint);
        rss[1].push_back(solo.rss);
        paint[1].push_back(solo.paint);
        login.push_back(solo.login);
    }
    const double bareRss = median(rss[0]), soloRss = median(rss[1]);
    std::printf("startup (%s, medians of %d runs by turns):\n", qPrintable(where), runs);
    std::printf("  idle RSS: solo velloc %.1f MB, bare Qt window %.1f MB, ratio %.2f\n", soloRss, bareRss,
                bareRss > 0 ? soloRss / bareRss : -1.0);
    std::printf("  exec to first paint: solo velloc %.1f ms, bare Qt window %.1f ms\n", median(paint[1]),
                median(paint[0]));
    std::printf("  exec to the solo login seen by a second client: %.1f ms\n", median(login));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    binDir = QCoreApplication::applicationDirPath();
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;

    std::vector<double> logins;
    for (int i = 0; i < 15; ++i)
        logins.push_back(msToFirstLogin());
    std::sort(logins.begin(), logins.end());
    std::printf("startup: velloc-host start to first CMD_sendlogininfo: median %.1f ms, best %.1f ms\n",
                logins[logins.size() / 2], logins.front());

    QProcess host;
    host.start(binDir + QStringLiteral("/velloc-host"), {QStringLiteral("--port"), QStringLiteral("7791")});
    host.waitForStarted();
    QThread::sleep(1);
    QTcpSocket player;
    player.connectToHost(QStringLiteral("127.0.0.1"), 7791);
    player.waitForConnected(2000);
    player.write("CMD_logininfo+1+1.0.1+Idle\xFF\xFF");
    player.waitForBytesWritten(1000);
    std::printf("idle: velloc-host with one player logged in: %.2f %% CPU over %d s\n",
                idleCpuPercent(host, seconds), seconds);
    host.terminate();
    host.waitForFinished(3000);

    QProcess solo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    solo.setProcessEnvironment(env);
    solo.start(binDir + QStringLiteral("/velloc"), {});
    solo.waitForStarted();
    QThread::sleep(3); // let it log in and settle
    if (solo.state() != QProcess::Running) {
        std::printf("idle: solo velloc did not stay up (is port 7772 taken?)\n");
        return 1;
    }
    std::printf("idle: solo velloc (offscreen, logged in, no game): %.2f %% CPU over %d s\n",
                idleCpuPercent(solo, seconds), seconds);
    solo.kill();
    solo.waitForFinished(3000);

    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The one-copy guard is named after the display: one of its own.
    offscreen.insert(QStringLiteral("DISPLAY"), QStringLiteral(":bench-%1").arg(QCoreApplication::applicationPid()));
    compareWithBareWindow(QStringLiteral("offscreen"), offscreen, runs);

    QTemporaryDir xdir;
    QProcess xvfb;
    const QString display = startXvfb(xvfb, xdir);
    if (display.isEmpty()) {
        std::printf("startup (Xvfb): no Xvfb started; skipped\n");
        return 0;
    }
    QProcessEnvironment x11 = QProcessEnvironment::systemEnvironment();
    x11.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    x11.insert(QStringLiteral("DISPLAY"), display);
    compareWithBareWindow(QStringLiteral("Xvfb"), x11, runs);
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return 0;
}
