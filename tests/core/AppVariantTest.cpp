#include "appconfig/AppVariant.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "TestSupport.h"
#include "appconfig/AppTools.h"

namespace {

using V = CAppVariant;
constexpr const char* kNoConversion = "Exception >CAppVariant : can't make this kind of convertion";

std::string Show(const V& v) {
  return "vt=" + std::to_string(v.GetType()) + " '" + (v.IsString() ? v.GetStringRef() : "") + "'";
}

}  // namespace

TEST(AppVariant, ConvertValue_Table) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::uint64_t all = ~std::uint64_t{0};
  struct Row { V source; std::uint16_t code; std::optional<V> expected; };  // nullopt: refused
  const Row rows[] = {
      {V(), V::VT_I4, Typed(V::VT_I4, 0)}, {V(), V::VT_BSTR, V("")}, {Typed(V::VT_I8, -129), V::VT_I1, std::nullopt},
      {Real(V::VT_R8, 2.5), V::VT_I4, Typed(V::VT_I4, 2)}, {Real(V::VT_R8, 3.5), V::VT_I4, Typed(V::VT_I4, 4)},
      {Real(V::VT_R8, nan), V::VT_I4, std::nullopt}, {V(" 42\t"), V::VT_I2, Typed(V::VT_I2, 42)},
      {V("0x1F"), V::VT_I4, std::nullopt}, {V(""), V::VT_I4, std::nullopt}, {V("18446744073709551616"), V::VT_UI8, std::nullopt},
      {TypedU(V::VT_UI8, all), V::VT_BSTR, V("18446744073709551615")}, {Real(V::VT_R4, 0.1), V::VT_BSTR, V("0.1")},
      {Typed(V::VT_I4, 1), CAppTools::Type::VT_APP_FLAGS, std::nullopt},
  };
  for (const Row& row : rows) {
    V result("untouched");
    EXPECT_EQ(V::ConvertValue(row.source, row.code, result), row.expected.has_value()) << Show(row.source) << " -> " << row.code;
    EXPECT_TRUE(result == row.expected.value_or(V("untouched")))
        << Show(row.source) << " -> " << row.code << " gave " << Show(result) << " " << result.GetInt64();
  }
}

TEST(AppVariant, ChangeTypeThrow_PrefixedTextAndAlignThroughWordRule) {
  V grouped("B1000 0001");
  grouped.ChangeTypeThrow(V::VT_I1, nullptr, true);
  EXPECT_TRUE(grouped == Typed(V::VT_I1, -127));
  // With align the value is cut to the target width; the source is left alone.
  const V source = TypedU(V::VT_UI4, 0xFFFF);
  V aligned, text("40000"), kept("keep");
  aligned.ChangeTypeThrow(V::VT_I2, &source, true);
  EXPECT_TRUE(aligned == Typed(V::VT_I2, -1) && source == TypedU(V::VT_UI4, 0xFFFF));
  text.ChangeTypeThrow(V::VT_I2, nullptr, true);
  EXPECT_TRUE(text == Typed(V::VT_I2, -25536));
  // Without align the overflow fails and the value stays.
  const CAppException e = CatchAppException([&] { kept.ChangeTypeThrow(V::VT_I2, &source, false); });
  EXPECT_EQ(e.GetMessage(), kNoConversion);
  EXPECT_EQ(e.GetPrgFile(), "AppVariant");
  EXPECT_TRUE(kept == V("keep"));
  // The word rule is tried for integer targets and sources of at most 32 bits.
  for (const std::uint16_t code : {V::VT_UI4, V::VT_I8, V::VT_R8}) {
    V v("0x7F");
    if (code == V::VT_UI4) {
      v.ChangeTypeThrow(code, nullptr, false);
      EXPECT_TRUE(v == TypedU(V::VT_UI4, 0x7F));
    } else {
      EXPECT_EQ(CatchAppException([&] { v.ChangeTypeThrow(code, nullptr, false); }).GetMessage(), kNoConversion) << code;
    }
  }
  V wide = Typed(V::VT_I8, 0x100000005);
  EXPECT_EQ(CatchAppException([&] { wide.ChangeTypeThrow(V::VT_I4, nullptr, true); }).GetMessage(), kNoConversion);
  // The same code on itself is untouched, even a value no conversion accepts.
  V odd = TypedU(CAppTools::Type::VT_APP_FLAGS, 7);
  odd.ChangeTypeThrow(CAppTools::Type::VT_APP_FLAGS, &odd, false);
  EXPECT_EQ(odd.GetUInt64(), 7u);
}

TEST(AppVariant, ChangeTypeAndToInt32_FailureIsSoftErrorAndKeepsValue) {
  CapturedOutput output;
  V fine("017");
  fine.ChangeType(V::VT_I4, nullptr, true);
  EXPECT_TRUE(fine == Typed(V::VT_I4, 17));  // decimal text wins over the octal reading
  EXPECT_EQ(TypedU(V::VT_UI4, 0xFFFFFFFFu).ToInt32(), -1);
  EXPECT_EQ(Typed(V::VT_I1, -1).ToUInt32(), 0xFFFFFFFFu);
  EXPECT_TRUE(output.lines.empty());

  V word("B12");
  word.ChangeType(V::VT_UI2, nullptr, true);
  EXPECT_TRUE(word == V("B12"));
  EXPECT_EQ(V("abc").ToInt32(), 0);
  EXPECT_EQ(Typed(V::VT_I8, 0x100000005).ToInt32(), 5);  // fails; the copy's low bits
  ASSERT_EQ(output.lines.size(), 3u);
  EXPECT_EQ(output.lines[0], "Erreur: Erreur dans le changement du type d'un variant.");
}

TEST(AppVariant, ToStringAndTextRoundTripOfFloatingValues) {
  EXPECT_EQ(Typed(V::VT_I1, -128).ToString(), "-128");
  EXPECT_EQ(CatchAppException([] { TypedU(CAppTools::Type::VT_APP_TYPE, 3).ToString(); }).GetMessage(), kNoConversion);
  for (const double value : {1.0 / 3, 5e-324}) {
    V v = Real(V::VT_R8, value);
    v.ChangeTypeThrow(V::VT_BSTR, nullptr, false);
    v.ChangeTypeThrow(V::VT_R8, nullptr, false);
    EXPECT_EQ(v.GetDouble(), value) << value;
  }
}

// A number set under the string type leaves an empty text, never a string
// without storage that a copy, an assignment or a clear would read.
TEST(AppVariant, NumberSetUnderTheStringTypeIsAnEmptyText) {
  V v;
  v.SetUInt(V::VT_BSTR, 29);
  V copy = v;
  copy = V(7);
  v.SetDouble(V::VT_BSTR, 1.5);
  EXPECT_EQ(Show(v), "vt=8 ''");
  v.SetInt(V::VT_BSTR, -3);
  EXPECT_EQ(Show(V(v)), "vt=8 ''");
  v.Clear();
  EXPECT_TRUE(v.IsEmpty());
}
