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

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsXML.h"

class CAppParam;
class CAppResources;

class CAppStreamXML {
public:
  CAppStreamXML() = delete;

  // Deepest nesting of parameter elements (references included) that Load
  // follows; Save refuses deeper trees, so every saved file loads back.
  static constexpr unsigned MAX_DEPTH = 256;

  // How many parameters one load may create: at most the larger of
  // `minimumParams` and `paramsPerElement` times the number of elements of
  // the files it has read. A reference builds a fresh copy of what it names,
  // so a small file whose definitions refer twice to the next one would
  // otherwise double the tree at every level; such a load throws as soon as
  // it passes the limit, naming the reference being followed and its file.
  // A host whose descriptions legitimately reuse definitions more than that
  // raises either number with SetLimits (a process-wide setting, like the
  // document path).
  // The work is bounded the same way: every element the loader looks at
  // (children of each copy, fields searched) counts one visit, and a load
  // stops after the larger of `minimumVisits` and `visitsPerElement` times
  // the number of elements, so that a copy that drags along thousands of
  // unused children cannot make a small file cost minutes. A number of
  // SIZE_MAX lifts its limit.
  struct Limits {
    std::size_t minimumParams = 100000;
    std::size_t paramsPerElement = 100;
    std::size_t minimumVisits = 2000000;
    std::size_t visitsPerElement = 100;
  };
  static void SetLimits(const Limits& limits);
  static const Limits& GetLimits();

  // The tree of definition `key` of `file` (a name without extension, found
  // through the document path); owned by the caller. Null for an empty file
  // name or when the description schema cannot be set up; any other failure
  // throws and leaves nothing behind. With resources, the loaded tree takes
  // the key, the resource sections fill the collection, and tree and
  // collection are checked. Everything happens on the calling thread; a
  // class or rule may start another load while it is being loaded.
  static std::unique_ptr<CAppParam> Load(const std::string& file, CAppResources* resources,
                                         const std::string& key);

  // Told how far a long load has come, so that a host can keep its window
  // alive and offer to cancel. An exception thrown from OnLoadProgress
  // abandons the load: Load throws it on, leaving nothing behind.
  class LoadProgress {
  public:
    virtual ~LoadProgress() = default;
    // Called each time another PROGRESS_STEP parameters have been built.
    virtual void OnLoadProgress(std::size_t params) = 0;
  };
  static constexpr std::size_t PROGRESS_STEP = 1000;
  static std::unique_ptr<CAppParam> Load(const std::string& file, CAppResources* resources,
                                         const std::string& key, LoadProgress* progress);

  // Loads only the resource sections of `file` into the resources; false
  // when the description schema cannot be set up.
  static bool LoadResources(const std::string& file, CAppResources* resources);

  // The state of one load (parsed files, nesting, parameters created),
  // shared by its streams; it lives on the stack of Load.
  class Loader;
  class LoadRecord;

  // One opened description file during one load. File references name
  // files inside the description folder only.
  class LoadStream {
  public:
    // The first stream of a load; load and schemas must not be null.
    LoadStream(const std::string& file, CAppResources* resources, Loader* load,
               CAppToolsXML::SchemaCollection* schemas);
    // A stream for a file named by a File reference of `from`.
    LoadStream(const std::string& file, LoadStream* from);
    LoadStream(const LoadStream&) = delete;
    LoadStream& operator=(const LoadStream&) = delete;

    // Reads the file (once per load) and, when first read, its resource
    // sections.
    void Load(const std::string& file);
    void LoadResources();
    // Finds the definition of `key` (upper-cased) among the root's children
    // and reads it into `param`.
    void GetParam(CAppParam*& param, const std::string& key);
    void ReadParam(CAppParam*& param, const CAppToolsXML::Element& element);
    void ReadAttribut(CAppParam* param, const CAppToolsXML::Element& element);
    // The file name followed by ".XML", for messages.
    std::string GetFileName() const;

  private:
    friend class LoadRecord;
    void ReadParam(CAppParam*& param, const CAppToolsXML::DomElement* element);
    void ReadReference(CAppParam*& param, const CAppToolsXML::DomElement* element);

    const CAppToolsXML::DomElement* m_root = nullptr;
    std::string m_strFile;
    CAppResources* m_pResources = nullptr;
    CAppToolsXML::SchemaCollection* m_pSchemas = nullptr;
    Loader* m_pLoad = nullptr;
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

  private:
    friend class Loader;  // keeps the lists below for the records of a load
    enum FieldKind : unsigned { KIND_NONE = 0, KIND_DATA = 100, KIND_PARAM = 101, KIND_LIST = 102, KIND_BITS = 103 };
    // A child that carries a Name attribute.
    struct NamedField {
      std::string_view name;
      const CAppToolsXML::DomElement* element;
    };

    bool FindNamed(std::string_view name);
    // Counts elements looked at against the load's limit.
    void CountVisits(std::size_t visits) const;
    void StartField();
    [[noreturn]] void ThrowKindMismatch(const char* what);
    const CAppToolsXML::DomElement* GetEntry(unsigned index) const;
    void SerializeData(void* value, unsigned index);
    void SerializeBits(void* value);
    void StoreText(void* value, std::uint32_t code, const char* text);
    void StoreText(void* value, std::uint32_t code, const CAppVariant& text);

    LoadStream* m_pStream;
    const CAppToolsXML::DomElement* m_element;
    const CAppToolsXML::DomElement* m_field;
    FieldKind m_kind = KIND_NONE;
    // The record's named children, and the entries of its current field
    // (children with a Key, or "Element"s), are kept in two lists of the
    // load from these places on. Records nest: one reads its children's
    // records while its own lists stay below theirs.
    std::size_t m_nNamedFirst = 0;
    std::size_t m_nNamedEnd = 0;
    std::size_t m_nEntriesFirst = 0;
    std::vector<std::uint8_t> m_data;  // the bytes of an array Property
    const CAppParam* m_pContextParam = nullptr;
    const char* m_contextClass = "";
    const char* m_contextKey = "";
    CAppParamGroup::EN_ADD_MODE m_addMode = CAppParamGroup::ADD_BY_KEY;
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
    // Refuses, naming the field and the parameter, a text XML cannot carry.
    void CheckText(const std::string& text);

    SaveStream* m_pStream;
    CAppParam* m_pParam;
    CAppToolsXML::Element m_element;  // the node's "Param"
    CAppToolsXML::Element m_array;    // the "Array" of the current array field
    unsigned m_nDepth = 1;            // 1 for the saved node itself
  };
};
