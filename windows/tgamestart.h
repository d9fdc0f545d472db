// Tgamestart: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Tgamestart : public QDialog {
    Q_OBJECT
public:
    explicit Tgamestart(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
