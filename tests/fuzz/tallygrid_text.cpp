// SPDX-License-Identifier: MIT
// Fuzzes the tally's grid text reader: any text is read or refused without
// a crash or a huge allocation, and what is read writes back stably.
#include "tallygrid.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    TallyGrid grid;
    QString error;
    if (!TallyGrid::fromText(text, grid, &error))
        return 0;
    // Never more rows than lines in the text.
    if (grid.rowCount() < 1 || grid.rowCount() > text.count('\n') + 2)
        std::abort();
    grid.addgame(grid.cell(0, grid.rowCount() - 1), false, grid.opponents());
    grid.moverow(1);
    const QByteArray once = grid.toText();
    TallyGrid again;
    if (!TallyGrid::fromText(once, again, &error) || again.toText() != once)
        std::abort();
    return 0;
}
