// A plain modal dialog bound to one link window, built on a dialog template.
// The template's items form the dialog; OK and Cancel buttons are added
// below unless the template has items 1 and 2 of its own.
#pragma once

#include <QDialog>

#include <string>

#include "appconfig/ui/AppLnkWnd.h"

class QTimer;

class CAppDialog : public QDialog {
  Q_OBJECT

public:
  // A null link throws "Bad pointer"; the link is not owned.
  explicit CAppDialog(CAppLnkWnd* link, QWidget* parent = nullptr);

  void SetResource(unsigned templateId, const std::string& name);
  const std::string& GetName() const { return m_strName; }
  unsigned GetTemplateId() const { return m_nTemplateId; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  int IsReadOnly() const { return 0; }
  // The link's OnExit.
  int OnExit();
  int OnKillActive() { return 1; }
  void StartTimer(unsigned milliseconds);
  void StopTimer();
  void LockButton() {}
  void UnLockButton() {}
  void DoBeginDrag() {}
  void DoEndDrag() {}

  // Builds the dialog (the link's OnUserInit must answer TRUE, then
  // OnActive) and shows it; 2 when the initialisation fails.
  int DoModal();

protected:
  void accept() override;

private:
  bool OnInitDialog();
  void AddStandardButtons();

  CAppLnkWnd* m_pLink;
  unsigned m_nTemplateId = 0;
  unsigned m_nTemplateLow = 0;  // the low 16 bits, as the template's number
  std::string m_strName;
  QTimer* m_pTimer;  // a child of the window
};
