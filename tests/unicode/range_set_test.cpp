#include "text/unicode/range_set.h"

#include "tests/unicode/range_test_support.h"
#include "text/support/kt_assert.h"

#include <gtest/gtest.h>

namespace kt::test {
namespace {

constexpr uint32_t Max = RangeSet::MaxCodePoint;
constexpr uint32_t None = RangeSet::NoCodePoint;

TEST(RangeSetInsert, KeepsSeparateRangesAndMergesTouchingOnes) {
    RangeSet set = SetOf({{1, 3}, {7, 9}});
    set.Insert({5, 5});
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 3}, {5, 5}, {7, 9}}));
    set.Insert({4, 6});
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 9}}));

    RangeSet touching = SetOf({{1, 3}});
    touching.InsertChar(4);
    EXPECT_EQ(RangesOf(touching), (Ranges{{1, 4}}));
    touching.InsertChar(0);
    EXPECT_EQ(RangesOf(touching), (Ranges{{0, 4}}));
}

TEST(RangeSetInsert, AtTheEndsOfTheCodeSpace) {
    RangeSet set;
    set.InsertChar(0);
    EXPECT_EQ(RangesOf(set), (Ranges{{0, 0}}));
    set.InsertChar(Max);
    set.InsertRange(Max - 5, Max - 1);
    EXPECT_EQ(RangesOf(set), (Ranges{{0, 0}, {Max - 5, Max}}));
    set.InsertRange(1, Max - 6);
    EXPECT_EQ(RangesOf(set), (Ranges{{0, Max}}));
}

TEST(RangeSetInsert, SwallowsEveryRangeItCoversOrTouches) {
    RangeSet set = SetOf({{1, 2}, {5, 6}, {9, 10}, {20, 30}});
    set.InsertRange(4, 12);
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 2}, {4, 12}, {20, 30}}));
    set.InsertChar(3);
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 12}, {20, 30}}));
    set.InsertRange(22, 25);  // already inside
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 12}, {20, 30}}));
    set.InsertRange(13, 19);  // fills the gap exactly
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 30}}));
}

TEST(RangeSetInsert, ReversedRangeChangesNothing) {
    RangeSet set = SetOf({{0x41, 0x41}});
    set.InsertRange(10, 2);
    set.InsertRange(0x6B, 0x41, true);
    EXPECT_EQ(RangesOf(set), (Ranges{{0x41, 0x41}}));
    RangeSet empty;
    empty.Insert({10, 2}, true);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(RangeSetInsert, CaseInsensitiveAddsUpperLowerAndListedExtras) {
    const auto insensitive = [](uint32_t codePoint) {
        RangeSet set;
        set.InsertChar(codePoint, true);
        return RangesOf(set);
    };
    EXPECT_EQ(insensitive(0x006B), (Ranges{{0x004B, 0x004B}, {0x006B, 0x006B}, {0x212A, 0x212A}}));
    EXPECT_EQ(insensitive(0x212A), (Ranges{{0x004B, 0x004B}, {0x006B, 0x006B}, {0x212A, 0x212A}}));
    // The extras are a fixed list, not the whole case class.
    EXPECT_EQ(insensitive(0x03D1), (Ranges{{0x0398, 0x0398}, {0x03D1, 0x03D1}}));
    EXPECT_EQ(insensitive(0x03B8), (Ranges{{0x0398, 0x0398}, {0x03B8, 0x03B8}, {0x03F4, 0x03F4}}));
    EXPECT_EQ(insensitive(0x00DF), (Ranges{{0x00DF, 0x00DF}, {0x1E9E, 0x1E9E}}));
    EXPECT_EQ(insensitive(0x1FBE),
              (Ranges{{0x0345, 0x0345}, {0x0399, 0x0399}, {0x03B9, 0x03B9}, {0x1FBE, 0x1FBE}}));
    // Titlecase: both neighbours come in through upper and lower.
    EXPECT_EQ(insensitive(0x01C5), (Ranges{{0x01C4, 0x01C6}}));
    // The dotted capital I has a lowercase mapping but no case folding; i lists it as an extra.
    EXPECT_EQ(insensitive(0x0130), (Ranges{{0x0069, 0x0069}, {0x0130, 0x0130}}));
    EXPECT_EQ(insensitive(0x0069), (Ranges{{0x0049, 0x0049}, {0x0069, 0x0069}, {0x0130, 0x0130}}));
    EXPECT_EQ(insensitive(0x0031), (Ranges{{0x0031, 0x0031}}));
    EXPECT_EQ(insensitive(0x10400), (Ranges{{0x10400, 0x10400}, {0x10428, 0x10428}}));
}

TEST(RangeSetInsert, CaseInsensitiveRange) {
    RangeSet set;
    set.InsertRange(0x0041, 0x005A, true);
    EXPECT_EQ(
        RangesOf(set),
        (Ranges{{0x0041, 0x005A}, {0x0061, 0x007A}, {0x0131, 0x0131}, {0x017F, 0x017F}, {0x212A, 0x212A}}));

    // A range that reaches past the last row stops cleanly.
    RangeSet deseret;
    deseret.InsertRange(0x10440, Max, true);
    EXPECT_EQ(RangesOf(deseret), (Ranges{{0x10418, 0x10427}, {0x10440, Max}}));
}

TEST(RangeSetInsertAll, InsertsEachRangeWithTheFlag) {
    RangeSet set = SetOf({{0x30, 0x39}});
    set.InsertAll(SetOf({{0x61, 0x61}, {0x6B, 0x6B}}), true);
    EXPECT_EQ(
        RangesOf(set),
        (Ranges{{0x30, 0x39}, {0x41, 0x41}, {0x4B, 0x4B}, {0x61, 0x61}, {0x6B, 0x6B}, {0x212A, 0x212A}}));

    RangeSet self = SetOf({{0x6B, 0x6B}, {0x100, 0x100}});
    self.InsertAll(self);
    EXPECT_EQ(RangesOf(self), (Ranges{{0x6B, 0x6B}, {0x100, 0x100}}));
    self.InsertAll(self, true);
    EXPECT_EQ(RangesOf(self), (Ranges{{0x4B, 0x4B}, {0x6B, 0x6B}, {0x100, 0x101}, {0x212A, 0x212A}}));
}

TEST(RangeSetAssignTable, CopiesTheArrayVerbatim) {
    static constexpr CodePointRange table[] = {{0, 9}, {0x41, 0x5A}, {0x10000, Max}};
    RangeSet set = SetOf({{100, 200}});
    set.Reserve(3);
    set.AssignTable(table, 3);
    EXPECT_EQ(RangesOf(set), (Ranges{{0, 9}, {0x41, 0x5A}, {0x10000, Max}}));
    set.AssignTable(table, 1);
    EXPECT_EQ(RangesOf(set), (Ranges{{0, 9}}));
    set.AssignTable(nullptr, 0);
    EXPECT_TRUE(set.IsEmpty());
}

// Invariant checks are built into Debug builds (no NDEBUG) and sanitizer builds, and left out of release
// builds, where the checks would cost time on every mutation.
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool CheckedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool CheckedBuild = true;
#else
constexpr bool CheckedBuild = false;
#endif
#else
constexpr bool CheckedBuild = false;
#endif

TEST(RangeSetAssignTable, ATableOutOfSetFormStopsACheckedBuild) {
    EXPECT_EQ(AssertsEnabled, CheckedBuild);
    if (!AssertsEnabled) GTEST_SKIP() << "invariant checks are compiled out of this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static constexpr CodePointRange unsorted[] = {{10, 20}, {0, 5}};
    static constexpr CodePointRange touching[] = {{0, 5}, {6, 9}};
    RangeSet set;
    EXPECT_DEATH(set.AssignTable(unsorted, 2),
                 "range_set\\.cpp:[0-9]+: KT_ASSERT\\(IsSetForm\\(ranges_\\)\\)");
    EXPECT_DEATH(set.AssignTable(touching, 2), "IsSetForm");
}

TEST(RangeSetComplement, OverTheWholeCodeSpace) {
    RangeSet set;
    set.Complement();
    EXPECT_EQ(RangesOf(set), (Ranges{{0, Max}}));
    set.Complement();
    EXPECT_TRUE(set.IsEmpty());

    RangeSet fromZero = SetOf({{0, 5}});
    fromZero.Complement();
    EXPECT_EQ(RangesOf(fromZero), (Ranges{{6, Max}}));

    RangeSet middle = SetOf({{10, 20}});
    middle.Complement();
    EXPECT_EQ(RangesOf(middle), (Ranges{{0, 9}, {21, Max}}));

    RangeSet toEnd = SetOf({{0, 0}, {7, 8}, {Max - 1, Max}});
    toEnd.Complement();
    EXPECT_EQ(RangesOf(toEnd), (Ranges{{1, 6}, {9, Max - 2}}));
    toEnd.Complement();
    EXPECT_EQ(RangesOf(toEnd), (Ranges{{0, 0}, {7, 8}, {Max - 1, Max}}));
}

TEST(RangeSetSubtract, CutsSplitsAndRemoves) {
    RangeSet split = SetOf({{0, 100}});
    split.Subtract(SetOf({{10, 20}}));
    EXPECT_EQ(RangesOf(split), (Ranges{{0, 9}, {21, 100}}));

    RangeSet removed = SetOf({{10, 20}});
    removed.Subtract(SetOf({{0, 100}}));
    EXPECT_TRUE(removed.IsEmpty());

    RangeSet bothEnds = SetOf({{0, 9}, {20, 29}});
    bothEnds.Subtract(SetOf({{5, 24}}));
    EXPECT_EQ(RangesOf(bothEnds), (Ranges{{0, 4}, {25, 29}}));

    RangeSet twice = SetOf({{0, 100}, {200, 300}});
    twice.Subtract(SetOf({{10, 20}, {30, 40}, {100, 200}, {300, 300}}));
    EXPECT_EQ(RangesOf(twice), (Ranges{{0, 9}, {21, 29}, {41, 99}, {201, 299}}));

    RangeSet exact = SetOf({{5, 5}, {8, 9}});
    exact.Subtract(SetOf({{5, 5}, {9, 9}}));
    EXPECT_EQ(RangesOf(exact), (Ranges{{8, 8}}));
}

TEST(RangeSetSubtract, EmptyOperandsAndItself) {
    RangeSet set = SetOf({{1, 5}});
    set.Subtract(RangeSet());
    EXPECT_EQ(RangesOf(set), (Ranges{{1, 5}}));
    RangeSet empty;
    empty.Subtract(set);
    EXPECT_TRUE(empty.IsEmpty());
    set.Subtract(set);
    EXPECT_TRUE(set.IsEmpty());
}

TEST(RangeSetFirstCommon, SmallestSharedCodePoint) {
    EXPECT_EQ(SetOf({{0, 9}}).FirstCommon(SetOf({{5, 20}})), 5u);
    EXPECT_EQ(SetOf({{5, 20}}).FirstCommon(SetOf({{0, 9}})), 5u);
    EXPECT_EQ(SetOf({{0, 3}, {30, 40}}).FirstCommon(SetOf({{5, 9}, {35, 36}})), 35u);
    EXPECT_EQ(SetOf({{0, 9}}).FirstCommon(SetOf({{10, 20}})), None);
    EXPECT_EQ(RangeSet().FirstCommon(SetOf({{0, Max}})), None);
    EXPECT_EQ(SetOf({{0, Max}}).FirstCommon(RangeSet()), None);
}

TEST(RangeSetPickCommon, StaysInTheFirstOverlap) {
    const RangeSet wide = SetOf({{0, 100}});
    for (uint32_t n : {0u, 1u, 7u, 1000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(wide.PickCommon(SetOf({{50, 50}}), n), 50u) << n;
    }
    EXPECT_EQ(wide.PickCommon(SetOf({{10, 20}}), 3), 13u);
    EXPECT_EQ(wide.PickCommon(SetOf({{10, 20}}), 10), 10u);
    EXPECT_EQ(SetOf({{0, 15}}).PickCommon(SetOf({{10, 20}}), 3), 13u);
    EXPECT_EQ(SetOf({{0, 15}}).PickCommon(SetOf({{10, 20}}), 7), 10u);  // 17 is past the overlap
    // The later-starting range gives the width, whichever operand it belongs to.
    EXPECT_EQ(SetOf({{10, 20}}).PickCommon(SetOf({{0, 15}}), 3), 13u);
    EXPECT_EQ(SetOf({{0, 9}}).PickCommon(SetOf({{10, 20}}), 3), None);
    EXPECT_EQ(RangeSet().PickCommon(wide, 3), None);
}

TEST(RangeSetContains, ChecksRangeBoundaries) {
    const RangeSet set = SetOf({{0, 0}, {10, 20}, {Max, Max}});
    EXPECT_TRUE(set.Contains(0));
    EXPECT_FALSE(set.Contains(1));
    EXPECT_FALSE(set.Contains(9));
    EXPECT_TRUE(set.Contains(10));
    EXPECT_TRUE(set.Contains(20));
    EXPECT_FALSE(set.Contains(21));
    EXPECT_TRUE(set.Contains(Max));
    EXPECT_FALSE(set.Contains(Max + 1));
    EXPECT_FALSE(RangeSet().Contains(0));
}

TEST(RangeSetValue, CopiesAreIndependent) {
    RangeSet original = SetOf({{1, 3}});
    RangeSet copy(original);
    copy.InsertChar(10);
    EXPECT_EQ(RangesOf(original), (Ranges{{1, 3}}));
    EXPECT_NE(original, copy);

    RangeSet assigned;
    assigned = copy;
    EXPECT_EQ(assigned, copy);
    copy.Complement();
    EXPECT_EQ(RangesOf(assigned), (Ranges{{1, 3}, {10, 10}}));

    const RangeSet& alias = assigned;
    assigned = alias;
    EXPECT_EQ(RangesOf(assigned), (Ranges{{1, 3}, {10, 10}}));
    // One representation per set: the same code points in any insertion order compare equal.
    EXPECT_EQ(SetOf({{10, 10}, {3, 3}, {1, 2}}), assigned);
}

}  // namespace
}  // namespace kt::test
