// SPDX-License-Identifier: MIT
// Tphrases: the dialog that edits the phrases of the ten phrase buttons.
#pragma once

#include "forms.h"

#include <QDialog>

#include <array>

class QLineEdit;

class Tphrases : public QDialog {
    Q_OBJECT
public:
    explicit Tphrases(Forms &forms, QWidget *parent = nullptr);

    // Copies the buttons' phrases into the edits (before showing).
    void loadPhrases();
    // Done: the edits become the buttons' phrases and are saved.
    void button_doneClick();

    std::array<QLineEdit *, 11> phrase{};

protected:
    void showEvent(QShowEvent *e) override;

private:
    Forms &m_forms;
};
