#include "appconfig/ui/AppCtrlSlider.h"

#include <algorithm>
#include <limits>

#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlSlider::CAppCtrlSlider(std::uint32_t minimum, std::uint32_t maximum, int isSigned, QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {
  if (!SetLimit(minimum, maximum, isSigned)) SetLimit(0, 100, 0);
  connect(this, &QSlider::actionTriggered, this, [this](int action) {
    if (action != QAbstractSlider::SliderNoAction) emit Changed();
  });
}

unsigned CAppCtrlSlider::GetCtrlId() const { return AppGetDlgItemId(this); }

std::int64_t CAppCtrlSlider::Wide(std::uint32_t value) const {
  return m_bSigned ? static_cast<std::int64_t>(static_cast<std::int32_t>(value)) : static_cast<std::int64_t>(value);
}

int CAppCtrlSlider::SetLimit(std::uint32_t minimum, std::uint32_t maximum, int isSigned) {
  const bool wasSigned = m_bSigned;
  m_bSigned = isSigned != 0;
  if (Wide(maximum) < Wide(minimum)) {
    m_bSigned = wasSigned;
    return 0;
  }
  m_nMin = minimum;
  m_nMax = maximum;
  // A span of 32 bits is halved once to fit the slider's int range.
  const std::int64_t span = Wide(maximum) - Wide(minimum);
  m_nHalvings = span > std::numeric_limits<int>::max() ? 1 : 0;
  setRange(0, static_cast<int>(span >> m_nHalvings));
  return 1;
}

std::uint32_t CAppCtrlSlider::GetValue() const {
  // The thumb's position: during a drag the value follows only afterwards.
  const std::int64_t offset = static_cast<std::int64_t>(sliderPosition()) << m_nHalvings;
  return static_cast<std::uint32_t>(Wide(m_nMin) + offset);
}

void CAppCtrlSlider::SetValue(std::uint32_t value) {
  const std::int64_t wide = std::clamp(Wide(value), Wide(m_nMin), Wide(m_nMax));
  setValue(static_cast<int>((wide - Wide(m_nMin)) >> m_nHalvings));
}

bool CAppCtrlSlider::event(QEvent* event) { return AppTakeReadOnlyMessage(this, event) || QSlider::event(event); }
