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

TEST(UnicodeCategories, RangeAndCodePointCounts) {
    struct Expected {
        std::string_view name;
        size_t ranges;
        uint64_t codePoints;
    };
    const Expected expected[] = {
        {"C", 504, 1004868}, {"Cc", 2, 65},      {"Cf", 15, 140},   {"Cn", 501, 865147}, {"Co", 3, 137468},
        {"Cs", 1, 2048},     {"L", 435, 100520}, {"Ll", 609, 1759}, {"Lm", 49, 210},     {"Lo", 323, 97084},
        {"Lt", 10, 31},      {"Lu", 603, 1436},  {"M", 193, 1498},  {"Mc", 113, 287},    {"Me", 4, 12},
        {"Mn", 203, 1199},   {"N", 83, 1100},    {"Nd", 38, 420},   {"Nl", 12, 224},     {"No", 41, 456},
        {"P", 133, 598},     {"Pc", 6, 10},      {"Pd", 15, 21},    {"Pe", 70, 71},      {"Pf", 10, 10},
        {"Pi", 11, 12},      {"Po", 128, 402},   {"Ps", 72, 72},    {"S", 208, 5508},    {"Sc", 16, 47},
        {"Sk", 27, 115},     {"Sm", 66, 948},    {"So", 164, 4398}, {"Z", 9, 20},        {"Zl", 1, 1},
        {"Zp", 1, 1},        {"Zs", 8, 18}};
    ASSERT_EQ(std::size(expected), UnicodeCategoryCount);
    size_t totalRanges = 0;
    for (size_t i = 0; i < UnicodeCategoryCount; ++i) {
        const RangeSet& set = Classes().Category(i);
        EXPECT_EQ(UnicodeCategoryNames[i], expected[i].name) << i;
        EXPECT_TRUE(HasSetForm(set)) << expected[i].name;
        EXPECT_EQ(set.Ranges().size(), expected[i].ranges) << expected[i].name;
        EXPECT_EQ(CodePointCount(set), expected[i].codePoints) << expected[i].name;
        totalRanges += set.Ranges().size();
    }
    EXPECT_EQ(totalRanges, 4687u);
    EXPECT_EQ(&Classes().Category(UnicodeCategory::Nd), &Classes().Category(17));
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

TEST(UnicodeCategories, TellingRows) {
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Cc)), (Ranges{{0x0000, 0x001F}, {0x007F, 0x009F}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Cs)), (Ranges{{0xD800, 0xDFFF}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Co)),
              (Ranges{{0xE000, 0xF8FF}, {0xF0000, 0xFFFFD}, {0x100000, 0x10FFFD}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Zl)), (Ranges{{0x2028, 0x2028}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Zp)), (Ranges{{0x2029, 0x2029}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Zs)), (Ranges{{0x0020, 0x0020},
                                                               {0x00A0, 0x00A0},
                                                               {0x1680, 0x1680},
                                                               {0x180E, 0x180E},
                                                               {0x2000, 0x200A},
                                                               {0x202F, 0x202F},
                                                               {0x205F, 0x205F},
                                                               {0x3000, 0x3000}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Cf)), (Ranges{{0x00AD, 0x00AD},
                                                               {0x0600, 0x0603},
                                                               {0x06DD, 0x06DD},
                                                               {0x070F, 0x070F},
                                                               {0x17B4, 0x17B5},
                                                               {0x200B, 0x200F},
                                                               {0x202A, 0x202E},
                                                               {0x2060, 0x2064},
                                                               {0x206A, 0x206F},
                                                               {0xFEFF, 0xFEFF},
                                                               {0xFFF9, 0xFFFB},
                                                               {0x110BD, 0x110BD},
                                                               {0x1D173, 0x1D17A},
                                                               {0xE0001, 0xE0001},
                                                               {0xE0020, 0xE007F}}));
    EXPECT_EQ(RangesOf(Category(UnicodeCategory::Lt)), (Ranges{{0x01C5, 0x01C5},
                                                               {0x01C8, 0x01C8},
                                                               {0x01CB, 0x01CB},
                                                               {0x01F2, 0x01F2},
                                                               {0x1F88, 0x1F8F},
                                                               {0x1F98, 0x1F9F},
                                                               {0x1FA8, 0x1FAF},
                                                               {0x1FBC, 0x1FBC},
                                                               {0x1FCC, 0x1FCC},
                                                               {0x1FFC, 0x1FFC}}));
    // Unassigned in Unicode 6.0, noncharacters included.
    for (uint32_t c : {0xFFFEu, 0x10FFFFu, 0x0604u, 0x08A0u, 0x20BAu, 0xA792u, 0x1F600u}) {
        EXPECT_TRUE(Category(UnicodeCategory::Cn).Contains(c)) << std::hex << c;
    }
}

TEST(UnicodeEscapeClasses, SpaceAndAnyChar) {
    EXPECT_EQ(RangesOf(Classes().AnyChar()), (Ranges{{0x0000, 0x0009}, {0x000B, 0x000C}, {0x000E, Max}}));
    EXPECT_EQ(RangesOf(Classes().Space()), (Ranges{{0x0009, 0x000A}, {0x000D, 0x000D}, {0x0020, 0x0020}}));
    EXPECT_EQ(RangesOf(Classes().NotSpace()),
              (Ranges{{0x0000, 0x0008}, {0x000B, 0x000C}, {0x000E, 0x001F}, {0x0021, Max}}));
}

TEST(UnicodeEscapeClasses, XmlNames) {
    const RangeSet& nameStart = Classes().NameStart();
    for (uint32_t c : {0x00D7u, 0x00F7u, 0x037Eu, 0x2000u, 0x3000u, 0x002Du, 0x0030u, 0xF0000u}) {
        EXPECT_FALSE(nameStart.Contains(c)) << std::hex << c;
    }
    EXPECT_EQ(nameStart.Ranges().back(), (CodePointRange{0x10000, 0xEFFFF}));
    EXPECT_TRUE(nameStart.Contains(':'));
    EXPECT_TRUE(nameStart.Contains('_'));

    RangeSet added = Classes().NameChar();
    added.Subtract(nameStart);
    EXPECT_EQ(
        RangesOf(added),
        (Ranges{{0x002D, 0x002E}, {0x0030, 0x0039}, {0x00B7, 0x00B7}, {0x0300, 0x036F}, {0x203F, 0x2040}}));
}

TEST(UnicodeEscapeClasses, WordDigitAndPrintable) {
    EXPECT_TRUE(Classes().AsciiWord().Contains(0x005F));
    EXPECT_FALSE(Classes().Word().Contains(0x005F));  // a connector punctuation
    EXPECT_TRUE(Classes().Word().Contains(0x00B2));
    EXPECT_TRUE(Classes().Word().Contains(0x0300));
    EXPECT_EQ(Classes().Word(),
              Union({UnicodeCategory::L, UnicodeCategory::M, UnicodeCategory::N, UnicodeCategory::S}));
    EXPECT_EQ(RangesOf(Classes().AsciiWord()),
              (Ranges{{0x0030, 0x0039}, {0x0041, 0x005A}, {0x005F, 0x005F}, {0x0061, 0x007A}}));

    EXPECT_EQ(Classes().Digit(), Category(UnicodeCategory::Nd));
    EXPECT_TRUE(Classes().Digit().Contains(0x0660));
    EXPECT_TRUE(Classes().Digit().Contains(0x0669));
    EXPECT_EQ(RangesOf(Classes().AsciiDigit()), (Ranges{{0x0030, 0x0039}}));

    const RangeSet& printable = Classes().Printable();
    EXPECT_TRUE(printable.Contains(0x0020));
    EXPECT_TRUE(printable.Contains(0x00A0));
    for (uint32_t c : {0x0300u, 0x0009u, 0xE000u, 0xFFFEu}) {
        EXPECT_FALSE(printable.Contains(c)) << std::hex << c;
    }
    RangeSet markOrOther = Union({UnicodeCategory::M, UnicodeCategory::C});
    markOrOther.Complement();
    EXPECT_EQ(printable, markOrOther);
}

TEST(UnicodeEscapeClasses, XmlChar) {
    const RangeSet& xmlChar = Classes().XmlChar();
    EXPECT_EQ(
        RangesOf(xmlChar),
        (Ranges{
            {0x0009, 0x000A}, {0x000D, 0x000D}, {0x0020, 0xD7FF}, {0xE000, 0xFFFD}, {0x10000, 0x10FFFF}}));
    for (uint32_t c : {0x0000u, 0xFFFEu, 0xFFFFu, 0xD800u, 0xDFFFu}) {
        EXPECT_FALSE(xmlChar.Contains(c)) << std::hex << c;
    }
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
