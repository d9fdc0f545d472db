// SPDX-License-Identifier: MIT
// What the table window keeps for the windows made on first use: the game
// start choices until the dialog exists, and the lobby offer of a solo table.
#include "tchat.h"

#include "tdownload.h"
#include "tgamestart.h"

#include <QTimer>

void Tchat::gameStartMade(Tgamestart *window)
{
    window->setRounds(m_rounds);
    window->checkit(QStringLiteral("image_newcomers%1").arg(m_newcomers));
    window->setComputerPlayers(m_computerPlayers);
    window->setComputerLevel(m_computerLevel);
    window->setHintsAllowed(m_allowHints);
}

int Tchat::roundsChosen() const { return m_forms.gamestart.built() ? m_forms.gamestart.built()->rounds() : m_rounds; }

int Tchat::newcomersChosen() const
{
    return m_forms.gamestart.built() ? m_forms.gamestart.built()->newcomersOption() : m_newcomers;
}

// Made and shown once the player sits at his table, so the table paints and
// logs in first.
void Tchat::offerLobby()
{
    if (m_lobbyOffered || !m_args.isEmpty() || m_closing)
        return;
    m_lobbyOffered = true;
    if (m_forms.download)
        m_forms.download->show();
}
