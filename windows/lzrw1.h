// SPDX-License-Identifier: MIT
// Tlzrw1: compresses one file into the "WRZL" container and back; the tally
// window keeps its score grid this way. Failures throw ELzrw1Exception.
#pragma once

#include "lzrw1kh.h"

#include <QString>

class Tlzrw1 {
public:
    // Only Fast (LZRW1/KH) is built; Auto would choose between Good and
    // Fast, so it writes Fast too. Good (LZH) is refused.
    enum TCompressMode { Good, Fast, Auto };

    QString InputFile;  // read by the next call
    QString OutputFile; // replaced by the next call, and only when it succeeds
    TCompressMode CompressMode = Fast;

    // Both return the number of bytes written. The output appears complete
    // or not at all: it is written beside its final place and moved there
    // at the end, so a failure leaves any earlier file of that name alone.
    qint64 Compress();
    qint64 Decompress();
};
