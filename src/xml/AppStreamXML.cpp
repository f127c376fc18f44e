#include "appconfig/AppStreamXML.h"

#include <utility>

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"

namespace {

using Element = CAppToolsXML::Element;
using ListElement = CAppToolsXML::ListElement;

const char* const kDescriptionNamespace = "QXE-kvrDescription";

// How a parameter tag makes its object.
enum class TagKind { TYPED, CLASS, DUMMY, REFERENCE };

struct ParamTag {
  const char* tag;
  TagKind kind;
  const char* className;  // for TagKind::CLASS
};

constexpr ParamTag kParamTags[] = {
    {"PARAM", TagKind::TYPED, nullptr},
    {"RESOURCES", TagKind::CLASS, "CAppParamGroup"},
    {"GROUP", TagKind::CLASS, "CAppParamGroup"},
    {"LINK", TagKind::CLASS, "CAppParamGroup"},
    {"PAGE", TagKind::CLASS, "CAppParamGroup"},
    {"DEFINE", TagKind::CLASS, "CAppParamValue"},
    {"LISTKEY", TagKind::CLASS, "CAppParamListKey"},
    {"FILTER", TagKind::CLASS, "CAppParamListKey"},
    {"DUMMY", TagKind::DUMMY, nullptr},
    {"PARAMREF", TagKind::REFERENCE, nullptr},
    {"DUMMYREF", TagKind::REFERENCE, nullptr},
};

const ParamTag* FindParamTag(const std::string& tag) {
  const std::string upper = CAppTools::MakeUpper(tag);
  for (const ParamTag& row : kParamTags) {
    if (upper == row.tag) return &row;
  }
  return nullptr;
}

struct FieldTag {
  const char* tag;
  unsigned kind;
};

constexpr FieldTag kFieldTags[] = {
    {"PROPERTY", 100}, {"PARAM", 101}, {"PARAMREF", 101}, {"DUMMY", 101},
    {"DUMMYREF", 101}, {"ARRAY", 102}, {"BITFIELD", 103},
};

unsigned FindFieldKind(const std::string& tag) {
  const std::string upper = CAppTools::MakeUpper(tag);
  for (const FieldTag& row : kFieldTags) {
    if (upper == row.tag) return row.kind;
  }
  return 0;
}

// The attribute's text, or false when the element has no such attribute.
bool ReadText(const Element& element, const char* name, std::string& text) {
  CAppVariant value;
  if (!element.GetAttribut(name, value)) return false;
  text = value.ToString();
  return true;
}

CAppParam* CreateParam(const std::string& className) {
  return static_cast<CAppParam*>(
      CAppDynamic::_GetRegisterClass(className, CAppParam::StaticRuntimeClass()));
}

std::vector<CAppStreamXML::LoadStream*>& OpenStreams() {
  static std::vector<CAppStreamXML::LoadStream*> streams;
  return streams;
}

// References and nesting are followed recursively: a definition that refers
// to itself must end in an error, not in a stack overflow.
constexpr unsigned kMaxDepth = CAppStreamXML::MAX_DEPTH;
unsigned g_depth = 0;

struct DepthGuard {
  DepthGuard(const std::string& tag, const std::string& key, const std::string& file) {
    if (g_depth >= kMaxDepth) {
      APP_THROW("Reference loop or nesting deeper than %u at <%s Key=\"%s\"> on file : %s", kMaxDepth,
                tag.c_str(), key.c_str(), file.c_str());
    }
    ++g_depth;
  }
  ~DepthGuard() { --g_depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

}  // namespace

// --- Load ---------------------------------------------------------------------------

std::unique_ptr<CAppParam> CAppStreamXML::Load(const std::string& file, CAppResources* resources,
                                               const std::string& key) {
  if (file.empty()) return nullptr;
  CAppToolsXML::SchemaCollection schemas;
  if (!schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return nullptr;
  DocumentCache cache;
  CAppParam* raw = nullptr;
  try {
    auto* first = new LoadStream(file, resources, &cache, &schemas);
    first->GetParam(raw, key);
    if (resources != nullptr && raw != nullptr) {
      raw->SetKey(key);
      if (raw->IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftControl)) {
        resources->ModifyFlags(0, PF_DEBUG);
      }
      if (resources->GetKey().empty()) resources->SetKey(file);
      raw->Check(resources);
      resources->Check(resources);
    }
  } catch (...) {
    delete raw;
    LoadStream::RemoveAll(true);
    throw;
  }
  LoadStream::RemoveAll(true);
  return std::unique_ptr<CAppParam>(raw);
}

bool CAppStreamXML::LoadResources(const std::string& file, CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  CAppToolsXML::SchemaCollection schemas;
  if (file.empty() || !schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return false;
  DocumentCache cache;
  try {
    new LoadStream(file, resources, &cache, &schemas);
  } catch (...) {
    LoadStream::RemoveAll(true);
    throw;
  }
  LoadStream::RemoveAll(true);
  return true;
}

// --- LoadStream -----------------------------------------------------------------------

CAppStreamXML::LoadStream::LoadStream(const std::string& file, CAppResources* resources,
                                      DocumentCache* cache,
                                      CAppToolsXML::SchemaCollection* schemas)
    : m_strFile(file), m_pResources(resources), m_pSchemas(schemas), m_pCache(cache) {
  APP_CHECK_POINTER(cache);
  APP_CHECK_POINTER(schemas);
  Open(file);
}

CAppStreamXML::LoadStream::LoadStream(const std::string& file, LoadStream* from) : m_strFile(file) {
  APP_CHECK_POINTER(from);
  m_pResources = from->m_pResources;
  m_pSchemas = from->m_pSchemas;
  m_pCache = from->m_pCache;
  Open(file);
}

void CAppStreamXML::LoadStream::Open(const std::string& file) {
  // A constructor that throws frees the object: it must not stay listed.
  OpenStreams().push_back(this);
  try {
    Load(file);
  } catch (...) {
    OpenStreams().pop_back();
    throw;
  }
}

void CAppStreamXML::LoadStream::RemoveAll(bool destroy) {
  std::vector<LoadStream*> streams;
  streams.swap(OpenStreams());
  if (destroy) {
    for (LoadStream* stream : streams) delete stream;
  }
}

std::string CAppStreamXML::LoadStream::GetFileName() const { return m_strFile + ".XML"; }

void CAppStreamXML::LoadStream::Load(const std::string& file) {
  const auto cached = m_pCache->find(file);
  if (cached != m_pCache->end()) {
    m_pDocument = &cached->second;
    m_pDocument->document.GetRootElt(m_root);
    return;
  }
  CachedDocument parsed;
  if (!parsed.document.Load(file, m_pSchemas)) APP_THROW("Can not load : %s", GetFileName().c_str());
  m_pDocument = &m_pCache->emplace(file, std::move(parsed)).first->second;
  m_pDocument->document.GetRootElt(m_root);
  LoadResources();
}

void CAppStreamXML::LoadStream::LoadResources() {
  if (m_pResources == nullptr) return;
  ListElement sections;
  if (!m_root.Select("./Resources", sections)) return;
  for (unsigned i = 0; i < sections.GetCount(); ++i) {
    Element section;
    sections.GetAt(i, section);
    std::string profileName;
    ReadText(section, "Profile", profileName);
    CAppParamGroup* profile = m_pResources->CreateProfile(profileName);
    LoadRecord record(this, section);
    record.SetContext("Resources", profileName);
    // A section adds to what the profile already holds (class defaults, an
    // earlier section) instead of replacing it.
    record.SetAddMode(CAppParamGroup::ADD_MERGE);
    profile->Serialize(&record);
  }
}

void CAppStreamXML::LoadStream::GetParam(CAppParam*& param, const std::string& key) {
  if (!m_pDocument->indexed) {
    ListElement keyed;
    if (m_root.Select("./*[@Key]", keyed)) {
      m_pDocument->definitions.reserve(keyed.GetCount());
      for (unsigned i = 0; i < keyed.GetCount(); ++i) {
        Element definition;
        keyed.GetAt(i, definition);
        std::string text;
        ReadText(definition, "Key", text);
        m_pDocument->definitions.emplace(text, definition);
      }
    }
    m_pDocument->indexed = true;
  }
  // Keys compare exactly with the upper-cased key asked for, so definitions
  // are written with upper-case keys.
  const std::string upper = CAppTools::MakeUpper(key);
  const auto found = m_pDocument->definitions.find(upper);
  if (found == m_pDocument->definitions.end()) {
    APP_THROW("Reference not found : %s on file : %s", upper.c_str(), GetFileName().c_str());
  }
  ReadParam(param, found->second);
}

void CAppStreamXML::LoadStream::ReadParam(CAppParam*& param, const Element& element) {
  const std::string tag = element.GetName();
  std::string key;
  ReadText(element, "Key", key);
  const DepthGuard guard(tag, key, GetFileName());
  const ParamTag* row = FindParamTag(tag);
  if (row == nullptr) APP_THROW("Bad name :%s", tag.c_str());

  std::uint32_t dummyFlags = 0;
  switch (row->kind) {
    case TagKind::TYPED: {
      std::string type;
      if (ReadText(element, "Type", type)) {
        const std::string className = CAppDynamic::GetClassByAlias(type, "Param ");
        param = CreateParam(className);
        if (param == nullptr) {
          APP_THROW("%s is not a CAppParamXXX or an alias of CAppParamXXX", className.c_str());
        }
      }
      break;
    }
    case TagKind::CLASS:
      param = CreateParam(row->className);
      break;
    case TagKind::DUMMY: {
      std::string data;
      const bool plain = ReadText(element, "Data", data);
      param = CreateParam(plain ? "CAppParam" : "CAppParamArray");
      dummyFlags = plain ? (PF_HIDDEN | PF_NO_DATA) : PF_HIDDEN;
      break;
    }
    case TagKind::REFERENCE: {
      std::string file;
      std::string ref;
      const bool hasRef = ReadText(element, "Ref", ref);
      if (ReadText(element, "File", file)) {
        auto* other = new LoadStream(file, this);
        other->GetParam(param, hasRef ? ref : "SYS_ROOT");
      } else {
        if (!hasRef) APP_THROW("Reference error for ref : %s or Attribut Type not found", tag.c_str());
        GetParam(param, ref);
      }
      ReadAttribut(param, element);
      return;
    }
  }
  if (param == nullptr) APP_THROW("Bad pointer");

  LoadRecord record(this, element);
  record.SetContext(param->GetClassName(), key);
  param->Serialize(&record);
  ReadAttribut(param, element);
  param->ModifyFlags(0, dummyFlags);
}

void CAppStreamXML::LoadStream::ReadAttribut(CAppParam* param, const Element& element) {
  APP_CHECK_POINTER(param);
  std::string text;
  if (ReadText(element, "Name", text)) param->SetName(text);
  if (ReadText(element, "Value", text)) param->SetVariant(CAppVariant(text));
  if (ReadText(element, "Alias", text)) param->SetAlias(text);
  if (ReadText(element, "Help", text)) param->SetHelp(text);
  if (ReadText(element, "Flags", text)) param->ModifyFlags(0, CAppVariant(text).ToUInt32());
  if (ReadText(element, "Key", text)) param->SetKey(text);
  if (CAppParamGroup* group = param->GetGroup()) {
    if (ReadText(element, "Parent", text)) group->SetRef(text);
  }
}

// --- LoadRecord --------------------------------------------------------------------------

CAppStreamXML::LoadRecord::LoadRecord(LoadStream* stream, const Element& element)
    : m_pStream(stream), m_element(element), m_field(element) {
  APP_CHECK_POINTER(stream);
  ListElement named;
  if (m_element.Select("./*[@Name]", named)) {
    for (unsigned i = 0; i < named.GetCount(); ++i) {
      Element child;
      named.GetAt(i, child);
      std::string name;
      ReadText(child, "Name", name);
      m_nameIndex[name] = m_named.size();  // a later child of the same name wins
      m_named.push_back(child);
    }
  }
}

std::string CAppStreamXML::LoadRecord::GetFileName() const { return m_pStream->GetFileName(); }

void CAppStreamXML::LoadRecord::SetContext(const std::string& className, const std::string& key) {
  m_strClass = className;
  m_strKey = key;
}

bool CAppStreamXML::LoadRecord::GetField() {
  m_data.clear();
  m_entries = ListElement();
  const auto found = m_nameIndex.find(GetName());
  if (found != m_nameIndex.end()) {
    m_field = m_named[found->second];
    const std::string tag = m_field.GetName();
    m_kind = static_cast<FieldKind>(FindFieldKind(tag));
    if (m_kind == KIND_NONE) APP_THROW("Bad name :%s on file:%s", tag.c_str(), GetFileName().c_str());
    return true;
  }
  const std::string upper = CAppTools::MakeUpper(GetName());
  if (upper == "PARAM" || upper == "LIST") {
    m_field = m_element;
    m_kind = upper == "PARAM" ? KIND_PARAM : KIND_LIST;
    return true;
  }
  m_kind = KIND_NONE;
  return false;
}

unsigned CAppStreamXML::LoadRecord::GetCount() {
  if (m_field == 0) APP_THROW("Bad pointer");
  switch (m_kind) {
    case KIND_DATA:
    case KIND_BITS: {
      if ((GetType() & FT_ARRAY) == 0) return 1;
      m_data.clear();
      std::string text;
      if (ReadText(m_field, "Value", text)) {
        CAppTools::GetData(m_data, text.c_str(), CAppTools::BASE_DEC);
      } else if (ReadText(m_field, "HexValue", text)) {
        CAppTools::GetData(m_data, text.c_str(), CAppTools::BASE_HEX);
      }
      return static_cast<unsigned>(m_data.size());
    }
    case KIND_PARAM:
      m_field.Select("./*[@Key]", m_entries);
      return m_entries.GetPtr() ? m_entries.GetCount() : 0;
    case KIND_LIST:
      m_field.Select("./Element", m_entries);
      return m_entries.GetPtr() ? m_entries.GetCount() : 0;
    case KIND_NONE:
      break;
  }
  return 0;
}

void CAppStreamXML::LoadRecord::ThrowKindMismatch(const char* what) {
  APP_THROW("\"%s\" Field of %s (Key=%s) in this context can not be associated with an XML element %s",
            GetName().c_str(), m_strClass.c_str(), m_strKey.c_str(),
            CAppTools::Format(what, GetFileName().c_str()).c_str());
}

void CAppStreamXML::LoadRecord::Serialize(void* value, unsigned index) {
  APP_CHECK_POINTER(value);
  switch (m_kind) {
    case KIND_DATA:
      SerializeData(value, index);
      return;
    case KIND_LIST: {
      if ((GetType() & FT_ARRAY) == 0) ThrowKindMismatch("<Array> on file :%s");
      if (!m_entries.GetPtr() || index >= m_entries.GetCount()) APP_THROW("Invalid Data");
      Element entry;
      m_entries.GetAt(index, entry);
      CAppVariant text;
      entry.GetAttribut("Value", text);
      StoreText(value, GetType() & 0x0FFFu, CAppVariant(text.ToString()));
      return;
    }
    case KIND_BITS:
      SerializeBits(value);
      return;
    case KIND_PARAM: {
      if ((GetType() & 0x0FFFu) != FT_PARAM) ThrowKindMismatch("<Param> or <ParamRef> on file:%s");
      if (!m_entries.GetPtr() || index >= m_entries.GetCount()) APP_THROW("Invalid Data");
      Element child;
      m_entries.GetAt(index, child);
      m_pStream->ReadParam(*static_cast<CAppParam**>(value), child);
      return;
    }
    case KIND_NONE:
      break;
  }
  APP_THROW("Invalid Data");
}

void CAppStreamXML::LoadRecord::SerializeData(void* value, unsigned index) {
  const std::uint32_t code = GetType() & 0x0FFFu;
  if ((GetType() & FT_ARRAY) != 0) {
    if (index >= m_data.size()) ThrowKindMismatch("<Attribut> on file:%s");
    StoreText(value, code, CAppVariant(static_cast<std::uint32_t>(m_data[index])));
    return;
  }
  CAppVariant text;
  if (!m_field.GetAttribut("Value", text)) return;
  StoreText(value, code, CAppVariant(text.ToString()));
}

// Converts an attribute text into a field or array entry of type `code`.
void CAppStreamXML::LoadRecord::StoreText(void* value, std::uint32_t code, const CAppVariant& text) {
  switch (code) {
    case FT_I1:
    case FT_UI1:
      *static_cast<std::uint8_t*>(value) = static_cast<std::uint8_t>(text.ToUInt32());
      return;
    case FT_I2:
    case FT_UI2:
      *static_cast<std::uint16_t*>(value) = static_cast<std::uint16_t>(text.ToUInt32());
      return;
    case FT_I4:
    case FT_UI4:
      *static_cast<std::uint32_t*>(value) = text.ToUInt32();
      return;
    case FT_VARIANT:
      *static_cast<CAppVariant*>(value) = text;
      return;
    case FT_STRING:
      *static_cast<std::string*>(value) = text.ToString();
      return;
    case FT_TYPE:
      *static_cast<CAppTools::Type*>(value) = text.ToString();
      return;
    default:
      return;  // 64-bit, floating and flag fields take no Property value
  }
}

void CAppStreamXML::LoadRecord::SerializeBits(void* value) {
  if (GetType() != FT_FLAGS) ThrowKindMismatch("<BitField> on file:%s");
  auto& flags = *static_cast<CAppTools::Flags*>(value);
  ListElement bits;
  if (!m_field.Select("./Bit", bits)) return;
  for (unsigned i = 0; i < bits.GetCount(); ++i) {
    Element bit;
    bits.GetAt(i, bit);
    CAppVariant position;
    if (bit.GetAttribut("Clr", position)) {
      const std::uint32_t n = position.ToUInt32();
      if (n < 32) {
        flags.ModifyFlags(1u << n, 0);
      } else {
        APP_TRACE("Clr nit position error :%u  on file:%s", n, GetFileName().c_str());
      }
    } else if (bit.GetAttribut("Set", position)) {
      const std::uint32_t n = position.ToUInt32();
      if (n < 32) flags.ModifyFlags(0, 1u << n);
    } else {
      APP_TRACE("Bit position error  on file:%s", GetFileName().c_str());
    }
  }
}
