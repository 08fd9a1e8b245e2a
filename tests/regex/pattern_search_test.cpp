#include <gtest/gtest.h>

#include "text/regex/pattern_search.h"

using namespace kt;

TEST(PatternSearch, FindRegexPositions) {
    CharSubstitution<char> none;
    KTString<char> s("abcabc");
    EXPECT_EQ(FindRegex(s, "c", 0, false, none), 2);
    EXPECT_EQ(FindRegex(s, "x", 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, "", 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, static_cast<const char*>(nullptr), 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, "(", 0, false, none), -1) << "an invalid pattern is caught";
    EXPECT_EQ(FindRegex(s, "c", 7, false, none), -1) << "a start beyond the end";
    EXPECT_EQ(FindRegex(s, "c", -3, false, none), 2);

    KTString<char> umlaut(
        "\xC3\xA4"
        "bc");
    EXPECT_EQ(FindRegex(umlaut, "b", 0, false, none), 1);
    EXPECT_EQ(FindRegex(umlaut, "b", 0, true, none), 2);
    KTStringShared<char> shared(umlaut);
    EXPECT_EQ(FindRegex(shared, "c", 0, false, none), 2);

    CharSubstitution<char16_t> none16;
    KTString<char16_t> wide(u"\u00E4bc");
    EXPECT_EQ(FindRegex(wide, u"b", 0, false, none16), 1);
    EXPECT_EQ(FindRegex(wide, u"b", 0, true, none16), 1);
    KTStringBorrowed<char16_t> borrowed(Borrow, u"x\U0001F600y");
    EXPECT_EQ(FindRegex(borrowed, u"y", 0, false, none16), 3) << "a pair counts two units";
}

TEST(PatternSearch, MatchesRegex) {
    CharSubstitution<char> none;
    KTString<char> s("abc");
    EXPECT_FALSE(MatchesRegex(s, "b", none));
    EXPECT_TRUE(MatchesRegex(s, "a.c", none));
    EXPECT_FALSE(MatchesRegex(s, "", none));
    EXPECT_FALSE(MatchesRegex(s, "(", none));
    CharSubstitution<char16_t> none16;
    EXPECT_TRUE(MatchesRegex(KTString<char16_t>(u"\u00E4bc"), u"\u00E4b.", none16));
}

// The standard library reads back-reference numbers and repeat counts into a long without an overflow
// check and hands them on as int: beyond INT32_MAX such a pattern is invalid, whatever its width.
TEST(PatternSearch, NumbersBeyondIntAreInvalid) {
    CharSubstitution<char> none;
    KTString<char> aa("aa");
    EXPECT_EQ(FindRegex(aa, "(a)\\1", 0, false, none), 0);
    EXPECT_TRUE(MatchesRegex(aa, "a{2}", none));
    EXPECT_TRUE(MatchesRegex(aa, "a{0000000002}", none)) << "leading zeros: the value counts, not the digits";
    EXPECT_FALSE(regex_detail::HasNumberBeyondInt("a{1,2147483647}"));
    EXPECT_TRUE(regex_detail::HasNumberBeyondInt("a{1,2147483648}"));
    EXPECT_FALSE(regex_detail::HasNumberBeyondInt(u"\\2147483647"));
    EXPECT_TRUE(regex_detail::HasNumberBeyondInt(u"\\2147483648"));
    EXPECT_FALSE(MatchesRegex(KTString<char>("a"), "a{4294967297}", none)) << "would wrap around to a{1}";
    EXPECT_EQ(FindRegex(aa, "a|\\33333333333333333333333333", 0, false, none), -1);
    EXPECT_EQ(FindRegex(aa, "[\\99999999999]|a", 0, false, none), -1);

    // Only the digits the library reads as numbers count: literals, "\0" and "\x" escapes, bracketed
    // braces and class names are text.
    KTString<char> digits("12345678901234567890{99999999999}");
    EXPECT_EQ(FindRegex(digits, "12345678901234567890", 0, false, none), 0);
    EXPECT_EQ(FindRegex(digits, "\\x312345678901", 0, false, none), 0);
    EXPECT_EQ(FindRegex(digits, "[{]99999999999", 0, false, none), 20);
    EXPECT_EQ(FindRegex(digits, "[[:digit:]{]99999999999", 0, false, none), 20);
    EXPECT_EQ(FindRegex(digits, "\\{99999999999", 0, false, none), 20);

    CharSubstitution<char16_t> none16;
    KTString<char16_t> wide(u"aa");
    EXPECT_TRUE(MatchesRegex(wide, u"(a)\\1", none16));
    EXPECT_FALSE(MatchesRegex(wide, u"a{99999999999999999999}", none16));
    EXPECT_EQ(FindRegex(wide, u"\\99999999999999999999", 0, false, none16), -1);
}

TEST(PatternSearch, Substitution) {
    CharSubstitution<char16_t> off;
    KTString<char16_t> abc(u"ABC");
    EXPECT_EQ(off.Apply(abc), abc.Data());
    EXPECT_EQ(off.Buffer(), nullptr);

    const char16_t xy[] = {u'x', u'y'};
    CharSubstitution<char16_t> sub(u'A', xy);
    const char16_t* subject = sub.Apply(abc);
    EXPECT_EQ(std::u16string_view(subject), u"xyC");
    EXPECT_TRUE(MatchesRegex(abc, u"xyC", sub));
    EXPECT_EQ(abc.ToView(), u"ABC") << "the string itself is unchanged";

    KTString<char16_t> last(u"BCA");  // the unit to rewrite is the last one: the copy stays terminated
    EXPECT_EQ(std::u16string_view(sub.Apply(last)), u"BCx");
    KTString<char16_t> twice(u"AA");
    EXPECT_EQ(std::u16string_view(sub.Apply(twice)), u"xy");
}
