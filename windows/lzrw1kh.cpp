#include "lzrw1kh.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace lzrw1kh {

namespace {

constexpr std::uint16_t HashEmpty = 0xFFFF;
constexpr std::size_t MaxRun = 4095;
constexpr std::size_t MinRun = 16;
constexpr std::size_t MaxMatch = 18;
constexpr std::size_t MinMatch = 3;
constexpr std::size_t MaxOffset = 4095;

// Texts of the decoder's own checks: input the compressor never writes.
constexpr const char *TextBlockTooLong = "Lzrw1 (decompression LZRW1/KH) : coded block longer than 32769 bytes !";
constexpr const char *TextPastBlockEnd = "Lzrw1 (decompression LZRW1/KH) : coded item runs past the end of its block !";
constexpr const char *TextBeforeBlockStart = "Lzrw1 (decompression LZRW1/KH) : copy reaches before the start of its block !";
constexpr const char *TextBlockOverflow = "Lzrw1 (decompression LZRW1/KH) : block decodes to more than 32768 bytes !";
constexpr const char *TextSizeMismatch = "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
constexpr const char *TextNoMemory = "Lzrw1 (de)compression : Failed to get memory for I/O buffers !";

inline unsigned hashOf(const std::uint8_t *q)
{
    // Unsigned 32 bits: the largest product, 65535 * 40543, still fits.
    std::uint32_t h = ((((std::uint32_t(q[0]) << 4) ^ q[1]) << 4) ^ q[2]);
    return ((h * 40543u) >> 4) & 0xFFFu;
}

inline void putLe32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

inline std::uint32_t getLe32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::size_t readFully(ByteSource &in, std::uint8_t *buf, std::size_t len)
{
    std::size_t got = 0;
    while (got < len) {
        const std::size_t n = in.read(buf + got, len - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// The per-call working memory, allocated at the start of a call.
struct Buffers {
    std::unique_ptr<std::uint8_t[]> plain;
    std::unique_ptr<std::uint8_t[]> coded;
    std::unique_ptr<std::uint16_t[]> hash;

    explicit Buffers(bool withHash)
    {
        try {
            plain.reset(new std::uint8_t[CodeBufferSize]);
            coded.reset(new std::uint8_t[CodeBufferSize]);
            if (withHash)
                hash.reset(new std::uint16_t[HashEntries]);
        } catch (const std::bad_alloc &) {
            throw ELzrw1Exception(TextNoMemory);
        }
    }
};

class MemorySource : public ByteSource {
public:
    MemorySource(const void *data, std::size_t size)
        : m_p(static_cast<const std::uint8_t *>(data)), m_left(size) {}
    std::size_t read(std::uint8_t *buf, std::size_t len) override
    {
        const std::size_t n = std::min(len, m_left);
        if (n) {
            std::memcpy(buf, m_p, n);
            m_p += n;
            m_left -= n;
        }
        return n;
    }

private:
    const std::uint8_t *m_p;
    std::size_t m_left;
};

class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t> &v) : m_v(v) {}
    void write(const std::uint8_t *buf, std::size_t len) override { m_v.insert(m_v.end(), buf, buf + len); }

private:
    std::vector<std::uint8_t> &m_v;
};

} // namespace

std::size_t compressBlock(const std::uint8_t *__restrict src, std::size_t n, std::uint8_t *__restrict dst,
                          std::uint16_t *__restrict hashTable)
{
    if (n > BlockSize)
        throw std::length_error("lzrw1kh::compressBlock: block longer than 32768 bytes");

    std::fill(hashTable, hashTable + HashEntries, HashEmpty);
    dst[0] = FlagCompressed;
    std::size_t controlAt = 1;
    std::size_t o = 3;
    unsigned control = 0;
    unsigned items = 0;
    std::size_t p = 0;

    while (p < n && o <= n) {
        if (items == 16) {
            dst[controlAt] = std::uint8_t(control >> 8);
            dst[controlAt + 1] = std::uint8_t(control);
            controlAt = o;
            o += 2;
            items = 0;
            control = 0;
        }

        const std::uint8_t b = src[p];
        const std::size_t runLimit = std::min(n - p, MaxRun);
        std::size_t run = 1;
        while (run < runLimit && src[p + run] == b)
            ++run;

        if (run >= MinRun) {
            const std::size_t c = run - MinRun;
            dst[o] = 0;
            dst[o + 1] = std::uint8_t(c >> 8);
            dst[o + 2] = std::uint8_t(c);
            dst[o + 3] = b;
            o += 4;
            p += run;
            control = (control << 1) | 1u;
        } else {
            bool copied = false;
            // With fewer than three bytes left no match can reach three
            // bytes, and no later position looks the table up again, so the
            // bytes past the block never change the output: skip the probe.
            if (n - p >= MinMatch) {
                const unsigned h = hashOf(src + p);
                const std::size_t cand = hashTable[h];
                hashTable[h] = std::uint16_t(p);
                if (cand != HashEmpty && p - cand <= MaxOffset) {
                    const std::size_t limit = std::min(MaxMatch, n - p);
                    std::size_t len = 0;
                    while (len < limit && src[p + len] == src[cand + len])
                        ++len;
                    if (len >= MinMatch) {
                        const unsigned v = unsigned((p - cand) << 4) + unsigned(len - MinMatch);
                        dst[o] = std::uint8_t(v >> 8);
                        dst[o + 1] = std::uint8_t(v);
                        o += 2;
                        p += len;
                        control = (control << 1) | 1u;
                        copied = true;
                    }
                }
            }
            if (!copied) {
                dst[o++] = src[p++];
                control <<= 1;
            }
        }
        ++items;
    }

    control <<= (16 - items);
    dst[controlAt] = std::uint8_t(control >> 8);
    dst[controlAt + 1] = std::uint8_t(control);

    if (o > n) {
        dst[0] = FlagStored;
        std::memcpy(dst + 1, src, n);
        return n + 1;
    }
    return o;
}

std::size_t decompressBlock(const std::uint8_t *__restrict src, std::size_t length, std::uint8_t *__restrict dst)
{
    if (length > MaxCodedLength)
        throw ELzrw1Exception(TextBlockTooLong);
    if (length <= 1)
        return 0;
    if (src[0] == FlagStored) {
        std::memcpy(dst, src + 1, length - 1);
        return length - 1;
    }
    if (length < 3) // no room for a control word, so no items
        return 0;

    const std::uint8_t *p = src + 3;
    const std::uint8_t *const end = src + length;
    std::uint8_t *o = dst;
    std::uint8_t *const oend = dst + BlockSize;
    unsigned control = (unsigned(src[1]) << 8) | src[2];
    unsigned bits = 16;

    while (p < end) {
        if (bits == 0) {
            if (end - p < 2)
                throw ELzrw1Exception(TextPastBlockEnd);
            control = (unsigned(p[0]) << 8) | p[1];
            p += 2;
            bits = 16;
            if (p == end) // a control word with nothing after it
                break;
        }
        if (control & 0x8000u) {
            if (end - p < 2)
                throw ELzrw1Exception(TextPastBlockEnd);
            const unsigned v = (unsigned(p[0]) << 8) | p[1];
            const std::size_t offset = v >> 4;
            if (offset == 0) {
                if (end - p < 4)
                    throw ELzrw1Exception(TextPastBlockEnd);
                const std::size_t count = ((std::size_t(p[1]) << 8) | p[2]) + MinRun;
                if (std::size_t(oend - o) < count)
                    throw ELzrw1Exception(TextBlockOverflow);
                std::memset(o, p[3], count);
                o += count;
                p += 4;
            } else {
                const std::size_t len = (v & 15u) + MinMatch;
                if (offset > std::size_t(o - dst))
                    throw ELzrw1Exception(TextBeforeBlockStart);
                if (std::size_t(oend - o) < len)
                    throw ELzrw1Exception(TextBlockOverflow);
                const std::uint8_t *from = o - offset;
                if (offset >= MaxMatch && std::size_t(oend - o) >= MaxMatch) {
                    // Source and target cannot overlap: one fixed-size copy
                    // (the bytes past len are rewritten by later items).
                    std::memcpy(o, from, MaxMatch);
                } else {
                    // Byte by byte: a copy may overlap the bytes it produces.
                    for (std::size_t k = 0; k < len; ++k)
                        o[k] = from[k];
                }
                o += len;
                p += 2;
            }
        } else {
            if (o == oend)
                throw ELzrw1Exception(TextBlockOverflow);
            *o++ = *p++;
        }
        control <<= 1;
        --bits;
    }
    return std::size_t(o - dst);
}

std::uint64_t compress(ByteSource &in, std::uint64_t size, ByteSink &out, const std::string &inputName)
{
    if (size > 0xFFFFFFFFull)
        throw ELzrw1Exception("Lzrw1 compression : input file is 4 GiB or larger : " + inputName);
    Buffers buf(true);

    std::uint8_t header[HeaderSize];
    std::memcpy(header, SignatureFast, 4);
    putLe32(header + 4, std::uint32_t(size));
    out.write(header, HeaderSize);
    std::uint64_t written = HeaderSize;
    std::uint64_t consumed = 0;

    for (;;) {
        const std::size_t n = readFully(in, buf.plain.get(), BlockSize);
        consumed += n;
        const std::size_t coded = compressBlock(buf.plain.get(), n, buf.coded.get() + 2, buf.hash.get());
        buf.coded[0] = std::uint8_t(coded);
        buf.coded[1] = std::uint8_t(coded >> 8);
        out.write(buf.coded.get(), coded + 2);
        written += coded + 2;
        if (n < BlockSize)
            break;
        if (consumed > size) // the file grew while we read it
            break;
    }
    // The header promised `size` bytes; a file that changed under us would
    // give a container that cannot be read back.
    if (consumed != size)
        throw ELzrw1Exception("Lzrw1 : Error reading from input file : " + inputName + " (LZRW1/KH)");
    return written;
}

std::uint64_t decompress(ByteSource &in, ByteSink &out, const std::string &inputName)
{
    Buffers buf(false);
    const std::string truncated = "Lzrw1 : Error reading from input file : " + inputName;

    std::uint8_t header[HeaderSize];
    if (readFully(in, header, 4) != 4)
        throw ELzrw1Exception(truncated);
    if (std::memcmp(header, SignatureFast, 4) != 0)
        throw ELzrw1Exception(inputName + " : Lzrw1 decompression : this file has no valid header !");
    if (readFully(in, header + 4, 4) != 4)
        throw ELzrw1Exception(truncated);
    const std::uint64_t stored = getLe32(header + 4);

    std::uint64_t total = 0;
    std::size_t produced = 0;
    do {
        std::uint8_t lenBytes[2];
        if (readFully(in, lenBytes, 2) != 2)
            throw ELzrw1Exception(truncated);
        const std::size_t length = std::size_t(lenBytes[0]) | std::size_t(lenBytes[1]) << 8;
        if (length > MaxCodedLength)
            throw ELzrw1Exception(TextBlockTooLong);
        if (readFully(in, buf.coded.get(), length) != length)
            throw ELzrw1Exception(truncated);
        produced = decompressBlock(buf.coded.get(), length, buf.plain.get());
        // More than the header promised: the same mismatch, found early.
        if (total + produced > stored)
            throw ELzrw1Exception(TextSizeMismatch);
        out.write(buf.plain.get(), produced);
        total += produced;
    } while (produced == BlockSize);

    if (total != stored)
        throw ELzrw1Exception(TextSizeMismatch);
    return total;
}

std::vector<std::uint8_t> compressBuffer(const void *data, std::size_t size)
{
    std::vector<std::uint8_t> result;
    result.reserve(HeaderSize + size + (size / BlockSize + 1) * 3);
    MemorySource in(data, size);
    VectorSink out(result);
    compress(in, size, out, std::string());
    return result;
}

std::vector<std::uint8_t> decompressBuffer(const void *data, std::size_t size, const std::string &inputName)
{
    std::vector<std::uint8_t> result;
    if (size >= HeaderSize) {
        // The stored size is only a hint from the file; cap what it reserves.
        const std::uint64_t stored = getLe32(static_cast<const std::uint8_t *>(data) + 4);
        result.reserve(std::size_t(std::min<std::uint64_t>(stored, std::uint64_t(size) * 64 + BlockSize)));
    }
    MemorySource in(data, size);
    VectorSink out(result);
    decompress(in, out, inputName);
    return result;
}

} // namespace lzrw1kh
