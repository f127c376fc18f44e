#include "appconfig/AppParamMail.h"

#include <iterator>

#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamMail, CAppParamStruct)

namespace {

constexpr std::uint16_t kUI2 = CAppVariant::VT_UI2;
constexpr std::uint16_t kI2 = CAppVariant::VT_I2;
constexpr std::uint16_t kUI4 = CAppVariant::VT_UI4;
constexpr std::uint16_t kUI1 = CAppVariant::VT_UI1;
constexpr std::uint16_t kUI1Array = std::uint16_t{CAppTools::Type::VT_APP_ARRAY} | kUI1;

// Packed: the 32-bit words at 6 and 42 are not aligned.
constexpr CAppParamStruct::ST_STRUCTDESC kMailFields[] = {
    {"codef", 0, kUI2, 1},
    {"status", 2, kI2, 1},
    {"ticuser_root", 4, kUI2, 1},
    {"piduser", 6, kUI4, 1},
    {"mode", 10, kUI2, 1},
    {"time", 12, kUI2, 1},
    {"stop", 14, kUI2, 1},
    {"nfonc", 16, kUI2, 1},
    {"ncard", 18, kUI2, 1},
    {"nchan", 20, kUI2, 1},
    {"nes", 22, kUI2, 1},
    {"nb", 24, kUI2, 1},
    {"typvar", 26, kUI2, 1},
    {"adr", 28, kUI4, 1},
    {"ticuser_dispcyc", 32, kUI2, 1},
    {"ticuser_protocol", 34, kUI2, 1},
    {"user_threadID", 36, kUI4, 1},
    {"dispcyc_version", 40, kUI2, 1},
    {"DifUserParam", 42, kUI4, 1},
    {"filler", 46, kUI2, 1},
    {"data", 48, kUI1Array, 1536},
};

static_assert(std::size(kMailFields) == CAppParamMail::kFieldCount);
static_assert(kMailFields[20].offset + kMailFields[20].count == CAppParamMail::kSize);

}  // namespace

CAppParamMail::CAppParamMail() { DeclareStructure(kMailFields, kFieldCount, kSize); }

bool CAppParamMail::_GetFmtValue(std::string& out, CAppResources* /*resources*/) {
  out = "Codef : " + GetField(0).ToString();
  return true;
}

void CAppParamMail::Serialize(CAppRecord* record) { CAppParamStruct::Serialize(record); }

void CAppParamMail::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamMail", "Mail", "Param Mail");
}
