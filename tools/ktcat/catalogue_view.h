// The catalogues as ktcat works on them: name and entries read once through a record's accessors, or the
// same as UTF-8 text, as files hold them.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

namespace kt::ktcat {

// Key and text point into the module and stay valid while it is loaded; either may be null when the
// record's accessors return nothing for an index below its count.
struct Entry {
    const char16_t* key;
    const char16_t* text;
};

struct Catalogue {
    std::u16string name;
    std::vector<Entry> entries;  // in index order
};

// Entries 0 to count - 1 of `record` (none for a negative count).
Catalogue ReadCatalogue(host::ResourceStringRecord* record);

// One entry as UTF-8, with where a file gave it.
struct TextEntry {
    std::string key;
    std::string text;
    size_t line = 0;      // the entry's line in its file; 0 when it comes from the module
    bool fuzzy = false;   // a PO entry marked "fuzzy"
    bool plural = false;  // a PO entry with plural forms; `text` is msgstr[0]
    // Its index as a PO file's reference "#: CATALOGUE:INDEX" gives it; without one, its place in the file.
    std::optional<size_t> index = std::nullopt;
};

struct TextCatalogue {
    std::string name;
    std::vector<TextEntry> entries;  // in index order
};

// The module's catalogue as UTF-8; a missing key or text reads as empty.
TextCatalogue ToText(const Catalogue& catalogue);

// The names of the placeholders of a UTF-8 text, as the host's formatter finds them.
std::set<std::string> PlaceholderNames(std::string_view text);

}  // namespace kt::ktcat
