#include "tools/ktcat/escape.h"

#include <algorithm>

namespace kt::ktcat {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

// The length of the UTF-8 sequence that starts with `lead`; 1 for a byte that starts none. A sequence is
// not validated further: the texts come from the module or a file that was checked as UTF-8.
size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
}

void AppendEscaped(std::string& out, std::string_view character, EscapeStyle style) {
    const auto c = static_cast<unsigned char>(character[0]);
    if (character.size() > 1 || (c >= 0x20 && c != 0x7F && c != '\\' && (c != '"' || !style.quotes))) {
        out += character;
    } else if (c == '\\' || c == '"') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == '\n' || c == '\r' || c == '\t') {
        out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
    } else if (style.jsonControl) {
        out += "\\u00";
        out += HexDigits[c >> 4];
        out += HexDigits[c & 15];
    } else {
        // Always three digits, so that a digit after the escape is never read as part of it.
        out += '\\';
        for (int shift : {6, 3, 0}) out += static_cast<char>('0' + ((c >> shift) & 7));
    }
}

template <class Sink>
void EachEscaped(std::string_view text, EscapeStyle style, Sink sink) {
    std::string one;
    for (size_t i = 0; i < text.size();) {
        const size_t length = std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
        one.clear();
        AppendEscaped(one, text.substr(i, length), style);
        sink(one);
        i += length;
    }
}

}  // namespace

std::vector<std::string> EscapedCharacters(std::string_view text, EscapeStyle style) {
    std::vector<std::string> characters;
    EachEscaped(text, style, [&characters](const std::string& one) { characters.push_back(one); });
    return characters;
}

std::string Escaped(std::string_view text, EscapeStyle style) {
    std::string out;
    EachEscaped(text, style, [&out](const std::string& one) { out += one; });
    return out;
}

}  // namespace kt::ktcat
