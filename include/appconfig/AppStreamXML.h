// Building parameter trees from XML description files.
//
// A description file holds definitions (parameter elements with a Key) and
// "Resources" sections under its root. Load finds a definition by key,
// creates each node through the class registry, lets it read its fields
// through a load record, resolves ParamRef/DummyRef references (in the same
// file or, with File, in another one) and merges the resource sections into
// the resource collection.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsXML.h"

class CAppParam;
class CAppResources;

class CAppStreamXML {
public:
  CAppStreamXML() = delete;

  // Parsed documents of one load, by file name (each file is parsed once).
  using DocumentCache = std::map<std::string, CAppToolsXML::Document>;

  // The tree of definition `key` of `file` (a name without extension, found
  // through the document path); owned by the caller. Null for an empty file
  // name or when the description schema cannot be set up; any other failure
  // throws and leaves nothing behind. With resources, the loaded tree takes
  // the key, the resource sections fill the collection, and tree and
  // collection are checked.
  static std::unique_ptr<CAppParam> Load(const std::string& file, CAppResources* resources,
                                         const std::string& key);

  // One opened description file during one load.
  class LoadStream {
  public:
    // The first stream of a load; cache and schemas must not be null.
    LoadStream(const std::string& file, CAppResources* resources, DocumentCache* cache,
               CAppToolsXML::SchemaCollection* schemas);
    // A stream for a file named by a File reference of `from`.
    LoadStream(const std::string& file, LoadStream* from);
    LoadStream(const LoadStream&) = delete;
    LoadStream& operator=(const LoadStream&) = delete;

    void Load(const std::string& file);
    void LoadResources();
    // Finds the definition of `key` (upper-cased) among the root's children
    // and reads it into `param`.
    void GetParam(CAppParam*& param, const std::string& key);
    void ReadParam(CAppParam*& param, const CAppToolsXML::Element& element);
    void ReadAttribut(CAppParam* param, const CAppToolsXML::Element& element);
    // The file name followed by ".XML", for messages.
    std::string GetFileName() const;

    // Empties the list of open streams, destroying them when `destroy`.
    static void RemoveAll(bool destroy);

  private:
    void Open(const std::string& file);

    CAppToolsXML::Element m_root;
    std::string m_strFile;
    CAppResources* m_pResources = nullptr;
    CAppToolsXML::SchemaCollection* m_pSchemas = nullptr;
    DocumentCache* m_pCache = nullptr;
  };

  // Reads one parameter element's fields through the record protocol.
  class LoadRecord : public CAppRecord {
  public:
    LoadRecord(LoadStream* stream, const CAppToolsXML::Element& element);

    bool IsModeLoad() override { return true; }
    CAppParamGroup::EN_ADD_MODE GetAddMode() override { return m_addMode; }
    bool GetField() override;
    unsigned GetCount() override;
    void Serialize(void* value, unsigned index) override;

    std::string GetFileName() const;
    // The class and key of the parameter being read, for messages.
    void SetContext(const std::string& className, const std::string& key);
    void SetAddMode(CAppParamGroup::EN_ADD_MODE mode) { m_addMode = mode; }

  private:
    enum FieldKind : unsigned { KIND_NONE = 0, KIND_DATA = 100, KIND_PARAM = 101, KIND_LIST = 102, KIND_BITS = 103 };

    [[noreturn]] void ThrowKindMismatch(const char* what);
    void SerializeData(void* value, unsigned index);
    void SerializeBits(void* value);
    void StoreText(void* value, std::uint32_t code, const CAppVariant& text);

    LoadStream* m_pStream;
    CAppToolsXML::Element m_element;
    CAppToolsXML::Element m_field;
    FieldKind m_kind = KIND_NONE;
    CAppToolsXML::ListElement m_entries;
    std::vector<CAppToolsXML::Element> m_named;
    std::map<std::string, std::size_t> m_nameIndex;
    std::vector<std::uint8_t> m_data;
    std::string m_strClass;
    std::string m_strKey;
    CAppParamGroup::EN_ADD_MODE m_addMode = CAppParamGroup::ADD_BY_KEY;
  };
};
