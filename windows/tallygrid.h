// SPDX-License-Identifier: MIT
// The tally's score grid (row 0 the local player, one row per tallied
// opponent, nine text columns), its text form, and the compressed tally file
// it is kept in. No widgets: the tally window and velloc-tally share it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Names come from peers: control characters (line breaks above all) would
// break the grid's one-cell-per-line text, so they become spaces.
QString sanitizeName(const QString &name);

class TallyGrid {
public:
    static constexpr int ColCount = 9;

    enum Column {
        ColName = 0,
        ColGames = 1,        // row 0: games finished while seated; opponent: games together
        ColHisWins = 2,      // the opponent's wins; row 0: the player's wins, all games
        ColMyWins = 3,       // the player's wins against this opponent
        ColNeitherWon = 4,   // won by a third player
        ColSessionGames = 5, // columns 5 to 8: the same for this run only
        ColSessionHisWins = 6,
        ColSessionMyWins = 7,
        ColSessionNeitherWon = 8,
    };

    TallyGrid(); // one row, all "0"

    int rowCount() const { return int(m_rows.size()); }
    QString cell(int col, int row) const; // empty outside the grid
    void setCell(int col, int row, const QString &text);
    void setRowCount(int rows); // at least 1; new cells are empty

    // Row of a tallied opponent, found case-blind (the first match counts);
    // -1 when the name is not tallied.
    int findName(const QString &name) const;
    // Appends an opponent with all counters at "0"; returns its row.
    int addOpponent(const QString &name);
    QStringList opponents() const;

    // Adds 1 to a counter cell and returns the new value. A cell that is not
    // an integer counts as 0.
    int addit(int col, int row);
    // Counts one finished game: the player's row, then every tallied name
    // among namesAtTable (in that order).
    void addgame(const QString &winner, bool localPlayerWon, const QStringList &namesAtTable);
    // Removes one opponent row; row 0 and rows outside the grid are ignored.
    void moverow(int row);
    // Zeroes the player's totals and drops every opponent.
    void reset();
    // A new run of the program: the opponents' session columns start at 0.
    void startSession();

    // The grid text: column count, row count, then every cell column by
    // column, one per line, lines ending in CR LF, Latin-1.
    QByteArray toText() const;
    // Reads a grid text. Returns false with *error set when the text is not a
    // tally grid (the column count is not 9, the row count is missing or
    // below 1). Rows are bounded by the lines present; missing cells are
    // empty.
    static bool fromText(const QByteArray &text, TallyGrid &grid, QString *error);

private:
    using Row = std::array<QString, ColCount>;
    QList<Row> m_rows;
};

// The tally file: the grid text compressed in the "WRZL" container. Saving
// replaces the file atomically; a file that could not be read is moved
// aside before the first save, never overwritten.
class TallyFile {
public:
    explicit TallyFile(const QString &path);

    const QString &path() const { return m_path; }

    // Fills grid from the file. A missing file gives a fresh grid and no
    // error. On failure returns false, leaves a fresh grid and sets
    // errorText(), which also names the place the file will be kept at.
    bool load(TallyGrid &grid);
    QString errorText() const { return m_error; }
    // Where an unreadable file goes; empty when there is none.
    QString badPath() const { return m_badPath; }

    // Writes grid; returns false on any failure, the old file unchanged.
    bool save(const TallyGrid &grid);

    // Reads and decodes a tally file without the side effects of load().
    static bool read(const QString &path, TallyGrid &grid, QString *error);

private:
    QString m_path;
    QString m_error;
    QString m_badPath; // set while an unreadable file waits to be moved
};
