// SPDX-License-Identifier: MIT
// A table window in a test: the whole program's windows, with its files in a
// temporary folder, joined to a scripted host (or hosting on a free port).
#pragma once

#include "fakehost.h"
#include "paths.h"
#include "program.h"
#include "sounds.h"
#include "tchat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Table {
    QTemporaryDir dir;
    FakeHost host;
    std::unique_ptr<Program> program;
    Tchat *chat = nullptr;
    QStringList boxes;  // message boxes shown
    QStringList sounds; // sounds the player would hear
    QStringList questions; // questions asked, each answered yes

    // Joins the scripted host as `name`; with seat > 0 it is logged in there.
    explicit Table(int seat = 0, const QByteArray &name = "Ann") { open({QString::fromLatin1(name), "127.0.0.1", "x"}, QString::number(host.port()), seat, name); }
    Table(const QStringList &args, const QString &port) { open(args, port, 0, {}); }

    void open(const QStringList &args, const QString &port, int seat, const QByteArray &name)
    {
        setProgramFolder(dir.path());
        // Tests hear no sound; they act as if a device were there.
        SoundPlayer::deviceProbe = [] { return true; };
        Tchat::messageBox = [this](QWidget *, const QString &t) { boxes << t; };
        Tchat::questionBox = [this](QWidget *, const QString &q) {
            questions << q;
            return true;
        };
        program = std::make_unique<Program>(args, port);
        chat = program->forms.chat;
        QObject::connect(chat, &Tchat::soundRequested, [this](const QString &s) { sounds << s; });
        chat->show();
        if (seat > 0) {
            host.waitForClient();
            login(seat, name);
        }
    }

    void login(int seat, const QByteArray &name)
    {
        host.send("CMD_sendlogininfo+" + QByteArray::number(seat));
        host.take("CMD_logininfo");
        host.take("CMD_velloc+"); // our table announces itself; this host ignores it
        host.send("CMD_newplayerinfo+" + QByteArray::number(seat) + "+" + name);
        sync();
    }

    // Returns once the table window has handled everything sent before.
    bool sync()
    {
        static int n = 0;
        const QString mark = QStringLiteral("sync %1").arg(++n);
        host.send("CMD_chat+" + mark.toLatin1() + "|clBlack");
        const bool ok = TestClient::waitFor([&] { return log().contains(mark); });
        return ok;
    }

    // The settings file of this table's folder.
    QString ini() const { return dir.filePath(QStringLiteral("qorblobby.ini")); }

    QStringList log() const
    {
        QStringList lines = chat->mainchat->toPlainText().split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }
    // The log without the sync marks.
    QStringList notices() const
    {
        QStringList lines = log();
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const QString &l) { return l.startsWith(QLatin1String("sync ")); }),
                    lines.end());
        return lines;
    }

    ~Table()
    {
        program.reset();
        Tchat::messageBox = nullptr;
        Tchat::questionBox = nullptr;
    }
};
