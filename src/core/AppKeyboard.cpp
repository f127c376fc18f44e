#include "appconfig/AppKeyboard.h"

namespace {
AppKeyStateProvider g_provider = nullptr;
}  // namespace

bool AppIsKeyHeld(AppKey key) { return g_provider != nullptr && g_provider(key); }

void AppSetKeyStateProvider(AppKeyStateProvider provider) { g_provider = provider; }
