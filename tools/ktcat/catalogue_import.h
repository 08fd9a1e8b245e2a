// `ktcat import`: the catalogue sources (catalogues/NAME.cpp) written anew from translated texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/ktcat/catalogue_check.h"
#include "tools/ktcat/catalogue_view.h"

namespace kt::ktcat {

// The entry lines of a catalogue source, as the project keeps them (and as clang-format leaves them under
// the project's .clang-format, column limit 110, one column per code point): `{u"KEY", u"TEXT"},` on one
// line where it fits; else the text on the next line, indented by 9; else the text cut into literals that
// fill their lines, each cut after the last space that fits (or, without one, after the last character).
// Texts are written with C escapes.
std::string CatalogueEntryLines(const std::vector<TextEntry>& entries);

// `source` (a catalogue source) with its entry lines replaced by those of `entries`. Throws
// std::invalid_argument when `source` is not the source of catalogue `name`, or does not hold the keys of
// `entries` in their order.
std::string RewriteCatalogueSource(std::string_view source, std::string_view name,
                                   const std::vector<TextEntry>& entries);

// Why the entries of `translated` (read from a PO file named `fileName`) cannot replace the texts of the
// module's catalogue `current`: a key the catalogue does not have or a key it has that is missing (named at
// the line of the catalogue's first entry), plural forms, an entry marked fuzzy or not translated, a NUL,
// the findings of `ktcat check` on the new text, and placeholders other than the current text's. One line
// per problem, "FILE:LINE: why"; none when all can be taken.
std::vector<std::string> ImportProblems(const TextCatalogue& translated, const TextCatalogue& current,
                                        std::string_view fileName, const FindingMessages& messages);

// The file name of a catalogue's source: its name in lower case with ".cpp" ("Scintilla": "scintilla.cpp").
std::string CatalogueSourceName(std::string_view name);

}  // namespace kt::ktcat
