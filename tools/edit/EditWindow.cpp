#include "EditWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "AppConfigFiles.h"
#include "AppConfigLayout.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppDlgProgress.h"
#include "appconfig/ui/AppPage.h"

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The library's messages start with a marker that tells nothing to a user.
std::string WithoutMarker(const std::string& message) {
  static const std::string marker = "Exception >";
  return message.rfind(marker, 0) == 0 ? message.substr(marker.size()) : message;
}

std::string ShownPath(const std::string& path) { return path.empty() ? "\\" : path; }

// The progress window of a long load, shown once the load has built enough
// parameters to be worth it; its cancel button abandons the load.
class LoadProgressWindow : public CAppStreamXML::LoadProgress {
public:
  explicit LoadProgressWindow(std::string caption) : m_caption(std::move(caption)) {}
  ~LoadProgressWindow() override {
    if (m_pDialog != nullptr) m_pDialog->DestroyWindow();
  }
  LoadProgressWindow(const LoadProgressWindow&) = delete;
  LoadProgressWindow& operator=(const LoadProgressWindow&) = delete;

  void OnLoadProgress(std::size_t params) override {
    if (params < EditWindow::PROGRESS_FROM) return;
    if (m_pDialog == nullptr) {
      m_pDialog = std::make_unique<CAppDlgProgress>();
      m_pDialog->Run(m_caption);
      m_pDialog->SetRange(0, 0);  // how many parameters will come is not known
    }
    m_pDialog->SetStatus((std::to_string(params) + " parameters read").c_str());
    if (m_pDialog->CheckCancelButton() != 0) {
      m_bCancelled = true;
      APP_THROW("Loading cancelled");
    }
  }
  bool WasCancelled() const { return m_bCancelled; }

private:
  std::string m_caption;
  std::unique_ptr<CAppDlgProgress> m_pDialog;
  bool m_bCancelled = false;
};

}  // namespace

EditWindow::EditWindow() {
  setObjectName("appconfigEdit");
  BuildActions();
  BuildCentre();
  BuildCheckDock();
  ShowDocument();
  resize(1000, 680);
  CAppLog::SetPtr(this);
}

EditWindow::~EditWindow() {
  if (CAppLog::GetPtr() == this) CAppLog::SetPtr(nullptr);
  delete m_pPage;  // before the link it reports to
}

void EditWindow::OutputInfo(const std::string& text, unsigned long /*param*/) {
  statusBar()->showMessage(Text(text), 10000);
}

void EditWindow::BuildActions() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open...", QKeySequence::Open, this, &EditWindow::OnOpen);
  m_pSaveAction = file->addAction("&Save", QKeySequence::Save, this, &EditWindow::OnSave);
  m_pSaveAsAction = file->addAction("Save &As...", QKeySequence::SaveAs, this, &EditWindow::OnSaveAs);
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  m_pUndoAction = edit->addAction("&Undo Properties", QKeySequence::Undo, this, &EditWindow::Undo);
  m_pPropertiesAction = edit->addAction("&Properties...", QKeySequence(Qt::ALT | Qt::Key_Return), this, [this] {
    if (m_pLink != nullptr) m_pLink->OpenSelectedProperties();
  });

  QMenu* tools = menuBar()->addMenu("&Tools");
  m_pCheckAction = tools->addAction("&Check", QKeySequence(Qt::Key_F7), this, &EditWindow::RunCheck);
}

void EditWindow::BuildCentre() {
  auto* splitter = new QSplitter(this);
  m_pTreeSlot = new QWidget(splitter);
  auto* treeLayout = new QVBoxLayout(m_pTreeSlot);
  treeLayout->setContentsMargins(0, 0, 0, 0);

  auto* details = new QWidget(splitter);
  auto* detailsLayout = new QVBoxLayout(details);
  auto* form = new QFormLayout;
  m_pPath = new QLabel(details);
  m_pClass = new QLabel(details);
  m_pValue = new QLabel(details);
  for (QLabel* label : {m_pPath, m_pClass, m_pValue}) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
  }
  form->addRow("Path:", m_pPath);
  form->addRow("Class:", m_pClass);
  form->addRow("Value:", m_pValue);
  detailsLayout->addLayout(form);
  m_pPropertiesButton = new QPushButton("&Properties...", details);
  connect(m_pPropertiesButton, &QPushButton::clicked, m_pPropertiesAction, &QAction::trigger);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(m_pPropertiesButton);
  buttonRow->addStretch();
  detailsLayout->addLayout(buttonRow);
  m_pImageTitle = new QLabel(details);
  detailsLayout->addWidget(m_pImageTitle);
  m_pImage = new CAppCtrlEditDump(1, details);
  m_pImage->SetBase(1);
  m_pImage->SetOptions(true, true, true, false);
  m_pImage->MySetReadOnly(true);
  // The image is read-only, yet for reading: drawn in the normal colours,
  // with the selected node's bytes marked.
  QPalette colours = m_pImage->palette();
  colours.setColor(QPalette::Button, colours.color(QPalette::Base));
  colours.setColor(QPalette::Disabled, QPalette::Text, colours.color(QPalette::Active, QPalette::Text));
  m_pImage->setPalette(colours);
  detailsLayout->addWidget(m_pImage, 1);

  splitter->addWidget(m_pTreeSlot);
  splitter->addWidget(details);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({460, 540});
  setCentralWidget(splitter);
}

void EditWindow::BuildCheckDock() {
  m_pCheckDock = new QDockWidget("Check", this);
  m_pCheckDock->setObjectName("checkDock");
  m_pCheckDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  m_pCheckList = new QTreeWidget(m_pCheckDock);
  m_pCheckList->setColumnCount(2);
  m_pCheckList->setHeaderLabels({"Parameter", "Error"});
  m_pCheckList->setRootIsDecorated(false);
  m_pCheckList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  connect(m_pCheckList, &QTreeWidget::itemActivated, this, &EditWindow::OnCheckItemActivated);
  m_pCheckDock->setWidget(m_pCheckList);
  addDockWidget(Qt::BottomDockWidgetArea, m_pCheckDock);
  m_pCheckDock->hide();
}

// --- Files -----------------------------------------------------------------------------------

bool EditWindow::OpenFile(const std::string& file, const std::string& key) {
  LoadProgressWindow progress("Loading " + QFileInfo(Text(file)).fileName().toStdString());
  try {
    m_document.Open(file, key, &progress);
  } catch (const CAppException& e) {
    if (progress.WasCancelled()) {
      statusBar()->showMessage("Loading cancelled", 5000);
    } else {
      ShowError("Open", e.GetMessage());
    }
    return false;
  }
  ShowDocument();
  QString opened = "Opened " + Text(file);
  if (!m_document.Skipped().empty()) {
    QStringList skipped;
    for (const std::string& entry : m_document.Skipped()) skipped << Text(entry);
    const QString what = skipped.size() == 1 ? "entry" : "entries";
    opened += QString("; %1 %2 not imported: %3").arg(skipped.size()).arg(what, skipped.join(", "));
  }
  statusBar()->showMessage(opened, m_document.Skipped().empty() ? 5000 : 0);
  return true;
}

bool EditWindow::OpenFileWithPrompt(const std::string& file, const std::string& key) {
  return MaybeSave() && OpenFile(file, key);
}

void EditWindow::OnOpen() {
  if (!MaybeSave()) return;
  const QString file = QFileDialog::getOpenFileName(this, "Open", QString(),
                                                    "Descriptions and values (*.xml *.bin);;CANopen devices (*.eds *.dcf);;All files (*)");
  if (file.isEmpty()) return;
  std::string key;
  if (!file.endsWith(".bin", Qt::CaseInsensitive) && !IsDeviceFile(file.toStdString())) {
    DescriptionContents contents;
    try {
      contents = ReadDescriptionContents(file.toStdString());
    } catch (const CAppException& e) {
      ShowError("Open", e.GetMessage());
      return;
    }
    QStringList keys;
    for (const std::string& k : contents.keys) keys << Text(k);
    if (keys.isEmpty()) {
      ShowError("Open", file.toStdString() + " holds no definition");
      return;
    }
    bool chosen = true;
    const QString picked = keys.size() == 1 ? keys.front()
                                            : QInputDialog::getItem(this, "Open", "Definition:", keys, 0, false, &chosen);
    if (!chosen) return;
    key = picked.toStdString();
  }
  OpenFile(file.toStdString(), key);
}

bool EditWindow::SaveTo(const std::string& file) {
  try {
    m_document.SaveAs(file);
  } catch (const CAppException& e) {
    ShowError("Save", e.GetMessage());
    return false;
  }
  UpdateTitle();
  statusBar()->showMessage("Saved " + Text(m_document.File()), 5000);
  return true;
}

bool EditWindow::OnSave() {
  if (m_document.Root() == nullptr) return false;
  return m_document.CanSaveInPlace() ? SaveTo(m_document.File()) : OnSaveAs();
}

bool EditWindow::OnSaveAs() {
  if (m_document.Root() == nullptr) return false;
  const QFileInfo current(Text(m_document.File()));
  const bool device = !m_document.DeviceSource().empty();
  QString suggested = m_document.CanSaveInPlace()
                          ? current.filePath()
                          : current.dir().filePath(Text(m_document.Key()).toLower() + "-values.xml");
  if (device && !m_document.CanSaveInPlace()) suggested = current.dir().filePath(current.completeBaseName() + ".dcf");
  QString filters = "XML value file (*.xml);;Binary parameter file (*.bin)";
  if (device) filters = "Device configuration file (*.dcf);;" + filters;
  QString filter;
  QString file = QFileDialog::getSaveFileName(this, "Save As", suggested, filters, &filter);
  if (file.isEmpty()) return false;
  if (QFileInfo(file).suffix().isEmpty() && filter.contains("*.bin")) file += ".bin";
  if (QFileInfo(file).suffix().isEmpty() && filter.contains("*.dcf")) file += ".dcf";
  return SaveTo(file.toStdString());
}

bool EditWindow::MaybeSave() {
  if (!m_document.IsModified()) return true;
  const QString name = QFileInfo(Text(m_document.File())).fileName();
  const auto answer =
      QMessageBox::question(this, "appconfig-edit", "Save the changes made to " + name + "?",
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Save) return OnSave();
  return answer == QMessageBox::Discard;
}

void EditWindow::closeEvent(QCloseEvent* event) {
  if (MaybeSave()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void EditWindow::ShowError(const QString& title, const std::string& message) {
  QMessageBox::warning(this, title, Text(WithoutMarker(message)));
}

// --- The tree and the selection -------------------------------------------------------------

void EditWindow::ShowDocument() {
  delete m_pPage;
  m_pLink.reset();
  m_pSelected = nullptr;
  m_strSelectedPath.clear();
  ClearCheckResults();
  if (CAppParam* root = m_document.Root()) {
    m_pLink = std::make_unique<EditTreeLink>(static_cast<EditTreeLink::Host&>(*this));
    try {
      m_pPage = m_pLink->CreatePage(root, m_document.Resources());
    } catch (const CAppException& e) {
      delete m_pPage;
      m_pLink.reset();
      ShowError("Open", e.GetMessage());
    }
  }
  if (m_pPage != nullptr) {
    m_pTreeSlot->layout()->addWidget(m_pPage);
    m_pPage->show();
    SelectPath("");
  }
  ShowSelection();
  UpdateTitle();
}

bool EditWindow::SelectPath(const std::string& path) {
  if (m_pLink == nullptr || !m_pLink->SelectPath(path)) return false;
  // The tree tells of a selection only when it changes.
  OnTreeSelect(m_pLink->GetParam(m_pLink->GetTree(), m_pLink->GetTree()->GetSelectedItem()));
  return true;
}

void EditWindow::OnTreeSelect(CAppParam* param) {
  m_pSelected = param;
  m_strSelectedPath = param != nullptr ? param->GetPath() : std::string();
  ShowSelection();
}

void EditWindow::ShowSelection() {
  CAppParam* param = m_pSelected;
  const bool selected = param != nullptr;
  m_pPropertiesButton->setEnabled(selected);
  m_pPropertiesAction->setEnabled(selected);
  if (!selected) {
    for (QLabel* label : {m_pPath, m_pClass, m_pValue, m_pImageTitle}) label->clear();
    m_pImage->SetData(std::vector<std::uint8_t>());
    return;
  }
  CAppResources& resources = m_document.Resources();
  m_pPath->setText(Text(ShownPath(m_strSelectedPath)));
  std::string className = param->GetClassName();
  if (!param->GetAlias().empty()) className += " (" + param->GetAlias() + ")";
  m_pClass->setText(Text(className));
  CAppParamGroup* group = param->GetGroup();
  if (group != nullptr) {
    m_pValue->setText(QString("%1 parameters").arg(group->GetCount()));
  } else {
    const std::string unit = param->GetUnit(&resources);
    m_pValue->setText(Text(param->GetFmtValue(&resources) + (unit.empty() ? "" : " " + unit)));
  }
  ShowImage(group != nullptr || param->GetParent() == nullptr ? param : param->GetParent());
}

// The image a group packs; a leaf is shown inside its group's, with where
// its bits lie.
void EditWindow::ShowImage(CAppParam* imaged) {
  Layout layout;
  try {
    layout = PackLayout(*imaged);
  } catch (const CAppException& e) {
    m_pImage->SetData(std::vector<std::uint8_t>());
    m_pImageTitle->setText("No data image: " + Text(WithoutMarker(e.GetMessage())));
    return;
  }
  m_pImage->SetMaxLength(static_cast<unsigned>(std::max<std::size_t>(layout.image.size(), 1)));
  m_pImage->SetData(layout.image);
  const std::string name = imaged->GetParent() == nullptr ? imaged->GetKey() : imaged->GetPath();
  QString title = QString("Data image of %1: %2 bytes").arg(Text(name)).arg(layout.image.size());
  m_pImage->SetSelection(-1, -1);
  if (imaged != m_pSelected) {
    for (const LayoutField& field : layout.fields) {
      if (field.path != m_strSelectedPath || field.bits == 0) continue;
      m_pImage->SetSelection(static_cast<long>(field.FirstByte()), static_cast<long>(field.LastByte()));
      title += QString("\n%1: bits %2 to %3 (%4), bytes %5 to %6")
                   .arg(Text(m_pSelected->GetKey()))
                   .arg(field.bit)
                   .arg(field.bit + field.bits - 1)
                   .arg(FieldOrderName(field.kind))
                   .arg(field.FirstByte())
                   .arg(field.LastByte());
    }
  }
  m_pImageTitle->setText(title);
}

void EditWindow::UpdateTitle() {
  if (m_document.Root() == nullptr) {
    setWindowTitle("appconfig-edit");
  } else {
    const QString name = QFileInfo(Text(m_document.File())).fileName();
    setWindowTitle(QString("%1 [%2][*] - appconfig-edit").arg(name, Text(m_document.Key())));
  }
  setWindowModified(m_document.IsModified());
  const bool open = m_document.Root() != nullptr;
  m_pSaveAction->setEnabled(open);
  m_pSaveAsAction->setEnabled(open);
  m_pCheckAction->setEnabled(open);
  m_pUndoAction->setEnabled(m_document.CanUndo());
}

// --- Properties and undo --------------------------------------------------------------------

void EditWindow::BeforeProperties() { m_document.BeginChange(); }

void EditWindow::AfterProperties() { m_document.EndChange(); }

// A cancelled sheet puts the values back by recreating the nodes below the
// parameter, so the tree is filled again whatever the answer; not from
// inside the tree's own notification, hence queued.
void EditWindow::OnPropertiesDone() {
  QMetaObject::invokeMethod(
      this,
      [this] { RefillTree(); },
      Qt::QueuedConnection);
}

void EditWindow::Undo() {
  if (!m_document.CanUndo()) return;
  try {
    m_document.Undo();
  } catch (const CAppException& e) {
    ShowError("Undo", e.GetMessage());
  }
  RefillTree();
}

// The nodes below the root may have been recreated: the tree is built again
// from them and the node selected before is found again by its path.
void EditWindow::RefillTree() {
  if (m_pLink == nullptr) return;
  const std::string path = m_strSelectedPath;
  m_pLink->Refill();
  if (!SelectPath(path)) SelectPath("");
  UpdateTitle();
}

// --- Check ----------------------------------------------------------------------------------

void EditWindow::ClearCheckResults() {
  m_pCheckList->clear();
  m_pCheckDock->hide();
}

int EditWindow::RunCheck() {
  m_pCheckList->clear();
  const std::vector<EditDocument::CheckError> errors = m_document.CheckAll();
  for (const EditDocument::CheckError& error : errors) {
    auto* item = new QTreeWidgetItem(m_pCheckList, {Text(ShownPath(error.path)), Text(WithoutMarker(error.message))});
    item->setData(0, Qt::UserRole, Text(error.path));
  }
  if (errors.empty()) new QTreeWidgetItem(m_pCheckList, {QString(), "No errors"});
  if (!m_pCheckDock->isVisible()) {
    m_pCheckDock->show();
    resizeDocks({m_pCheckDock}, {160}, Qt::Vertical);
  }
  statusBar()->showMessage(QString("Check: %1 error(s)").arg(errors.size()), 5000);
  return static_cast<int>(errors.size());
}

void EditWindow::OnCheckItemActivated(QTreeWidgetItem* item) {
  const QVariant path = item != nullptr ? item->data(0, Qt::UserRole) : QVariant();
  if (!path.isValid()) return;
  if (SelectPath(path.toString().toStdString()) && m_pLink->GetTree() != nullptr) m_pLink->GetTree()->setFocus();
}
