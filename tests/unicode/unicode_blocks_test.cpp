#include "text/unicode/unicode_blocks.h"

#include "tests/support/allocation_probe.h"
#include "tests/unicode/range_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace kt::test {
namespace {

class UnicodeBlockTableTest : public ::testing::Test {
  protected:
    void SetUp() override { BuildUnicodeBlockTable(); }
    void TearDown() override { ReleaseUnicodeBlockTable(); }

    static Ranges BlockRanges(std::string_view name) {
        const UnicodeBlock* block = FindUnicodeBlock(name);
        return block ? RangesOf(block->ranges) : Ranges{};
    }
};

TEST_F(UnicodeBlockTableTest, HoldsTheEntriesInByteOrderOfTheirNames) {
    // Plain byte order (capitals before small letters, a hyphen before letters), which the look-up's
    // binary search relies on.
    const auto table = UnicodeBlockTable();
    for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].name, table[i].name) << i;
}

TEST_F(UnicodeBlockTableTest, FindsNamesExactly) {
    for (const UnicodeBlock& block : UnicodeBlockTable()) {
        ASSERT_EQ(FindUnicodeBlock(block.name), &block) << block.name;
        // A copy of the name, not the stored pointer, must find it too.
        ASSERT_EQ(FindUnicodeBlock(std::string(block.name)), &block) << block.name;
    }
    EXPECT_EQ(BlockRanges("BasicLatin"), (Ranges{{0x0000, 0x007F}}));
    for (std::string_view unknown :
         {"", "basiclatin", "BASICLATIN", "Basic Latin", "BasicLatin ", "BasicLati", "GreekAndCoptic", "Zzz",
          "A", "ArabicExtended-A", "IsBasicLatin"}) {
        EXPECT_EQ(FindUnicodeBlock(unknown), nullptr) << unknown;
    }
}

// Old names are entries with the same set; entries of several ranges merge into the Unicode 6.0 range.
TEST_F(UnicodeBlockTableTest, EntryRanges) {
    const std::pair<std::string_view, Ranges> rows[] = {
        {"Greek", {{0x0370, 0x03FF}}},
        {"GreekandCoptic", {{0x0370, 0x03FF}}},
        {"CyrillicSupplement", {{0x0500, 0x052F}}},
        {"CyrillicSupplementary", {{0x0500, 0x052F}}},
        {"CombiningDiacriticalMarksforSymbols", {{0x20D0, 0x20FF}}},
        {"CombiningMarksforSymbols", {{0x20D0, 0x20FF}}},
        {"Specials", {{0xFEFF, 0xFEFF}, {0xFFF0, 0xFFFF}}},
        {"ArabicPresentationForms-B", {{0xFE70, 0xFEFF}}},
        {"CJKUnifiedIdeographsExtensionA", {{0x3400, 0x4DBF}}},
        {"CJKUnifiedIdeographsExtensionB", {{0x20000, 0x2A6DF}}},
        {"HangulSyllables", {{0xAC00, 0xD7AF}}},
        {"Tibetan", {{0x0F00, 0x0FFF}}},
        {"PrivateUse", {{0xE000, 0xF8FF}, {0xF0000, 0xFFFFD}, {0x100000, 0x10FFFD}}},
        {"PrivateUseArea", {{0xE000, 0xF8FF}}},
        {"SupplementaryPrivateUseArea-A", {{0xF0000, 0xFFFFF}}},
        {"SupplementaryPrivateUseArea-B", {{0x100000, 0x10FFFF}}},
        {"HighSurrogates", {{0xD800, 0xDB7F}}},
        {"HighPrivateUseSurrogates", {{0xDB80, 0xDBFF}}},
        {"LowSurrogates", {{0xDC00, 0xDFFF}}},
    };
    for (const auto& [name, ranges] : rows) EXPECT_EQ(BlockRanges(name), ranges) << name;
}

TEST_F(UnicodeBlockTableTest, UnicodeBlocksDoNotOverlap) {
    // Apart from the old names and the XML Schema private-use union, every entry is one Unicode 6.0 block
    // with one range, and no two of them share a code point. Specials also keeps U+FEFF, where older
    // Unicode versions placed it; in Unicode 6.0 it belongs to ArabicPresentationForms-B.
    const std::set<std::string_view> overlapping = {"Greek", "CyrillicSupplementary",
                                                    "CombiningMarksforSymbols", "PrivateUse"};
    Ranges all;
    for (const UnicodeBlock& block : UnicodeBlockTable()) {
        EXPECT_TRUE(HasSetForm(block.ranges)) << block.name;
        if (overlapping.count(block.name) != 0) continue;
        auto ranges = block.ranges.Ranges();
        if (block.name == "Specials") {
            ASSERT_EQ(ranges.size(), 2u);
            EXPECT_EQ(ranges.front(), (CodePointRange{0xFEFF, 0xFEFF}));
            ranges = ranges.subspan(1);
        }
        EXPECT_EQ(ranges.size(), 1u) << block.name;
        all.insert(all.end(), ranges.begin(), ranges.end());
    }
    EXPECT_EQ(all.size(), 209u);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1].last, all[i].first) << std::hex << all[i].first;
    // Blocks introduced after Unicode 6.0 have no entry.
    const auto holds = [&](uint32_t c) {
        return std::any_of(all.begin(), all.end(),
                           [c](const auto& r) { return r.first <= c && c <= r.last; });
    };
    EXPECT_FALSE(holds(0x08A0));
    EXPECT_FALSE(holds(0x08FF));
    EXPECT_TRUE(holds(0x0860 - 1));
}

TEST_F(UnicodeBlockTableTest, ReleaseEmptiesAndBuildRestores) {
    const std::vector<Ranges> before = [] {
        std::vector<Ranges> sets;
        for (const UnicodeBlock& block : UnicodeBlockTable()) sets.push_back(RangesOf(block.ranges));
        return sets;
    }();
    BuildUnicodeBlockTable();  // already built: nothing changes
    ASSERT_EQ(UnicodeBlockTable().size(), before.size());

    ReleaseUnicodeBlockTable();
    EXPECT_TRUE(UnicodeBlockTable().empty());
    EXPECT_EQ(FindUnicodeBlock("BasicLatin"), nullptr);
    ReleaseUnicodeBlockTable();  // releasing twice is harmless

    BuildUnicodeBlockTable();
    ASSERT_EQ(UnicodeBlockTable().size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(RangesOf(UnicodeBlockTable()[i].ranges), before[i]) << i;
}

TEST(UnicodeBlockTableLifetime, FailingBuildReleasesWhatItBuilt) {
    ReleaseUnicodeBlockTable();
    const size_t live = LiveAllocations();
    BuildUnicodeBlockTable();
    const size_t allocations = LiveAllocations() - live;
    ReleaseUnicodeBlockTable();
    ASSERT_EQ(LiveAllocations(), live);
    ASSERT_GE(allocations, 213u);

    for (size_t successes : {size_t{0}, size_t{1}, size_t{100}, allocations - 1}) {
        {
            FailingAllocation failure(successes);
            EXPECT_THROW(BuildUnicodeBlockTable(), std::bad_alloc) << successes;
            EXPECT_TRUE(failure.Triggered());
        }
        EXPECT_TRUE(UnicodeBlockTable().empty());
        EXPECT_EQ(LiveAllocations(), live) << successes;
    }
    BuildUnicodeBlockTable();
    EXPECT_EQ(UnicodeBlockTable().size(), 213u);
    ReleaseUnicodeBlockTable();
}

}  // namespace
}  // namespace kt::test
