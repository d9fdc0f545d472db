// SPDX-License-Identifier: MIT
// The "IS CLOSED" sign hung on the lobby picture: red bold letters on a dark
// translucent board with a red rounded border, painted by itself so the
// window needs no style sheet (and the program no style-sheet engine).
#pragma once

#include <QLabel>

class ClosedSign : public QLabel
{
public:
    explicit ClosedSign(const QString &text, QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override;
};
