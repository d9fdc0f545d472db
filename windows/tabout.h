// Tabout: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
