#include "text/util/markup.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "tests/support/allocation_probe.h"
#include "tests/support/text_literals.h"
#include "text/string/convert.h"

using namespace kt;
using kt::test::Allocations;
using kt::test::Ascii;
using kt::test::ResetAllocations;
using kt::test::Units;

template <class S>
class Markup : public kt::test::ModeTest<S> {};
TYPED_TEST_SUITE(Markup, kt::test::AllModes);

// The escapers' rules (quotes, controls, extra characters, line breaks, code points and units beyond
// Latin-1) are checked against a character-by-character model by fuzz/markup_fuzz.cpp on every committed
// input; the tests here take the storage modes, null texts, malformed input and the decoders' edges.
TYPED_TEST(Markup, EscapeReplacesSpecialsAndControls) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("a<b>&c");
    EXPECT_EQ(Units(EscapeMarkup(s, false, nullptr)), this->T("a&lt;b&gt;&amp;c"));
    // The committed fuzz inputs reach few control characters: the last one that is escaped.
    auto controls = this->Make("\x01\t\r\n\x1f");
    EXPECT_EQ(Units(EscapeMarkup(controls, false, nullptr)), this->T("&#1;\t\r\n&#31;"));

    EXPECT_EQ(Units(EscapeMarkup(static_cast<const Char*>(nullptr), true, nullptr)), this->T(""));
    EXPECT_EQ(Units(EscapeMarkup(this->T("").c_str(), true, nullptr)), this->T(""));
    EXPECT_EQ(Units(EscapeMarkup(this->T("plain").c_str(), true, nullptr)), this->T("plain"));
}

TYPED_TEST(Markup, EscapeTouchesNothingWithoutSpecials) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("it's plain");
    const Char* before = s.Data();
    TypeParam other(s);  // shared strings gain a holder, the others copy
    ResetAllocations();
    EscapeMarkup(s, false, nullptr);
    EXPECT_EQ(Allocations().allocations, 0);
    EXPECT_EQ(s.Data(), before);
    EXPECT_EQ(Units(s), this->T("it's plain"));

    KTString<Char> out(this->T("kept").c_str());
    EXPECT_FALSE(EscapeMarkupInto(this->T("it's").c_str(), out, false, nullptr));
    EXPECT_EQ(Units(out), this->T("kept"));
    EXPECT_TRUE(EscapeMarkupInto(this->T("it's").c_str(), out, true, nullptr));
    EXPECT_EQ(Units(out), this->T("it&apos;s"));

    EscapeMarkup(s, true, nullptr);
    EXPECT_EQ(Units(s), this->T("it&apos;s plain"));
    EXPECT_EQ(Units(other), this->T("it's plain")) << "the other holder keeps its text";
}

// Long outputs outgrow the room each mode starts with; escaping works character by character, so the
// escaped form of a repeated piece is the repeated escaped piece.
TYPED_TEST(Markup, LongTextsInEveryMode) {
    using Char = typename TestFixture::Char;
    const auto piece = kt::test::Encoded<Char>(U"a<\u00E9>&\"'\x01\t#\r\n\U0001F600;");
    const auto extra = kt::test::Encoded<Char>(U"#\u00E9");
    const auto escapedPiece = Units(EscapeMarkup(piece.c_str(), true, extra.c_str()));
    const auto markupPiece = Units(TextToMarkup(piece.c_str(), true));
    for (size_t count : {1u, 40u, 400u}) {
        std::basic_string<Char> text, escaped, markup;
        for (size_t i = 0; i < count; ++i) text += piece, escaped += escapedPiece, markup += markupPiece;
        auto s = TypeParam(text.c_str());
        EXPECT_EQ(Units(EscapeMarkup(s, true, extra.c_str())), escaped) << count;
        auto t = TypeParam(text.c_str());
        EXPECT_EQ(Units(TextToMarkup(t, true)), markup) << count;
    }
}

TYPED_TEST(Markup, DecodersTakeOnlyTheirOwnKind) {
    auto s = this->Make("&#65;&#x42;&#0;&lt;&amp;&nbsp;");
    DecodeNumericReferences(s);
    EXPECT_EQ(Units(s), this->T("AB?&lt;&amp;&nbsp;"));
    DecodeNamedReferences(s);
    EXPECT_EQ(Units(s), this->T("AB?<&&nbsp;"));

    auto named = this->Make("&quot;&apos;&gt;&#65;&Auml;&LT;");
    DecodeNamedReferences(named);
    EXPECT_EQ(Units(named), this->T("\"'>&#65;&Auml;&LT;"));

    auto chained = this->Make("&&lt;&#&#66;");
    DecodeNamedReferences(chained);
    DecodeNumericReferences(chained);
    EXPECT_EQ(Units(chained), this->T("&<&#B")) << "a failed attempt copies only its \"&\"";
}

TYPED_TEST(Markup, DecodersLeaveBrokenReferences) {
    for (const char* broken :
         {"&#;", "&#x;", "&#65", "&#x4G;", "&#X41;", "&#6 5;", "&", "a&", "&lt", "&am;", "&#-1;", "&#x"}) {
        auto s = this->Make(broken);
        DecodeNumericReferences(s);
        DecodeNamedReferences(s);
        EXPECT_EQ(Units(s), this->T(broken)) << broken;
    }
    auto shared = this->Make("x&#65;");
    TypeParam other(shared);
    DecodeNumericReferences(shared);
    EXPECT_EQ(Units(shared), this->T("xA"));
    EXPECT_EQ(Units(other), this->T("x&#65;"));

    TypeParam empty;
    DecodeNumericReferences(empty);
    EXPECT_EQ(empty.Length(), 0);
}

TEST(Markup8, ReferencesBeyondUtf8AreDropped) {
    KTString<char> s("[&#1114111;|&#1114112;|&#55296;|&#x1F600;|&#4294967361;]");
    DecodeNumericReferences(s);
    EXPECT_EQ(Units(s), std::string("[\xF4\x8F\xBF\xBF||"
                                    "|\xF0\x9F\x98\x80|A]"))
        << "the value is accumulated in 32 bits, so 2^32 + 65 wraps to A";
}

TEST(Markup16, ReferencesWrapToOneUnit) {
    KTString<char16_t> s(u"[&#65601;|&#55296;|&#x1F600;|&#65536;]");
    DecodeNumericReferences(s);
    EXPECT_EQ(Units(s),
              (std::u16string{u'[', u'A', u'|', char16_t(0xD800), u'|', char16_t(0xF600), u'|', u'?', u']'}));
}

TEST(Markup8, EscapeOfEncodedSurrogatesAndCutSequences) {
    // An encoded surrogate cannot be written back once output has begun; before that it is copied as is.
    KTString<char> after("<\xED\xA0\x80x");
    EXPECT_EQ(Units(EscapeMarkup(after, false, nullptr)), "&lt;x");
    KTString<char> before("\xED\xA0\x80<");
    EXPECT_EQ(Units(EscapeMarkup(before, false, nullptr)), "\xED\xA0\x80&lt;");
    KTString<char> truncated("<\xE2\x82");  // a sequence cut short by the terminator
    EXPECT_EQ(EscapeMarkup(truncated, false, nullptr).Data()[0], '&');
}

// Bytes that do not form a character must not take in the ASCII character after them: "\xF0<b>" must not
// come out with a raw "<b>". Every lead byte alone, and sequences cut short, before each character that
// the escapers must replace (16-bit: lone surrogate halves and non-characters).
template <class Char>
std::vector<std::basic_string<Char>> MalformedPrefixes() {
    std::vector<std::basic_string<Char>> prefixes;
    if constexpr (sizeof(Char) == 1) {
        for (int lead = 0x80; lead <= 0xFF; ++lead) prefixes.emplace_back(1, static_cast<char>(lead));
        for (const char* cut : {"\xC3", "\xE2\x82", "\xF0\x9F", "\xF0\x9F\x98", "\xED\xA0", "\xF4\x90\x80",
                                "\xFF\xBF\xBF", "\x80\x80\x80", "\xC0\xC0"})
            prefixes.emplace_back(cut);
    } else {
        for (char16_t unit : {0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFE, 0xFFFF})
            prefixes.emplace_back(1, static_cast<Char>(unit));
    }
    return prefixes;
}

template <class Char>
void CheckMalformedPrefixes() {
    const struct {
        char special;
        const char* escaped;  // by EscapeMarkup with quotes and the extra character "-"
    } specials[] = {{'<', "&lt;"},    {'>', "&gt;"},  {'&', "&amp;"},  {'"', "&quot;"},
                    {'\'', "&apos;"}, {'-', "&#45;"}, {'\x01', "&#1;"}};
    const auto extra = Ascii<Char>("-");
    const auto endsWith = [](const std::basic_string<Char>& text, const std::basic_string<Char>& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
    for (const auto& prefix : MalformedPrefixes<Char>()) {
        SCOPED_TRACE(static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(prefix[0])));
        for (const auto& [special, escaped] : specials) {
            const auto input = prefix + static_cast<Char>(special) + Char('x');
            const auto result = Units(EscapeMarkup(input.c_str(), true, extra.c_str()));
            ASSERT_TRUE(endsWith(result, Ascii<Char>(std::string(escaped) + "x"))) << special;
            KTString<Char> member(input.c_str());
            ASSERT_EQ(Units(EscapeMarkup(member, true, extra.c_str())), result);
            const auto markupTail =
                Units(TextToMarkup(Ascii<Char>(std::string{special, 'x'}).c_str(), false));
            ASSERT_TRUE(endsWith(Units(TextToMarkup(input.c_str(), false)), markupTail)) << special;
        }
        // The extra characters are read the same way.
        const auto extraAfterPrefix = prefix + Char('-');
        EXPECT_EQ(Units(EscapeMarkup(Ascii<Char>("a-b").c_str(), false, extraAfterPrefix.c_str())),
                  Ascii<Char>("a&#45;b"));
    }
}

TEST(Markup8, MalformedSequencesNeverSwallowASpecialCharacter) {
    EXPECT_EQ(Units(EscapeMarkup("\xF0<b>hi", false, nullptr)), "&#0;&lt;b&gt;hi")
        << "the lone lead byte is a malformed character of its own";
    CheckMalformedPrefixes<char>();
}

TEST(Markup16, LoneSurrogatesNeverSwallowASpecialCharacter) {
    CheckMalformedPrefixes<char16_t>();
}

// ASCII decoded from high bytes goes out as a reference, never as a byte the input did not hold (checked on
// any text by fuzz/markup_fuzz.cpp). Cases: input, EscapeMarkup's output, TextToMarkup's.
TEST(Markup8, AsciiDecodedFromHighBytesIsWrittenAsAReference) {
    const char* const cases[][3] = {
        {"a<b \x80\xE2", "a&lt;b &#34;", "a&lt;b &#34;"},          // 80 E2 decodes to the double quote
        {"\xC1\x81", "&#65;", "&#65;"},                            // an overlong "A"
        {"\xC0\xBC>", "&#60;&gt;", "&#60;&gt;"},                   // an overlong "<"
        {"\xE0\x80\xA7x", "&#39;x", "&#39;x"},                     // an overlong apostrophe, three bytes
        {"\xF0\x80\x80\xA6\xC0\x8A", "&#38;&#10;", "&#38;&#10;"},  // "&" in four bytes, a line feed in two
        {"\xC3\xA4 \xC1\x81", "\xC3\xA4 &#65;", "&auml; &#65;"},   // well-formed text stays as it is
    };
    for (const auto& [input, escaped, markup] : cases) {
        EXPECT_EQ(Units(EscapeMarkup(input, false, nullptr)), escaped) << input;
        EXPECT_EQ(Units(TextToMarkup(input, false)), markup) << input;
    }
}

TYPED_TEST(Markup, TextToMarkupLineBreaksAndEntities) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("a\r\nb\rc\nd");
    EXPECT_EQ(Units(TextToMarkup(s, true)), this->T("a<BR>\r\nb<BR>\r\nc<BR>\r\nd"));

    const std::u32string letters = U"\u00C4<\u00DF>\u00D7\t\x7F'&\"\u00F7\u00A0\u00FF";
    auto markup = TextToMarkup(kt::test::Encoded<Char>(letters).c_str(), false);
    EXPECT_EQ(Units(markup), this->T("&Auml;&lt;&szlig;&gt;&#215;&#9;&#127;'&amp;&quot;&#247;&#160;&yuml;"));
    EXPECT_EQ(TextToMarkup(static_cast<const Char*>(nullptr), true).Length(), 0);

    auto shared = this->Make("<x>");
    TypeParam other(shared);
    TextToMarkup(shared, false);
    EXPECT_EQ(Units(shared), this->T("&lt;x&gt;"));
    EXPECT_EQ(Units(other), this->T("<x>"));
}

TYPED_TEST(Markup, QualifiedNames) {
    using Char = typename TestFixture::Char;
    auto name = this->Make("xs:element:x");
    EXPECT_EQ(Units(GetLocalName(name)), this->T("element:x"));
    EXPECT_EQ(Units(GetNamePrefix(name)), this->T("xs"));
    auto local = this->Make("element");
    EXPECT_EQ(Units(GetLocalName(local)), this->T("element"));
    EXPECT_EQ(Units(GetNamePrefix(local)), this->T(""));
    EXPECT_EQ(Units(GetLocalName(this->T(":a").c_str())), this->T("a"));
    EXPECT_EQ(Units(GetNamePrefix(this->T("a:").c_str())), this->T("a"));
    EXPECT_EQ(GetLocalName(static_cast<const Char*>(nullptr)).Length(), 0);

    TypeParam other(name);
    CutToNamePrefix(name);
    EXPECT_EQ(Units(name), this->T("xs"));
    EXPECT_EQ(Units(other), this->T("xs:element:x"));
    CutToNamePrefix(local);
    EXPECT_EQ(local.Length(), 0);

    // A text ends at its first zero character: a colon behind it is no colon of the name.
    const auto zeroed = Ascii<Char>(std::string_view("a\0:b", 4));
    TypeParam cut(zeroed.c_str(), 4);
    CutToNamePrefix(cut);
    EXPECT_EQ(cut.Length(), 0);
    TypeParam early(Ascii<Char>(std::string_view("a:b\0:c", 6)).c_str(), 6);
    CutToNamePrefix(early);
    EXPECT_EQ(Units(early), this->T("a"));
    EXPECT_EQ(Units(GetLocalName(KTTextPiece<Char>(zeroed.c_str(), 4))), this->T("a"));
    EXPECT_EQ(GetNamePrefix(KTTextPiece<Char>(zeroed.c_str(), 4)).Length(), 0);
    TypeParam references(Ascii<Char>(std::string_view("a\0&lt;", 6)).c_str(), 6);
    DecodeNamedReferences(references);
    EXPECT_EQ(Units(references), Ascii<Char>(std::string_view("a\0&lt;", 6))) << "nothing behind the zero";
}

TYPED_TEST(Markup, FindWholeWord) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("concat cat.");
    EXPECT_EQ(FindWholeWord(s, this->T("cat").c_str()), 7);
    EXPECT_EQ(FindWholeWord(s, this->T("cat").c_str(), -3), 7);
    EXPECT_EQ(FindWholeWord(s, this->T("cat").c_str(), 8), -1);
    EXPECT_EQ(FindWholeWord(s, this->T("cat").c_str(), 40), -1);
    EXPECT_EQ(FindWholeWord(this->Make("cats"), this->T("cat").c_str()), -1);
    EXPECT_EQ(FindWholeWord(this->Make("cat"), this->T("cat").c_str()), 0);
    EXPECT_EQ(FindWholeWord(s, this->T("").c_str()), -1);

    auto two = this->Make("cat cat");
    EXPECT_EQ(FindWholeWord(two, this->T("cat").c_str(), 7, false, true), 4);
    EXPECT_EQ(FindWholeWord(two, this->T("cat").c_str(), 99, false, true), 4) << "clamped to the end";
    EXPECT_EQ(FindWholeWord(two, this->T("cat").c_str(), 6, false, true), 0);
    EXPECT_EQ(FindWholeWord(two, this->T("cat").c_str(), -1, false, true), -1);
    EXPECT_EQ(FindWholeWord(this->Make("xcat cats"), this->T("cat").c_str(), 9, false, true), -1);

    auto dashed = this->Make("a-cat-b cat");
    EXPECT_EQ(FindWholeWord(dashed, this->T("cat").c_str(), this->T("-").c_str(), 0, false, false), 2);
    EXPECT_EQ(FindWholeWord(dashed, this->T("cat").c_str(), 0), 8);
    EXPECT_EQ(FindWholeWord(dashed, this->T("cat").c_str(), this->T("").c_str(), 0, false, false), -1);

    // The text, the needle and the delimiters end at their first zero character.
    TypeParam zeroed(Ascii<Char>(std::string_view("cat\0cat", 7)).c_str(), 7);
    EXPECT_EQ(FindWholeWord(zeroed, this->T("cat").c_str()), 0);
    EXPECT_EQ(FindWholeWord(zeroed, this->T("cat").c_str(), 1), -1);
    EXPECT_EQ(FindWholeWord(zeroed, this->T("cat").c_str(), 99, false, true), 0);
    const auto needle = Ascii<Char>(std::string_view("cat\0s", 5));
    EXPECT_EQ(FindWholeWord(two, KTTextPiece<Char>(needle.c_str(), 5)), 0);
}

TEST(Markup8, FindWholeWordCountsCharactersInAndBytesOut) {
    KTString<char> s("\xC3\xA4 cat \xC3\xA4 cat");
    EXPECT_EQ(FindWholeWord(s, "cat", 2), 3) << "start 2 characters is byte 3; the result is in bytes";
    EXPECT_EQ(FindWholeWord(s, "cat", 4), 10);
    EXPECT_EQ(FindWholeWord(s, "cat", 4, true), 10);
    EXPECT_EQ(FindWholeWord(s, "cat", 3, true), 3);
    KTString<char> accented(
        "\xC3\xA9"
        "cat\xC3\xA9 xcat");
    EXPECT_EQ(FindWholeWord(accented, "cat", "\xC3\xA9", 0, false, false), 2) << "delimiters are code points";
    EXPECT_EQ(FindWholeWord(accented, "cat", "\xC3\xA9", 20, false, true), 2);
    EXPECT_EQ(FindWholeWord(accented, "cat", "\xA9", 0, false, false), -1) << "not a loose byte";
}
