// The bytes that the hex dump editor edits, their length limits and the one
// level of undo. Every user edit is one splice (replace a range by other
// bytes); the undo step keeps what the splice took away and where, so an edit
// costs what it touches, not the whole array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace AppDump {

class Data {
public:
  static constexpr std::size_t kDefaultMaxLength = 65535;

  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
  std::size_t Size() const { return m_bytes.size(); }

  // Replaces the bytes, cut to the maximum and padded to the minimum; the
  // undo step is dropped.
  void Assign(const std::uint8_t* bytes, std::size_t count);
  // A shorter maximum cuts the data; a longer minimum pads it with zeros.
  // A minimum of -1 means none. Both drop the undo step.
  void SetMaxLength(std::size_t max);
  void SetMinLength(long min);
  std::size_t MaxLength() const { return m_max; }
  long MinLength() const { return m_min; }
  // Room left before the maximum, and bytes that may go before the minimum.
  std::size_t Room() const { return m_max > m_bytes.size() ? m_max - m_bytes.size() : 0; }
  std::size_t Removable() const;

  // The one edit: `count` bytes at `offset` become `insert` (offset and count
  // are clipped to the data). Records the undo step. Lengths are the
  // caller's to respect.
  void Replace(std::size_t offset, std::size_t count, const std::vector<std::uint8_t>& insert);
  // Appends zeros up to a length, as the formats need whole words; not an
  // edit of the user, so no undo step.
  void PadTo(std::size_t size);

  bool CanUndo() const { return m_undo.available; }
  // Puts back what the last edit replaced; returns where it happened.
  std::size_t Undo();

private:
  struct UndoStep {
    bool available = false;
    std::size_t offset = 0;
    std::size_t insertedCount = 0;
    std::vector<std::uint8_t> removed;
  };

  std::vector<std::uint8_t> m_bytes;
  std::size_t m_max = kDefaultMaxLength;
  long m_min = -1;
  UndoStep m_undo;
};

}  // namespace AppDump
