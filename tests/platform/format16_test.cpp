#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/platform.h"

namespace {

using kt::platform::FormatBounded16;
using kt::platform::FormatInvalid;
using kt::platform::FormatTooSmall;

// UTF-16 to UTF-8 for comparing with the C library's 8-bit output (an unpaired surrogate becomes U+FFFD).
std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        bool paired = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && (text[i + 1] & 0xFC00) == 0xDC00;
        if (paired) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        int trail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(trail == 0 ? c : (0xF80 >> trail & 0xF0) | c >> (6 * trail));
        while (trail-- > 0) out += static_cast<char>(0x80 | (c >> (6 * trail) & 0x3F));
    }
    return out;
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
    return {length, capacity == 0 ? u"" : std::u16string(buffer.get())};
}

template <class... Args>
Result Format(const char16_t* format, Args... args) {
    return FormatInto(4096, format, args...);
}

// The va_list forms of both widths, given the arguments behind `format`.
template <class Unit>
int FormatWithList(Unit* buffer, size_t capacity, const Unit* format, ...) {
    va_list args;
    va_start(args, format);
    int length;
    if constexpr (std::is_same_v<Unit, char>)
        length = kt::platform::FormatBounded8V(buffer, capacity, format, args);
    else
        length = kt::platform::FormatBounded16V(buffer, capacity, format, args);
    va_end(args);
    return length;
}

// The 16-bit result, as UTF-8, must equal what std::snprintf makes of the same format and arguments,
// in a buffer of exactly the length plus terminator; the 8-bit form accepts the format and gives the same.
template <class... Args>
void ExpectSameAsSnprintf(const char* format, Args... args) {
    int length = std::snprintf(nullptr, 0, format, args...);
    ASSERT_GE(length, 0) << format;
    std::string expected(static_cast<size_t>(length), '\0');
    std::snprintf(expected.data(), expected.size() + 1, format, args...);
    std::u16string wideFormat(format, format + std::char_traits<char>::length(format));
    Result result = FormatInto(expected.size() + 1, wideFormat.c_str(), args...);
    EXPECT_EQ(ToUtf8(result.text), expected) << "format " << format;
    EXPECT_EQ(result.length, length) << "format " << format;
    std::string narrow(expected.size() + 1, 'x');
    EXPECT_EQ(FormatWithList<char>(narrow.data(), narrow.size(), format, args...), length) << format;
    EXPECT_EQ(narrow.c_str(), expected) << "format " << format;
}

TEST(FormatBounded16, IntegersMatchTheCLibrary) {
    for (const char* format : {"%d", "%i", "%5d", "%-5d|", "%+d", "% d", "%05d", "%-05d|", "%.3d", "%.0d",
                               "%8.3d", "%+.0d", "%+08d", "% 07i", "%hhd %hd", "%hhi %hi"})
        for (int value : {0, 1, -1, 42, -129, 70000, INT_MIN, INT_MAX})
            ExpectSameAsSnprintf(format, value, value);
    for (const char* format : {"%u", "%o", "%#o", "%x", "%#x", "%X", "%#010X", "%-#10o|", "%.5x", "%#.0o",
                               "%#.0x", "%+u", "% x", "%hhu %hx"})
        for (unsigned value : {0u, 8u, 255u, 65536u, 0xDEADBEEFu, UINT_MAX})
            ExpectSameAsSnprintf(format, value, value);
    for (long long value : {0LL, -1LL, LLONG_MIN, LLONG_MAX}) {
        auto unsignedValue = static_cast<unsigned long long>(value);
        ExpectSameAsSnprintf("%lld|%20lld|%-+22lli|%llu|%#llo", value, value, value, unsignedValue,
                             unsignedValue);
        ExpectSameAsSnprintf("%ld %jd %lX %ju", static_cast<long>(value), static_cast<intmax_t>(value),
                             static_cast<unsigned long>(value), static_cast<uintmax_t>(value));
        ExpectSameAsSnprintf("%zd %td %zu %tx", static_cast<std::make_signed_t<size_t>>(value),
                             static_cast<ptrdiff_t>(value), static_cast<size_t>(value),
                             static_cast<std::make_unsigned_t<ptrdiff_t>>(value));
    }
}

TEST(FormatBounded16, FloatingPointMatchesTheCLibrary) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    for (const char* format :
         {"%f",   "%F",  "%.0f", "%#.0f", "%10.4f",   "%-12.3f|", "%+f", "% f",    "%010.2f",
          "%e",   "%E",  "%.3e", "%#.0e", "%-14.2E|", "%g",       "%G",  "%#g",    "%.10g",
          "%.0g", "%+g", "%a",   "%A",    "%.3a",     "%#.0a",    "%lf", "%20.15g"})
        for (double value : {0.0, -0.0, 1.5, -2.25, 0.1, 2.675, 123456789.0, 1e300, -1e-300, DBL_MAX,
                             DBL_TRUE_MIN, inf, -inf, nan})
            ExpectSameAsSnprintf(format, value);
    for (long double value : {0.0L, -1.25L, 1e4000L, LDBL_MIN})
        ExpectSameAsSnprintf("%Lg %Le %La", value, value, value);
    // Longer than the local buffer: formatted again on the heap.
    ExpectSameAsSnprintf("%.1000f|%3000d|%-3000x|%.2000g", 1.0 / 3, 7, 0xABCu, 0.1);
    ExpectSameAsSnprintf("%Lf", LDBL_MAX);
    // %g drops trailing zeros, so a precision past the exact expansion changes nothing.
    char expected[256];
    std::snprintf(expected, sizeof(expected), "%.200g", 0.1);
    EXPECT_EQ(ToUtf8(Format(u"%.*g", INT_MAX, 0.1).text), expected);
}

TEST(FormatBounded16, PointersPercentAndStarMatchTheCLibrary) {
    // A pointer is the C library's bare "%p" text, padded to the width. (Compared with that rather than
    // with snprintf's "%24p": with a width, MinGW's printf drops the leading zeros that its "%p" writes.)
    int object = 0;
    for (void* pointer : {static_cast<void*>(&object), static_cast<void*>(nullptr)}) {
        char bare[64];
        std::snprintf(bare, sizeof bare, "%p", pointer);
        const std::string text = bare, padding(24 - text.size(), ' ');
        EXPECT_EQ(ToUtf8(Format(u"%p|%24p|%-24p|%%|100%%", pointer, pointer, pointer).text),
                  text + "|" + padding + text + "|" + text + padding + "|%|100%");
    }
    ExpectSameAsSnprintf("[%*d|%-*d|%*d]", 6, 42, 6, 42, -6, 42);  // a negative width means '-'
    ExpectSameAsSnprintf("[%.*f|%.*f|%*.*e]", 2, 3.14159, -1, 3.14159, 12, 3, 31415.9);
}

TEST(FormatBounded16, StringsAndCharactersCountUnits) {
    const char16_t* wide = u"\u00e9\U0001F600x";  // é, a supplementary character (2 units), x: 4 units
    const char* utf8 = "\u00e9\U0001F600x";
    EXPECT_EQ(Format(u"[%s|%ls|%hs]", wide, wide, utf8).text,
              u"[\u00e9\U0001F600x|\u00e9\U0001F600x|\u00e9\U0001F600x]");
    EXPECT_EQ(Format(u"[%6s|%-6hs|%3s]", wide, utf8, wide).text,
              u"[  \u00e9\U0001F600x|\u00e9\U0001F600x  |\u00e9\U0001F600x]");
    // %s stops after exactly `precision` units; %hs never splits a character.
    EXPECT_EQ(ToUtf8(Format(u"[%.2s]", wide).text), "[\u00e9\uFFFD]");
    EXPECT_EQ(Format(u"[%.2hs|%.3hs|%5.2hs]", utf8, utf8, utf8).text,
              u"[\u00e9|\u00e9\U0001F600|    \u00e9]");
    const char16_t unterminated[3] = {u'a', u'b', u'c'};  // %.3s reads no further than three units
    EXPECT_EQ(Format(u"%.3s", unterminated).text, u"abc");
    EXPECT_EQ(Format(u"[%*.*s|%-*.*hs|%*s]", 5, 2, u"abcdef", 5, 3, "abcdef", -4, u"ab").text,
              u"[   ab|abc  |ab  ]");

    EXPECT_EQ(
        Format(u"[%c%lc%hc]", int{u'\u263A'}, int{u'\u00fc'}, static_cast<int>(static_cast<char>(0xE9))).text,
        u"[\u263A\u00fc\u00e9]");
    EXPECT_EQ(Format(u"[%3c|%-3hc|%03c]%*c", int{u'x'}, int{'y'}, int{u'z'}, 2, int{u'w'}).text,
              u"[  x|y  |  z] w");
    Result withNul = Format(u"a%cb", 0);  // a NUL character is written and counted like any other
    EXPECT_EQ(withNul.length, 3);
    EXPECT_EQ(withNul.text, u"a");

    const char16_t* nullWide = nullptr;
    const char* nullNarrow = nullptr;
    EXPECT_EQ(Format(u"[%s|%8ls|%-8hs|%.3s]", nullWide, nullWide, nullNarrow, nullWide).text,
              u"[(null)|  (null)|(null)  |(nu]");
}

TEST(FormatBounded16, IllFormedUtf8BecomesOneReplacementPerMaximalSubpart) {
    EXPECT_EQ(Format(u"%hs|%hs|%hs", "a\xC3(", "\xE2\x82\xAC\xFF", "\xF0\x9F\x98").text,
              u"a\uFFFD(|\u20AC\uFFFD|\uFFFD");
    // An overlong form, a surrogate and a value above U+10FFFF: each byte on its own.
    EXPECT_EQ(Format(u"%hs|%hs|%hs", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80").text,
              u"\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD");
}

// Invalid formats are told from buffers that are too small, by both widths alike, whatever the room, and
// when asked for the size too.
TEST(FormatBounded16, InvalidConversionsAreRejectedInBothWidths) {
    int dummy = 0;
    const char* const invalidFormats[] = {
        "%",   "abc%", "%5",   "%.",        "%-",         "%n",           "%q",
        "%y",  "%5%",  "%hhs", "%lls",      "%zc",        "%Ld",          "%Lu",
        "%hf", "%llf", "%lp",  "%\xC3\xA9", "%d then %y", "%2147483648d", "%.2147483648f"};
    for (const char* format : invalidFormats) {
        std::u16string wide(format, format + std::strlen(format));
        for (size_t capacity : {1, 2, 64}) {
            Result result = FormatInto(capacity, wide.c_str(), &dummy, &dummy);
            EXPECT_EQ(result.length, FormatInvalid) << format << ", capacity " << capacity;
            EXPECT_EQ(result.text, u"") << format;
            char narrow[64] = "xxxx";
            EXPECT_EQ(FormatWithList<char>(narrow, capacity, format, &dummy, &dummy), FormatInvalid)
                << format;
            EXPECT_EQ(narrow[0], 0) << format;
        }
        EXPECT_EQ(FormatBounded16(nullptr, 0, wide.c_str(), &dummy, &dummy), FormatInvalid) << format;
        EXPECT_EQ(FormatWithList<char>(nullptr, 0, format, &dummy, &dummy), FormatInvalid) << format;
    }
    char16_t buffer[8] = u"xxxxxxx";
    EXPECT_EQ(FormatBounded16(buffer, 8, nullptr), FormatInvalid);
    EXPECT_EQ(buffer[0], 0);
    char narrow[8] = "xxxxxxx";
    EXPECT_EQ(FormatWithList<char>(narrow, 8, nullptr), FormatInvalid);
    EXPECT_EQ(narrow[0], 0);
    EXPECT_EQ(FormatWithList<char>(narrow, 8, "%d|%.1f|%c", 4, 2.25, 'z'), 7);
    EXPECT_STREQ(narrow, "4|2.2|z");
    EXPECT_EQ(FormatWithList<char>(narrow, 7, "%d|%.1f|%c", 4, 2.25, 'z'), FormatTooSmall);
    EXPECT_STREQ(narrow, "");
    EXPECT_EQ(FormatWithList<char>(nullptr, 0, "%d|%.1f|%c", 4, 2.25, 'z'), 7);
}

TEST(FormatBounded16, TruncationAtEveryCapacity) {
    // Results that fit in exactly length + 1 units; every smaller capacity must fail and leave "".
    struct Case {
        std::u16string expected;
        Result (*format)(size_t capacity);
    };
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
            EXPECT_EQ(cut.length, -1) << ToUtf8(test.expected) << ", capacity " << capacity;
            EXPECT_EQ(cut.text, u"") << ToUtf8(test.expected) << ", capacity " << capacity;
        }
    }
    // Widths and precisions far past the room: too small, found without making the number; together more
    // than INT_MAX units, which no buffer holds.
    EXPECT_EQ(FormatInto(100, u"%*d", INT_MAX, 1).length, FormatTooSmall);
    EXPECT_EQ(FormatInto(100, u"%.*f", INT_MAX, 1.0).length, FormatTooSmall);
    EXPECT_EQ(FormatInto(100, u"%#.*g", INT_MAX, 1.0).length, FormatTooSmall);
    EXPECT_EQ(FormatInto(100, u"%*s", INT_MAX, u"a").length, FormatTooSmall);
    EXPECT_EQ(
        FormatInto(100, u"%*d|%.*f|%#.*g|%*s", INT_MAX, 1, INT_MAX, 1.0, INT_MAX, 1.0, INT_MAX, u"a").length,
        FormatInvalid);
    EXPECT_EQ(FormatInto(100, u"%*d", INT_MIN, 1).length, FormatInvalid);  // -INT_MIN is no int
    EXPECT_EQ(FormatInto(100, u"%.0f", 1e300).length, FormatTooSmall);  // 301 digits, past the local buffer
    EXPECT_EQ(FormatInto(302, u"%.0f", 1e300).length, 301);
    // Asked for the size, the formatter counts what the output needs.
    EXPECT_EQ(FormatBounded16(nullptr, 0, u"%.0f", 1e300), 301);
    EXPECT_EQ(FormatBounded16(nullptr, 0, u"%s=%5d %hs", u"n", 42, "\U0001F600"), 10);
    EXPECT_EQ(FormatBounded16(nullptr, 0, u"%*d", 4096, 7), 4096);
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
