#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace {

using kt::platform::FormatBounded16;

// UTF-16 to UTF-8, an unpaired surrogate as U+FFFD: only for comparing with the C library's 8-bit output.
std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

struct Result {
    int length;
    std::u16string text;  // the buffer up to its terminator
};

// Formats into a heap buffer of exactly `capacity` units, so that AddressSanitizer sees any write past it.
template <class... Args>
Result FormatInto(size_t capacity, const char16_t* format, Args... args) {
    std::unique_ptr<char16_t[]> buffer(new char16_t[capacity]);
    std::fill_n(buffer.get(), capacity, u'#');
    int length = FormatBounded16(buffer.get(), capacity, format, args...);
    std::u16string text;
    if (capacity > 0) text.assign(buffer.get(), std::char_traits<char16_t>::length(buffer.get()));
    return {length, text};
}

template <class... Args>
Result Format(const char16_t* format, Args... args) {
    return FormatInto(4096, format, args...);
}

// The 16-bit result, as UTF-8, must equal what std::snprintf makes of the same format and arguments.
template <class... Args>
void ExpectSameAsSnprintf(const char* format, Args... args) {
    int expectedLength = std::snprintf(nullptr, 0, format, args...);
    ASSERT_GE(expectedLength, 0) << format;
    std::string expected(static_cast<size_t>(expectedLength), '\0');
    std::snprintf(expected.data(), expected.size() + 1, format, args...);
    std::u16string wideFormat = Widen(format);
    Result result = FormatInto(expected.size() + 1, wideFormat.c_str(), args...);  // ASCII: one unit per byte
    EXPECT_EQ(ToUtf8(result.text), expected) << "format " << format;
    EXPECT_EQ(result.length, expectedLength) << "format " << format;
}

TEST(FormatBounded16, SignedIntegersMatchTheCLibrary) {
    const char* formats[] = {"%d",   "%i",   "%5d",   "%-5d|", "%+d",   "% d",   "%05d", "%-05d|",
                             "%.3d", "%.0d", "%8.3d", "%+.0d", "%+08d", "% 07i", "[%*d]"};
    for (const char* format : formats)
        for (int value : {0, 1, -1, 42, -42, 12345678, INT_MIN, INT_MAX}) {
            if (std::string_view(format).find('*') != std::string_view::npos)
                ExpectSameAsSnprintf(format, -7, value);
            else
                ExpectSameAsSnprintf(format, value);
        }
    for (long long value : {0LL, -1LL, LLONG_MIN, LLONG_MAX}) {
        ExpectSameAsSnprintf("%lld|%20lld|%-+22lli|", value, value, value);
        ExpectSameAsSnprintf("%ld %jd", static_cast<long>(value), static_cast<intmax_t>(value));
        ExpectSameAsSnprintf("%zd %td", static_cast<std::make_signed_t<size_t>>(value),
                             static_cast<ptrdiff_t>(value));
    }
    // hh and h convert the promoted int back to the narrow type.
    for (int value : {0, 127, 128, 255, 256, -129, 70000, -70000})
        ExpectSameAsSnprintf("%hhd %hd", value, value);
}

TEST(FormatBounded16, UnsignedIntegersMatchTheCLibrary) {
    const char* formats[] = {"%u",     "%o",      "%#o",  "%x",    "%#x",   "%X",  "%#X", "%08x",
                             "%#010X", "%-#10o|", "%.5x", "%#.0o", "%#.0x", "%+u", "% x"};
    for (const char* format : formats)
        for (unsigned value : {0u, 1u, 8u, 255u, 0xDEADBEEFu, UINT_MAX}) ExpectSameAsSnprintf(format, value);
    for (unsigned long long value : {0ULL, 0x8000000000000000ULL, ULLONG_MAX}) {
        ExpectSameAsSnprintf("%llu %llx %#llo", value, value, value);
        ExpectSameAsSnprintf("%lX %ju", static_cast<unsigned long>(value), static_cast<uintmax_t>(value));
        ExpectSameAsSnprintf("%zu %tx", static_cast<size_t>(value),
                             static_cast<std::make_unsigned_t<ptrdiff_t>>(value));
    }
    for (unsigned value : {255u, 256u, 65535u, 65536u, UINT_MAX})
        ExpectSameAsSnprintf("%hhu %hx", value, value);
}

TEST(FormatBounded16, FloatingPointMatchesTheCLibrary) {
    const char* formats[] = {"%f",  "%F",      "%.0f",  "%#.0f", "%10.4f", "%-12.3f|", "%+f",
                             "% f", "%010.2f", "%e",    "%E",    "%.3e",   "%#.0e",    "%-14.2E|",
                             "%g",  "%G",      "%#g",   "%.10g", "%.0g",   "%+g",      "%a",
                             "%A",  "%.3a",    "%#.0a", "%lf",   "%20.15g"};
    const double values[] = {0.0,
                             -0.0,
                             1.5,
                             -2.25,
                             0.1,
                             2.675,
                             123456789.0,
                             1e300,
                             -1e-300,
                             DBL_MAX,
                             DBL_TRUE_MIN,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (const char* format : formats)
        for (double value : values) ExpectSameAsSnprintf(format, value);
    for (long double value : {0.0L, -1.25L, 1e4000L, LDBL_MIN})
        ExpectSameAsSnprintf("%Lg %Le %La", value, value, value);
}

TEST(FormatBounded16, LongNumbersBeyondTheLocalBuffer) {
    // Longer than any stack buffer: the number is formatted again on the heap, and must still be exact.
    ExpectSameAsSnprintf("%.1000f", 1.0 / 3);
    ExpectSameAsSnprintf("%Lf", LDBL_MAX);
    ExpectSameAsSnprintf("%3000d|%-3000x|", 7, 0xABCu);
    ExpectSameAsSnprintf("%.2000g", 0.1);
    // %g drops trailing zeros: with any precision past its exact expansion the result is the same.
    Result huge = Format(u"%.*g", INT_MAX, 0.1);
    char expected[256];
    std::snprintf(expected, sizeof(expected), "%.200g", 0.1);
    EXPECT_EQ(ToUtf8(huge.text), expected);
}

TEST(FormatBounded16, PointersAndPercentMatchTheCLibrary) {
    int object = 0;
    for (void* pointer : {static_cast<void*>(&object), static_cast<void*>(nullptr)})
        ExpectSameAsSnprintf("%p|%24p|%-24p|%%|100%%", pointer, pointer, pointer);
}

TEST(FormatBounded16, StringsAndCharactersCountUnits) {
    const char16_t* wide = u"\u00e9\U0001F600x";  // é, a supplementary character (2 units), x
    const char* utf8 = "\u00e9\U0001F600x";
    EXPECT_EQ(Format(u"[%s]", wide).text, u"[\u00e9\U0001F600x]");
    EXPECT_EQ(Format(u"[%ls|%hs]", wide, utf8).text, u"[\u00e9\U0001F600x|\u00e9\U0001F600x]");
    // Width counts 16-bit units: the text is 4 units long.
    EXPECT_EQ(Format(u"[%6s|%-6hs]", wide, utf8).text, u"[  \u00e9\U0001F600x|\u00e9\U0001F600x  ]");
    EXPECT_EQ(Format(u"[%3s|%2hs]", wide, utf8).text, u"[\u00e9\U0001F600x|\u00e9\U0001F600x]");
    // %s stops after exactly `precision` units; %hs never splits a character.
    EXPECT_EQ(Format(u"[%.2s]", wide).text, std::u16string(u"[\u00e9") + char16_t(0xD83D) + u"]");
    EXPECT_EQ(Format(u"[%.2hs|%.3hs|%5.2hs]", utf8, utf8, utf8).text,
              u"[\u00e9|\u00e9\U0001F600|    \u00e9]");
    // %s reads no further than its precision: this array has no terminator.
    const char16_t unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(Format(u"%.3s", unterminated).text, u"abc");

    EXPECT_EQ(
        Format(u"[%c%lc%hc]", int{u'\u263A'}, int{u'\u00fc'}, static_cast<int>(static_cast<char>(0xE9))).text,
        u"[\u263A\u00fc\u00e9]");
    EXPECT_EQ(Format(u"[%3c|%-3hc|%03c]", int{u'x'}, int{'y'}, int{u'z'}).text, u"[  x|y  |  z]");
    // A NUL character is output and counted like any other.
    Result withNul = Format(u"a%cb", 0);
    EXPECT_EQ(withNul.length, 3);
    EXPECT_EQ(withNul.text, u"a");
}

TEST(FormatBounded16, IllFormedUtf8BecomesReplacementCharacters) {
    // One U+FFFD per maximal subpart of an ill-formed sequence.
    EXPECT_EQ(Format(u"%hs", "a\xC3(").text, u"a\uFFFD(");
    EXPECT_EQ(Format(u"%hs", "\xE0\x80\x80").text, u"\uFFFD\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(Format(u"%hs", "\xED\xA0\x80").text, u"\uFFFD\uFFFD\uFFFD");            // a surrogate
    EXPECT_EQ(Format(u"%hs", "\xF4\x90\x80\x80").text, u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
    EXPECT_EQ(Format(u"%hs|", "\xF0\x9F\x98").text, u"\uFFFD|");  // cut short by the terminator
    EXPECT_EQ(Format(u"%hs", "\xE2\x82\xAC\xFF").text, u"\u20AC\uFFFD");
}

TEST(FormatBounded16, NullStringsPrintNull) {
    const char16_t* wide = nullptr;
    const char* narrow = nullptr;
    EXPECT_EQ(Format(u"%s|%ls|%hs", wide, wide, narrow).text, u"(null)|(null)|(null)");
    EXPECT_EQ(Format(u"[%8s|%-8hs|%.3s]", wide, narrow, wide).text, u"[  (null)|(null)  |(nu]");
}

TEST(FormatBounded16, StarWidthAndPrecisionTakeArguments) {
    ExpectSameAsSnprintf("[%*d|%-*d|%*d]", 6, 42, 6, 42, -6, 42);  // a negative width means '-'
    ExpectSameAsSnprintf("[%.*f|%.*f|%*.*e]", 2, 3.14159, -1, 3.14159, 12, 3, 31415.9);
    EXPECT_EQ(Format(u"[%*.*s|%-*.*hs]", 5, 2, u"abcdef", 5, 3, "abcdef").text, u"[   ab|abc  ]");
    EXPECT_EQ(Format(u"[%*s|%.*s]", -4, u"ab", -1, u"abc").text, u"[ab  |abc]");
    // The * arguments come before the value, in order, and are consumed even when the value is text.
    EXPECT_EQ(Format(u"%*c%d", 3, int{u'x'}, 9).text, u"  x9");
}

TEST(FormatBounded16, InvalidConversionsFail) {
    const char16_t* invalid[] = {u"%",
                                 u"abc%",
                                 u"%5",
                                 u"%.",
                                 u"%-",
                                 u"%n",
                                 u"%q",
                                 u"%5%",
                                 u"%-%",
                                 u"%hhs",
                                 u"%lls",
                                 u"%zc",
                                 u"%Ld",
                                 u"%Lu",
                                 u"%hf",
                                 u"%llf",
                                 u"%lp",
                                 u"%99999999999d",
                                 u"%.99999999999f",
                                 u"%\u00e9"};
    int dummy = 0;
    for (const char16_t* format : invalid) {
        Result result = FormatInto(64, format, &dummy, &dummy);
        EXPECT_EQ(result.length, -1) << ToUtf8(format);
        EXPECT_EQ(result.text, u"") << ToUtf8(format);
    }
    char16_t buffer[8] = u"xxxxxxx";
    EXPECT_EQ(FormatBounded16(buffer, 8, nullptr), -1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(FormatBounded16(nullptr, 8, u"a"), -1);
    EXPECT_EQ(FormatBounded16(buffer, 0, u""), -1);  // not even the terminator fits
}

TEST(FormatBounded16, TruncationAtEveryCapacity) {
    struct Case {
        std::u16string expected;
        Result (*format)(size_t capacity);
    };
    // Each case is also formatted in full, to see the expectation holds where it fits.
    const Case cases[] = {
        {u"plain text", [](size_t c) { return FormatInto(c, u"plain text"); }},
        {u"n=-42, x=   ff", [](size_t c) { return FormatInto(c, u"n=%d, x=%5x", -42, 255u); }},
        {u"[\U0001F600\u00e9  ]", [](size_t c) { return FormatInto(c, u"[%-5hs]", "\U0001F600\u00e9"); }},
        {u"   1.50e+00|\u00e9", [](size_t c) { return FormatInto(c, u"%11.2e|%c", 1.5, int{u'\u00e9'}); }},
        {u"(null)%", [](size_t c) { return FormatInto(c, u"%s%%", static_cast<const char16_t*>(nullptr)); }},
    };
    for (const Case& test : cases) {
        size_t length = test.expected.size();
        Result full = test.format(length + 1);
        EXPECT_EQ(full.length, static_cast<int>(length));
        EXPECT_EQ(full.text, test.expected);
        for (size_t capacity = 0; capacity <= length; ++capacity) {
            Result cut = test.format(capacity);
            EXPECT_EQ(cut.length, -1) << ToUtf8(test.expected) << " capacity " << capacity;
            EXPECT_EQ(cut.text, u"") << ToUtf8(test.expected) << " capacity " << capacity;
        }
    }
}

TEST(FormatBounded16, HugeWidthsAndPrecisionsFail) {
    EXPECT_EQ(FormatInto(100, u"%*d", INT_MAX, 1).length, -1);
    EXPECT_EQ(FormatInto(100, u"%.*f", INT_MAX, 1.0).length, -1);
    EXPECT_EQ(FormatInto(100, u"%#.*g", INT_MAX, 1.0).length, -1);
    EXPECT_EQ(FormatInto(100, u"%*s", INT_MAX, u"a").length, -1);
    EXPECT_EQ(FormatInto(100, u"%*d", INT_MIN, 1).length, -1);  // -INT_MIN is no int
    EXPECT_EQ(FormatInto(100, u"%.0f", 1e300).length, -1);      // 301 digits, past the local buffer
    EXPECT_EQ(FormatInto(400, u"%.0f", 1e300).length, 301);
}

int FormatWithList(char16_t* buffer, size_t capacity, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    int length = kt::platform::FormatBounded16V(buffer, capacity, format, args);
    va_end(args);
    return length;
}

TEST(FormatBounded16, VaListFormAndLiteralZero) {
    char16_t buffer[32];
    EXPECT_EQ(FormatWithList(buffer, 32, u"%s=%d", u"n", 0), 3);
    EXPECT_EQ(std::u16string(buffer), u"n=0");
    // A literal 0 among the arguments must reach the variadic form, not be taken for a va_list.
    EXPECT_EQ(FormatBounded16(buffer, 32, u"%d", 0), 1);
    EXPECT_EQ(std::u16string(buffer), u"0");
}

}  // namespace
