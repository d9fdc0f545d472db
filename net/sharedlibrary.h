// SPDX-License-Identifier: MIT
// Libraries opened with dlopen the first time a feature needs them, so the
// program starts without them and without everything they pull in. Each
// library lists the functions it uses once (an X macro) and gets a struct
// of pointers typed from its own headers, filled by OpenedLibrary.
#pragma once

#include <QString>

#include <functional>

class OpenedLibrary
{
public:
    // Opens `file` (a soname) and fills the pointers with `resolveAll`, which
    // calls resolve() once per function. Never closed: the libraries keep
    // global state and are used again.
    OpenedLibrary(const char *file, const std::function<void(OpenedLibrary &)> &resolveAll);

    bool ok() const { return m_handle && m_missing.isEmpty(); }
    bool opened() const { return m_handle != nullptr; }
    // The first function the library lacks (empty when none).
    const QString &missing() const { return m_missing; }

    template<class F>
    void resolve(F &to, const char *name)
    {
        to = reinterpret_cast<F>(symbol(name));
        if (!to && m_missing.isEmpty())
            m_missing = QString::fromLatin1(name);
    }

private:
    void *symbol(const char *name) const;

    void *m_handle = nullptr;
    QString m_missing;
};
