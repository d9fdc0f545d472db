// SPDX-License-Identifier: MIT
// TURL: a web or mail address that opens with the desktop's default handler
// (the about box's web link, the table window's banner).
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class TURL : public QObject {
    Q_OBJECT
public:
    enum TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais, utnone };
    Q_ENUM(TURLType)

    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(TURLType URLType READ URLType WRITE setURLType)

    explicit TURL(QObject *parent = nullptr);

    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    TURLType URLType() const { return m_type; }
    void setURLType(TURLType type) { m_type = type; }

    // "http://" for utHttp, "mailto:" for utMailto, nothing for utnone.
    static QString prefix(TURLType type);
    // The address handed to the desktop: prefix + URL.
    QString address() const { return prefix(m_type) + m_url; }

    // Hands the address to the desktop. False for an empty URL or when the
    // desktop refused it.
    bool open();

    // What open() calls; QDesktopServices::openUrl unless a test stands in.
    std::function<bool(const QUrl &)> opener;

private:
    QString m_url;
    TURLType m_type = utHttp;
};
