#include "appconfig/ui/AppCtrlEditNumeric.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QToolButton>

#include "appconfig/AppException.h"
#include "appconfig/ui/AppCtrlList.h"
#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

namespace {

using Base = CAppTools::EN_BASE;

// The order the base button starts with, and the order a mask is read in.
const std::vector<std::pair<std::uint32_t, char>> kDefaultBases = {
    {CAppTools::BASE_DEC, 'd'}, {CAppTools::BASE_HEX, 'h'}, {CAppTools::BASE_OCT, 'o'},
    {CAppTools::BASE_BIN, 'b'}, {CAppTools::BASE_FLOAT, 'E'}};
const std::vector<std::pair<std::uint32_t, char>> kMaskOrder = {
    {CAppTools::BASE_DEC, 'd'}, {CAppTools::BASE_HEX, 'h'}, {CAppTools::BASE_BIN, 'b'},
    {CAppTools::BASE_OCT, 'o'}, {CAppTools::BASE_FLOAT, 'E'}};

bool IsIntegerType(const CAppTools::Type& type) {
  const CAppTools::TypeInfo* info = CAppTools::FindTypeInfo(type.GetCode());
  return info != nullptr && info->name != nullptr && !info->isFloat && info->bits > 0;
}

// The value in binary, octal or hexadecimal: the raw bits under the type's
// mask; "###" for a value that has no integer type.
std::string FormatInBase(const CAppVariant& value, const CAppTools::Type& type, std::uint32_t base) {
  if (!IsIntegerType(type)) return "###";
  const std::uint64_t bits = value.GetUInt64() & type.GetMask64();
  switch (base) {
    case CAppTools::BASE_BIN: return CAppTools::Binary64ToString(bits);
    case CAppTools::BASE_OCT: return CAppTools::Format("%llo", static_cast<unsigned long long>(bits));
    default:
      return CAppTools::Format("0x%0*llX", static_cast<int>(type.GetBitSize() / 4),
                               static_cast<unsigned long long>(bits));
  }
}

}  // namespace

CAppCtrlEditNumeric::CAppCtrlEditNumeric(int withBaseButton, unsigned maxChars, QWidget* parent)
    : QLineEdit(parent), m_bases(kDefaultBases), m_nMaxChars(maxChars),
      m_bWithBaseButton(withBaseButton != 0) {
  if (m_nMaxChars > 0) setMaxLength(static_cast<int>(m_nMaxChars));
  if (m_bWithBaseButton) {
    // Inside the edit's right end, so that it moves and hides with the edit
    // in any layout; it never takes the focus from the edit.
    m_pBaseButton = new QToolButton(this);
    m_pBaseButton->setFocusPolicy(Qt::NoFocus);
    m_pBaseButton->setCursor(Qt::ArrowCursor);
    connect(m_pBaseButton, &QToolButton::clicked, this, &CAppCtrlEditNumeric::OnBaseClicked);
    UpdateBaseButton();
    PlaceBaseButton();
  }
  connect(this, &QLineEdit::textChanged, this, &CAppCtrlEditNumeric::OnTextChanged);
  UpdateColours();
}

CAppCtrlEditNumeric::~CAppCtrlEditNumeric() = default;

unsigned CAppCtrlEditNumeric::GetCtrlId() const { return AppGetDlgItemId(this); }

// --- Value and base ------------------------------------------------------------------

void CAppCtrlEditNumeric::SetValue(const CAppVariant& value) {
  m_bError = false;
  m_value = value;
  m_type = value.GetType();
  Refresh();
}

CAppTools::EN_BASE CAppCtrlEditNumeric::GetBase() const {
  return static_cast<Base>(m_bases[m_nBase].first);
}

void CAppCtrlEditNumeric::SetBase(CAppTools::EN_BASE base) {
  for (unsigned i = 0; i < m_bases.size(); ++i) {
    if (m_bases[i].first == base) m_nBase = i;
  }
  UpdateBaseButton();
  Refresh();
}

void CAppCtrlEditNumeric::SetValideBase(int mask) {
  if (mask == 0) return;
  const std::uint32_t current = GetBase();
  m_bases.clear();
  for (const auto& entry : kMaskOrder) {
    if ((static_cast<std::uint32_t>(mask) & entry.first) != 0) m_bases.push_back(entry);
  }
  if (m_bases.empty()) m_bases = kDefaultBases;
  m_nBase = 0;
  for (unsigned i = 0; i < m_bases.size(); ++i) {
    if (m_bases[i].first == current) m_nBase = i;
  }
  UpdateBaseButton();
}

void CAppCtrlEditNumeric::Refresh() {
  // The text shown is an accepted value.
  m_bError = false;
  std::string text;
  try {
    const std::uint32_t base = GetBase();
    if (base == CAppTools::BASE_DEC || base == CAppTools::BASE_FLOAT) {
      text = m_value.ToString();
    } else {
      text = FormatInBase(m_value, m_type, base);
    }
  } catch (const CAppException&) {
    text = "###";
  }
  WriteLocked(QString::fromStdString(text));
  if (!m_bInPlace) emit ErrorReported(m_bError);
  UpdateColours();
}

void CAppCtrlEditNumeric::WriteLocked(const QString& text) {
  const bool wasLocked = m_bLock;
  m_bLock = true;
  setText(text);
  m_bLock = wasLocked;
}

CAppVariant CAppCtrlEditNumeric::GetCtrlValue() {
  const std::string text = this->text().toStdString();
  const std::uint32_t base = GetBase();
  try {
    CAppVariant read;
    bool align = false;
    if (base == CAppTools::BASE_DEC || base == CAppTools::BASE_FLOAT) {
      read = CAppVariant(text);
    } else {
      // Non-decimal text writes bits: 0xFFFF is -1 in a signed 16-bit type.
      const bool isSigned = m_type.IsSigned();
      const std::uint32_t word = CAppTools::StringToDwordThrow(text.c_str(), isSigned, base);
      read = isSigned ? CAppVariant(static_cast<std::int32_t>(word)) : CAppVariant(word);
      align = true;
    }
    CAppVariant result;
    result.ChangeTypeThrow(static_cast<std::uint16_t>(m_type.GetCode()), &read, align);
    m_bError = false;
    return result;
  } catch (const CAppException&) {
    m_bError = true;
    return CAppVariant();
  }
}

// --- User input --------------------------------------------------------------------------

void CAppCtrlEditNumeric::OnTextChanged() {
  if (m_bInPlace) {
    ResizeEdit();
    return;
  }
  if (m_bLock) return;
  CAppVariant read = GetCtrlValue();
  if (!m_bError) {
    m_value = read;
    int answer = 1;
    if (m_bNotifyOnChange) emit Changed(&answer);
    if (!answer) m_bError = true;
  }
  emit ErrorReported(m_bError);
  UpdateColours();
}

void CAppCtrlEditNumeric::OnBaseClicked() {
  if (m_bases.size() < 2) return;
  if (m_bInPlace) {
    CAppVariant read = GetCtrlValue();
    if (m_bError) {
      UpdateColours();
      setFocus();
      return;
    }
    m_nBase = (m_nBase + 1) % m_bases.size();
    UpdateBaseButton();
    SetValue(read);
  } else {
    m_nBase = (m_nBase + 1) % m_bases.size();
    UpdateBaseButton();
    Refresh();
  }
  setFocus();
}

void CAppCtrlEditNumeric::UpdateBaseButton() {
  if (m_pBaseButton == nullptr) return;
  m_pBaseButton->setText(QString(QChar(m_bases[m_nBase].second)));
  m_pBaseButton->setEnabled(m_bases.size() >= 2 && isEnabled());
}

void CAppCtrlEditNumeric::PlaceBaseButton() {
  if (m_pBaseButton == nullptr) return;
  const int side = height();
  m_pBaseButton->setGeometry(width() - side, 0, side, side);
  setTextMargins(0, 0, side, 0);
}

void CAppCtrlEditNumeric::UpdateColours() {
  QPalette colours = QApplication::palette(this);
  if (m_bError && !m_bInPlace) {
    colours.setColor(QPalette::Base, colours.color(QPalette::Highlight));
    colours.setColor(QPalette::Text, colours.color(QPalette::HighlightedText));
  } else if (!isEnabled()) {
    colours.setColor(QPalette::Disabled, QPalette::Base, colours.color(QPalette::Button));
    colours.setColor(QPalette::Disabled, QPalette::Text, colours.color(QPalette::Disabled, QPalette::WindowText));
  }
  setPalette(colours);
}

// --- In place ------------------------------------------------------------------------------

void CAppCtrlEditNumeric::SetIsEditInPlace(int inPlace) {
  m_bInPlace = inPlace != 0;
  m_bNotifyOnChange = !m_bInPlace;
  UpdateColours();
}

void CAppCtrlEditNumeric::ResizeEdit() {
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  const int buttonWidth = m_pBaseButton != nullptr ? m_pBaseButton->width() : 0;
  const int wanted = fontMetrics().horizontalAdvance(text()) + 5 + buttonWidth + 8;
  const int room = parent->width() - x();
  if (wanted > width()) resize(std::min(wanted, room), height());
}

// --- Events --------------------------------------------------------------------------------

bool CAppCtrlEditNumeric::event(QEvent* event) {
  CAppMessageEvent* message = AppMessageEventCast(event);
  if (message != nullptr && AppAnswerReadOnly(this, message)) return true;
  return QLineEdit::event(event);
}

void CAppCtrlEditNumeric::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!m_bInPlace && !m_bNotifyOnChange) {
    int answer = 1;
    emit Changed(&answer);
  }
}

void CAppCtrlEditNumeric::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceBaseButton();
}

void CAppCtrlEditNumeric::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    UpdateBaseButton();
    UpdateColours();
  }
}
