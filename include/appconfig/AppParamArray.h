// A raw byte block with a maximum size, an optional bit size for the device
// data image and the display options of the hex dump editor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppParam.h"

class CAppParamArray : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamArray)

public:
  // Largest data that SetMaxSize will allocate. A size read from a damaged
  // file must not exhaust memory; anything above is refused with the soft
  // size error 13683.
  static constexpr std::uint32_t kMaxDataSize = 1u << 24;

  CAppParamArray() = default;

  // Pointer to the first byte; valid until the next size change (null when
  // the data is empty).
  std::uint8_t* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
  std::uint32_t GetSize() const { return static_cast<std::uint32_t>(m_data.size()); }
  // The data becomes those n bytes; a null pointer throws "Bad pointer"
  // unless n is 0.
  void SetData(const std::uint8_t* bytes, std::uint32_t n);

  // With a bit size, the bit size in whole bytes; without one, the max size.
  std::uint32_t GetMaxSize() const;
  // Stores n and resizes the data to GetMaxSize() bytes (new bytes zero,
  // extra bytes cut). A resulting size above kMaxDataSize shows the soft
  // error 13683 and changes nothing.
  void SetMaxSize(std::uint32_t n);

  void GetFormat(std::string& format) const { format = m_strFormat; }
  void SetDumpOptions(std::uint32_t options) { m_nDumpOptions = options; }
  std::uint32_t GetDumpOptions() const { return m_nDumpOptions; }

  // --- Overridden slots -----------------------------------------------------
  // The first bytes as "%02X " each, "..." after 10 bytes.
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  // The data as one block of GetBitSize() bits, never byte-swapped.
  void DataSerialize(CAppDataRecord* record) override;
  void SetBitSize(unsigned bits) override { m_nBitSize = bits; }
  // 0 without a bit size; a bit size beyond the data shows the soft error
  // 13683 and answers 0, which leaves the array out of the image.
  unsigned GetBitSize() override;
  void Serialize(CAppRecord* record) override;
  void _Check() override;
  // Copies of the data; SetData takes any size, even above the max size.
  void GetData(std::vector<std::uint8_t>& data) override { data = m_data; }
  void SetData(std::vector<std::uint8_t>& data) override { m_data = data; }

  static void _ResourcesInit(CAppResources* resources);

protected:
  std::vector<std::uint8_t> m_data;
  std::string m_strFormat = "%d";
  std::uint32_t m_nMaxSize = 1024;
  std::uint32_t m_nBitSize = 0;
  std::uint32_t m_nDumpOptions = 0;
};
