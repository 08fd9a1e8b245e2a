// ktcat's writers, readers and source layout on made-up catalogues that hold every character the escapes
// must handle. The real module's exports go through gettext's tools and xmllint, and are imported again,
// in tests/catalogue/check_ktcat_files.cmake.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/ktcat/catalogue_export.h"
#include "tools/ktcat/catalogue_files.h"
#include "tools/ktcat/catalogue_import.h"
#include "tools/ktcat/escape.h"
#include "tools/ktcat/po_layout.h"

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
    EXPECT_EQ(ParseExportFormat("pot"), ExportFormat::Pot);
    EXPECT_EQ(ParseExportFormat("JSON"), std::nullopt);
    EXPECT_EQ(ParseExportFormat(""), std::nullopt);
}

// The layout and the escapes of quotes, backslashes and line breaks are compared byte for byte with the
// committed reference export of the module (ktcat_check_against_reference); here what the module lacks.
TEST(KtcatExport, Json) {
    EXPECT_NE(ExportJson(Sample).find("\n  },\n  \"empty\": {}\n}\n"), std::string::npos);
    EXPECT_EQ(ExportJson({}), "{}\n");
    EXPECT_EQ(ExportJson({{u"c", {{u"k", u"\x01\x1F"}}}}),
              "{\n  \"c\": {\n    \"k\": \"\\u0001\\u001f\"\n  }\n}\n");
}

const PoOptions Dated{"2026-01-02 03:04+0000", "1.2"}, Undated{std::nullopt, "1.2"};

TEST(KtcatExport, Po) {
    const std::string po = ExportPo(Sample, Dated);
    // The fields msginit writes, in its order (msgfmt --check-header finds all it checks).
    const std::string header =
        "# German texts of the ktcatalogue module.\n"
        "msgid \"\"\n"
        "msgstr \"\"\n"
        "\"Project-Id-Version: ktcatalogue 1.2\\n\"\n"
        "\"Report-Msgid-Bugs-To: \\n\"\n"
        "\"POT-Creation-Date: 2026-01-02 03:04+0000\\n\"\n"
        "\"PO-Revision-Date: 2026-01-02 03:04+0000\\n\"\n"
        "\"Last-Translator: ktcatalogue\\n\"\n"
        "\"Language-Team: German\\n\"\n"
        "\"Language: de\\n\"\n"
        "\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n"
        "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n"
        "\"X-Generator: ktcat 1.2\\n\"\n";
    ASSERT_EQ(po.substr(0, header.size()), header);
    // The entries' layout is gettext's own (msgcat and msgmerge leave the module's export byte for byte as
    // it is: ktcat_gettext_round_trip), their texts read back (KtcatRead), and their comments, references
    // and context are pinned by the template below.
    // A text that ends in its only line break stays on one line; control characters are escaped as
    // gettext escapes them.
    const std::string odd = ExportPo({{u"c", {{u"k", u"x\n"}, {u"l", u"\x01\a\b\f\v"}}}}, Dated);
    EXPECT_NE(odd.find("msgstr \"x\\n\"\n"), std::string::npos) << odd;
    EXPECT_NE(odd.find("msgstr \"\\001\\a\\b\\f\\v\"\n"), std::string::npos) << odd;
    // Placeholders are listed once each, in order of first use; a brace of the text is none.
    EXPECT_NE(
        ExportPo({{u"c", {{u"k", u"{b} \\{x\\} {a} {b}"}}}}, Undated).find("#. placeholders: {b}, {a}\n"),
        std::string::npos);
}

// Layouts msgcat writes for the same strings (gettext 0.21; width 79 unless given).
TEST(KtcatExport, PoStringsWrapAsGettextWrapsThem) {
    const std::string sentence =
        "Es ist nicht genügend Arbeitsspeicher vorhanden. Wechseln Sie eventuell zur 64-Bit-Version.";
    const struct {
        std::string keyword, text;
        size_t width;
        std::string lines;
    } layouts[] = {
        {"msgstr", "", 79, "msgstr \"\"\n"},
        {"msgstr", sentence, 79,
         "msgstr \"\"\n\"Es ist nicht genügend Arbeitsspeicher vorhanden. Wechseln Sie eventuell zur \"\n"
         "\"64-Bit-Version.\"\n"},
        {"msgstr", sentence, 0, "msgstr \"" + sentence + "\"\n"},
        // After a hyphen or a slash, not before punctuation, not inside a number or an escape.
        {"msgid", "Fehler-Limit (1.5) a/b \"zitiert\" Ende!\n", 20,
         "msgid \"\"\n\"Fehler-Limit \"\n\"(1.5) a/b \"\n\"\\\"zitiert\\\" \"\n\"Ende!\\n\"\n"},
        {"msgstr", "eins\nzwei\n", 79, "msgstr \"\"\n\"eins\\n\"\n\"zwei\\n\"\n"},
        // A leading space is no place to break; a word longer than the line stays whole.
        {"msgstr", " " + std::string(30, 'x') + " y", 20,
         "msgstr \"\"\n\" " + std::string(30, 'x') + " \"\n\"y\"\n"},
    };
    for (const auto& layout : layouts)
        EXPECT_EQ(PoString(layout.keyword, layout.text, layout.width), layout.lines) << layout.text;
}

// (The dates of both headers are checked on the built module by the ktcat_reproducible_export test.)
TEST(KtcatExport, PotIsThePoFileWithEmptyTextsAndAFuzzyHeader) {
    const std::string pot = ExportPot(Sample, Undated);
    EXPECT_NE(pot.find("\n#, fuzzy\nmsgid \"\"\n"), std::string::npos);
    EXPECT_NE(pot.find("\"Language: \\n\"\n"), std::string::npos);
    EXPECT_NE(pot.find("\"Plural-Forms: nplurals=INTEGER; plural=EXPRESSION;\\n\"\n"), std::string::npos);
    const std::string lines =
        "\n#. placeholders: {Width}\n#: one:2\nmsgctxt \"one\"\nmsgid \"lines\"\nmsgstr \"\"\n\n#: one:3\n";
    EXPECT_NE(pot.find(lines), std::string::npos) << pot;
}

TEST(KtcatExport, HeaderDateFromSourceDateEpoch) {
    const std::pair<const char*, const char*> dates[] = {
        {"0", "1970-01-01 00:00+0000"},
        {"1700000000", "2023-11-14 22:13+0000"},
        {"000951782400", "2000-02-29 00:00+0000"},
        {"253402300799", "9999-12-31 23:59+0000"},
    };
    for (const auto& [epoch, date] : dates) EXPECT_EQ(HeaderDate(epoch), date) << epoch;
    for (const char* bad : {"", "-1", "+5", "1.5", "12abc", " 1", "253402300800", "99999999999999999999999"})
        EXPECT_THROW(HeaderDate(bad), std::invalid_argument) << bad;
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
    // A backslash before a line feed is doubled, as the "\\n" written for the line feed starts with one.
    EXPECT_NE(ExportXml({{u"c", {{u"k", u"a\\\nb\\"}}}}).find(">a\\\\\\nb\\</"), std::string::npos);
    EXPECT_EQ(ExportXml({{u"a\"<&", {{u"k\n", u"v"}}}}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<resources>\n"
              "  <module name=\"a&quot;&lt;&amp;\">\n"
              "    <string name=\"k&#10;\">v</string>\n"
              "  </module>\n</resources>\n");
}

TEST(KtcatExport, RefusesWhatItCannotWrite) {
    const std::pair<std::u16string, std::string> xmlCannot[] = {
        {u"bell\x07", "catalogue 'c' entry 0 holds the control character U+0007, which XML cannot carry"},
        {u"a\uFFFE", "catalogue 'c' entry 0 holds the noncharacter U+FFFE, which XML cannot carry"},
        {u"\uFFFFb", "catalogue 'c' entry 0 holds the noncharacter U+FFFF, which XML cannot carry"},
    };
    for (const auto& [text, message] : xmlCannot) {
        try {
            ExportXml({{u"c", {{u"k", text.c_str()}}}});
            ADD_FAILURE() << "XML written with " << message;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
    // gettext's context separator: msgfmt refuses a PO file holding it anywhere.
    for (const std::vector<Catalogue>& separator : {std::vector<Catalogue>{{u"c",
                                                                            {{u"k",
                                                                              u"a\x04"
                                                                              u"b"}}}},
                                                    std::vector<Catalogue>{{u"c\x04", {{u"k", u"t"}}}}}) {
        EXPECT_THROW(ExportPo(separator, Undated), std::invalid_argument);
        EXPECT_THROW(ExportPot(separator, Undated), std::invalid_argument);
        EXPECT_NO_THROW(ExportJson(separator));
    }
    const std::vector<Catalogue> noKey = {{u"c", {{u"k", u"t"}, {nullptr, u"t"}}}};
    const std::vector<Catalogue> noText = {{u"c", {{u"k", nullptr}}}};
    for (auto write : {+[](const std::vector<Catalogue>& c) { return ExportJson(c); },
                       +[](const std::vector<Catalogue>& c) { return ExportPo(c, Dated); },
                       +[](const std::vector<Catalogue>& c) { return ExportPot(c, Undated); },
                       +[](const std::vector<Catalogue>& c) { return ExportXml(c); }}) {
        EXPECT_THROW(write(noKey), std::invalid_argument);
        EXPECT_THROW(write(noText), std::invalid_argument);
    }
}

TEST(KtcatEscape, OneEscapedFormPerCharacter) {
    EXPECT_EQ(EscapedCharacters("a\"\xC3\xBC\\\n\x01\x7F\xF0\x9F\x98\x80", CEscapes),
              (std::vector<std::string>{"a", "\\\"", "\xC3\xBC", "\\\\", "\\n", "\\001", "\\177",
                                        "\xF0\x9F\x98\x80"}));
    EXPECT_EQ(Escaped("\"\t\x1F", JsonEscapes), "\\\"\\t\\u001f");
    EXPECT_EQ(Escaped("\"\t\r", DisplayEscapes), "\"\\t\\r");
    // A byte that starts no sequence, and a sequence cut short, are passed on one byte at a time.
    EXPECT_EQ(EscapedCharacters("\x80\xE2\x82", CEscapes).size(), 2u);
    // In C++ sources no trigraph forms and no bidirectional control stands raw (PO files keep both).
    EXPECT_EQ(Escaped("?\?/ ?\?? a?", SourceEscapes), "?\\?/ ?\\?\\? a?");
    EXPECT_EQ(Escaped("\u202Ex\u2069\u200F\u061C\u2028", SourceEscapes),
              "\\u202ex\\u2069\\u200f\\u061c\u2028");
    EXPECT_EQ(Escaped("?\?/\u202E", CEscapes), "?\?/\u202E");
}

// --- reading exports back --------------------------------------------------------------------------------

std::vector<TextCatalogue> AsText(const std::vector<Catalogue>& catalogues) {
    std::vector<TextCatalogue> text;
    for (const Catalogue& catalogue : catalogues) text.push_back(ToText(catalogue));
    return text;
}

bool SameTexts(const std::vector<TextCatalogue>& a, const std::vector<TextCatalogue>& b) {
    auto flat = [](const std::vector<TextCatalogue>& catalogues) {
        std::vector<std::string> out;
        for (const TextCatalogue& catalogue : catalogues)
            for (const TextEntry& entry : catalogue.entries)
                out.push_back(catalogue.name + "|" + entry.key + "|" + entry.text);
        return out;
    };
    return flat(a) == flat(b);
}

const std::vector<Catalogue> Awkward = {
    {u"one",
     {{u"plain", u"Gr\u00fcn \U0001F600"},
      {u"marks", u"\"Zitat\" \\{a\\} {x}"},
      {u"lines", u"a\nb\r\nc\n"},
      {u"controls", u"\x01\x1F\x7F\t"}}},
};

TEST(KtcatRead, ExportsReadBack) {
    for (const auto& catalogues : {Sample, Awkward}) {
        EXPECT_TRUE(SameTexts(ReadJsonCatalogues(ExportJson(catalogues)), AsText(catalogues)));
        std::vector<FileFormatError> problems;
        EXPECT_TRUE(
            SameTexts(CataloguesFromPo(ReadPo(ExportPo(catalogues, Dated)), problems), AsText(catalogues)));
        EXPECT_TRUE(problems.empty());
        EXPECT_TRUE(SameTexts(ReadCatalogueFile(ExportPo(catalogues, Undated)), AsText(catalogues)));
        EXPECT_TRUE(SameTexts(ReadCatalogueFile(" \n" + ExportJson(catalogues)), AsText(catalogues)));
    }
}

TEST(KtcatRead, PoAsTranslatorsToolsWriteIt) {
    const std::string po =
        "# a comment\n"
        "msgid \"\"\n"
        "msgstr \"Content-Type: text/plain; charset=utf-8\\n\"\n"
        "\n"
        "#, fuzzy, no-c-format\n"
        "#| msgid \"old\"\n"
        "#: c:7 other.c:12 c:x\n"
        "msgctxt \"c\"\n"
        "msgid \"k\"\n"
        "msgstr \"\"\n"
        "\"A\\tB\\x41\\101\\\\\"\n"
        "\"\\\"end\\\"\"\n"
        "#~ msgctxt \"c\"\n"
        "#~ msgid \"obsolete\"\n"
        "#~ msgstr \"x\"\n"
        "msgctxt \"c\"\n"
        "msgid \"plural\"\n"
        "msgid_plural \"plurals\"\n"
        "msgstr[0] \"eins\"\n"
        "msgstr[1] \"zwei\"\n"
        "\n"
        "msgid \"no context\"\n"
        "msgstr \"x\"\r\n";
    const std::vector<PoMessage> messages = ReadPo(po);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_FALSE(messages[0].hasContext);
    EXPECT_EQ(messages[1].text, "A\tBAA\\\"end\"");
    EXPECT_TRUE(messages[1].fuzzy);
    EXPECT_EQ(messages[1].line, 9u);
    EXPECT_TRUE(messages[2].plural);
    EXPECT_EQ(messages[2].text, "eins");
    EXPECT_FALSE(messages[3].fuzzy);
    std::vector<FileFormatError> problems;
    const std::vector<TextCatalogue> catalogues = CataloguesFromPo(messages, problems);
    ASSERT_EQ(catalogues.size(), 1u);
    ASSERT_EQ(catalogues[0].entries.size(), 2u);
    EXPECT_TRUE(catalogues[0].entries[0].fuzzy);
    // The index its reference gives; the plural entry is kept (and marked) for the import to refuse.
    EXPECT_EQ(catalogues[0].entries[0].index, 7u);
    EXPECT_EQ(catalogues[0].entries[1].index, std::nullopt);
    EXPECT_TRUE(catalogues[0].entries[1].plural);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_STREQ(problems[0].what(), "22: the entry 'no context' has no msgctxt (the name of its catalogue)");
    EXPECT_THROW(ReadCatalogueFile(po), FileFormatError);
}

TEST(KtcatRead, MalformedFilesNameTheLine) {
    const std::pair<std::string, std::string> bad[] = {
        {"msgid \"a\"\nmsgstr \"b\n", "2: the string has no closing quote"},
        {"msgid \"a\"\nmsgstr \"\\q\"\n", "2: the escape \\q is unknown"},
        {"msgid \"a\"\nmsgstr \"b\" x\n", "2: text after the closing quote"},
        {"msgid \"a\"\nmsgstr \"\\x100\"\n", "2: a \\x escape beyond one byte"},
        {"msgid \"a\"\nmsgstr \"\\777\"\n", "2: an octal escape beyond one byte"},
        {"\"orphan\"\n", "1: a string that follows no keyword"},
        {"msgid \"a\"\n\n", "1: an entry without msgstr"},
        {"msgctxt \"c\"\n\n", "1: an entry without msgid"},
        {"msgid \"a\"\nmsgid \"b\"\n", "2: 'msgid' is unknown or out of place"},
        {"msgid \"a\"\nmsgstr[0] \"b\"\n", "2: 'msgstr[0]' is unknown or out of place"},
        {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", "3: 'msgstr' is unknown or out of place"},
        {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n",
         "1: the file is in charset ISO-8859-1; only UTF-8 is read"},
        {"msgctxt \"c\"\nmsgid \"k\"\nmsgstr \"\xC3\"\n", "2: the entry is not UTF-8"},
        {"\xEF\xBB\xBFmsgid \"\"\nmsgstr \"\"\n",
         "1: the file starts with a byte-order mark, which gettext's tools refuse; save it as UTF-8 without "
         "one"},
        {"msgctxt \"c\"\nmsgid \"k\"\nmsgid_plural \"ks\"\nmsgstr[0] \"x\"\n",
         "2: the entry 'k' has plural forms, which catalogue texts do not have"},
        {"{\"c\": {\"k\": \"v\",}}", "1: a string was expected"},
        {"{\"c\": {\"k\": 1}}", "1: a string was expected"},
        {"{\"c\": {\"k\": \"v\"}, \"c\": {}}", "1: the catalogue 'c' is given twice"},
        {"{\"c\": {\"k\": \"v\",\n \"k\": \"w\"}}", "2: the key 'k' is given twice"},
        {"{\"c\": {\"k\": \"\\ud800\"}}", "1: an unpaired surrogate"},
        {"{\"c\": {\"k\": \"\\u12\"}}", "1: \\u needs four hexadecimal digits"},
        {"{\"c\": {\"k\": \"a\nb\"}}", "1: a control character in a string"},
        {"{\"c\": {\"k\": \"\xFF\"}}", "1: a string that is not UTF-8"},
        {"{\"c\": {}} x", "1: text after the end of the object"},
        {"{\"c\": {\"k\": \"v\"", "1: '}' was expected"},
    };
    for (const auto& [text, message] : bad) {
        try {
            ReadCatalogueFile(text);
            ADD_FAILURE() << "read: " << text;
        } catch (const FileFormatError& error) {
            EXPECT_EQ(error.what(), message) << text;
            EXPECT_EQ(std::to_string(error.Line()), message.substr(0, message.find(':'))) << text;
        }
    }
    // Line numbers at the end of a long file (counted on as the reader moves, not from the start).
    std::string big = "{\"c\": {";
    for (int i = 0; i < 100000; ++i) big += "\n\"k" + std::to_string(i) + "\": \"t\",";
    try {
        ReadJsonCatalogues(big + "\n\"k0\": \"again\"}}");
        ADD_FAILURE() << "a repeated key was read";
    } catch (const FileFormatError& error) {
        EXPECT_EQ(error.Line(), 100002u);
    }
    // Surrogate pairs and the other JSON escapes are read.
    EXPECT_EQ(ReadJsonCatalogues("{\"c\": {\"k\": \"\\ud83d\\ude00\\/\\b\\f\"}}")[0].entries[0].text,
              "\xF0\x9F\x98\x80/\b\f");
}

// --- writing catalogue sources ---------------------------------------------------------------------------

TEST(KtcatImport, EntryLinesKeepTheProjectsLayout) {
    const std::string longText =
        "Die Verarbeitung wurde nach Ausgabe von {limit} Fehler(n) abgebrochen. Erhöhen Sie bitte das "
        "Fehler-Limit, "
        "damit weitere Fehler ausgegeben werden können.";
    const std::string expected =
        "        {u\"short\", u\"Grün \\\"x\\\"\\n\"},\n"
        "        {u\"ErrorHandler_ErrorLimitReached_but_with_a_longer_key\",\n"
        "         u\"Die Verarbeitung wurde nach Ausgabe von {limit} Fehler(n) abgebrochen. Erhöhen Sie "
        "bitte das \"\n"
        "         u\"Fehler-Limit, damit weitere Fehler ausgegeben werden können.\"},\n"
        "        {u\"nospace\",\n"
        "         u\"" +
        std::string(98, 'x') +
        "\"\n"
        "         u\"xx\"},\n";
    EXPECT_EQ(CatalogueEntryLines({{"short", "Grün \"x\"\n"},
                                   {"ErrorHandler_ErrorLimitReached_but_with_a_longer_key", longText},
                                   {"nospace", std::string(100, 'x')}}),
              expected);
    // 110 columns exactly fit, counting a code point as one column; an escape is never cut.
    const std::string fits = "        {u\"k\", u\"" + std::string(87, 'a') + "ü\"},\n";
    EXPECT_EQ(CatalogueEntryLines({{"k", std::string(87, 'a') + "ü"}}), fits);
    EXPECT_EQ(CatalogueEntryLines({{"k", std::string(97, 'a') + "\\b c"}}),
              "        {u\"k\",\n         u\"" + std::string(97, 'a') + "\"\n         u\"\\\\b c\"},\n");
}

TEST(KtcatImport, RewritesOnlyTheEntriesOfTheRightSource) {
    const std::string source =
        "// Catalogue \"c\".\n"
        "struct CDefinition {\n"
        "    static constexpr const char16_t* name = u\"c\";\n"
        "    static constexpr auto entries = std::to_array<CatalogueEntry>({\n"
        "        {u\"a\", u\"alt\"},\n"
        "        {u\"b\",\n"
        "         u\"alt\"},\n"
        "    });\n"
        "};\n";
    EXPECT_EQ(RewriteCatalogueSource(source, "c", {{"a", "neu"}, {"b", "\\{x\\}"}}),
              "// Catalogue \"c\".\n"
              "struct CDefinition {\n"
              "    static constexpr const char16_t* name = u\"c\";\n"
              "    static constexpr auto entries = std::to_array<CatalogueEntry>({\n"
              "        {u\"a\", u\"neu\"},\n"
              "        {u\"b\", u\"\\\\{x\\\\}\"},\n"
              "    });\n"
              "};\n");
    EXPECT_THROW(RewriteCatalogueSource(source, "d", {{"a", "x"}, {"b", "y"}}), std::invalid_argument);
    EXPECT_THROW(RewriteCatalogueSource(source, "c", {{"b", "x"}, {"a", "y"}}), std::invalid_argument);
    EXPECT_THROW(RewriteCatalogueSource(source, "c", {{"a", "x"}}), std::invalid_argument);
    EXPECT_THROW(RewriteCatalogueSource("name = u\"c\";\n", "c", {}), std::invalid_argument);
    EXPECT_EQ(CatalogueSourceName("Scintilla"), "scintilla.cpp");
}

TEST(KtcatImport, RefusesWhatWouldBreakTheCatalogue) {
    const TextCatalogue current{"c",
                                {{"same", "Datei {uri}"},
                                 {"a", "{x}"},
                                 {"b", "b"},
                                 {"c", "c"},
                                 {"d", "d"},
                                 {"e", "e"},
                                 {"f", "f"},
                                 {"g", "{local}"},
                                 {"h", "{x}"}}};
    TextCatalogue translated{"c",
                             {{"same", "Datei {uri}", 3},
                              {"a", "{y}", 4},
                              {"b", "", 5},
                              {"c", "fast", 6, true},
                              {"d", "mit\ttab", 7},
                              {"unknown", "x", 8},
                              {"f", "eins", 9, false, true},
                              {"g", std::string("vor\0{local}", 11), 10},
                              {"h", "{x", 11}}};
    const std::vector<std::string> expected = {
        "de.po:4: 'a' of catalogue 'c' has the placeholders {y}; the current text has {x}",
        "de.po:5: 'b' of catalogue 'c' is not translated (its msgstr is empty)",
        "de.po:6: 'c' of catalogue 'c' is marked fuzzy: review it and remove the flag",
        "de.po:7: 'd' of catalogue 'c' breaks a convention: c(4): error: tab character in resource string "
        "'d' at position 3. [TabInResourceString: tab at position 3]",
        "de.po:8: 'unknown' of catalogue 'c' is not a key of the catalogue",
        // Refused once, not also as a missing key.
        "de.po:9: 'f' of catalogue 'c' has plural forms, which catalogue texts do not have",
        // The NUL would end the text before its placeholder.
        "de.po:10: 'g' of catalogue 'c' holds a NUL character (\\000), which ends a catalogue text",
        // An open brace is named as such, not as placeholders that differ.
        "de.po:11: 'h' of catalogue 'c' breaks a convention: c(8): Missing closing bracket in resource "
        "string '{x' at position 0 [NoClosingBracket: unclosed '{' at position 0]",
        "de.po:3: catalogue 'c' lacks the key 'e' (a catalogue is imported whole)",
    };
    const FindingMessages english(ReportLanguage::English, nullptr);
    EXPECT_EQ(ImportProblems(translated, current, "de.po", english), expected);
    translated = current;
    translated.entries[1].text = "Neu: {x}";
    EXPECT_TRUE(ImportProblems(translated, current, "de.po", english).empty());
}

}  // namespace
}  // namespace kt::ktcat
