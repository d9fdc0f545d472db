// SPDX-License-Identifier: MIT
// The program's windows. The table window and the host are created at start;
// every other window the first time it is used (see OnFirstUse). Each window
// reaches the others through this table, as the windows of one program do.
#pragma once

#include "onfirstuse.h"

class Tchat;
class Ttallylist;
class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;
class Tplayothers;
class Tlobby;

struct Forms {
    Tchat *chat = nullptr;
    OnFirstUse<Ttallylist> tallylist;
    OnFirstUse<Tabout> about;
    OnFirstUse<Tdownload> download;
    OnFirstUse<Tgamestart> gamestart;
    OnFirstUse<Thelp> help;
    OnFirstUse<Tphrases> phrases;
    TServer *server = nullptr;
    OnFirstUse<Tspylist> spylist;
    OnFirstUse<Tplayothers> playothers;
    OnFirstUse<Tlobby> lobby;
};
