// The host's placeholder formatter and UTF-8 helpers on made-up texts, and its entry lookup over the keys
// of the built module.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"
#include "host/host_format.h"
#include "tests/catalogue/catalogue_test_support.h"

namespace kt::host {
namespace {

using Findings = std::vector<TextFinding>;

struct FormatCase {
    std::u16string_view text;
    FormatArguments arguments;
    std::u16string_view filled;
    Findings findings;  // the text's own, then missing and unused arguments
};

const TextIssue Missing = TextIssue::MissingArgument, Unused = TextIssue::UnusedArgument,
                NoClosing = TextIssue::NoClosingBracket, NoOpening = TextIssue::NoOpeningBracket;

// Filling (every occurrence, dotted names), the values taken as they are, and the order of missing and
// unused arguments are checked on any text by fuzz/host_format_fuzz.cpp on every committed input; the rows
// here pin the escapes and where each finding is reported.
const FormatCase FormatCases[] = {
    // "\{" and "\}" are braces of the text; a backslash before anything else stays. An escaped brace opens
    // no placeholder; of "\\{" the first backslash is ordinary and the second escapes the brace.
    {u"Klammer \"\\{\" und \"\\}\", Pfad C:\\n\\x \\", {}, u"Klammer \"{\" und \"}\", Pfad C:\\n\\x \\", {}},
    {u"\\{name\\}", {{u"name", u"x"}}, u"{name}", {{Unused, NoPosition, u"name"}}},
    {u"\\\\{x\\}", {}, u"\\{x}", {}},
    // An escaped brace inside braces is part of the contents, which are then no name.
    {u"{a\\}b}", {}, u"{a}b}", {{TextIssue::InvalidPlaceholderName, 0, u"a\\}b"}}},
    // Unbalanced braces are reported where they stand; the text around them stays as written and only
    // whole placeholders are filled. Nothing inside a nested group is a placeholder.
    {u"{abc", {}, u"{abc", {{NoClosing, 0, u""}}},
    {u"ab{cd", {}, u"ab{cd", {{NoClosing, 2, u""}}},
    {u"abcd{", {}, u"abcd{", {{NoClosing, 4, u""}}},
    {u"}abc", {}, u"}abc", {{NoOpening, 0, u""}}},
    {u"ab}cd", {}, u"ab}cd", {{NoOpening, 2, u""}}},
    {u"abcd}", {}, u"abcd}", {{NoOpening, 4, u""}}},
    {u"{a{b}c}", {}, u"{a{b}c}", {{TextIssue::NestedOpeningBracket, 2, u""}}},
    {u"{a{b}", {}, u"{a{b}", {{NoClosing, 0, u""}, {TextIssue::NestedOpeningBracket, 2, u""}}},
    {u"x}{y}{", {{u"y", u"Y"}}, u"x}Y{", {{NoOpening, 1, u""}, {NoClosing, 5, u""}}},
    {u"\\{a}", {}, u"{a}", {{NoOpening, 3, u""}}},
};

TEST(HostFormat, FillsAndReports) {
    for (const FormatCase& c : FormatCases) {
        SCOPED_TRACE(test::Narrow(c.text));
        const FormattedText formatted = FormatText(c.text, c.arguments);
        EXPECT_EQ(formatted.text, c.filled);
        EXPECT_EQ(formatted.findings, c.findings);
        Findings own = c.findings;
        std::erase_if(own, [](const TextFinding& f) { return f.issue == Missing || f.issue == Unused; });
        EXPECT_EQ(ParseText(c.text).findings, own);
    }
}

TEST(HostFormat, ReportsContentsThatAreNoName) {
    for (std::u16string_view contents : {u"", u"a b", u"Gr\u00fcn", u"a-b", u" a", u"a\n"}) {
        std::u16string text = u"x {" + std::u16string(contents) + u"} y";
        SCOPED_TRACE(test::Narrow(text));
        EXPECT_EQ(ParseText(text).findings,
                  (Findings{{TextIssue::InvalidPlaceholderName, 2, std::u16string(contents)}}));
        EXPECT_EQ(FormatText(text, {{std::u16string(contents), u"v"}}).text, text);
    }
}

TEST(HostFormat, PiecesKeepTheirPositions) {
    EXPECT_TRUE(ParseText(u"").pieces.empty());
    EXPECT_EQ(ParseText(u"ab{x}\\{c{y}{y}").pieces,
              (std::vector<TextPiece>{
                  {false, u"ab", 0}, {true, u"x", 2}, {false, u"{c", 5}, {true, u"y", 8}, {true, u"y", 11}}));
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

TEST(HostLookup, KeyIndexAndFindEntryFindEveryKey) {
    CatalogueModule module;
    ASSERT_TRUE(module.Load(KT_CATALOGUE_MODULE)) << module.Error();
    for (ResourceStringRecord* record = module.First(); record != nullptr; record = record->next) {
        const KeyIndex index(record);
        for (int32_t entry = 0; entry < record->count; ++entry) {
            const std::u16string key = record->keyAt(record, entry);
            EXPECT_EQ(index.Find(key), entry) << test::Narrow(key);
            EXPECT_EQ(FindEntry(record, key), entry) << test::Narrow(key);
            EXPECT_EQ(index.Find(key + u"x"), -1);
        }
        EXPECT_EQ(index.Find(u""), -1);
    }
    // Of equal keys the first entry, as the linear walk finds it; null keys are skipped; no record, no entry.
    ResourceStringRecord twice{};
    twice.count = 4;
    twice.keyAt = [](ResourceStringRecord*, int32_t entry) -> const char16_t* {
        const char16_t* keys[] = {u"b", u"a", nullptr, u"a"};
        return entry >= 0 && entry < 4 ? keys[entry] : nullptr;
    };
    const std::tuple<ResourceStringRecord*, std::u16string, int32_t> cases[] = {
        {&twice, u"a", 1}, {&twice, u"b", 0}, {&twice, u"A", -1}, {nullptr, u"a", -1}};
    for (const auto& [record, key, entry] : cases) {
        EXPECT_EQ(KeyIndex(record).Find(key), entry) << test::Narrow(key);
        EXPECT_EQ(FindEntry(record, key), entry) << test::Narrow(key);
    }
}

}  // namespace
}  // namespace kt::host
