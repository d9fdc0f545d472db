// SPDX-License-Identifier: MIT
// Where errors that escape an event handler end up. A Qt event handler must
// not let an exception out (the program would end), so the socket, timer and
// dispatch entry points catch and report here: a message box in the table
// window, standard error in the headless host.
#pragma once

#include <QString>

#include <exception>
#include <functional>

void setFailureReporter(std::function<void(const QString &)> reporter);
void reportFailure(const QString &text);

// Runs f; any exception it throws is reported instead of propagating.
template <typename F>
void guarded(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        reportFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportFailure(QStringLiteral("Unknown error"));
    }
}
