#include "text/util/system_text.h"

#include <gtest/gtest.h>

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

std::u16string Widen(const char* ascii) {
    return std::u16string(ascii, ascii + std::strlen(ascii));
}

}  // namespace

template <class S>
class SystemErrorText : public ::testing::Test {};
using Modes16 = ::testing::Types<KTString<char16_t>, KTStringInline<char16_t, 8>, KTStringShared<char16_t>,
                                 KTStringBorrowed<char16_t>>;
TYPED_TEST_SUITE(SystemErrorText, Modes16);

TYPED_TEST(SystemErrorText, KnownCodesGiveTheSystemMessage) {
    TypeParam s(u"previous");
    EXPECT_EQ(Text(LoadSystemErrorText(s, ENOENT)), Widen(std::strerror(ENOENT)) + u"\r\n");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0)), Widen(std::strerror(0)) + u"\r\n");
}

TYPED_TEST(SystemErrorText, UnknownCodesGiveTheFallback) {
    TypeParam s(u"previous, rather longer than the fallback text will be");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xdeadbeef)), u"Unknown error 0xdeadbeef");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xfa0)), u"Unknown error 0x00000fa0");
    EXPECT_EQ(Text(LoadSystemErrorText(s, 0xFFFFFFFF)), u"Unknown error 0xffffffff");
    EXPECT_EQ(s.Length(), 24);
    TypeParam empty;  // no block yet
    EXPECT_EQ(Text(LoadSystemErrorText(empty, 0x12345678)), u"Unknown error 0x12345678");
    TypeParam fresh;
    EXPECT_EQ(Text(LoadSystemErrorText(fresh, EINVAL)), Widen(std::strerror(EINVAL)) + u"\r\n");
}

TEST(SystemErrorTextOwnership, OtherHoldersKeepTheirText) {
    KTStringShared<char16_t> first(u"kept");
    KTStringShared<char16_t> second = first;
    LoadSystemErrorText(second, EACCES);
    EXPECT_EQ(Text(first), u"kept");
    EXPECT_EQ(Text(second), Widen(std::strerror(EACCES)) + u"\r\n");
}
