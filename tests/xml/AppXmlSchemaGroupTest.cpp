// Validation of loaded documents against XDR schemas: the description schema
// of tests/xml/data/test.xdr, then content models with groups, the basic data
// types of attributes and text, and the schemas Add refuses, written by the
// tests into their private folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

using Document = CAppToolsXML::Document;
using SchemaCollection = CAppToolsXML::SchemaCollection;

constexpr const char* kHead =
    "<Schema xmlns=\"urn:schemas-microsoft-com:xml-data\" xmlns:dt=\"urn:schemas-microsoft-com:datatypes\">\n";

// Element types with groups, under a flat root "Root" that takes any of them.
constexpr const char* kGroupSchema = R"(
  <ElementType name="A" content="empty"/> <ElementType name="B" content="empty"/> <ElementType name="C" content="empty"/>
  <ElementType name="D" content="empty"/> <ElementType name="E" content="empty"/>
  <ElementType name="Seq" content="eltOnly" model="closed">
    <group order="seq"><element type="A"/><element type="B" minOccurs="0"/></group>
    <group order="one" minOccurs="0"><element type="C"/><element type="D" maxOccurs="2"/></group></ElementType>
  <ElementType name="Rep" content="eltOnly" model="closed"><element type="A"/>
    <group minOccurs="2" maxOccurs="3"><element type="B"/><element type="C" minOccurs="0"/></group>
    <element type="E" minOccurs="0"/></ElementType>
  <ElementType name="Many" content="eltOnly" model="closed">
    <group order="many"><element type="A" maxOccurs="2"/><element type="B" maxOccurs="*"/></group><element type="E"/>
  </ElementType>
  <ElementType name="Nest" content="eltOnly" model="open"><group order="one">
    <group><element type="A"/><element type="B"/></group><group><element type="C"/><element type="D"/></group>
  </group></ElementType>
  <ElementType name="Pick" content="eltOnly" order="one">
    <element type="A"/><group><element type="B"/><element type="C"/></group></ElementType>
  <ElementType name="Root" content="eltOnly" order="many">
    <element type="Seq" minOccurs="0" maxOccurs="*"/> <element type="Rep" minOccurs="0" maxOccurs="*"/>
    <element type="Many" minOccurs="0" maxOccurs="*"/> <element type="Nest" minOccurs="0" maxOccurs="*"/>
    <element type="Pick" minOccurs="0" maxOccurs="*"/></ElementType>
</Schema>
)";

// Every data type, each as an attribute named after it, and a text type.
constexpr const char* kTypes[] = {"string", "number", "int", "i1", "i2", "i4", "i8", "ui1", "ui2", "ui4",
                                  "ui8", "r4", "r8", "float", "boolean", "char", "id", "idref", "idrefs",
                                  "nmtoken", "nmtokens", "fixed.14.4", "bin.hex", "uuid", "date"};

std::string TypeSchema() {
  std::string text = kHead, uses;
  for (const char* type : kTypes) {
    text += std::string("  <AttributeType name=\"") + type + "\" dt:type=\"" + type + "\"/>\n";
    uses += std::string("<attribute type=\"") + type + "\"/>";
  }
  return text + "  <AttributeType name=\"enum\" dt:type=\"enumeration\" dt:values=\"DEC HEX\"/>\n"
                "  <ElementType name=\"T\" content=\"empty\" model=\"closed\">" + uses + "<attribute type=\"enum\"/></ElementType>\n"
                "  <ElementType name=\"Count\" content=\"textOnly\"><datatype dt:type=\"ui2\"/></ElementType>\n"
                "  <ElementType name=\"Flag\" content=\"textOnly\" dt:type=\"enumeration\" dt:values=\"on off\"/>\n"
                "  <ElementType name=\"Root\" content=\"eltOnly\" order=\"many\"><element type=\"T\" minOccurs=\"0\" maxOccurs=\"*\"/>"
                "<element type=\"Count\" minOccurs=\"0\"/><element type=\"Flag\" minOccurs=\"0\"/></ElementType>\n</Schema>\n";
}

class XmlSchemaGroup : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(Dir());
    ASSERT_TRUE(m_schemas.Create());
  }
  void WriteSchema(const std::string& name, const std::string& text) const {
    std::ofstream(Dir() + name + ".xdr", std::ios::binary) << text;
  }
  // Loads a document of Root with the body on line 2; "" when it is valid,
  // else the position and reason of the parse error.
  std::string Load(const std::string& body) {
    Write("doc", "<Root xmlns=\"urn:g\">\n" + body + "\n</Root>\n");
    Document doc;
    try {
      doc.Load("doc", &m_schemas);
    } catch (const CAppException& e) {
      const std::string prefix = "Exception >Parse Error at Position==>";
      const std::string file = " in file \"" + Dir() + "doc.xml\"\nAssociated Message ==>";
      std::string text = e.GetMessage();
      if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
      if (const auto at = text.find(file); at != std::string::npos) text.replace(at, file.size(), ": ");
      return text;
    }
    return std::string();
  }
  SchemaCollection m_schemas;
};

struct DocCase {
  std::string body;
  std::string expected;  // "" for a valid document
};

const std::string kAt = "Line 2, Character 1: ";

TEST_F(XmlSchemaGroup, ContentModelsWithGroups) {
  WriteSchema("groups", kHead + std::string(kGroupSchema));
  ASSERT_TRUE(m_schemas.Add("urn:g", "groups"));
  const DocCase cases[] = {
      {"<Seq><A/><D/><D/></Seq>", ""}, {"<Rep><A/><B/><C/><B/><B/><E/></Rep>", ""},
      {"<Many><B/><A/><B/><B/><A/><E/></Many>", ""}, {"<Pick><B/><C/></Pick>", ""},
      {"<Nest><x:Free xmlns:x=\"urn:other\"/><A/><B/></Nest>", ""},  // the open model skips foreign elements
      {"<Seq><B/></Seq>", kAt + "Element 'Seq': child group seq(A, B) is required 1 time(s), found 0"},
      {"<Seq><A/><C/><D/></Seq>", kAt + "Element 'Seq': child element 'D' is not expected here"},
      {"<Seq><A/><E/></Seq>", kAt + "Element 'Seq': child element 'E' is not allowed by the closed model"},
      {"<Rep><A/><B/></Rep>", kAt + "Element 'Rep': child group seq(B, C) is required 2 time(s), found 1"},
      {"<Many><A/><A/><A/><B/><E/></Many>", kAt + "Element 'Many': child element 'A' occurs more than 2 time(s)"},
      {"<Many><A/><E/></Many>", kAt + "Element 'Many': child element 'B' is required 1 time(s), found 0"},
      {"<Nest/>", kAt + "Element 'Nest': child group one(seq(A, B), seq(C, D)) is required 1 time(s), found 0"},
      {"<Pick/>", kAt + "Element 'Pick': one of one(A, seq(B, C)) is required"},
  };
  for (const DocCase& c : cases) EXPECT_EQ(Load(c.body), c.expected) << c.body;
}

TEST_F(XmlSchemaGroup, DataTypesOfAttributesAndText) {
  WriteSchema("types", TypeSchema());
  ASSERT_TRUE(m_schemas.Add("urn:g", "types"));
  struct Case {
    const char* type;
    std::string value;
    std::string fault;  // "" when the value is valid
  };
  const std::string bad = ", which is not a valid ";
  const std::string range = ", which is out of the range of ";
  const Case cases[] = {
      {"string", " any text ", ""}, {"ui1", " +7 ", ""}, {"ui1", "256", range + "ui1 (0 to 255)"},
      {"i8", "-9223372036854775808", ""},
      {"i8", "9223372036854775808", range + "i8 (-9223372036854775808 to 9223372036854775807)"},
      {"number", "1e99999", ""}, {"r4", "3.4e38", ""}, {"r4", "3.5e38", range + "r4"}, {"r8", "1e", bad + "r8"},
      {"boolean", "1", ""}, {"boolean", "true", bad + "boolean"}, {"char", "xy", bad + "char"},
      {"id", "_a1.b-c", ""}, {"id", "1a", bad + "id"}, {"idrefs", "a b  c", ""}, {"nmtoken", "a b", bad + "nmtoken"},
      {"fixed.14.4", "-12345678901234.1234", ""}, {"fixed.14.4", "123456789012345", bad + "fixed.14.4"},
      {"uuid", "333C7BC4-460F-11D0-BC04-0080C7055A83", ""}, {"uuid", "333C7BC4460F11D0BC040080C7055A83", bad + "uuid"},
      {"enum", "HEX", ""}, {"enum", "OCT", ", which is not one of: DEC HEX"},
  };
  for (const Case& c : cases) {
    const std::string expected =
        c.fault.empty() ? std::string()
                        : kAt + "Element 'T': attribute '" + c.type + "' has the value \"" + c.value + "\"" + c.fault;
    EXPECT_EQ(Load("<T " + std::string(c.type) + "=\"" + c.value + "\"/>"), expected) << c.type << " " << c.value;
  }
  const DocCase texts[] = {
      {"<Count>6<![CDATA[5535]]></Count>", ""},
      {"<Count>70000</Count>", kAt + "Element 'Count' has the text \"70000\"" + range + "ui2 (0 to 65535)"},
      {"<Flag>maybe</Flag>", kAt + "Element 'Flag' has the text \"maybe\", which is not one of: on off"},
  };
  for (const DocCase& c : texts) EXPECT_EQ(Load(c.body), c.expected) << c.body;
}

TEST_F(XmlSchemaGroup, AddRefusesBadGroupsAndTypes) {
  std::string deep, huge;
  for (int i = 0; i < 32; ++i) deep += "<group>";
  deep += "<element type=\"A\"/>";
  for (int i = 0; i < 32; ++i) deep += "</group>";
  for (int i = 0; i < 100000; ++i) huge += "<group>";
  for (int i = 0; i < 100000; ++i) huge += "</group>";
  const std::string a = "<ElementType name=\"A\" content=\"empty\"/>";
  const auto e = [&](const std::string& content, const std::string& body) {
    return a + "<ElementType name=\"E\"" + content + ">" + body + "</ElementType>";
  };
  const std::string elt = " content=\"eltOnly\"", group = "ElementType \"E\" has a group with ";
  const std::pair<std::string, std::string> cases[] = {  // body, reason ("" when the schema is accepted)
      {e(elt, deep), ""},
      {e(elt, "<group>" + deep + "</group>"), "ElementType \"E\" nests groups deeper than 32"},
      {e(elt, huge), "ElementType \"E\" nests groups deeper than 32"},
      {"<AttributeType name=\"a\" dt:type=\"integer\"/>", "AttributeType \"a\" has an unknown data type \"integer\""},
      {e(" content=\"textOnly\"", "<datatype dt:type=\"word\"/>"), "ElementType \"E\" has an unknown data type \"word\""},
      {"<ElementType name=\"E\" dt:type=\"enumeration\"/>", "Enumeration ElementType \"E\" has no values"},
      {"<AttributeType name=\"a\" dt:type=\"ui1\" default=\"300\"/>",
       "AttributeType \"a\" has the default \"300\", which is out of the range of ui1 (0 to 255)"},
      {"<AttributeType name=\"a\" dt:type=\"enumeration\" dt:values=\"x y\" default=\"z\"/>",
       "AttributeType \"a\" has the default \"z\", which is not one of: x y"},
      {"<AttributeType name=\"a\" dt:type=\"int\"/>" + e("", "<attribute type=\"a\" default=\"x\"/>"),
       "ElementType \"E\": attribute \"a\" has the default \"x\", which is not a valid int"},
      {e("", "<group order=\"any\"><element type=\"A\"/></group>"), group + "a bad order \"any\""},
      {e("", "<group minOccurs=\"3\" maxOccurs=\"2\"/>"), group + "minOccurs greater than maxOccurs"},
      {e("", "<group><element type=\"A\" minOccurs=\"2\" maxOccurs=\"1\"/></group>"),
       "ElementType \"E\" has an element with minOccurs greater than maxOccurs"},
      {e("", "<group maxOccurs=\"9999999999\"/>"), "Bad occurrence value \"9999999999\""},
      {e("", "<group><element/></group>"), "ElementType \"E\" has an element without type"},
      {e("", "<group><group><element type=\"Z\"/></group></group>"), "ElementType \"E\" refers to undeclared element \"Z\""},
      {e("", "<group order=\"one\"><element type=\"A\"/><group><element type=\"A\"/></group></group>"),
       "ElementType \"E\" has an ambiguous content model: 'A' may start two parts of one(A, seq(A))"},
  };
  int n = 0;
  for (const auto& [body, reason] : cases) {
    const std::string name = "s" + std::to_string(n++);
    WriteSchema(name, kHead + body + "</Schema>");
    EXPECT_EQ(m_schemas.Add("urn:" + name, name), reason.empty()) << body.substr(0, 200);
    const std::string refusal = "Schema \"" + Dir() + name + ".xdr\" not loaded: " + reason;
    EXPECT_EQ(CAppDebug::GetLogger().CountOf(refusal), reason.empty() ? 0u : 1u) << reason;
  }
}

}  // namespace
