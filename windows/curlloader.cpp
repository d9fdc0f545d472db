// SPDX-License-Identifier: MIT
#include "curlloader.h"

#include "sharedlibrary.h"


namespace {

const char *fileName = CurlLibrary::FileName;

struct Loaded {
    CurlLibrary library;
    bool ok = false;
    QString error;
};

Loaded load()
{
    Loaded l;
    CurlLibrary &c = l.library;
    const OpenedLibrary opened(fileName, [&c](OpenedLibrary &lib) {
#define VELLOC_CURL_RESOLVE(f) lib.resolve(c.f, "curl_" #f);
        VELLOC_CURL_RESOLVE(global_init)
        VELLOC_CURL_RESOLVE(multi_init)
        VELLOC_CURL_RESOLVE(multi_setopt)
        VELLOC_CURL_RESOLVE(multi_cleanup)
        VELLOC_CURL_RESOLVE(multi_add_handle)
        VELLOC_CURL_RESOLVE(multi_remove_handle)
        VELLOC_CURL_RESOLVE(multi_socket_action)
        VELLOC_CURL_RESOLVE(multi_info_read)
        VELLOC_CURL_RESOLVE(multi_strerror)
        VELLOC_CURL_RESOLVE(easy_init)
        VELLOC_CURL_RESOLVE(easy_setopt)
        VELLOC_CURL_RESOLVE(easy_getinfo)
        VELLOC_CURL_RESOLVE(easy_strerror)
        VELLOC_CURL_RESOLVE(easy_cleanup)
        VELLOC_CURL_RESOLVE(slist_append)
        VELLOC_CURL_RESOLVE(slist_free_all)
#undef VELLOC_CURL_RESOLVE
    });
    l.error = opened.problem(QStringLiteral("The download needs"), QStringLiteral("libcurl"), "libcurl4");
    if (!l.error.isEmpty())
        return l;
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
