// A slider over a 32-bit range (signed or unsigned). The platform slider
// counts in int, so a range wider than 0x7FFFFFFF is halved until it fits
// and every position then stands for 2^halvings values.
#pragma once

#include <QSlider>

#include <cstdint>

class CAppCtrlSlider : public QSlider {
  Q_OBJECT

public:
  explicit CAppCtrlSlider(std::uint32_t minimum = 0, std::uint32_t maximum = 100, int isSigned = 0,
                          QWidget* parent = nullptr);

  unsigned GetCtrlId() const;

  // FALSE (nothing changed) when the maximum is below the minimum.
  int SetLimit(std::uint32_t minimum, std::uint32_t maximum, int isSigned);
  // The value under the thumb (rounded down to a step of the halved range).
  std::uint32_t GetValue() const;
  // Clamped to the limits.
  void SetValue(std::uint32_t value);
  unsigned GetHalvings() const { return m_nHalvings; }

signals:
  // Every user action (line, page, ends, drag); a value set by code is none.
  void Changed();

protected:
  bool event(QEvent* event) override;

private:
  std::int64_t Wide(std::uint32_t value) const;

  std::uint32_t m_nMin = 0;
  std::uint32_t m_nMax = 100;
  bool m_bSigned = false;
  unsigned m_nHalvings = 0;
};
