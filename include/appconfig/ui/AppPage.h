// One page of a property sheet, built on a dialog template for one view of
// a link window; it forwards the page events to its link.
#pragma once

#include <QWidget>

#include <string>

#include "appconfig/ui/AppLnkWnd.h"

class CAppSheet;
class QTimer;

class CAppPage : public QWidget {
  Q_OBJECT

public:
  // The page's items come from dialog template `templateId`; the link is
  // not owned. A null link throws "Bad pointer", an unknown template
  // "Dialog template %u not found".
  CAppPage(CAppLnkWnd* link, unsigned templateId, QWidget* parent = nullptr);

  // The tab caption; an empty title is logged and becomes "Value".
  void SetTitle(const std::string& title);
  const std::string& GetName() const { return m_strName; }
  unsigned GetTemplateId() const { return m_nTemplateId; }
  CAppSheet* GetSheet() const { return m_pSheet; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  // The link's read-only flag.
  int IsReadOnly() const;
  void SetWaitActive(int waitActive) { m_nWaitActive = waitActive; }
  int GetWaitActive() const { return m_nWaitActive; }
  void LockButton();
  void UnLockButton();
  // Starts (or restarts) the page's timer; each tick runs the link's
  // OnUserTimer, never inside itself.
  void StartTimer(unsigned milliseconds);
  void StopTimer();

  // --- Page events -------------------------------------------------------------
  // On the first display: the link's OnInit must answer TRUE; false when
  // the page failed (its sheet then closes as cancelled).
  bool OnInitDialog();
  bool IsInitialized() const { return m_bInitialized; }
  int OnSetActive();
  int OnKillActive() { return OnExit(); }
  int OnExit();
  int OnWizardBack() { return OnExit() != 0 ? 0 : -1; }
  int OnWizardNext() { return OnExit() != 0 ? 0 : -1; }
  void OnCancelPage();

  // Set by the sheet that takes the page.
  void SetSheet(CAppSheet* sheet) { m_pSheet = sheet; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void WatchToolTips();

  CAppLnkWnd* m_pLink;
  unsigned m_nTemplateId;
  CAppSheet* m_pSheet = nullptr;
  std::string m_strName;
  int m_nWaitActive = 0;
  bool m_bInitialized = false;
  QTimer* m_pTimer;  // a child of the window
};
