// SPDX-License-Identifier: MIT
// Ttallylist: the tally window. Keeps the player's score history against
// the opponents he chose to tally, counts every finished game, and stores
// it in the tally file beside the program across runs.
#pragma once

#include "forms.h"
#include "tallygrid.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    explicit Ttallylist(Forms &forms, QWidget *parent = nullptr);
    ~Ttallylist() override; // saves the tally

    // programFolder() + "Chickenfoot" + "tally.tld".
    static QString tallyFilePath();

    // Rebuilds "Players In Current Game" from the names at the table (the
    // caller leaves out its own seat and empty seats), ticking the tallied.
    void loadchecklist(const QStringList &namesAtTable);
    // Counts a finished game against the tallied opponents at the table and
    // saves at once, so a crash loses nothing.
    void addgame(const QString &winner, bool localPlayerWon, const QStringList &namesAtTable);

    // Writes the tally file; false when it could not (the old file stays).
    bool savetally();

    // The load failure's text, empty when the tally loaded (or was new).
    QString loadError() const { return m_loadError; }
    const TallyGrid &grid() const { return m_grid; }

    // Whether a load failure is shown in a message box. Tests switch it off;
    // it is only shown for the window of the running program anyway.
    static void setLoadErrorBoxEnabled(bool on);
    // Asks a Yes/No question; tests answer it themselves.
    void setAsker(std::function<bool(const QString &question)> asker) { m_asker = std::move(asker); }

    // The window's controls, named as the form names them.
    QLabel *mylabel_1, *mylabel_2, *mylabel_3, *mylabel_4;
    QLabel *label_1, *label_2, *label_3, *label_4, *label_5, *label_6, *label_7, *label_8;
    QLabel *label_hisname, *label_hisnametop;
    QListWidget *listbox_tally; // "Players Being Tallied": row r of the grid is item r - 1
    QListWidget *checklist;     // "Players In Current Game"
    QPushButton *button_reset, *button_done;

    void listbox_tallyClick();
    void button_resetClick();
    void button_doneClick();

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormCreate();
    void loadtally(); // fills the window from the loaded grid; a new session starts
    void moverow(int row);
    void buildControls();
    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void clearOpponentPanel();
    void showPlayerTotals();
    QListWidgetItem *addCheckItem(QListWidget *list, const QString &name, bool ticked);
    bool ask(const QString &question);

    Forms &m_forms;
    TallyGrid m_grid;
    TallyFile m_file;
    QString m_loadError;
    QLabel *m_label[9] = {}; // label_1 .. label_8 by column
    bool m_updatingChecks = false;
    std::function<bool(const QString &)> m_asker;
};
