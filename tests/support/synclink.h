// SPDX-License-Identifier: MIT
// Runs a GameHost without sockets or an event loop: messages go to a
// callback and the two timers fire when the driver says so. Used by the
// invariant test and the rules benchmark.
#pragma once

#include "gamehost.h"

#include <functional>

class SyncLink : public HostLink {
public:
    std::function<void(int slot, const QByteArray &message)> onSend;
    GameHost *host = nullptr;
    bool stepRunning = false;
    bool computerRunning = false;

    void sendTo(int slot, const QByteArray &message) override
    {
        if (onSend)
            onSend(slot, message);
    }
    void disconnectSlot(int slot) override
    {
        if (host)
            host->slotClosed(slot);
    }
    void startStepTimer() override { stepRunning = true; }
    void stopStepTimer() override { stepRunning = false; }
    void armComputer(int) override { computerRunning = true; }
    void stopComputer() override { computerRunning = false; }

    // One timer event: a pending computer move first, else a step tick.
    // False when nothing is pending.
    bool fireOne()
    {
        if (computerRunning) {
            computerRunning = false;
            host->computerTick();
            return true;
        }
        if (stepRunning) {
            host->stepTick();
            return true;
        }
        return false;
    }
};
