// SPDX-License-Identifier: MIT
// Tabout: the about box. Its label `version` is also the protocol version
// that the table window sends at login and the host compares.
#pragma once

#include "forms.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TURL;

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(Forms &forms, QWidget *parent = nullptr);

    // The protocol version, "1.0.1".
    QString versionText() const;
    // The version as the box shows it, "1.0.1.2".
    QString displayedVersion() const;

    void button_doneClick();
    void label_webClick();

    QLabel *label_product;
    QLabel *label_versionword;
    QLabel *version;
    QLabel *label_build;
    QLabel *label_credit1;
    QLabel *label_credit2;
    QLabel *label_web;
    QPushButton *button_done;
    TURL *URL1;

private:
    Forms &m_forms;
};
