// SPDX-License-Identifier: MIT
#include "convert.h"

#include <climits>

bool tryStrToInt(const QByteArray &text, int &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

int strToInt(const QByteArray &text)
{
    int v = 0;
    if (!tryStrToInt(text, v))
        throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
    return v;
}
