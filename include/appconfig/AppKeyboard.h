// The state of the modifier keys that switch the developer modes (left Shift
// opens the debug sheet, left Control turns debug mode on while loading).
//
// The library has no window of its own: until the windowing layer installs a
// provider, every key reads "not held".
#pragma once

enum class AppKey {
  LeftShift,
  LeftControl,
};

using AppKeyStateProvider = bool (*)(AppKey key);

// Whether the key is held down at this moment.
bool AppIsKeyHeld(AppKey key);
// Installs (or, with null, removes) the function that reads the keys.
void AppSetKeyStateProvider(AppKeyStateProvider provider);
