// What the XML layer's sources share: the parser objects behind the opaque
// handles, text decoding and the XDR validator. Never included outside src/xml.
#pragma once

#include <pugixml.hpp>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "appconfig/AppToolsXML.h"

struct CAppToolsXML::DomDocument {
  struct ParseError {
    std::int32_t code = 0;  // 0: no error recorded
    int line = 0;           // < 1: no position
    int linePos = 0;
    std::string url;
    std::string reason;
  };

  // The parsed text: pugixml parses in place and keeps pointers into it, so
  // it is declared before (and outlives) the document.
  std::unique_ptr<char[]> text;
  std::size_t textSize = 0;
  pugi::xml_document doc;
  ParseError error;
};

struct CAppToolsXML::DomNodeList {
  std::shared_ptr<void> owner;  // keeps the document of the nodes alive
  pugi::xpath_node_set nodes;
};

// The node handles are pugixml's own node pointers under our opaque names.
inline pugi::xml_node AppXmlToPugi(const CAppToolsXML::DomElement* p) {
  return pugi::xml_node(reinterpret_cast<pugi::xml_node_struct*>(const_cast<CAppToolsXML::DomElement*>(p)));
}
inline pugi::xml_node AppXmlToPugi(const CAppToolsXML::DomNode* p) {
  return pugi::xml_node(reinterpret_cast<pugi::xml_node_struct*>(const_cast<CAppToolsXML::DomNode*>(p)));
}

// Turns the bytes of an XML file into UTF-8, in place, from its byte-order mark
// or its declared encoding. False with a reason when the encoding is not
// supported or the bytes do not follow it.
bool AppXmlDecodeToUtf8(std::string& bytes, std::string& reason);

// Whether the bytes of an XML file are UTF-8 already, as AppXmlDecodeToUtf8
// would leave them, apart from the `skip` bytes of a byte-order mark.
bool AppXmlIsUtf8(std::string_view bytes, std::size_t& skip);

// The offset of the first byte of `text` that does not begin a well-formed
// UTF-8 character; npos when there is none.
std::size_t AppXmlFindBadUtf8(std::string_view text);
// The reason given for the byte at `offset` of `text` that AppXmlFindBadUtf8
// found.
std::string AppXmlBadUtf8Reason(std::string_view text, std::size_t offset);
// The offset of the first character XML 1.0 cannot carry: a byte that does
// not begin a well-formed UTF-8 character, a control character other than
// tab, line feed and carriage return (NUL included), U+FFFE or U+FFFF;
// npos when there is none.
std::size_t AppXmlFindBadChar(std::string_view text);

// 1-based line and position in the line (in characters) of a byte offset of
// UTF-8 text.
void AppXmlLocate(const std::string& text, std::size_t offset, int& line, int& linePos);

// The subset of XDR schemas the layer validates against.

// Index of a data type in the validator's type table; 0 is "string", which
// checks nothing.
using AppXdrDataType = unsigned char;

// The slot arithmetic of the validator's two open-addressing tables: a
// power-of-two table at most half full, Fibonacci hashing, linear probing.
struct AppXdrSlots {
  // Sizes the table for `entries`; returns its number of slots.
  std::size_t Fit(std::size_t entries) {
    std::size_t size = 4;
    unsigned bits = 2;
    while (size < entries * 2) {
      size *= 2;
      ++bits;
    }
    mask = static_cast<std::uint32_t>(size - 1);
    shift = 32 - bits;
    return size;
  }
  std::uint32_t Home(std::uint32_t key) const { return ((key * 2654435761u) >> shift) & mask; }
  std::uint32_t Next(std::uint32_t slot) const { return (slot + 1) & mask; }

  std::uint32_t mask = 0;
  unsigned shift = 31;
};

// Names to small indices, for the validator's lookups of element and
// attribute names in the document. The first four bytes of a name (fewer
// when it is shorter, with its end) select the slot and are compared as one
// word; only the bytes after them are compared one by one, and a name is
// read no further than its end. The names are copied in, so a table may be
// moved freely.
class AppXdrNameTable {
public:
  // Index i is names[i]; a repeated name keeps its first index, an empty
  // one is left out.
  void Build(const std::vector<std::string>& names);
  // The index of the name, or -1.
  int Find(const char* name) const {
    const std::uint32_t head = Head(name);
    for (std::uint32_t i = m_hash.Home(head);; i = m_hash.Next(i)) {
      const Slot& slot = m_slots[i];
      if (slot.index < 0) return -1;
      if (slot.head == head && SameTail(slot, name)) return slot.index;
    }
  }

private:
  struct Slot {
    std::uint32_t head = 0;
    std::uint32_t length = 0;
    std::uint32_t offset = 0;  // in m_chars
    int index = -1;            // -1: free
  };
  static std::uint32_t Head(const char* name) {
    std::uint32_t head = static_cast<unsigned char>(name[0]);
    if (head == 0) return head;
    std::uint32_t c = static_cast<unsigned char>(name[1]);
    head |= c << 8;
    if (c == 0) return head;
    c = static_cast<unsigned char>(name[2]);
    head |= c << 16;
    if (c == 0) return head;
    return head | static_cast<std::uint32_t>(static_cast<unsigned char>(name[3])) << 24;
  }
  // The heads are equal: a name of fewer than four bytes is equal with its
  // end; a longer one has its four first bytes equal and not nul.
  bool SameTail(const Slot& slot, const char* name) const {
    if (slot.length < 4) return true;
    const char* known = m_chars.data() + slot.offset;
    for (std::uint32_t i = 4; i < slot.length; ++i) {
      if (name[i] != known[i]) return false;
    }
    return name[slot.length] == '\0';
  }
  std::vector<Slot> m_slots{Slot()};
  AppXdrSlots m_hash;
  std::string m_chars;
};

// Small non-negative integers to small indices (an element type's position
// in a content model), open addressing.
class AppXdrIndexMap {
public:
  void Build(const std::vector<std::pair<unsigned, unsigned>>& pairs);  // a repeated key keeps its last value
  // The value of the key, or -1.
  int Find(unsigned key) const {
    for (std::uint32_t i = m_hash.Home(key);; i = m_hash.Next(i)) {
      const Slot& slot = m_slots[i];
      if (slot.value < 0) return -1;
      if (slot.key == key) return slot.value;
    }
  }

private:
  struct Slot {
    unsigned key = 0;
    int value = -1;  // -1: free
  };
  std::vector<Slot> m_slots{Slot()};
  AppXdrSlots m_hash;
};

struct AppXdrAttribute {
  std::string name;
  bool required = false;
  bool hasDefault = false;
  std::string defaultValue;
  AppXdrDataType dataType = 0;
  bool isEnumeration = false;
  std::vector<std::string> values;
};

struct AppXdrElementRef {
  std::string type;
  unsigned minOccurs = 1;
  unsigned maxOccurs = 1;  // UINT_MAX for "*"
};

// One node of a content model that uses groups: an element reference or a
// group. The particles of a type live in one vector; particle 0 is the
// type's own content (a group with the type's order, occurring once).
struct AppXdrParticle {
  enum Order { ORDER_ONE, ORDER_SEQ, ORDER_MANY };
  bool isGroup = false;
  Order order = ORDER_SEQ;         // groups only
  unsigned symbol = 0;             // elements only: index in the type's symbols
  unsigned minOccurs = 1;
  unsigned maxOccurs = 1;          // UINT_MAX for "*"
  std::vector<unsigned> items;     // groups only: indices of the particles inside
  bool bodyNullable = false;       // one occurrence may be empty
  std::vector<std::uint64_t> first;  // bit set of the symbols an occurrence may start with
};

struct AppXdrElementType {
  enum Content { CONTENT_EMPTY, CONTENT_TEXT_ONLY, CONTENT_ELT_ONLY, CONTENT_MIXED };
  enum Order { ORDER_ONE, ORDER_SEQ, ORDER_MANY };
  std::string name;
  Content content = CONTENT_MIXED;
  Order order = ORDER_MANY;
  bool closed = false;
  AppXdrAttribute text;  // the data type of the text; name unused
  // Without groups the content model is the flat list "elements"; with
  // groups it is the particle tree and "symbols" names its element types.
  std::vector<AppXdrElementRef> elements;
  std::vector<AppXdrParticle> particles;
  std::vector<std::string> symbols;
  std::vector<AppXdrAttribute> attributes;

  // Compiled once the schema is read, for the validator.
  // The attribute names, each once: a document attribute's name finds its
  // slot; nameSlot gives the slot of each declaration.
  AppXdrNameTable attributeNames;
  std::vector<unsigned> nameSlot;
  unsigned slots = 0;
  // The declarations that are required, have a default or a data type, the
  // only ones gone through for each element.
  std::vector<unsigned> checked;
  // Index of an element type in the schema to its position in "elements"
  // (or in "symbols" for a model with groups).
  AppXdrIndexMap childPosition;
  bool anyOptional = false;  // some entry of "elements" has minOccurs 0
  // The occurrences of the flat model are counted only when they may fail:
  // order "one", or some entry with a minimum or a maximum.
  bool countsChildren = false;
  bool anyMinimum = false;  // some entry of "elements" has minOccurs above 0
};

struct AppXdrSchema {
  std::vector<AppXdrElementType> types;  // by name
  AppXdrNameTable typeNames;             // local name to index in types
  AppXdrNameTable plainNames;            // the same without the names that hold a ':', for names without prefix

  unsigned maxSlots = 0;                 // the most attribute names of a type
};

struct CAppToolsXML::DomSchemaCollection {
  std::map<std::string, AppXdrSchema, std::less<>> byNamespace;
};

// Reads an XDR schema document. False with a reason when it is not one or
// uses what the validator does not support.
bool AppXdrParse(const pugi::xml_document& doc, AppXdrSchema& schema, std::string& reason);

// Validates every element in a namespace of schemas and adds the default
// values of absent attributes. On the first failure returns false with the
// element at fault and the reason.
bool AppXdrValidate(pugi::xml_document& doc, const CAppToolsXML::DomSchemaCollection& schemas,
                    pugi::xml_node& where, std::string& reason);
