#include "appconfig/AppToolsXML.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "XmlTestSupport.h"

namespace {

using Element = CAppToolsXML::Element;
using ListElement = CAppToolsXML::ListElement;
using Document = CAppToolsXML::Document;

class XmlDocumentTest : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    Write("desc", "<Description>\n  <Group Key=\"IP_CFG\" Help=\"\"><Property Name=\"Unit\"/><Param Key=\"ADDR\"/>"
                  "<Param Key=\"MASK\"/></Group>\n  <Resources Profile=\"CAppParam\"/>\n  <Define Key=\"B\"/>\n</Description>\n");
    ASSERT_TRUE(m_doc.Load("desc", nullptr));
    m_doc.GetRootElt(m_root);
    ASSERT_TRUE(m_root != 0);
  }
  Document m_doc;
  Element m_root;
};

TEST_F(XmlDocumentTest, SelectAndGetAttribut_RelativeInDocumentOrderOrEmpty) {
  Element group, param;
  EXPECT_FALSE(m_root.Select("./Param", param));  // relative to the element asked
  ASSERT_TRUE(m_root.Select("./*[@Key = \"IP_CFG\"]", group) && group.Select("./Param", param));
  EXPECT_EQ(Attribute(param, "Key"), "ADDR");
  for (const char* query : {"./*[@Key = \"NONE\"]", "./[", "1 + 1", "./Group/@Key", ""}) {
    Element out = m_root;  // must be reset, not left as it was
    EXPECT_TRUE(!m_root.Select(query, out) && out == 0) << query;
  }
  ListElement list;
  ASSERT_TRUE(m_root.Select("./*[@Key]", list));
  ASSERT_EQ(list.GetCount(), 2u);
  list.GetAt(1, param);
  EXPECT_EQ(Attribute(param, "Key"), "B");
  EXPECT_EQ(CatchAppException([&] { list.GetAt(2, param); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_TRUE(!m_root.Select("./Element", list) && list.GetCount() == 0u);
  // Attributes: present but empty, and names that match exactly.
  CAppVariant value("stale");
  EXPECT_TRUE(group.GetAttribut("Help", value) && value.GetType() == CAppVariant::VT_BSTR && value.ToString() == "");
  EXPECT_TRUE(!group.GetAttribut("help", value) && value.IsEmpty());
  // A bad XPath for a list throws; attributes are nodes but not elements.
  const CAppException bad = CatchAppException([&] { m_root.Select("./*[", list); });
  EXPECT_EQ(bad.GetPrgFile(), "AppToolsXML");
  EXPECT_EQ(bad.GetMessage().rfind("Exception >CAppToolsXML Exception hr=0x80004005 (XPath \"./*[\": ", 0), 0u)
      << bad.GetMessage();
  ASSERT_TRUE(m_root.Select("./Resources/@Profile", list));
  Element attribute;
  EXPECT_EQ(CatchAppException([&] { list.GetAt(0, attribute); }).GetMessage(), "Exception >CAppToolsXML Exception hr=0x80004002");
  EXPECT_TRUE(attribute == 0);
}

TEST_F(XmlDocumentTest, ElementsKeepTheirDocumentAlive) {
  ListElement params;
  ASSERT_TRUE(m_root.Select("./Group/Param", params));
  m_doc = Document();
  m_root = Element();
  Element last;
  params.GetAt(1, last);
  params = ListElement();
  EXPECT_EQ(Attribute(last, "Key"), "MASK");
}

TEST(XmlHandles, EmptyHandlesThrowInsteadOfCrashing) {
  Element null, out;
  ListElement list;
  CAppVariant value;
  Document doc;
  EXPECT_EQ(CatchAppException([&] { (void)(null != -1); }).GetMessage(), "Exception >Only for NULL test");
  for (const CAppException& e : {CatchAppException([&] { null.Select("./*", out); }),
                                 CatchAppException([&] { null.Select("./*", list); }),
                                 CatchAppException([&] { null.GetAttribut("Key", value); }),
                                 CatchAppException([&] { null.GetName(); }),
                                 CatchAppException([&] { list.GetCount(); }),
                                 CatchAppException([&] { null.Attach(CAppComPtr<CAppToolsXML::DomNode>()); }),
                                 CatchAppException([&] { doc.Save("never"); })}) {
    EXPECT_EQ(e.GetMessage() + " in " + e.GetPrgFile(), "Exception >Bad pointer in AppToolsXML");
  }
  EXPECT_EQ(CatchAppException([] { CAppToolsXML::TestHR(CAppToolsXML::HR_INVALIDARG); }).GetMessage(),
            "Exception >CAppToolsXML Exception hr=0x80070057");
}

using XmlCreate = XmlFolder;

TEST_F(XmlCreate, CreateRejectsBadNamesAndForeignNodes) {
  Document doc, other;
  Element root, otherRoot, out;
  doc.Create(root);
  other.Create(otherRoot);
  const std::string hr = "Exception >CAppToolsXML Exception hr=0x80070057";
  EXPECT_EQ(CatchAppException([&] { doc.CreateElement("Two words", out, &root); }).GetMessage(),
            hr + " (bad element name \"Two words\")");
  EXPECT_EQ(CatchAppException([&] { doc.CreateElement("A", out, &otherRoot); }).GetMessage(),
            hr + " (the parent belongs to another document)");
  // Texts XML 1.0 cannot carry: a control character, a NUL, bytes that are not UTF-8.
  const struct {
    std::string text;
    const char* problem;
  } refused[] = {{"a\x01", "0x01 at 1"}, {std::string("a\0b", 3), "0x00 at 1"}, {"caf\xE9", "0xE9 at 3"}};
  for (const auto& row : refused) {
    EXPECT_EQ(CatchAppException([&] { doc.CreateAttribut("Value", CAppVariant(row.text), &root); }).GetMessage(),
              hr + " (attribute \"Value\" holds byte " + row.problem + ", which XML cannot carry)");
  }
  EXPECT_EQ(Attribute(root, "Value"), "<absent>");
  ListElement children;
  EXPECT_TRUE(!root.Select("./*", children) && !otherRoot.Select("./*", children));
}

TEST_F(XmlCreate, SaveFailureLeavesTheTargetAndNoTemporaryFile) {
  Document doc;
  Element root;
  doc.Create(root);
  // A folder in the target's place: the final rename fails after the whole
  // file was written.
  std::filesystem::create_directory(Dir() + "busy.xml");
  Write("busy.xml/inside", "<Keep/>");
  EXPECT_EQ(CatchAppException([&] { doc.Save("busy"); }).GetMessage(),
            "Exception >File not create : " + Dir() + "busy.xml (not a regular file)");
  EXPECT_EQ(Read("busy.xml/inside"), "<Keep/>");
  EXPECT_EQ(FileCount(), 1u);
  CAppToolsXML::SetPath(Dir() + "missing/");
  EXPECT_EQ(CatchAppException([&] { doc.Save("x"); }).GetMessage(),
            "Exception >File not create : " + Dir() +
                "missing/x.xml (no temporary file can be made in its folder: No such file or directory)");
}

}  // namespace
