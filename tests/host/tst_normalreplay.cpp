// SPDX-License-Identifier: MIT
// Recorded games replayed through the host: seeded games with computer
// players and with scripted humans (who also try plays that are not legal)
// must produce, message for message, what the host produced when the
// recording was made. A digest per game is kept in data/replays.txt;
// VELLOC_WRITE_REPLAYS=1 rewrites it (only when a change is meant to alter
// what the host says).
#include "bones.h"
#include "synclink.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

#include <random>

namespace {

struct Replay {
    int seed = 0;
    int seats = 0;
    int rounds = 0;
    int humans = 0;
    qsizetype messages = 0;
    QByteArray digest;

    QByteArray line() const
    {
        return QByteArray::number(seed) + " " + QByteArray::number(seats) + " " + QByteArray::number(rounds) + " "
               + QByteArray::number(humans) + " " + QByteArray::number(messages) + " " + digest;
    }
};

// Plays one game; humans sit in seats 1..humans, choosing among everything
// in their hand with a seeded generator (so most tries are refused), and
// the computer plays the rest.
Replay play(int seed, int seats, int rounds, int humans)
{
    SyncLink link;
    GameHost g(link, unsigned(seed));
    link.host = &g;
    g.setBotDelay(1);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Replay r{seed, seats, rounds, humans, 0, {}};
    link.onSend = [&](int slot, const QByteArray &m) {
        hash.addData(QByteArray::number(slot) + ":" + m);
        ++r.messages;
    };
    for (int i = 1; i <= 7; ++i)
        g.slotConnected(g.reserveSlot());
    for (int i = 1; i <= 7; ++i)
        g.dispatch(i, "CMD_logininfo+" + QByteArray::number(i) + "+1.0.1+P" + QByteArray::number(i));
    for (int s = seats + 1; s <= 6; ++s)
        g.slotClosed(s);
    g.dispatch(1, "CMD_startgame+P1+" + QByteArray::number(rounds) + "+" + QByteArray::number(1 + seed % 3) + "+");
    for (int s = humans + 1; s <= seats; ++s)
        g.slotClosed(s);
    std::mt19937 pick(unsigned(seed) * 7919u + 1);
    int guard = 0;
    while (g.gamerunning && ++guard < 200000) {
        const int s = g.whoseturn;
        if (g.turnopen && s >= 1 && s <= humans && !g.computerPlayed(s)) {
            const QByteArray seat = QByteArray::number(s);
            if (pick() % 9 == 0) {
                g.dispatch(s, "CMD_hepasses+" + seat + "+");
                continue;
            }
            const int h = 1 + int(pick() % 20);
            const int toe = 1 + int(pick() % 3);
            int p = 1;
            while (p <= 40 && g.toes[toe][p].bone)
                ++p;
            if (pick() % 5 == 0)
                p = 1 + int(pick() % 41); // a wild position now and then
            g.dispatch(s, "CMD_playbone+" + seat + "+" + QByteArray::number(h) + "+" + QByteArray::number(toe) + "+"
                              + QByteArray::number(p) + "+");
            continue;
        }
        if (!link.fireOne())
            break;
    }
    r.digest = hash.result().toHex().left(32);
    return r;
}

QList<Replay> recordedGames()
{
    QList<Replay> all;
    for (int seed = 0; seed < 240; ++seed) {
        const int seats = 2 + seed % 5;
        all << Replay{seed, seats, 3 + seed % 8, seed % 4 == 0 ? 0 : 1 + seed % seats, 0, {}};
    }
    return all;
}

} // namespace

class TestNormalReplay : public QObject {
    Q_OBJECT
private slots:
    void sameMessagesAsRecorded();
};

void TestNormalReplay::sameMessagesAsRecorded()
{
    const QString path = QStringLiteral(VELLOC_SOURCE_DIR "/tests/host/data/replays.txt");
    if (qEnvironmentVariableIsSet("VELLOC_WRITE_REPLAYS")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("# seed seats rounds humans messages sha256/128 of every message the host sent\n");
        for (const Replay &want : recordedGames())
            out.write(play(want.seed, want.seats, want.rounds, want.humans).line() + "\n");
        QSKIP("replays written");
    }
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    int compared = 0;
    qsizetype messages = 0;
    for (const QByteArray &raw : in.readAll().split('\n')) {
        if (raw.isEmpty() || raw.startsWith('#'))
            continue;
        const QList<QByteArray> f = raw.split(' ');
        QCOMPARE(f.size(), 6);
        const Replay got = play(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt());
        QCOMPARE(got.line(), raw);
        messages += got.messages;
        ++compared;
    }
    QCOMPARE(compared, int(recordedGames().size()));
    qInfo("%d games, %lld messages as recorded", compared, static_cast<long long>(messages));
}

QTEST_APPLESS_MAIN(TestNormalReplay)
#include "tst_normalreplay.moc"
