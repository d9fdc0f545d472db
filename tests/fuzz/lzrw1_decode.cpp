// SPDX-License-Identifier: MIT
// Fuzzes the tally file decoder: any bytes must decode or fail with
// ELzrw1Exception, never touch memory outside the buffers.
#include "lzrw1kh.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The whole container, as a tally file is read.
    try {
        const std::vector<std::uint8_t> out = lzrw1kh::decompressBuffer(data, size);
        if (size < lzrw1kh::HeaderSize)
            std::abort(); // a container cannot be shorter than its header
        const std::uint32_t stored = std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 |
                                     std::uint32_t(data[6]) << 16 | std::uint32_t(data[7]) << 24;
        if (out.size() != stored)
            std::abort();
    } catch (const ELzrw1Exception &) {
    }

    // One raw block straight from the fuzzer's exact-size buffer into an
    // exact-size output, so any read or write past either is caught.
    if (size <= lzrw1kh::MaxCodedLength) {
        const std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[lzrw1kh::BlockSize]);
        try {
            const std::size_t n = lzrw1kh::decompressBlock(data, size, out.get());
            if (n > lzrw1kh::BlockSize)
                std::abort();
        } catch (const ELzrw1Exception &) {
        }
    }
    return 0;
}
