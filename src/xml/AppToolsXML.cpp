#include "appconfig/AppToolsXML.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../core/AppEmbeddedDocuments.h"
#include "../core/AppSaveFile.h"
#include "AppXmlInternal.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"

namespace {

// Default parse: CDATA, the five predefined entities and character references,
// end-of-line and attribute whitespace normalisation. No DOCTYPE processing,
// so declared entities are never read or expanded.
constexpr unsigned kParseOptions = pugi::parse_default;

std::string& DocumentPath() {
  static std::string path;
  return path;
}

std::string& SchemaPath() {
  static std::string path;
  return path;
}

// The TestHR message with what went wrong added behind it.
[[noreturn]] void ThrowHR(std::int32_t hr, const std::string& detail) {
  APP_THROW("CAppToolsXML Exception hr=0x%08x (%s)", static_cast<unsigned>(hr), detail.c_str());
}

// One read of the whole file into a buffer of its size: descriptions run to
// megabytes, and a stream copy would double the work.
bool ReadFile(const std::string& path, std::string& bytes, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    reason = std::string("The file cannot be opened: ") + std::strerror(errno);
    return false;
  }
  std::string content;
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 && info.st_size > 0) content.resize(static_cast<std::size_t>(info.st_size));
  std::size_t length = std::fread(content.data(), 1, content.size(), file);
  // A file that grew meanwhile, or one whose size is not known, is read on.
  char chunk[65536];
  while (!std::ferror(file) && !std::feof(file)) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
    content.resize(length);
    content.append(chunk, n);
    length += n;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    reason = "The file cannot be read";
    return false;
  }
  content.resize(length);
  bytes = std::move(content);
  return true;
}

// A document's text, read into room that is not cleared first (descriptions
// run to megabytes) and made UTF-8. Text in another encoding is decoded from
// the bytes read; a file that grew while it was read is read the general way.
// Text that is not in its encoding fails with the offset of the first bad
// byte in `badAt` (else -1).
bool ReadDocumentText(const std::string& path, CAppToolsXML::DomDocument& doc, std::string& reason,
                      std::ptrdiff_t& badAt) {
  badAt = -1;
  std::size_t size = 0;
  std::unique_ptr<char[]> bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && info.st_size > 0) {
      size = static_cast<std::size_t>(info.st_size);
      bytes = std::make_unique_for_overwrite<char[]>(size);
      const bool whole = std::fread(bytes.get(), 1, size, file) == size && std::fgetc(file) == EOF && !std::ferror(file);
      if (!whole) bytes.reset();
    }
    std::fclose(file);
  }
  std::size_t skip = 0;
  if (bytes && AppXmlIsUtf8(std::string_view(bytes.get(), size), skip)) {
    const std::size_t bad = AppXmlFindBadUtf8(std::string_view(bytes.get() + skip, size - skip));
    if (bad != std::string_view::npos) {
      reason = AppXmlBadUtf8Reason(std::string_view(bytes.get() + skip, size - skip), bad);
      badAt = static_cast<std::ptrdiff_t>(bad);
      return false;
    }
    if (skip != 0) std::memmove(bytes.get(), bytes.get() + skip, size - skip);
    doc.text = std::move(bytes);
    doc.textSize = size - skip;
    return true;
  }
  std::string text;
  if (bytes) {
    text.assign(bytes.get(), size);
  } else if (!ReadFile(path, text, reason)) {
    return false;
  }
  if (!AppXmlDecodeToUtf8(text, reason)) {
    const std::size_t bad = AppXmlFindBadUtf8(text);
    if (reason.starts_with("Invalid UTF-8") && bad != std::string_view::npos) badAt = static_cast<std::ptrdiff_t>(bad);
    return false;
  }
  doc.text = std::make_unique_for_overwrite<char[]>(text.size());
  std::memcpy(doc.text.get(), text.data(), text.size());
  doc.textSize = text.size();
  return true;
}

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }

bool IsXmlName(const std::string& name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool SameOwner(const std::shared_ptr<CAppToolsXML::DomElement>& a, const std::shared_ptr<CAppToolsXML::DomDocument>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

CAppComPtr<CAppToolsXML::DomElement> MakeElement(const std::shared_ptr<void>& owner, pugi::xml_node node) {
  if (!node) return nullptr;
  return CAppComPtr<CAppToolsXML::DomElement>(std::shared_ptr<CAppToolsXML::DomElement>(
      owner, reinterpret_cast<CAppToolsXML::DomElement*>(node.internal_object())));
}

// Offset of an element's "<", or -1 when the parser cannot tell.
std::ptrdiff_t ElementOffset(const pugi::xml_node& node) {
  const std::ptrdiff_t name = node.offset_debug();
  return name > 0 ? name - 1 : -1;
}

// Records a failed load on the document and throws its parse-error text.
[[noreturn]] void FailLoad(CAppToolsXML::Document& document, const std::string& reason, bool located,
                           std::ptrdiff_t offset) {
  CAppToolsXML::DomDocument& doc = *document.GetPtr();
  doc.error.code = CAppToolsXML::HR_FAIL;
  doc.error.reason = reason;
  doc.error.line = 0;
  doc.error.linePos = 0;
  if (located && offset >= 0) {
    // In-place parsing has rewritten the text; positions are counted on a
    // fresh copy of the file.
    std::string text, ignored;
    if (ReadFile(doc.error.url, text, ignored)) {
      // Text that is not in its encoding is located on its own bytes.
      (void)AppXmlDecodeToUtf8(text, ignored);
      AppXmlLocate(text, static_cast<std::size_t>(offset), doc.error.line, doc.error.linePos);
    }
  }
  doc.doc.reset();
  doc.text.reset();
  doc.textSize = 0;
  APP_THROW("%s", document.GetParseError().c_str());
}

// Indentation grows with the square of the depth: past this depth the file
// is written without it.
constexpr int kMaxIndentedDepth = 64;

bool DeeperThan(const pugi::xml_node& top, int limit) {
  int depth = 0;
  pugi::xml_node node = top.first_child();
  while (node) {
    if (node.first_child()) {
      node = node.first_child();
      if (++depth > limit) return true;
      continue;
    }
    while (node && !node.next_sibling()) {
      node = node.parent();
      --depth;
      if (node == top) return false;
    }
    if (node) node = node.next_sibling();
  }
  return false;
}

// The whole document in memory first: the file is written in one piece.
struct StringWriter : public pugi::xml_writer {
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

}  // namespace

void CAppToolsXML::SetPath(const std::string& path) { DocumentPath() = path; }
const std::string& CAppToolsXML::GetPath() { return DocumentPath(); }
void CAppToolsXML::SetSchemaPath(const std::string& path) { SchemaPath() = path; }
const std::string& CAppToolsXML::GetSchemaPath() { return SchemaPath(); }

void CAppToolsXML::TestHR(std::int32_t hr) {
  if (hr < 0) APP_THROW("CAppToolsXML Exception hr=0x%08x", static_cast<unsigned>(hr));
}

// ---- Element ----

void CAppToolsXML::Element::Attach(CAppComPtr<DomElement> element) { m_ptr = std::move(element); }

void CAppToolsXML::Element::Attach(const CAppComPtr<DomNode>& node) {
  if (!node) APP_THROW("Bad pointer");
  if (AppXmlToPugi(node.Get()).type() != pugi::node_element) TestHR(HR_NOINTERFACE);
  m_ptr.Attach(std::shared_ptr<DomElement>(node.Shared(), reinterpret_cast<DomElement*>(node.Get())));
}

bool CAppToolsXML::Element::Select(const std::string& query, Element& out) const {
  if (!m_ptr) APP_THROW("Bad pointer");
  CAppComPtr<DomElement> found;
  try {
    const pugi::xpath_query compiled(query.c_str());  // throws on a bad query
    const pugi::xpath_node node = compiled.evaluate_node(pugi::xpath_node(AppXmlToPugi(m_ptr.Get())));
    if (!node.attribute() && node.node().type() == pugi::node_element) found = MakeElement(m_ptr.Shared(), node.node());
  } catch (...) {
    // A failed selection is a selection that found nothing.
  }
  out.m_ptr = found;
  return found != nullptr;
}

bool CAppToolsXML::Element::Select(const std::string& query, ListElement& out) const {
  if (!m_ptr) APP_THROW("Bad pointer");
  auto list = std::make_shared<DomNodeList>();
  list->owner = m_ptr.Shared();
  try {
    const pugi::xpath_query compiled(query.c_str());
    list->nodes = compiled.evaluate_node_set(pugi::xpath_node(AppXmlToPugi(m_ptr.Get())));
  } catch (const pugi::xpath_exception& e) {
    ThrowHR(HR_FAIL, CAppTools::Format("XPath \"%s\": %s at offset %d", query.c_str(), e.what(),
                                       static_cast<int>(e.result().offset)));
  }
  list->nodes.sort();  // document order, whatever the axis
  out.Attach(CAppComPtr<DomNodeList>(list));
  return !list->nodes.empty();
}

bool CAppToolsXML::Element::GetAttribut(const std::string& name, CAppVariant& value) const {
  if (!m_ptr) APP_THROW("Bad pointer");
  const pugi::xml_attribute attr = AppXmlToPugi(m_ptr.Get()).attribute(name.c_str());
  if (!attr) {
    value = CAppVariant();
    return false;
  }
  value = CAppVariant(std::string(attr.value()));
  return true;
}

std::string CAppToolsXML::Element::GetName() const {
  if (!m_ptr) APP_THROW("Bad pointer");
  return AppXmlToPugi(m_ptr.Get()).name();
}

bool CAppToolsXML::Element::operator==(int zero) const {
  if (zero != 0) APP_THROW("Only for NULL test");
  return m_ptr == nullptr;
}

bool CAppToolsXML::Element::operator!=(int zero) const { return !(*this == zero); }

// ---- ListElement ----

void CAppToolsXML::ListElement::Attach(CAppComPtr<DomNodeList> list) { m_ptr = std::move(list); }

unsigned CAppToolsXML::ListElement::GetCount() const {
  if (!m_ptr) APP_THROW("Bad pointer");
  return static_cast<unsigned>(m_ptr->nodes.size());
}

void CAppToolsXML::ListElement::GetAt(unsigned index, Element& out) const {
  if (!m_ptr || index >= m_ptr->nodes.size()) APP_THROW("Bad pointer");
  const pugi::xpath_node& node = m_ptr->nodes[index];
  if (node.attribute()) TestHR(HR_NOINTERFACE);
  out.Attach(CAppComPtr<DomNode>(std::shared_ptr<DomNode>(
      m_ptr->owner, reinterpret_cast<DomNode*>(node.node().internal_object()))));
}

// ---- SchemaCollection ----

bool CAppToolsXML::SchemaCollection::Create() {
  try {
    m_ptr.Attach(std::make_shared<DomSchemaCollection>());
    return true;
  } catch (...) {
    return false;
  }
}

bool CAppToolsXML::SchemaCollection::Add(const std::string& namespaceUri, const std::string& name) {
  if (!m_ptr) return false;
  try {
    const std::string path = GetSchemaPath() + name + ".xdr";
    std::string text, reason;
    pugi::xml_document doc;
    AppXdrSchema schema;
    // Without a schema directory, a schema the library carries is read from
    // the library itself.
    const bool embedded = GetSchemaPath().empty() && AppLoadEmbeddedSchema(namespaceUri, text);
    if ((embedded || ReadFile(path, text, reason)) && AppXmlDecodeToUtf8(text, reason)) {
      const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
      if (!parsed) reason = parsed.description();
      else if (AppXdrParse(doc, schema, reason)) {
        m_ptr->byNamespace[namespaceUri] = std::move(schema);
        return true;
      }
    }
    APP_TRACE("Schema \"%s\" not loaded: %s", path.c_str(), reason.c_str());
  } catch (...) {
    // Never throws: the caller only learns that the schema is unusable.
  }
  return false;
}

// ---- Document ----

bool CAppToolsXML::Document::Create(Element& root) {
  m_ptr.Attach(std::make_shared<DomDocument>());
  CreateElement("Description", root, nullptr);
  return true;
}

namespace {

bool HasSchemas(const CAppToolsXML::SchemaCollection* schemas) { return schemas != nullptr && schemas->GetPtr(); }

void Validate(CAppToolsXML::Document& document, const CAppToolsXML::DomSchemaCollection& schemas) {
  pugi::xml_node where;
  std::string reason;
  if (!AppXdrValidate(document.GetPtr()->doc, schemas, where, reason)) {
    FailLoad(document, reason, true, ElementOffset(where));
  }
}

}  // namespace

bool CAppToolsXML::Document::Load(const std::string& name, const SchemaCollection* schemas) {
  auto fresh = std::make_shared<DomDocument>();
  m_ptr.Attach(fresh);
  DomDocument& doc = *fresh;
  doc.error.url = GetPath() + name + ".xml";

  std::string reason;
  std::ptrdiff_t badAt = -1;
  if (!ReadDocumentText(doc.error.url, doc, reason, badAt)) FailLoad(*this, reason, badAt >= 0, badAt);
  const pugi::xml_parse_result parsed =
      doc.doc.load_buffer_inplace(doc.text.get(), doc.textSize, kParseOptions, pugi::encoding_utf8);
  if (!parsed) FailLoad(*this, parsed.description(), true, parsed.offset);

  // pugixml accepts several top-level elements; XML does not.
  pugi::xml_node root = doc.doc.document_element();
  for (pugi::xml_node n = root.next_sibling(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_element) {
      FailLoad(*this, "Only one top level element is allowed in an XML document", true, ElementOffset(n));
    }
  }
  if (HasSchemas(schemas)) Validate(*this, *schemas->GetPtr());
  return true;
}

bool CAppToolsXML::Document::Save(const std::string& name) const {
  if (!m_ptr) APP_THROW("Bad pointer");
  StringWriter writer;
  const unsigned format = DeeperThan(m_ptr->doc, kMaxIndentedDepth) ? pugi::format_raw : pugi::format_default;
  m_ptr->doc.save(writer, "\t", format, pugi::encoding_utf8);
  AppSaveFile(GetPath() + name + ".xml", writer.text);
  return true;
}

void CAppToolsXML::Document::GetRootElt(Element& root) const {
  if (!m_ptr) APP_THROW("Bad pointer");
  root.m_ptr = MakeElement(m_ptr.Shared(), m_ptr->doc.document_element());
}

bool CAppToolsXML::Document::CreateElement(const std::string& name, Element& out, const Element* parent) {
  if (!m_ptr) APP_THROW("Bad pointer");
  if (parent != nullptr && !parent->m_ptr) APP_THROW("Bad pointer");
  if (!IsXmlName(name)) ThrowHR(HR_INVALIDARG, "bad element name \"" + name + "\"");
  pugi::xml_node container = m_ptr->doc;
  if (parent != nullptr) {
    if (!SameOwner(parent->m_ptr.Shared(), m_ptr.Shared())) ThrowHR(HR_INVALIDARG, "the parent belongs to another document");
    container = AppXmlToPugi(parent->m_ptr.Get());
  } else if (m_ptr->doc.document_element()) {
    ThrowHR(HR_FAIL, "Only one top level element is allowed in an XML document");
  }
  const pugi::xml_node node = container.append_child(name.c_str());
  if (!node) TestHR(HR_FAIL);
  out.m_ptr = MakeElement(m_ptr.Shared(), node);
  return true;
}

bool CAppToolsXML::Document::CreateAttribut(const std::string& name, const CAppVariant& value, Element* element) {
  APP_CHECK_POINTER(element);
  if (!m_ptr || !element->m_ptr) APP_THROW("Bad pointer");
  if (!IsXmlName(name)) ThrowHR(HR_INVALIDARG, "bad attribute name \"" + name + "\"");
  if (!SameOwner(element->m_ptr.Shared(), m_ptr.Shared())) ThrowHR(HR_INVALIDARG, "the element belongs to another document");
  const std::string text = value.ToString();
  // What XML cannot carry is refused rather than written into a file that
  // no other reader would take (a NUL would also cut the text short).
  const std::size_t bad = AppXmlFindBadChar(text);
  if (bad != std::string::npos) {
    ThrowHR(HR_INVALIDARG, CAppTools::Format("attribute \"%s\" holds byte 0x%02X at %zu, which XML cannot carry",
                                             name.c_str(), static_cast<unsigned>(static_cast<unsigned char>(text[bad])), bad));
  }
  pugi::xml_node node = AppXmlToPugi(element->m_ptr.Get());
  pugi::xml_attribute attr = node.attribute(name.c_str());
  if (!attr) attr = node.append_attribute(name.c_str());
  if (!attr || !attr.set_value(text.c_str())) TestHR(HR_FAIL);
  return true;
}

std::string CAppToolsXML::Document::GetParseError() const {
  if (!m_ptr) return "Internal Error!";
  const DomDocument::ParseError& e = m_ptr->error;
  if (e.code == 0) return "Unknown Parse Error\n";
  if (e.line < 1) return CAppTools::Format("(%s) %s", e.url.c_str(), e.reason.c_str());
  return CAppTools::Format("Parse Error at Position==>Line %d, Character %d in file \"%s\"\nAssociated Message ==>%s",
                           e.line, e.linePos, e.url.c_str(), e.reason.c_str());
}
