#include "tools/ktcat/catalogue_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_set>

#include "tools/ktcat/escape.h"

namespace kt::ktcat {

namespace {

struct MessageText {
    std::string_view key;
    bool inModule;  // whether the "res" catalogue has a text under this key
    const char16_t* english;
    const char16_t* german;
    // For a finding at a position in a text: what is found there, for the report's tag.
    const char16_t* englishTag = nullptr;
    const char16_t* germanTag = nullptr;
};

constexpr MessageText MessageTexts[] = {
    // Findings the "res" catalogue has a text for.
    {"InvalidResourceName", true, u"{file}({line}): error: the resource name '{name}' is not valid.",
     u"{file}({line}): Fehler: Der Ressourcenname '{name}' ist ungültig."},
    {"StringRedefinition", true,
     u"{file}({line}): error: the resource string '{name}' of module '{module}' is already defined.",
     u"{file}({line}): Fehler: Der Ressourcen-String '{name}' aus dem Modul '{module}' ist bereits "
     u"definiert."},
    {"EmptyResourceString", true, u"{file}({line}): warning: the resource string '{name}' seems to be empty.",
     u"{file}({line}): Warnung: Der Ressourcen-String '{name}' ist offenbar leer."},
    {"NewlineInResourceString", true,
     u"{file}({line}): error: newline character in resource string '{name}' - please replace it by a \\n "
     u"sequence.",
     u"{file}({line}): Fehler: Der Ressourcen-String '{name}' endet mit einem Zeilenumbruch."},
    {"NoClosingBracket", true, u"Missing closing bracket in resource string '{string}' at position {pos}",
     u"Fehlende schließende Klammer im Ressourcen-String '{string}' an Position {pos}",
     u"unclosed '\\{' at position {pos}", u"nicht geschlossene '\\{' an Position {pos}"},
    {"NoOpeningBracket", true, u"Missing opening bracket in resource string '{string}' at position {pos}",
     u"Fehlende öffnende Klammer im Ressourcen-String '{string}' an Position {pos}",
     u"'\\}' without '\\{' at position {pos}", u"'\\}' ohne '\\{' an Position {pos}"},
    // The module's text for this kind speaks of a missing opening bracket; the tag says what is found.
    {"NestedOpeningBracket", true, u"Nested opening bracket in resource string '{string}' at position {pos}",
     u"Verschachtelte öffnende Klammer im Ressourcen-String '{string}' an Position {pos}",
     u"'\\{' inside a placeholder at position {pos}",
     u"'\\{' innerhalb eines Platzhalters an Position {pos}"},
    {"ModuleRedefinition", true, u"{file}: error: the module '{module}' is already defined.",
     u"{file}: Fehler: Das Modul '{module}' wurde bereits definiert."},
    // Findings of ktcat's own.
    {"TabInResourceString", false,
     u"{file}({line}): error: tab character in resource string '{name}' at position {pos}.",
     u"{file}({line}): Fehler: Tabulatorzeichen im Ressourcen-String '{name}' an Position {pos}.",
     u"tab at position {pos}", u"Tabulator an Position {pos}"},
    {"ControlInResourceString", false,
     u"{file}({line}): error: control character U+{code} in resource string '{name}' at position {pos}.",
     u"{file}({line}): Fehler: Steuerzeichen U+{code} im Ressourcen-String '{name}' an Position {pos}.",
     u"control character at position {pos}", u"Steuerzeichen an Position {pos}"},
    {"InvalidPlaceholderName", false,
     u"{file}({line}): error: '\\{{placeholder}\\}' at position {pos} in resource string '{name}' is not a "
     u"valid placeholder.",
     u"{file}({line}): Fehler: '\\{{placeholder}\\}' an Position {pos} im Ressourcen-String '{name}' "
     u"ist kein gültiger Platzhalter.",
     u"invalid placeholder at position {pos}", u"ungültiger Platzhalter an Position {pos}"},
    {"MissingEntryKey", false, u"{file}({line}): error: the catalogue gives no key for this index.",
     u"{file}({line}): Fehler: Der Katalog liefert für diesen Index keinen Schlüssel."},
    {"MissingEntryText", false, u"{file}({line}): error: the catalogue gives no text for this index.",
     u"{file}({line}): Fehler: Der Katalog liefert für diesen Index keinen Text."},
    {"MissingName", false, u"{file}: error: a catalogue has no name.",
     u"{file}: Fehler: Ein Katalog hat keinen Namen."},
    {"NegativeCount", false, u"{file}: error: the entry count {count} of catalogue '{module}' is negative.",
     u"{file}: Fehler: Die Anzahl der Einträge {count} des Katalogs '{module}' ist negativ."},
    {"NoSentinel", false,
     u"{file}: error: catalogue '{module}' gives an entry for index {line}, outside 0 to {last}.",
     u"{file}: Fehler: Der Katalog '{module}' liefert einen Eintrag für den Index {line}, außerhalb "
     u"von 0 bis {last}."},
    // Against a reference.
    {"MissingCatalogue", false, u"{file}: error: the catalogue '{module}' of the reference is missing.",
     u"{file}: Fehler: Der Katalog '{module}' der Referenz fehlt."},
    {"AddedCatalogue", false, u"{file}: error: the catalogue '{module}' is not in the reference.",
     u"{file}: Fehler: Der Katalog '{module}' steht nicht in der Referenz."},
    {"MissingKey", false, u"{file}: error: the key '{name}' (index {line} in the reference) is missing.",
     u"{file}: Fehler: Der Schlüssel '{name}' (Index {line} in der Referenz) fehlt."},
    {"AddedKey", false, u"{file}({line}): error: the key '{name}' is not in the reference.",
     u"{file}({line}): Fehler: Der Schlüssel '{name}' steht nicht in der Referenz."},
    {"KeyMoved", false, u"{file}({line}): error: the key '{name}' stands at index {was} in the reference.",
     u"{file}({line}): Fehler: Der Schlüssel '{name}' steht in der Referenz an Index {was}."},
    {"PlaceholderLost", false,
     u"{file}({line}): error: the text of '{name}' lost the placeholder \\{{placeholder}\\}.",
     u"{file}({line}): Fehler: Dem Text von '{name}' fehlt der Platzhalter \\{{placeholder}\\}."},
    {"PlaceholderAdded", false,
     u"{file}({line}): error: the text of '{name}' has the placeholder \\{{placeholder}\\}, which the "
     u"reference does not have.",
     u"{file}({line}): Fehler: Der Text von '{name}' hat den Platzhalter \\{{placeholder}\\}, den die "
     u"Referenz nicht hat."},
    {"PlaceholderRenamed", false,
     u"{file}({line}): error: in the text of '{name}' the placeholder \\{{was}\\} became "
     u"\\{{placeholder}\\}.",
     u"{file}({line}): Fehler: Im Text von '{name}' wurde aus dem Platzhalter \\{{was}\\} der Platzhalter "
     u"\\{{placeholder}\\}."},
    {"TextChanged", false, u"{file}({line}): note: the text of '{name}' changed; its placeholders did not.",
     u"{file}({line}): Hinweis: Der Text von '{name}' hat sich geändert, seine Platzhalter nicht."},
    {"FuzzyInReference", false,
     u"{file}:{line}: note: the entry '{name}' of catalogue '{module}' is marked fuzzy (a draft).",
     u"{file}:{line}: Hinweis: Der Eintrag '{name}' des Katalogs '{module}' ist als unsicher (fuzzy) "
     u"markiert."},
    {"TextWas", false, u"  was: {text}", u"  bisher: {text}"},
    {"TextNow", false, u"  now: {text}", u"  jetzt: {text}"},
    // Filling a text (`ktcat format`).
    {"MissingArgument", false, u"no value for \\{{name}\\} (first at position {pos}); it stays in the text",
     u"kein Wert für \\{{name}\\} (zuerst an Position {pos}); der Platzhalter bleibt im Text"},
    {"UnusedArgument", false, u"the text does not use '{name}'", u"der Text verwendet '{name}' nicht"},
    // The summary line.
    {"Summary", false, u"ktcat check: {catalogues} catalogues, {entries} entries, {findings}",
     u"ktcat check: {catalogues} Kataloge, {entries} Einträge, {findings}"},
    {"NoFindings", false, u"no findings", u"keine Befunde"},
    {"OneFinding", false, u"1 finding", u"1 Befund"},
    {"Findings", false, u"{count} findings", u"{count} Befunde"},
    {"OneChangedText", false, u", 1 changed text", u", 1 geänderter Text"},
    {"ChangedTexts", false, u", {count} changed texts", u", {count} geänderte Texte"},
    {"OneFuzzyEntry", false, u", 1 fuzzy entry in the reference", u", 1 unsicherer Eintrag in der Referenz"},
    {"FuzzyEntries", false, u", {count} fuzzy entries in the reference",
     u", {count} unsichere Einträge in der Referenz"},
};

const MessageText* FindMessage(std::string_view key) {
    const MessageText* text =
        std::find_if(std::begin(MessageTexts), std::end(MessageTexts),
                     [key](const MessageText& candidate) { return candidate.key == key; });
    return text == std::end(MessageTexts) ? nullptr : text;
}

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Number(int64_t value) {
    return Ascii(std::to_string(value));
}

// A report shows bytes that are not UTF-8 (in a file name from the command line) as U+FFFD, which is what
// the conversion leaves in their place when it fails.
std::u16string Utf16(std::string_view utf8) {
    std::u16string text;
    static_cast<void>(host::FromUtf8(utf8, text));
    return text;
}

// A text as one line of a report.
std::u16string OneLine(std::u16string_view text) {
    return Utf16(Escaped(host::ToUtf8(text), DisplayEscapes));
}

// Collects the findings of one catalogue, each filled with the catalogue's name and the entry's index.
class Reporter {
  public:
    Reporter(const FindingMessages& messages, std::vector<Finding>& findings, std::u16string_view catalogue)
        : messages_(messages), findings_(findings), catalogue_(catalogue) {}

    Finding& Add(std::string_view kind, host::FormatArguments arguments, std::string prefix = {},
                 size_t position = host::NoPosition) {
        arguments.emplace(u"module", catalogue_);
        // Only the placeholders the message uses are filled; the formatter's report of the others is moot.
        findings_.push_back(
            {kind, prefix + messages_.Format(kind, arguments) + " " + messages_.Tag(kind, position)});
        return findings_.back();
    }

    Finding& AddForEntry(std::string_view kind, int32_t index, std::u16string_view key,
                         host::FormatArguments arguments, size_t position = host::NoPosition) {
        arguments.emplace(u"file", catalogue_);
        arguments.emplace(u"line", Number(index));
        arguments.emplace(u"name", key);
        return Add(kind, std::move(arguments), {}, position);
    }

    // The bracket messages name neither catalogue nor entry: the report puts "CATALOGUE(INDEX): " first.
    void AddForText(std::string_view kind, int32_t index, std::u16string_view text, size_t position) {
        Add(kind, {{u"string", OneLine(text)}, {u"pos", Number(static_cast<int64_t>(position))}},
            host::ToUtf8(catalogue_) + "(" + std::to_string(index) + "): ", position);
    }

  private:
    const FindingMessages& messages_;
    std::vector<Finding>& findings_;
    std::u16string_view catalogue_;
};

void CheckText(Reporter& report, int32_t index, std::u16string_view key, std::u16string_view text) {
    if (text.empty()) {
        report.AddForEntry("EmptyResourceString", index, key, {});
        return;
    }
    if (size_t tab = text.find(u'\t'); tab != text.npos)
        report.AddForEntry("TabInResourceString", index, key, {{u"pos", Number(static_cast<int64_t>(tab))}},
                           tab);
    // Line breaks aside, control characters have no place in a text (and U+0004 none in a PO file).
    const auto control = std::find_if(text.begin(), text.end(), [](char16_t c) {
        return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
    });
    if (control != text.end()) {
        const auto position = static_cast<size_t>(control - text.begin());
        char code[8];
        std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(*control));
        report.AddForEntry("ControlInResourceString", index, key,
                           {{u"code", Ascii(code)}, {u"pos", Number(static_cast<int64_t>(position))}},
                           position);
    }
    if (text.back() == u'\n' || text.back() == u'\r')
        report.AddForEntry("NewlineInResourceString", index, key, {});
    for (const host::TextFinding& finding : host::ParseText(text).findings) {
        switch (finding.issue) {
            case host::TextIssue::NoClosingBracket:
                report.AddForText("NoClosingBracket", index, text, finding.position);
                break;
            case host::TextIssue::NoOpeningBracket:
                report.AddForText("NoOpeningBracket", index, text, finding.position);
                break;
            case host::TextIssue::NestedOpeningBracket:
                report.AddForText("NestedOpeningBracket", index, text, finding.position);
                break;
            case host::TextIssue::InvalidPlaceholderName:
                report.AddForEntry("InvalidPlaceholderName", index, key,
                                   {{u"placeholder", finding.name},
                                    {u"pos", Number(static_cast<int64_t>(finding.position))}},
                                   finding.position);
                break;
            case host::TextIssue::MissingArgument:
            case host::TextIssue::UnusedArgument:
                break;  // only filling reports these
        }
    }
}

}  // namespace

std::string FindingMessages::Format(std::string_view kind, const host::FormatArguments& arguments) const {
    const MessageText* text = FindMessage(kind);
    if (text == nullptr) return std::string(kind);
    const bool german = language_ == ReportLanguage::German;
    std::u16string_view pattern = german ? text->german : text->english;
    if (german && res_ != nullptr && text->inModule) {
        int32_t index = host::FindEntry(res_, Ascii(kind));
        if (const char16_t* own = index >= 0 ? res_->textAt(res_, index) : nullptr; own != nullptr)
            pattern = own;
    }
    return host::ToUtf8(host::FormatText(pattern, arguments).text);
}

std::string FindingMessages::Tag(std::string_view kind, size_t position) const {
    const MessageText* text = FindMessage(kind);
    const char16_t* what = text == nullptr                       ? nullptr
                           : language_ == ReportLanguage::German ? text->germanTag
                                                                 : text->englishTag;
    if (what == nullptr || position == host::NoPosition) return "[" + std::string(kind) + "]";
    return "[" + std::string(kind) + ": " +
           host::ToUtf8(host::FormatText(what, {{u"pos", Number(static_cast<int64_t>(position))}}).text) +
           "]";
}

bool IsKeyName(std::u16string_view key) {
    auto isKeyUnit = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    };
    return !key.empty() && !(key[0] >= u'0' && key[0] <= u'9') &&
           std::all_of(key.begin(), key.end(), isKeyUnit);
}

std::vector<Finding> CheckEntry(std::u16string_view catalogue, int32_t index, const Entry& entry,
                                const FindingMessages& messages) {
    std::vector<Finding> findings;
    Reporter report(messages, findings, catalogue);
    const std::u16string_view key = entry.key != nullptr ? entry.key : u"";
    if (entry.key == nullptr)
        report.AddForEntry("MissingEntryKey", index, key, {});
    else if (!IsKeyName(entry.key))
        report.AddForEntry("InvalidResourceName", index, key, {});
    if (entry.text == nullptr)
        report.AddForEntry("MissingEntryText", index, key, {});
    else
        CheckText(report, index, key, entry.text);
    return findings;
}

std::vector<Finding> CheckCatalogue(const Catalogue& catalogue, const FindingMessages& messages) {
    std::vector<Finding> findings;
    Reporter report(messages, findings, catalogue.name);
    std::unordered_set<std::u16string_view> keys;
    for (size_t i = 0; i < catalogue.entries.size(); ++i) {
        const auto index = static_cast<int32_t>(i);
        const Entry& entry = catalogue.entries[i];
        std::vector<Finding> entryFindings = CheckEntry(catalogue.name, index, entry, messages);
        std::move(entryFindings.begin(), entryFindings.end(), std::back_inserter(findings));
        if (entry.key != nullptr && IsKeyName(entry.key) && !keys.insert(entry.key).second)
            report.AddForEntry("StringRedefinition", index, entry.key, {});
    }
    return findings;
}

std::vector<Finding> CheckChain(host::ResourceStringRecord* first, std::string_view moduleName,
                                const FindingMessages& messages) {
    std::vector<Finding> findings;
    const std::u16string file = Utf16(moduleName);
    std::set<std::u16string_view> names;
    std::unordered_set<host::ResourceStringRecord*> visited;
    for (host::ResourceStringRecord* record = first; record != nullptr && visited.insert(record).second;
         record = record->next) {
        if (record->name == nullptr) {
            Reporter(messages, findings, u"").Add("MissingName", {{u"file", file}});
            continue;
        }
        Reporter report(messages, findings, record->name);
        if (!names.insert(record->name).second) report.Add("ModuleRedefinition", {{u"file", file}});
        if (record->count < 0) {
            report.Add("NegativeCount", {{u"file", file}, {u"count", Number(record->count)}});
            continue;
        }
        for (int32_t outside : {-1, record->count}) {
            if (record->keyAt(record, outside) != nullptr || record->textAt(record, outside) != nullptr)
                report.Add(
                    "NoSentinel",
                    {{u"file", file}, {u"line", Number(outside)}, {u"last", Number(record->count - 1)}});
        }
        std::vector<Finding> entryFindings = CheckCatalogue(ReadCatalogue(record), messages);
        std::move(entryFindings.begin(), entryFindings.end(), std::back_inserter(findings));
    }
    return findings;
}

std::vector<Finding> CompareCatalogues(const std::vector<TextCatalogue>& current,
                                       const std::vector<TextCatalogue>& reference,
                                       std::string_view referenceName, const FindingMessages& messages) {
    std::vector<Finding> findings;
    const std::u16string file = Utf16(referenceName);
    auto find = [](const std::vector<TextCatalogue>& catalogues, const std::string& name) {
        auto found = std::find_if(catalogues.begin(), catalogues.end(),
                                  [&name](const TextCatalogue& catalogue) { return catalogue.name == name; });
        return found == catalogues.end() ? nullptr : &*found;
    };
    for (const TextCatalogue& old : reference)
        if (find(current, old.name) == nullptr)
            Reporter(messages, findings, Utf16(old.name)).Add("MissingCatalogue", {{u"file", file}});
    for (const TextCatalogue& now : current) {
        const std::u16string name = Utf16(now.name);
        Reporter report(messages, findings, name);
        const TextCatalogue* old = find(reference, now.name);
        if (old == nullptr) {
            report.Add("AddedCatalogue", {{u"file", file}});
            continue;
        }
        // Key to index, and to the entry.
        std::map<std::string_view, size_t> oldIndexes, newIndexes;
        std::map<std::string_view, const TextEntry*> oldEntries;
        for (size_t i = 0; i < old->entries.size(); ++i) {
            const TextEntry& entry = old->entries[i];
            oldIndexes.emplace(entry.key, entry.index.value_or(i));
            oldEntries.emplace(entry.key, &entry);
            if (entry.fuzzy) {
                Finding& note =
                    report.Add("FuzzyInReference", {{u"file", file},
                                                    {u"line", Number(static_cast<int64_t>(entry.line))},
                                                    {u"name", Utf16(entry.key)}});
                note.informational = true;
            }
        }
        for (size_t i = 0; i < now.entries.size(); ++i) newIndexes.emplace(now.entries[i].key, i);
        for (const auto& [key, index] : oldIndexes)
            if (!newIndexes.contains(key))
                report.Add("MissingKey", {{u"file", name}, {u"name", Utf16(key)}, {u"line", Number(index)}});
        for (size_t i = 0; i < now.entries.size(); ++i) {
            const TextEntry& entry = now.entries[i];
            const auto index = static_cast<int32_t>(i);
            const std::u16string key = Utf16(entry.key);
            const auto oldIndex = oldIndexes.find(entry.key);
            if (oldIndex == oldIndexes.end()) {
                report.AddForEntry("AddedKey", index, key, {});
                continue;
            }
            if (oldIndex->second != i)
                report.AddForEntry("KeyMoved", index, key, {{u"was", Number(oldIndex->second)}});
            const std::string& oldText = oldEntries[entry.key]->text;
            if (oldText.empty() || oldText == entry.text) continue;
            const std::set<std::string> was = PlaceholderNames(oldText), is = PlaceholderNames(entry.text);
            std::vector<std::string> lost, added;
            std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(lost));
            std::set_difference(is.begin(), is.end(), was.begin(), was.end(), std::back_inserter(added));
            if (lost.size() == 1 && added.size() == 1) {
                report.AddForEntry("PlaceholderRenamed", index, key,
                                   {{u"was", Utf16(lost[0])}, {u"placeholder", Utf16(added[0])}});
                continue;
            }
            for (const std::string& placeholder : lost)
                report.AddForEntry("PlaceholderLost", index, key, {{u"placeholder", Utf16(placeholder)}});
            for (const std::string& placeholder : added)
                report.AddForEntry("PlaceholderAdded", index, key, {{u"placeholder", Utf16(placeholder)}});
            if (lost.empty() && added.empty()) {
                Finding& note = report.AddForEntry("TextChanged", index, key, {});
                note.informational = true;
                note.message +=
                    "\n" + messages.Format("TextWas", {{u"text", Utf16(Escaped(oldText, DisplayEscapes))}}) +
                    "\n" +
                    messages.Format("TextNow", {{u"text", Utf16(Escaped(entry.text, DisplayEscapes))}});
            }
        }
    }
    return findings;
}

std::string CheckSummary(size_t catalogues, size_t entries, const std::vector<Finding>& findings,
                         const FindingMessages& messages) {
    auto countOf = [&findings](auto which) {
        return static_cast<size_t>(std::count_if(findings.begin(), findings.end(), which));
    };
    const size_t faults = countOf([](const Finding& finding) { return !finding.informational; });
    const size_t changed = countOf([](const Finding& finding) { return finding.kind == "TextChanged"; });
    const size_t fuzzy = countOf([](const Finding& finding) { return finding.kind == "FuzzyInReference"; });
    // "no findings", "1 finding", "2 findings": the key for one, the key for more, and the count.
    auto counted = [&messages](size_t count, std::string_view one, std::string_view more) {
        return count == 1 ? messages.Format(one, {})
                          : messages.Format(more, {{u"count", Number(static_cast<int64_t>(count))}});
    };
    std::string count =
        faults == 0 ? messages.Format("NoFindings", {}) : counted(faults, "OneFinding", "Findings");
    if (changed > 0) count += counted(changed, "OneChangedText", "ChangedTexts");
    if (fuzzy > 0) count += counted(fuzzy, "OneFuzzyEntry", "FuzzyEntries");
    return messages.Format("Summary", {{u"catalogues", Number(static_cast<int64_t>(catalogues))},
                                       {u"entries", Number(static_cast<int64_t>(entries))},
                                       {u"findings", Utf16(count)}});
}

}  // namespace kt::ktcat
