// SPDX-License-Identifier: MIT
// Thousands of complete games played by computer players alone, with the
// timers fired at once, checking after every step that no bone is lost or
// doubled, toes have no gaps, every bone lies the right way round, the
// totals add up and the game ends with the lowest total winning.
#include "bones.h"
#include "protocol.h"
#include "synclink.h"

#include <QtTest>

namespace {

struct Observer {
    int board[4][41] = {};
    bool flips[4][41] = {};
    QList<int> retired; // bones that left the board with a new spinner
    int spinnerPip = -1;
    bool doublePause = false;
    int sums[7] = {};
    int endrounds = 0;
    QByteArray winner;
    QStringList faults;

    static QList<QByteArray> fields(const QByteArray &m) { return m.mid(m.indexOf('+') + 1).split('+'); }

    void clearBoard()
    {
        for (auto &row : board)
            std::fill(std::begin(row), std::end(row), 0);
    }

    void see(const QByteArray &m)
    {
        if (!wellFormedHostMessage(m))
            faults << "malformed: " + QString::fromLatin1(m);
        const QList<QByteArray> f = fields(m);
        if (m.startsWith("CMD_startround+")) {
            clearBoard();
            retired.clear();
            spinnerPip = gettopnum(f[1].toInt());
            doublePause = false;
        } else if (m.startsWith("CMD_heplayed+")) {
            board[f[3].toInt()][f[4].toInt()] = f[2].toInt();
            flips[f[3].toInt()][f[4].toInt()] = f[5] == "t";
        } else if (m.startsWith("CMD_double+")) {
            retired << f[2].toInt();
            doublePause = true;
        } else if (m.startsWith("CMD_beginagain+")) {
            for (int t = 1; t <= 3; ++t)
                for (int p = 1; p <= 40; ++p)
                    if (board[t][p])
                        retired << board[t][p];
            clearBoard();
            spinnerPip = gettopnum(f[0].toInt());
            doublePause = false;
        } else if (m.startsWith("CMD_endround+")) {
            ++endrounds;
            for (int i = 1; i + 2 < f.size(); i += 3)
                sums[f[i].toInt()] += f[i + 1].toInt();
        } else if (m.startsWith("CMD_winner+")) {
            winner = m.mid(11).chopped(1);
        } else if (m.startsWith("CMD_noplay+")) {
            faults << "a computer player was refused";
        }
    }

    void check(const GameHost &g)
    {
        // Every bone is in exactly one place.
        int count[56] = {};
        for (int s = 1; s <= 6; ++s)
            for (int h = 1; h <= 20; ++h)
                count[g.players[s].hand[h]]++;
        for (int t = 1; t <= 3; ++t)
            for (int p = 1; p <= 40; ++p)
                count[g.toes[t][p].bone]++;
        for (int i = g.dealpos + 1; i <= 55; ++i)
            count[g.boneyard[i]]++;
        for (int b : retired)
            count[b]++;
        for (int b = 1; b <= 55; ++b)
            if (count[b] != 1) {
                faults << QStringLiteral("bone %1 is in %2 places").arg(b).arg(count[b]);
                return;
            }
        for (int t = 1; t <= 3; ++t) {
            bool ended = false;
            for (int p = 1; p <= 40; ++p) {
                const ToeCell &c = g.toes[t][p];
                if (c.bone != board[t][p] || (c.bone && c.flip != flips[t][p]))
                    faults << QStringLiteral("toe %1 position %2 differs from what was announced").arg(t).arg(p);
                if (c.bone == 0) {
                    ended = true;
                    continue;
                }
                if (ended)
                    faults << QStringLiteral("gap in toe %1 before position %2").arg(t).arg(p);
                const int touching = c.flip ? getbotnum(c.bone) : gettopnum(c.bone);
                const int wanted = p == 1 ? spinnerPip : g.openValue(t, p - 1);
                if (touching != wanted)
                    faults << QStringLiteral("toe %1 position %2 does not match its neighbour").arg(t).arg(p);
            }
        }
        if (!doublePause && g.spinner != spinnerPip && g.gamerunning)
            faults << QStringLiteral("spinner %1, announced %2").arg(g.spinner).arg(spinnerPip);
        for (int s = 1; s <= 6; ++s)
            if (g.players[s].totalscore != sums[s])
                faults << QStringLiteral("seat %1 total %2, rounds add to %3").arg(s).arg(g.players[s].totalscore).arg(sums[s]);
    }
};

} // namespace

class TestBotGames : public QObject {
    Q_OBJECT
private slots:
    void invariantsHoldOverThousandsOfGames();
};

void TestBotGames::invariantsHoldOverThousandsOfGames()
{
    const int games = 3000;
    long long steps = 0;
    int ties = 0, doubles = 0;
    for (int seed = 0; seed < games; ++seed) {
        SyncLink link;
        GameHost g(link, unsigned(seed));
        link.host = &g;
        g.setBotDelay(1);
        Observer o;
        link.onSend = [&](int slot, const QByteArray &m) {
            if (slot == 7) {
                o.see(m.chopped(1));
                ties += m.startsWith("CMD_tiegame+");
                doubles += m.startsWith("CMD_double+");
            }
        };
        const int seats = 2 + seed % 5;
        const int rounds = 3 + seed % 8;
        for (int i = 1; i <= 7; ++i)
            g.slotConnected(g.reserveSlot());
        for (int s = seats + 1; s <= 6; ++s)
            g.slotClosed(s);
        g.dispatch(1, "CMD_startgame+Bot+" + QByteArray::number(rounds) + "+1+");
        // Everyone leaves the table but the observer in slot 7: the
        // computer plays every seat.
        for (int s = 1; s <= seats; ++s)
            g.slotClosed(s);
        int guard = 0;
        while (g.gamerunning && ++guard < 50000) {
            if (!link.fireOne())
                break;
            ++steps;
            o.check(g);
            if (!o.faults.isEmpty())
                break;
        }
        if (!o.faults.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(o.faults.join("; "))));
        QVERIFY2(!g.gamerunning, qPrintable(QStringLiteral("seed %1 never ended").arg(seed)));
        QVERIFY(o.endrounds >= rounds);
        // The winner has the lowest total, alone.
        int best = 0;
        for (int s = 1; s <= 6; ++s)
            if (g.players[s].playing && (best == 0 || g.players[s].totalscore < g.players[best].totalscore))
                best = s;
        for (int s = 1; s <= 6; ++s)
            if (s != best && g.players[s].playing)
                QVERIFY(g.players[s].totalscore > g.players[best].totalscore);
        QCOMPARE(o.winner, g.players[best].botname);
    }
    qInfo("%d games, %lld steps, %d ties, %d doubles", games, steps, ties, doubles);
    QVERIFY(ties > 0);
    QVERIFY(doubles > 0);
}

QTEST_APPLESS_MAIN(TestBotGames)
#include "tst_botgames.moc"
