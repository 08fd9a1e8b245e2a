// The umbrella header alone is enough to use the library.
#include "text/text.h"

#include <gtest/gtest.h>

TEST(Umbrella, OneIncludeReachesEveryArea) {
    kt::KTString<char16_t> s(u"Stra\u00DFe  ");
    kt::Trim(s);
    kt::KTString<char> utf8 = kt::ToUtf8(s.Data());
    EXPECT_EQ(utf8.ToView(), "Stra\u00DFe");
    EXPECT_EQ(kt::ToUpperCodePoint(0xE4), 0xC4u);
}
