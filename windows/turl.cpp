// SPDX-License-Identifier: MIT
#include "turl.h"

#include <QDesktopServices>

TURL::TURL(QObject *parent)
    : QObject(parent), opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

QString TURL::prefix(TURLType type)
{
    switch (type) {
    case utFile: return QStringLiteral("file://");
    case utFtp: return QStringLiteral("ftp://");
    case utGopher: return QStringLiteral("gopher://");
    case utHttp: return QStringLiteral("http://");
    case utHttps: return QStringLiteral("https://");
    case utMailto: return QStringLiteral("mailto:");
    case utNews: return QStringLiteral("news:");
    case utTelnet: return QStringLiteral("telnet:");
    case utWais: return QStringLiteral("wais:");
    case utnone: break;
    }
    return QString();
}

bool TURL::open()
{
    if (m_url.isEmpty() || !opener)
        return false;
    const QUrl url(address(), QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    return opener(url);
}
