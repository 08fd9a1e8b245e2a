#include "text/unicode/range_set.h"

#include "tests/unicode/range_test_support.h"
#include "text/support/kt_assert.h"

#include <gtest/gtest.h>

namespace kt::test {
namespace {

constexpr uint32_t Max = RangeSet::MaxCodePoint;
constexpr uint32_t None = RangeSet::NoCodePoint;

// Insertion (plain and case-insensitive, with the case variants taken from the case table), complement,
// subtraction, FirstCommon and Contains are checked against a bitset model of the code space by
// fuzz/range_set_fuzz.cpp on every committed input; the case table itself is pinned in case_fold_test.cpp.
// The tests here take the cases the fuzz target does not build, the exact pick, checked-build invariants
// and value semantics.

// The fuzz target only inserts case-insensitive ranges in order.
TEST(RangeSetInsert, ReversedRangeChangesNothing) {
    RangeSet set = SetOf({{0x41, 0x41}});
    set.InsertRange(0x6B, 0x41, true);
    EXPECT_EQ(RangesOf(set), (Ranges{{0x41, 0x41}}));
    RangeSet empty;
    empty.Insert({10, 2}, true);
    EXPECT_TRUE(empty.IsEmpty());
}

// A range that reaches past the last row of the case table stops cleanly.
TEST(RangeSetInsert, CaseInsensitiveRangeToTheEnd) {
    RangeSet deseret;
    deseret.InsertRange(0x10440, Max, true);
    EXPECT_EQ(RangesOf(deseret), (Ranges{{0x10418, 0x10427}, {0x10440, Max}}));
}

// The fuzz target only inserts one set into the other; here a set into itself.
TEST(RangeSetInsertAll, IntoItself) {
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

// The fuzz target's code points seldom end a range one before the last code point.
TEST(RangeSetComplement, KeepsTheLastCodePoint) {
    RangeSet set = SetOf({{0, Max - 1}});
    set.Complement();
    EXPECT_EQ(RangesOf(set), (Ranges{{Max, Max}}));
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
    assigned.Clear();
    EXPECT_TRUE(assigned.IsEmpty());
    EXPECT_EQ(assigned, RangeSet());
}

}  // namespace
}  // namespace kt::test
