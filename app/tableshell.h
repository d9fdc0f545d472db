// SPDX-License-Identifier: MIT
// TableShell: runs one table after another in this one process. Switching
// tables (Play with Others, Play Solo) closes the current table and opens the
// next with the command line the lobby would have used: the player never
// meets the one-copy guard or two table windows. Closing a table for any
// other reason ends the program.
#pragma once

#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>

class Program;
class SingleInstance;

class TableShell {
public:
    // gamePort as for Program ("0" in tests).
    explicit TableShell(SingleInstance *guard = nullptr, const QString &gamePort = QStringLiteral("7772"));
    ~TableShell();

    void open(const QStringList &args, bool mapRouterPort = false, const QRect &place = QRect());
    Program *program() const { return m_program.get(); }
    // Called instead of ending the program when the last table closed
    // (the program quits; tests record it).
    std::function<void()> onEnd;
    // Called on each new table before it is shown (tests set their hooks).
    std::function<void(Program &)> onOpen;

private:
    void closed();

    struct Next {
        QStringList args;
        bool map = false;
        bool pending = false;
    };
    SingleInstance *m_guard;
    QString m_gamePort;
    std::unique_ptr<Program> m_program;
    Next m_next;
};
