// Building parameter trees from XML description files.
//
// A description file holds definitions (parameter elements with a Key) and
// "Resources" sections under its root. Load finds a definition by key,
// creates each node through the class registry, lets it read its fields
// through a load record, resolves ParamRef/DummyRef references (in the same
// file or, with File, in another one) and merges the resource sections into
// the resource collection.
//
// Save writes a tree, with its current values, in the same vocabulary: one
// "Param" element per node (Type = class alias, Key), one field element per
// field the node visits, and the children of a group as nested "Param"
// elements, so that Load reads the tree back under its key.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsXML.h"

class CAppParam;
class CAppResources;
struct CAppRuntimeClass;

class CAppStreamXML {
public:
  CAppStreamXML() = delete;

  // Deepest nesting of parameter elements (references included) that Load
  // follows; Save refuses deeper trees, so every saved file loads back.
  static constexpr unsigned MAX_DEPTH = 256;

  // A parsed description and, built on first use, the index of its
  // definitions by their Key text (the first of equal keys wins, as the key
  // query would answer), so a lookup does not scan the document. Nodes are
  // borrowed from the document, which the load keeps until it ends.
  // What reading a definition's element gave the fields its class visited,
  // kept once a second reference reads it, so that further references
  // replay it instead of reading the element again.
  class LoadStream;
  struct DefinitionReplay;
  struct DefinitionReplayDeleter {
    void operator()(DefinitionReplay* replay) const;
  };
  struct Definition {
    const CAppToolsXML::DomElement* element = nullptr;
    unsigned reads = 0;
    std::unique_ptr<DefinitionReplay, DefinitionReplayDeleter> replay;
  };
  struct CachedDocument {
    CAppToolsXML::Document document;
    std::unordered_map<std::string, Definition> definitions;
    bool indexed = false;
  };

  // What one load shares between its streams and records: each file is
  // parsed once, each Type text is resolved to its class once, and the
  // named field elements of the records being read live on one stack.
  struct LoadContext {
    struct NamedField {
      const char* name;
      std::size_t length;
      const CAppToolsXML::DomElement* element;
    };
    std::map<std::string, CachedDocument> documents;
    std::vector<std::pair<std::string, const CAppRuntimeClass*>> classesByType;
    std::vector<std::pair<std::string, const CAppRuntimeClass*>> classesByName;
    std::vector<NamedField> namedFields;
    std::vector<const CAppToolsXML::DomElement*> entries;
    // With `validateAside`, a large file is validated on another thread
    // while its tree is read, and its resource sections wait for the outcome:
    // the streams of such files read since the last LoadStream::
    // ConfirmDocuments, in the order they were read. Whoever sets it must
    // confirm before trusting the tree; without it, files are validated and
    // their resources loaded as they are read.
    bool validateAside = false;
    std::vector<LoadStream*> unconfirmed;
  };

  // The tree of definition `key` of `file` (a name without extension, found
  // through the document path); owned by the caller. Null for an empty file
  // name or when the description schema cannot be set up; any other failure
  // throws and leaves nothing behind. With resources, the loaded tree takes
  // the key, the resource sections fill the collection, and tree and
  // collection are checked.
  static std::unique_ptr<CAppParam> Load(const std::string& file, CAppResources* resources,
                                         const std::string& key);

  // Loads only the resource sections of `file` into the resources; false
  // when the description schema cannot be set up.
  static bool LoadResources(const std::string& file, CAppResources* resources);

  // One opened description file during one load.
  class LoadStream {
  public:
    // The first stream of a load; context and schemas must not be null.
    LoadStream(const std::string& file, CAppResources* resources, LoadContext* context,
               CAppToolsXML::SchemaCollection* schemas);
    // A stream for a file named by a File reference of `from`.
    LoadStream(const std::string& file, LoadStream* from);
    LoadStream(const LoadStream&) = delete;
    LoadStream& operator=(const LoadStream&) = delete;

    // Reads the file (once per load) and its resource sections.
    void Load(const std::string& file);
    void LoadResources();
    // Waits for the validation of each file read since the last call, in the
    // order they were read, and loads the resource sections of each; throws
    // the first failure, which is what reading them one after the other
    // would have thrown first.
    static void ConfirmDocuments(LoadContext& context);
    // Finds the definition of `key` (upper-cased) among the root's children
    // and reads it into `param`.
    void GetParam(CAppParam*& param, const std::string& key);
    void ReadParam(CAppParam*& param, const CAppToolsXML::Element& element);
    void ReadParam(CAppParam*& param, const CAppToolsXML::DomElement* element);
    void ReadAttribut(CAppParam* param, const CAppToolsXML::Element& element);
    // The file name followed by ".XML", for messages.
    std::string GetFileName() const;
    LoadContext& GetContext() { return *m_pContext; }

    // Empties the list of open streams, destroying them when `destroy`.
    static void RemoveAll(bool destroy);

  private:
    void Open(const std::string& file);
    // Load without the wait: the file joins the context's unconfirmed ones.
    void Read(const std::string& file);
    // Reads the element; a definition read by key counts its reads, records
    // the second one and replays the record for the next ones.
    void ReadElement(CAppParam*& param, const CAppToolsXML::DomElement* element, Definition* definition);
    bool Replay(CAppParam*& param, Definition* definition);
    CAppParam* CreateTyped(const char* type);
    CAppParam* CreateNamed(const char* className);

    const CAppToolsXML::DomElement* m_root = nullptr;
    CachedDocument* m_pDocument = nullptr;
    std::string m_strFile;
    CAppResources* m_pResources = nullptr;
    CAppToolsXML::SchemaCollection* m_pSchemas = nullptr;
    LoadContext* m_pContext = nullptr;
  };

  // Reads one parameter element's fields through the record protocol.
  class LoadRecord : public CAppRecord {
  public:
    LoadRecord(LoadStream* stream, const CAppToolsXML::Element& element);
    LoadRecord(LoadStream* stream, const CAppToolsXML::DomElement* element);
    ~LoadRecord() override;
    LoadRecord(const LoadRecord&) = delete;
    LoadRecord& operator=(const LoadRecord&) = delete;

    bool IsModeLoad() override { return true; }
    CAppParamGroup::EN_ADD_MODE GetAddMode() override { return m_addMode; }
    bool GetField() override;
    unsigned GetCount() override;
    void Serialize(void* value, unsigned index) override;

    std::string GetFileName() const;
    // The class and key of the parameter being read, for messages. The
    // texts are borrowed and must outlive the record; with a parameter, its
    // class name is asked only when a message needs it.
    void SetContext(const char* className, const char* key);
    void SetContext(const CAppParam* param, const char* key);
    void SetAddMode(CAppParamGroup::EN_ADD_MODE mode) { m_addMode = mode; }
    // From now on, what each field visited gives is kept in `replay`.
    void StartRecording(DefinitionReplay* replay) { m_pRecording = replay; }

  private:
    enum FieldKind : unsigned { KIND_NONE = 0, KIND_DATA = 100, KIND_PARAM = 101, KIND_LIST = 102, KIND_BITS = 103 };

    bool LocateField();
    unsigned CountEntries();
    void Transfer(void* value, unsigned index);
    void RecordField(bool found);
    void RecordCount(unsigned count);
    void RecordValue(const void* value, unsigned index);
    bool FindNamed(std::string_view name);
    bool StartField();
    [[noreturn]] void ThrowKindMismatch(const char* what);
    const CAppToolsXML::DomElement* GetEntry(unsigned index);
    void SerializeData(void* value, unsigned index);
    void SerializeBits(void* value);
    void StoreText(void* value, std::uint32_t code, const char* text);
    void StoreText(void* value, std::uint32_t code, const CAppVariant& text);

    LoadStream* m_pStream;
    const CAppToolsXML::DomElement* m_element;
    const CAppToolsXML::DomElement* m_field;
    FieldKind m_kind = KIND_NONE;
    // This record's named children: [m_namedBegin, m_namedEnd) of the load's
    // stack, which the records of nested elements grow and shrink above it.
    std::size_t m_namedBegin = 0;
    std::size_t m_namedEnd = 0;
    std::uint64_t m_namedBits = 0;  // the bits of the names present
    // The entries (children with a Key, or "Element"s) of the current
    // field: [m_entriesBegin, end of the load's entry stack).
    std::size_t m_entriesBegin = 0;
    std::vector<std::uint8_t> m_data;
    const CAppParam* m_pContextParam = nullptr;
    const char* m_contextClass = "";
    const char* m_contextKey = "";
    CAppParamGroup::EN_ADD_MODE m_addMode = CAppParamGroup::ADD_BY_KEY;
    DefinitionReplay* m_pRecording = nullptr;
  };

  // Writes `param` to document path + file + ".xml". False, writing nothing,
  // when file is empty. The file is written only once the whole tree has
  // been turned into XML, and through a temporary file renamed over it: a
  // failure (a throw from a node's Serialize, a folder that cannot be
  // written) throws and leaves any previous file as it was. Load finds the
  // saved tree by its key only when that key is written in upper case.
  static bool Save(const std::string& file, CAppParam* param);

  // The output document of one save.
  class SaveStream {
  public:
    SaveStream() = default;
    SaveStream(const SaveStream&) = delete;
    SaveStream& operator=(const SaveStream&) = delete;

    // Builds the document ("Description", holding param's element unless
    // param is null) and saves it under file; true when saved.
    bool Serialize(const std::string& file, CAppParam* param);
    CAppToolsXML::Document& GetDocument() { return m_document; }
    // The Type attribute of a node: its class alias (cached per class).
    const CAppVariant& GetTypeName(const CAppParam& param);

  private:
    CAppToolsXML::Document m_document;
    std::unordered_map<std::string, CAppVariant> m_typeNames;  // by class name
  };

  // Writes one node: the constructor appends its "Param" element (with Type)
  // to the parent element, and each field the node visits becomes a child
  // element of it. Fields with nothing to say (an empty string, flags 0, a
  // type code 0) are not written, so the loader keeps the class default.
  class SaveRecord : public CAppRecord {
  public:
    // A null stream, parent or param throws "Bad pointer".
    SaveRecord(SaveStream* stream, CAppToolsXML::Element* parent, CAppParam* param);
    // For a child of the node that `parent` writes. Nesting deeper than the
    // loader reads throws instead of writing a file that cannot be loaded.
    SaveRecord(SaveRecord* parent, CAppParam* param);

    void Serialize(void* value, unsigned index) override;
    // Ends an array field: an empty array still gets its (empty) "Array"
    // element, so that loading empties the array instead of keeping the
    // class default.
    void Validate() override;

    const CAppToolsXML::Element& GetElement() const { return m_element; }

  private:
    void WriteProperty(const CAppVariant& value);
    void WriteEntry(const CAppVariant& value, unsigned index);
    void WriteFlags(std::uint32_t flags);
    void WriteChild(CAppParam* child);
    [[noreturn]] void ThrowField(const char* problem);

    SaveStream* m_pStream;
    CAppParam* m_pParam;
    CAppToolsXML::Element m_element;  // the node's "Param"
    CAppToolsXML::Element m_array;    // the "Array" of the current array field
    unsigned m_nDepth = 1;            // 1 for the saved node itself
  };
};
