// SPDX-License-Identifier: MIT
#include "strophelibrary.h"

#include "sharedlibrary.h"

namespace {

const char *fileName = StropheLibrary::FileName;
StropheLibrary library;
bool tried = false;
QString failure;

QString load()
{
    const OpenedLibrary opened(fileName, [](OpenedLibrary &l) {
#define VELLOC_STROPHE_RESOLVE(f) l.resolve(library.f, "xmpp_" #f);
        VELLOC_STROPHE_FUNCTIONS(VELLOC_STROPHE_RESOLVE)
#undef VELLOC_STROPHE_RESOLVE
    });
    if (!opened.opened())
        return QStringLiteral("The lobby needs the libstrophe library (%1, Debian package libstrophe0), "
                              "which is not installed on this computer.")
            .arg(QString::fromLatin1(fileName));
    if (!opened.ok())
        return QStringLiteral("The libstrophe library on this computer (%1) is too old for the lobby: it lacks %2.")
            .arg(QString::fromLatin1(fileName), opened.missing());
    library.initialize();
    return QString();
}

} // namespace

const StropheLibrary *StropheLibrary::get(QString *error)
{
    if (!tried) {
        failure = load();
        tried = true;
    }
    if (!failure.isEmpty() && error)
        *error = failure;
    return failure.isEmpty() ? &library : nullptr;
}

void StropheLibrary::setFileNameForTest(const char *name)
{
    fileName = name;
    tried = false;
}
