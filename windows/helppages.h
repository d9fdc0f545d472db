// SPDX-License-Identifier: MIT
// The six pages of the help window, as rich text.
#pragma once

#include <QString>

namespace helppages {

// Page 1 to 6: overview, connecting, game play, scoring, version history,
// licence. Any other number gives an empty page.
QString page(int number);

} // namespace helppages
