// SPDX-License-Identifier: MIT
// Coming back after a drop: how long a player waits from opening a new
// connection to having his seat and hand back, against a real velloc-host
// on loopback, and what our own messages add to a login on the wire.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

namespace {

constexpr char T = '\xFF';

struct Peer {
    QTcpSocket sock;
    QByteArray pending;
    QList<QByteArray> got;
    qint64 bytes = 0;

    bool open(quint16 port)
    {
        sock.connectToHost(QStringLiteral("127.0.0.1"), port);
        return sock.waitForConnected(3000);
    }
    void send(const QByteArray &m)
    {
        sock.write(m + T);
        sock.flush();
    }
    // Waits for a message that starts with prefix; empty on timeout.
    QByteArray wait(const QByteArray &prefix, int ms = 5000)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            for (int i = 0; i < got.size(); ++i)
                if (got[i].startsWith(prefix))
                    return got.takeAt(i);
            if (sock.bytesAvailable() == 0 && !sock.waitForReadyRead(int(deadline.remainingTime())))
                continue;
            const QByteArray in = sock.readAll();
            bytes += in.size();
            pending += in;
            int end;
            while ((end = pending.indexOf(T)) >= 0) {
                got << pending.left(end);
                pending.remove(0, end + 1);
            }
        }
        return {};
    }
    int login(quint16 port, const QByteArray &name, bool ours)
    {
        if (!open(port))
            return 0;
        const int slot = wait("CMD_sendlogininfo+").mid(18).toInt();
        send("CMD_logininfo+" + QByteArray::number(slot) + "+1.0.1+" + name + T);
        if (ours)
            send("CMD_velloc+1+");
        wait("CMD_newplayerinfo+" + QByteArray::number(slot));
        return slot;
    }
};

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

    // What announcing costs a login: the bytes our host sends only to us.
    Peer plain, ours;
    plain.login(port, "Pat", false);
    plain.wait("never", 200);
    ours.login(port, "Ann", true);
    ours.wait("CMD_seattoken+", 2000);
    ours.wait("never", 200);
    QByteArray extra;
    for (const QByteArray &m : {QByteArray("CMD_velloc+1+"), QByteArray("CMD_seattoken+2+") + QByteArray(32, 'x') + "+",
                                QByteArray("CMD_botname+1+Klunk")})
        extra += m + T;
    std::printf("reconnect: announcing adds %lld bytes from the host to a login (%lld for the host player), "
                "14 from the client\n",
                static_cast<long long>(extra.size()), static_cast<long long>(extra.size() + 13));

    auto bob = std::make_unique<Peer>();
    const int seat = bob->login(port, "Bob", true);
    QByteArray token = bob->wait("CMD_seattoken+").split('+').value(2);
    ours.send("CMD_startgame+Ann+10+1+");
    ours.wait("CMD_startround+");

    std::vector<double> ms;
    for (int i = 0; i < 30 && !token.isEmpty(); ++i) {
        bob->sock.abort();
        ours.wait("CMD_playerdisconnected+");
        auto back = std::make_unique<Peer>();
        QElapsedTimer clock;
        clock.start();
        if (!back->open(port))
            break;
        back->wait("CMD_sendlogininfo+");
        back->send("CMD_reclaimseat+" + QByteArray::number(seat) + "+" + token + "+");
        back->send("CMD_logininfo+" + QByteArray::number(seat) + "+1.0.1+Bob" + T);
        back->send("CMD_velloc+1+");
        if (!back->wait("CMD_reclaimed+" + QByteArray::number(seat) + "+t+").isEmpty()
            && !back->wait("CMD_dealmybones+" + QByteArray::number(seat)).isEmpty())
            ms.push_back(clock.nsecsElapsed() / 1e6);
        token = back->wait("CMD_seattoken+").split('+').value(2);
        bob = std::move(back);
    }
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("reconnect: no seat came back\n");
        return 1;
    }
    std::printf("reconnect: connection to seat and hand back: median %.1f ms, best %.1f ms, worst %.1f ms (%zu drops)\n",
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    host.terminate();
    host.waitForFinished(3000);
    return 0;
}
