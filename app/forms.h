// The program's windows, created once at start in a fixed order. Each window
// reaches the others through this table, as the windows of one program do.
#pragma once

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
    Ttallylist *tallylist = nullptr;
    Tabout *about = nullptr;
    Tdownload *download = nullptr;
    Tgamestart *gamestart = nullptr;
    Thelp *help = nullptr;
    Tphrases *phrases = nullptr;
    TServer *server = nullptr;
    Tspylist *spylist = nullptr;
    Tplayothers *playothers = nullptr;
    Tlobby *lobby = nullptr;
};
