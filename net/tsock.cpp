// SPDX-License-Identifier: MIT
#include "tsock.h"

#include "convert.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int ReceiveArea = 32768;

// Host names resolved so far (their socket address bytes), keyed in lower
// case; never purged.
QHash<QString, QByteArray> &hostCache()
{
    static QHash<QString, QByteArray> cache;
    return cache;
}

QByteArray addressBytes(const sockaddr *a, socklen_t len) { return QByteArray(reinterpret_cast<const char *>(a), int(len)); }

// The first address of a name in one family, or nothing.
QByteArray resolve(const QByteArray &name, int family, int flags = 0)
{
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo *res = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &res) != 0 || !res)
        return {};
    const QByteArray bytes = addressBytes(res->ai_addr, res->ai_addrlen);
    freeaddrinfo(res);
    return bytes;
}

struct WsaName {
    int code;
    const char *name;
};

constexpr WsaName wsaNames[] = {
    {10004, "WSAEINTR"}, {10009, "WSAEBADF"}, {10013, "WSAEACCES"}, {10014, "WSAEFAULT"},
    {10022, "WSAEINVAL"}, {10024, "WSAEMFILE"}, {10035, "WSAEWOULDBLOCK"},
    {10036, "WSAEINPROGRESS"}, {10037, "WSAEALREADY"}, {10038, "WSAENOTSOCK"},
    {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"}, {10041, "WSAEPROTOTYPE"},
    {10042, "WSAENOPROTOOPT"}, {10043, "WSAEPROTONOSUPPORT"}, {10044, "WSAESOCKTNOSUPPORT"},
    {10045, "WSAEOPNOTSUPP"}, {10046, "WSAEPFNOSUPPORT"}, {10047, "WSAEAFNOSUPPORT"},
    {10048, "WSAEADDRINUSE"}, {10049, "WSAEADDRNOTAVAIL"}, {10050, "WSAENETDOWN"},
    {10051, "WSAENETUNREACH"}, {10052, "WSAENETRESET"}, {10053, "WSAECONNABORTED"},
    {10054, "WSAECONNRESET"}, {10055, "WSAENOBUFS"}, {10056, "WSAEISCONN"},
    {10057, "WSAENOTCONN"}, {10058, "WSAESHUTDOWN"}, {10059, "WSAETOOMANYREFS"},
    {10060, "WSAETIMEDOUT"}, {10061, "WSAECONNREFUSED"}, {10062, "WSAELOOP"},
    {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"}, {10065, "WSAEHOSTUNREACH"},
    {10066, "WSAENOTEMPTY"}, {10067, "WSAEPROCLIM"}, {10068, "WSAEUSERS"},
    {10069, "WSAEDQUOT"}, {10070, "WSAESTALE"}, {10071, "WSAEREMOTE"},
    {10091, "WSASYSNOTREADY"}, {10092, "WSAVERNOTSUPPORTED"}, {10093, "WSANOTINITIALISED"},
    {10101, "WSAEDISCON"}, {11001, "WSAHOST_NOT_FOUND"}, {11002, "WSATRY_AGAIN"},
    {11003, "WSANO_RECOVERY"}, {11004, "WSANO_DATA"},
};

// A peer's address as text: dotted for IPv4, also when it reached an IPv6
// listener as a mapped address, so logs and peers read as before.
QString peerText(const sockaddr_storage &peer)
{
    char buf[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in &>(peer).sin_addr, buf, sizeof buf);
    } else if (peer.ss_family == AF_INET6) {
        const in6_addr &a = reinterpret_cast<const sockaddr_in6 &>(peer).sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&a))
            inet_ntop(AF_INET, a.s6_addr + 12, buf, sizeof buf);
        else
            inet_ntop(AF_INET6, &a, buf, sizeof buf);
    }
    return QString::fromLatin1(buf);
}

} // namespace

QString socketInfoName(TSocketInfo kind)
{
    static const char *const names[] = {"Lookup", "Connect", "Close", "Listen",
                                        "Receive", "Send", "Accept", "Error"};
    return QString::fromLatin1(names[static_cast<int>(kind)]);
}

TSock::TSock(QObject *owner) : QObject(owner) {}

TSock::~TSock()
{
    // Closing quietly: the handlers may belong to objects already being torn down.
    dropNotifiers();
    if (m_fd >= 0)
        ::close(m_fd);
}

QString TSock::errorName(int code)
{
    for (const auto &n : wsaNames)
        if (n.code == code)
            return QString::fromLatin1(n.name);
    return QStringLiteral("UNKNOWN ERROR");
}

QString TSock::errorText(int code)
{
    return QStringLiteral("Error #%1 (%2)").arg(code).arg(errorName(code));
}

int TSock::wsaCode(int e)
{
    switch (e) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case EPIPE: return 10054; // a write into a reset connection
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default:
        // Outside the Windows Sockets range, so it reads "UNKNOWN ERROR"
        // and can never be mistaken for a known code.
        return 20000 + e;
    }
}

void TSock::info(TSocketInfo kind, const QString &msg)
{
    if (!OnInfo)
        return;
    try {
        OnInfo(this, kind, msg);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::setHostName(const QString &name)
{
    if (m_connected)
        info(TSocketInfo::Lookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
    m_hostName = name;
}

void TSock::setPortName(const QString &name)
{
    if (m_connected)
        info(TSocketInfo::Lookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
    m_portName = name;
}

quint16 TSock::lookupPort(const QString &name)
{
    info(TSocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + name);
    if (!name.isEmpty() && name.at(0).isDigit()) {
        const int port = strToInt(name.toLatin1());
        if (port < 0 || port > 65535)
            throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
        return static_cast<quint16>(port);
    }
    const QByteArray n = name.toLatin1();
    servent *s = getservbyname(n.constData(), "tcp");
    if (!s)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(static_cast<quint16>(s->s_port));
}

bool TSock::isHostCached(const QString &name) { return hostCache().contains(name.toLower()); }

QByteArray TSock::lookupHost(const QString &name)
{
    info(TSocketInfo::Lookup, QStringLiteral("Lookup Of Host ") + name);
    const QByteArray n = name.toLatin1();
    const auto notFound = [] { return ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry")); };
    if (name.contains(QLatin1Char(':'))) {
        // An IPv6 address (with its zone, if any); never a name lookup.
        const QByteArray a = resolve(n, AF_INET6, AI_NUMERICHOST);
        if (a.isEmpty())
            throw notFound();
        return a;
    }
    if (!name.isEmpty() && name.at(0).isDigit()) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        if (inet_aton(n.constData(), &a.sin_addr) == 0)
            throw notFound();
        return addressBytes(reinterpret_cast<sockaddr *>(&a), sizeof a);
    }
    const QString key = name.toLower();
    auto it = hostCache().constFind(key);
    if (it != hostCache().constEnd())
        return it.value();
    QByteArray a = resolve(n, AF_INET);
    if (a.isEmpty())
        a = resolve(n, AF_INET6);
    if (a.isEmpty())
        throw notFound();
    hostCache().insert(key, a);
    return a;
}

void TSock::adopt(int fd, bool connected)
{
    m_fd = fd;
    m_connected = connected;
    if (connected) {
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    updateNotifiers();
}

void TSock::dropNotifiers()
{
    // Closing often happens inside a notifier's own signal: retire them
    // later rather than deleting the emitter under its feet.
    for (QSocketNotifier *n : {m_readNotifier, m_writeNotifier}) {
        if (!n)
            continue;
        n->setEnabled(false);
        n->disconnect(this);
        n->deleteLater();
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
}

// Readable is watched on listeners and established connections; writable
// only while connecting or while bytes wait, so an idle socket costs nothing.
void TSock::updateNotifiers()
{
    if (m_fd < 0) {
        dropNotifiers();
        return;
    }
    const bool wantRead = (m_listen && !m_acceptPaused) || m_connected;
    const bool wantWrite = m_connecting || (m_connected && !m_outbound.isEmpty());
    if (wantRead && !m_readNotifier) {
        m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    }
    if (m_readNotifier)
        m_readNotifier->setEnabled(wantRead);
    if (wantWrite && !m_writeNotifier) {
        m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWritable(); });
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(wantWrite);
}

bool TSock::Open()
{
    if (m_fd >= 0)
        return m_connected;
    const quint16 port = lookupPort(m_portName);
    const QByteArray address = lookupHost(m_hostName);
    sockaddr_storage remote{};
    memcpy(&remote, address.constData(), size_t(qMin<qsizetype>(address.size(), sizeof remote)));
    if (remote.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6 &>(remote).sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in &>(remote).sin_port = htons(port);
    const int fd = ::socket(remote.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException(errorText(wsaCode(errno)));
    m_remotePort = port;
    m_fd = fd;
    m_connecting = true;
    const int r = ::connect(fd, reinterpret_cast<sockaddr *>(&remote), socklen_t(address.size()));
    if (r < 0 && errno != EINPROGRESS) {
        // The outcome of a connection attempt always arrives as a notification.
        const int code = wsaCode(errno);
        m_connecting = false;
        QPointer<TSock> self(this);
        QMetaObject::invokeMethod(this, [self, code] {
            if (self)
                self->reportNotificationError(code);
        }, Qt::QueuedConnection);
    }
    updateNotifiers();
    return m_connected;
}

bool TSock::Close()
{
    bool ok = false;
    dropNotifiers();
    if (m_fd >= 0)
        ok = ::close(m_fd) == 0;
    m_fd = -1;
    m_connected = false;
    m_connecting = false;
    m_outbound.clear();
    if (!m_listen) {
        try {
            info(TSocketInfo::Close, QStringLiteral("Socket Closed"));
        } catch (...) {
        }
    }
    m_listen = false;
    return ok;
}

void TSock::setListen(bool on)
{
    if (!on) {
        m_listen = false;
        Close();
        info(TSocketInfo::Listen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (m_fd >= 0 && !m_listen)
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    if (m_listen) {
        info(TSocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }
    const quint16 port = lookupPort(m_portName);
    // One listener for IPv4 and IPv6 players where the system has IPv6;
    // IPv4 alone where it has not.
    int fd = m_loopbackOnly ? -1 : ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_storage local{};
    socklen_t localLen = 0;
    if (fd >= 0) {
        int off = 0;
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        auto &a = reinterpret_cast<sockaddr_in6 &>(local);
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        a.sin6_port = htons(port);
        localLen = sizeof a;
    } else {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        auto &a = reinterpret_cast<sockaddr_in &>(local);
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(m_loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
        a.sin_port = htons(port);
        localLen = sizeof a;
    }
    if (fd < 0)
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    // Lets a restarted host take its port while old connections linger in
    // TIME_WAIT; a port that another program listens on still fails.
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), localLen) != 0) {
        ::close(fd);
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    }
    // The system's largest queue: a burst of players must not overflow it,
    // since a connection the kernel drops never hears from the host.
    if (::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));
    }
    m_fd = fd;
    m_listen = true;
    updateNotifiers();
    info(TSocketInfo::Listen, QStringLiteral("Listening Started"));
}

bool TSock::Accept(TSock *&newSock)
{
    if (!m_listen)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept4(m_fd, reinterpret_cast<sockaddr *>(&peer), &len,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        m_acceptWouldBlock = err == EAGAIN || err == EWOULDBLOCK || err == EINTR || err == ECONNABORTED;
        if (err == EMFILE || err == ENFILE || err == ENOBUFS || err == ENOMEM) {
            // The pending connection stays queued, so the listener would
            // report it again at once and spin; rest a moment instead.
            m_acceptPaused = true;
            if (m_readNotifier)
                m_readNotifier->setEnabled(false);
            QPointer<TSock> self(this);
            QTimer::singleShot(100, this, [self] {
                if (!self)
                    return;
                self->m_acceptPaused = false;
                self->updateNotifiers();
            });
        }
        info(TSocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    m_acceptWouldBlock = false;
    auto *s = new TSock(this);
    s->OnRead = OnRead;
    s->OnWrite = OnWrite;
    s->OnDisconnect = OnDisconnect;
    s->OnInfo = OnInfo;
    s->adopt(fd, true);
    s->setPortName(m_portName);
    s->setHostName(peerText(peer));
    info(TSocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    newSock = s;
    return true;
}

bool TSock::Send(const QByteArray &text)
{
    if (m_fd < 0)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (m_listen)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    m_outbound.append(text);
    if (m_outbound.isEmpty())
        return true;
    info(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (m_fd >= 0 && m_connected)
        flushOutbound(); // a hard error surfaces at the next writable notification
    updateNotifiers();
    return true;
}

int TSock::flushOutbound()
{
    while (!m_outbound.isEmpty()) {
        const ssize_t n = ::send(m_fd, m_outbound.constData(), static_cast<size_t>(m_outbound.size()),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            m_outbound.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return errno;
        break;
    }
    return 0;
}

QByteArray TSock::Receive(int count)
{
    if (m_listen)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    if (m_fd < 0 && m_inbound.isEmpty())
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (count < 0 || count >= m_inbound.size()) {
        QByteArray all;
        all.swap(m_inbound);
        return all;
    }
    QByteArray part = m_inbound.left(count);
    m_inbound.remove(0, count);
    return part;
}

quint16 TSock::localPort() const
{
    if (m_fd < 0)
        return 0;
    sockaddr_storage local{};
    socklen_t len = sizeof local;
    if (getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &len) != 0)
        return 0;
    return ntohs(local.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(local).sin6_port
                                             : reinterpret_cast<sockaddr_in &>(local).sin_port);
}

void TSock::reportNotificationError(int code)
{
    const bool established = m_connected;
    if (!established && m_fd >= 0) {
        // A failed attempt stays open and unconnected, but stops notifying.
        m_connecting = false;
        updateNotifiers();
    }
    info(TSocketInfo::Error, errorText(code));
    // A reset or abort of an established connection ends it like a close;
    // otherwise the peer's slot would stay taken forever.
    if (established && m_fd >= 0)
        peerClosed();
}

void TSock::peerClosed()
{
    QPointer<TSock> self(this);
    m_connected = false;
    updateNotifiers();
    if (OnDisconnect)
        OnDisconnect(this);
    if (self)
        Close();
}

void TSock::onReadable()
{
    if (m_listen) {
        if (OnAccept)
            OnAccept(this);
        else if (m_readNotifier)
            m_readNotifier->setEnabled(false); // nobody accepts: stop spinning
        return;
    }
    if (!m_connected)
        return;
    char buf[ReceiveArea];
    const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
    if (n > 0) {
        m_inbound.append(buf, n);
        info(TSocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
        if (OnRead)
            OnRead(this, static_cast<int>(m_inbound.size()));
    } else if (n == 0) {
        peerClosed();
    } else if (errno != EAGAIN && errno != EINTR) {
        reportNotificationError(wsaCode(errno));
    }
}

void TSock::onWritable()
{
    QPointer<TSock> self(this);
    if (m_connecting) {
        int err = 0;
        socklen_t len = sizeof err;
        getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0) {
            reportNotificationError(wsaCode(err));
            return;
        }
        m_connecting = false;
        m_connected = true;
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        updateNotifiers();
        info(TSocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
        if (OnConnect)
            OnConnect(this);
        if (!self || m_fd < 0)
            return;
    }
    if (!m_outbound.isEmpty()) {
        if (const int err = flushOutbound()) {
            reportNotificationError(wsaCode(err));
            return;
        }
    }
    info(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!self)
        return;
    if (OnWrite)
        OnWrite(this);
    if (self)
        updateNotifiers();
}
