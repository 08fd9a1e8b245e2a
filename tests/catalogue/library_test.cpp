// The catalogue object: construction, the one-time indexes and the shared catalogue template.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogue_table.h"
#include "tests/catalogue/catalogue_test_support.h"
#include "tests/support/text_literals.h"

namespace kt {
namespace {

using test::Narrow;

// A catalogue whose key accessor counts its calls and can be told to fail once at an index.
struct CountingKeys {
    static inline const char16_t* keys[] = {u"beta", u"alpha", nullptr, u"beta", u"\uFFFF", u"alph"};
    static inline std::atomic<int> calls{0};
    static inline int failAt = -1;
    static const char16_t* KeyAt(ResourceStringLibrary*, int32_t index) {
        ++calls;
        if (index == failAt) {
            failAt = -1;
            throw std::bad_alloc();
        }
        return index >= 0 && index < 6 ? keys[index] : nullptr;
    }
    static const char16_t* TextAt(ResourceStringLibrary*, int32_t) noexcept { return u"text"; }
};

// The first look-up builds both indexes, once; of two equal keys the later index stays; null keys are
// skipped.
TEST(ResourceStringLibrary, FindKeyBuildsTheIndexesOnce) {
    CountingKeys::calls = 0;
    ResourceStringLibrary library(u"finding", &CountingKeys::TextAt, &CountingKeys::KeyAt, 6, nullptr,
                                  nullptr, 0);
    EXPECT_EQ(CountingKeys::calls, 0) << "construction builds no index";
    const std::pair<std::u16string_view, int32_t> cases[] = {
        {u"beta", 3},   {u"alpha", 1}, {u"alph", 5},
        {u"\uFFFF", 4}, {u"alp", -1},  {u"betaa", -1},
        {u"", -1},      {u"Beta", -1}, {std::u16string_view(u"beta\0", 5), -1}};
    for (const auto& [key, index] : cases)
        EXPECT_EQ(ResourceStringLibrary::FindKey(&library, key), index) << Narrow(key);
    EXPECT_TRUE(library.keyIndexReady.load());
    ResourceStringLibrary::BuildKeyIndex(&library);
    ResourceStringLibrary::BuildKeyIndex(nullptr);
    EXPECT_EQ(CountingKeys::calls, 6) << "built once, by the first look-up";
    EXPECT_EQ(ResourceStringLibrary::FindKey(nullptr, u"beta"), -1);

    // The map holds the accessor's own pointers, ordered by unsigned code units, shorter first.
    const KeyIndexMap& index = *library.keyIndex.map;
    EXPECT_EQ(library.keyIndex.count, 4u);
    ASSERT_EQ(index.size(), 4u);
    const int32_t order[] = {5, 1, 3, 4};
    auto it = index.begin();
    for (int32_t entry : order) {
        EXPECT_EQ(it->first, CountingKeys::keys[entry]);
        EXPECT_EQ((it++)->second, entry);
    }
}

TEST(ResourceStringLibrary, AFailedBuildLeavesTheFlagFalseAndReleasesTheLock) {
    CountingKeys::calls = 0;
    CountingKeys::failAt = 3;
    ResourceStringLibrary library(u"failing", &CountingKeys::TextAt, &CountingKeys::KeyAt, 6, nullptr,
                                  nullptr, 0);
    EXPECT_THROW(ResourceStringLibrary::BuildKeyIndex(&library), std::bad_alloc);
    EXPECT_FALSE(library.keyIndexReady.load());
    EXPECT_EQ(library.keyIndex.map->size(), 2u) << "what was inserted before the failure stays";
    bool lockedElsewhere = false;
    std::thread([&] {
        auto& mutex = ResourceStringRegistry::Instance().mutex;
        lockedElsewhere = mutex.try_lock();
        if (lockedElsewhere) mutex.unlock();
    }).join();
    EXPECT_TRUE(lockedElsewhere) << "the registry's mutex was released";

    ResourceStringLibrary::BuildKeyIndex(&library);
    EXPECT_TRUE(library.keyIndexReady.load());
    EXPECT_EQ(library.keyIndex.map->size(), 4u);
    EXPECT_EQ(library.keyIndex.map->at(u"beta"), 3);
    EXPECT_EQ(ResourceStringLibrary::FindKey(&library, CountingKeys::keys[0]), 3)
        << "the retried build fills the hash index";
}

// Two different texts with the same full hash, found among generated keys (the hash is deterministic).
std::pair<std::u16string, std::u16string> KeysWithEqualHashes() {
    auto key = [](uint32_t number) { return u"key_" + test::Ascii<char16_t>(std::to_string(number)); };
    std::vector<std::pair<uint32_t, uint32_t>> hashes;  // hash, number
    for (uint32_t number = 0; number < 200000; ++number) {
        const std::u16string text = key(number);
        hashes.emplace_back(KTTextIndex<char16_t>::Hash(text.data(), text.size()), number);
    }
    std::sort(hashes.begin(), hashes.end());
    for (size_t i = 1; i < hashes.size(); ++i)
        if (hashes[i].first == hashes[i - 1].first) return {key(hashes[i - 1].second), key(hashes[i].second)};
    return {};
}

TEST(KTTextIndex, FindsEveryTextAndNothingElse) {
    const auto [collidingA, collidingB] = KeysWithEqualHashes();
    ASSERT_FALSE(collidingA.empty()) << "no two generated keys share a hash";
    // Texts that differ in one unit (first, middle or last; shorter and longer than a word), the empty text,
    // and two with equal hashes.
    std::vector<std::u16string> texts = {u"",         u"a",        u"b",       u"ab",   u"ac",
                                         u"abc",      u"abd",      u"bbc",     u"abcd", u"abce",
                                         u"abcdefgh", u"abcdefgi", u"bbcdefgh"};
    texts.insert(texts.end(), {u"abcdefghijk", u"abcdefghijl", u"abcdXfghijk", u"no_encoding_specified",
                               u"no_encoding_specifiee", collidingA, collidingB});
    KTTextIndex<char16_t> index;
    EXPECT_EQ(index.Find(u"a"), nullptr) << "an empty index finds nothing";
    for (size_t i = 0; i < texts.size(); ++i)
        index.Set(texts[i].data(), texts[i].size(), static_cast<int32_t>(i));
    EXPECT_EQ(index.Size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const int32_t* found = index.Find(texts[i]);
        ASSERT_NE(found, nullptr) << Narrow(texts[i]);
        EXPECT_EQ(*found, static_cast<int32_t>(i)) << Narrow(texts[i]);
    }
    for (std::u16string_view missing : {u"c", u"abcde", u"abcdefg", u"abcdefghij", u"abcdefghijkl", u"A"})
        EXPECT_EQ(index.Find(missing), nullptr) << Narrow(missing);
    EXPECT_EQ(index.Find(std::u16string_view(u"\0", 1)), nullptr) << "a zero unit is not the empty text";

    // Setting an equal text (another copy) replaces the value; a null text is the empty one.
    const std::u16string copy = texts[12];
    index.Set(copy.data(), copy.size(), 100);
    index.Set(nullptr, 0, 101);
    EXPECT_EQ(index.Size(), texts.size());
    EXPECT_EQ(*index.Find(texts[12]), 100);
    EXPECT_EQ(*index.Find(u""), 101);
    EXPECT_EQ(index.Find(std::u16string_view()), index.Find(u"")) << "an empty view with a null pointer";
}

TEST(KTTextIndex, GrowsAndMovesWithoutLosingTexts) {
    std::vector<std::u16string> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back(u"entry_" + test::Ascii<char16_t>(std::to_string(i * 7919)));
    KTTextIndex<char16_t> grown;
    for (size_t i = 0; i < texts.size(); ++i)
        grown.Set(texts[i].data(), texts[i].size(), static_cast<int32_t>(i));
    KTTextIndex<char16_t> moved(std::move(grown));
    grown = std::move(moved);
    ASSERT_EQ(grown.Size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const int32_t* found = grown.Find(texts[i]);
        ASSERT_TRUE(found != nullptr && *found == static_cast<int32_t>(i)) << i;
    }
    EXPECT_EQ(grown.Find(u"entry_1"), nullptr);
}

IdPair pairs[] = {{5, 50}, {-1, 10}, {5, 55}};
const IdPair* PairAt(int32_t index) {
    return index >= 0 && index < 3 ? &pairs[index] : nullptr;
}
const char16_t* AltKeyAt(int32_t index) {
    static const char16_t* alt[] = {u"x", nullptr, u"y", u"x"};
    return index >= 0 && index < 4 ? alt[index] : nullptr;
}

TEST(ResourceStringLibrary, AltIndexesComeFromAltKeysAndIdPairs) {
    ResourceStringLibrary library(u"alt", &CountingKeys::TextAt, &CountingKeys::KeyAt, 0, &PairAt, &AltKeyAt,
                                  4);
    ResourceStringLibrary::BuildAltIndexes(&library);
    ASSERT_TRUE(library.altIndexReady.load());
    EXPECT_FALSE(library.keyIndexReady.load()) << "the key index is separate";
    EXPECT_EQ(*library.altKeyIndex.map, (KeyIndexMap{{u"x", 3}, {u"y", 2}}));
    EXPECT_EQ(library.altKeyIndex.count, 2u);
    EXPECT_EQ(*library.idMap.map, (IdValueMap{{-1, 10}, {5, 55}}));
    EXPECT_EQ(library.idMap.map->begin()->first, -1) << "identifiers order as signed numbers";
    EXPECT_EQ(library.idMap.count, 2u);

    // A second build changes nothing even though the sources did.
    pairs[0] = {9, 90};
    ResourceStringLibrary::BuildAltIndexes(&library);
    EXPECT_EQ(library.idMap.map->count(9), 0u);
    pairs[0] = {5, 50};

    // Without sources the indexes are empty but ready.
    ResourceStringLibrary plain(u"plain", &CountingKeys::TextAt, &CountingKeys::KeyAt, 0, nullptr, nullptr,
                                5);
    ResourceStringLibrary::BuildAltIndexes(&plain);
    ResourceStringLibrary::BuildAltIndexes(nullptr);
    EXPECT_TRUE(plain.altIndexReady.load());
    EXPECT_TRUE(plain.altKeyIndex.map->empty() && plain.idMap.map->empty());
}

struct EmptyCatalogueDefinition {
    static constexpr const char16_t* name = u"test-empty";
    static constexpr std::array<CatalogueEntry, 0> entries{};
};
struct SmallCatalogueDefinition {
    static constexpr const char16_t* name = u"test-small";
    static constexpr auto entries =
        std::to_array<CatalogueEntry>({{u"one", u"eins"}, {u"two", u"zwei"}, {u"three", u"drei {n}"}});
};
using EmptyCatalogue = Catalogue<EmptyCatalogueDefinition>;
using SmallCatalogue = Catalogue<SmallCatalogueDefinition>;

TEST(CatalogueTemplate, AccessorsClampEveryOtherIndexToTheSentinel) {
    ResourceStringLibrary& library = SmallCatalogue::Library();
    EXPECT_EQ(&SmallCatalogue::Library(), &library) << "one object per catalogue";
    EXPECT_EQ(library.count, 3);
    EXPECT_EQ(std::u16string(library.keyAt(&library, 0)), u"one");
    EXPECT_EQ(std::u16string(library.keyAt(&library, 2)), u"three");
    EXPECT_EQ(std::u16string(library.textAt(nullptr, 1)), u"zwei") << "the object argument is ignored";
    for (int32_t index : {-1, 3, 103, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(library.keyAt(&library, index), nullptr) << index;
        EXPECT_EQ(library.textAt(&library, index), nullptr) << index;
        EXPECT_EQ(SmallCatalogue::KeyAt(index), nullptr) << index;
    }
    EXPECT_EQ(std::u16string(SmallCatalogue::KeyAt(1)), u"two");
}

TEST(CatalogueTemplate, ACatalogueWithoutEntriesHasOnlyTheSentinel) {
    ResourceStringLibrary& library = EmptyCatalogue::Library();
    EXPECT_EQ(library.count, 0);
    for (int32_t index : {-1, 0, 1, 100})
        EXPECT_TRUE(library.keyAt(&library, index) == nullptr && library.textAt(&library, index) == nullptr &&
                    EmptyCatalogue::KeyAt(index) == nullptr);
    ResourceStringLibrary::BuildKeyIndex(&library);
    EXPECT_TRUE(library.keyIndexReady.load());
    EXPECT_TRUE(library.keyIndex.map->empty());
    EXPECT_EQ(ResourceStringRegistry::Instance().FindLibrary(u"test-empty"), &library);
    EmptyCatalogue::Anchor anchor;
    EXPECT_EQ(ResourceStringRegistry::Instance().FindLibrary(u"test-empty"), &library);
}

TEST(KeyTextLess, ComparesUnsignedUnitsAndShorterFirst) {
    const char16_t* const ascending[] = {u"", u"Z", u"a", u"ab", u"abc", u"\u00E4", u"\u7FFF", u"\uFFFF"};
    KeyTextLess less;
    for (size_t i = 0; i < std::size(ascending); ++i)
        for (size_t j = 0; j < std::size(ascending); ++j)
            EXPECT_EQ(less(ascending[i], ascending[j]), i < j) << i << " " << j;
}

}  // namespace
}  // namespace kt
