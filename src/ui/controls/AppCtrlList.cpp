#include "appconfig/ui/AppCtrlList.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

#include "appconfig/AppKeyboard.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppMaskAddrCtl.h"
#include "AppUiTrace.h"
#include "controls/ListStyledModel.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppRedraw.h"
#include "platform/AppWindowMessages.h"

namespace {

constexpr unsigned kPropertiesText = 57728;
constexpr unsigned kEditText = 57729;
// Room between a column's widest text and the next column.
constexpr int kColumnGap = 8;

// The check images of check mode (unchecked, checked), drawn once by the
// style as the bitmap of the original resources showed them.
const std::vector<QIcon>& CheckImages() {
  static const std::vector<QIcon> images = [] {
    std::vector<QIcon> made;
    for (bool checked : {false, true}) {
      QPixmap pixmap(16, 16);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      QStyleOptionButton option;
      option.rect = QRect(1, 1, 14, 14);
      option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
      QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter);
      painter.end();
      made.emplace_back(pixmap);
    }
    return made;
  }();
  return images;
}

}  // namespace

CAppCtrlList::CAppCtrlList(int withHeader, QWidget* parent) : CListCtrlStyled(parent) {
  setHeaderHidden(withHeader == 0);
  StyledDelegate()->SetEditorFactory(
      [this](QWidget* editorParent, const QModelIndex& index) { return CreateEditor(editorParent, index); });
  UpdateColours();
}

// An open in-place editor goes first, without committing: as a child it
// would otherwise lose its focus after the list's members are gone.
CAppCtrlList::~CAppCtrlList() {
  QWidget* editor = m_pEditor;
  m_pEditor = nullptr;
  delete editor;
}

unsigned CAppCtrlList::GetCtrlId() const { return AppGetDlgItemId(this); }

int CAppCtrlList::Notify(int changeType) {
  m_nChangeType = changeType;
  int answer = 1;
  emit Changed(static_cast<AppCtrlOperation::EN_OPERATION_TYPE>(changeType), &answer);
  return answer;
}

// --- Rows and columns ----------------------------------------------------------------------

int CAppCtrlList::AddColumn(const std::string& title) {
  return InsertColumn(GetColumnCount(), QString::fromStdString(title));
}

int CAppCtrlList::AddItem(unsigned long data, const std::string& label, int image) {
  return InsertItem(GetItemCount(), QString::fromStdString(label), m_bCheck ? 0 : image,
                    static_cast<quintptr>(data));
}

int CAppCtrlList::AddParamItem(CAppParam* param, const std::string& label, int image) {
  return InsertItem(GetItemCount(), QString::fromStdString(label), m_bCheck ? 0 : image,
                    reinterpret_cast<quintptr>(param));
}

CAppParam* CAppCtrlList::GetParam(int row) const {
  if (row == -1) row = m_nCurrent;
  return reinterpret_cast<CAppParam*>(GetItemData(row));
}

void CAppCtrlList::SetText(const std::string& text, int row, int column) {
  SetItemText(row, column, QString::fromStdString(text));
}

void CAppCtrlList::SetValue(unsigned long data, int row) { SetItemData(row, static_cast<quintptr>(data)); }

unsigned long CAppCtrlList::GetValue(int row) const {
  if (row == -1) row = m_nCurrent;
  return static_cast<unsigned long>(GetItemData(row));
}

void CAppCtrlList::SetImageIndex(unsigned image, int row) { SetItemImage(row, static_cast<int>(image)); }

void CAppCtrlList::RemoveItem(int row) {
  if (row == m_nInPlaceRow) OnExitInPlaceControl();
  DeleteItem(row);
  if (m_nCurrent >= GetItemCount()) m_nCurrent = GetItemCount() - 1;
}

void CAppCtrlList::RemoveAll() {
  OnExitInPlaceControl();
  DeleteAllItems();
  m_nCurrent = -1;
}

void CAppCtrlList::SetCurrentItem(unsigned row) {
  if (row >= static_cast<unsigned>(GetItemCount())) return;
  m_nCurrent = static_cast<int>(row);
  const QModelIndex index = model()->index(static_cast<int>(row), 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CAppCtrlList::GetNextItem(int row) const { return row + 1 < GetItemCount() ? row + 1 : -1; }
int CAppCtrlList::GetPreviousItem(int row) const { return row > 0 && row <= GetItemCount() ? row - 1 : -1; }

// --- Modes -----------------------------------------------------------------------------------

void CAppCtrlList::SetModeEditInPlace(int editInPlace) { m_bEditInPlace = editInPlace != 0; }

void CAppCtrlList::SetModeSelect() {
  m_bSelect = true;
  m_bCheck = false;
  UpdateColours();
}

void CAppCtrlList::SetModeCheck() {
  m_bCheck = true;
  m_bSelect = false;
  SetImages(CheckImages());
  for (int row = 0; row < GetItemCount(); ++row) {
    if (GetItemImage(row) < 0) SetItemImage(row, 0);
  }
  UpdateColours();
}

void CAppCtrlList::SetModeDisable(int disable) {
  m_bDisable = disable != 0;
  UpdateColours();
}

void CAppCtrlList::UpdateColours() {
  QPalette colours = palette();
  const bool grey = m_bReadOnly && (m_bSelect || m_bCheck || m_bDisable);
  colours.setColor(QPalette::Base, QApplication::palette().color(grey ? QPalette::Button : QPalette::Base));
  setPalette(colours);
}

// --- User actions ----------------------------------------------------------------------------

void CAppCtrlList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  CListCtrlStyled::currentChanged(current, previous);
  if (!current.isValid() || current.row() == previous.row() || m_bActivating) return;
  m_nCurrent = current.row();
  Notify(1);
}

void CAppCtrlList::OnProperties() {
  if (m_bCheck && !m_bReadOnly && m_nCurrent >= 0) {
    SetItemImage(m_nCurrent, GetItemImage(m_nCurrent) == 1 ? 0 : 1);
  }
  Notify(0);
}

void CAppCtrlList::keyPressEvent(QKeyEvent* event) {
  if (m_bReadOnly && (m_bSelect || m_bDisable)) {
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    OnProperties();
    return;
  }
  if (event->key() == Qt::Key_F2 && m_bEditInPlace && m_nCurrent >= 0) {
    EditSubItem(m_nCurrent, 1);
    return;
  }
  CListCtrlStyled::keyPressEvent(event);
}

void CAppCtrlList::mousePressEvent(QMouseEvent* event) {
  CListCtrlStyled::mousePressEvent(event);
  if (!m_bEditInPlace || m_bReadOnly || m_bCheck || event->button() != Qt::LeftButton) return;
  int column = -1;
  const int row = HitTestEx(event->position().toPoint(), &column);
  if (row < 0 || column < 0) return;
  resizeColumnToContents(column);
  EditSubItem(row, column);
}

void CAppCtrlList::mouseDoubleClickEvent(QMouseEvent* event) {
  int column = -1;
  if (HitTestEx(event->position().toPoint(), &column) < 0) return;
  OnProperties();
}

void CAppCtrlList::contextMenuEvent(QContextMenuEvent* event) { PopupMenu(event->globalPos()); }

QMenu* CAppCtrlList::GetMenu() {
  if (m_pMenu == nullptr) {
    m_pMenu = new QMenu(this);
    QAction* properties = m_pMenu->addAction(QString::fromStdString(CAppTools::LoadString(kPropertiesText)));
    properties->setData(ID_PROPERTIES);
    QAction* edit = m_pMenu->addAction(QString::fromStdString(CAppTools::LoadString(kEditText)));
    edit->setData(ID_EDIT);
  }
  const QList<QAction*> actions = m_pMenu->actions();
  actions[1]->setEnabled(m_bEditInPlace && !m_bReadOnly && m_nCurrent >= 0);
  return m_pMenu;
}

void CAppCtrlList::SetOptionsButton(QAbstractButton* button) {
  if (button == nullptr) return;
  connect(button, &QAbstractButton::clicked, this,
          [this, button] { PopupMenu(button->mapToGlobal(QPoint(0, button->height()))); });
}

void CAppCtrlList::PopupMenu(const QPoint& globalPos) {
  if (QAction* chosen = GetMenu()->exec(globalPos)) OnMenuCommand(chosen->data().toUInt());
}

void CAppCtrlList::OnMenuCommand(unsigned command) {
  if (command == ID_PROPERTIES) {
    OnProperties();
  } else if (command == ID_EDIT && m_nCurrent >= 0) {
    EditSubItem(m_nCurrent, 1);
  }
}

// --- In-place editing ----------------------------------------------------------------------------

int CAppCtrlList::FirstValueColumn() const { return GetColumnCount() > 1 ? 1 : 0; }

int CAppCtrlList::EditSubItem(int row, int column) {
  OnExitInPlaceControl();
  if (!EnsureColumnVisible(column)) {
    emit LeaveFocus(row < 1);
    return 1;
  }
  viewport()->update();
  m_nInPlaceRow = row;
  m_nInPlaceColumn = column;
  return Notify(2);
}

bool CAppCtrlList::CommitEditor() {
  QWidget* editor = m_pEditor;
  if (auto* numeric = qobject_cast<CAppCtrlEditNumeric*>(editor)) return numeric->EndCurrentEdit() != 0;
  if (auto* text = qobject_cast<CAppCtrlEditString*>(editor)) return text->EndCurrentEdit() != 0;
  if (auto* combo = qobject_cast<CAppCtrlCombo*>(editor)) return combo->EndCurrentEdit() != 0;
  if (auto* address = qobject_cast<CAppMaskAddrCtl*>(editor)) return address->EndCurrentEdit() != 0;
  return true;
}

void CAppCtrlList::OnEditInPlaceTab() { OnEditInPlaceTab(AppIsKeyHeld(AppKey::LeftShift)); }

void CAppCtrlList::OnEditInPlaceTab(bool previous) {
  if (!CommitEditor()) return;
  OnExitInPlaceControl();
  const int columns = GetColumnCount();
  const int first = FirstValueColumn();
  int row = m_nInPlaceRow;
  int column = m_nInPlaceColumn;
  for (;;) {
    column += previous ? -1 : 1;
    if (column >= columns) {
      ++row;
      column = first;
    } else if (column < first) {
      --row;
      column = columns - 1;
    }
    if (row >= GetItemCount() || row < 0) {
      setFocus();
      emit LeaveFocus(row < 0);
      return;
    }
    if (EditSubItem(row, column) && m_pEditor != nullptr) return;
  }
}

int CAppCtrlList::EndCurrentEdit(const std::string& text) {
  m_strInPlaceValue = text;
  const int accepted = Notify(3);
  if (accepted && m_nInPlaceColumn >= 0) resizeColumnToContents(m_nInPlaceColumn);
  return accepted;
}

void CAppCtrlList::OnExitInPlaceControl() {
  QPointer<QWidget> editor = m_pEditor;
  if (editor == nullptr) return;
  // Cleared first: the editor's focus loss must not commit or close again.
  m_pEditor = nullptr;
  if (editor->isAncestorOf(QApplication::focusWidget()) || editor->hasFocus()) setFocus();
  closePersistentEditor(model()->index(m_nInPlaceRow, m_nInPlaceColumn));
  // The view deletes the editors it knows; one whose cell went is not.
  if (editor != nullptr) editor->deleteLater();
  viewport()->update();
}

QWidget* CAppCtrlList::CreateEditor(QWidget* parent, const QModelIndex& /*index*/) {
  QWidget* editor = m_pPendingEditor;
  if (editor != nullptr) editor->setParent(parent);
  return editor;
}

namespace {

// Puts a new in-place editor over the cell (the delegate places it).
template <class Editor>
void PrepareEditor(Editor* editor) {
  AppSetDlgItemId(editor, CAppCtrlList::ID_INPLACE_EDITOR);
  editor->SetIsEditInPlace(1);
}

}  // namespace

bool CAppCtrlList::OpenEditor(QWidget* editor) {
  const QModelIndex index = model()->index(m_nInPlaceRow, m_nInPlaceColumn);
  if (!index.isValid()) {
    delete editor;
    return false;
  }
  EnsureColumnVisible(m_nInPlaceColumn);
  scrollTo(index);
  m_pPendingEditor = editor;
  openPersistentEditor(index);
  m_pPendingEditor = nullptr;
  m_pEditor = editor;
  return true;
}

CAppCtrlEditString* CAppCtrlList::ShowEditString(unsigned maxChars) {
  if (m_nInPlaceRow < 0 || m_nInPlaceColumn < 0) return nullptr;
  auto* editor = new CAppCtrlEditString(maxChars);
  PrepareEditor(editor);
  editor->SetListCtrl(this);
  const std::string text = GetItemText(m_nInPlaceRow, m_nInPlaceColumn).toStdString();
  editor->setText(QString::fromStdString(text));
  editor->SetInPlaceDefaultText(text);
  if (!OpenEditor(editor)) return nullptr;
  editor->selectAll();
  editor->setFocus();
  return editor;
}

CAppCtrlEditNumeric* CAppCtrlList::ShowEditNumeric(const CAppVariant& value, CAppTools::EN_BASE base,
                                                   int validBases) {
  if (m_nInPlaceRow < 0 || m_nInPlaceColumn < 0) return nullptr;
  auto* editor = new CAppCtrlEditNumeric(1, 255);
  PrepareEditor(editor);
  editor->SetListCtrl(this);
  editor->SetValideBase(validBases);
  editor->SetValue(value);
  editor->SetBase(base);
  editor->SetInPlaceDefaultText(editor->text().toStdString());
  m_nInPlaceBase = editor->GetBase();
  if (!OpenEditor(editor)) return nullptr;
  editor->selectAll();
  editor->setFocus();
  return editor;
}

CAppCtrlCombo* CAppCtrlList::ShowCombo(const std::vector<std::string>& texts, int current) {
  if (m_nInPlaceRow < 0 || m_nInPlaceColumn < 0) return nullptr;
  auto* editor = new CAppCtrlCombo();
  PrepareEditor(editor);
  editor->SetListCtrl(this);
  editor->FillInPlaceCombo(texts, current);
  if (!OpenEditor(editor)) return nullptr;
  editor->setFocus();
  return editor;
}

CAppMaskAddrCtl* CAppCtrlList::ShowAddressEdit(const std::vector<std::uint8_t>& bytes, unsigned fieldCount,
                                               char separator, const std::string& format,
                                               unsigned maximum) {
  if (m_nInPlaceRow < 0 || m_nInPlaceColumn < 0) return nullptr;
  auto* editor = new CAppMaskAddrCtl(fieldCount, separator, format, maximum);
  PrepareEditor(editor);
  editor->SetListCtrlPtr(this);
  editor->SetData(bytes);
  editor->SetDefaultData(bytes);
  m_inPlaceArray = bytes;
  if (!OpenEditor(editor)) return nullptr;
  editor->FocusField(0, true);
  return editor;
}

// --- Geometry ---------------------------------------------------------------------------------------

int CAppCtrlList::EnsureColumnVisible(int column, int /*partialOk*/) {
  if (column < 0 || column >= GetColumnCount()) return 0;
  const int left = header()->sectionViewportPosition(column);
  const int right = left + header()->sectionSize(column);
  QScrollBar* bar = horizontalScrollBar();
  if (left < 0) {
    bar->setValue(bar->value() + left);
  } else if (right > viewport()->width()) {
    bar->setValue(bar->value() + std::min(left, right - viewport()->width()));
  }
  return 1;
}

int CAppCtrlList::HitTestEx(const QPoint& point, int* column) const {
  const QModelIndex index = indexAt(point);
  if (column != nullptr) *column = index.isValid() ? index.column() : header()->logicalIndexAt(point.x());
  return index.isValid() ? index.row() : -1;
}

// --- Messages -------------------------------------------------------------------------------------

void CAppCtrlList::OnEndActivate() {
  for (int column = 0; column < GetColumnCount(); ++column) {
    header()->resizeSection(column,
                            std::max(header()->sectionSizeHint(column), sizeHintForColumn(column)) + kColumnGap);
  }
  AppSetRedraw(this, true);
  viewport()->update();
  if (GetItemCount() > 0) {
    if (m_nCurrent < 0 || m_nCurrent >= GetItemCount()) m_nCurrent = 0;
    const QModelIndex index = model()->index(m_nCurrent, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  }
}

bool CAppCtrlList::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    switch (message->GetMessage()) {
      case AppWindowMessage::ReadOnly:
        m_bReadOnly = message->GetWParam() != 0;
        UpdateColours();
        break;
      case AppWindowMessage::CtrlBeginActivate:
        m_bActivating = true;
        AppSetRedraw(this, false);
        break;
      case AppWindowMessage::CtrlEndActivate:
        m_bActivating = false;
        OnEndActivate();
        break;
      default: break;
    }
    message->SetResult(0);
    return true;
  }
  return CListCtrlStyled::event(event);
}
