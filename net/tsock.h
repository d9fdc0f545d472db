// SPDX-License-Identifier: MIT
// TSock: the non-blocking IPv4 stream socket that carries all game traffic.
// Notifications arrive on the Qt event loop of the UI thread and are turned
// into the component's events (OnConnect, OnRead, OnInfo ...), one at a time.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <stdexcept>

class QSocketNotifier;

class ESockException : public std::runtime_error {
public:
    explicit ESockException(const QString &text) : std::runtime_error(text.toStdString()) {}
};

// Kinds of status report, in the order of their names in SocketInfoNames.
enum class TSocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };
QString socketInfoName(TSocketInfo kind);

class TSock : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TSock *sender)>;
    using InfoEvent = std::function<void(TSock *sender, TSocketInfo kind, const QString &msg)>;
    using ReadEvent = std::function<void(TSock *sender, int count)>;

    explicit TSock(QObject *owner = nullptr);
    ~TSock() override;

    QString HostName() const { return m_hostName; }
    void setHostName(const QString &name);
    QString PortName() const { return m_portName; }
    void setPortName(const QString &name);
    bool Listen() const { return m_listen; }
    void setListen(bool on);
    // A listener for this computer alone: it takes connections on the IPv4
    // loopback address only. Set before listening.
    void setLoopbackOnly(bool on) { m_loopbackOnly = on; }
    bool loopbackOnly() const { return m_loopbackOnly; }
    bool Connected() const { return m_connected; }

    bool Open();
    bool Close();
    bool Send(const QByteArray &text);
    QByteArray Receive(int count = -1);
    bool Accept(TSock *&newSock);
    // Whether the last Accept failed only because nothing was waiting (an
    // owner that accepts in a loop stops there).
    bool acceptWouldBlock() const { return m_acceptWouldBlock; }

    // The local port of a listener or connection (0 without an OS socket);
    // lets tests listen on an ephemeral port ("0").
    quint16 localPort() const;
    // Bytes handed to Send that the network layer has not taken yet.
    qsizetype pendingOutbound() const { return m_outbound.size(); }
    bool hasSocket() const { return m_fd >= 0; }

    int Tag = 0;
    NotifyEvent OnConnect;
    NotifyEvent OnDisconnect;
    NotifyEvent OnWrite;
    NotifyEvent OnAccept;
    InfoEvent OnInfo;
    ReadEvent OnRead;

    // Whether a host name has been resolved before (names are kept for the
    // rest of the run, compared without regard to letter case).
    static bool isHostCached(const QString &name);

    // "Error #" code " (" name ")", the text of an Error report.
    static QString errorText(int code);
    static QString errorName(int code);
    // The Windows Sockets code that peers and logs know for a POSIX errno.
    static int wsaCode(int posixErrno);

private:
    void info(TSocketInfo kind, const QString &msg);
    void adopt(int fd, bool connected);
    void updateNotifiers();
    void dropNotifiers();
    int flushOutbound(); // 0, or the errno of a hard failure
    void onReadable();
    void onWritable();
    void reportNotificationError(int code);
    void peerClosed();
    quint16 lookupPort(const QString &name);
    // The address of a host: IPv4 as before; IPv6 for an IPv6 address, or
    // for a name that has no IPv4 address.
    QByteArray lookupHost(const QString &name);

    QString m_hostName;
    QString m_portName;
    bool m_listen = false;
    bool m_loopbackOnly = false;
    bool m_connected = false;
    bool m_connecting = false;
    int m_fd = -1;
    QByteArray m_inbound;
    QByteArray m_outbound;
    quint16 m_remotePort = 0;
    bool m_acceptWouldBlock = false;
    bool m_acceptPaused = false; // out of descriptors: the listener rests a moment
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
