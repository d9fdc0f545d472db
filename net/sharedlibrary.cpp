// SPDX-License-Identifier: MIT
#include "sharedlibrary.h"

#include <dlfcn.h>

OpenedLibrary::OpenedLibrary(const char *file, const std::function<void(OpenedLibrary &)> &resolveAll)
    : m_handle(dlopen(file, RTLD_NOW | RTLD_LOCAL))
{
    if (m_handle)
        resolveAll(*this);
}

OpenedLibrary::~OpenedLibrary()
{
    if (m_close && m_handle)
        dlclose(m_handle);
}

// Looks through the library and the ones it depends on.
void *OpenedLibrary::symbol(const char *name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}
