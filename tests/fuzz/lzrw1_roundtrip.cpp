// SPDX-License-Identifier: MIT
// Fuzzes the tally file coder: whatever goes in must come back unchanged,
// and the coder must stay inside its buffers.
#include "lzrw1kh.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The container, across as many blocks as the input fills.
    const std::vector<std::uint8_t> packed = lzrw1kh::compressBuffer(data, size);
    const std::vector<std::uint8_t> back = lzrw1kh::decompressBuffer(packed.data(), packed.size());
    if (back.size() != size || (size && std::memcmp(back.data(), data, size) != 0))
        std::abort();

    // One block on exact-size buffers: the coder may only read its n bytes.
    const std::size_t n = std::min(size, lzrw1kh::BlockSize);
    const std::unique_ptr<std::uint8_t[]> coded(new std::uint8_t[lzrw1kh::CodeBufferSize]);
    const std::unique_ptr<std::uint16_t[]> hash(new std::uint16_t[lzrw1kh::HashEntries]);
    const std::unique_ptr<std::uint8_t[]> plain(new std::uint8_t[lzrw1kh::BlockSize]);
    const std::size_t length = lzrw1kh::compressBlock(data, n, coded.get(), hash.get());
    if (length < 1 || length > n + 1 || (coded[0] != lzrw1kh::FlagStored && length > n))
        std::abort();
    if (lzrw1kh::decompressBlock(coded.get(), length, plain.get()) != n ||
        (n && std::memcmp(plain.get(), data, n) != 0))
        std::abort();
    return 0;
}
