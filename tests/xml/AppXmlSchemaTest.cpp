// Validation of loaded documents against the XDR schemas of a collection
// (tests/xml/data/test.xdr).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppToolsXML.h"

namespace {

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
  CAppToolsXML::SchemaCollection m_schemas;
};

TEST_F(XmlSchema, ValidatesDocumentsOfItsNamespace) {
  struct Case {
    std::string text;
    int line, column;
    const char* reason;  // null: valid
  };
  const Case cases[] = {
      {Doc("<Header><Help>Aide en ligne</Help></Header><Param Key=\"A\" Type=\"Group\" Name=\"n\">"
           "<Array Name=\"Data\"><Element Value=\"1\"/><Element Value=\"2\"/></Array>"
           "<Property Name=\"Unit\" Value=\"ms\" Base=\"HEX\"/><Param Key=\"B\" Type=\"Numeric\"><Property Name=\"Min\"/></Param></Param>\n"),
       0, 0, nullptr},
      // Open model: undeclared attribute, foreign and unknown elements.
      {"<d:Description xmlns:d=\"urn:test-description\" Version=\"2\"><x:Note xmlns:x=\"urn:other\" any=\"1\">free <x:b/> text</x:Note>"
       "<d:Unknown><d:Whatever/></d:Unknown><d:Param Key=\"A\" Type=\"Numeric\"/></d:Description>", 0, 0, nullptr},
      {"<Description xmlns=\"urn:elsewhere\"><Param/></Description>", 0, 0, nullptr},  // not validated
      {"<Descr xmlns=\"urn:test-description\"/>", 1, 1,
       "Element 'Descr' is not declared in the schema \"urn:test-description\""},
      {Doc("<Param Key=\"A\"/>\n"), 2, 1, "Element 'Param': required attribute 'Type' is missing"},
      {Doc("<Param Key=\"A\" Type=\"N\">\n  <Property Name=\"a\" Colour=\"red\"/>\n</Param>\n"), 3, 3,
       "Element 'Property': attribute 'Colour' is not declared and the model is closed"},
      {Doc(""), 1, 1, "Element 'Description': child element 'Param' is required 1 time(s), found 0"},
  };
  for (const Case& c : cases) {
    Write("doc", c.text);
    CAppToolsXML::Document doc;
    if (c.reason == nullptr) {
      EXPECT_NO_THROW(doc.Load("doc", &m_schemas)) << c.text;
      continue;
    }
    EXPECT_EQ(CatchAppException([&] { doc.Load("doc", &m_schemas); }).GetMessage(),
              "Exception >Parse Error at Position==>Line " + std::to_string(c.line) + ", Character " +
                  std::to_string(c.column) + " in file \"" + Dir() + "doc.xml\"\nAssociated Message ==>" + c.reason)
        << c.text;
  }
}

TEST_F(XmlSchema, AddRefusesWhatItCannotUse) {
  for (const char* name : {"missing", "malformed", "not_a_schema", "bad_group", "bad_ref"}) {
    EXPECT_FALSE(m_schemas.Add("urn:x", name)) << name;
  }
  const std::string refusal = "bad_group.xdr\" not loaded: ElementType \"A\" has a group with a bad order \"any\"";
  EXPECT_EQ(CAppDebug::GetLogger().CountOf("Schema \"" + CAppToolsXML::GetSchemaPath() + refusal), 1u);
  // The refused schemas left the collection as it was.
  Write("ok", "<Description xmlns=\"urn:x\"><Anything/></Description>");
  CAppToolsXML::Document doc;
  EXPECT_NO_THROW(doc.Load("ok", &m_schemas));
  EXPECT_FALSE(CAppToolsXML::SchemaCollection().Add("urn:test-description", "test"));  // not created
}

}  // namespace
