// A link window whose views are pages of a property sheet (CAppSheet).
// The parameter links derive from it.
#pragma once

#include "appconfig/ui/AppLnkWnd.h"

class CAppLnkSheet : public CAppLnkWnd {
  APP_DECLARE_DYNCREATE(CAppLnkSheet)

public:
  // The sheet that shows the link's pages (not owned); null throws "Bad pointer".
  void SetSheet(CAppSheet* sheet);
  CAppSheet* GetSheet() const { return m_pSheet; }
  unsigned GetPageCount() const { return m_nPageCount; }

  // Forwarded to the sheet.
  void EndDialog(int result) override;
  void EnableHelp(int enable) override;
  // Sends "wmOnError" to the sheet: wParam 1 when `error` is set, else 0.
  void OnUserError(unsigned ctrlId, int error) override;
  // The focus to the next or previous item of the active page.
  void NextCtrl() override;
  void PrevCtrl() override;
  // A new page on dialog template `templateId`, added to the sheet; its
  // link-local number. A "SYS_PAGE_<n>" group of the profile gives the page
  // its title and wait-active setting and becomes the profile.
  unsigned AddView(unsigned templateId, const std::string& title) override;
  // The link-local number of the sheet's active page.
  int GetActiveIndex() override;

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppSheet* m_pSheet = nullptr;
  unsigned m_nPageCount = 0;
};
