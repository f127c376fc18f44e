// Keys, field names and class names compare without regard to letter case,
// as CAppTools::MakeUpper folds them. Shared by the group's index and the
// binary reader, which both compare on hot paths.
#pragma once

#include <string>
#include <string_view>

#include "appconfig/AppTools.h"

// Plain ASCII (nearly every key) is folded byte by byte; anything else goes
// through MakeUpper itself.
inline bool AppSameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if (x >= 0x80 || y >= 0x80) return CAppTools::MakeUpper(std::string(a)) == CAppTools::MakeUpper(std::string(b));
    if ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z') return false;
  }
  return true;
}
