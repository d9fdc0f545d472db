// SPDX-License-Identifier: MIT
#include "curlloader.h"

#include <dlfcn.h>


namespace {

const char *fileName = CurlLibrary::FileName;

struct Loaded {
    CurlLibrary library;
    bool ok = false;
    QString error;
};

template<class F>
bool resolve(void *handle, F &to, const char *name, QString &missing)
{
    to = reinterpret_cast<F>(dlsym(handle, name));
    if (!to && missing.isEmpty())
        missing = QString::fromLatin1(name);
    return to != nullptr;
}

Loaded load()
{
    Loaded l;
    // Never closed: curl keeps global state, and the download may run again.
    void *handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        l.error = QStringLiteral("The download needs the libcurl library (%1, Debian package libcurl4), "
                                 "which is not installed on this computer.")
                      .arg(QString::fromLatin1(fileName));
        return l;
    }
    CurlLibrary &c = l.library;
    QString missing;
    resolve(handle, c.global_init, "curl_global_init", missing);
    resolve(handle, c.multi_init, "curl_multi_init", missing);
    resolve(handle, c.multi_setopt, "curl_multi_setopt", missing);
    resolve(handle, c.multi_cleanup, "curl_multi_cleanup", missing);
    resolve(handle, c.multi_add_handle, "curl_multi_add_handle", missing);
    resolve(handle, c.multi_remove_handle, "curl_multi_remove_handle", missing);
    resolve(handle, c.multi_socket_action, "curl_multi_socket_action", missing);
    resolve(handle, c.multi_info_read, "curl_multi_info_read", missing);
    resolve(handle, c.multi_strerror, "curl_multi_strerror", missing);
    resolve(handle, c.easy_init, "curl_easy_init", missing);
    resolve(handle, c.easy_setopt, "curl_easy_setopt", missing);
    resolve(handle, c.easy_getinfo, "curl_easy_getinfo", missing);
    resolve(handle, c.easy_strerror, "curl_easy_strerror", missing);
    resolve(handle, c.easy_cleanup, "curl_easy_cleanup", missing);
    resolve(handle, c.slist_append, "curl_slist_append", missing);
    resolve(handle, c.slist_free_all, "curl_slist_free_all", missing);
    if (!missing.isEmpty()) {
        l.error = QStringLiteral("The libcurl library on this computer (%1) is too old for the download: it lacks %2.")
                      .arg(QString::fromLatin1(fileName), missing);
        return l;
    }
    if (c.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        l.error = QStringLiteral("The libcurl library (%1) could not be set up.").arg(QString::fromLatin1(fileName));
        return l;
    }
    l.ok = true;
    return l;
}

// Used from the event loop's thread only.
Loaded loaded;
bool tried = false;

} // namespace

const CurlLibrary *CurlLibrary::get(QString *error)
{
    if (!tried) {
        loaded = load();
        tried = true;
    }
    if (!loaded.ok && error)
        *error = loaded.error;
    return loaded.ok ? &loaded.library : nullptr;
}

void CurlLibrary::setFileNameForTest(const char *name)
{
    fileName = name;
    tried = false;
}
