// What the links share: the preamble every link class repeats, the dialog
// items of their pages, their tip tables and a few steps every link takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppLnkWnd.h"

class CAppCtrlButton;
class CAppParamGroup;
class CAppVariant;
class QWidget;

// --- The preamble of a link class, written once ----------------------------------------------

// The runtime class of a link class, and its _ResourcesInit, which creates
// the profile named after the class.
#define APP_IMPLEMENT_LINK(Link, Base) \
  APP_IMPLEMENT_DYNCREATE(Link, Base)  \
  void Link::_ResourcesInit(CAppResources* resources) { AppLnkCreateProfile(resources, #Link); }

// The same for a link of one untitled page on dialog template `Template`:
// its OnUserCreate adds that page.
#define APP_IMPLEMENT_ONE_PAGE_LINK(Link, Base, Template) \
  APP_IMPLEMENT_LINK(Link, Base)                          \
  void Link::OnUserCreate() { AddView(Template, std::string()); }

// The same for a parameter link, whose user parameter must be a `Param`
// (GetLinkParam; another class throws "Bad pointer").
#define APP_IMPLEMENT_PARAM_LINK(Link, Param, Template)  \
  APP_IMPLEMENT_ONE_PAGE_LINK(Link, CAppLnkSheet, Template) \
  Param* Link::GetLinkParam() { return AppLnkUserParam<Param>(*this); }

// Null resources throw "Bad pointer".
void AppLnkCreateProfile(CAppResources* resources, const char* className);

// The pointer itself; a null one throws "Bad pointer".
template <class T>
T* AppChecked(T* pointer) {
  APP_CHECK_POINTER(pointer);
  return pointer;
}

// The link's user parameter as a T; none, or another class, throws "Bad
// pointer".
template <class T>
T* AppLnkUserParam(CAppLnkWnd& link) {
  return AppChecked(AppDynamicCast<T>(link.GetUserParam()));
}

// The control attached as a T to item `id` (CAppLnkWnd::GetCtrl).
template <class T>
T* AppLnkCtrl(CAppLnkWnd& link, unsigned id) {
  T* control = nullptr;
  return link.GetCtrl(id, control);
}

// The group of the link's user parameter; none throws "Bad pointer".
CAppParamGroup* AppLnkUserGroup(CAppLnkWnd& link);

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

// Whether the link's check rule ("SYS_VALID") refuses a value, data bytes
// or the states of a multiple choice; the refused control then gets the
// focus (AppLnkSelectRefused). Without a rule nothing is refused.
bool AppLnkRefused(CAppLnkWnd& link, CAppVariant& value, QWidget* control);
bool AppLnkRefused(CAppLnkWnd& link, std::vector<std::uint8_t>& data, QWidget* control);
bool AppLnkRefused(CAppLnkWnd& link, std::vector<std::uint32_t>& states, QWidget* control);
