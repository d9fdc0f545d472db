// SPDX-License-Identifier: MIT
#include "sharedlibrary.h"

#include <dlfcn.h>

OpenedLibrary::OpenedLibrary(const char *file, const std::function<void(OpenedLibrary &)> &resolveAll)
    : m_file(QString::fromLatin1(file)), m_handle(dlopen(file, RTLD_NOW | RTLD_LOCAL))
{
    if (m_handle)
        resolveAll(*this);
}

OpenedLibrary::~OpenedLibrary()
{
    if (m_close && m_handle)
        dlclose(m_handle);
}

QString OpenedLibrary::problem(const QString &needs, const QString &name, const char *package) const
{
    if (!m_handle)
        return QStringLiteral("%1 the %2 library (%3, Debian package %4), which is not installed on this computer.")
            .arg(needs, name, m_file, QString::fromLatin1(package));
    if (!m_missing.isEmpty())
        return QStringLiteral("The %1 library on this computer (%2) lacks %3.").arg(name, m_file, m_missing);
    return QString();
}

// Looks through the library and the ones it depends on.
void *OpenedLibrary::symbol(const char *name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}
