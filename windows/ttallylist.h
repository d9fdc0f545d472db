// Ttallylist: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    explicit Ttallylist(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
