// SPDX-License-Identifier: MIT
// A montage of the written pictures laid out as the table window shows
// them, so that a maintainer can judge the set as a whole.
#include "art.h"

#include <QFile>
#include <QLinearGradient>

#include <cstdio>

namespace art {

namespace {

class Loader {
public:
    Loader(QString dir, int scale) : dir(std::move(dir)), scale(scale) {}

    QPixmap operator()(const QString &path) const
    {
        QString file = dir + QLatin1Char('/') + path;
        if (scale == 2) {
            const int dot = file.lastIndexOf(QLatin1Char('.'));
            file = file.left(dot) + QStringLiteral("@2x") + file.mid(dot);
        }
        QPixmap pm(file);
        if (pm.isNull())
            std::fprintf(stderr, "preview: missing %s\n", qPrintable(file));
        pm.setDevicePixelRatio(scale);
        return pm;
    }

private:
    QString dir;
    int scale;
};

int lowOf(int bone)
{
    int n = bone;
    for (int low = 0; low <= 9; ++low) {
        const int count = 10 - low;
        if (n <= count)
            return low;
        n -= count;
    }
    return 9;
}

int highOf(int bone)
{
    int n = bone;
    for (int low = 0; low <= 9; ++low) {
        const int count = 10 - low;
        if (n <= count)
            return low + n - 1;
        n -= count;
    }
    return 9;
}

int boneOf(int a, int b)
{
    for (int n = 1; n <= 55; ++n)
        if ((lowOf(n) == a && highOf(n) == b) || (lowOf(n) == b && highOf(n) == a))
            return n;
    return 1;
}

} // namespace

bool writePreview(const QString &dir, const QString &outFile, int scale)
{
    const Loader load(dir, scale);
    const QSize logical(1000, 830);
    QImage img(logical * scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(QRect(QPoint(0, 0), logical), QBrush(load(QStringLiteral("images/background.png"))));

    QPixmap backV = load(QStringLiteral("images/bone_back_v.png"));
    QPixmap backH = load(QStringLiteral("images/bone_back_h.png"));
    QPixmap dotsV[10], dotsH[10];
    for (int i = 0; i < 10; ++i) {
        dotsV[i] = load(QStringLiteral("images/dots_v_%1.png").arg(i));
        dotsH[i] = load(QStringLiteral("images/dots_h_%1.png").arg(i));
    }
    auto upright = [&](QPainter &q, int bone, int x, int y) {
        q.drawPixmap(x, y, backV);
        q.drawPixmap(x + 2, y + 3, dotsV[lowOf(bone)]);
        q.drawPixmap(x + 2, y + 35, dotsV[highOf(bone)]);
    };
    auto lying = [&](QPainter &q, int bone, int x, int y, bool flip) {
        q.drawPixmap(x, y, backH);
        q.drawPixmap(x + 3, y + 3, dotsH[flip ? highOf(bone) : lowOf(bone)]);
        q.drawPixmap(x + 35, y + 3, dotsH[flip ? lowOf(bone) : highOf(bone)]);
    };

    // The table window's panel sits at (1, 0).
    p.translate(1, 0);
    const QFont label(QStringLiteral("DejaVu Sans"), 1, QFont::Bold);

    // Board: backdrop stretched underneath, natural-size copies on top.
    const QRect board(3, 3, 770, 258);
    p.fillRect(board.adjusted(-2, -2, 2, 2), QColor(0, 40, 0));
    p.save();
    p.setClipRect(board);
    p.translate(board.topLeft());
    p.drawPixmap(QRect(0, 0, 770, 258), load(QStringLiteral("images/boardback.png")));
    for (int x : {0, 750, 1500})
        p.drawPixmap(x, 0, load(QStringLiteral("images/boardback.png")));
    upright(p, boneOf(6, 6), 16, 124);
    const int rows[3] = {68, 128, 192};
    const std::vector<std::pair<int, int>> toes[3] = {
        {{6, 2}, {2, 9}, {9, 9}, {9, 4}},
        {{6, 5}, {5, 1}, {1, 0}, {0, 3}, {3, 7}, {7, 8}},
        {{6, 0}},
    };
    for (int t = 0; t < 3; ++t) {
        int pos = 1;
        for (auto [a, b] : toes[t]) {
            lying(p, boneOf(a, b), 67 * pos - 3, rows[t], a > b);
            ++pos;
        }
        p.drawPixmap(66 * pos + 2, rows[t], load(QStringLiteral("images/toe_target.png")));
    }
    QFont round = label;
    round.setPixelSize(17);
    p.setFont(round);
    p.setPen(Cream);
    p.drawText(5, 4 + 17, QStringLiteral("Round: 4 of 10"));
    p.drawPixmap(10, 26, load(QStringLiteral("images/button_start.png")));
    p.drawPixmap(118, 26, load(QStringLiteral("images/button_start_hover.png")));
    p.restore();

    // Hand.
    const QRect hand(3, 268, 770, 95);
    p.fillRect(hand.adjusted(-2, -2, 2, 2), QColor(0, 40, 0));
    p.drawPixmap(hand, load(QStringLiteral("images/handback.png")));
    const int dealt[] = {boneOf(0, 9), boneOf(3, 3), boneOf(5, 6), boneOf(1, 4), boneOf(2, 8), boneOf(7, 7),
                         boneOf(4, 9), boneOf(0, 0), boneOf(8, 9), boneOf(2, 5), boneOf(1, 1)};
    for (int i = 1; i <= int(std::size(dealt)); ++i) {
        const int top = i == 4 ? 4 : 12;
        upright(p, dealt[i - 1], hand.left() + 40 * i - 36, hand.top() + top);
    }

    // Status, pass button, scoreboard.
    QFont status = label;
    status.setPixelSize(16);
    p.setFont(status);
    p.setPen(Cream);
    p.drawText(QRect(5, 376, 356, 17), Qt::AlignCenter, QStringLiteral("Your Turn."));
    p.drawPixmap(358, 368, load(QStringLiteral("images/button_pass.png")));
    p.drawPixmap(2, 394, load(QStringLiteral("images/scoreboard.png")));
    const int rowsL[6][2] = {{5, 398}, {5, 428}, {5, 458}, {216, 398}, {216, 428}, {216, 458}};
    p.drawPixmap(QRect(rowsL[1][0], rowsL[1][1], 204, 26), load(QStringLiteral("images/turnbar.png")));
    const char *names[6] = {"Ann", "Klot", "Klock", "Kling", "Zed", "Krazy"};
    const char *scores[6] = {"12", "31", "-8", "27", "0", "45"};
    const char *bonus[6] = {"4", "11", "-20", "9", "", "17"};
    const char *bones[6] = {"11", "7", "9", "5", "", "8"};
    QFont small = label;
    small.setPixelSize(13);
    p.setFont(small);
    for (int s = 0; s < 6; ++s) {
        const int x = s < 3 ? 0 : 211, y = rowsL[s][1] + 5;
        p.drawText(QPointF(x + 29, y + 13), QString::fromLatin1(names[s]));
        p.drawText(QPointF(x + 141, y + 13), QString::fromLatin1(scores[s]));
        p.drawText(QPointF(x + 173, y + 13), QString::fromLatin1(bonus[s]));
        p.drawText(QPointF(x + 9, y + 13), QString::fromLatin1(bones[s]));
    }
    p.drawPixmap(217, 431, load(QStringLiteral("images/eyes.png")));

    // Banner, phrase buttons, chat.
    p.drawPixmap(11, 492, load(QStringLiteral("images/banner.png")));
    for (int i = 0; i < 10; ++i) {
        const QRect b(292 + 26 * (i % 5), i < 5 ? 488 : 508, 25, 19);
        p.fillRect(b, Qt::white);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(b.adjusted(0, 0, -1, -1));
        p.drawPixmap(b.left() + 4, b.top() + 3, load(QStringLiteral("images/phrase_%1.png").arg(i + 1)));
    }
    p.fillRect(QRect(427, 369, 350, 135), Cream);
    p.fillRect(QRect(427, 505, 351, 22), Qt::white);

    // Side pieces to the right: game-start dialog parts and icons.
    p.translate(-1, 0);
    p.drawPixmap(790, 10, load(QStringLiteral("images/velloc.png")).scaled(128 * scale, 128 * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    p.drawPixmap(925, 10, load(QStringLiteral("images/velloc_64.png")));
    int y = 160;
    for (const char *name : {"check_empty", "check_ticked"}) {
        p.drawPixmap(800, y, load(QStringLiteral("images/%1.png").arg(QLatin1String(name))));
        p.setPen(Cream);
        p.setFont(small);
        p.drawText(832, y + 18, QLatin1String(name));
        y += 32;
    }
    p.drawPixmap(800, y + 4, load(QStringLiteral("images/gamestart_button.png")));
    p.drawPixmap(800, y + 40, load(QStringLiteral("images/gamestart_button_hover.png")));
    p.drawPixmap(800, y + 76, load(QStringLiteral("images/button_pass_hover.png")));
    // Every face on both blanks.
    for (int n = 0; n <= 9; ++n) {
        upright(p, boneOf(n, 9 - n), 790 + (n % 5) * 40, 380 + (n / 5) * 72);
    }

    // Lobby picture and the enlarged small pieces.
    p.drawPixmap(10, 550, load(QStringLiteral("images/lobby.jpg")));
    for (int n = 0; n <= 9; ++n)
        lying(p, boneOf(n, n), 720 + (n % 4) * 68, 560 + (n / 4) * 40, false);
    p.end();
    if (!img.save(outFile)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(outFile));
        return false;
    }
    return true;
}

} // namespace art
