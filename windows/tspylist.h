// SPDX-License-Identifier: MIT
// Tspylist: the watchers ("spies") connected to the game; the host's player
// can remove the one under the mouse pointer.
#pragma once

#include "forms.h"

#include <QDialog>

class QAction;
class QListWidget;
class QMenu;

class Tspylist : public QDialog {
    Q_OBJECT
public:
    explicit Tspylist(Forms &forms, QWidget *parent = nullptr);

    void listbox_spysMouseMove(const QPoint &pos);
    void popup_kickhimClick();
    void button_doneClick() { hide(); }

    QListWidget *listbox_spys;
    QMenu *popup_kick;
    QAction *popup_kickhim;
    int listTag = -1; // the entry under the mouse pointer, -1 for none

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    Forms &m_forms;
};
