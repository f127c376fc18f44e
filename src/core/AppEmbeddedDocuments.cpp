#include "core/AppEmbeddedDocuments.h"

#include "appconfig/AppTools.h"

namespace {

struct EmbeddedSchema {
  const char* namespaceUri;
  unsigned id;
};

constexpr EmbeddedSchema kSchemas[] = {
    {"QXE-kvrDescription", APP_XML_DESCRIPTION_SCHEMA},
};

}  // namespace

bool AppLoadEmbeddedSchema(const std::string& namespaceUri, std::string& text) {
  for (const EmbeddedSchema& schema : kSchemas) {
    if (namespaceUri == schema.namespaceUri) return CAppTools::LoadXML(schema.id, text);
  }
  return false;
}
