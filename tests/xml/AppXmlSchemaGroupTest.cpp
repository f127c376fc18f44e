// Validation of loaded documents against XDR schemas: the description schema
// of tests/xml/data/test.xdr, then content models with groups, the basic data
// types of attributes and text, the schemas Add refuses, which fault is
// reported among several, the defaults of absent attributes, element names
// and namespaces, large schemas and deep documents; the schemas are written by
// the tests into their private folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

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
  // bad_group is read whole before its fault is found (the faults of schemas
  // that parse are listed below).
  for (const char* name : {"missing", "malformed", "not_a_schema", "bad_group"}) {
    EXPECT_FALSE(m_schemas.Add("urn:x", name)) << name;
  }
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

// Several faults in one document: the one reported is that of the first
// element in document order whose own checks fail, an element's checks
// (attributes, then the kind of its content, its text, its children) coming
// before those of its children.
TEST_F(XmlSchemaGroup, TheFirstFaultInDocumentOrderIsReported) {
  WriteSchema("order", kHead + std::string(R"(
  <AttributeType name="k" dt:type="int"/>
  <ElementType name="L" content="empty" model="closed"><attribute type="k" required="yes"/></ElementType>
  <ElementType name="T" content="textOnly" dt:type="ui1"/>
  <ElementType name="X" content="empty"/>
  <ElementType name="S" content="eltOnly" model="closed" order="seq"><attribute type="k"/>
    <element type="L" minOccurs="0" maxOccurs="*"/><element type="T" minOccurs="0"/><element type="S" minOccurs="0" maxOccurs="*"/></ElementType>
  <ElementType name="M" content="mixed" dt:type="ui1" order="seq">
    <element type="L" minOccurs="0" maxOccurs="*"/><element type="T" minOccurs="0"/></ElementType>
  <ElementType name="G" content="eltOnly" model="closed"><group order="seq"><element type="L"/><element type="T"/></group></ElementType>
  <ElementType name="Root" content="eltOnly" order="many">
    <element type="S" minOccurs="0" maxOccurs="*"/><element type="M" minOccurs="0" maxOccurs="*"/>
    <element type="G" minOccurs="0" maxOccurs="*"/></ElementType>
</Schema>)"));
  ASSERT_TRUE(m_schemas.Add("urn:g", "order"));
  const auto at = [](int column, const std::string& reason) {
    return "Line 2, Character " + std::to_string(column) + ": " + reason;
  };
  const std::string missingK = "Element 'L': required attribute 'k' is missing";
  const DocCase cases[] = {
      // The parent's children come before the checks of its first child.
      {"<S><L/><T>1</T><L k=\"1\"/></S>", at(1, "Element 'S': child element 'L' is out of order")},
      {"<S><S><L/></S>text</S>", at(1, "Element 'S' may hold elements only, not text")},
      {"<S><L/><X/></S>", at(1, "Element 'S': child element 'X' is not allowed by the closed model")},
      {"<G><L/></G>", at(1, "Element 'G': child element 'T' is required 1 time(s), found 0")},
      {"<S><T>300</T><L k=\"1\"/></S>", at(1, "Element 'S': child element 'L' is out of order")},
      // An earlier subtree comes before a later sibling.
      {"<S><L/></S><S><T>1</T><L k=\"1\"/></S>", at(4, missingK)},
      {"<S><L k=\"1\"/></S><S k=\"x\"/>", at(18, "Element 'S': attribute 'k' has the value \"x\", which is not a valid int")},
      {"<S><L k=\"1\"/><S><L/></S></S>", at(17, missingK)},
      // Within an element: attributes, content kind, text, children.
      {"<S k=\"x\"><T>1</T><L/></S>", at(1, "Element 'S': attribute 'k' has the value \"x\", which is not a valid int")},
      {"<S><T>1</T><L k=\"1\"/>x</S>", at(1, "Element 'S' may hold elements only, not text")},
      {"<M>x<T>1</T><L k=\"1\"/></M>", at(1, "Element 'M' has the text \"x\", which is not a valid ui1")},
      // The text of an element leaves out that of its children.
      {"<M>1<T>200</T>2</M><M>3<L k=\"1\"/>00</M>", at(20, "Element 'M' has the text \"300\", which is out of the range of ui1 (0 to 255)")},
      {"<M>1<T>200</T>2<L k=\"1\"/></M>", at(1, "Element 'M': child element 'L' is out of order")},
  };
  for (const DocCase& c : cases) EXPECT_EQ(Load(c.body), c.expected) << c.body;
}

// Absent attributes with a default get it, after the attributes present and
// in the order of their declarations; present ones keep their value.
TEST_F(XmlSchemaGroup, AbsentAttributesGetTheirDefaults) {
  WriteSchema("defaults", kHead + std::string(R"(
  <AttributeType name="a" dt:type="int" default="1"/>
  <AttributeType name="b" default="x"/>
  <ElementType name="D" content="empty"><AttributeType name="c" default="z"/>
    <attribute type="b"/><attribute type="a" default="7"/><attribute type="c"/></ElementType>
  <ElementType name="Root" content="eltOnly"><element type="D"/></ElementType>
</Schema>)"));
  ASSERT_TRUE(m_schemas.Add("urn:g", "defaults"));
  const std::pair<std::string, std::string> cases[] = {
      {"<D/>", "<D b=\"x\" a=\"7\" c=\"z\" />"},
      {"<D a=\"2\"/>", "<D a=\"2\" b=\"x\" c=\"z\" />"},
      {"<D c=\"q\" b=\"y\"/>", "<D c=\"q\" b=\"y\" a=\"7\" />"},
      {"<D other=\"1\" a=\"3\" b=\"\" c=\"\"/>", "<D other=\"1\" a=\"3\" b=\"\" c=\"\" />"},
  };
  for (const auto& [body, saved] : cases) {
    Write("doc", "<Root xmlns=\"urn:g\">" + body + "</Root>");
    Document doc;
    doc.Load("doc", &m_schemas);
    doc.Save("saved");
    EXPECT_NE(Read("saved").find(saved), std::string::npos) << body << "\n" << Read("saved");
  }
}

// Element names are looked up by their bytes, whatever they share with other
// names; a prefix selects the namespace and the rest of the name the type.
// The namespace a child declares applies to its own checks, not to its place
// in its parent's model.
TEST_F(XmlSchemaGroup, ElementNamesAndNamespaces) {
  WriteSchema("names", kHead + std::string(R"(
  <AttributeType name="k" required="yes"/>
  <ElementType name="Param" content="empty" model="closed"/> <ElementType name="ParamRef" content="empty" model="closed"/>
  <ElementType name="Page" content="empty" model="closed"/> <ElementType name="P" content="empty" model="closed"/>
  <ElementType name="Pa" content="empty" model="closed"/> <ElementType name="x:y" content="empty" model="closed"/>
  <ElementType name="L" content="empty" model="closed"><attribute type="k"/></ElementType>
  <ElementType name="O" content="eltOnly" model="open"><element type="L" minOccurs="0" maxOccurs="*"/></ElementType>
  <ElementType name="Root" content="eltOnly" model="closed" order="many">
    <element type="Param" minOccurs="0" maxOccurs="*"/> <element type="ParamRef" minOccurs="0" maxOccurs="*"/>
    <element type="Page" minOccurs="0" maxOccurs="*"/> <element type="P" minOccurs="0" maxOccurs="*"/>
    <element type="Pa" minOccurs="0" maxOccurs="*"/> <element type="x:y" minOccurs="0" maxOccurs="*"/>
    <element type="O" minOccurs="0" maxOccurs="*"/></ElementType>
</Schema>)"));
  ASSERT_TRUE(m_schemas.Add("urn:g", "names"));
  const auto refused = [](const std::string& child) {
    return "Line 1, Character 1: Element 'Root': child element '" + child + "' is not allowed by the closed model";
  };
  const DocCase cases[] = {
      {"<Param/><ParamRef/><Page/><P/><Pa/>", ""},
      {"<Par/>", refused("Par")},
      {"<Paramref/>", refused("Paramref")},
      {"<ParamRefs/>", refused("ParamRefs")},
      {"<O xmlns:g=\"urn:g\"><g:L k=\"1\"/><g:Param/><g:x:y/></O>", ""},
      {"<O xmlns:g=\"urn:g\"><g:x:y>text</g:x:y></O>", "Line 2, Character 20: Element 'g:x:y' must be empty"},
      {"<x:y/>", refused("x:y")},  // x is bound to no namespace
      {"<g:Param xmlns:g=\"urn:g\"/>", refused("g:Param")},
      {"<Param xmlns=\"urn:other\"><Anything/></Param>", ""},
      {"<O><Unknown><L/></Unknown><L k=\"1\"/></O>", ""},
      {"<O><L/></O>", "Line 2, Character 4: Element 'L': required attribute 'k' is missing"},
      {"<O xmlns=\"\"><Anything/></O>", ""},
      {"<O><g:Unknown xmlns:g=\"urn:g\"/></O>", ""},
  };
  for (const DocCase& c : cases) EXPECT_EQ(Load(c.body), c.expected) << c.body;
}

// Hundreds of element types, and a content model whose group chooses among
// more element types than a machine word has bits.
TEST_F(XmlSchemaGroup, LargeSchemas) {
  std::string schema = kHead, root, wide, all;
  for (int i = 0; i < 300; ++i) {
    std::string name = "E";
    name += std::to_string(i);
    schema += "<ElementType name=\"" + name + "\" content=\"empty\" model=\"closed\"/>\n";
    root += "<element type=\"" + name + "\" minOccurs=\"0\" maxOccurs=\"*\"/>";
    if (i < 70) wide += "<element type=\"" + name + "\"/>";
    all += "<" + name + "/>";
  }
  schema += "<ElementType name=\"Wide\" content=\"eltOnly\" model=\"closed\"><group order=\"one\" maxOccurs=\"*\">" + wide +
            "</group></ElementType>\n<ElementType name=\"Root\" content=\"eltOnly\" model=\"closed\" order=\"many\">" + root +
            "<element type=\"Wide\" minOccurs=\"0\" maxOccurs=\"*\"/></ElementType>\n</Schema>\n";
  WriteSchema("large", schema);
  ASSERT_TRUE(m_schemas.Add("urn:g", "large"));
  const DocCase cases[] = {
      {all, ""},
      {"<Wide><E69/><E0/><E64/><E63/></Wide>", ""},
      {"<Wide><E69/><E70/></Wide>", kAt + "Element 'Wide': child element 'E70' is not allowed by the closed model"},
      {"<Wide/>", kAt + "Element 'Wide': child group one(E0, E1, E2, E3, E4, E5, E6, E7, E8, E9, E10, E11, E12, E13, E14, "
                        "E15, E16, E17, E18, E19, E20, E21, E22, E23, E24, E25, E26, E27, E28, E29, E30, E31, E32, E33, E34, "
                        "E35, E36, E37, E38, E39, E40, E41, E42, E43, E44, E45, E46, E47, E48, E49, E50, E51, E52, E53, E54, "
                        "E55, E56, E57, E58, E59, E60, E61, E62, E63, E64, E65, E66, E67, E68, E69) is required 1 time(s), found 0"},
  };
  for (const DocCase& c : cases) EXPECT_EQ(Load(c.body), c.expected) << c.body.substr(0, 80);
}

// Validation never recurses: a deeply nested document is checked to its
// innermost element.
TEST_F(XmlSchemaGroup, DeepDocuments) {
  WriteSchema("deep", kHead + std::string(R"(
  <AttributeType name="k" dt:type="int"/>
  <ElementType name="N" content="eltOnly" model="closed"><attribute type="k"/><element type="N" minOccurs="0"/></ElementType>
  <ElementType name="Root" content="eltOnly"><element type="N"/></ElementType>
</Schema>)"));
  ASSERT_TRUE(m_schemas.Add("urn:g", "deep"));
  constexpr int kDepth = 50000;
  std::string open, close;
  for (int i = 1; i < kDepth; ++i) open += "<N>", close += "</N>";
  EXPECT_EQ(Load(open + "<N k=\"1\"/>" + close), "");
  EXPECT_EQ(Load(open + "<N k=\"x\"/>" + close),
            "Line 2, Character " + std::to_string(3 * (kDepth - 1) + 1) +
                ": Element 'N': attribute 'k' has the value \"x\", which is not a valid int");
}

}  // namespace
