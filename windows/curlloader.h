// SPDX-License-Identifier: MIT
// CurlLibrary: libcurl opened with dlopen when the first download starts, so
// the program, and every player who never downloads, does without it and the
// libraries it pulls in. Only the functions the download uses are resolved.
#pragma once

#include <QString>

#include <curl/curl.h>

struct CurlLibrary {
    // The soname the package depends on (libcurl4).
    static constexpr const char *FileName = "libcurl.so.4";

    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_multi_init) multi_init = nullptr;
    decltype(&::curl_multi_setopt) multi_setopt = nullptr;
    decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&::curl_multi_socket_action) multi_socket_action = nullptr;
    decltype(&::curl_multi_info_read) multi_info_read = nullptr;
    decltype(&::curl_multi_strerror) multi_strerror = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;

    // The library, opened and initialised on the first call and kept for the
    // rest of the program; null when it cannot be opened or lacks a function,
    // and then error (if given) says so in words for the player.
    static const CurlLibrary *get(QString *error = nullptr);
    // Tests: the name to open instead of FileName; the next get() opens it
    // (call it while no download exists).
    static void setFileNameForTest(const char *name);
};
