#include "tchat.h"

#include "failure.h"
#include "look.h"
#include "tserver.h"
#include "tdownload.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextEdit>

Tchat::Tchat(Forms &forms, QWidget *parent)
    : QMainWindow(parent), sock(new TSock(this)), Sock11(new TSock(this)), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc"));
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::FormCreate()
{
    createMenus();
    mainchat = new QTextEdit(this);
    mainchat->setReadOnly(true);
    setCentralWidget(mainchat);
    resize(790, 578);
    move(3, 3);

    sock->setPortName(m_gamePort);
    sock->OnRead = [this](TSock *s, int n) { guarded([&] { sockRead(s, n); }); };
    sock->OnInfo = [this](TSock *s, TSocketInfo k, const QString &m) { guarded([&] { sockInfo(s, k, m); }); };
    Sock11->setHostName(QStringLiteral("127.0.0.1"));
    Sock11->setPortName(QStringLiteral("9001"));

    Timer1.setInterval(1);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([&] { Timer1Timer(); }); });
}

void Tchat::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    StartGame1 = file->addAction(QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("Exit"), this, &Tchat::Exit1Click);
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
    StartGame1->setEnabled(false);
    m_logintext.clear();
    if (m_args.isEmpty()) {
        addlinetochat(QStringLiteral("Loading Solo Game..Please wait."), look::NoticeBlue);
        if (m_forms.download)
            m_forms.download->show();
        m_hostAddress = QStringLiteral("127.0.0.1");
        m_playerName = QStringLiteral("You");
        hostpress();
        return;
    }
    addlinetochat(QStringLiteral("Loading Multi-player Game.. Please Wait."), look::NoticeBlue);
    if (m_args.size() < 3)
        return;
    m_playerName = m_args.at(0);
    m_hostAddress = m_args.at(1);
    if (m_args.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
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
    // Port "0" (tests) listens wherever the system put us.
    sock->setPortName(m_gamePort == QLatin1String("0") ? QString::number(listener->localPort()) : m_gamePort);
    sock->setHostName(QStringLiteral("127.0.0.1"));
    sock->Open();
    StartGame1->setEnabled(true);
}

void Tchat::joinpress()
{
    m_logintext = wire::fromUser(m_playerName) + wire::Terminator;
    sock->setPortName(m_gamePort);
    sock->setHostName(m_hostAddress);
    sock->Open();
    StartGame1->setEnabled(false);
}

void Tchat::sendMessage(const QByteArray &body)
{
    if (!sock->hasSocket())
        return;
    sock->Send(body + wire::Terminator);
}

void Tchat::sockRead(TSock *s, int)
{
    const bool fits = m_framer.feed(s->Receive(), [this](QByteArray line) {
        receivedlist.push_back(std::move(line));
    });
    if (!fits) {
        // A host that never ends its message is not a host we can follow.
        s->Close();
        return;
    }
    if (!receivedlist.empty() && !Timer1.isActive())
        Timer1.start();
}

void Tchat::sockInfo(TSock *, TSocketInfo, const QString &msg)
{
    if (msg == QLatin1String("Socket Closed"))
        connectionLost();
}

void Tchat::connectionLost()
{
    // What already arrived (a "Game is full", say) is shown before closing.
    m_lost = true;
    if (!Timer1.isActive())
        Timer1.start();
}

void Tchat::Timer1Timer()
{
    if (m_dispatching)
        return; // a message box of a handler runs its own event loop
    if (receivedlist.empty()) {
        Timer1.stop();
        if (m_lost && !m_closing)
            close();
        return;
    }
    QByteArray line = std::move(receivedlist.front());
    receivedlist.pop_front();
    m_dispatching = true;
    try {
        processsocktimer(line);
    } catch (const EConvertError &) {
    } catch (...) {
        m_dispatching = false;
        throw;
    }
    m_dispatching = false;
    if (receivedlist.empty() && !m_lost)
        Timer1.stop();
}

void Tchat::processsocktimer(const QByteArray &line)
{
    QByteArray name, args;
    if (!wire::splitCommand(line, name, args))
        return;
    if (name == "CMD_sendlogininfo")
        sendloginfo(args);
    else if (name == "CMD_newplayerinfo" || name == "CMD_existingplayers")
        newplayerinfo(args);
    else if (name == "CMD_full") {
        QMessageBox::information(this, QStringLiteral("Velloc"), QStringLiteral("Game is full"));
        close();
    }
}

void Tchat::sendloginfo(const QByteArray &args)
{
    m_ownSeat = strToInt(args);
    m_loggedIn = true;
    sendMessage("CMD_logininfo+" + QByteArray::number(m_ownSeat) + "+1.0.1+" + m_logintext);
}

void Tchat::newplayerinfo(const QByteArray &args)
{
    wire::FieldReader r(args);
    const int slot = r.nextInt();
    const QString name = wire::toDisplay(r.rest());
    if (slot == m_ownSeat)
        addlinetochat(QStringLiteral("You are Connected."), look::NoticeBlue);
    else
        addlinetochat(name + QStringLiteral(" is Connected."), look::NoticeBlue);
}

void Tchat::addlinetochat(const QString &line, const QColor &colour)
{
    mainchat->setTextColor(colour);
    mainchat->append(line);
}

void Tchat::Exit1Click() { close(); }

void Tchat::closeEvent(QCloseEvent *e)
{
    m_closing = true;
    QMainWindow::closeEvent(e);
    emit closed();
}
