#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "tests/support/platform_expectations.h"
#include "tests/support/text_literals.h"
#include "text/string/kt_string.h"
#include "text/string/number_format.h"

using namespace kt;
using kt::test::Ascii;

namespace {

// Runs a formatter through its size query and returns the text (in ASCII, whatever the width).
template <class Char, class Format>
std::string Formatted(Format format) {
    int32_t needed = format(static_cast<Char*>(nullptr), 0);
    EXPECT_GE(needed, 1);
    std::basic_string<Char> buffer(static_cast<size_t>(needed), Char('#'));
    EXPECT_EQ(format(buffer.data(), needed - 1), needed) << "one short still only measures";
    EXPECT_EQ(buffer[0], Char('#')) << "nothing written while measuring";
    EXPECT_EQ(format(buffer.data(), needed), 0);
    EXPECT_EQ(buffer[static_cast<size_t>(needed) - 1], Char(0));
    return std::string(buffer.begin(), buffer.end() - 1);
}

template <class Char>
std::string Decimal(uint64_t magnitude, bool negative, int32_t width = 0, Char fill = 0) {
    IntegerFormat<Char> format{width, fill};
    return Formatted<Char>(
        [&](Char* out, int32_t length) { return FormatDecimal(out, length, magnitude, format, negative); });
}

template <class Char>
std::string Hex(uint64_t value, int32_t size, bool uppercase, const Char* prefix, int32_t width, Char fill) {
    HexFormat<Char> format{uppercase, prefix, width, fill};
    return Formatted<Char>([&](Char* out, int32_t length) {
        return FormatHex(out, length, static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32), size,
                         format);
    });
}

template <class Char>
class Widths : public ::testing::Test {};
TYPED_TEST_SUITE(Widths, kt::test::Widths);

}  // namespace

// ---- the decimal and hexadecimal formatters -----------------------------------------------------------

TYPED_TEST(Widths, DecimalWidthsAndFills) {
    using Char = TypeParam;
    EXPECT_EQ(Decimal<Char>(42, true, 5, Char('0')), "-0042");
    EXPECT_EQ(Decimal<Char>(42, true, 5, Char(' ')), "  -42");
    EXPECT_EQ(Decimal<Char>(42, false, 5, Char('*')), "***42");
    EXPECT_EQ(Decimal<Char>(42, true, 3, Char('0')), "-42") << "no room left: the sign stays with the digits";
    EXPECT_EQ(Decimal<Char>(42, true, 2, Char('0')), "-42");
    EXPECT_EQ(Decimal<Char>(0, true), "-0");
    EXPECT_EQ(Decimal<Char>(std::numeric_limits<uint64_t>::max(), false), "18446744073709551615");
    EXPECT_EQ(Decimal<Char>(9223372036854775808ull, true), "-9223372036854775808");
    // The 32-bit form.
    IntegerFormat<Char> plain = DefaultIntegerFormat<Char>;
    Char buffer[16];
    EXPECT_EQ(FormatDecimal(buffer, 16, uint32_t{4294967295u}, plain, false), 0);
    EXPECT_EQ(std::string(buffer, buffer + 10), "4294967295");
    EXPECT_EQ(FormatDecimal(static_cast<Char*>(nullptr), 0, uint32_t{7}), 2);
}

TYPED_TEST(Widths, FieldsTooLongForAnyBufferAnswerInt32Max) {
    using Char = TypeParam;
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    const auto prefix = Ascii<Char>("0x");
    Char buffer[8] = {Char('#')};
    // A width of INT32_MAX needs one unit more than a 32-bit length can give: never written, whatever
    // length the caller claims.
    for (int32_t claimed : {0, 8, max}) {
        const IntegerFormat<Char> decimal{max, Char('0')};
        EXPECT_EQ(FormatDecimal(buffer, claimed, uint32_t{42}, decimal, true), max);
        EXPECT_EQ(FormatDecimal(buffer, claimed, uint64_t{1} << 40, decimal, false), max);
        const HexFormat<Char> hex{true, prefix.c_str(), max, Char(' ')};
        EXPECT_EQ(FormatHex(buffer, claimed, 0xFFu, 0, 1, hex), max);
        EXPECT_EQ(buffer[0], Char('#')) << claimed;
    }
    // One less fits exactly: the answer is the full length.
    const IntegerFormat<Char> decimal{max - 1, Char(' ')};
    EXPECT_EQ(FormatDecimal(static_cast<Char*>(nullptr), 0, uint32_t{7}, decimal, true), max);
    const HexFormat<Char> hex{false, nullptr, max - 1, Char('0')};
    EXPECT_EQ(FormatHex(static_cast<Char*>(nullptr), 0, 7u, 0, 4, hex), max);
    // Negative widths are no minimum.
    for (int32_t width : {-1, std::numeric_limits<int32_t>::min()}) {
        EXPECT_EQ(Decimal<Char>(42, true, width, Char('0')), "-42");
        EXPECT_EQ(Hex<Char>(0xAB, 1, true, prefix.c_str(), width, Char('0')), "0xAB");
    }
}

TYPED_TEST(Widths, DecimalMatchesToCharsAtEveryLength) {
    using Char = TypeParam;
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        // Values of every digit count, and the powers of ten and their neighbours.
        uint64_t value = random() >> (random() % 64);
        if (i < 60) value = detail::PowersOfTen[i / 3] + static_cast<uint64_t>(i % 3) - 1;
        int64_t signedValue = static_cast<int64_t>(value);
        char expected[32];
        auto end = std::to_chars(expected, expected + 32, signedValue).ptr;
        bool negative = signedValue < 0;
        uint64_t magnitude = negative ? 0 - value : value;
        ASSERT_EQ(Decimal<Char>(magnitude, negative), std::string(expected, end)) << value;
    }
}

TYPED_TEST(Widths, HexSizesPrefixesAndFills) {
    using Char = TypeParam;
    const auto prefix = Ascii<Char>("0x");
    const auto percent = Ascii<Char>("%");
    EXPECT_EQ(Hex<Char>(255, 8, true, prefix.c_str(), 0, Char(' ')), "0xFF");
    EXPECT_EQ(Hex<Char>(0, 8, true, prefix.c_str(), 0, Char(' ')), "0x0");
    EXPECT_EQ(Hex<Char>(0x1234, 1, true, nullptr, 0, Char(' ')), "34") << "size 1 keeps 8 bits";
    EXPECT_EQ(Hex<Char>(0x123456, 2, true, nullptr, 0, Char(' ')), "3456");
    EXPECT_EQ(Hex<Char>(0x1'0000'00FFull, 4, true, nullptr, 0, Char(' ')), "FF") << "size 4 ignores high";
    EXPECT_EQ(Hex<Char>(0xFEDC'BA98'7654'3210ull, 8, true, nullptr, 0, Char(' ')), "FEDCBA9876543210");
    EXPECT_EQ(Hex<Char>(255, 8, true, prefix.c_str(), 6, Char(' ')), "  0xFF");
    EXPECT_EQ(Hex<Char>(255, 8, true, prefix.c_str(), 6, Char('0')), "0x00FF");
    // The percent-escape descriptor.
    EXPECT_EQ(Hex<Char>(0x7, 1, true, percent.c_str(), 3, Char('0')), "%07");
    EXPECT_EQ(Hex<Char>(0xE9, 1, true, percent.c_str(), 3, Char('0')), "%E9");

    std::mt19937_64 random(5);
    for (int i = 0; i < 5000; ++i) {
        uint64_t value = random() >> (random() % 64);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%llx", static_cast<unsigned long long>(value));
        ASSERT_EQ(Hex<Char>(value, 8, false, nullptr, 0, Char(' ')), expected);
    }
}

TEST(FloatFormat, MatchesPrintfOnRandomFloats) {
    std::mt19937 random(3);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_real_distribution<float> moderate(-100000.0f, 100000.0f);
    char expected[64];
    for (int i = 0; i < 100000; ++i) {
        // Half arbitrary bit patterns (huge, tiny, NaN, infinities), half everyday values.
        float value = i % 2 ? std::bit_cast<float>(bits(random)) : moderate(random);
        if (!kt::test::PrintfSignsNaN && std::isnan(value) && std::signbit(value)) continue;
        std::snprintf(expected, sizeof expected, "%10.2f", static_cast<double>(value));
        ASSERT_EQ(Formatted<char>([&](char* out, int32_t length) { return FormatFloat(out, length, value); }),
                  expected)
            << std::bit_cast<uint32_t>(value);
        if (i % 10 == 0) {
            ASSERT_EQ(Formatted<char16_t>(
                          [&](char16_t* out, int32_t length) { return FormatFloat(out, length, value); }),
                      expected);
        }
    }
    // Halfway cases as the C library rounds them (to even on the exact binary value).
    for (float value : {0.125f, 0.375f, 2.5f, 1.005f, -0.005f, 1e10f}) {
        std::snprintf(expected, sizeof expected, "%10.2f", static_cast<double>(value));
        EXPECT_EQ(Formatted<char>([&](char* out, int32_t length) { return FormatFloat(out, length, value); }),
                  expected);
    }
}

// ---- number appends and assignments, every storage mode -----------------------------------------------

template <class S>
class NumberAppends : public ::testing::Test {};
TYPED_TEST_SUITE(NumberAppends, kt::test::AllModes);

TYPED_TEST(NumberAppends, TextFormsOfEachType) {
    using Char = typename TypeParam::CharType;
    auto is = [](const TypeParam& s, const char* ascii) { return s.ToView() == Ascii<Char>(ascii); };
    TypeParam s;
    s += -42;
    EXPECT_TRUE(is(s, "-42"));
    s += 3.14159f;
    EXPECT_TRUE(is(s, "-42      3.14"));
    s += reinterpret_cast<const void*>(255);
    EXPECT_TRUE(is(s, "-42      3.140xFF"));
    s += 0;
    EXPECT_TRUE(is(s, "-42      3.140xFF0"));
    s = static_cast<short>(-32768);
    EXPECT_TRUE(is(s, "-32768"));
    s = std::numeric_limits<int64_t>::min();
    EXPECT_TRUE(is(s, "-9223372036854775808"));
    s = std::numeric_limits<unsigned long long>::max();
    EXPECT_TRUE(is(s, "18446744073709551615"));
    s = 4294967295u;
    EXPECT_TRUE(is(s, "4294967295"));
    s = -1.5f;
    EXPECT_TRUE(is(s, "     -1.50"));
    s = static_cast<void*>(nullptr);
    EXPECT_TRUE(is(s, "0x0"));
    s = 7L;
    s += U'\x20AC';
    if constexpr (std::is_same_v<Char, char>)
        EXPECT_EQ(s.ToView(), "7\xE2\x82\xAC");
    else
        EXPECT_TRUE(s.ToView() == u"7\u20AC");
}

TYPED_TEST(NumberAppends, GrowExactlyAndLeaveOtherHoldersAlone) {
    using Char = typename TypeParam::CharType;
    TypeParam s(Ascii<Char>("value: ").c_str());
    s += 123456789;
    EXPECT_TRUE(s.ToView() == Ascii<Char>("value: 123456789"));
    if (s.Capacity() > 8) {
        EXPECT_EQ(s.Capacity(), 16) << "no slack";
    }
    s = 5;
    EXPECT_TRUE(s.ToView() == Ascii<Char>("5"));

    if constexpr (std::is_same_v<TypeParam, KTStringShared<Char>>) {
        TypeParam holder(Ascii<Char>("abc").c_str());
        holder.Reserve(32, Preserve);
        TypeParam other(holder);
        other += 1;
        EXPECT_TRUE(holder.ToView() == Ascii<Char>("abc"));
        EXPECT_TRUE(other.ToView() == Ascii<Char>("abc1"));
    }
    if constexpr (std::is_same_v<TypeParam, KTStringBorrowed<Char>>) {
        Char foreign[] = {'n', '=', 0};
        TypeParam borrowed(Borrow, foreign);
        borrowed += 10;
        EXPECT_TRUE(borrowed.ToView() == Ascii<Char>("n=10"));
        EXPECT_EQ(foreign[2], 0);
    }
}

// ---- FormatDouble ---------------------------------------------------------------------------------------

namespace {
// FormatDouble with the options named: (decimals, roundHalfUp, epsilon, pad, keepSign, pointZero).
std::string Double(double value, int32_t decimals, bool roundHalfUp = true, double epsilon = 1e-9,
                   bool padDecimals = false, bool keepSignOfZero = false, bool appendPointZero = false) {
    KTString<char> s("old contents");
    s.FormatDouble(value, decimals, roundHalfUp, epsilon, padDecimals, keepSignOfZero, appendPointZero);
    KTString<char16_t> wide;
    wide.FormatDouble(value, decimals, roundHalfUp, epsilon, padDecimals, keepSignOfZero, appendPointZero);
    std::string narrow(s.ToView());
    EXPECT_TRUE(wide.ToView() == Ascii<char16_t>(narrow)) << "both widths agree";
    return narrow;
}
}  // namespace

// Values that are no tie, with padded decimals, against printf: MatchesPrintfOnRandomValues. The rows here
// take ties, trimmed zeros, signs of zero, truncation and the tolerance.
TEST(FormatDouble, WorkedExamples) {
    EXPECT_EQ(Double(0.125, 2), "0.13");
    EXPECT_EQ(Double(2.675, 2), "2.67") << "the stored double lies just below 2.675";
    EXPECT_EQ(Double(0.999, 2), "1");
    EXPECT_EQ(Double(-0.001, 0), "0");
    EXPECT_EQ(Double(-0.001, 0, true, 1e-9, false, true), "-0");
    EXPECT_EQ(Double(-0.001, 2), "-0.00");
    EXPECT_EQ(Double(5, 2), "5");
    EXPECT_EQ(Double(5, 2, true, 1e-9, true), "5.00");
    EXPECT_EQ(Double(5, 2, true, 1e-9, false, false, true), "5.0");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Double(inf, 2, true, 1e-9, true, true, true), "INF");
    EXPECT_EQ(Double(-inf, 0, false, 0, false, false, false), "-INF");
    EXPECT_EQ(Double(0.996, 2, true, 0.0), "1") << "the carry needs no epsilon";
}

TEST(FormatDouble, RoundingCarriesAndTolerance) {
    EXPECT_EQ(Double(1.25, 1), "1.3");
    EXPECT_EQ(Double(1.25, 1, false), "1.2") << "without rounding the digit is cut";
    EXPECT_EQ(Double(1.95, 1, false), "1.9");
    EXPECT_EQ(Double(9.999, 2), "10");
    EXPECT_EQ(Double(99.5, 0), "100");
    EXPECT_EQ(Double(-99.5, 0), "-100");
    EXPECT_EQ(Double(0.5, 0, false), "0");
    EXPECT_EQ(Double(3.14159, 4, false), "3.1415");
    EXPECT_EQ(Double(0.1, 5), "0.1");
    EXPECT_EQ(Double(0.1, 5, true, 1e-9, true), "0.10000");
    EXPECT_EQ(Double(-2.5, 3, true, 1e-9, true), "-2.500");
    // A remainder within epsilon of a whole unit raises the digit: 0.3 is 0.29999999999999998890.
    EXPECT_EQ(Double(0.3, 6, false), "0.3");
    EXPECT_EQ(Double(0.375, 3, false, 0.0), "0.375") << "exact in binary: no tolerance needed";
    // 0.0999999999999 * 10 lies within epsilon of 1: the digit becomes 1 and the tiny rest goes on as zeros.
    EXPECT_EQ(Double(0.0999999999999, 3, false), "0.100");
    EXPECT_EQ(Double(1.0 - 1e-12, 3, false), "1") << "within epsilon of 1 carries";
    EXPECT_EQ(Double(1e-12, 3, false, 1e-9, false, true), "0");
    EXPECT_EQ(Double(-1e-12, 3, false, 1e-9, false, true), "-0") << "within epsilon of 0 is zero";
    EXPECT_EQ(Double(0.0, 0, true, 1e-9, false, false, true), "0.0");
    EXPECT_EQ(Double(-0.0, 2), "0");
    EXPECT_EQ(Double(-0.0, 2, true, 1e-9, false, true), "-0");
    EXPECT_EQ(Double(1e21, 0), "1000000000000000000000");
    EXPECT_EQ(Double(std::nan(""), 2, true, 1e-9, true), "0.00") << "NaN prints like zero";
    EXPECT_EQ(Double(5, 0, true, 1e-9, true), "5") << "no decimals, nothing to pad";
    EXPECT_EQ(Double(5, -3, true, 1e-9, true, false, true), "5.0");
}

TEST(FormatDouble, RaisedNinesCarryIntoTheDigitsBefore) {
    EXPECT_EQ(Double(1156.78882, 6, true, 1e-12, true), "1156.788820");
    EXPECT_EQ(Double(-53.8195495488917, 6, true, 1e-12, true), "-53.819550");
    EXPECT_EQ(Double(4.7227299757621495, 6, true, 1e-12), "4.722730") << "digits written stay written";
    EXPECT_EQ(Double(9.9999995, 6, true, 1e-12, true), "9.999999") << "the stored double lies below the half";
    EXPECT_EQ(Double(9.99999951, 6, true, 1e-12, true), "10.000000") << "a new leading digit";
}

// With the rounding of the last digit and a tolerance far below the last place, FormatDouble writes the
// digits of the exact binary value as printf does. printf breaks exact ties (x.5 in the last place, exactly
// representable) to even where FormatDouble rounds half up, so ties are left out. Up to 9 decimals: from
// about 12 digits on the double arithmetic of the digit loop leaves the last digit to the tolerance.
TEST(FormatDouble, MatchesPrintfOnRandomValues) {
    std::mt19937_64 random(1156);
    std::uniform_real_distribution<double> everyday(-2000.0, 2000.0), unit(-1.0, 1.0);
    KTString<char> s;
    char expected[400];
    int ties = 0;
    for (int i = 0; i < 300000; ++i) {
        const int decimals = static_cast<int>(random() % 10);
        double value = i % 3 == 0   ? everyday(random)
                       : i % 3 == 1 ? unit(random)
                                    : std::ldexp(unit(random), static_cast<int>(random() % 64) - 24);
        const double scaled = std::ldexp(std::fabs(value), decimals + 1);  // a tie: an odd integer here
        if (scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0) {
            ++ties;
            continue;
        }
        std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
        s.FormatDouble(value, decimals, true, 1e-12, true, true, false);
        ASSERT_EQ(s.ToView(), expected) << std::hexfloat << value << " with " << decimals << " decimals";
    }
    EXPECT_LT(ties, 3000) << "the sample is not made of ties";
}

TEST(FormatDouble, ExtremeDecimals) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(Double(0.5, max), "0.5") << "no scale to round with: the digits end with the fraction";
    EXPECT_EQ(Double(0.5, std::numeric_limits<int32_t>::min(), true, 1e-9, true, false, true), "0.0");
    EXPECT_EQ(Double(-2.25, max - 1, false, 0.0), "-2.25");
    KTString<char> s("kept");
    EXPECT_THROW(s.FormatDouble(0.5, max, true, 1e-9, true, false, false), std::length_error)
        << "padding to INT32_MAX decimals is longer than any string";
}

TEST(FormatDouble, LongIntegerPartsAndStorage) {
    KTString<char> s;
    s.FormatDouble(1.5, 1, true, 1e-9, false, false, false);
    EXPECT_EQ(s.ToView(), "1.5");
    EXPECT_EQ(s.Capacity(), 64) << "room for 64 characters from the start";
    s.FormatDouble(std::numeric_limits<double>::max(), 2, true, 1e-9, true, false, false);
    ASSERT_EQ(s.Length(), 309 + 3);
    EXPECT_EQ(s.ToView().substr(0, 10), "1797693134");
    EXPECT_EQ(s.ToView().substr(309), ".00");
    s.FormatDouble(0.5, 1000, true, 1e-9, true, false, false);
    EXPECT_EQ(s.Length(), 1002);
    EXPECT_EQ(s.ToView().substr(0, 4), "0.50");
    // The smallest double has its last digit 1074 places behind the point.
    s.FormatDouble(std::numeric_limits<double>::denorm_min(), 1100, false, 0.0, false, false, false);
    EXPECT_LE(s.Length(), 2 + 1074) << "the fraction runs out of bits";
    EXPECT_EQ(s.ToView().substr(0, 2 + 323), "0." + std::string(323, '0'));
    EXPECT_EQ(s.ToView().substr(2 + 323, 3), "494");
}

// ---- Roman and alphabetic numbering ---------------------------------------------------------------------

TYPED_TEST(NumberAppends, RomanNumerals) {
    using Char = typename TypeParam::CharType;
    TypeParam s(Ascii<Char>("x").c_str());
    auto roman = [&](int32_t value, bool upper) {
        s.ToRoman(value, upper);
        return std::string(s.ToView().begin(), s.ToView().end());
    };
    EXPECT_EQ(roman(1994, true), "MCMXCIV");
    EXPECT_EQ(roman(4, false), "iv");
    EXPECT_EQ(roman(3888, true), "MMMDCCCLXXXVIII");
    EXPECT_EQ(roman(9999, true), "MMMMMMMMMCMXCIX");
    EXPECT_EQ(roman(40, true), "XL");
    EXPECT_EQ(roman(90, false), "xc");
    EXPECT_EQ(roman(400, true), "CD");
    EXPECT_EQ(roman(1, true), "I");
    EXPECT_EQ(roman(0, true), "");
    EXPECT_EQ(roman(10000, true), "");
    EXPECT_EQ(roman(-5, true), "");
}

TEST(Alphabetic, BijectiveBase26) {
    KTString<char> s("keep block");
    const char* block = s.Data();
    auto label = [&](int32_t value, bool upper = true) {
        s.ToAlphabetic(value, upper);
        return std::string(s.ToView());
    };
    EXPECT_EQ(label(28, false), "ab");
    EXPECT_EQ(label(0), "");
    EXPECT_EQ(s.Data(), block) << "clearing keeps the block";
    EXPECT_EQ(label(-3), "");
    // Reading the labels back as bijective base-26 numbers gives the values again, at each change of length.
    for (int32_t value :
         {1, 25, 26, 27, 52, 53, 675, 676, 677, 702, 703, 18278, 18279, 123456789, 2147483647}) {
        std::string text = label(value);
        int64_t back = 0;
        for (char c : text) back = back * 26 + (c - 'A' + 1);
        EXPECT_EQ(back, value) << text;
    }
    KTString<char> empty;
    empty.ToAlphabetic(0, true);
    EXPECT_TRUE(empty.IsNull()) << "the shared empty value is never written";
}

// ---- locale items ---------------------------------------------------------------------------------------

TEST(LoadLocaleInfo, InvariantLocaleAndFailures) {
    KTString<char16_t> s(u"unchanged");
    ASSERT_TRUE(s.LoadLocaleInfo(platform::LocaleInvariant, platform::LocaleDecimalSeparator));
    EXPECT_TRUE(s.ToView() == u".");
    ASSERT_TRUE(s.LoadLocaleInfo(platform::LocaleInvariant, platform::LocaleEnglishLanguageName));
    EXPECT_TRUE(s.ToView() == u"Invariant Language");
    ASSERT_TRUE(s.LoadLocaleInfo(platform::LocaleInvariant, platform::LocaleEnglishCountryName));
    EXPECT_TRUE(s.ToView() == u"Invariant Country");
    ASSERT_TRUE(s.LoadLocaleInfo(platform::LocaleInvariant, platform::LocaleThousandsSeparator));
#ifdef _WIN32
    EXPECT_TRUE(s.ToView() == u",") << "Windows's invariant locale groups with a comma";
#else
    EXPECT_EQ(s.Length(), 0) << "the C locale groups no digits";
#endif
    EXPECT_FALSE(s.LoadLocaleInfo(platform::LocaleInvariant, 0x7777)) << "an item nobody answers";
    EXPECT_FALSE(s.LoadLocaleInfo(0x7777, platform::LocaleDecimalSeparator)) << "an unknown locale";
    EXPECT_TRUE(s.LoadLocaleInfo(platform::LocaleDecimalSeparator)) << "the user's default locale";
    EXPECT_GE(s.Length(), 1);
}

TEST(LoadLocaleInfo, GermanWhereInstalled) {
    KTString<char16_t> s;
    if (!s.LoadLocaleInfo(0x0407, platform::LocaleDecimalSeparator)) GTEST_SKIP() << "no de_DE locale here";
    EXPECT_TRUE(s.ToView() == u",");
    ASSERT_TRUE(s.LoadLocaleInfo(0x0407, platform::LocaleEnglishLanguageName));
    EXPECT_TRUE(s.ToView() == u"German");
    ASSERT_TRUE(s.LoadLocaleInfo(0x0407, platform::LocaleNativeCountryName));
    EXPECT_TRUE(s.ToView() == u"Deutschland");
    ASSERT_TRUE(s.LoadLocaleInfo(0x0407, platform::LocaleCurrencySymbol));
    EXPECT_TRUE(s.ToView() == u"\u20AC") << "UTF-8 locale data arrives as UTF-16";
    ASSERT_TRUE(s.LoadLocaleInfo(0x0407, platform::LocaleIntlCurrencySymbol));
    EXPECT_TRUE(s.ToView() == u"EUR");
    ASSERT_TRUE(s.LoadLocaleInfo(0x0407, platform::LocaleIsoCountryName));
    EXPECT_TRUE(s.ToView() == u"DE");
}
