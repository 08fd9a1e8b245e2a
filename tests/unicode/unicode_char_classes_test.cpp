#include "text/unicode/unicode_char_classes.h"

#include "tests/support/allocation_probe.h"
#include "tests/unicode/range_test_support.h"

#include <gtest/gtest.h>

namespace kt::test {
namespace {

constexpr uint32_t Max = RangeSet::MaxCodePoint;

const UnicodeCharClasses& Classes() {
    static const UnicodeCharClasses classes;
    return classes;
}

const RangeSet& Category(UnicodeCategory category) {
    return Classes().Category(category);
}

RangeSet Union(std::initializer_list<UnicodeCategory> categories) {
    RangeSet set;
    for (UnicodeCategory category : categories) set.InsertAll(Category(category));
    return set;
}

TEST(UnicodeCategories, EverySetHasSetForm) {
    for (size_t i = 0; i < UnicodeCategoryCount; ++i) {
        EXPECT_TRUE(HasSetForm(Classes().Category(i))) << UnicodeCategoryNames[i];
        EXPECT_FALSE(Classes().Category(i).IsEmpty()) << UnicodeCategoryNames[i];
    }
}

TEST(UnicodeCategories, TwoLetterSetsPartitionTheCodeSpace) {
    RangeSet all;
    uint64_t codePoints = 0;
    for (size_t i = 0; i < UnicodeCategoryCount; ++i) {
        if (UnicodeCategoryNames[i].size() != 2) continue;
        all.InsertAll(Classes().Category(i));
        codePoints += CodePointCount(Classes().Category(i));
    }
    EXPECT_EQ(RangesOf(all), (Ranges{{0, Max}}));
    EXPECT_EQ(codePoints, Max + 1u);  // so no code point is in two of them
}

TEST(UnicodeCategories, EachGroupIsTheUnionOfItsMembers) {
    for (size_t group = 0; group < UnicodeCategoryCount; ++group) {
        if (UnicodeCategoryNames[group].size() != 1) continue;
        RangeSet members;
        int memberCount = 0;
        for (size_t i = 0; i < UnicodeCategoryCount; ++i) {
            if (UnicodeCategoryNames[i].size() == 2 &&
                UnicodeCategoryNames[i][0] == UnicodeCategoryNames[group][0]) {
                members.InsertAll(Classes().Category(i));
                ++memberCount;
            }
        }
        EXPECT_GE(memberCount, 3) << UnicodeCategoryNames[group];
        EXPECT_EQ(members, Classes().Category(group)) << UnicodeCategoryNames[group];
    }
}

// Code points at the edges of the categories and classes, in and out (the classes pinned range by range
// in UnicodeEscapeClasses.Definitions left out).
TEST(UnicodeCharClasses, Membership) {
    const UnicodeCharClasses& c = Classes();
    const struct {
        const RangeSet& set;
        std::initializer_list<uint32_t> in, out;
    } rows[] = {
        {Category(UnicodeCategory::Cc), {0x00, 0x1F, 0x7F, 0x9F}, {0x20, 0x7E, 0xA0}},
        {Category(UnicodeCategory::Cs), {0xD800, 0xDFFF}, {0xD7FF, 0xE000}},
        {Category(UnicodeCategory::Co), {0xE000, 0xF8FF, 0xF0000, 0x10FFFD}, {0xF900, 0xFFFFE, 0x10FFFF}},
        {Category(UnicodeCategory::Zl), {0x2028}, {0x2029}},
        {Category(UnicodeCategory::Zp), {0x2029}, {0x2028}},
        {Category(UnicodeCategory::Zs), {0x20, 0xA0, 0x1680, 0x180E, 0x2000, 0x200A, 0x3000}, {0x200B, 0x09}},
        {Category(UnicodeCategory::Cf), {0xAD, 0x600, 0x110BD, 0xE0001, 0xE007F}, {0x604, 0xE0000}},
        {Category(UnicodeCategory::Lt), {0x1C5, 0x1F88, 0x1FFC}, {0x1C4, 0x1C6, 0x41}},
        // Unassigned in Unicode 6.0, noncharacters included.
        {Category(UnicodeCategory::Cn), {0xFFFE, 0x10FFFF, 0x604, 0x8A0, 0x20BA, 0xA792, 0x1F600}, {0x41}},
        {c.NameStart(),
         {':', '_', 'A', 0x10000, 0xEFFFF},
         {0xD7, 0xF7, 0x37E, 0x2000, 0x3000, '-', '0', 0xF0000}},
        {c.Word(), {0xB2, 0x300}, {'_'}},  // "_" is a connector punctuation
        {c.Digit(), {0x660, 0x669}, {0xB2}},
        {c.Printable(), {0x20, 0xA0}, {0x300, 0x09, 0xE000, 0xFFFE}},
    };
    for (size_t row = 0; row < std::size(rows); ++row) {
        for (uint32_t in : rows[row].in)
            EXPECT_TRUE(rows[row].set.Contains(in)) << row << std::hex << " " << in;
        for (uint32_t out : rows[row].out)
            EXPECT_FALSE(rows[row].set.Contains(out)) << row << std::hex << " " << out;
    }
}

// The classes that the rules define exactly, and those defined from categories.
TEST(UnicodeEscapeClasses, Definitions) {
    const UnicodeCharClasses& c = Classes();
    RangeSet nameCharOnly = c.NameChar();
    nameCharOnly.Subtract(c.NameStart());
    const std::pair<const RangeSet&, Ranges> exact[] = {
        {c.AnyChar(), {{0x0000, 0x0009}, {0x000B, 0x000C}, {0x000E, Max}}},
        {c.Space(), {{0x0009, 0x000A}, {0x000D, 0x000D}, {0x0020, 0x0020}}},
        {nameCharOnly,
         {{0x002D, 0x002E}, {0x0030, 0x0039}, {0x00B7, 0x00B7}, {0x0300, 0x036F}, {0x203F, 0x2040}}},
        {c.AsciiWord(), {{0x0030, 0x0039}, {0x0041, 0x005A}, {0x005F, 0x005F}, {0x0061, 0x007A}}},
        {c.AsciiDigit(), {{0x0030, 0x0039}}},
        {c.XmlChar(),
         {{0x0009, 0x000A}, {0x000D, 0x000D}, {0x0020, 0xD7FF}, {0xE000, 0xFFFD}, {0x10000, Max}}},
    };
    for (size_t row = 0; row < std::size(exact); ++row)
        EXPECT_EQ(RangesOf(exact[row].first), exact[row].second) << row;

    EXPECT_EQ(c.Word(),
              Union({UnicodeCategory::L, UnicodeCategory::M, UnicodeCategory::N, UnicodeCategory::S}));
    EXPECT_EQ(c.Digit(), Category(UnicodeCategory::Nd));
    RangeSet markOrOther = Union({UnicodeCategory::M, UnicodeCategory::C});
    markOrOther.Complement();
    EXPECT_EQ(c.Printable(), markOrOther);
}

TEST(UnicodeEscapeClasses, NegatedClassesAreComplements) {
    const UnicodeCharClasses& c = Classes();
    const std::pair<const RangeSet*, const RangeSet*> pairs[] = {
        {&c.Space(), &c.NotSpace()},        {&c.NameStart(), &c.NotNameStart()},
        {&c.NameChar(), &c.NotNameChar()},  {&c.Digit(), &c.NotDigit()},
        {&c.Word(), &c.NotWord()},          {&c.AsciiDigit(), &c.NotAsciiDigit()},
        {&c.AsciiWord(), &c.NotAsciiWord()}};
    for (const auto& [positive, negative] : pairs) {
        EXPECT_EQ(positive->FirstCommon(*negative), RangeSet::NoCodePoint);
        RangeSet both = *positive;
        both.InsertAll(*negative);
        EXPECT_EQ(RangesOf(both), (Ranges{{0, Max}}));
        EXPECT_TRUE(HasSetForm(*negative));
    }
}

TEST(UnicodeCharClassesLifetime, FailingConstructionReleasesEverything) {
    const size_t live = LiveAllocations();
    size_t allocations = 0;
    {
        const UnicodeCharClasses classes;
        allocations = LiveAllocations() - live;
    }
    ASSERT_EQ(LiveAllocations(), live);
    ASSERT_GE(allocations, 54u);
    for (size_t successes : {size_t{0}, size_t{36}, size_t{37}, size_t{45}, allocations - 1}) {
        FailingAllocation failure(successes);
        EXPECT_THROW(UnicodeCharClasses(), std::bad_alloc) << successes;
        EXPECT_TRUE(failure.Triggered());
        EXPECT_EQ(LiveAllocations(), live) << successes;
    }
}

}  // namespace
}  // namespace kt::test
