// Thelp: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
