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
    // calls resolve() once per function. Kept open for the rest of the
    // program (libraries with global state are used again) unless
    // closeWhenDone() was called.
    OpenedLibrary(const char *file, const std::function<void(OpenedLibrary &)> &resolveAll);
    ~OpenedLibrary();
    OpenedLibrary(const OpenedLibrary &) = delete;
    OpenedLibrary &operator=(const OpenedLibrary &) = delete;

    // Closes the library with this object: nothing it gave may be used after.
    void closeWhenDone() { m_close = true; }

    bool ok() const { return m_handle && m_missing.isEmpty(); }
    bool opened() const { return m_handle != nullptr; }
    // The first function the library lacks (empty when none).
    const QString &missing() const { return m_missing; }
    // Why the library cannot be used, in a sentence for the player, empty
    // when it can: `needs` starts it ("The lobby needs"), `name` names the
    // library for people ("libstrophe"), `package` is Debian's.
    QString problem(const QString &needs, const QString &name, const char *package) const;

    template<class F>
    void resolve(F &to, const char *name)
    {
        to = reinterpret_cast<F>(symbol(name));
        if (!to && m_missing.isEmpty())
            m_missing = QString::fromLatin1(name);
    }

private:
    void *symbol(const char *name) const;

    QString m_file;
    void *m_handle = nullptr;
    QString m_missing;
    bool m_close = false;
};
