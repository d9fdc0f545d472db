// SPDX-License-Identifier: MIT
// The platform's style with its standard icons made when first drawn. Qt
// asks the style for icons while it builds a window (a menu bar's overflow
// arrow, for one) that our fixed-size windows never show; reading them
// makes Qt load and ask every image plugin it has (and the SVG and JPEG
// libraries behind them) before the table is on the screen.
#pragma once

#include <QProxyStyle>

class DeferredIconStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
