#include "appconfig/AppStreamBin.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <unordered_map>
#include <utility>
#include <variant>

#include "../core/AppSameKey.h"
#include "../core/AppSaveFile.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppText.h"

namespace {

// --- The field types, once for the writer, the reader and the clone ---------

enum class Kind { Integer, Real, Flags, TypeCode, String, Param, Variant };

struct FieldType {
  std::uint32_t code;   // low 12 bits of a field type code
  std::uint32_t bytes;  // bytes per entry in a file; 0: not stored as such
  Kind kind;
  bool isSigned;
};

constexpr FieldType kFieldTypes[] = {
    {CAppRecord::FT_I1, 1, Kind::Integer, true},     {CAppRecord::FT_UI1, 1, Kind::Integer, false},
    {CAppRecord::FT_I2, 2, Kind::Integer, true},     {CAppRecord::FT_UI2, 2, Kind::Integer, false},
    {CAppRecord::FT_I4, 4, Kind::Integer, true},     {CAppRecord::FT_UI4, 4, Kind::Integer, false},
    {CAppRecord::FT_I8, 8, Kind::Integer, true},     {CAppRecord::FT_UI8, 8, Kind::Integer, false},
    {CAppVariant::VT_R4, 4, Kind::Real, true},       {CAppVariant::VT_R8, 8, Kind::Real, true},
    {CAppRecord::FT_FLAGS, 4, Kind::Flags, false},   {CAppRecord::FT_TYPE, 4, Kind::TypeCode, false},
    {CAppRecord::FT_STRING, 4, Kind::String, false}, {CAppRecord::FT_PARAM, 0, Kind::Param, false},
    {CAppRecord::FT_VARIANT, 0, Kind::Variant, false},
};

constexpr std::uint32_t kElementMask = 0x0FFFu;

// The row of each low-12-bit code, so that a lookup (several per field) is one index.
constexpr auto kFieldTypeRows = [] {
  std::array<std::int8_t, kElementMask + 1> rows{};
  rows.fill(-1);
  for (std::size_t i = 0; i < std::size(kFieldTypes); ++i) rows[kFieldTypes[i].code] = static_cast<std::int8_t>(i);
  return rows;
}();

// The row of a field type code (the array bit aside); null for any other code.
const FieldType* FindFieldType(std::uint32_t code) {
  if ((code & ~(kElementMask | CAppRecord::FT_ARRAY)) != 0) return nullptr;
  const std::int8_t row = kFieldTypeRows[code & kElementMask];
  return row >= 0 ? &kFieldTypes[row] : nullptr;
}

// Flags, type codes and 32-bit integers share one layout in a file.
bool IsWord(const FieldType& type) {
  return type.kind == Kind::Flags || type.kind == Kind::TypeCode || (type.kind == Kind::Integer && type.bytes == 4);
}

// Whether a field asked for as `asked` may be read from an element stored as
// `stored`: integers of any width and sign (converted), other values of the
// same kind, or a 32-bit word in another guise; a variant takes a single
// number or string, or nothing.
bool IsReadableAs(std::uint32_t asked, std::uint32_t stored) {
  const FieldType* a = FindFieldType(asked);
  const FieldType* s = FindFieldType(stored);
  if (a == nullptr) return false;
  if (a->kind == Kind::Variant) {
    return stored == 0 || (s != nullptr && (stored & CAppRecord::FT_ARRAY) == 0 &&
                           (s->kind == Kind::Integer || s->kind == Kind::Real || s->kind == Kind::String));
  }
  if (s == nullptr || (asked & CAppRecord::FT_ARRAY) != (stored & CAppRecord::FT_ARRAY)) return false;
  return a->kind == s->kind || (IsWord(*a) && IsWord(*s));
}

// The value of a signed integer of `bytes` bytes held in the low bytes of n.
std::uint64_t SignExtend(std::uint64_t n, unsigned bytes) {
  if (bytes >= 8) return n;
  const std::uint64_t sign = std::uint64_t{1} << (8 * bytes - 1);
  return (n & sign) != 0 ? n | ~((sign << 1) - 1) : n;
}

constexpr std::string_view kReservedNames[] = {"SYS_IDENT_VALUE", "SYS_VERSION_VALUE", "SYS_HEADER_SECTION",
                                               "SYS_DATA_SECTION", "SYS_STRING_SECTION"};

bool IsReserved(std::uint32_t code) {
  return code >= CAppStreamBin::NAME_IDENT_VALUE && code <= CAppStreamBin::NAME_STRING_SECTION;
}

// Parameters nest this deep at most in a file; real trees stay far below,
// and the reader's recursion must not exhaust the stack on a crafted file.
constexpr unsigned kMaxDepth = 256;

// What a reader knows of one element: its header, where its payload starts,
// the number of its name (the same for names equal but for letter case) and
// how many entries it holds.
struct Element {
  CAppStreamBin::ST_FIELD field;
  std::uint32_t offset = 0;
  std::uint32_t id = 0;
  std::uint32_t count = 0;
  std::uint32_t first = 0;  // a listed group field: the place of its first entry
  bool listed = false;
};

}  // namespace

// --- Stream ----------------------------------------------------------------------

// The strings of one file in index order. A writer's own copies are indexed
// by text, so that equal strings share one index; a reader's are views of
// the file's bytes.
class CAppStreamBin::Stream::StringTable {
public:
  // The index of `text`, added when new.
  std::uint32_t Add(std::string_view text) {
    const auto found = m_index.find(text);
    if (found != m_index.end()) return found->second;
    const std::uint32_t index = Count();
    // A deque never moves its strings, so the views stay valid.
    m_views.push_back(m_owned.emplace_back(text));
    m_index.emplace(m_views.back(), index);
    return index;
  }
  // For a reader: the strings of a string section, which must differ.
  void SetViews(std::vector<std::string_view> views) {
    m_views = std::move(views);
    std::vector<std::string_view> sorted = m_views;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) APP_THROW("Bad file format");
  }
  std::string_view At(std::uint32_t index) const { return m_views[index]; }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(m_views.size()); }
  const std::vector<std::string_view>& Texts() const { return m_views; }

private:
  std::vector<std::string_view> m_views;
  std::deque<std::string> m_owned;
  std::unordered_map<std::string_view, std::uint32_t> m_index;
};

CAppStreamBin::Stream::Stream(CAppToolsBin::Stream* bytes)
    : m_strings(std::make_unique<StringTable>()), m_pBytes(bytes) {
  APP_CHECK_POINTER(bytes);
}

CAppStreamBin::Stream::~Stream() = default;

std::uint32_t CAppStreamBin::Stream::SetName(std::string_view text) {
  // A zero byte would split the string in two in a file.
  if (text.find('\0') != std::string_view::npos) APP_THROW("Invalid Data");
  if (m_strings->Count() >= NAME_IDENT_VALUE) APP_THROW("Bad file format");
  return m_strings->Add(text);
}

std::string_view CAppStreamBin::Stream::GetName(std::uint32_t code) const {
  if (IsReserved(code)) return kReservedNames[code - NAME_IDENT_VALUE];
  if (code >= m_strings->Count()) APP_THROW("Bad data index");
  return m_strings->At(code);
}

std::uint32_t CAppStreamBin::Stream::GetStringCount() const { return m_strings->Count(); }

// --- Writing ---------------------------------------------------------------------

// Writes one parameter element; End closes it.
class CAppStreamBin::SaveRecord : public CAppRecord {
public:
  SaveRecord(SaveStream* stream, CAppParam* param);
  // Closes the parameter element (after the parameter's Serialize).
  void End();

  bool GetField() override;
  void Serialize(void* value, unsigned index) override;
  void Validate() override;

private:
  void WriteVariant(const CAppVariant& variant);
  SaveStream::Image& Image() const { return *m_pStream->m_pImage; }

  SaveStream* m_pStream;
  bool m_bWritten = false;
  std::uint32_t m_nStart = 0;
  std::uint32_t m_nField = 0;
  std::string m_strClassName;
};

// The file being written, and the field and class names met so far.
class CAppStreamBin::SaveStream::Image {
public:
  Image() { bytes.reserve(64 * 1024); }

  void Append(const void* data, std::size_t count) {
    // Offsets are 32-bit: a file must stay below 4 GiB.
    if (count > std::numeric_limits<std::uint32_t>::max() - bytes.size()) APP_THROW("Bad file size");
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count);
  }
  void AppendWord(std::uint32_t word) {
    const std::uint8_t le[4] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
    Append(le, 4);
  }
  // SetName for field and class names. They are few, and every parameter
  // of a class asks for them in the same order: the name after the last one
  // found is tried first, before the string table.
  std::uint32_t FieldName(Stream& strings, std::string_view name) {
    const std::size_t size = fieldNames.size();
    for (std::size_t n = 0; n < size; ++n) {
      const std::size_t i = nextName + n < size ? nextName + n : nextName + n - size;
      if (fieldNames[i].first == name) {
        nextName = i + 1;
        return fieldNames[i].second;
      }
    }
    const std::uint32_t index = strings.SetName(name);
    if (size < kFieldNames) fieldNames.emplace_back(strings.GetName(index), index);
    return index;
  }

  std::vector<std::uint8_t> bytes;

private:
  static constexpr std::size_t kFieldNames = 64;
  std::vector<std::pair<std::string_view, std::uint32_t>> fieldNames;
  std::size_t nextName = 0;
};

CAppStreamBin::SaveStream::SaveStream(CAppToolsBin::Stream* bytes, CAppParam* param, SaveRule rule)
    : Stream(bytes), m_pImage(std::make_unique<Image>()), m_rule(std::move(rule)) {
  WriteHeader();
  WriteParam(param);
  WriteStrings();
  std::vector<std::uint8_t>& image = m_pImage->bytes;
  if (auto* memory = dynamic_cast<CAppToolsBin::Memory*>(bytes)) {
    memory->Assign(std::move(image));
    return;
  }
  bytes->RemoveAll();
  bytes->Seek(0);
  bytes->WriteBytes(image.data(), static_cast<unsigned>(image.size()));
}

CAppStreamBin::SaveStream::~SaveStream() = default;

std::uint32_t CAppStreamBin::SaveStream::BeginElement() {
  const auto start = static_cast<std::uint32_t>(m_pImage->bytes.size());
  static constexpr std::uint8_t kPlaceholder[HEADER_SIZE] = {};
  m_pImage->Append(kPlaceholder, HEADER_SIZE);
  return start;
}

void CAppStreamBin::SaveStream::EndElement(std::uint32_t name, std::uint32_t start, std::uint32_t type) {
  std::vector<std::uint8_t>& image = m_pImage->bytes;
  if (std::uint64_t{start} + HEADER_SIZE > image.size()) APP_THROW("Bad Position");
  std::uint8_t* out = image.data() + start;
  for (std::uint32_t word : {static_cast<std::uint32_t>(image.size()), name, type}) {
    for (int i = 0; i < 4; ++i, word >>= 8) *out++ = static_cast<std::uint8_t>(word);
  }
}

void CAppStreamBin::SaveStream::WriteHeader() {
  const std::uint32_t section = BeginElement();
  for (const auto& [name, value] : {std::pair{NAME_IDENT_VALUE, IDENT}, std::pair{NAME_VERSION_VALUE, VERSION}}) {
    const std::uint32_t start = BeginElement();
    m_pImage->AppendWord(value);
    EndElement(name, start, CAppRecord::FT_UI4);
  }
  EndElement(NAME_HEADER_SECTION, section, TYPE_SECTION);
}

void CAppStreamBin::SaveStream::WriteParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  const std::uint32_t section = BeginElement();
  SaveRecord record(this, param);
  param->Serialize(&record);
  record.End();
  EndElement(NAME_DATA_SECTION, section, TYPE_SECTION);
}

void CAppStreamBin::SaveStream::WriteStrings() {
  const std::uint32_t section = BeginElement();
  for (const std::string_view text : m_strings->Texts()) {
    m_pImage->Append(text.data(), text.size());
    m_pImage->Append("", 1);
  }
  EndElement(NAME_STRING_SECTION, section, TYPE_SECTION);
}

CAppStreamBin::SaveRecord::SaveRecord(SaveStream* stream, CAppParam* param) : m_pStream(stream) {
  APP_CHECK_POINTER(stream);
  APP_CHECK_POINTER(param);
  if (!stream->IsSerializable(param)) return;
  m_bWritten = true;
  m_nStart = stream->BeginElement();
  m_strClassName = param->GetClassName();
}

void CAppStreamBin::SaveRecord::End() {
  if (!m_bWritten) return;
  m_bWritten = false;
  // The class name is registered after the fields, as readers expect.
  m_pStream->EndElement(Image().FieldName(*m_pStream, m_strClassName), m_nStart, FT_PARAM);
}

bool CAppStreamBin::SaveRecord::GetField() {
  if (!m_bWritten) return false;
  m_nField = m_pStream->BeginElement();
  return true;
}

void CAppStreamBin::SaveRecord::Serialize(void* value, unsigned /*index*/) {
  APP_CHECK_POINTER(value);
  const FieldType* type = FindFieldType(GetType());
  if (type == nullptr) APP_THROW("Invalid Data");
  switch (type->kind) {
    case Kind::Integer: {
      const std::uint64_t n = CAppRecord::LoadInteger(value, type->bytes);
      for (std::uint32_t i = 0; i < type->bytes; ++i) {
        const auto byte = static_cast<std::uint8_t>(n >> (8 * i));
        Image().Append(&byte, 1);
      }
      return;
    }
    case Kind::Flags: Image().AppendWord(*static_cast<const CAppTools::Flags*>(value)); return;
    case Kind::TypeCode: Image().AppendWord(static_cast<const CAppTools::Type*>(value)->GetCode()); return;
    case Kind::String: Image().AppendWord(m_pStream->SetName(*static_cast<const std::string*>(value))); return;
    case Kind::Param: {
      CAppParam* child = *static_cast<CAppParam* const*>(value);
      SaveRecord record(m_pStream, child);
      child->Serialize(&record);
      record.End();
      return;
    }
    case Kind::Variant: WriteVariant(*static_cast<const CAppVariant*>(value)); return;
    case Kind::Real: break;
  }
  APP_THROW("Invalid Data");
}

// Stored under the variant's own type, a string as a string index, an empty
// variant with no payload.
void CAppStreamBin::SaveRecord::WriteVariant(const CAppVariant& variant) {
  if (variant.IsEmpty()) {
    SetType(0);
    return;
  }
  if (variant.IsString()) {
    SetType(FT_STRING);
    Image().AppendWord(m_pStream->SetName(variant.GetStringRef()));
    return;
  }
  const FieldType* stored = FindFieldType(variant.GetType());
  if (stored == nullptr || (stored->kind != Kind::Integer && stored->kind != Kind::Real)) APP_THROW("Invalid Data");
  SetType(variant.GetType());
  std::uint64_t bits = variant.GetUInt64();
  if (stored->code == CAppVariant::VT_R4) {
    const auto f = static_cast<float>(variant.GetDouble());
    std::uint32_t word = 0;
    std::memcpy(&word, &f, sizeof word);
    bits = word;
  } else if (stored->code == CAppVariant::VT_R8) {
    const double d = variant.GetDouble();
    std::memcpy(&bits, &d, sizeof bits);
  }
  for (std::uint32_t i = 0; i < stored->bytes; ++i) {
    const auto byte = static_cast<std::uint8_t>(bits >> (8 * i));
    Image().Append(&byte, 1);
  }
}

void CAppStreamBin::SaveRecord::Validate() {
  m_pStream->EndElement(Image().FieldName(*m_pStream, GetNameView()), m_nField, GetType());
}

// --- Reading -------------------------------------------------------------------------

// The file's bytes, and what the reader keeps while it reads them.
class CAppStreamBin::LoadStream::Reader {
public:
  explicit Reader(const Stream& strings) : m_strings(strings) {}

  std::uint64_t ReadNumber(std::uint32_t pos, unsigned count) {
    at = pos;
    if (std::uint64_t{pos} + count > bytes.size()) APP_THROW("Bad file size");
    std::uint64_t n = 0;
    for (unsigned i = count; i-- > 0;) n = (n << 8) | bytes[pos + i];
    return n;
  }
  // The header at `pos`, which must lie with its element within [pos, limit).
  ST_FIELD ReadField(std::uint32_t pos, std::uint32_t limit) {
    at = pos;
    if (limit < pos || limit - pos < HEADER_SIZE || limit > bytes.size()) APP_THROW("Bad file size");
    const std::uint8_t* p = bytes.data() + pos;
    const auto word = [p](int at) {
      return std::uint32_t{p[at]} | std::uint32_t{p[at + 1]} << 8 | std::uint32_t{p[at + 2]} << 16 |
             std::uint32_t{p[at + 3]} << 24;
    };
    const ST_FIELD field{word(0), word(4), word(8)};
    if (field.end < pos + HEADER_SIZE) APP_THROW("Bad data format");
    if (field.end > limit) APP_THROW("Bad file size");
    return field;
  }
  // The section of that reserved name; "Bad pointer" when the file lacks it.
  const Element& FindSection(std::uint32_t name) const {
    for (const Element& section : sections) {
      if (section.field.name == name) return section;
    }
    APP_THROW("Bad pointer");
  }
  // The same number for element names equal but for letter case.
  std::uint32_t NameId(std::uint32_t code) {
    if (IsReserved(code)) return code;
    if (code >= nameIds.size()) APP_THROW("Bad data index");
    std::uint32_t& id = nameIds[code];
    if (id == kNoId) {
      id = upperIds.emplace(CAppTools::MakeUpper(std::string(m_strings.GetName(code))), code).first->second;
    }
    return id;
  }
  // A node of the class the table string at `className` names; the
  // registry is asked once per name and load.
  CAppParam* CreateParam(std::uint32_t className) {
    if (className < classes.size() && classes[className] != nullptr) {
      return static_cast<CAppParam*>(classes[className]->CreateObject());
    }
    CAppObject* object =
        CAppDynamic::_GetRegisterClass(std::string(m_strings.GetName(className)), CAppParam::StaticRuntimeClass());
    if (object == nullptr) APP_THROW("Bad pointer");
    if (classes.empty()) classes.resize(m_strings.GetStringCount());
    classes[className] = object->GetRuntimeClass();
    return static_cast<CAppParam*>(object);
  }

  // The string of the table at `index`, copied into the tree. One table
  // string may be named by any number of fields and entries: the copies a
  // load makes are counted, so that a small file cannot grow a huge tree.
  std::string_view TakeString(std::uint64_t index) {
    if (index >= m_strings.GetStringCount()) APP_THROW("Bad data index");
    const std::string_view text = m_strings.GetName(static_cast<std::uint32_t>(index));
    const std::uint64_t cost = text.size() + kStringOverhead;
    if (cost > budget) {
      APP_THROW("Strings of more than %llu bytes for a file of %zu bytes",
                static_cast<unsigned long long>(StringBudget(bytes.size())), bytes.size());
    }
    budget -= cost;
    return text;
  }

  // The same string as a shared text, made once per load however many
  // fields name it; counted like a copy.
  const CAppText& TakeText(std::uint64_t index) {
    const std::string_view text = TakeString(index);
    if (texts.empty()) texts.resize(m_strings.GetStringCount());
    CAppText& shared = texts[index];
    if (shared.IsEmpty()) shared = CAppText(text);
    return shared;
  }

  // What the copies of table strings may cost in all: a multiple of the
  // file's size (every honest file stays far below) plus room for small files.
  static std::uint64_t StringBudget(std::uint64_t length) { return 16 * length + (std::uint64_t{64} << 20); }
  // A string's own bookkeeping, charged beside its characters.
  static constexpr std::uint64_t kStringOverhead = 32;

  static constexpr std::uint32_t kNoId = 0xFFFFFFFFu;
  std::vector<std::uint8_t> bytes;
  std::uint64_t at = 0;      // where the last read started, named by errors
  std::uint64_t budget = 0;  // left for copies of table strings
  bool inStream = false;     // while the byte stream itself is read
  std::vector<Element> sections;
  std::vector<Element> elements;       // of the records alive, as a stack
  std::vector<std::uint32_t> nameIds;  // per string index, kNoId until met as a name
  std::unordered_map<std::string, std::uint32_t> upperIds;
  std::vector<CAppText> texts;                     // per string index, made when first taken
  std::vector<const CAppRuntimeClass*> classes;  // per string index, once met as a class name
  unsigned depth = 0;  // of the records alive

private:
  const Stream& m_strings;
};

// Reads the fields of one element: the headers of its direct children are
// read and checked on construction, a field's payload when it is asked for.
class CAppStreamBin::LoadRecord : public CAppRecord {
public:
  LoadRecord(LoadStream* stream, std::uint32_t start, std::uint32_t end);
  ~LoadRecord() override { Pop(); }
  LoadRecord(const LoadRecord&) = delete;
  LoadRecord& operator=(const LoadRecord&) = delete;

  bool IsModeLoad() override { return true; }
  bool GetField() override;
  unsigned GetCount() override { return m_nField != kNone ? Info(m_nField).count : 0; }
  void Serialize(void* value, unsigned index) override;
  using CAppRecord::_Do;
  void _Do(CAppParamGroup& group) override;
  // A string field read straight into the shared text of its table string.
  void _Do(CAppText& value) override;

private:
  static constexpr std::size_t kNone = ~std::size_t{0};

  // The record's children are the reader's elements from m_nFirst to m_nEnd; a
  // group field's entries are listed above them when it is read.
  Element& Info(std::size_t at) const { return m_reader.elements[at]; }
  void Pop();
  void ReadChildren(std::uint32_t start, std::uint32_t end);
  void CheckUniqueNames() const;
  // The entries an element holds, by the size of its stored type; a group
  // field's are counted when they are listed.
  static std::uint32_t CountEntries(const Element& info);
  void ListEntries(std::size_t field);
  void ReadValue(void* value, const FieldType& asked, const Element& info, unsigned index);
  void ReadParamEntry(void* value, Element entry);
  std::string_view StoredKey(const Element& entry) const;
  bool HoldsChildrenOf(const Element& info, CAppParamGroup& group) const;

  LoadStream* m_pStream;
  LoadStream::Reader& m_reader;
  std::size_t m_nFirst = 0;
  std::size_t m_nEnd = 0;
  std::size_t m_nField = kNone;
  std::size_t m_nNext = 0;  // where the next field is looked for first
};

namespace {

// What a file's load errors add to their text: the file and the byte where
// reading stopped.
std::string Where(const std::string& file, std::uint64_t at) {
  if (file.empty()) return std::string();
  return CAppTools::Format(" (file %s, byte %llu)", file.c_str(), static_cast<unsigned long long>(at));
}

}  // namespace

CAppStreamBin::LoadStream::LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param)
    : LoadStream(bytes, param, std::string()) {}

CAppStreamBin::LoadStream::LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param, const std::string& file,
                                      bool keepChildren)
    : Stream(bytes), m_pReader(std::make_unique<Reader>(*this)), m_bKeepChildren(keepChildren) {
  try {
    ReadAll(bytes, param);
  } catch (CAppException& e) {
    // The byte stream's own errors name their file already.
    if (!m_pReader->inStream) e.SetMessage(e.GetMessage() + Where(file, m_pReader->at));
    throw;
  } catch (const std::bad_alloc&) {
    APP_THROW("Out of memory%s", Where(file, m_pReader->at).c_str());
  } catch (const std::exception& e) {
    APP_THROW("%s%s", e.what(), Where(file, m_pReader->at).c_str());
  }
}

void CAppStreamBin::LoadStream::ReadAll(CAppToolsBin::Stream* bytes, CAppParam*& param) {
  // The whole file in memory: its length bounds every count read from it.
  // Offsets in a file are 32-bit: a longer file cannot be one of ours.
  const std::uint64_t length = bytes->GetLength();
  if (length > std::numeric_limits<std::uint32_t>::max()) {
    APP_THROW("Bad file size : %llu bytes", static_cast<unsigned long long>(length));
  }
  if (length != 0) {
    m_pReader->bytes.resize(static_cast<std::size_t>(length));
    m_pReader->inStream = true;
    bytes->Seek(0);
    bytes->ReadBytes(m_pReader->bytes.data(), static_cast<unsigned>(length));
    m_pReader->inStream = false;
  }
  m_pReader->budget = Reader::StringBudget(length);
  ReadSections();
  ReadHeader();
  ReadStrings();
  ReadParam(param);
}

CAppStreamBin::LoadStream::~LoadStream() = default;

void CAppStreamBin::LoadStream::ReadSections() {
  const auto end = static_cast<std::uint32_t>(m_pReader->bytes.size());
  for (std::uint32_t pos = 0; pos < end;) {
    const ST_FIELD field = m_pReader->ReadField(pos, end);
    if (field.type != TYPE_SECTION) APP_THROW("Invalid Data");
    for (const Element& section : m_pReader->sections) {
      if (section.field.name == field.name) APP_THROW("Record name already exist");
    }
    m_pReader->sections.push_back(Element{field, pos + HEADER_SIZE});
    pos = field.end;
  }
}

void CAppStreamBin::LoadStream::ReadHeader() {
  const Element& header = m_pReader->FindSection(NAME_HEADER_SECTION);
  LoadRecord record(this, header.offset, header.field.end);
  std::uint32_t ident = 0;
  std::uint32_t version = 0;
  record.Do(kReservedNames[0].data(), ident);
  if (ident != IDENT) APP_THROW("Bad file");
  record.Do(kReservedNames[1].data(), version);
  if (version != VERSION) APP_THROW("Bad file version");
}

void CAppStreamBin::LoadStream::ReadStrings() {
  const Element& strings = m_pReader->FindSection(NAME_STRING_SECTION);
  const std::uint32_t end = strings.field.end;
  std::vector<std::string_view> views;
  for (std::uint32_t pos = strings.offset; pos < end;) {
    const auto* first = reinterpret_cast<const char*>(m_pReader->bytes.data() + pos);
    const auto* zero = static_cast<const char*>(std::memchr(first, 0, end - pos));
    // The last string may lack its zero byte: it ends with the section.
    const auto length = static_cast<std::uint32_t>(zero != nullptr ? zero - first : end - pos);
    views.emplace_back(first, length);
    pos += length + 1;
  }
  if (views.size() >= NAME_IDENT_VALUE) APP_THROW("Bad file format");
  // Equal strings share one index: a table that holds one twice is not ours.
  m_strings->SetViews(std::move(views));
  m_pReader->nameIds.assign(m_strings->Count(), Reader::kNoId);
}

void CAppStreamBin::LoadStream::ReadParam(CAppParam*& param) {
  const Element& data = m_pReader->FindSection(NAME_DATA_SECTION);
  if (data.offset == data.field.end) return;  // the parameter was left out
  const ST_FIELD field = m_pReader->ReadField(data.offset, data.field.end);
  if (field.type != CAppRecord::FT_PARAM) APP_THROW("Bad file");
  std::unique_ptr<CAppParam> created;
  if (param == nullptr) created.reset(m_pReader->CreateParam(field.name));
  CAppParam* target = param != nullptr ? param : created.get();
  {
    LoadRecord record(this, data.offset + HEADER_SIZE, field.end);
    target->Serialize(&record);
  }
  if (created) param = created.release();
}

CAppStreamBin::LoadRecord::LoadRecord(LoadStream* stream, std::uint32_t start, std::uint32_t end)
    : m_pStream(stream), m_reader(*stream->m_pReader) {
  if (m_reader.depth >= kMaxDepth) APP_THROW("Bad data format");
  ++m_reader.depth;
  m_nFirst = m_reader.elements.size();
  try {
    ReadChildren(start, end);
  } catch (...) {
    Pop();
    throw;
  }
}

void CAppStreamBin::LoadRecord::Pop() {
  m_reader.elements.resize(m_nFirst);
  --m_reader.depth;
}

void CAppStreamBin::LoadRecord::ReadChildren(std::uint32_t start, std::uint32_t end) {
  std::vector<Element>& elements = m_reader.elements;
  for (std::uint32_t pos = start; pos < end;) {
    const ST_FIELD field = m_reader.ReadField(pos, end);
    elements.push_back(Element{field, pos + HEADER_SIZE, m_reader.NameId(field.name)});
    pos = field.end;
  }
  m_nEnd = elements.size();
  CheckUniqueNames();
  for (std::size_t i = m_nFirst; i < m_nEnd; ++i) elements[i].count = CountEntries(elements[i]);
}

void CAppStreamBin::LoadRecord::CheckUniqueNames() const {
  if (m_nEnd - m_nFirst <= 16) {
    // The usual parameter: a handful of fields.
    for (std::size_t i = m_nFirst; i < m_nEnd; ++i) {
      for (std::size_t j = i + 1; j < m_nEnd; ++j) {
        if (Info(i).id == Info(j).id) APP_THROW("Record name already exist");
      }
    }
    return;
  }
  std::vector<std::uint32_t> ids;
  for (std::size_t i = m_nFirst; i < m_nEnd; ++i) ids.push_back(Info(i).id);
  std::sort(ids.begin(), ids.end());
  if (std::adjacent_find(ids.begin(), ids.end()) != ids.end()) APP_THROW("Record name already exist");
}

std::uint32_t CAppStreamBin::LoadRecord::CountEntries(const Element& info) {
  const std::uint32_t type = info.field.type;
  if ((type & kElementMask) == FT_PARAM) {
    if (type != FT_GROUP) APP_THROW("Bad data format");
    return 0;
  }
  if (type == 0) return 0;
  const FieldType* stored = FindFieldType(type);
  const std::uint32_t payload = info.field.end - info.offset;
  if (stored == nullptr || stored->bytes == 0 || payload % stored->bytes != 0) APP_THROW("Bad data format");
  return payload / stored->bytes;
}

void CAppStreamBin::LoadRecord::ListEntries(std::size_t field) {
  std::vector<Element>& elements = m_reader.elements;
  const auto first = static_cast<std::uint32_t>(elements.size());
  const std::uint32_t end = elements[field].field.end;
  for (std::uint32_t pos = elements[field].offset; pos < end;) {
    const ST_FIELD entry = m_reader.ReadField(pos, end);
    if (entry.type != FT_PARAM) APP_THROW("Bad data format");
    elements.push_back(Element{entry, pos + HEADER_SIZE});
    pos = entry.end;
  }
  elements[field].first = first;
  elements[field].count = static_cast<std::uint32_t>(elements.size()) - first;
  elements[field].listed = true;
}

bool CAppStreamBin::LoadRecord::GetField() {
  m_nField = kNone;
  const std::string_view asked = GetNameView();
  const std::size_t size = m_nEnd - m_nFirst;
  // Fields are usually asked for in the order they were written.
  for (std::size_t n = 0; n < size; ++n) {
    const std::size_t i = m_nFirst + (m_nNext + n) % size;
    const Element& info = Info(i);
    if (!AppSameKey(m_pStream->GetName(info.field.name), asked)) continue;
    if (!IsReadableAs(GetType(), info.field.type)) APP_THROW("Bad Field");
    if (GetType() == FT_GROUP && !info.listed) ListEntries(i);
    m_nField = i;
    m_nNext = i - m_nFirst + 1;
    return true;
  }
  return false;
}

void CAppStreamBin::LoadRecord::Serialize(void* value, unsigned index) {
  if (m_nField == kNone) APP_THROW("Bad pointer");
  APP_CHECK_POINTER(value);
  // A copy: reading a child pushes the child's elements onto the same stack.
  const Element info = Info(m_nField);
  if (index >= info.count) APP_THROW("Bad index");
  const FieldType* asked = FindFieldType(GetType());
  if (asked == nullptr) APP_THROW("Invalid Data");
  if (asked->kind == Kind::Param) {
    ReadParamEntry(value, Info(info.first + index));
  } else {
    ReadValue(value, *asked, info, index);
  }
}

void CAppStreamBin::LoadRecord::_Do(CAppText& value) {
  SetType(FT_STRING);
  if (!GetField()) return;
  // Serialize's reading of a string, without the copy.
  const Element info = Info(m_nField);
  if (info.count == 0) APP_THROW("Bad index");
  const FieldType& stored = *FindFieldType(info.field.type);
  value = m_reader.TakeText(m_reader.ReadNumber(info.offset, stored.bytes));
  Validate();
}

void CAppStreamBin::LoadRecord::ReadValue(void* value, const FieldType& asked, const Element& info, unsigned index) {
  // Counted entries have a stored type of a known size.
  const FieldType& stored = *FindFieldType(info.field.type);
  std::uint64_t n = m_reader.ReadNumber(info.offset + index * stored.bytes, stored.bytes);
  switch (asked.kind) {
    case Kind::Integer:
      // Another width: the value is converted, its sign taken from the file.
      if (stored.kind == Kind::Integer && stored.isSigned) n = SignExtend(n, stored.bytes);
      CAppRecord::StoreInteger(value, asked.bytes, n);
      return;
    case Kind::Flags: *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(n); return;
    case Kind::TypeCode: *static_cast<CAppTools::Type*>(value) = static_cast<std::uint32_t>(n); return;
    case Kind::String: *static_cast<std::string*>(value) = m_reader.TakeString(n); return;
    case Kind::Variant: {
      auto& variant = *static_cast<CAppVariant*>(value);
      const auto vt = static_cast<std::uint16_t>(stored.code);
      if (stored.kind == Kind::String) {
        variant.SetString(std::string(m_reader.TakeString(n)));
      } else if (stored.code == CAppVariant::VT_R4) {
        const auto bits = static_cast<std::uint32_t>(n);
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        variant.SetDouble(vt, f);
      } else if (stored.code == CAppVariant::VT_R8) {
        double d = 0;
        std::memcpy(&d, &n, sizeof d);
        variant.SetDouble(vt, d);
      } else {
        variant.SetUInt(vt, n);
      }
      return;
    }
    case Kind::Real:
    case Kind::Param: break;
  }
  APP_THROW("Invalid Data");
}

void CAppStreamBin::LoadRecord::ReadParamEntry(void* value, Element entry) {
  CAppParam*& param = *static_cast<CAppParam**>(value);
  // The new child goes straight to the caller, which destroys it if its
  // fields fail to load.
  if (param == nullptr) param = m_reader.CreateParam(entry.field.name);
  LoadRecord record(m_pStream, entry.offset, entry.field.end);
  param->Serialize(&record);
}

// The "Key" string of a stored parameter entry; empty when it has none.
std::string_view CAppStreamBin::LoadRecord::StoredKey(const Element& entry) const {
  for (std::uint32_t pos = entry.offset; pos < entry.field.end;) {
    const ST_FIELD field = m_reader.ReadField(pos, entry.field.end);
    if (field.type == FT_STRING && field.end - pos == HEADER_SIZE + 4 &&
        AppSameKey(m_pStream->GetName(field.name), "Key")) {
      const std::uint64_t index = m_reader.ReadNumber(pos + HEADER_SIZE, 4);
      if (index >= m_pStream->GetStringCount()) APP_THROW("Bad data index");
      return m_pStream->GetName(static_cast<std::uint32_t>(index));
    }
    pos = field.end;
  }
  return {};
}

// Whether the listed group field `info` stores children with the keys and
// classes of the group's own, in the same order.
bool CAppStreamBin::LoadRecord::HoldsChildrenOf(const Element& info, CAppParamGroup& group) const {
  if (info.count != group.GetCount()) return false;
  std::uint32_t i = info.first;
  for (POSITION pos = group.GetStartPosition(); pos != nullptr; ++i) {
    const CAppParam* child = group.GetNextPtr(pos);
    const Element& entry = Info(i);
    if (child == nullptr || !AppSameKey(m_pStream->GetName(entry.field.name), child->GetClassName()) ||
        StoredKey(entry) != child->GetKey()) {
      return false;
    }
  }
  return true;
}

void CAppStreamBin::LoadRecord::_Do(CAppParamGroup& group) {
  if (!m_pStream->m_bKeepChildren) {
    CAppRecord::_Do(group);
    return;
  }
  SetType(FT_GROUP);
  if (!GetField()) return;
  const Element info = Info(m_nField);  // a copy: reading children grows the stack
  if (!HoldsChildrenOf(info, group)) {
    CAppRecord::_Do(group);  // recreated: asks for the same field again
    return;
  }
  std::uint32_t i = info.first;
  for (POSITION pos = group.GetStartPosition(); pos != nullptr; ++i) {
    CAppParam* child = group.GetNextPtr(pos);
    ReadParamEntry(&child, Info(i));
  }
  Validate();
}

// --- Clone ------------------------------------------------------------------------------

namespace {

using Entry = std::variant<std::uint64_t, std::string, CAppVariant, CAppParam*>;

}  // namespace

struct CAppStreamBin::CloneRecord::CapturedField {
  std::string name;
  std::uint32_t type = 0;
  std::vector<Entry> entries;
};

// Keeps what the source visits: each field's type and its entries in order;
// a child parameter is kept as the source's own child, copied later.
class CAppStreamBin::CloneRecord::Capture : public CAppRecord {
public:
  void Clear() {
    fields.clear();
    m_pCurrent = nullptr;
    m_nHint = 0;
  }

  bool GetField() override {
    fields.push_back(CapturedField{GetName(), GetType(), {}});
    m_pCurrent = &fields.back();
    return true;
  }

  void Serialize(void* value, unsigned index) override {
    if (m_pCurrent == nullptr || index != m_pCurrent->entries.size()) APP_THROW("Clone Error");
    APP_CHECK_POINTER(value);
    const FieldType* type = FindFieldType(GetType());
    if (type == nullptr) APP_THROW("Invalid Data");
    std::vector<Entry>& entries = m_pCurrent->entries;
    switch (type->kind) {
      case Kind::Integer: entries.emplace_back(CAppRecord::LoadInteger(value, type->bytes)); return;
      case Kind::Flags:
        entries.emplace_back(std::uint64_t{static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value))});
        return;
      case Kind::TypeCode:
        entries.emplace_back(std::uint64_t{static_cast<const CAppTools::Type*>(value)->GetCode()});
        return;
      case Kind::String: entries.emplace_back(*static_cast<const std::string*>(value)); return;
      case Kind::Variant: entries.emplace_back(*static_cast<const CAppVariant*>(value)); return;
      case Kind::Param: entries.emplace_back(*static_cast<CAppParam* const*>(value)); return;
      case Kind::Real: break;
    }
    APP_THROW("Invalid Data");
  }

  void Validate() override { m_pCurrent = nullptr; }

  // The captured field of that name; fields are usually asked for in the
  // order they were captured, so the search starts after the last one found.
  const CapturedField* Find(std::string_view name) {
    for (std::size_t n = 0; n < fields.size(); ++n) {
      const std::size_t i = (m_nHint + n) % fields.size();
      if (fields[i].name == name) {
        m_nHint = i + 1;
        return &fields[i];
      }
    }
    return nullptr;
  }

  std::vector<CapturedField> fields;

private:
  CapturedField* m_pCurrent = nullptr;
  std::size_t m_nHint = 0;
};

CAppStreamBin::CloneRecord::CloneRecord(CAppParamGroup::EN_ADD_MODE mode)
    : m_addMode(mode), m_capture(std::make_unique<Capture>()) {}

CAppStreamBin::CloneRecord::CloneRecord(CloneRecord* parent)
    : m_addMode(parent != nullptr ? parent->m_addMode : CAppParamGroup::ADD_BY_KEY),
      m_capture(std::make_unique<Capture>()) {
  APP_CHECK_POINTER(parent);
}

CAppStreamBin::CloneRecord::~CloneRecord() = default;

void CAppStreamBin::CloneRecord::GetClone(CAppParam*& destination, CAppParam* source) {
  APP_CHECK_POINTER(source);
  m_pMergeGroup = nullptr;
  m_pField = nullptr;
  if (destination != nullptr) {
    if (m_addMode == CAppParamGroup::ADD_MERGE) {
      for (const CAppParam* node = destination; node != nullptr; node = node->GetParent()) {
        if (node == source) APP_THROW("Clone Error");
      }
      m_pMergeGroup = destination->GetGroup();
    } else {
      // Loading a group's children first destroys the old ones; the source
      // must not be among them.
      for (const CAppParam* node = source; node != nullptr; node = node->GetParent()) {
        if (node == destination) APP_THROW("Clone Error");
      }
    }
  }
  m_capture->Clear();
  source->Serialize(m_capture.get());
  // The replay renames the destination through SetKey, which keeps its
  // group's index; a key the group cannot take is refused before that.
  if (CAppParamGroup* holder = destination != nullptr ? destination->GetParent() : nullptr) {
    CheckKeyIsFree(*holder, destination->GetKey());
  }

  std::unique_ptr<CAppParam> created;
  if (destination == nullptr) {
    created = CAppDynamic::GetRegisterClass<CAppParam>(source->GetClassName());
    if (!created) APP_THROW("Bad pointer");
    destination = created.get();
  }
  try {
    destination->Serialize(this);
  } catch (...) {
    if (created) destination = nullptr;
    throw;
  }
  (void)created.release();
  m_capture->Clear();
}

void CAppStreamBin::CloneRecord::CheckKeyIsFree(const CAppParamGroup& holder, const std::string& heldKey) {
  const CapturedField* key = m_capture->Find("Key");
  if (key == nullptr || key->entries.size() != 1 || !std::holds_alternative<std::string>(key->entries[0])) return;
  const std::string& brought = std::get<std::string>(key->entries[0]);
  if (AppSameKey(brought, heldKey)) return;
  if (brought.empty() || brought.find('\\') != std::string::npos || holder.FindChild(brought) != nullptr) {
    APP_THROW("Clone Error");
  }
}

bool CAppStreamBin::CloneRecord::GetField() {
  const CapturedField* field = m_capture->Find(GetNameView());
  m_pField = field;
  if (field == nullptr) return false;
  // The same name with another type is another field: replaying it would
  // write through a pointer of the wrong type.
  if (field->type != GetType()) APP_THROW("Clone Error");
  return true;
}

unsigned CAppStreamBin::CloneRecord::GetCount() {
  return m_pField != nullptr ? static_cast<unsigned>(m_pField->entries.size()) : 0;
}

void CAppStreamBin::CloneRecord::Serialize(void* value, unsigned index) {
  const CapturedField* field = m_pField;
  if (field == nullptr || index >= field->entries.size()) APP_THROW("Clone Error");
  APP_CHECK_POINTER(value);
  const Entry& entry = field->entries[index];
  const FieldType* type = FindFieldType(field->type);
  if (type == nullptr) APP_THROW("Invalid Data");
  switch (type->kind) {
    case Kind::Integer:
      if (type->bytes == 8) break;  // 64-bit values are not cloned
      CAppRecord::StoreInteger(value, type->bytes, std::get<std::uint64_t>(entry));
      return;
    case Kind::Flags:
      *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(std::get<std::uint64_t>(entry));
      return;
    case Kind::TypeCode:
      *static_cast<CAppTools::Type*>(value) = static_cast<std::uint32_t>(std::get<std::uint64_t>(entry));
      return;
    case Kind::String: *static_cast<std::string*>(value) = std::get<std::string>(entry); return;
    case Kind::Variant: *static_cast<CAppVariant*>(value) = std::get<CAppVariant>(entry); return;
    case Kind::Param: {
      CAppParam* source = std::get<CAppParam*>(entry);
      CAppParam*& target = *static_cast<CAppParam**>(value);
      // Merging: a child the destination already has is merged into, not
      // replaced. It stays the group's: never hand it back for destruction.
      bool existing = false;
      if (m_pMergeGroup != nullptr && source != nullptr) {
        if (CAppParam* own = m_pMergeGroup->FindChild(source->GetKey())) {
          target = own;
          existing = true;
        }
      }
      CloneRecord child(this);
      try {
        child.GetClone(target, source);
      } catch (...) {
        if (existing) target = nullptr;
        throw;
      }
      return;
    }
    case Kind::Real: break;
  }
  APP_THROW("Invalid Data");
}

// --- Services --------------------------------------------------------------------------

namespace {

// Adds `node` to `group` under `key`; "Error" when the group does not take it.
void AddChild(CAppParamGroup* group, const std::string& key, std::unique_ptr<CAppParam> node) {
  CAppParam* raw = node.release();
  group->_SetAt(key, raw, CAppParamGroup::ADD_BY_KEY);
  if (group->FindChild(key) != raw) {
    if (raw->GetParent() == nullptr) delete raw;
    APP_THROW("Error");
  }
}

}  // namespace

std::unique_ptr<CAppParam> CAppStreamBin::CloneParam(CAppParam* source) {
  APP_CHECK_POINTER(source);
  CAppParam* clone = nullptr;
  CloneRecord(CAppParamGroup::ADD_BY_KEY).GetClone(clone, source);
  return std::unique_ptr<CAppParam>(clone);
}

void CAppStreamBin::MergeParam(CAppParam* destination, CAppParam* source) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  CloneRecord(CAppParamGroup::ADD_MERGE).GetClone(destination, source);
}

void CAppStreamBin::AddGroupParams(CAppParam* destination, CAppParamGroup* source) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  CAppParamGroup* group = destination->GetGroup();
  if (group == nullptr) return;
  CAppParam* counterpart = source->FindChild(destination->GetKey());
  CAppParamGroup* from = counterpart != nullptr ? counterpart->GetGroup() : nullptr;
  if (from == nullptr) return;
  POSITION pos = from->GetStartPosition();
  while (pos != nullptr) {
    CAppParam* child = from->GetNextPtr(pos);
    if (group->FindChild(child->GetKey()) != nullptr) continue;
    AddChild(group, child->GetKey(), CloneParam(child));
  }
}

void CAppStreamBin::AddParams(CAppParamGroup* destination, CAppParamGroup* source,
                              const std::vector<std::string>& keys) {
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  for (const std::string& key : keys) {
    if (CAppParam* own = destination->FindChild(key)) {
      AddGroupParams(own, source);
    } else if (CAppParam* theirs = source->FindChild(key)) {
      AddChild(destination, key, CloneParam(theirs));
    }
  }
}

std::unique_ptr<CAppToolsBin::Stream> CAppStreamBin::CreateUndo(CAppParam* param) {
  APP_CHECK_POINTER(param);
  auto snapshot = std::make_unique<CAppToolsBin::Memory>(4096);
  SaveStream save(snapshot.get(), param);
  return snapshot;
}

void CAppStreamBin::MakeUndo(CAppToolsBin::Stream* snapshot, CAppParam* param) {
  APP_CHECK_POINTER(snapshot);
  APP_CHECK_POINTER(param);
  LoadStream load(snapshot, param, std::string(), true);
}

// --- Files -------------------------------------------------------------------------------

void CAppStreamBin::Save(CAppParam* param, const std::string& file, SaveRule rule) {
  APP_CHECK_POINTER(param);
  // The whole file first, in memory: a parameter that fails to serialize
  // leaves the disk untouched.
  CAppToolsBin::Memory image(4096);
  try {
    SaveStream save(&image, param, std::move(rule));
  } catch (const CAppException&) {
    throw;
  } catch (const std::exception& e) {
    APP_THROW("Save error : %s", e.what());
  }
  const std::vector<std::uint8_t>& bytes = image.GetData();
  AppSaveFile(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void CAppStreamBin::Save(CAppParam* param, const std::string& file, std::unique_ptr<CAppRuleParam> rule) {
  SaveRule decide;
  if (rule != nullptr) {
    std::shared_ptr<CAppRuleParam> owned = std::move(rule);
    decide = [owned](CAppParam* node) { return owned->Run(node) != 0; };
  }
  Save(param, file, std::move(decide));
}

std::unique_ptr<CAppParam> CAppStreamBin::Load(const std::string& file) {
  CAppToolsBin::File input(4096);
  if (!input.Open(file, false)) return nullptr;
  CAppParam* param = nullptr;
  LoadStream load(&input, param, file);
  return std::unique_ptr<CAppParam>(param);
}
