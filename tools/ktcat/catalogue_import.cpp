#include "tools/ktcat/catalogue_import.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "tools/ktcat/escape.h"

namespace kt::ktcat {

namespace {

constexpr size_t ColumnLimit = 110;
constexpr std::string_view EntryIndent = "        {u\"";  // an entry's first line
constexpr std::string_view TextIndent = "         u\"";   // a line holding (part of) a text
constexpr std::string_view EntriesStart = "std::to_array<CatalogueEntry>({\n";
constexpr std::string_view EntriesEnd = "    });\n";

// Columns as clang-format counts them for these texts: one per code point.
size_t Columns(std::string_view text) {
    return static_cast<size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string EntryLines(const TextEntry& entry) {
    const std::string key = Escaped(entry.key, SourceEscapes);
    const std::vector<std::string> characters = EscapedCharacters(entry.text, SourceEscapes);
    std::string text;
    for (const std::string& character : characters) text += character;
    const std::string oneLine = std::string(EntryIndent) + key + "\", u\"" + text + "\"},";
    if (Columns(oneLine) <= ColumnLimit) return oneLine + "\n";

    std::string lines = std::string(EntryIndent) + key + "\",\n";
    size_t remaining = Columns(text);
    for (size_t start = 0;;) {
        if (TextIndent.size() + remaining + 3 <= ColumnLimit) {  // the closing "}, fits
            std::string rest;
            for (size_t i = start; i < characters.size(); ++i) rest += characters[i];
            return lines + std::string(TextIndent) + rest + "\"},\n";
        }
        size_t width = TextIndent.size() + 1, end = start, afterSpace = 0;
        for (; end < characters.size() && width + Columns(characters[end]) <= ColumnLimit; ++end) {
            width += Columns(characters[end]);
            if (characters[end] == " ") afterSpace = end + 1;
        }
        if (afterSpace > start) end = afterSpace;
        end = std::max(end, start + 1);
        std::string piece;
        for (size_t i = start; i < end; ++i) piece += characters[i];
        lines += std::string(TextIndent) + piece + "\"\n";
        remaining -= Columns(piece);
        start = end;
    }
}

std::string PlaceholderList(const std::set<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "{" : ", {") + name + "}";
    return list.empty() ? "none" : list;
}

}  // namespace

std::string CatalogueEntryLines(const std::vector<TextEntry>& entries) {
    std::string lines;
    for (const TextEntry& entry : entries) lines += EntryLines(entry);
    return lines;
}

std::string RewriteCatalogueSource(std::string_view source, std::string_view name,
                                   const std::vector<TextEntry>& entries) {
    const std::string nameLine = "name = u\"" + Escaped(name, SourceEscapes) + "\";\n";
    const size_t start = source.find(EntriesStart);
    const size_t end = start == std::string_view::npos ? start : source.find(EntriesEnd, start);
    if (source.find(nameLine) == std::string_view::npos || end == std::string_view::npos)
        throw std::invalid_argument("it is not the source of catalogue '" + std::string(name) + "'");
    const size_t first = start + EntriesStart.size();
    // The keys of the entries as they stand, one per entry's first line.
    std::vector<std::string> keys;
    for (size_t line = first; line < end; line = source.find('\n', line) + 1) {
        if (source.substr(line, EntryIndent.size()) != EntryIndent) continue;
        const size_t keyStart = line + EntryIndent.size();
        keys.emplace_back(source.substr(keyStart, source.find('"', keyStart) - keyStart));
    }
    std::vector<std::string> expected;
    for (const TextEntry& entry : entries) expected.push_back(Escaped(entry.key, SourceEscapes));
    if (keys != expected)
        throw std::invalid_argument("its keys are not those of catalogue '" + std::string(name) +
                                    "' in the module, in the module's order (rebuild the module?)");
    return std::string(source.substr(0, first)) + CatalogueEntryLines(entries) +
           std::string(source.substr(end));
}

std::vector<std::string> ImportProblems(const TextCatalogue& translated, const TextCatalogue& current,
                                        std::string_view fileName, const FindingMessages& messages) {
    std::vector<std::string> problems;
    const std::string file(fileName);
    std::map<std::string_view, const TextEntry*> currentEntries;
    for (const TextEntry& entry : current.entries) currentEntries.emplace(entry.key, &entry);
    std::set<std::string_view> given;
    for (const TextEntry& entry : translated.entries) {
        const std::string where = file + ":" + std::to_string(entry.line) + ": '" + entry.key +
                                  "' of catalogue '" + translated.name + "' ";
        given.insert(entry.key);
        const auto known = currentEntries.find(entry.key);
        std::u16string catalogue, key, text;
        if (known == currentEntries.end()) {
            problems.push_back(where + "is not a key of the catalogue");
        } else if (entry.plural) {
            problems.push_back(where + "has plural forms, which catalogue texts do not have");
        } else if (entry.fuzzy) {
            problems.push_back(where + "is marked fuzzy: review it and remove the flag");
        } else if (entry.text.empty()) {
            problems.push_back(where + "is not translated (its msgstr is empty)");
        } else if (entry.text.find('\0') != std::string::npos) {
            problems.push_back(where + "holds a NUL character (\\000), which ends a catalogue text");
        } else if (!host::FromUtf8(translated.name, catalogue) || !host::FromUtf8(entry.key, key) ||
                   !host::FromUtf8(entry.text, text)) {
            problems.push_back(where + "is not UTF-8");  // the file readers let no such text through
        } else {
            // The conventions first, so that a brace left open is named as such.
            const auto index = static_cast<int32_t>(known->second - current.entries.data());
            const std::vector<Finding> findings =
                CheckEntry(catalogue, index, {key.c_str(), text.c_str()}, messages);
            for (const Finding& finding : findings)
                problems.push_back(where + "breaks a convention: " + finding.message);
            const auto was = PlaceholderNames(known->second->text), is = PlaceholderNames(entry.text);
            if (findings.empty() && was != is)
                problems.push_back(where + "has the placeholders " + PlaceholderList(is) +
                                   "; the current text has " + PlaceholderList(was));
        }
    }
    // A missing key is named at the line of the catalogue's first entry.
    const std::string first =
        translated.entries.empty() ? std::string() : ":" + std::to_string(translated.entries.front().line);
    for (const TextEntry& entry : current.entries)
        if (!given.contains(entry.key))
            problems.push_back(file + first + ": catalogue '" + translated.name + "' lacks the key '" +
                               entry.key + "' (a catalogue is imported whole)");
    return problems;
}

std::string CatalogueSourceName(std::string_view name) {
    std::string file(name);
    std::transform(file.begin(), file.end(), file.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return file + ".cpp";
}

}  // namespace kt::ktcat
