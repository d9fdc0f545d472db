// SPDX-License-Identifier: MIT
// The LZRW1/KH block coder and the "WRZL" container the tally file is kept
// in. Plain C++ without Qt, so tools and fuzzers can use it on their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Every compression and decompression failure; what() is the message shown
// to the player.
class ELzrw1Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace lzrw1kh {

constexpr std::size_t BlockSize = 32768;              // input bytes per block
constexpr std::size_t MaxCodedLength = BlockSize + 1; // a stored full block
// The coder may run a few bytes past n before it gives up and stores.
constexpr std::size_t CodeBufferSize = BlockSize + 16;
constexpr std::size_t HashEntries = 4096;
constexpr std::size_t HeaderSize = 8;

constexpr std::uint8_t FlagCompressed = 0x40;
constexpr std::uint8_t FlagStored = 0x80;

inline constexpr std::uint8_t SignatureFast[4] = {0x57, 0x52, 0x5A, 0x4C}; // "WRZL"
inline constexpr std::uint8_t SignatureGood[4] = {0x21, 0x48, 0x5A, 0x4C}; // "!HZL"

// Codes n (at most BlockSize) bytes of src into dst, which must hold
// CodeBufferSize bytes; hashTable holds HashEntries entries and is reset
// here. Returns the coded length L (1 to n + 1).
std::size_t compressBlock(const std::uint8_t *src, std::size_t n, std::uint8_t *dst,
                          std::uint16_t *hashTable);

// Decodes one coded block of `length` bytes into dst, which must hold
// BlockSize bytes. Returns the decoded length; throws ELzrw1Exception for a
// block that does not fit the format instead of reading or writing past
// either buffer.
std::size_t decompressBlock(const std::uint8_t *src, std::size_t length, std::uint8_t *dst);

// Where the container coder reads from: returns fewer bytes than asked only
// at the end of the input, and throws ELzrw1Exception when reading fails.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(std::uint8_t *buf, std::size_t len) = 0;
};

// Where it writes to: stores everything or throws ELzrw1Exception.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const std::uint8_t *buf, std::size_t len) = 0;
};

// Writes the whole container for `size` input bytes; returns the bytes
// written. inputName only goes into error texts.
std::uint64_t compress(ByteSource &in, std::uint64_t size, ByteSink &out,
                       const std::string &inputName);
// Reads a container and writes what it holds; returns the bytes written.
std::uint64_t decompress(ByteSource &in, ByteSink &out, const std::string &inputName);

// The same on memory.
std::vector<std::uint8_t> compressBuffer(const void *data, std::size_t size);
std::vector<std::uint8_t> decompressBuffer(const void *data, std::size_t size,
                                           const std::string &inputName = std::string());

} // namespace lzrw1kh
