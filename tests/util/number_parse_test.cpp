#include "text/util/number_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using kt::NumberParseOptions;

// The ASCII text `ascii` in the code units of width Char.
template <class Char>
std::basic_string<Char> Widen(std::string_view ascii) {
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

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
    static std::basic_string<Char> T(std::string_view ascii) { return Widen<Char>(ascii); }
};
using Widths = ::testing::Types<char, char16_t>;
TYPED_TEST_SUITE(NumberParseTest, Widths);

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

TYPED_TEST(NumberParseTest, SaturatesOutOfRange) {
    EXPECT_EQ(Number<signed char>(this->T("127")), 127);
    EXPECT_EQ(Number<signed char>(this->T("128")), 127);
    EXPECT_EQ(Number<signed char>(this->T("-127")), -127);
    EXPECT_EQ(Number<signed char>(this->T("-128")), -128);
    EXPECT_EQ(Number<signed char>(this->T("-129")), -128);
    EXPECT_EQ(Number<unsigned char>(this->T("255")), 255);
    EXPECT_EQ(Number<unsigned char>(this->T("256")), 255);
    EXPECT_EQ(Number<unsigned char>(this->T("300")), 255);
    EXPECT_EQ(Number<int>(this->T("2147483647")), 2147483647);
    EXPECT_EQ(Number<int>(this->T("2147483648")), 2147483647);
    EXPECT_EQ(Number<int>(this->T("-2147483648")), std::numeric_limits<int>::min());
    EXPECT_EQ(Number<int>(this->T("-99999999999999999999999")), std::numeric_limits<int>::min());
    EXPECT_EQ(Number<long long>(this->T("-9223372036854775808")), std::numeric_limits<long long>::min());
    EXPECT_EQ(Number<long long>(this->T("9223372036854775808")), std::numeric_limits<long long>::max());
    EXPECT_EQ(Number<unsigned long long>(this->T("18446744073709551615")),
              std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(Number<unsigned long long>(this->T("18446744073709551616")),
              std::numeric_limits<unsigned long long>::max());
    // Overflow ignores the digits that follow, and what comes after them.
    EXPECT_EQ(Number<short>(this->T("-40000x")), std::numeric_limits<short>::min());
    // `long` is the 32-bit kind wherever it has 64 bits too.
    EXPECT_EQ(Number<long>(this->T("2147483648")), 2147483647L);
    EXPECT_EQ(Number<long>(this->T("-2147483649")), -2147483647L - 1);
    EXPECT_EQ(Number<unsigned long>(this->T("4294967296")), 4294967295UL);
    EXPECT_EQ(Number<long>(this->T(""), FallbackOptions(-1, int64_t{1} << 40)), 2147483647L);
    EXPECT_EQ(Number<long>(this->T(""), FallbackOptions(1, 0xFFFFFFFF)), 2147483647L);
    long digits = 0;
    EXPECT_TRUE(kt::ParseDigits(this->T("2147483648").c_str(), digits, NumberParseOptions{}));
    EXPECT_EQ(digits, 2147483647L);
}

TYPED_TEST(NumberParseTest, UnsignedTargetsTakeMinusAsNoDigit) {
    EXPECT_EQ(Number<unsigned>(this->T("-5")), 0u);
    EXPECT_EQ(Number<unsigned>(this->T("-5"), FallbackOptions(1, 7)), 7u);
    EXPECT_EQ(Number<unsigned long long>(this->T("-5"), FallbackOptions(-1, -9)), 0u);
    EXPECT_EQ(Number<unsigned char>(this->T("-0")), 0);
}

TYPED_TEST(NumberParseTest, FallbackWhenNoDigits) {
    EXPECT_EQ(Number<int>(this->T("abc"), FallbackOptions(1, 7)), 7);
    EXPECT_EQ(Number<int>(this->T("-"), FallbackOptions(1, 7)), -7);
    EXPECT_EQ(Number<int>(this->T("+"), FallbackOptions(1, 7)), 7);
    EXPECT_EQ(Number<int>(this->T("-"), FallbackOptions(0, 7)), 0);
    EXPECT_EQ(Number<int>(this->T("x"), FallbackOptions(0, 7)), 0);

    // Negative mode: clamped to the target's range.
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(-1, 1000)), 127);
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(-1, -1000)), -128);
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(-1, -100)), -100);
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(-1, -1000)), 0);
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(-1, 200)), 200);
    EXPECT_EQ(
        Number<unsigned long long>(this->T(""), FallbackOptions(-1, std::numeric_limits<int64_t>::max())),
        static_cast<unsigned long long>(std::numeric_limits<int64_t>::max()));
    EXPECT_EQ(Number<long long>(this->T(""), FallbackOptions(-1, std::numeric_limits<int64_t>::min())),
              std::numeric_limits<long long>::min());
    // A minus sign negates the clamped fallback in the type's width; min stays min.
    EXPECT_EQ(Number<signed char>(this->T("-"), FallbackOptions(-1, -1000)), -128);
    EXPECT_EQ(Number<signed char>(this->T("-"), FallbackOptions(-1, 1000)), -127);
    EXPECT_EQ(Number<long long>(this->T("-"), FallbackOptions(-1, std::numeric_limits<int64_t>::min())),
              std::numeric_limits<long long>::min());

    // Positive mode: limited from above by the two 32-bit halves of the fallback.
    EXPECT_EQ(Number<int>(this->T(""), FallbackOptions(1, -1)), std::numeric_limits<int>::max());
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(1, 127)), 127);
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(1, 128)), 127);
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(1, 255)), 255);
    EXPECT_EQ(Number<unsigned char>(this->T(""), FallbackOptions(1, 256)), 255);
    EXPECT_EQ(Number<unsigned>(this->T(""), FallbackOptions(1, 0xFFFFFFFF)), 0xFFFFFFFFu);
    // A high half above 0 saturates even a 64-bit target.
    EXPECT_EQ(Number<long long>(this->T(""), FallbackOptions(1, 0x100000000LL)),
              std::numeric_limits<long long>::max());
    // A negative high half does not saturate: -1 into a 64-bit target is its low half, 0xFFFFFFFF...
    EXPECT_EQ(Number<long long>(this->T(""), FallbackOptions(1, -1)), 0xFFFFFFFFLL);
    EXPECT_EQ(Number<unsigned long long>(this->T(""), FallbackOptions(1, -1)), 0xFFFFFFFFULL);
    // ... and -2^32 + 5, whose low half is small, is 5 in any type.
    EXPECT_EQ(Number<signed char>(this->T(""), FallbackOptions(1, -0x100000000LL + 5)), 5);
}

TYPED_TEST(NumberParseTest, NullAndEmptyTexts) {
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

    EXPECT_EQ(Number<int>(this->T(""), FallbackOptions(-1, 12)), 12);
    NumberParseOptions all = FallbackOptions(1, 4);
    all.skipBlanks = 1;
    all.allowHexPrefix = 1;
    EXPECT_EQ(Number<int>(this->T(" \t "), all), 4);
    EXPECT_EQ(Hex<int>(this->T("")), 0);
    EXPECT_EQ(Hex<int>(this->T("0x")), 0);
    EXPECT_EQ(Hex<int>(this->T("g1")), 0);
}

TYPED_TEST(NumberParseTest, HexPrefix) {
    NumberParseOptions hex;
    hex.allowHexPrefix = 1;
    EXPECT_EQ(Number<int>(this->T("0x1F"), hex), 31);
    EXPECT_EQ(Number<int>(this->T("0x1f"), hex), 31);
    // The prefix is case-sensitive: the digit 0, then X ends the number.
    EXPECT_EQ(Number<int>(this->T("0X1F"), hex), 0);
    // Without the option "0x" is the digit 0 followed by a letter.
    EXPECT_EQ(Number<int>(this->T("0x1F")), 0);
    // Hexadecimal text has no sign; a sign before the prefix reads the digit 0.
    EXPECT_EQ(Number<int>(this->T("-0x1F"), hex), 0);
    EXPECT_EQ(Number<int>(this->T("0xFFFFFFFF"), hex), -1);
    EXPECT_EQ(Number<int>(this->T("0x123456789"), hex), std::numeric_limits<int>::max());
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
    // Leading zeros do not count towards the digit limit.
    EXPECT_EQ(Hex<signed char>(this->T("000000FF")), -1);
    EXPECT_EQ(Hex<unsigned char>(this->T("0x0000000000000000000000000001")), 1);
    EXPECT_EQ(Hex<signed char>(this->T("1FF")), 127);
    EXPECT_EQ(Hex<signed char>(this->T("FFF")), -128);
    EXPECT_EQ(Hex<signed char>(this->T("100")), 127);
    EXPECT_EQ(Hex<unsigned char>(this->T("100")), 255);
    EXPECT_EQ(Hex<unsigned>(this->T("123456789")), 0xFFFFFFFFu);
    EXPECT_EQ(Hex<unsigned>(this->T("12345678")), 0x12345678u);
    EXPECT_EQ(Hex<short>(this->T("8000")), std::numeric_limits<short>::min());
    EXPECT_EQ(Hex<short>(this->T("80000")), std::numeric_limits<short>::min());
    EXPECT_EQ(Hex<short>(this->T("7fff0")), std::numeric_limits<short>::max());
    EXPECT_EQ(Hex<long long>(this->T("FFFFFFFFFFFFFFFF")), -1);
    EXPECT_EQ(Hex<long long>(this->T("8000000000000000")), std::numeric_limits<long long>::min());
    EXPECT_EQ(Hex<long long>(this->T("7FFFFFFFFFFFFFFF0")), std::numeric_limits<long long>::max());
    EXPECT_EQ(Hex<unsigned long long>(this->T("10000000000000000")),
              std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(Hex<long>(this->T("123456789")), 0x7FFFFFFFL) << "long takes eight digits";
    EXPECT_EQ(Hex<long>(this->T("FFFFFFFF")), -1L);
    EXPECT_EQ(Hex<unsigned long>(this->T("123456789")), 0xFFFFFFFFUL);
    // Zeros after the first significant digit count.
    EXPECT_EQ(Hex<unsigned char>(this->T("0100")), 255);
    // One "0x" is stepped over; the digits end at the first non-digit.
    EXPECT_EQ(Hex<int>(this->T("0x0x1")), 0);
    EXPECT_EQ(Hex<int>(this->T("aBcDeFg")), 0xABCDEF);
}

TYPED_TEST(NumberParseTest, ParseDigitsReadsNoSignAndReportsOverflow) {
    int value = 99;
    EXPECT_FALSE(kt::ParseDigits(this->T("2147483647").c_str(), value, NumberParseOptions{}));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(kt::ParseDigits(this->T("2147483648").c_str(), value, NumberParseOptions{}));
    EXPECT_EQ(value, 2147483647);
    // Neither sign nor blank is a digit.
    EXPECT_FALSE(kt::ParseDigits(this->T("-5").c_str(), value, FallbackOptions(1, 3)));
    EXPECT_EQ(value, 3);
    EXPECT_FALSE(kt::ParseDigits(this->T("+5").c_str(), value, NumberParseOptions{}));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(kt::ParseDigits(this->T(" 5").c_str(), value, NumberParseOptions{}));
    EXPECT_EQ(value, 0);
    unsigned char byte = 0;
    EXPECT_TRUE(kt::ParseDigits(this->T("256").c_str(), byte, NumberParseOptions{}));
    EXPECT_EQ(byte, 255);
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

// Differential tests against std::from_chars over all ten target types; `long` and `unsigned long` read
// as 32-bit integers on every platform.
template <class T>
using Kind = std::conditional_t<std::is_same_v<T, long>, int32_t,
                                std::conditional_t<std::is_same_v<T, unsigned long>, uint32_t, T>>;
template <class T>
class NumberParseDifferentialTest : public ::testing::Test {};
using Targets = ::testing::Types<signed char, unsigned char, short, unsigned short, int, unsigned int, long,
                                 unsigned long, long long, unsigned long long>;
TYPED_TEST_SUITE(NumberParseDifferentialTest, Targets);

// What ParseNumber must give for `text` (no blanks, no prefix, fallback mode 0), from std::from_chars:
// its value when in range, else the saturated limit; a text without digits gives 0.
template <class T>
T ReferenceNumber(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    std::string digits = text;
    if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);  // from_chars takes no '+'
    if (!std::is_signed_v<T> && negative) return 0;               // '-' is no digit for unsigned targets
    T value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return negative ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
    if (result.ec != std::errc{}) return 0;
    return value;
}

// Decimal texts: in-range values of every magnitude, the limits and one beyond them, and random
// digit runs (with leading zeros, signs and trailing junk) far out of range.
template <class T>
std::vector<std::string> DecimalSamples(std::mt19937_64& random, int count) {
    using Limits = std::numeric_limits<T>;
    std::vector<std::string> samples;
    auto add = [&](auto value) {
        char buffer[48];
        samples.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    };
    add(Limits::max());
    add(Limits::min());
    samples.push_back(samples[0] + "0");
    for (size_t limit = 0; limit < 2; ++limit) {
        // One beyond the limit: the decimal magnitude plus one.
        std::string beyond = samples[limit];
        size_t position = beyond.size();
        while (position > 0 && beyond[position - 1] == '9') beyond[--position] = '0';
        if (position == 0 || beyond[position - 1] == '-') {
            beyond.insert(position, "1");
        } else {
            ++beyond[position - 1];
        }
        samples.push_back(beyond);
    }
    for (int i = 0; i < count; ++i) {
        // Random bits of a random width, so that short numbers are as common as long ones.
        const int width = static_cast<int>(random() % Limits::digits) + 1;
        auto bits = static_cast<std::make_unsigned_t<T>>(random() >> (64 - width));
        add(static_cast<T>(random() % 2 && std::is_signed_v<T> ? 0u - bits : bits));
    }
    const std::string_view junk[] = {"", "", "x", " 1", "-", ".5", "\xC2\xB3"};
    for (int i = 0; i < count; ++i) {
        std::string text;
        const auto sign = random() % 4;
        if (sign == 0) text += '-';
        if (sign == 1) text += '+';
        const auto length = random() % 26;
        for (uint64_t n = 0; n < length; ++n) text += static_cast<char>('0' + random() % 10);
        text += junk[random() % std::size(junk)];
        samples.push_back(text);
    }
    return samples;
}

TYPED_TEST(NumberParseDifferentialTest, ParseNumberAgreesWithFromChars) {
    using T = TypeParam;
    std::mt19937_64 random(20240601);
    // Samples around the limits of both, so that a 64-bit long read beyond the 32-bit ones shows.
    std::vector<std::string> samples = DecimalSamples<T>(random, 20000);
    for (const std::string& text : DecimalSamples<Kind<T>>(random, 1000)) samples.push_back(text);
    for (const std::string& text : samples) {
        const auto expected = static_cast<T>(ReferenceNumber<Kind<T>>(text));
        ASSERT_EQ(Number<T>(text), expected) << text;
        ASSERT_EQ(Number<T>(Widen<char16_t>(text)), expected) << text;
    }
}

TYPED_TEST(NumberParseDifferentialTest, ParseDigitsReportsOverflowAsFromChars) {
    using T = TypeParam;
    std::mt19937_64 random(77);
    for (const std::string& text : DecimalSamples<Kind<T>>(random, 5000)) {
        if (text.empty() || text[0] < '0' || text[0] > '9') continue;  // digits only
        Kind<T> kindValue = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), kindValue);
        const bool overflow = result.ec == std::errc::result_out_of_range;
        const auto expected = static_cast<T>(overflow ? std::numeric_limits<Kind<T>>::max() : kindValue);
        T value = 99;
        ASSERT_EQ(kt::ParseDigits(text.c_str(), value, NumberParseOptions{}), overflow) << text;
        ASSERT_EQ(value, expected) << text;
        value = 99;
        ASSERT_EQ(kt::ParseDigits(Widen<char16_t>(text).c_str(), value, NumberParseOptions{}), overflow)
            << text;
        ASSERT_EQ(value, expected) << text;
    }
}

// ParseHex against std::from_chars in base 16 on the unsigned type: the pattern when the significant
// digits fit, else saturation decided by the bit pattern of the digits that did fit.
TYPED_TEST(NumberParseDifferentialTest, ParseHexAgreesWithFromChars) {
    using T = Kind<TypeParam>;
    using Unsigned = std::make_unsigned_t<T>;
    constexpr int DigitLimit = std::numeric_limits<Unsigned>::digits / 4;
    std::mt19937_64 random(4242);
    const std::string_view hexDigits = "0123456789abcdefABCDEF";
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 3 == 0 ? "0x" : "";
        const auto zeros = random() % 4;
        text.append(zeros, '0');
        const auto length = random() % (DigitLimit + 3);
        for (uint64_t n = 0; n < length; ++n) text += hexDigits[random() % hexDigits.size()];
        if (random() % 2) text += "g7";

        size_t first = text.compare(0, 2, "0x") == 0 ? 2 : 0;
        const size_t end = text.find('g') == std::string::npos ? text.size() : text.find('g');
        while (first < end && text[first] == '0') ++first;
        const size_t taken = std::min<size_t>(end - first, DigitLimit);
        Unsigned pattern = 0;
        if (taken > 0) std::from_chars(text.data() + first, text.data() + first + taken, pattern, 16);
        T expected = static_cast<T>(pattern);
        if (end - first > taken)
            expected =
                std::cmp_less(expected, 0) ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();

        ASSERT_EQ(Hex<TypeParam>(text), expected) << text;
        ASSERT_EQ(Hex<TypeParam>(Widen<char16_t>(text)), expected) << text;
    }
}

}  // namespace
