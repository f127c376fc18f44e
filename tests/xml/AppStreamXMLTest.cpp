// Description loading and XML saving: a description with every kind of
// element and a parameter class with every kind of field.
#include "appconfig/AppStreamXML.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <list>
#include <vector>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"

// A parameter with one field of every kind a record visits.
class CAppParamSaveProbe : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamSaveProbe)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    if (failSave && !record->IsModeLoad()) APP_THROW("Probe refuses to save");
    if (exhaust && !record->IsModeLoad()) throw std::bad_alloc();
    record->Do("I1", i1); record->Do("UI1", ui1); record->Do("I2", i2); record->Do("UI2", ui2);
    record->Do("I4", i4); record->Do("UI4", ui4); record->Do("I8", i8); record->Do("UI8", ui8);
    record->Do("Text", text); record->Do("Bits", bits); record->Do("Code", code); record->Do("Any", any);
    record->Do("Bytes", bytes); record->Do("Words", words); record->Do("Strings", strings); record->Do("Names", names);
  }

  signed char i1 = 0; unsigned char ui1 = 0; short i2 = 0; unsigned short ui2 = 0; int i4 = 0; unsigned ui4 = 0;
  // The loader does not read 64-bit fields: defaults that a reload keeps.
  long long i8 = -1234567890123LL; unsigned long long ui8 = 0xFEDCBA9876543210ULL;
  std::string text; CAppTools::Flags bits; CAppTools::Type code; CAppVariant any;
  std::vector<std::uint8_t> bytes; std::vector<std::uint32_t> words{9};  // not empty by default
  std::vector<std::string> strings; std::list<std::string> names; bool failSave = false;
  bool exhaust = false;  // runs out of memory while saved
};

APP_IMPLEMENT_DYNCREATE(CAppParamSaveProbe, CAppParam)
APP_REGISTER_CLASS_INIT(CAppParamSaveProbe, "Param SaveProbe", nullptr)

namespace {

using Element = CAppToolsXML::Element;

const char* const kDevice = R"(
  <Resources Profile="Speed"><Group Key="SYS_UNIT_VALUE" Name="km/h"/>
    <ListKey Key="SYS_FORMAT_VALUE"><Element Value="%d"/><Element Value="%X"/></ListKey></Resources>
  <Group Key="IP_CFG" Name="IP" Help="Aide &lt;module&gt; &amp; &quot;réseau&quot;&apos;&#9;&#10;" Flags="0x0001" Alias="Speed">
    <Property Name="AutoIndex" Value="7"/>
    <BitField Name="Flags"><Bit Set="3"/><Bit Clr="3"/><Bit Set="40"/><Bit Set="5"/><Bit Clr="33"/><Bit/></BitField>
    <ListKey Key="MODES"><Element Value="A"/><Element Value=""/><Element Value="A"/></ListKey>
    <ParamRef Key="FIRST" Ref="COMMON" Name="First"/><ParamRef Key="SECOND" Ref="common"/><Dummy Key="PAD" Data=""/><Dummy Key="GAP"/>
    <Param Type="Param SaveProbe" Key="PROBE">
      <Property Name="I1" Value="-5"/><Property Name="UI1" Value="250"/><Property Name="I2" Value="-30000"/>
      <Property Name="UI2" Value="65535"/><Property Name="I4" Value="-2147483648"/><Property Name="UI4" Value="4294967295"/>
      <Property Name="Text" Value="a b"/><BitField Name="Bits"><Bit Set="0"/><Bit Set="31"/></BitField>
      <Property Name="Code" Value="ui2"/><Property Name="Any" Value="12.5"/><Property Name="Bytes" HexValue="00 7F FF"/>
      <Array Name="Words"><Element Value="4294967295"/><Element Value="7"/></Array>
      <Array Name="Strings"><Element Value="x"/><Element Value=""/><Element Value="z"/></Array>
      <Array Name="Names"><Element Value="first"/><Element Value="second"/></Array></Param></Group>
  <Group Key="COMMON" Name="Common" Parent="Base"><Group Key="INNER"/></Group><Group Key="ip_lower"/>
)";

class AppStreamXML : public DescriptionFolder {
protected:
  std::unique_ptr<CAppParam> LoadDevice() {
    WriteDescription("device", kDevice);
    return CAppStreamXML::Load("device", nullptr, "IP_CFG");
  }
  // The root "Param" of a saved file.
  Element SavedParam(const std::string& name) {
    CAppToolsXML::Document document;
    document.Load(name, nullptr);
    Element root, param;
    document.GetRootElt(root);
    root.Select("./Param", param);
    return param;
  }
};

CAppParamSaveProbe* Probe(CAppParam* root) {
  CAppParamSaveProbe* probe = nullptr;
  root->GetGroup()->GetAt("PROBE", probe);
  return probe;
}

std::uint32_t Traced(const std::string& text) { return CAppDebug::GetLogger().CountOf(text); }

}  // namespace

TEST_F(AppStreamXML, Load_BuildsTheTreeFromFieldsChildrenAndAttributes) {
  const std::string clrTrace = "Clr nit position error :33  on file:device.XML", bitTrace = "Bit position error  on file:device.XML";
  const std::uint32_t clr = Traced(clrTrace), bit = Traced(bitTrace);
  WriteDescription("device", kDevice);
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("device", nullptr, "ip_cfg");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* group = root->GetGroup();
  EXPECT_EQ(group->GetKey() + " " + group->GetAlias() + " " + std::to_string(group->GetAutoIndex()), "IP_CFG Speed 7");
  // Bit 3 set then cleared, 40 and 33 ignored (traced), 5 set; the Flags
  // attribute adds bit 0.
  EXPECT_EQ(static_cast<std::uint32_t>(group->GetFlags()), 0x21u);
  EXPECT_EQ(std::to_string(Traced(clrTrace) - clr) + " " + std::to_string(Traced(bitTrace) - bit), "1 1");
  EXPECT_EQ(group->GetCount(), 6u);
  // Each reference is an object of its own, with the reference's attributes.
  CAppParamGroup *first = nullptr, *second = nullptr;
  ASSERT_TRUE(group->GetAt("FIRST", first) && group->GetAt("SECOND", second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first->GetName() + " " + second->GetName() + " " + second->GetRef(), "First Common Base");
  EXPECT_NE(second->FindChild("INNER"), nullptr);
  // A Dummy with Data is a plain parameter without data, else a hidden array.
  EXPECT_EQ(group->FindChild("PAD")->GetClassName(), "CAppParam");
  EXPECT_EQ(static_cast<std::uint32_t>(group->FindChild("PAD")->GetFlags()), PF_HIDDEN | PF_NO_DATA);
  CAppParamArray* gap = nullptr;
  EXPECT_TRUE(group->GetAt("GAP", gap) && static_cast<std::uint32_t>(gap->GetFlags()) == PF_HIDDEN);
  // Every field kind of the probe, from its element kind.
  const CAppParamSaveProbe* probe = Probe(root.get());
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(CAppTools::Format("%d %d %u 0x%08x %u", probe->i1, probe->i4, probe->ui4,
                              static_cast<std::uint32_t>(probe->bits), probe->code.GetCode()),
            "-5 -2147483648 4294967295 0x80000001 18");
  EXPECT_EQ(probe->bytes, (std::vector<std::uint8_t>{0, 0x7F, 0xFF}));
  EXPECT_EQ(probe->strings, (std::vector<std::string>{"x", "", "z"}));
}

// Integer fields read plain decimal texts directly; every text must still
// give what the variant conversion of the same text gives.
TEST_F(AppStreamXML, Load_IntegerTextsConvertLikeVariants) {
  const char* const texts[] = {"0",     "7",          "123456789", "999999999", "1234567890", "4294967295", "4294967296",
                               "0x1F",  " 12",        "12 ",       "-1",        "+5",         "",           "12a",
                               "00042", "1000000000", "65536",     "256",        "9999999999"};
  std::string body = "<Group Key=\"ROOT\">";
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    body += CAppTools::Format("<Param Type=\"Param SaveProbe\" Key=\"P%u\"><Property Name=\"UI4\" Value=\"%s\"/>"
                              "<Property Name=\"I2\" Value=\"%s\"/><Property Name=\"UI1\" Value=\"%s\"/>"
                              "<Array Name=\"Words\"><Element Value=\"%s\"/></Array></Param>",
                              static_cast<unsigned>(i), texts[i], texts[i], texts[i], texts[i]);
  }
  WriteDescription("numbers", body + "</Group>");
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("numbers", nullptr, "ROOT");
  ASSERT_NE(root, nullptr);
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    CAppParamSaveProbe* probe = nullptr;
    ASSERT_TRUE(root->GetGroup()->GetAt(CAppTools::Format("P%u", static_cast<unsigned>(i)), probe));
    const std::uint32_t expected = CAppVariant(std::string(texts[i])).ToUInt32();
    EXPECT_EQ(CAppTools::Format("%u %d %u %u", probe->ui4, probe->i2, probe->ui1, probe->words.at(0)),
              CAppTools::Format("%u %d %u %u", expected, static_cast<short>(expected),
                                static_cast<unsigned char>(expected), expected))
        << "\"" << texts[i] << "\"";
  }
}

// Every reference to a definition gets what a read of its element gives,
// for every kind of field, child nodes and nested references.
TEST_F(AppStreamXML, Load_RepeatedReferencesGiveWhatAReadOfTheDefinitionGives) {
  std::string body = std::string(kDevice) + R"(
  <Param Key="MODE" Type="EnumSingle" Value="2"><Array Name="Value"><Element Value="1"/><Element Value="2"/></Array>
    <Array Name="Comment"><Element Value="Un"/><Element Value="Deux"/></Array><Property Name="BitSize" Value="4"/></Param>
  <Dummy Key="HOLE" Data=""/>
  <Group Key="REFS">)";
  const char* const defs[] = {"PROBE_DEF", "COMMON", "MODE", "IP_CFG", "HOLE"};
  for (const char* def : defs) {
    for (int i = 0; i < 5; ++i) body += CAppTools::Format("<ParamRef Key=\"%s_%d\" Ref=\"%s\"/>", def, i, def);
  }
  body += R"(</Group>
  <Param Type="Param SaveProbe" Key="PROBE_DEF" Flags="0x10"><Property Name="I2" Value="-7"/><Property Name="Text" Value="t"/>
    <BitField Name="Bits"><Bit Set="2"/></BitField><Property Name="Code" Value="i4"/><Property Name="Any" Value="x y"/>
    <Property Name="Bytes" HexValue="01 02"/><Array Name="Words"><Element Value="5"/></Array>
    <Array Name="Names"><Element Value="n"/></Array></Param>
)";
  WriteDescription("refs", body);
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("refs", nullptr, "REFS");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->GetGroup()->GetCount(), 25u);
  for (const char* def : defs) {
    std::vector<std::string> first;
    for (int i = 0; i < 5; ++i) {
      CAppParam* node = root->GetGroup()->FindChild(CAppTools::Format("%s_%d", def, i));
      ASSERT_NE(node, nullptr);
      // Only the key of the reference differs; siblings cannot share one.
      const std::string key = node->GetKey();
      node->SetKey("REF");
      const std::vector<std::string> lines = ParamTreeLines(node);
      node->SetKey(key);
      if (i == 0) {
        first = lines;
        EXPECT_GT(first.size(), 5u) << def;
      } else {
        EXPECT_EQ(lines, first) << def << " read " << i + 1;
      }
    }
  }
}

// The references to one definition hold its texts once between them.
TEST_F(AppStreamXML, Load_ReferencesShareTheTextsOfTheirDefinition) {
  WriteDescription("shared", R"(
  <Group Key="ROOT"><ParamRef Key="A" Ref="MODE"/><ParamRef Key="B" Ref="MODE" Name="Autre mode"/></Group>
  <Param Key="MODE" Type="EnumSingle" Help="Choix du mode de fonctionnement du variateur">
    <Array Name="Value"><Element Value="1"/></Array></Param>)");
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("shared", nullptr, "ROOT");
  ASSERT_NE(root, nullptr);
  const CAppParam* a = root->GetGroup()->FindChild("A");
  const CAppParam* b = root->GetGroup()->FindChild("B");
  ASSERT_TRUE(a != nullptr && b != nullptr);
  EXPECT_EQ(a->GetHelp(), "Choix du mode de fonctionnement du variateur");
  EXPECT_EQ(a->GetHelp().data(), b->GetHelp().data());
}

TEST_F(AppStreamXML, Load_BadDescriptionsThrowClearMessages) {
  WriteDescription("bad", R"(<Param Key="NOTYPE"/><Param Key="BADTYPE" Type="Nothing"/><Param Key="RULE" Type="CAppDataRecord"/>
    <Group Key="WRONG_FIELD"><Array Name="AutoIndex"><Element Value="1"/></Array></Group>
    <Group Key="BITS_ON_STRING"><BitField Name="Help"><Bit Set="1"/></BitField></Group>
    <Group Key="NOREF"><ParamRef Key="X"/></Group>
    <Group Key="OTHER_MISSING"><ParamRef Key="X" File="absent"/></Group>)");
  const std::string context = " in this context can not be associated with an XML element ";
  const std::pair<const char*, std::string> cases[] = {
      {"ip_lower", "Reference not found : IP_LOWER on file : bad.XML"},
      {"NOTYPE", "Bad pointer"},
      {"BADTYPE", "NOTHING is not a CAppParamXXX or an alias of CAppParamXXX"},
      {"RULE", "CAPPDATARECORD is not a CAppParamXXX or an alias of CAppParamXXX"},
      {"WRONG_FIELD", "\"AutoIndex\" Field of CAppParamGroup (Key=WRONG_FIELD)" + context + "<Array> on file :bad.XML"},
      {"BITS_ON_STRING", "\"Help\" Field of CAppParamGroup (Key=BITS_ON_STRING)" + context + "<BitField> on file:bad.XML"},
      {"NOREF", "Reference error for ref : ParamRef or Attribut Type not found"},
      {"OTHER_MISSING", "(" + Dir() + "absent.xml) The file cannot be opened: No such file or directory"},
  };
  for (const auto& [key, message] : cases) {
    EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("bad", nullptr, key); }).GetMessage(),
              "Exception >" + message) << key;
  }
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("bad", nullptr, "NOTYPE"); }).GetPrgFile(), "AppStreamXML");
  // No file name, or a schema folder without the schema: no tree. No schema
  // folder at all: the schema built into the library validates, and the XML
  // layer refuses an invalid file.
  EXPECT_EQ(CAppStreamXML::Load("", nullptr, "X"), nullptr);
  WriteDescription("valid", R"(<Group Key="G"/>)");
  WriteDescription("invalid", R"(<Group Key="G" Colour="red"/>)");
  CAppToolsXML::SetSchemaPath(Dir() + "NoSchemaHere");
  EXPECT_EQ(CAppStreamXML::Load("valid", nullptr, "G"), nullptr);
  CAppToolsXML::SetSchemaPath("");
  EXPECT_NE(CAppStreamXML::Load("valid", nullptr, "G"), nullptr);
  const CAppException e = CatchAppException([&] { CAppStreamXML::Load("invalid", nullptr, "G"); });
  EXPECT_EQ(e.GetPrgFile(), "AppToolsXML");
  EXPECT_NE(e.GetMessage().find("Colour"), std::string::npos) << e.GetMessage();
}

// Files are read and validated in turn: the first invalid file read wins
// over any later error, and an invalid file adds no resources, whatever the
// size of the files.
TEST_F(AppStreamXML, Load_LargeFilesGiveWhatValidatingEachFileInTurnGives) {
  std::string filler;
  for (int i = 0; i < 12000; ++i) {
    filler += "<Param Key=\"F" + std::to_string(i) + "\" Type=\"Value\" Value=\"" + std::string(80, 'x') + "\"/>\n";
  }
  const std::string resources = R"(<Resources Profile="Speed"><Define Key="SYS_UNIT_VALUE" Name="tr/min"/></Resources>)";
  const std::string root = R"(<Group Key="ROOT"><Param Key="V" Type="Numeric" Alias="Speed"/>
    <ParamRef Key="A" Ref="F11999"/><ParamRef Key="B" Ref="F0" File="other"/></Group>)";
  const std::string invalid = R"(<Group Key="LATE" Colour="red"/>)";
  const std::string missing = R"(<Group Key="MISSING"><ParamRef Key="X" Ref="NONE"/></Group>)";
  WriteDescription("large", resources + root + missing + filler);
  WriteDescription("other", filler);
  ASSERT_GE(std::filesystem::file_size(Dir() + "large.xml"), 1024u * 1024u);

  CAppResources loaded;
  loaded.Init();
  const std::unique_ptr<CAppParam> tree = CAppStreamXML::Load("large", &loaded, "ROOT");
  ASSERT_NE(tree, nullptr);
  CAppParamGroup* group = tree->GetGroup();
  ASSERT_EQ(group->GetCount(), 3u);
  std::string unit;
  EXPECT_TRUE(loaded.Load(unit, group->FindChild("V"), "SYS_UNIT"));
  EXPECT_EQ(unit, "tr/min");
  EXPECT_EQ(group->FindChild("B")->GetClassName(), "CAppParamValue");

  CAppToolsXML::SchemaCollection schemas;
  ASSERT_TRUE(schemas.Create() && schemas.Add("QXE-kvrDescription", ""));
  const auto inTurn = [&](const std::string& file) {
    return CatchAppException([&] { CAppToolsXML::Document().Load(file, &schemas); }).GetMessage();
  };
  // The root file turns invalid at its end: its fault comes before the
  // missing reference read first, and before the other file's fault.
  WriteDescription("large", resources + root + missing + filler + invalid);
  WriteDescription("other", filler + invalid);
  const std::string fault = inTurn("large");
  ASSERT_NE(fault.find("Colour"), std::string::npos);
  for (const char* key : {"ROOT", "MISSING"}) {
    CAppResources fresh;
    fresh.Init();
    const CAppException e = CatchAppException([&] { CAppStreamXML::Load("large", &fresh, key); });
    EXPECT_EQ(e.GetMessage() + " in " + e.GetPrgFile(), fault + " in AppToolsXML") << key;
    EXPECT_FALSE(fresh.Load(unit, group->FindChild("V"), "SYS_UNIT")) << key;
  }
  // A valid root file whose referenced file is invalid.
  WriteDescription("large", resources + root + filler);
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("large", nullptr, "ROOT"); }).GetMessage(), inTurn("other"));
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::LoadResources("other", &loaded); }).GetMessage(), inTurn("other"));
}

// A section's entry replaces the entry of the same key, a class default or
// an earlier section's. A load that fails, while the tree is read or when it
// is checked, leaves the resources exactly as they were: a corrected file
// then loads as if the failed one never had.
TEST_F(AppStreamXML, Load_ResourceSectionsReplaceEntriesAndAFailedLoadLeavesNothing) {
  const std::string sections = R"(<Resources Profile="CAppParamNumeric"><Define Key="SYS_ICON_VALUE" Name="Gauge"/></Resources>
    <Resources Profile="Speed"><Define Key="SYS_UNIT_VALUE" Name="ms"/><Define Key="SYS_NAME_VALUE" Name="Vitesse"/></Resources>)";
  const std::string value = R"(<Param Key="V" Type="Numeric" Alias="Speed" Flags="128" Value="5">
    <Property Name="Min" Value="0"/><Property Name="Max" Value="10"/></Param>)";
  const std::string late = R"(<Resources Profile="Speed"><Define Key="SYS_UNIT_VALUE" Name="s"/></Resources>)";
  CAppResources resources;
  resources.Init();
  const std::vector<std::string> before = ParamTreeLines(&resources);
  const auto entry = [&](const char* path) {
    std::string name;
    return resources.FindName(path, name) ? name : "<none>";
  };
  const std::string unchecked = std::string(value).replace(value.find("Value=\"5\""), 9, "Value=\"50\"");
  const struct {
    const char* what;
    std::string body;
  } failures[] = {
      {"broken reference", sections + R"(<Group Key="ROOT">)" + value + R"(<ParamRef Key="X" Ref="NONE"/></Group>)"},
      {"failed check", sections + R"(<Group Key="ROOT">)" + unchecked + "</Group>"},
  };
  for (const auto& failure : failures) {
    WriteDescription("speed", failure.body);
    AppSetKeyStateProvider([](AppKey key) { return key == AppKey::LeftControl; });  // debug mode asked for
    EXPECT_NE(MessageOf([&] { CAppStreamXML::Load("speed", &resources, "ROOT"); }), "<no exception>") << failure.what;
    AppSetKeyStateProvider(nullptr);
    EXPECT_EQ(ParamTreeLines(&resources), before) << failure.what;
    EXPECT_EQ(std::make_tuple(resources.GetKey(), static_cast<std::uint32_t>(resources.GetFlags())),
              std::make_tuple("", 0u))
        << failure.what;
  }
  WriteDescription("speed", sections + late + R"(<Group Key="ROOT">)" + value + "</Group>");
  ASSERT_NE(CAppStreamXML::Load("speed", &resources, "ROOT"), nullptr);
  EXPECT_EQ(std::make_tuple(entry("CAppParamNumeric\\SYS_ICON_VALUE"), entry("Speed\\SYS_UNIT_VALUE"),
                            entry("Speed\\SYS_NAME_VALUE"), resources.GetKey()),
            std::make_tuple("Gauge", "s", "Vitesse", "speed"));
}

TEST_F(AppStreamXML, Save_RoundTripKeepsEveryFieldAndFailuresLeaveThePreviousFile) {
  const std::unique_ptr<CAppParam> loaded = LoadDevice();
  ASSERT_NE(loaded, nullptr);
  ASSERT_TRUE(CAppStreamXML::Save("saved", loaded.get()));
  const std::string first = Read("saved");
  EXPECT_EQ(first.find("QXE-kvrDescription"), std::string::npos);  // no schema reference
  const std::unique_ptr<CAppParam> reloaded = CAppStreamXML::Load("saved", nullptr, "ip_cfg");
  ASSERT_EQ(ParamTreeLines(loaded.get()), ParamTreeLines(reloaded.get()));
  EXPECT_EQ(reloaded->GetHelp(), "Aide <module> & \"réseau\"'\t\n");  // escaped, not normalised
  // A second save of the reloaded tree writes the same file.
  ASSERT_TRUE(CAppStreamXML::Save("again", reloaded.get()));
  EXPECT_EQ(Read("again"), first);
  // A failed save leaves the previous file and no other; a type code without
  // a name cannot be read back: refused with its context.
  const std::size_t files = FileCount();
  Probe(loaded.get())->failSave = true;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("saved", loaded.get()); }).GetMessage(),
            "Exception >Probe refuses to save");
  EXPECT_EQ(Read("saved"), first);
  Probe(loaded.get())->failSave = false;
  Probe(loaded.get())->exhaust = true;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("saved", loaded.get()); }).GetMessage(),
            "Exception >Out of memory : " + Dir() + "saved.xml");
  Probe(loaded.get())->exhaust = false;
  Probe(loaded.get())->code = 0x0800u;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("saved", loaded.get()); }).GetMessage(),
            "Exception >\"Code\" Field of CAppParamSaveProbe (Key=PROBE): type code 0x0800 has no name");
  EXPECT_EQ(Read("saved"), first);
  EXPECT_EQ(FileCount(), files);
}

// What XML 1.0 cannot carry is refused, naming the field and the parameter,
// before anything reaches the file.
TEST_F(AppStreamXML, Save_TextXmlCannotCarryIsRefused) {
  ASSERT_TRUE(CAppStreamXML::Save("text", nullptr));
  const std::string before = Read("text");
  const auto refused = [](const char* field, const char* key, const char* problem) {
    return std::string("Exception >\"") + field + "\" Field of CAppParamSaveProbe (Key=" + key + "): " + problem +
           " is a character XML cannot carry (a control character, a NUL or text that is not UTF-8)";
  };
  const struct {
    const char* what;
    std::function<void(CAppParamSaveProbe&)> set;
    std::string message;
  } rows[] = {
      {"control", [](CAppParamSaveProbe& p) { p.SetName("a\x01"); }, refused("Name", "P", "byte 0x01 at 1")},
      {"NUL", [](CAppParamSaveProbe& p) { p.text = std::string("a\0b", 3); }, refused("Text", "P", "byte 0x00 at 1")},
      {"Latin-1", [](CAppParamSaveProbe& p) { p.any = CAppVariant(std::string("caf\xE9")); }, refused("Any", "P", "byte 0xE9 at 3")},
      {"key", [](CAppParamSaveProbe& p) { p.SetKey("\x1B"); }, refused("Key", "\x1B", "byte 0x1B at 0")},
      {"list", [](CAppParamSaveProbe& p) { p.names = {"ok", "\xFF"}; }, refused("Names", "P", "byte 0xFF at 0")},
  };
  for (const auto& row : rows) {
    CAppParamSaveProbe probe;
    probe.SetKey("P");
    row.set(probe);
    EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("text", &probe); }).GetMessage(), row.message) << row.what;
  }
  EXPECT_EQ(Read("text"), before);
  // Tab, line feed and carriage return, and UTF-8, are text like any other.
  CAppParamSaveProbe probe;
  probe.SetKey("P");
  probe.text = "\t\n\r é €";
  ASSERT_TRUE(CAppStreamXML::Save("text", &probe));
  EXPECT_EQ(AppDynamicCast<CAppParamSaveProbe>(CAppStreamXML::Load("text", nullptr, "P").get())->text, probe.text);
}

// For a user who may not write it, a write-protected file is refused by
// both formats with the same message; it keeps its content.
TEST_F(AppStreamXML, Save_WriteProtectedFileIsRefusedByBothFormats) {
  ::chmod(Dir().c_str(), 0777);
  const ChildReport report = RunInChild(
      [&] {
        CAppParamSaveProbe probe;
        probe.SetKey("P");
        std::string failures;
        for (const std::string& file : {Dir() + "locked.xml", Dir() + "locked.bin"}) {
          std::ofstream(file) << "old";
          ::chmod(file.c_str(), 0444);
          failures += Expected(file, MessageOf([&] {
                                 if (file.ends_with(".xml")) CAppStreamXML::Save("locked", &probe);
                                 else CAppStreamBin::Save(&probe, file);
                               }),
                               "Exception >File not create : " + file + " (Permission denied)");
          failures += Expected(file, TempFolder::ReadAll(file), "old");
        }
        return failures;
      },
      ChildUser::Unprivileged);
  if (report.skipped) GTEST_SKIP() << report.text;
  EXPECT_EQ(report.text, "");
  std::filesystem::remove(Dir() + "locked.xml");  // not a saved file
}

TEST_F(AppStreamXML, Save_EmptyNameNullParamAndNullPointers) {
  CAppParamGroup root;
  EXPECT_FALSE(CAppStreamXML::Save("", &root));
  EXPECT_EQ(FileCount(), 0u);
  ASSERT_TRUE(CAppStreamXML::Save("empty", nullptr));
  EXPECT_TRUE(SavedParam("empty") == 0);
  CAppParamSaveProbe probe;  // an empty key is still written
  CAppVariant key;
  EXPECT_TRUE(CAppStreamXML::Save("probe", &probe) && SavedParam("probe").GetAttribut("Key", key));

  CAppStreamXML::SaveStream stream;
  Element top;
  stream.GetDocument().Create(top);
  for (const CAppException& e : {CatchAppException([&] { CAppStreamXML::SaveRecord(nullptr, &top, &root); }),
                                 CatchAppException([&] { CAppStreamXML::SaveRecord(&stream, nullptr, &root); })}) {
    EXPECT_EQ(e.GetMessage() + " in " + e.GetPrgFile(), "Exception >Bad pointer in AppStreamXML");
  }
}

TEST_F(AppStreamXML, Save_NestingLimitOfTheLoader) {
  CAppParamGroup root;
  root.SetKey("CHAIN");
  CAppParamGroup* last = &root;
  for (int depth = 2; depth <= 256; ++depth) last = last->SetAt("G", new CAppParamGroup(), CAppParamGroup::ADD_BY_KEY);
  EXPECT_TRUE(CAppStreamXML::Save("chain", &root) && CAppStreamXML::Load("chain", nullptr, "CHAIN") != nullptr);
  last->SetAt("TOO_DEEP", new CAppParam(), CAppParamGroup::ADD_BY_KEY);
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("chain", &root); }).GetMessage(),
            "Exception >Nesting deeper than 256 at CAppParam (Key=TOO_DEEP)");
}

// An array field with no entries leaves no "Array" element; the tree still
// reads back as it was.
TEST_F(AppStreamXML, Save_EmptyArraysWriteNoArrayElement) {
  CAppParamGroup root;
  root.SetKey("ROOT");
  root.SetAt("LIST", new CAppParamListKey(), CAppParamGroup::ADD_BY_KEY);
  root.SetAt("CHOICE", new CAppParamEnumSingle(), CAppParamGroup::ADD_BY_KEY);
  auto* filled = root.SetAt("FILLED", new CAppParamListKey(), CAppParamGroup::ADD_BY_KEY);
  filled->InsertAfter("A", CAppParamListKey::Position());
  ASSERT_TRUE(CAppStreamXML::Save("arrays", &root));
  const std::string saved = Read("arrays");
  EXPECT_EQ(saved.find("<Array"), saved.rfind("<Array")) << saved;  // only FILLED's
  EXPECT_NE(saved.find("<Array Name=\"List\""), std::string::npos) << saved;
  const std::unique_ptr<CAppParam> reloaded = CAppStreamXML::Load("arrays", nullptr, "ROOT");
  EXPECT_EQ(ParamTreeLines(reloaded.get()), ParamTreeLines(&root));
}

// A host class that loads another description while it is itself being
// loaded, as a host rule or class may.
class CAppParamNestedLoad : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamNestedLoad)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("Source", source);
    if (record->IsModeLoad() && !source.empty()) inner = CAppStreamXML::Load(source, nullptr, "INNER");
  }
  std::string source;
  std::unique_ptr<CAppParam> inner;
};

APP_IMPLEMENT_DYNCREATE(CAppParamNestedLoad, CAppParam)
APP_REGISTER_CLASS_INIT(CAppParamNestedLoad, "Param NestedLoad", nullptr)

namespace {

// `levels` groups keyed G, each inside the one before, around `innermost`.
std::string Chain(int levels, const std::string& innermost) {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<Group Key=\"G\">";
  text += innermost;
  for (int i = 0; i < levels; ++i) text += "</Group>";
  return text;
}

CAppParam* Bottom(CAppParam* top, int levels) {
  for (int i = 0; i < levels && top != nullptr; ++i) top = top->GetGroup()->FindChild("G");
  return top;
}

}  // namespace

// The inner load has its own files and nesting: deep inside the outer tree
// it may nest as deep as a load of its own, and the outer load goes on with
// the files it had opened.
TEST_F(AppStreamXML, Load_ALoadStartedDuringAnotherLeavesTheOuterLoadIntact) {
  WriteDescription("shared", R"(<Param Key="LEAF" Type="Value" Value="leaf"/>)");
  WriteDescription("inner", "<Group Key=\"INNER\">" +
                                Chain(200, R"(<ParamRef Key="SHARED" File="shared" Ref="LEAF"/>)") + "</Group>");
  WriteDescription("outer", R"(<Group Key="ROOT"><ParamRef Key="BEFORE" File="shared" Ref="LEAF"/>)" +
                                Chain(200, R"(<Param Key="NESTED" Type="Param NestedLoad">
                                  <Property Name="Source" Value="inner"/></Param>)") +
                                R"(<ParamRef Key="AFTER" File="shared" Ref="LEAF" Name="after"/></Group>)");
  const std::unique_ptr<CAppParam> outer = CAppStreamXML::Load("outer", nullptr, "ROOT");
  ASSERT_NE(outer, nullptr);
  CAppParamNestedLoad* nested = nullptr;
  ASSERT_TRUE(Bottom(outer.get(), 200)->GetGroup()->GetAt("NESTED", nested));
  ASSERT_NE(nested->inner, nullptr);
  CAppParam* innerLeaf = Bottom(nested->inner.get(), 200)->GetGroup()->FindChild("SHARED");
  ASSERT_NE(innerLeaf, nullptr);
  EXPECT_EQ(innerLeaf->GetVariant().ToString(), "leaf");
  CAppParam* after = outer->GetGroup()->FindChild("AFTER");
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->GetName() + " " + after->GetVariant().ToString(), "after leaf");
}

// A leaf that counts the objects made of its class.
class CAppParamCounted : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamCounted)

public:
  CAppParamCounted() { ++made, ++alive; }
  ~CAppParamCounted() override { --alive; }
  static inline std::size_t made = 0;
  static inline long alive = 0;
};

APP_IMPLEMENT_DYNCREATE(CAppParamCounted, CAppParam)
APP_REGISTER_CLASS_INIT(CAppParamCounted, "Param Counted", nullptr)

namespace {

// Definitions that each refer twice to the next: the tree doubles at every
// level, from a file of a few elements per level.
std::string FanOut(int levels) {
  std::string body;
  for (int i = 0; i < levels; ++i) {
    body += CAppTools::Format("<Group Key=\"L%d\"><ParamRef Key=\"A\" Ref=\"L%d\"/><ParamRef Key=\"B\" Ref=\"L%d\"/></Group>",
                              i, i + 1, i + 1);
  }
  return body + CAppTools::Format("<Param Key=\"L%d\" Type=\"Param Counted\"/>", levels);
}

// Restores the load limits a test changes.
struct LimitsGuard {
  ~LimitsGuard() { CAppStreamXML::SetLimits(saved); }
  CAppStreamXML::Limits saved = CAppStreamXML::GetLimits();
};

}  // namespace

TEST_F(AppStreamXML, Load_ReferencesThatMultiplyTheTreeStopAtTheLimit) {
  WriteDescription("fan12", FanOut(12));
  CAppParamCounted::made = 0;
  const std::unique_ptr<CAppParam> tree = CAppStreamXML::Load("fan12", nullptr, "L0");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(CAppParamCounted::made, 4096u);
  // 8.4 million and a million million parameters: refused once 100 000 are
  // made, whatever the tree would have grown to.
  for (int levels : {22, 40}) {
    const std::string file = "fan" + std::to_string(levels);
    WriteDescription(file, FanOut(levels));
    CAppParamCounted::made = 0;
    const std::string message = CatchAppException([&] { CAppStreamXML::Load(file, nullptr, "L0"); }).GetMessage();
    EXPECT_EQ(message.rfind(CAppTools::Format("Exception >More than 100000 parameters built from %d elements, at <ParamRef Key=\"",
                                              3 * levels + 2), 0), 0u) << message;
    EXPECT_NE(message.find("\" Ref=\"L"), std::string::npos) << message;
    const std::string where = "\"> on file : " + file + ".XML";
    EXPECT_EQ(message.substr(message.size() - std::min(message.size(), where.size())), where);
    EXPECT_LT(CAppParamCounted::made, 100000u);
  }
}

// A device that reuses one block many times stays far below the limit; the
// host sets either number of the limit.
TEST_F(AppStreamXML, Load_ReusedDefinitionsWithinTheLimitAndHostLimits) {
  std::string block = "<Group Key=\"CHANNEL\">";
  for (int i = 0; i < 50; ++i) block += CAppTools::Format("<Param Key=\"P%d\" Type=\"Param Counted\"/>", i);
  std::string device = "<Group Key=\"DEVICE\">";
  for (int i = 0; i < 64; ++i) device += CAppTools::Format("<ParamRef Key=\"C%d\" Ref=\"CHANNEL\"/>", i);
  WriteDescription("channels", block + "</Group>" + device + "</Group>");
  const int elements = 1 + 51 + 65;  // the root and the two definitions
  CAppParamCounted::made = 0;
  EXPECT_NE(CAppStreamXML::Load("channels", nullptr, "DEVICE"), nullptr);
  EXPECT_EQ(CAppParamCounted::made, 64u * 50u);

  const LimitsGuard guard;
  // 1 + 64 * 51 = 3 265 parameters from 117 elements: 28 per element is
  // enough, 27 stops in the channel that passes 27 * 117.
  CAppStreamXML::SetLimits({0, 28});
  EXPECT_NE(CAppStreamXML::Load("channels", nullptr, "DEVICE"), nullptr);
  CAppStreamXML::SetLimits({0, 27});
  const int limit = 27 * elements;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("channels", nullptr, "DEVICE"); }).GetMessage(),
            CAppTools::Format("Exception >More than %d parameters built from %d elements, at <ParamRef Key=\"C%d\" "
                              "Ref=\"CHANNEL\"> on file : channels.XML", limit, elements, (limit - 1) / 51));
  CAppStreamXML::SetLimits({3265, 0});
  EXPECT_NE(CAppStreamXML::Load("channels", nullptr, "DEVICE"), nullptr);
}

// A host hears of every thousand parameters built, and can abandon the load
// from there: nothing of the tree is left.
TEST_F(AppStreamXML, Load_ReportsProgressAndCanBeAbandoned) {
  std::string device = "<Group Key=\"DEVICE\">";
  for (int i = 0; i < 2500; ++i) device += CAppTools::Format("<Param Key=\"P%d\" Type=\"Param Counted\"/>", i);
  WriteDescription("big", device + "</Group>");
  struct Recorder : CAppStreamXML::LoadProgress {
    void OnLoadProgress(std::size_t params) override {
      heard.push_back(params);
      if (params >= stopAt) throw CAppException("test", 0, "Cancelled");
    }
    std::vector<std::size_t> heard;
    std::size_t stopAt = SIZE_MAX;
  } progress;
  EXPECT_NE(CAppStreamXML::Load("big", nullptr, "DEVICE", &progress), nullptr);
  EXPECT_EQ(progress.heard, (std::vector<std::size_t>{1000, 2000}));

  progress.heard.clear();
  progress.stopAt = 2000;
  CAppParamCounted::made = 0;
  CAppParamCounted::alive = 0;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("big", nullptr, "DEVICE", &progress); }).GetMessage(),
            "Exception >Cancelled");
  EXPECT_LT(CAppParamCounted::made, 2000u);  // stopped there, not at the end
  EXPECT_EQ(CAppParamCounted::alive, 0);
}

TEST_F(AppStreamXML, Load_FileReferencesStayInsideTheDescriptionFolder) {
  std::filesystem::create_directories(Dir() + "sub");
  WriteDescription("sub/inner", R"(<Group Key="SYS_ROOT" Name="inner"/>)");
  const std::string folder = std::filesystem::path(Dir()).parent_path().filename().string();
  WriteDescription("refs", R"(<Group Key="INSIDE"><ParamRef Key="X" File="sub/inner"/></Group>)" +
                               CAppTools::Format(R"(<Group Key="PARENT"><ParamRef Key="X" File="../%s/sub/inner"/></Group>)",
                                                 folder.c_str()) +
                               R"(<Group Key="DEEP"><ParamRef Key="X" File="sub/../../x"/></Group>
                                  <Group Key="BACKSLASH"><ParamRef Key="X" File="sub\..\..\x"/></Group>)" +
                               CAppTools::Format(R"(<Group Key="ABSOLUTE"><ParamRef Key="X" File="%ssub/inner"/></Group>)",
                                                 Dir().c_str()));
  const std::unique_ptr<CAppParam> inside = CAppStreamXML::Load("refs", nullptr, "INSIDE");
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->GetGroup()->FindChild("X")->GetName(), "inner");
  const std::pair<const char*, std::string> refused[] = {{"PARENT", "../" + folder + "/sub/inner"},
                                                         {"DEEP", "sub/../../x"},
                                                         {"BACKSLASH", "sub\\..\\..\\x"},
                                                         {"ABSOLUTE", Dir() + "sub/inner"}};
  for (const auto& [key, file] : refused) {
    EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("refs", nullptr, key); }).GetMessage(),
              "Exception >Reference file outside the description folder : " + file + " on file : refs.XML") << key;
  }
}

// A loop names the definition met again; nesting that only goes deep says so.
TEST_F(AppStreamXML, Load_DepthGuardTellsALoopFromDeepNesting) {
  WriteDescription("loops", std::string(R"(<Group Key="A"><Group Key="IN"><ParamRef Key="B" Ref="B"/></Group></Group>
    <Group Key="B"><ParamRef Key="A" Ref="A"/></Group>
    <Group Key="TWICE"><ParamRef Key="X" Ref="B_LEAF"/><ParamRef Key="Y" Ref="B_LEAF"/></Group><Group Key="B_LEAF"/>)") +
                                "<Group Key=\"DEEP\">" + Chain(255, "") + "</Group><Group Key=\"DEEPER\">" + Chain(256, "") +
                                "</Group>");
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("loops", nullptr, "A"); }).GetMessage(),
            "Exception >Reference loop : definition A on file : loops.XML refers back to itself");
  EXPECT_NE(CAppStreamXML::Load("loops", nullptr, "TWICE"), nullptr);
  EXPECT_NE(CAppStreamXML::Load("loops", nullptr, "DEEP"), nullptr);
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("loops", nullptr, "DEEPER"); }).GetMessage(),
            "Exception >Nesting deeper than 256 at <Group Key=\"G\"> on file : loops.XML");
}

// --- Hostile descriptions ------------------------------------------------------------

// A fan-out whose leaf drags 2 500 unused children through every copy: the
// work is bounded by the file's size, long before the parameters are.
TEST_F(AppStreamXML, Load_WorkOfCopiesIsBoundedByTheFilesElements) {
  std::string leaf = "<Param Key=\"L17\" Type=\"Value\">";
  for (int i = 0; i < 2500; ++i) leaf += CAppTools::Format("<Property Name=\"P%d\" Value=\"0\"/>", i);
  std::string body = FanOut(17);
  body.replace(body.rfind("<Param Key=\"L17\""), std::string::npos, leaf + "</Param>");
  WriteDescription("wide", body);
  const std::string message = CatchAppException([&] { CAppStreamXML::Load("wide", nullptr, "L0"); }).GetMessage();
  EXPECT_EQ(message.rfind("Exception >More than 2000000 element visits from 2553 elements, at <ParamRef Key=\"", 0), 0u)
      << message;
  EXPECT_NE(message.find("\"> on file : wide.XML"), std::string::npos) << message;
}

// Names from a file are keys, never paths: a profile named
// CAppParamNumeric\X is refused (it would be put inside the class profile),
// and so is a parameter keyed SUB\A (it would replace nothing in SUB and
// vanish).
TEST_F(AppStreamXML, Load_ProfileNamesAndKeysWithABackslashAreRefused) {
  CAppResources resources;
  resources.Init();
  const unsigned entries = resources.FindChild("CAppParamNumeric")->GetGroup()->GetCount();
  WriteDescription("profile", R"(<Resources Profile="CAppParamNumeric\X"><Define Key="SYS_UNIT_VALUE" Name="mm"/></Resources>
    <Group Key="ROOT"/>)");
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("profile", &resources, "ROOT"); }).GetMessage(),
            R"(Exception >Bad pointer : Profile="CAppParamNumeric\X" on file : profile.XML)");
  EXPECT_EQ(resources.FindChild("CAppParamNumeric")->GetGroup()->GetCount(), entries);

  WriteDescription("keys", R"(<Group Key="DEV"><Group Key="SUB"><Param Key="A" Type="Value"/></Group>
    <Param Key="SUB\A" Type="Value"/></Group>)");
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Load("keys", nullptr, "DEV"); }).GetMessage(),
            R"(Exception >Bad key : SUB\A on file : keys.XML)");
}
