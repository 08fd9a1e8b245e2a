#include "text/unicode/case_fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace kt::test {
namespace {

// The look-up searches by halves: the rows must be sorted by code point, without repeats.
TEST(CaseFoldTable, SortedAndUnique) {
    EXPECT_TRUE(std::adjacent_find(CaseFoldTable.begin(), CaseFoldTable.end(),
                                   [](const auto& a, const auto& b) { return a.code >= b.code; }) ==
                CaseFoldTable.end());
}

TEST(CaseFoldTable, FollowsUnicode6Exactly) {
    for (uint32_t present : {0xA790u, 0x0526u, 0x1E9Eu}) {
        EXPECT_NE(FindCaseRow(present), nullptr) << std::hex << present;
    }
    // Cased letters added after Unicode 6.0.
    for (uint32_t absent : {0xA792u, 0x2CF2u, 0x13A0u}) {
        EXPECT_EQ(FindCaseRow(absent), nullptr) << std::hex << absent;
    }
    // No titlecase mapping: the titlecase digraph maps up and down to its neighbours.
    const CaseFoldRow* titlecase = FindCaseRow(0x01C5);
    ASSERT_NE(titlecase, nullptr);
    EXPECT_EQ(titlecase->upper, 0x01C4u);
    EXPECT_EQ(titlecase->lower, 0x01C6u);
    // Sharp s has a row only because capital sharp s folds to it.
    const CaseFoldRow* sharpS = FindCaseRow(0x00DF);
    ASSERT_NE(sharpS, nullptr);
    EXPECT_EQ(sharpS->upper, 0x00DFu);
    EXPECT_EQ(sharpS->lower, 0x00DFu);
    EXPECT_EQ(sharpS->fold, 0x00DFu);
    EXPECT_EQ(FindCaseRow(0x1E9E)->fold, 0x00DFu);
    // Dotted capital I folds to itself, not to its lower case.
    EXPECT_EQ(FindCaseRow(0x0130)->fold, 0x0130u);
    EXPECT_EQ(FindCaseRow(0x0130)->lower, 0x0069u);
}

TEST(CaseFoldTable, ExtrasOfTheFixedList) {
    for (const CaseFoldRow& row : CaseFoldTable) EXPECT_FALSE(row.extra1 == 0 && row.extra2 != 0) << row.code;
    const struct {
        uint32_t code, extra1, extra2;
    } rows[] = {{0x0345, 0x03B9, 0x1FBE}, {0x1FBE, 0x0345, 0x03B9}, {0x03B8, 0x03F4, 0}, {0x03D1, 0, 0},
                {0x0049, 0x0131, 0},      {0x0131, 0, 0},           {0x0069, 0x0130, 0}, {0x006B, 0x212A, 0}};
    for (const auto& r : rows) {
        EXPECT_EQ(FindCaseRow(r.code)->extra1, r.extra1) << std::hex << r.code;
        EXPECT_EQ(FindCaseRow(r.code)->extra2, r.extra2) << std::hex << r.code;
    }
}

TEST(CaseFoldTable, EveryRowBelongsToAClassOfTwoOrMore) {
    // Every code point a row points at has a row of its own, and every row is linked to another one.
    std::set<uint32_t> linked;
    for (const CaseFoldRow& row : CaseFoldTable) {
        for (uint32_t target : {row.upper, row.lower, row.fold, row.extra1, row.extra2}) {
            if (target == 0 || target == row.code) continue;
            EXPECT_NE(FindCaseRow(target), nullptr) << std::hex << row.code << " -> " << target;
            linked.insert(row.code);
            linked.insert(target);
        }
    }
    EXPECT_EQ(linked.size(), CaseFoldTable.size());
}

TEST(FindCaseRow, FindsEveryRowAndNothingBetween) {
    for (const CaseFoldRow& row : CaseFoldTable) {
        ASSERT_EQ(FindCaseRow(row.code), &row) << std::hex << row.code;
    }
    for (uint32_t missing : {0x0000u, 0x0040u, 0x005Bu, 0x0060u, 0x00D7u, 0x10450u, 0x10FFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(FindCaseRow(missing), nullptr) << std::hex << missing;
    }
}

TEST(CaseMapping, OneCodePoint) {
    EXPECT_EQ(ToUpperCodePoint(0x00DF), 0x00DFu);
    EXPECT_EQ(ToUpperCodePoint(0x0131), 0x0049u);
    EXPECT_EQ(ToUpperCodePoint(0x01C5), 0x01C4u);
    EXPECT_EQ(ToUpperCodePoint(0x2CF3), 0x2CF3u);
    EXPECT_EQ(ToUpperCodePoint(0x017F), 0x0053u);
    EXPECT_EQ(ToUpperCodePoint(0x10428), 0x10400u);
    EXPECT_EQ(ToLowerCodePoint(0x0130), 0x0069u);
    EXPECT_EQ(ToLowerCodePoint(0x212A), 0x006Bu);
    EXPECT_EQ(ToLowerCodePoint(0x005A), 0x007Au);
    EXPECT_EQ(ToLowerCodePoint(0x01C5), 0x01C6u);
    EXPECT_EQ(ToLowerCodePoint(0x1E9E), 0x00DFu);
    for (uint32_t outside : {0x110000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ToUpperCodePoint(outside), outside);
        EXPECT_EQ(ToLowerCodePoint(outside), outside);
    }
}

TEST(CaseMapping, AsciiShortcutAgreesWithTheTable) {
    for (uint32_t c = 0; c < 0x80; ++c) {
        const CaseFoldRow* row = FindCaseRow(c);
        EXPECT_EQ(ToUpperCodePoint(c), row ? row->upper : c) << c;
        EXPECT_EQ(ToLowerCodePoint(c), row ? row->lower : c) << c;
    }
}

}  // namespace
}  // namespace kt::test
