#include <gtest/gtest.h>

#include "tests/support/text_literals.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/platform_utf.h"
#include "text/string/convert.h"
#include "text/string/kt_string.h"
#include "text/string/utf8.h"

using namespace kt;
using kt::test::Allocations;
using kt::test::PlatformToUtf16;
using kt::test::PlatformToUtf8;
using kt::test::ResetAllocations;

namespace {

std::string Bytes(const KTString<char>& s) {
    return std::string(s.Data(), static_cast<size_t>(s.Length()));
}

// U+0000..U+10FFFF without the surrogates, as UTF-16 (NUL left out) and as UTF-8 from EncodeUtf8.
struct AllScalars {
    std::u16string utf16;
    std::string utf8;
    AllScalars() {
        for (uint32_t cp = 1; cp <= 0x10FFFF; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            if (cp < 0x10000) {
                utf16 += static_cast<char16_t>(cp);
            } else {
                utf16 += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                utf16 += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
            char bytes[4];
            char* end = bytes;
            EncodeUtf8(end, cp);
            utf8.append(bytes, end);
        }
    }
};

}  // namespace

// ---- the platform's UTF-8 code page -------------------------------------------------------------------

TEST(Utf8CodePage, EveryScalarValueRoundTrips) {
    AllScalars all;
    EXPECT_EQ(PlatformToUtf8(all.utf16), all.utf8);
    EXPECT_EQ(PlatformToUtf16(all.utf8), all.utf16);
    // The library's own encoder agrees on well-formed UTF-16.
    EXPECT_EQ(Bytes(ToUtf8(all.utf16.c_str())), all.utf8);
    KTString<char16_t> back;
    back.ConvertFromUTF8String(all.utf8.c_str(), -1);
    EXPECT_TRUE(back.ToView() == all.utf16);
}

TEST(Utf8CodePage, IllFormedBytesBecomeOneReplacementPerMaximalSubpart) {
    struct Case {
        const char* bytes;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"a\x80z", u"a\uFFFDz"},                            // stray continuation byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // C0 starts nothing (overlong)
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // E0 needs A0-BF next
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xE2\x82", u"\uFFFD"},                            // truncated: one for the whole prefix
        {"\xE2\x82z", u"\uFFFDz"},                          // broken off: the next byte starts afresh
        {"\xF0\x9F\x98", u"\uFFFD"},                        // truncated four-byte sequence
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xF5\xFF", u"\uFFFD\uFFFD"},
        {"\xC3\xA9\xC3", u"\u00E9\uFFFD"},
        {"\xEF\xBB\xBFx", u"\uFEFFx"},  // a byte-order mark is an ordinary character
    };
    for (const Case& c : cases) EXPECT_TRUE(PlatformToUtf16(c.bytes) == c.expected) << c.bytes;

    EXPECT_EQ(PlatformToUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");                // unpaired lead
    EXPECT_EQ(PlatformToUtf8(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // reversed pair
    EXPECT_EQ(PlatformToUtf8(std::u16string(u"\xD83D")), "\xEF\xBF\xBD");    // lead at the end
}

TEST(Utf8CodePage, SizeQueryTerminatorAndFailures) {
    // A negative count takes the terminator along.
    EXPECT_EQ(platform::Utf8ToUtf16("h\xC3\xA9", -1, nullptr, 0), 3);
    EXPECT_EQ(platform::Utf16ToUtf8(u"h\u00E9", -1, nullptr, 0), 4);
    char16_t units[8];
    std::memset(units, 0xFF, sizeof units);
    EXPECT_EQ(platform::Utf8ToUtf16("h\xC3\xA9", -1, units, 8), 3);
    EXPECT_EQ(units[2], 0);
    // Too small a buffer, a null text and a count of 0 fail with 0.
    EXPECT_EQ(platform::Utf8ToUtf16("abcdefghijkl", 12, units, 8), 0);
    EXPECT_EQ(platform::Utf16ToUtf8(u"\u20AC", 1, reinterpret_cast<char*>(units), 2), 0);
    EXPECT_EQ(platform::Utf8ToUtf16(nullptr, 5, nullptr, 0), 0);
    EXPECT_EQ(platform::Utf8ToUtf16("abc", 0, nullptr, 0), 0);
    EXPECT_EQ(platform::Utf16ToUtf8(nullptr, -1, nullptr, 0), 0);
    // An embedded NUL inside the count is a character like any other.
    EXPECT_EQ(platform::Utf8ToUtf16("a\0b", 3, nullptr, 0), 3);
}

TEST(Utf8CodePage, ExactBuffersAcrossTheWordPath) {
    // Lengths around the eight-byte ASCII words, with a multi-byte character at every position.
    for (int length = 0; length < 40; ++length) {
        for (int at = 0; at <= length; ++at) {
            std::string bytes(static_cast<size_t>(length), 'a');
            bytes.insert(static_cast<size_t>(at), "\xF0\x9F\x98\x80");
            std::u16string units = PlatformToUtf16(bytes);
            ASSERT_EQ(units.size(), static_cast<size_t>(length) + 2);
            EXPECT_EQ(units[static_cast<size_t>(at)], 0xD83D);
            EXPECT_EQ(PlatformToUtf8(units), bytes);
            EXPECT_EQ(Bytes(ToUtf8(units.c_str())), bytes);
            // One unit short is a failure, not a cut.
            std::vector<char16_t> small(units.size() - 1);
            EXPECT_EQ(platform::Utf8ToUtf16(bytes.data(), static_cast<int32_t>(bytes.size()), small.data(),
                                            static_cast<int32_t>(small.size())),
                      0);
        }
    }
}

// Characters of one UTF-16 unit, which wine converts as Windows does: a buffer one unit short, in either
// direction, is a failure that leaves the unit past it alone.
TEST(Utf8CodePage, OneShortBuffersForCharactersOfOneUnit) {
    for (size_t length = 1; length < 40; ++length) {
        for (const char* character : {"\xC3\xA9", "\xE2\x82\xAC"}) {
            std::string bytes(length, 'a');
            bytes.insert(length / 2, character);
            const std::u16string wide = PlatformToUtf16(bytes);
            std::u16string small(wide.size(), u'#');
            EXPECT_EQ(platform::Utf8ToUtf16(bytes.data(), static_cast<int32_t>(bytes.size()), small.data(),
                                            static_cast<int32_t>(wide.size() - 1)),
                      0);
            EXPECT_EQ(small.back(), u'#');
            std::string narrow(bytes.size(), '#');
            EXPECT_EQ(platform::Utf16ToUtf8(wide.data(), static_cast<int32_t>(wide.size()), narrow.data(),
                                            static_cast<int32_t>(bytes.size() - 1)),
                      0);
            EXPECT_EQ(narrow.back(), '#');
        }
    }
}

// ---- character counts of 8-bit strings ---------------------------------------------------------------

TEST(Utf8Width, CharacterCountsAndCapacities) {
    KTString<char> e9('\xE9');
    EXPECT_EQ(e9.Length(), 2);
    EXPECT_EQ(e9.Capacity(), 2);
    KTString<char> three(KTCapacity{3}, false);
    EXPECT_EQ(three.Capacity(), 12);
    // "aäb": a count of 2 characters covers 3 bytes.
    KTString<char> two("a\u00E4b", 2, false);
    EXPECT_EQ(two.ToView(), "a\xC3\xA4");
    KTString<char16_t> wide(u"abc", 2, false);  // the flag means nothing in the 16-bit width
    EXPECT_EQ(wide.ToView(), u"ab");
}

// ---- the library's own UTF-8 primitives --------------------------------------------------------------

TEST(Utf8Primitives, EncodeLengthsAndRefusals) {
    const std::pair<uint32_t, int> lengths[] = {{0x7F, 1},   {0x80, 2},    {0x7FF, 2},   {0x800, 3},
                                                {0xFFFF, 3}, {0x10000, 4}, {0x10FFFF, 4}};
    for (auto [cp, length] : lengths) {
        char bytes[4];
        char* end = bytes;
        EXPECT_TRUE(EncodeUtf8(end, cp));
        EXPECT_EQ(end - bytes, length) << std::hex << cp;
        const char* in = bytes;
        EXPECT_EQ(DecodeUtf8(in), cp);
        KTString<char> assigned;
        assigned = static_cast<char32_t>(cp);
        EXPECT_EQ(Bytes(assigned), std::string(bytes, end));
    }
    for (uint32_t cp : {0xD800u, 0xDFFFu, 0x110000u}) {
        char bytes[4];
        char* end = bytes;
        EXPECT_FALSE(EncodeUtf8(end, cp));
        EXPECT_EQ(end, bytes);
    }
    KTString<char> s("x");
    s = U'\x110000';
    EXPECT_EQ(s.Length(), 0);
    s = U'\0';
    EXPECT_EQ(s.Length(), 0);
}

TEST(Utf8Primitives, SequenceLengthsAndNullTexts) {
    // The bit rule applies to stray continuation bytes too.
    const std::pair<unsigned char, int> leads[] = {{0x41, 1}, {0x80, 4}, {0xBF, 4}, {0xC0, 2}, {0xDF, 2},
                                                   {0xE0, 3}, {0xEF, 3}, {0xF0, 4}, {0xFF, 4}};
    for (auto [lead, length] : leads) EXPECT_EQ(Utf8SequenceLength(lead), length) << int{lead};
    // Walks over any bytes are fuzzed; a null text is none.
    EXPECT_EQ(CharsToUnits(nullptr, 5), 0);
    EXPECT_EQ(FindCodePoint(nullptr, 'a'), nullptr);
}

// ---- UTF-16 to new UTF-8 strings ----------------------------------------------------------------------

TEST(ToUtf8, TerminatedAndCountedForms) {
    const char16_t text[] = u"A\u00E9\u20AC\U0001F600";
    KTString<char> all = ToUtf8(text);
    EXPECT_EQ(Bytes(all), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(all.Length(), 10);
    EXPECT_EQ(all.Capacity(), 10);
    EXPECT_EQ(Bytes(ToUtf8(text, 3)), "A\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(Bytes(ToUtf8(text, 5)), Bytes(all)) << "the pair counts two units";
    EXPECT_EQ(ToUtf8(text, 0).Length(), 0);
    EXPECT_TRUE(ToUtf8(text, -2).IsNull());
    EXPECT_TRUE(ToUtf8(static_cast<const char16_t*>(nullptr)).IsNull());
    EXPECT_TRUE(ToUtf8(u"").IsNull());
    KTStringShared<char16_t> shared(text);
    EXPECT_EQ(Bytes(ToUtf8(shared)), Bytes(all));
}

TEST(ToUtf8, OneAllocationAndAnEightBitCopy) {
    ResetAllocations();
    KTString<char> s = ToUtf8(u"ein l\u00E4ngerer Text mit Umlauten: \u00F6\u00FC\u00DF");
    EXPECT_EQ(Allocations().allocations, 1);
    EXPECT_EQ(s.Capacity(), s.Length());

    KTString<char> copy = CopyUtf8("gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(Bytes(copy), "gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(copy.Capacity(), 6);
    EXPECT_TRUE(CopyUtf8(nullptr).IsNull());
    EXPECT_TRUE(CopyUtf8("").IsNull());
}

// ---- UTF-8 into 16-bit strings of every storage mode --------------------------------------------------

template <class S>
class Utf16Modes : public ::testing::Test {};
TYPED_TEST_SUITE(Utf16Modes, kt::test::Modes16);

TYPED_TEST(Utf16Modes, ConvertFromUtf8InThreeForms) {
    TypeParam s;
    s.ConvertFromUTF8String("abc", -1);
    EXPECT_TRUE(s == u"abc");
    EXPECT_EQ(s.Length(), 3);
    s.ConvertFromUTF8String("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", 11);
    EXPECT_TRUE(s == u"gr\u00FC\u00DF \U0001F600");
    s.ConvertFromUTF8String(std::string_view("xyz\xC3\xA9", 3));
    EXPECT_TRUE(s == u"xyz");
    KTStringShared<char> eight("\xE2\x82\xAC!");
    s.ConvertFromUTF8String(eight);
    EXPECT_TRUE(s == u"\u20AC!");
    s.ConvertFromUTF8String("a\xFF", -1);
    EXPECT_TRUE(s == u"a\uFFFD");

    // Null, a count of 0 and an empty text empty the string.
    s.ConvertFromUTF8String(nullptr, 5);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Data()[0], 0);
    s.ConvertFromUTF8String("abc", -1);
    s.ConvertFromUTF8String("abc", 0);
    EXPECT_EQ(s.Length(), 0);
    s.ConvertFromUTF8String("", -1);
    EXPECT_EQ(s.Length(), 0);
}

TYPED_TEST(Utf16Modes, ConvertFromUtf8LeavesOtherHoldersAlone) {
    if constexpr (std::is_same_v<TypeParam, KTStringShared<char16_t>>) {
        TypeParam first(u"shared text");
        TypeParam second(first);
        ASSERT_EQ(first.Data(), second.Data());
        second.ConvertFromUTF8String("new", -1);
        EXPECT_TRUE(first == u"shared text");
        EXPECT_TRUE(second == u"new");
        second = first;
        second.ConvertFromUTF8String("", -1);  // empties by dropping the hold
        EXPECT_TRUE(second.IsNull());
        EXPECT_TRUE(first == u"shared text");
        TypeParam third(first);
        third.ConvertToUtf8Units();
        EXPECT_NE(third.Data(), first.Data());
        EXPECT_TRUE(first == u"shared text");
        EXPECT_TRUE(third == u"shared text");
    } else if constexpr (std::is_same_v<TypeParam, KTStringBorrowed<char16_t>>) {
        char16_t foreign[] = u"foreign";
        TypeParam s(Borrow, foreign);
        s.ConvertFromUTF8String("\xC3\xA9t\xC3\xA9", -1);
        EXPECT_TRUE(s == u"\u00E9t\u00E9");
        EXPECT_TRUE(s.Owned());
        EXPECT_TRUE(std::u16string_view(foreign) == u"foreign");
    } else {
        TypeParam s(u"0123456789");
        const char16_t* block = s.Data();
        s.ConvertFromUTF8String("short", -1);
        EXPECT_EQ(s.Data(), block) << "a block that is large enough is reused";
        EXPECT_TRUE(s == u"short");
    }
}

TYPED_TEST(Utf16Modes, ConverterFailureThrowsTheExactMessage) {
    TypeParam s(u"keep");
    auto sizeFails = [](const char*, int32_t, char16_t*, int32_t) noexcept -> int32_t { return 0; };
    try {
        s._ConvertFromUTF8(sizeFails, "abc", -1);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "KTString::ConvertFromUTF8String failed!");
    }
    EXPECT_TRUE(s == u"keep") << "a failed size query leaves the string unchanged";

    auto conversionFails = [](const char* text, int32_t count, char16_t* out, int32_t capacity) noexcept {
        return out == nullptr ? platform::Utf8ToUtf16(text, count, out, capacity) : 0;
    };
    EXPECT_THROW(s._ConvertFromUTF8(conversionFails, "longer than before", -1), std::runtime_error);
    EXPECT_EQ(s.Length(), 0) << "a failed conversion leaves a valid empty string";
}

TYPED_TEST(Utf16Modes, Utf8BytesAsUnits) {
    TypeParam s(u"\u00E9a\u20AC");
    s.ConvertToUtf8Units();
    const char16_t expected[] = {0xC3, 0xA9, u'a', 0xE2, 0x82, 0xAC, 0};
    EXPECT_TRUE(s == expected);
    EXPECT_EQ(s.Length(), 6);
    TypeParam empty;
    empty.ConvertToUtf8Units();
    EXPECT_EQ(empty.Length(), 0);
    TypeParam lone(u"x");
    lone += u'\xD800';
    lone.ConvertToUtf8Units();
    const char16_t replaced[] = {u'x', 0xEF, 0xBF, 0xBD, 0};
    EXPECT_TRUE(lone == replaced);
}

TEST(Utf8Buffer, HoldsTheTerminatedBytes) {
    KTUtf8Buffer buffer(u"\u00E9!");
    ASSERT_EQ(buffer.Size(), 4);
    EXPECT_STREQ(buffer.Data(), "\xC3\xA9!");
    KTUtf8Buffer moved(std::move(buffer));
    EXPECT_EQ(buffer.Size(), 0);
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_STREQ(moved.Data(), "\xC3\xA9!");
    KTUtf8Buffer none(nullptr);
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(none.Data(), nullptr);
    KTUtf8Buffer empty(u"");
    EXPECT_EQ(empty.Size(), 1);
    EXPECT_STREQ(empty.Data(), "");
}
