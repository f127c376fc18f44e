// A modeless progress window with a cancel button, for long work on the
// user-interface thread: every change of its state first processes the
// pending events, so the application stays alive and the cancel button
// can be pressed.
#pragma once

#include <QDialog>
#include <QPointer>

#include <string>

class QLabel;
class QProgressBar;

class CAppDlgProgress : public QDialog {
  Q_OBJECT

public:
  CAppDlgProgress();
  ~CAppDlgProgress() override;

  // Disables the owner (the active window) while the progress shows, builds
  // the window from template 13576 and shows it; "Progress Error" when the
  // window cannot be built.
  void Run(const std::string& caption);
  // The position goes to `lower`. Equal bounds show a busy bar, for work
  // whose length is not known.
  void SetRange(int lower, int upper);
  void SetPos(int position);
  void SetStep(int step) { m_nStep = step; }
  void StepIt();
  void SetStatus(const char* text);
  // Whether cancel was pressed since the last call.
  int CheckCancelButton();
  // Gives the owner back and closes the window.
  void DestroyWindow();

  int GetPos() const { return m_nPos; }
  // The percentage shown: 0 for an empty range or a position below it, 100
  // (logged) above it, else rounded to nearest.
  int GetPercent() const;

protected:
  void reject() override { m_bCancelled = true; }
  void accept() override {}

private:
  void ShowPercent();

  QLabel* m_pAnimation = nullptr;
  QProgressBar* m_pProgress = nullptr;
  QLabel* m_pPercent = nullptr;
  QLabel* m_pStatus = nullptr;
  int m_nLower = 0;
  int m_nUpper = 100;
  int m_nStep = 10;
  int m_nPos = 0;
  bool m_bCancelled = false;
  QPointer<QWidget> m_pDisabledOwner;
};
