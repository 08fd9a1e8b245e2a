// The escapes ktcat writes texts with: one character at a time, in the style of the format at hand.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kt::ktcat {

// Every style writes a backslash as "\\", a line feed as "\n", a carriage return as "\r" and a tab as
// "\t"; other control characters (U+0000 to U+001F and U+007F) as "\u00hh" (JSON) or, as gettext writes
// them, "\a", "\b", "\f", "\v" and otherwise three octal digits "\ooo" (C, C++ and PO). Other characters
// stay as they are, except in C++ sources.
struct EscapeStyle {
    bool quotes;       // whether '"' becomes "\""
    bool jsonControl;  // "\u00hh" instead of "\ooo"
    // C++ source: a '?' after a '?' is written "\?", so that no trigraph ("??/", "??=" ...) can form, and
    // the bidirectional controls (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) as "\uhhhh",
    // which compilers warn about raw and a reader of the source does not see.
    bool source = false;
};

inline constexpr EscapeStyle DisplayEscapes{false, false};      // `ktcat show`: one entry per line
inline constexpr EscapeStyle CEscapes{true, false};             // PO strings
inline constexpr EscapeStyle SourceEscapes{true, false, true};  // C++ string literals
inline constexpr EscapeStyle JsonEscapes{true, true};

// The escaped form of each character of UTF-8 `text` in turn (a code point, or a single byte that starts
// none), so that a caller may break a line between characters without splitting an escape.
std::vector<std::string> EscapedCharacters(std::string_view text, EscapeStyle style);

std::string Escaped(std::string_view text, EscapeStyle style);

}  // namespace kt::ktcat
