// The system clipboard (QClipboard) as text.
#pragma once

#include <string>

void AppSetClipboardText(const std::string& text);
