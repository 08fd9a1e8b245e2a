#include "tools/ktcat/catalogue_export.h"

#include <stdexcept>

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
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out += HexDigits[c >> 4];
                    out += HexDigits[c & 15];
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

// One PO string: C escapes, and after every line break a new quoted line, as gettext writes them.
std::string PoString(std::string_view keyword, std::string_view utf8) {
    std::string out(keyword);
    const bool multiLine = utf8.find('\n') != std::string_view::npos && utf8.find('\n') + 1 < utf8.size();
    out += multiLine ? " \"\"\n\"" : " \"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                if (multiLine && i + 1 < utf8.size()) out += "\"\n\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += '\\';
                    out += static_cast<char>('0' + (c >> 6));
                    out += static_cast<char>('0' + ((c >> 3) & 7));
                    out += static_cast<char>('0' + (c & 7));
                } else {
                    out += c;
                }
        }
    }
    return out + "\"\n";
}

// Markup escaping shared by attribute values and element content; `inAttribute` also escapes the quote
// and keeps line breaks by character references.
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
                // Reading turns "\n" into a line break and "\\" into a backslash.
                out += !inAttribute && i + 1 < utf8.size() && (utf8[i + 1] == 'n' || utf8[i + 1] == '\\')
                           ? "\\\\"
                           : "\\";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    throw std::invalid_argument(where + " holds the control character U+00" +
                                                HexDigits[c >> 4] + HexDigits[c & 15] +
                                                ", which XML cannot carry");
                out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view word) {
    if (word == "json") return ExportFormat::Json;
    if (word == "po") return ExportFormat::Po;
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

std::string ExportPo(const std::vector<Catalogue>& catalogues, std::string_view revisionDate) {
    RequireEntries(catalogues);
    std::string out =
        "# German texts of the ktcatalogue module.\n"
        "msgid \"\"\n"
        "msgstr \"\"\n"
        "\"Project-Id-Version: ktcatalogue 1.0\\n\"\n"
        "\"PO-Revision-Date: " +
        std::string(revisionDate) +
        "\\n\"\n"
        "\"Last-Translator: ktcatalogue\\n\"\n"
        "\"Language-Team: German\\n\"\n"
        "\"Language: de\\n\"\n"
        "\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    for (const Catalogue& catalogue : catalogues) {
        const std::string context = host::ToUtf8(catalogue.name);
        for (const Entry& entry : catalogue.entries)
            out += "\n" + PoString("msgctxt", context) + PoString("msgid", host::ToUtf8(entry.key)) +
                   PoString("msgstr", host::ToUtf8(entry.text));
    }
    return out;
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
