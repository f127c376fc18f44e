// The base class of every node of a parameter tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "appconfig/AppObject.h"
#include "appconfig/AppText.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppVariant.h"

class CAppParamGroup;
class CAppResources;
class CAppRecord;
class CAppDataRecord;

class CAppParam : public CAppObject {
  APP_DECLARE_DYNCREATE(CAppParam)

public:
  CAppParam() = default;
  // Releases the node's own fields only; the owning group unlinks it.
  ~CAppParam() override = default;
  CAppParam(const CAppParam&) = delete;
  CAppParam& operator=(const CAppParam&) = delete;

  const std::string& GetKey() const { return m_strKey; }
  // The group that holds the node finds it under its new key from then on.
  // A key that another child of that group holds (in any case), or an empty
  // one, is refused with a CAppException and the node keeps its key.
  void SetKey(const std::string& key) { SetKey(std::string_view(key)); }
  void SetKey(const char* key) { SetKey(std::string_view(key != nullptr ? key : "")); }
  void SetKey(std::string_view key);
  const std::string& GetHelp() const { return m_strHelp; }
  void SetHelp(const std::string& help) { m_strHelp = help; }
  void SetHelp(const char* help) { m_strHelp = help; }
  void SetName(const std::string& name) { m_strName = name; }
  void SetName(const char* name) { m_strName = name; }
  CAppParamGroup* GetParent() const { return m_pParent; }
  // Used by the group that adopts the node.
  void SetParent(CAppParamGroup* parent) { m_pParent = parent; }
  CAppTools::Flags& GetFlags() { return m_flags; }
  const CAppTools::Flags& GetFlags() const { return m_flags; }
  bool IsFlagsEnable(std::uint32_t mask) const { return m_flags.IsFlagsEnable(mask); }
  void ModifyFlags(std::uint32_t remove, std::uint32_t add) { m_flags.ModifyFlags(remove, add); }

  // --- Virtual operations, in slot order --------------------------------
  virtual CAppParamGroup* GetGroup();
  const CAppParamGroup* GetGroup() const { return const_cast<CAppParam*>(this)->GetGroup(); }
  // Class-specific formatted value; false when the class has none.
  virtual bool _GetFmtValue(std::string& out, CAppResources* resources);
  virtual std::string _GetUnit(CAppResources* resources);
  virtual void DataSerialize(CAppDataRecord* record);
  virtual void SetBitSize(unsigned bits);
  virtual unsigned GetBitSize();
  // Visits "Key", "Name", "Help", "Flags", "Alias"; derived classes call
  // this first and then visit their own fields.
  virtual void Serialize(CAppRecord* record);
  virtual void _Check();
  virtual unsigned ObjectSize();
  virtual unsigned ObjectCount();
  virtual std::string GetClassName() const;
  virtual std::string GetBaseClassName() const;
  virtual std::string GetAlias() const;
  virtual void SetAlias(const std::string& alias);
  virtual CAppVariant GetVariant(unsigned index);
  virtual CAppVariant GetVariant();
  virtual void SetVariant(const CAppVariant& value, unsigned index);
  virtual void SetVariant(const CAppVariant& value);
  virtual void GetData(std::vector<std::uint8_t>& data);
  virtual void SetData(std::vector<std::uint8_t>& data);
  virtual void LoadDefault(bool force);

  // --- Typed values, through GetVariant() and SetVariant() ----------------
  // GetValue converts a copy of the value to the type asked for
  // (CAppVariant::ChangeType with align on, so that a wider integer is cut to
  // the width asked); when that fails it shows the soft error 13689, answers
  // false and leaves `value` as it was. A string is the value's text.
  // SetValue hands the value to SetVariant as a variant of its own type
  // (I1 to UI8 by width and sign); the class decides what to keep (a numeric
  // parameter converts it to its declared type).
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
  bool GetValue(T& value) {
    std::int64_t n = 0;
    if (!GetIntegerValue(IntegerVariantType<T>(), n)) return false;
    value = static_cast<T>(n);
    return true;
  }
  bool GetValue(std::string& value);
  bool GetValue(CAppVariant& value);
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
  void SetValue(T value) {
    SetIntegerValue(IntegerVariantType<T>(), static_cast<std::int64_t>(value));
  }
  void SetValue(const std::string& value);
  void SetValue(const char* value);
  void SetValue(const CAppVariant& value);

  // --- Presentation lookups (resources may be null) ----------------------
  std::string GetName(CAppResources* resources = nullptr);
  std::string GetUnit(CAppResources* resources = nullptr);
  std::string GetFmtValue(CAppResources* resources = nullptr);

  // --- Tree queries -------------------------------------------------------
  // Returns the root group and sets `path` to the keys below the root down
  // to this node, joined by "\".
  CAppParamGroup* GetPath(std::string& path);
  std::string GetPath();
  // Every ancestor's key, the root's included, then this key, joined by "\".
  std::string GetFullKey() const;

  // Runs the check rule and the class checks down the tree; the first
  // failure throws. PF_NO_CHECK skips the node and its subtree,
  // PF_NO_CHECK_SUBTREE keeps only the node's check rule.
  void Check(CAppResources* resources = nullptr);

  static void _ResourcesInit(CAppResources* resources);

protected:
  // The variant type of an integer type, by width and sign.
  template <class T>
  static constexpr std::uint16_t IntegerVariantType() {
    constexpr bool s = std::is_signed_v<T>;
    switch (sizeof(T)) {
      case 1: return s ? CAppVariant::VT_I1 : CAppVariant::VT_UI1;
      case 2: return s ? CAppVariant::VT_I2 : CAppVariant::VT_UI2;
      case 4: return s ? CAppVariant::VT_I4 : CAppVariant::VT_UI4;
      default: return s ? CAppVariant::VT_I8 : CAppVariant::VT_UI8;
    }
  }
  bool GetIntegerValue(std::uint16_t type, std::int64_t& value);
  void SetIntegerValue(std::uint16_t type, std::int64_t value);

  // First step of every DataSerialize: false for 0 bits, false after skipping
  // `bits` for a PF_NO_DATA node, true when the caller is to transfer now.
  bool IsDataSerializable(CAppDataRecord* record, unsigned bits);
  // The "not supported" trace of the value operations.
  void TraceNotSupported(const char* operation, const char* file, unsigned line) const;

private:
  // Shared texts: a clone, an undo or a second reference to the same
  // definition holds the same copies.
  CAppText m_strKey;
  CAppParamGroup* m_pParent = nullptr;
  CAppText m_strAlias;
  CAppText m_strName;
  CAppText m_strHelp;
  CAppTools::Flags m_flags;
};
