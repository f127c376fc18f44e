// Key states for the core's keyboard provider (AppKeyboard.h).
//
// Qt reports the modifier keys, not which of the two Shift or Control keys
// is down: "left Shift" reads as either Shift key, "left Control" as either
// Control key.
#pragma once

#include "appconfig/AppKeyboard.h"

bool AppQtKeyHeld(AppKey key);
