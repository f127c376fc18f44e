#include <gtest/gtest.h>

#include <filesystem>
#include <list>
#include <vector>

#include "ParamTreeText.h"
#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamXML.h"

// A parameter with one field of every kind a record visits.
class CAppParamSaveProbe : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamSaveProbe)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    if (failSave && !record->IsModeLoad()) APP_THROW("Probe refuses to save");
    record->Do("I1", i1);
    record->Do("UI1", ui1);
    record->Do("I2", i2);
    record->Do("UI2", ui2);
    record->Do("I4", i4);
    record->Do("UI4", ui4);
    record->Do("I8", i8);
    record->Do("UI8", ui8);
    record->Do("Text", text);
    record->Do("Bits", bits);
    record->Do("Code", code);
    record->Do("Any", any);
    record->Do("Bytes", bytes);
    record->Do("Words", words);
    record->Do("Strings", strings);
    record->Do("Names", names);
  }

  signed char i1 = 0;
  unsigned char ui1 = 0;
  short i2 = 0;
  unsigned short ui2 = 0;
  int i4 = 0;
  unsigned ui4 = 0;
  // The loader does not read 64-bit fields: defaults that a reload keeps.
  long long i8 = -1234567890123LL;
  unsigned long long ui8 = 0xFEDCBA9876543210ULL;
  std::string text;
  CAppTools::Flags bits;
  CAppTools::Type code;
  CAppVariant any;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> words{9};  // not empty by default
  std::vector<std::string> strings;
  std::list<std::string> names;
  bool failSave = false;
};

APP_IMPLEMENT_DYNCREATE(CAppParamSaveProbe, CAppParam)
APP_REGISTER_CLASS_INIT(CAppParamSaveProbe, "Param SaveProbe", nullptr)

namespace {

using Element = CAppToolsXML::Element;

const char* const kDevice = R"(<?xml version="1.0" encoding="UTF-8"?>
<Description xmlns="QXE-kvrDescription">
  <Group Key="DEVICE" Name="Device" Help="Aide &lt;module&gt; &amp; &quot;réseau&quot;" Alias="Speed" Flags="0x0005" Parent="Base">
    <Property Name="AutoIndex" Value="2"/>
    <Group Key="NET" Name="Network">
      <Group Key="IP"><Group Key="Deep" Help="deep"/></Group>
      <ListKey Key="MODES"><Element Value="A"/><Element Value="B*"/><Element Value=""/></ListKey>
    </Group>
    <Group Key="Item_0"/><Group Key="Item_1" Name="second"/>
    <Param Type="Param SaveProbe" Key="PROBE" Name="Probe">
      <BitField Name="Flags"><Bit Set="1"/><Bit Set="10"/></BitField>
      <Property Name="I1" Value="-5"/><Property Name="UI1" Value="250"/>
      <Property Name="I2" Value="-30000"/><Property Name="UI2" Value="65535"/>
      <Property Name="I4" Value="-2147483648"/><Property Name="UI4" Value="4294967295"/>
      <Property Name="Text" Value="a b"/>
      <BitField Name="Bits"><Bit Set="0"/><Bit Set="31"/></BitField>
      <Property Name="Code" Value="ui2"/>
      <Property Name="Any" Value="12.5"/>
      <Property Name="Bytes" HexValue="00 7F FF"/>
      <Array Name="Words"><Element Value="4294967295"/><Element Value="7"/></Array>
      <Array Name="Strings"><Element Value="x"/><Element Value=""/><Element Value="z"/></Array>
      <Array Name="Names"><Element Value="first"/><Element Value="second"/></Array>
    </Param>
    <Dummy Key="PAD" Data=""/>
  </Group>
</Description>
)";

class AppStreamXMLSave : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  }
  std::unique_ptr<CAppParam> LoadDevice() {
    Write("device", kDevice);
    return CAppStreamXML::Load("device", nullptr, "DEVICE");
  }
  // The root "Param" of a saved file.
  Element SavedParam(const std::string& name) {
    CAppToolsXML::Document document;
    document.Load(name, nullptr);
    Element root, param;
    document.GetRootElt(root);
    EXPECT_EQ(root.GetName(), "Description");
    root.Select("./Param", param);
    return param;
  }
  std::string Field(const Element& param, const std::string& tag, const std::string& name) {
    Element field;
    if (!param.Select("./" + tag + "[@Name=\"" + name + "\"]", field)) return "<absent>";
    return Attribute(field, "Value");
  }
  unsigned Count(const Element& element, const std::string& query) {
    CAppToolsXML::ListElement list;
    element.Select(query, list);
    return list.GetPtr() ? list.GetCount() : 0;
  }
};

CAppParamSaveProbe* Probe(CAppParam* root) {
  CAppParamSaveProbe* probe = nullptr;
  root->GetGroup()->GetAt("PROBE", probe);
  return probe;
}

}  // namespace

TEST_F(AppStreamXMLSave, Save_RoundTripKeepsEveryField) {
  const std::unique_ptr<CAppParam> loaded = LoadDevice();
  ASSERT_NE(loaded, nullptr);
  ASSERT_TRUE(CAppStreamXML::Save("saved", loaded.get()));
  const std::string first = Read("saved");
  EXPECT_EQ(first.find("QXE-kvrDescription"), std::string::npos);  // no schema reference

  const std::unique_ptr<CAppParam> reloaded = CAppStreamXML::Load("saved", nullptr, "device");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_TRUE(ParamTreesEqual(loaded.get(), reloaded.get()));
  // What the description set is really there, not just equal on both sides.
  const CAppParamSaveProbe* probe = Probe(reloaded.get());
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->i1, -5);
  EXPECT_EQ(probe->i4, INT32_MIN);
  EXPECT_EQ(probe->ui4, 4294967295u);
  EXPECT_EQ(static_cast<std::uint32_t>(probe->bits), 0x80000001u);
  EXPECT_EQ(probe->code.GetCode(), 18u);
  EXPECT_EQ(probe->bytes, (std::vector<std::uint8_t>{0, 0x7F, 0xFF}));
  EXPECT_EQ(probe->strings, (std::vector<std::string>{"x", "", "z"}));
  EXPECT_EQ(static_cast<std::uint32_t>(reloaded->GetFlags()), 0x0005u);
  EXPECT_EQ(reloaded->GetHelp(), "Aide <module> & \"réseau\"");

  // A second save of the reloaded tree writes the same file.
  ASSERT_TRUE(CAppStreamXML::Save("again", reloaded.get()));
  EXPECT_EQ(Read("again"), first);
}

TEST_F(AppStreamXMLSave, Save_FileValidatesAgainstDescriptionSchema) {
  const std::unique_ptr<CAppParam> loaded = LoadDevice();
  ASSERT_TRUE(CAppStreamXML::Save("saved", loaded.get()));
  std::string text = Read("saved");
  const std::size_t root = text.find("<Description>");
  ASSERT_NE(root, std::string::npos);
  text.replace(root, 13, "<Description xmlns=\"QXE-kvrDescription\">");
  Write("validated", text);
  const std::unique_ptr<CAppParam> validated = CAppStreamXML::Load("validated", nullptr, "DEVICE");
  EXPECT_TRUE(ParamTreesEqual(loaded.get(), validated.get()));

  // The schema is really applied to that copy.
  text.insert(text.find("</Description>"), "<Bogus/>");
  Write("invalid", text);
  EXPECT_THROW(CAppStreamXML::Load("invalid", nullptr, "DEVICE"), CAppException);
}

TEST_F(AppStreamXMLSave, Save_TreeBuiltInCodeWithAutoIndexKeys) {
  CAppParamGroup root("Root");
  root.SetKey("ROOT");
  auto* list = new CAppParamGroup("List");
  root.SetAt("list", list, CAppParamGroup::ADD_BY_KEY);
  for (int i = 0; i < 3; ++i) list->SetAt("item", new CAppParamGroup(), CAppParamGroup::ADD_AUTO_INDEX);
  list->SetAt("item_3", new CAppParamListKey(), CAppParamGroup::ADD_BY_KEY);  // its entries stay empty
  ASSERT_EQ(list->GetKeyAt(2), "item_2");

  ASSERT_TRUE(CAppStreamXML::Save("built", &root));
  const std::unique_ptr<CAppParam> loaded = CAppStreamXML::Load("built", nullptr, "root");
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(ParamTreesEqual(&root, loaded.get()));
  CAppParamGroup* loadedList = nullptr;
  ASSERT_TRUE(loaded->GetGroup()->GetAt("LIST", loadedList));
  EXPECT_EQ(loadedList->GetAutoIndex(), 3u);
}

TEST_F(AppStreamXMLSave, Save_WritesOneParamElementPerNode) {
  CAppParamGroup root;
  root.SetKey("TOP");
  root.ModifyFlags(0, 0x0005);
  auto* named = new CAppParamGroup("Named");
  root.SetAt("A", named, CAppParamGroup::ADD_BY_KEY);
  root.SetAt("B", new CAppParamListKey(), CAppParamGroup::ADD_BY_KEY);
  ASSERT_TRUE(CAppStreamXML::Save("layout", &root));

  const Element top = SavedParam("layout");
  ASSERT_TRUE(top != 0);
  EXPECT_EQ(Attribute(top, "Type"), CAppDynamic::GetAliasByClass("CAppParamGroup"));
  EXPECT_EQ(Attribute(top, "Key"), "TOP");
  // Flags 0x0005: bits 0 and 2; an empty name or help writes nothing.
  Element flags;
  ASSERT_TRUE(top.Select("./BitField[@Name=\"Flags\"]", flags));
  EXPECT_EQ(Count(flags, "./Bit"), 2u);
  EXPECT_EQ(Count(flags, "./Bit[@Set=\"0\"]") + Count(flags, "./Bit[@Set=\"2\"]"), 2u);
  EXPECT_EQ(Field(top, "Property", "Name"), "<absent>");
  EXPECT_EQ(Field(top, "Property", "AutoIndex"), "0");

  ASSERT_EQ(Count(top, "./Param"), 2u);
  Element a, b;
  ASSERT_TRUE(top.Select("./Param[@Key=\"A\"]", a));
  ASSERT_TRUE(top.Select("./Param[@Key=\"B\"]", b));
  EXPECT_EQ(Field(a, "Property", "Name"), "Named");
  EXPECT_EQ(Count(a, "./BitField"), 0u);  // flags 0
  EXPECT_EQ(Attribute(b, "Type"), CAppDynamic::GetAliasByClass("CAppParamListKey"));
  EXPECT_EQ(Count(b, "./Array[@Name=\"List\"]/Element"), 0u);
}

TEST_F(AppStreamXMLSave, Save_FieldElementsOfEveryKind) {
  CAppParamSaveProbe probe;  // empty key, still written
  probe.i1 = -128;
  probe.code = 19u;
  probe.any = CAppVariant(std::int32_t{-7});
  probe.bytes = {1, 200};
  probe.strings = {"", "b"};
  probe.words.clear();
  ASSERT_TRUE(CAppStreamXML::Save("probe", &probe));

  const Element param = SavedParam("probe");
  CAppVariant key;
  EXPECT_TRUE(param.GetAttribut("Key", key));
  EXPECT_EQ(key.ToString(), "");
  EXPECT_EQ(Field(param, "Property", "I1"), "-128");
  EXPECT_EQ(Field(param, "Property", "I8"), "-1234567890123");
  EXPECT_EQ(Field(param, "Property", "UI8"), "18364758544493064720");
  EXPECT_EQ(Field(param, "Property", "Code"), "UI4");
  EXPECT_EQ(Field(param, "Property", "Any"), "-7");
  EXPECT_EQ(Field(param, "Property", "Text"), "<absent>");
  EXPECT_EQ(Count(param, "./BitField"), 0u);
  EXPECT_EQ(Count(param, "./Array[@Name=\"Bytes\"]/Element[@Value=\"200\"]"), 1u);
  // An empty entry keeps its place; an empty array still has its element.
  EXPECT_EQ(Count(param, "./Array[@Name=\"Strings\"]/Element"), 2u);
  EXPECT_EQ(Count(param, "./Array[@Name=\"Words\"]"), 1u);
  EXPECT_EQ(Count(param, "./Array[@Name=\"Names\"]"), 1u);

  // Loaded back, the emptied array stays empty instead of taking its default.
  probe.SetKey("PROBE");
  ASSERT_TRUE(CAppStreamXML::Save("probe", &probe));
  const std::unique_ptr<CAppParam> loaded = CAppStreamXML::Load("probe", nullptr, "PROBE");
  EXPECT_TRUE(ParamTreesEqual(&probe, loaded.get()));
}

TEST_F(AppStreamXMLSave, Save_EmptyNameOrNullParam) {
  CAppParamGroup root;
  EXPECT_FALSE(CAppStreamXML::Save("", &root));
  EXPECT_EQ(FileCount(), 0u);

  ASSERT_TRUE(CAppStreamXML::Save("empty", nullptr));
  CAppToolsXML::Document document;
  document.Load("empty", nullptr);
  Element top, child;
  document.GetRootElt(top);
  EXPECT_EQ(top.GetName(), "Description");
  EXPECT_FALSE(top.Select("./*", child));
}

TEST_F(AppStreamXMLSave, Save_FailureLeavesPreviousFile) {
  const std::unique_ptr<CAppParam> tree = LoadDevice();
  ASSERT_TRUE(CAppStreamXML::Save("saved", tree.get()));
  const std::string before = Read("saved");
  const std::size_t files = FileCount();

  Probe(tree.get())->failSave = true;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("saved", tree.get()); }).GetMessage(),
            "Exception >Probe refuses to save");
  EXPECT_EQ(Read("saved"), before);
  EXPECT_EQ(FileCount(), files);

  // A target that cannot be replaced: the temporary file is removed again.
  Probe(tree.get())->failSave = false;
  std::filesystem::create_directory(Dir() + "locked.xml");
  const CAppException locked = CatchAppException([&] { CAppStreamXML::Save("locked", tree.get()); });
  EXPECT_NE(locked.GetMessage().find("cannot write"), std::string::npos) << locked.GetMessage();
  EXPECT_TRUE(std::filesystem::is_directory(Dir() + "locked.xml"));
  EXPECT_EQ(FileCount(), files + 1);

  CAppToolsXML::SetPath(Dir() + "missing/");
  const CAppException missing = CatchAppException([&] { CAppStreamXML::Save("saved", tree.get()); });
  EXPECT_NE(missing.GetMessage().find("missing/saved.xml"), std::string::npos) << missing.GetMessage();
}

TEST_F(AppStreamXMLSave, SaveRecord_Errors) {
  CAppStreamXML::SaveStream stream;
  Element root;
  stream.GetDocument().Create(root);
  CAppParam param;
  const CAppException nullStream = CatchAppException([&] { CAppStreamXML::SaveRecord(nullptr, &root, &param); });
  EXPECT_EQ(nullStream.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(nullStream.GetPrgFile(), "AppStreamXML");
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::SaveRecord(&stream, nullptr, &param); }).GetMessage(),
            "Exception >Bad pointer");

  // A type code without a name cannot be read back: refused with its context.
  CAppParamSaveProbe probe;
  probe.SetKey("P");
  probe.code = 0x0800u;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("code", &probe); }).GetMessage(),
            "Exception >\"Code\" Field of CAppParamSaveProbe (Key=P): type code 0x0800 has no name");
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(AppStreamXMLSave, Save_NestingLimitOfTheLoader) {
  CAppParamGroup root;
  root.SetKey("CHAIN");
  CAppParamGroup* last = &root;
  for (int depth = 2; depth <= 256; ++depth) {
    last = last->SetAt("G", new CAppParamGroup(), CAppParamGroup::ADD_BY_KEY);
  }
  ASSERT_TRUE(CAppStreamXML::Save("chain", &root));
  EXPECT_NE(CAppStreamXML::Load("chain", nullptr, "CHAIN"), nullptr);

  last->SetAt("TOO_DEEP", new CAppParam(), CAppParamGroup::ADD_BY_KEY);
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("chain", &root); }).GetMessage(),
            "Exception >Nesting deeper than 256 at CAppParam (Key=TOO_DEEP)");
}

// The round trips above are only as good as the comparison.
TEST_F(AppStreamXMLSave, ParamTreesEqual_FindsTheFirstDifference) {
  const std::unique_ptr<CAppParam> a = LoadDevice();
  const std::unique_ptr<CAppParam> b = LoadDevice();
  ASSERT_TRUE(ParamTreesEqual(a.get(), b.get()));

  Probe(b.get())->names.pop_back();
  const ::testing::AssertionResult shorter = ParamTreesEqual(a.get(), b.get());
  EXPECT_FALSE(shorter);
  EXPECT_NE(std::string(shorter.message()).find("DEVICE\\PROBE.Names[1]=\"second\""), std::string::npos)
      << shorter.message();

  Probe(b.get())->names.push_back("second");
  Probe(b.get())->any = CAppVariant(std::int32_t{12});
  EXPECT_FALSE(ParamTreesEqual(a.get(), b.get()));
  Probe(a.get())->any = CAppVariant("12");
  EXPECT_TRUE(ParamTreesEqual(a.get(), b.get()));
  EXPECT_FALSE(ParamTreesEqual(a.get(), b.get(), ParamTreeOptions{true}));

  // A child under another key, or of another class, differs.
  b->GetGroup()->FindChild("PAD")->SetKey("PAD2");
  EXPECT_FALSE(ParamTreesEqual(a.get(), b.get()));
}
