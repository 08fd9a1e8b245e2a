#include "tools/ktcat/catalogue_check.h"

#include <algorithm>
#include <set>
#include <unordered_set>

namespace kt::ktcat {

namespace {

struct MessageText {
    std::string_view key;
    bool inModule;  // whether the "res" catalogue has a text under this key
    const char16_t* english;
};

constexpr MessageText MessageTexts[] = {
    {"InvalidResourceName", true, u"{file}({line}): error: the resource name '{name}' is not valid."},
    {"StringRedefinition", true,
     u"{file}({line}): error: the resource string '{name}' of module '{module}' is already defined."},
    {"EmptyResourceString", true,
     u"{file}({line}): warning: the resource string '{name}' seems to be empty."},
    {"NewlineInResourceString", true,
     u"{file}({line}): error: newline character in resource string '{name}' - please replace it by a \\n "
     u"sequence."},
    {"NoClosingBracket", true, u"Missing closing bracket in resource string '{string}' at position {pos}"},
    {"NoOpeningBracket", true, u"Missing opening bracket in resource string '{string}' at position {pos}"},
    {"NestedOpeningBracket", true, u"Nested opening bracket in resource string '{string}' at position {pos}"},
    {"ModuleRedefinition", true, u"{file}: error: the module '{module}' is already defined."},
    {"TabInResourceString", false,
     u"{file}({line}): error: tab character in resource string '{name}' at position {pos}."},
    {"InvalidPlaceholderName", false,
     u"{file}({line}): error: '\\{{placeholder}\\}' at position {pos} in resource string '{name}' is not a "
     u"valid placeholder."},
    {"MissingEntry", false, u"{file}({line}): error: the catalogue gives no {part} for this index."},
    {"MissingName", false, u"{file}: error: a catalogue has no name."},
    {"NegativeCount", false, u"{file}: error: the entry count {count} of catalogue '{module}' is negative."},
    {"NoSentinel", false,
     u"{file}: error: catalogue '{module}' gives an entry for index {line}, outside 0 to {last}."},
};

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Number(int64_t value) {
    return Ascii(std::to_string(value));
}

// Collects the findings of one catalogue, each filled with the catalogue's name and the entry's index.
class Reporter {
  public:
    Reporter(const FindingMessages& messages, std::vector<Finding>& findings, std::u16string_view catalogue)
        : messages_(messages), findings_(findings), catalogue_(catalogue) {}

    void Add(std::string_view kind, host::FormatArguments arguments, std::string prefix = {}) {
        arguments.emplace(u"module", catalogue_);
        // Only the placeholders the message uses are filled; the formatter's report of the others is moot.
        findings_.push_back({kind, prefix + messages_.Format(kind, arguments)});
    }

    void AddForEntry(std::string_view kind, int32_t index, const char16_t* key,
                     host::FormatArguments arguments) {
        arguments.emplace(u"file", catalogue_);
        arguments.emplace(u"line", Number(index));
        arguments.emplace(u"name", key != nullptr ? std::u16string(key) : std::u16string());
        Add(kind, std::move(arguments));
    }

    // The bracket messages name neither catalogue nor entry: the report puts "CATALOGUE(INDEX): " first.
    void AddForText(std::string_view kind, int32_t index, std::u16string_view text, size_t position) {
        Add(kind, {{u"string", std::u16string(text)}, {u"pos", Number(static_cast<int64_t>(position))}},
            host::ToUtf8(catalogue_) + "(" + std::to_string(index) + "): ");
    }

  private:
    const FindingMessages& messages_;
    std::vector<Finding>& findings_;
    std::u16string_view catalogue_;
};

void CheckText(Reporter& report, int32_t index, const char16_t* key, std::u16string_view text) {
    if (text.empty()) {
        report.AddForEntry("EmptyResourceString", index, key, {});
        return;
    }
    if (size_t tab = text.find(u'\t'); tab != text.npos)
        report.AddForEntry("TabInResourceString", index, key, {{u"pos", Number(static_cast<int64_t>(tab))}});
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
                                    {u"pos", Number(static_cast<int64_t>(finding.position))}});
                break;
            case host::TextIssue::MissingArgument:
            case host::TextIssue::UnusedArgument:
                break;  // only filling reports these
        }
    }
}

}  // namespace

std::string FindingMessages::Format(std::string_view key, const host::FormatArguments& arguments) const {
    const MessageText* text =
        std::find_if(std::begin(MessageTexts), std::end(MessageTexts),
                     [key](const MessageText& candidate) { return candidate.key == key; });
    if (text == std::end(MessageTexts)) return std::string(key);
    std::u16string_view pattern = text->english;
    if (res_ != nullptr && text->inModule) {
        int32_t index = host::FindEntry(res_, Ascii(key));
        if (const char16_t* own = index >= 0 ? res_->textAt(res_, index) : nullptr; own != nullptr)
            pattern = own;
    }
    return host::ToUtf8(host::FormatText(pattern, arguments).text);
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
    if (entry.key == nullptr)
        report.AddForEntry("MissingEntry", index, nullptr, {{u"part", u"key"}});
    else if (!IsKeyName(entry.key))
        report.AddForEntry("InvalidResourceName", index, entry.key, {});
    if (entry.text == nullptr)
        report.AddForEntry("MissingEntry", index, entry.key, {{u"part", u"text"}});
    else
        CheckText(report, index, entry.key, entry.text);
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
    const std::u16string file = Ascii(moduleName);
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

}  // namespace kt::ktcat
