// SPDX-License-Identifier: MIT
// The table window's layout: its menus, the seat display with the
// scoreboard, the board with its toe targets, and the hand.
#include "tchat.h"

#include "colortext.h"
#include "failure.h"
#include "look.h"
#include "paths.h"
#include "settingsfile.h"
#include "sounds.h"
#include "tablewidgets.h"
#include "tabout.h"
#include "tlobby.h"
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
    // The bones and targets inside take the keyboard, not the panel itself.
    panel->setFocusPolicy(Qt::NoFocus);
    return panel;
}

} // namespace

void Tchat::createMenus()
{
    auto add = [this](QMenu *menu, const QString &name, const QString &text, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, slot] { guarded([&] { slot(); }); });
        return a;
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    StartGame1 = add(file, QStringLiteral("StartGame1"), QStringLiteral("&Start Game"), [this] { button_startClick(); });
    StartGame1->setEnabled(false);
    PlaywithOthers1 = add(file, QStringLiteral("PlaywithOthers1"), QStringLiteral("&Play with Others..."),
                          [this] { PlaywithOthers1Click(); });
    add(file, QStringLiteral("OnlineLobby1"), QStringLiteral("Online &Lobby..."), [this] {
        if (m_forms.lobby)
            m_forms.lobby->popup();
    });
    file->addSeparator();
    Exit1 = add(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"), [this] { Exit1Click(); });

    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    PlaySounds1 = add(options, QStringLiteral("PlaySounds1"), QStringLiteral("Play &Sounds"), [this] {
        m_soundsWanted = PlaySounds1->isChecked();
        sounds->setEnabled(PlaySounds1->isChecked());
        savePreference(QStringLiteral("Playsounds"));
    });
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);

    QMenu *turnSound = options->addMenu(QStringLiteral("&Turn Sound"));
    turnSound->setObjectName(QStringLiteral("TurnSound1"));
    auto *turnGroup = new QActionGroup(this);
    for (int tag : {0, 1}) {
        QAction *a = add(turnSound, tag ? QStringLiteral("New1") : QStringLiteral("Classic1"),
                         tag ? QStringLiteral("&New") : QStringLiteral("&Classic"), [this, tag] {
                             m_turnSound = tag;
                             Classic1->setChecked(tag == 0);
                             New1->setChecked(tag == 1);
                             savePreference(QStringLiteral("Turnsound"));
                         });
        a->setCheckable(true);
        turnGroup->addAction(a);
        (tag ? New1 : Classic1) = a;
    }

    QMenu *botSpeed = options->addMenu(QStringLiteral("&Bot Speed"));
    BotSpeed1 = botSpeed;
    botSpeed->setObjectName(QStringLiteral("BotSpeed1"));
    auto *speedGroup = new QActionGroup(this);
    const std::pair<const char *, int> speeds[] = {{"Slow", 2000}, {"Normal", 1000}, {"Fast", 500}};
    for (const auto &[name, delay] : speeds) {
        const int d = delay;
        QAction *a = add(botSpeed, QString::fromLatin1(name) + QLatin1Char('1'), QLatin1Char('&') + QString::fromLatin1(name),
                         [this, d] { Fast1Click(d); });
        a->setCheckable(true);
        a->setData(d);
        speedGroup->addAction(a);
        (d == 2000 ? Slow1 : d == 1000 ? Normal1 : Fast1) = a;
    }
    Normal1->setChecked(true);

    options->addSeparator();
    TextColor1 = add(options, QStringLiteral("TextColor1"), QStringLiteral("Te&xt Color"), [this] {
        const QColor c = QColorDialog::getColor(m_chatColour, this, QStringLiteral("Text Color"));
        if (c.isValid()) {
            setChatColour(c);
            savePreference(QStringLiteral("Textcolor"));
        }
    });
    ActionColor1 = add(options, QStringLiteral("ActionColor1"), QStringLiteral("&Action Color"), [this] {
        const QColor c = QColorDialog::getColor(m_actionColour, this, QStringLiteral("Action Color"));
        if (c.isValid())
            m_actionColour = c;
        savePreference(QStringLiteral("Actioncolor"));
    });
    QMenu *textSize = options->addMenu(QStringLiteral("Text Si&ze"));
    textSize->setObjectName(QStringLiteral("TextSize1"));
    int i = 0;
    for (int size : {8, 10, 12, 14}) {
        QAction *a = add(textSize, QStringLiteral("N%1").arg(size), QStringLiteral("&") + QString::number(size), [this, size] { N14Click(size); });
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
    ScrollChatOff2 = add(options, QStringLiteral("ScrollChatOff2"), QStringLiteral("Scroll Chat O&ff"),
                         [this] { ScrollChatOff1Click(); });
    ScrollChatOff2->setCheckable(true);
    ScrollChatOff2->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    ClearMainChat1 = add(options, QStringLiteral("ClearMainChat1"), QStringLiteral("C&lear Main Chat"),
                         [this] { ClearMainChat1Click(); });
    ResetScreenLocation1 = add(options, QStringLiteral("ResetScreenLocation1"), QStringLiteral("&Reset Screen Location"),
                               [this] { applyPlacement(3, 3, m_defaultWidth, m_defaultHeight); });
    options->addSeparator();
    JustWatch1 = add(options, QStringLiteral("JustWatch1"), QStringLiteral("&Just Watch"), [this] { JustWatch1Click(); });
    JustWatch1->setCheckable(true);
    Hint1 = add(options, QStringLiteral("Hint1"), QStringLiteral("&Hint"), [this] { Hint1Click(); });
    Hint1->setShortcut(QKeySequence(Qt::Key_H));
    Hint1->setEnabled(false);
    SortHand1 = add(options, QStringLiteral("SortHand1"), QStringLiteral("S&ort Hand"), [this] {
        sortthem();
        playsounds(QStringLiteral("sort"));
    });
    SortHand1->setShortcut(QKeySequence(Qt::Key_O));
    GameLog1 = add(options, QStringLiteral("GameLog1"), QStringLiteral("&Game Log in Chat"), [this] {
        m_gameLogOn = GameLog1->isChecked();
        savePreference(QStringLiteral("Gamelog"));
    });
    GameLog1->setCheckable(true);
    GameLog1->setChecked(true);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    ViewTally1 = add(view, QStringLiteral("ViewTally1"), QStringLiteral("View &Tally"), [this] {
        loadchecklist();
        if (m_forms.tallylist)
            m_forms.tallylist->show();
    });
    SpyList1 = add(view, QStringLiteral("SpyList1"), QStringLiteral("&Spy List"), [this] {
        if (m_forms.spylist)
            m_forms.spylist->show();
    });
    PrhaseList1 = add(view, QStringLiteral("PrhaseList1"), QStringLiteral("&Phrase List"), [this] { PrhaseList1Click(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = add(help, QStringLiteral("Help2"), QStringLiteral("&Content"), [this] {
        if (m_forms.help)
            m_forms.help->show();
    });
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    About1 = add(help, QStringLiteral("About1"), QStringLiteral("&About"), [this] {
        if (m_forms.about)
            m_forms.about->show();
    });

    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = add(popup_kick, QStringLiteral("RemoveFromGame1"), QStringLiteral("&Remove From Game"),
                          [this] { kicking(popupKickTag); });
    SettoJustWatch1 = add(popup_kick, QStringLiteral("SettoJustWatch1"), QStringLiteral("&Set to Just Watch"), [this] {
        if (m_loggedIn && popupKickTag >= 1 && popupKickTag <= Seats)
            sendMessage("CMD_justwatch+" + QByteArray::number(popupKickTag) + "+1");
    });
    UnsetJustWatch1 = add(popup_kick, QStringLiteral("UnsetJustWatch1"), QStringLiteral("&Unset Just Watch"), [this] {
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
        // Right-aligned a little left of its place, so that two digits end
        // before the name begins.
        label_bones[size_t(n)] = seatLabel(panel_main, QStringLiteral("label_bones%1").arg(n), p.bones[0] - 4,
                                           p.bones[1], 21, 16, QString());
        label_bones[size_t(n)]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        auto *e = new QLabel(panel_main);
        e->setObjectName(QStringLiteral("image_eyes%1").arg(n));
        e->setGeometry(p.eyes[0], p.eyes[1], 22, 8);
        e->setScaledContents(true);
        e->setPixmap(eyes);
        e->setToolTip(QStringLiteral("Just watching"));
        e->hide();
        image_eyes[size_t(n)] = e;
        QLabel *name = label_playername[size_t(n)];
        // Reachable by Tab, so a screen reader can read the seats and the
        // host player can open a seat's menu with the menu key.
        name->setFocusPolicy(Qt::TabFocus);
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
    label_status->setAccessibleName(label_status->text());
    QPalette pal = label_status->palette();
    pal.setColor(QPalette::WindowText, look::Cream);
    label_status->setPalette(pal);

    button_pass = new PictureButton(QStringLiteral("button_pass.png"), QStringLiteral("button_pass_hover.png"),
                                    QStringLiteral("Pass"), panel_main);
    button_pass->setObjectName(QStringLiteral("button_pass"));
    button_pass->setGeometry(358, 368, 65, 28);
    hideGameButton(button_pass);
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
    hideGameButton(button_start);
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

    label_finalstandings = new QLabel(paintbox_board);
    label_finalstandings->setObjectName(QStringLiteral("label_finalstandings"));
    label_finalstandings->setTextFormat(Qt::RichText); // names are escaped where it is filled
    label_finalstandings->setFont(look::font(15, true));
    label_finalstandings->setAutoFillBackground(true);
    label_finalstandings->setMargin(4);
    {
        QPalette p = label_finalstandings->palette();
        p.setColor(QPalette::Window, look::Cream);
        p.setColor(QPalette::WindowText, look::DarkGreen);
        label_finalstandings->setPalette(p);
    }
    label_finalstandings->hide();

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
