#include <gtest/gtest.h>
#include "text/text.h"
TEST(Smoke, Builds) {
    kt::KTString<char> s("abc");
    s += "def";
    EXPECT_EQ(s, "abcdef");
    kt::KTString<char16_t> w(u"x");
    w += u"yz";
    EXPECT_EQ(w.Length(), 3);
    kt::KTStringInline<char, 8> i("hi");
    kt::KTStringShared<char> a("hi"), b(a);
    kt::KTStringBorrowed<char> c(kt::Borrow, "foreign");
    c += "!";
    EXPECT_EQ(c, "foreign!");
    EXPECT_TRUE((kt::KTStringInlineVerified<char, 8>));
}
