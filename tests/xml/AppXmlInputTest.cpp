// What Document::Load makes of the bytes of a file: malformed input, encodings
// and entity declarations.
#include <gtest/gtest.h>

#include <chrono>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppToolsXML.h"

namespace {

using Element = CAppToolsXML::Element;
using Document = CAppToolsXML::Document;

using XmlInput = XmlFolder;

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

TEST_F(XmlInput, MalformedInputGivesTheParseErrorWithItsPosition) {
  struct Case {
    const char* what;
    std::string bytes;
    // Where the parser stopped: the name of a bad end tag, else the last
    // character it read. Line 0: the short form without a position.
    int line, column;
    const char* reason;
  };
  const Case cases[] = {
      {"empty file", "", 1, 1, "No document element found"},
      {"blanks only", "\n\n  ", 3, 2, "No document element found"},
      {"mismatched end tag", "<a>\n  <b></a>", 2, 8, "Start-end tags mismatch"},
      {"unclosed root", "<a>\n<b/>\n", 2, 5, "Start-end tags mismatch"},
      {"unquoted attribute", "<a>\n <b x=1/></a>", 2, 7, "Error parsing element attribute"},
      {"unterminated comment", "<a>\n<!-- open", 2, 9, "Error parsing comment"},
      {"broken start tag", "<a\n", 1, 3, "Error parsing start element tag"},
      {"two top-level elements", "<a/>\n  <b/>", 2, 3, "Only one top level element is allowed in an XML document"},
      {"position counts characters, not bytes",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a b=\"\xE9\xE9\xE9\"></b>", 2, 14,
       "Start-end tags mismatch"},
      {"unsupported encoding", "<?xml version=\"1.0\" encoding=\"EBCDIC-US\"?><a/>", 0, 0,
       "Encoding \"EBCDIC-US\" is not supported"},
      {"undefined windows-1252 byte", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a b=\"\x81\"/>", 0, 0,
       "Byte 51 is not defined in windows-1252"},
      {"odd UTF-16", Utf16(u"<a/>", false) + "x", 0, 0, "UTF-16 text has an odd number of bytes"},
      {"lone UTF-16 surrogate", Utf16(u"<a b=\"\xD800\"/>", false), 0, 0, "Invalid UTF-16 surrogate pair at byte 14"},
  };
  for (const Case& c : cases) {
    Write("bad", c.bytes);
    Document doc;
    const CAppException e = CatchAppException([&] { doc.Load("bad", nullptr); });
    const std::string url = Dir() + "bad.xml";
    const std::string expected =
        c.line == 0 ? "(" + url + ") " + c.reason
                    : "Parse Error at Position==>Line " + std::to_string(c.line) + ", Character " +
                          std::to_string(c.column) + " in file \"" + url + "\"\nAssociated Message ==>" + c.reason;
    EXPECT_EQ(e.GetMessage(), "Exception >" + expected) << c.what;
    EXPECT_EQ(e.GetPrgFile(), "AppToolsXML") << c.what;
    EXPECT_EQ(doc.GetParseError(), expected) << c.what;
    // A failed load leaves no partial tree behind.
    Element root;
    doc.GetRootElt(root);
    EXPECT_TRUE(root == 0) << c.what;
  }
}

TEST_F(XmlInput, MissingFileGivesTheShortForm) {
  Document doc;
  EXPECT_EQ(CatchAppException([&] { doc.Load("absent", nullptr); }).GetMessage(),
            "Exception >(" + Dir() + "absent.xml) The file cannot be opened: No such file or directory");
}

TEST_F(XmlInput, EncodingsDecodeToUtf8) {
  const std::string expected = "Caf\xC3\xA9 \xC3\xA0 d\xC3\xA9" "bit \xC2\xB5s";  // "Café à débit µs"
  struct Case {
    const char* what;
    std::string bytes;
    std::string name;
  };
  const Case cases[] = {
      {"ISO-8859-1 declared",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<Description Name=\"Caf\xE9 \xE0 d\xE9" "bit \xB5s\"/>",
       expected},
      {"latin1 in lower case", "<?xml version='1.0' encoding = 'latin1' ?><Description Name=\"Caf\xE9 \xE0 d\xE9" "bit \xB5s\"/>",
       expected},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><Description Name=\"\x80 \x93ok\x94\"/>",
       "\xE2\x82\xAC \xE2\x80\x9Cok\xE2\x80\x9D"},
      {"UTF-8 without mark", "<Description Name=\"" + expected + "\"/>", expected},
      {"UTF-8 with mark", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><Description Name=\"" + expected + "\"/>",
       expected},
      {"UTF-16 LE with mark", Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Description Name=\"Café à débit µs\"/>", false),
       expected},
      {"UTF-16 BE with mark", Utf16(u"<Description Name=\"Café à débit µs\"/>", true), expected},
      {"UTF-16 surrogate pair", Utf16(u"<Description Name=\"\U0001F600\"/>", false), "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    Write("enc", c.bytes);
    Document doc;
    ASSERT_NO_THROW(doc.Load("enc", nullptr)) << c.what;
    Element root;
    doc.GetRootElt(root);
    EXPECT_EQ(Attribute(root, "Name"), c.name) << c.what;
  }
}

TEST_F(XmlInput, SavedFileIsUtf8WhateverTheSource) {
  Write("latin", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Description Name=\"\xE9t\xE9\"/>");
  Document doc;
  doc.Load("latin", nullptr);
  doc.Save("copy");
  EXPECT_NE(Read("copy").find("Name=\"\xC3\xA9t\xC3\xA9\""), std::string::npos) << Read("copy");
  EXPECT_EQ(Read("copy").find("ISO-8859-1"), std::string::npos);
}

TEST_F(XmlInput, ExternalEntityIsNeverRead) {
  const std::string secret = Dir() + "secret.txt";
  { std::ofstream(secret) << "TOP-SECRET-CONTENT"; }
  Write("xxe",
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE Description [\n"
        "  <!ENTITY xxe SYSTEM \"file://" + secret + "\">\n"
        "  <!ENTITY xxe2 SYSTEM \"" + secret + "\">\n"
        "]>\n"
        "<Description Name=\"&xxe;\" Help=\"&xxe2;\">&xxe;</Description>\n");
  Document doc;
  ASSERT_TRUE(doc.Load("xxe", nullptr));
  Element root;
  doc.GetRootElt(root);
  EXPECT_EQ(Attribute(root, "Name"), "&xxe;");
  EXPECT_EQ(Attribute(root, "Help"), "&xxe2;");
  doc.Save("xxe_copy");
  EXPECT_EQ(Read("xxe_copy").find("TOP-SECRET"), std::string::npos) << Read("xxe_copy");
}

TEST_F(XmlInput, BillionLaughsIsHarmless) {
  std::string dtd = "<!ENTITY lol \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    const std::string previous = i == 1 ? "&lol;" : "&lol" + std::to_string(i - 1) + ";";
    dtd += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) dtd += previous;
    dtd += "\">\n";
  }
  Write("lol", "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n" + dtd + "]>\n<lolz v=\"&lol9;\">&lol9;</lolz>\n");
  const auto start = std::chrono::steady_clock::now();
  Document doc;
  ASSERT_TRUE(doc.Load("lol", nullptr));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  Element root;
  doc.GetRootElt(root);
  EXPECT_EQ(Attribute(root, "v"), "&lol9;");  // not a billion "lol"
  doc.Save("lol_copy");
  EXPECT_LT(Read("lol_copy").size(), 200u);
  EXPECT_LT(elapsed, std::chrono::seconds(1));
}

TEST_F(XmlInput, DeepNestingNeitherCrashesNorExhaustsTheStack) {
  const int depth = 200000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<Param>";
  for (int i = 0; i < depth; ++i) text += "</Param>";
  Write("deep", "<Description xmlns=\"urn:deep\">" + text + "</Description>");
  CAppToolsXML::SchemaCollection schemas;
  ASSERT_TRUE(schemas.Create() && schemas.Add("urn:deep", "test"));
  Document doc;
  const CAppException e = CatchAppException([&] { doc.Load("deep", &schemas); });
  EXPECT_NE(e.GetMessage().find("Element 'Param': required attribute 'Key' is missing"), std::string::npos);
  ASSERT_TRUE(doc.Load("deep", nullptr));
  // Written without indentation, which would grow with the square of the depth.
  doc.Save("deep_copy");
  EXPECT_LT(Read("deep_copy").size(), Read("deep").size() + 100u);
  ASSERT_TRUE(doc.Load("deep_copy", nullptr));
}

TEST_F(XmlInput, PredefinedAndCharacterReferencesAreExpanded) {
  Write("refs", "<Description Name=\"&lt;&amp;&gt;&quot;&apos; &#233;&#xE9;\"/>");
  Document doc;
  ASSERT_TRUE(doc.Load("refs", nullptr));
  Element root;
  doc.GetRootElt(root);
  EXPECT_EQ(Attribute(root, "Name"), "<&>\"' \xC3\xA9\xC3\xA9");
}

}  // namespace
