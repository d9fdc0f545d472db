// SPDX-License-Identifier: MIT
// The player's settings file, an INI file shared with the lobby and other
// copies of the game: reads key by key like the Windows profile functions and
// writes by changing only the lines of the keys it sets, so other sections,
// comments, blank lines, line endings and the order of lines stay as they were.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    // Reads the file. A missing file counts as an empty one (true). A file that
    // cannot be read or is not a text INI file gives false: reads then give
    // their defaults and every write is refused, so it is never overwritten.
    bool load();

    // Section and key names match without regard to letter case. A value is the
    // text after "=" up to the end of the line, without surrounding blanks;
    // quotes are kept. Bytes that are valid UTF-8 read as UTF-8, others as Latin-1.
    QString readString(const QString &section, const QString &key, const QString &def) const;
    // The leading decimal number of the value ("12px" gives 12); a missing value
    // or one that does not start with a number gives def.
    int readInteger(const QString &section, const QString &key, int def) const;

    // Change the text in memory (save() writes it). An existing key keeps its
    // spelling and place; a new key goes after the last key of its section, a
    // new section at the end of the file. Line breaks in a value become spaces.
    // False when the name cannot be stored or the file was not loaded.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);

    // Replaces the file with the changed text in one step: a complete new file
    // or the old one, never a partial one. Writes nothing when nothing changed.
    bool save();

    QString errorString() const { return m_error; }
    QString path() const { return m_path; }

    // Load, set the keys and save in one go, so that every write starts from the
    // file as it is now and keeps what other programs changed in the meantime.
    // All keys or none: a key that cannot be stored leaves the file untouched.
    static bool writeKeys(const QString &path, const QString &section,
                          const QList<QPair<QString, QString>> &keys, QString *error = nullptr);

private:
    // Case-folded section name -> case-folded key -> the value's bytes.
    using Values = QMap<QByteArray, QMap<QByteArray, QByteArray>>;

    static bool parse(const QByteArray &text, Values *values);
    const QByteArray *rawValue(const QString &section, const QString &key) const;
    QByteArray encodeValue(const QString &value) const;

    QString m_path;
    QString m_error;
    bool m_usable = false;     // loaded (or missing): writes allowed
    bool m_bom = false;        // the file starts with a UTF-8 byte order mark
    bool m_latin1File = false; // the file holds text that is not UTF-8
    QByteArray m_onDisk;       // the text as read, without the mark
    QByteArray m_text;         // the text with our changes
    Values m_values;           // m_text as parsed
};
