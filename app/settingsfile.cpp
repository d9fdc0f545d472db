// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include "ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <climits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// SimpleIni's template code is compiled here, its one user (the packaged
// library exports none of it).
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF", 3);

// A settings file this large is not ours; refuse it rather than load it on the
// user-interface thread.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

// The same folding SimpleIni uses to match names: ASCII letters only.
QByteArray fold(QByteArray name)
{
    for (char &c : name)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return name;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmedBlanks(const QByteArray &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes); // decodes only when converted
    return !decoder.hasError();
}

bool hasNonAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (uchar(c) >= 0x80)
            return true;
    return false;
}

// As the Windows profile functions read a value: one pair of surrounding
// double quotes is not part of it.
QByteArray unquoted(const QByteArray &bytes)
{
    if (bytes.size() >= 2 && bytes.startsWith('"') && bytes.endsWith('"'))
        return bytes.mid(1, bytes.size() - 2);
    return bytes;
}

QString decodeValue(const QByteArray &raw)
{
    const QByteArray bytes = unquoted(raw);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? ansi::decode(bytes) : text;
}

// One line of the file, classified the way SimpleIni reads it.
struct Line
{
    enum Kind { Blank, Comment, Section, Key, Other };
    qsizetype start = 0; // first byte
    qsizetype end = 0;   // end of the content, before the line break
    qsizetype next = 0;  // start of the following line
    Kind kind = Other;
    QByteArray name;     // section name, or the key up to the "=" (both trimmed)
    qsizetype keyEnd = 0; // Key lines: end of the key as spelled
};

QList<Line> splitLines(const QByteArray &text)
{
    QList<Line> lines;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        Line line;
        line.start = pos;
        qsizetype e = pos;
        while (e < n && text.at(e) != '\n' && text.at(e) != '\r')
            ++e;
        line.end = e;
        if (e < n)
            e += (text.at(e) == '\r' && e + 1 < n && text.at(e + 1) == '\n') ? 2 : 1;
        line.next = e;

        qsizetype b = line.start;
        while (b < line.end && isBlank(text.at(b)))
            ++b;
        if (b == line.end) {
            line.kind = Line::Blank;
        } else if (text.at(b) == ';' || text.at(b) == '#') {
            line.kind = Line::Comment;
        } else if (text.at(b) == '[') {
            const qsizetype close = text.indexOf(']', b);
            if (close >= 0 && close < line.end) {
                line.kind = Line::Section;
                line.name = trimmedBlanks(text.mid(b + 1, close - b - 1));
            }
        } else {
            const qsizetype eq = text.indexOf('=', b);
            if (eq > b && eq < line.end) {
                qsizetype ke = eq;
                while (ke > b && isBlank(text.at(ke - 1)))
                    --ke;
                line.kind = Line::Key;
                line.name = text.mid(b, ke - b);
                line.keyEnd = ke;
            }
        }
        lines.append(line);
        pos = line.next;
    }
    return lines;
}

// The line break new lines get: the file's own, CRLF for a new file (the
// format and the programs sharing the file come from Windows).
QByteArray lineBreakOf(const QByteArray &text)
{
    const qsizetype i = text.indexOf('\n');
    const qsizetype r = text.indexOf('\r');
    if (r >= 0 && (i < 0 || r < i))
        return (r + 1 < text.size() && text.at(r + 1) == '\n') ? QByteArrayLiteral("\r\n")
                                                               : QByteArrayLiteral("\r");
    if (i >= 0)
        return QByteArrayLiteral("\n");
    return QByteArrayLiteral("\r\n");
}

// The text with one key set, every other byte unchanged. The key that reads
// win is the first one in the file, so that is the one rewritten.
QByteArray withKey(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                   const QByteArray &value)
{
    const QList<Line> lines = splitLines(text);
    const QByteArray sectionFolded = fold(section);
    const QByteArray keyFolded = fold(key);

    bool inSection = false;
    bool inFirstSection = false;
    qsizetype header = -1;   // first header of the section
    qsizetype lastKey = -1;  // its last key line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        if (line.kind == Line::Section) {
            inSection = fold(line.name) == sectionFolded;
            inFirstSection = inSection && header < 0;
            if (inFirstSection)
                header = i;
        } else if (line.kind == Line::Key && inSection) {
            if (fold(line.name) == keyFolded)
                return text.left(line.keyEnd) + '=' + value + text.mid(line.end);
            if (inFirstSection)
                lastKey = i;
        }
    }

    const QByteArray br = lineBreakOf(text);
    const QByteArray entry = key + '=' + value + br;
    if (header >= 0) {
        const Line &after = lines.at(lastKey >= 0 ? lastKey : header);
        if (after.next == after.end) // the last line, without a line break
            return text + br + entry;
        return text.left(after.next) + entry + text.mid(after.next);
    }

    QByteArray out = text;
    if (!lines.isEmpty()) {
        const Line &last = lines.last();
        if (last.next == last.end)
            out += br;
        if (last.kind != Line::Blank)
            out += br;
    }
    return out + '[' + section + ']' + br + entry;
}

// Data the disk cannot take (a full disk reports late) must fail the save
// before the new file replaces the old one.
bool syncToDisk(QSaveFile &file)
{
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return false;
#endif
    return true;
}

bool validSectionName(const QByteArray &name)
{
    return !name.isEmpty() && trimmedBlanks(name) == name && !name.contains(']')
        && !name.contains('\n') && !name.contains('\r') && !name.contains('\0');
}

bool validKeyName(const QByteArray &name)
{
    return !name.isEmpty() && trimmedBlanks(name) == name && !name.contains('=')
        && !name.contains('\n') && !name.contains('\r') && !name.contains('\0')
        && name.at(0) != '[' && name.at(0) != ';' && name.at(0) != '#';
}

} // namespace

SettingsFile::SettingsFile(QString path) : m_path(std::move(path)) {}

bool SettingsFile::parse(const QByteArray &text, Values *values)
{
    // Multi-key so that a key written twice reads its first value, as Windows
    // does; no quote or multi-line processing, so values stay plain text.
    CSimpleIniA ini(false, true, false);
    ini.SetQuotes(false);
    ini.SetAllowKeyOnly(false);
    if (ini.LoadData(text.constData(), size_t(text.size())) < 0)
        return false;

    values->clear();
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const auto &section : sections) {
        QMap<QByteArray, QByteArray> &keys = (*values)[fold(QByteArray(section.pItem))];
        CSimpleIniA::TNamesDepend names;
        ini.GetAllKeys(section.pItem, names);
        for (const auto &name : names) {
            CSimpleIniA::TNamesDepend all;
            ini.GetAllValues(section.pItem, name.pItem, all);
            const CSimpleIniA::Entry *first = nullptr;
            for (const auto &v : all)
                if (!first || v.nOrder < first->nOrder)
                    first = &v;
            if (first)
                keys.insert(fold(QByteArray(name.pItem)), QByteArray(first->pItem));
        }
    }
    return true;
}

bool SettingsFile::load()
{
    m_usable = false;
    m_bom = false;
    m_latin1File = false;
    m_onDisk.clear();
    m_text.clear();
    m_values.clear();
    m_error.clear();

    QFile file(m_path);
    if (!QFileInfo::exists(m_path)) {
        m_usable = true;
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return false;
    }
    if (file.size() > MaxFileSize) {
        m_error = QStringLiteral("The file is too large for a settings file");
        return false;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = file.errorString();
        return false;
    }
    // UTF-16 files (and anything else with zero bytes) cannot be read as text
    // lines; they are left alone.
    if (data.contains('\0') || data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        m_error = QStringLiteral("The file is not a text settings file");
        return false;
    }
    if (data.startsWith(Utf8Bom)) {
        m_bom = true;
        data.remove(0, Utf8Bom.size());
    }
    if (!parse(data, &m_values)) {
        m_error = QStringLiteral("The file could not be read as a settings file");
        m_values.clear();
        return false;
    }
    m_latin1File = !m_bom && hasNonAscii(data) && !isValidUtf8(data);
    m_onDisk = data;
    m_text = data;
    m_usable = true;
    return true;
}

const QByteArray *SettingsFile::rawValue(const QString &section, const QString &key) const
{
    const auto s = m_values.constFind(fold(section.toUtf8()));
    if (s == m_values.cend())
        return nullptr;
    const auto k = s->constFind(fold(key.toUtf8()));
    return k == s->cend() ? nullptr : &k.value();
}

QString SettingsFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const QByteArray *raw = rawValue(section, key);
    return raw ? decodeValue(*raw) : def;
}

int SettingsFile::readInteger(const QString &section, const QString &key, int def) const
{
    const QByteArray *raw = rawValue(section, key);
    if (!raw)
        return def;
    // The whole value is the number, or it is not one: "12px" is the
    // default, as the profile reader's integer conversion has it.
    const QByteArray s = unquoted(*raw);
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s.at(i) == '-' || s.at(i) == '+'))
        negative = s.at(i++) == '-';
    qint64 value = 0;
    const qsizetype firstDigit = i;
    for (; i < s.size() && s.at(i) >= '0' && s.at(i) <= '9'; ++i) {
        value = value * 10 + (s.at(i) - '0');
        if (value > qint64(INT_MAX) + 1)
            return def;
    }
    if (i == firstDigit || i != s.size())
        return def;
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return def;
    return int(value);
}

QByteArray SettingsFile::encodeValue(const QString &value) const
{
    // A value in quotes keeps them: the reader takes one pair away.
    const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    const QByteArray wrap = quoted ? QByteArray("\"") : QByteArray();
    // Follow the file: text the Windows programs wrote in their 8-bit code
    // page stays 8-bit where it can; everything else is UTF-8.
    if (m_latin1File) {
        bool fits = true;
        for (const char32_t c : value.toUcs4())
            fits = fits && ansi::encodable(c);
        if (fits)
            return wrap + ansi::encode(value) + wrap;
    }
    return wrap + value.toUtf8() + wrap;
}

bool SettingsFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!m_usable) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The settings file was not loaded");
        return false;
    }
    const QByteArray sectionName = section.toUtf8();
    const QByteArray keyName = key.toUtf8();
    if (!validSectionName(sectionName) || !validKeyName(keyName)) {
        m_error = QStringLiteral("Cannot store the key \"%1\" in section \"%2\"").arg(key, section);
        return false;
    }

    // A value is one line; a line break in it would make new keys or sections.
    QString text = value;
    for (QChar &c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.isNull())
            c = QLatin1Char(' ');
    qsizetype b = 0, e = text.size();
    while (b < e && (text.at(b) == QLatin1Char(' ') || text.at(b) == QLatin1Char('\t')))
        ++b;
    while (e > b && (text.at(e - 1) == QLatin1Char(' ') || text.at(e - 1) == QLatin1Char('\t')))
        --e;
    text = text.mid(b, e - b);

    // Unchanged values keep their bytes (and their line) exactly.
    if (const QByteArray *current = rawValue(section, key); current && decodeValue(*current) == text)
        return true;

    const QByteArray bytes = encodeValue(text);
    const QByteArray changed = withKey(m_text, sectionName, keyName, bytes);

    // The new text must read exactly as the old one plus this key; anything else
    // (a line the edit misjudged) is refused instead of written.
    Values expected = m_values;
    expected[fold(sectionName)][fold(keyName)] = bytes;
    Values actual;
    if (!parse(changed, &actual) || actual != expected) {
        m_error = QStringLiteral("Cannot change the key \"%1\" without disturbing the rest of the file").arg(key);
        return false;
    }
    m_text = changed;
    m_values = std::move(actual);
    return true;
}

bool SettingsFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool SettingsFile::save()
{
    if (!m_usable) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The settings file was not loaded");
        return false;
    }
    if (m_text == m_onDisk)
        return true;

    // The first save in the user's folder makes the folder, as the user.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    // Qt 6.4's commit() ignores a failing final flush and would then put a
    // truncated file in place of the old one, so the data is flushed and synced
    // here first and any shortfall abandons the new file. The old one stays.
    const QByteArray data = m_bom ? Utf8Bom + m_text : m_text;
    if (file.write(data) != data.size() || !file.flush() || !syncToDisk(file)) {
        m_error = QStringLiteral("Could not write %1: %2").arg(m_path, file.errorString());
        file.cancelWriting();
        return false; // the destructor discards the new file
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    m_onDisk = m_text;
    return true;
}

bool SettingsFile::writeKeys(const QString &path, const QString &section,
                             const QList<QPair<QString, QString>> &keys, QString *error)
{
    SettingsFile file(path);
    bool ok = file.load();
    for (qsizetype i = 0; ok && i < keys.size(); ++i)
        ok = file.writeString(section, keys.at(i).first, keys.at(i).second);
    ok = ok && file.save();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
