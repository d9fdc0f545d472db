// SPDX-License-Identifier: MIT
// The table window: creation, the launch decision and closing. Layout,
// settings, connection, game flow, hand and board, and chat live in the
// other tchat_*.cpp files.
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

std::function<void(QWidget *, const QString &)> Tchat::messageBox = [](QWidget *parent, const QString &text) {
    QMessageBox::information(parent, QStringLiteral("Velloc"), text);
};
std::function<bool(QWidget *, const QString &)> Tchat::questionBox = [](QWidget *parent, const QString &text) {
    return QMessageBox::question(parent, QStringLiteral("Velloc"), text) == QMessageBox::Yes;
};

namespace {

constexpr int DesignClientWidth = 782;
constexpr int DesignClientHeight = 532;

// The client area: the tiled backdrop, with panel_main kept at the same
// proportional place as the window grows.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget *parent) : QWidget(parent)
    {
        look::applyTiledBackground(this);
        setMinimumSize(Tchat::PanelWidth + 4, Tchat::PanelHeight + 4);
    }
    QWidget *panel = nullptr;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (!panel)
            return;
        const double cx = (1 + Tchat::PanelWidth / 2.0) / DesignClientWidth;
        const double cy = (Tchat::PanelHeight / 2.0) / DesignClientHeight;
        panel->move(qRound(cx * width() - Tchat::PanelWidth / 2.0), qRound(cy * height() - Tchat::PanelHeight / 2.0));
    }
};

} // namespace

Tchat::Tchat(Forms &forms, QWidget *parent)
    : QMainWindow(parent), sock(new TSock(this)), Sock11(new TSock(this)), m_forms(forms)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Velloc"));
    openLink = [](const QString &link) {
        const QUrl url = link.startsWith(QLatin1String("www."), Qt::CaseInsensitive)
                             ? QUrl(QStringLiteral("http://") + link)
                             : QUrl(link);
        return QDesktopServices::openUrl(url);
    };
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::FormCreate()
{
    m_noticeColour = look::NoticeBlue;
    m_phrases = {QString(), QStringLiteral("Way To Go!"), QStringLiteral("Good One!"), QStringLiteral("Nice Try!"),
                 QStringLiteral("Excellent!"), QStringLiteral("Brilliant!"), QStringLiteral("Wow, WTG!"),
                 QStringLiteral("Thanks!"), QStringLiteral("Way To Go Teamie!"),
                 QStringLiteral("Good Game Everyone!"), QStringLiteral("/me waves \"Good-Bye\"")};

    auto *client = new ClientArea(this);
    setCentralWidget(client);
    panel_main = new QWidget(client);
    panel_main->setObjectName(QStringLiteral("panel_main"));
    panel_main->setGeometry(1, 0, Tchat::PanelWidth, Tchat::PanelHeight);
    client->panel = panel_main;
    setFont(look::font(11));

    createMenus();
    createBoardAndHand();
    createSeatDisplay();
    createChatPanel();
    createOfferPanel();
    createKeys();
    m_gameLog.nameOf = [this](int seat) { return seat == m_ownSeat ? QStringLiteral("You") : seatName(seat); };
    applyTabOrder();
    for (int n = 1; n <= Seats; ++n)
        label_playername[size_t(n)]->installEventFilter(this);
    refreshAccessible();

    resize(m_defaultWidth, m_defaultHeight);
    move(3, 3);

    sounds = new SoundPlayer(this);
    // Without a sound device the player hears why once, and the menu shows
    // sounds off until a device appears; his own choice is kept as it was.
    connect(sounds, &SoundPlayer::deviceLost, this, [this] {
        PlaySounds1->setChecked(false);
        PlaySounds1->setEnabled(false);
        notice(QStringLiteral("No sound device was found; sounds are off until one is."));
    });
    connect(sounds, &SoundPlayer::deviceFound, this, [this] {
        PlaySounds1->setEnabled(true);
        PlaySounds1->setChecked(m_soundsWanted);
        sounds->setEnabled(m_soundsWanted);
        notice(QStringLiteral("A sound device was found; sounds are on again."));
    });

    sock->setPortName(m_gamePort);
    sock->OnRead = [this](TSock *s, int n) { guarded([&] { sockRead(s, n); }); };
    sock->OnInfo = [this](TSock *s, TSocketInfo k, const QString &m) { guarded([&] { sockInfo(s, k, m); }); };
    Sock11->setHostName(QStringLiteral("127.0.0.1"));
    Sock11->setPortName(QStringLiteral("9001"));
    // Nothing the lobby sends is for us, but it must not pile up unread: it
    // is read and dropped, and a lobby that never ends a message is let go.
    Sock11->OnRead = [this](TSock *s, int) {
        if (!m_lobbyFramer.feed(s->Receive(), [](QByteArray) {}))
            s->Close();
    };

    // Dispatch runs only while messages wait; the phrase lock on its own,
    // slower tick, so an idle table costs nothing.
    Timer1.setInterval(1);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([&] { Timer1Timer(); }); });
    cooldownTimer.setInterval(20);
    connect(&cooldownTimer, &QTimer::timeout, this, [this] { cooldownTick(); });

    clearall();
    m_hostFlag = false;
    m_turnSeat = 0;
    selectedbone = -1;
    spinnerbone = -1;
    clearallbones();
}

// Tab goes round the table as the eye does: the hand (its one bone that
// takes the focus), the toes, the buttons, the seats, then the chat.
void Tchat::applyTabOrder()
{
    QList<QWidget *> order;
    if (HandBone *bone = handBone(m_handCursor))
        order << bone;
    order << image_toe[1] << image_toe[2] << image_toe[3] << button_pass << button_start;
    for (int n = 1; n <= Seats; ++n)
        order << label_playername[size_t(n)];
    order << mainchat << mychat;
    for (int n = 1; n <= Phrases; ++n)
        order << b_phrase[size_t(n)];
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void Tchat::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
}

bool Tchat::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Image5 && e->type() == QEvent::MouseButtonPress) {
        if (m_forms.about)
            m_forms.about->URL1->open();
        return true;
    }
    if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)
        && std::find(label_playername.begin() + 1, label_playername.end(), watched) != label_playername.end()) {
        // A seat label shows the keyboard's focus with a dark band.
        auto *l = static_cast<QLabel *>(watched);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, look::DarkGreen);
        l->setPalette(pal);
        l->setAutoFillBackground(e->type() == QEvent::FocusIn);
    }
    if ((watched == panel_board->viewport() || watched == panel_bones->viewport()) && e->type() == QEvent::Resize) {
        updateBoardExtent();
        layoutHand();
    }
    if (watched == mainchat && e->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(e)->matches(QKeySequence::Copy)) {
        Copy1Click();
        return true;
    }
    if (watched == mainchat->viewport()) {
        if (e->type() == QEvent::MouseMove) {
            const auto *me = static_cast<QMouseEvent *>(e);
            mainchat->viewport()->setCursor(linkAt(me->position().toPoint()).isEmpty() ? Qt::IBeamCursor
                                                                                       : Qt::PointingHandCursor);
        } else if (e->type() == QEvent::MouseButtonPress) {
            const auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                const QString link = linkAt(me->position().toPoint());
                if (!link.isEmpty()) {
                    openLink(link);
                    return true;
                }
            }
        } else if (e->type() == QEvent::MouseButtonRelease) {
            mychat->setFocus();
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void Tchat::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (m_shown)
        return;
    m_shown = true;
    // Decide the launch mode once the window is on screen.
    QMetaObject::invokeMethod(this, [this] { guarded([&] { processparams(); }); }, Qt::QueuedConnection);
}

void Tchat::processparams()
{
    hideGameButton(button_start);
    StartGame1->setEnabled(false);
    m_logintext.clear();
    if (m_args.isEmpty()) {
        notice(QStringLiteral("Loading Solo Game..Please wait."));
        QTimer::singleShot(1000, this, [this] { offerLobby(); });
        m_hostAddress = QStringLiteral("127.0.0.1");
        m_playerName = QStringLiteral("You");
        // A solo table is for this computer alone; when its port is taken
        // (another copy, another program) any free port will do.
        m_forms.server->Sock1->setLoopbackOnly(true);
        try {
            hostpress();
        } catch (const ESockException &) {
            m_gamePort = QStringLiteral("0");
            hostpress();
        }
        return;
    }
    notice(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (m_args.size() < 3)
        return;
    m_playerName = m_args.at(0);
    m_hostAddress = m_args.at(1);
    // Beyond the lobby's three arguments: "--port N" picks the host's port.
    for (int i = 3; i < m_args.size(); ++i) {
        QString port;
        if (m_args[i] == QLatin1String("--port") && i + 1 < m_args.size())
            port = m_args[++i];
        else if (m_args[i].startsWith(QLatin1String("--port=")))
            port = m_args[i].mid(7);
        else
            continue;
        quint16 p = 0;
        if (hostaddress::parsePort(port, &p))
            m_gamePort = QString::number(p);
    }
    if (m_args.at(2) == QLatin1String("true")) {
        try {
            hostpress();
        } catch (const ESockException &e) {
            // The socket's own error in the platform's box, as for any
            // failed listen; then the table offers the other ways to play.
            reportFailure(QString::fromLocal8Bit(e.what()));
            m_hostFlag = false;
            hideGameButton(button_start);
            StartGame1->setEnabled(false);
            m_table = {QStringLiteral("127.0.0.1"), quint16(m_gamePort.toUInt())};
            notice(QStringLiteral("Could not host a table on port %1: %2").arg(m_gamePort, QString::fromLocal8Bit(e.what())));
            showOffer(Offer::JoinFailed,
                      QStringLiteral("Could not host a table on port %1: %2. Another program may be using the "
                                     "port; choose another in Play with Others.")
                          .arg(m_gamePort, QString::fromLocal8Bit(e.what())));
            button_reconnect->hide();
            return;
        }
    } else {
        joinpress();
    }
    try {
        Sock11->Open();
    } catch (const std::exception &) {
        // The lobby link has no handlers: a failure changes nothing.
    }
}

void Tchat::hostpress()
{
    TSock *listener = m_forms.server->Sock1;
    listener->setPortName(m_gamePort);
    listener->setListen(true);
    m_logintext = wire::fromUser(m_playerName) + wire::Terminator;
    m_hostFlag = true;
    // Port "0" (tests) connects wherever the system put the listener.
    const quint16 port = m_gamePort == QLatin1String("0") ? listener->localPort() : quint16(m_gamePort.toUInt());
    m_table = {QStringLiteral("127.0.0.1"), port};
    openConnection();
    button_start->show();
    StartGame1->setEnabled(true);
    updateHostControls();
    spies.setRemovalAllowed(true);
    m_forms.server->setBotDelay(m_botDelay);
    if (!m_args.isEmpty()) {
        notice(QStringLiteral("You host a table on port %1. Friends join it at this computer's address "
                              "(File, Play with Others... shows it).").arg(port));
        emit hosting(port);
    }
}

void Tchat::joinpress()
{
    m_logintext = wire::fromUser(m_playerName) + wire::Terminator;
    hideGameButton(button_start);
    StartGame1->setEnabled(false);
    updateHostControls();
    QString error;
    if (!hostaddress::parse(m_hostAddress, quint16(m_gamePort.toUInt()), &m_table, &error)) {
        joinFailed(error.endsWith(QLatin1Char('.')) ? error.chopped(1) : error);
        return;
    }
    openConnection();
}

void Tchat::sendMessage(const QByteArray &body)
{
    if (!sock->hasSocket())
        return;
    sock->Send(body + wire::Terminator);
}

void Tchat::showMessage(const QString &text)
{
    if (messageBox)
        messageBox(this, text);
}

void Tchat::Exit1Click()
{
    if (!leaveTableOk())
        return;
    m_leaveAsked = true;
    close();
}

void Tchat::closeEvent(QCloseEvent *e)
{
    // The window's close box is the player leaving, as File > Exit is.
    if (e->spontaneous() && !m_closing && !m_leaveAsked && !leaveTableOk()) {
        e->ignore();
        return;
    }
    if (!m_closing && m_settingsLoaded) {
        QRect bounds(x(), y(), width(), height());
        if (bounds != QRect(m_savedLeft, m_savedTop, m_savedWidth, m_savedHeight)) {
            // A window larger than the desktop is saved a little smaller, so it
            // fits better next time.
            const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            const QRect area = screen ? screen->availableGeometry() : bounds;
            if (bounds.width() > area.width())
                bounds.setWidth(bounds.width() - 15);
            if (bounds.height() > area.height())
                bounds.setHeight(bounds.height() - 15);
            resize(bounds.size());
            m_savedLeft = bounds.left();
            m_savedTop = bounds.top();
            m_savedWidth = bounds.width();
            m_savedHeight = bounds.height();
            saveinifile();
        }
    }
    m_closing = true;
    QMainWindow::closeEvent(e);
    emit closed();
}
