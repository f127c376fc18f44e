#include "AppEdsDevice.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>

#include "appconfig/AppException.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppVariant.h"

namespace {

using Section = CAppEdsIni::Section;
using Entry = CAppEdsIni::Entry;

// The CANopen data types; the ones left out of the tree are named here for
// the message that lists what was skipped.
constexpr AppEdsType kTypes[] = {
    {0x0001, "BOOLEAN", AppEdsType::NUMERIC, CAppVariant::VT_UI1, 1, false},
    {0x0002, "INTEGER8", AppEdsType::NUMERIC, CAppVariant::VT_I1, 8, true},
    {0x0003, "INTEGER16", AppEdsType::NUMERIC, CAppVariant::VT_I2, 16, true},
    {0x0004, "INTEGER32", AppEdsType::NUMERIC, CAppVariant::VT_I4, 32, true},
    {0x0005, "UNSIGNED8", AppEdsType::NUMERIC, CAppVariant::VT_UI1, 8, false},
    {0x0006, "UNSIGNED16", AppEdsType::NUMERIC, CAppVariant::VT_UI2, 16, false},
    {0x0007, "UNSIGNED32", AppEdsType::NUMERIC, CAppVariant::VT_UI4, 32, false},
    {0x0008, "REAL32", AppEdsType::SKIPPED, 0, 0, false},
    {0x0009, "VISIBLE_STRING", AppEdsType::STRING, 0, 0, false},
    {0x000A, "OCTET_STRING", AppEdsType::BYTES, 0, 0, false},
    {0x000B, "UNICODE_STRING", AppEdsType::SKIPPED, 0, 0, false},
    {0x000C, "TIME_OF_DAY", AppEdsType::SKIPPED, 0, 0, false},
    {0x000D, "TIME_DIFFERENCE", AppEdsType::SKIPPED, 0, 0, false},
    {0x000F, "DOMAIN", AppEdsType::BYTES, 0, 0, false},
    {0x0010, "INTEGER24", AppEdsType::NUMERIC, CAppVariant::VT_I4, 24, true},
    {0x0011, "REAL64", AppEdsType::SKIPPED, 0, 0, false},
    {0x0012, "INTEGER40", AppEdsType::SKIPPED, 0, 0, false},
    {0x0013, "INTEGER48", AppEdsType::SKIPPED, 0, 0, false},
    {0x0014, "INTEGER56", AppEdsType::SKIPPED, 0, 0, false},
    {0x0015, "INTEGER64", AppEdsType::SKIPPED, 0, 0, false},
    {0x0016, "UNSIGNED24", AppEdsType::NUMERIC, CAppVariant::VT_UI4, 24, false},
    {0x0018, "UNSIGNED40", AppEdsType::SKIPPED, 0, 0, false},
    {0x0019, "UNSIGNED48", AppEdsType::SKIPPED, 0, 0, false},
    {0x001A, "UNSIGNED56", AppEdsType::SKIPPED, 0, 0, false},
    {0x001B, "UNSIGNED64", AppEdsType::SKIPPED, 0, 0, false},
};
constexpr AppEdsType kUnknownType = {0, nullptr, AppEdsType::SKIPPED, 0, 0, false};

// An unsigned number without sign: 0x hexadecimal, octal with a leading 0,
// else decimal. Nothing on any other character or on overflow.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, static_cast<int>(base));
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Names like "1018", "1018sub1", "1018Sub0A", "1003Name", "1003value".
struct ObjectName {
  enum Kind { NOT_OBJECT, MAIN, SUB, NAMES, VALUES, BAD } kind = NOT_OBJECT;
  std::uint16_t index = 0;
  std::uint64_t sub = 0;
};

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

ObjectName ParseObjectName(std::string_view name) {
  ObjectName result;
  if (name.size() < 4 || !std::all_of(name.begin(), name.begin() + 4, IsHex)) return result;
  if (name.size() > 4 && IsHex(name[4])) {
    result.kind = ObjectName::BAD;
    return result;
  }
  result.index = static_cast<std::uint16_t>(*ParseUnsigned("0x" + std::string(name.substr(0, 4))));
  const std::string_view rest = name.substr(4);
  if (rest.empty()) {
    result.kind = ObjectName::MAIN;
  } else if (AppEdsSameName(rest, "Name")) {
    result.kind = ObjectName::NAMES;
  } else if (AppEdsSameName(rest, "Value")) {
    result.kind = ObjectName::VALUES;
  } else if (rest.size() > 3 && AppEdsSameName(rest.substr(0, 3), "sub") &&
             std::all_of(rest.begin() + 3, rest.end(), IsHex) && rest.size() <= 3 + 8) {
    result.kind = ObjectName::SUB;
    result.sub = *ParseUnsigned("0x" + std::string(rest.substr(3)));
  } else {
    result.kind = ObjectName::BAD;
  }
  return result;
}

std::string Hex(unsigned value, int digits) { return CAppTools::Format("%0*X", digits, value); }

std::string EntryName(std::uint16_t index, int sub) {
  return sub < 0 ? Hex(index, 4) : Hex(index, 4) + "sub" + Hex(static_cast<unsigned>(sub), 1);
}

}  // namespace

const AppEdsType& AppEdsFindType(std::uint32_t code) {
  for (const AppEdsType& type : kTypes) {
    if (type.code == code) return type;
  }
  return kUnknownType;
}

std::optional<std::int64_t> AppEdsParseNumber(std::string_view text, std::int64_t nodeId) {
  text = AppEdsTrim(text);
  if (text.empty()) return std::nullopt;
  std::int64_t total = 0;
  int sign = 1;
  bool expectTerm = true;
  while (!text.empty()) {
    const char c = text.front();
    if (c == ' ' || c == '\t') {
      text.remove_prefix(1);
    } else if (expectTerm && (c == '-' || c == '+')) {
      if (c == '-') sign = -sign;
      text.remove_prefix(1);
    } else if (expectTerm) {
      std::int64_t term = 0;
      if (text.size() >= 7 && AppEdsSameName(text.substr(0, 7), "$NODEID")) {
        term = nodeId;
        text.remove_prefix(7);
      } else {
        std::size_t length = 0;
        while (length < text.size() && std::isalnum(static_cast<unsigned char>(text[length])) != 0) ++length;
        const auto value = ParseUnsigned(text.substr(0, length));
        if (!value || *value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
        term = static_cast<std::int64_t>(*value);
        text.remove_prefix(length);
      }
      if (__builtin_add_overflow(total, sign * term, &total)) return std::nullopt;
      sign = 1;
      expectTerm = false;
    } else if (c == '+' || c == '-') {
      sign = c == '-' ? -1 : 1;
      text.remove_prefix(1);
      expectTerm = true;
    } else {
      return std::nullopt;
    }
  }
  if (expectTerm) return std::nullopt;
  return total;
}

// The sections that make one object.
struct CAppEdsDevice::Object {
  std::uint16_t index = 0;
  const Section* main = nullptr;
  const Section* names = nullptr;   // [xxxxName] of a compact array
  const Section* values = nullptr;  // [xxxxValue]
  std::map<std::uint8_t, const Section*> subs;
};

// One field of an entry: its text and the line it stands on.
struct CAppEdsDevice::Field {
  std::string_view text;
  std::uint32_t line = 0;
  bool present = false;
};

// What one entry says, wherever it comes from (its own section, or the
// object's section and the compact name and value lists).
struct CAppEdsDevice::Fields {
  std::string name;
  std::string_view access;
  Field dataType, defaultValue, parameterValue, lowLimit, highLimit;
  std::uint32_t line = 0;  // of the section, for messages
  const Section* section = nullptr;
};

CAppEdsDevice::CAppEdsDevice(const CAppEdsIni& ini, int nodeId, const std::string& fallbackName) : m_ini(ini) {
  const Section* info = m_ini.Find("DeviceInfo");
  if (info == nullptr) m_ini.Fail(m_ini.LineCount(), "no [DeviceInfo] section");
  ReadNodeId(nodeId);
  m_pRoot = std::make_unique<CAppParamGroup>();
  m_pRoot->SetKey("DEVICE");
  const Entry* product = m_ini.Find(*info, "ProductName");
  m_pRoot->SetName(product != nullptr && !m_ini.Value(*product).empty() ? std::string(m_ini.Value(*product))
                                                                        : fallbackName);
  CollectObjects();
  CollectListed();
  m_pRoot->Reserve(m_objects.size());
  for (const Object& object : m_objects) BuildObject(object);
}

CAppEdsDevice::~CAppEdsDevice() = default;

std::unique_ptr<CAppParam> CAppEdsDevice::TakeRoot() { return std::move(m_pRoot); }

std::int64_t CAppEdsDevice::Number(std::string_view text, std::uint32_t line, std::string_view what) const {
  const auto value = AppEdsParseNumber(text, m_nodeId);
  if (!value) m_ini.Fail(line, "unreadable number \"" + std::string(text) + "\" for " + std::string(what));
  return *value;
}

std::int64_t CAppEdsDevice::Number(const Entry& entry) const {
  return Number(m_ini.Value(entry), entry.line, m_ini.Name(entry));
}

void CAppEdsDevice::ReadNodeId(int nodeId) {
  if (nodeId >= 0) {
    m_nodeId = nodeId;
    return;
  }
  const Section* commissioning = m_ini.Find("DeviceComissioning");
  const Entry* entry = commissioning != nullptr ? m_ini.Find(*commissioning, "NodeID") : nullptr;
  if (entry != nullptr && !AppEdsTrim(m_ini.Value(*entry)).empty()) m_nodeId = Number(*entry);
}

void CAppEdsDevice::CollectObjects() {
  std::map<std::uint16_t, Object> objects;
  for (const Section& section : m_ini.Sections()) {
    const std::string_view name = m_ini.Name(section);
    const ObjectName parsed = ParseObjectName(name);
    if (parsed.kind == ObjectName::NOT_OBJECT) continue;
    if (parsed.kind == ObjectName::BAD) m_ini.Fail(section.line, "bad object section name [" + std::string(name) + "]");
    if (parsed.kind == ObjectName::SUB && parsed.sub > 0xFE) {
      m_ini.Fail(section.line, "sub-index above 0xFE in [" + std::string(name) + "]");
    }
    if (m_ini.Find(name) != &section) continue;  // a repeated section: the first one counts
    Object& object = objects[parsed.index];
    object.index = parsed.index;
    switch (parsed.kind) {
      case ObjectName::MAIN: object.main = &section; break;
      case ObjectName::SUB: object.subs.emplace(static_cast<std::uint8_t>(parsed.sub), &section); break;
      case ObjectName::NAMES: object.names = &section; break;
      case ObjectName::VALUES: object.values = &section; break;
      case ObjectName::NOT_OBJECT:
      case ObjectName::BAD: break;
    }
  }
  m_objects.reserve(objects.size());
  for (auto& [index, object] : objects) m_objects.push_back(std::move(object));
}

// Objects the lists name but no section describes are only reported.
void CAppEdsDevice::CollectListed() {
  std::vector<std::uint16_t> missing;
  for (const char* list : {"MandatoryObjects", "OptionalObjects", "ManufacturerObjects"}) {
    const Section* section = m_ini.Find(list);
    if (section == nullptr) continue;
    const Entry* entries = m_ini.Entries(*section);
    for (std::uint32_t i = 0; i < section->entryCount; ++i) {
      if (AppEdsSameName(m_ini.Name(entries[i]), "SupportedObjects")) continue;
      const std::int64_t index = Number(entries[i]);
      if (index < 0 || index > 0xFFFF) m_ini.Fail(entries[i].line, "object index out of range");
      const auto found = std::lower_bound(m_objects.begin(), m_objects.end(), index,
                                          [](const Object& o, std::int64_t i) { return o.index < i; });
      if (found == m_objects.end() || found->index != index || found->main == nullptr) {
        missing.push_back(static_cast<std::uint16_t>(index));
      }
    }
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  for (const std::uint16_t index : missing) m_skipped.push_back(Hex(index, 4) + " (no section)");
}

CAppEdsDevice::Fields CAppEdsDevice::FieldsOf(const Section& section) const {
  Fields fields;
  fields.line = section.line;
  fields.section = &section;
  const Entry* entries = m_ini.Entries(section);
  for (std::uint32_t i = 0; i < section.entryCount; ++i) {
    const Entry& e = entries[i];
    const std::string_view name = m_ini.Name(e);
    auto keep = [&](const char* wanted, Field& slot) {
      if (!slot.present && AppEdsSameName(name, wanted)) slot = {m_ini.Value(e), e.line, true};
    };
    if (AppEdsSameName(name, "ParameterName")) {
      fields.name = m_ini.Value(e);
    } else if (AppEdsSameName(name, "AccessType")) {
      fields.access = m_ini.Value(e);
    }
    keep("DataType", fields.dataType);
    keep("DefaultValue", fields.defaultValue);
    keep("ParameterValue", fields.parameterValue);
    keep("LowLimit", fields.lowLimit);
    keep("HighLimit", fields.highLimit);
  }
  return fields;
}

void CAppEdsDevice::BuildObject(const Object& object) {
  const std::string key = "O" + Hex(object.index, 4);
  if (object.main == nullptr) {
    if (!object.subs.empty()) m_skipped.push_back(Hex(object.index, 4) + " (sub-indexes without an object section)");
    return;
  }
  const Section& main = *object.main;
  const Fields mainFields = FieldsOf(main);
  const Entry* typeEntry = m_ini.Find(main, "ObjectType");
  const std::int64_t objectType =
      typeEntry == nullptr || AppEdsTrim(m_ini.Value(*typeEntry)).empty() ? 7 : Number(*typeEntry);

  if (objectType == 7) {
    std::unique_ptr<CAppParam> leaf = BuildLeaf(mainFields, key, object.index, -1, key);
    if (leaf != nullptr && m_pRoot->AddOwnKey(leaf.get())) leaf.release();
    return;
  }
  if (objectType != 8 && objectType != 9) {
    m_skipped.push_back(Hex(object.index, 4) + " (object type " + std::to_string(objectType) + ")");
    return;
  }

  // The sub-indexes in order: an own section wins over a compact entry.
  std::map<std::uint8_t, Fields> subs;
  const Entry* compactEntry = m_ini.Find(main, "CompactSubObj");
  const std::int64_t compact =
      compactEntry == nullptr || AppEdsTrim(m_ini.Value(*compactEntry)).empty() ? 0 : Number(*compactEntry);
  if (compact < 0 || compact > 0xFE) m_ini.Fail(compactEntry->line, "CompactSubObj above 0xFE");
  std::vector<std::string> texts;  // the texts made up for compact entries
  texts.reserve(2);
  if (compact > 0) {
    // Sub-index 0 holds the count; the others share the object's fields,
    // with their names and values from [xxxxName] and [xxxxValue].
    texts.push_back(std::to_string(compact));
    Fields count;
    count.name = "NrOfObjects";
    count.access = "ro";
    count.line = main.line;
    count.dataType = {"0x0005", main.line, true};
    count.defaultValue = {texts.back(), main.line, true};
    subs.emplace(0, count);
    for (std::int64_t sub = 1; sub <= compact; ++sub) {
      Fields fields = mainFields;
      fields.section = nullptr;
      fields.parameterValue = {};
      fields.name = mainFields.name + " " + std::to_string(sub);
      const std::string number = std::to_string(sub);
      if (object.names != nullptr) {
        if (const Entry* e = m_ini.Find(*object.names, number)) fields.name = m_ini.Value(*e);
      }
      if (object.values != nullptr) {
        if (const Entry* e = m_ini.Find(*object.values, number)) fields.parameterValue = {m_ini.Value(*e), e->line, true};
      }
      subs.emplace(static_cast<std::uint8_t>(sub), std::move(fields));
    }
  }
  for (const auto& [sub, section] : object.subs) subs.insert_or_assign(sub, FieldsOf(*section));

  auto group = std::make_unique<CAppParamGroup>();
  group->SetKey(key);
  group->SetName(mainFields.name);
  group->Reserve(subs.size());
  for (const auto& [sub, fields] : subs) {
    const std::string subKey = "S" + Hex(sub, 2);
    std::unique_ptr<CAppParam> leaf = BuildLeaf(fields, subKey, object.index, sub, key + "\\" + subKey);
    if (leaf != nullptr && group->AddOwnKey(leaf.get())) leaf.release();
  }
  if (group->GetCount() == 0) {
    m_skipped.push_back(Hex(object.index, 4) + " (" + (objectType == 8 ? "ARRAY" : "RECORD") +
                        " with no sub-index)");
    return;
  }
  if (m_pRoot->AddOwnKey(group.get())) group.release();
}

// A value of a numeric type: the text read with the node id, refused when
// it does not fit the type's bits (signed or unsigned), then kept in the
// type's width. An empty text gives an empty variant.
CAppVariant CAppEdsDevice::NumericValue(const Field& field, const AppEdsType& type, std::string_view what) const {
  CAppVariant value;
  if (!field.present || AppEdsTrim(field.text).empty()) return value;
  std::int64_t number = Number(field.text, field.line, what);
  const std::int64_t low = type.isSigned ? -(std::int64_t{1} << (type.bits - 1)) : 0;
  const std::int64_t high = (std::int64_t{1} << type.bits) - 1;
  if (number < low || number > high) {
    m_ini.Fail(field.line, std::string(what) + " " + std::string(AppEdsTrim(field.text)) + " out of range for " + type.name);
  }
  if (type.isSigned && number >= (std::int64_t{1} << (type.bits - 1))) number -= std::int64_t{1} << type.bits;
  value.SetInt(type.vt, number);
  return value;
}

std::vector<std::uint8_t> CAppEdsDevice::Bytes(const Field& field) const {
  std::string digits;
  for (const char c : field.text) {
    if (c == ' ' || c == '\t') continue;
    if (!IsHex(c)) m_ini.Fail(field.line, "not hexadecimal data: \"" + std::string(field.text) + "\"");
    digits.push_back(c);
  }
  if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
  std::vector<std::uint8_t> bytes(digits.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(*ParseUnsigned("0x" + digits.substr(2 * i, 2)));
  }
  return bytes;
}

std::unique_ptr<CAppParam> CAppEdsDevice::BuildLeaf(const Fields& fields, const std::string& key, std::uint16_t index,
                                                    int sub, const std::string& path) {
  if (!fields.dataType.present) m_ini.Fail(fields.line, "no DataType for " + EntryName(index, sub));
  const std::int64_t code = Number(fields.dataType.text, fields.dataType.line, "DataType");
  const AppEdsType& type = AppEdsFindType(code >= 0 && code <= 0xFFFF ? static_cast<std::uint32_t>(code) : 0);
  if (type.kind == AppEdsType::SKIPPED) {
    m_skipped.push_back(EntryName(index, sub) + " (" +
                        (type.name != nullptr ? type.name : "data type 0x" + Hex(static_cast<unsigned>(code), 4)) + ")");
    return nullptr;
  }
  const Field& value = fields.parameterValue.present && !AppEdsTrim(fields.parameterValue.text).empty()
                           ? fields.parameterValue
                           : fields.defaultValue;
  std::unique_ptr<CAppParam> leaf;
  switch (type.kind) {
    case AppEdsType::NUMERIC: {
      auto numeric = std::make_unique<CAppParamNumeric>();
      numeric->SetType(CAppTools::Type(static_cast<std::uint32_t>(type.vt)));
      numeric->SetBitSize(type.bits);
      numeric->SetDefaultValue(NumericValue(fields.defaultValue, type, "DefaultValue"));
      CAppVariant low = NumericValue(fields.lowLimit, type, "LowLimit");
      CAppVariant high = NumericValue(fields.highLimit, type, "HighLimit");
      // Missing limits are the range of the type's bits, written out so that
      // a description saved from the tree says them too.
      if (low.IsEmpty()) low.SetInt(type.vt, type.isSigned ? -(std::int64_t{1} << (type.bits - 1)) : 0);
      if (high.IsEmpty()) {
        high.SetInt(type.vt, type.isSigned ? (std::int64_t{1} << (type.bits - 1)) - 1 : (std::int64_t{1} << type.bits) - 1);
      }
      numeric->SetMinValue(low);
      numeric->SetMaxValue(high);
      numeric->CAppParamValue::SetVariant(NumericValue(value, type, "value"));
      leaf = std::move(numeric);
      break;
    }
    case AppEdsType::STRING: {
      auto text = std::make_unique<CAppParamValue>();
      text->SetVariant(CAppVariant(std::string(value.text)));
      leaf = std::move(text);
      break;
    }
    case AppEdsType::BYTES: {
      auto bytes = std::make_unique<CAppParamArray>();
      std::vector<std::uint8_t> data = Bytes(value);
      if (data.size() > bytes->GetMaxSize()) bytes->SetMaxSize(static_cast<std::uint32_t>(data.size()));
      bytes->SetData(data);
      leaf = std::move(bytes);
      break;
    }
    case AppEdsType::SKIPPED: break;
  }
  leaf->SetKey(key);
  leaf->SetName(fields.name);
  if (AppEdsSameName(AppEdsTrim(fields.access), "ro") || AppEdsSameName(AppEdsTrim(fields.access), "const")) {
    leaf->ModifyFlags(0, PF_READONLY);
  }
  m_imported.push_back({path, fields.section, index, static_cast<std::int16_t>(sub), &type,
                        std::string(fields.defaultValue.text)});
  return leaf;
}
