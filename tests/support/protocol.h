// SPDX-License-Identifier: MIT
// The shape of every message the host sends, field by field, including
// which ones end with "+". Tests run every message they see through it.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>

inline bool wellFormedHostMessage(const QByteArray &message)
{
    static const QHash<QByteArray, QRegularExpression> shapes = [] {
        const char *const table[][2] = {
            {"CMD_sendlogininfo", R"(\d+)"},
            {"CMD_full", ""},
            {"CMD_newplayerinfo", R"(\d+\+.*)"},
            {"CMD_existingplayers", R"(\d+\+.*)"},
            {"CMD_havewrongversion", ".*"},
            {"CMD_wrongversion", ""},
            {"CMD_youplay", R"([23]\+\d+\+)"},
            {"CMD_gamestats", R"(\d+\+\d+\+\d+\+\d+\+[tf](\+-?\d+){6}(\+\*|(\+[1-3]\+\d+\+\d+\+[tf])+))"},
            {"CMD_dealmybones", R"([1-6](\+\d+\+\d+)+)"},
            {"CMD_playerdisconnected", R"(\d+\+.*)"},
            {"CMD_justwatching", R"([1-6]\+[12])"},
            {"CMD_chat", ".* chats: .*"},
            {"CMD_action", ".* .*"},
            {"CMD_startgame", R"(.*\+.*\+)"},
            {"CMD_startround", R"(\d+\+\d+\+\d+\+1\+t\+2\+t\+3\+[tf]\+4\+[tf]\+5\+[tf]\+6\+[tf])"},
            {"CMD_nextplayer", R"([1-6]\+[12](\+[tf]){3}(\+\d+){3}\+)"},
            {"CMD_noplay", R"([1-6]\+)"},
            {"CMD_heplayed", R"([1-6]\+\d+\+\d+\+[1-3]\+\d+\+[tf]\+\d+\+)"},
            {"CMD_double", R"([1-6]\+\d+\+\d+\+[1-3]\+\d+\+f\+\d+\+)"},
            {"CMD_beginagain", R"(\d+\+)"},
            {"CMD_hepassed", R"([1-6]\+)"},
            {"CMD_endround", R"([0-6](\+[1-6]\+-?\d+\+-?\d+)+)"},
            {"CMD_tiegame", ""},
            {"CMD_winner", R"(.*\+)"},
        };
        QHash<QByteArray, QRegularExpression> h;
        for (const auto &row : table)
            h.insert(row[0], QRegularExpression(QRegularExpression::anchoredPattern(
                                 QString::fromLatin1(row[1])), QRegularExpression::DotMatchesEverythingOption));
        return h;
    }();
    const qsizetype plus = message.indexOf('+');
    if (plus <= 0)
        return false;
    const auto it = shapes.constFind(message.left(plus));
    return it != shapes.constEnd() && it->match(QString::fromLatin1(message.mid(plus + 1))).hasMatch();
}
