#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "tests/support/text_literals.h"
#include "text/regex/character_filter.h"
#include "text/string/operations.h"

using namespace kt;
using kt::test::Ascii;

template <class S>
class Operations : public ::testing::Test {
  protected:
    using Char = typename S::CharType;
    static S Make(const char* ascii) { return S(Ascii<Char>(ascii).c_str()); }
    static std::basic_string<Char> T(const char* ascii) { return Ascii<Char>(ascii); }

    // A table row: an edit, the text it is made on and what it must leave.
    struct Edit {
        const char* text;
        void (*edit)(S&);
        const char* expected;
    };
    static void ExpectEdits(std::initializer_list<Edit> edits) {
        for (const Edit& e : edits) {
            S s = Make(e.text);
            e.edit(s);
            EXPECT_EQ(std::basic_string<Char>(s.ToView()), T(e.expected)) << e.text << " -> " << e.expected;
            EXPECT_EQ(s.Length(), static_cast<int32_t>(std::strlen(e.expected))) << e.text;
        }
    }
};
TYPED_TEST_SUITE(Operations, kt::test::AllModes);

TYPED_TEST(Operations, Searches) {
    auto s = this->Make("hello");
    EXPECT_EQ(Find(s, this->T("lo").c_str(), -5), 3);
    EXPECT_EQ(Find(s, this->T("lo").c_str(), 6), -1);
    EXPECT_EQ(Find(s, this->T("").c_str()), -1);
    EXPECT_EQ(Find(s, nullptr), -1);
    EXPECT_EQ(FindPtr(s, this->T("ll").c_str()), s.Data() + 2);
    EXPECT_EQ(FindChar(s, 'l', 3), 3);
    EXPECT_EQ(FindChar(s, 'z'), -1);
    EXPECT_EQ(FindNoCase(s, this->T("LO").c_str()), 3);
    EXPECT_EQ(FindNoCase(this->Make("Strasse"), this->T("STRASSE").c_str()), 0);
    EXPECT_EQ(FindFirstNotOf(this->Make("  \tx"), this->T(" \t").c_str()), 3);
    EXPECT_EQ(FindOneOf(s, this->T("ol").c_str()), 2);
    EXPECT_EQ(FindOneOf(s, this->T("").c_str()), -1);
    EXPECT_EQ(ReverseFindOneOf(s, this->T("l").c_str()), s.Data() + 3);
    EXPECT_EQ(ReverseFindNotOf(s, this->T("lo").c_str()), s.Data() + 1);
    EXPECT_EQ(ReverseFindOneOf(s, this->T("l").c_str(), 3), s.Data() + 2);
    EXPECT_EQ(ReverseFindOneOf(s, this->T("l").c_str(), 0), nullptr);
    EXPECT_EQ(ReverseFindOneOf(s, this->T("l").c_str(), -1), nullptr);
    auto pieceOwner = this->T("ell-and-more");
    EXPECT_EQ(Find(s, KTTextPiece<typename TestFixture::Char>(pieceOwner.c_str(), 3)), 1)
        << "a counted piece";
    EXPECT_EQ(Find(s, this->Make("llo")), 2) << "a string of any mode as the pattern";
}

// Find, FindPtr, FindChar and Replace are terminated searches: a zero unit inside the string ends the text
// they search, as it ends the pattern; FindNoCase and FindOneOf stop there too.
TYPED_TEST(Operations, SearchesStopAtAZeroInsideTheString) {
    using Char = typename TestFixture::Char;
    const Char units[] = {'a', 'b', 0, 'c', 'd', 0};
    TypeParam s(units, 5);
    const auto cd = this->T("cd");
    EXPECT_EQ(Find(s, cd.c_str()), -1);
    EXPECT_EQ(FindPtr(s, cd.c_str()), nullptr);
    EXPECT_EQ(FindChar(s, 'c'), -1);
    EXPECT_EQ(FindNoCase(s, this->T("CD").c_str()), -1);
    EXPECT_EQ(FindOneOf(s, cd.c_str()), -1);
    EXPECT_EQ(Find(s, KTTextPiece<Char>(units + 1, 4)), 1) << "the pattern ends at its zero too: b";
    EXPECT_EQ(Find(s, this->T("b").c_str()), 1);
    EXPECT_EQ(FindChar(s, 'b'), 1);
    EXPECT_EQ(Find(s, cd.c_str(), 3, true), 3) << "a search that starts behind the zero sees what follows";
    // A zero anywhere before the occurrence, wherever it falls in the blocks a scan takes at a time.
    auto longer = this->T(std::string(40, 'a').c_str()) + cd;
    for (size_t zero = 0; zero < 40; ++zero) {
        auto withZero = longer;
        withZero[zero] = 0;
        const TypeParam text(withZero.c_str(), static_cast<int32_t>(withZero.size()));
        ASSERT_EQ(Find(text, cd.c_str()), -1) << zero;
        ASSERT_EQ(FindChar(text, 'c'), -1) << zero;
        ASSERT_EQ(Find(text, cd.c_str(), static_cast<int32_t>(zero) + 1, true), 40) << zero;
    }
    Replace(s, cd.c_str(), this->T("XY").c_str());
    Replace(s, this->T("d").c_str(), this->T("long").c_str());
    EXPECT_EQ(std::basic_string<Char>(s.Data(), 5), std::basic_string<Char>(units, 5));
    Replace(s, this->T("a").c_str(), this->T("xyz").c_str());
    EXPECT_EQ(s.Length(), 7);
    EXPECT_EQ(std::basic_string<Char>(s.Data(), 7), this->T("xyzb") + Char(0) + cd);
}

TYPED_TEST(Operations, EqualsAndBlank) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("ABC");
    EXPECT_TRUE(Equals(s, this->T("abc").c_str(), false));
    EXPECT_FALSE(Equals(s, this->T("abc").c_str(), true));
    EXPECT_TRUE(Equals(s, this->T("ABC").c_str(), true));
    // A counted piece ends at its count, ignoring case as well.
    const auto longer = this->T("abcDEF");
    for (bool caseSensitive : {true, false}) {
        EXPECT_EQ(Equals(s, KTTextPiece<Char>(longer.c_str(), 3), caseSensitive), !caseSensitive);
        EXPECT_FALSE(Equals(s, KTTextPiece<Char>(longer.c_str(), 2), caseSensitive));
        EXPECT_FALSE(Equals(s, KTTextPiece<Char>(longer.c_str(), 4), caseSensitive));
    }
    EXPECT_TRUE(IsBlank(this->T(" \t\r\n").c_str()));
    EXPECT_TRUE(IsBlank(this->T(" \t\r\n").c_str(), true));
    EXPECT_TRUE(IsBlank(static_cast<const Char*>(nullptr)));
    EXPECT_FALSE(IsBlank(this->T(" x").c_str()));
}

TYPED_TEST(Operations, TrimsAndCuts) {
    using S = TypeParam;
    this->ExpectEdits({
        {" \ta b\r\n", [](S& s) { Trim(s); }, "a b"},
        {"   ", [](S& s) { Trim(s); }, ""},
        {"abcxx", [](S& s) { TrimRight(s, TestFixture::T("x").c_str()); }, "abc"},
        {"--a--", [](S& s) { Trim(s, U'-'); }, "a"},
        {"--a--", [](S& s) { TrimLeft(s, U'-'); }, "a--"},
        {"--a--", [](S& s) { TrimRight(s, U'-'); }, "--a"},
        {"a", [](S& s) { TrimRight(s, U'\0'); }, "a"},
        {"a", [](S& s) { TrimLeft(s, U'\xD800'); }, "a"},  // refused by the encoder: an empty set
        {"abcdefg", [](S& s) { Mid(s, -2, false, 5); }, "abc"},
        {"abcdefg", [](S& s) { Mid(s, 2, false, 3); }, "cde"},
        {"abcdefg", [](S& s) { Mid(s, 7, false, 3); }, ""},
        {"abcd", [](S& s) { RemoveFirst(s, 2); }, "cd"},
        {"abcd", [](S& s) { KeepLast(s, 3); }, "bcd"},
        {"abcd", [](S& s) { KeepLast(s, 9); }, "abcd"},
        {"abcd", [](S& s) { KeepLast(s, -1); }, ""},
    });
}

TYPED_TEST(Operations, ReplacesMapsAndFilters) {
    using S = TypeParam;
    using Char = typename TestFixture::Char;
    static auto T = [](const char* ascii) { return TestFixture::T(ascii); };
    this->ExpectEdits({
        {"abcab", [](S& s) { Replace(s, T("ab").c_str(), T("xyz").c_str()); }, "xyzcxyz"},
        {"abcab", [](S& s) { Replace(s, T("ab").c_str(), T("xyz").c_str(), 1); }, "xyzcab"},
        {"abcab", [](S& s) { Replace(s, T("ab").c_str(), T("x").c_str()); }, "xcx"},
        {"xcx", [](S& s) { Replace(s, T("").c_str(), T("q").c_str()); }, "xcx"},
        {"abcd", [](S& s) { ReplaceRange(s, 1, 2, false, T("Q").c_str()); }, "aQd"},
        {"abcd", [](S& s) { ReplaceRange(s, 1, 2, false, T("QRS").c_str()); }, "aQRSd"},
        // A start at the end appends; one beyond it changes nothing, in characters and in units.
        {"abcd", [](S& s) { ReplaceRange(s, 5, 0, false, T("Q").c_str()); }, "abcd"},
        {"abcd", [](S& s) { ReplaceRange(s, 5, 0, true, T("Q").c_str()); }, "abcd"},
        {"abcd", [](S& s) { ReplaceRange(s, 4, 3, false, T("Q").c_str()); }, "abcdQ"},
        {"abcd", [](S& s) { ReplaceRange(s, 4, 3, true, T("Q").c_str()); }, "abcdQ"},
        {"xyz", [](S& s) { WriteRepeated(s, T("ab").c_str(), 3, 1); }, "xababab"},
        {"a b\tc", [](S& s) { RemoveCharacters(s, KTCodePointPattern<Char>(T(" \t").c_str())); }, "abc"},
        {"aabbcc",
         [](S& s) {
             Translate(s, KTCodePointPattern<Char>(T("abc").c_str()),
                       KTCodePointPattern<Char>(T("xy").c_str()));
         },
         "xxyy"},
        {"HELLO wORLD", [](S& s) { CapitalizeWords(s); }, "Hello World"},
        {"Hello World", [](S& s) { MakeUpper(s, true); }, "HELLO WORLD"},
        {"HELLO WORLD", [](S& s) { MakeLower(s); }, "hello world"},
        {"Hello, World", [](S& s) { KeepCharacters(s, T("a..z").c_str()); }, "elloorld"},
        {"v1.2.3-beta", [](S& s) { KeepCharacters(s, T("0..9.").c_str()); }, "1.2.3"},
        {"banana..", [](S& s) { KeepCharacters(s, T("a..").c_str()); }, "aaa.."},
        {"abc", [](S& s) { KeepCharacters(s, T("z..a").c_str()); }, ""},
        {"abc", [](S& s) { KeepCharacters(s, T("").c_str()); }, ""},
    });
}

// Both walks are checked against models on fuzzed text; here they run on every storage mode, and the
// room FirstLines gives its result is checked.
TYPED_TEST(Operations, RemoveEnclosed) {
    using Char = typename TestFixture::Char;
    KTCodePointPattern<Char> open(this->T("(").c_str()), close(this->T(")").c_str());
    auto s = this->Make("a(b(c)d)e\\(f)");
    RemoveEnclosed(s, open, close, '\\', false);
    EXPECT_EQ(std::basic_string<Char>(s.ToView()), this->T("ae\\(f)"));
}

// Starts, counts and ends at the extremes of their type: every operation that adds or subtracts them gives
// what the clamping rules give (a negative start eats into the count, a start beyond the end finds nothing
// or changes nothing), never a wrapped-around value.
TYPED_TEST(Operations, ExtremeStartsAndCounts) {
    using Char = typename TestFixture::Char;
    constexpr int32_t min = INT32_MIN, max = INT32_MAX;
    const auto abc = this->T("abcdefg");
    const std::basic_string<Char> none;
    struct Cut {
        int32_t start, count;
        std::basic_string<Char> expected;
    };
    const Cut mids[] = {
        {min, -1, none},
        {-1, min, none},
        {min, min, none},
        {min, max, abc},
        {min + 1, max - 1, none},
        {-1, max - 1, abc},
        {max, 5, none},
        {max, max, none},
        {0, max, abc},
        {2, max, this->T("cdefg")},
        {3, min, none},
        {-3, 5, this->T("ab")},
    };
    for (bool inUnits : {false, true}) {
        for (const Cut& c : mids) {
            auto s = this->Make("abcdefg");
            Mid(s, c.start, inUnits, c.count);
            EXPECT_EQ(std::basic_string<Char>(s.ToView()), c.expected) << c.start << ", " << c.count;
        }
        for (int32_t start : {min, max, max - 1}) {
            auto s = this->Make("abcdefg");
            const auto pattern = this->T("c");
            EXPECT_EQ(Find(s, pattern.c_str(), start, inUnits), start < 0 ? 2 : -1) << start;
            EXPECT_EQ(FindChar(s, 'c', start, inUnits), start < 0 ? 2 : -1) << start;
            EXPECT_EQ(FindNoCase(s, this->T("C").c_str(), start, inUnits), start < 0 ? 2 : -1) << start;
            EXPECT_EQ(FindOneOf(s, pattern.c_str(), start, inUnits), start < 0 ? 2 : -1) << start;
            EXPECT_EQ(FindFirstNotOf(s, pattern.c_str(), start, inUnits), start < 0 ? 0 : -1) << start;
            EXPECT_EQ(ReverseFindOneOf(s, pattern.c_str(), start, inUnits),
                      start < 0 ? nullptr : s.Data() + 2);
            for (int32_t count : {min, -1, 0, 2, max}) {
                auto r = this->Make("abcdefg");
                ReplaceRange(r, start, count, inUnits, this->T("Q").c_str());
                EXPECT_EQ(std::basic_string<Char>(r.ToView()), abc) << start << ", " << count;
                auto v = this->Make("abcdefg");
                Reverse(v, start, inUnits, count, inUnits);
                const auto reversed = start >= 0     ? abc
                                      : count == 2   ? this->T("bacdefg")
                                      : count == max ? this->T("gfedcba")
                                                     : abc;
                EXPECT_EQ(std::basic_string<Char>(v.ToView()), reversed) << start << ", " << count;
            }
        }
        for (int32_t count : {min, max}) {
            auto r = this->Make("abcdefg");
            ReplaceRange(r, 2, count, inUnits, this->T("Q").c_str());
            EXPECT_EQ(std::basic_string<Char>(r.ToView()), count < 0 ? this->T("abQcdefg") : this->T("abQ"));
            auto f = this->Make("abcdefg");
            RemoveFirst(f, count, inUnits);
            EXPECT_EQ(std::basic_string<Char>(f.ToView()), count < 0 ? abc : none);
            auto k = this->Make("abcdefg");
            KeepLast(k, count, inUnits);
            EXPECT_EQ(std::basic_string<Char>(k.ToView()), count < 0 ? none : abc);
        }
    }
    auto w = this->Make("xyz");
    WriteRepeated(w, this->T("ab").c_str(), min, 1);
    WriteRepeated(w, this->T("ab").c_str(), 2, min);
    WriteRepeated(w, this->T("ab").c_str(), 2, max);
    EXPECT_EQ(std::basic_string<Char>(w.ToView()), this->T("xyz"));
    EXPECT_THROW(WriteRepeated(w, this->T("ab").c_str(), max, 1), std::length_error);
    EXPECT_EQ(std::basic_string<Char>(w.ToView()), this->T("xyz"));
}

TYPED_TEST(Operations, FirstLines) {
    using Char = typename TestFixture::Char;
    KTString<Char> out;
    FirstLines(this->Make("a\r\n\r\nb\nc"), out, 2, true, false, this->T("...").c_str());
    EXPECT_EQ(out.ToView(), this->T("a\r\nb..."));
    // The result grows to the length it needs + 64 units, for the suffix as for the lines.
    auto longLine = this->Make((std::string(70, 'x') + "\nmore").c_str());
    FirstLines(longLine, out, 1, false, false, std::basic_string<Char>(100, '.').c_str());
    EXPECT_EQ(out.Length(), 170);
    EXPECT_EQ(out.Capacity(), 170 + 64);
}

TYPED_TEST(Operations, FormatGrowsBy1024) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("old");
    if constexpr (std::is_same_v<Char, char>) {
        Format(s, "%s-%d-%05.1f", "x", 42, 3.14159);
        EXPECT_EQ(s.ToView(), "x-42-003.1");
        Format(s, "%3000d", 7);
    } else {
        Format(s, u"%s-%d-%05.1f", u"x", 42, 3.14159);
        EXPECT_EQ(s.ToView(), u"x-42-003.1");
        Format(s, u"%3000d", 7);
    }
    EXPECT_EQ(s.Length(), 3000);
    // Shrinks to fit; a shared string's reserve never shrinks, and an inline buffer has no heap to shrink.
    const bool shrinks = !std::is_same_v<TypeParam, KTStringShared<Char>>;
    if (s.Capacity() > 8 && shrinks) {
        EXPECT_EQ(s.Capacity(), 3000);
    }
    Format(s, this->T("%*d|").c_str(), 1000000, 7);
    EXPECT_EQ(s.Length(), 1000001);
    EXPECT_EQ(s.Data()[999999], '7');
    if (shrinks) {
        EXPECT_EQ(s.Capacity(), 1000001);
    }
}

// A format the formatter rejects (an unknown or incomplete conversion, %n, a length modifier that does not
// apply) gives the empty string in both widths.
TYPED_TEST(Operations, FormatRejectsInvalidFormatsWithTheEmptyString) {
    for (const char* format :
         {"%y", "abc%", "%n", "%5%", "%Ld", "%hf", "%lp", "%99999999999d", "%-", "ok %d then %y"}) {
        auto s = this->Make("old");
        Format(s, this->T(format).c_str(), 1);
        EXPECT_EQ(s.Length(), 0) << format;
        EXPECT_EQ(s.Data()[0], 0) << format;
    }
}

TEST(OperationsUtf8, CharacterPositions) {
    KTString<char> s("\u00E4bc");
    EXPECT_EQ(Find(s, "c"), 2);
    EXPECT_EQ(Find(s, "c", 0, true), 3);
    EXPECT_EQ(Find(s, "b", 1), 1);
    EXPECT_EQ(Find(s, "b", 2, true), 2);
    EXPECT_EQ(FindChar(s, 0xE4), 0);
    EXPECT_EQ(FindNoCase(s, "\u00C4B"), 0);
    KTString<char> r("a\u00E9b");
    Reverse(r);
    EXPECT_EQ(r.ToView(), "b\u00E9a");
    KTString<char> upper("stra\u00DFe \xC3\xA4");
    MakeUpper(upper);
    EXPECT_EQ(upper.ToView(), "STRA\u00DFE \xC3\x84") << "sharp s has no simple upper-case mapping";
    KTString<char> wide("\xC8\xBA");  // U+023A, whose lower case U+2C65 needs 3 bytes
    MakeLower(wide, true);
    EXPECT_EQ(wide.ToView(), "\xC8\xBA") << "the simple form keeps byte lengths";
    MakeLower(wide);
    EXPECT_EQ(wide.ToView(), "\xE2\xB1\xA5");
    EXPECT_EQ(CompareNoCase("\xC3\x84x", "\xC3\xA4X"), 0);
    EXPECT_EQ(CompareNoCase("a", "ab"), -1);
    EXPECT_EQ(CompareNoCase("b", "a"), 1);
    KTString<char> keep("\u00C4aB");
    KeepCharacters(keep, "a..z");
    EXPECT_EQ(keep.ToView(), "a");
    KTString<char> latin("\u00C4aB");
    KeepCharacters(latin, "\xC3\x80..\xC3\xBF");
    EXPECT_EQ(latin.ToView(), "\xC3\x84");
    EXPECT_FALSE(IsBlank("\xC2\xA0"));
    EXPECT_TRUE(IsBlank("\xC2\xA0", true));
}

// Operations that write characters back re-encode them: a malformed sequence comes out as the code point it
// decodes to, and one the encoder refuses (a surrogate) is dropped.
TEST(OperationsUtf8, KeptAndMappedCharactersAreReencoded) {
    KTCodePointPattern<char> open("("), close(")");
    KTString<char> s("x\xC1\x81(y)");
    RemoveEnclosed(s, open, close, '\\', false);
    EXPECT_EQ(s.ToView(), "xA");
    s = "\\\xC1\x81(y)\xED\xA0\x80z";
    RemoveEnclosed(s, open, close, '\\', false);
    EXPECT_EQ(s.ToView(), "\\Az");

    const struct {
        const char* text;
        bool upper;
        const char* expected;
    } mappings[] = {
        {"\xC1\x81", true, "A"},                      // unchanged by the mapping, re-encoded
        {"\xC1\x81\xC9\x90", true, "A\xE2\xB1\xAF"},  // with a character that grows (U+0250)
        {"\xC4\xB1\xC9\x90", true, "I\xE2\xB1\xAF"},  // shrinks, then grows: in place
        {"\xC9\x90\xC9\x90\xC9\x90", true, "\xE2\xB1\xAF\xE2\xB1\xAF\xE2\xB1\xAF"},
        {"a\xED\xA0\x80"
         "B",
         false, "ab"},
        {"\xE2\x84\xAA!", false, "k!"},  // KELVIN SIGN
    };
    for (const auto& m : mappings) {
        KTString<char> text(m.text);
        m.upper ? MakeUpper(text) : MakeLower(text);
        EXPECT_EQ(text.ToView(), m.expected) << m.text;
        EXPECT_EQ(text.Length(), static_cast<int32_t>(std::strlen(m.expected)));
    }
}

TEST(OperationsUtf8, ReplaceRangeCountsCharacters) {
    KTString<char> s("\u00E4bcd");  // four characters in five bytes
    ReplaceRange(s, 5, 0, false, "Q");
    EXPECT_EQ(s.ToView(), "\u00E4bcd");
    ReplaceRange(s, 4, 0, false, "Q");
    EXPECT_EQ(s.ToView(), "\u00E4bcdQ");
    ReplaceRange(s, 6, 0, true, "R");
    EXPECT_EQ(s.ToView(), "\u00E4bcdQR");
}

TEST(OperationsUtf8, CountedTextsEndAtTheirCount) {
    // A piece whose count cuts a sequence: nothing behind the count is read (an exact-size heap copy).
    std::unique_ptr<char[]> umlaut(new char[2]{'\xC3', '\xA4'});
    EXPECT_TRUE(Equals(KTString<char>("\xC3\x84"), KTTextPiece<char>(umlaut.get(), 2), false));
    EXPECT_FALSE(Equals(KTString<char>("\xC3\x84"), KTTextPiece<char>(umlaut.get(), 1), false));
    EXPECT_EQ(CompareNoCase(KTTextPiece<char>("ABCdef", 3), "abc"), 0);
    EXPECT_EQ(CompareNoCase(KTTextPiece<char>("ab\0c", 4), "AB"), 0) << "and at a zero byte";
}

TEST(OperationsUtf8, MalformedInputStaysInBounds) {
    // Lead bytes that promise more than remains: every walk stops at the terminator.
    for (const char* bad : {"ab\xF0", "\xE2\x82", "\xFF\xFF", "\x80\x80\x80"}) {
        KTString<char> s(bad);
        EXPECT_EQ(Find(s, "z"), -1);
        EXPECT_EQ(FindNoCase(s, "Z"), -1);
        EXPECT_EQ(FindOneOf(s, "z"), -1);
        EXPECT_NE(FindFirstNotOf(s, "z"), -2);
        const char* last = ReverseFindNotOf(s, "z");
        ASSERT_NE(last, nullptr);
        EXPECT_TRUE(last >= s.Data() && last < s.Data() + s.Length());
        KTString<char> copy(s);
        MakeUpper(copy);
        KTString<char> copy2(s);
        Reverse(copy2);
        KTString<char> copy3(s);
        KeepCharacters(copy3, "a..z");
        EXPECT_LE(copy3.Length(), s.Length());
    }
}

TEST(OperationsUtf8, ParseInteger) {
    const char* p = "-1.234";
    EXPECT_EQ(ParseInteger(p, '.'), -1234);
    EXPECT_EQ(*p, 0);
    p = "12a";
    EXPECT_EQ(ParseInteger(p), 12);
    EXPECT_EQ(*p, 'a');
    p = "+";
    EXPECT_EQ(ParseInteger(p), 0);
    const char16_t* w = u"-77";
    EXPECT_EQ(ParseInteger(w), -77);
}

TEST(OperationsUtf16, PositionsAreUnitsAndPairsAreTwo) {
    KTString<char16_t> s(u"\U0001F600xy");
    EXPECT_EQ(Find(s, u"x"), 2);
    EXPECT_EQ(Find(s, u"x", 0, false), 2) << "the flag means nothing in the 16-bit width";
    KTString<char16_t> keep(u"\U0001F600x");
    KeepCharacters(keep, u"x");
    EXPECT_EQ(keep.ToView(), u"x");
}

// ---- differential tests against the standard library on random inputs --------------------------------

TEST(OperationsDifferential, AgreeWithStdString) {
    std::mt19937 rng(1234);
    auto randomText = [&](int maxLength) {
        std::string t;
        int n = static_cast<int>(rng() % static_cast<unsigned>(maxLength + 1));
        for (int i = 0; i < n; ++i) t += static_cast<char>('a' + rng() % 3);  // small alphabet: many matches
        return t;
    };
    for (int round = 0; round < 3000; ++round) {
        // Texts longer than a block of 16 starts, and needles cut from them at any offset and length.
        std::string text = randomText(70), needle = randomText(4), repl = randomText(round % 3 ? 5 : 24);
        if (round % 2 && !text.empty()) {
            const size_t at = rng() % text.size();
            needle = text.substr(at, 1 + rng() % std::min<size_t>(text.size() - at, 20));
        }
        auto start = static_cast<int32_t>(rng() % 30) - 3;
        KTString<char> s(text.c_str());
        KTString<char16_t> w(std::u16string(text.begin(), text.end()).c_str());
        std::u16string wneedle(needle.begin(), needle.end());

        size_t expected = needle.empty() ? std::string::npos : text.find(needle, std::max(start, 0));
        int32_t want = expected == std::string::npos ? -1 : static_cast<int32_t>(expected);
        ASSERT_EQ(Find(s, needle.c_str(), start), want) << text << " / " << needle << " @" << start;
        ASSERT_EQ(Find(w, wneedle.c_str(), start), want);

        size_t oneOf = needle.empty() ? std::string::npos : text.find_first_of(needle, std::max(start, 0));
        ASSERT_EQ(FindOneOf(s, needle.c_str(), start), oneOf == std::string::npos ? -1 : int32_t(oneOf));
        size_t notOf =
            needle.empty() ? std::string::npos : text.find_first_not_of(needle, std::max(start, 0));
        ASSERT_EQ(FindFirstNotOf(s, needle.c_str(), start), notOf == std::string::npos ? -1 : int32_t(notOf));

        std::string replaced = text;
        if (!needle.empty())
            for (size_t at = replaced.find(needle); at != std::string::npos;
                 at = replaced.find(needle, at + repl.size()))
                replaced.replace(at, needle.size(), repl);
        KTString<char> r(s);
        Replace(r, needle.c_str(), repl.c_str());
        ASSERT_EQ(r.ToView(), replaced) << text << " / " << needle << " -> " << repl;
        ASSERT_EQ(r.Length(), static_cast<int32_t>(replaced.size()));
        KTString<char16_t> wr(w);
        Replace(wr, wneedle.c_str(), std::u16string(repl.begin(), repl.end()).c_str());
        ASSERT_EQ(wr.ToView(), std::u16string(replaced.begin(), replaced.end()));

        auto count = static_cast<int32_t>(rng() % 30) - 3;
        // Mid: a negative start eats into the count.
        const int32_t midStart = std::max(start, 0), midCount = count + std::min(start, 0);
        const std::string mid = midStart >= int32_t(text.size()) || midCount <= 0
                                    ? std::string()
                                    : text.substr(size_t(midStart), size_t(midCount));
        KTString<char> m(s);
        Mid(m, start, false, count);
        ASSERT_EQ(m.ToView(), mid);

        KTString<char> rf(s);
        RemoveFirst(rf, count);
        ASSERT_EQ(rf.ToView(), count < 1                       ? text
                               : count >= int32_t(text.size()) ? ""
                                                               : text.substr(size_t(count)));
        KTString<char> kl(s);
        KeepLast(kl, count);
        ASSERT_EQ(kl.ToView(), count < 0                       ? ""
                               : count >= int32_t(text.size()) ? text
                                                               : text.substr(text.size() - size_t(count)));

        std::string padded = std::string(rng() % 3, ' ') + text + std::string(rng() % 3, '\t');
        KTString<char> t(padded.c_str());
        Trim(t);
        size_t b = padded.find_first_not_of(" \t\r\n"), e = padded.find_last_not_of(" \t\r\n");
        ASSERT_EQ(t.ToView(), b == std::string::npos ? "" : padded.substr(b, e - b + 1));
    }
}

TEST(OperationsDifferential, FindIsLinearOnAdversarialInput) {
    // a^n b against a^m b: a naive scan would compare about n * m units.
    std::string hay(1 << 20, 'a');
    hay += 'b';
    std::string needle(4096, 'a');
    needle += 'b';
    KTString<char> s(hay.c_str());
    EXPECT_EQ(Find(s, needle.c_str()), static_cast<int32_t>(hay.size() - needle.size()));
    // First and last units that match at every start: each start is a candidate the quick scan compares.
    const std::string enclosed = std::string(1 << 15, 'a') + 'b' + std::string(1 << 15, 'a');
    EXPECT_EQ(Find(s, enclosed.c_str()), -1);
}

// What the find/replace loop of the standard library gives: every non-overlapping occurrence, up to maxCount.
std::string ReplacedByStd(std::string text, const std::string& find, const std::string& replacement,
                          size_t maxCount = std::string::npos) {
    size_t count = 0;
    for (size_t at = text.find(find); at != std::string::npos && count < maxCount;
         at = text.find(find, at + replacement.size()), ++count)
        text.replace(at, find.size(), replacement);
    return text;
}

TEST(OperationsDifferential, ReplaceWithOperandsInsideTheString) {
    // Pieces of the string itself as the text to find and the replacement, in a block with room for the
    // result (replaced in place) and without (a new block): growing, same length, shrinking.
    struct Case {
        int32_t findAt, findLength, replacementAt, replacementLength;
    };
    const std::string text = "abcabcxabcab";
    for (const Case c : {Case{0, 2, 1, 3}, Case{0, 2, 1, 2}, Case{0, 3, 6, 1}, Case{3, 3, 0, 6}}) {
        for (const bool room : {false, true}) {
            KTString<char> s(text.c_str());
            if (room) s.Reserve(64, Preserve);
            Replace(s, KTTextPiece<char>(s.Data() + c.findAt, c.findLength),
                    KTTextPiece<char>(s.Data() + c.replacementAt, c.replacementLength));
            EXPECT_EQ(s.ToView(), ReplacedByStd(text, text.substr(c.findAt, c.findLength),
                                                text.substr(c.replacementAt, c.replacementLength)))
                << c.findAt << " " << c.replacementAt << " room " << room;
        }
    }
}

TEST(OperationsDifferential, ReplaceGoesOnAfterTheQuickScanGivesUp) {
    // Every start inside a run of a's is a candidate that fails only at the b: the quick scan's budget runs
    // out and the linear search finds the remaining occurrences, which all must still be replaced.
    const std::string run(100, 'a'), needle = run + "b" + run;
    std::string text;
    for (int i = 0; i < 50; ++i) text += run + "b" + run + "c";
    for (const int32_t maxCount : {0, 7}) {
        KTString<char> s(text.c_str());
        Replace(s, needle.c_str(), "X", maxCount);
        EXPECT_EQ(s.ToView(), ReplacedByStd(text, needle, "X", maxCount == 0 ? std::string::npos : 7));
    }
}

TEST(KeepCharactersFilter, WritesNothingWhenEverythingIsKept) {
    KTStringShared<char> a("abc");
    KTStringShared<char> b(a);
    KeepCharacters(b, "a..z");
    EXPECT_EQ(a.Data(), b.Data()) << "no removal, no unsharing";
    KTString<char16_t> s(u"abc");
    s.EnsureCapacity(8, true);
    block::SetWord(s.Data(), 6, LengthNotCached);
    KeepCharacters(s, u"a..c");
    EXPECT_EQ(block::Word(s.Data(), 6), LengthNotCached) << "the length cache is not touched either";
    KeepCharacters(b, "b");
    EXPECT_NE(a.Data(), b.Data());
    EXPECT_EQ(b.ToView(), "b");
    EXPECT_EQ(a.ToView(), "abc");
}

TEST(OperationsArguments, ConcatenationExpressionsAsPatterns) {
    KTString<char> s("hello world");
    KTString<char> lo("lo");
    EXPECT_EQ(Find(s, lo + " w"), 3);
    EXPECT_EQ(FindNoCase(s, KTString<char>("WOR") + "LD"), 6);
    KTString<char> empty;
    EXPECT_EQ(Find(s, empty + ""), -1) << "an empty expression finds nothing";
    KTString<char16_t> w(u"abcabc");
    KTString<char16_t> c(u"c");
    EXPECT_EQ(Find(w, c + u"a" + u"b", 1), 2);
    KTString<char> r("a-b-c");
    Replace(r, KTString<char>("-") + "", KTString<char>("+") + "+");
    EXPECT_EQ(r.ToView(), "a++b++c");
}
