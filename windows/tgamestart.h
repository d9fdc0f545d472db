// Tgamestart: the host's player picks the rounds to play and what happens to
// players who arrive during a game, and starts the game.
#pragma once

#include "forms.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QSpinBox;

class Tgamestart : public QDialog {
    Q_OBJECT
public:
    explicit Tgamestart(Forms &forms, QWidget *parent = nullptr);

    int rounds() const;
    void setRounds(int rounds);
    // 1 "Cannot Play", 2 "Starts with Highest", 3 "Starts with Average".
    int newcomersOption() const { return m_newcomers; }
    // Ticks the named check box ("image_newcomers1".."3") and clears the others.
    void checkit(const QString &name);
    void image_newcomers1Click(int option) { checkit(QStringLiteral("image_newcomers%1").arg(option)); }
    void button_startClick();

    QSpinBox *UpDown1;
    QLineEdit *edit_playtoscore;
    QLabel *label_newcomers;
    std::array<QLabel *, 4> image_newcomers{};

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    Forms &m_forms;
    int m_newcomers = 1;
};
