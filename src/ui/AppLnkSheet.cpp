#include "appconfig/ui/AppLnkSheet.h"

#include <cstdlib>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"
#include "links/AppLnkParamCommon.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

APP_IMPLEMENT_LINK(CAppLnkSheet, CAppLnkWnd)

namespace {

// Moves the focus inside the sheet's active page.
void MoveFocus(CAppSheet* sheet, bool previous) {
  if (CAppPage* page = sheet != nullptr ? sheet->GetAppPage(-1) : nullptr) AppMoveDialogFocus(page, previous);
}

// A profile entry read as a number: its value, else its name.
int ReadNumber(CAppParam* entry) {
  std::string text = entry->GetFmtValue();
  if (text.empty()) text = entry->GetName();
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 0));
}

}  // namespace

void CAppLnkSheet::SetSheet(CAppSheet* sheet) {
  APP_CHECK_POINTER(sheet);
  m_pSheet = sheet;
}

void CAppLnkSheet::EndDialog(int result) {
  if (m_pSheet != nullptr) m_pSheet->EndDialog(result);
}

void CAppLnkSheet::EnableHelp(int enable) {
  if (m_pSheet != nullptr) m_pSheet->EnableHelp(enable);
}

void CAppLnkSheet::OnUserError(unsigned /*ctrlId*/, int error) {
  APP_CHECK_POINTER(m_pSheet);
  SendAppMessage(m_pSheet, AppWindowMessage::OnError, error != 0 ? 1 : 0, 0);
}

void CAppLnkSheet::NextCtrl() { MoveFocus(m_pSheet, false); }
void CAppLnkSheet::PrevCtrl() { MoveFocus(m_pSheet, true); }

int CAppLnkSheet::GetActiveIndex() {
  return m_pSheet != nullptr ? static_cast<int>(m_pSheet->GetLnkIndex(-1)) : 0;
}

unsigned CAppLnkSheet::AddView(unsigned templateId, const std::string& title) {
  APP_CHECK_POINTER(m_pSheet);
  std::string pageTitle = title;
  int waitActive = 1;
  CAppParamGroup* profile = GetProfile();
  CAppParam* pageEntry =
      profile != nullptr ? profile->FindChild(CAppTools::Format("%s_%u", "SYS_PAGE", m_nPageCount)) : nullptr;
  if (CAppParamGroup* page = pageEntry != nullptr ? pageEntry->GetGroup() : nullptr) {
    SetProfile(page);
    pageTitle = page->GetName();
    if (CAppParam* wait = page->FindChild("SYS_WAIT_ACTIVE")) waitActive = ReadNumber(wait);
  } else if (pageTitle.empty()) {
    pageTitle = CAppTools::LoadString(13509);
  }
  auto* pageWindow = new CAppPage(this, templateId);
  pageWindow->SetWaitActive(waitActive);
  pageWindow->SetTitle(pageTitle);
  m_pSheet->AddAppPage(pageWindow, m_nPageCount);
  _AddView(pageWindow);
  return m_nPageCount++;
}
