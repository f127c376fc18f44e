// XDR validation over pugixml. Checked: declared element types, required and
// undeclared attributes, enumeration values, the content kind, the closed or
// open model, and the occurrences (and, for order "seq", the order) of the
// child elements of a content model. Not checked: "group" (a schema using it
// is refused), data types other than enumeration, ids and references.
#include "AppXmlInternal.h"

#include <cstring>
#include <sstream>
#include <string_view>

namespace {

const char* LocalName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon != nullptr ? colon + 1 : name;
}

std::string_view Prefix(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon != nullptr ? std::string_view(name, static_cast<std::size_t>(colon - name)) : std::string_view();
}

// A data-type attribute ("dt:type", "dt:values") is prefixed; the plain
// "type" of <element>/<attribute> names a declaration.
const char* DataTypeAttr(const pugi::xml_node& node, const char* local) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    if (std::strchr(a.name(), ':') != nullptr && std::strcmp(LocalName(a.name()), local) == 0) return a.value();
  }
  return nullptr;
}

bool ParseOccurs(const pugi::xml_attribute& attr, unsigned fallback, unsigned& out, std::string& reason) {
  if (!attr) {
    out = fallback;
    return true;
  }
  const std::string text = attr.value();
  if (text == "*") {
    out = UINT_MAX;
    return true;
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
    reason = "Bad occurrence value \"" + text + "\"";
    return false;
  }
  out = static_cast<unsigned>(std::stoul(text));
  return true;
}

bool ParseAttributeType(const pugi::xml_node& node, AppXdrAttribute& out, std::string& reason) {
  out.name = node.attribute("name").value();
  if (out.name.empty()) {
    reason = "AttributeType without a name";
    return false;
  }
  out.required = std::strcmp(node.attribute("required").value(), "yes") == 0;
  if (const pugi::xml_attribute def = node.attribute("default")) {
    out.hasDefault = true;
    out.defaultValue = def.value();
  }
  const char* type = DataTypeAttr(node, "type");
  if (type == nullptr) {
    if (const pugi::xml_node datatype = node.find_child([](const pugi::xml_node& c) {
          return std::strcmp(LocalName(c.name()), "datatype") == 0;
        })) {
      type = DataTypeAttr(datatype, "type");
    }
  }
  if (type != nullptr && std::strcmp(type, "enumeration") == 0) {
    out.isEnumeration = true;
    std::istringstream values(DataTypeAttr(node, "values") != nullptr ? DataTypeAttr(node, "values") : "");
    for (std::string v; values >> v;) out.values.push_back(v);
    if (out.values.empty()) {
      reason = "Enumeration AttributeType \"" + out.name + "\" has no values";
      return false;
    }
  }
  return true;
}

bool ParseElementType(const pugi::xml_node& node, const std::map<std::string, AppXdrAttribute>& globalAttrs,
                      AppXdrElementType& out, std::string& reason) {
  out.name = node.attribute("name").value();
  if (out.name.empty()) {
    reason = "ElementType without a name";
    return false;
  }
  const std::string content = node.attribute("content").as_string("mixed");
  if (content == "empty") out.content = AppXdrElementType::CONTENT_EMPTY;
  else if (content == "textOnly") out.content = AppXdrElementType::CONTENT_TEXT_ONLY;
  else if (content == "eltOnly") out.content = AppXdrElementType::CONTENT_ELT_ONLY;
  else if (content == "mixed") out.content = AppXdrElementType::CONTENT_MIXED;
  else {
    reason = "ElementType \"" + out.name + "\" has a bad content \"" + content + "\"";
    return false;
  }
  const std::string model = node.attribute("model").as_string("open");
  if (model != "open" && model != "closed") {
    reason = "ElementType \"" + out.name + "\" has a bad model \"" + model + "\"";
    return false;
  }
  out.closed = model == "closed";
  const std::string order =
      node.attribute("order").as_string(out.content == AppXdrElementType::CONTENT_ELT_ONLY ? "seq" : "many");
  if (order == "one") out.order = AppXdrElementType::ORDER_ONE;
  else if (order == "seq") out.order = AppXdrElementType::ORDER_SEQ;
  else if (order == "many") out.order = AppXdrElementType::ORDER_MANY;
  else {
    reason = "ElementType \"" + out.name + "\" has a bad order \"" + order + "\"";
    return false;
  }

  std::map<std::string, AppXdrAttribute> localAttrs;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "AttributeType") == 0) {
      AppXdrAttribute attr;
      if (!ParseAttributeType(child, attr, reason)) return false;
      localAttrs[attr.name] = attr;
    }
  }
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string tag = LocalName(child.name());
    if (tag == "attribute") {
      const std::string type = child.attribute("type").value();
      const AppXdrAttribute* decl = nullptr;
      if (const auto local = localAttrs.find(type); local != localAttrs.end()) decl = &local->second;
      else if (const auto global = globalAttrs.find(type); global != globalAttrs.end()) decl = &global->second;
      if (decl == nullptr) {
        reason = "ElementType \"" + out.name + "\" uses undeclared attribute \"" + type + "\"";
        return false;
      }
      AppXdrAttribute attr = *decl;
      if (const pugi::xml_attribute req = child.attribute("required")) attr.required = std::strcmp(req.value(), "yes") == 0;
      if (const pugi::xml_attribute def = child.attribute("default")) {
        attr.hasDefault = true;
        attr.defaultValue = def.value();
      }
      out.attributes.push_back(attr);
    } else if (tag == "element") {
      AppXdrElementRef ref;
      ref.type = child.attribute("type").value();
      if (ref.type.empty()) {
        reason = "ElementType \"" + out.name + "\" has an element without type";
        return false;
      }
      if (!ParseOccurs(child.attribute("minOccurs"), 1, ref.minOccurs, reason) ||
          !ParseOccurs(child.attribute("maxOccurs"), 1, ref.maxOccurs, reason)) {
        return false;
      }
      out.elements.push_back(ref);
    } else if (tag == "group") {
      reason = "ElementType \"" + out.name + "\" uses <group>, which is not supported";
      return false;
    }
    // description, datatype: nothing to check
  }
  return true;
}

class Validator {
public:
  Validator(const CAppToolsXML::DomSchemaCollection& schemas) : m_schemas(schemas) {}

  bool Run(pugi::xml_document& doc, pugi::xml_node& where, std::string& reason) {
    // Iterative walk: a deeply nested document must not exhaust the stack.
    struct Frame {
      pugi::xml_node node;
      std::size_t scopeSize;
      bool openParent;  // the parent lets undeclared elements through
    };
    std::vector<Frame> stack;
    for (pugi::xml_node n = doc.last_child(); n; n = n.previous_sibling()) {
      if (n.type() == pugi::node_element) stack.push_back({n, 0, false});
    }
    while (!stack.empty()) {
      const Frame frame = stack.back();
      stack.pop_back();
      m_scope.resize(frame.scopeSize);
      pugi::xml_node node = frame.node;
      for (const pugi::xml_attribute& a : node.attributes()) {
        const char* name = a.name();
        if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0) continue;
        if (name[5] == '\0') Declare("", a.value());
        else if (name[5] == ':') Declare(name + 6, a.value());
      }
      const AppXdrSchema* schema = SchemaOf(node.name());
      bool descend = true;
      bool open = true;
      if (schema != nullptr) {
        const auto type = schema->elementTypes.find(LocalName(node.name()));
        if (type == schema->elementTypes.end()) {
          // Open content may hold elements the schema does not know; they are
          // left unchecked, with their subtree.
          if (!frame.openParent) {
            where = node;
            reason = "Element '" + std::string(node.name()) + "' is not declared in the schema \"" +
                     NamespaceOf(node.name()) + "\"";
            return false;
          }
          descend = false;
        } else if (!CheckElement(node, *schema, type->second, reason)) {
          where = node;
          return false;
        } else {
          open = !type->second.closed;
        }
      }
      if (!descend) continue;
      const std::size_t scopeSize = m_scope.size();
      for (pugi::xml_node c = node.last_child(); c; c = c.previous_sibling()) {
        if (c.type() == pugi::node_element) stack.push_back({c, scopeSize, open});
      }
    }
    return true;
  }

private:
  struct Binding {
    std::string prefix;
    std::string uri;
    const AppXdrSchema* schema;  // resolved once, where the prefix is declared
  };

  void Declare(const char* prefix, const char* uri) {
    const auto found = m_schemas.byNamespace.find(uri);
    m_scope.push_back({prefix, uri, found != m_schemas.byNamespace.end() ? &found->second : nullptr});
  }

  const Binding* BindingOf(const char* qname) const {
    const std::string_view prefix = Prefix(qname);
    for (auto it = m_scope.rbegin(); it != m_scope.rend(); ++it) {
      if (it->prefix == prefix) return &*it;
    }
    return nullptr;
  }

  std::string NamespaceOf(const char* qname) const {
    const Binding* binding = BindingOf(qname);
    return binding != nullptr ? binding->uri : std::string();
  }

  const AppXdrSchema* SchemaOf(const char* qname) const {
    const Binding* binding = BindingOf(qname);
    if (binding != nullptr) return binding->schema;
    // No declaration in scope: the empty namespace, which a collection may
    // also hold.
    const auto found = m_schemas.byNamespace.find(std::string());
    return found != m_schemas.byNamespace.end() ? &found->second : nullptr;
  }

  bool CheckElement(pugi::xml_node& node, const AppXdrSchema& schema, const AppXdrElementType& type,
                    std::string& reason) {
    // Messages are built only on failure: this runs once per element.
    const auto who = [&] { return "Element '" + std::string(node.name()) + "'"; };
    // Attributes.
    for (const AppXdrAttribute& decl : type.attributes) {
      pugi::xml_attribute attr = node.attribute(decl.name.c_str());
      if (!attr) {
        if (decl.required) {
          reason = who() + ": required attribute '" + decl.name + "' is missing";
          return false;
        }
        if (decl.hasDefault) node.append_attribute(decl.name.c_str()).set_value(decl.defaultValue.c_str());
        continue;
      }
      if (decl.isEnumeration) {
        bool ok = false;
        for (const std::string& v : decl.values) ok = ok || v == attr.value();
        if (!ok) {
          std::string list;
          for (const std::string& v : decl.values) list += (list.empty() ? "" : " ") + v;
          reason = who() + ": attribute '" + decl.name + "' has the value \"" + attr.value() +
                   "\", which is not one of: " + list;
          return false;
        }
      }
    }
    if (type.closed) {
      for (const pugi::xml_attribute& a : node.attributes()) {
        if (std::strchr(a.name(), ':') != nullptr || std::strcmp(a.name(), "xmlns") == 0) continue;
        bool declared = false;
        for (const AppXdrAttribute& decl : type.attributes) declared = declared || decl.name == a.name();
        if (!declared) {
          reason = who() + ": attribute '" + a.name() + "' is not declared and the model is closed";
          return false;
        }
      }
    }

    // Content kind.
    std::vector<pugi::xml_node>& children = m_children;
    children.clear();
    bool hasText = false;
    for (const pugi::xml_node& c : node.children()) {
      if (c.type() == pugi::node_element) children.push_back(c);
      else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) hasText = true;
    }
    if (type.content == AppXdrElementType::CONTENT_EMPTY && (hasText || !children.empty())) {
      reason = who() + " must be empty";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_TEXT_ONLY && !children.empty()) {
      reason = who() + " may hold text only, not the element '" + children.front().name() + "'";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_ELT_ONLY && hasText) {
      reason = who() + " may hold elements only, not text";
      return false;
    }

    // Child elements against the content model.
    std::vector<unsigned>& counts = m_counts;
    counts.assign(type.elements.size(), 0);
    std::size_t seqPos = 0;
    for (const pugi::xml_node& c : children) {
      const std::string_view local = LocalName(c.name());
      std::size_t idx = type.elements.size();
      if (SchemaOf(c.name()) == &schema) {
        for (std::size_t i = 0; i < type.elements.size(); ++i) {
          if (type.elements[i].type == local) idx = i;
        }
      }
      if (idx == type.elements.size()) {
        if (type.closed) {
          reason = who() + ": child element '" + c.name() + "' is not allowed by the closed model";
          return false;
        }
        continue;
      }
      if (type.order == AppXdrElementType::ORDER_SEQ) {
        if (idx < seqPos) {
          reason = who() + ": child element '" + c.name() + "' is out of order";
          return false;
        }
        seqPos = idx;
      }
      if (++counts[idx] > type.elements[idx].maxOccurs) {
        reason = who() + ": child element '" + c.name() + "' occurs more than " +
                 std::to_string(type.elements[idx].maxOccurs) + " time(s)";
        return false;
      }
    }
    std::size_t kinds = 0;
    for (unsigned n : counts) kinds += n != 0 ? 1 : 0;
    if (type.order == AppXdrElementType::ORDER_ONE) {
      if (kinds > 1) {
        reason = who() + ": only one kind of child element is allowed";
        return false;
      }
      if (kinds == 0 && !type.elements.empty()) {
        bool optional = false;
        for (const AppXdrElementRef& ref : type.elements) optional = optional || ref.minOccurs == 0;
        if (!optional) {
          reason = who() + ": one child element of the content model is required";
          return false;
        }
      }
      return true;
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] < type.elements[i].minOccurs) {
        reason = who() + ": child element '" + type.elements[i].type + "' is required " +
                 std::to_string(type.elements[i].minOccurs) + " time(s), found " + std::to_string(counts[i]);
        return false;
      }
    }
    return true;
  }

  const CAppToolsXML::DomSchemaCollection& m_schemas;
  std::vector<Binding> m_scope;  // innermost last
  std::vector<pugi::xml_node> m_children;                    // scratch of CheckElement
  std::vector<unsigned> m_counts;
};

}  // namespace

bool AppXdrParse(const pugi::xml_document& doc, AppXdrSchema& schema, std::string& reason) {
  const pugi::xml_node root = doc.document_element();
  if (!root || std::strcmp(LocalName(root.name()), "Schema") != 0) {
    reason = "The root element is not <Schema>";
    return false;
  }
  std::map<std::string, AppXdrAttribute> globalAttrs;
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "AttributeType") == 0) {
      AppXdrAttribute attr;
      if (!ParseAttributeType(child, attr, reason)) return false;
      globalAttrs[attr.name] = attr;
    }
  }
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "ElementType") == 0) {
      AppXdrElementType type;
      if (!ParseElementType(child, globalAttrs, type, reason)) return false;
      schema.elementTypes[type.name] = type;
    }
  }
  for (const auto& [name, type] : schema.elementTypes) {
    for (const AppXdrElementRef& ref : type.elements) {
      if (schema.elementTypes.count(ref.type) == 0) {
        reason = "ElementType \"" + name + "\" refers to undeclared element \"" + ref.type + "\"";
        return false;
      }
    }
  }
  return true;
}

bool AppXdrValidate(pugi::xml_document& doc, const CAppToolsXML::DomSchemaCollection& schemas,
                    pugi::xml_node& where, std::string& reason) {
  if (schemas.byNamespace.empty()) return true;
  return Validator(schemas).Run(doc, where, reason);
}
