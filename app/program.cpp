// SPDX-License-Identifier: MIT
#include "program.h"

#include "hostedtable.h"
#include "lobbyhub.h"
#include "portmapper.h"
#include "tabout.h"
#include "tchat.h"
#include "tdownload.h"
#include "tgamestart.h"
#include "tlobby.h"
#include "thelp.h"
#include "tphrases.h"
#include "tplayothers.h"
#include "tserver.h"
#include "tspylist.h"
#include "ttallylist.h"
#include "look.h"
#include "windowmakers.h"
#include "velloc_resources.h"

Program::Program(const QStringList &args, const QString &gamePort, bool mapRouterPort)
{
    initVellocResources();
    forms.chat = new Tchat(forms);
    forms.chat->setArguments(args);
    forms.chat->setGamePort(gamePort);
    forms.server = new TServer();
    makeWindowsOnFirstUse(forms);

    Tchat *chat = forms.chat;
    QObject::connect(chat, &Tchat::hosting, chat, [this, mapRouterPort](quint16 port) {
        m_hosted = std::make_unique<HostedTable>(forms, port, mapRouterPort);
    });
    if (mapRouterPort)
        QObject::connect(chat, &Tchat::hosting, chat, [this](quint16 port) { this->mapRouterPort(port); });
}

// Only a player who hosts from Play with Others with the box ticked asks
// the router; the answer goes to the chat and to that window.
void Program::mapRouterPort(quint16 port)
{
    m_mapper = std::make_unique<PortMapper>();
    Tchat *chat = forms.chat;
    Tplayothers *window = forms.playothers;
    QObject::connect(m_mapper.get(), &PortMapper::finished, chat, [this, chat, window](const PortMapper::Result &r) {
        if (m_hosted)
            m_hosted->routerResult(r.mapped, r.externalAddress, r.port);
        chat->addlinetochat(r.message, look::NoticeBlue);
        window->setRouterStatus(r.message);
    });
    chat->addlinetochat(QStringLiteral("Asking the router to open port %1...").arg(port), look::NoticeBlue);
    window->setRouterStatus(QStringLiteral("Asking the router to open port %1...").arg(port));
    m_mapper->start(port, routerDescriptionUrl);
}

Program::~Program()
{
    // Reverse order of creation: the host goes before the table window, and
    // the table window takes the dialogs it parents with it. Players of
    // ours hear that the table closes before their connections end, and the
    // router forwarding goes with the table.
    m_hosted.reset();
    m_mapper.reset();
    delete forms.lobby.take();
    delete forms.playothers.take();
    delete forms.spylist.take();
    if (forms.server)
        forms.server->shutdown();
    delete forms.server;
    delete forms.phrases.take();
    delete forms.help.take();
    delete forms.gamestart.take();
    delete forms.download.take();
    delete forms.about.take();
    delete forms.tallylist.take();
    delete forms.chat;
    forms = Forms{};
}
