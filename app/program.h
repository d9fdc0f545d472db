// SPDX-License-Identifier: MIT
// Program: creates the windows in their fixed order and ends them in
// reverse. main() runs one; tests run one with their own folder and port.
#pragma once

#include "forms.h"

#include <QStringList>

#include <memory>

class PortMapper;
class HostedTable;

class Program {
public:
    // gamePort "0" picks a free port (tests). mapRouterPort asks the router
    // to forward the port while this copy hosts (chosen in Play with Others).
    explicit Program(const QStringList &args, const QString &gamePort = QStringLiteral("7772"),
                     bool mapRouterPort = false);
    ~Program();

    Forms forms;
    // Where the router forwarding is asked for; tests point it at a stand-in.
    QString routerDescriptionUrl;

private:
    void mapRouterPort(quint16 port);

    std::unique_ptr<PortMapper> m_mapper;
    std::unique_ptr<HostedTable> m_hosted; // findable while this copy hosts
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
};
