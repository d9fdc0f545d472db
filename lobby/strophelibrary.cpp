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
    const QString problem = opened.problem(QStringLiteral("The lobby needs"), QStringLiteral("libstrophe"), "libstrophe0");
    if (problem.isEmpty())
        library.initialize();
    return problem;
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
