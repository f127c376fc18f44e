#include "appconfig/ui/AppLnkDebug.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <ctime>
#include <fstream>
#include <map>

#include "appconfig/AppDebug.h"
#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "links/AppLnkParamCommon.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppImageList.h"

namespace {

constexpr unsigned kListTemplate = 13593;
constexpr unsigned kTreeTemplate = 13594;
constexpr unsigned kVerifyTemplate = 13607;

// Set while no record has been written since the library was loaded.
bool g_bVerifyDateLine = true;

std::string Address(const void* pointer) {
  return CAppTools::Format("%08llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
}

// A variant as the list shows it: by its type, "Unknow variant type" when
// the type has no text.
std::string VariantText(const CAppVariant& value) {
  try {
    switch (value.GetType()) {
      case CAppVariant::VT_EMPTY: return std::string();
      case CAppVariant::VT_BSTR: return value.GetStringRef();
      case CAppVariant::VT_I1:
      case CAppVariant::VT_I2:
      case CAppVariant::VT_I4:
      case CAppVariant::VT_I8: return CAppTools::Format("%lld", static_cast<long long>(value.GetInt64()));
      case CAppVariant::VT_UI1:
      case CAppVariant::VT_UI2:
      case CAppVariant::VT_UI4:
      case CAppVariant::VT_UI8:
        return CAppTools::Format("%llu", static_cast<unsigned long long>(value.GetUInt64()));
      default: return value.ToString();
    }
  } catch (const CAppException&) {
    return "Unknow variant type";
  }
}

bool IsInteger(const CAppVariant& value) {
  switch (value.GetType()) {
    case CAppVariant::VT_I1:
    case CAppVariant::VT_I2:
    case CAppVariant::VT_I4:
    case CAppVariant::VT_I8:
    case CAppVariant::VT_UI1:
    case CAppVariant::VT_UI2:
    case CAppVariant::VT_UI4:
    case CAppVariant::VT_UI8: return true;
    default: return false;
  }
}

struct DebugRow {
  std::string name;
  std::string value;
  std::string hex;
  std::string bin;
};

DebugRow ValueRow(const std::string& name, const CAppVariant& value) {
  DebugRow row{name, VariantText(value), {}, {}};
  if (IsInteger(value)) {
    const std::uint32_t word = static_cast<std::uint32_t>(value.GetUInt64());
    row.hex = CAppTools::Format("0x%X", word);
    row.bin = CAppTools::BinaryToString(word);
  }
  return row;
}

// The enumeration's current entry: "text (value/0xvalue)".
std::string EnumText(CAppParamEnumSingle& single) {
  const std::uint32_t index = single.GetCurrentIndex();
  if (index >= single.GetCount()) return std::string();
  std::uint32_t value = 0;
  std::string text;
  single.GetEntry(index, value, text);
  return CAppTools::Format("%s (%u/0x%X)", text.c_str(), value, value);
}

std::vector<DebugRow> ParamRows(CAppParam* param, CAppResources* resources) {
  std::vector<DebugRow> rows = {
      {"this", Address(param), {}, {}},
      {"Parent", Address(param->GetParent()), {}, {}},
      {"BaseClassName", param->GetBaseClassName(), {}, {}},
      {"ClassName", param->GetClassName(), {}, {}},
      {"Count", CAppTools::Format("%u", param->ObjectCount()), {}, {}},
      {"Sizeof", CAppTools::Format("%u", param->ObjectSize()), {}, {}},
      {"Key", param->GetKey(), {}, {}},
      {"FullKey", param->GetFullKey(), {}, {}},
      {"Name", param->GetName(), {}, {}},
      {"Help", param->GetHelp(), {}, {}},
      {"Alias", param->GetAlias(), {}, {}},
  };
  rows.push_back(ValueRow("Flags", CAppVariant(static_cast<std::uint32_t>(param->GetFlags()))));
  if (param->IsFlagsEnable(PF_HIDDEN)) rows.push_back({"Visible", "Not visible", {}, {}});
  if (auto* single = AppDynamicCast<CAppParamEnumSingle>(param)) {
    rows.push_back({"Value", EnumText(*single), {}, {}});
  } else if (param->GetGroup() == nullptr) {
    rows.push_back(ValueRow("Value", param->GetVariant()));
  }
  if (CAppParamGroup* group = param->GetGroup()) {
    rows.push_back({"Children", CAppTools::Format("%u", group->GetCount()), {}, {}});
  } else {
    rows.push_back({"FmtValue", param->GetFmtValue(resources), {}, {}});
    rows.push_back({"Unit", param->GetUnit(resources), {}, {}});
    rows.push_back(ValueRow("BitSize", CAppVariant(static_cast<std::uint32_t>(param->GetBitSize()))));
  }
  return rows;
}

std::string Quoted(const char* label, const std::string& text) {
  return std::string(label) + "\"" + text + "\"\r\n";
}

}  // namespace

APP_IMPLEMENT_LINK(CAppLnkDebug, CAppLnkSheet)

void CAppLnkDebug::OnUserCreate() {
  AddView(kListTemplate, "Debug List");
  AddView(kTreeTemplate, "Debug Tree");
  AddView(kTreeTemplate, "Resources");
  m_nVerifyPage = AddView(kVerifyTemplate, "Verify");
}

int CAppLnkDebug::OnUserInit() {
  const unsigned page = static_cast<unsigned>(GetActiveIndex());
  if (page == PAGE_LIST) {
    CAppCtrlList* list = AddCtrl(ID_LIST, new CAppCtrlList(1));
    if (GetResources() != nullptr) list->SetImageList(AppImageListIcons(*GetResources()));
    for (const char* title : {"Name", "Value", "Hex", "Bin"}) list->AddColumn(title);
  } else if (page == PAGE_TREE || page == PAGE_RESOURCES) {
    CAppCtrlTree* tree = AddCtrl(ID_TREE, new CAppCtrlTree);
    if (GetResources() != nullptr) tree->SetImageList(AppImageListIcons(*GetResources()));
  }
  return 1;
}

void CAppLnkDebug::OnUserActive() {
  CAppParam* param = GetUserParam();
  APP_CHECK_POINTER(param);
  switch (static_cast<unsigned>(GetActiveIndex())) {
    case PAGE_LIST: ShowParamList(); break;
    case PAGE_TREE: ShowParamTree(); break;
    case PAGE_RESOURCES: ShowResourcesTree(); break;
    default:
      SetCtrlText(ID_NEW_NAME, param->GetName());
      SetCtrlText(ID_NEW_HELP, param->GetHelp());
      break;
  }
}

void CAppLnkDebug::ShowParamList() {
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, ID_LIST);
  list->RemoveAll();
  for (const DebugRow& row : ParamRows(GetUserParam(), GetResources())) {
    const int index = list->AddItem(0, row.name);
    list->SetText(row.value, index, 1);
    list->SetText(row.hex, index, 2);
    list->SetText(row.bin, index, 3);
  }
  // The children, which a double click opens in their own debug window.
  if (CAppParamGroup* group = GetUserParam()->GetGroup()) {
    for (POSITION pos = group->GetStartPosition(); pos != nullptr;) {
      CAppParam* child = group->GetNextPtr(pos);
      const int index = list->AddParamItem(child, child->GetKey());
      list->SetText(child->GetClassName(), index, 1);
    }
  }
}

void CAppLnkDebug::ShowParamTree() {
  auto* tree = AppLnkCtrl<CAppCtrlTree>(*this, ID_TREE);
  CAppParam* param = GetUserParam();
  if (CAppParamGroup* group = param->GetGroup()) {
    SetValue(tree, group, "SYS_NO_FILTER");
  } else {
    tree->SetGroupModel(new CAppParamGroupModel(*this, *param, CAppParamGroupModel::MODE_TREE, nullptr, nullptr));
  }
}

void CAppLnkDebug::ShowResourcesTree() {
  auto* tree = AppLnkCtrl<CAppCtrlTree>(*this, ID_TREE);
  CAppResources* resources = GetResources();
  APP_CHECK_POINTER(resources);
  SetValue(tree, resources, "SYS_NO_FILTER");
  CAppParamGroupModel* model = tree->GetGroupModel();
  const QModelIndex top = model->index(0, 0);
  const auto textNode = [model](const QModelIndex& parent, const std::string& text, const QIcon& icon = QIcon()) {
    return model->AddTextNode(parent, QString::fromStdString(text), icon);
  };
  const QModelIndex images = textNode(top, "ImageList");
  std::map<unsigned, std::string> names;  // by index: the list's order
  for (const auto& [key, index] : resources->GetIconMap()) names.emplace(index, key);
  for (const auto& [index, key] : names) {
    textNode(images, CAppTools::Format("%s (%u)", key.c_str(), index), AppImageListIcon(*resources, index));
  }
  // The registry's aliases, for every class that made a profile.
  const QModelIndex aliases = textNode(top, "AliasList");
  for (POSITION pos = resources->GetStartPosition(); pos != nullptr;) {
    const std::string className = resources->GetNextPtr(pos)->GetKey();
    const std::string alias = CAppDynamic::GetAliasByClass(className);
    if (alias != CAppTools::MakeUpper(className)) {
      textNode(aliases, CAppTools::Format("%s (%s)", alias.c_str(), className.c_str()));
    }
  }
}

std::string CAppLnkDebug::OnUserGetNodeName(CAppParam* param) {
  if (param == nullptr) return std::string();
  std::string text = param->GetKey() + " (" + param->GetClassName() + ")";
  if (!param->GetName().empty() && param->GetName() != param->GetKey()) text += " " + param->GetName();
  if (param->GetGroup() == nullptr) text += " = " + VariantText(param->GetVariant());
  return text;
}

int CAppLnkDebug::OnUserGetNodeIcon(CAppParam* param) {
  if (param == nullptr || GetResources() == nullptr) return 0;
  try {
    return static_cast<int>(GetResources()->GetImageIndex(param, ""));
  } catch (const CAppException&) {
    return 0;
  }
}

int CAppLnkDebug::OnUserChange(unsigned ctrlId) {
  if (ctrlId == ID_LIST) {
    auto* list = AppLnkCtrl<CAppCtrlList>(*this, ID_LIST);
    if (list->GetOnChangeType() == OPERATION_PROPERTIES) OnListProperties(list);
  } else if (ctrlId == ID_TREE) {
    auto* tree = AppLnkCtrl<CAppCtrlTree>(*this, ID_TREE);
    if (tree->GetOnChangeType() == OPERATION_PROPERTIES) OnTreeProperties(tree);
  }
  return 1;
}

int CAppLnkDebug::OnProperties(CAppParam* param, CAppSheet* sheet) {
  APP_CHECK_POINTER(param);
  APP_CHECK_POINTER(GetResources());
  return GetResources()->OnDebug(param, sheet);
}

void CAppLnkDebug::SetCtrlText(unsigned id, const std::string& text) {
  QWidget* item = _GetDlgItem(id);
  const QString value = QString::fromStdString(text);
  if (auto* edit = qobject_cast<QPlainTextEdit*>(item)) {
    edit->setPlainText(value);
  } else if (!item->setProperty("text", value)) {
    item->setWindowTitle(value);
  }
}

std::string CAppLnkDebug::GetCtrlText(unsigned id) {
  QWidget* item = _GetDlgItem(id);
  if (auto* edit = qobject_cast<QPlainTextEdit*>(item)) return edit->toPlainText().toStdString();
  const QVariant text = item->property("text");
  return text.isValid() ? text.toString().toStdString() : item->windowTitle().toStdString();
}

int CAppLnkDebug::OnUserExit() {
  if (static_cast<unsigned>(GetActiveIndex()) != m_nVerifyPage) return 1;
  CAppParam* param = GetUserParam();
  APP_CHECK_POINTER(param);
  const std::string record =
      BuildVerifyRecord(param, GetCtrlText(ID_NEW_NAME), GetCtrlText(ID_NEW_HELP), GetCtrlText(ID_NOTE));
  if (!record.empty()) AppendVerifyRecord(CAppDebug::GetLogger().GetPath(), record);
  return 1;
}

std::string CAppLnkDebug::BuildVerifyRecord(CAppParam* param, const std::string& newName,
                                            const std::string& newHelp, const std::string& note) {
  APP_CHECK_POINTER(param);
  const std::string name = param->GetName();
  const std::string help = param->GetHelp();
  const bool nameChanged = newName != name;
  const bool helpChanged = newHelp != help;
  if (!nameChanged && !helpChanged && note.empty()) return std::string();
  std::string record = std::string(36, '-') + "\r\n";
  record += Quoted("Key :", param->GetFullKey());
  record += Quoted("Alias :", param->GetAlias());
  record += Quoted("Name :", name);
  if (nameChanged) {
    record += ">>>>>> New Name Value : \r\n";
    record += "  <Property Name=\"Name\" Value=\"" + newName + "\" />\r\n";
  }
  if (helpChanged) {
    record += Quoted("Help :", help);
    record += ">>>>>> New Help Value : \r\n";
    record += "  <Property Name=\"Help\" Value =\"" + newHelp + "\" />\r\n";
  }
  if (!note.empty()) record += Quoted(">>>>>> Note :", note);
  record += "\r\n";
  return record;
}

bool CAppLnkDebug::AppendVerifyRecord(const std::string& folder, const std::string& record) {
  std::ofstream file(folder + "Verify.txt", std::ios::binary | std::ios::app);
  if (!file) return false;
  if (g_bVerifyDateLine) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    file << CAppTools::Format("%02u\\%02u @ %02u:%u\r\n", static_cast<unsigned>(local.tm_mon + 1),
                              static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_hour),
                              static_cast<unsigned>(local.tm_min));
    g_bVerifyDateLine = false;
  }
  file << record;
  return static_cast<bool>(file.flush());
}
