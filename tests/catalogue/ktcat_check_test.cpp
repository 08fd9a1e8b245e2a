// ktcat's checker: broken entries and broken records give each finding in the module's own German words
// (English where the module has none), and the built module has no finding.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "catalogue/host.h"
#include "tools/ktcat/catalogue_check.h"

namespace kt::ktcat {
namespace {

using Expected = std::vector<std::pair<std::string, std::string>>;  // kind, message

Expected Flatten(const std::vector<Finding>& findings) {
    Expected flat;
    for (const Finding& finding : findings) flat.emplace_back(finding.kind, finding.message);
    return flat;
}

const std::vector<Entry> BrokenEntries = {
    {u"good_key", u"Alles in Ordnung mit {name} und \\{ \\}."},
    {u"9lives", u"Text"},
    {u"bad key", u"Text"},
    {u"good_key", u"Noch einmal"},
    {u"empty", u""},
    {u"trailing", u"Zeile\n"},
    {u"unclosed", u"abc {open"},
    {u"unopened", u"close} x"},
    {u"nested", u"{a{b}c}"},
    {u"tabbed", u"a\tb"},
    {u"badName", u"Wert {a b}"},
    {nullptr, u"Text"},
    {u"noText", nullptr},
    {u"", u"Text"},
    {u"twoProblems", u"{x\r\n"},
};

class KtcatCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Load(KT_CATALOGUE_MODULE)) << module_.Error();
        res_ = host::FindRecord(module_.First(), u"res");
        ASSERT_NE(res_, nullptr);
    }
    host::CatalogueModule module_;
    host::ResourceStringRecord* res_ = nullptr;
};

TEST_F(KtcatCheck, ReportsEachBrokenEntryInTheModulesGermanTexts) {
    const Expected expected = {
        {"InvalidResourceName", "broken(1): Fehler: Der Ressourcenname '9lives' ist ungültig."},
        {"InvalidResourceName", "broken(2): Fehler: Der Ressourcenname 'bad key' ist ungültig."},
        {"StringRedefinition",
         "broken(3): Fehler: Der Ressourcen-String 'good_key' aus dem Modul 'broken' ist bereits definiert."},
        {"EmptyResourceString", "broken(4): Warnung: Der Ressourcen-String 'empty' ist offenbar leer."},
        {"NewlineInResourceString",
         "broken(5): Fehler: Newline-Zeichen in Ressourcen-String 'trailing' gefunden - bitte durch eine \\n "
         "Sequenz ersetzen."},
        {"NoClosingBracket",
         "broken(6): Fehlende schließende Klammer in Ressourcen-String in String 'abc {open' an Position 4"},
        {"NoOpeningBracket",
         "broken(7): Fehlende öffnende Klammer in Ressourcen-String in String 'close} x' an Position 5"},
        // The module words a nested brace as it words a missing opening one.
        {"NestedOpeningBracket",
         "broken(8): Fehlende öffnende Klammer in Ressourcen-String in String '{a{b}c}' an Position 2"},
        {"TabInResourceString", "broken(9): error: tab character in resource string 'tabbed' at position 1."},
        {"InvalidPlaceholderName",
         "broken(10): error: '{a b}' at position 5 in resource string 'badName' is not a valid placeholder."},
        {"MissingEntry", "broken(11): error: the catalogue gives no key for this index."},
        {"MissingEntry", "broken(12): error: the catalogue gives no text for this index."},
        {"InvalidResourceName", "broken(13): Fehler: Der Ressourcenname '' ist ungültig."},
        {"NewlineInResourceString",
         "broken(14): Fehler: Newline-Zeichen in Ressourcen-String 'twoProblems' gefunden - bitte durch eine "
         "\\n Sequenz ersetzen."},
        {"NoClosingBracket",
         "broken(14): Fehlende schließende Klammer in Ressourcen-String in String '{x\r\n' an Position 0"},
    };
    EXPECT_EQ(Flatten(CheckCatalogue({u"broken", BrokenEntries}, FindingMessages(res_))), expected);
}

TEST_F(KtcatCheck, EnglishWhereNoModuleTextIsGiven) {
    const Expected expected = {
        {"InvalidResourceName", "broken(1): error: the resource name '9lives' is not valid."},
        {"EmptyResourceString", "broken(2): warning: the resource string 'empty' seems to be empty."},
        {"NestedOpeningBracket", "broken(3): Nested opening bracket in resource string '{{}}' at position 1"},
        {"NoClosingBracket", "broken(4): Missing closing bracket in resource string '{' at position 0"},
    };
    const std::vector<Entry> entries = {
        {u"ok", u"ok"}, {u"9lives", u"x"}, {u"empty", u""}, {u"n", u"{{}}"}, {u"u", u"{"}};
    EXPECT_EQ(Flatten(CheckCatalogue({u"broken", entries}, FindingMessages(nullptr))), expected);
}

TEST_F(KtcatCheck, CheckEntryAloneMissesOnlyRepeatedKeys) {
    const FindingMessages messages(res_);
    std::vector<Finding> all = CheckCatalogue({u"broken", BrokenEntries}, messages);
    std::vector<Finding> oneByOne;
    for (size_t i = 0; i < BrokenEntries.size(); ++i)
        for (Finding& finding : CheckEntry(u"broken", static_cast<int32_t>(i), BrokenEntries[i], messages))
            oneByOne.push_back(std::move(finding));
    std::erase_if(all, [](const Finding& finding) { return finding.kind == "StringRedefinition"; });
    EXPECT_EQ(Flatten(oneByOne), Flatten(all));
}

TEST(KtcatCheckKeys, KeyNames) {
    for (std::u16string_view good :
         {u"a", u"_x", u"SocketTimeout", u"JSON_SyntaxError_CharUnexpected", u"x9"})
        EXPECT_TRUE(IsKeyName(good));
    for (std::u16string_view bad : {u"", u"9x", u"a.b", u"a-b", u"Gr\u00fcn", u"a b"})
        EXPECT_FALSE(IsKeyName(bad));
}

TEST_F(KtcatCheck, TheBuiltModuleHasNoFinding) {
    std::vector<Finding> findings =
        CheckChain(module_.First(), "libktcatalogue_de.so", FindingMessages(res_));
    for (const Finding& finding : findings) ADD_FAILURE() << finding.message;
}

// Records of a made-up chain: "one" returns an entry past its end, the second is also named "one", and
// "minus" has a negative count.
const char16_t* const OneKeys[] = {u"k", u"extra"};
const char16_t* const OneTexts[] = {u"t", u"past the end"};

const char16_t* OneKeyAt(host::ResourceStringRecord*, int32_t index) {
    return index >= 0 && index < 2 ? OneKeys[index] : nullptr;
}
const char16_t* OneTextAt(host::ResourceStringRecord*, int32_t index) {
    return index >= 0 && index < 2 ? OneTexts[index] : nullptr;
}

TEST(KtcatCheckChain, ReportsBrokenRecords) {
    host::ResourceStringRecord records[4]{};
    const char16_t* names[] = {u"one", u"one", u"minus", nullptr};
    const int32_t counts[] = {1, 1, -3, 0};
    for (size_t i = 0; i < 4; ++i) {
        records[i].name = names[i];
        records[i].count = counts[i];
        records[i].keyAt = OneKeyAt;
        records[i].textAt = OneTextAt;
        records[i].next = i + 1 < 4 ? &records[i + 1] : nullptr;
    }
    const Expected expected = {
        {"NoSentinel", "mod.so: error: catalogue 'one' gives an entry for index 1, outside 0 to 0."},
        {"ModuleRedefinition", "mod.so: error: the module 'one' is already defined."},
        {"NoSentinel", "mod.so: error: catalogue 'one' gives an entry for index 1, outside 0 to 0."},
        {"NegativeCount", "mod.so: error: the entry count -3 of catalogue 'minus' is negative."},
        {"MissingName", "mod.so: error: a catalogue has no name."},
    };
    EXPECT_EQ(Flatten(CheckChain(records, "mod.so", FindingMessages(nullptr))), expected);
    // A chain that runs back into itself is walked once.
    records[3].next = &records[0];
    EXPECT_EQ(CheckChain(records, "mod.so", FindingMessages(nullptr)).size(), expected.size());
}

TEST_F(KtcatCheck, ModuleRedefinitionInGerman) {
    host::ResourceStringRecord records[2]{};
    for (host::ResourceStringRecord& record : records) {
        record.name = u"one";
        record.keyAt = OneKeyAt;
        record.textAt = OneTextAt;
        record.count = 2;
    }
    records[0].next = &records[1];
    EXPECT_EQ(Flatten(CheckChain(records, "mod.so", FindingMessages(res_))),
              (Expected{{"ModuleRedefinition", "mod.so: Fehler: Das Modul 'one' wurde bereits definiert."}}));
}

}  // namespace
}  // namespace kt::ktcat
