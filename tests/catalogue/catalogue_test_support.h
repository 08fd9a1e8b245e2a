// Helpers shared by the catalogue tests. The keys and texts themselves are compared with the committed
// export tests/catalogue/reference/catalogues.json by the ktcat_check_against_reference test.
#pragma once

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "catalogues/catalogues.h"

namespace kt::test {

inline std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The chain as start-up leaves it (the module's records or the host's view of them): the catalogues of
// the start-up list newest first, none with a key index built yet. (Their entries and sentinels are
// checked by the ktcat_check test.)
template <class Record>
void ExpectStartedChain(Record* first) {
    std::vector<std::u16string> names;
    for (Record* record = first; record != nullptr && names.size() <= std::size(CatalogueNames);
         record = record->next) {
        names.emplace_back(record->name);
        SCOPED_TRACE(Narrow(names.back()));
        EXPECT_EQ(record->version, 2u);
        EXPECT_FALSE(record->keyIndexReady.load()) << "no index is built during start-up";
        EXPECT_FALSE(record->altIndexReady.load());
    }
    EXPECT_EQ(names, std::vector<std::u16string>(std::rbegin(CatalogueNames), std::rend(CatalogueNames)));
}

}  // namespace kt::test
