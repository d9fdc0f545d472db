// SPDX-License-Identifier: MIT
// The table window's record of the game: the game log in the chat, the
// final standings under the winner's banner, the player's own lines in the
// second person, and what a screen reader is told about the table.
#include "tchat.h"

#include "bones.h"
#include "tablewidgets.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTextEdit>

namespace {
bool isSeat(int n) { return n >= 1 && n <= Tchat::Seats; }
const QColor LogGrey(96, 96, 96);
} // namespace

void Tchat::logGame(const QByteArray &name, const QByteArray &args)
{
    const QStringList lines = m_gameLog.lines(name, args);
    if (lines.isEmpty())
        return;
    if (m_gameLogOn)
        for (const QString &line : lines)
            addlinetochat(line, LogGrey);
    announce(lines.join(QLatin1Char(' ')));
}

// What happened, for a screen reader: the status line's accessible name
// carries the last event with the status, and its change is announced.
void Tchat::announce(const QString &text)
{
    m_lastAnnouncement = text;
    refreshAccessible();
    QAccessibleEvent changed(label_status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void Tchat::refreshAccessible()
{
    const QString status = label_status->text();
    label_status->setAccessibleName(m_lastAnnouncement.isEmpty() ? status
                                                                  : m_lastAnnouncement + QLatin1Char(' ') + status);
    for (int n = 1; n <= Seats; ++n) {
        QString text = QStringLiteral("seat %1, %2").arg(n).arg(label_playername[size_t(n)]->text());
        const QString score = label_score[size_t(n)]->text();
        if (!score.isEmpty())
            text += QStringLiteral(", %1 point%2").arg(score, score == QLatin1String("1") || score == QLatin1String("-1") ? "" : "s");
        const QString bones = label_bones[size_t(n)]->text();
        if (!bones.isEmpty())
            text += QStringLiteral(", %1 bone%2").arg(bones, bones == QLatin1String("1") ? "" : "s");
        if (image_eyes[size_t(n)]->isVisibleTo(panel_main))
            text += QStringLiteral(", just watching");
        if (image_turn[size_t(n)]->isVisibleTo(panel_main))
            text += QStringLiteral(", has the turn");
        label_playername[size_t(n)]->setAccessibleName(text);
    }
    for (int t = 1; t <= Toes; ++t) {
        // The open end: the spinner's value until the toe has a bone.
        int open = spinnerbone == -1 ? -1 : gettopnum(spinnerbone);
        for (int p = Positions; p >= 1; --p)
            if (cells[t][p].bone) {
                open = cells[t][p].flip ? gettopnum(cells[t][p].bone) : getbotnum(cells[t][p].bone);
                break;
            }
        image_toe[size_t(t)]->setAccessibleName(open < 0 ? QStringLiteral("toe %1").arg(t)
                                                         : QStringLiteral("toe %1, open end %2").arg(t).arg(open));
    }
}

void Tchat::showFinalStandings()
{
    const QList<GameLog::Standing> standings = m_gameLog.standings();
    if (standings.isEmpty()) {
        label_finalstandings->hide();
        return;
    }
    QString html = QStringLiteral("<table cellspacing='0' cellpadding='1' align='center'>");
    QStringList spoken;
    for (const GameLog::Standing &s : standings) {
        html += QStringLiteral("<tr><td align='right'>%1.&nbsp;</td><td>%2</td><td align='right'>&nbsp;&nbsp;%3</td></tr>")
                    .arg(s.place)
                    .arg(s.name.toHtmlEscaped())
                    .arg(s.total);
        spoken << QStringLiteral("%1. %2, %3").arg(s.place).arg(s.name).arg(s.total);
    }
    label_finalstandings->setText(html + QStringLiteral("</table>"));
    label_finalstandings->setAccessibleName(QStringLiteral("Final standings: ") + spoken.join(QStringLiteral("; ")));
    label_finalstandings->adjustSize();
    label_finalstandings->resize(qMax(220, label_finalstandings->width() + 24), label_finalstandings->height() + 8);
    label_finalstandings->move(144 + (585 - label_finalstandings->width()) / 2, 56);
    label_finalstandings->show();
    label_finalstandings->raise();
}

// The player's own doings in the second person, in his own window only.
QString Tchat::ownLine(const QString &line) const
{
    const QString me = m_playerName;
    if (me.isEmpty())
        return line;
    if (line == me + QStringLiteral(" has started a game."))
        return QStringLiteral("You started a game.");
    const QString says = me + QStringLiteral(" says: ");
    if (line.startsWith(says))
        return QStringLiteral("You say: ") + line.mid(says.size());
    const QString chats = me + QStringLiteral(" chats: ");
    if (line.startsWith(chats))
        return QStringLiteral("You chat: ") + line.mid(chats.size());
    return line;
}
