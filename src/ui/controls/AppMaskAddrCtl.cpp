#include "appconfig/ui/AppMaskAddrCtl.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QAbstractButton>

#include <algorithm>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppUserInterface.h"
#include "controls/AppInPlaceKeys.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

namespace {

constexpr unsigned kOutOfRangeText = 13602;
constexpr unsigned kMissingText = 13603;

QString Trimmed(const std::string& text) { return QString::fromStdString(text).trimmed(); }

constexpr unsigned kOkItem = 1;
constexpr unsigned kCancelItem = 2;

// Presses the dialog's button with that item number; false without one.
bool ClickDialogButton(QWidget* dialog, unsigned item) {
  auto* button = qobject_cast<QAbstractButton*>(AppGetDlgItem(dialog, item));
  if (button == nullptr || !button->isEnabled()) return false;
  button->click();
  return true;
}

bool ContainsHexConversion(const std::string& format) {
  return format.find_first_of("xX") != std::string::npos;
}

}  // namespace

// --- One field -----------------------------------------------------------------------------

CAppMaskAddrEdit::CAppMaskAddrEdit(CAppMaskAddrCtl* owner, unsigned index)
    : QLineEdit(owner), m_pOwner(owner), m_nIndex(index) {
  setAlignment(Qt::AlignCenter);
  setFrame(false);
  setMaxLength(static_cast<int>(owner->GetNbCharMax()));
  AppSetDlgItemId(this, CAppMaskAddrCtl::kFirstFieldId + index);
}

bool CAppMaskAddrEdit::AcceptsCharacter(QChar& character) const {
  if (character.isDigit()) return true;
  if (!m_pOwner->IsHexa()) return false;
  if (character >= 'a' && character <= 'f') character = character.toUpper();
  return character >= 'A' && character <= 'F';
}

bool CAppMaskAddrEdit::event(QEvent* event) {
  if (m_pOwner == nullptr) return QLineEdit::event(event);
  // Tab leaves the whole control (or moves the list's editor), never to the
  // next field.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (AppIsInPlaceTab(key)) {
      m_pOwner->OnFieldTab(AppIsInPlaceBacktab(key));
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CAppMaskAddrEdit::keyPressEvent(QKeyEvent* event) {
  if (m_pOwner == nullptr) return;
  const QString typed = event->text();
  const bool atStart = cursorPosition() == 0 && !hasSelectedText();
  const bool atEnd = cursorPosition() == text().length() && !hasSelectedText();
  const unsigned next = m_nIndex + 1;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: m_pOwner->OnFieldEnter(); return;
    case Qt::Key_Escape: m_pOwner->OnFieldEscape(); return;
    case Qt::Key_Left:
      if (atStart && m_nIndex > 0) {
        m_pOwner->FocusField(m_nIndex - 1, false);
        return;
      }
      break;
    case Qt::Key_Backspace:
      if (atStart && m_nIndex > 0) {
        m_pOwner->FocusField(m_nIndex - 1, false);
        return;
      }
      break;
    case Qt::Key_Right:
      if (atEnd) {
        m_pOwner->FocusField(next, true);
        return;
      }
      break;
    default: break;
  }
  if (typed.isEmpty() || typed.at(0).category() == QChar::Other_Control ||
      (event->modifiers() & Qt::ControlModifier)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QChar character = typed.at(0);
  if (character == ' ' || character == '-') {
    m_pOwner->FocusField(next, true);
    return;
  }
  if (character == QChar(m_pOwner->GetSeparator())) {
    if (!text().isEmpty() && !hasSelectedText()) m_pOwner->FocusField(next, true);
    return;
  }
  // insert() would type into a read-only field.
  if (isReadOnly() || !AcceptsCharacter(character)) {
    QApplication::beep();
    return;
  }
  insert(QString(character));
  if (text().length() >= static_cast<int>(m_pOwner->GetNbCharMax()) &&
      cursorPosition() == text().length()) {
    m_pOwner->FocusField(next, true);
  }
}

void CAppMaskAddrEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (m_pOwner != nullptr) m_pOwner->OnFieldFocusOut(event->reason());
}

// --- The control -----------------------------------------------------------------------------

CAppMaskAddrCtl::CAppMaskAddrCtl(unsigned fieldCount, char separator, const std::string& format,
                                 unsigned maximum, QWidget* parent)
    : QFrame(parent), m_strFormat(format), m_cSeparator(separator), m_nMaximum(maximum) {
  m_bHexa = ContainsHexConversion(format);
  m_nFieldWidth = static_cast<unsigned>(
      CAppTools::Format(m_bHexa ? "%x" : "%d", maximum).size());
  fieldCount = std::clamp(fieldCount, 1u, kMaxFields);
  // The look of an edit box around the fields.
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 1, 2, 1);
  layout->setSpacing(0);
  const int fieldWidth = fontMetrics().horizontalAdvance(QString(static_cast<int>(m_nFieldWidth) + 1, '0'));
  for (unsigned i = 0; i < fieldCount; ++i) {
    if (i > 0) {
      auto* gap = new QLabel(QString(QChar(separator)), this);
      gap->setAlignment(Qt::AlignCenter);
      gap->setAttribute(Qt::WA_TranslucentBackground);
      layout->addWidget(gap);
      m_separators.push_back(gap);
    }
    auto* field = new CAppMaskAddrEdit(this, i);
    field->setMinimumWidth(fieldWidth);
    layout->addWidget(field, 1);
    m_fields.push_back(field);
  }
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(m_fields.front());
  // One line high, as an edit box.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

// The fields outlive the control's members (Qt deletes children last), and
// the focused one still gets its focus loss then.
CAppMaskAddrCtl::~CAppMaskAddrCtl() {
  m_bDestroyed = true;
  for (CAppMaskAddrEdit* field : m_fields) field->DetachOwner();
}

unsigned CAppMaskAddrCtl::GetCtrlId() const { return AppGetDlgItemId(this); }

CAppMaskAddrEdit* CAppMaskAddrCtl::GetEditControl(unsigned index) const {
  return index < m_fields.size() ? m_fields[index] : nullptr;
}

std::string CAppMaskAddrCtl::FormatValue(std::uint32_t value) const {
  try {
    return Trimmed(CAppTools::DwordToString(value, m_strFormat.c_str())).toStdString();
  } catch (const CAppException&) {
    return std::to_string(value);
  }
}

// --- Values ----------------------------------------------------------------------------------

bool CAppMaskAddrCtl::ParseAddressPart(unsigned index, std::uint32_t& value) const {
  QString text = m_fields[index]->text().trimmed();
  value = 0xFFFFFFFFu;
  if (text.isEmpty()) return false;
  // A typed leading zero is a digit here, not an octal prefix.
  while (text.size() > 1 && text.startsWith('0')) text.remove(0, 1);
  try {
    value = CAppTools::StringToDwordThrow(text.toStdString().c_str(), false,
                                          m_bHexa ? CAppTools::BASE_HEX : CAppTools::BASE_DEC);
  } catch (const CAppException&) {
    return false;
  }
  return value <= m_nMaximum;
}

void CAppMaskAddrCtl::ShowFieldError(unsigned index, std::uint32_t value) {
  const std::string text =
      m_fields[index]->text().trimmed().isEmpty()
          ? CAppTools::LoadString(kMissingText)
          : CAppTools::Format(CAppTools::LoadString(kOutOfRangeText).c_str(), static_cast<int>(value),
                              FormatValue(m_nMaximum).c_str());
  CAppTools::MessageBox(text, APP_MB_OK | APP_MB_ICONEXCLAMATION);
}

int CAppMaskAddrCtl::GetAddress(int showMessage, tagMASK_ADDR& address) {
  address = tagMASK_ADDR{};
  for (unsigned i = 0; i < m_fields.size(); ++i) {
    std::uint32_t value = 0;
    if (!ParseAddressPart(i, value)) {
      address.invalid = i + 1;
      // The box takes the focus; the field must not commit meanwhile.
      m_bIgnoreFocusLoss = true;
      if (showMessage) ShowFieldError(i, value);
      FocusField(i, true);
      m_bIgnoreFocusLoss = false;
      return 0;
    }
    address.values[i] = static_cast<std::uint8_t>(value);
  }
  return 1;
}

void CAppMaskAddrCtl::SetAddress(const tagMASK_ADDR& address) {
  for (unsigned i = 0; i < m_fields.size(); ++i) {
    m_fields[i]->setText(QString::fromStdString(FormatValue(address.values[i])));
  }
}

int CAppMaskAddrCtl::GetData(std::vector<std::uint8_t>& bytes) {
  tagMASK_ADDR address{};
  if (!GetAddress(1, address)) return 0;
  bytes.assign(address.values, address.values + m_fields.size());
  return 1;
}

void CAppMaskAddrCtl::SetData(const std::vector<std::uint8_t>& bytes) {
  for (unsigned i = 0; i < m_fields.size() && i < bytes.size(); ++i) {
    m_fields[i]->setText(QString::fromStdString(FormatValue(bytes[i])));
  }
}

void CAppMaskAddrCtl::SetReadOnly(int readOnly) {
  m_bReadOnly = readOnly != 0;
  for (CAppMaskAddrEdit* field : m_fields) field->setReadOnly(m_bReadOnly);
  update();
}

void CAppMaskAddrCtl::SetIsEditInPlace(int inPlace) {
  m_bInPlace = inPlace != 0;
  setFrameStyle(m_bInPlace ? QFrame::Box | QFrame::Plain : QFrame::StyledPanel | QFrame::Sunken);
  layout()->setContentsMargins(m_bInPlace ? 1 : 2, m_bInPlace ? 0 : 1, m_bInPlace ? 1 : 2, m_bInPlace ? 0 : 1);
}

// --- In place --------------------------------------------------------------------------------

// In place, the control's host (a list's editing) takes Tab, Enter, Escape
// and the focus leaving the control: a field hands them on as the
// control's own.
void CAppMaskAddrCtl::HandKeyToHost(int key, Qt::KeyboardModifiers modifiers) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QCoreApplication::sendEvent(this, &event);
}

// --- Navigation ------------------------------------------------------------------------------

void CAppMaskAddrCtl::FocusField(unsigned index, bool selectAll) {
  if (index >= m_fields.size()) return;
  CAppMaskAddrEdit* field = m_fields[index];
  field->setFocus(Qt::OtherFocusReason);
  if (selectAll) {
    field->selectAll();
  } else {
    field->deselect();
    field->setCursorPosition(static_cast<int>(field->text().length()));
  }
}

void CAppMaskAddrCtl::MoveFocusOut(bool previous) {
  // The dialog's next tab stop after the last field (or before the first).
  QWidget* edge = previous ? m_fields.front() : m_fields.back();
  QWidget* widget = edge;
  do {
    widget = previous ? widget->previousInFocusChain() : widget->nextInFocusChain();
  } while (widget != edge &&
           (isAncestorOf(widget) || widget == this || !(widget->focusPolicy() & Qt::TabFocus) ||
            !widget->isEnabled() || !widget->isVisible()));
  if (widget != edge) widget->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void CAppMaskAddrCtl::OnFieldTab(bool previous) {
  if (m_bInPlace) {
    HandKeyToHost(previous ? Qt::Key_Backtab : Qt::Key_Tab, previous ? Qt::ShiftModifier : Qt::NoModifier);
  } else {
    MoveFocusOut(previous);
  }
}

void CAppMaskAddrCtl::OnFieldEnter() {
  if (m_bInPlace) {
    HandKeyToHost(Qt::Key_Return, Qt::NoModifier);
    return;
  }
  // The dialog's OK button (item 1), as the dialog manager presses it.
  if (!ClickDialogButton(window(), kOkItem)) {
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->accept();
  }
}

void CAppMaskAddrCtl::OnFieldEscape() {
  if (m_bInPlace) {
    m_bSave = false;
    HandKeyToHost(Qt::Key_Escape, Qt::NoModifier);
    return;
  }
  if (!ClickDialogButton(window(), kCancelItem)) {
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->reject();
  }
}

void CAppMaskAddrCtl::OnFieldFocusOut(Qt::FocusReason reason) {
  if (!m_bInPlace || m_bIgnoreFocusLoss || m_bDestroyed || !m_bSave) return;
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && isAncestorOf(focus)) return;
  QFocusEvent event(QEvent::FocusOut, reason);
  QCoreApplication::sendEvent(this, &event);
}

// --- Messages and state ------------------------------------------------------------------------

bool CAppMaskAddrCtl::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    auto* address = reinterpret_cast<tagMASK_ADDR*>(message->GetLParam());
    switch (message->GetMessage()) {
      case AppWindowMessage::ReadOnly:
      case AppWindowMessage::AddressReadOnly:
        SetReadOnly(static_cast<int>(message->GetWParam()));
        message->SetResult(1);
        return true;
      case AppWindowMessage::AddressGet:
        message->SetResult(address != nullptr ? GetAddress(static_cast<int>(message->GetWParam()), *address) : 0);
        return true;
      case AppWindowMessage::AddressSet:
        if (address != nullptr) SetAddress(*address);
        message->SetResult(0);
        return true;
      default: break;
    }
  }
  return QFrame::event(event);
}

void CAppMaskAddrCtl::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    for (CAppMaskAddrEdit* field : m_fields) field->setFont(font());
  }
  // Enabling reaches the fields and separators as children; the labels grey.
}
