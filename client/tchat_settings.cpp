// SPDX-License-Identifier: MIT
// The table window's settings: reading them when the player is seated,
// writing each change, the window's place, and the sounds.
#include "tchat.h"

#include "colortext.h"
#include "failure.h"
#include "look.h"
#include "paths.h"
#include "settingsfile.h"
#include "sounds.h"
#include "tablewidgets.h"
#include "tabout.h"
#include "tdownload.h"
#include "tgamestart.h"
#include "thelp.h"
#include "tphrases.h"
#include "tserver.h"
#include "tspylist.h"
#include "ttallylist.h"
#include "turl.h"
#include "velloc_resources.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

namespace {
const char *const SettingsSection = "Chickenfoot";
} // namespace

void Tchat::applyPlacement(int left, int top, int width, int height)
{
    move(left, top);
    resize(width, height);
}

void Tchat::loadinifile()
{
    SettingsFile ini(settingsFilePath());
    ini.load();
    const QString sec = QString::fromLatin1(SettingsSection);
    // Values far outside what a table can use are pulled back when applied;
    // the file itself changes only at the next save.
    const int textsize = ini.readInteger(sec, QStringLiteral("Textsize"), 8);
    m_savedTop = ini.readInteger(sec, QStringLiteral("Top"), 3);
    m_savedLeft = ini.readInteger(sec, QStringLiteral("Left"), 3);
    m_savedWidth = ini.readInteger(sec, QStringLiteral("Width"), 790);
    m_savedHeight = ini.readInteger(sec, QStringLiteral("Height"), 578);
    QRect place(m_savedLeft, m_savedTop, m_savedWidth, m_savedHeight);
    const QSize least = minimumSizeHint().expandedTo(QSize(Tchat::PanelWidth + 4, Tchat::PanelHeight + 4));
    place.setSize(place.size().expandedTo(least));
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableVirtualGeometry();
        bool onAScreen = false;
        for (QScreen *s : QGuiApplication::screens())
            onAScreen |= s->availableGeometry().intersected(place).width() >= 100
                         && s->availableGeometry().intersected(place).height() >= 50;
        if (place.width() > area.width() * 3 || place.height() > area.height() * 3)
            place.setSize(area.size().expandedTo(least));
        if (!onAScreen)
            place.moveTo(area.topLeft() + QPoint(3, 3));
    }
    applyPlacement(place.left(), place.top(), place.width(), place.height());
    N14Click(qBound(6, textsize, 48), false);
    for (QAction *a : textSizes)
        a->setChecked(a->objectName() == QStringLiteral("N%1").arg(textsize));

    QColor c;
    m_chatColour = stringToColor(ini.readString(sec, QStringLiteral("Textcolor"), QStringLiteral("clblack")), c) ? c : Qt::black;
    setChatColour(m_chatColour);
    m_actionColour = stringToColor(ini.readString(sec, QStringLiteral("Actioncolor"), QStringLiteral("clblack")), c) ? c : Qt::black;

    int n = 0;
    const QString rounds = ini.readString(sec, QStringLiteral("Playtoscore"), QStringLiteral("10"));
    if (tryStrToInt(rounds.toLatin1(), n))
        m_rounds = qBound(3, n, 10);
    const QString newcomers = ini.readString(sec, QStringLiteral("Newcomers"), QStringLiteral("1"));
    if (tryStrToInt(newcomers.toLatin1(), n))
        m_newcomers = n == 2 || n == 3 ? n : 1;

    // The computer players: numbers outside what the dialog offers are
    // pulled back into range.
    m_computerPlayers = qBound(1, ini.readInteger(sec, QStringLiteral("Computerplayers"), 1), 5);
    m_computerLevel = ini.readString(sec, QStringLiteral("Computerlevel"), QStringLiteral("Normal"))
                              .compare(QLatin1String("Strong"), Qt::CaseInsensitive) == 0
                          ? 2
                          : 1;
    m_allowHints = ini.readString(sec, QStringLiteral("Allowhints"), QStringLiteral("false")) == QLatin1String("true");
    if (Tgamestart *dialog = m_forms.gamestart.built())
        gameStartMade(dialog);

    const QString speed = ini.readString(sec, QStringLiteral("Botspeed"), QString());
    m_botDelay = speed == QLatin1String("2000") ? 2000 : speed == QLatin1String("500") ? 500 : 1000;
    (m_botDelay == 2000 ? Slow1 : m_botDelay == 500 ? Fast1 : Normal1)->setChecked(true);
    if (m_forms.server)
        m_forms.server->setBotDelay(m_botDelay);

    for (int i = 1; i <= Phrases; ++i) {
        const QString p = ini.readString(sec, QStringLiteral("Phrase%1").arg(i), QString());
        if (!p.isEmpty())
            setPhrase(i, p);
    }
    m_turnSound = ini.readString(sec, QStringLiteral("Turnsound"), QStringLiteral("0")) == QLatin1String("1") ? 1 : 0;
    (m_turnSound ? New1 : Classic1)->setChecked(true);
    m_soundsWanted = ini.readString(sec, QStringLiteral("Playsounds"), QString()) != QLatin1String("false");
    PlaySounds1->setChecked(m_soundsWanted && !sounds->deviceMissing());
    m_gameLogOn = ini.readString(sec, QStringLiteral("Gamelog"), QString()) != QLatin1String("false");
    GameLog1->setChecked(m_gameLogOn);
    sounds->setEnabled(PlaySounds1->isChecked());
    m_settingsLoaded = true;
}

void Tchat::saveinifile()
{
    const QList<QPair<QString, QString>> all = {
        {QStringLiteral("Textsize"), QString::number(mainchat->font().pointSize())},
        {QStringLiteral("Top"), QString::number(y())},
        {QStringLiteral("Left"), QString::number(x())},
        {QStringLiteral("Width"), QString::number(width())},
        {QStringLiteral("Height"), QString::number(height())},
        {QStringLiteral("Textcolor"), colorToString(m_chatColour)},
        {QStringLiteral("Actioncolor"), colorToString(m_actionColour)},
        {QStringLiteral("Playtoscore"), QString::number(roundsChosen())},
        {QStringLiteral("Newcomers"), QString::number(newcomersChosen())},
        {QStringLiteral("Botspeed"), QString::number(m_botDelay)},
        {QStringLiteral("Computerplayers"), QString::number(computerPlayersChosen())},
        {QStringLiteral("Computerlevel"), computerLevelChosen() == 2 ? QStringLiteral("Strong") : QStringLiteral("Normal")},
        {QStringLiteral("Allowhints"), hintsChosen() ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("Turnsound"), QString::number(m_turnSound)},
        {QStringLiteral("Playsounds"), m_soundsWanted ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("Gamelog"), m_gameLogOn ? QStringLiteral("true") : QStringLiteral("false")},
    };
    writeSettings(all);
}

void Tchat::savePreference(const QString &key)
{
    // Before the settings were read once, only the changed key is written:
    // the rest still holds defaults that must not replace the stored ones.
    if (m_settingsLoaded) {
        saveinifile();
        return;
    }
    QString value;
    if (key == QLatin1String("Textsize"))
        value = QString::number(mainchat->font().pointSize());
    else if (key == QLatin1String("Textcolor"))
        value = colorToString(m_chatColour);
    else if (key == QLatin1String("Actioncolor"))
        value = colorToString(m_actionColour);
    else if (key == QLatin1String("Playtoscore"))
        value = QString::number(roundsChosen());
    else if (key == QLatin1String("Newcomers"))
        value = QString::number(newcomersChosen());
    else if (key == QLatin1String("Botspeed"))
        value = QString::number(m_botDelay);
    else if (key == QLatin1String("Computerplayers"))
        value = QString::number(computerPlayersChosen());
    else if (key == QLatin1String("Computerlevel"))
        value = computerLevelChosen() == 2 ? QStringLiteral("Strong") : QStringLiteral("Normal");
    else if (key == QLatin1String("Allowhints"))
        value = hintsChosen() ? QStringLiteral("true") : QStringLiteral("false");
    else if (key == QLatin1String("Turnsound"))
        value = QString::number(m_turnSound);
    else if (key == QLatin1String("Playsounds"))
        value = m_soundsWanted ? QStringLiteral("true") : QStringLiteral("false");
    else if (key == QLatin1String("Gamelog"))
        value = m_gameLogOn ? QStringLiteral("true") : QStringLiteral("false");
    else
        return;
    writeSettings({{key, value}});
}

void Tchat::writeSettings(const QList<QPair<QString, QString>> &keys)
{
    QString error;
    const QString path = settingsFilePath();
    if (SettingsFile::writeKeys(path, QString::fromLatin1(SettingsSection), keys, &error) || m_settingsWarned)
        return;
    m_settingsWarned = true;
    notice(QStringLiteral("Your settings could not be saved in %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void Tchat::playsounds(const QString &name)
{
    if (!PlaySounds1->isChecked())
        return;
    emit soundRequested(name);
    sounds->playsounds(name);
}
