// SPDX-License-Identifier: MIT
// Tgamestart: the host's player picks the rounds to play and what happens to
// players who arrive during a game, and starts the game.
#pragma once

#include "forms.h"

#include <QDialog>
#include <QRect>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class Tgamestart : public QDialog {
    Q_OBJECT
public:
    explicit Tgamestart(Forms &forms, QWidget *parent = nullptr);

    // The start button's place in the window (the end-to-end tests click it).
    static constexpr QRect StartButtonRect{80, 352, 102, 28};

    int rounds() const;
    void setRounds(int rounds);
    // 1 "Cannot Play", 2 "Starts with Highest", 3 "Starts with Average".
    int newcomersOption() const { return m_newcomers; }
    // Ticks the named check box ("image_newcomers1".."3") and clears the others.
    void checkit(const QString &name);
    // The computer players: how many (1 to 5; seat 2 when empty, then more
    // empty seats), how strong (1 Normal, 2 Strong), and whether the table
    // allows the hint. Out-of-range values are pulled into range.
    int computerPlayers() const;
    void setComputerPlayers(int count);
    int computerLevel() const;
    void setComputerLevel(int level);
    bool hintsAllowed() const;
    void setHintsAllowed(bool on);
    void image_newcomers1Click(int option) { checkit(QStringLiteral("image_newcomers%1").arg(option)); }
    void button_startClick();

    QSpinBox *UpDown1;
    QLineEdit *edit_playtoscore;
    QLabel *label_newcomers;
    std::array<QLabel *, 4> image_newcomers{};
    QSpinBox *UpDown_computers;
    QComboBox *combo_level;
    QCheckBox *check_hints;
    QLabel *label_summary;
    void updateSummary();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    Forms &m_forms;
    int m_newcomers = 1;
};
