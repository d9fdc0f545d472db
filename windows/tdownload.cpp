// SPDX-License-Identifier: MIT
#include "tdownload.h"

#include "closedsign.h"

#include "config.h"
#include "curlloader.h"
#include "look.h"
#include "offerpicture.h"
#include "paths.h"
#include "tchat.h"
#include "tplayothers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QSize PictureSize(700, 260);

QLabel *makeLabel(const QString &text, QWidget *parent, int pixelSize, bool bold, bool italic = false)
{
    QLabel *label = look::label(text, parent, pixelSize, bold);
    if (italic) {
        QFont f = label->font();
        f.setItalic(true);
        label->setFont(f);
    }
    return label;
}

QPushButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    button->setFont(font);
    button->setMinimumHeight(30);
    button->setAutoDefault(false);
    return button;
}

} // namespace

#ifdef Q_OS_WIN
bool Tdownload::installerRunsHere = true;
#else
bool Tdownload::installerRunsHere = false;
#endif

Tdownload::Tdownload(Forms &forms, QWidget *parent)
    : QDialog(parent), launcher(&Tdownload::startProgram), installerUrl(config::LobbyInstallerUrl),
      lobbyProgram(config::lobbyProgramPath()), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Download The Qorb42 Lobby"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(724, 500);
    look::applyTiledBackground(this);
    showMessage = [this](const QString &text) { QMessageBox::information(this, windowTitle(), text); };

    // The picture across the top, with the sign hung under the lobby's name.
    image = new OfferPicture(PictureSize, this);
    label_closed = new ClosedSign(QStringLiteral("IS CLOSED"), image);
    label_closed->adjustSize();
    label_closed->move((PictureSize.width() - label_closed->width()) / 2, 64);

    label_offer = makeLabel(QStringLiteral("Download The Qorb42 Lobby Now to play this  and other exciting games "
                                           "online with other players!"),
                            this, 15, true);
    label_offer->setAlignment(Qt::AlignCenter);
    getbutton = makeButton(QStringLiteral("Download And Install The Qorb42 Lobby Now"), this);
    abortbutton = makeButton(QStringLiteral("&Stop Download"), this);
    abortbutton->setEnabled(false);
    infolabel = makeLabel(QString(), this, 14, true);
    infolabel->setWordWrap(false);
    infolabel->setProperty("Tag", 0);
    infolabel2 = makeLabel(QString(), this, 12, false);
    infolabel2->hide();
    infolabel3 = makeLabel(QString(), this, 12, false);
    infolabel3->setWordWrap(false);
    label_windowsonly = makeLabel(QStringLiteral("The Qorb42 Lobby installer is for Windows: on this computer, play "
                                                 "with others through Velloc's own Play with Others window."),
                                  this, 12, true);
    label_windowsonly->setObjectName(QStringLiteral("label_windowsonly"));

    label_solo = makeLabel(QStringLiteral("To proceed to the game without the ability to play against others click "
                                          "the button below."),
                           this, 12, false);
    Button1 = makeButton(QStringLiteral("Play S&olo Game"), this);
    label_firewall = makeLabel(QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                                              "FIREWALL to allow the game to access the internet components."),
                               this, 11, false, true);
    label_others = makeLabel(QStringLiteral("If you already have The Qorb42 Lobby and you wish to play with others "
                                            "then click the button below to close this game and open The Qorb42 "
                                            "Lobby."),
                             this, 12, false);
    Button2 = makeButton(QStringLiteral("Play with Others"), this);

    // The offer: download, stop, and how far it got.
    auto *progressTexts = new QVBoxLayout;
    progressTexts->setSpacing(0);
    progressTexts->addWidget(infolabel);
    progressTexts->addWidget(infolabel3);
    progressTexts->addWidget(infolabel2);

    auto *offer = new QHBoxLayout;
    offer->setSpacing(10);
    offer->addWidget(getbutton);
    offer->addWidget(abortbutton);
    offer->addSpacing(6);
    offer->addLayout(progressTexts, 1);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    {
        QPalette pal = rule->palette();
        pal.setColor(QPalette::WindowText, look::Cream);
        rule->setPalette(pal);
    }

    // Below the rule: go on alone, or go to the lobby.
    auto *solo = new QVBoxLayout;
    solo->setSpacing(5);
    solo->addWidget(label_solo);
    solo->addWidget(Button1);
    solo->addWidget(label_firewall);
    solo->addStretch(1);

    auto *others = new QVBoxLayout;
    others->setSpacing(5);
    others->addWidget(label_others);
    others->addWidget(Button2);
    others->addStretch(1);

    auto *choices = new QHBoxLayout;
    choices->setSpacing(28);
    choices->addLayout(solo, 1);
    choices->addLayout(others, 1);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(12, 10, 12, 10);
    root->setSpacing(8);
    root->addWidget(image, 0, Qt::AlignHCenter);
    root->addWidget(label_offer);
    root->addLayout(offer);
    root->addWidget(label_windowsonly);
    root->addWidget(rule);
    root->addLayout(choices, 1);

    http = new HttpDownload(this);
    connect(http, &HttpDownload::headerLine, this, &Tdownload::httpHeaderLine);
    connect(http, &HttpDownload::bodyStarted, this, &Tdownload::httpBodyStarted);
    connect(http, &HttpDownload::progress, this, &Tdownload::httpProgress);
    connect(http, &HttpDownload::finished, this, &Tdownload::httpFinished);

    // An installer for another system is never fetched, let alone run: the
    // button leads to our own way of playing with others.
    m_offersDownload = installerRunsHere;
    label_windowsonly->setVisible(!m_offersDownload);
    if (!m_offersDownload) {
        getbutton->setText(QStringLiteral("&Play with Others"));
        abortbutton->hide();
    }
    getbutton->setDefault(true);
    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

Tdownload::~Tdownload() = default;

bool Tdownload::startProgram(const QString &program, const QStringList &args)
{
    return QProcess::startDetached(program, args, QFileInfo(program).absolutePath());
}

int Tdownload::infolabelTag() const { return infolabel->property("Tag").toInt(); }

void Tdownload::setInfolabelTag(int tag) { infolabel->setProperty("Tag", tag); }

bool Tdownload::hasPicture() const { return image->hasPicture(); }

QString Tdownload::installerPath() const
{
    return downloadFolder() + (m_fileName.isEmpty() ? QUrl(installerUrl).fileName() : m_fileName);
}

void Tdownload::getbuttonClick()
{
    if (!m_offersDownload) {
        openPlayWithOthers();
        return;
    }
    if (http->isRunning())
        return;
    setInfolabelTag(1);
    m_fileName = QUrl(installerUrl).fileName();
    infolabel2->setText(m_fileName);
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QStringLiteral("Loading"));
    infolabel3->clear();

    // The name comes from the address; it must stay a plain name inside the
    // program folder.
    const bool plainName = !m_fileName.isEmpty() && m_fileName != QLatin1String(".")
        && m_fileName != QLatin1String("..") && !m_fileName.contains(QLatin1Char('/'))
        && !m_fileName.contains(QLatin1Char('\\'));
    if (plainName)
        QDir().mkpath(QFileInfo(installerPath()).absolutePath());
    if (!plainName || !http->start(installerUrl, installerPath())) {
        httpFinished(HttpDownload::Outcome::Failed);
        // Without libcurl nothing can be fetched: the player reads why.
        if (plainName && !CurlLibrary::get())
            showMessage(http->errorText());
    }
}

void Tdownload::abortbuttonClick()
{
    if (!http->isRunning())
        return;
    infolabel->setText(QStringLiteral("Download has been aborted."));
    setInfolabelTag(2);
    infolabel3->setText(QStringLiteral("Download Aborted"));
    http->abort();
}

void Tdownload::Button1Click() { close(); }

void Tdownload::Button2Click()
{
    if (!QFileInfo(lobbyProgram).isFile()) {
        // Without the lobby, our own window hosts and joins tables.
        if (openPlayWithOthers())
            return;
        showMessage(QStringLiteral("Please close the game and open the Qorb42 Lobby using the icon on your desktop or "
                                   "using the your Window's start-up menu."));
        return;
    }
    if (launcher && launcher(lobbyProgram, {}))
        exitGame();
    else
        showMessage(QStringLiteral("An Error has Occurred."));
}

bool Tdownload::openPlayWithOthers()
{
    if (!m_forms.playothers)
        return false;
    hide();
    m_forms.playothers->show();
    m_forms.playothers->raise();
    m_forms.playothers->activateWindow();
    return true;
}

void Tdownload::httpHeaderLine() { infolabel->setText(infolabel->text() + QLatin1Char('.')); }

void Tdownload::httpBodyStarted() { infolabel3->setText(QStringLiteral("Downloading: ") + m_fileName); }

void Tdownload::httpProgress(qint64 bytes) { infolabel->setText(QString::number(bytes) + QStringLiteral(" bytes")); }

void Tdownload::httpFinished(HttpDownload::Outcome outcome)
{
    const bool complete = outcome == HttpDownload::Outcome::Complete;
    if (complete) {
        infolabel->setText(QStringLiteral("Received ") + QString::number(QFileInfo(installerPath()).size())
                           + QStringLiteral(" bytes"));
    } else {
        // A stop from the player has already said so; anything else is a failure.
        if (outcome == HttpDownload::Outcome::Failed)
            infolabel->setText(QStringLiteral("Download Aborted"));
        setInfolabelTag(2);
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);

    if (complete) {
        infolabel3->setText(QStringLiteral("Installing"));
        const QString program = installerPath();
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        const QStringList args = config::InstallerArguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (launcher && launcher(program, args))
            exitGame();
        else
            showMessage(QStringLiteral("An Error has Occurred."));
    }
    emit downloadDone(complete);
}

void Tdownload::exitGame()
{
    hide();
    if (m_forms.chat)
        m_forms.chat->close();
}

void Tdownload::hideEvent(QHideEvent *e)
{
    // Leaving the window means going on with the solo game: a download still
    // running would otherwise start an installer and end that game later.
    if (!e->spontaneous() && http->isRunning())
        abortbuttonClick();
    QDialog::hideEvent(e);
}
