// SPDX-License-Identifier: MIT
#include "desk.h"

#include "bones.h"
#include "tablewidgets.h"
#include "tgamestart.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QThread>
#include <QtEndian>

#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr int RowY[] = {0, 68, 128, 192};
const QColor Cream(226, 228, 182);

QProcessEnvironment programEnvironment(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    return env;
}

bool near(QRgb a, QRgb b, int tol = 10)
{
    return qAbs(qRed(a) - qRed(b)) <= tol && qAbs(qGreen(a) - qGreen(b)) <= tol && qAbs(qBlue(a) - qBlue(b)) <= tol;
}

// Children that outlive an aborted test would hold the game's port and the
// one-copy guard against the next test: they go when the test goes.
void dieWithTest(QProcess &p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

// Xvfb keeps its screen in an XWD file when given -fbdir: reading that file
// is far quicker than asking a client to grab and encode the screen. Only
// the 32-bit little-endian true-colour layout Xvfb uses here is read.
QImage fromXwd(const QByteArray &data)
{
    constexpr int HeaderWords = 25;
    if (data.size() < HeaderWords * 4)
        return {};
    const auto field = [&](int i) { return qFromBigEndian<quint32>(data.constData() + 4 * i); };
    const quint32 headerSize = field(0), format = field(2), width = field(4), height = field(5), byteOrder = field(7),
                  bitsPerPixel = field(11), bytesPerLine = field(12), red = field(14), green = field(15), blue = field(16),
                  colours = field(19);
    if (format != 2 || byteOrder != 0 || bitsPerPixel != 32 || red != 0xff0000 || green != 0xff00 || blue != 0xff
        || width == 0 || width > 8192 || height == 0 || height > 8192 || bytesPerLine < width * 4 || colours > 65536)
        return {};
    const qint64 start = qint64(headerSize) + qint64(colours) * 12;
    if (start + qint64(bytesPerLine) * height > data.size())
        return {};
    QImage img(int(width), int(height), QImage::Format_RGB32);
    for (int y = 0; y < int(height); ++y) {
        const uchar *from = reinterpret_cast<const uchar *>(data.constData()) + start + qint64(y) * bytesPerLine;
        QRgb *to = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < int(width); ++x)
            to[x] = 0xff000000u | qFromLittleEndian<quint32>(from + 4 * x);
    }
    return img;
}

QImage compose(QSize size, const std::function<void(QPainter &)> &paint)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paint(p);
    return img;
}

} // namespace

int TableView::handCount() const
{
    int n = 0;
    for (int b : hand)
        n += b != 0;
    return n;
}

Desk::~Desk()
{
    for (QProcess *p : {&m_program, &m_xvfb})
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(2000);
            }
        }
}

// Xvfb picks a free display itself and writes its number once it accepts
// clients: choosing a number here raced with other servers starting.
bool Desk::startDisplay()
{
    const QString numberFile = m_folder.filePath(QStringLiteral("display"));
    m_xvfb.setProcessChannelMode(QProcess::MergedChannels);
    m_xvfb.setStandardOutputFile(m_folder.filePath(QStringLiteral("xvfb.log")));
    dieWithTest(m_xvfb);
    m_xvfb.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -fbdir \"$1\" 3>\"$0\""),
                  numberFile, m_folder.path()});
    if (!m_xvfb.waitForStarted(5000))
        return false;
    QDeadlineTimer up(15000);
    while (m_display.isEmpty() && !up.hasExpired() && m_xvfb.state() == QProcess::Running) {
        QFile f(numberFile);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray text = f.readAll();
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            if (text.endsWith('\n') && ok && n >= 0)
                m_display = QStringLiteral(":%1").arg(n);
        }
        if (m_display.isEmpty())
            QThread::msleep(50);
    }
    // A trivial client that gets an answer proves the display takes programs.
    while (!m_display.isEmpty() && !up.hasExpired()) {
        if (!xdotool({QStringLiteral("getdisplaygeometry")}).trimmed().isEmpty())
            return true;
        QThread::msleep(100);
    }
    qWarning("Xvfb did not come up; its log is in %s", qPrintable(m_folder.path()));
    m_folder.setAutoRemove(false);
    return false;
}

bool Desk::start(const QStringList &args, const QByteArray &settingsText)
{
    if (!startDisplay())
        return false;
    // A private copy of the program keeps its settings and tally files here.
    const QString program = m_folder.filePath(QStringLiteral("velloc"));
    if (!QFile::copy(QStringLiteral(VELLOC_BIN_DIR "/velloc"), program))
        return false;
    QFile ini(m_folder.filePath(QStringLiteral("qorblobby.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write(settingsText) != settingsText.size())
        return false;
    ini.close();
    QProcessEnvironment env = programEnvironment(m_display);
    // No router discovery from a test, whoever runs it; and a lobby the
    // desktop user installed must not be started by "Play with Others".
    env.insert(QStringLiteral("VELLOC_NO_UPNP"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_folder.filePath(QStringLiteral("data")));
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dieWithTest(m_program);
    m_program.start(program, args);
    return m_program.waitForStarted(5000);
}

void Desk::shot(const QString &name) const
{
    if (!m_display.isEmpty())
        grab().save(shotPath(name));
}

QString Desk::xdotool(const QStringList &args) const
{
    QProcess p;
    p.setProcessEnvironment(programEnvironment(m_display));
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QImage Desk::grab() const
{
    QFile screen(m_folder.filePath(QStringLiteral("Xvfb_screen0")));
    if (screen.open(QIODevice::ReadOnly)) {
        const QImage img = fromXwd(screen.readAll());
        if (!img.isNull())
            return img;
    }
    QProcess p;
    p.start(QStringLiteral("import"), {QStringLiteral("-display"), m_display, QStringLiteral("-window"),
                                       QStringLiteral("root"), QStringLiteral("png:-")});
    p.waitForFinished(10000);
    QImage img;
    img.loadFromData(p.readAllStandardOutput(), "PNG");
    return img.convertToFormat(QImage::Format_RGB32);
}

void Desk::click(QPoint at, int button) const
{
    // Xvfb draws the pointer into the screen the tests read, so it is put
    // out of the way again, in the corner where no window lies.
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QString::number(button), QStringLiteral("mousemove"), QStringLiteral("1023"), QStringLiteral("767")});
}

void Desk::type(const QString &text) const { xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}); }

void Desk::key(const QString &keys) const { xdotool({QStringLiteral("key"), keys}); }

QPoint Desk::windowAt(const QString &title) const
{
    const QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--name"),
                                     QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &id : ids) {
        const QString geo = xdotool({QStringLiteral("getwindowgeometry"), id});
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+)")).match(geo);
        const QRegularExpressionMatch g = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(geo);
        if (m.hasMatch() && g.hasMatch() && g.captured(1).toInt() > 50)
            return {m.captured(1).toInt(), m.captured(2).toInt()};
    }
    return {-1, -1};
}

bool Desk::shown(const QString &title) const
{
    return !xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
                .trimmed()
                .isEmpty();
}

// What a window manager does on Alt+Tab; Xvfb runs none, and without one
// the keyboard goes to whatever lies under the pointer.
void Desk::focusWindow(const QString &title, bool smallest) const
{
    const QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                     QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString chosen;
    int width = 0;
    for (const QString &id : ids) {
        const QRegularExpressionMatch g = QRegularExpression(QStringLiteral("Geometry: (\\d+)x"))
                                              .match(xdotool({QStringLiteral("getwindowgeometry"), id}));
        const int w = g.hasMatch() ? g.captured(1).toInt() : 0;
        if (w > 50 && (chosen.isEmpty() || (smallest ? w < width : w > width))) {
            width = w;
            chosen = id;
        }
    }
    if (!chosen.isEmpty())
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), chosen});
}

RealPlayer::RealPlayer(Desk &desk) : m_desk(desk)
{
    const QPixmap backV = artwork(QStringLiteral("bone_back_v.png"), {34, 66});
    const QPixmap backH = artwork(QStringLiteral("bone_back_h.png"), {66, 34});
    for (int b = 1; b <= 55; ++b) {
        const int lo = gettopnum(b), hi = getbotnum(b);
        auto v = [](int n) { return artwork(QStringLiteral("dots_v_%1.png").arg(n), {28, 28}); };
        auto h = [](int n) { return artwork(QStringLiteral("dots_h_%1.png").arg(n), {28, 28}); };
        m_upright[b] = compose({34, 66}, [&](QPainter &p) {
            p.drawPixmap(QRect(0, 0, 34, 66), backV);
            p.drawPixmap(QRect(2, 3, 28, 28), v(lo));
            p.drawPixmap(QRect(2, 35, 28, 28), v(hi));
        });
        // Inside the ring the keyboard's focus draws round a hand bone.
        m_uprightInner[b] = m_upright[b].copy(3, 3, 28, 60);
        m_lying[b] = compose({66, 34}, [&](QPainter &p) {
            p.drawPixmap(QRect(0, 0, 66, 34), backH);
            p.drawPixmap(QRect(3, 3, 28, 28), h(lo));
            p.drawPixmap(QRect(35, 3, 28, 28), h(hi));
        });
        m_lyingFlipped[b] = compose({66, 34}, [&](QPainter &p) {
            p.drawPixmap(QRect(0, 0, 66, 34), backH);
            p.drawPixmap(QRect(3, 3, 28, 28), h(hi));
            p.drawPixmap(QRect(35, 3, 28, 28), h(lo));
        });
    }
    m_banner = compose({272, 34}, [](QPainter &p) { p.drawPixmap(QRect(0, 0, 272, 34), artwork(QStringLiteral("banner.png"), {272, 34})); });
    m_pass = compose({65, 28}, [](QPainter &p) { p.drawPixmap(QRect(0, 0, 65, 28), artwork(QStringLiteral("button_pass.png"), {65, 28})); });
    m_passHover = compose({65, 28}, [](QPainter &p) {
        p.drawPixmap(QRect(0, 0, 65, 28), artwork(QStringLiteral("button_pass_hover.png"), {65, 28}));
    });
}

int RealPlayer::mismatches(const QImage &screen, QPoint at, const QImage &want, int cap, int *compared) const
{
    *compared = 0;
    if (at.x() < 0 || at.y() < 0 || at.x() + want.width() > screen.width() || at.y() + want.height() > screen.height())
        return cap + 1;
    int wrong = 0;
    for (int y = 0; y < want.height(); ++y) {
        const QRgb *w = reinterpret_cast<const QRgb *>(want.constScanLine(y));
        const QRgb *s = reinterpret_cast<const QRgb *>(screen.constScanLine(at.y() + y)) + at.x();
        for (int x = 0; x < want.width(); ++x) {
            if (qAlpha(w[x]) < 255)
                continue;
            ++*compared;
            if (!near(w[x], s[x]) && ++wrong > cap)
                return wrong;
        }
    }
    return wrong;
}

bool RealPlayer::matches(const QImage &screen, QPoint at, const QImage &want, double tolerance) const
{
    int compared = 0;
    const int wrong = mismatches(screen, at, want, int(tolerance * want.width() * want.height()) + 1, &compared);
    return compared > 0 && wrong <= tolerance * compared;
}

bool RealPlayer::calibrate(const QImage &screen)
{
    const QPoint win = m_desk.windowAt(QStringLiteral("Velloc"));
    if (win.x() < 0)
        return false;
    for (int dy = 480; dy <= 580; ++dy)
        for (int dx = 0; dx <= 40; ++dx)
            if (matches(screen, win + QPoint(dx, dy), m_banner, 0.03)) {
                m_panel = win + QPoint(dx, dy) - QPoint(11, 492);
                // The scrolling panels' frames are a pixel or two wide.
                m_board = m_panel + QPoint(4, 4);
                m_hand = m_panel + QPoint(4, 269);
                return true;
            }
    return false;
}

// The closest of the candidates, when it is close enough: bones that share
// a face differ only in a few dozen pixels, so the best match decides.
int RealPlayer::identifyUpright(const QImage &screen, QPoint at) const
{
    int best = 0, bestWrong = int(0.03 * 28 * 60);
    for (int b = 1; b <= 55; ++b) {
        int compared = 0;
        const int wrong = mismatches(screen, at + QPoint(3, 3), m_uprightInner[b], bestWrong, &compared);
        if (compared > 0 && wrong < bestWrong) {
            best = b;
            bestWrong = wrong;
        }
    }
    return best;
}

int RealPlayer::identifyLying(const QImage &screen, QPoint at, bool *flip) const
{
    // A toe target may cover the right edge of the last bone by a few pixels.
    int best = 0, bestWrong = int(0.12 * 66 * 34);
    for (int b = 1; b <= 55; ++b)
        for (bool f : {false, true}) {
            int compared = 0;
            const int wrong = mismatches(screen, at, f ? m_lyingFlipped[b] : m_lying[b], bestWrong, &compared);
            if (compared > 0 && wrong < bestWrong) {
                best = b;
                bestWrong = wrong;
                *flip = f;
            }
        }
    return best;
}

TableView RealPlayer::read(const QImage &screen) const
{
    TableView v;
    if (m_panel.x() < 0 || screen.isNull())
        return v;
    v.found = true;
    // The winner panel: a cream bar across the board.
    int cream = 0;
    for (int x = 150; x < 700; x += 50)
        cream += near(screen.pixel(m_board + QPoint(x, 14)), Cream.rgb(), 4) ? 1 : 0;
    v.gameOver = cream >= 10;
    v.myTurn = matches(screen, m_panel + QPoint(358, 368), m_pass, 0.05)
               || matches(screen, m_panel + QPoint(358, 368), m_passHover, 0.05);
    for (int i = 1; i <= 18; ++i) {
        const QPoint slot = m_hand + QPoint(40 * i - 36, 0);
        int b = identifyUpright(screen, slot + QPoint(0, 12));
        if (!b && (b = identifyUpright(screen, slot + QPoint(0, 4))))
            v.raised[size_t(i)] = 1;
        if (!b)
            break;
        v.hand[size_t(i)] = b;
    }
    v.spinner = identifyUpright(screen, m_board + QPoint(16, 124));
    for (int t = 1; t <= 3; ++t)
        for (int p = 1; p <= 11; ++p) {
            bool flip = false;
            const int b = identifyLying(screen, m_board + QPoint(67 * p - 3, RowY[t]), &flip);
            if (!b)
                break;
            v.toes[t][p] = b;
            v.flips[t][p] = flip;
        }
    // Round scores stand in the bonus labels between a round's end and the
    // next round.
    for (const QPoint bonus : {QPoint(173, 403), QPoint(173, 433), QPoint(384, 403)}) {
        int text = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 30; ++x)
                text += near(screen.pixel(m_panel + bonus + QPoint(x, y)), Cream.rgb(), 14) ? 1 : 0;
        v.roundOver |= text >= 6;
    }
    return v;
}

bool RealPlayer::move(const TableView &v)
{
    struct Target {
        int toe, pos, value;
    };
    QList<Target> targets;
    const bool footsMissing = !v.toes[1][1] || !v.toes[2][1] || !v.toes[3][1];
    for (int t = 1; t <= 3; ++t) {
        if (footsMissing) {
            if (!v.toes[t][1] && v.spinner)
                targets.append({t, 1, gettopnum(v.spinner)});
            continue;
        }
        int last = 1;
        while (last < 11 && v.toes[t][last + 1])
            ++last;
        if (last >= 10)
            continue; // its end lies beyond the visible board
        const int b = v.toes[t][last];
        targets.append({t, last + 1, v.flips[t][last] ? gettopnum(b) : getbotnum(b)});
    }
    for (int i = 1; i <= 18 && v.hand[size_t(i)]; ++i) {
        const int b = v.hand[size_t(i)];
        for (const Target &t : targets) {
            if (gettopnum(b) != t.value && getbotnum(b) != t.value)
                continue;
            if (byKeys) {
                // The hand holds the focus: lower what is raised, walk to
                // the bone and put it on its toe by number.
                for (int j = 1; j <= 18; ++j)
                    if (v.raised[size_t(j)])
                        m_desk.key(QStringLiteral("Escape"));
                QStringList keys{QStringLiteral("Home")};
                for (int j = 1; j < i; ++j)
                    keys << QStringLiteral("Right");
                keys << QString::number(t.toe);
                m_desk.key(keys.join(QLatin1Char(' ')));
                ++moves;
                return true;
            }
            for (int j = 1; j <= 18; ++j) // lower any other raised bone first
                if (j != i && v.raised[size_t(j)])
                    m_desk.click(m_hand + QPoint(40 * j - 36 + 17, 4 + 33));
            if (!v.raised[size_t(i)])
                m_desk.click(m_hand + QPoint(40 * i - 36 + 17, 12 + 33));
            m_desk.click(m_board + QPoint(66 * t.pos + 2 + 33, RowY[t.toe] + 17));
            ++moves;
            return true;
        }
    }
    pass();
    return true;
}

void RealPlayer::pass()
{
    if (byKeys)
        m_desk.key(QStringLiteral("p"));
    else
        m_desk.click(m_panel + QPoint(358 + 32, 368 + 14));
    ++passes;
}

int labelsShowing(const QImage &screen, QPoint panel, const QPoint (&labels)[6])
{
    const auto cream = [](QRgb c) {
        return qAbs(qRed(c) - 226) <= 14 && qAbs(qGreen(c) - 228) <= 14 && qAbs(qBlue(c) - 182) <= 14;
    };
    int showing = 0;
    for (const QPoint at : labels) {
        int text = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 18; ++x)
                text += cream(screen.pixel(panel + at + QPoint(x, y))) ? 1 : 0;
        showing += text >= 6 ? 1 : 0;
    }
    return showing;
}

QString shotPath(const QString &name)
{
    const QString dir = QStringLiteral(VELLOC_BIN_DIR "/../e2e-shots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

bool calibrate(Desk &desk, RealPlayer &player)
{
    QDeadlineTimer until(20000);
    while (!until.hasExpired()) {
        if (player.calibrate(desk.grab()))
            return true;
        QThread::msleep(200);
    }
    return false;
}

QPoint waitForWindow(const Desk &desk, const QString &title, int timeoutMs)
{
    QDeadlineTimer until(timeoutMs);
    QPoint at(-1, -1);
    while ((at = desk.windowAt(title)).x() < 0 && !until.hasExpired())
        QThread::msleep(100);
    return at;
}

bool startAGame(Desk &desk, RealPlayer &player, const QString &dialogShot)
{
    desk.click(player.boardOrigin() + QPoint(10 + 51, 26 + 14));
    const QPoint dialog = waitForWindow(desk, QStringLiteral("Velloc - Game Start"), 10000);
    if (dialog.x() < 0)
        return false;
    QThread::msleep(300);
    if (!dialogShot.isEmpty())
        desk.shot(dialogShot);
    desk.click(dialog + Tgamestart::StartButtonRect.center());
    return true;
}

void Follower::save(const QString &what, const QImage &img)
{
    if (saved.contains(what))
        return;
    saved.insert(what);
    img.save(shotPath(prefix + what));
}

bool Follower::step()
{
    const QImage img = desk.grab();
    const TableView v = player.read(img);
    if (!v.found)
        return false;
    if (v.gameOver) {
        save(QStringLiteral("winner"), img);
        return true;
    }
    if (last.spinner && v.spinner && v.spinner != last.spinner && v.handCount() <= last.handCount())
        save(QStringLiteral("double"), img);
    if (v.roundOver)
        save(QStringLiteral("round-end"), img);
    if (v.myTurn) {
        save(QStringLiteral("first-turn"), img);
        if (v.hand == triedHand && sinceMove.elapsed() < 1500) {
            // Still waiting for the host's answer to the last move.
        } else if (v.hand == triedHand) {
            // The host refused what we read: pass instead.
            player.pass();
            sinceMove.restart();
            triedHand = {};
        } else {
            player.move(v);
            triedHand = v.hand;
            sinceMove.restart();
        }
    }
    last = v;
    return false;
}
