// SPDX-License-Identifier: MIT
// One copy per desktop. The first copy listens on a local socket in the
// abstract namespace (nothing is left on disk if it crashes); a second copy
// finds it there, asks it to come to the front, and ends. Plain sockets on
// the event loop: the program needs no network library for it.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The name covers the user and the display, so copies on two displays
    // may run side by side.
    static QString defaultName();

    explicit SingleInstance(const QString &name = defaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy; false when a running copy was asked
    // to raise its window (this copy should end at once).
    bool claim();

    std::function<void()> onRaise;

private:
    bool askRunningCopy();
    bool listen();
    void acceptPeers();
    void readPeer(int fd);

    QString m_name;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_accepting;
    std::map<int, std::unique_ptr<QSocketNotifier>> m_peers;
};
