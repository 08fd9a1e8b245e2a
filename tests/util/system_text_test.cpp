#include "text/util/system_text.h"

#include <gtest/gtest.h>

#include "tests/support/text_literals.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

using namespace kt;

namespace {

template <class S>
std::u16string Text(const S& s) {
    return std::u16string(s.Data(), static_cast<size_t>(s.Length()));
}

// The system's text for `code` ends in the line break FormatMessage leaves. On POSIX it is strerror's
// text; on Windows it is the system's own message in its display language, so only its shape is known.
void ExpectSystemMessage(const std::u16string& text, int code) {
#ifdef _WIN32
    EXPECT_GT(text.size(), 2u) << code;
    EXPECT_TRUE(text.ends_with(u"\r\n")) << code;
    EXPECT_FALSE(text.starts_with(u"Unknown error")) << code;
#else
    const char* message = std::strerror(code);
    EXPECT_EQ(text, std::u16string(message, message + std::strlen(message)) + u"\r\n");
#endif
}

}  // namespace

template <class S>
class SystemErrorText : public ::testing::Test {};
TYPED_TEST_SUITE(SystemErrorText, kt::test::Modes16);

TYPED_TEST(SystemErrorText, KnownCodesGiveTheSystemMessage) {
    TypeParam s(u"previous");
    ExpectSystemMessage(Text(LoadSystemErrorText(s, ENOENT)), ENOENT);
    ExpectSystemMessage(Text(LoadSystemErrorText(s, 0)), 0);
}

TYPED_TEST(SystemErrorText, UnknownCodesGiveTheFallback) {
    TypeParam s(u"previous, rather longer than the fallback text will be");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xdeadbeef)), u"Unknown error 0xdeadbeef");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xfff0)), u"Unknown error 0x0000fff0");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xFFFFFFFF)), u"Unknown error 0xffffffff");
    EXPECT_EQ(s.Length(), 24);
    TypeParam empty;  // no block yet
    EXPECT_EQ(Text(LoadSystemErrorText(empty, 0x12345678)), u"Unknown error 0x12345678");
    TypeParam fresh;
    ExpectSystemMessage(Text(LoadSystemErrorText(fresh, EINVAL)), EINVAL);
}

TEST(SystemErrorTextOwnership, OtherHoldersKeepTheirText) {
    KTStringShared<char16_t> first(u"kept");
    KTStringShared<char16_t> second = first;
    LoadSystemErrorText(second, EACCES);
    EXPECT_EQ(Text(first), u"kept");
    ExpectSystemMessage(Text(second), EACCES);
}
