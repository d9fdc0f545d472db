// SPDX-License-Identifier: MIT
// PhraseButton: one of the table's phrase buttons, a small picture on white
// in a thin frame that turns pale green under the mouse. It paints itself:
// a style sheet would bring the style sheet machinery into every start.
#pragma once

#include <QToolButton>

class PhraseButton : public QToolButton {
    Q_OBJECT
public:
    explicit PhraseButton(QWidget *parent = nullptr);

    static const QColor Face;
    static const QColor HoverFace;
    static const QColor Frame;

protected:
    void paintEvent(QPaintEvent *e) override;
};
