// Validation of loaded documents against the XDR schemas of a collection
// (tests/xml/data/test.xdr).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppToolsXML.h"

namespace {

using Element = CAppToolsXML::Element;
using Document = CAppToolsXML::Document;
using SchemaCollection = CAppToolsXML::SchemaCollection;

class XmlSchema : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    ASSERT_TRUE(m_schemas.Create());
    ASSERT_TRUE(m_schemas.Add("urn:test-description", "test"));
  }
  // A document in the schema's namespace around the given body.
  static std::string Doc(const std::string& body) {
    return "<Description xmlns=\"urn:test-description\">\n" + body + "</Description>\n";
  }
  SchemaCollection m_schemas;
};

TEST_F(XmlSchema, ValidDocumentsLoad) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"minimal", Doc("<Param Key=\"A\" Type=\"Numeric\"/>\n")},
      {"every declared element",
       Doc("<Header><Help>Aide en ligne</Help></Header>\n"
           "<Param Key=\"A\" Type=\"Group\" Name=\"n\">\n"
           "  <Array Name=\"Data\"><Element Value=\"1\"/><Element Value=\"2\"/></Array>\n"
           "  <Property Name=\"Unit\" Value=\"ms\" Base=\"HEX\"/>\n"
           "  <Param Key=\"B\" Type=\"Numeric\"><Property Name=\"Min\"/></Param>\n"
           "  <Property Name=\"Max\"/>\n"
           "</Param>\n")},
      {"open model: undeclared attribute, foreign and unknown elements",
       "<d:Description xmlns:d=\"urn:test-description\" Version=\"2\">\n"
       "  <x:Note xmlns:x=\"urn:other\" any=\"1\">free <x:b/> text</x:Note>\n"
       "  <d:Unknown><d:Whatever/></d:Unknown>\n"
       "  <d:Param Key=\"A\" Type=\"Numeric\"/>\n"
       "</d:Description>\n"},
      {"no namespace: not validated", "<Description><Param/></Description>"},
      {"another namespace: not validated", "<Description xmlns=\"urn:elsewhere\"><Param/></Description>"},
  };
  for (const Case& c : cases) {
    Write("ok", c.text);
    Document doc;
    EXPECT_NO_THROW(doc.Load("ok", &m_schemas)) << c.what;
  }
}

TEST_F(XmlSchema, InvalidDocumentsNameTheElementAndItsPosition) {
  struct Case {
    std::string text;
    int line, column;
    const char* reason;
  };
  const Case cases[] = {
      {"<Descr xmlns=\"urn:test-description\"/>", 1, 1,
       "Element 'Descr' is not declared in the schema \"urn:test-description\""},
      {Doc("<Param Key=\"A\"/>\n"), 2, 1, "Element 'Param': required attribute 'Type' is missing"},
      {Doc("<Param Key=\"A\" Type=\"N\">\n  <Property Name=\"a\" Colour=\"red\"/>\n</Param>\n"), 3, 3,
       "Element 'Property': attribute 'Colour' is not declared and the model is closed"},
      {Doc("<Param Key=\"A\" Type=\"N\"><Property Name=\"a\" Base=\"OCT\"/></Param>\n"), 2, 25,
       "Element 'Property': attribute 'Base' has the value \"OCT\", which is not one of: DEC HEX BIN"},
      {Doc("<Param Key=\"A\" Type=\"N\"><Help/></Param>\n"), 2, 1,
       "Element 'Param': child element 'Help' is not allowed by the closed model"},
      {Doc("<Param Key=\"A\" Type=\"N\"><Property Name=\"a\">1</Property></Param>\n"), 2, 25,
       "Element 'Property' must be empty"},
      {Doc("<Header><Help>see <Param Key=\"A\" Type=\"N\"/></Help></Header><Param Key=\"A\" Type=\"N\"/>\n"), 2, 9,
       "Element 'Help' may hold text only, not the element 'Param'"},
      {Doc("<Param Key=\"A\" Type=\"N\">text</Param>\n"), 2, 1, "Element 'Param' may hold elements only, not text"},
      {Doc(""), 1, 1, "Element 'Description': child element 'Param' is required 1 time(s), found 0"},
      {Doc("<Header><Help/><Help/></Header><Param Key=\"A\" Type=\"N\"/>\n"), 2, 1,
       "Element 'Header': child element 'Help' occurs more than 1 time(s)"},
      {Doc("<Param Key=\"A\" Type=\"N\"/>\n<Header/>\n"), 1, 1,
       "Element 'Description': child element 'Header' is out of order"},
      {Doc("<Param Key=\"A\" Type=\"N\">\n  <Array Name=\"Data\"/>\n</Param>\n"), 3, 3,
       "Element 'Array': child element 'Element' is required 1 time(s), found 0"},
      {"<d:Description xmlns:d=\"urn:test-description\" xmlns=\"urn:other\">\n"
       "  <d:Param Key=\"A\" Type=\"N\"><d:Property/></d:Param>\n</d:Description>",
       2, 29, "Element 'd:Property': required attribute 'Name' is missing"},
  };
  for (const Case& c : cases) {
    Write("bad", c.text);
    Document doc;
    const CAppException e = CatchAppException([&] { doc.Load("bad", &m_schemas); });
    EXPECT_EQ(e.GetMessage(), "Exception >Parse Error at Position==>Line " + std::to_string(c.line) +
                                  ", Character " + std::to_string(c.column) + " in file \"" + Dir() +
                                  "bad.xml\"\nAssociated Message ==>" + c.reason)
        << c.text;
    Element root;
    doc.GetRootElt(root);
    EXPECT_TRUE(root == 0);
  }
}

TEST_F(XmlSchema, AbsentAttributesTakeTheirDefault) {
  Write("ok", Doc("<Param Key=\"A\" Type=\"N\"><Property Name=\"a\"/><Property Name=\"b\" Base=\"HEX\"/></Param>\n"));
  Document doc;
  ASSERT_TRUE(doc.Load("ok", &m_schemas));
  Element root, a, b;
  doc.GetRootElt(root);
  ASSERT_TRUE(root.Select("./Param/Property[@Name = \"a\"]", a));
  ASSERT_TRUE(root.Select("./Param/Property[@Name = \"b\"]", b));
  EXPECT_EQ(Attribute(a, "Base"), "DEC");
  EXPECT_EQ(Attribute(b, "Base"), "HEX");
  // Without the collection nothing is added.
  Document plain;
  plain.Load("ok", nullptr);
  plain.GetRootElt(root);
  ASSERT_TRUE(root.Select("./Param/Property[@Name = \"a\"]", a));
  CAppVariant base;
  EXPECT_FALSE(a.GetAttribut("Base", base));
}

TEST_F(XmlSchema, AddRefusesWhatItCannotUse) {
  const char* const names[] = {"missing", "malformed", "not_a_schema", "bad_group", "bad_ref"};
  for (const char* name : names) EXPECT_FALSE(m_schemas.Add("urn:x", name)) << name;
  EXPECT_EQ(CAppDebug::GetLogger().CountOf("Schema \"" + CAppToolsXML::GetSchemaPath() +
                                           "bad_group.xdr\" not loaded: ElementType \"A\" uses <group>, which is not supported"),
            1u);
  // The refused schemas left the collection as it was.
  Write("ok", "<Description xmlns=\"urn:x\"><Anything/></Description>");
  Document doc;
  EXPECT_NO_THROW(doc.Load("ok", &m_schemas));

  SchemaCollection notCreated;
  EXPECT_FALSE(notCreated.Add("urn:test-description", "test"));
  // With the schema path "" + name "" the schema file is ".xdr".
  CAppToolsXML::SetSchemaPath(APPCONFIG_XML_TEST_DATA "/test");
  EXPECT_TRUE(m_schemas.Add("urn:y", ""));
}

}  // namespace
