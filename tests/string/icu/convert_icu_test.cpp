// The platform's UTF-8 code page against ICU's converters with U+FFFD as the substitution character, on
// random well-formed and ill-formed input.
#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/platform.h"
#include "tests/support/platform_utf.h"

namespace {

using kt::test::PlatformToUtf16;
using kt::test::PlatformToUtf8;

std::u16string IcuToUtf16(const std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8WithSub(nullptr, 0, &needed, bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD,
                         nullptr, &status);
    std::u16string out(static_cast<size_t>(needed), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), needed, &needed, bytes.data(), static_cast<int32_t>(bytes.size()),
                         0xFFFD, nullptr, &status);
    EXPECT_TRUE(U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING) << u_errorName(status);
    return out;
}

std::string IcuToUtf8(const std::u16string& units) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8WithSub(nullptr, 0, &needed, units.data(), static_cast<int32_t>(units.size()), 0xFFFD, nullptr,
                       &status);
    std::string out(static_cast<size_t>(needed), '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), needed, &needed, units.data(), static_cast<int32_t>(units.size()), 0xFFFD,
                       nullptr, &status);
    EXPECT_TRUE(U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING) << u_errorName(status);
    return out;
}

// Random text: mostly well-formed sequences of every length, with ASCII runs long enough for the word
// path, and (when `damage` is set) bytes cut, flipped or inserted anywhere.
std::string RandomUtf8(std::mt19937& random, bool damage) {
    auto below = [&random](uint32_t bound) { return static_cast<uint32_t>(random() % bound); };
    // Code points of each encoded length: one kind in ten per multi-byte length, printable ASCII otherwise.
    const uint32_t ranges[][2] = {{0x80, 0x7FF}, {0x800, 0xFFFF}, {0x10000, 0x10FFFF}, {0x20, 0x7E}};
    std::u16string units;
    for (uint32_t pieces = below(201); pieces > 0; --pieces) {
        const auto& range = ranges[std::min(below(10), 3u)];
        uint32_t cp = range[0] + below(range[1] - range[0] + 1);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 'S';
        if (cp >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    std::string bytes = PlatformToUtf8(units);
    // Damage: 1 to 8 bytes from 0x80..0xFF replaced, inserted or removed anywhere.
    for (uint32_t edits = damage ? 1 + below(8) : 0; edits > 0 && !bytes.empty(); --edits) {
        const size_t where = below(static_cast<uint32_t>(bytes.size()));
        const auto byte = static_cast<char>(0x80 + below(0x80));
        const uint32_t edit = below(3);
        if (edit == 0) bytes[where] = byte;
        if (edit == 1) bytes.insert(where, 1, byte);
        if (edit == 2) bytes.erase(where, 1);
    }
    return bytes;
}

// Random units: lone surrogates, pairs, other BMP units and (mostly) ASCII.
std::u16string RandomUtf16(std::mt19937& random) {
    auto in = [&random](uint32_t low, uint32_t high) {
        return static_cast<char16_t>(low + random() % (high - low + 1));
    };
    std::u16string units;
    for (uint32_t count = random() % 201; count > 0; --count) {
        const uint32_t kind = random() % 10;
        if (kind == 0) units += in(0xD800, 0xDFFF);
        if (kind == 1) units += in(0x80, 0xFFFF);
        if (kind == 2) units += std::u16string{in(0xD800, 0xDBFF), in(0xDC00, 0xDFFF)};
        if (kind > 2) units += in(0, 0x7F);
    }
    return units;
}

}  // namespace

TEST(Utf8CodePageAgainstIcu, WellFormedInput) {
    std::mt19937 random(1);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = RandomUtf8(random, false);
        std::u16string units = IcuToUtf16(bytes);
        ASSERT_TRUE(PlatformToUtf16(bytes) == units) << i;
        ASSERT_EQ(PlatformToUtf8(units), IcuToUtf8(units)) << i;
        ASSERT_EQ(PlatformToUtf8(units), bytes) << i;
    }
}

TEST(Utf8CodePageAgainstIcu, IllFormedUtf8) {
    std::mt19937 random(2);
    for (int i = 0; i < 50000; ++i) {
        std::string bytes = RandomUtf8(random, true);
        ASSERT_TRUE(PlatformToUtf16(bytes) == IcuToUtf16(bytes)) << i;
    }
    // Every one- and two-byte input.
    for (int a = 0; a < 256; ++a) {
        std::string one(1, static_cast<char>(a));
        ASSERT_TRUE(PlatformToUtf16(one) == IcuToUtf16(one)) << a;
        for (int b = 0; b < 256; ++b) {
            std::string two{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_TRUE(PlatformToUtf16(two) == IcuToUtf16(two)) << a << ' ' << b;
        }
    }
}

TEST(Utf8CodePageAgainstIcu, UnpairedSurrogates) {
    std::mt19937 random(3);
    for (int i = 0; i < 50000; ++i) {
        std::u16string units = RandomUtf16(random);
        ASSERT_EQ(PlatformToUtf8(units), IcuToUtf8(units)) << i;
    }
}
