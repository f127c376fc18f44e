#include "appconfig/AppParamNumeric.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <optional>
#include <vector>

#include "FieldRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppResources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using VT = CAppVariant::VarType;

const std::string kTypeError = "Erreur: Erreur dans le changement du type d'un variant.";

CAppVariant Typed(std::uint16_t vt, std::int64_t value) {
  CAppVariant v;
  v.SetInt(vt, value);
  return v;
}

CAppVariant Real(std::uint16_t vt, double value) {
  CAppVariant v;
  v.SetDouble(vt, value);
  return v;
}

// A numeric parameter keyed "K".
std::unique_ptr<CAppParamNumeric> MakeNumeric(std::uint16_t type, CAppVariant min = {},
                                              CAppVariant max = {}, CAppVariant def = {},
                                              CAppVariant value = {}) {
  auto p = std::make_unique<CAppParamNumeric>();
  p->SetKey("K");
  p->SetType(type);
  p->SetMinValue(min);
  p->SetMaxValue(max);
  p->SetDefaultValue(def);
  p->CAppParamValue::SetVariant(value);  // as loaded: not converted yet
  return p;
}

// Initialised resources whose numeric class profile offers these formats.
std::unique_ptr<CAppResources> ResourcesWithFormats(std::initializer_list<const char*> formats) {
  auto res = std::make_unique<CAppResources>();
  res->Init();
  auto* list = new CAppParamListKey;
  for (const char* f : formats) list->InsertAfter(f, CAppParamListKey::Position());
  res->_SetAt("CAppParamNumeric\\SYS_FORMAT_VALUE", list);
  return res;
}

}  // namespace

// --- Value ------------------------------------------------------------------------

TEST(AppParamNumeric, SetVariant_ConvertsAndCutsToWidth) {
  CapturedOutput output;
  auto p = MakeNumeric(VT::VT_UI1);
  p->SetVariant(CAppVariant(300));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_UI1, 44));
  p->SetVariant(CAppVariant("300"));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_UI1, 44));
  p->SetType(VT::VT_I2);
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_UI1, 44));  // a new type converts nothing held
  p->SetVariant(CAppVariant(40000));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_I2, -25536));
  p->SetVariant(CAppVariant("0x10"));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_I2, 16));
  EXPECT_TRUE(output.lines.empty());

  p->SetVariant(CAppVariant("abc"));  // no number: reported and stored as it is
  EXPECT_EQ(output.lines, std::vector<std::string>{kTypeError});
  EXPECT_EQ(p->GetVariant(), CAppVariant("abc"));

  p->SetType(0u);  // no type: nothing is converted
  p->SetVariant(CAppVariant(3.5));
  EXPECT_EQ(p->GetVariant(), CAppVariant(3.5));
  EXPECT_EQ(output.lines.size(), 1u);
}

TEST(AppParamNumeric, LoadDefault_StoresAndRestores) {
  auto p = MakeNumeric(VT::VT_I4, {}, {}, {}, CAppVariant(12));
  p->LoadDefault(true);
  EXPECT_EQ(p->GetDefaultValue(), CAppVariant(12));
  p->SetVariant(CAppVariant(99));
  p->LoadDefault(false);
  EXPECT_EQ(p->GetVariant(), CAppVariant(12));
  p->SetDefaultValue(CAppVariant("7"));  // restored through the type conversion
  p->LoadDefault(false);
  EXPECT_EQ(p->GetVariant(), CAppVariant(7));
}

// --- Check -------------------------------------------------------------------------

namespace {

struct CheckCase {
  const char* what;
  std::uint16_t type;
  CAppVariant min, max, def, value;
  std::uint32_t flags;
  const char* error;  // expected message, or null when the check passes
  CAppVariant after;  // the value after a passing check
};

}  // namespace

TEST(AppParamNumeric, Check_Table) {
  const std::string pre = "Exception >Check Error : ";
  const CheckCase cases[] = {
      {"all empty take the natural range", VT::VT_UI1, {}, {}, {}, {}, 0, nullptr,
       Typed(VT::VT_UI1, 0)},
      {"empty value takes the default", VT::VT_I4, CAppVariant(1), {}, CAppVariant(7), {}, 0,
       nullptr, CAppVariant(7)},
      {"empty value and default take the min", VT::VT_I4, CAppVariant(3), {}, {}, {}, 0, nullptr,
       CAppVariant(3)},
      {"value equal to max passes", VT::VT_I4, {}, CAppVariant(100), {}, CAppVariant(100), 0,
       nullptr, CAppVariant(100)},
      {"value equal to min passes", VT::VT_I4, CAppVariant(-5), {}, {}, CAppVariant(-5), 0,
       nullptr, CAppVariant(-5)},
      {"max + 1 fails", VT::VT_I4, {}, CAppVariant(100), {}, CAppVariant(101), 0,
       "K=101 > Max(100)", {}},
      {"min - 1 fails, signed", VT::VT_I1, CAppVariant(-5), {}, {}, CAppVariant(-6), 0,
       "K=-6 < Min(-5)", {}},
      {"wide value is cut to the type first", VT::VT_UI1, {}, CAppVariant(100), {},
       CAppVariant(300), 0, nullptr, Typed(VT::VT_UI1, 44)},
      {"text value is cut too", VT::VT_UI1, {}, CAppVariant(100), {}, CAppVariant("300"), 0,
       nullptr, Typed(VT::VT_UI1, 44)},
      {"unsigned comparison", VT::VT_UI4, {}, CAppVariant(100u), {}, CAppVariant(4294967295u), 0,
       "K=4294967295 > Max(100)", {}},
      {"floating comparison", VT::VT_R8, {}, CAppVariant(1.25), {}, CAppVariant(1.5), 0,
       "K=1.5 > Max(1.25)", {}},
      {"floating value as text", VT::VT_R8, {}, {}, {}, CAppVariant("2.5"), 0, nullptr,
       CAppVariant(2.5)},
      {"min above max wins over the value", VT::VT_I4, CAppVariant(10), CAppVariant(5), {},
       CAppVariant(1000), 0, "CAppParamNumeric(Key=K) Min <= Max  Not TRUE", {}},
      {"min above max even without range check", VT::VT_I4, CAppVariant(10), CAppVariant(5), {},
       {}, PF_NO_RANGE_CHECK, "CAppParamNumeric(Key=K) Min <= Max  Not TRUE", {}},
      {"default below min", VT::VT_I4, CAppVariant(10), CAppVariant(20), CAppVariant(9),
       CAppVariant(15), 0, "CAppParamNumeric(Key=K) Min <= Defaut Not TRUE", {}},
      {"default above max", VT::VT_I4, CAppVariant(10), CAppVariant(20), CAppVariant(21),
       CAppVariant(15), 0, "CAppParamNumeric(Key=K) Defaut <= Max Not TRUE", {}},
      {"value is tested before the default", VT::VT_I4, CAppVariant(10), CAppVariant(20),
       CAppVariant(21), CAppVariant(25), 0, "K=25 > Max(20)", {}},
      {"no range check: neither tested nor converted", VT::VT_UI1, {}, CAppVariant(100), {},
       CAppVariant(300), PF_NO_RANGE_CHECK, nullptr, CAppVariant(300)},
      {"64-bit types have no natural range", VT::VT_I8, {}, {}, {},
       CAppVariant(std::int64_t{1} << 40), 0, nullptr, CAppVariant(std::int64_t{1} << 40)},
      {"bounds given as texts", VT::VT_I2, CAppVariant("-3"), CAppVariant("0x10"), {},
       CAppVariant(17), 0, "K=17 > Max(16)", {}},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto p = MakeNumeric(c.type, c.min, c.max, c.def, c.value);
    p->ModifyFlags(0, c.flags);
    if (c.error != nullptr) {
      const CAppException e = CatchAppException([&] { p->_Check(); });
      EXPECT_EQ(e.GetMessage(), pre + c.error);
      EXPECT_EQ(e.GetPrgFile(), "AppParamNumeric");
      EXPECT_EQ(p->GetVariant(), c.value);  // only a passing check writes the value
    } else {
      EXPECT_NO_THROW(p->_Check());
      EXPECT_EQ(p->GetVariant(), c.after);
    }
  }
}

TEST(AppParamNumeric, Check_NaturalBoundsHeldInTheType) {
  struct Row {
    std::uint16_t type;
    CAppVariant lower, upper;
  };
  const Row rows[] = {
      {VT::VT_I1, Typed(VT::VT_I1, -128), Typed(VT::VT_I1, 127)},
      {VT::VT_UI1, Typed(VT::VT_UI1, 0), Typed(VT::VT_UI1, 255)},
      {VT::VT_I2, Typed(VT::VT_I2, -32768), Typed(VT::VT_I2, 32767)},
      {VT::VT_UI2, Typed(VT::VT_UI2, 0), Typed(VT::VT_UI2, 65535)},
      {VT::VT_I4, Typed(VT::VT_I4, -2147483648LL), Typed(VT::VT_I4, 2147483647)},
      {VT::VT_UI4, Typed(VT::VT_UI4, 0), Typed(VT::VT_UI4, 4294967295LL)},
      {VT::VT_R4, Real(VT::VT_R4, -FLT_MAX), Real(VT::VT_R4, FLT_MAX)},
      {VT::VT_R8, Real(VT::VT_R8, -DBL_MAX), Real(VT::VT_R8, DBL_MAX)},
      {VT::VT_I8, {}, {}},
      {VT::VT_UI8, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    auto p = MakeNumeric(row.type, {}, {}, {}, CAppVariant(1));
    p->_Check();
    EXPECT_EQ(p->GetMinValue(), row.lower);
    EXPECT_EQ(p->GetMaxValue(), row.upper);
    EXPECT_EQ(p->GetDefaultValue(), p->GetVariant());  // an empty default takes the value
  }
  EXPECT_EQ(Real(VT::VT_R4, FLT_MAX).GetDouble(), 3.4028234663852886e38);
}

TEST(AppParamNumeric, Check_FailureKeepsTheValueButCoercesTheBounds) {
  auto p = MakeNumeric(VT::VT_UI1, CAppVariant("2"), CAppVariant(50), CAppVariant(4),
                       CAppVariant(60));
  EXPECT_THROW(p->_Check(), CAppException);
  EXPECT_EQ(p->GetVariant(), CAppVariant(60));
  EXPECT_EQ(p->GetMinValue(), Typed(VT::VT_UI1, 2));
  EXPECT_EQ(p->GetMaxValue(), Typed(VT::VT_UI1, 50));
  EXPECT_EQ(p->GetDefaultValue(), Typed(VT::VT_UI1, 4));
}

TEST(AppParamNumeric, Check_TextThatIsNoNumberIsReportedNotRangeChecked) {
  CapturedOutput output;
  auto p = MakeNumeric(VT::VT_I2, {}, CAppVariant(5), {}, CAppVariant("abc"));
  EXPECT_NO_THROW(p->_Check());
  // Once by the coercion, once by the write-back.
  EXPECT_EQ(output.lines, (std::vector<std::string>{kTypeError, kTypeError}));
  EXPECT_EQ(p->GetVariant(), CAppVariant("abc"));
  EXPECT_EQ(p->GetDefaultValue(), CAppVariant("abc"));

  // A bound that is no number orders nothing either.
  auto q = MakeNumeric(VT::VT_I4, CAppVariant("low"), {}, {}, CAppVariant(-7));
  EXPECT_NO_THROW(q->_Check());
  EXPECT_EQ(q->GetVariant(), CAppVariant(-7));
}

TEST(AppParamNumeric, Check_RunsFromTheTreeCheck) {
  CAppParamGroup root;
  auto* p = root.SetAt("Speed", new CAppParamNumeric("Vitesse"));
  p->SetMaxValue(CAppVariant(10));
  p->CAppParamValue::SetVariant(CAppVariant(11));
  EXPECT_EQ(CatchAppException([&] { root.Check(); }).GetMessage(),
            "Exception >Check Error : Speed=11 > Max(10)");
  p->ModifyFlags(0, PF_NO_CHECK);
  EXPECT_NO_THROW(root.Check());
}

// --- Display base ------------------------------------------------------------------

TEST(AppParamNumeric, Bases_WithoutFormatList) {
  auto p = MakeNumeric(VT::VT_I4, {}, {}, {}, CAppVariant(255));
  p->SetBaseIndex(3);
  EXPECT_EQ(p->GetBase(nullptr), CAppTools::BASE_DEC);
  EXPECT_EQ(p->GetAllowedBases(nullptr), std::uint32_t{CAppTools::BASE_DEC});
  p->SetBase(CAppTools::BASE_HEX, nullptr);
  EXPECT_EQ(p->GetBaseIndex(), 0u);

  CAppResources bare;  // no class profile at all: the same fallbacks, no throw
  p->SetBaseIndex(3);
  EXPECT_EQ(p->GetBase(&bare), CAppTools::BASE_DEC);
  p->SetBase(CAppTools::BASE_HEX, &bare);
  EXPECT_EQ(p->GetBaseIndex(), 0u);

  auto res = ResourcesWithFormats({});
  p->SetBaseIndex(3);
  EXPECT_EQ(p->GetAllowedBases(res.get()), std::uint32_t{CAppTools::BASE_DEC});
  std::string text;
  EXPECT_TRUE(p->_GetFmtValue(text, res.get()));  // an empty list
  EXPECT_EQ(text, "255");
  EXPECT_EQ(p->GetBaseIndex(), 0u);
}

TEST(AppParamNumeric, Bases_ChosenFromTheFormatList) {
  auto res = ResourcesWithFormats({"%d", "%X", "%b", "%08x"});
  auto p = MakeNumeric(VT::VT_UI1, {}, {}, {}, Typed(VT::VT_UI1, 255));
  EXPECT_EQ(p->GetAllowedBases(res.get()),
            std::uint32_t{CAppTools::BASE_DEC | CAppTools::BASE_HEX | CAppTools::BASE_BIN});
  p->SetBase(CAppTools::BASE_HEX, res.get());
  EXPECT_EQ(p->GetBaseIndex(), 1u);  // the first hexadecimal format
  EXPECT_EQ(p->GetBase(res.get()), CAppTools::BASE_HEX);
  p->SetBase(CAppTools::BASE_OCT, res.get());  // no such format: unchanged
  EXPECT_EQ(p->GetBaseIndex(), 1u);
  p->SetBase(CAppTools::BASE_BIN, res.get());
  EXPECT_EQ(p->GetBaseIndex(), 2u);
  p->SetBaseIndex(4);
  EXPECT_EQ(p->GetBase(res.get()), CAppTools::BASE_DEC);  // names no entry

  p->SetType(VT::VT_R8);
  EXPECT_EQ(p->GetAllowedBases(res.get()), std::uint32_t{CAppTools::BASE_FLOAT});
  EXPECT_EQ(p->GetAllowedBases(nullptr), std::uint32_t{CAppTools::BASE_FLOAT});
}

TEST(AppParamNumeric, Bases_ListFoundThroughTheDefaultChain) {
  auto res = ResourcesWithFormats({"%d", "%o"});
  CAppParamGroup* speed = res->CreateProfile("Speed");
  auto* def = new CAppParam;
  def->SetName("Param Numeric");
  speed->_SetAt("SYS_DEFAULT", def);
  auto p = MakeNumeric(VT::VT_I4, {}, {}, {}, CAppVariant(8));
  p->SetAlias("Speed");
  p->SetBase(CAppTools::BASE_OCT, res.get());
  EXPECT_EQ(p->GetBaseIndex(), 1u);
  EXPECT_EQ(p->GetFmtValue(res.get()), "10");

  // An entry of another class under the key is no format list.
  CAppParamGroup* odd = res->CreateProfile("Odd");
  odd->_SetAt("SYS_FORMAT_VALUE", new CAppParamValue("%X"));
  p->SetAlias("Odd");
  EXPECT_EQ(p->GetBase(res.get()), CAppTools::BASE_DEC);
  EXPECT_EQ(p->GetAllowedBases(res.get()), std::uint32_t{CAppTools::BASE_DEC});
}

TEST(AppParamNumeric, GetFmtValue_ByBase) {
  auto res = ResourcesWithFormats({"%d", "%X", "%b", "%08x", "%e", "%o"});
  struct Row {
    std::uint16_t type;
    CAppVariant value;
    std::uint32_t index;
    const char* text;
    std::uint32_t indexAfter;
  };
  const Row rows[] = {
      {VT::VT_UI1, Typed(VT::VT_UI1, 255), 0, "255", 0},
      {VT::VT_UI1, Typed(VT::VT_UI1, 255), 1, "FF", 1},
      {VT::VT_UI1, Typed(VT::VT_UI1, 255), 2, "1111 1111 ", 2},
      {VT::VT_I1, Typed(VT::VT_I1, -1), 2, "1111 1111 ", 2},  // masked to the type
      {VT::VT_I2, Typed(VT::VT_I2, -2), 1, "FFFFFFFE", 1},
      {VT::VT_UI4, CAppVariant(4294967295u), 3, "ffffffff", 3},
      {VT::VT_I4, CAppVariant(255), 3, "000000ff", 3},
      {VT::VT_I4, CAppVariant(9), 5, "11", 5},
      {VT::VT_I4, CAppVariant(9), 4, "???", 4},  // a floating format on an integer
      {VT::VT_I4, CAppVariant(255), 6, "255", 0},  // names no entry: plain, index reset
      {VT::VT_R8, CAppVariant(2.5), 1, "2.5", 0},  // floating types stay plain
      {VT::VT_R4, Real(VT::VT_R4, 0.1), 1, "0.1", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto p = MakeNumeric(row.type, {}, {}, {}, row.value);
    p->SetBaseIndex(row.index);
    std::string text;
    EXPECT_TRUE(p->_GetFmtValue(text, res.get()));
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(p->GetBaseIndex(), row.indexAfter);
  }

  auto p = MakeNumeric(VT::VT_I4, {}, {}, {}, CAppVariant(255));
  p->SetBaseIndex(1);
  std::string text;
  EXPECT_TRUE(p->_GetFmtValue(text, nullptr));
  EXPECT_EQ(text, "255");
  EXPECT_EQ(p->GetBaseIndex(), 0u);

  p->SetBaseIndex(1);
  p->CAppParamValue::SetVariant(CAppVariant("abc"));
  EXPECT_EQ(CatchAppException([&] { p->_GetFmtValue(text, res.get()); }).GetMessage(),
            "Exception >CAppVariant : can't make this kind of convertion");
}

TEST(AppParamNumeric, GetUnit_ResourcesFirst) {
  CAppResources res;
  res.Init();
  auto p = MakeNumeric(VT::VT_I4);
  p->SetUnit("ms");
  EXPECT_EQ(p->GetUnit(), "ms");
  EXPECT_EQ(p->GetUnit(&res), "ms");
  auto* unit = new CAppParam;
  unit->SetName("s");
  res._SetAt("CAppParamNumeric\\SYS_UNIT_VALUE", unit);
  EXPECT_EQ(p->GetUnit(&res), "s");
}

// --- Records -----------------------------------------------------------------------

TEST(AppParamNumeric, Serialize_FieldOrderAndRoundTrip) {
  auto source = MakeNumeric(VT::VT_UI2, CAppVariant(1), CAppVariant(900), CAppVariant(5),
                            CAppVariant(42));
  source->SetUnit("mm");
  source->SetBaseIndex(2);
  source->SetBitSize(10);
  FieldRecord record;
  source->Serialize(&record);
  EXPECT_EQ(record.Names(),
            (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias", "Value", "MaxSize",
                                      "BitSize", "Base", "Unit", "Max", "Min", "Default", "Type"}));
  const std::vector<std::uint32_t> types = {
      CAppRecord::FT_UI4,     CAppRecord::FT_STRING,  CAppRecord::FT_VARIANT,
      CAppRecord::FT_VARIANT, CAppRecord::FT_VARIANT, CAppRecord::FT_TYPE};
  for (std::size_t i = 0; i < types.size(); ++i) {
    EXPECT_EQ(record.fields[8 + i].type, types[i]) << record.fields[8 + i].name;
  }

  record.Rewind();
  CAppParamNumeric copy;
  copy.Serialize(&record);
  EXPECT_EQ(copy.GetType().GetCode(), std::uint32_t{VT::VT_UI2});
  EXPECT_EQ(copy.GetBaseIndex(), 2u);
  EXPECT_EQ(copy.GetUnit(), "mm");
  EXPECT_EQ(copy.GetMinValue(), CAppVariant(1));
  EXPECT_EQ(copy.GetMaxValue(), CAppVariant(900));
  EXPECT_EQ(copy.GetDefaultValue(), CAppVariant(5));
  EXPECT_EQ(copy.GetVariant(), CAppVariant(42));
  EXPECT_EQ(copy.GetBitSize(), 10u);
}

TEST(AppParamNumeric, DataSerialize_PackAndUnpack) {
  CAppParamGroup root;
  auto* wide = root.SetAt("Wide", new CAppParamNumeric);
  wide->SetType(VT::VT_I2);
  wide->SetBitSize(12);
  wide->SetVariant(CAppVariant(0xABC));
  auto* nibble = root.SetAt("Nibble", new CAppParamNumeric);
  nibble->SetType(VT::VT_UI1);
  nibble->SetBitSize(4);
  nibble->SetVariant(CAppVariant(5));
  auto* word = root.SetAt("Word", new CAppParamNumeric);
  word->SetType(VT::VT_I2);
  word->SetBitSize(16);
  word->ModifyFlags(0, PF_MOTOROLA);
  word->SetVariant(CAppVariant(-2));

  CAppDataRecord save(false);
  root.DataSerialize(&save);
  Bytes bytes;
  save.GetData(bytes);
  EXPECT_EQ(bytes, (Bytes{0xBC, 0x5A, 0xFF, 0xFE}));

  // Unpacked into the numeric types; no sign extension of a narrow field.
  CAppDataRecord load(true);
  load.SetData(Bytes{0xFF, 0x3F, 0xFF, 0xFF});
  wide->SetVariant(CAppVariant());
  nibble->SetVariant(CAppVariant("x"));
  word->CAppParamValue::SetVariant(CAppVariant());  // loads as UI4 0xFFFF, then cut to I2
  root.DataSerialize(&load);
  EXPECT_EQ(wide->GetVariant(), Typed(VT::VT_I2, 0xFFF));
  EXPECT_EQ(nibble->GetVariant(), Typed(VT::VT_UI1, 3));
  EXPECT_EQ(word->GetVariant(), Typed(VT::VT_I2, -1));
}
