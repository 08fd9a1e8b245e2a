// The host's placeholder formatter, its UTF-8 helpers and entry lookup, on made-up texts and on the
// texts of the built module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "host/host_format.h"
#include "tests/catalogue/catalogue_test_support.h"

namespace kt::host {
namespace {

using Findings = std::vector<TextFinding>;

std::vector<std::u16string> PlaceholderNames(std::u16string_view text) {
    std::vector<std::u16string> names;
    for (const TextPiece& piece : ParseText(text).pieces)
        if (piece.isPlaceholder) names.push_back(piece.text);
    return names;
}

TEST(HostFormat, FillsEveryOccurrenceAndDottedNames) {
    FormattedText formatted = FormatText(u"{to} nach {to}; {entityRef.name} in {a_1}.",
                                         {{u"to", u"UTF-8"}, {u"entityRef.name", u"&x;"}, {u"a_1", u"Z"}});
    EXPECT_EQ(formatted.text, u"UTF-8 nach UTF-8; &x; in Z.");
    EXPECT_TRUE(formatted.findings.empty());
    // Names compare exactly: "{BOM}" is not filled by "bom".
    formatted = FormatText(u"{BOM}", {{u"bom", u"x"}});
    EXPECT_EQ(formatted.text, u"{BOM}");
    EXPECT_EQ(formatted.findings, (Findings{{TextIssue::MissingArgument, 0, u"BOM"},
                                            {TextIssue::UnusedArgument, NoPosition, u"bom"}}));
}

TEST(HostFormat, ValuesAreInsertedAsTheyAre) {
    FormattedText formatted = FormatText(u"[{a}] [{b}]", {{u"a", u"{b}"}, {u"b", u"\\{"}});
    EXPECT_EQ(formatted.text, u"[{b}] [\\{]");
    EXPECT_TRUE(formatted.findings.empty());
    EXPECT_EQ(FormatText(u"{a}", {{u"a", u""}}).text, u"");
}

TEST(HostFormat, BackslashEscapesBracesOnly) {
    // "\{" and "\}" are braces of the text; a backslash before anything else stays.
    FormattedText formatted = FormatText(u"Klammer \"\\{\" und \"\\}\", Pfad C:\\n\\x \\", {});
    EXPECT_EQ(formatted.text, u"Klammer \"{\" und \"}\", Pfad C:\\n\\x \\");
    EXPECT_TRUE(formatted.findings.empty());
    // An escaped brace does not open a placeholder, so "\{name\}" is text and fills nothing.
    formatted = FormatText(u"\\{name\\}", {{u"name", u"x"}});
    EXPECT_EQ(formatted.text, u"{name}");
    EXPECT_EQ(formatted.findings, (Findings{{TextIssue::UnusedArgument, NoPosition, u"name"}}));
    // The first backslash of "\\{" is ordinary, the second escapes the brace.
    EXPECT_EQ(FormatText(u"\\\\{x\\}", {}).text, u"\\{x}");
    // An escaped brace inside braces is part of the contents, which are then no name.
    EXPECT_EQ(ParseText(u"{a\\}b}").findings, (Findings{{TextIssue::InvalidPlaceholderName, 0, u"a\\}b"}}));
    EXPECT_EQ(FormatText(u"{a\\}b}", {}).text, u"{a}b}");
}

TEST(HostFormat, ReportsUnbalancedBracesWhereTheyStand) {
    struct Case {
        std::u16string_view text;
        Findings findings;
    };
    const Case cases[] = {
        {u"{abc", {{TextIssue::NoClosingBracket, 0, u""}}},
        {u"ab{cd", {{TextIssue::NoClosingBracket, 2, u""}}},
        {u"abcd{", {{TextIssue::NoClosingBracket, 4, u""}}},
        {u"}abc", {{TextIssue::NoOpeningBracket, 0, u""}}},
        {u"ab}cd", {{TextIssue::NoOpeningBracket, 2, u""}}},
        {u"abcd}", {{TextIssue::NoOpeningBracket, 4, u""}}},
        {u"{a{b}c}", {{TextIssue::NestedOpeningBracket, 2, u""}}},
        {u"{a{b}", {{TextIssue::NoClosingBracket, 0, u""}, {TextIssue::NestedOpeningBracket, 2, u""}}},
        {u"x}{y}{", {{TextIssue::NoOpeningBracket, 1, u""}, {TextIssue::NoClosingBracket, 5, u""}}},
        {u"\\{a}", {{TextIssue::NoOpeningBracket, 3, u""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(test::Narrow(std::u16string(c.text)));
        EXPECT_EQ(ParseText(c.text).findings, c.findings);
        // The text stays as written around the problem; only whole placeholders are filled.
        FormattedText formatted = FormatText(c.text, {{u"y", u"Y"}});
        std::u16string expected(c.text);
        if (c.text == u"x}{y}{") expected = u"x}Y{";
        if (c.text == u"\\{a}") expected = u"{a}";
        EXPECT_EQ(formatted.text, expected);
    }
    EXPECT_TRUE(PlaceholderNames(u"{a{b}c}").empty()) << "nothing inside a nested group is a placeholder";
}

TEST(HostFormat, ReportsContentsThatAreNoName) {
    for (std::u16string_view contents : {u"", u"a b", u"Gr\u00fcn", u"a-b", u" a", u"a\n"}) {
        std::u16string text = u"x {" + std::u16string(contents) + u"} y";
        SCOPED_TRACE(test::Narrow(text));
        EXPECT_EQ(ParseText(text).findings,
                  (Findings{{TextIssue::InvalidPlaceholderName, 2, std::u16string(contents)}}));
        EXPECT_EQ(FormatText(text, {{std::u16string(contents), u"v"}}).text, text);
    }
    EXPECT_TRUE(IsPlaceholderName(u"entityRef.name"));
    EXPECT_TRUE(IsPlaceholderName(u"._9"));
    EXPECT_FALSE(IsPlaceholderName(u""));
}

TEST(HostFormat, MissingArgumentsStayVisibleAndAreReportedOnce) {
    FormattedText formatted = FormatText(u"{a} {b} {a} {c} {b}", {{u"c", u"C"}});
    EXPECT_EQ(formatted.text, u"{a} {b} {a} C {b}");
    EXPECT_EQ(formatted.findings,
              (Findings{{TextIssue::MissingArgument, 0, u"a"}, {TextIssue::MissingArgument, 4, u"b"}}));
}

TEST(HostFormat, UnusedArgumentsAreReportedInNameOrder) {
    FormattedText formatted = FormatText(u"{b}", {{u"z", u""}, {u"b", u"B"}, {u"a", u""}});
    EXPECT_EQ(formatted.text, u"B");
    EXPECT_EQ(formatted.findings, (Findings{{TextIssue::UnusedArgument, NoPosition, u"a"},
                                            {TextIssue::UnusedArgument, NoPosition, u"z"}}));
}

TEST(HostFormat, EmptyTexts) {
    EXPECT_TRUE(ParseText(u"").pieces.empty());
    FormattedText formatted = FormatText(u"", {});
    EXPECT_EQ(formatted.text, u"");
    EXPECT_TRUE(formatted.findings.empty());
    formatted = FormatText(u"", {{u"a", u"x"}});
    EXPECT_EQ(formatted.text, u"");
    EXPECT_EQ(formatted.findings, (Findings{{TextIssue::UnusedArgument, NoPosition, u"a"}}));
}

TEST(HostFormat, PiecesKeepTheirPositions) {
    EXPECT_EQ(ParseText(u"ab{x}\\{c{y}{y}").pieces,
              (std::vector<TextPiece>{
                  {false, u"ab", 0}, {true, u"x", 2}, {false, u"{c", 5}, {true, u"y", 8}, {true, u"y", 11}}));
}

class HostFormatModule : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(module_.Load(KT_CATALOGUE_MODULE)) << module_.Error(); }
    const char16_t* Text(const char16_t* catalogue, const char16_t* key) {
        ResourceStringRecord* record = FindRecord(module_.First(), catalogue);
        const int32_t index = FindEntry(record, key);
        return index >= 0 ? record->textAt(record, index) : nullptr;
    }
    CatalogueModule module_;
};

TEST_F(HostFormatModule, RegexTextsHaveNoPlaceholders) {
    ResourceStringRecord* regex = FindRecord(module_.First(), u"regex");
    ASSERT_NE(regex, nullptr);
    int bracesSeen = 0;
    for (int32_t index = 0; index < regex->count; ++index) {
        std::u16string text = regex->textAt(regex, index);
        SCOPED_TRACE(test::Narrow(text));
        FormattedText formatted = FormatText(text, {});
        EXPECT_TRUE(formatted.findings.empty());
        EXPECT_TRUE(PlaceholderNames(text).empty());
        // Filling resolves the brace escapes and nothing else.
        std::u16string expected;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'{' || text[i + 1] == u'}')) {
                ++bracesSeen;
                continue;
            }
            expected += text[i];
        }
        EXPECT_EQ(formatted.text, expected);
    }
    EXPECT_EQ(bracesSeen, 5) << "the braces of unexpected_metaChar and the three curly-bracket texts";
}

TEST_F(HostFormatModule, BomMismatchFillsBomTwice) {
    const char16_t* text = Text(u"core", u"bom_encoding_mismatch");
    ASSERT_NE(text, nullptr);
    FormattedText formatted =
        FormatText(text, {{u"BOM", u"UTF-16LE"}, {u"uri", u"file:///a.xml"}, {u"encoding", u"UTF-8"}});
    EXPECT_TRUE(formatted.findings.empty());
    EXPECT_EQ(formatted.text,
              u"Die Bytefolge-Markierung UTF-16LE der Datei file:///a.xml stimmt nicht mit der angegebenen "
              u"Kodierung UTF-8 \u00fcberein. Fallback auf die Kodierung UTF-16LE.");
    EXPECT_EQ(PlaceholderNames(text), (std::vector<std::u16string>{u"BOM", u"uri", u"encoding", u"BOM"}));
}

TEST_F(HostFormatModule, EveryTextParsesCleanlyAndAgreesWithTheContentsTest) {
    int texts = 0;
    for (ResourceStringRecord* record = module_.First(); record != nullptr; record = record->next) {
        for (int32_t index = 0; index < record->count; ++index, ++texts) {
            const char16_t* text = record->textAt(record, index);
            SCOPED_TRACE(test::Narrow(text));
            EXPECT_TRUE(ParseText(text).findings.empty());
            std::vector<std::u16string> names = PlaceholderNames(text);
            EXPECT_EQ(std::set<std::u16string>(names.begin(), names.end()), test::Placeholders(text));
            // Filling every placeholder with its name in angle brackets leaves no placeholder behind.
            FormatArguments arguments;
            for (const std::u16string& name : names) arguments[name] = u"<" + name + u">";
            FormattedText formatted = FormatText(text, arguments);
            EXPECT_TRUE(formatted.findings.empty());
            EXPECT_TRUE(PlaceholderNames(formatted.text).empty());
        }
    }
    EXPECT_EQ(texts, 431);
}

TEST(HostHelpers, Utf8BothWays) {
    std::u16string out;
    EXPECT_TRUE(FromUtf8("Gr\xC3\xBCn \xF0\x9D\x84\x9E", out));
    EXPECT_EQ(out, u"Gr\u00fcn \U0001D11E");
    EXPECT_EQ(ToUtf8(out), "Gr\xC3\xBCn \xF0\x9D\x84\x9E");
    EXPECT_TRUE(FromUtf8("", out));
    EXPECT_TRUE(out.empty());
    for (const char* bad : {"\xC3", "a\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(FromUtf8(bad, out));
    }
    EXPECT_EQ(ToUtf8(std::u16string_view(u"a\xD800"
                                         u"b")),
              "a\xEF\xBF\xBD"
              "b")
        << "unpaired surrogate";
    EXPECT_EQ(ToUtf8(static_cast<const char16_t*>(nullptr)), "");
}

TEST_F(HostFormatModule, FindEntryByKey) {
    ResourceStringRecord* res = FindRecord(module_.First(), u"res");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(FindEntry(res, u"FailedWritingToFile"), 0);
    EXPECT_EQ(FindEntry(res, u"CannotLoadResourceDll"), 22);
    EXPECT_EQ(FindEntry(res, u"cannotLoadResourceDll"), -1);
    EXPECT_EQ(FindEntry(res, u""), -1);
    EXPECT_EQ(FindEntry(nullptr, u"x"), -1);
}

TEST_F(HostFormatModule, KeyIndexFindsWhatFindEntryFinds) {
    for (ResourceStringRecord* record = module_.First(); record != nullptr; record = record->next) {
        const KeyIndex index(record);
        for (int32_t entry = 0; entry < record->count; ++entry) {
            const std::u16string key = record->keyAt(record, entry);
            ASSERT_EQ(index.Find(key), FindEntry(record, key)) << test::Narrow(key);
            EXPECT_EQ(index.Find(key + u"x"), -1);
        }
        EXPECT_EQ(index.Find(u""), -1);
    }
    EXPECT_EQ(KeyIndex(nullptr).Find(u"x"), -1);
    // Of equal keys the first entry, as the linear walk finds it; null keys are skipped.
    ResourceStringRecord twice{};
    twice.count = 4;
    twice.keyAt = [](ResourceStringRecord*, int32_t entry) -> const char16_t* {
        const char16_t* keys[] = {u"b", u"a", nullptr, u"a"};
        return entry >= 0 && entry < 4 ? keys[entry] : nullptr;
    };
    EXPECT_EQ(KeyIndex(&twice).Find(u"a"), 1);
    EXPECT_EQ(FindEntry(&twice, u"a"), 1);
    EXPECT_EQ(KeyIndex(&twice).Find(u"b"), 0);
}

}  // namespace
}  // namespace kt::host
