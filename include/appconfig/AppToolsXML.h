// The XML layer: documents, elements, node lists and schema collections. The
// description loader and the XML saver touch XML through nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "appconfig/AppVariant.h"

// A counted reference to a parser object. Copies share the object and the last
// reference releases it. A reference to a node also holds its document, so a
// node stays valid as long as any Element refers to it, even after the
// Document value that loaded it is gone.
template <class T>
class CAppComPtr {
public:
  CAppComPtr() = default;
  CAppComPtr(std::nullptr_t) {}
  explicit CAppComPtr(std::shared_ptr<T> p) : m_p(std::move(p)) {}

  void Attach(std::shared_ptr<T> p) { m_p = std::move(p); }
  std::shared_ptr<T> Detach() { return std::exchange(m_p, nullptr); }

  T* Get() const { return m_p.get(); }
  T* operator->() const { return m_p.get(); }
  T& operator*() const { return *m_p; }
  const std::shared_ptr<T>& Shared() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  friend bool operator==(const CAppComPtr& a, std::nullptr_t) { return a.m_p == nullptr; }
  // Same object (for nodes: the same node of the same document).
  friend bool operator==(const CAppComPtr& a, const CAppComPtr& b) { return a.m_p == b.m_p; }

private:
  std::shared_ptr<T> m_p;
};

class CAppToolsXML {
public:
  CAppToolsXML() = delete;

  // Parser objects, opaque outside the layer's own sources.
  struct DomDocument;
  struct DomNode;
  struct DomElement;
  struct DomNodeList;
  struct DomSchemaCollection;

  // Failure codes the layer reports through TestHR (platform numbering).
  static constexpr std::int32_t HR_NOINTERFACE = static_cast<std::int32_t>(0x80004002u);
  static constexpr std::int32_t HR_FAIL = static_cast<std::int32_t>(0x80004005u);
  static constexpr std::int32_t HR_INVALIDARG = static_cast<std::int32_t>(0x80070057u);

  // Prefixes put in front of document names (Load, Save) and schema names
  // (SchemaCollection::Add), joined without a separator.
  static void SetPath(const std::string& path);
  static const std::string& GetPath();
  static void SetSchemaPath(const std::string& path);
  static const std::string& GetSchemaPath();

  // Throws "CAppToolsXML Exception hr=0x%08x" when hr is a failure code
  // (negative); does nothing otherwise.
  static void TestHR(std::int32_t hr);

  class ListElement;
  class Document;

  // One element node, or the null element.
  class Element {
  public:
    Element() = default;

    // Takes the reference unchanged; a null reference gives the null element.
    void Attach(CAppComPtr<DomElement> element);
    // The node must not be null ("Bad pointer") and must be an element
    // (TestHR with HR_NOINTERFACE otherwise).
    void Attach(const CAppComPtr<DomNode>& node);
    const CAppComPtr<DomElement>& GetPtr() const { return m_ptr; }

    // XPath single-node selection relative to this element. False, with out
    // made null, when nothing matches or the query fails in any way (a bad
    // expression, a result that is not an element): never throws for that.
    bool Select(const std::string& query, Element& out) const;
    // XPath multi-node selection; a bad expression throws. True when the list
    // holds at least one node.
    bool Select(const std::string& query, ListElement& out) const;

    // The attribute's text; false (value empty) when the attribute is absent.
    bool GetAttribut(const std::string& name, CAppVariant& value) const;
    std::string GetName() const;

    // Null tests only: `element == 0` is true for the null element. Any other
    // number throws "Only for NULL test".
    bool operator==(int zero) const;
    bool operator!=(int zero) const;

  private:
    friend class Document;
    CAppComPtr<DomElement> m_ptr;
  };

  // The nodes of a multi-node selection, in document order.
  class ListElement {
  public:
    ListElement() = default;
    void Attach(CAppComPtr<DomNodeList> list);
    const CAppComPtr<DomNodeList>& GetPtr() const { return m_ptr; }

    unsigned GetCount() const;
    // An index at or past the end throws "Bad pointer"; a node that is not an
    // element fails with HR_NOINTERFACE.
    void GetAt(unsigned index, Element& out) const;

  private:
    CAppComPtr<DomNodeList> m_ptr;
  };

  // Schemas that loaded documents are validated against, by namespace.
  class SchemaCollection {
  public:
    SchemaCollection() = default;
    // Never throw: false on failure (Add also traces the reason to the
    // debug logger).
    bool Create();
    // Loads schema path + name + ".xdr" under namespaceUri; replaces an
    // earlier schema of the same namespace. While no schema path is set, the
    // schema of a namespace the library carries ("QXE-kvrDescription") is
    // its own built-in copy, whatever the name.
    bool Add(const std::string& namespaceUri, const std::string& name);
    const CAppComPtr<DomSchemaCollection>& GetPtr() const { return m_ptr; }

  private:
    CAppComPtr<DomSchemaCollection> m_ptr;
  };

  class Document {
  public:
    Document() = default;

    // A new document whose root element "Description" is returned in root.
    bool Create(Element& root);
    // Parses document path + name + ".xml" into a new document. Elements in
    // a namespace of schemas are validated against that schema. Any failure
    // throws the text of GetParseError(). The file's encoding comes from its
    // byte-order mark or its declaration (UTF-8, UTF-16, ISO-8859-1,
    // windows-1252); texts are UTF-8 inside the library. A DOCTYPE is skipped:
    // entities declared there are never read nor expanded, so their
    // references stay as literal text.
    bool Load(const std::string& name, const SchemaCollection* schemas);
    // Writes document path + name + ".xml" (UTF-8) through a temporary file of
    // the same folder renamed over the target once complete; on failure the
    // previous file is left as it was.
    bool Save(const std::string& name) const;

    // The document element; root is null when the document has none.
    void GetRootElt(Element& root) const;
    // Appends a new element to parent, or to the document when parent is null.
    bool CreateElement(const std::string& name, Element& out, const Element* parent);
    // Sets the attribute (replacing one of the same name) to value's text.
    bool CreateAttribut(const std::string& name, const CAppVariant& value, Element* element);

    // The last parse error of this document (see the implementation for the
    // forms); "Internal Error!" when there is no document.
    std::string GetParseError() const;

    const CAppComPtr<DomDocument>& GetPtr() const { return m_ptr; }

  private:
    CAppComPtr<DomDocument> m_ptr;
  };
};
