// Parameter classes for the binary file and clone tests, registered by name
// so that loaders and clones can create them.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "appconfig/AppParam.h"
#include "appconfig/AppRecord.h"

#include <gtest/gtest.h>

// Visits one field of every record type but the 64-bit integers.
class CTestParamAll : public CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamAll)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("I1", i1);
    record->Do("UI1", ui1);
    record->Do("I2", i2);
    record->Do("UI2", ui2);
    record->Do("I4", i4);
    record->Do("UI4", ui4);
    record->Do("Text", text);
    record->Do("Bits", bits);
    record->Do("Type", type);
    record->Do("Value", value);
    record->Do("Bytes", bytes);
    record->Do("Words", words);
    record->Do("Strings", strings);
  }
  static void _ResourcesInit(CAppResources*) {}

  // Every field set to something other than its default.
  void Fill() {
    SetKey("ALL");
    SetName("Tout");
    SetHelp("Aide");
    ModifyFlags(0, PF_READONLY | PF_MOTOROLA);
    SetAlias("Speed");
    i1 = -5;
    ui1 = 200;
    i2 = -30000;
    ui2 = 60000;
    i4 = -2000000000;
    ui4 = 4000000000u;
    text = "Vitesse";
    bits = 0x80000001u;
    type = CAppTools::Type(std::uint32_t{0x13});
    value = CAppVariant(std::int32_t{-7});
    bytes = {0x00, 0xFF, 0x7F};
    words = {1, 0xFFFFFFFFu};
    strings = {"un", "", "deux"};
  }

  signed char i1 = 0;
  unsigned char ui1 = 0;
  short i2 = 0;
  unsigned short ui2 = 0;
  int i4 = 0;
  unsigned int ui4 = 0;
  std::string text;
  CAppTools::Flags bits;
  CAppTools::Type type;
  CAppVariant value;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> words;
  std::vector<std::string> strings;
};

// Adds the 64-bit integers, which the binary file stores and a clone refuses.
class CTestParamWide : public CTestParamAll {
  APP_DECLARE_DYNCREATE(CTestParamWide)

public:
  void Serialize(CAppRecord* record) override {
    CTestParamAll::Serialize(record);
    record->Do("I8", i8);
    record->Do("UI8", ui8);
  }
  static void _ResourcesInit(CAppResources*) {}

  long long i8 = 0;
  unsigned long long ui8 = 0;
};

// Every visited field, so that two parameters compare in one assertion.
inline auto Values(CTestParamAll& p) {
  return std::make_tuple(p.GetKey(), p.GetName(), p.GetHelp(), std::uint32_t{p.GetFlags()}, p.GetAlias(), p.i1,
                         p.ui1, p.i2, p.ui2, p.i4, p.ui4, p.text, std::uint32_t{p.bits}, p.type.GetCode(),
                         p.value.GetType(), p.value.ToString(), p.bytes, p.words, p.strings);
}

// A class whose fields change between versions of a program: version 1
// visits "Old" and "Speed", version 2 "Speed" and "New"; version 0 is a
// broken build whose Serialize throws.
class CTestParamVersioned : public CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamVersioned)

public:
  static inline int version = 2;

  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    if (version == 0) APP_THROW("Broken field");
    if (version == 1) record->Do("Old", old);
    record->Do("Speed", speed);
    if (version == 2) record->Do("New", added);
  }
  static void _ResourcesInit(CAppResources*) {}

  std::string old = "old";
  unsigned int speed = 0;
  unsigned int added = 7;
};

// Visits "AutoIndex" as a string, where a group visits a 32-bit number.
class CTestParamClash : public CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamClash)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("AutoIndex", text);
  }
  static void _ResourcesInit(CAppResources*) {}

  std::string text;
};
