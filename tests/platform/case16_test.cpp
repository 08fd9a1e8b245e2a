// The platform layer's 16-bit case-insensitive comparison and lower-casing.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/support/platform_expectations.h"

namespace kt::platform {
namespace {

TEST(CompareNoCase16, EqualIgnoringCaseAndOrderedByLowerCaseUnits) {
    // Where only A-Z are mapped, the upper-case letters beyond ASCII sort first.
    constexpr int beyondAscii = test::CaseMapsBeyondAscii ? 0 : -1;
    const char16_t lone[] = {0xD800, 0};
    const char16_t pair[] = {0xD800, 0xDC00, 0};
    const struct {
        const char16_t* left;
        const char16_t* right;
        int sign;
    } cases[] = {
        {u"zh-CHS", u"ZH-chs", 0},
        {u"", u"", 0},
        {u"\u00C4rger", u"\u00E4RGER", beyondAscii},
        {u"\u0391\u03A9", u"\u03B1\u03C9", beyondAscii},  // Greek
        {u"\U00010400", u"\U00010428", beyondAscii},      // Deseret, a pair
        {u"de", u"den", -1},
        {u"den", u"DE", 1},
        {u"Z", u"a", 1},                 // compared as lower case: z after a
        {u"_", u"A", -1},                // '_' (0x5F) before 'a' (0x61), not after 'A'
        {u"\U00010428", u"\uFF21", -1},  // a supplementary code point sorts by its lead surrogate
        {lone, pair, -1},                // a lone surrogate is kept
    };
    for (const auto& c : cases) {
        const int result = CompareNoCase16(c.left, c.right);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << static_cast<int>(&c - cases);
    }
}

TEST(ToLower16, LowerCasesInPlaceUpToTheCountOrTheTerminator) {
    std::u16string text = u"ZH-CHS \u00C4\u0130\U00010400!";
    ToLower16(text.data(), text.size());
    if (test::CaseMapsBeyondAscii)
        EXPECT_EQ(text, u"zh-chs \u00E4i\U00010428!");  // U+0130 lower-cases to plain i (simple mapping)
    else
        EXPECT_EQ(text, u"zh-chs \u00C4\u0130\U00010400!");

    std::u16string partial = u"ABCD";
    ToLower16(partial.data(), 2);
    EXPECT_EQ(partial, u"abCD");

    std::u16string terminated = u"AB";
    terminated += u'\0';
    terminated += u"CD";
    ToLower16(terminated.data(), terminated.size());
    EXPECT_EQ(terminated.substr(3), u"CD") << "nothing after the terminator changes";

    std::u16string cutPair = u"A\U00010400";
    ToLower16(cutPair.data(), 2);  // the pair's second unit lies outside the count
    EXPECT_EQ(cutPair, u"a\U00010400");
}

}  // namespace
}  // namespace kt::platform
