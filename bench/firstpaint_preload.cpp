// SPDX-License-Identifier: MIT
// Put into a program with LD_PRELOAD by bench_startup: once the program's
// first paint has reached the screen (the event after it), prints
// "firstpaint NS" on standard output, NS being the monotonic clock in ns.
#include <QCoreApplication>
#include <QEvent>

#include <cstdio>
#include <ctime>

namespace {

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!m_seen && e->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Queued: runs once this paint and its flush are done.
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::printf("firstpaint %lld\n", monotonicNs());
                    std::fflush(stdout);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_seen = false;
};

void watchFirstPaint() { QCoreApplication::instance()->installEventFilter(new FirstPaint(QCoreApplication::instance())); }

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
