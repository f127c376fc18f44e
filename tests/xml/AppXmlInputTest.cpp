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
    bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

TEST_F(XmlInput, MalformedInputGivesTheParseErrorWithItsPosition) {
  struct Case {
    std::string bytes;
    // Where the parser stopped: the name of a bad end tag, else the last
    // character it read. Line 0: the short form without a position.
    int line, column;
    std::string reason;
  };
  const Case cases[] = {
      {"", 1, 1, "No document element found"},
      {"<a>\n  <b></a>", 2, 8, "Start-end tags mismatch"},
      {"<a>\n <b x=1/></a>", 2, 7, "Error parsing element attribute"},
      {"<a>\n<!-- open", 2, 9, "Error parsing comment"},
      {"<a/>\n  <b/>", 2, 3, "Only one top level element is allowed in an XML document"},
      // The position counts characters, not bytes.
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a b=\"\xE9\xE9\xE9\"></b>", 2, 14, "Start-end tags mismatch"},
      {"<?xml version=\"1.0\" encoding=\"EBCDIC-US\"?><a/>", 0, 0, "Encoding \"EBCDIC-US\" is not supported"},
      {Utf16(u"<a/>", false) + "x", 0, 0, "UTF-16 text has an odd number of bytes"},
      {Utf16(u"<a b=\"\xD800\"/>", false), 0, 0, "Invalid UTF-16 surrogate pair at byte 14"},
      // Text that is not in its encoding: no declaration means UTF-8.
      {"<a>\n <b c=\"caf\xE9\"/></a>", 2, 11, "Invalid UTF-8 byte 0xE9: the text is not in the encoding it declares"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\xC3\xA9\xC0\xAF</a>", 2, 5,
       "Invalid UTF-8 byte 0xC0: the text is not in the encoding it declares"},
      {"<a>\xED\xA0\x80</a>", 1, 4, "Invalid UTF-8 byte 0xED: the text is not in the encoding it declares"},
      // No file at all.
      {"missing", 0, 0, "The file cannot be opened: No such file or directory"},
  };
  for (const Case& c : cases) {
    const std::string name = c.bytes == "missing" ? "missing" : "bad", url = Dir() + name + ".xml";
    if (name == "bad") Write(name, c.bytes);
    const std::string expected =
        c.line == 0 ? "(" + url + ") " + c.reason
                    : "Parse Error at Position==>Line " + std::to_string(c.line) + ", Character " +
                          std::to_string(c.column) + " in file \"" + url + "\"\nAssociated Message ==>" + c.reason;
    Document doc;
    const CAppException e = CatchAppException([&] { doc.Load(name, nullptr); });
    EXPECT_EQ(e.GetMessage() + "|" + e.GetPrgFile() + "|" + doc.GetParseError(),
              "Exception >" + expected + "|AppToolsXML|" + expected);
    Element root;  // a failed load leaves no partial tree behind
    doc.GetRootElt(root);
    EXPECT_TRUE(root == 0) << c.reason;
  }
}

TEST_F(XmlInput, EncodingsAndReferencesDecodeToUtf8) {
  const std::string cafe = "Caf\xC3\xA9 \xC3\xA0 d\xC3\xA9" "bit \xC2\xB5s";  // "Café à débit µs"
  const std::pair<std::string, std::string> cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<Description Name=\"Caf\xE9 \xE0 d\xE9" "bit \xB5s\"/>",
       cafe},
      {"<?xml version=\"1.0\" encoding=\"Windows-1252\"?><Description Name=\"\x80 \x93ok\x94\"/>",
       "\xE2\x82\xAC \xE2\x80\x9Cok\xE2\x80\x9D"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><Description Name=\"" + cafe + "\"/>", cafe},
      {Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Description Name=\"Café à débit µs\"/>", false), cafe},
      {Utf16(u"<Description Name=\"Café à débit µs\"/>", true), cafe},
      {Utf16(u"<Description Name=\"\U0001F600\"/>", false), "\xF0\x9F\x98\x80"},
      {"<Description Name=\"&lt;&amp;&gt;&quot;&apos; &#233;&#xE9;\"/>", "<&>\"' \xC3\xA9\xC3\xA9"},
  };
  for (const auto& [bytes, name] : cases) {
    Write("enc", bytes);
    Document doc;
    Element root;
    ASSERT_NO_THROW(doc.Load("enc", nullptr)) << name;
    doc.GetRootElt(root);
    EXPECT_EQ(Attribute(root, "Name"), name);
  }
}

TEST_F(XmlInput, EntityDeclarationsAreNeverExpanded) {
  const std::string secret = Dir() + "secret.txt";
  std::ofstream(secret) << "TOP-SECRET-CONTENT";
  std::string lol = "<!ENTITY lol0 \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    lol += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) lol += "&lol" + std::to_string(i - 1) + ";";
    lol += "\">\n";
  }
  Write("dtd", "<?xml version=\"1.0\"?>\n<!DOCTYPE Description [\n  <!ENTITY xxe SYSTEM \"file://" + secret +
                   "\">\n  <!ENTITY xxe2 SYSTEM \"" + secret + "\">\n" + lol +
                   "]>\n<Description Name=\"&xxe;\" Help=\"&xxe2;\" v=\"&lol9;\">&xxe;&lol9;</Description>\n");
  const auto start = std::chrono::steady_clock::now();
  Document doc;
  ASSERT_TRUE(doc.Load("dtd", nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  Element root;
  doc.GetRootElt(root);
  // Neither the file's content nor a billion "lol".
  EXPECT_EQ(Attribute(root, "Name") + Attribute(root, "Help") + Attribute(root, "v"), "&xxe;&xxe2;&lol9;");
  doc.Save("copy");
  EXPECT_TRUE(Read("copy").find("TOP-SECRET") == std::string::npos && Read("copy").size() < 200u) << Read("copy");
}

}  // namespace
