#include "text/util/encodings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <vector>
#include "tests/support/text_literals.h"

using namespace kt;
using kt::test::Ascii;
using kt::test::Units;

namespace {

// Every line break of `text` made `target`, by the standard library's regular expressions.
std::string ReferenceLineEndings(const std::string& text, const std::string& target) {
    return std::regex_replace(text, std::regex("\r\n|\r|\n"), target);
}

}  // namespace

// --- line endings, over both widths and all storage modes ----------------------------------------------

template <class S>
class LineEndings : public kt::test::ModeTest<S> {};
TYPED_TEST_SUITE(LineEndings, kt::test::AllModes);

// Every break made the target, for each target and mixed texts of CR, LF and CR LF.
TYPED_TEST(LineEndings, MatchesTheStandardLibraryOnRandomTexts) {
    using Char = typename TestFixture::Char;
    // 'x' and 'y' stand for units that resemble a break without being one: in the 16-bit width units
    // whose bytes are CR and LF, in the 8-bit width bytes with the high bit set.
    const Char x = sizeof(Char) == 2 ? static_cast<Char>(0x0A0D) : static_cast<Char>(0xE9);
    const Char y = sizeof(Char) == 2 ? static_cast<Char>(0x8D0A) : static_cast<Char>(0x8A);
    auto units = [&](const std::string& shape) {
        std::basic_string<Char> result;
        for (char c : shape) result += c == 'x' ? x : c == 'y' ? y : static_cast<Char>(c);
        return result;
    };
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', 'a', 'b', 'x', 'y'};
    for (int round = 0; round < 400; ++round) {
        std::string shape(random() % 48, ' ');
        for (char& c : shape) c = alphabet[random() % (random() % 2 ? 6 : 3)];
        for (const char* target : {"\r\n", "\r", "\n"}) {
            TypeParam s(units(shape).c_str());
            ConvertLineEndings(s, this->T(target).c_str());
            ASSERT_EQ(Units(s), units(ReferenceLineEndings(shape, target)));
        }
        const std::basic_string<Char> text = units(shape);
        const size_t firstCr = text.find(Char('\r'));  // every CR is foreign to LF, paired or not
        const Char* foreign = FindForeignLineEnding(text.c_str(), LineEndingLF<Char>);
        ASSERT_EQ(foreign == nullptr ? std::string::npos : static_cast<size_t>(foreign - text.c_str()),
                  firstCr);
    }
}

TYPED_TEST(LineEndings, OtherTargetsAndCorrectTextsLeaveTheBlockAlone) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("one\r\ntwo\r\n");
    const Char* block = s.Data();
    ConvertLineEndings(s, LineEndingCRLF<Char>);
    EXPECT_EQ(s.Data(), block) << "only CR LF already: not copied";
    for (const char* target : {"", "x", "\n\r", "\r\n\r", "\r\r"}) {
        ConvertLineEndings(s, this->T(target).c_str());
        EXPECT_EQ(Units(s), this->T("one\r\ntwo\r\n")) << "target \"" << target << "\"";
    }
    ConvertLineEndings(s, static_cast<const Char*>(nullptr));
    EXPECT_EQ(Units(s), this->T("one\r\ntwo\r\n"));
    EXPECT_EQ(s.Data(), block);

    auto empty = this->Make("");
    ConvertLineEndings(empty, LineEndingCRLF<Char>);
    ConvertLineEndings(empty, LineEndingLF<Char>);
    EXPECT_EQ(empty.Length(), 0);
}

TYPED_TEST(LineEndings, FromASourceText) {
    using Char = typename TestFixture::Char;
    const auto source = this->T("p\rq\n");
    for (const char* target : {"\r\n", "\n"}) {
        auto s = this->Make("previous contents");
        ConvertLineEndings(s, source.c_str(), this->T(target).c_str());
        EXPECT_EQ(Units(s), this->T(ReferenceLineEndings("p\rq\n", target)));
    }
    auto unchanged = this->Make("a\r\nb");
    ConvertLineEndings(unchanged, this->T("c\r\nd").c_str(), LineEndingCRLF<Char>);
    EXPECT_EQ(Units(unchanged), this->T("c\r\nd")) << "correct breaks are still copied from another source";
    ConvertLineEndings(unchanged, static_cast<const Char*>(nullptr), LineEndingLF<Char>);
    EXPECT_EQ(unchanged.Length(), 0) << "a null source is the empty text";
    auto kept = this->Make("kept");
    ConvertLineEndings(kept, this->T("x\ny").c_str(), this->T("\t").c_str());
    EXPECT_EQ(Units(kept), this->T("kept"));
}

TYPED_TEST(LineEndings, SourceInsideTheStringItself) {
    using Char = typename TestFixture::Char;
    for (const char* target : {"\r\n", "\n"}) {
        auto s = this->Make("head\nx\ny\rz");
        const KTTextPiece<Char> tail(s.Data() + 5, 5);  // "x\ny\rz"
        ConvertLineEndings(s, tail, this->T(target).c_str());
        EXPECT_EQ(Units(s), this->T(ReferenceLineEndings("x\ny\rz", target)));
        auto prefix = this->Make("a\nb\nc");
        ConvertLineEndings(prefix, KTTextPiece<Char>(prefix.Data(), 3), this->T(target).c_str());
        EXPECT_EQ(Units(prefix), this->T(ReferenceLineEndings("a\nb", target)));
    }
}

TYPED_TEST(LineEndings, ConditionalFormConvertsOnlyForeignBreaks) {
    using Char = typename TestFixture::Char;
    auto s = this->Make("a\nb\n");
    const Char* block = s.Data();
    ConvertLineEndingsIfNeeded(s, LineEndingLF<Char>);
    EXPECT_EQ(s.Data(), block);
    ConvertLineEndingsIfNeeded(s, LineEndingCR<Char>);
    EXPECT_EQ(Units(s), this->T("a\rb\r"));
    auto none = this->Make("no breaks");
    ConvertLineEndingsIfNeeded(none, LineEndingCRLF<Char>);
    EXPECT_EQ(Units(none), this->T("no breaks"));
}

// Shared and borrowed strings must not write into characters that someone else still reads.
template <class S>
class LineEndingsOwnership : public LineEndings<S> {};
using ForeignModes = ::testing::Types<KTString<char>, KTString<char16_t>>;
TYPED_TEST_SUITE(LineEndingsOwnership, ForeignModes);

TYPED_TEST(LineEndingsOwnership, SharedAndBorrowedCharactersStayIntact) {
    using Char = typename TestFixture::Char;
    for (const char* target : {"\r\n", "\n"}) {
        KTStringShared<Char> first(this->T("a\rb").c_str());
        KTStringShared<Char> second = first;
        ASSERT_EQ(first.Data(), second.Data());
        ConvertLineEndings(second, this->T(target).c_str());
        EXPECT_EQ(Units(first), this->T("a\rb"));
        EXPECT_EQ(Units(second), this->T(ReferenceLineEndings("a\rb", target)));

        const auto foreign = this->T("c\rd\r\n");
        KTStringBorrowed<Char> borrowed(Borrow, foreign.c_str());
        ConvertLineEndings(borrowed, this->T(target).c_str());
        EXPECT_EQ(foreign, this->T("c\rd\r\n"));
        EXPECT_EQ(Units(borrowed), this->T(ReferenceLineEndings("c\rd\r\n", target)));
    }
    KTStringShared<Char> first(this->T("x\r\n").c_str());
    KTStringShared<Char> second = first;
    ConvertLineEndingsIfNeeded(second, LineEndingCRLF<Char>);
    EXPECT_EQ(second.Holders(), 1) << "nothing to convert: the block stays shared";
}

// --- finding and detecting line breaks -----------------------------------------------------------------

template <class Char>
class LineBreakSearch : public ::testing::Test {};
TYPED_TEST_SUITE(LineBreakSearch, kt::test::Widths);

// (With LF as the target, the search is checked on random texts in MatchesTheStandardLibraryOnRandomTexts.)
TYPED_TEST(LineBreakSearch, FindForeignLineEnding) {
    using Char = TypeParam;
    const auto crlfFirst = Ascii<Char>("ab\r\ncd\ne");
    const Char* text = crlfFirst.c_str();
    EXPECT_EQ(FindForeignLineEnding(text, LineEndingCRLF<Char>), text + 6);
    EXPECT_EQ(FindForeignLineEnding(text, LineEndingCR<Char>), text + 2);
    const auto trailingCr = Ascii<Char>("a\r\nb\r");
    EXPECT_EQ(FindForeignLineEnding(trailingCr.c_str(), LineEndingCRLF<Char>), trailingCr.c_str() + 4);
    EXPECT_EQ(FindForeignLineEnding(Ascii<Char>("plain").c_str(), LineEndingCR<Char>), nullptr);
    EXPECT_EQ(FindForeignLineEnding(static_cast<const Char*>(nullptr), LineEndingLF<Char>), nullptr);
    for (const char* target : {"", "x", "\n\r", "\r\n\n"})
        EXPECT_EQ(FindForeignLineEnding(text, Ascii<Char>(target).c_str()), nullptr) << target;
    EXPECT_EQ(FindForeignLineEnding(text, static_cast<const Char*>(nullptr)), nullptr);
    const KTString<Char> s(Ascii<Char>("x\ry").c_str());
    EXPECT_EQ(FindForeignLineEnding(s, LineEndingLF<Char>), s.Data() + 1);
}

TYPED_TEST(LineBreakSearch, DetectLineEnding) {
    using Char = TypeParam;
    const auto defaultEnding = Ascii<Char>("default");
    auto detect = [&](const char* text) {
        return Units(DetectLineEnding(Ascii<Char>(text).c_str(), defaultEnding.c_str()));
    };
    EXPECT_EQ(detect("x\r\ny\n"), Ascii<Char>("\r\n"));
    EXPECT_EQ(detect("x\ry\r\n"), Ascii<Char>("\r"));
    EXPECT_EQ(detect("x\ny\r\n"), Ascii<Char>("\n"));
    EXPECT_EQ(detect("x\r"), Ascii<Char>("\r")) << "a CR at the end is a lone CR";
    EXPECT_EQ(detect("xyz"), defaultEnding);
    EXPECT_EQ(detect(""), defaultEnding);
    EXPECT_EQ(DetectLineEnding(static_cast<const Char*>(nullptr), static_cast<const Char*>(nullptr)).Length(),
              0);
}

// --- quoted-printable ----------------------------------------------------------------------------------

namespace {

// Decodes quoted-printable text: "=\r\n" is dropped, "=XX" (hexadecimal) is the byte XX.
std::u16string DecodeQuotedPrintable(std::u16string_view encoded) {
    auto hex = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9') return c - u'0';
        if (c >= u'A' && c <= u'F') return c - u'A' + 10;
        return -1;
    };
    std::u16string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != u'=') {
            decoded += encoded[i];
        } else if (encoded.substr(i + 1, 2) == u"\r\n") {
            i += 2;
        } else {
            const int high = hex(encoded.at(i + 1)), low = hex(encoded.at(i + 2));
            if (high < 0 || low < 0) throw std::runtime_error("bad escape");
            decoded += static_cast<char16_t>(high * 16 + low);
            i += 2;
        }
    }
    return decoded;
}

std::vector<std::u16string_view> Lines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    for (size_t start = 0;;) {
        const size_t end = text.find(u"\r\n", start);
        lines.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
        if (end == std::u16string_view::npos) return lines;
        start = end + 2;
    }
}

}  // namespace

template <class S>
class QuotedPrintable : public ::testing::Test {
  protected:
    static std::u16string Encode(std::u16string_view text) {
        S s(text.data(), static_cast<int32_t>(text.size()));
        EncodeQuotedPrintable(s);
        return Units(s);
    }
};
TYPED_TEST_SUITE(QuotedPrintable, kt::test::Modes16);

// Escaped "=", no dot at a line's start, no blank at its end and every break as CR LF: on random text in
// RandomBytesStayWithinLinesAndDecodeBack. The rows here take what decoding back would not show.
TYPED_TEST(QuotedPrintable, EscapesAndLineBreaks) {
    EXPECT_EQ(this->Encode(u"plain text, 1+1 <ok>\tend"), u"plain text, 1+1 <ok>\tend");
    EXPECT_EQ(this->Encode(u"a.b"), u"a.b") << "a dot inside a line stays";
    EXPECT_EQ(this->Encode(u"a\nb"), u"a=0Ab");
    EXPECT_EQ(this->Encode(u"\r\n\n"), u"\r\n=0A") << "only the LF right after a CR is skipped";
    EXPECT_EQ(this->Encode(std::u16string(u"\x00e9\x007f\x0001", 3)), u"=E9=7F=01");
    EXPECT_EQ(this->Encode(std::u16string_view(u"a\0b", 3)), u"a=00b");
    EXPECT_EQ(this->Encode(u"\x0100\xffff"), u"=100=FFFF") << "larger units take the digits they need";
    EXPECT_EQ(this->Encode(u""), u"");
}

TYPED_TEST(QuotedPrintable, SoftBreaks) {
    const std::u16string letters(100, u'x');
    EXPECT_EQ(this->Encode(letters), std::u16string(71, u'x') + u"=\r\n" + std::u16string(29, u'x'));
    // A dot that lands at the start of a line after a soft break is escaped.
    EXPECT_EQ(this->Encode(std::u16string(71, u'x') + u"."), std::u16string(71, u'x') + u"=\r\n=2E");
    // A space followed by a soft break does not end the line, so the hard break leaves it alone.
    EXPECT_EQ(this->Encode(std::u16string(70, u'x') + u" \r\ny"), std::u16string(70, u'x') + u" =\r\n\r\ny");
    // Escapes count with their three characters: "=3D" from column 69 reaches 72, the next one breaks.
    EXPECT_EQ(this->Encode(std::u16string(69, u'x') + u"==y"), std::u16string(69, u'x') + u"=3D=3D=\r\ny");
}

TYPED_TEST(QuotedPrintable, RandomBytesStayWithinLinesAndDecodeBack) {
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        std::u16string input(random() % 300, u' ');
        for (char16_t& unit : input) {
            const unsigned pick = random() % 8;
            unit = pick == 0   ? u'\r'
                   : pick == 1 ? u'\n'
                   : pick == 2 ? u' '
                               : static_cast<char16_t>(random() % 256);
        }
        const std::u16string encoded = this->Encode(input);
        const std::vector<std::u16string_view> lines = Lines(encoded);
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_LE(lines[i].size(), 76u);
            if (lines[i].empty()) continue;
            EXPECT_NE(lines[i].front(), u'.');
            if (i + 1 == lines.size()) break;  // the text's own end is no line break
            EXPECT_NE(lines[i].back(), u' ');
            EXPECT_NE(lines[i].back(), u'\t');
        }
        // Every line break comes back as CR LF: a lone CR is written as one.
        std::u16string expected;
        for (size_t i = 0; i < input.size(); ++i) {
            expected += input[i];
            if (input[i] == u'\r' && (i + 1 == input.size() || input[i + 1] != u'\n')) expected += u'\n';
        }
        ASSERT_EQ(DecodeQuotedPrintable(encoded), expected);
    }
}

TEST(QuotedPrintableOwnership, SharedAndBorrowedCharactersStayIntact) {
    KTStringShared<char16_t> first(u"a=b");
    KTStringShared<char16_t> second = first;
    EncodeQuotedPrintable(second);
    EXPECT_EQ(Units(first), u"a=b");
    EXPECT_EQ(Units(second), u"a=3Db");
    const std::u16string foreign = u"x\ny";
    KTStringBorrowed<char16_t> borrowed(Borrow, foreign.c_str());
    EncodeQuotedPrintable(borrowed);
    EXPECT_EQ(foreign, u"x\ny");
    EXPECT_EQ(Units(borrowed), u"x=0Ay");
    KTString<char16_t> bytes(u"caf\x00e9");
    EXPECT_EQ(Units(EncodeQuotedPrintable(bytes.ConvertToUtf8Units())), u"caf=C3=A9");
}
