// SPDX-License-Identifier: MIT
// Tdownload: offered to a solo player, it downloads and starts the installer
// of the maker's lobby, starts an installed lobby, or lets the solo game go on.
#pragma once

#include "forms.h"
#include "httpdownload.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class OfferPicture;
class QLabel;
class QPushButton;

class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(Forms &forms, QWidget *parent = nullptr);
    ~Tdownload() override;

    // Starts a program detached; false when it could not be started. The
    // installer and the lobby go through here, so tests can stand in.
    using Launcher = std::function<bool(const QString &program, const QStringList &args)>;
    Launcher launcher;
    // Shows a message to the player (a message box unless a test records it).
    std::function<void(const QString &text)> showMessage;

    // Where the installer comes from and where an installed lobby is looked
    // for; the configuration's values unless a test points elsewhere.
    QString installerUrl;
    QString lobbyProgram;

    // Whether the maker's lobby installer can run on this computer: only on
    // Windows. Elsewhere nothing is fetched or started and the download
    // button opens Play with Others instead. Read when a window is made.
    static bool installerRunsHere;
    bool offersDownload() const { return m_offersDownload; }

    // The default launcher: makes the file executable and starts it.
    static bool startProgram(const QString &program, const QStringList &args);

    // The outcome of the last download as the window records it in
    // infolabel's Tag: 0 none yet, 1 started, 2 aborted or failed.
    int infolabelTag() const;
    bool downloading() const { return http->isRunning(); }
    // Whether the lobby picture was found and decoded (else a plain panel).
    bool hasPicture() const;
    // Where the installer is (or would be) saved.
    QString installerPath() const;

    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();

    OfferPicture *image;
    QLabel *label_closed;
    QLabel *label_offer;
    QPushButton *getbutton;
    QPushButton *abortbutton;
    QLabel *infolabel;
    QLabel *infolabel2;
    QLabel *infolabel3;
    QLabel *label_windowsonly; // why there is no download on this computer
    QLabel *label_solo;
    QPushButton *Button1;
    QLabel *label_firewall;
    QLabel *label_others;
    QPushButton *Button2;

    HttpDownload *http;

signals:
    // A download ended; complete is true when the whole installer arrived.
    void downloadDone(bool complete);

protected:
    void hideEvent(QHideEvent *e) override;

private:
    void setInfolabelTag(int tag);
    void httpHeaderLine();
    void httpBodyStarted();
    void httpProgress(qint64 bytes);
    void httpFinished(HttpDownload::Outcome outcome);
    void exitGame();
    bool openPlayWithOthers();

    Forms &m_forms;
    QString m_fileName;
    bool m_offersDownload = false;
};
