// Several threads using the framework at once: first construction, index building and the language
// settings. Meant to run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <array>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogue_table.h"

namespace kt {
namespace {

struct RaceCatalogueDefinition {
    static constexpr const char16_t* name = u"test-race";
    static constexpr auto entries = std::to_array<CatalogueEntry>(
        {{u"k0", u"t0"}, {u"k1", u"t1"}, {u"k2", u"t2"}, {u"k3", u"t3"}, {u"k4", u"t4"}, {u"k5", u"t5"}});
};
using RaceCatalogue = Catalogue<RaceCatalogueDefinition>;

const std::array<std::u16string, 6> LowerCodes = {u"en", u"de", u"ja", u"zh-chs", u"es", u"fr"};
const std::array<const char16_t*, 6> MixedCodes = {u"EN", u"De", u"ja", u"zh-CHS", u"eS", u"FR"};

TEST(Concurrency, LibraryIndexesAndLanguagesFromManyThreads) {
    constexpr int Threads = 6;
    constexpr int Rounds = 200;
    std::barrier start(Threads);
    std::vector<ResourceStringLibrary*> libraries(Threads);
    std::vector<int> failures(Threads, 0);
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();

    auto work = [&](int thread) {
        start.arrive_and_wait();
        ResourceStringLibrary* library = &RaceCatalogue::Library();
        libraries[static_cast<size_t>(thread)] = library;
        // Half the threads look keys up first, which builds the index as a side effect.
        if (thread % 2 == 0) ResourceStringLibrary::BuildKeyIndex(library);
        for (int32_t index = 0; index < library->count; ++index)
            if (ResourceStringLibrary::FindKey(library, library->keyAt(library, index)) != index)
                ++failures[static_cast<size_t>(thread)];
        // Once the build returned, the map may be read without a lock.
        for (int32_t index = 0; index < library->count; ++index) {
            auto found = library->keyIndex.map->find(library->keyAt(library, index));
            if (found == library->keyIndex.map->end() || found->second != index)
                ++failures[static_cast<size_t>(thread)];
        }
        const auto id = static_cast<uint32_t>(thread);
        std::u16string own = u"lang-" + std::u16string(1, static_cast<char16_t>(u'A' + thread));
        KTString<char16_t> result;
        for (int round = 0; round < Rounds; ++round) {
            registry.SetLanguage(MixedCodes[static_cast<size_t>((thread + round) % 6)]);
            registry.GetLanguage(result, true);
            bool known = false;
            for (const auto& code : LowerCodes) known = known || result.ToView() == code;
            if (!known) ++failures[static_cast<size_t>(thread)];
            int32_t index = registry.languageIndex.load();
            if (index < 0 || index > 5) ++failures[static_cast<size_t>(thread)];

            registry.SetLanguageFor(own.c_str(), id);
            registry.GetLanguageFor(result, false, id);
            if (result.ToView() != own) ++failures[static_cast<size_t>(thread)];
            if (round % 2 == 1) registry.SetLanguageFor(nullptr, id);
        }
    };
    std::vector<std::thread> threads;
    for (int thread = 0; thread < Threads; ++thread) threads.emplace_back(work, thread);
    for (auto& thread : threads) thread.join();

    for (int thread = 0; thread < Threads; ++thread) {
        EXPECT_EQ(libraries[static_cast<size_t>(thread)], libraries[0]) << "one object for all threads";
        EXPECT_EQ(failures[static_cast<size_t>(thread)], 0) << "thread " << thread;
    }
    EXPECT_EQ(libraries[0]->keyIndex.map->size(), 6u);
    EXPECT_EQ(registry.FindLibrary(u"test-race"), libraries[0]);
    for (int thread = 0; thread < Threads; ++thread)
        registry.SetLanguageFor(nullptr, static_cast<uint32_t>(thread));
}

}  // namespace
}  // namespace kt
