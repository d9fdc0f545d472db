// SPDX-License-Identifier: MIT
// Small widgets of the table window: picture buttons, the board's drawing
// surface, the hand area and the hand bones.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <functional>

class Tchat;
class QKeyEvent;

// A picture from the program's artwork, or a plain stand-in of that size
// when the picture is missing.
QPixmap artwork(const QString &name, QSize size);

// A flat button showing a picture, with a second picture under the mouse or
// the keyboard's focus. Space, Return and Enter press it.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString &picture, const QString &hoverPicture, const QString &text, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QPixmap m_picture, m_hover;
    bool m_under = false;
};

// The board's drawing surface: the backdrop, then the spinner and the toe
// bones from the window's cell table.
class BoardSurface : public QWidget {
    Q_OBJECT
public:
    BoardSurface(Tchat *chat, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    Tchat *m_chat;
    QPixmap m_backdrop;
};

// The hand area behind the hand bones.
class HandSurface : public QWidget {
    Q_OBJECT
public:
    explicit HandSurface(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap m_backdrop;
};

// One bone of the player's hand: its tag is the hand number, its hint the
// bone number. One bone of the hand at a time takes the keyboard's focus.
class HandBone : public QLabel {
    Q_OBJECT
public:
    HandBone(int handnum, int bone, QWidget *parent);
    int tag() const { return m_handnum; }
    int hint() const { return m_bone; }
    std::function<void(HandBone *, Qt::MouseButton)> onMouseDown;
    // A key while the bone has the focus; true when it was used.
    std::function<bool(HandBone *, QKeyEvent *)> onKey;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void moveEvent(QMoveEvent *e) override;

private:
    int m_handnum;
    int m_bone;
};

// A toe target: the place where the next bone of a toe would go. Marked, it
// stands out (the hint's target, or the one chosen from the keyboard).
class ToeTarget : public QLabel {
    Q_OBJECT
public:
    ToeTarget(int toe, QWidget *parent);
    int hint() const { return m_toe; }
    void setMarked(bool on);
    bool marked() const { return m_marked; }

signals:
    void clicked(int toe);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    int m_toe;
    bool m_marked = false;
};
