// SPDX-License-Identifier: MIT
// A fair host under a flood: how long a normal player waits for the echo of
// his chat line while another connection has 900 messages queued, against a
// real velloc-host on loopback; and the echo at an idle table.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr char T = '\xFF';
constexpr int FloodSize = 900;

struct Peer {
    QTcpSocket sock;
    QByteArray pending;
    std::function<void(const QByteArray &)> onMessage;

    bool login(quint16 port, const QByteArray &name)
    {
        QObject::connect(&sock, &QTcpSocket::readyRead, [this] {
            pending += sock.readAll();
            int end;
            while ((end = pending.indexOf(T)) >= 0) {
                const QByteArray m = pending.left(end);
                pending.remove(0, end + 1);
                if (onMessage)
                    onMessage(m);
            }
        });
        sock.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!sock.waitForConnected(3000))
            return false;
        sock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QByteArray slot;
        onMessage = [&](const QByteArray &m) {
            if (m.startsWith("CMD_sendlogininfo+"))
                slot = m.mid(18);
        };
        if (!until([&] { return !slot.isEmpty(); }))
            return false;
        send("CMD_logininfo+" + slot + "+1.0.1+" + name + T);
        bool in = false;
        onMessage = [&](const QByteArray &m) { in = in || m == "CMD_newplayerinfo+" + slot + "+" + name; };
        const bool ok = until([&] { return in; });
        onMessage = nullptr;
        return ok;
    }
    void send(const QByteArray &m) { sock.write(m + T); }

    static bool until(const std::function<bool()> &done, int ms = 5000)
    {
        QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velloc-host"),
               {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--quiet")});
    if (!host.waitForStarted(5000) || !host.waitForReadyRead(5000))
        return 1;
    const QByteArray line = host.readAllStandardOutput();
    const quint16 port = quint16(line.mid(line.indexOf("port ") + 5).trimmed().toUInt());

    Peer nora, flo;
    if (!nora.login(port, "Nora") || !flo.login(port, "Flo")) {
        std::printf("flood: could not log in\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> sentAt;
    std::vector<double> idle, flooded;
    int floodEchoes = 0;
    bool flooding = false;
    nora.onMessage = [&](const QByteArray &m) {
        if (m.startsWith("CMD_chat+Flo chats: ")) {
            ++floodEchoes;
        } else if (m.startsWith("CMD_chat+Nora chats: ")) {
            const size_t n = size_t(m.mid(21).split('|').value(0).toUInt());
            if (n < sentAt.size())
                (flooding ? flooded : idle).push_back((clock.nsecsElapsed() - sentAt[n]) / 1e6);
        }
    };
    flo.onMessage = [](const QByteArray &) {};
    const auto chat = [&] {
        sentAt.push_back(clock.nsecsElapsed());
        nora.send("CMD_chat+1+" + QByteArray::number(qulonglong(sentAt.size() - 1)) + "|clBlack");
    };

    // At an idle table, one line at a time (once the logins' last empty
    // messages have gone through).
    Peer::until([] { return false; }, 100);
    for (int i = 0; i < 20; ++i) {
        const size_t before = idle.size();
        chat();
        Peer::until([&] { return idle.size() > before; });
        Peer::until([] { return false; }, 30);
    }

    // Flo queues his whole flood at once; Nora chats every 100 ms until the
    // flood has been echoed and her own lines are all back.
    flooding = true;
    QByteArray flood;
    for (int i = 0; i < FloodSize; ++i)
        flood += "CMD_chat+2+flood " + QByteArray::number(i) + "|clBlack" + T;
    flo.sock.write(flood);
    const qint64 floodStart = clock.nsecsElapsed();
    const size_t firstFlooded = sentAt.size();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, chat);
    ticker.start(100);
    chat();
    qint64 drained = 0;
    Peer::until([&] {
        if (floodEchoes >= FloodSize && !drained) {
            drained = clock.nsecsElapsed();
            ticker.stop();
        }
        return drained && flooded.size() == sentAt.size() - firstFlooded;
    }, 60000);
    ticker.stop();

    std::printf("flood: echo of a chat line at an idle table: median %.1f ms, worst %.1f ms (%zu lines)\n",
                median(idle), idle.empty() ? 0.0 : *std::max_element(idle.begin(), idle.end()), idle.size());
    if (!drained || flooded.empty()) {
        std::printf("flood: the flood was not echoed within a minute (%d of %d)\n", floodEchoes, FloodSize);
        return 1;
    }
    std::printf("flood: while another connection floods %d messages: worst echo %.1f ms, median %.1f ms "
                "(%zu lines); the flood took %.2f s to go through\n",
                FloodSize, *std::max_element(flooded.begin(), flooded.end()), median(flooded), flooded.size(),
                (drained - floodStart) / 1e9);
    host.terminate();
    host.waitForFinished(3000);
    return 0;
}
