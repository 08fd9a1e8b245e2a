#include "text/util/paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/platform_expectations.h"
#include "tests/support/text_literals.h"

using namespace kt;
using kt::test::Ascii;
using kt::test::Units;

namespace {

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
TYPED_TEST_SUITE(Paths, kt::test::AllModes);

TYPED_TEST(Paths, PathToFileUrl) {
    using Char = typename TestFixture::Char;
    const std::pair<const char*, const char*> cases[] = {
        {"\\\\srv", "file://srv/"},
        {"\\\\srv\\share\\a b", "file://srv/share/a%20b"},
        {"D:\\My Documents\\a.txt", "file:///D:/My%20Documents/a.txt"},
        {" \t\r\nD:\\a%20b", "file:///D:/a%2520b"},  // a drive path's % is escaped
        {"dir\\a%20b c", "dir/a%20b%20c"},           // relative: no scheme, escapes kept
        {"http://h/a%20b c", "http://h/a%20b%20c"},
        {"FILE:///x%20y", "FILE:///x%20y"},
        {" \t", ""}};
    for (auto [path, url] : cases) EXPECT_EQ(this->Url(path), this->T(url)) << path;
    EXPECT_EQ(Units(PathToFileUrl(kt::test::Encoded<Char>(U"C:\\\u00E4").c_str())),
              this->T("file:///C:/%C3%A4"));

    TestHandler<Char> handler;
    ScopedHandler<Char> scope(&handler);
    EXPECT_EQ(this->Url("x-a:%20b\\c"), this->T("x-a:%20b/c")) << "the handler says it is a URL";
    EXPECT_EQ(this->Url("D:\\a://b"), this->T("file:///D:/a://b")) << "the handler says it is a path";
}

TYPED_TEST(Paths, FileUrlToPath) {
    const std::pair<const char*, const char*> cases[] = {{"FILE:///D:/a", "FILE:///D:/a"},
                                                         {"file:///D:/a%20b", "D:\\a b"},
                                                         {"  file://D:/x", "D:\\x"},
                                                         {"file://host/share/x", "\\\\host\\share\\x"},
                                                         {"file://\\\\srv\\x", "\\\\srv\\x"},
                                                         {"file://\\D:\\x", "D:\\x"},
                                                         {"file:a/b", "a\\b"},
                                                         {"file://", "\\\\"},
                                                         {"http://h/a%20b", "http://h/a%20b"}};
    for (auto [url, path] : cases) EXPECT_EQ(this->Path(url), this->T(path)) << url;
    EXPECT_EQ(Units(FileUrlToPath(static_cast<const typename TestFixture::Char*>(nullptr))), this->T(""));
}

TEST(Paths8, FileUrlToPathStepsOverAWholeHostCharacter) {
    EXPECT_EQ(Units(FileUrlToPath("file://\xC3\xA9:/x")), "\xC3\xA9:\\x");
}

// Which bytes each mode escapes, the upper-case UTF-8 escapes and the round trip are checked by
// fuzz/percent_fuzz.cpp on every committed input.
TYPED_TEST(Paths, PercentEscapeModes) {
    EXPECT_EQ(this->Escaped("a/b:c\\d %", 0), this->T("a/b:c\\d%20%25"));
    EXPECT_EQ(this->Escaped("a/b:c\\d", 1), this->T("a%2Fb%3Ac\\d"));
    EXPECT_EQ(this->Escaped("a/b:c\\d", 2), this->T("a%2Fb%3Ac%5Cd"));
    EXPECT_EQ(this->Escaped("", 2), this->T(""));

    // The fuzz target holds plain strings only; a borrowed one would show a needless write.
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

TYPED_TEST(Paths, PercentUnescape) {
    using Char = typename TestFixture::Char;
    const std::pair<const char*, const char*> cases[] = {
        {"%%", "%"},     {"%41%4a%4A", "AJJ"}, {"a%Gb", "ab"},  // the % goes with the G
        {"a%4Gb", "ab"}, {"a%4", "a"},         {"a%", "a%"},
        {"%", "%"},      {"%G", ""},           {"%4%41", "41"}};  // the third character goes too
    for (auto [in, out] : cases) EXPECT_EQ(this->Unescaped(this->T(in)), this->T(out)) << in;
    EXPECT_EQ(this->Unescaped(this->T("%C3%A9")), kt::test::Encoded<Char>(U"\u00E9"));

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
    EXPECT_EQ(Units(GetExtension(TypeParam(kt::test::Encoded<Char>(U"a.\u00C4B").c_str()), extension, true)),
              kt::test::Encoded<Char>(foldsUmlaut ? U"\u00E4b" : U"\u00C4b"));

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
    const struct {
        const char* path;
        bool dots, parents;
        const char* collapsed;
    } cases[] = {
        {"D:\\..", false, true, "D:\\"},
        {"D:\\a\\b\\..\\x", false, true, "D:\\a\\x"},
        {"D:\\a\\b\\..\\x", true, false, "D:\\a\\b\\..\\x"},
        {"a\\\\b//c", false, false, "a\\b/c"},
        {"a\\.\\b\\.", true, false, "a\\b"},
        {"a\\.\\b", false, false, "a\\.\\b"},
        {".\\.\\a\\b", false, false, "a\\b"},
        {"..\\x", true, true, "..\\x"},
        // The first name of a relative path is the floor, and a kept .. stays.
        {"a\\..\\..\\x", true, true, "a\\..\\..\\x"},
        {"\\a\\..\\..\\b", true, true, "\\b"},
        {"\\\\srv\\share\\..\\x", true, true, "\\\\srv\\x"},
        {"http://h/a/./../b/", true, true, "http://h/b/"},
        {"a\\.b\\..c\\..\\d", true, true, "a\\.b\\d"},
        {"noseparator", true, true, "noseparator"},
        {"C:", true, true, "C:"},
        {"", true, true, ""},
        // A leading ".\" step followed by more separators leaves no root behind, with or without parents.
        {".//./a", true, false, "a"},
        {".//./a", true, true, "a"},
        {".\\\\\\x\\y", false, false, "x\\y"},
        {".\\\\\\x\\y", false, true, "x\\y"},
        {"./\\../b", true, false, "../b"},
        {"./\\../b", true, true, "../b"},
        // ".../" is a name and the first segment; the ".." behind it stay (the path is not rooted, and the
        // second follows a ".."); ".x." goes with the last "..". Collapsing again changes nothing.
        {".//./././././.../../..//b.././.x./..", true, true, ".../../../b.."},
        {".../../../b..", true, true, ".../../../b.."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(this->Collapsed(c.path, c.dots, c.parents), this->T(c.collapsed))
            << c.path << " " << c.dots << c.parents;
}

TYPED_TEST(Paths, MakeAbsolutePath) {
    using Char = typename TestFixture::Char;
    const struct {
        const char *path, *base, *fallback;
        bool parents;
        const char* absolute;
    } cases[] = {{"..\\x", "D:\\a\\b\\file.txt", "", true, "D:\\a\\x"},
                 {"..\\x", "D:\\a\\b\\file.txt", "", false, "D:\\a\\b\\..\\x"},
                 {"x", "", "C:\\dir", true, "C:\\dir\\x"},
                 {"x", "", "C:\\dir/", true, "C:\\dir/x"},
                 {"\\x", "D:\\dir\\f", "", true, "D:\\x"},
                 {"/x\\y", "http://h/a/b", "", true, "http://h/x/y"},
                 {"/x", "http://h", "", true, "http://h/x"},
                 {"x", "http://h", "", true, "http://h/x"},
                 {"\\x", "\\\\srv\\share\\f", "", true, "\\x"},
                 {"x", "base", "", true, "basex"},  // a base without separator is used whole
                 {"D:\\y", "D:\\a\\f", "C:\\", true, "D:\\y"},
                 {"\\\\srv\\y", "D:\\a\\f", "C:\\", true, "\\\\srv\\y"},
                 {"http://h/y", "D:\\a\\f", "C:\\", true, "http://h/y"},
                 {"", "D:\\a\\f", "C:\\", true, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(this->Absolute(c.path, c.base, c.fallback, c.parents), this->T(c.absolute)) << c.path;

    TestHandler<Char> handler;
    ScopedHandler<Char> scope(&handler);
    EXPECT_EQ(this->Absolute("x", "D:\\a\\f", ""), this->T("R:\\root\\x"));
}

TYPED_TEST(Paths, MakeRelativePath) {
    const struct {
        const char *path, *base;
        bool parents, directory;
        const char *fallback, *relative;
    } cases[] = {{"D:\\a\\b\\c.txt", "d:/A/file", false, false, "", "b\\c.txt"},
                 {"D:\\x\\y.txt", "D:\\a\\b\\f", true, false, "", "..\\..\\x\\y.txt"},
                 {"D:\\x\\y.txt", "D:\\a\\b\\f", false, false, "", "D:\\x\\y.txt"},
                 {"E:\\x", "D:\\a\\f", true, false, "", "E:\\x"},
                 {"http://h/x", "http://h/a/f", true, false, "", "http://h/x"},
                 {"D:\\a\\b", "D:\\a\\b\\f", false, true, "", "."},
                 {"D:\\a\\b\\c", "D:\\a\\b\\f", false, true, "", "c"},
                 {"D:\\a\\x", "", false, false, "D:\\A  ", "x"},
                 {"D:\\a\\x", "nobase", true, false, "", "D:\\a\\x"}};
    for (const auto& c : cases)
        EXPECT_EQ(this->Relative(c.path, c.base, c.parents, c.directory, c.fallback), this->T(c.relative))
            << c.path << " against " << c.base;
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
