#include "AppDumpData.h"

#include <algorithm>

namespace AppDump {

void Data::Assign(const std::uint8_t* bytes, std::size_t count) {
  count = std::min(count, m_max);
  m_bytes.assign(bytes, bytes + count);
  if (m_min > 0) PadTo(static_cast<std::size_t>(m_min));
  m_undo = UndoStep{};
}

void Data::SetMaxLength(std::size_t max) {
  m_max = max;
  if (m_bytes.size() > max) m_bytes.resize(max);
  m_undo = UndoStep{};
}

void Data::SetMinLength(long min) {
  m_min = min < 0 ? -1 : min;
  if (m_min > 0) PadTo(static_cast<std::size_t>(m_min));
  m_undo = UndoStep{};
}

std::size_t Data::Removable() const {
  const std::size_t keep = m_min > 0 ? static_cast<std::size_t>(m_min) : 0;
  return m_bytes.size() > keep ? m_bytes.size() - keep : 0;
}

void Data::Replace(std::size_t offset, std::size_t count, const std::vector<std::uint8_t>& insert) {
  offset = std::min(offset, m_bytes.size());
  count = std::min(count, m_bytes.size() - offset);
  const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
  m_undo.removed.assign(first, first + static_cast<std::ptrdiff_t>(count));
  m_undo.offset = offset;
  m_undo.insertedCount = insert.size();
  m_undo.available = true;
  if (count == insert.size()) {
    std::copy(insert.begin(), insert.end(), first);
    return;
  }
  m_bytes.erase(first, first + static_cast<std::ptrdiff_t>(count));
  m_bytes.insert(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset), insert.begin(), insert.end());
}

void Data::PadTo(std::size_t size) {
  if (m_bytes.size() < size) m_bytes.resize(size, 0);
}

std::size_t Data::Undo() {
  if (!m_undo.available) return 0;
  // The reverse splice; it is no edit to undo in its turn.
  const UndoStep step = std::move(m_undo);
  const std::size_t offset = std::min(step.offset, m_bytes.size());
  Replace(offset, step.insertedCount, step.removed);
  m_undo = UndoStep{};
  return offset;
}

}  // namespace AppDump
