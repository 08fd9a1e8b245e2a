#include "text/util/paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/platform_expectations.h"
#include "tests/support/text_literals.h"

using namespace kt;
using kt::test::Ascii;
using kt::test::Units;

namespace {

template <class Char>
std::basic_string<Char> Encode(const std::u32string& text) {
    std::basic_string<Char> out;
    for (char32_t c : text) {
        Char units[4];
        out.append(units, static_cast<size_t>(detail::EncodeCodePoint(units, c)));
    }
    return out;
}

// Installs a handler for one test and removes it again.
template <class Char>
struct ScopedHandler {
    explicit ScopedHandler(PathHandler<Char>* handler) { SetPathHandler(handler); }
    ~ScopedHandler() { SetPathHandler<Char>(nullptr); }
};

// Calls "x-" texts URLs, reports the extension "ext" for texts ending in "!", and moves every base to
// the directory "R:\root\".
template <class Char>
class TestHandler : public PathHandler<Char> {
  public:
    bool IsLocalPath(const Char* text) override { return !(text[0] == Char('x') && text[1] == Char('-')); }
    bool GetExtension(const Char* text, KTString<Char>& extension) override {
        const std::basic_string<Char> s(text);
        if (s.empty() || s.back() != Char('!')) return false;
        extension = Ascii<Char>("EXT").c_str();
        return true;
    }
    void AdjustBase(KTString<Char>& base) override { base = Ascii<Char>("R:\\root\\").c_str(); }
};

}  // namespace

template <class S>
class Paths : public ::testing::Test {
  protected:
    using Char = typename S::CharType;
    static std::basic_string<Char> T(const char* ascii) { return Ascii<Char>(ascii); }
    static S Make(const char* ascii) { return S(Ascii<Char>(ascii).c_str()); }
    static std::basic_string<Char> Url(const char* path) {
        auto s = Make(path);
        return Units(PathToFileUrl(s));
    }
    static std::basic_string<Char> Path(const char* url) {
        auto s = Make(url);
        return Units(FileUrlToPath(s));
    }
    static std::basic_string<Char> Escaped(const char* text, int mode) {
        auto s = Make(text);
        return Units(PercentEscape(s, mode));
    }
    static std::basic_string<Char> Unescaped(const std::basic_string<Char>& text) {
        auto s = S(text.c_str());
        return Units(PercentUnescape(s));
    }
    static std::basic_string<Char> Collapsed(const char* path, bool dots, bool parents) {
        auto buffer = T(path);
        buffer.resize(static_cast<size_t>(CollapsePathSegments(buffer.data(), dots, parents)));
        return buffer;
    }
    static std::basic_string<Char> Absolute(const char* path, const char* base, const char* fallback,
                                            bool parents = true) {
        auto s = Make(path);
        return Units(MakeAbsolutePath(s, T(base).c_str(), T(fallback).c_str(), false, parents));
    }
    static std::basic_string<Char> Relative(const char* path, const char* base, bool parents, bool directory,
                                            const char* fallback = "") {
        auto s = Make(path);
        return Units(MakeRelativePath(s, T(base).c_str(), T(fallback).c_str(), parents, directory));
    }
};
using AllModes = ::testing::Types<KTString<char>, KTString<char16_t>, KTStringInline<char, 8>,
                                  KTStringInline<char16_t, 8>, KTStringShared<char>, KTStringShared<char16_t>,
                                  KTStringBorrowed<char>, KTStringBorrowed<char16_t>>;
TYPED_TEST_SUITE(Paths, AllModes);

TYPED_TEST(Paths, PathToFileUrl) {
    using Char = typename TestFixture::Char;
    EXPECT_EQ(this->Url("\\\\srv"), this->T("file://srv/"));
    EXPECT_EQ(this->Url("\\\\srv\\share\\a b"), this->T("file://srv/share/a%20b"));
    EXPECT_EQ(this->Url("D:\\My Documents\\a.txt"), this->T("file:///D:/My%20Documents/a.txt"));
    EXPECT_EQ(this->Url(" \t\r\nD:\\a%20b"), this->T("file:///D:/a%2520b")) << "a drive path's % is escaped";
    EXPECT_EQ(this->Url("dir\\a%20b c"), this->T("dir/a%20b%20c")) << "relative: no scheme, escapes kept";
    EXPECT_EQ(this->Url("http://h/a%20b c"), this->T("http://h/a%20b%20c"));
    EXPECT_EQ(this->Url("FILE:///x%20y"), this->T("FILE:///x%20y"));
    EXPECT_EQ(this->Url(" \t"), this->T(""));
    EXPECT_EQ(Units(PathToFileUrl(Encode<Char>(U"C:\\\u00E4").c_str())), this->T("file:///C:/%C3%A4"));

    TestHandler<Char> handler;
    ScopedHandler<Char> scope(&handler);
    EXPECT_EQ(this->Url("x-a:%20b\\c"), this->T("x-a:%20b/c")) << "the handler says it is a URL";
    EXPECT_EQ(this->Url("D:\\a://b"), this->T("file:///D:/a://b")) << "the handler says it is a path";
}

TYPED_TEST(Paths, FileUrlToPath) {
    EXPECT_EQ(this->Path("FILE:///D:/a"), this->T("FILE:///D:/a"));
    EXPECT_EQ(this->Path("file:///D:/a%20b"), this->T("D:\\a b"));
    EXPECT_EQ(this->Path("  file://D:/x"), this->T("D:\\x"));
    EXPECT_EQ(this->Path("file://host/share/x"), this->T("\\\\host\\share\\x"));
    EXPECT_EQ(this->Path("file://\\\\srv\\x"), this->T("\\\\srv\\x"));
    EXPECT_EQ(this->Path("file://\\D:\\x"), this->T("D:\\x"));
    EXPECT_EQ(this->Path("file:a/b"), this->T("a\\b"));
    EXPECT_EQ(this->Path("file://"), this->T("\\\\"));
    EXPECT_EQ(this->Path("http://h/a%20b"), this->T("http://h/a%20b"));
    EXPECT_EQ(Units(FileUrlToPath(static_cast<const typename TestFixture::Char*>(nullptr))), this->T(""));
}

TEST(Paths8, FileUrlToPathStepsOverAWholeHostCharacter) {
    EXPECT_EQ(Units(FileUrlToPath("file://\xC3\xA9:/x")), "\xC3\xA9:\\x");
}

TYPED_TEST(Paths, PercentEscapeModes) {
    EXPECT_EQ(this->Escaped("a/b:c\\d", 0), this->T("a/b:c\\d"));
    EXPECT_EQ(this->Escaped("a/b:c\\d", 1), this->T("a%2Fb%3Ac\\d"));
    EXPECT_EQ(this->Escaped("a/b:c\\d", 2), this->T("a%2Fb%3Ac%5Cd"));
    EXPECT_EQ(this->Escaped(" \"%<>^`{|}\n\x7F", 0), this->T("%20%22%25%3C%3E%5E%60%7B%7C%7D%0A%7F"));
    EXPECT_EQ(this->Escaped("#;/?:@&=+$,", 0), this->T("#;/?:@&=+$,"));
    EXPECT_EQ(this->Escaped("#;/?:@&=+$,", 1), this->T("%23%3B%2F%3F%3A%40%26%3D%2B%24%2C"));
    EXPECT_EQ(this->Escaped("!'()*-._~09AZaz[]", 2), this->T("!'()*-._~09AZaz[]"));
    EXPECT_EQ(this->Escaped("", 2), this->T(""));

    auto untouched = this->Make("plain/text");
    const auto* before = untouched.Data();
    PercentEscape(untouched, 0);
    EXPECT_EQ(untouched.Data(), before) << "nothing to escape, nothing written";

    auto shared = this->Make("a b");
    TypeParam other(shared);
    PercentEscape(shared, 0);
    EXPECT_EQ(Units(shared), this->T("a%20b"));
    EXPECT_EQ(Units(other), this->T("a b"));
}

// Plain text, then a run of escapes: the result outgrows the room it starts with at different points.
TYPED_TEST(Paths, PercentEscapeGrowsForRunsOfEscapes) {
    for (size_t plain : {0, 1, 100, 1000})
        for (size_t spaces : {1, 7, 100, 1000}) {
            const std::string text = std::string(plain, 'a') + std::string(spaces, ' ') + "z";
            std::string expected = std::string(plain, 'a');
            for (size_t i = 0; i < spaces; ++i) expected += "%20";
            EXPECT_EQ(this->Escaped(text.c_str(), 0), this->T((expected + "z").c_str()))
                << plain << "+" << spaces;
        }
}

TYPED_TEST(Paths, PercentEscapeWritesUtf8Bytes) {
    using Char = typename TestFixture::Char;
    auto s = TypeParam(Encode<Char>(U"\u00E9\u20AC\U0001F600").c_str());
    PercentEscape(s, 0);
    EXPECT_EQ(Units(s), this->T("%C3%A9%E2%82%AC%F0%9F%98%80"));
}

TYPED_TEST(Paths, PercentUnescape) {
    using Char = typename TestFixture::Char;
    EXPECT_EQ(this->Unescaped(this->T("%%")), this->T("%"));
    EXPECT_EQ(this->Unescaped(this->T("%41%4a%4A")), this->T("AJJ"));
    EXPECT_EQ(this->Unescaped(this->T("a%Gb")), this->T("ab")) << "the % goes with the G";
    EXPECT_EQ(this->Unescaped(this->T("a%4Gb")), this->T("ab"));
    EXPECT_EQ(this->Unescaped(this->T("a%4")), this->T("a"));
    EXPECT_EQ(this->Unescaped(this->T("a%")), this->T("a%"));
    EXPECT_EQ(this->Unescaped(this->T("%")), this->T("%"));
    EXPECT_EQ(this->Unescaped(this->T("%G")), this->T(""));
    EXPECT_EQ(this->Unescaped(this->T("%4%41")), this->T("41")) << "the third character goes too";
    EXPECT_EQ(this->Unescaped(this->T("%C3%A9")), Encode<Char>(U"\u00E9"));

    auto untouched = this->Make("no escapes");
    const auto* before = untouched.Data();
    PercentUnescape(untouched);
    EXPECT_EQ(untouched.Data(), before);

    auto shared = this->Make("a%20b");
    TypeParam other(shared);
    PercentUnescape(shared);
    EXPECT_EQ(Units(shared), this->T("a b"));
    EXPECT_EQ(Units(other), this->T("a%20b"));
}

TEST(Paths16, PercentUnescapeTakesUnitsAsBytes) {
    KTString<char16_t> wide(u"a\u0100b%41");
    EXPECT_EQ(Units(PercentUnescape(wide)), u"abA") << "a unit above 255 is dropped";
    KTString<char16_t> latin(u"\u00E9%41");
    EXPECT_EQ(Units(PercentUnescape(latin)), u"\uFFFDA") << "0xE9 alone is no UTF-8: the converter's U+FFFD";
    KTString<char16_t> broken(u"%C3");
    EXPECT_EQ(Units(PercentUnescape(broken)), u"\uFFFD");
}

TEST(Paths8, PercentUnescapeKeepsInvalidBytes) {
    KTString<char> s("%C3%28%FF");
    EXPECT_EQ(Units(PercentUnescape(s)), "\xC3\x28\xFF");
}

TYPED_TEST(Paths, PercentEscapeThenUnescapeRestores) {
    using Char = typename TestFixture::Char;
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        std::basic_string<Char> original;
        const size_t length = rng() % 40;
        if constexpr (sizeof(Char) == 1) {
            for (size_t i = 0; i < length; ++i) original.push_back(static_cast<char>(1 + rng() % 255));
        } else {
            std::u32string text;
            for (size_t i = 0; i < length; ++i) {
                char32_t c = static_cast<char32_t>(1 + rng() % (rng() % 2 ? 0x7F : 0x10FFFF));
                if (c < 0xD800 || c > 0xDFFF) text.push_back(c);
            }
            original = Encode<Char>(text);
        }
        for (int mode = 0; mode <= 2; ++mode) {
            auto s = TypeParam(original.c_str());
            PercentEscape(s, mode);
            for (int32_t i = 0; i < s.Length(); ++i)
                ASSERT_TRUE(s.Data()[i] > 32 && s.Data()[i] < 127) << "escaped text is printable ASCII";
            PercentUnescape(s);
            ASSERT_EQ(Units(s), original) << "round " << round << " mode " << mode;
        }
    }
}

TYPED_TEST(Paths, FileUrlRoundTripsDriveAndUncPaths) {
    using Char = typename TestFixture::Char;
    std::mt19937 rng(9);
    const std::u32string nameCharacters = U"abcXYZ019 _-.#%;@&=+$,!'()~[]{}^`\u00E4\u00DF\u20AC\U0001F600";
    auto name = [&] {
        std::u32string n;
        const size_t length = 1 + rng() % 8;
        for (size_t i = 0; i < length; ++i) n.push_back(nameCharacters[rng() % nameCharacters.size()]);
        return n;
    };
    for (int round = 0; round < 300; ++round) {
        std::u32string path;
        if (round % 2 == 0) {
            path.push_back(static_cast<char32_t>('A' + rng() % 26));
            path += U":";
        } else {
            path = U"\\\\srv" + std::u32string(1, static_cast<char32_t>('a' + rng() % 26)) + U"\\" + name();
        }
        const size_t segments = 1 + rng() % 4;
        for (size_t i = 0; i < segments; ++i) path += U"\\" + name();
        const auto original = Encode<Char>(path);
        auto s = TypeParam(original.c_str());
        PathToFileUrl(s);
        ASSERT_TRUE(Units(s).starts_with(this->T("file://")));
        FileUrlToPath(s);
        ASSERT_EQ(Units(s), original) << "round " << round;
    }
}

TYPED_TEST(Paths, Extensions) {
    using Char = typename TestFixture::Char;
    auto archive = this->Make("dir.d\\archive.tar.GZ");
    EXPECT_EQ(FindExtension(archive), archive.Data() + 17);
    for (const char* none : {"a.b/c", "a.b\\c", "a.b c", "a.b#c", "a.b%c", "a.b;c", "noext", ""}) {
        auto s = this->Make(none);
        EXPECT_EQ(FindExtension(s), nullptr) << none;
        EXPECT_EQ(Units(RemoveExtension(s)), this->T(none));
    }
    KTString<Char> extension(this->T("stale").c_str());
    EXPECT_EQ(Units(GetExtension(archive, extension, false)), this->T("GZ"));
    EXPECT_EQ(Units(GetExtension(archive, extension, true)), this->T("gz"));
    EXPECT_EQ(Units(GetExtension(this->Make("x"), extension, true)), this->T(""));
    EXPECT_EQ(Units(GetExtension(this->Make(".profile"), extension, false)), this->T("profile"));
    // 16-bit text is lower-cased by the platform; 8-bit text by the library's own tables.
    const bool foldsUmlaut = sizeof(Char) == 1 || test::CaseMapsBeyondAscii;
    EXPECT_EQ(Units(GetExtension(TypeParam(Encode<Char>(U"a.\u00C4B").c_str()), extension, true)),
              Encode<Char>(foldsUmlaut ? U"\u00E4b" : U"\u00C4b"));

    TypeParam without;
    EXPECT_EQ(Units(WithoutExtension(archive, without)), this->T("dir.d\\archive.tar"));
    EXPECT_EQ(Units(WithoutExtension(this->Make("a.b/c"), without)), this->T("a.b/c"));
    TypeParam other(archive);
    RemoveExtension(archive);
    EXPECT_EQ(Units(archive), this->T("dir.d\\archive.tar"));
    EXPECT_EQ(Units(other), this->T("dir.d\\archive.tar.GZ"));

    TestHandler<Char> handler;
    ScopedHandler<Char> scope(&handler);
    EXPECT_EQ(Units(GetExtension(this->Make("file.txt!"), extension, true)), this->T("ext"));
    EXPECT_EQ(Units(GetExtension(this->Make("file.txt"), extension, false)), this->T("txt"));
}

TYPED_TEST(Paths, IsValidFileName) {
    using Char = typename TestFixture::Char;
    EXPECT_TRUE(IsValidFileName(this->Make(std::string(260, 'a').c_str())));
    EXPECT_FALSE(IsValidFileName(this->Make(std::string(261, 'a').c_str())));
    for (const char* valid : {"COM0", "COM10", ".profile", "CONx", "con_", "..a", "LPT", "a.b.c", "CLOCK"})
        EXPECT_TRUE(IsValidFileName(this->Make(valid))) << valid;
    for (const char* invalid : {"aux.c", "con.txt", "Lpt1", "com9.x", "nUl",  "PRN",  "clock$", "CLOCK$.txt",
                                "COM1.", "a?b",     "..",   ".",      "a\nb", "a\rb", "a:b",    "a*b",
                                "a\"b",  "a<b",     "a>b",  "a|b",    "a/b",  "a\\b", ""})
        EXPECT_FALSE(IsValidFileName(this->Make(invalid))) << invalid;
    EXPECT_FALSE(IsValidFileName(static_cast<const Char*>(nullptr)));
    EXPECT_EQ(std::basic_string<Char>(InvalidFileNameCharacters<Char>()), this->T("\\/:*?\"<>|\r\n"));
}

TEST(Paths8, IsValidFileNameCountsCodePoints) {
    std::string name;
    for (int i = 0; i < 260; ++i) name += "\xC3\xA9";
    EXPECT_TRUE(IsValidFileName(name.c_str()));
    name += "\xC3\xA9";
    EXPECT_FALSE(IsValidFileName(name.c_str()));
    EXPECT_TRUE(IsValidFileName("CO\xC3\x91"));
    // Bytes that form no character do not hide the forbidden character after them.
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (const char* after : {"/", "\\", ":", "*", "?", "\"", "<", ">", "|", "\r", "\n", "\x80/"}) {
            const std::string name = "a" + std::string(1, static_cast<char>(lead)) + after + "b";
            EXPECT_FALSE(IsValidFileName(name.c_str())) << lead << " before " << after;
        }
    }
}

TYPED_TEST(Paths, CollapsePathSegments) {
    EXPECT_EQ(this->Collapsed("D:\\..", false, true), this->T("D:\\"));
    EXPECT_EQ(this->Collapsed("D:\\a\\b\\..\\x", false, true), this->T("D:\\a\\x"));
    EXPECT_EQ(this->Collapsed("D:\\a\\b\\..\\x", true, false), this->T("D:\\a\\b\\..\\x"));
    EXPECT_EQ(this->Collapsed("a\\\\b//c", false, false), this->T("a\\b/c"));
    EXPECT_EQ(this->Collapsed("a\\.\\b\\.", true, false), this->T("a\\b"));
    EXPECT_EQ(this->Collapsed("a\\.\\b", false, false), this->T("a\\.\\b"));
    EXPECT_EQ(this->Collapsed(".\\.\\a\\b", false, false), this->T("a\\b"));
    EXPECT_EQ(this->Collapsed("..\\x", true, true), this->T("..\\x"));
    EXPECT_EQ(this->Collapsed("a\\..\\..\\x", true, true), this->T("a\\..\\..\\x"))
        << "the first name of a relative path is the floor, and a kept .. stays";
    EXPECT_EQ(this->Collapsed("\\a\\..\\..\\b", true, true), this->T("\\b"));
    EXPECT_EQ(this->Collapsed("\\\\srv\\share\\..\\x", true, true), this->T("\\\\srv\\x"));
    EXPECT_EQ(this->Collapsed("http://h/a/./../b/", true, true), this->T("http://h/b/"));
    EXPECT_EQ(this->Collapsed("a\\.b\\..c\\..\\d", true, true), this->T("a\\.b\\d"));
    EXPECT_EQ(this->Collapsed("noseparator", true, true), this->T("noseparator"));
    EXPECT_EQ(this->Collapsed("C:", true, true), this->T("C:"));
    EXPECT_EQ(this->Collapsed("", true, true), this->T(""));
}

TYPED_TEST(Paths, MakeAbsolutePath) {
    using Char = typename TestFixture::Char;
    EXPECT_EQ(this->Absolute("..\\x", "D:\\a\\b\\file.txt", ""), this->T("D:\\a\\x"));
    EXPECT_EQ(this->Absolute("..\\x", "D:\\a\\b\\file.txt", "", false), this->T("D:\\a\\b\\..\\x"));
    EXPECT_EQ(this->Absolute("x", "", "C:\\dir"), this->T("C:\\dir\\x"));
    EXPECT_EQ(this->Absolute("x", "", "C:\\dir/"), this->T("C:\\dir/x"));
    EXPECT_EQ(this->Absolute("\\x", "D:\\dir\\f", ""), this->T("D:\\x"));
    EXPECT_EQ(this->Absolute("/x\\y", "http://h/a/b", ""), this->T("http://h/x/y"));
    EXPECT_EQ(this->Absolute("/x", "http://h", ""), this->T("http://h/x"));
    EXPECT_EQ(this->Absolute("x", "http://h", ""), this->T("http://h/x"));
    EXPECT_EQ(this->Absolute("\\x", "\\\\srv\\share\\f", ""), this->T("\\x"));
    EXPECT_EQ(this->Absolute("x", "base", ""), this->T("basex")) << "a base without separator is used whole";
    for (const char* absolute : {"D:\\y", "\\\\srv\\y", "http://h/y", ""})
        EXPECT_EQ(this->Absolute(absolute, "D:\\a\\f", "C:\\"), this->T(absolute));

    TestHandler<Char> handler;
    ScopedHandler<Char> scope(&handler);
    EXPECT_EQ(this->Absolute("x", "D:\\a\\f", ""), this->T("R:\\root\\x"));
}

TYPED_TEST(Paths, MakeRelativePath) {
    EXPECT_EQ(this->Relative("D:\\a\\b\\c.txt", "d:/A/file", false, false), this->T("b\\c.txt"));
    EXPECT_EQ(this->Relative("D:\\x\\y.txt", "D:\\a\\b\\f", true, false), this->T("..\\..\\x\\y.txt"));
    EXPECT_EQ(this->Relative("D:\\x\\y.txt", "D:\\a\\b\\f", false, false), this->T("D:\\x\\y.txt"));
    EXPECT_EQ(this->Relative("E:\\x", "D:\\a\\f", true, false), this->T("E:\\x"));
    EXPECT_EQ(this->Relative("http://h/x", "http://h/a/f", true, false), this->T("http://h/x"));
    EXPECT_EQ(this->Relative("D:\\a\\b", "D:\\a\\b\\f", false, true), this->T("."));
    EXPECT_EQ(this->Relative("D:\\a\\b\\c", "D:\\a\\b\\f", false, true), this->T("c"));
    EXPECT_EQ(this->Relative("D:\\a\\x", "", false, false, "D:\\A  "), this->T("x"));
    EXPECT_EQ(this->Relative("D:\\a\\x", "nobase", true, false), this->T("D:\\a\\x"));
}

TYPED_TEST(Paths, EnsureTrailingSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\\b", "a\\b\\"},      {"a/b", "a/b/"}, {"a", "a/"}, {"a\\b/ \t\r\n", "a\\b/"},
        {"a\\b/c ", "a\\b/c\\"}, {"", ""},        {" \t", ""}};
    for (auto [in, out] : cases) {
        auto s = this->Make(in);
        TypeParam other(s);
        EXPECT_EQ(Units(EnsureTrailingSeparator(s)), this->T(out)) << in;
        EXPECT_EQ(Units(other), this->T(in));
    }
}

TEST(Paths, RelativePathRule) {
    EXPECT_TRUE(IsRelativePath<char>("dir\\x"));
    EXPECT_TRUE(IsRelativePath<char>("\\dir\\x"));
    EXPECT_TRUE(IsRelativePath<char16_t>(u"/x"));
    EXPECT_FALSE(IsRelativePath<char>("D:\\x"));
    EXPECT_FALSE(IsRelativePath<char>("\\\\srv\\x"));
    EXPECT_FALSE(IsRelativePath<char16_t>(u"//srv"));
    EXPECT_FALSE(IsRelativePath<char>(""));
    EXPECT_FALSE(IsRelativePath<char>(nullptr));
}

TEST(Paths, SetPathHandlerKeepsOnePointerPerWidth) {
    TestHandler<char> narrow;
    TestHandler<char16_t> wide;
    EXPECT_EQ(SetPathHandler<char>(&narrow), &narrow);
    EXPECT_EQ(CurrentPathHandler<char16_t>(), nullptr);
    EXPECT_EQ(SetPathHandler<char16_t>(&wide), &wide);
    EXPECT_EQ(CurrentPathHandler<char>(), &narrow);
    SetPathHandler<char>(nullptr);
    SetPathHandler<char16_t>(nullptr);
    EXPECT_EQ(CurrentPathHandler<char>(), nullptr);
}

// The invalid-character sets are built at first use; threads that race to it must all see them whole.
TEST(Paths, FileNameChecksFromManyThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 200; ++i) {
                if (!IsValidFileName("name.txt") || IsValidFileName("a|b") || IsValidFileName(u"a\nb") ||
                    !IsValidFileName(u"x") || CurrentPathHandler<char>() != nullptr)
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

// Random texts of path characters: the segment walk never grows a path, never runs past it, and with no
// flag set drops nothing but separators (and leading ".\" steps).
TYPED_TEST(Paths, CollapseOfRandomPathsStaysInside) {
    using Char = typename TestFixture::Char;
    std::mt19937 rng(21);
    const char alphabet[] = "\\/.:ab";
    for (int round = 0; round < 2000; ++round) {
        std::basic_string<Char> path;
        const size_t length = rng() % 16;
        for (size_t i = 0; i < length; ++i) path.push_back(static_cast<Char>(alphabet[rng() % 6]));
        for (int flags = 0; flags < 4; ++flags) {
            auto buffer = path;
            const int32_t kept = CollapsePathSegments(buffer.data(), flags & 1, flags & 2);
            ASSERT_LE(kept, static_cast<int32_t>(path.size())) << round;
            ASSERT_EQ(buffer[static_cast<size_t>(kept)], Char(0));
            if (flags == 0 && (path.empty() || path[0] != Char('.'))) {  // leading ".\" steps always go
                std::basic_string<Char> rest = buffer.substr(0, static_cast<size_t>(kept));
                std::basic_string<Char> original = path;
                std::erase_if(rest, [](Char c) { return c == Char('\\') || c == Char('/'); });
                std::erase_if(original, [](Char c) { return c == Char('\\') || c == Char('/'); });
                ASSERT_EQ(rest, original) << "round " << round;
            }
        }
    }
}

TEST(Paths16, PercentUnescapeOfRandomUnits) {
    std::mt19937 rng(8);
    const char16_t alphabet[] = {u'%', u'4', u'1', u'C', u'3', u'A', u'9', u'z', 0xD800, 0xDC00, 0x100, 0xE9};
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        const size_t length = rng() % 12;
        for (size_t i = 0; i < length; ++i) text.push_back(alphabet[rng() % std::size(alphabet)]);
        KTString<char16_t> s(text.c_str());
        PercentUnescape(s);
        ASSERT_LE(s.Length(), static_cast<int32_t>(text.size())) << "every byte yields at most one unit";
        ASSERT_EQ(s.Data()[s.Length()], 0);
    }
}
