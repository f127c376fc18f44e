// The main window of appconfig-edit: the tree of the parameter beside what
// the selected node holds and the data image it packs, the check results
// below, and the file, edit and check commands.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>

#include "EditDocument.h"
#include "appconfig/AppLog.h"
#include "EditTreeLink.h"

class CAppCtrlEditDump;
class CAppPage;
class QAction;
class QDockWidget;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class EditWindow : public QMainWindow, private EditTreeLink::Host, private COutputInfoInterface {
  Q_OBJECT

public:
  // Loads of more parameters than this show a progress window.
  static constexpr std::size_t PROGRESS_FROM = 2000;

  EditWindow();
  ~EditWindow() override;

  // Opens a file without asking about unsaved changes; false (after
  // telling the user) when it cannot be opened, the current file staying.
  bool OpenFile(const std::string& file, const std::string& key);
  // Asks first when there are unsaved changes; false when the user keeps
  // the current file or the file cannot be opened.
  bool OpenFileWithPrompt(const std::string& file, const std::string& key);
  // Saves to `file` (".bin": binary, else XML values); false after telling
  // the user why not.
  bool SaveTo(const std::string& file);
  // Selects the node at `path` ("" the root); false when there is none.
  bool SelectPath(const std::string& path);
  // Fills the check results; the number of errors.
  int RunCheck();
  void Undo();

  EditDocument& Document() { return m_document; }
  EditTreeLink* TreeLink() const { return m_pLink.get(); }
  CAppParam* SelectedParam() const { return m_pSelected; }
  CAppCtrlEditDump* ImageView() const { return m_pImage; }
  QLabel* ImageTitle() const { return m_pImageTitle; }
  QTreeWidget* CheckList() const { return m_pCheckList; }
  QPushButton* PropertiesButton() const { return m_pPropertiesButton; }
  QAction* UndoAction() const { return m_pUndoAction; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void BuildActions();
  void BuildCentre();
  void BuildCheckDock();
  void ShowDocument();
  void ShowSelection();
  void ShowImage(CAppParam* imaged);
  void UpdateTitle();
  void RefillTree();
  void ClearCheckResults();
  // Before the file is closed: true to go on (saved or discarded).
  bool MaybeSave();
  void OnOpen();
  bool OnSave();
  bool OnSaveAs();
  void OnCheckItemActivated(QTreeWidgetItem* item);
  void ShowError(const QString& title, const std::string& message);

  // The library's soft errors, on the status bar.
  void OutputInfo(const std::string& text, unsigned long param) override;

  void OnTreeSelect(CAppParam* param) override;
  void BeforeProperties() override;
  void AfterProperties() override;
  void OnPropertiesDone() override;

  EditDocument m_document;
  std::unique_ptr<EditTreeLink> m_pLink;
  QPointer<CAppPage> m_pPage;
  CAppParam* m_pSelected = nullptr;
  std::string m_strSelectedPath;

  QWidget* m_pTreeSlot = nullptr;
  QLabel* m_pPath = nullptr;
  QLabel* m_pClass = nullptr;
  QLabel* m_pValue = nullptr;
  QLabel* m_pImageTitle = nullptr;
  QPushButton* m_pPropertiesButton = nullptr;
  CAppCtrlEditDump* m_pImage = nullptr;
  QDockWidget* m_pCheckDock = nullptr;
  QTreeWidget* m_pCheckList = nullptr;
  QAction* m_pSaveAction = nullptr;
  QAction* m_pSaveAsAction = nullptr;
  QAction* m_pUndoAction = nullptr;
  QAction* m_pCheckAction = nullptr;
  QAction* m_pPropertiesAction = nullptr;
};
