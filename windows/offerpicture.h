// SPDX-License-Identifier: MIT
// The lobby's picture across the top of the offer window. The window's
// backing store holds its pixels while the window is shown, so the decoded
// picture (0.7 MB) is let go once painted and decoded again from the JPEG
// (43 kB) on the rare repaint. Without a picture (no libjpeg, a damaged
// file) it is a green panel with the lobby's name.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QWidget>

class OfferPicture : public QWidget
{
public:
    // Reads the sharper copy on a high-density screen, the plain one otherwise.
    OfferPicture(const QSize &size, QWidget *parent);
    bool hasPicture() const { return m_hasPicture; }
    // Whether a decoded copy is held now (only between decoding and painting).
    bool holdsDecoded() const { return !m_decoded.isNull(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage decode() const;

    QByteArray m_jpeg;
    QImage m_decoded;
    bool m_hasPicture = false;
    bool m_releaseQueued = false;
};
