// PO strings laid out as gettext's tools write them, so that msgcat and msgmerge leave ktcat's files as they
// are.
#pragma once

#include <string>
#include <string_view>

namespace kt::ktcat {

// The page width gettext's tools wrap at by default.
inline constexpr size_t PoDefaultWidth = 79;

// `keyword` ("msgid", "msgstr" ...) and its UTF-8 string `utf8`, C-escaped, as lines of at most `width`
// columns (0: lines are not wrapped): the string is cut after every line feed, and a line that would be
// longer is cut where Unicode's line-breaking rules allow it (after spaces and hyphens, not before
// punctuation), at the last such place that fits; an escape is never cut. A string that takes more than
// one line starts with an empty one: `msgstr ""`. Each line ends with a line feed.
std::string PoString(std::string_view keyword, std::string_view utf8, size_t width);

}  // namespace kt::ktcat
