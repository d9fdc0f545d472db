// SPDX-License-Identifier: MIT
// Text from peers as the operator's log shows it: one short line of
// printable ASCII, whatever a peer sends as his name.
#pragma once

#include <QByteArray>

namespace logtext {

constexpr qsizetype MaxName = 64;
// Marks a name cut short (UTF-8).
inline const QByteArray Ellipsis = "\xE2\x80\xA6";

// A name or other field from a peer: bytes outside printable ASCII as "?",
// and longer than MaxName characters, its first MaxName - 1 and "…".
QByteArray name(const QByteArray &text);
// A whole line: control bytes and bytes outside ASCII as "?", except the
// "…" that name() puts; so no line break or terminal escape gets through.
QByteArray line(const QByteArray &text);

} // namespace logtext
