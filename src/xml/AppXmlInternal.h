// What the XML layer's sources share: the parser objects behind the opaque
// handles, text decoding and the XDR validator. Never included outside src/xml.
#pragma once

#include <pugixml.hpp>

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
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
  std::string text;
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

// 1-based line and position in the line (in characters) of a byte offset of
// UTF-8 text.
void AppXmlLocate(const std::string& text, std::size_t offset, int& line, int& linePos);

// The subset of XDR schemas the layer validates against.

// Index of a data type in the validator's type table; 0 is "string", which
// checks nothing.
using AppXdrDataType = unsigned char;

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
};

struct AppXdrSchema {
  std::map<std::string, AppXdrElementType, std::less<>> elementTypes;
};

struct CAppToolsXML::DomSchemaCollection {
  std::map<std::string, AppXdrSchema> byNamespace;
};

// Reads an XDR schema document. False with a reason when it is not one or
// uses what the validator does not support.
bool AppXdrParse(const pugi::xml_document& doc, AppXdrSchema& schema, std::string& reason);

// Validates every element in a namespace of schemas and adds the default
// values of absent attributes. On the first failure returns false with the
// element at fault and the reason.
bool AppXdrValidate(pugi::xml_document& doc, const CAppToolsXML::DomSchemaCollection& schemas,
                    pugi::xml_node& where, std::string& reason);
