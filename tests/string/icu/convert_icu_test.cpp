// The platform's UTF-8 code page against ICU's converters with U+FFFD as the substitution character, on
// random well-formed and ill-formed input.
#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

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

std::u16string OursToUtf16(const std::string& bytes) {
    if (bytes.empty()) return {};
    int32_t needed = kt::platform::Utf8ToUtf16(bytes.data(), static_cast<int32_t>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(needed), u'\0');
    EXPECT_EQ(kt::platform::Utf8ToUtf16(bytes.data(), static_cast<int32_t>(bytes.size()), out.data(), needed),
              needed);
    return out;
}

std::string OursToUtf8(const std::u16string& units) {
    if (units.empty()) return {};
    int32_t needed = kt::platform::Utf16ToUtf8(units.data(), static_cast<int32_t>(units.size()), nullptr, 0);
    std::string out(static_cast<size_t>(needed), '\0');
    EXPECT_EQ(kt::platform::Utf16ToUtf8(units.data(), static_cast<int32_t>(units.size()), out.data(), needed),
              needed);
    return out;
}

// Random text: mostly well-formed sequences of every length, with ASCII runs long enough for the word
// path, and (when `damage` is set) bytes cut, flipped or inserted anywhere.
std::string RandomUtf8(std::mt19937& random, bool damage) {
    std::string bytes;
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> length(0, 200);
    int pieces = length(random);
    for (int i = 0; i < pieces; ++i) {
        uint32_t cp;
        switch (pick(random)) {
            case 0:
                cp = std::uniform_int_distribution<uint32_t>(0x80, 0x7FF)(random);
                break;
            case 1:
                cp = std::uniform_int_distribution<uint32_t>(0x800, 0xFFFF)(random);
                break;
            case 2:
                cp = std::uniform_int_distribution<uint32_t>(0x10000, 0x10FFFF)(random);
                break;
            default:
                cp = std::uniform_int_distribution<uint32_t>(0x20, 0x7E)(random);
                break;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 'S';
        char16_t units[2];
        int32_t count = 1;
        if (cp >= 0x10000) {
            units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            count = 2;
        } else {
            units[0] = static_cast<char16_t>(cp);
        }
        char encoded[8];
        int32_t n = kt::platform::Utf16ToUtf8(units, count, encoded, 8);
        bytes.append(encoded, static_cast<size_t>(n));
    }
    if (damage && !bytes.empty()) {
        std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
        int edits = std::uniform_int_distribution<int>(1, 8)(random);
        for (int i = 0; i < edits && !bytes.empty(); ++i) {
            size_t where = at(random) % bytes.size();
            auto byte = static_cast<char>(std::uniform_int_distribution<int>(0x80, 0xFF)(random));
            switch (pick(random) % 3) {
                case 0:
                    bytes[where] = byte;
                    break;
                case 1:
                    bytes.insert(where, 1, byte);
                    break;
                default:
                    bytes.erase(where, 1);
                    break;
            }
        }
    }
    return bytes;
}

std::u16string RandomUtf16(std::mt19937& random) {
    std::u16string units;
    int count = std::uniform_int_distribution<int>(0, 200)(random);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int i = 0; i < count; ++i) {
        switch (pick(random)) {
            case 0:
                units += static_cast<char16_t>(std::uniform_int_distribution<int>(0xD800, 0xDFFF)(random));
                break;
            case 1:
                units += static_cast<char16_t>(std::uniform_int_distribution<int>(0x80, 0xFFFF)(random));
                break;
            case 2:
                units += static_cast<char16_t>(std::uniform_int_distribution<int>(0xD800, 0xDBFF)(random));
                units += static_cast<char16_t>(std::uniform_int_distribution<int>(0xDC00, 0xDFFF)(random));
                break;
            default:
                units += static_cast<char16_t>(std::uniform_int_distribution<int>(0, 0x7F)(random));
                break;
        }
    }
    return units;
}

}  // namespace

TEST(Utf8CodePageAgainstIcu, WellFormedInput) {
    std::mt19937 random(1);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = RandomUtf8(random, false);
        std::u16string units = IcuToUtf16(bytes);
        ASSERT_TRUE(OursToUtf16(bytes) == units) << i;
        ASSERT_EQ(OursToUtf8(units), IcuToUtf8(units)) << i;
        ASSERT_EQ(OursToUtf8(units), bytes) << i;
    }
}

TEST(Utf8CodePageAgainstIcu, IllFormedUtf8) {
    std::mt19937 random(2);
    for (int i = 0; i < 50000; ++i) {
        std::string bytes = RandomUtf8(random, true);
        ASSERT_TRUE(OursToUtf16(bytes) == IcuToUtf16(bytes)) << i;
    }
    // Every one- and two-byte input.
    for (int a = 0; a < 256; ++a) {
        std::string one(1, static_cast<char>(a));
        ASSERT_TRUE(OursToUtf16(one) == IcuToUtf16(one)) << a;
        for (int b = 0; b < 256; ++b) {
            std::string two{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_TRUE(OursToUtf16(two) == IcuToUtf16(two)) << a << ' ' << b;
        }
    }
}

TEST(Utf8CodePageAgainstIcu, UnpairedSurrogates) {
    std::mt19937 random(3);
    for (int i = 0; i < 50000; ++i) {
        std::u16string units = RandomUtf16(random);
        ASSERT_EQ(OursToUtf8(units), IcuToUtf8(units)) << i;
    }
}
