#include "text/unicode/case_fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
    for (uint32_t present : {0xA790u, 0x0526u})
        EXPECT_NE(FindCaseRow(present), nullptr) << std::hex << present;
    // Cased letters added after Unicode 6.0.
    for (uint32_t absent : {0xA792u, 0x2CF2u, 0x13A0u})
        EXPECT_EQ(FindCaseRow(absent), nullptr) << std::hex << absent;
    // {code, upper, lower, fold}. No titlecase mapping: the titlecase digraph maps up and down to its
    // neighbours. Sharp s has a row only because capital sharp s folds to it. Dotted capital I folds to
    // itself, not to its lower case.
    const uint32_t rows[][4] = {{0x01C5, 0x01C4, 0x01C6, 0x01C6},
                                {0x00DF, 0x00DF, 0x00DF, 0x00DF},
                                {0x1E9E, 0x1E9E, 0x00DF, 0x00DF},
                                {0x0130, 0x0130, 0x0069, 0x0130}};
    for (const auto& [code, upper, lower, fold] : rows) {
        const CaseFoldRow* row = FindCaseRow(code);
        ASSERT_NE(row, nullptr) << std::hex << code;
        EXPECT_EQ((std::array{row->upper, row->lower, row->fold}), (std::array{upper, lower, fold}))
            << std::hex << code;
    }
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
    for (const CaseFoldRow& row : CaseFoldTable)
        ASSERT_EQ(FindCaseRow(row.code), &row) << std::hex << row.code;
    for (uint32_t missing : {0x0000u, 0x0040u, 0x005Bu, 0x0060u, 0x00D7u, 0x10450u, 0x10FFFFu, 0xFFFFFFFFu})
        EXPECT_EQ(FindCaseRow(missing), nullptr) << std::hex << missing;
}

TEST(CaseMapping, OneCodePoint) {
    // {code point, upper, lower}; letters added after Unicode 6.0 and values beyond the code space stay.
    const uint32_t rows[][3] = {
        {0x00DF, 0x00DF, 0x00DF}, {0x0131, 0x0049, 0x0131},       {0x01C5, 0x01C4, 0x01C6},
        {0x2CF3, 0x2CF3, 0x2CF3}, {0x017F, 0x0053, 0x017F},       {0x10428, 0x10400, 0x10428},
        {0x0130, 0x0130, 0x0069}, {0x212A, 0x212A, 0x006B},       {0x005A, 0x005A, 0x007A},
        {0x1E9E, 0x1E9E, 0x00DF}, {0x110000, 0x110000, 0x110000}, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}};
    for (const auto& [code, upper, lower] : rows) {
        EXPECT_EQ(ToUpperCodePoint(code), upper) << std::hex << code;
        EXPECT_EQ(ToLowerCodePoint(code), lower) << std::hex << code;
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
