#include "tools/ktcat/catalogue_export.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "host/host_format.h"
#include "tools/ktcat/escape.h"
#include "tools/ktcat/po_layout.h"

namespace kt::ktcat {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

std::string EntryName(const Catalogue& catalogue, size_t index) {
    return "catalogue '" + host::ToUtf8(catalogue.name) + "' entry " + std::to_string(index);
}

// Both parts of every entry, or the reason why not.
void RequireEntries(const std::vector<Catalogue>& catalogues) {
    for (const Catalogue& catalogue : catalogues)
        for (size_t i = 0; i < catalogue.entries.size(); ++i)
            if (catalogue.entries[i].key == nullptr || catalogue.entries[i].text == nullptr)
                throw std::invalid_argument(EntryName(catalogue, i) + " has no " +
                                            (catalogue.entries[i].key == nullptr ? "key" : "text"));
}

std::string JsonString(std::string_view utf8) {
    return "\"" + Escaped(utf8, JsonEscapes) + "\"";
}

// The placeholders of a text in order of first use, for a translator's comment.
std::string PlaceholderComment(const char16_t* text) {
    std::vector<std::u16string> names;
    for (const host::TextPiece& piece : host::ParseText(text).pieces)
        if (piece.isPlaceholder && std::find(names.begin(), names.end(), piece.text) == names.end())
            names.push_back(piece.text);
    std::string comment;
    for (const std::u16string& name : names)
        comment += (comment.empty() ? "" : ", ") + ("{" + host::ToUtf8(name) + "}");
    return comment.empty() ? comment : "#. placeholders: " + comment + "\n";
}

// The messages of a PO file or template: comments, context, key, and the text or nothing.
std::string PoMessages(const std::vector<Catalogue>& catalogues, bool withTexts, size_t width) {
    std::string out;
    for (const Catalogue& catalogue : catalogues) {
        const std::string context = host::ToUtf8(catalogue.name);
        for (size_t i = 0; i < catalogue.entries.size(); ++i) {
            const Entry& entry = catalogue.entries[i];
            out += "\n" + PlaceholderComment(entry.text) + "#: " + context + ":" + std::to_string(i) + "\n" +
                   PoString("msgctxt", context, width) + PoString("msgid", host::ToUtf8(entry.key), width) +
                   PoString("msgstr", withTexts ? host::ToUtf8(entry.text) : std::string(), width);
        }
    }
    return out;
}

// The header entry: the fields msginit and xgettext write, in their order.
std::string PoHeader(const std::vector<std::pair<std::string, std::string>>& fields, size_t width) {
    std::string text;
    for (const auto& [name, value] : fields) text += name + ": " + value + "\n";
    return PoString("msgid", "", width) + PoString("msgstr", text, width);
}

// Markup escaping shared by attribute values and element content; `inAttribute` also escapes the quote
// and keeps line breaks by character references. Throws for a character XML 1.0 cannot carry: a control
// character other than tab, line feed and carriage return, U+FFFE and U+FFFF.
std::string XmlEscaped(std::string_view utf8, bool inAttribute, const std::string& where) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += inAttribute ? "&quot;" : "\"";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\t':
                out += inAttribute ? "&#9;" : "\t";
                break;
            case '\n':
                out += inAttribute ? "&#10;" : "\\n";
                break;
            case '\\':
                // Reading turns "\n" into a line break and "\\" into a backslash: a backslash is doubled
                // when what is written next starts with 'n' or a backslash (as a line break's "\n" does).
                out += !inAttribute && i + 1 < utf8.size() &&
                               (utf8[i + 1] == 'n' || utf8[i + 1] == '\\' || utf8[i + 1] == '\n')
                           ? "\\\\"
                           : "\\";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    throw std::invalid_argument(where + " holds the control character U+00" +
                                                HexDigits[c >> 4] + HexDigits[c & 15] +
                                                ", which XML cannot carry");
                // U+FFFE and U+FFFF: EF BF BE and EF BF BF.
                if (utf8.substr(i, 2) == "\xEF\xBF" && i + 2 < utf8.size() &&
                    (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF'))
                    throw std::invalid_argument(where + " holds the noncharacter U+FFF" +
                                                (utf8[i + 2] == '\xBE' ? "E" : "F") +
                                                ", which XML cannot carry");
                out += c;
        }
    }
    return out;
}

// gettext reserves U+0004 to join a message's context and key in compiled catalogues: msgfmt refuses a PO
// file holding it anywhere.
void RequirePoCharacters(const std::vector<Catalogue>& catalogues) {
    auto holdsSeparator = [](const char16_t* text) {
        return std::u16string_view(text).find(u'\x04') != std::u16string_view::npos;
    };
    for (const Catalogue& catalogue : catalogues) {
        if (holdsSeparator(catalogue.name.c_str()))
            throw std::invalid_argument("the name of catalogue '" + host::ToUtf8(catalogue.name) +
                                        "' holds U+0004, which a PO file cannot carry");
        for (size_t i = 0; i < catalogue.entries.size(); ++i)
            if (holdsSeparator(catalogue.entries[i].key) || holdsSeparator(catalogue.entries[i].text))
                throw std::invalid_argument(EntryName(catalogue, i) +
                                            " holds U+0004, which a PO file cannot carry (gettext's context "
                                            "separator)");
    }
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view word) {
    if (word == "json") return ExportFormat::Json;
    if (word == "po") return ExportFormat::Po;
    if (word == "pot") return ExportFormat::Pot;
    if (word == "xml") return ExportFormat::Xml;
    return std::nullopt;
}

std::string ExportJson(const std::vector<Catalogue>& catalogues) {
    RequireEntries(catalogues);
    std::string out = "{";
    for (size_t c = 0; c < catalogues.size(); ++c) {
        const Catalogue& catalogue = catalogues[c];
        out += (c == 0 ? "\n  " : ",\n  ") + JsonString(host::ToUtf8(catalogue.name)) + ": {";
        for (size_t i = 0; i < catalogue.entries.size(); ++i)
            out += (i == 0 ? "\n    " : ",\n    ") + JsonString(host::ToUtf8(catalogue.entries[i].key)) +
                   ": " + JsonString(host::ToUtf8(catalogue.entries[i].text));
        out += catalogue.entries.empty() ? "}" : "\n  }";
    }
    return out + (catalogues.empty() ? "}\n" : "\n}\n");
}

std::string HeaderDate(std::string_view sourceDateEpoch) {
    // The largest value whose year has four digits.
    constexpr int64_t Last = 253402300799;
    int64_t seconds = 0;
    const char* end = sourceDateEpoch.data() + sourceDateEpoch.size();
    auto [stop, error] = std::from_chars(sourceDateEpoch.data(), end, seconds);
    if (sourceDateEpoch.empty() || sourceDateEpoch[0] == '-' || sourceDateEpoch[0] == '+' || stop != end ||
        error != std::errc() || seconds > Last)
        throw std::invalid_argument("SOURCE_DATE_EPOCH '" + std::string(sourceDateEpoch) +
                                    "' is not a number of seconds from 0 to " + std::to_string(Last));
    using namespace std::chrono;
    const sys_seconds time{std::chrono::seconds(seconds)};
    const auto day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(time - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d+0000", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()));
    return text;
}

std::string ExportPo(const std::vector<Catalogue>& catalogues, const PoOptions& options) {
    RequireEntries(catalogues);
    RequirePoCharacters(catalogues);
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Project-Id-Version", "ktcatalogue " + options.version}, {"Report-Msgid-Bugs-To", ""}};
    if (options.date) {
        fields.emplace_back("POT-Creation-Date", *options.date);
        fields.emplace_back("PO-Revision-Date", *options.date);
    }
    fields.insert(fields.end(), {{"Last-Translator", "ktcatalogue"},
                                 {"Language-Team", "German"},
                                 {"Language", "de"},
                                 {"MIME-Version", "1.0"},
                                 {"Content-Type", "text/plain; charset=UTF-8"},
                                 {"Content-Transfer-Encoding", "8bit"},
                                 {"Plural-Forms", "nplurals=2; plural=(n != 1);"},
                                 {"X-Generator", "ktcat " + options.version}});
    return "# German texts of the ktcatalogue module.\n" + PoHeader(fields, options.width) +
           PoMessages(catalogues, true, options.width);
}

std::string ExportPot(const std::vector<Catalogue>& catalogues, const PoOptions& options) {
    RequireEntries(catalogues);
    RequirePoCharacters(catalogues);
    // The fields a translator's tools fill in keep the values xgettext's templates have.
    std::vector<std::pair<std::string, std::string>> fields = {
        {"Project-Id-Version", "ktcatalogue " + options.version}, {"Report-Msgid-Bugs-To", ""}};
    if (options.date) fields.emplace_back("POT-Creation-Date", *options.date);
    fields.insert(fields.end(), {{"PO-Revision-Date", "YEAR-MO-DA HO:MI+ZONE"},
                                 {"Last-Translator", "FULL NAME <EMAIL@ADDRESS>"},
                                 {"Language-Team", "LANGUAGE <LL@li.org>"},
                                 {"Language", ""},
                                 {"MIME-Version", "1.0"},
                                 {"Content-Type", "text/plain; charset=UTF-8"},
                                 {"Content-Transfer-Encoding", "8bit"},
                                 {"Plural-Forms", "nplurals=INTEGER; plural=EXPRESSION;"},
                                 {"X-Generator", "ktcat " + options.version}});
    return "# Template of the texts of the ktcatalogue module.\n#, fuzzy\n" +
           PoHeader(fields, options.width) + PoMessages(catalogues, false, options.width);
}

std::string ExportXml(const std::vector<Catalogue>& catalogues) {
    RequireEntries(catalogues);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<resources>\n";
    for (const Catalogue& catalogue : catalogues) {
        const std::string where = "catalogue '" + host::ToUtf8(catalogue.name) + "'";
        out += "  <module name=\"" + XmlEscaped(host::ToUtf8(catalogue.name), true, where) + "\">\n";
        for (size_t i = 0; i < catalogue.entries.size(); ++i) {
            const std::string entry = EntryName(catalogue, i);
            out += "    <string name=\"" + XmlEscaped(host::ToUtf8(catalogue.entries[i].key), true, entry) +
                   "\">" + XmlEscaped(host::ToUtf8(catalogue.entries[i].text), false, entry) + "</string>\n";
        }
        out += "  </module>\n";
    }
    return out + "</resources>\n";
}

}  // namespace kt::ktcat
