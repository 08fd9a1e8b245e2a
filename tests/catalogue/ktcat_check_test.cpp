// ktcat's checker: broken entries and broken records give each finding in the module's own German words
// (English where the module has none). The built module itself is checked by the ktcat_check test.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "tools/ktcat/catalogue_check.h"
#include "tools/ktcat/catalogue_files.h"

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

TEST_F(KtcatCheck, AGermanReportTakesTheModulesTextsAndGermanForTheRest) {
    const Expected expected = {
        {"InvalidResourceName",
         "broken(1): Fehler: Der Ressourcenname '9lives' ist ungültig. [InvalidResourceName]"},
        {"InvalidResourceName",
         "broken(2): Fehler: Der Ressourcenname 'bad key' ist ungültig. [InvalidResourceName]"},
        {"StringRedefinition",
         "broken(3): Fehler: Der Ressourcen-String 'good_key' aus dem Modul 'broken' ist bereits definiert. "
         "[StringRedefinition]"},
        {"EmptyResourceString",
         "broken(4): Warnung: Der Ressourcen-String 'empty' ist offenbar leer. [EmptyResourceString]"},
        {"NewlineInResourceString",
         "broken(5): Fehler: Newline-Zeichen in Ressourcen-String 'trailing' gefunden - bitte durch eine \\n "
         "Sequenz ersetzen. [NewlineInResourceString]"},
        {"NoClosingBracket",
         "broken(6): Fehlende schließende Klammer in Ressourcen-String in String 'abc {open' an Position 4 "
         "[NoClosingBracket: nicht geschlossene '{' an Position 4]"},
        {"NoOpeningBracket",
         "broken(7): Fehlende öffnende Klammer in Ressourcen-String in String 'close} x' an Position 5 "
         "[NoOpeningBracket: '}' ohne '{' an Position 5]"},
        // The module words a nested brace as it words a missing opening one; the tag says what it is.
        {"NestedOpeningBracket",
         "broken(8): Fehlende öffnende Klammer in Ressourcen-String in String '{a{b}c}' an Position 2 "
         "[NestedOpeningBracket: '{' innerhalb eines Platzhalters an Position 2]"},
        {"TabInResourceString",
         "broken(9): Fehler: Tabulatorzeichen im Ressourcen-String 'tabbed' an Position 1. "
         "[TabInResourceString: Tabulator an Position 1]"},
        {"InvalidPlaceholderName",
         "broken(10): Fehler: '{a b}' an Position 5 im Ressourcen-String 'badName' ist kein gültiger "
         "Platzhalter. "
         "[InvalidPlaceholderName: ungültiger Platzhalter an Position 5]"},
        {"MissingEntryKey",
         "broken(11): Fehler: Der Katalog liefert für diesen Index keinen Schlüssel. [MissingEntryKey]"},
        {"MissingEntryText",
         "broken(12): Fehler: Der Katalog liefert für diesen Index keinen Text. [MissingEntryText]"},
        {"InvalidResourceName",
         "broken(13): Fehler: Der Ressourcenname '' ist ungültig. [InvalidResourceName]"},
        {"NewlineInResourceString",
         "broken(14): Fehler: Newline-Zeichen in Ressourcen-String 'twoProblems' gefunden - bitte durch eine "
         "\\n Sequenz ersetzen. [NewlineInResourceString]"},
        // A text in a report stays on one line.
        {"NoClosingBracket",
         "broken(14): Fehlende schließende Klammer in Ressourcen-String in String '{x\\r\\n' an Position 0 "
         "[NoClosingBracket: nicht geschlossene '{' an Position 0]"},
    };
    EXPECT_EQ(
        Flatten(CheckCatalogue({u"broken", BrokenEntries}, FindingMessages(ReportLanguage::German, res_))),
        expected);
}

TEST_F(KtcatCheck, AnEnglishReportIsEnglishThroughout) {
    const Expected expected = {
        {"InvalidResourceName",
         "broken(1): error: the resource name '9lives' is not valid. [InvalidResourceName]"},
        {"EmptyResourceString",
         "broken(2): warning: the resource string 'empty' seems to be empty. [EmptyResourceString]"},
        {"NestedOpeningBracket",
         "broken(3): Nested opening bracket in resource string '{{}}' at position 1 "
         "[NestedOpeningBracket: '{' inside a placeholder at position 1]"},
        {"NoClosingBracket",
         "broken(4): Missing closing bracket in resource string '{' at position 0 "
         "[NoClosingBracket: unclosed '{' at position 0]"},
        {"TabInResourceString",
         "broken(5): error: tab character in resource string 't' at position 0. "
         "[TabInResourceString: tab at position 0]"},
        {"MissingEntryText",
         "broken(6): error: the catalogue gives no text for this index. [MissingEntryText]"},
    };
    const std::vector<Entry> entries = {{u"ok", u"ok"}, {u"9lives", u"x"}, {u"empty", u""},   {u"n", u"{{}}"},
                                        {u"u", u"{"},   {u"t", u"\tx"},    {u"none", nullptr}};
    // The module's "res" catalogue is there, and is not used.
    EXPECT_EQ(Flatten(CheckCatalogue({u"broken", entries}, FindingMessages(ReportLanguage::English, res_))),
              expected);
    // A German report on a module without "res" texts is German all the same.
    EXPECT_EQ(
        Flatten(
            CheckCatalogue({u"broken", {{u"n", u"{{}}"}}}, FindingMessages(ReportLanguage::German, nullptr))),
        (Expected{{"NestedOpeningBracket",
                   "broken(0): Verschachtelte öffnende Klammer im Ressourcen-String '{{}}' an Position 1 "
                   "[NestedOpeningBracket: '{' innerhalb eines Platzhalters an Position 1]"}}));
}

TEST_F(KtcatCheck, CheckEntryAloneMissesOnlyRepeatedKeys) {
    const FindingMessages messages(ReportLanguage::German, res_);
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

TEST_F(KtcatCheck, ReportsBrokenRecords) {
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
        {"NoSentinel",
         "mod.so: error: catalogue 'one' gives an entry for index 1, outside 0 to 0. [NoSentinel]"},
        {"ModuleRedefinition", "mod.so: error: the module 'one' is already defined. [ModuleRedefinition]"},
        {"NoSentinel",
         "mod.so: error: catalogue 'one' gives an entry for index 1, outside 0 to 0. [NoSentinel]"},
        {"NegativeCount",
         "mod.so: error: the entry count -3 of catalogue 'minus' is negative. [NegativeCount]"},
        {"MissingName", "mod.so: error: a catalogue has no name. [MissingName]"},
    };
    const FindingMessages english(ReportLanguage::English, nullptr);
    EXPECT_EQ(Flatten(CheckChain(records, "mod.so", english)), expected);
    EXPECT_EQ(CheckChain(records, "mod.so", FindingMessages(ReportLanguage::German, res_)).at(1).message,
              "mod.so: Fehler: Das Modul 'one' wurde bereits definiert. [ModuleRedefinition]");
    // A chain that runs back into itself is walked once.
    records[3].next = &records[0];
    EXPECT_EQ(CheckChain(records, "mod.so", english).size(), expected.size());
}

// --- against a reference ---------------------------------------------------------------------------------

TEST(KtcatCompare, ReportsWhatAReferenceHasThatTheModuleLacksAndTheOtherWayRound) {
    const std::vector<TextCatalogue> reference = {
        {"gone", {{"k", "t"}}},
        {"cat",
         {{"same", "Datei {uri}"},
          {"renamed", "Datei {uri}"},
          {"lost", "{a} und {b}"},
          {"added", "nur {a}"},
          {"removed", "weg"},
          {"changed", "Alt {x}"},
          {"template", ""}}},
    };
    const std::vector<TextCatalogue> current = {
        {"cat",
         {{"same", "Datei {uri}"},
          {"renamed", "Datei {url}"},
          {"lost", "{a} allein"},
          {"added", "{a} und {b} und {c}"},
          {"changed", "Neu {x}\nzweite Zeile"},
          {"template", "beliebig {y}"},
          {"new", "neu"}}},
        {"fresh", {}},
    };
    const Expected expected = {
        {"MissingCatalogue",
         "ref.json: error: the catalogue 'gone' of the reference is missing. [MissingCatalogue]"},
        {"MissingKey", "cat: error: the key 'removed' (index 4 in the reference) is missing. [MissingKey]"},
        {"PlaceholderRenamed",
         "cat(1): error: in the text of 'renamed' the placeholder {uri} became {url}. [PlaceholderRenamed]"},
        {"PlaceholderLost", "cat(2): error: the text of 'lost' lost the placeholder {b}. [PlaceholderLost]"},
        {"PlaceholderAdded",
         "cat(3): error: the text of 'added' has the placeholder {b}, which the reference does not have. "
         "[PlaceholderAdded]"},
        {"PlaceholderAdded",
         "cat(3): error: the text of 'added' has the placeholder {c}, which the reference does not have. "
         "[PlaceholderAdded]"},
        {"KeyMoved", "cat(4): error: the key 'changed' stands at index 5 in the reference. [KeyMoved]"},
        {"TextChanged",
         "cat(4): note: the text of 'changed' changed; its placeholders did not. [TextChanged]\n"
         "  was: Alt {x}\n"
         "  now: Neu {x}\\nzweite Zeile"},
        {"KeyMoved", "cat(5): error: the key 'template' stands at index 6 in the reference. [KeyMoved]"},
        {"AddedKey", "cat(6): error: the key 'new' is not in the reference. [AddedKey]"},
        {"AddedCatalogue",
         "ref.json: error: the catalogue 'fresh' is not in the reference. [AddedCatalogue]"},
    };
    const FindingMessages english(ReportLanguage::English, nullptr);
    const std::vector<Finding> findings = CompareCatalogues(current, reference, "ref.json", english);
    EXPECT_EQ(Flatten(findings), expected);
    for (const Finding& finding : findings) EXPECT_EQ(finding.informational, finding.kind == "TextChanged");
    EXPECT_EQ(CheckSummary(2, 7, findings, english),
              "ktcat check: 2 catalogues, 7 entries, 10 findings, 1 changed text");
    EXPECT_EQ(CheckSummary(1, 1, {}, FindingMessages(ReportLanguage::German, nullptr)),
              "ktcat check: 1 Kataloge, 1 Einträge, keine Befunde");
    // The same catalogues compare clean.
    EXPECT_TRUE(CompareCatalogues(current, current, "x", english).empty());
    EXPECT_EQ(
        CompareCatalogues(current, reference, "ref.json", FindingMessages(ReportLanguage::German, nullptr))
            .at(3)
            .message,
        "cat(2): Fehler: Dem Text von 'lost' fehlt der Platzhalter {b}. [PlaceholderLost]");
}

TEST(KtcatCompare, APoReferenceIndexesByItsReferencesAndNamesFuzzyEntries) {
    // As msgcat --sort-output leaves an export: sorted by key, each entry's index in its reference.
    const std::string po =
        "msgid \"\"\nmsgstr \"Language: de\\n\"\n\n"
        "#: cat:1\n#, fuzzy\nmsgctxt \"cat\"\nmsgid \"a\"\nmsgstr \"A\"\n\n"
        "#: cat:0\nmsgctxt \"cat\"\nmsgid \"b\"\nmsgstr \"B\"\n";
    const std::vector<TextCatalogue> current = {{"cat", {{"b", "B"}, {"a", "A"}}}};
    const FindingMessages english(ReportLanguage::English, nullptr);
    const std::vector<Finding> findings = CompareCatalogues(current, ReadCatalogueFile(po), "de.po", english);
    EXPECT_EQ(Flatten(findings), (Expected{{"FuzzyInReference",
                                            "de.po:7: note: the entry 'a' of catalogue 'cat' is marked fuzzy "
                                            "(a draft). [FuzzyInReference]"}}));
    EXPECT_EQ(CheckSummary(1, 2, findings, english),
              "ktcat check: 1 catalogues, 2 entries, no findings, 1 fuzzy entry in the reference");
}

TEST(KtcatCheckControls, AControlCharacterIsAFinding) {
    // U+0004 is gettext's context separator; U+0085 a C1 control. Line breaks and tabs have findings of
    // their own.
    EXPECT_EQ(Flatten(CheckCatalogue({u"c",
                                      {{u"k",
                                        u"a\r\nb\x04"
                                        u"c\x85"}}},
                                     FindingMessages(ReportLanguage::English, nullptr))),
              (Expected{{"ControlInResourceString",
                         "c(0): error: control character U+0004 in resource string 'k' at position 4. "
                         "[ControlInResourceString: control character at position 4]"}}));
}

}  // namespace
}  // namespace kt::ktcat
