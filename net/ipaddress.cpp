// SPDX-License-Identifier: MIT
#include "ipaddress.h"

#include <QCoreApplication>
#include <QPointer>

#include <thread>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace ipaddress {

std::optional<quint32> parseIPv4(const QString &text)
{
    in_addr a{};
    if (inet_pton(AF_INET, text.toLatin1().constData(), &a) != 1)
        return std::nullopt;
    return ntohl(a.s_addr);
}

bool isLiteral(const QString &text)
{
    in6_addr a6{};
    return parseIPv4(text) || inet_pton(AF_INET6, text.toLatin1().constData(), &a6) == 1;
}

bool isLoopback(const QString &literal)
{
    if (const auto v4 = parseIPv4(literal))
        return inSubnet(*v4, 0x7F000000u, 8);
    in6_addr a6{};
    return inet_pton(AF_INET6, literal.toLatin1().constData(), &a6) == 1 && IN6_IS_ADDR_LOOPBACK(&a6);
}

QStringList localIPv4()
{
    QStringList found;
    ifaddrs *all = nullptr;
    if (getifaddrs(&all) != 0)
        return found;
    for (const ifaddrs *i = all; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)
            || !(i->ifa_flags & IFF_RUNNING) || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const in_addr a = reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr;
        const quint32 host = ntohl(a.s_addr);
        // A self-assigned 169.254 address reaches no friend.
        if (inSubnet(host, 0x7F000000u, 8) || inSubnet(host, 0xA9FE0000u, 16))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &a, text, sizeof text);
        if (!found.contains(QString::fromLatin1(text)))
            found << QString::fromLatin1(text);
    }
    freeifaddrs(all);
    return found;
}

void lookup(const QString &host, QObject *context,
            std::function<void(const QStringList &addresses, const QString &error)> done)
{
    QPointer<QObject> guard(context);
    std::thread([name = host.toUtf8(), guard, done = std::move(done)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *res = nullptr;
        const int rc = getaddrinfo(name.constData(), nullptr, &hints, &res);
        QStringList v4, v6;
        for (const addrinfo *r = rc == 0 ? res : nullptr; r; r = r->ai_next) {
            char text[INET6_ADDRSTRLEN] = {};
            if (r->ai_family == AF_INET)
                inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(r->ai_addr)->sin_addr, text, sizeof text);
            else if (r->ai_family == AF_INET6)
                inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(r->ai_addr)->sin6_addr, text, sizeof text);
            QStringList &to = r->ai_family == AF_INET ? v4 : v6;
            if (text[0] && !to.contains(QString::fromLatin1(text)))
                to << QString::fromLatin1(text);
        }
        if (res)
            freeaddrinfo(res);
        const QString error = rc == 0 ? QString() : QString::fromLocal8Bit(gai_strerror(rc));
        // The application object outlives every context; the guard says
        // whether the asker is still there once the answer is on the loop.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, addresses = v4 + v6, error] {
                if (guard)
                    done(addresses, error);
            },
            Qt::QueuedConnection);
    }).detach();
}

} // namespace ipaddress
