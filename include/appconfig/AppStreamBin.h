// The binary parameter file, and the copies of trees made through the record
// protocol: clones, merges and undo snapshots.
//
// A file is three sections, each an element: a 12-byte header {end, name,
// type} and a payload. The header section holds the ident and version
// numbers, the data section the element of the saved parameter, the string
// section the names and string values that the other elements refer to by
// index. A parameter element holds one element per field it visits, named
// and typed, so a reader skips fields that a class no longer visits and
// leaves a field that the file lacks at the class's default.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsBin.h"

class CAppParam;
class CAppRuleParam;
class CAppParamGroup;
class AppReadOnlyMemory;

class CAppStreamBin {
  // A cache of the names a stream looked up last.
  class RecentNames;

  // What a writer learnt of the fields one class visits, place by place: the
  // name, its literal and its index, and the last two string values written
  // there (parameters of a class often alternate between two).
  struct PlanField {
    std::string name;
    const char* literal = nullptr;  // the class's own text of the name, if given so
    bool fixed = false;             // the literal lies in read-only memory: it cannot change
    std::uint32_t index = 0;
    std::uint32_t valueIndex = 0xFFFFFFFFu;
    std::string value;
    std::uint32_t otherIndex = 0xFFFFFFFFu;
    std::string other;
    bool missed = false;  // the last value was neither of the two
    // The same for a list of strings: the last one remembered.
    std::vector<std::string> texts;
    std::vector<std::uint32_t> textIndexes;
    bool textsMissed = false;
  };
  // A class's parameters are all stored under the class name the first of
  // them gives, registered once its fields are.
  struct Plan {
    const CAppRuntimeClass* type = nullptr;
    std::uint32_t className = 0xFFFFFFFFu;
    std::vector<PlanField> fields;
  };

public:
  CAppStreamBin() = delete;

  // Reserved element names; every other name is a string index.
  enum : std::uint32_t {
    NAME_IDENT_VALUE = 0xFFFF0000u,
    NAME_VERSION_VALUE = 0xFFFF0001u,
    NAME_HEADER_SECTION = 0xFFFF0002u,
    NAME_DATA_SECTION = 0xFFFF0003u,
    NAME_STRING_SECTION = 0xFFFF0004u,
  };
  static constexpr std::uint32_t IDENT = 0x12345678u;
  static constexpr std::uint32_t VERSION = 0x07082001u;
  static constexpr std::uint32_t TYPE_SECTION = 0x0803u;

  // The header of every element; `end` is the absolute offset of the first
  // byte after the element.
  struct ST_FIELD {
    std::uint32_t end = 0;
    std::uint32_t name = 0;
    std::uint32_t type = 0;
  };
  static constexpr std::uint32_t HEADER_SIZE = 12;

  // Decides which parameters a save writes (true: written). A parameter left
  // out is absent with its whole subtree. Empty: everything is written.
  using SaveRule = std::function<bool(CAppParam*)>;

  // --- Files ----------------------------------------------------------------
  // Writes `param` to `file`. The file is written to a temporary file in the
  // same folder as the tree is visited (a large one by a thread of its own),
  // flushed to disk and only then renamed over `file`, whose old content the
  // system releases aside: a save that fails, whatever the reason, leaves the
  // previous file as it was and removes the temporary one. Throws "File not create"
  // when the temporary file cannot be created and
  // "File not written : <file> (<reason>)" when writing,
  // flushing or renaming fails; a throw from a parameter's Serialize passes on
  // (other exceptions become "Save error : <what>").
  static void Save(CAppParam* param, const std::string& file, SaveRule rule = {});
  // The same with a parameter rule of the resources deciding (its Run not
  // 0: written); the save owns the rule and destroys it.
  static void Save(CAppParam* param, const std::string& file, std::unique_ptr<CAppRuleParam> rule);
  // The same, writing the temporary file through `output` (closed; Save
  // opens and closes it), so that a derived stream can fail on purpose.
  static void Save(CAppParam* param, const std::string& file, SaveRule rule,
                   CAppToolsBin::File& output);
  // The tree stored in `file`, owned by the caller; null when the file cannot
  // be opened or its data section is empty. Malformed files throw.
  // The later children of a group of a megabyte or more may be read by a
  // second thread while the calling thread reads the earlier ones (a
  // LoadStream of any stream does the same); the tree, the error thrown and
  // the traces and messages given are those of a read on the calling thread
  // alone, which also creates and reads every parameter of a class that is
  // not the library's own. The thread has ended when the load returns or
  // throws. Undo snapshots are read on the calling thread only.
  static std::unique_ptr<CAppParam> Load(const std::string& file);

  // --- Clone, merge, undo ---------------------------------------------------
  // A new, independent copy of `source` and its subtree.
  static std::unique_ptr<CAppParam> CloneParam(CAppParam* source);
  // Every field that `source` visits overwrites the same field of
  // `destination`; children with a key `destination` holds are merged into
  // that child, the others are added as clones; children of `destination`
  // that `source` lacks stay. A failed merge leaves `destination` partly
  // merged.
  static void MergeParam(CAppParam* destination, CAppParam* source);
  // Adds to group `destination` clones of the children of its counterpart in
  // `source` (the child of `source` with the key of `destination`) that it
  // lacks; children it has are left alone. Nothing happens when
  // `destination` is not a group or the counterpart is missing or no group.
  static void AddGroupParams(CAppParam* destination, CAppParamGroup* source);
  // For each key in order: a child of `destination` with that key gets its
  // missing children from `source` (AddGroupParams); otherwise the child of
  // `source` with that key is cloned into `destination`; keys neither group
  // has are ignored.
  static void AddParams(CAppParamGroup* destination, CAppParamGroup* source,
                        const std::vector<std::string>& keys);
  // A snapshot of `param` (a binary file in memory) for MakeUndo.
  static std::unique_ptr<CAppToolsBin::Stream> CreateUndo(CAppParam* param);
  // Gives `param` and its subtree the values of the snapshot again. `param`
  // stays the same object. A group whose children still have the keys and
  // classes of the snapshot, in its order, keeps them and has each read back
  // in place; any other group has its children destroyed and recreated from
  // the snapshot. Either way the tree equals the snapshot's afterwards; hold
  // no pointer to a child across an undo. A child read in place keeps what
  // its class does not visit, as `param` itself always has.
  static void MakeUndo(CAppToolsBin::Stream* snapshot, CAppParam* param);

  // --- Streams and records ----------------------------------------------------
  // The string table of one file and the byte stream it is read from or
  // written to (not owned).
  class Stream {
  public:
    explicit Stream(CAppToolsBin::Stream* bytes);
    virtual ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    CAppToolsBin::Stream* GetBuffer() const { return m_pBytes; }
    // The index of `text`, registered on first use. A text holding a zero
    // byte cannot be stored and throws "Invalid Data".
    std::uint32_t SetName(std::string_view text);
    // The reserved name of a code, else the string of that index; an index
    // past the table throws "Bad data index". Valid while the stream lives.
    std::string_view GetName(std::uint32_t code) const;
    std::uint32_t GetStringCount() const;

  protected:
    class StringTable;
    // Another reader of the same file shares the table, which no reader changes.
    Stream(CAppToolsBin::Stream* bytes, std::shared_ptr<StringTable> strings);
    std::shared_ptr<StringTable> m_strings;

  private:
    CAppToolsBin::Stream* m_pBytes;
  };

  class SaveRecord;
  class LoadRecord;

  // Writes a whole file in its constructor. The byte stream is emptied first
  // and then holds exactly one file; it is written only once the tree has
  // been visited, so a throw while the tree is visited leaves it untouched.
  class SaveStream : public Stream {
  public:
    SaveStream(CAppToolsBin::Stream* bytes, CAppParam* param, SaveRule rule = {});
    ~SaveStream() override;

    // Appends a placeholder header and returns the element's start.
    std::uint32_t BeginElement();
    // Writes the header {current length, name, type} over the placeholder.
    void EndElement(std::uint32_t name, std::uint32_t start, std::uint32_t type);
    bool IsSerializable(CAppParam* param) const { return !m_rule || m_rule(param); }

  private:
    friend class SaveRecord;
    friend class CAppStreamBin;

    // The image is built in parts of bounded size, so that it never moves
    // and its memory is touched once. Claims never straddle two parts.
    struct Part {
      std::unique_ptr<std::uint8_t[]> bytes;
      std::uint32_t base = 0;  // offset in the file
      std::uint32_t size = 0;
    };

    // Writes into `file` (open and empty) while the tree is visited: each
    // full part goes to the file and its room is reused. A failed write
    // throws what Save reports as "File not written". `replaced` is a
    // descriptor of the file the save will replace, or -1: the writer drops
    // its cached pages meanwhile, which the rename would release otherwise.
    SaveStream(CAppToolsBin::File& file, CAppParam* param, SaveRule rule, int replaced);
    void WriteFile(CAppParam* param);
    void WriteHeader();
    void WriteData(CAppParam* param);
    // One parameter element with its subtree.
    void WriteParam(CAppParam* param);
    void WriteStrings();
    // EndElement, within the stream and its records.
    void CloseElement(std::uint32_t name, std::uint32_t start, std::uint32_t type);
    void CloseEarlierElement(std::uint32_t name, std::uint32_t start, std::uint32_t type);
    // The offset the next byte goes to.
    std::uint32_t Tell() const { return m_nBase + static_cast<std::uint32_t>(m_nUsed); }
    // `count` more bytes at the end of the image, to be filled by the caller.
    std::uint8_t* Claim(std::size_t count) {
      if (count > m_nRoom - m_nUsed) NextPart(count);
      std::uint8_t* at = m_pOut + m_nUsed;
      m_nUsed += count;
      return at;
    }
    void NextPart(std::size_t count);
    void Append(const void* bytes, std::size_t count);
    // A whole element of one 32-bit word.
    void AppendWordField(std::uint32_t name, std::uint32_t type, std::uint32_t value);
    // SetName for field names, through a cache of the recent ones.
    std::uint32_t FieldName(std::string_view name);
    template <class T>
    void AppendValue(T value);
    // Writes to the file; a failure is kept, so that every later write fails
    // too. WriteOut throws it, TryWrite returns false.
    void WriteOut(std::uint32_t at, const std::uint8_t* bytes, std::size_t count);
    bool TryWrite(std::uint32_t at, const std::uint8_t* bytes, std::size_t count);
    class Writer;
    // Full parts go to the writer kHeldParts parts late, so that the headers
    // of elements that end meanwhile are written into memory, not patched
    // into the file (where a page already on its way to the disk would go
    // there twice). Returns the room for the next part.
    static constexpr std::size_t kHeldParts = 2;
    std::unique_ptr<std::uint8_t[]> HoldAndPass(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t at,
                                                std::size_t count);
    void PassHeld();
    Part* HeldPart(std::uint32_t at);
    void StartWriter();
    // Waits until the writer has written every part it was given, if any.
    void StopWriter();
    // The field names of a class in the order its parameters visit them.
    Plan* PlanOf(const CAppRuntimeClass* type);
    // Whether a name given by pointer is a text that cannot change.
    bool IsFixedText(std::string_view text);
    Plan* FindPlan(const CAppRuntimeClass* type);

    std::vector<Part> m_parts;  // to a file: only the current one
    std::deque<Part> m_held;    // to a file: full parts not yet passed to the writer
    std::uint8_t* m_pOut = nullptr;
    std::size_t m_nUsed = 0;
    std::size_t m_nRoom = 0;
    std::uint32_t m_nBase = 0;
    CAppToolsBin::File* m_pFile = nullptr;
    std::uint32_t m_nWritten = 0;    // bytes of the file written so far
    std::uint32_t m_nWriteBack = 0;  // of which the disk was asked to take
    // Headers completed after their part went to the file: {offset, bytes}.
    std::vector<std::pair<std::uint32_t, std::array<std::uint8_t, HEADER_SIZE>>> m_late;
    std::string m_strWriteError;
    SaveRule m_rule;
    std::unique_ptr<RecentNames> m_pFieldNames;
    std::unique_ptr<AppReadOnlyMemory> m_pReadOnly;  // once a name literal asks
    std::vector<std::unique_ptr<Plan>> m_plans;
    std::array<Plan*, 8> m_recentPlans{};
    int m_nReplaced = -1;
    // Last: it writes through the members above until it is destroyed.
    std::unique_ptr<Writer> m_pWriter;
  };

  // Writes one parameter element; End closes it. The usual field types are
  // written by their own visits, in one step each.
  class SaveRecord : public CAppRecord {
  public:
    SaveRecord(SaveStream* stream, CAppParam* param);
    // Closes the parameter element (after the parameter's Serialize).
    void End();

    bool GetField() override;
    void Serialize(void* value, unsigned index) override;
    void Validate() override;

    using CAppRecord::_Do;
    void _Do(CAppParamGroup& group) override;
    void _Do(std::list<std::string>& list) override;
    void _Do(std::vector<std::string>& array) override;
    void _Do(std::vector<std::uint32_t>& array) override;
    void _Do(CAppTools::Type& value) override;
    void _Do(CAppTools::Flags& value) override;
    void _Do(CAppVariant& value) override;
    void _Do(unsigned int& value) override;
    void _Do(int& value) override;
    void _Do(std::string& value) override;

  private:
    void DoWord(std::uint32_t type, std::uint32_t value);
    // The index of the current field's name, and of a string value of it:
    // the names and values the class had at this place last time, or else
    // the string table's.
    std::uint32_t FieldIndex();
    std::uint32_t NewFieldIndex();
    std::uint32_t ValueIndex(const std::string& value);
    std::uint32_t NewValueIndex(const std::string& value);
    static constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;
    template <class Strings>
    void DoStrings(Strings& strings);

    SaveStream* m_pStream;
    bool m_bWritten = false;
    std::uint32_t m_nStart = 0;
    std::uint32_t m_nField = 0;
    CAppParam* m_pParam = nullptr;
    Plan* m_pPlan = nullptr;
    std::size_t m_nPlace = 0;  // of the next field in the plan
  };

  // What a reader knows of one element: its header, where its data starts
  // and how many entries it holds. A group field's entries are walked as
  // they are read; listed on demand, its offset becomes the list position of
  // its first parameter element.
  struct ST_INFO {
    ST_FIELD field;
    std::uint32_t offset = 0;
    std::uint32_t count = 0;
    std::uint32_t id = 0;  // case-folded name; NO_ID for a parameter entry
  };

  // One field of a shape (see LoadRecord::ReadShaped): its name and type,
  // the id of the name and how its entry count follows from its size.
  struct ShapeField {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    int shift = 0;  // log2 of the entry size; kNoEntries or kGroupEntries
  };

  // Reads a whole file in its constructor into `param`, which is created
  // from the file's class name when null (and then owned by the caller). An
  // empty data section leaves `param` as it is. The bytes of a memory stream
  // are read where they lie, and those of a plain file where the system maps
  // them: leave the stream unchanged while this lives.
  class LoadStream : public Stream {
  public:
    LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param);
    ~LoadStream() override;

  private:
    friend class LoadRecord;
    friend class CAppStreamBin;
    static constexpr std::uint32_t NO_ID = 0xFFFFFFFFu;

    // With `restore`, groups keep the children that still match the file
    // (MakeUndo).
    LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param, bool restore);

    // Reads the later children of a large group on a second thread.
    class Helper;
    // The state of that thread's reader: the file and string table of
    // `main`, records nested `depth` deep, and caches of its own. It creates
    // the library's own classes only, without the registry.
    LoadStream(const LoadStream& main, unsigned depth, const Helper* helper);
    // Where the children of a group in [start, end) are split between this
    // thread (before) and a helper (from there), or 0 to read them all here.
    std::uint32_t SplitPoint(std::uint32_t start, std::uint32_t end) const;
    // Stops a helper's read at the child it is in (the calling thread reads
    // that child again) when the child holds another class or the load ends.
    void CheckHelper() const;
    CAppParam* CreateLibraryParam(std::uint32_t className);
    // The header of the group entry at `pos`, which must be a parameter.
    ST_FIELD ReadEntry(std::uint32_t pos, std::uint32_t end) const;

    void ReadSections();
    void ReadHeader();
    void ReadStrings();
    void ReadParam(CAppParam*& param);

    // A header at `pos` that must lie within [pos, limit).
    ST_FIELD ReadField(std::uint32_t pos, std::uint32_t limit) const;
    std::uint64_t ReadNumber(std::uint32_t pos, unsigned bytes) const;
    const ST_INFO* FindSection(std::uint32_t name) const;
    // The case-folded id of an element name, and of a field name asked for.
    std::uint32_t NameId(std::uint32_t name);
    std::uint32_t AskedId(std::string_view name);
    // The string of an index; one past the table throws "Bad data index".
    std::string_view StringAt(std::uint64_t index) const;
    // The text of an element name that NameId accepted.
    std::string_view NameText(std::uint32_t code) const;
    CAppParam* CreateParam(std::uint32_t className);
    // A new number for the stamps of one element's field ids.
    std::uint32_t NextStamp();
    // The class CreateParam would create, or null when there is none.
    const CAppRuntimeClass* FindClass(std::uint32_t className);

    // The file: a view of a memory stream's bytes or of a mapped file, or a
    // copy read from any other stream.
    const std::uint8_t* m_pData = nullptr;
    std::uint32_t m_nSize = 0;
    std::unique_ptr<std::uint8_t[]> m_pCopy;
    // Element infos of the records alive, as a stack of m_nInfos entries: a
    // record's infos stay at the same place until it ends. The vector is the
    // room; it only grows, so that entries are never cleared to be written.
    std::vector<ST_INFO> m_infos;
    std::size_t m_nInfos = 0;
    // Room for the next info on the stack.
    ST_INFO& PushInfo();
    // Doubles the room of the stack.
    void GrowInfos();
    std::vector<ST_INFO> m_sections;
    std::vector<std::uint32_t> m_nameIds;
    std::unordered_map<std::string, std::uint32_t> m_upperIds;
    std::unique_ptr<RecentNames> m_pAskedIds;
    // The class of each class-name index seen, null until first needed.
    std::vector<const CAppRuntimeClass*> m_classes;
    // The fields of the last element read of each class-name index, once it
    // was found well formed.
    std::vector<std::vector<ShapeField>> m_shapes;
    // For the check of unique field names: per id, the number of the last
    // check that met it.
    std::vector<std::uint32_t> m_stamps;
    std::uint32_t m_nStamp = 0;
    unsigned m_nDepth = 0;
    bool m_bRestore = false;
    // A helper was tried: at most one per load.
    bool m_bSplit = false;
    // A helper's reader met a class it may not create.
    bool m_bRefused = false;
    std::uint32_t m_nDataEnd = 0;
    const Helper* m_pHelper = nullptr;  // in a helper's reader: that helper
  };

  // Reads the fields of one element.
  class LoadRecord : public CAppRecord {
  public:
    // Reads the headers of the direct children of the element payload
    // [start, end), of a parameter of class name `className` if known.
    LoadRecord(LoadStream* stream, std::uint32_t start, std::uint32_t end,
               std::uint32_t className = 0xFFFFFFFFu);
    ~LoadRecord() override;
    LoadRecord(const LoadRecord&) = delete;
    LoadRecord& operator=(const LoadRecord&) = delete;

    bool IsModeLoad() override { return true; }
    bool GetField() override;
    unsigned GetCount() override;
    void Serialize(void* value, unsigned index) override;

    using CAppRecord::_Do;
    void _Do(CAppParamGroup& group) override;
    void _Do(std::list<std::string>& list) override;
    void _Do(std::vector<std::string>& array) override;
    void _Do(std::vector<std::uint32_t>& array) override;
    void _Do(CAppTools::Type& value) override;
    void _Do(CAppTools::Flags& value) override;
    void _Do(CAppVariant& value) override;
    void _Do(unsigned int& value) override;
    void _Do(int& value) override;
    void _Do(std::string& value) override;

  private:
    void ReadChildren(std::uint32_t start, std::uint32_t end, std::uint32_t className);
    // The element's fields when their names are, one for one, those of the
    // last element of its class (its shape), each type checked as the field
    // by field reading checks it; false otherwise, and the element is read
    // field by field, which reports what is wrong with it.
    bool ReadShaped(std::uint32_t start, std::uint32_t end, const std::vector<ShapeField>& shape);
    void KeepShape(std::vector<ShapeField>& shape) const;
    void ReadParamEntry(void* value, unsigned index);
    // The element of the field asked for under the current name and type,
    // or null when the element lacks it.
    const ST_INFO* FindField();
    // The usual case: the field after the one found last, stored under the
    // very name and a type asked for. Null otherwise, for SearchField.
    const ST_INFO* NextField();
    // Any field of the element, by case-folded name.
    const ST_INFO* SearchField();
    // The first 32-bit word of a word field; false when it is absent.
    bool ReadWord(std::uint32_t type, std::uint32_t& value);
    bool NextWord(std::uint32_t type, std::uint32_t& word);
    template <class Word>
    void SearchWord(std::uint32_t type, Word& value);
    [[noreturn]] static void ThrowBadIndex();
    std::string_view ReadString(const ST_INFO& info, std::uint32_t index) const;
    // The value of this element's field of id `keyId` ("Key"), if it has one.
    bool PeekKey(std::uint32_t keyId, std::string_view& key) const;
    // The entries of a group field lie in [start, end) of the file. Reads
    // them back into the group's own children while their keys and classes
    // match; false at the first that does not (the caller then recreates
    // them all).
    bool RestoreInPlace(CAppParamGroup& group, std::uint32_t start, std::uint32_t end);
    void LoadNewChildren(CAppParamGroup& group, std::uint32_t start, std::uint32_t end);
    // Creates, reads and adopts the entries in [pos, stop) of a group whose
    // entries end at `end`.
    void ReadNewChildren(CAppParamGroup& group, std::uint32_t pos, std::uint32_t stop, std::uint32_t end);
    // Adds a child just read to `group`, or destroys it when the group does
    // not take it.
    static void AdoptChild(CAppParamGroup& group, CAppParam* created);
    // The header of the group entry at `pos`, which must be a parameter.
    ST_FIELD ReadEntry(std::uint32_t pos, std::uint32_t end) const;
    // The number of entries of field `field`; a group's are listed on the
    // stack on first use.
    std::uint32_t EntryCount(std::size_t field);

    LoadStream* m_pStream;
    std::size_t m_nFirst;  // this record's infos in the stream's stack
    std::size_t m_nNamedEnd = 0;
    std::size_t m_nField = 0;
    std::size_t m_nNext = 0;  // where the next field is looked for first
    bool m_bField = false;
    // A field was asked for that the element lacks: it kept its value.
    bool m_bMissed = false;
    // The count of a group field whose entries were not listed yet; its
    // offset is then that of its payload.
    static constexpr std::uint32_t kNotCounted = 0xFFFFFFFFu;
  };

  // Copies a parameter into another through the record protocol: the source
  // visits its fields into a capture, the destination reads them back.
  class CloneRecord : public CAppRecord {
  public:
    explicit CloneRecord(CAppParamGroup::EN_ADD_MODE mode = CAppParamGroup::ADD_BY_KEY);
    ~CloneRecord() override;

    // Copies `source` into `destination`, created from the source's class
    // when null (and then owned by the caller; destroyed again and reset to
    // null if the copy throws). Cloning (not merging) into a destination
    // that is the source or one of its ancestors throws "Clone Error": its
    // children would die while they are copied.
    void GetClone(CAppParam*& destination, CAppParam* source);

    bool IsModeLoad() override { return true; }
    CAppParamGroup::EN_ADD_MODE GetAddMode() override { return m_addMode; }
    bool GetField() override;
    unsigned GetCount() override;
    void Serialize(void* value, unsigned index) override;

  protected:
    explicit CloneRecord(CloneRecord* parent);

  private:
    class Capture;
    struct CapturedField;

    CAppParamGroup::EN_ADD_MODE m_addMode;
    CAppParamGroup* m_pMergeGroup = nullptr;
    std::unique_ptr<Capture> m_capture;
    const CapturedField* m_pField = nullptr;  // the captured field being replayed
  };
};
