// The catalogues as ktcat works on them: name and entries read once through a record's accessors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/host.h"

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

}  // namespace kt::ktcat
