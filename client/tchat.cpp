// The table window: creation, layout, menus, the launch decision, settings
// and closing. Connection, game flow, hand and board, and chat live in the
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

std::function<void(QWidget *, const QString &)> Tchat::messageBox = [](QWidget *parent, const QString &text) {
    QMessageBox::information(parent, QStringLiteral("Velloc"), text);
};
std::function<bool(QWidget *, const QString &)> Tchat::questionBox = [](QWidget *parent, const QString &text) {
    return QMessageBox::question(parent, QStringLiteral("Velloc"), text) == QMessageBox::Yes;
};

namespace {

const char *const SettingsSection = "Chickenfoot";
constexpr int PanelWidth = 780;
constexpr int PanelHeight = 531;
constexpr int DesignClientWidth = 782;
constexpr int DesignClientHeight = 532;

QLabel *seatLabel(QWidget *parent, const QString &name, int x, int y, int w, int h, const QString &text)
{
    QLabel *l = look::label(text, parent, 13, true, look::Cream, false);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

// A sunken dark-green panel that scrolls sideways only.
QScrollArea *scrollPanel(QWidget *parent, const QString &name, const QRect &place)
{
    auto *panel = new QScrollArea(parent);
    panel->setObjectName(name);
    panel->setGeometry(place);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    panel->setWidgetResizable(false);
    QPalette green = panel->palette();
    green.setColor(QPalette::Window, look::BoardGreen);
    panel->setPalette(green);
    panel->viewport()->setAutoFillBackground(true);
    return panel;
}

// The client area: the tiled backdrop, with panel_main kept at the same
// proportional place as the window grows.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget *parent) : QWidget(parent)
    {
        look::applyTiledBackground(this);
        setMinimumSize(PanelWidth + 4, PanelHeight + 4);
    }
    QWidget *panel = nullptr;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (!panel)
            return;
        const double cx = (1 + PanelWidth / 2.0) / DesignClientWidth;
        const double cy = (PanelHeight / 2.0) / DesignClientHeight;
        panel->move(qRound(cx * width() - PanelWidth / 2.0), qRound(cy * height() - PanelHeight / 2.0));
    }
};

} // namespace

Tchat::Tchat(Forms &forms, QWidget *parent)
    : QMainWindow(parent), sock(new TSock(this)), Sock11(new TSock(this)), m_forms(forms)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Velloc"));
    setWindowIcon(programIcon());
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
    panel_main->setGeometry(1, 0, PanelWidth, PanelHeight);
    client->panel = panel_main;
    setFont(look::font(11));

    createMenus();
    createBoardAndHand();
    createSeatDisplay();
    createChatPanel();
    createOfferPanel();

    resize(m_defaultWidth, m_defaultHeight);
    move(3, 3);

    sounds = new SoundPlayer(this);

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

void Tchat::createMenus()
{
    auto add = [this](QMenu *menu, const QString &name, const QString &text, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, slot] { guarded([&] { slot(); }); });
        return a;
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    StartGame1 = add(file, QStringLiteral("StartGame1"), QStringLiteral("Start Game"), [this] { button_startClick(); });
    StartGame1->setEnabled(false);
    PlaywithOthers1 = add(file, QStringLiteral("PlaywithOthers1"), QStringLiteral("Play with Others..."),
                          [this] { PlaywithOthers1Click(); });
    file->addSeparator();
    Exit1 = add(file, QStringLiteral("Exit1"), QStringLiteral("Exit"), [this] { Exit1Click(); });

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    PlaySounds1 = add(options, QStringLiteral("PlaySounds1"), QStringLiteral("Play Sounds"), [this] {
        sounds->setEnabled(PlaySounds1->isChecked());
        savePreference(QStringLiteral("Playsounds"));
    });
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);

    QMenu *turnSound = options->addMenu(QStringLiteral("Turn Sound"));
    turnSound->setObjectName(QStringLiteral("TurnSound1"));
    auto *turnGroup = new QActionGroup(this);
    for (int tag : {0, 1}) {
        QAction *a = add(turnSound, tag ? QStringLiteral("New1") : QStringLiteral("Classic1"),
                         tag ? QStringLiteral("New") : QStringLiteral("Classic"), [this, tag] {
                             m_turnSound = tag;
                             Classic1->setChecked(tag == 0);
                             New1->setChecked(tag == 1);
                             savePreference(QStringLiteral("Turnsound"));
                         });
        a->setCheckable(true);
        turnGroup->addAction(a);
        (tag ? New1 : Classic1) = a;
    }

    QMenu *botSpeed = options->addMenu(QStringLiteral("Bot Speed"));
    botSpeed->setObjectName(QStringLiteral("BotSpeed1"));
    auto *speedGroup = new QActionGroup(this);
    const std::pair<const char *, int> speeds[] = {{"Slow", 2000}, {"Normal", 1000}, {"Fast", 500}};
    for (const auto &[name, delay] : speeds) {
        const int d = delay;
        QAction *a = add(botSpeed, QString::fromLatin1(name) + QLatin1Char('1'), QString::fromLatin1(name),
                         [this, d] { Fast1Click(d); });
        a->setCheckable(true);
        a->setData(d);
        speedGroup->addAction(a);
        (d == 2000 ? Slow1 : d == 1000 ? Normal1 : Fast1) = a;
    }
    Normal1->setChecked(true);

    options->addSeparator();
    TextColor1 = add(options, QStringLiteral("TextColor1"), QStringLiteral("Text Color"), [this] {
        const QColor c = QColorDialog::getColor(m_chatColour, this, QStringLiteral("Text Color"));
        if (c.isValid()) {
            setChatColour(c);
            savePreference(QStringLiteral("Textcolor"));
        }
    });
    ActionColor1 = add(options, QStringLiteral("ActionColor1"), QStringLiteral("Action Color"), [this] {
        const QColor c = QColorDialog::getColor(m_actionColour, this, QStringLiteral("Action Color"));
        if (c.isValid())
            m_actionColour = c;
        savePreference(QStringLiteral("Actioncolor"));
    });
    QMenu *textSize = options->addMenu(QStringLiteral("Text Size"));
    textSize->setObjectName(QStringLiteral("TextSize1"));
    int i = 0;
    for (int size : {8, 10, 12, 14}) {
        QAction *a = add(textSize, QStringLiteral("N%1").arg(size), QString::number(size), [this, size] { N14Click(size); });
        a->setCheckable(true);
        a->setData(size);
        // Not a radio group: choosing a size leaves every check mark where
        // it was (only loading the settings sets one), so the toggle Qt
        // made on the click is taken back.
        connect(a, &QAction::triggered, this, [a](bool checked) {
            const QSignalBlocker quiet(a);
            a->setChecked(!checked);
        });
        textSizes[size_t(i++)] = a;
    }
    ScrollChatOff2 = add(options, QStringLiteral("ScrollChatOff2"), QStringLiteral("Scroll Chat Off"),
                         [this] { ScrollChatOff1Click(); });
    ScrollChatOff2->setCheckable(true);
    ScrollChatOff2->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    ClearMainChat1 = add(options, QStringLiteral("ClearMainChat1"), QStringLiteral("Clear Main Chat"),
                         [this] { ClearMainChat1Click(); });
    ResetScreenLocation1 = add(options, QStringLiteral("ResetScreenLocation1"), QStringLiteral("Reset Screen Location"),
                               [this] { applyPlacement(3, 3, m_defaultWidth, m_defaultHeight); });
    options->addSeparator();
    JustWatch1 = add(options, QStringLiteral("JustWatch1"), QStringLiteral("Just Watch"), [this] { JustWatch1Click(); });
    JustWatch1->setCheckable(true);
    Hint1 = add(options, QStringLiteral("Hint1"), QStringLiteral("Hint"), [this] { Hint1Click(); });
    Hint1->setShortcut(QKeySequence(Qt::Key_H));
    Hint1->setEnabled(false);

    QMenu *view = menuBar()->addMenu(QStringLiteral("View"));
    ViewTally1 = add(view, QStringLiteral("ViewTally1"), QStringLiteral("View Tally"), [this] {
        loadchecklist();
        if (m_forms.tallylist)
            m_forms.tallylist->show();
    });
    SpyList1 = add(view, QStringLiteral("SpyList1"), QStringLiteral("Spy List"), [this] {
        if (m_forms.spylist)
            m_forms.spylist->show();
    });
    PrhaseList1 = add(view, QStringLiteral("PrhaseList1"), QStringLiteral("Phrase List"), [this] { PrhaseList1Click(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    Help2 = add(help, QStringLiteral("Help2"), QStringLiteral("Content"), [this] {
        if (m_forms.help)
            m_forms.help->show();
    });
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    About1 = add(help, QStringLiteral("About1"), QStringLiteral("About"), [this] {
        if (m_forms.about)
            m_forms.about->show();
    });

    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = add(popup_kick, QStringLiteral("RemoveFromGame1"), QStringLiteral("Remove From Game"),
                          [this] { kicking(popupKickTag); });
    SettoJustWatch1 = add(popup_kick, QStringLiteral("SettoJustWatch1"), QStringLiteral("Set to Just Watch"), [this] {
        if (m_loggedIn && popupKickTag >= 1 && popupKickTag <= Seats)
            sendMessage("CMD_justwatch+" + QByteArray::number(popupKickTag) + "+1");
    });
    UnsetJustWatch1 = add(popup_kick, QStringLiteral("UnsetJustWatch1"), QStringLiteral("Unset Just Watch"), [this] {
        if (m_loggedIn && popupKickTag >= 1 && popupKickTag <= Seats)
            sendMessage("CMD_justwatch+" + QByteArray::number(popupKickTag) + "+2");
    });
}

void Tchat::createSeatDisplay()
{
    Image4 = new QLabel(panel_main);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(2, 394, 422, 94);
    Image4->setScaledContents(true);
    Image4->setPixmap(artwork(QStringLiteral("scoreboard.png"), {422, 94}));

    struct Place {
        int name[2], score[2], bonus[2], bones[2], eyes[2], turn[2];
    };
    const Place places[Seats + 1] = {
        {},
        {{29, 403}, {141, 403}, {173, 403}, {9, 404}, {6, 401}, {5, 398}},
        {{29, 433}, {141, 433}, {173, 433}, {9, 433}, {6, 429}, {5, 428}},
        {{29, 463}, {141, 463}, {173, 463}, {9, 463}, {6, 459}, {5, 458}},
        {{241, 403}, {352, 403}, {384, 403}, {220, 404}, {217, 402}, {216, 398}},
        {{241, 432}, {352, 432}, {384, 432}, {220, 433}, {217, 431}, {216, 428}},
        {{241, 463}, {352, 463}, {384, 463}, {220, 463}, {217, 463}, {216, 458}},
    };
    const QPixmap turnbar = artwork(QStringLiteral("turnbar.png"), {204, 26});
    const QPixmap eyes = artwork(QStringLiteral("eyes.png"), {22, 8});
    for (int n = 1; n <= Seats; ++n) {
        const Place &p = places[n];
        auto *turn = new QLabel(panel_main);
        turn->setObjectName(QStringLiteral("image_turn%1").arg(n));
        turn->setGeometry(p.turn[0], p.turn[1], 204, 26);
        turn->setScaledContents(true);
        turn->setPixmap(turnbar);
        turn->hide();
        image_turn[size_t(n)] = turn;
    }
    for (int n = 1; n <= Seats; ++n) {
        const Place &p = places[n];
        label_playername[size_t(n)] = seatLabel(panel_main, QStringLiteral("label_playername%1").arg(n),
                                                p.name[0], p.name[1], 105, 16, QStringLiteral("<Waiting>"));
        label_score[size_t(n)] = seatLabel(panel_main, QStringLiteral("label_score%1").arg(n), p.score[0],
                                           p.score[1], 32, 16, QStringLiteral("0"));
        label_bonus[size_t(n)] = seatLabel(panel_main, QStringLiteral("label_bonus%1").arg(n), p.bonus[0],
                                           p.bonus[1], 36, 16, QString());
        label_bones[size_t(n)] = seatLabel(panel_main, QStringLiteral("label_bones%1").arg(n), p.bones[0],
                                           p.bones[1], 18, 16, QString());
        auto *e = new QLabel(panel_main);
        e->setObjectName(QStringLiteral("image_eyes%1").arg(n));
        e->setGeometry(p.eyes[0], p.eyes[1], 22, 8);
        e->setScaledContents(true);
        e->setPixmap(eyes);
        e->setToolTip(QStringLiteral("Just watching"));
        e->hide();
        image_eyes[size_t(n)] = e;
        QLabel *name = label_playername[size_t(n)];
        name->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(name, &QWidget::customContextMenuRequested, this, [this, n, name](const QPoint &at) {
            guarded([&] { label_playername1ContextPopup(n, name->mapToGlobal(at)); });
        });
    }

    label_status = new QLabel(QStringLiteral("Welcome to Velloc"), panel_main);
    label_status->setObjectName(QStringLiteral("label_status"));
    label_status->setTextFormat(Qt::PlainText); // it shows players' names
    label_status->setGeometry(5, 376, 356, 17);
    label_status->setAlignment(Qt::AlignCenter);
    label_status->setFont(look::font(16, true));
    QPalette pal = label_status->palette();
    pal.setColor(QPalette::WindowText, look::Cream);
    label_status->setPalette(pal);

    button_pass = new PictureButton(QStringLiteral("button_pass.png"), QStringLiteral("button_pass_hover.png"),
                                    QStringLiteral("Pass"), panel_main);
    button_pass->setObjectName(QStringLiteral("button_pass"));
    button_pass->setGeometry(358, 368, 65, 28);
    button_pass->hide();
    connect(button_pass, &PictureButton::clicked, this, [this] { guarded([&] { button_passClick(); }); });

    Image5 = new QLabel(panel_main);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setGeometry(11, 492, 272, 34);
    Image5->setScaledContents(true);
    Image5->setPixmap(artwork(QStringLiteral("banner.png"), {272, 34}));
    Image5->setCursor(Qt::PointingHandCursor);
    Image5->installEventFilter(this);
}

void Tchat::createBoardAndHand()
{
    panel_board = scrollPanel(panel_main, QStringLiteral("panel_board"), {3, 3, 774, 262});
    paintbox_board = new BoardSurface(this, panel_board);
    panel_board->setWidget(paintbox_board);
    panel_board->viewport()->installEventFilter(this);

    for (int t = 1; t <= Toes; ++t) {
        auto *target = new ToeTarget(t, paintbox_board);
        connect(target, &ToeTarget::clicked, this, [this](int toe) { guarded([&] { image_toe1Click(toe); }); });
        image_toe[size_t(t)] = target;
    }

    label_round = new QLabel(QStringLiteral("Round: 0 of 10"), paintbox_board);
    label_round->setObjectName(QStringLiteral("label_round"));
    label_round->setTextFormat(Qt::PlainText);
    label_round->move(5, 4);
    label_round->setFont(look::font(17, true));
    QPalette cream = label_round->palette();
    cream.setColor(QPalette::WindowText, look::Cream);
    label_round->setPalette(cream);
    label_round->setMinimumWidth(200);

    button_start = new PictureButton(QStringLiteral("button_start.png"), QStringLiteral("button_start_hover.png"),
                                     QStringLiteral("Start Game"), paintbox_board);
    button_start->setObjectName(QStringLiteral("button_start"));
    button_start->setGeometry(10, 26, 102, 28);
    button_start->hide();
    connect(button_start, &PictureButton::clicked, this, [this] { guarded([&] { button_startClick(); }); });

    panel_winner = new QWidget(paintbox_board);
    panel_winner->setObjectName(QStringLiteral("panel_winner"));
    panel_winner->setGeometry(144, 11, 585, 41);
    panel_winner->setAutoFillBackground(true);
    QPalette winnerPal = panel_winner->palette();
    winnerPal.setColor(QPalette::Window, look::Cream);
    panel_winner->setPalette(winnerPal);
    label_winner2 = new QLabel(QStringLiteral("Winner!"), panel_winner);
    label_winner2->setObjectName(QStringLiteral("label_winner2"));
    label_winner2->setGeometry(2, 11, 580, 19);
    label_winner1 = new QLabel(QStringLiteral("Winner!"), panel_winner);
    label_winner1->setObjectName(QStringLiteral("label_winner1"));
    label_winner1->setGeometry(1, 12, 580, 19);
    for (QLabel *l : {label_winner2, label_winner1}) {
        l->setTextFormat(Qt::PlainText); // the winner's name comes from a peer
        l->setAlignment(Qt::AlignCenter);
        l->setFont(look::font(16, true));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, l == label_winner1 ? look::DarkGreen : QColor(Qt::gray));
        l->setPalette(p);
    }
    panel_winner->hide();

    panel_bones = scrollPanel(panel_main, QStringLiteral("panel_bones"), {3, 268, 774, 99});
    panel_bones->horizontalScrollBar()->setSingleStep(40);
    handSurface = new HandSurface(panel_bones);
    handSurface->setObjectName(QStringLiteral("Image3"));
    panel_bones->setWidget(handSurface);
    panel_bones->viewport()->installEventFilter(this);

    label_notplaying = new QLabel(QStringLiteral("The game has already started."), handSurface);
    label_notplaying->setObjectName(QStringLiteral("label_notplaying"));
    label_notplaying->setTextFormat(Qt::PlainText);
    label_notplaying->setGeometry(0, 24, 770, 33);
    label_notplaying->setAlignment(Qt::AlignCenter);
    label_notplaying->setFont(look::font(21, true));
    label_notplaying->setPalette(cream);
    label_notplaying->hide();
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
    button_start->hide();
    StartGame1->setEnabled(false);
    m_logintext.clear();
    if (m_args.isEmpty()) {
        notice(QStringLiteral("Loading Solo Game..Please wait."));
        if (m_forms.download)
            m_forms.download->show();
        m_hostAddress = QStringLiteral("127.0.0.1");
        m_playerName = QStringLiteral("You");
        hostpress();
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
            button_start->hide();
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
    if (m_forms.spylist)
        m_forms.spylist->popup_kickhim->setEnabled(true);
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
    button_start->hide();
    StartGame1->setEnabled(false);
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

void Tchat::Exit1Click() { close(); }

// --- settings ------------------------------------------------------------------

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
    const QSize least = minimumSizeHint().expandedTo(QSize(PanelWidth + 4, PanelHeight + 4));
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
    if (m_forms.gamestart && tryStrToInt(rounds.toLatin1(), n))
        m_forms.gamestart->setRounds(n);
    const QString newcomers = ini.readString(sec, QStringLiteral("Newcomers"), QStringLiteral("1"));
    if (m_forms.gamestart && tryStrToInt(newcomers.toLatin1(), n))
        m_forms.gamestart->checkit(QStringLiteral("image_newcomers%1").arg(n == 2 || n == 3 ? n : 1));

    // The computer players: numbers outside what the dialog offers are
    // pulled back into range.
    m_computerPlayers = qBound(1, ini.readInteger(sec, QStringLiteral("Computerplayers"), 1), 5);
    m_computerLevel = ini.readString(sec, QStringLiteral("Computerlevel"), QStringLiteral("Normal"))
                              .compare(QLatin1String("Strong"), Qt::CaseInsensitive) == 0
                          ? 2
                          : 1;
    m_allowHints = ini.readString(sec, QStringLiteral("Allowhints"), QStringLiteral("false")) == QLatin1String("true");
    if (m_forms.gamestart) {
        m_forms.gamestart->setComputerPlayers(m_computerPlayers);
        m_forms.gamestart->setComputerLevel(m_computerLevel);
        m_forms.gamestart->setHintsAllowed(m_allowHints);
    }

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
    PlaySounds1->setChecked(ini.readString(sec, QStringLiteral("Playsounds"), QString()) != QLatin1String("false"));
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
        {QStringLiteral("Playtoscore"), QString::number(m_forms.gamestart ? m_forms.gamestart->rounds() : 10)},
        {QStringLiteral("Newcomers"), QString::number(m_forms.gamestart ? m_forms.gamestart->newcomersOption() : 1)},
        {QStringLiteral("Botspeed"), QString::number(m_botDelay)},
        {QStringLiteral("Computerplayers"), QString::number(computerPlayersChosen())},
        {QStringLiteral("Computerlevel"), computerLevelChosen() == 2 ? QStringLiteral("Strong") : QStringLiteral("Normal")},
        {QStringLiteral("Allowhints"), hintsChosen() ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("Turnsound"), QString::number(m_turnSound)},
        {QStringLiteral("Playsounds"), PlaySounds1->isChecked() ? QStringLiteral("true") : QStringLiteral("false")},
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
        value = QString::number(m_forms.gamestart ? m_forms.gamestart->rounds() : 10);
    else if (key == QLatin1String("Newcomers"))
        value = QString::number(m_forms.gamestart ? m_forms.gamestart->newcomersOption() : 1);
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
        value = PlaySounds1->isChecked() ? QStringLiteral("true") : QStringLiteral("false");
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

void Tchat::closeEvent(QCloseEvent *e)
{
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
