// The built module, loaded and unloaded as a host does it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "catalogue/host.h"
#include "catalogue/resource_string_registry.h"
#include "platform/platform.h"
#include "tests/catalogue/catalogue_test_support.h"
#include "text/regex/generated/unicode_constants.h"

namespace kt {
namespace {

// Whether any mapping of this process comes from a file whose path ends in `fileName`. Windows has no
// /proc; there the loader's own answer (IsModuleLoaded) is the whole check.
bool Mapped(const std::string& fileName) {
#ifdef _WIN32
    return platform::IsModuleLoaded(fileName.c_str());
#else
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.ends_with("/" + fileName)) return true;
    return false;
#endif
}

TEST(CatalogueModule, LoadsWalksUnloadsAndLoadsAgain) {
    const std::string path = KT_CATALOGUE_MODULE;
    ASSERT_FALSE(platform::IsModuleLoaded(path.c_str()));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        host::CatalogueModule module;
        ASSERT_TRUE(module.Load(path)) << module.Error();
        EXPECT_TRUE(platform::IsModuleLoaded(path.c_str()));
        EXPECT_TRUE(Mapped(host::ModuleFileName));
        host::ResourceStringRecord* first = module.First();
        test::ExpectChain(first);
        host::ResourceStringRecord* scintilla = host::FindRecord(first, u"Scintilla");
        ASSERT_NE(scintilla, nullptr);
        EXPECT_EQ(scintilla->count, 32);
        EXPECT_EQ(host::FindRecord(first, u"scintilla"), nullptr) << "names compare exactly";
        EXPECT_EQ(host::FindRecord(first, nullptr), nullptr);

        ASSERT_TRUE(module.Unload()) << module.Error();
        EXPECT_FALSE(platform::IsModuleLoaded(path.c_str())) << "the module stayed loaded after dlclose";
        EXPECT_FALSE(Mapped(host::ModuleFileName)) << "the module's pages are still mapped";
    }
}

TEST(CatalogueModule, LoadReportsAMissingModule) {
    host::CatalogueModule module;
    EXPECT_FALSE(module.Load(std::string(KT_CATALOGUE_MODULE) + ".missing"));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_FALSE(module.Error().empty());
    EXPECT_EQ(module.First(), nullptr);
}

// The probe module is the catalogue module plus two exports that let the test watch its unload.
using RegistryProbe = ResourceStringRegistry* (*)();
using BlockTableProbe = size_t (*)();

struct UnloadObservation {
    bool registryReleasing = false;
    ResourceStringLibrary* head = reinterpret_cast<ResourceStringLibrary*>(1);
    size_t blockTableSize = 1;
};

TEST(CatalogueModule, UnloadRunsTheExitListNewestFirstAndTheRegistryLast) {
    std::string error;
    void* probe = platform::LoadModule(KT_CATALOGUE_PROBE_MODULE, &error);
    ASSERT_NE(probe, nullptr) << error;
    auto registryOf = reinterpret_cast<RegistryProbe>(platform::ModuleSymbol(probe, "ProbeRegistry"));
    auto blockTableSize =
        reinterpret_cast<BlockTableProbe>(platform::ModuleSymbol(probe, "ProbeBlockTableSize"));
    ASSERT_TRUE(registryOf && blockTableSize);
    ResourceStringRegistry* registry = registryOf();
    EXPECT_EQ(blockTableSize(), UnicodeBlockCount);
    test::ExpectChain(registry->First());

    // A slot the registry releases while it is being destroyed, the last entry of the exit list.
    static UnloadObservation seen;
    seen = {};
    registry->sharedSlots[0] = std::shared_ptr<void>(nullptr, [registry, blockTableSize](void*) {
        seen.registryReleasing = true;
        seen.head = registry->head;
        seen.blockTableSize = blockTableSize();
    });
    ASSERT_TRUE(platform::UnloadModule(probe, &error)) << error;
    EXPECT_TRUE(seen.registryReleasing) << "the exit list did not run at unload";
    EXPECT_EQ(seen.head, nullptr) << "every catalogue unlinks itself before the registry goes";
    EXPECT_EQ(seen.blockTableSize, 0u) << "the block table is released before the registry";
    EXPECT_FALSE(platform::IsModuleLoaded(KT_CATALOGUE_PROBE_MODULE));
}

}  // namespace
}  // namespace kt
