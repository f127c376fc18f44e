// The property sheet that shows the pages of one or more link windows, with
// its own row of buttons (help, cancel, OK from the right; previous and
// next from the left), a saved position, an exit rule and a lock used while
// a control shows an error.
//
// Pages are made active the first time they are shown (their OnInitDialog
// runs then); a page never shown keeps its wait-active flag, and closing
// with OK, Next or Previous visits it first.
#pragma once

#include <QDialog>
#include <QRect>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CAppPage;
class CAppRuleCheckParam;
class QPushButton;
class QTabWidget;

class CAppSheet : public QDialog {
  Q_OBJECT

public:
  // Dialog item numbers of the buttons.
  enum : unsigned { ID_OK = 1, ID_CANCEL = 2, ID_PREVIOUS = 1000, ID_NEXT = 1001, ID_HELP = 1004 };
  // Dialog results besides 1 (OK) and 2 (cancel).
  enum : int { RESULT_PREVIOUS = 500, RESULT_NEXT = 501 };

  // The argument is not used.
  explicit CAppSheet(int unused = 0, QWidget* parent = nullptr);
  ~CAppSheet() override;

  // Takes the page (null: "Bad pointer") with its link-local number.
  void AddAppPage(CAppPage* page, unsigned linkIndex);
  // -1 is the active page; null when out of range.
  CAppPage* GetAppPage(int index) const;
  // -1 is the active page; 0 when out of range.
  unsigned GetLnkIndex(int index) const;
  int GetPageCount() const;
  int GetActiveIndex() const { return m_nActivePage; }
  // Makes the page current (it is initialised on its first display); false
  // when the current page refuses to be left or the page fails.
  bool SetActivePage(int index);

  // Shows the sheet modally and deletes its pages afterwards; the result.
  int DoModal();
  // 2 cancels (not when cancel is disallowed), anything else closes through
  // the pages' exits and the exit rule; the sheet stays when one refuses.
  void EndDialog(int result);
  void RemoveAll();

  void SetName(const std::string& name);
  const std::string& GetName() const { return m_strName; }
  // The sheet owns the rule.
  void SetRuleExit(std::unique_ptr<CAppRuleCheckParam> rule);
  void SetButtonNameHelp(const std::string& text);
  void EnableNext(int enable);
  void EnablePrevious(int enable);
  void EnableOk(int enable);
  void EnableHelp(int enable);
  // Close mode: a single "&Fermer" button in the cancel button's place.
  void EnableClose(int enable) { m_bClose = enable; }
  void SetReadOnly(int readOnly) { m_bReadOnly = readOnly; }
  int IsReadOnly() const { return m_bReadOnly; }
  // Offset from a parent sheet, right and down.
  void SetShiftPos(unsigned shift) { m_nShift = shift; }
  void LockButton();
  void UnLockButton();
  bool IsLocked() const { return m_bLocked; }
  // "wmOnError": wParam 1 locks the buttons, anything else unlocks them; 0.
  long OnError(long wParam, long lParam);
  // The help button: the active page's link shows its help.
  void OnClickHelp();

  const std::string& GetCurrentPageName() const { return m_strCurrentPageName; }
  unsigned GetCurrentPageNumber() const { return m_nCurrentPageNumber; }
  void SetCurrentPageName(const std::string& name) { m_strCurrentPageName = name; }
  void SetCurrentPageNumber(unsigned number);
  bool HasSavedPosition() const { return m_bSavedPos; }
  QRect GetSavedPosition() const { return m_savedRect; }
  CAppSheet* GetParentSheet() const { return m_pParentSheet; }

  // The button with that item number once the row exists, else null.
  QPushButton* GetButton(unsigned id) const;
  QTabWidget* GetTabWidget() const { return m_pTabs; }

  // Tabs in several rows (off by default) for the sheets built afterwards.
  static void SetModeMultiLine(int multiLine);
  // The next sheet built has no cancel and no close button.
  static void DisableCancel();

protected:
  bool event(QEvent* event) override;
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  enum Slot { SLOT_HELP, SLOT_CANCEL, SLOT_OK, SLOT_PREVIOUS, SLOT_NEXT, SLOT_COUNT };

  bool OnInitDialog();
  bool InitButton();
  void PlaceWindow();
  void OnCurrentTabChanged(int index);
  bool ActivatePage(int index);
  bool VisitWaitingPages();
  // The pages' cancel, unless the sheet is read-only.
  void CancelPages();
  void SetButtonEnabled(Slot slot, bool enable);
  // An Enable... switch: its flag and its button.
  void SetSwitch(int& flag, Slot slot, int enable);

  std::unique_ptr<CAppRuleCheckParam> m_pRuleExit;
  std::string m_strName;
  CAppSheet* m_pParentSheet = nullptr;
  unsigned m_nShift = 20;
  bool m_bSavedPos = false;
  QRect m_savedRect;
  int m_bNext = 0;
  int m_bHelp = 0;
  int m_bPrevious = 0;
  int m_bCancel = 1;
  int m_bOk = 1;
  int m_bReadOnly = 0;
  int m_bClose = 0;
  std::string m_strCurrentPageName;
  unsigned m_nCurrentPageNumber = 0;
  std::array<QPushButton*, SLOT_COUNT> m_buttons{};
  bool m_bButtonRow = false;
  bool m_bLocked = false;
  std::vector<unsigned> m_linkIndexes;
  std::string m_strHelpButton;
  QTabWidget* m_pTabs = nullptr;
  int m_nActivePage = -1;
  bool m_bSwitching = false;  // a page change made by the sheet itself

  static int s_bMultiLine;
  static int s_bCancelAllowed;
};
