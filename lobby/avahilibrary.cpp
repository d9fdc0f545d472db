// SPDX-License-Identifier: MIT
#include "avahilibrary.h"

#include "sharedlibrary.h"

const AvahiLibrary *AvahiLibrary::get(QString *error)
{
    static AvahiLibrary library;
    static const QString failure = [] {
        const OpenedLibrary opened(FileName, [](OpenedLibrary &l) {
#define VELLOC_AVAHI_RESOLVE(f) l.resolve(library.f, "avahi_" #f);
            VELLOC_AVAHI_FUNCTIONS(VELLOC_AVAHI_RESOLVE)
#undef VELLOC_AVAHI_RESOLVE
        });
        if (!opened.opened())
            return QStringLiteral("finding tables on the network needs the Avahi client library (%1, Debian "
                                  "package libavahi-client3), which is not installed on this computer")
                .arg(QString::fromLatin1(FileName));
        if (!opened.ok())
            return QStringLiteral("the Avahi client library on this computer (%1) lacks %2")
                .arg(QString::fromLatin1(FileName), opened.missing());
        return QString();
    }();
    if (!failure.isEmpty() && error)
        *error = failure;
    return failure.isEmpty() ? &library : nullptr;
}
