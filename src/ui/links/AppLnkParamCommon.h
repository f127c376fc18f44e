// What the parameter links share: the dialog items of their pages, their
// tip tables and a few steps every link takes.
#pragma once

#include <cstddef>
#include <string>

#include "appconfig/AppTools.h"

class CAppCtrlButton;
class CAppLnkWnd;
class CAppVariant;
class QWidget;

namespace AppLnkItem {
constexpr unsigned kDefaultButton = 13501;
constexpr unsigned kHelpStatic = 13515;
constexpr unsigned kNameStatic = 13516;
constexpr unsigned kDefaultCaption = 13518;
constexpr unsigned kMaxStatic = 13521;
constexpr unsigned kMinStatic = 13522;
constexpr unsigned kUnitStatic = 13525;
constexpr unsigned kFirstMailField = 13529;
constexpr unsigned kAddress = 13551;
constexpr unsigned kValue = 13605;
}  // namespace AppLnkItem

// One row of a link's tip table: a dialog item and its resource string.
struct AppLnkTip {
  unsigned ctrlId;
  unsigned stringId;
};

// The tips of the name and help statics, and of the default button.
inline constexpr AppLnkTip kNameTip{AppLnkItem::kNameStatic, 57737};
inline constexpr AppLnkTip kHelpTip{AppLnkItem::kHelpStatic, 57738};
inline constexpr AppLnkTip kDefaultTip{AppLnkItem::kDefaultButton, 57741};

// The resource string of the item's row, else an empty string.
template <std::size_t N>
std::string AppLnkTipText(const AppLnkTip (&tips)[N], unsigned ctrlId) {
  for (const AppLnkTip& tip : tips) {
    if (tip.ctrlId == ctrlId) return CAppTools::LoadString(tip.stringId);
  }
  return std::string();
}

// A link stores nothing when it is read-only or its parameter is.
bool AppLnkIsReadOnly(CAppLnkWnd& link);

// A button attached to item `id` that keeps the caption the template gave
// the item.
CAppCtrlButton* AppLnkAddButton(CAppLnkWnd& link, unsigned id);

// A bound, a default ... as text; an empty or unconvertible value gives "".
std::string AppLnkVariantText(const CAppVariant& value);

// Gives the focus to a refused control with its text selected.
void AppLnkSelectRefused(QWidget* control);
