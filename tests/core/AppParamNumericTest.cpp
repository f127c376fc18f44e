#include "appconfig/AppParamNumeric.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <vector>

#include "TestSupport.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppResources.h"

namespace {

using Strings = std::vector<std::string>;
using V = CAppVariant;
using VT = CAppVariant::VarType;

const std::string kTypeError = "Erreur: Erreur dans le changement du type d'un variant.";

// A numeric parameter keyed "K", its value as loaded: not converted yet.
std::unique_ptr<CAppParamNumeric> MakeNumeric(std::uint16_t type, V min = {}, V max = {},
                                              V def = {}, V value = {}) {
  auto p = std::make_unique<CAppParamNumeric>();
  p->SetKey("K");
  p->SetType(type);
  p->SetMinValue(min);
  p->SetMaxValue(max);
  p->SetDefaultValue(def);
  p->CAppParamValue::SetVariant(value);
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

TEST(AppParamNumeric, SetVariant_CutsToWidthAndReportsNoNumber) {
  CapturedOutput output;
  auto p = MakeNumeric(VT::VT_UI1);
  p->SetVariant(V(300));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_UI1, 44));
  p->SetVariant(V("300"));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_UI1, 44));
  p->SetType(VT::VT_I2);
  p->SetVariant(V(40000));
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_I2, -25536));
  EXPECT_TRUE(output.lines.empty());
  p->SetVariant(V("abc"));  // stored as it is
  EXPECT_EQ(output.lines, Strings{kTypeError});
  EXPECT_EQ(p->GetVariant(), V("abc"));
  p->SetDefaultValue(V("7"));  // the default is restored through the conversion too
  p->LoadDefault(false);
  EXPECT_EQ(p->GetVariant(), Typed(VT::VT_I2, 7));
}

// The five reachable messages of the check, in the order its steps test them.
TEST(AppParamNumeric, Check_Table) {
  const std::string minMax = "CAppParamNumeric(Key=K) Min <= Max  Not TRUE";
  // error: the expected message, empty when the check passes; after: the value then.
  struct Row { const char* what; std::uint16_t type; V min, max, def, value; std::uint32_t flags;
               std::string error; V after; };
  const Row rows[] = {
      {"empty value takes the default", VT::VT_I4, V(1), {}, V(7), {}, 0, "", V(7)},
      {"empty value and default take the min", VT::VT_I4, V(3), {}, {}, {}, 0, "", V(3)},
      {"equal to max passes", VT::VT_I4, {}, V(100), {}, V(100), 0, "", V(100)},
      {"equal to min passes", VT::VT_I4, V(-5), {}, {}, V(-5), 0, "", V(-5)},
      {"max + 1", VT::VT_I4, {}, V(100), {}, V(101), 0, "K=101 > Max(100)", {}},
      {"min - 1, signed", VT::VT_I1, V(-5), {}, {}, V(-6), 0, "K=-6 < Min(-5)", {}},
      {"cut first", VT::VT_UI1, {}, V(100), {}, V(300), 0, "", Typed(VT::VT_UI1, 44)},
      {"unsigned", VT::VT_UI4, {}, V(100u), {}, V(4294967295u), 0, "K=4294967295 > Max(100)", {}},
      {"floating", VT::VT_R8, {}, V(1.25), {}, V(1.5), 0, "K=1.5 > Max(1.25)", {}},
      {"min above max wins", VT::VT_I4, V(10), V(5), {}, V(1000), 0, minMax, {}},
      {"even without range check", VT::VT_I4, V(10), V(5), {}, {}, PF_NO_RANGE_CHECK, minMax, {}},
      {"default below min", VT::VT_I4, V(10), V(20), V(9), V(15), 0,
       "CAppParamNumeric(Key=K) Min <= Defaut Not TRUE", {}},
      {"default above max", VT::VT_I4, V(10), V(20), V(21), V(15), 0,
       "CAppParamNumeric(Key=K) Defaut <= Max Not TRUE", {}},
      {"value before default", VT::VT_I4, V(10), V(20), V(21), V(25), 0, "K=25 > Max(20)", {}},
      {"no range check, no conversion", VT::VT_UI1, {}, V(100), {}, V(300), PF_NO_RANGE_CHECK,
       "", V(300)},
      {"bounds as texts", VT::VT_I2, V("-3"), V("0x10"), {}, V(17), 0, "K=17 > Max(16)", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto p = MakeNumeric(row.type, row.min, row.max, row.def, row.value);
    p->ModifyFlags(0, row.flags);
    if (!row.error.empty()) {
      const CAppException e = CatchAppException([&] { p->_Check(); });
      EXPECT_EQ(e.GetMessage() + " @" + e.GetPrgFile(),
                "Exception >Check Error : " + row.error + " @AppParamNumeric");
      EXPECT_EQ(p->GetVariant(), row.value);  // only a passing check writes the value
    } else {
      EXPECT_NO_THROW(p->_Check());
      EXPECT_EQ(p->GetVariant(), row.after);
    }
  }
}

// All empty: bounds of the type, and the value and default take the minimum.
TEST(AppParamNumeric, Check_NaturalBoundsHeldInTheType) {
  const std::pair<V, V> rows[] = {
      {Typed(VT::VT_I1, -128), Typed(VT::VT_I1, 127)}, {Typed(VT::VT_UI1, 0), Typed(VT::VT_UI1, 255)},
      {Typed(VT::VT_I4, -2147483648LL), Typed(VT::VT_I4, 2147483647)},
      {Typed(VT::VT_UI4, 0), Typed(VT::VT_UI4, 4294967295LL)},
      {Real(VT::VT_R4, -FLT_MAX), Real(VT::VT_R4, FLT_MAX)},
      {Real(VT::VT_R8, -DBL_MAX), Real(VT::VT_R8, DBL_MAX)},
  };
  for (const auto& [lower, upper] : rows) {
    auto p = MakeNumeric(lower.GetType());
    p->_Check();
    EXPECT_EQ((std::vector<V>{p->GetMinValue(), p->GetMaxValue(), p->GetVariant(),
                              p->GetDefaultValue()}), (std::vector<V>{lower, upper, lower, lower}));
  }
  auto wide = MakeNumeric(VT::VT_I8);  // 64-bit types have none
  wide->_Check();
  EXPECT_TRUE(wide->GetMinValue().IsEmpty() && wide->GetMaxValue().IsEmpty());
}

// Display text by base index; the allowed bases and SetBase read the same list.
TEST(AppParamNumeric, GetFmtValue_ByBase) {
  auto res = ResourcesWithFormats({"%d", "%X", "%b", "%08x", "%e", "%o"});
  struct Row { V value; std::uint32_t index; const char* text; std::uint32_t indexAfter; };
  const Row rows[] = {
      {Typed(VT::VT_UI1, 255), 1, "FF", 1},   {Typed(VT::VT_UI1, 255), 2, "1111 1111 ", 2},
      {Typed(VT::VT_I1, -1), 2, "1111 1111 ", 2},  // masked to the type
      {Typed(VT::VT_I2, -2), 1, "FFFFFFFE", 1},    {V(255), 3, "000000ff", 3},
      {V(9), 5, "11", 5},     {V(9), 4, "???", 4},  // a floating format on an integer
      {V(255), 6, "255", 0},  // names no entry: plain, index reset
      {V(2.5), 1, "2.5", 0},  // floating types stay plain
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto p = MakeNumeric(row.value.GetType(), {}, {}, {}, row.value);
    p->SetBaseIndex(row.index);
    std::string text;
    EXPECT_TRUE(p->_GetFmtValue(text, res.get()));
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(p->GetBaseIndex(), row.indexAfter);
  }
  auto p = MakeNumeric(VT::VT_UI1);
  res = ResourcesWithFormats({"%d", "%X", "%b", "%08x"});
  EXPECT_EQ(p->GetAllowedBases(res.get()),
            std::uint32_t{CAppTools::BASE_DEC | CAppTools::BASE_HEX | CAppTools::BASE_BIN});
  p->SetBase(CAppTools::BASE_HEX, res.get());
  EXPECT_EQ(p->GetBaseIndex(), 1u);  // the first hexadecimal format
  p->SetBase(CAppTools::BASE_HEX, nullptr);  // no profile: decimal, index reset, no throw
  EXPECT_EQ(p->GetBaseIndex(), 0u);
  EXPECT_EQ(p->GetBase(nullptr), CAppTools::BASE_DEC);
}

