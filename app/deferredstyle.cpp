// SPDX-License-Identifier: MIT
#include "deferredstyle.h"

#include "deferredicon.h"

#include <QPointer>
#include <QWidget>

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    // An option lives only for this call: such a request is answered now.
    if (option)
        return QProxyStyle::standardIcon(icon, option, widget);
    QPointer<QStyle> base(baseStyle());
    QPointer<const QWidget> asker(widget);
    return deferredIcon([base, asker, icon, hadWidget = widget != nullptr]() {
        if (!base || (hadWidget && !asker))
            return QIcon();
        return base->standardIcon(icon, nullptr, asker.data());
    });
}
