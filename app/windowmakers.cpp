// SPDX-License-Identifier: MIT
#include "windowmakers.h"

#include "lobbyhub.h"
#include "paths.h"
#include "tallygrid.h"
#include "tabout.h"
#include "tchat.h"
#include "tdownload.h"
#include "tgamestart.h"
#include "thelp.h"
#include "tlobby.h"
#include "tphrases.h"
#include "tplayothers.h"
#include "tspylist.h"
#include "ttallylist.h"

#include <QFile>

void makeWindowsOnFirstUse(Forms &forms)
{
    Forms *f = &forms;
    Tchat *chat = forms.chat;
    forms.tallylist.setMaker([f, chat] { return new Ttallylist(*f, chat); });
    forms.about.setMaker([f, chat] { return new Tabout(*f, chat); });
    forms.download.setMaker([f] { return new Tdownload(*f, nullptr); });
    // The table window kept the choices and the watchers until now.
    forms.gamestart.setMaker([f, chat] {
        auto *window = new Tgamestart(*f, chat);
        chat->gameStartMade(window);
        return window;
    });
    forms.help.setMaker([f, chat] { return new Thelp(*f, chat); });
    forms.phrases.setMaker([f, chat] { return new Tphrases(*f, chat); });
    forms.spylist.setMaker([f, chat] {
        auto *window = new Tspylist(*f, chat);
        chat->spies.attach(window);
        return window;
    });
    forms.playothers.setMaker([f, chat] {
        auto *window = new Tplayothers(*f, chat);
        window->launch = [chat](const QStringList &launchArgs, bool map) {
            if (chat->relaunch)
                chat->relaunch(launchArgs, map);
        };
        return window;
    });
    forms.lobby.setMaker([f, chat] { return new Tlobby(*f, LobbyHub::instance(), chat); });
    // A lobby window open when the table changed (hosting, joining) opens
    // again beside the new one.
    if (LobbyHub::instance().windowWanted())
        forms.lobby.get();
    // A damaged tally file is reported at start, as it always was, by the
    // tally window: it is made at once then.
    TallyGrid tally;
    if (QFile::exists(tallyFilePath()) && !TallyFile::read(tallyFilePath(), tally, nullptr))
        forms.tallylist.get();
}
