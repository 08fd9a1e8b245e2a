#include "text/util/number_parse.h"

#include <gtest/gtest.h>

#include "tests/support/text_literals.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace {

using kt::NumberParseOptions;

template <class T, class Char>
T Number(const std::basic_string<Char>& text, const NumberParseOptions& options = {}) {
    T out = 99;  // a value no test expects, so that a missing write shows
    kt::ParseNumber(text.c_str(), out, options);
    return out;
}

template <class T, class Char>
T Hex(const std::basic_string<Char>& text) {
    T out = 99;
    kt::ParseHex(text.c_str(), out);
    return out;
}

NumberParseOptions FallbackOptions(int8_t mode, int64_t fallback) {
    NumberParseOptions options;
    options.fallbackMode = mode;
    options.fallback = fallback;
    return options;
}

// Behaviour shared by both widths.
template <class Char>
class NumberParseTest : public ::testing::Test {
  protected:
    static std::basic_string<Char> T(std::string_view ascii) { return kt::test::Ascii<Char>(ascii); }
};
TYPED_TEST_SUITE(NumberParseTest, kt::test::Widths);

TYPED_TEST(NumberParseTest, BlanksAndSigns) {
    NumberParseOptions skip;
    skip.skipBlanks = 1;
    EXPECT_EQ(Number<int>(this->T("  -42"), skip), -42);
    EXPECT_EQ(Number<int>(this->T("\t \t+42"), skip), 42);
    // Without skipBlanks a blank is neither digit nor sign: the fallback applies.
    EXPECT_EQ(Number<int>(this->T("  -42")), 0);
    EXPECT_EQ(Number<int>(this->T("  -42"), FallbackOptions(1, 7)), 7);
    // Only blanks before the sign are skipped, and only one sign is taken.
    EXPECT_EQ(Number<int>(this->T("- 5"), skip), 0);
    EXPECT_EQ(Number<int>(this->T("--5")), 0);
    EXPECT_EQ(Number<int>(this->T("+-5"), FallbackOptions(1, 3)), 3);
    // Other white space is not a blank.
    EXPECT_EQ(Number<int>(this->T("\n5"), skip), 0);
    EXPECT_EQ(Number<int>(this->T("12abc")), 12);
    EXPECT_EQ(Number<int>(this->T("007")), 7);
    EXPECT_EQ(Number<unsigned>(this->T("+17")), 17u);
}

// Saturation, the digits' overflow report and ParseHex's digit limits run against std::from_chars for all
// ten integer types in fuzz/number_parse_fuzz.cpp on every committed input; here one case per rule.
TYPED_TEST(NumberParseTest, SaturatesOutOfRange) {
    EXPECT_EQ(Number<signed char>(this->T("-129")), -128);
    EXPECT_EQ(Number<unsigned char>(this->T("256")), 255);
    EXPECT_EQ(Number<int>(this->T("-99999999999999999999999")), std::numeric_limits<int>::min());
    EXPECT_EQ(Number<unsigned long long>(this->T("18446744073709551616")),
              std::numeric_limits<unsigned long long>::max());
    // Overflow ignores the digits that follow, and what comes after them.
    EXPECT_EQ(Number<short>(this->T("-40000x")), std::numeric_limits<short>::min());
    // `long` is the 32-bit kind wherever it has 64 bits too.
    EXPECT_EQ(Number<long>(this->T("-2147483649")), -2147483647L - 1);
    EXPECT_EQ(Number<unsigned long>(this->T("4294967296")), 4294967295UL);
    EXPECT_EQ(Number<long>(this->T(""), FallbackOptions(-1, int64_t{1} << 40)), 2147483647L);
    long digits = 0;
    EXPECT_TRUE(kt::ParseDigits(this->T("2147483648").c_str(), digits, NumberParseOptions{}));
    EXPECT_EQ(digits, 2147483647L);
    // Neither sign nor blank is a digit; an unsigned target takes "-" as no digit.
    EXPECT_FALSE(kt::ParseDigits(this->T("-5").c_str(), digits, FallbackOptions(1, 3)));
    EXPECT_EQ(digits, 3);
    EXPECT_EQ(Number<unsigned>(this->T("-5"), FallbackOptions(1, 7)), 7u);
}

TYPED_TEST(NumberParseTest, FallbackWhenNoDigits) {
    EXPECT_EQ(Number<int>(this->T("abc"), FallbackOptions(1, 7)), 7);
    EXPECT_EQ(Number<int>(this->T("-"), FallbackOptions(1, 7)), -7);
    EXPECT_EQ(Number<int>(this->T("x"), FallbackOptions(0, 7)), 0);
    // Negative mode: clamped to the target's range.
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(-1, 1000)), 127);
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(-1, -1000)), 0);
    // A minus sign negates the clamped fallback in the type's width; min stays min.
    EXPECT_EQ(Number<signed char>(this->T("-"), FallbackOptions(-1, 1000)), -127);
    EXPECT_EQ(Number<long long>(this->T("-"), FallbackOptions(-1, std::numeric_limits<int64_t>::min())),
              std::numeric_limits<long long>::min());
    // Positive mode: limited from above by the two 32-bit halves of the fallback. A high half above 0
    // saturates even a 64-bit target; a negative one does not: -1 is its low half, 0xFFFFFFFF, and
    // -2^32 + 5 is 5 in any type.
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(1, 256)), 255);
    EXPECT_EQ(Number<long long>(this->T(""), FallbackOptions(1, 0x100000000LL)),
              std::numeric_limits<long long>::max());
    EXPECT_EQ(Number<long long>(this->T(""), FallbackOptions(1, -1)), 0xFFFFFFFFLL);
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(1, -0x100000000LL + 5)), 5);
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

TYPED_TEST(NumberParseTest, HexPrefix) {
    NumberParseOptions hex;
    hex.allowHexPrefix = 1;
    EXPECT_EQ(Number<int>(this->T("0x1F"), hex), 31);
    // The prefix is case-sensitive: the digit 0, then X ends the number.
    EXPECT_EQ(Number<int>(this->T("0X1F"), hex), 0);
    // Without the option "0x" is the digit 0 followed by a letter.
    EXPECT_EQ(Number<int>(this->T("0x1F")), 0);
    // Hexadecimal text has no sign; a sign before the prefix reads the digit 0.
    EXPECT_EQ(Number<int>(this->T("-0x1F"), hex), 0);
    // A bare prefix is read by ParseHex, which gives 0, not the fallback.
    EXPECT_EQ(Number<int>(this->T("0x"), FallbackOptions(1, 7)), 0);
    NumberParseOptions hexFallback = FallbackOptions(1, 7);
    hexFallback.allowHexPrefix = 1;
    EXPECT_EQ(Number<int>(this->T("0x"), hexFallback), 0);
    NumberParseOptions hexBlanks = hex;
    hexBlanks.skipBlanks = 1;
    EXPECT_EQ(Number<unsigned char>(this->T(" \t0xff"), hexBlanks), 255);
    EXPECT_EQ(Number<int>(this->T(" 0x10"), hex), 0);
}

TYPED_TEST(NumberParseTest, HexSaturatesBySignificantDigits) {
    // Leading zeros do not count towards the digit limit; zeros after the first significant digit do.
    EXPECT_EQ(Hex<signed char>(this->T("000000FF")), -1);
    EXPECT_EQ(Hex<unsigned char>(this->T("0100")), 255);
    // Too many digits saturate by the sign of the pattern that fitted.
    EXPECT_EQ(Hex<signed char>(this->T("1FF")), 127);
    EXPECT_EQ(Hex<signed char>(this->T("FFF")), -128);
    EXPECT_EQ(Hex<unsigned long long>(this->T("10000000000000000")),
              std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(Hex<long>(this->T("123456789")), 0x7FFFFFFFL) << "long takes eight digits";
    // One "0x" is stepped over; the digits end at the first non-digit.
    EXPECT_EQ(Hex<int>(this->T("0x0x1")), 0);
    EXPECT_EQ(Hex<int>(this->T("aBcDeFg")), 0xABCDEF);
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
