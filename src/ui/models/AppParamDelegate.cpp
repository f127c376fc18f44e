#include "models/AppParamDelegate.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "appconfig/ui/AppMaskAddrCtl.h"
#include "AppUiTrace.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppDialogTemplate.h"

namespace {

constexpr unsigned kOutOfRangeText = 13510;
constexpr unsigned kInPlaceEditorId = 2001;

using Commit = CAppParamDelegate::EN_COMMIT;

// What an edit needs of the cell: its parameter, the link's resources and
// check rule, and the text the cell shows.
struct Cell {
  CAppParam& param;
  CAppLnkWnd& link;
  QString shown;
  CAppResources* Resources() const { return link.GetResources(); }
};

// The check rule of the parameter's own profile ("SYS_VALID"), bound to it.
std::unique_ptr<CAppRuleCheckParam> CheckRuleOf(const Cell& cell) {
  CAppResources* resources = cell.Resources();
  if (resources == nullptr) return nullptr;
  auto rule = CAppRule::FindRule<CAppRuleCheckParam>(resources, resources->FindProfileOrNull(&cell.param), "SYS_VALID");
  if (rule != nullptr) {
    rule->SetParam(&cell.param);
    rule->SetLink(&cell.link);
  }
  return rule;
}

double AsDouble(const CAppVariant& value) {
  CAppVariant number;
  if (!CAppVariant::ConvertValue(value, CAppVariant::VT_R8, number)) return 0.0;
  return number.GetDouble();
}

bool IsWithin(CAppParamNumeric& param, const CAppVariant& value) {
  const double number = AsDouble(value);
  const CAppVariant min = param.GetMinValue();
  const CAppVariant max = param.GetMaxValue();
  return (min.IsEmpty() || number >= AsDouble(min)) && (max.IsEmpty() || number <= AsDouble(max));
}

// --- The editor of each class -------------------------------------------------------------

QWidget* CreateNumeric(Cell& cell, QWidget* parent) {
  auto& numeric = static_cast<CAppParamNumeric&>(cell.param);
  auto* editor = new CAppCtrlEditNumeric(1, 255, parent);
  editor->SetIsEditInPlace(1);
  editor->SetValideBase(static_cast<int>(numeric.GetAllowedBases(cell.Resources())));
  return editor;
}

void ReadNumeric(QWidget* widget, Cell& cell) {
  auto& numeric = static_cast<CAppParamNumeric&>(cell.param);
  auto* editor = static_cast<CAppCtrlEditNumeric*>(widget);
  editor->SetValue(numeric.GetVariant());
  editor->SetBase(numeric.GetBase(cell.Resources()));
  editor->selectAll();
}

Commit WriteNumeric(QWidget* widget, Cell& cell, CAppRuleCheckParam* check) {
  auto& numeric = static_cast<CAppParamNumeric&>(cell.param);
  auto* editor = static_cast<CAppCtrlEditNumeric*>(widget);
  CAppVariant value = editor->GetCtrlValue();
  if (editor->IsError()) {
    editor->selectAll();
    return CAppParamDelegate::COMMIT_REFUSED;
  }
  if (value == numeric.GetVariant() && editor->GetBase() == numeric.GetBase(cell.Resources())) {
    return CAppParamDelegate::COMMIT_UNCHANGED;
  }
  const bool valid = check == nullptr || check->IsValueValid(value) != 0;
  if (valid && !IsWithin(numeric, value)) {
    CAppTools::MessageBox(CAppTools::Format(CAppTools::LoadString(kOutOfRangeText).c_str(),
                                            numeric.GetMinValue().ToString().c_str(),
                                            numeric.GetMaxValue().ToString().c_str()),
                          APP_MB_OK | APP_MB_ICONEXCLAMATION);
  }
  if (!valid || !IsWithin(numeric, value)) {
    editor->selectAll();  // the typed text stays, to be corrected
    return CAppParamDelegate::COMMIT_REFUSED;
  }
  numeric.SetVariant(value);
  numeric.SetBase(editor->GetBase(), cell.Resources());
  return CAppParamDelegate::COMMIT_WRITTEN;
}

QWidget* CreateString(Cell& cell, QWidget* parent) {
  auto* editor = new CAppCtrlEditString(static_cast<CAppParamValue&>(cell.param).GetTextLimit(), parent);
  editor->SetIsEditInPlace(1);
  return editor;
}

void ReadString(QWidget* widget, Cell& cell) {
  auto* editor = static_cast<CAppCtrlEditString*>(widget);
  editor->setText(cell.shown);
  editor->selectAll();
}

Commit WriteString(QWidget* widget, Cell& cell, CAppRuleCheckParam* check) {
  const QString text = static_cast<CAppCtrlEditString*>(widget)->text();
  if (text == cell.shown) return CAppParamDelegate::COMMIT_UNCHANGED;
  CAppVariant value(text.toStdString());
  if (check != nullptr && check->IsValueValid(value) == 0) {
    ReadString(widget, cell);
    return CAppParamDelegate::COMMIT_REFUSED;
  }
  cell.param.SetVariant(value);
  return CAppParamDelegate::COMMIT_WRITTEN;
}

QWidget* CreateChoice(Cell& cell, QWidget* parent) {
  auto& single = static_cast<CAppParamEnumSingle&>(cell.param);
  auto* editor = new CAppCtrlCombo(parent);
  editor->SetIsEditInPlace(1);
  for (unsigned i = 0; i < single.GetCount(); ++i) {
    std::uint32_t value = 0;
    std::string text;
    single.GetEntry(i, value, text);
    editor->AddItem(value, text);
  }
  return editor;
}

void ReadChoice(QWidget* widget, Cell& cell) {
  static_cast<CAppCtrlCombo*>(widget)->setCurrentIndex(
      static_cast<int>(static_cast<CAppParamEnumSingle&>(cell.param).GetCurrentIndex()));
}

Commit WriteChoice(QWidget* widget, Cell& cell, CAppRuleCheckParam* check) {
  auto& single = static_cast<CAppParamEnumSingle&>(cell.param);
  auto* editor = static_cast<CAppCtrlCombo*>(widget);
  const int chosen = editor->currentIndex();
  if (chosen < 0 || static_cast<std::uint32_t>(chosen) == single.GetCurrentIndex()) {
    return CAppParamDelegate::COMMIT_UNCHANGED;
  }
  CAppVariant value(static_cast<std::uint32_t>(editor->GetValue(chosen)));
  if (check != nullptr && check->IsValueValid(value) == 0) {
    ReadChoice(widget, cell);
    return CAppParamDelegate::COMMIT_REFUSED;
  }
  single.SetVariant(value);
  return CAppParamDelegate::COMMIT_WRITTEN;
}

QWidget* CreateAddress(Cell& cell, QWidget* parent) {
  auto& address = static_cast<CAppParamAddress&>(cell.param);
  std::string separator;
  address.GetSeparator(separator);
  std::string format;
  address.GetFormat(format);
  auto* editor = new CAppMaskAddrCtl(static_cast<unsigned>(address.GetPartNumber()),
                                     separator.empty() ? '.' : separator[0], format,
                                     static_cast<unsigned>(address.GetMax()), parent);
  editor->SetIsEditInPlace(1);
  return editor;
}

void ReadAddress(QWidget* widget, Cell& cell) {
  std::vector<std::uint8_t> bytes;
  static_cast<CAppParamAddress&>(cell.param).GetData(bytes);
  auto* editor = static_cast<CAppMaskAddrCtl*>(widget);
  editor->SetData(bytes);
  editor->FocusField(0, true);
}

Commit WriteAddress(QWidget* widget, Cell& cell, CAppRuleCheckParam* check) {
  auto& address = static_cast<CAppParamAddress&>(cell.param);
  std::vector<std::uint8_t> bytes;
  // An invalid field has said so and holds the focus.
  if (static_cast<CAppMaskAddrCtl*>(widget)->GetData(bytes) == 0) return CAppParamDelegate::COMMIT_REFUSED;
  std::vector<std::uint8_t> current;
  address.GetData(current);
  if (bytes == current) return CAppParamDelegate::COMMIT_UNCHANGED;
  if (check != nullptr && check->IsDataValid(bytes) == 0) {
    ReadAddress(widget, cell);
    return CAppParamDelegate::COMMIT_REFUSED;
  }
  address.SetData(bytes);
  return CAppParamDelegate::COMMIT_WRITTEN;
}

// The editors by exact class name: a class derived from one of these (a
// structure is a byte array, not a text) gets none.
struct EditorKind {
  const char* className;
  QWidget* (*create)(Cell&, QWidget*);
  void (*read)(QWidget*, Cell&);
  Commit (*write)(QWidget*, Cell&, CAppRuleCheckParam*);
};

constexpr EditorKind kEditorKinds[] = {
    {"CAppParamNumeric", CreateNumeric, ReadNumeric, WriteNumeric},
    {"CAppParamValue", CreateString, ReadString, WriteString},
    {"CAppParamEnumSingle", CreateChoice, ReadChoice, WriteChoice},
    {"CAppParamAddress", CreateAddress, ReadAddress, WriteAddress},
};

const EditorKind* KindOf(const CAppParam& param) {
  const std::string name = param.GetClassName();
  for (const EditorKind& kind : kEditorKinds) {
    if (name == kind.className) return &kind;
  }
  return nullptr;
}

// The cell's edited parameter and its kind; false when the cell edits none.
bool EditedCell(const QModelIndex& index, CAppParam*& param, const EditorKind*& kind) {
  const auto* model = qobject_cast<const CAppParamGroupModel*>(index.model());
  param = model != nullptr ? model->EditedParam(index) : nullptr;
  kind = param != nullptr ? KindOf(*param) : nullptr;
  return kind != nullptr;
}

Cell CellOf(CAppParam& param, const QModelIndex& index) {
  const auto* model = static_cast<const CAppParamGroupModel*>(index.model());
  return Cell{param, model->GetLink(), index.data().toString()};
}

}  // namespace

bool CAppParamDelegate::HasEditor(const CAppParam& param) { return KindOf(param) != nullptr; }

QWidget* CAppParamDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                         const QModelIndex& index) const {
  CAppParam* param = nullptr;
  const EditorKind* kind = nullptr;
  if (!EditedCell(index, param, kind)) return nullptr;
  QWidget* editor = nullptr;
  AppGuard([&] {
    Cell cell = CellOf(*param, index);
    editor = kind->create(cell, parent);
    AppSetDlgItemId(editor, kInPlaceEditorId);
  });
  return editor;
}

void CAppParamDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  CAppParam* param = nullptr;
  const EditorKind* kind = nullptr;
  if (!EditedCell(index, param, kind)) return;
  AppGuard([&] {
    Cell cell = CellOf(*param, index);
    kind->read(editor, cell);
  });
}

void CAppParamDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  CAppParam* param = nullptr;
  const EditorKind* kind = nullptr;
  m_nCommit = COMMIT_NONE;
  if (!EditedCell(index, param, kind)) return;
  const bool done = AppGuard([&] {
    Cell cell = CellOf(*param, index);
    const std::unique_ptr<CAppRuleCheckParam> check = CheckRuleOf(cell);
    m_nCommit = kind->write(editor, cell, check.get());
  });
  if (!done) m_nCommit = COMMIT_REFUSED;
  if (m_nCommit == COMMIT_WRITTEN) {
    static_cast<CAppParamGroupModel*>(model)->RowChanged(index);
  }
}

CAppParamDelegate::EN_COMMIT CAppParamDelegate::TakeCommit() {
  const EN_COMMIT commit = m_nCommit;
  m_nCommit = COMMIT_NONE;
  return commit;
}

// Enter commits at once (Qt would wait for the event loop, after which a
// refusal could no longer keep the editor); a message box or the editor's
// own drop-down taking the focus ends no edit.
bool CAppParamDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  if (editor != nullptr && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      emit commitData(editor);
      emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  }
  return CListStyledDelegate::eventFilter(object, event);
}
