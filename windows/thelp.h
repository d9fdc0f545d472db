// SPDX-License-Identifier: MIT
// Thelp: the help window, six pages of text behind a row of page buttons.
#pragma once

#include "forms.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(Forms &forms, QWidget *parent = nullptr);

    // A page button: brings memo + its Tag to the front and shows its caption.
    void pagebuttonClick(QPushButton *button);
    void button_aboutClick();
    void button_doneClick();

    // The page in front, 1 to 6.
    int currentPage() const;

    QPushButton *button_overview;
    QPushButton *button_connecting;
    QPushButton *button_gameplay;
    QPushButton *button_scoring;
    QPushButton *button_documentation;
    QPushButton *button_license;
    QPushButton *button_about;
    QPushButton *button_done;
    QLabel *label_credit1;
    QLabel *label_credit2;
    QLabel *label_caption;
    QStackedWidget *pages;
    QTextBrowser *memo1;
    QTextBrowser *memo2;
    QTextBrowser *memo3;
    QTextBrowser *memo4;
    QTextBrowser *memo5;
    QTextBrowser *memo6;

private:
    Forms &m_forms;
};
