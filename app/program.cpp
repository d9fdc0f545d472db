#include "program.h"

#include "tabout.h"
#include "tchat.h"
#include "tdownload.h"
#include "tgamestart.h"
#include "thelp.h"
#include "tphrases.h"
#include "tserver.h"
#include "tspylist.h"
#include "ttallylist.h"
#include "velloc_resources.h"

Program::Program(const QStringList &args, const QString &gamePort)
{
    initVellocResources();
    forms.chat = new Tchat(forms);
    forms.chat->setArguments(args);
    forms.chat->setGamePort(gamePort);
    forms.tallylist = new Ttallylist(forms, forms.chat);
    forms.about = new Tabout(forms, forms.chat);
    forms.download = new Tdownload(forms, nullptr);
    forms.gamestart = new Tgamestart(forms, forms.chat);
    forms.help = new Thelp(forms, forms.chat);
    forms.phrases = new Tphrases(forms, forms.chat);
    forms.server = new TServer();
    forms.spylist = new Tspylist(forms, forms.chat);
}

Program::~Program()
{
    // Reverse order of creation: the host goes before the table window, and
    // the table window takes the dialogs it parents with it.
    delete forms.spylist;
    delete forms.server;
    delete forms.phrases;
    delete forms.help;
    delete forms.gamestart;
    delete forms.download;
    delete forms.about;
    delete forms.tallylist;
    delete forms.chat;
    forms = Forms{};
}
