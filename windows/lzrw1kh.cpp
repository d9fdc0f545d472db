// SPDX-License-Identifier: MIT
#include "lzrw1kh.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

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

// Each byte with its bits in reverse order.
constexpr auto ReversedBits = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = 0;
        for (unsigned b = 0; b < 8; ++b)
            r |= ((i >> b) & 1u) << (7 - b);
        t[i] = std::uint8_t(r);
    }
    return t;
}();

inline unsigned hashOf(const std::uint8_t *q)
{
    // Unsigned 32 bits: the largest product, 65535 * 40543, still fits.
    std::uint32_t h = ((((std::uint32_t(q[0]) << 4) ^ q[1]) << 4) ^ q[2]);
    return ((h * 40543u) >> 4) & 0xFFFu;
}

// hashOf() of every position i with i + 2 < n, into hashes[i]. The hash
// keeps bits 4 to 15 of the product, which a 16-bit product holds whole, so
// eight positions go through one 16-bit multiply.
void hashAll(const std::uint8_t *src, std::size_t n, std::uint16_t *hashes)
{
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(std::int16_t(40543 - 65536));
    for (; i + 18 <= n; i += 16) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 2));
        const __m128i lo = _mm_xor_si128(_mm_xor_si128(_mm_slli_epi16(_mm_unpacklo_epi8(b0, zero), 8),
                                                       _mm_slli_epi16(_mm_unpacklo_epi8(b1, zero), 4)),
                                         _mm_unpacklo_epi8(b2, zero));
        const __m128i hi = _mm_xor_si128(_mm_xor_si128(_mm_slli_epi16(_mm_unpackhi_epi8(b0, zero), 8),
                                                       _mm_slli_epi16(_mm_unpackhi_epi8(b1, zero), 4)),
                                         _mm_unpackhi_epi8(b2, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(hashes + i), _mm_srli_epi16(_mm_mullo_epi16(lo, factor), 4));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(hashes + i + 8), _mm_srli_epi16(_mm_mullo_epi16(hi, factor), 4));
    }
#endif
    for (; i + 2 < n; ++i)
        hashes[i] = std::uint16_t(hashOf(src + i));
}

inline std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// The index of the first byte that differs between two 8-byte loads, given
// their XOR (not zero).
inline std::size_t firstDifferentByte(std::uint64_t diff)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::size_t(std::countr_zero(diff)) >> 3;
    else
        return std::size_t(std::countl_zero(diff)) >> 3;
}

// The item for a run of `run` bytes `b`; returns its size.
inline std::size_t putRun(std::uint8_t *at, std::size_t run, std::uint8_t b)
{
    const std::size_t c = run - MinRun;
    at[0] = 0;
    at[1] = std::uint8_t(c >> 8);
    at[2] = std::uint8_t(c);
    at[3] = b;
    return 4;
}

// The item for a copy of `len` bytes from `offset` back; returns its size.
inline std::size_t putCopy(std::uint8_t *at, std::size_t offset, std::size_t len)
{
    const unsigned v = unsigned(offset << 4) + unsigned(len - MinMatch);
    at[0] = std::uint8_t(v >> 8);
    at[1] = std::uint8_t(v);
    return 2;
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

// Where the container coders take their input from: take(n) gives the next
// n bytes, fewer only at the end of the input, and where they are.
class StreamInput {
public:
    StreamInput(ByteSource &in, std::uint8_t *buffer) : m_in(in), m_buffer(buffer) {}
    std::size_t take(std::size_t n, const std::uint8_t *&at)
    {
        at = m_buffer;
        return readFully(m_in, m_buffer, n);
    }

private:
    ByteSource &m_in;
    std::uint8_t *m_buffer; // holds CodeBufferSize bytes
};

// Memory is coded where it lies, without a copy into a buffer first.
class MemoryInput {
public:
    MemoryInput(const void *data, std::size_t size) : m_p(static_cast<const std::uint8_t *>(data)), m_left(size) {}
    std::size_t take(std::size_t n, const std::uint8_t *&at)
    {
        at = m_p;
        n = std::min(n, m_left);
        m_p += n;
        m_left -= n;
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
    // Every position's hash up front, computed eight at a time and off the
    // chain of loads each item waits for (64 KiB of stack).
    std::uint16_t hashes[BlockSize];
    hashAll(src, n, hashes);
    dst[0] = FlagCompressed;
    std::size_t controlAt = 1;
    std::size_t o = 3;
    unsigned control = 0;
    unsigned items = 0;
    std::size_t p = 0;
    // The full control word goes in its place, and room for the next is kept.
    auto startControlWord = [&] {
        dst[controlAt] = std::uint8_t(control >> 8);
        dst[controlAt + 1] = std::uint8_t(control);
        controlAt = o;
        o += 2;
        items = 0;
        control = 0;
    };

    // While more than MaxMatch bytes remain, every load below stays inside
    // the block, so items are tested eight bytes at a time; the rest of the
    // block goes through the byte-wise loop after this one. Both make the
    // same choices.
    //
    // Whether an item is a copy or a literal is data the branch predictor
    // often gets wrong, and each miss waits for the item's whole chain of
    // loads (its bytes, its hash entry, the candidate's bytes). So the probe
    // of the position after a literal starts together with this item's: it
    // is done before this item is decided. After a copy or a run it starts
    // afresh.
    bool probed = false;     // head, h and cand below already hold p's probe
    std::uint64_t head = 0;  // the 8 bytes at p
    unsigned h = 0;          // p's hash
    std::size_t cand = 0;    // the table's entry for h when p is reached
    while (n - p > MaxMatch && o <= n) {
        if (items == 16)
            startControlWord();
        ++items;

        if (!probed) {
            head = load64(src + p);
            h = hashes[p];
            cand = hashTable[h];
        }
        const std::uint8_t b = std::uint8_t(head);
        const std::uint64_t same = b * 0x0101010101010101ull;
        if (head == same && load64(src + p + 8) == same) { // at least MinRun equal bytes
            const std::size_t limit = std::min(n - p, MaxRun);
            std::size_t run = MinRun;
            while (run + 8 <= limit) {
                const std::uint64_t diff = load64(src + p + run) ^ same;
                if (diff) {
                    run += firstDifferentByte(diff);
                    break;
                }
                run += 8;
            }
            if (run + 8 > limit)
                while (run < limit && src[p + run] == b)
                    ++run;
            o += putRun(dst + o, run, b);
            p += run;
            control = (control << 1) | 1u;
            probed = false; // a run leaves the table alone
            continue;
        }

        hashTable[h] = std::uint16_t(p);
        // The next position's probe, read after the store above as the
        // next item would read it.
        const std::uint64_t nextHead = load64(src + p + 1);
        const unsigned nextH = hashes[p + 1];
        const std::size_t nextCand = hashTable[nextH];

        // An empty entry (0xFFFF) is never behind p, so the difference wraps
        // far above MaxOffset.
        if (p - cand <= MaxOffset) {
            const std::uint64_t diff = head ^ load64(src + cand);
            if ((diff & 0xFFFFFFu) == 0) { // the first MinMatch bytes agree
                std::size_t len;
                if (diff) {
                    len = firstDifferentByte(diff);
                } else {
                    const std::uint64_t more = load64(src + p + 8) ^ load64(src + cand + 8);
                    if (more) {
                        len = 8 + firstDifferentByte(more);
                    } else {
                        len = 16;
                        if (src[p + 16] == src[cand + 16])
                            len = src[p + 17] == src[cand + 17] ? 18 : 17;
                    }
                }
                o += putCopy(dst + o, p - cand, len);
                p += len;
                control = (control << 1) | 1u;
                probed = false;
                continue;
            }
        }
        dst[o++] = b;
        ++p;
        control <<= 1;
        head = nextHead;
        h = nextH;
        cand = nextCand;
        probed = true;
    }

    while (p < n && o <= n) {
        if (items == 16)
            startControlWord();

        const std::uint8_t b = src[p];
        const std::size_t runLimit = std::min(n - p, MaxRun);
        std::size_t run = 1;
        while (run < runLimit && src[p + run] == b)
            ++run;

        if (run >= MinRun) {
            o += putRun(dst + o, run, b);
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
                        o += putCopy(dst + o, p - cand, len);
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
    unsigned control = (unsigned(src[1]) << 8) | src[2]; // the next item's bit is bit 15
    unsigned bits = 16;                                   // items left in the control word

    // A whole control word's items at once when none of them can reach
    // either end, even with the fixed-size moves below: 16 items take at
    // most 32 input bytes (runs leave this path) and give at most 16 * 18.
    constexpr std::ptrdiff_t FastInput = 32 + 16;
    constexpr std::ptrdiff_t FastOutput = 16 * 18 + 24;

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

        if (bits == 16 && end - p >= FastInput && oend - o >= FastOutput && o - dst >= 8) {
            // The word is walked copy by copy: with item i as bit i, the
            // next copy is the lowest bit set, and clearing it is the only
            // step from one copy to the next, so the loads and moves of
            // later items need not wait for the bit arithmetic.
            const unsigned word = control & 0xFFFFu;
            unsigned copies = (unsigned(ReversedBits[word & 0xFFu]) << 8) | ReversedBits[word >> 8];
            unsigned next = 0; // the next item's index
            const std::uint8_t *const floor = dst + 8;
            bool whole = true;
            while (copies) {
                const unsigned at = unsigned(std::countr_zero(copies));
                // The literals before it in one move (there may be none);
                // the bytes past them are rewritten by later items.
                std::memcpy(o, p, 16);
                o += at - next;
                p += at - next;
                const unsigned v = (unsigned(p[0]) << 8) | p[1];
                const std::size_t offset = v >> 4;
                // A run (offset 0), a copy from fewer than 8 bytes back or
                // one from before the block: the checked path below.
                if (offset - 8 > std::size_t(o - floor)) {
                    whole = false;
                    bits = 16 - at;
                    control = word << at;
                    break;
                }
                // From 8 or more bytes back, 8-byte moves read only bytes
                // already in place, overlapping or not.
                const std::size_t len = (v & 15u) + MinMatch;
                const std::uint8_t *from = o - offset;
                std::memcpy(o, from, 8);
                if (len > 8) {
                    std::memcpy(o + 8, from + 8, 8);
                    std::memcpy(o + 16, from + 16, 8);
                }
                o += len;
                p += 2;
                next = at + 1;
                copies &= copies - 1;
            }
            if (whole) {
                std::memcpy(o, p, 16); // the literals after the last copy
                o += 16 - next;
                p += 16 - next;
                bits = 0;
                continue;
            }
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
                if (offset == 1) {
                    std::memset(o, *from, len);
                } else {
                    // Byte by byte: the copy repeats bytes it has just written.
                    for (std::size_t k = 0; k < len; ++k)
                        o[k] = from[k];
                }
                o += len;
                p += 2;
            }
            control <<= 1;
            --bits;
        } else {
            // A row of literals. The block may end inside it, which ends
            // decoding; a row too long for the output is refused, as it
            // would be at its first byte past the end.
            const std::size_t k = std::min<std::size_t>(
                {std::size_t(std::countl_zero(std::uint16_t(control))), bits, std::size_t(end - p)});
            if (k > std::size_t(oend - o))
                throw ELzrw1Exception(TextBlockOverflow);
            std::memcpy(o, p, k);
            o += k;
            p += k;
            control <<= k;
            bits -= unsigned(k);
        }
    }
    return std::size_t(o - dst);
}

namespace {

template <class Input>
std::uint64_t compressFrom(Input &in, std::uint64_t size, ByteSink &out, const std::string &inputName,
                           const Buffers &buf)
{
    std::uint8_t header[HeaderSize];
    std::memcpy(header, SignatureFast, 4);
    putLe32(header + 4, std::uint32_t(size));
    out.write(header, HeaderSize);
    std::uint64_t written = HeaderSize;
    std::uint64_t consumed = 0;

    for (;;) {
        const std::uint8_t *plain = nullptr;
        const std::size_t n = in.take(BlockSize, plain);
        consumed += n;
        const std::size_t coded = compressBlock(plain, n, buf.coded.get() + 2, buf.hash.get());
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

template <class Input>
std::uint64_t decompressFrom(Input &in, ByteSink &out, const std::string &inputName, const Buffers &buf)
{
    const std::string truncated = "Lzrw1 : Error reading from input file : " + inputName;

    const std::uint8_t *at = nullptr;
    if (in.take(4, at) != 4)
        throw ELzrw1Exception(truncated);
    if (std::memcmp(at, SignatureFast, 4) != 0)
        throw ELzrw1Exception(inputName + " : Lzrw1 decompression : this file has no valid header !");
    if (in.take(4, at) != 4)
        throw ELzrw1Exception(truncated);
    const std::uint64_t stored = getLe32(at);

    std::uint64_t total = 0;
    std::size_t produced = 0;
    do {
        if (in.take(2, at) != 2)
            throw ELzrw1Exception(truncated);
        const std::size_t length = std::size_t(at[0]) | std::size_t(at[1]) << 8;
        if (length > MaxCodedLength)
            throw ELzrw1Exception(TextBlockTooLong);
        if (in.take(length, at) != length)
            throw ELzrw1Exception(truncated);
        produced = decompressBlock(at, length, buf.plain.get());
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

// A result of many megabytes is mostly the cost of the kernel handing out
// and clearing its 4 KiB pages one fault at a time, more than coding the
// bytes takes; huge pages cut the faults 512-fold. Only a hint: where the
// kernel does not take it, nothing changes.
void adviseHugePages([[maybe_unused]] const std::uint8_t *p, [[maybe_unused]] std::size_t len)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t Huge = std::uintptr_t(2) << 20;
    if (len < 4 * Huge)
        return;
    const std::uintptr_t begin = (std::uintptr_t(p) + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t end = (std::uintptr_t(p) + len) & ~(Huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

} // namespace

std::uint64_t compress(ByteSource &in, std::uint64_t size, ByteSink &out, const std::string &inputName)
{
    if (size > 0xFFFFFFFFull)
        throw ELzrw1Exception("Lzrw1 compression : input file is 4 GiB or larger : " + inputName);
    const Buffers buf(true);
    StreamInput input(in, buf.plain.get());
    return compressFrom(input, size, out, inputName, buf);
}

std::uint64_t decompress(ByteSource &in, ByteSink &out, const std::string &inputName)
{
    const Buffers buf(false);
    StreamInput input(in, buf.coded.get());
    return decompressFrom(input, out, inputName, buf);
}

std::vector<std::uint8_t> compressBuffer(const void *data, std::size_t size)
{
    std::vector<std::uint8_t> result;
    result.reserve(HeaderSize + size + (size / BlockSize + 1) * 3);
    adviseHugePages(result.data(), result.capacity());
    if (std::uint64_t(size) > 0xFFFFFFFFull)
        throw ELzrw1Exception("Lzrw1 compression : input file is 4 GiB or larger : ");
    const Buffers buf(true);
    MemoryInput input(data, size);
    VectorSink out(result);
    compressFrom(input, size, out, std::string(), buf);
    return result;
}

std::vector<std::uint8_t> decompressBuffer(const void *data, std::size_t size, const std::string &inputName)
{
    std::vector<std::uint8_t> result;
    if (size >= HeaderSize) {
        // The stored size is only a hint from the file; cap what it reserves.
        const std::uint64_t stored = getLe32(static_cast<const std::uint8_t *>(data) + 4);
        result.reserve(std::size_t(std::min<std::uint64_t>(stored, std::uint64_t(size) * 64 + BlockSize)));
        adviseHugePages(result.data(), result.capacity());
    }
    const Buffers buf(false);
    MemoryInput input(data, size);
    VectorSink out(result);
    decompressFrom(input, out, inputName, buf);
    return result;
}

} // namespace lzrw1kh
