// The fixed mapping of a CANopen object dictionary onto a parameter tree.
// Internal to the EDS layer: the reader builds the tree with it, and the
// DCF writer finds with it where each imported entry stands in the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppEdsIni.h"
#include "appconfig/AppVariant.h"

class CAppParam;
class CAppParamGroup;

// One row of the data type table.
struct AppEdsType {
  std::uint16_t code;   // CANopen data type
  const char* name;
  enum Kind : std::uint8_t { NUMERIC, STRING, BYTES, SKIPPED } kind;
  std::uint16_t vt;     // variant type of a numeric entry
  std::uint8_t bits;
  bool isSigned;
};
// The row of a data type; a type the table does not know is SKIPPED.
const AppEdsType& AppEdsFindType(std::uint32_t code);

// A number as CANopen files write it: decimal, 0x hexadecimal or octal with
// a leading 0, an optional minus, and sums with $NODEID ("$NODEID+0x180",
// "0x180 + $NODEID"). Nothing when it cannot be read.
std::optional<std::int64_t> AppEdsParseNumber(std::string_view text, std::int64_t nodeId);

class CAppEdsDevice {
public:
  // An entry that became a leaf of the tree.
  struct Imported {
    std::string path;                        // below the root: "O1000", "O1018\S01"
    const CAppEdsIni::Section* section;      // its own section; null for a compact sub-index
    std::uint16_t index;
    std::int16_t sub;                        // -1 for a VAR object
    const AppEdsType* type;
    std::string defaultText;                 // DefaultValue as written
  };

  // Builds the tree of `ini`; nodeId < 0 takes [DeviceComissioning] NodeID,
  // else 0. A malformed file throws (through ini.Fail) before anything is
  // returned.
  CAppEdsDevice(const CAppEdsIni& ini, int nodeId, const std::string& fallbackName);
  ~CAppEdsDevice();

  std::unique_ptr<CAppParam> TakeRoot();
  const std::vector<Imported>& GetImported() const { return m_imported; }
  // "1A00 (REAL32)", "2000 (no section)" ...
  const std::vector<std::string>& GetSkipped() const { return m_skipped; }
  std::int64_t GetNodeId() const { return m_nodeId; }

private:
  struct Object;
  struct Field;
  struct Fields;
  void ReadNodeId(int nodeId);
  void CollectObjects();
  void CollectListed();
  Fields FieldsOf(const CAppEdsIni::Section& section) const;
  void BuildObject(const Object& object);
  std::unique_ptr<CAppParam> BuildLeaf(const Fields& fields, const std::string& key, std::uint16_t index,
                                       int sub, const std::string& path);
  CAppVariant NumericValue(const Field& field, const AppEdsType& type, std::string_view what) const;
  std::vector<std::uint8_t> Bytes(const Field& field) const;
  std::int64_t Number(std::string_view text, std::uint32_t line, std::string_view what) const;
  std::int64_t Number(const CAppEdsIni::Entry& entry) const;

  const CAppEdsIni& m_ini;
  std::int64_t m_nodeId = 0;
  std::unique_ptr<CAppParamGroup> m_pRoot;
  std::vector<Object> m_objects;  // in index order
  std::vector<Imported> m_imported;
  std::vector<std::string> m_skipped;
};
