// SPDX-License-Identifier: MIT
#include "offerpicture.h"

#include "jpegimage.h"
#include "look.h"

#include <QFile>
#include <QPainter>
#include <QResource>
#include <QStringList>
#include <QTimer>

OfferPicture::OfferPicture(const QSize &size, QWidget *parent) : QWidget(parent)
{
    setFixedSize(size);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, look::BoardGreen);
    pal.setColor(QPalette::WindowText, look::Cream);
    setPalette(pal);
    setAutoFillBackground(true);
    const QStringList names = devicePixelRatioF() > 1.0
        ? QStringList{QStringLiteral(":/images/lobby@2x.jpg"), QStringLiteral(":/images/lobby.jpg")}
        : QStringList{QStringLiteral(":/images/lobby.jpg")};
    for (const QString &name : names) {
        // Our pictures are stored as they are: read in place, not copied.
        const QResource stored(name);
        if (stored.isValid() && stored.compressionAlgorithm() == QResource::NoCompression)
            m_jpeg = QByteArray::fromRawData(reinterpret_cast<const char *>(stored.data()), stored.size());
        else if (QFile file(name); file.open(QIODevice::ReadOnly))
            m_jpeg = file.readAll();
        else
            continue;
        // Kept for the first paint, which comes soon.
        m_decoded = decode();
        if (!m_decoded.isNull())
            break;
    }
    m_hasPicture = !m_decoded.isNull();
    if (!m_hasPicture)
        m_jpeg.clear();
}

// The picture at its logical size: larger ones are scaled down to fit.
QImage OfferPicture::decode() const
{
    QImage picture = jpegimage::decode(m_jpeg);
    if (picture.isNull())
        return picture;
    const qreal ratio = qMax<qreal>(1.0, qreal(picture.width()) / width());
    if (picture.size() != size() * ratio)
        picture = picture.scaled(size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

void OfferPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_hasPicture) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(28);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(look::Cream);
        painter.drawText(QRect(0, 0, width(), 60), Qt::AlignCenter, QStringLiteral("The Qorb42 Lobby"));
        return;
    }
    if (m_decoded.isNull())
        m_decoded = decode();
    const QSize logical = (QSizeF(m_decoded.size()) / m_decoded.devicePixelRatio()).toSize();
    painter.drawImage(QRect(QPoint((width() - logical.width()) / 2, (height() - logical.height()) / 2), logical),
                      m_decoded);
    if (!m_releaseQueued) {
        m_releaseQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_releaseQueued = false;
            m_decoded = QImage();
        });
    }
}
