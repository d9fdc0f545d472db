// SPDX-License-Identifier: MIT
// Fuzzes the game host's message handling: any sequence of messages from
// any connection, with the timers firing in between, must never break the
// host's tables (a bone in two places, a gap in a toe) or read outside them.
//
// Input: records of one carrier byte (its value picks the slot, 0xFE fires
// the timers) followed by a message up to the next 0xFF.
#include "bones.h"
#include "gamehost.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Link : HostLink {
    GameHost *host = nullptr;
    bool step = false, computer = false;
    void sendTo(int slot, const QByteArray &m) override
    {
        if (slot < 1 || slot > 9 || !m.endsWith('\xFF') || m.count('\xFF') != 1)
            std::abort();
    }
    void disconnectSlot(int slot) override { host->slotClosed(slot); }
    void startStepTimer() override { step = true; }
    void stopStepTimer() override { step = false; }
    void armComputer(int) override { computer = true; }
    void stopComputer() override { computer = false; }
};

void check(const GameHost &g)
{
    int seen[56] = {};
    for (int s = 1; s <= 6; ++s)
        for (int h = 1; h <= 20; ++h)
            if (const int b = g.players[s].hand[h]) {
                if (b < 1 || b > 55 || ++seen[b] > 1)
                    std::abort();
            }
    for (int t = 1; t <= 3; ++t) {
        bool ended = false;
        for (int p = 1; p <= 40; ++p) {
            const int b = g.toes[t][p].bone;
            if (!b) {
                ended = true;
                continue;
            }
            if (ended || b < 1 || b > 55 || ++seen[b] > 1)
                std::abort();
        }
    }
    if (g.whoseturn < 0 || g.whoseturn > 6 || (g.turnopen && (g.whoseturn < 1 || !g.players[g.whoseturn].playing)))
        std::abort();
}

void fire(GameHost &g, Link &link, int times)
{
    for (int i = 0; i < times; ++i) {
        if (link.computer) {
            link.computer = false;
            g.computerTick();
        } else if (link.step) {
            g.stepTick();
        } else {
            return;
        }
        check(g);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Link link;
    GameHost g(link, 7);
    link.host = &g;
    for (int i = 1; i <= 4; ++i)
        g.slotConnected(g.reserveSlot());
    size_t i = 0;
    while (i < size) {
        const uint8_t carrier = data[i++];
        size_t end = i;
        while (end < size && data[end] != 0xFF)
            ++end;
        const QByteArray message(reinterpret_cast<const char *>(data + i), qsizetype(end - i));
        i = end + 1;
        if (carrier == 0xFE) {
            fire(g, link, 40);
            continue;
        }
        const int slot = carrier % 9 + 1;
        if (!g.players[slot].connected && carrier & 0x80)
            g.slotConnected(g.reserveSlot());
        if (carrier == 0xFD) {
            g.slotClosed(slot % 6 + 1);
            check(g);
            continue;
        }
        g.dispatch(slot, message);
        check(g);
    }
    fire(g, link, 2000);
    return 0;
}
