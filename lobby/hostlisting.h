// SPDX-License-Identifier: MIT
// How velloc-host makes its table findable: its command-line options
// (--name, --no-announce, --lobby, --room, --public-address) and the
// listing they start.
#pragma once

#include "lobbyclient.h"
#include "tablelisting.h"

#include <QStringList>

#include <functional>
#include <memory>

struct HostListingOptions {
    QString name;          // empty: this machine's name
    bool announce = true;  // on the local network
    QString lobby;         // SERVER[:PORT]; empty: not listed online
    QString room;
    QString publicAddress; // HOST[:PORT] players outside reach us at

    // When args[i] is one of ours, takes it (and its value, moving i on) and
    // returns true; error is set when it is malformed.
    bool take(const QStringList &args, int &i, QString *error);
    // What must hold once every option is read; false and why otherwise.
    bool check(QString *error) const;
};

// The table's listing and its lobby seat, for as long as the host runs.
struct HostListing {
    std::unique_ptr<LobbyClient> lobby;
    std::unique_ptr<TableListing> listing;
};

std::unique_ptr<HostListing> startHostListing(TServer &server, quint16 port, const HostListingOptions &options,
                                              std::function<void(const QByteArray &)> log);
