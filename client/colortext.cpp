// SPDX-License-Identifier: MIT
#include "colortext.h"

#include <QtGlobal>

namespace {

struct Named {
    const char *name;
    quint32 value; // 00BBGGRR, or FF0000nn for a system colour
};

// The standard names, then the desktop's system colours (read back with
// the classic desktop scheme).
constexpr Named names[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    {"clScrollBar", 0xFF000000}, {"clBackground", 0xFF000001}, {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003}, {"clMenu", 0xFF000004}, {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006}, {"clMenuText", 0xFF000007}, {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009}, {"clActiveBorder", 0xFF00000A}, {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C}, {"clHighlight", 0xFF00000D}, {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F}, {"clBtnShadow", 0xFF000010}, {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012}, {"clInactiveCaptionText", 0xFF000013}, {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015}, {"cl3DLight", 0xFF000016}, {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018}, {"clHotLight", 0xFF00001A}, {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C}, {"clMenuHighlight", 0xFF00001D}, {"clMenuBar", 0xFF00001E},
};

// The classic scheme's RGB for the system colours 0..30, as 00BBGGRR.
constexpr quint32 systemColours[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0xB5B5B5, 0xCC6600,
    0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0,
};

QColor fromValue(quint32 v)
{
    if ((v & 0xFF000000u) == 0xFF000000u)
        v = (v & 0xFF) <= 30 ? systemColours[v & 0xFF] : 0;
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

} // namespace

QString colorToString(const QColor &c)
{
    const quint32 v = quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
    for (const auto &n : names)
        if (n.value == v)
            return QString::fromLatin1(n.name);
    return QStringLiteral("$%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

bool stringToColor(const QString &text, QColor &c)
{
    for (const auto &n : names)
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
            c = fromValue(n.value);
            return true;
        }
    QString t = text;
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (!t.isEmpty() && t.at(0).isDigit())
        v = t.toLongLong(&ok, 10);
    if (!ok || t.contains(QLatin1Char(' ')))
        return false;
    if (negative)
        v = -v;
    if (v < -2147483648LL || v > 0xFFFFFFFFLL)
        return false;
    c = fromValue(quint32(v));
    return true;
}
