// A fixed table of typed fields laid over the array's bytes. The table
// belongs to the declaring class (a static array) and is never persisted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppParamArray.h"

class CAppParamStruct : public CAppParamArray {
  APP_DECLARE_DYNCREATE(CAppParamStruct)

public:
  struct ST_STRUCTDESC {
    char name[50];          // zero-terminated, at most 49 characters
    std::uint16_t offset;   // byte offset of the field in the data
    std::uint16_t type;     // variant code; 8192 added for an array
    std::uint16_t count;    // elements, 1 for a scalar
  };

  // Variant code of a zero-terminated 8-bit text field.
  static constexpr std::uint16_t kTypeText = 30;
  // Longest text a text field gives.
  static constexpr std::uint32_t kMaxText = 100;

  // Max size 0, no fields.
  CAppParamStruct();

  // Remembers the table (not owned: it must outlive the object) and sets the
  // max size and the data to `size` bytes.
  void DeclareStructure(const ST_STRUCTDESC* table, std::uint16_t count, std::uint16_t size);

  std::uint16_t GetFieldCount() const { return m_nFieldCount; }
  // Entry i of the table; an index at or past the field count throws
  // "Bad pointer".
  std::string GetFieldName(unsigned i) const;
  std::uint16_t GetFieldOffset(unsigned i) const { return Field(i).offset; }
  std::uint16_t GetFieldType(unsigned i) const { return Field(i).type; }
  std::uint16_t GetFieldSize(unsigned i) const { return Field(i).count; }

  // Field i read little-endian as a value of its type: I1/UI1, I2/UI2,
  // I4/UI4, or a text (type 30, at most 100 characters up to its zero or the
  // end of the data). Any other type, and a field that does not lie inside
  // the data, give an empty variant.
  CAppVariant GetField(unsigned i) const;
  // The raw bytes of field i: count elements of 2 (I2, UI2), 4 (I4, UI4) or
  // 1 byte (anything else, array flag ignored). A field that does not lie
  // inside the data gives no bytes.
  void GetField(unsigned i, std::vector<std::uint8_t>& out) const;
  // Writes an integer field (I1 to UI4) little-endian; the value is converted
  // to the field's type first and a value that does not fit throws
  // "CAppVariant : can't make this kind of convertion". Other types and a
  // field outside the data throw "Invalid Data"; the data is then unchanged.
  void SetField(unsigned i, const CAppVariant& value);

  // --- Overridden slots -----------------------------------------------------
  // The array's fields only.
  void Serialize(CAppRecord* record) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  const ST_STRUCTDESC& Field(unsigned i) const;
  // Bytes of one element of `type`.
  static std::uint32_t ElementSize(std::uint16_t type);

  const ST_STRUCTDESC* m_pStructDesc = nullptr;
  std::uint16_t m_nFieldCount = 0;
};
