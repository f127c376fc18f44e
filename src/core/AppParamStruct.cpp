#include "appconfig/AppParamStruct.h"

#include <cstring>
#include <span>

#include "AppByteOrder.h"
#include "appconfig/AppException.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamStruct, CAppParamArray)

namespace {

// The integer field types a structure reads and writes.
struct ScalarType {
  std::uint16_t code;
  std::uint32_t bytes;
};

constexpr ScalarType kScalarTypes[] = {
    {CAppVariant::VT_I1, 1}, {CAppVariant::VT_UI1, 1}, {CAppVariant::VT_I2, 2},
    {CAppVariant::VT_UI2, 2}, {CAppVariant::VT_I4, 4}, {CAppVariant::VT_UI4, 4},
};

const ScalarType* FindScalar(std::uint32_t code) {
  for (const ScalarType& row : kScalarTypes) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// Whether [offset, offset + bytes) lies inside a buffer of `size` bytes.
bool Inside(std::size_t size, std::size_t offset, std::size_t bytes) {
  return offset <= size && bytes <= size - offset;
}

}  // namespace

CAppParamStruct::CAppParamStruct() { m_nMaxSize = 0; }

void CAppParamStruct::DeclareStructure(const ST_STRUCTDESC* table, std::uint16_t count,
                                       std::uint16_t size) {
  if (table == nullptr && count != 0) APP_THROW("Bad pointer");
  m_pStructDesc = table;
  m_nFieldCount = count;
  m_nMaxSize = size;
  m_data.resize(size);
}

const CAppParamStruct::ST_STRUCTDESC& CAppParamStruct::Field(unsigned i) const {
  if (m_pStructDesc == nullptr || i >= m_nFieldCount) APP_THROW("Bad pointer");
  return m_pStructDesc[i];
}

std::string CAppParamStruct::GetFieldName(unsigned i) const {
  const ST_STRUCTDESC& field = Field(i);
  return std::string(field.name, strnlen(field.name, sizeof field.name));
}

std::uint32_t CAppParamStruct::ElementSize(std::uint16_t type) {
  const ScalarType* row = FindScalar(type & 0x0FFFu);
  return row != nullptr ? row->bytes : 1;
}

CAppVariant CAppParamStruct::GetField(unsigned i) const {
  const ST_STRUCTDESC& field = Field(i);
  const std::span<const std::uint8_t> data(m_data);
  CAppVariant value;
  if (field.type == kTypeText) {
    if (field.offset >= data.size()) return value;
    const auto text = data.subspan(field.offset);
    std::size_t length = 0;
    while (length < text.size() && length < kMaxText && text[length] != 0) ++length;
    value.SetString(std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length)));
    return value;
  }
  const ScalarType* row = FindScalar(field.type);
  if (row == nullptr || !Inside(data.size(), field.offset, row->bytes)) return value;
  // SetUInt sign-extends the raw bytes for the signed codes.
  value.SetUInt(row->code, AppByteOrder::ReadLE(data.subspan(field.offset), row->bytes));
  return value;
}

void CAppParamStruct::GetField(unsigned i, std::vector<std::uint8_t>& out) const {
  const ST_STRUCTDESC& field = Field(i);
  const std::size_t bytes = std::size_t{field.count} * ElementSize(field.type);
  if (!Inside(m_data.size(), field.offset, bytes)) {
    out.clear();
    return;
  }
  const auto first = m_data.begin() + field.offset;
  out.assign(first, first + static_cast<std::ptrdiff_t>(bytes));
}

void CAppParamStruct::SetField(unsigned i, const CAppVariant& value) {
  const ST_STRUCTDESC& field = Field(i);
  const ScalarType* row = FindScalar(field.type);
  if (row == nullptr || !Inside(m_data.size(), field.offset, row->bytes)) APP_THROW("Invalid Data");
  CAppVariant converted;
  converted.ChangeTypeThrow(row->code, &value, false);
  AppByteOrder::WriteLE(std::span<std::uint8_t>(m_data).subspan(field.offset), row->bytes,
                        converted.GetUInt64());
}

void CAppParamStruct::Serialize(CAppRecord* record) { CAppParamArray::Serialize(record); }

void CAppParamStruct::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateProfile("CAppParamStruct");
}
