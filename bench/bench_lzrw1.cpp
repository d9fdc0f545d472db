// SPDX-License-Identifier: MIT
// Throughput of the tally file coder (LZRW1/KH) on a 64 MiB mixed corpus,
// beside liblz4 at its default level and plain memcpy, all in one run.
// MB/s counts 10^6 uncompressed bytes per second; the best of several runs.
#include "lzrw1.h"
#include "lzrw1kh.h"
#include "lzrw1corpus.h"

#include <QFile>
#include <QTemporaryDir>

#ifdef VELLOC_HAVE_LZ4
#include <lz4.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <time.h>

namespace {

constexpr std::size_t CorpusSize = 64u << 20;
constexpr int Runs = 5;

// A busy machine stretches the wall-clock time but not the work: the
// thread's own processor time is kept too, for the ratios.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double lastBestCpu = 0; // the processor time of the last bestSeconds() call

double bestSeconds(const std::function<void()> &f)
{
    double best = 1e30;
    lastBestCpu = 1e30;
    for (int i = 0; i < Runs; ++i) {
        const double c0 = threadSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        lastBestCpu = std::min(lastBestCpu, threadSeconds() - c0);
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

void report(const char *name, double compressS, double decompressS, std::size_t packed)
{
    const double mb = double(CorpusSize) / 1e6;
    std::printf("%-24s %10.1f %12.1f %9.3f\n", name, mb / compressS, mb / decompressS,
                double(packed) / double(CorpusSize));
}

} // namespace

int main()
{
    const std::vector<std::uint8_t> corpus = lzrw1corpus::make(CorpusSize);
    std::printf("corpus: %zu bytes of mixed text and binary; best of %d runs\n\n", corpus.size(), Runs);
    std::printf("%-24s %10s %12s %9s\n", "", "comp MB/s", "decomp MB/s", "ratio");

    // memcpy: the ceiling.
    {
        std::vector<std::uint8_t> dst(corpus.size());
        const double s = bestSeconds([&] { std::memcpy(dst.data(), corpus.data(), corpus.size()); });
        if (dst != corpus)
            return 1;
        report("memcpy", s, s, corpus.size());
    }

    // LZRW1/KH in memory: the coder itself, container included.
    double tallyCompressS = 0, tallyDecompressS = 0, tallyCompressCpu = 0, tallyDecompressCpu = 0;
    {
        std::vector<std::uint8_t> packed, back;
        const double c = bestSeconds([&] { packed = lzrw1kh::compressBuffer(corpus.data(), corpus.size()); });
        tallyCompressCpu = lastBestCpu;
        const double d = bestSeconds([&] { back = lzrw1kh::decompressBuffer(packed.data(), packed.size()); });
        tallyDecompressCpu = lastBestCpu;
        if (back != corpus) {
            std::fprintf(stderr, "lzrw1: round trip differs\n");
            return 1;
        }
        report("Tlzrw1 (memory)", c, d, packed.size());
        tallyCompressS = c;
        tallyDecompressS = d;
        // Faster code must write the same bytes: this line shows it at a glance.
        std::uint64_t fnv = 0xcbf29ce484222325ull;
        for (const std::uint8_t b : packed)
            fnv = (fnv ^ b) * 0x100000001b3ull;
        std::printf("%-24s %zu bytes, FNV-1a %016llx\n", "  Tlzrw1 output", packed.size(),
                    static_cast<unsigned long long>(fnv));
    }

    // The block coder alone, on buffers allocated once, as liblz4 is timed
    // below: the memory line above also pays for the pages of a new result.
    double blocksCompressS = 0, blocksDecompressS = 0;
    {
        std::vector<std::uint8_t> coded(corpus.size() + (corpus.size() / lzrw1kh::BlockSize + 1) * 3);
        std::vector<std::uint8_t> back(corpus.size() + lzrw1kh::BlockSize);
        std::vector<std::uint8_t> scratch(lzrw1kh::CodeBufferSize);
        std::vector<std::uint16_t> hash(lzrw1kh::HashEntries);
        std::vector<std::size_t> lengths;
        const double c = bestSeconds([&] {
            lengths.clear();
            std::size_t o = 0;
            for (std::size_t p = 0; p < corpus.size(); p += lzrw1kh::BlockSize) {
                const std::size_t n = std::min(lzrw1kh::BlockSize, corpus.size() - p);
                const std::size_t length = lzrw1kh::compressBlock(corpus.data() + p, n, scratch.data(), hash.data());
                std::memcpy(coded.data() + o, scratch.data(), length);
                lengths.push_back(length);
                o += length;
            }
        });
        std::size_t produced = 0;
        const double d = bestSeconds([&] {
            std::size_t at = 0;
            produced = 0;
            for (const std::size_t length : lengths) {
                produced += lzrw1kh::decompressBlock(coded.data() + at, length, back.data() + produced);
                at += length;
            }
        });
        std::size_t packedSize = 0;
        for (const std::size_t length : lengths)
            packedSize += length;
        if (produced != corpus.size() || std::memcmp(back.data(), corpus.data(), corpus.size()) != 0) {
            std::fprintf(stderr, "lzrw1 blocks: round trip differs\n");
            return 1;
        }
        report("Tlzrw1 (blocks)", c, d, packedSize);
        blocksCompressS = c;
        blocksDecompressS = d;
    }

    // Tlzrw1 file to file, as the program and velloc-tally call it.
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("corpus.bin"));
        const QString packedName = dir.filePath(QStringLiteral("corpus.tld"));
        const QString back = dir.filePath(QStringLiteral("back.bin"));
        {
            QFile f(plain);
            if (!f.open(QIODevice::WriteOnly) ||
                f.write(reinterpret_cast<const char *>(corpus.data()), qint64(corpus.size())) != qint64(corpus.size()))
                return 1;
        }
        Tlzrw1 doit;
        qint64 packedSize = 0;
        try {
            const double c = bestSeconds([&] {
                doit.InputFile = plain;
                doit.OutputFile = packedName;
                packedSize = doit.Compress();
            });
            const double d = bestSeconds([&] {
                doit.InputFile = packedName;
                doit.OutputFile = back;
                doit.Decompress();
            });
            report("Tlzrw1 (files)", c, d, std::size_t(packedSize));
        } catch (const ELzrw1Exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }

#ifdef VELLOC_HAVE_LZ4
    {
        std::vector<char> packed(std::size_t(LZ4_compressBound(int(corpus.size()))));
        std::vector<char> back(corpus.size());
        int packedSize = 0;
        const double c = bestSeconds([&] {
            packedSize = LZ4_compress_default(reinterpret_cast<const char *>(corpus.data()), packed.data(),
                                              int(corpus.size()), int(packed.size()));
        });
        const double cCpu = lastBestCpu;
        const double d = bestSeconds([&] {
            LZ4_decompress_safe(packed.data(), back.data(), packedSize, int(back.size()));
        });
        const double dCpu = lastBestCpu;
        if (packedSize <= 0 || std::memcmp(back.data(), corpus.data(), corpus.size()) != 0) {
            std::fprintf(stderr, "lz4: round trip differs\n");
            return 1;
        }
        report("liblz4 (default)", c, d, std::size_t(packedSize));
        std::printf("\nTlzrw1 (memory) / liblz4 speed: compression %.2f x, decompression %.2f x"
                    " (by processor time: %.2f x, %.2f x)\n",
                    c / tallyCompressS, d / tallyDecompressS, cCpu / tallyCompressCpu, dCpu / tallyDecompressCpu);
        std::printf("Tlzrw1 (blocks) / liblz4 speed: compression %.2f x, decompression %.2f x\n",
                    c / blocksCompressS, d / blocksDecompressS);
    }
#else
    std::printf("%-24s (liblz4 not found at build time)\n", "liblz4");
#endif
    return 0;
}
