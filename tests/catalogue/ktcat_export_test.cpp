// ktcat's writers on made-up catalogues that hold every character the escapes must handle. The real
// module's exports are read back by their own tools in tests/catalogue/check_ktcat_export.py.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/ktcat/catalogue_export.h"

namespace kt::ktcat {
namespace {

const std::vector<Catalogue> Sample = {
    {u"one",
     {{u"plain", u"Gr\u00fcn"},
      {u"marks", u"\"Zitat\" & <tag> 'x' \\{a\\}"},
      {u"lines", u"Breite: {Width}\nFarbe\r\nEnde"},
      {u"backslashes", u"eine \\n Sequenz, C:\\\\n, a\\b \\"}}},
    {u"empty", {}},
};

TEST(KtcatExport, ParsesTheFormatWord) {
    EXPECT_EQ(ParseExportFormat("json"), ExportFormat::Json);
    EXPECT_EQ(ParseExportFormat("po"), ExportFormat::Po);
    EXPECT_EQ(ParseExportFormat("xml"), ExportFormat::Xml);
    EXPECT_EQ(ParseExportFormat("JSON"), std::nullopt);
    EXPECT_EQ(ParseExportFormat(""), std::nullopt);
}

TEST(KtcatExport, Json) {
    EXPECT_EQ(ExportJson(Sample),
              "{\n"
              "  \"one\": {\n"
              "    \"plain\": \"Gr\xC3\xBCn\",\n"
              "    \"marks\": \"\\\"Zitat\\\" & <tag> 'x' \\\\{a\\\\}\",\n"
              "    \"lines\": \"Breite: {Width}\\nFarbe\\r\\nEnde\",\n"
              "    \"backslashes\": \"eine \\\\n Sequenz, C:\\\\\\\\n, a\\\\b \\\\\"\n"
              "  },\n"
              "  \"empty\": {}\n"
              "}\n");
    EXPECT_EQ(ExportJson({}), "{}\n");
    EXPECT_EQ(ExportJson({{u"c", {{u"k", u"\x01\x1F"}}}}),
              "{\n  \"c\": {\n    \"k\": \"\\u0001\\u001f\"\n  }\n}\n");
}

TEST(KtcatExport, Po) {
    const std::string po = ExportPo(Sample, "2026-01-02 03:04+0000");
    const std::string header =
        "# German texts of the ktcatalogue module.\n"
        "msgid \"\"\n"
        "msgstr \"\"\n"
        "\"Project-Id-Version: ktcatalogue 1.0\\n\"\n"
        "\"PO-Revision-Date: 2026-01-02 03:04+0000\\n\"\n";
    ASSERT_EQ(po.substr(0, header.size()), header);
    EXPECT_NE(po.find("\"Content-Type: text/plain; charset=UTF-8\\n\"\n"), std::string::npos);
    const std::string entries =
        "\n"
        "msgctxt \"one\"\n"
        "msgid \"plain\"\n"
        "msgstr \"Gr\xC3\xBCn\"\n"
        "\n"
        "msgctxt \"one\"\n"
        "msgid \"marks\"\n"
        "msgstr \"\\\"Zitat\\\" & <tag> 'x' \\\\{a\\\\}\"\n"
        "\n"
        "msgctxt \"one\"\n"
        "msgid \"lines\"\n"
        "msgstr \"\"\n"
        "\"Breite: {Width}\\n\"\n"
        "\"Farbe\\r\\n\"\n"
        "\"Ende\"\n"
        "\n"
        "msgctxt \"one\"\n"
        "msgid \"backslashes\"\n"
        "msgstr \"eine \\\\n Sequenz, C:\\\\\\\\n, a\\\\b \\\\\"\n";
    ASSERT_GE(po.size(), entries.size());
    EXPECT_EQ(po.substr(po.size() - entries.size()), entries);
    // A text that ends in its only line break stays on one line; other control characters are octal.
    const std::string odd = ExportPo({{u"c", {{u"k", u"x\n"}, {u"l", u"\x01"}}}}, "d");
    EXPECT_NE(odd.find("msgstr \"x\\n\"\n"), std::string::npos) << odd;
    EXPECT_NE(odd.find("msgstr \"\\001\"\n"), std::string::npos) << odd;
}

TEST(KtcatExport, Xml) {
    EXPECT_EQ(ExportXml(Sample),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<resources>\n"
              "  <module name=\"one\">\n"
              "    <string name=\"plain\">Gr\xC3\xBCn</string>\n"
              "    <string name=\"marks\">\"Zitat\" &amp; &lt;tag&gt; 'x' \\{a\\}</string>\n"
              "    <string name=\"lines\">Breite: {Width}\\nFarbe&#13;\\nEnde</string>\n"
              "    <string name=\"backslashes\">eine \\\\n Sequenz, C:\\\\\\\\n, a\\b \\</string>\n"
              "  </module>\n"
              "  <module name=\"empty\">\n"
              "  </module>\n"
              "</resources>\n");
    EXPECT_EQ(ExportXml({{u"a\"<&", {{u"k\n", u"v"}}}}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<resources>\n"
              "  <module name=\"a&quot;&lt;&amp;\">\n"
              "    <string name=\"k&#10;\">v</string>\n"
              "  </module>\n</resources>\n");
}

TEST(KtcatExport, RefusesWhatItCannotWrite) {
    const std::vector<Catalogue> control = {{u"c", {{u"k", u"bell\x07"}}}};
    EXPECT_THROW(
        {
            try {
                ExportXml(control);
            } catch (const std::invalid_argument& error) {
                EXPECT_STREQ(
                    error.what(),
                    "catalogue 'c' entry 0 holds the control character U+0007, which XML cannot carry");
                throw;
            }
        },
        std::invalid_argument);
    const std::vector<Catalogue> noKey = {{u"c", {{u"k", u"t"}, {nullptr, u"t"}}}};
    const std::vector<Catalogue> noText = {{u"c", {{u"k", nullptr}}}};
    for (auto write : {+[](const std::vector<Catalogue>& c) { return ExportJson(c); },
                       +[](const std::vector<Catalogue>& c) { return ExportPo(c, "d"); },
                       +[](const std::vector<Catalogue>& c) { return ExportXml(c); }}) {
        EXPECT_THROW(write(noKey), std::invalid_argument);
        EXPECT_THROW(write(noText), std::invalid_argument);
    }
}

}  // namespace
}  // namespace kt::ktcat
