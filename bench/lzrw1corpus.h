// SPDX-License-Identifier: MIT
#pragma once
// The tally coder's benchmark corpus. The coder's golden test digests a
// prefix of it, so both must generate exactly the same bytes: change it only
// together with the golden digests.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lzrw1corpus {

// xorshift64: a sequence that no library version can change.
struct XorShift {
    std::uint64_t s;
    explicit XorShift(std::uint64_t state = 0x9E3779B97F4A7C15ull) : s(state) {}
    std::uint64_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    std::uint32_t below(std::uint32_t n) { return std::uint32_t(next() % n); }
};

// About half text (words, numbers, CR LF lines like a grid or a log), a
// third structured binary (records of small integers and floats), the rest
// runs, random bytes and repeats of earlier material. Generation only
// appends, so a shorter corpus is a prefix of a longer one.
inline std::vector<std::uint8_t> make(std::size_t size)
{
    static const char *const words[] = {
        "the", "bone", "spinner", "toe", "double", "chicken", "foot", "round", "score", "player",
        "Klot", "pass", "draw", "boneyard", "table", "winner", "game", "host", "seat", "watcher",
        "and", "of", "to", "in", "is", "it", "that", "for", "with", "on"};
    XorShift rng;
    std::vector<std::uint8_t> c;
    c.reserve(size + 65536);
    auto put = [&c](const std::string &s) { c.insert(c.end(), s.begin(), s.end()); };
    while (c.size() < size) {
        const std::uint32_t kind = rng.below(100);
        if (kind < 50) { // text
            std::string para;
            const int n = 20 + int(rng.below(200));
            for (int i = 0; i < n; ++i) {
                if (rng.below(8) == 0)
                    para += std::to_string(rng.below(10000));
                else
                    para += words[rng.below(sizeof words / sizeof *words)];
                para += rng.below(12) == 0 ? "\r\n" : " ";
            }
            put(para);
        } else if (kind < 83) { // binary records
            const int n = 16 + int(rng.below(256));
            for (int i = 0; i < n; ++i) {
                std::uint8_t rec[16] = {};
                const std::uint32_t id = std::uint32_t(c.size() / 16);
                std::memcpy(rec, &id, 4);
                rec[4] = std::uint8_t(rng.below(56));
                rec[5] = std::uint8_t(rng.below(7));
                const float f = float(rng.below(1000)) / 8.0f;
                std::memcpy(rec + 8, &f, 4);
                c.insert(c.end(), rec, rec + 16);
            }
        } else if (kind < 90) { // runs
            c.insert(c.end(), 16 + rng.below(3000), std::uint8_t(rng.below(4) == 0 ? 0xFF : 0));
        } else if (kind < 95) { // noise
            const int n = 64 + int(rng.below(4096));
            for (int i = 0; i < n; ++i)
                c.push_back(std::uint8_t(rng.next()));
        } else if (c.size() > 70000) { // a repeat of something seen recently
            const std::size_t len = 32 + rng.below(2048);
            const std::size_t from = c.size() - 1 - rng.below(65536) - len;
            for (std::size_t i = 0; i < len; ++i)
                c.push_back(c[from + i]);
        }
    }
    c.resize(size);
    return c;
}

} // namespace lzrw1corpus
