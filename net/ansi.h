// SPDX-License-Identifier: MIT
// The Western ANSI code page (Windows-1252), the text of the wire and of the
// tally file: Latin-1 but for 0x80..0x9F, which carry the euro sign, curly
// quotes, dashes and a few letters. Five of those bytes are unassigned and
// read as U+FFFD. Header-only, so the tally library needs no network code.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ansi {

inline constexpr char16_t High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

inline QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const uchar u = uchar(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? High[u - 0x80] : char16_t(u));
    }
    return text;
}

// The byte of a character, or -1 when the code page has none for it.
inline int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    if (c == 0xFFFD)
        return -1;
    for (int i = 0; i < 32; ++i)
        if (High[i] == c)
            return 0x80 + i;
    return -1;
}

inline bool encodable(char32_t c) { return byteOf(c) >= 0; }

// One byte per character; a character the code page lacks becomes
// `unknown`, once however many UTF-16 units it took.
inline QByteArray encode(const QString &text, char unknown = '?')
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const int b = byteOf(c);
        bytes.append(b >= 0 ? char(b) : unknown);
    }
    return bytes;
}

} // namespace ansi
