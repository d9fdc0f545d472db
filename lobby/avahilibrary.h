// SPDX-License-Identifier: MIT
// The Avahi client library, opened when a table is first announced or
// looked for on the network, so a solo game starts without it and D-Bus.
#pragma once

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <QString>

// The functions network discovery uses, without their avahi_ prefix; the
// avahi-common ones are found through the client library, which needs it.
#define VELLOC_AVAHI_FUNCTIONS(X)                                                                                      \
    X(client_new) X(client_free) X(client_get_state) X(strerror) X(free) X(address_snprint)                            \
    X(alternative_service_name) X(string_list_new) X(string_list_free) X(string_list_add_pair_arbitrary)              \
    X(string_list_get_next) X(string_list_get_text) X(string_list_get_size) X(entry_group_new) X(entry_group_free)     \
    X(entry_group_reset) X(entry_group_commit) X(entry_group_add_service_strlst)                                      \
    X(entry_group_update_service_txt_strlst) X(service_browser_new) X(service_resolver_new) X(service_resolver_free)

struct AvahiLibrary {
    static constexpr const char *FileName = "libavahi-client.so.3";

#define VELLOC_AVAHI_POINTER(f) decltype(&::avahi_##f) f = nullptr;
    VELLOC_AVAHI_FUNCTIONS(VELLOC_AVAHI_POINTER)
#undef VELLOC_AVAHI_POINTER

    // Opened on the first call, then kept; null when it cannot be, and then
    // error (if given) says why in words for the player.
    static const AvahiLibrary *get(QString *error = nullptr);
};
