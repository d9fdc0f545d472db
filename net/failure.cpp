// SPDX-License-Identifier: MIT
#include "failure.h"

#include <cstdio>

namespace {
std::function<void(const QString &)> &reporterSlot()
{
    static std::function<void(const QString &)> r;
    return r;
}
} // namespace

void setFailureReporter(std::function<void(const QString &)> reporter)
{
    reporterSlot() = std::move(reporter);
}

void reportFailure(const QString &text)
{
    static bool reporting = false;
    // A message box runs a nested event loop; a second failure meanwhile goes
    // to standard error instead of stacking boxes.
    if (reporting || !reporterSlot()) {
        std::fprintf(stderr, "velloc: %s\n", text.toLocal8Bit().constData());
        return;
    }
    reporting = true;
    reporterSlot()(text);
    reporting = false;
}
