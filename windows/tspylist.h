// Tspylist: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Tspylist : public QDialog {
    Q_OBJECT
public:
    explicit Tspylist(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
