// Tchat: the table window. A client of a game host: it logs in, shows the
// seats, the board, the hand and the chat, and sends the player's moves.
#pragma once

#include "forms.h"
#include "tsock.h"
#include "wire.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <deque>

class QAction;
class QTextEdit;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    explicit Tchat(Forms &forms, QWidget *parent = nullptr);
    ~Tchat() override;

    // The command line without the program path; read when first shown.
    void setArguments(const QStringList &args) { m_args = args; }
    // Port of the game host, "7772" unless a test picks another.
    void setGamePort(const QString &port) { m_gamePort = port; }

    TSock *sock;   // the connection to the game host
    TSock *Sock11; // the idle lobby link

    QString playerName() const { return m_playerName; }
    bool hostFlag() const { return m_hostFlag; }
    bool loggedIn() const { return m_loggedIn; }
    int ownSeat() const { return m_ownSeat; }

    // Sends one message (the terminator is added) to the host.
    void sendMessage(const QByteArray &body);

    void processparams();
    void hostpress();
    void joinpress();
    void addlinetochat(const QString &line, const QColor &colour);
    void Exit1Click();

    QTextEdit *mainchat;

signals:
    void closed();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void FormCreate();
    void createMenus();
    void sockRead(TSock *s, int count);
    void sockInfo(TSock *s, TSocketInfo kind, const QString &msg);
    void Timer1Timer();
    void processsocktimer(const QByteArray &line);
    void sendloginfo(const QByteArray &args);
    void newplayerinfo(const QByteArray &args);
    void connectionLost();

    Forms &m_forms;
    QStringList m_args;
    QString m_gamePort = QStringLiteral("7772");
    QString m_playerName;
    QString m_hostAddress;
    bool m_hostFlag = false;
    QByteArray m_logintext;
    int m_ownSeat = 0;
    bool m_loggedIn = false;
    bool m_shown = false;
    bool m_closing = false;
    bool m_dispatching = false;
    bool m_lost = false;

    wire::Framer m_framer;
    std::deque<QByteArray> receivedlist;
    QTimer Timer1;

    QAction *StartGame1 = nullptr;
};
