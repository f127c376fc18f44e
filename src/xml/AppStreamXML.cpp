#include "appconfig/AppStreamXML.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>

#include "AppXmlInternal.h"

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppText.h"

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

  // The common attributes, in the order their setters expect them. They
  // follow the fields, so the key wins over a key a field may have set; it
  // comes first among them, so that a soft error of the value names it.
  void ApplyTo(CAppParam* param) const {
    APP_CHECK_POINTER(param);
    if (const char* text = Get(KEY)) param->SetKey(text);
    if (const char* text = Get(NAME)) param->SetName(text);
    if (const char* text = Get(VALUE)) param->SetVariant(CAppVariant(std::string(text)));
    if (const char* text = Get(ALIAS)) param->SetAlias(text);
    if (const char* text = Get(HELP)) param->SetHelp(text);
    if (const char* text = Get(FLAGS)) param->ModifyFlags(0, CAppVariant(std::string(text)).ToUInt32());
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

// A File reference names a description of the description folder (or of a
// folder inside it): an absolute name or a ".." segment would let a
// description read any file the process can read.
bool IsInsideFolder(std::string_view name) {
  if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// The root and every element below it. pugixml walks the tree itself and
// calls back once per node: fewer calls than a walk through its accessors.
std::size_t CountElements(pugi::xml_node root) {
  struct Counter : pugi::xml_tree_walker {
    bool for_each(pugi::xml_node& node) override {
      if (node.type() == pugi::node_element) ++count;
      return true;
    }
    std::size_t count = 0;
  } counter;
  root.traverse(counter);
  return counter.count + (root.type() == pugi::node_element ? 1 : 0);
}

CAppStreamXML::Limits& CurrentLimits() {
  static CAppStreamXML::Limits limits;
  return limits;
}

// The larger of `minimum` and `perElement` times `elements`, without overflow.
std::size_t ScaledLimit(std::size_t minimum, std::size_t perElement, std::size_t elements) {
  const std::size_t scaled =
      perElement != 0 && elements > SIZE_MAX / perElement ? SIZE_MAX : elements * perElement;
  return std::max(minimum, scaled);
}

// What one load has created so far must stay within this.
std::size_t ParamLimit(std::size_t elements) {
  const CAppStreamXML::Limits& limits = CurrentLimits();
  return ScaledLimit(limits.minimumParams, limits.paramsPerElement, elements);
}

// And the elements it has looked at.
std::size_t VisitLimit(std::size_t elements) {
  const CAppStreamXML::Limits& limits = CurrentLimits();
  return ScaledLimit(limits.minimumVisits, limits.visitsPerElement, elements);
}

}  // namespace

// --- Loader ----------------------------------------------------------------------------

class CAppStreamXML::Loader {
public:
  struct Definition {
    const DomElement* element = nullptr;
    bool reading = false;  // being read: meeting it again is a loop
    // Held while the load lasts: each reference reads the definition's key
    // and replaces it, which would otherwise drop the text and make it anew.
    CAppText key;
  };

  explicit Loader(LoadProgress* progress = nullptr) : m_pProgress(progress) {}
  Loader(const Loader&) = delete;
  Loader& operator=(const Loader&) = delete;

  // The root of a file already read by this load, or null.
  const DomElement* FindRoot(const std::string& file) const {
    const auto found = m_files.find(file);
    return found != m_files.end() ? found->second.root : nullptr;
  }

  // Parses and validates the file, and indexes its definitions by their Key
  // text (the first of equal keys wins, as the key query would answer).
  const DomElement* Parse(const std::string& file, const CAppToolsXML::SchemaCollection* schemas,
                          const LoadStream& stream) {
    ParsedFile parsed;
    if (!parsed.document.Load(file, schemas)) APP_THROW("Can not load : %s", stream.GetFileName().c_str());
    Element root;
    parsed.document.GetRootElt(root);
    parsed.root = root.GetPtr().Get();
    const pugi::xml_node rootNode = Node(parsed.root);
    for (pugi::xml_node definition : rootNode.children()) {
      if (const char* key = Attribute(definition, "Key")) {
        parsed.definitions.try_emplace(key, Definition{Handle(definition), false, CAppText(key)});
      }
    }
    m_elements += CountElements(rootNode);
    m_visitLimit = VisitLimit(m_elements);
    return m_files.emplace(file, std::move(parsed)).first->second.root;
  }

  // Null when the file holds no definition of that key.
  Definition* FindDefinition(const std::string& file, const std::string& key) {
    const auto parsed = m_files.find(file);
    if (parsed == m_files.end()) return nullptr;
    const auto found = parsed->second.definitions.find(key);
    return found != parsed->second.definitions.end() ? &found->second : nullptr;
  }

  // Counts one more parameter, made for `element` of `stream`; throws, naming
  // the reference being followed, once the load has created more than its
  // limit.
  void CountParam(const DomElement* element, const LoadStream& stream) {
    const std::size_t limit = ParamLimit(m_elements);
    if (++m_params <= limit) {
      if (m_pProgress != nullptr && m_params % PROGRESS_STEP == 0) m_pProgress->OnLoadProgress(m_params);
      return;
    }
    ThrowLimit(CAppTools::Format("More than %zu parameters built", limit), element, stream);
  }

  // Counts `visits` more elements looked at for `element` of `stream`;
  // throws like CountParam once the load has looked at more than its limit.
  void CountVisits(std::size_t visits, const DomElement* element, const LoadStream& stream) {
    m_visits += visits;
    if (m_visits > m_visitLimit) {
      ThrowLimit(CAppTools::Format("More than %zu element visits", m_visitLimit), element, stream);
    }
  }
  // Whether visits are counted at all: a limit of SIZE_MAX is none.
  bool CountsVisits() const { return m_visitLimit != SIZE_MAX; }

  [[noreturn]] void ThrowLimit(const std::string& what, const DomElement* element, const LoadStream& stream) const {
    const LoadStream& where = m_pReferenceStream != nullptr ? *m_pReferenceStream : stream;
    const pugi::xml_node node = Node(m_reference != nullptr ? m_reference : element);
    APP_THROW("%s from %zu elements, at <%s Key=\"%s\" Ref=\"%s\"> on file : %s", what.c_str(), m_elements,
              node.name(), node.attribute("Key").value(), node.attribute("Ref").value(), where.GetFileName().c_str());
  }

  CAppParam* CreateTyped(const char* type) {
    if (const CAppRuntimeClass* known = Find(m_classesByType, type)) return Create(known);
    const std::string className = CAppDynamic::GetClassByAlias(type, "Param ");
    CAppParam* param = Register(m_classesByType, type, className);
    if (param == nullptr) APP_THROW("%s is not a CAppParamXXX or an alias of CAppParamXXX", className.c_str());
    return param;
  }

  CAppParam* CreateNamed(const char* className) {
    if (const CAppRuntimeClass* known = Find(m_classesByName, className)) return Create(known);
    return Register(m_classesByName, className, className);
  }

  // Nesting of parameter elements, references included, within MAX_DEPTH.
  class Nesting {
  public:
    Nesting(Loader& load, const char* tag, const char* key, const LoadStream& stream) : m_load(load) {
      if (m_load.m_depth >= MAX_DEPTH) {
        APP_THROW("Nesting deeper than %u at <%s Key=\"%s\"> on file : %s", MAX_DEPTH, tag, key,
                  stream.GetFileName().c_str());
      }
      ++m_load.m_depth;
    }
    ~Nesting() { --m_load.m_depth; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

  private:
    Loader& m_load;
  };

  // A resource section of a file read by this load. Sections are applied to
  // the resources only once the tree is built (see ResourceChanges).
  struct Section {
    std::string file;
    const DomElement* element;
  };
  void StageSection(const std::string& file, const DomElement* element) { m_sections.push_back({file, element}); }
  const std::vector<Section>& Sections() const { return m_sections; }

  // The reference being followed, named when the load grows too large.
  class Following {
  public:
    Following(Loader& load, const DomElement* reference, const LoadStream& stream)
        : m_load(load), m_reference(load.m_reference), m_pStream(load.m_pReferenceStream) {
      m_load.m_reference = reference;
      m_load.m_pReferenceStream = &stream;
    }
    ~Following() {
      m_load.m_reference = m_reference;
      m_load.m_pReferenceStream = m_pStream;
    }
    Following(const Following&) = delete;
    Following& operator=(const Following&) = delete;

  private:
    Loader& m_load;
    const DomElement* m_reference;
    const LoadStream* m_pStream;
  };

  // The lists of the records being read, each record's above those of the
  // record it nests in (see LoadRecord): a load reuses them instead of
  // allocating lists for every element.
  std::vector<LoadRecord::NamedField> named;
  std::vector<const DomElement*> entries;

private:
  struct ParsedFile {
    CAppToolsXML::Document document;
    const DomElement* root = nullptr;
    std::unordered_map<std::string, Definition> definitions;
  };
  // Class texts already resolved, so that the next object of the same text
  // skips the registry lookup.
  using ClassCache = std::vector<std::pair<std::string, const CAppRuntimeClass*>>;

  static const CAppRuntimeClass* Find(const ClassCache& cache, const char* text) {
    for (const auto& [known, runtimeClass] : cache) {
      if (SameName(known.c_str(), text)) return runtimeClass;
    }
    return nullptr;
  }
  static CAppParam* Create(const CAppRuntimeClass* runtimeClass) {
    return static_cast<CAppParam*>(runtimeClass->CreateObject());
  }
  static CAppParam* Register(ClassCache& cache, const char* text, const std::string& className) {
    auto* param = static_cast<CAppParam*>(CAppDynamic::_GetRegisterClass(className, CAppParam::StaticRuntimeClass()));
    if (param != nullptr) cache.emplace_back(text, param->GetRuntimeClass());
    return param;
  }

  std::map<std::string, ParsedFile> m_files;
  std::vector<Section> m_sections;
  ClassCache m_classesByType;
  ClassCache m_classesByName;
  unsigned m_depth = 0;
  std::size_t m_elements = 0;  // of the files read
  std::size_t m_params = 0;    // created so far
  std::size_t m_visits = 0;    // elements looked at so far
  std::size_t m_visitLimit = VisitLimit(0);  // for the files read so far
  LoadProgress* m_pProgress;
  const DomElement* m_reference = nullptr;  // and the stream of its file
  const LoadStream* m_pReferenceStream = nullptr;
};

// --- Resource sections --------------------------------------------------------------

namespace {

using Loader = CAppStreamXML::Loader;
using LoadStream = CAppStreamXML::LoadStream;
using LoadRecord = CAppStreamXML::LoadRecord;

// Applies the resource sections of one load to the resources and keeps what
// it takes to put the resources back as they were (profiles, key and flags)
// should the load fail afterwards.
class ResourceChanges {
public:
  explicit ResourceChanges(CAppResources& resources)
      : m_resources(resources), m_strKey(resources.GetKey()), m_nFlags(resources.GetFlags()) {}

  // Each section's keyed entries go into its profile as a group's children
  // are loaded: an entry replaces the one of the same key (a class default,
  // an earlier section's), the others are added; the section's fields are
  // the profile's.
  void Apply(const Loader& load, LoadStream& first) {
    for (const Loader::Section& section : load.Sections()) {
      LoadStream stream(section.file, &first);  // read already: taken from the load
      const pugi::xml_node node = Node(section.element);
      std::string name;
      ReadText(node, "Profile", name);
      CAppParamGroup* profile = nullptr;
      try {
        profile = Profile(name);
      } catch (CAppException& e) {
        // An empty name, or one with a "\": a profile name is a key.
        e.SetMessage(CAppTools::Format("%s : Profile=\"%s\" on file : %s", e.GetMessage().c_str(), name.c_str(),
                                       stream.GetFileName().c_str()));
        throw;
      }
      for (pugi::xml_node entry : node.children()) {
        const char* key = Attribute(entry, "Key");
        CAppParam* replaced = key != nullptr ? profile->FindChild(key) : nullptr;
        if (replaced != nullptr) profile->RemoveParam(replaced->GetKey());
      }
      LoadRecord record(&stream, section.element);
      record.SetContext("Resources", name.c_str());
      record.SetAddMode(CAppParamGroup::ADD_MERGE);  // what the section does not name stays
      profile->Serialize(&record);
    }
  }

  // Puts back the profiles, the key and the flags the resources had.
  void Undo() noexcept {
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
      try {
        m_resources.RemoveParam(*it);
      } catch (...) {
      }
    }
    for (auto& [profile, snapshot] : m_snapshots) {
      try {
        CAppStreamBin::MakeUndo(snapshot.get(), profile);
      } catch (...) {
        // Out of memory while restoring: the profile keeps what it has.
      }
    }
    m_resources.SetKey(m_strKey);
    m_resources.GetFlags() = m_nFlags;
  }

private:
  // The profile of that name, created when the resources have none; an
  // existing one is kept as it is before its first change.
  CAppParamGroup* Profile(const std::string& name) {
    const bool held = m_resources.FindChild(name) != nullptr;
    CAppParamGroup* profile = m_resources.CreateProfile(name);
    if (!held) {
      m_created.push_back(profile->GetKey());
    } else if (std::none_of(m_snapshots.begin(), m_snapshots.end(), [&](const auto& s) { return s.first == profile; })) {
      m_snapshots.emplace_back(profile, CAppStreamBin::CreateUndo(profile));
    }
    return profile;
  }

  CAppResources& m_resources;
  std::string m_strKey;
  std::uint32_t m_nFlags;
  std::vector<std::string> m_created;
  std::vector<std::pair<CAppParamGroup*, std::unique_ptr<CAppToolsBin::Stream>>> m_snapshots;
};

}  // namespace

// --- Load ---------------------------------------------------------------------------

void CAppStreamXML::SetLimits(const Limits& limits) { CurrentLimits() = limits; }

const CAppStreamXML::Limits& CAppStreamXML::GetLimits() { return CurrentLimits(); }

std::unique_ptr<CAppParam> CAppStreamXML::Load(const std::string& file, CAppResources* resources,
                                               const std::string& key) {
  return Load(file, resources, key, nullptr);
}

std::unique_ptr<CAppParam> CAppStreamXML::Load(const std::string& file, CAppResources* resources,
                                               const std::string& key, LoadProgress* progress) {
  if (file.empty()) return nullptr;
  CAppToolsXML::SchemaCollection schemas;
  if (!schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return nullptr;
  Loader load(progress);
  CAppParam* raw = nullptr;  // may be set by a read that then fails
  std::unique_ptr<CAppParam> tree;
  // A load that fails leaves the resources as they were.
  std::optional<ResourceChanges> changes;
  if (resources != nullptr) changes.emplace(*resources);
  try {
    LoadStream first(file, resources, &load, &schemas);
    first.GetParam(raw, key);
    tree.reset(raw);
    if (resources != nullptr) {
      changes->Apply(load, first);
      if (tree) {
        tree->SetKey(key);
        if (tree->IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftControl)) resources->ModifyFlags(0, PF_DEBUG);
        if (resources->GetKey().empty()) resources->SetKey(file);
        tree->Check(resources);
        resources->Check(resources);
      }
    }
  } catch (const std::bad_alloc&) {
    if (!tree) delete raw;
    if (changes) changes->Undo();
    APP_THROW("Out of memory : %s%s.xml", CAppToolsXML::GetPath().c_str(), file.c_str());
  } catch (...) {
    if (!tree) delete raw;
    if (changes) changes->Undo();
    throw;
  }
  return tree;
}

bool CAppStreamXML::LoadResources(const std::string& file, CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  CAppToolsXML::SchemaCollection schemas;
  if (file.empty() || !schemas.Create() || !schemas.Add(kDescriptionNamespace, "")) return false;
  Loader load;
  ResourceChanges changes(*resources);
  try {
    LoadStream stream(file, resources, &load, &schemas);
    changes.Apply(load, stream);
  } catch (const std::bad_alloc&) {
    changes.Undo();
    APP_THROW("Out of memory : %s%s.xml", CAppToolsXML::GetPath().c_str(), file.c_str());
  } catch (...) {
    changes.Undo();
    throw;
  }
  return true;
}

// --- LoadStream -----------------------------------------------------------------------

CAppStreamXML::LoadStream::LoadStream(const std::string& file, CAppResources* resources, Loader* load,
                                      CAppToolsXML::SchemaCollection* schemas)
    : m_strFile(file), m_pResources(resources), m_pSchemas(schemas), m_pLoad(load) {
  APP_CHECK_POINTER(load);
  APP_CHECK_POINTER(schemas);
  Load(file);
}

CAppStreamXML::LoadStream::LoadStream(const std::string& file, LoadStream* from) : m_strFile(file) {
  APP_CHECK_POINTER(from);
  m_pResources = from->m_pResources;
  m_pSchemas = from->m_pSchemas;
  m_pLoad = from->m_pLoad;
  Load(file);
}

std::string CAppStreamXML::LoadStream::GetFileName() const { return m_strFile + ".XML"; }

void CAppStreamXML::LoadStream::Load(const std::string& file) {
  m_strFile = file;
  m_root = m_pLoad->FindRoot(file);
  if (m_root != nullptr) return;
  m_root = m_pLoad->Parse(file, m_pSchemas, *this);
  LoadResources();
}

void CAppStreamXML::LoadStream::LoadResources() {
  if (m_pResources == nullptr || m_root == nullptr) return;
  for (pugi::xml_node section : Node(m_root).children()) {
    if (IsNamed(section, "Resources")) m_pLoad->StageSection(m_strFile, Handle(section));
  }
}

void CAppStreamXML::LoadStream::GetParam(CAppParam*& param, const std::string& key) {
  // Keys compare exactly with the upper-cased key asked for, so definitions
  // are written with upper-case keys.
  const std::string upper = CAppTools::MakeUpper(key);
  Loader::Definition* definition = m_pLoad->FindDefinition(m_strFile, upper);
  if (definition == nullptr) APP_THROW("Reference not found : %s on file : %s", upper.c_str(), GetFileName().c_str());
  if (definition->reading) {
    APP_THROW("Reference loop : definition %s on file : %s refers back to itself", upper.c_str(),
              GetFileName().c_str());
  }
  definition->reading = true;
  try {
    ReadParam(param, definition->element);
  } catch (...) {
    definition->reading = false;
    throw;
  }
  definition->reading = false;
}

void CAppStreamXML::LoadStream::ReadParam(CAppParam*& param, const Element& element) {
  if (element == 0) APP_THROW("Bad pointer");
  ReadParam(param, element.GetPtr().Get());
}

void CAppStreamXML::LoadStream::ReadParam(CAppParam*& param, const DomElement* element) {
  APP_CHECK_POINTER(element);
  const pugi::xml_node node = Node(element);
  const ParamAttributes attributes(node);
  const char* tag = node.name();
  const Loader::Nesting nesting(*m_pLoad, tag, attributes.Text(ParamAttributes::KEY), *this);
  const ParamTag* row = FindParamTag(tag);
  if (row == nullptr) APP_THROW("Bad name :%s", tag);
  // A key is a key, never a path (a group would take it as one).
  if (std::strchr(attributes.Text(ParamAttributes::KEY), '\\') != nullptr) {
    APP_THROW("Bad key : %s on file : %s", attributes.Text(ParamAttributes::KEY), GetFileName().c_str());
  }
  if (row->kind == TagKind::REFERENCE) {
    ReadReference(param, element);
    attributes.ApplyTo(param);  // the reference's attributes override the definition's
    return;
  }
  std::uint32_t dummyFlags = 0;
  m_pLoad->CountParam(element, *this);
  switch (row->kind) {
    case TagKind::TYPED:
      if (const char* type = attributes.Get(ParamAttributes::TYPE)) param = m_pLoad->CreateTyped(type);
      break;
    case TagKind::CLASS:
      param = m_pLoad->CreateNamed(row->className);
      break;
    case TagKind::DUMMY: {
      const bool plain = attributes.Get(ParamAttributes::DATA) != nullptr;
      param = m_pLoad->CreateNamed(plain ? "CAppParam" : "CAppParamArray");
      dummyFlags = plain ? (PF_HIDDEN | PF_NO_DATA) : PF_HIDDEN;
      break;
    }
    case TagKind::REFERENCE:
      break;
  }
  if (param == nullptr) APP_THROW("Bad pointer");
  LoadRecord record(this, element);
  record.SetContext(param, attributes.Text(ParamAttributes::KEY));
  param->Serialize(&record);
  attributes.ApplyTo(param);
  param->ModifyFlags(0, dummyFlags);
}

// Each reference builds a new object from its definition, in this file or,
// with File, in another one of the description folder.
void CAppStreamXML::LoadStream::ReadReference(CAppParam*& param, const DomElement* element) {
  const pugi::xml_node node = Node(element);
  const char* ref = Attribute(node, "Ref");
  const Loader::Following following(*m_pLoad, element, *this);
  if (const char* file = Attribute(node, "File")) {
    if (!IsInsideFolder(file)) {
      APP_THROW("Reference file outside the description folder : %s on file : %s", file, GetFileName().c_str());
    }
    LoadStream other(file, this);
    other.GetParam(param, ref != nullptr ? ref : "SYS_ROOT");
    return;
  }
  if (ref == nullptr) APP_THROW("Reference error for ref : %s or Attribut Type not found", node.name());
  GetParam(param, ref);
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
  Loader& load = *m_pStream->m_pLoad;
  m_nNamedFirst = load.named.size();
  m_nEntriesFirst = load.entries.size();
  std::size_t visits = 1;
  try {
    for (pugi::xml_node child = Node(element).first_child(); child; child = child.next_sibling(), ++visits) {
      if (const char* name = Attribute(child, "Name")) load.named.push_back({name, Handle(child)});  // elements only: see IsEntry
    }
    m_nNamedEnd = load.named.size();
    CountVisits(visits);
  } catch (...) {
    load.named.resize(m_nNamedFirst);
    throw;
  }
}

CAppStreamXML::LoadRecord::~LoadRecord() {
  Loader& load = *m_pStream->m_pLoad;
  load.named.resize(m_nNamedFirst);
  load.entries.resize(m_nEntriesFirst);
}

void CAppStreamXML::LoadRecord::CountVisits(std::size_t visits) const {
  Loader& load = *m_pStream->m_pLoad;
  if (load.CountsVisits()) load.CountVisits(visits, m_element, *m_pStream);
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
  const std::string_view name = GetNameView();
  if (FindNamed(name)) {
    StartField();
    return true;
  }
  // The implicit fields: the element's own children.
  const bool param = EqualsNoCase(name, "PARAM");
  if (param || EqualsNoCase(name, "LIST")) {
    m_field = m_element;
    m_kind = param ? KIND_PARAM : KIND_LIST;
    StartField();
    return true;
  }
  m_kind = KIND_NONE;
  return false;
}

bool CAppStreamXML::LoadRecord::FindNamed(std::string_view name) {
  // A later child of the same name wins.
  const std::vector<NamedField>& list = m_pStream->m_pLoad->named;
  CountVisits(m_nNamedEnd - m_nNamedFirst);
  for (std::size_t i = m_nNamedEnd; i-- > m_nNamedFirst;) {
    if (list[i].name != name) continue;
    m_field = list[i].element;
    const char* tag = Node(m_field).name();
    m_kind = static_cast<FieldKind>(FindFieldKind(tag));
    if (m_kind == KIND_NONE) APP_THROW("Bad name :%s on file:%s", tag, GetFileName().c_str());
    return true;
  }
  return false;
}

// A found field starts without the values or entries of the one before.
void CAppStreamXML::LoadRecord::StartField() {
  m_data.clear();
  m_pStream->m_pLoad->entries.resize(m_nEntriesFirst);
}

unsigned CAppStreamXML::LoadRecord::GetCount() {
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
      std::vector<const DomElement*>& entries = m_pStream->m_pLoad->entries;
      entries.resize(m_nEntriesFirst);
      std::size_t visits = 0;
      for (pugi::xml_node child : field.children()) {
        ++visits;
        if (IsEntry(child, list)) entries.push_back(Handle(child));
      }
      CountVisits(visits);
      return static_cast<unsigned>(entries.size() - m_nEntriesFirst);
    }
    case KIND_NONE:
      break;
  }
  return 0;
}

const DomElement* CAppStreamXML::LoadRecord::GetEntry(unsigned index) const {
  // The records read for earlier entries are gone: the list ends with ours.
  const std::vector<const DomElement*>& entries = m_pStream->m_pLoad->entries;
  if (index >= entries.size() - m_nEntriesFirst) APP_THROW("Invalid Data");
  return entries[m_nEntriesFirst + index];
}

void CAppStreamXML::LoadRecord::ThrowKindMismatch(const char* what) {
  const std::string className = m_pContextParam != nullptr ? m_pContextParam->GetClassName() : m_contextClass;
  APP_THROW("\"%s\" Field of %s (Key=%s) in this context can not be associated with an XML element %s",
            GetName().c_str(), className.c_str(), m_contextKey,
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
    CountVisits(1);
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
