#include "tools/ktcat/escape.h"

#include <algorithm>
#include <cstdint>

namespace kt::ktcat {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

// The length of the UTF-8 sequence that starts with `lead`; 1 for a byte that starts none. A sequence is
// not validated further: the texts come from the module or a file that was checked as UTF-8.
size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
}

// The bidirectional controls, as UTF-8.
bool IsBidiControl(std::string_view character) {
    if (character == "\xD8\x9C") return true;  // U+061C
    if (character.size() != 3 || character[0] != '\xE2') return false;
    const auto second = static_cast<unsigned char>(character[1]),
               third = static_cast<unsigned char>(character[2]);
    return (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) ||
           (second == 0x81 && third >= 0xA6 && third <= 0xA9);
}

void AppendEscaped(std::string& out, std::string_view character, bool afterQuestionMark, EscapeStyle style) {
    const auto c = static_cast<unsigned char>(character[0]);
    if (style.source && IsBidiControl(character)) {
        const uint32_t codePoint = character.size() == 2
                                       ? 0x061Cu
                                       : 0x2000u | ((static_cast<unsigned char>(character[1]) & 0x3Fu) << 6) |
                                             (static_cast<unsigned char>(character[2]) & 0x3Fu);
        out += "\\u";
        for (int shift : {12, 8, 4, 0}) out += HexDigits[(codePoint >> shift) & 15];
    } else if (style.source && afterQuestionMark && c == '?') {
        out += "\\?";
    } else if (character.size() > 1 || (c >= 0x20 && c != 0x7F && c != '\\' && (c != '"' || !style.quotes))) {
        out += character;
    } else if (c == '\\' || c == '"') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == '\n' || c == '\r' || c == '\t') {
        out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
    } else if (!style.jsonControl && (c == '\a' || c == '\b' || c == '\f' || c == '\v')) {
        out += c == '\a' ? "\\a" : c == '\b' ? "\\b" : c == '\f' ? "\\f" : "\\v";
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
        AppendEscaped(one, text.substr(i, length), i > 0 && text[i - 1] == '?', style);
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
