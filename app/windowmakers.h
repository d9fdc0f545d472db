// SPDX-License-Identifier: MIT
// How each of the program's side windows is made, the first time it is used.
#pragma once

#include "forms.h"

// forms.chat exists; forms must stay where it is while the windows live.
void makeWindowsOnFirstUse(Forms &forms);
