// A dotted address editor (a TCP/IP address by default): several small
// numeric fields separated by a separator character.
//
// Each field (CAppMaskAddrEdit) accepts digits (and A-F in a hexadecimal
// control) and moves on to the next field when it is full. Reading the
// address checks every field against the maximum; the first invalid field
// is reported in a message box (13602 out of range, 13603 missing) and
// takes the focus with its text selected.
#pragma once

#include <QFrame>
#include <QLineEdit>

#include <cstdint>
#include <string>
#include <vector>

class CAppMaskAddrCtl;
class QLabel;

// The address record: one value per field (the first field-count bytes are
// used), then the 1-based index of the first invalid field (0: all valid).
struct tagMASK_ADDR {
  std::uint8_t values[12];
  std::uint32_t invalid;
};

class CAppMaskAddrEdit : public QLineEdit {
  Q_OBJECT

public:
  CAppMaskAddrEdit(CAppMaskAddrCtl* owner, unsigned index);
  unsigned GetIndex() const { return m_nIndex; }
  // The owner is going: the field's last events must not reach it.
  void DetachOwner() { m_pOwner = nullptr; }

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  bool AcceptsCharacter(QChar& character) const;

  CAppMaskAddrCtl* m_pOwner;
  unsigned m_nIndex;
};

class CAppMaskAddrCtl : public QFrame {
  Q_OBJECT

public:
  static constexpr unsigned kMaxFields = 10;
  static constexpr unsigned kFirstFieldId = 13552;

  explicit CAppMaskAddrCtl(unsigned fieldCount = 4, char separator = '.',
                           const std::string& format = " %3d ", unsigned maximum = 255,
                           QWidget* parent = nullptr);
  ~CAppMaskAddrCtl() override;

  // In place the control is drawn thinner, to fit a list row, and a
  // field's Tab, Enter and Escape and the focus leaving the control reach
  // the control itself, for its host.
  void SetIsEditInPlace(int inPlace);
  int IsEditInPlace() const { return m_bInPlace ? 1 : 0; }

  // Reads every field into `address`; TRUE when all are valid. Otherwise the
  // record names the first invalid field, which takes the focus with its
  // text selected, after a message box when `showMessage` is set.
  int GetAddress(int showMessage, tagMASK_ADDR& address);
  void SetAddress(const tagMASK_ADDR& address);
  // One byte per field, with the messages shown; FALSE (bytes unchanged)
  // when a field is invalid.
  int GetData(std::vector<std::uint8_t>& bytes);
  // The fields from the first field-count bytes (missing ones left alone).
  void SetData(const std::vector<std::uint8_t>& bytes);
  void SetReadOnly(int readOnly);
  int IsReadOnly() const { return m_bReadOnly ? 1 : 0; }

  CAppMaskAddrEdit* GetEditControl(unsigned index) const;
  unsigned GetFieldCount() const { return static_cast<unsigned>(m_fields.size()); }
  char GetSeparator() const { return m_cSeparator; }
  unsigned GetNbCharMax() const { return m_nFieldWidth; }
  void GetFormat(std::string& format) const { format = m_strFormat; }
  int IsHexa() const { return m_bHexa ? 1 : 0; }
  unsigned GetMaximum() const { return m_nMaximum; }
  void SetSave(int save) { m_bSave = save != 0; }
  int GetSave() const { return m_bSave ? 1 : 0; }
  int IsDestroyWindow() const { return m_bDestroyed ? 1 : 0; }
  int IsInvalidKillFocus() const { return m_bIgnoreFocusLoss ? 1 : 0; }
  unsigned GetCtrlId() const;

  // --- Navigation, for the fields -----------------------------------------------
  void FocusField(unsigned index, bool selectAll);
  void OnFieldTab(bool previous);
  void OnFieldEnter();
  void OnFieldEscape();
  void OnFieldFocusOut(Qt::FocusReason reason);

protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  // The field's value; false when it is empty (0xFFFFFFFF) or too large.
  bool ParseAddressPart(unsigned index, std::uint32_t& value) const;
  std::string FormatValue(std::uint32_t value) const;
  void ShowFieldError(unsigned index, std::uint32_t value);
  void HandKeyToHost(int key, Qt::KeyboardModifiers modifiers);
  void MoveFocusOut(bool previous);

  std::vector<CAppMaskAddrEdit*> m_fields;
  std::vector<QLabel*> m_separators;
  std::string m_strFormat;
  char m_cSeparator;
  unsigned m_nMaximum;
  bool m_bHexa = false;
  unsigned m_nFieldWidth = 3;
  bool m_bInPlace = false;
  bool m_bReadOnly = false;
  bool m_bIgnoreFocusLoss = false;
  bool m_bSave = true;
  bool m_bDestroyed = false;
};
