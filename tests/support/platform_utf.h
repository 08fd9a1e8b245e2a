// The platform's UTF-8 code page into standard strings, through its size query.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace kt::test {

inline std::u16string PlatformToUtf16(const std::string& bytes) {
    const auto count = static_cast<int32_t>(bytes.size());
    const int32_t needed = platform::Utf8ToUtf16(bytes.data(), count, nullptr, 0);
    std::u16string out(static_cast<size_t>(needed), u'\0');
    EXPECT_EQ(platform::Utf8ToUtf16(bytes.data(), count, out.data(), needed), needed);
    return out;
}

inline std::string PlatformToUtf8(const std::u16string& units) {
    const auto count = static_cast<int32_t>(units.size());
    const int32_t needed = platform::Utf16ToUtf8(units.data(), count, nullptr, 0);
    std::string out(static_cast<size_t>(needed), '\0');
    EXPECT_EQ(platform::Utf16ToUtf8(units.data(), count, out.data(), needed), needed);
    return out;
}

}  // namespace kt::test
