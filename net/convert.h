// SPDX-License-Identifier: MIT
// Number conversion of message fields: decimal text to a 32-bit integer,
// failing with EConvertError the way a malformed field must end a handler.
#pragma once

#include <QByteArray>

#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Optional sign, then decimal digits only; anything else, or a value outside
// 32 bits, throws EConvertError.
int strToInt(const QByteArray &text);
// The same, returning false instead of throwing.
bool tryStrToInt(const QByteArray &text, int &value);
