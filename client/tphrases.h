// Tphrases: the dialog that edits the ten phrase buttons' phrases.
#pragma once

#include "forms.h"

#include <QDialog>

class Tphrases : public QDialog {
    Q_OBJECT
public:
    explicit Tphrases(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
