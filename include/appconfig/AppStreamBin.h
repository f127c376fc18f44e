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

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsBin.h"

class CAppParam;
class CAppRuleParam;

class CAppStreamBin {
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
  // Writes `param` to `file`. The whole file is built in memory, written to
  // a temporary file in the same folder, flushed to disk and only then
  // renamed over `file`, so that a save that fails leaves the previous file
  // as it was. A symbolic link is followed: the file it points to is
  // replaced. The result keeps the mode of the file it replaces and, where
  // the system permits, its owner. Throws "File not create : <file>
  // (<reason>)" when the file may not be written (write-protected, not a
  // regular file, a folder where no temporary file can be made) and "File
  // not written : <file> (<reason>)" when writing, flushing or renaming
  // fails; a throw from a parameter's Serialize passes on (other exceptions
  // become "Save error : <what>").
  static void Save(CAppParam* param, const std::string& file, SaveRule rule = {});
  // The same with a parameter rule of the resources deciding (its Run not
  // 0: written); the save owns the rule and destroys it.
  static void Save(CAppParam* param, const std::string& file, std::unique_ptr<CAppRuleParam> rule);
  // The tree stored in `file`, owned by the caller; null when the file cannot
  // be opened or its data section is empty. Malformed files throw.
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
  // Gives `param` and its subtree the values of the snapshot again, in
  // place: `param` stays the same object, and so does every node below it
  // whose group still has the shape the snapshot recorded (the same keys
  // and classes of children in the same order), so pointers to those nodes
  // stay valid. Only a group whose children differ in shape (one added,
  // removed or moved since the snapshot) has its children destroyed and
  // recreated from the snapshot. Fields the snapshot lacks keep their values.
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
    std::unique_ptr<StringTable> m_strings;

  private:
    CAppToolsBin::Stream* m_pBytes;
  };

  class SaveRecord;
  class LoadRecord;

  // Writes a whole file in its constructor. The file is built in memory and
  // the byte stream emptied and given it only once the tree has been
  // visited, so a throw while the tree is visited leaves the stream as it was.
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
    class Image;
    void WriteHeader();
    void WriteParam(CAppParam* param);
    void WriteStrings();

    std::unique_ptr<Image> m_pImage;
    SaveRule m_rule;
  };

  // Reads a whole file in its constructor into `param`, which is created
  // from the file's class name when null (and then owned by the caller). An
  // empty data section leaves `param` as it is. The stream's bytes are
  // copied first; every offset read from them is checked before use. With
  // `keepChildren`, a group whose stored children have the keys and classes
  // of its own, in the same order, reads them into its own children instead
  // of recreating them.
  class LoadStream : public Stream {
  public:
    LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param);
    // The same for the bytes of `file`, which its errors name with the byte
    // offset where reading stopped: "... (file F, byte N)".
    LoadStream(CAppToolsBin::Stream* bytes, CAppParam*& param, const std::string& file,
               bool keepChildren = false);
    ~LoadStream() override;

  private:
    friend class LoadRecord;
    class Reader;
    void ReadAll(CAppToolsBin::Stream* bytes, CAppParam*& param);
    void ReadSections();
    void ReadHeader();
    void ReadStrings();
    void ReadParam(CAppParam*& param);

    std::unique_ptr<Reader> m_pReader;
    bool m_bKeepChildren = false;
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
    // children would die while they are copied. Merging into the source or
    // one of its descendants throws "Clone Error" too: the source would be
    // copied into itself. A destination that a group holds stays indexed
    // under the key the source brings; a key another child of that group
    // holds, or an empty one, throws "Clone Error" before anything changed.
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

    // "Clone Error" when the key the source brings cannot index the
    // destination in `holder`, which holds it under `heldKey`.
    void CheckKeyIsFree(const CAppParamGroup& holder, const std::string& heldKey);

    CAppParamGroup::EN_ADD_MODE m_addMode;
    CAppParamGroup* m_pMergeGroup = nullptr;
    std::unique_ptr<Capture> m_capture;
    const CapturedField* m_pField = nullptr;  // the captured field being replayed
  };
};
