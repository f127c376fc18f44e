#include "appconfig/AppStreamXML.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include "AppXmlInternal.h"

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"

namespace {

using Element = CAppToolsXML::Element;
using DomElement = CAppToolsXML::DomElement;

const char* const kDescriptionNamespace = "QXE-kvrDescription";

// Tags and field names compare without case, in ASCII, with names written
// in upper-case letters only: a letter of either case clears to the upper
// one, and no other byte clears to a letter.
bool IsUpperOf(char c, char upper) {
  return (static_cast<unsigned char>(c) & 0xDFu) == static_cast<unsigned char>(upper);
}

bool EqualsNoCase(const char* text, const char* upper) {
  for (; *upper != 0; ++text, ++upper) {
    if (!IsUpperOf(*text, *upper)) return false;
  }
  return *text == 0;
}

bool EqualsNoCase(std::string_view text, std::string_view upper) {
  return text.size() == upper.size() && std::equal(text.begin(), text.end(), upper.begin(), IsUpperOf);
}

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

const ParamTag* FindParamTag(const char* tag) {
  for (const ParamTag& row : kParamTags) {
    if (EqualsNoCase(tag, row.tag)) return &row;
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

unsigned FindFieldKind(const char* tag) {
  for (const FieldTag& row : kFieldTags) {
    if (EqualsNoCase(tag, row.tag)) return row.kind;
  }
  return 0;
}

pugi::xml_node Node(const DomElement* element) { return AppXmlToPugi(element); }

const DomElement* Handle(pugi::xml_node node) {
  return node ? reinterpret_cast<const DomElement*>(node.internal_object()) : nullptr;
}

// The names asked for are short literals: compared in line, they cost less
// than a string comparison call per attribute.
bool SameName(const char* a, const char* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// The attribute's text, or null when the element has no such attribute.
// pugixml searches in one call; a walk through its accessors costs a call
// per attribute and step.
const char* Attribute(pugi::xml_node node, const char* name) {
  const pugi::xml_attribute attribute = node.attribute(name);
  return attribute ? attribute.value() : nullptr;
}

bool ReadText(pugi::xml_node node, const char* name, std::string& text) {
  const char* value = Attribute(node, name);
  if (value == nullptr) return false;
  text = value;
  return true;
}

bool IsNamed(pugi::xml_node node, const char* name) {
  return node.type() == pugi::node_element && SameName(node.name(), name);
}

// The entries of a group field are its child elements with a Key; those of
// an array field, its "Element" children. Inside an element only elements
// have a name or attributes (text and CDATA have neither), so the node's
// kind needs no test of its own.
bool IsEntry(pugi::xml_node node, bool list) {
  return list ? SameName(node.name(), "Element") : Attribute(node, "Key") != nullptr;
}

const CAppRuntimeClass* FindCached(const std::vector<std::pair<std::string, const CAppRuntimeClass*>>& cache,
                                   const char* name) {
  for (const auto& [text, runtimeClass] : cache) {
    if (SameName(text.c_str(), name)) return runtimeClass;
  }
  return nullptr;
}

// A new object of `className` through the registry; the class is remembered
// so that the next object of the same text skips the registry lookup.
CAppParam* CreateRegistered(std::vector<std::pair<std::string, const CAppRuntimeClass*>>& cache, const char* text,
                            const std::string& className) {
  auto* param = static_cast<CAppParam*>(CAppDynamic::_GetRegisterClass(className, CAppParam::StaticRuntimeClass()));
  if (param != nullptr) cache.emplace_back(text, param->GetRuntimeClass());
  return param;
}

// The attributes of a parameter element, found in one pass over the
// element's attributes instead of one search per name.
class ParamAttributes {
public:
  enum Name { KEY, TYPE, REF, FILE, DATA, NAME, VALUE, ALIAS, HELP, FLAGS, PARENT, COUNT };

  explicit ParamAttributes(pugi::xml_node node) {
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute()) {
      const int name = Classify(attribute.name());
      // The first of two equal names wins, as a search by name would find it.
      if (name >= 0 && m_values[name] == nullptr) m_values[name] = attribute.value();
    }
  }

  // The attribute's text, or null when the element has none.
  const char* Get(Name name) const { return m_values[name]; }
  const char* Text(Name name) const { return m_values[name] != nullptr ? m_values[name] : ""; }

  // The common attributes, in the order their setters expect them: the key
  // last, so that it wins over a key a field may have set.
  void ApplyTo(CAppParam* param) const {
    APP_CHECK_POINTER(param);
    if (const char* text = Get(NAME)) param->SetName(text);
    if (const char* text = Get(VALUE)) param->SetVariant(CAppVariant(std::string(text)));
    if (const char* text = Get(ALIAS)) param->SetAlias(text);
    if (const char* text = Get(HELP)) param->SetHelp(text);
    if (const char* text = Get(FLAGS)) param->ModifyFlags(0, CAppVariant(std::string(text)).ToUInt32());
    if (const char* text = Get(KEY)) param->SetKey(text);
    if (CAppParamGroup* group = param->GetGroup()) {
      if (const char* text = Get(PARENT)) group->SetRef(text);
    }
  }

private:
  static int Classify(const char* name) {
    const auto is = [name](const char* text, Name which) { return SameName(name, text) ? which : -1; };
    switch (name[0]) {
      case 'K': return is("Key", KEY);
      case 'T': return is("Type", TYPE);
      case 'R': return is("Ref", REF);
      case 'F': return name[1] == 'i' ? is("File", FILE) : is("Flags", FLAGS);
      case 'D': return is("Data", DATA);
      case 'N': return is("Name", NAME);
      case 'V': return is("Value", VALUE);
      case 'A': return is("Alias", ALIAS);
      case 'H': return is("Help", HELP);
      case 'P': return is("Parent", PARENT);
      default: return -1;
    }
  }

  const char* m_values[COUNT] = {};
};

// A name's bit in a 64-bit set, chosen by its length and its first and last
// bytes, which tell apart most field names of a class.
std::uint64_t NameBit(const char* name, std::size_t length) {
  if (length == 0) return 1;
  const std::uint32_t first = static_cast<unsigned char>(name[0]);
  const std::uint32_t last = static_cast<unsigned char>(name[length - 1]);
  const std::uint32_t mix =
      first * 0x9E3779B1u ^ last * 0x85EBCA77u ^ static_cast<std::uint32_t>(length) * 0xC2B2AE3Du;
  return std::uint64_t{1} << (mix >> 26);
}

// Digits only, at most nine of them: the value fits 32 bits and is what the
// variant conversion of the same text gives.
bool ReadSmallDecimal(const char* text, std::uint32_t& value) {
  std::uint32_t result = 0;
  int digits = 0;
  for (; *text != 0; ++text, ++digits) {
    if (*text < '0' || *text > '9' || digits == 9) return false;
    result = result * 10 + static_cast<std::uint32_t>(*text - '0');
  }
  value = result;
  return digits > 0;
}

bool IsIntegerOf32Bits(std::uint32_t code) {
  const unsigned bytes = CAppRecord::IntegerBytes(code);
  return bytes != 0 && bytes <= 4;
}

// Integer fields keep the low bits of the 32-bit value.
void StoreNumber(void* value, std::uint32_t code, std::uint32_t number) {
  CAppRecord::StoreInteger(value, CAppRecord::IntegerBytes(code & 0x0FFFu), number);
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
  DepthGuard(const char* tag, const char* key, const CAppStreamXML::LoadStream& stream) {
    if (g_depth >= kMaxDepth) {
      APP_THROW("Reference loop or nesting deeper than %u at <%s Key=\"%s\"> on file : %s", kMaxDepth, tag,
                key, stream.GetFileName().c_str());
    }
    ++g_depth;
  }
  ~DepthGuard() { --g_depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

}  // namespace

// --- Definition replays -------------------------------------------------------------

struct CAppStreamXML::DefinitionReplay {
  struct Field {
    std::size_t nameOffset;  // in names
    std::size_t nameLength;
    std::uint32_t type;
    bool found;
    bool counted = false;
    unsigned count = 0;
    std::size_t firstValue = 0;  // in values
    std::size_t valueCount = 0;
  };
  // What one transfer left in the field (or the element of a child node,
  // read again on replay).
  struct Value {
    std::uint64_t bits = 0;  // integers, flags and type codes
    std::string text;
    CAppVariant variant;
    const DomElement* element = nullptr;
  };
  std::string names;
  std::vector<Field> fields;
  std::vector<Value> values;
  bool complete = true;  // false: the read did something a replay cannot repeat
};

void CAppStreamXML::DefinitionReplayDeleter::operator()(DefinitionReplay* replay) const { delete replay; }

namespace {

using Replay = CAppStreamXML::DefinitionReplay;

// Keeps what a transfer left at `value`; false for a type it cannot keep.
bool KeepValue(Replay::Value& kept, std::uint32_t code, const void* value) {
  if (const unsigned bytes = CAppRecord::IntegerBytes(code)) {
    kept.bits = CAppRecord::LoadInteger(value, bytes);
    return true;
  }
  switch (code) {
    case CAppRecord::FT_STRING: kept.text = *static_cast<const std::string*>(value); return true;
    case CAppRecord::FT_VARIANT: kept.variant = *static_cast<const CAppVariant*>(value); return true;
    case CAppRecord::FT_FLAGS: kept.bits = static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value)); return true;
    case CAppRecord::FT_TYPE: kept.bits = static_cast<const CAppTools::Type*>(value)->GetCode(); return true;
    default: return false;
  }
}

void RestoreValue(const Replay::Value& kept, std::uint32_t code, void* value) {
  if (const unsigned bytes = CAppRecord::IntegerBytes(code)) {
    CAppRecord::StoreInteger(value, bytes, kept.bits);
    return;
  }
  switch (code) {
    case CAppRecord::FT_STRING: *static_cast<std::string*>(value) = kept.text; return;
    case CAppRecord::FT_VARIANT: *static_cast<CAppVariant*>(value) = kept.variant; return;
    case CAppRecord::FT_FLAGS: *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(kept.bits); return;
    case CAppRecord::FT_TYPE: *static_cast<CAppTools::Type*>(value) = static_cast<std::uint32_t>(kept.bits); return;
    default: return;
  }
}

// Gives a node's fields what a recorded read gave them, as long as the node
// visits the same fields in the same order; past a difference it answers
// that no field is there, and the node is to be read from its element.
class ReplayRecord : public CAppRecord {
public:
  ReplayRecord(CAppStreamXML::LoadStream* stream, const Replay& replay) : m_pStream(stream), m_replay(replay) {}

  bool IsModeLoad() override { return true; }
  CAppParamGroup::EN_ADD_MODE GetAddMode() override { return CAppParamGroup::ADD_BY_KEY; }

  bool GetField() override {
    m_pField = nullptr;
    if (m_bDiverged || m_next == m_replay.fields.size()) return Diverge();
    const Replay::Field& field = m_replay.fields[m_next];
    const std::string_view name = GetNameView();
    if (field.type != GetType().GetCode() || field.nameLength != name.size() ||
        std::memcmp(m_replay.names.data() + field.nameOffset, name.data(), name.size()) != 0) {
      return Diverge();
    }
    ++m_next;
    if (field.found) m_pField = &field;
    return field.found;
  }

  unsigned GetCount() override {
    if (m_pField == nullptr || !m_pField->counted) {
      Diverge();
      return 0;
    }
    return m_pField->count;
  }

  void Serialize(void* value, unsigned index) override {
    APP_CHECK_POINTER(value);
    if (m_pField == nullptr || index >= m_pField->valueCount) {
      Diverge();
      return;
    }
    const Replay::Value& kept = m_replay.values[m_pField->firstValue + index];
    const std::uint32_t code = m_pField->type & 0x0FFFu;
    if (code == FT_PARAM) {
      m_pStream->ReadParam(*static_cast<CAppParam**>(value), kept.element);
    } else {
      RestoreValue(kept, code, value);
    }
  }

  // Every recorded field was replayed, in order.
  bool Finished() const { return !m_bDiverged && m_next == m_replay.fields.size(); }

private:
  bool Diverge() {
    m_bDiverged = true;
    m_pField = nullptr;
    return false;
  }

  CAppStreamXML::LoadStream* m_pStream;
  const Replay& m_replay;
  std::size_t m_next = 0;
  const Replay::Field* m_pField = nullptr;
  bool m_bDiverged = false;
};

}  // namespace

// --- Load ---------------------------------------------------------------------------

namespace {

// Ends a load that failed with `failure`: a file validated aside or a
// resource section read late may hold an error that reading the files one
// after the other would have met first, and then that error is thrown.
[[noreturn]] void FailLoad(CAppStreamXML::LoadContext& context, std::exception_ptr failure) {
  try {
    CAppStreamXML::LoadStream::ConfirmDocuments(context);
  } catch (...) {
    failure = std::current_exception();
  }
  CAppStreamXML::LoadStream::RemoveAll(true);
  std::rethrow_exception(failure);
}

}  // namespace

std::unique_ptr<CAppParam> CAppStreamXML::Load(const std::string& file, CAppResources* resources,
                                               const std::string& key) {
  if (file.empty()) return nullptr;
  CAppToolsXML::SchemaCollection schemas;
  if (!schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return nullptr;
  LoadContext context;
  context.validateAside = true;
  std::unique_ptr<CAppParam> tree;
  CAppParam* raw = nullptr;  // may be set by a read that then fails
  try {
    auto* first = new LoadStream(file, resources, &context, &schemas);
    first->GetParam(raw, key);
    tree.reset(std::exchange(raw, nullptr));
    LoadStream::ConfirmDocuments(context);
    if (resources != nullptr && tree) {
      tree->SetKey(key);
      if (tree->IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftControl)) {
        resources->ModifyFlags(0, PF_DEBUG);
      }
      if (resources->GetKey().empty()) resources->SetKey(file);
      tree->Check(resources);
      resources->Check(resources);
    }
  } catch (...) {
    delete raw;
    tree.reset();
    FailLoad(context, std::current_exception());
  }
  LoadStream::RemoveAll(true);
  return tree;
}

bool CAppStreamXML::LoadResources(const std::string& file, CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  CAppToolsXML::SchemaCollection schemas;
  if (file.empty() || !schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return false;
  LoadContext context;
  context.validateAside = true;
  try {
    new LoadStream(file, resources, &context, &schemas);
    LoadStream::ConfirmDocuments(context);
  } catch (...) {
    FailLoad(context, std::current_exception());
  }
  LoadStream::RemoveAll(true);
  return true;
}

// --- LoadStream -----------------------------------------------------------------------

CAppStreamXML::LoadStream::LoadStream(const std::string& file, CAppResources* resources,
                                      LoadContext* context,
                                      CAppToolsXML::SchemaCollection* schemas)
    : m_strFile(file), m_pResources(resources), m_pSchemas(schemas), m_pContext(context) {
  APP_CHECK_POINTER(context);
  APP_CHECK_POINTER(schemas);
  Open(file);
}

CAppStreamXML::LoadStream::LoadStream(const std::string& file, LoadStream* from) : m_strFile(file) {
  APP_CHECK_POINTER(from);
  m_pResources = from->m_pResources;
  m_pSchemas = from->m_pSchemas;
  m_pContext = from->m_pContext;
  Open(file);
}

void CAppStreamXML::LoadStream::Open(const std::string& file) {
  // A constructor that throws frees the object: it must not stay listed.
  OpenStreams().push_back(this);
  try {
    Read(file);
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
  Read(file);
  ConfirmDocuments(*m_pContext);
}

void CAppStreamXML::LoadStream::Read(const std::string& file) {
  auto& documents = m_pContext->documents;
  const auto cached = documents.find(file);
  Element root;
  if (cached != documents.end()) {
    m_pDocument = &cached->second;
    m_pDocument->document.GetRootElt(root);
    m_root = root.GetPtr().Get();
    return;
  }
  CachedDocument parsed;
  if (m_pContext->validateAside) {
    AppXmlLoadValidatingAside(parsed.document, file, m_pSchemas);
  } else if (!parsed.document.Load(file, m_pSchemas)) {
    APP_THROW("Can not load : %s", GetFileName().c_str());
  }
  m_pDocument = &documents.emplace(file, std::move(parsed)).first->second;
  m_pDocument->document.GetRootElt(root);
  m_root = root.GetPtr().Get();
  if (m_pContext->validateAside) {
    m_pContext->unconfirmed.push_back(this);
  } else {
    LoadResources();
  }
}

void CAppStreamXML::LoadStream::ConfirmDocuments(LoadContext& context) {
  std::vector<LoadStream*> streams;
  streams.swap(context.unconfirmed);
  for (LoadStream* stream : streams) {
    AppXmlConfirmDocument(stream->m_pDocument->document);
    stream->LoadResources();
  }
}

void CAppStreamXML::LoadStream::LoadResources() {
  if (m_pResources == nullptr || m_root == nullptr) return;
  for (pugi::xml_node section : Node(m_root).children()) {
    if (!IsNamed(section, "Resources")) continue;
    std::string profileName;
    ReadText(section, "Profile", profileName);
    CAppParamGroup* profile = m_pResources->CreateProfile(profileName);
    LoadRecord record(this, Handle(section));
    record.SetContext("Resources", profileName.c_str());
    // A section adds to what the profile already holds (class defaults, an
    // earlier section) instead of replacing it.
    record.SetAddMode(CAppParamGroup::ADD_MERGE);
    profile->Serialize(&record);
  }
}

void CAppStreamXML::LoadStream::GetParam(CAppParam*& param, const std::string& key) {
  if (!m_pDocument->indexed) {
    if (m_root != nullptr) {
      for (pugi::xml_node definition : Node(m_root).children()) {
        if (const char* text = Attribute(definition, "Key")) {
          m_pDocument->definitions.try_emplace(text).first->second.element = Handle(definition);
        }
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
  ReadElement(param, found->second.element, &found->second);
}

CAppParam* CAppStreamXML::LoadStream::CreateTyped(const char* type) {
  if (const CAppRuntimeClass* known = FindCached(m_pContext->classesByType, type)) {
    return static_cast<CAppParam*>(known->CreateObject());
  }
  const std::string className = CAppDynamic::GetClassByAlias(type, "Param ");
  CAppParam* param = CreateRegistered(m_pContext->classesByType, type, className);
  if (param == nullptr) APP_THROW("%s is not a CAppParamXXX or an alias of CAppParamXXX", className.c_str());
  return param;
}

CAppParam* CAppStreamXML::LoadStream::CreateNamed(const char* className) {
  if (const CAppRuntimeClass* known = FindCached(m_pContext->classesByName, className)) {
    return static_cast<CAppParam*>(known->CreateObject());
  }
  return CreateRegistered(m_pContext->classesByName, className, className);
}

void CAppStreamXML::LoadStream::ReadParam(CAppParam*& param, const Element& element) {
  if (element == 0) APP_THROW("Bad pointer");
  ReadParam(param, element.GetPtr().Get());
}

void CAppStreamXML::LoadStream::ReadParam(CAppParam*& param, const DomElement* element) {
  ReadElement(param, element, nullptr);
}

void CAppStreamXML::LoadStream::ReadElement(CAppParam*& param, const DomElement* element, Definition* definition) {
  APP_CHECK_POINTER(element);
  const pugi::xml_node node = Node(element);
  const ParamAttributes attributes(node);
  const char* tag = node.name();
  const DepthGuard guard(tag, attributes.Text(ParamAttributes::KEY), *this);
  const ParamTag* row = FindParamTag(tag);
  if (row == nullptr) APP_THROW("Bad name :%s", tag);

  if (row->kind == TagKind::REFERENCE) {
    const char* ref = attributes.Get(ParamAttributes::REF);
    if (const char* file = attributes.Get(ParamAttributes::FILE)) {
      auto* other = new LoadStream(file, this);
      other->GetParam(param, ref != nullptr ? ref : "SYS_ROOT");
    } else {
      if (ref == nullptr) APP_THROW("Reference error for ref : %s or Attribut Type not found", tag);
      GetParam(param, ref);
    }
    attributes.ApplyTo(param);
    return;
  }
  std::uint32_t dummyFlags = 0;
  switch (row->kind) {
    case TagKind::TYPED:
      if (const char* type = attributes.Get(ParamAttributes::TYPE)) param = CreateTyped(type);
      break;
    case TagKind::CLASS:
      param = CreateNamed(row->className);
      break;
    case TagKind::DUMMY: {
      const bool plain = attributes.Get(ParamAttributes::DATA) != nullptr;
      param = CreateNamed(plain ? "CAppParam" : "CAppParamArray");
      dummyFlags = plain ? (PF_HIDDEN | PF_NO_DATA) : PF_HIDDEN;
      break;
    }
    case TagKind::REFERENCE:
      break;
  }
  if (param == nullptr) APP_THROW("Bad pointer");

  if (definition == nullptr || !Replay(param, definition)) {
    LoadRecord record(this, element);
    record.SetContext(param, attributes.Text(ParamAttributes::KEY));
    std::unique_ptr<DefinitionReplay, DefinitionReplayDeleter> recording;
    if (definition != nullptr && ++definition->reads == 2) {
      recording.reset(new DefinitionReplay);
      record.StartRecording(recording.get());
    }
    param->Serialize(&record);
    if (recording && recording->complete) definition->replay = std::move(recording);
  }
  attributes.ApplyTo(param);
  param->ModifyFlags(0, dummyFlags);
}

// A fresh node of the definition's class replays what the recorded read
// gave its fields. Should the class visit its fields otherwise than when it
// was recorded, the node is made again and read from the element.
bool CAppStreamXML::LoadStream::Replay(CAppParam*& param, Definition* definition) {
  if (!definition->replay) return false;
  ReplayRecord record(this, *definition->replay);
  param->Serialize(&record);
  if (record.Finished()) return true;
  definition->replay.reset();
  const CAppRuntimeClass* runtimeClass = param->GetRuntimeClass();
  delete param;
  param = static_cast<CAppParam*>(runtimeClass->CreateObject());
  return false;
}

void CAppStreamXML::LoadStream::ReadAttribut(CAppParam* param, const Element& element) {
  if (element == 0) APP_THROW("Bad pointer");
  ParamAttributes(Node(element.GetPtr().Get())).ApplyTo(param);
}

// --- LoadRecord --------------------------------------------------------------------------

CAppStreamXML::LoadRecord::LoadRecord(LoadStream* stream, const Element& element)
    : LoadRecord(stream, element.GetPtr().Get()) {}

CAppStreamXML::LoadRecord::LoadRecord(LoadStream* stream, const DomElement* element)
    : m_pStream(stream), m_element(element), m_field(element) {
  APP_CHECK_POINTER(stream);
  APP_CHECK_POINTER(element);
  auto& named = m_pStream->GetContext().namedFields;
  m_namedBegin = named.size();
  for (pugi::xml_node child = Node(element).first_child(); child; child = child.next_sibling()) {
    if (const char* name = Attribute(child, "Name")) {  // elements only: see IsEntry
      const std::size_t length = std::strlen(name);
      named.push_back({name, length, Handle(child)});
      m_namedBits |= NameBit(name, length);
    }
  }
  m_namedEnd = named.size();
  m_entriesBegin = m_pStream->GetContext().entries.size();
}

CAppStreamXML::LoadRecord::~LoadRecord() {
  LoadContext& context = m_pStream->GetContext();
  context.namedFields.resize(m_namedBegin);
  context.entries.resize(m_entriesBegin);
}

std::string CAppStreamXML::LoadRecord::GetFileName() const { return m_pStream->GetFileName(); }

void CAppStreamXML::LoadRecord::SetContext(const char* className, const char* key) {
  m_pContextParam = nullptr;
  m_contextClass = className != nullptr ? className : "";
  m_contextKey = key != nullptr ? key : "";
}

void CAppStreamXML::LoadRecord::SetContext(const CAppParam* param, const char* key) {
  SetContext("", key);
  m_pContextParam = param;
}

bool CAppStreamXML::LoadRecord::GetField() {
  if (m_pRecording == nullptr) return LocateField();
  const bool found = LocateField();
  RecordField(found);
  return found;
}

unsigned CAppStreamXML::LoadRecord::GetCount() {
  if (m_pRecording == nullptr) return CountEntries();
  const unsigned count = CountEntries();
  RecordCount(count);
  return count;
}

void CAppStreamXML::LoadRecord::Serialize(void* value, unsigned index) {
  if (m_pRecording == nullptr) return Transfer(value, index);
  Transfer(value, index);
  RecordValue(value, index);
}

void CAppStreamXML::LoadRecord::RecordField(bool found) {
  const std::string_view name = GetNameView();
  m_pRecording->fields.push_back({m_pRecording->names.size(), name.size(), GetType().GetCode(), found});
  m_pRecording->names.append(name);
  m_pRecording->fields.back().firstValue = m_pRecording->values.size();
}

void CAppStreamXML::LoadRecord::RecordCount(unsigned count) {
  if (m_pRecording->fields.empty() || m_pRecording->fields.back().counted) {
    m_pRecording->complete = false;
    return;
  }
  m_pRecording->fields.back().counted = true;
  m_pRecording->fields.back().count = count;
}

void CAppStreamXML::LoadRecord::RecordValue(const void* value, unsigned index) {
  DefinitionReplay& replay = *m_pRecording;
  if (replay.fields.empty() || replay.fields.back().valueCount != index) {
    replay.complete = false;
    return;
  }
  DefinitionReplay::Field& field = replay.fields.back();
  DefinitionReplay::Value& kept = replay.values.emplace_back();
  const std::uint32_t code = GetType().GetCode() & 0x0FFFu;
  if (code == FT_PARAM) {
    kept.element = GetEntry(index);
  } else if (!KeepValue(kept, code, value)) {
    replay.complete = false;
  }
  ++field.valueCount;
}

bool CAppStreamXML::LoadRecord::LocateField() {
  const std::string_view name = GetNameView();
  // Most fields a class visits have no element: the bits of the names
  // present rule out most of them at once.
  if ((m_namedBits & NameBit(name.data(), name.size())) != 0 && FindNamed(name)) return StartField();
  // The implicit fields: the element's own children.
  const bool param = EqualsNoCase(name, "PARAM");
  if (param || EqualsNoCase(name, "LIST")) {
    m_field = m_element;
    m_kind = param ? KIND_PARAM : KIND_LIST;
    return StartField();
  }
  m_kind = KIND_NONE;
  return false;
}

bool CAppStreamXML::LoadRecord::FindNamed(std::string_view name) {
  // A later child of the same name wins.
  const auto& named = m_pStream->GetContext().namedFields;
  for (std::size_t i = m_namedEnd; i > m_namedBegin; --i) {
    const LoadContext::NamedField& candidate = named[i - 1];
    if (candidate.length != name.size() || std::memcmp(candidate.name, name.data(), name.size()) != 0) continue;
    m_field = candidate.element;
    const char* tag = Node(m_field).name();
    m_kind = static_cast<FieldKind>(FindFieldKind(tag));
    if (m_kind == KIND_NONE) APP_THROW("Bad name :%s on file:%s", tag, GetFileName().c_str());
    return true;
  }
  return false;
}

// A found field starts without the values or entries of the one before.
bool CAppStreamXML::LoadRecord::StartField() {
  if (!m_data.empty()) m_data.clear();
  auto& entries = m_pStream->GetContext().entries;
  if (entries.size() != m_entriesBegin) entries.resize(m_entriesBegin);
  return true;
}

unsigned CAppStreamXML::LoadRecord::CountEntries() {
  if (m_field == nullptr) APP_THROW("Bad pointer");
  const pugi::xml_node field = Node(m_field);
  switch (m_kind) {
    case KIND_DATA:
    case KIND_BITS: {
      if ((GetType() & FT_ARRAY) == 0) return 1;
      m_data.clear();
      if (const char* text = Attribute(field, "Value")) {
        CAppTools::GetData(m_data, text, CAppTools::BASE_DEC);
      } else if (const char* hex = Attribute(field, "HexValue")) {
        CAppTools::GetData(m_data, hex, CAppTools::BASE_HEX);
      }
      return static_cast<unsigned>(m_data.size());
    }
    case KIND_PARAM:
    case KIND_LIST: {
      const bool list = m_kind == KIND_LIST;
      auto& entries = m_pStream->GetContext().entries;
      entries.resize(m_entriesBegin);
      for (pugi::xml_node child : field.children()) {
        if (IsEntry(child, list)) entries.push_back(Handle(child));
      }
      return static_cast<unsigned>(entries.size() - m_entriesBegin);
    }
    case KIND_NONE:
      break;
  }
  return 0;
}

const DomElement* CAppStreamXML::LoadRecord::GetEntry(unsigned index) {
  const auto& entries = m_pStream->GetContext().entries;
  if (index >= entries.size() - m_entriesBegin) APP_THROW("Invalid Data");
  return entries[m_entriesBegin + index];
}

void CAppStreamXML::LoadRecord::ThrowKindMismatch(const char* what) {
  const std::string className = m_pContextParam != nullptr ? m_pContextParam->GetClassName() : m_contextClass;
  APP_THROW("\"%s\" Field of %s (Key=%s) in this context can not be associated with an XML element %s",
            GetName().c_str(), className.c_str(), m_contextKey,
            CAppTools::Format(what, GetFileName().c_str()).c_str());
}

void CAppStreamXML::LoadRecord::Transfer(void* value, unsigned index) {
  APP_CHECK_POINTER(value);
  switch (m_kind) {
    case KIND_DATA:
      SerializeData(value, index);
      return;
    case KIND_LIST: {
      if ((GetType() & FT_ARRAY) == 0) ThrowKindMismatch("<Array> on file :%s");
      const char* text = Attribute(Node(GetEntry(index)), "Value");
      StoreText(value, GetType() & 0x0FFFu, text != nullptr ? text : "");
      return;
    }
    case KIND_BITS:
      SerializeBits(value);
      return;
    case KIND_PARAM: {
      if ((GetType() & 0x0FFFu) != FT_PARAM) ThrowKindMismatch("<Param> or <ParamRef> on file:%s");
      m_pStream->ReadParam(*static_cast<CAppParam**>(value), GetEntry(index));
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
  const char* text = Attribute(Node(m_field), "Value");
  if (text != nullptr) StoreText(value, code, text);
}

void CAppStreamXML::LoadRecord::StoreText(void* value, std::uint32_t code, const char* text) {
  // Strings take the text as it stands, and plain decimal numbers convert
  // directly; the rest converts like a variant.
  std::uint32_t number = 0;
  if (code == FT_STRING) {
    *static_cast<std::string*>(value) = text;
  } else if (code == FT_TYPE) {
    *static_cast<CAppTools::Type*>(value) = std::string(text);
  } else if (IsIntegerOf32Bits(code) && ReadSmallDecimal(text, number)) {
    StoreNumber(value, code, number);
  } else {
    StoreText(value, code, CAppVariant(std::string(text)));
  }
}

// Converts an attribute text into a field or array entry of type `code`.
void CAppStreamXML::LoadRecord::StoreText(void* value, std::uint32_t code, const CAppVariant& text) {
  if (IsIntegerOf32Bits(code)) {
    StoreNumber(value, code, text.ToUInt32());
    return;
  }
  switch (code) {
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
  for (pugi::xml_node bit : Node(m_field).children()) {
    if (!IsNamed(bit, "Bit")) continue;
    if (const char* clear = Attribute(bit, "Clr")) {
      const std::uint32_t n = CAppVariant(std::string(clear)).ToUInt32();
      if (n < 32) {
        flags.ModifyFlags(1u << n, 0);
      } else {
        APP_TRACE("Clr nit position error :%u  on file:%s", n, GetFileName().c_str());
      }
    } else if (const char* set = Attribute(bit, "Set")) {
      const std::uint32_t n = CAppVariant(std::string(set)).ToUInt32();
      if (n < 32) flags.ModifyFlags(0, 1u << n);
    } else {
      APP_TRACE("Bit position error  on file:%s", GetFileName().c_str());
    }
  }
}
