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

#include <utility>

#include "appconfig/AppParam.h"
#include "appconfig/AppTools.h"
#include "controls/ListStyledModel.h"
#include "models/AppParamDelegate.h"
#include "models/AppParamGroupModel.h"
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

CAppCtrlList::CAppCtrlList(int withHeader, QWidget* parent)
    : CListCtrlStyled(parent, new CAppParamDelegate), m_pDelegate(static_cast<CAppParamDelegate*>(StyledDelegate())) {
  setHeaderHidden(withHeader == 0);
  UpdateColours();
}

// An open in-place editor goes first, without committing: as a child it
// would otherwise lose its focus after the list's members are gone.
CAppCtrlList::~CAppCtrlList() { OnExitInPlaceControl(); }

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
  const int row = InsertItem(GetItemCount(), QString::fromStdString(label), m_bCheck ? 0 : image);
  StyledModel()->Cell(row, 0)->setData(QVariant::fromValue(param), CListStyledModel::ParamRole);
  return row;
}

CAppParam* CAppCtrlList::GetParam(int row) const {
  if (row == -1) row = m_nCurrent;
  if (m_pGroupModel != nullptr) return CAppParamGroupModel::ParamOf(model()->index(row, 0));
  return StyledModel()->index(row, 0).data(CListStyledModel::ParamRole).value<CAppParam*>();
}

void CAppCtrlList::SetGroupModel(CAppParamGroupModel* model) {
  OnExitInPlaceControl();
  CAppParamGroupModel* old = m_pGroupModel;
  m_pGroupModel = model;
  QItemSelectionModel* oldSelection = selectionModel();
  if (model != nullptr) {
    model->setParent(this);
    model->SetImages(m_images);
    setModel(model);
  } else {
    DeleteAllItems();
    setModel(StyledModel());
  }
  delete oldSelection;
  delete old;
  m_nCurrent = -1;
}

void CAppCtrlList::SetImageList(const std::vector<QIcon>& images) {
  m_images = images;
  SetImages(images);
  if (m_pGroupModel != nullptr) m_pGroupModel->SetImages(images);
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
  if (m_pGroupModel != nullptr) {
    SetGroupModel(nullptr);
    return;
  }
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
  m_nInPlaceRow = row;
  m_nInPlaceColumn = column;
  const QModelIndex index = model()->index(row, column);
  if (m_bReadOnly || m_pGroupModel == nullptr || m_pGroupModel->EditedParam(index) == nullptr || Notify(2) == 0) {
    return 0;
  }
  // The edited row is the current one, as if the user had chosen it.
  if (row != m_nCurrent) SetCurrentItem(static_cast<unsigned>(row));
  scrollTo(index);
  if (!edit(index, QAbstractItemView::AllEditTriggers, nullptr)) return 0;
  m_pEditor = indexWidget(index);
  return m_pEditor != nullptr ? 1 : 0;
}

void CAppCtrlList::EditNextCell(bool previous) {
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

void CAppCtrlList::commitData(QWidget* editor) {
  CListCtrlStyled::commitData(editor);
  m_nLastCommit = m_pDelegate->TakeCommit();
  if (m_nLastCommit != CAppParamDelegate::COMMIT_WRITTEN) return;
  if (m_nInPlaceColumn >= 0) resizeColumnToContents(m_nInPlaceColumn);
  Notify(3);
}

// Enter or Tab after a refused value keep the editor; a focus loss closes it
// whatever the commit did.
void CAppCtrlList::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  const bool refused = std::exchange(m_nLastCommit, 0) == CAppParamDelegate::COMMIT_REFUSED;
  const bool moveOn = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
  if (refused && (moveOn || hint == QAbstractItemDelegate::SubmitModelCache)) {
    editor->setFocus();
    return;
  }
  if (editor == m_pEditor) m_pEditor = nullptr;
  CListCtrlStyled::closeEditor(editor, QAbstractItemDelegate::NoHint);
  viewport()->update();
  if (moveOn) EditNextCell(hint == QAbstractItemDelegate::EditPreviousItem);
}

void CAppCtrlList::OnExitInPlaceControl() {
  QWidget* editor = m_pEditor;
  if (editor == nullptr) return;
  // Cleared first: closing must not come back here.
  m_pEditor = nullptr;
  CListCtrlStyled::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  viewport()->update();
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
