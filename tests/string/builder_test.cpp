#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/allocation_probe.h"
#include "tests/support/text_literals.h"
#include "text/string/builder.h"
#include "text/string/kt_string.h"

using namespace kt;
using kt::test::Allocations;
using kt::test::ResetAllocations;

namespace {

template <class S>
class Builder : public kt::test::ModeTest<S> {
  protected:
    static bool IsInline(const S& s) { return !s.IsNull() && block::Flags(s.Data()) & NotOwned; }
};

TYPED_TEST_SUITE(Builder, kt::test::AllModes);

}  // namespace

TYPED_TEST(Builder, DoublesWithAFloorOf1024) {
    TypeParam target;
    KTStringBuilder builder(target);
    auto ten = this->T("0123456789");
    builder.Append(ten.c_str());
    EXPECT_EQ(target.Capacity(), 1024);
    EXPECT_EQ(target.Length(), 10) << "the length query scans to the terminator the builder wrote";
    for (int i = 1; i < 102; ++i) builder.Append(ten.c_str(), 10);
    EXPECT_EQ(builder.Position(), 1020u);
    builder.Append(ten.c_str(), 4);
    EXPECT_EQ(target.Capacity(), 1024);
    builder.Append(ten.c_str(), 1);  // 1025 units
    EXPECT_EQ(target.Capacity(), 2050);
    EXPECT_EQ(target.Length(), 1025);
    EXPECT_EQ(target.Data()[1024], typename TypeParam::CharType('0'));
}

TYPED_TEST(Builder, GrowsByTheIncrement) {
    TypeParam target;
    KTStringBuilder builder(target, 100);
    auto text = this->T(std::string(150, 'x').c_str());
    builder.Append(text.c_str(), 150);
    EXPECT_EQ(target.Capacity(), 250);
    builder.Append(text.c_str(), 100);
    EXPECT_EQ(target.Capacity(), 250) << "250 units still fit";
    builder.Append(text.c_str(), 1);
    EXPECT_EQ(target.Capacity(), 351);
    EXPECT_EQ(target.Length(), 251);
}

TYPED_TEST(Builder, CountingModeOnlyMeasures) {
    using Char = typename TypeParam::CharType;
    auto start = this->T("keep");
    TypeParam target(start.c_str());
    const Char* data = target.Data();
    KTStringBuilder builder(target);
    ASSERT_TRUE(builder.NextPass());
    EXPECT_FALSE(builder.Writing());
    ResetAllocations();
    builder.Append(this->T("hello").c_str()).AppendCodePoint(0x20AC).Append(this->T("xyz").c_str(), -1);
    const uint32_t codePointUnits = std::is_same_v<Char, char> ? 3 : 1;
    EXPECT_EQ(builder.Position(), 4 + 5 + codePointUnits + 3);
    EXPECT_EQ(Allocations().allocations, 0);
    EXPECT_EQ(target.Data(), data);
    EXPECT_TRUE(target == start.c_str());
}

TYPED_TEST(Builder, TwoPassesAllocateOnce) {
    TypeParam target;
    KTStringBuilder builder(target);
    ResetAllocations();
    int passes = 0;
    while (builder.NextPass()) {
        ++passes;
        EXPECT_EQ(builder.Writing(), passes == 2);
        builder.Append(this->T("abc").c_str()).Append(this->T("de").c_str());
        if (passes == 1) {
            EXPECT_EQ(builder.Position(), 5u);
            EXPECT_TRUE(target.IsNull() || this->IsInline(target)) << "counting touches nothing";
        }
    }
    EXPECT_EQ(passes, 2);
    EXPECT_FALSE(builder.NextPass());
    EXPECT_TRUE(target == this->T("abcde").c_str());
    if (this->IsInline(target)) {
        EXPECT_EQ(Allocations().allocations, 0);
    } else {
        EXPECT_EQ(Allocations().allocations, 1);
        EXPECT_EQ(target.Capacity(), 5);
    }
}

TYPED_TEST(Builder, StartsBehindExistingContents) {
    auto start = this->T("prefix:");
    TypeParam target(start.c_str());
    KTStringBuilder builder(target, 0);
    EXPECT_EQ(builder.StartPosition(), 7u);
    while (builder.NextPass()) builder.Append(this->T("one,").c_str()).Append(target);
    // The second pass appends the target to itself: its contents are read before they move.
    EXPECT_TRUE(target == this->T("prefix:one,prefix:one,").c_str());
}

TYPED_TEST(Builder, AppendsTheTargetToItselfAcrossGrowth) {
    TypeParam target(this->T("abcdefghij").c_str());
    KTStringBuilder builder(target);
    for (int i = 0; i < 8; ++i) builder.Append(target.Data(), static_cast<int32_t>(builder.Position()));
    EXPECT_EQ(target.Length(), 2560);
    for (int i = 0; i < 2560; ++i) ASSERT_EQ(target.Data()[i], 'a' + i % 10) << i;
}

TYPED_TEST(Builder, UnitsAndLatin1) {
    using Char = typename TypeParam::CharType;
    TypeParam target;
    KTStringBuilder builder(target);
    builder.Append('x').Append('\xE9').Append(static_cast<const Char*>(nullptr)).Append(nullptr, 3);
    builder.AppendCodePoint(0x1F600);
    if constexpr (std::is_same_v<Char, char>) {
        EXPECT_EQ(target.ToView(), "x\xE9\xF0\x9F\x98\x80") << "one unit, the byte as it is";
    } else {
        builder.Append(u'\x20AC');
        EXPECT_TRUE(target.ToView() == u"x\u00E9\U0001F600\u20AC");
    }
}

// A code point adds its UTF-8 (8-bit) or UTF-16 units in both passes: U+0000 one zero unit, only code
// points the encoder refuses nothing.
TYPED_TEST(Builder, CodePointsAddTheSameUnitsInBothPasses) {
    using Char = typename TypeParam::CharType;
    constexpr bool utf8 = std::is_same_v<Char, char>;
    const struct {
        uint32_t codePoint;
        std::basic_string<Char> units;
    } cases[] = {
        {0, std::basic_string<Char>(1, Char(0))},
        {0x41, this->T("A")},
        {0x20AC, utf8 ? std::basic_string<Char>{Char(0xE2), Char(0x82), Char(0xAC)}
                      : std::basic_string<Char>{Char(0x20AC)}},
        {0x1F600, utf8 ? std::basic_string<Char>{Char(0xF0), Char(0x9F), Char(0x98), Char(0x80)}
                       : std::basic_string<Char>{Char(0xD83D), Char(0xDE00)}},
        {0xD800, {}},
        {0x110000, {}},
    };
    for (const auto& c : cases) {
        TypeParam target(this->T("<").c_str());
        KTStringBuilder builder(target);
        uint32_t counted = 0;
        while (builder.NextPass()) {
            builder.AppendCodePoint(c.codePoint).Append(this->T(">").c_str());
            if (!builder.Writing()) counted = builder.Position();
        }
        EXPECT_EQ(counted, 2 + c.units.size()) << std::hex << c.codePoint;
        EXPECT_EQ(builder.Position(), counted) << std::hex << c.codePoint;
        EXPECT_EQ(std::basic_string<Char>(target.Data(), counted), this->T("<") + c.units + this->T(">"))
            << std::hex << c.codePoint;
    }
}

TEST(BuilderModes, SharedTargetUnsharesBeforeWriting) {
    KTStringShared<char> first("shared");
    KTStringShared<char> target(first);
    ASSERT_EQ(first.Data(), target.Data());
    target.Reserve(64, Preserve);  // room enough: the builder must still not write into the shared block
    KTStringShared<char> third(target);
    {
        KTStringBuilder builder(third);
        builder.Append("!");
    }
    EXPECT_EQ(third.ToView(), "shared!");
    EXPECT_EQ(target.ToView(), "shared");
    EXPECT_EQ(first.ToView(), "shared");

    KTStringShared<char> counted(first);
    KTStringBuilder twoPass(counted);
    while (twoPass.NextPass()) twoPass.Append("+");
    EXPECT_EQ(counted.ToView(), "shared+");
    EXPECT_EQ(first.ToView(), "shared");
}

TEST(BuilderModes, SharingTheTargetBetweenAppendsUnsharesItAtTheNextOne) {
    KTStringShared<char> target;
    KTStringBuilder builder(target);
    builder.Append("abc");
    KTStringShared<char> copy(target);  // the block has room for more: only its holders tell
    ASSERT_EQ(copy.Data(), target.Data());
    builder.Append("def");
    EXPECT_EQ(target.ToView(), "abcdef");
    EXPECT_EQ(copy.ToView(), "abc");
}

TEST(BuilderModes, BorrowedTargetOwnsBeforeWriting) {
    char foreign[] = "foreign";
    KTStringBorrowed<char> target(Borrow, foreign);
    KTStringBuilder builder(target);
    EXPECT_EQ(builder.StartPosition(), 7u);
    while (builder.NextPass()) builder.Append(" text");
    EXPECT_EQ(target.ToView(), "foreign text");
    EXPECT_TRUE(target.Owned());
    EXPECT_STREQ(foreign, "foreign");
}

TEST(BuilderModes, LongHeaderTargets) {
    KTString<char16_t> target;
    KTStringBuilder builder(target);
    std::u16string piece(1000, u'q');
    for (int i = 0; i < 40; ++i) builder.Append(piece.c_str(), 1000);
    EXPECT_GT(target.Capacity(), 32767);
    EXPECT_EQ(target.Length(), 40000);
    EXPECT_EQ(builder.Position(), 40000u);
}
