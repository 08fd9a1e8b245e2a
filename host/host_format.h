// Filling the placeholders of a catalogue text on the host side.
//
// A text names its variable parts "{name}", the name made of ASCII letters, digits, '_' and '.'
// (case-sensitive); a name may occur several times and every occurrence is filled. A backslash before a
// brace makes the brace a character of the text ("\{" stands for "{", "\}" for "}"); a backslash before
// anything else is an ordinary character and stays. Positions are UTF-16 code units from 0.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kt::host {

enum class TextIssue {
    NoClosingBracket,        // a '{' that is never closed; at the '{'
    NoOpeningBracket,        // a '}' with no '{' before it; at the '}'
    NestedOpeningBracket,    // a '{' inside an open placeholder; at the inner '{'
    InvalidPlaceholderName,  // "{...}" whose contents are empty or not a name; at the '{'
    MissingArgument,         // a placeholder without an argument, reported once per name; at its first '{'
    UnusedArgument,          // an argument no placeholder names; at NoPosition
};

inline constexpr size_t NoPosition = static_cast<size_t>(-1);

struct TextFinding {
    TextIssue issue;
    size_t position;
    // The placeholder's or argument's name; for an invalid name, the contents between the braces; empty
    // for the bracket findings.
    std::u16string name;

    bool operator==(const TextFinding&) const = default;
};

// A text cut into literal runs (escapes resolved) and placeholders, in text order. Brace groups that do
// not form a placeholder stay literal, as written, and are reported in `findings`.
struct TextPiece {
    bool isPlaceholder;
    std::u16string text;  // the literal characters, or the placeholder's name
    size_t position;      // where the piece starts in the text

    bool operator==(const TextPiece&) const = default;
};

struct ParsedText {
    std::vector<TextPiece> pieces;
    std::vector<TextFinding> findings;  // in text order
};

[[nodiscard]] ParsedText ParseText(std::u16string_view text);

// Whether `name` is a well-formed placeholder name: non-empty ASCII letters, digits, '_' and '.'.
[[nodiscard]] bool IsPlaceholderName(std::u16string_view name);

using FormatArguments = std::map<std::u16string, std::u16string, std::less<>>;

struct FormattedText {
    // The text with every placeholder that has an argument replaced by the argument's value (inserted as
    // it is, not scanned again); a placeholder without one stays visible as "{name}".
    std::u16string text;
    // The text's own findings in text order, then missing arguments in order of first use, then unused
    // arguments in name order.
    std::vector<TextFinding> findings;
};

[[nodiscard]] FormattedText FormatText(std::u16string_view text, const FormatArguments& arguments);

}  // namespace kt::host
