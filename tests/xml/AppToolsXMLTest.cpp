#include "appconfig/AppToolsXML.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "XmlTestSupport.h"

namespace {

using Element = CAppToolsXML::Element;
using ListElement = CAppToolsXML::ListElement;
using Document = CAppToolsXML::Document;

const char* const kDescription =
    "<?xml version=\"1.0\"?>\n"
    "<Description>\n"
    "  <Group Key=\"IP_CFG\" Name=\"Adresse IP\" Help=\"\">\n"
    "    <Property Name=\"Unit\" Value=\"ms\"/>\n"
    "    <Param Key=\"ADDR\" Type=\"Address\"/>\n"
    "    <Param Key=\"MASK\" Type=\"Address\"/>\n"
    "  </Group>\n"
    "  <Resources Profile=\"CAppParam\"/>\n"
    "  <Resources Profile=\"CAppParamGroup\"/>\n"
    "  <Define Key=\"A&amp;B\" Value=\"&lt;1&gt;\"/>\n"
    "</Description>\n";

class XmlDocumentTest : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    Write("desc", kDescription);
    ASSERT_TRUE(m_doc.Load("desc", nullptr));
    m_doc.GetRootElt(m_root);
    ASSERT_TRUE(m_root != 0);
  }
  Document m_doc;
  Element m_root;
};

TEST_F(XmlDocumentTest, SelectSingle_FindsFirstMatchInDocumentOrder) {
  Element group;
  ASSERT_TRUE(m_root.Select("./*[@Key = \"IP_CFG\"]", group));
  EXPECT_EQ(group.GetName(), "Group");
  Element resources;
  ASSERT_TRUE(m_root.Select("./Resources", resources));
  EXPECT_EQ(Attribute(resources, "Profile"), "CAppParam");
  // Relative to the element it is asked on, not to the document.
  Element param;
  EXPECT_FALSE(m_root.Select("./Param", param));
  ASSERT_TRUE(group.Select("./Param", param));
  EXPECT_EQ(Attribute(param, "Key"), "ADDR");
}

TEST_F(XmlDocumentTest, SelectSingle_NoMatchOrBadQueryGivesNullWithoutThrowing) {
  const char* const queries[] = {"./*[@Key = \"NONE\"]", "./*[@Key = \"A\"B\"]", "./[", "1 + 1",
                                 "./Group/@Key", "./Group/Property/text()", ""};
  for (const char* query : queries) {
    Element out = m_root;  // must be reset, not left as it was
    EXPECT_FALSE(m_root.Select(query, out)) << query;
    EXPECT_TRUE(out == 0) << query;
  }
}

TEST_F(XmlDocumentTest, SelectSingle_IntoItselfMovesTheElement) {
  Element cursor = m_root;
  ASSERT_TRUE(cursor.Select("./Group", cursor));
  ASSERT_TRUE(cursor.Select("./Property", cursor));
  EXPECT_EQ(Attribute(cursor, "Value"), "ms");
}

TEST_F(XmlDocumentTest, SelectList_CountsAndIndexesInDocumentOrder) {
  ListElement keyed;
  ASSERT_TRUE(m_root.Select("./*[@Key]", keyed));
  ASSERT_EQ(keyed.GetCount(), 2u);
  Element e;
  keyed.GetAt(0, e);
  EXPECT_EQ(Attribute(e, "Key"), "IP_CFG");
  keyed.GetAt(1, e);
  EXPECT_EQ(Attribute(e, "Key"), "A&B");
  EXPECT_EQ(Attribute(e, "Value"), "<1>");

  // A reverse axis still lists in document order.
  Element mask;
  ASSERT_TRUE(m_root.Select("./Group/Param[@Key = \"MASK\"]", mask));
  ListElement before;
  ASSERT_TRUE(mask.Select("preceding-sibling::*", before));
  ASSERT_EQ(before.GetCount(), 2u);
  before.GetAt(0, e);
  EXPECT_EQ(e.GetName(), "Property");
}

TEST_F(XmlDocumentTest, SelectList_EmptyResultHasCountZero) {
  ListElement none;
  EXPECT_FALSE(m_root.Select("./Element", none));
  EXPECT_EQ(none.GetCount(), 0u);
  Element e;
  EXPECT_EQ(CatchAppException([&] { none.GetAt(0, e); }).GetMessage(), "Exception >Bad pointer");
}

TEST_F(XmlDocumentTest, SelectList_Failures) {
  ListElement list;
  const CAppException bad = CatchAppException([&] { m_root.Select("./*[", list); });
  EXPECT_EQ(bad.GetPrgFile(), "AppToolsXML");
  EXPECT_EQ(bad.GetMessage().rfind("Exception >CAppToolsXML Exception hr=0x80004005 (XPath \"./*[\": ", 0), 0u)
      << bad.GetMessage();
  EXPECT_EQ(CatchAppException([&] { m_root.Select("count(*)", list); }).GetMessage().rfind(
                "Exception >CAppToolsXML Exception hr=0x80004005 (XPath \"count(*)\"", 0),
            0u);

  // Nesting in the expression is bounded by the parser, not by our stack.
  const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_NE(CatchAppException([&] { m_root.Select(deep, list); }).GetMessage().find("Exceeded maximum allowed query depth"),
            std::string::npos);

  ASSERT_TRUE(m_root.Select("./Resources", list));
  Element e;
  EXPECT_EQ(CatchAppException([&] { list.GetAt(2, e); }).GetMessage(), "Exception >Bad pointer");
  // Attributes are nodes but not elements.
  ASSERT_TRUE(m_root.Select("./Resources/@Profile", list));
  EXPECT_EQ(list.GetCount(), 2u);
  EXPECT_EQ(CatchAppException([&] { list.GetAt(0, e); }).GetMessage(),
            "Exception >CAppToolsXML Exception hr=0x80004002");
  EXPECT_TRUE(e == 0);
}

TEST_F(XmlDocumentTest, GetAttribut_PresentEmptyAndAbsent) {
  Element group;
  ASSERT_TRUE(m_root.Select("./Group", group));
  CAppVariant value("stale");
  EXPECT_TRUE(group.GetAttribut("Name", value));
  EXPECT_EQ(value.GetType(), CAppVariant::VT_BSTR);
  EXPECT_EQ(value.ToString(), "Adresse IP");
  EXPECT_TRUE(group.GetAttribut("Help", value));
  EXPECT_EQ(value.GetType(), CAppVariant::VT_BSTR);
  EXPECT_EQ(value.ToString(), "");
  EXPECT_FALSE(group.GetAttribut("Flags", value));
  EXPECT_TRUE(value.IsEmpty());
  // Attribute names are matched exactly.
  EXPECT_FALSE(group.GetAttribut("name", value));
}

TEST_F(XmlDocumentTest, ElementsKeepTheirDocumentAlive) {
  Element group;
  ASSERT_TRUE(m_root.Select("./Group", group));
  m_doc = Document();
  m_root = Element();
  ListElement params;
  ASSERT_TRUE(group.Select("./Param", params));
  Element last;
  params.GetAt(1, last);
  m_root = Element();
  group = Element();
  params = ListElement();
  EXPECT_EQ(Attribute(last, "Key"), "MASK");
}

TEST(XmlElement, NullElementOperations) {
  Element null;
  EXPECT_TRUE(null == 0);
  EXPECT_FALSE(null != 0);
  EXPECT_EQ(CatchAppException([&] { (void)(null == 1); }).GetMessage(), "Exception >Only for NULL test");
  EXPECT_EQ(CatchAppException([&] { (void)(null != -1); }).GetMessage(), "Exception >Only for NULL test");

  Element out;
  ListElement list;
  CAppVariant value;
  for (const CAppException& e : {CatchAppException([&] { null.Select("./*", out); }),
                                 CatchAppException([&] { null.Select("./*", list); }),
                                 CatchAppException([&] { null.GetAttribut("Key", value); }),
                                 CatchAppException([&] { null.GetName(); }),
                                 CatchAppException([&] { list.GetCount(); }),
                                 CatchAppException([&] { null.Attach(CAppComPtr<CAppToolsXML::DomNode>()); })}) {
    EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
    EXPECT_EQ(e.GetPrgFile(), "AppToolsXML");
  }
  null.Attach(CAppComPtr<CAppToolsXML::DomElement>());
  EXPECT_TRUE(null == 0);
}

TEST(XmlTools, TestHRThrowsOnlyForFailureCodes) {
  CAppToolsXML::TestHR(0);
  CAppToolsXML::TestHR(1);
  const CAppException e = CatchAppException([] { CAppToolsXML::TestHR(CAppToolsXML::HR_INVALIDARG); });
  EXPECT_EQ(e.GetMessage(), "Exception >CAppToolsXML Exception hr=0x80070057");
  EXPECT_EQ(e.GetPrgFile(), "AppToolsXML");
}

TEST(XmlDocument, EmptyDocumentOperations) {
  Document doc;
  Element root;
  EXPECT_EQ(doc.GetParseError(), "Internal Error!");
  EXPECT_EQ(CatchAppException([&] { doc.GetRootElt(root); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(CatchAppException([&] { doc.Save("never"); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(CatchAppException([&] { doc.CreateElement("A", root, nullptr); }).GetMessage(),
            "Exception >Bad pointer");
  ASSERT_TRUE(doc.Create(root));
  EXPECT_EQ(doc.GetParseError(), "Unknown Parse Error\n");
}

using XmlCreate = XmlFolder;

TEST_F(XmlCreate, BuildSaveAndLoadBack) {
  Document doc;
  Element root;
  ASSERT_TRUE(doc.Create(root));
  EXPECT_EQ(root.GetName(), "Description");
  Element param, property;
  ASSERT_TRUE(doc.CreateElement("Param", param, &root));
  ASSERT_TRUE(doc.CreateAttribut("Type", CAppVariant(std::string("Numeric")), &param));
  ASSERT_TRUE(doc.CreateAttribut("Key", CAppVariant(std::string("OLD")), &param));
  ASSERT_TRUE(doc.CreateAttribut("Key", CAppVariant(std::string("SPEED")), &param));  // replaces
  ASSERT_TRUE(doc.CreateElement("Property", property, &param));
  doc.CreateAttribut("Name", CAppVariant(std::string("Unit")), &property);
  doc.CreateAttribut("Value", CAppVariant(std::string("d\xC3\xA9" "bit <\"&'> \t\n")), &property);
  doc.CreateAttribut("Count", CAppVariant(std::int32_t(-42)), &property);
  doc.CreateAttribut("Empty", CAppVariant(), &property);
  ASSERT_TRUE(doc.Save("out"));
  EXPECT_EQ(FileCount(), 1u);  // no temporary file left behind

  Document back;
  ASSERT_TRUE(back.Load("out", nullptr));
  Element loaded;
  back.GetRootElt(loaded);
  ListElement params;
  ASSERT_TRUE(loaded.Select("./Param", params));
  ASSERT_EQ(params.GetCount(), 1u);
  params.GetAt(0, loaded);
  EXPECT_EQ(Attribute(loaded, "Key"), "SPEED");
  EXPECT_EQ(Attribute(loaded, "Type"), "Numeric");
  ASSERT_TRUE(loaded.Select("./Property[@Name = \"Unit\"]", loaded));
  EXPECT_EQ(Attribute(loaded, "Value"), "d\xC3\xA9" "bit <\"&'> \t\n");
  EXPECT_EQ(Attribute(loaded, "Count"), "-42");
  CAppVariant empty;
  EXPECT_TRUE(loaded.GetAttribut("Empty", empty));
  EXPECT_EQ(empty.ToString(), "");
}

TEST_F(XmlCreate, CreateElementWithoutParentAppendsToTheDocument) {
  Document doc;
  Element root;
  ASSERT_TRUE(doc.Create(root));
  Element second;
  const CAppException e = CatchAppException([&] { doc.CreateElement("Other", second, nullptr); });
  EXPECT_EQ(e.GetMessage(), "Exception >CAppToolsXML Exception hr=0x80004005 (Only one top level element is "
                            "allowed in an XML document)");
  EXPECT_TRUE(second == 0);
  Element again;
  doc.GetRootElt(again);
  EXPECT_EQ(again.GetName(), "Description");
}

TEST_F(XmlCreate, CreateRejectsBadNamesAndForeignNodes) {
  Document doc, other;
  Element root, otherRoot, out;
  doc.Create(root);
  other.Create(otherRoot);
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"element name with a blank", [&] { doc.CreateElement("Two words", out, &root); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (bad element name \"Two words\")"},
      {"element name starting with a digit", [&] { doc.CreateElement("1st", out, &root); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (bad element name \"1st\")"},
      {"empty element name", [&] { doc.CreateElement("", out, &root); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (bad element name \"\")"},
      {"attribute name with a quote", [&] { doc.CreateAttribut("a\"b", CAppVariant(), &root); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (bad attribute name \"a\"b\")"},
      {"parent of another document", [&] { doc.CreateElement("A", out, &otherRoot); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (the parent belongs to another document)"},
      {"element of another document", [&] { doc.CreateAttribut("A", CAppVariant(), &otherRoot); },
       "Exception >CAppToolsXML Exception hr=0x80070057 (the element belongs to another document)"},
      {"null element", [&] { doc.CreateAttribut("A", CAppVariant(), nullptr); }, "Exception >Bad pointer"},
      {"empty parent", [&] { Element none; doc.CreateElement("A", out, &none); }, "Exception >Bad pointer"},
  };
  for (const Case& c : cases) EXPECT_EQ(CatchAppException(c.call).GetMessage(), c.message) << c.what;
  ListElement children;
  EXPECT_FALSE(root.Select("./*", children));
  EXPECT_FALSE(otherRoot.Select("./*", children));
}

TEST_F(XmlCreate, SaveReplacesThePreviousFileWhole) {
  Write("target", "<Old/>");
  Document doc;
  Element root;
  doc.Create(root);
  ASSERT_TRUE(doc.Save("target"));
  EXPECT_NE(Read("target").find("<Description />"), std::string::npos) << Read("target");
  EXPECT_EQ(Read("target").find("Old"), std::string::npos);
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(XmlCreate, SaveFailureLeavesTheTargetAndNoTemporaryFile) {
  // A folder in the target's place: the final rename fails after the whole
  // file was written.
  std::filesystem::create_directory(Dir() + "busy.xml");
  Write("busy.xml/inside", "<Keep/>");
  Document doc;
  Element root;
  doc.Create(root);
  const CAppException e = CatchAppException([&] { doc.Save("busy"); });
  EXPECT_EQ(e.GetMessage(), "Exception >CAppToolsXML Exception hr=0x80004005 (cannot write \"" + Dir() +
                                "busy.xml\": Is a directory)");
  EXPECT_EQ(e.GetPrgFile(), "AppToolsXML");
  EXPECT_EQ(Read("busy.xml/inside"), "<Keep/>");
  EXPECT_EQ(FileCount(), 1u);

  CAppToolsXML::SetPath(Dir() + "missing/");
  EXPECT_EQ(CatchAppException([&] { doc.Save("x"); }).GetMessage(),
            "Exception >CAppToolsXML Exception hr=0x80004005 (cannot create a temporary file for \"" + Dir() +
                "missing/x.xml\": No such file or directory)");
}

TEST_F(XmlCreate, PathIsJoinedWithoutSeparator) {
  CAppToolsXML::SetPath(Dir() + "pre_");
  Write("pre_fix", "<Description Name=\"prefixed\"/>");
  Document doc;
  ASSERT_TRUE(doc.Load("fix", nullptr));
  Element root;
  doc.GetRootElt(root);
  EXPECT_EQ(Attribute(root, "Name"), "prefixed");

  // An empty path reads relative to the current directory.
  CAppToolsXML::SetPath("");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(Dir());
  Write("pre_a", "<Description Name=\"here\"/>");
  std::filesystem::rename(Dir() + "pre_a.xml", Dir() + "a.xml");
  const bool loaded = doc.Load("a", nullptr);
  std::filesystem::current_path(previous);
  ASSERT_TRUE(loaded);
  doc.GetRootElt(root);
  EXPECT_EQ(Attribute(root, "Name"), "here");
}

}  // namespace
