// SPDX-License-Identifier: MIT
#include "tableshell.h"

#include "program.h"
#include "singleinstance.h"
#include "tchat.h"

#include <QCoreApplication>
#include <QTimer>

TableShell::TableShell(SingleInstance *guard, const QString &gamePort) : m_guard(guard), m_gamePort(gamePort) {}

TableShell::~TableShell() = default;

void TableShell::open(const QStringList &args, bool mapRouterPort, const QRect &place)
{
    m_program = std::make_unique<Program>(args, m_gamePort, mapRouterPort);
    Tchat *chat = m_program->forms.chat;
    if (m_guard)
        m_guard->onRaise = [chat] {
            if (chat->isMinimized())
                chat->showNormal();
            chat->raise();
            chat->activateWindow();
        };
    chat->relaunch = [this, chat](const QStringList &next, bool map) {
        if (!chat->leaveTableOk())
            return;
        m_next = {next, map, true};
        chat->close();
    };
    // Not from inside the window's own close: it is deleted next.
    QObject::connect(chat, &Tchat::closed, chat, [this] {
        QTimer::singleShot(0, QCoreApplication::instance(), [this] { closed(); });
    });
    if (onOpen)
        onOpen(*m_program);
    if (place.isValid())
        chat->setGeometry(place);
    chat->show();
}

void TableShell::closed()
{
    if (!m_next.pending) {
        if (onEnd)
            onEnd();
        else
            QCoreApplication::quit();
        return;
    }
    const Next next = m_next;
    m_next = {};
    const QRect place = m_program->forms.chat->geometry();
    m_program.reset(); // the old host lets go of its port first
    open(next.args, next.map, place);
}
