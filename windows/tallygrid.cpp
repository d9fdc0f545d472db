// SPDX-License-Identifier: MIT
#include "tallygrid.h"

#include "ansi.h"
#include "lzrw1kh.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>

QString sanitizeName(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return out;
}

namespace {

// Decimal integer with an optional sign and surrounding blanks; no other
// characters, nothing outside 32 bits.
bool parseInt(const QString &text, int &value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

bool parseInt64(const QByteArray &text, qint64 &value)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

const QString Zero = QStringLiteral("0");

} // namespace

TallyGrid::TallyGrid()
{
    Row row;
    row.fill(Zero);
    m_rows.append(row);
}

QString TallyGrid::cell(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= rowCount())
        return QString();
    return m_rows[row][col];
}

void TallyGrid::setCell(int col, int row, const QString &text)
{
    if (col < 0 || col >= ColCount || row < 0 || row >= rowCount())
        return;
    m_rows[row][col] = text;
}

void TallyGrid::setRowCount(int rows)
{
    rows = qMax(rows, 1);
    if (rows < rowCount())
        m_rows.resize(rows);
    while (rowCount() < rows)
        m_rows.append(Row());
}

int TallyGrid::findName(const QString &name) const
{
    for (int r = 1; r < rowCount(); ++r)
        if (QString::compare(m_rows[r][ColName], name, Qt::CaseInsensitive) == 0)
            return r;
    return -1;
}

int TallyGrid::addOpponent(const QString &name)
{
    Row row;
    row.fill(Zero);
    row[ColName] = sanitizeName(name);
    m_rows.append(row);
    return rowCount() - 1;
}

QStringList TallyGrid::opponents() const
{
    QStringList names;
    for (int r = 1; r < rowCount(); ++r)
        names.append(m_rows[r][ColName]);
    return names;
}

int TallyGrid::addit(int col, int row)
{
    if (col < 0 || col >= ColCount || row < 0 || row >= rowCount())
        return 0;
    int v = 0;
    if (!parseInt(m_rows[row][col], v) || v < 0)
        v = 0;
    if (v < INT_MAX)
        ++v;
    m_rows[row][col] = QString::number(v);
    return v;
}

void TallyGrid::addgame(const QString &winner, bool localPlayerWon, const QStringList &namesAtTable)
{
    addit(ColGames, 0);
    if (localPlayerWon)
        addit(ColHisWins, 0);

    const QString winnerName = sanitizeName(winner);
    for (const QString &seated : namesAtTable) {
        const int r = findName(sanitizeName(seated));
        if (r < 1)
            continue;
        for (int c = 1; c < ColCount; ++c)
            if (m_rows[r][c].isEmpty())
                m_rows[r][c] = Zero;
        addit(ColGames, r);
        addit(ColSessionGames, r);
        // The flag decides the local win: a peer may call himself anything.
        if (localPlayerWon) {
            addit(ColMyWins, r);
            addit(ColSessionMyWins, r);
        } else if (m_rows[r][ColName] == winnerName) {
            addit(ColHisWins, r);
            addit(ColSessionHisWins, r);
        } else {
            addit(ColNeitherWon, r);
            addit(ColSessionNeitherWon, r);
        }
    }
}

void TallyGrid::moverow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    m_rows.removeAt(row);
}

void TallyGrid::reset()
{
    for (int c = 1; c <= 4; ++c)
        m_rows[0][c] = Zero;
    // Kept as the file format has always had it: row 0's unused cells read
    // empty after a reset with opponents.
    if (rowCount() > 1) {
        m_rows[0][ColName].clear();
        for (int c = 5; c < ColCount; ++c)
            m_rows[0][c].clear();
    }
    m_rows.resize(1);
}

void TallyGrid::startSession()
{
    for (int r = 1; r < rowCount(); ++r)
        for (int c = ColSessionGames; c < ColCount; ++c)
            m_rows[r][c] = Zero;
}

QByteArray TallyGrid::toText() const
{
    QByteArray text;
    const QByteArray eol("\r\n");
    text += QByteArray::number(ColCount) + eol;
    text += QByteArray::number(rowCount()) + eol;
    for (int c = 0; c < ColCount; ++c)
        for (int r = 0; r < rowCount(); ++r)
            text += ansi::encode(sanitizeName(m_rows[r][c])) + eol;
    return text;
}

bool TallyGrid::fromText(const QByteArray &text, TallyGrid &grid, QString *error)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line break ends a line, it does not start one
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);

    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };

    qint64 cols = 0;
    if (lines.size() < 1 || !parseInt64(lines[0], cols))
        return fail(QStringLiteral("the tally has no column count"));
    if (cols != ColCount)
        return fail(QStringLiteral("the tally has %1 columns instead of %2").arg(cols).arg(ColCount));
    qint64 rows = 0;
    if (lines.size() < 2 || !parseInt64(lines[1], rows))
        return fail(QStringLiteral("the tally has no row count"));
    if (rows < 1)
        return fail(QStringLiteral("the tally has a row count of %1").arg(rows));

    // Every row needs at least its name line, so the lines present bound the
    // rows kept whatever count the file claims.
    const qint64 cellLines = lines.size() - 2;
    const int keptRows = int(qBound(qint64(1), qMin(rows, cellLines), qint64(INT_MAX)));

    TallyGrid result;
    result.m_rows.clear();
    result.m_rows.resize(keptRows);
    // A claimed count beyond the lines present puts every column after the
    // first past the end; clamping keeps the arithmetic in range.
    const qint64 layoutRows = qMin<qint64>(rows, lines.size());
    for (int c = 0; c < ColCount; ++c) {
        const qint64 start = 2 + qint64(c) * layoutRows;
        if (start >= lines.size())
            break;
        for (int r = 0; r < keptRows; ++r) {
            const qint64 at = start + r;
            if (at >= lines.size())
                break;
            const QString cellText = ansi::decode(lines[at]);
            result.m_rows[r][c] = c == ColName ? sanitizeName(cellText) : cellText;
        }
    }
    grid = result;
    return true;
}

TallyFile::TallyFile(const QString &path) : m_path(path) {}

bool TallyFile::read(const QString &path, TallyGrid &grid, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + path;
        return false;
    }
    const QByteArray packed = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Lzrw1 : Error reading from input file : ") + path;
        return false;
    }
    // Far beyond any real tally (a million opponents), and it keeps a
    // damaged size field from making us decode gigabytes.
    constexpr quint32 MaxGridText = 64u << 20;
    if (packed.size() >= 8 && packed.startsWith("WRZL")) {
        const quint32 stored = quint8(packed[4]) | quint8(packed[5]) << 8 | quint8(packed[6]) << 16 |
                               quint32(quint8(packed[7])) << 24;
        if (stored > MaxGridText) {
            if (error)
                *error = path + QStringLiteral(" : the tally is too large to be a score grid");
            return false;
        }
    }
    std::vector<std::uint8_t> plain;
    try {
        plain = lzrw1kh::decompressBuffer(packed.constData(), std::size_t(packed.size()), path.toStdString());
    } catch (const ELzrw1Exception &e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
    QString why;
    const QByteArray text(reinterpret_cast<const char *>(plain.data()), qsizetype(plain.size()));
    if (!TallyGrid::fromText(text, grid, &why)) {
        if (error)
            *error = path + QStringLiteral(" : ") + why;
        return false;
    }
    return true;
}

bool TallyFile::load(TallyGrid &grid)
{
    m_error.clear();
    m_badPath.clear();
    grid = TallyGrid();
    if (!QFileInfo::exists(m_path))
        return true;

    TallyGrid loaded;
    QString why;
    if (!read(m_path, loaded, &why)) {
        // Keep the unreadable file for the player (or support) to recover:
        // a later save must not overwrite it.
        m_badPath = m_path + QStringLiteral(".bad");
        for (int n = 2; QFileInfo::exists(m_badPath); ++n)
            m_badPath = m_path + QStringLiteral(".bad.") + QString::number(n);
        m_error = why + QStringLiteral("\n\nThe unreadable tally file will be kept as ") + m_badPath +
                  QStringLiteral(" and a new tally started.");
        return false;
    }
    grid = loaded;
    return true;
}

bool TallyFile::save(const TallyGrid &grid)
{
    if (!m_badPath.isEmpty()) {
        if (QFileInfo::exists(m_path) && !QFile::rename(m_path, m_badPath))
            return false; // better no save than losing the old history
        m_badPath.clear();
    }

    const QByteArray text = grid.toText();
    std::vector<std::uint8_t> packed;
    try {
        packed = lzrw1kh::compressBuffer(text.constData(), std::size_t(text.size()));
    } catch (const ELzrw1Exception &) {
        return false;
    }
    // The first save in the user's folder makes the folder, as the user.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile out(m_path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const qint64 len = qint64(packed.size());
    if (out.write(reinterpret_cast<const char *>(packed.data()), len) != len)
        return false; // the destructor discards the half-written copy
    return out.commit();
}
