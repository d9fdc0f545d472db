// SPDX-License-Identifier: MIT
// An icon made the first time something asks it for pixels or sizes, so a
// window can hold icons it may never draw without decoding them (or making
// Qt load its image plugins to read them) while it starts.
#pragma once

#include <QIcon>

#include <functional>

QIcon deferredIcon(std::function<QIcon()> make);
