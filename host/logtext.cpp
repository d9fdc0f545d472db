// SPDX-License-Identifier: MIT
#include "logtext.h"

namespace logtext {

namespace {
bool printable(char c) { return uchar(c) >= 0x20 && uchar(c) < 0x7F; }
} // namespace

QByteArray name(const QByteArray &text)
{
    const bool cut = text.size() > MaxName;
    QByteArray shown = cut ? text.left(MaxName - 1) : text;
    for (char &c : shown)
        if (!printable(c))
            c = '?';
    return cut ? shown + Ellipsis : shown;
}

QByteArray line(const QByteArray &text)
{
    QByteArray safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (QByteArrayView(text).sliced(i).startsWith(Ellipsis)) {
            safe += Ellipsis;
            i += Ellipsis.size() - 1;
        } else {
            safe += printable(text[i]) ? text[i] : '?';
        }
    }
    return safe;
}

} // namespace logtext
