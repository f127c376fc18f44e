// The CANopen device reader and the DCF writer, over small files that each
// carry one habit of published EDS files.
#include "appconfig/AppStreamEDS.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "TestSupport.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"

namespace {

const std::string kData = APPCONFIG_EDS_TEST_DATA "/";

// Each leaf as "path name=value", a group as "path name/", in tree order;
// read-only leaves end with " ro".
void Describe(CAppParam& node, std::vector<std::string>& out) {
  std::string line = node.GetPath() + " " + node.GetName(nullptr);
  if (CAppParamGroup* group = node.GetGroup()) {
    if (node.GetParent() != nullptr) out.push_back(line + "/");
    for (POSITION pos = group->GetStartPosition(); pos != nullptr;) Describe(*group->GetNextPtr(pos), out);
    return;
  }
  line += "=" + node.GetFmtValue(nullptr);
  if (node.IsFlagsEnable(PF_READONLY)) line += " ro";
  out.push_back(line);
}

std::vector<std::string> Describe(CAppParam& root) {
  std::vector<std::string> out;
  Describe(root, out);
  return out;
}

std::string Write(const TempFolder& folder, const std::string& name, const std::string& text) {
  const std::string file = folder.File(name);
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

const std::string kDeviceInfo = "[DeviceInfo]\nProductName=T\n";

}  // namespace

TEST(AppStreamEDS, QuirkFilesOpen) {
  struct Row {
    const char* file;
    std::vector<std::string> tree;
    std::vector<std::string> skipped;
  };
  const std::vector<Row> rows = {
      {"crlf.eds", {"O1000 Device type=401 ro", "O1017 Heartbeat=100"}, {}},
      {"lower_hex.eds",
       {"O100A Software version=v1.2 ro", "O1A00 TPDO1 mapping/", "O1A00\\S00 Count=1", "O1A00\\S01 Entry 1=1610613000"},
       {}},
      {"capital_sub.eds", {"O1018 Identity/", "O1018\\S00 Count=10 ro", "O1018\\S0A Tenth=7 ro"}, {}},
      {"decimal_types.eds", {"O2000 Speed=-5", "O2001 Modes/", "O2001\\S00 Count=1 ro", "O2001\\S01 Mode 1=-2"}, {}},
      {"compact.eds",
       {"O1003 Error field/", "O1003\\S00 NrOfObjects=3 ro", "O1003\\S01 Error field 1=0 ro",
        "O1003\\S02 Second error=0 ro", "O1003\\S03 Error field 3=85 ro"},
       {}},
      {"subnumber.eds", {"O1400 RPDO1/", "O1400\\S00 Count=2 ro", "O1400\\S02 Transmission type=254"}, {}},
      {"listed.eds", {"O1000 Device type=0 ro", "O2000 Not listed=9"}, {"1001 (no section)", "1017 (no section)"}},
      {"empty_string.eds", {"O1008 Device name= ro", "O1009 Hardware version= ro"}, {}},
      {"comments.eds", {"O1000 Device type=18"}, {}},
      {"configured.dcf", {"O1017 Heartbeat=250", "O1800 TPDO1/", "O1800\\S01 COB-ID=394"}, {}},
  };
  for (const Row& row : rows) {
    CapturedOutput output;
    std::vector<std::string> skipped;
    const auto root = CAppStreamEDS::Load(kData + row.file, CAppStreamEDS::NODE_ID_FROM_FILE, &skipped);
    EXPECT_EQ(root->GetKey(), "DEVICE");
    EXPECT_EQ(Describe(*root), row.tree) << row.file;
    EXPECT_EQ(skipped, row.skipped) << row.file;
    EXPECT_EQ(output.lines.size(), row.skipped.empty() ? 0u : 1u) << row.file;
  }
}

TEST(AppStreamEDS, MapsDataTypes) {
  struct Row {
    const char* dataType;
    const char* value;
    const char* className;
    std::uint32_t type;  // variant type of a numeric leaf
    unsigned bits;
    std::string shown;
  };
  const std::vector<Row> rows = {
      {"0x0001", "1", "CAppParamNumeric", CAppVariant::VT_UI1, 1, "1"},
      {"0x0002", "-128", "CAppParamNumeric", CAppVariant::VT_I1, 8, "-128"},
      {"0x0003", "0xFFFF", "CAppParamNumeric", CAppVariant::VT_I2, 16, "-1"},
      {"0x0004", "-2147483648", "CAppParamNumeric", CAppVariant::VT_I4, 32, "-2147483648"},
      {"0x0005", "0377", "CAppParamNumeric", CAppVariant::VT_UI1, 8, "255"},
      {"0x0006", "65535", "CAppParamNumeric", CAppVariant::VT_UI2, 16, "65535"},
      {"0x0007", "0xFFFFFFFF", "CAppParamNumeric", CAppVariant::VT_UI4, 32, "4294967295"},
      {"0x0010", "0xFFFFFF", "CAppParamNumeric", CAppVariant::VT_I4, 24, "-1"},
      {"0x0016", "0xFFFFFF", "CAppParamNumeric", CAppVariant::VT_UI4, 24, "16777215"},
      {"0x0009", "text with blanks", "CAppParamValue", 0, 0, "text with blanks"},
      {"0x000A", "ABC", "CAppParamArray", 0, 0, "0A BC "},
      {"0x000F", "00ff", "CAppParamArray", 0, 0, "00 FF "},
  };
  TempFolder folder;
  std::string text = kDeviceInfo;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    text += CAppTools::Format("[%04X]\nParameterName=P\nDataType=%s\nDefaultValue=%s\n", static_cast<unsigned>(0x2000 + i),
                              rows[i].dataType, rows[i].value);
  }
  // Every type the tree has no class for is left out, and said so.
  for (const char* skipped : {"0x0008", "0x000B", "0x000C", "0x000D", "0x0011", "0x0015", "0x001B", "0x0020", "0x0100"}) {
    text += CAppTools::Format("[3%s]\nParameterName=S\nDataType=%s\n", skipped + 3, skipped);
  }
  const auto root = CAppStreamEDS::Load(Write(folder, "types.eds", text));
  CAppParamGroup& group = *root->GetGroup();
  ASSERT_EQ(group.GetCount(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    CAppParam* leaf = group._GetAt(CAppTools::Format("O%04X", static_cast<unsigned>(0x2000 + i)));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->GetClassName(), rows[i].className) << rows[i].dataType;
    EXPECT_EQ(leaf->GetFmtValue(nullptr), rows[i].shown) << rows[i].dataType;
    if (auto* numeric = dynamic_cast<CAppParamNumeric*>(leaf)) {
      EXPECT_EQ(numeric->GetType().GetCode(), rows[i].type) << rows[i].dataType;
      EXPECT_EQ(numeric->GetBitSize(), rows[i].bits) << rows[i].dataType;
    } else {
      EXPECT_EQ(leaf->GetBitSize(), 0u) << rows[i].dataType;
    }
  }
}

TEST(AppStreamEDS, NumbersAndNodeId) {
  struct Row {
    const char* text;
    int nodeId;
    std::int64_t expected;
  };
  const std::vector<Row> rows = {
      {"$NODEID+0x180", 5, 0x185},   {"0x180 + $NODEID", 5, 0x185}, {" $nodeid + 0x200 ", 127, 0x27F},
      {"0x600+$NODEID", -1, 0x60A},  {"010", 0, 8},                 {"-0x10", 0, -16},
      {"0", 0, 0},                   {"4294967295", 0, -1}, {"0x180+$NODEID-1", 2, 0x181},
  };
  TempFolder folder;
  for (const Row& row : rows) {
    // configured.dcf's node id (10) counts when the caller gives none.
    const std::string file = Write(folder, "n.dcf",
                                   kDeviceInfo + "[2000]\nParameterName=N\nDataType=0x0004\nDefaultValue=" + row.text +
                                       "\n[DeviceComissioning]\nNodeID=10\n");
    const auto root = CAppStreamEDS::Load(file, row.nodeId);
    const CAppVariant value = root->GetGroup()->_GetAt("O2000")->GetVariant();
    EXPECT_EQ(value.GetInt64(), row.expected) << row.text;
  }
}

TEST(AppStreamEDS, MalformedFilesThrowNamingLine) {
  struct Row {
    std::string text;
    std::string message;  // after the file name
  };
  const std::vector<Row> rows = {
      {"[FileInfo]\nFileName=x\n", ", line 2: no [DeviceInfo] section"},
      {kDeviceInfo + "[1000\nDataType=7\n", ", line 3: section name without closing ']'"},
      {kDeviceInfo + "[1000]\nDataType 7\n", ", line 4: expected [section], name=value or a ; comment"},
      {kDeviceInfo + "[1000]\nDataType=0x7Z\n", ", line 4: unreadable number \"0x7Z\" for DataType"},
      {kDeviceInfo + "[1000]\nDataType=7\nDefaultValue=12abc\n", ", line 5: unreadable number \"12abc\" for DefaultValue"},
      {kDeviceInfo + "[1000]\nDataType=5\nDefaultValue=256\n", ", line 5: DefaultValue 256 out of range for UNSIGNED8"},
      {kDeviceInfo + "[1000]\nObjectType=0x9\n\n[1000sub1FF]\nDataType=5\n", ", line 6: sub-index above 0xFE in [1000sub1FF]"},
      {kDeviceInfo + "[10000]\nDataType=5\n", ", line 3: bad object section name [10000]"},
      {kDeviceInfo + "[1000]\nParameterName=No type\n", ", line 3: no DataType for 1000"},
      {kDeviceInfo + "[1000]\nDataType=0x000A\nDefaultValue=0xZZ\n", ", line 5: not hexadecimal data: \"0xZZ\""},
      {kDeviceInfo + "[OptionalObjects]\n1=one\n", ", line 4: unreadable number \"one\" for 1"},
      {"ProductName=before\n" + kDeviceInfo, ", line 1: entry before any [section]"},
  };
  TempFolder folder;
  for (const Row& row : rows) {
    CapturedOutput output;
    const std::string file = Write(folder, "bad.eds", row.text);
    const CAppException e = CatchAppException([&] { CAppStreamEDS::Load(file); });
    EXPECT_EQ(e.GetMessage(), "Exception >" + file + row.message) << row.text;
    EXPECT_TRUE(output.lines.empty()) << row.text;
  }
  EXPECT_NE(CatchAppException([&] { CAppStreamEDS::Load(folder.File("missing.eds")); }).GetMessage().find("missing.eds"),
            std::string::npos);
}

// A line longer than inih's buffer still reads whole.
TEST(AppStreamEDS, LongLinesKeepTheirValue) {
  TempFolder folder;
  const std::string name(300, 'n'), digits(600, 'A');
  const std::string file = Write(folder, "long.eds", ";" + std::string(400, '-') + "\n" + kDeviceInfo +
                                                         "[2000]\nParameterName=" + name +
                                                         "\nDataType=0x000F\nDefaultValue=" + digits + "\n");
  const auto root = CAppStreamEDS::Load(file);
  CAppParam* leaf = root->GetGroup()->_GetAt("O2000");
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->GetName(nullptr), name);
  EXPECT_EQ(DataOf(*leaf), std::vector<std::uint8_t>(300, 0xAA));
}

// With no value changed, the DCF is the source byte for byte, with the
// commissioning lines set: added at the end when the file has none.
TEST(AppStreamEDS, SaveDCFChangesOnlyCommissioningLines) {
  TempFolder folder;
  for (const char* name : {"crlf.eds", "lower_hex.eds", "compact.eds", "comments.eds", "configured.dcf"}) {
    const std::string source = kData + name;
    const std::string original = TempFolder::ReadAll(source);
    const auto root = CAppStreamEDS::Load(source);
    const std::string target = folder.File("out.dcf");
    CAppStreamEDS::SaveDCF(source, root.get(), target, {});
    const std::string newline = original.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string expected = std::string(name) == "configured.dcf"
                                     ? original
                                     : original + newline + "[DeviceComissioning]" + newline + "NodeID=0" + newline;
    EXPECT_EQ(TempFolder::ReadAll(target), expected) << name;
  }
  // A node id and a baud rate given set the lines the DCF has; the values,
  // read with that node id, are still the defaults.
  const std::string source = kData + "configured.dcf";
  const auto root = CAppStreamEDS::Load(source, 3);
  CAppStreamEDS::SaveDCF(source, root.get(), folder.File("node.dcf"), {3, 500});
  std::string expected = TempFolder::ReadAll(source);
  expected.replace(expected.find("NodeID=0x0A"), 11, "NodeID=3");
  expected.replace(expected.find("Baudrate=250"), 12, "Baudrate=500");
  EXPECT_EQ(TempFolder::ReadAll(folder.File("node.dcf")), expected);
}

TEST(AppStreamEDS, SaveDCFRoundTripKeepsValues) {
  TempFolder folder;
  const std::string source = APPCONFIG_EDS_EXAMPLE;
  const auto root = CAppStreamEDS::Load(source, 5);
  CAppParamGroup& device = *root->GetGroup();
  const std::vector<std::pair<std::string, CAppVariant>> changes = {
      {"O1017", CAppVariant(std::uint32_t{500})},      // a VAR gets ParameterValue
      {"O1800\\S01", CAppVariant(std::uint32_t{0x2A5})},  // a $NODEID default
      {"O1003\\S02", CAppVariant(std::uint32_t{7})},   // a compact array's [1003Value]
      {"O1008", CAppVariant("Renamed")},
      {"O2001", CAppVariant(std::int32_t{-3})},
  };
  for (const auto& [path, value] : changes) device._GetAt(path)->SetVariant(value);
  std::vector<std::uint8_t> key = {0x01, 0x02};
  device._GetAt("O2200")->SetData(key);
  const std::vector<std::string> expected = Describe(*root);

  const std::string target = folder.File("io.dcf");
  CAppStreamEDS::SaveDCF(source, root.get(), target, {5, -1});
  const auto back = CAppStreamEDS::Load(target);
  EXPECT_EQ(Describe(*back), expected);
  EXPECT_EQ(ImageOf(*back), ImageOf(*root));

  // Every line of the source is still there, in its order.
  std::istringstream before(TempFolder::ReadAll(source)), after(TempFolder::ReadAll(target));
  std::string want, got;
  std::size_t kept = 0, lines = 0;
  while (std::getline(before, want)) {
    ++lines;
    while (std::getline(after, got) && got != want) {
    }
    if (got == want) ++kept;
  }
  EXPECT_EQ(kept, lines);

  // Written again over itself with the values it holds: nothing moves.
  const std::string once = TempFolder::ReadAll(target);
  CAppStreamEDS::SaveDCF(target, back.get(), target, {});
  EXPECT_EQ(TempFolder::ReadAll(target), once);
}

TEST(AppStreamEDS, SaveDCFFailureLeavesTarget) {
  TempFolder folder;
  const std::string target = Write(folder, "keep.dcf", "previous");
  const auto root = CAppStreamEDS::Load(kData + "comments.eds");
  EXPECT_THROW(CAppStreamEDS::SaveDCF(folder.File("absent.eds"), root.get(), target, {}), CAppException);
  const std::string bad = Write(folder, "bad.eds", "[DeviceInfo\n");
  EXPECT_THROW(CAppStreamEDS::SaveDCF(bad, root.get(), target, {}), CAppException);
  EXPECT_EQ(TempFolder::ReadAll(target), "previous");
  EXPECT_THROW(CAppStreamEDS::SaveDCF(kData + "comments.eds", root.get(), folder.File("no/such/dir.dcf"), {}),
               CAppException);
  // A text a DCF cannot hold is refused, not cut.
  const auto strings = CAppStreamEDS::Load(kData + "empty_string.eds");
  strings->GetGroup()->_GetAt("O1008")->SetVariant(CAppVariant("name ; with a comment"));
  EXPECT_THROW(CAppStreamEDS::SaveDCF(kData + "empty_string.eds", strings.get(), target, {}), CAppException);
  EXPECT_EQ(TempFolder::ReadAll(target), "previous");
}
