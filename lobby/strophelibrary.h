// SPDX-License-Identifier: MIT
// libstrophe, opened when the player first goes to the lobby: it brings
// OpenSSL and an XML parser, which a solo game never needs.
#pragma once

#include <strophe.h>

#include <QString>

// The functions the lobby client uses, without their xmpp_ prefix.
#define VELLOC_STROPHE_FUNCTIONS(X)                                                                                    \
    X(initialize) X(ctx_new) X(ctx_free) X(conn_new) X(conn_release) X(conn_get_context) X(conn_is_connecting)         \
    X(conn_send_queue_len) X(conn_set_cafile) X(conn_set_certfail_handler) X(conn_set_flags) X(conn_set_jid)           \
    X(conn_set_sockopt_callback) X(connect_client) X(disconnect) X(free) X(handler_add) X(run_once) X(send)           \
    X(sockopt_cb_keepalive) X(tlscert_get_ctx) X(message_new) X(message_get_body) X(message_set_body)                 \
    X(presence_new) X(stanza_new) X(stanza_release) X(stanza_add_child) X(stanza_get_attribute)                       \
    X(stanza_get_attributes) X(stanza_get_child_by_name) X(stanza_get_child_by_name_and_ns) X(stanza_get_children)    \
    X(stanza_get_from) X(stanza_get_name) X(stanza_get_next) X(stanza_get_ns) X(stanza_get_type)                      \
    X(stanza_set_attribute) X(stanza_set_name) X(stanza_set_ns) X(stanza_set_to) X(stanza_set_type)

struct StropheLibrary {
    static constexpr const char *FileName = "libstrophe.so.0";

#define VELLOC_STROPHE_POINTER(f) decltype(&::xmpp_##f) f = nullptr;
    VELLOC_STROPHE_FUNCTIONS(VELLOC_STROPHE_POINTER)
#undef VELLOC_STROPHE_POINTER

    // Opened and initialised on the first call, then kept; null when it
    // cannot be, and then error (if given) says why in words for the player.
    static const StropheLibrary *get(QString *error = nullptr);
    // Tests: the name to open instead of FileName on the next get().
    static void setFileNameForTest(const char *name);
};
