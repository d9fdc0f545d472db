// Tdownload: placeholder until its window is built.
#pragma once

#include "forms.h"

#include <QDialog>

class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(Forms &forms, QWidget *parent = nullptr);

private:
    Forms &m_forms;
};
