// SPDX-License-Identifier: MIT
#include "singleinstance.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The name in the abstract namespace: a leading NUL, no terminator.
socklen_t abstractAddress(const QString &name, sockaddr_un *out)
{
    *out = sockaddr_un{};
    out->sun_family = AF_UNIX;
    const QByteArray bytes = name.toUtf8().left(int(sizeof out->sun_path) - 1);
    std::memcpy(out->sun_path + 1, bytes.constData(), size_t(bytes.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(bytes.size()));
}

// Waits up to ms for the socket to become ready for `events`.
bool waitFor(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    int r;
    do
        r = ::poll(&p, 1, ms);
    while (r < 0 && errno == EINTR);
    return r > 0;
}

} // namespace

QString SingleInstance::defaultName()
{
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = QGuiApplication::platformName().toUtf8();
    return QStringLiteral("24broq-%1-%2").arg(::getuid()).arg(QString::fromUtf8(display));
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance()
{
    m_accepting.reset();
    for (auto &[fd, notifier] : m_peers) {
        notifier.reset();
        ::close(fd);
    }
    if (m_listener >= 0)
        ::close(m_listener);
}

bool SingleInstance::askRunningCopy()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstractAddress(m_name, &address);
    bool reached = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0
                   || (errno == EINPROGRESS && waitFor(fd, POLLOUT, 500));
    if (reached) {
        int error = 0;
        socklen_t size = sizeof error;
        reached = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (reached) {
        static const char raise[] = "raise\n";
        (void)!::send(fd, raise, sizeof raise - 1, MSG_NOSIGNAL);
        // The running copy hangs up once it has the request.
        char sink[64];
        while (waitFor(fd, POLLIN, 500) && ::recv(fd, sink, sizeof sink, 0) > 0) {
        }
    }
    ::close(fd);
    return reached;
}

bool SingleInstance::listen()
{
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = abstractAddress(m_name, &address);
    if (::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), length) != 0 || ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_accepting = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_accepting.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
    return true;
}

void SingleInstance::acceptPeers()
{
    int fd;
    while ((fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] { readPeer(fd); });
        m_peers[fd] = std::move(notifier);
    }
}

void SingleInstance::readPeer(int fd)
{
    char buffer[64];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    const bool raise = n > 0 && QByteArray(buffer, int(n)).contains("raise");
    // One request per connection: answered by hanging up.
    m_peers.erase(fd);
    ::close(fd);
    if (raise && onRaise)
        onRaise();
}

bool SingleInstance::claim()
{
    if (askRunningCopy())
        return false;
    if (listen())
        return true;
    // Another copy started in the same instant and won the name.
    return !askRunningCopy();
}
