// The device data image: a byte buffer and a bit cursor. Bit p is bit
// (p mod 8) of byte (p div 8), bit 0 being the least significant.
#pragma once

#include <cstdint>
#include <vector>

#include "appconfig/AppObject.h"

class CAppDataRecord : public CAppObject {
  APP_DECLARE_DYNCREATE(CAppDataRecord)

public:
  explicit CAppDataRecord(bool load = false) : m_bLoad(load) {}

  bool IsModeLoad() const { return m_bLoad; }
  // Sets the mode and puts the cursor back to 0.
  void SetModeLoad(bool load) {
    m_bLoad = load;
    m_nPosition = 0;
  }
  // Advances the cursor without touching the data.
  void Shift(std::uint32_t bits) { m_nPosition += bits; }
  std::uint32_t GetPosition() const { return m_nPosition; }

  std::uint32_t GetSize() const { return static_cast<std::uint32_t>(m_data.size()); }
  void GetData(std::vector<std::uint8_t>& out) const { out = m_data; }
  void SetData(const std::vector<std::uint8_t>& data) { m_data = data; }

private:
  std::vector<std::uint8_t> m_data;
  std::uint32_t m_nPosition = 0;
  bool m_bLoad = false;
};
