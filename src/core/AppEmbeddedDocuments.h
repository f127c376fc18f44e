// The documents compiled into the library (src/CMakeLists.txt names the
// files), read by id with CAppTools::LoadXML: no file is looked up at run
// time.
#pragma once

#include <cstddef>
#include <string>

// Ids of the documents; src/CMakeLists.txt gives each file the same number.
enum : unsigned {
  APP_XML_DESCRIPTION_SCHEMA = 13700,  // schemas/Description.xdr
};

struct AppEmbeddedDocument {
  unsigned id;
  const char* bytes;
  std::size_t size;
};

// The generated table.
extern const AppEmbeddedDocument kAppEmbeddedDocuments[];
extern const std::size_t kAppEmbeddedDocumentCount;

// The text of the schema the library carries for a namespace; false, and
// `text` unchanged, for any other namespace.
bool AppLoadEmbeddedSchema(const std::string& namespaceUri, std::string& text);
