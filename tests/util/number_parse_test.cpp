#include "text/util/number_parse.h"

#include <gtest/gtest.h>

#include "tests/support/text_literals.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using kt::NumberParseOptions;

NumberParseOptions FallbackOptions(int8_t mode, int64_t fallback) {
    NumberParseOptions options;
    options.fallbackMode = mode;
    options.fallback = fallback;
    return options;
}

// Behaviour shared by both widths.
template <class Char>
class NumberParseTest : public ::testing::Test {};
TYPED_TEST_SUITE(NumberParseTest, kt::test::Widths);

// Blanks, signs, saturation (the 32-bit limits of long included), the digits' overflow report, the
// fallback modes, the "0x" prefix and ParseHex's digit limits are checked against std::from_chars for all
// ten integer types in fuzz/number_parse_fuzz.cpp on every committed input. The tests here take what the
// fuzz target does not: the text forms below, null texts, units beyond ASCII of every kind, and constant
// evaluation.
TYPED_TEST(NumberParseTest, FormsTheFuzzInputsDoNotReach) {
    NumberParseOptions skip, hex;
    skip.skipBlanks = 1;
    hex.allowHexPrefix = 1;
    const struct {
        const char* text;
        NumberParseOptions options;
        int expected;
    } cases[] = {
        {"- 5", skip, 0},                   // only blanks before the sign are skipped
        {"--5", {}, 0},                     // one sign is taken
        {"+-5", FallbackOptions(1, 3), 3},  // a second sign is no digit: the fallback
        {"\n5", skip, 0},                   // other white space is no blank
        {"0X1F", hex, 0},                   // the prefix is case-sensitive
        {"-0x1F", hex, 0},                  // hexadecimal text has no sign
        {" 0x10", hex, 0},                  // nor blanks, unless they are skipped
    };
    for (const auto& c : cases) {
        int value = 99;
        kt::ParseNumber(kt::test::Ascii<TypeParam>(c.text).c_str(), value, c.options);
        EXPECT_EQ(value, c.expected) << c.text;
    }
    int value = 99;
    kt::ParseHex(kt::test::Ascii<TypeParam>("aBcDeFg").c_str(), value);
    EXPECT_EQ(value, 0xABCDEF) << "the digits end at the first non-digit";
}

// The fuzz target reads empty texts too, but never a null pointer.
TYPED_TEST(NumberParseTest, NullTexts) {
    const TypeParam* null = nullptr;
    int value = 99;
    kt::ParseNumber(null, value, FallbackOptions(1, 7));
    EXPECT_EQ(value, 7);
    value = 99;
    kt::ParseNumber(null, value, NumberParseOptions{});
    EXPECT_EQ(value, 0);
    value = 99;
    EXPECT_FALSE(kt::ParseDigits(null, value, FallbackOptions(-1, -3)));
    EXPECT_EQ(value, -3);
    value = 99;
    kt::ParseHex(null, value);
    EXPECT_EQ(value, 0);
}

// Only ASCII digits count. These catch a code unit that is narrowed or sign-extended before the test.
TEST(NumberParse, NonAsciiUnitsAreNoDigits) {
    int value = 99;
    kt::ParseNumber("\xD9\xA3", value, FallbackOptions(1, 7));  // U+0663 ARABIC-INDIC DIGIT THREE
    EXPECT_EQ(value, 7);
    kt::ParseNumber("12\xC2\xB3", value, NumberParseOptions{});  // U+00B3 SUPERSCRIPT THREE
    EXPECT_EQ(value, 12);
    kt::ParseNumber("4\xB0", value, NumberParseOptions{});  // 0xB0 masked to 7 bits would be '0'
    EXPECT_EQ(value, 4);
    kt::ParseHex("A\xC1", value);  // 0xC1 masked to 7 bits would be 'A'
    EXPECT_EQ(value, 0xA);

    kt::ParseNumber(u"\u0663", value, FallbackOptions(1, 7));
    EXPECT_EQ(value, 7);
    kt::ParseNumber(u"\uFF11", value, FallbackOptions(1, 7));  // FULLWIDTH DIGIT ONE
    EXPECT_EQ(value, 7);
    kt::ParseNumber(u"3\u0135", value, NumberParseOptions{});  // 0x135 cut to 8 bits would be '5'
    EXPECT_EQ(value, 3);
    kt::ParseHex(u"1\u0146", value);  // 0x146 cut to 8 bits would be 'F'
    EXPECT_EQ(value, 1);
    NumberParseOptions skip;
    skip.skipBlanks = 1;
    kt::ParseNumber(u"\u0120\u00A09", value, skip);  // neither 0x120 nor NO-BREAK SPACE is a blank
    EXPECT_EQ(value, 0);
}

template <class Char>
void CheckHexDigitValueOverAllUnits(uint32_t unitCount) {
    const std::string_view digits = "0123456789abcdef";
    for (uint32_t unit = 0; unit < unitCount; ++unit) {
        const Char c = static_cast<Char>(unit);
        size_t expected = std::string_view::npos;
        if (unit < 0x80)
            expected = digits.find(static_cast<char>(unit >= 'A' && unit <= 'Z' ? unit + 32 : unit));
        long long value = -5;
        const bool isDigit = kt::HexDigitValue(c, value);
        ASSERT_EQ(isDigit, expected != std::string_view::npos) << "unit " << unit;
        ASSERT_EQ(value, isDigit ? static_cast<long long>(expected) : -5) << "unit " << unit;
    }
}

TEST(NumberParse, HexDigitValueOverAllUnits) {
    CheckHexDigitValueOverAllUnits<char>(0x100);
    CheckHexDigitValueOverAllUnits<char16_t>(0x10000);
    unsigned char byte = 0;
    EXPECT_TRUE(kt::HexDigitValue(u'F', byte));
    EXPECT_EQ(byte, 15);
}

TEST(NumberParse, UsableInConstantExpressions) {
    constexpr auto parsed = [] {
        signed char value = 0;
        kt::ParseNumber("-129", value, NumberParseOptions{});
        return value;
    }();
    static_assert(parsed == -128);
    EXPECT_EQ(parsed, -128);
}

}  // namespace
