// SPDX-License-Identifier: MIT
// velloc-tally: shows a tally file as a table, and runs the tally file's
// compressor on any file, for players and for support.
#include "lzrw1.h"
#include "tallygrid.h"
#include "version.h"

#include <QString>

#include <cstdio>
#include <string>

namespace {

const char *const UsageText = "usage: velloc-tally show FILE\n"
                              "       velloc-tally compress IN OUT\n"
                              "       velloc-tally decompress IN OUT\n"
                              "       velloc-tally --help | --version\n";

int usage()
{
    std::fputs(UsageText, stderr);
    return 2;
}

void fail(const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); }

QString arg(const char *s) { return QString::fromLocal8Bit(s); }

// Pads to a width counted in characters, not bytes.
QString cellText(const QString &s, int width, bool right)
{
    return right ? s.rightJustified(width) : s.leftJustified(width);
}

void printLine(const QString &line) { std::printf("%s\n", line.toLocal8Bit().constData()); }

int show(const QString &path)
{
    TallyGrid grid;
    QString error;
    if (!TallyFile::read(path, grid, &error)) {
        fail(error.toLocal8Bit().toStdString());
        return 1;
    }
    const QString games = grid.cell(TallyGrid::ColGames, 0), wins = grid.cell(TallyGrid::ColHisWins, 0);
    printLine(QStringLiteral("Your total tally: %1 game%2, %3 win%4")
                  .arg(games, games == QLatin1String("1") ? "" : "s", wins, wins == QLatin1String("1") ? "" : "s"));
    if (grid.rowCount() < 2) {
        printLine(QStringLiteral("No players are being tallied."));
        return 0;
    }

    int nameWidth = 6;
    for (const QString &n : grid.opponents())
        nameWidth = qMax(nameWidth, int(n.size()));
    nameWidth = qMin(nameWidth, 40);

    static const char *const heads[] = {"Games", "His wins", "Your wins", "Neither"};
    // Each block is four columns of "  " + 9 characters; "  |" between them.
    const QString head = QStringLiteral("\n") + cellText(QString(), nameWidth, false) +
                         cellText(QStringLiteral("  Total"), 44, false) + QStringLiteral("     Last session");
    printLine(head);
    QString columns = cellText(QStringLiteral("Player"), nameWidth, false);
    for (int pass = 0; pass < 2; ++pass) {
        columns += pass ? QStringLiteral("  |") : QString();
        for (const char *h : heads)
            columns += QStringLiteral("  ") + cellText(QString::fromLatin1(h), 9, true);
    }
    printLine(columns);
    printLine(QString(columns.size(), QLatin1Char('-')));
    for (int r = 1; r < grid.rowCount(); ++r) {
        QString line = cellText(grid.cell(TallyGrid::ColName, r), nameWidth, false);
        for (int c = 1; c < TallyGrid::ColCount; ++c) {
            if (c == TallyGrid::ColSessionGames)
                line += QStringLiteral("  |");
            line += QStringLiteral("  ") + cellText(grid.cell(c, r), 9, true);
        }
        printLine(line);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (argc == 2 && (command == "--help" || command == "-h")) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (argc == 2 && command == "--version") {
        std::printf("velloc-tally %s\n", VELLOC_VERSION);
        return 0;
    }
    if (command == "show" && argc == 3)
        return show(arg(argv[2]));
    if ((command == "compress" || command == "decompress") && argc == 4) {
        Tlzrw1 doit;
        doit.CompressMode = Tlzrw1::Fast;
        doit.InputFile = arg(argv[2]);
        doit.OutputFile = arg(argv[3]);
        try {
            const qint64 written = command == "compress" ? doit.Compress() : doit.Decompress();
            std::printf("%lld bytes written to %s\n", static_cast<long long>(written), argv[3]);
        } catch (const std::exception &e) { // ELzrw1Exception, or out of memory
            fail(e.what());
            return 1;
        }
        return 0;
    }
    return usage();
}
