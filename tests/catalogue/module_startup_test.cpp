// The module's start-up run in this process: again, and with a damaged empty value.
#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogues.h"
#include "module/module_startup.h"
#include "text/unicode/unicode_blocks.h"

namespace kt {
namespace {

// In this program earlier tests may already have built catalogues in an order of their own, so only the
// module test (which loads the real module) checks the registration order; here the chain must survive
// a second start-up link by link.
TEST(ModuleStartup, RunsAgainWithoutChangingTheChain) {
    RunModuleStartup();
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    std::vector<std::pair<ResourceStringLibrary*, ResourceStringLibrary*>> links;
    for (ResourceStringLibrary* library = registry.First(); library != nullptr; library = library->next)
        links.emplace_back(library, library->next);
    ASSERT_GE(links.size(), std::size(CatalogueNames));
    ResourceStringLibrary* xsdt = &XsdtCatalogue::Library();
    RunModuleStartup();
    EXPECT_EQ(&XsdtCatalogue::Library(), xsdt) << "Library gives the object it built the first time";
    EXPECT_EQ(registry.First(), links.front().first);
    for (const auto& [library, next] : links) EXPECT_EQ(library->next, next);
    EXPECT_EQ(UnicodeBlockTable().size(), static_cast<size_t>(UnicodeBlockCount));
}

// Stand-ins for the string type's empty blocks, so the real ones stay untouched.
TEST(ModuleStartup, AnEmptyValueThatIsNotZeroFailsTheStartUp) {
    char bad8[TNullData<char>::BlockUnits] = {};
    char16_t bad16[TNullData<char16_t>::BlockUnits] = {};
    bad8[TNullData<char>::BlockUnits - 1] = 'x';  // the terminator
    bad16[1] = 0x8000;                            // a header word
    const char* expected = "KTString::TNullData has not been zero initialized!";
    bool tableWasEmpty = UnicodeBlockTable().empty();
    for (int width : {8, 16}) {
        SCOPED_TRACE(width);
        try {
            if (width == 8)
                RunModuleStartup(bad8, TNullData<char16_t>::Block());
            else
                RunModuleStartup(TNullData<char>::Block(), bad16);
            ADD_FAILURE() << "start-up did not fail";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), expected);
        }
        // The catalogues come before the checks; the block table after them.
        for (const char16_t* name : CatalogueNames)
            EXPECT_NE(ResourceStringRegistry::Instance().FindLibrary(name), nullptr);
        if (tableWasEmpty) {
            EXPECT_TRUE(UnicodeBlockTable().empty());
        }
    }
}

}  // namespace
}  // namespace kt
