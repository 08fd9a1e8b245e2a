// Paths and "file:" URLs in both widths.
//  - CollapsePathSegments on any text: never lengthens, keeps the text a subsequence of itself, a second
//    run changes nothing, and without flags it drops nothing but separators (and leading ".\" steps).
//  - MakeAbsolutePath on any text: a path that is not relative stays; a relative one made absolute stays
//    put when made absolute again.
//  - Built drive paths: MakeRelativePath against a base, then MakeAbsolutePath against the same base, leads
//    back to the path (ASCII case and separators aside).
//  - Built drive and UNC paths with any segment characters: FileUrlToPath(PathToFileUrl(p)) is p, and the
//    URL holds only printable ASCII.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/string/convert.h"
#include "text/util/paths.h"

namespace {

using kt::fuzz::Contents;

template <class Char>
bool IsSubsequence(const std::basic_string<Char>& part, const std::basic_string<Char>& whole) {
    size_t at = 0;
    for (Char c : part) {
        while (at < whole.size() && whole[at] != c) ++at;
        if (at == whole.size()) return false;
        ++at;
    }
    return true;
}

template <class Char>
std::basic_string<Char> WithoutSeparators(std::basic_string<Char> text) {
    std::erase_if(text, [](Char c) { return c == Char('\\') || c == Char('/'); });
    return text;
}

template <class Char>
std::basic_string<Char> Collapse(const std::basic_string<Char>& text, bool dots, bool parents) {
    kt::fuzz::ExactText<Char> buffer(text);
    const int32_t length = kt::CollapsePathSegments(buffer.Get(), dots, parents);
    KT_FUZZ_CHECK(length >= 0 && length <= static_cast<int32_t>(text.size()));
    KT_FUZZ_CHECK(buffer.Get()[length] == 0);
    return std::basic_string<Char>(buffer.Get(), length);
}

template <class Char>
void CheckAnyText(const std::basic_string<Char>& text, const std::basic_string<Char>& base, bool dots,
                  bool parents) {
    const std::basic_string<Char> once = Collapse(text, dots, parents);
    KT_FUZZ_CHECK(IsSubsequence(once, text));
    KT_FUZZ_CHECK(Collapse(once, dots, parents) == once);
    if (!dots && !parents && (text.empty() || text[0] != Char('.')))  // leading ".\" steps always go
        KT_FUZZ_CHECK(WithoutSeparators(once) == WithoutSeparators(text));

    kt::KTString<Char> path(text.c_str());
    kt::MakeAbsolutePath(path, base.c_str(), nullptr, dots, parents);
    if (!kt::IsRelativePath<Char>(text.c_str())) KT_FUZZ_CHECK(Contents(path) == text);
    if (!kt::IsRelativePath<Char>(path.Data())) {
        kt::KTString<Char> again(path);
        kt::MakeAbsolutePath(again, base.c_str(), nullptr, dots, parents);
        KT_FUZZ_CHECK(Contents(again) == Contents(path));
    }
    kt::KTString<Char> relative(text.c_str());
    kt::MakeRelativePath(relative, base.c_str(), nullptr, true, false);
    kt::KTString<Char> url(text.c_str());
    kt::PathToFileUrl(url);
    kt::FileUrlToPath(url);
}

template <class Char>
std::basic_string<Char> Normalized(std::basic_string<Char> text) {
    for (Char& c : text) {
        if (c == Char('/')) c = Char('\\');
        if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c + 32);
    }
    while (!text.empty() && text.back() == Char('\\')) text.pop_back();
    return text;
}

template <class Char>
std::basic_string<Char> Widen(const std::string& ascii) {
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

// Names without dots, so that collapsing the rebuilt path has nothing of the path's own to remove.
std::string Name(kt::fuzz::Input& input) {
    static constexpr const char* names[] = {"a", "b", "B", "ab", "Ab", "x y", "c_1"};
    return names[input.Below(7)];
}

template <class Char>
void CheckRelativeRoundTrip(kt::fuzz::Input& input) {
    std::string path = input.Bool() ? "C:" : "c:";
    std::string base = input.Bool() ? "C:" : "c:";
    const int pathDepth = 1 + input.Below(5), baseDepth = input.Below(5);
    for (int i = 0; i < pathDepth; ++i) path += (input.Bool() ? "\\" : "/") + Name(input);
    for (int i = 0; i < baseDepth; ++i) base += (input.Bool() ? "\\" : "/") + Name(input);
    base += "\\file";
    const bool pathIsDirectory = input.Bool();

    kt::KTString<Char> s(Widen<Char>(path).c_str());
    kt::MakeRelativePath(s, Widen<Char>(base).c_str(), nullptr, true, pathIsDirectory);
    const std::basic_string<Char> relative = Contents(s);
    KT_FUZZ_CHECK(kt::IsRelativePath<Char>(relative.c_str()));
    kt::MakeAbsolutePath(s, Widen<Char>(base).c_str(), nullptr, true, true);
    KT_FUZZ_CHECK(Normalized(Contents(s)) == Normalized(Widen<Char>(path)));
}

template <class Char>
void CheckUrlRoundTrip(kt::fuzz::Input& input) {
    std::basic_string<Char> path;
    const bool unc = input.Bool();
    if (unc) {
        path = Widen<Char>("\\\\server");
    } else {
        path.push_back(static_cast<Char>('A' + input.Below(26)));
        path.push_back(Char(':'));
    }
    const int segments = 1 + input.Below(4);
    for (int i = 0; i < segments; ++i) {
        path.push_back(Char('\\'));
        for (Char c : input.Text<Char>(12))
            if (c != Char('\\') && c != Char('/') && c != Char(':')) path.push_back(c);
    }
    if constexpr (sizeof(Char) == 1) {
        if (!kt::fuzz::IsValidUtf8(path)) return;
    } else {
        if (!kt::fuzz::IsValidUtf16(path)) return;
    }
    const kt::KTString<Char> url = kt::PathToFileUrl<Char>(path.c_str());
    const std::basic_string<Char> urlText = Contents(url);
    KT_FUZZ_CHECK(urlText.rfind(Widen<Char>(unc ? "file://server/" : "file:///"), 0) == 0);
    for (Char c : urlText) KT_FUZZ_CHECK(c > Char(32) && c < Char(127) && c != Char('\\'));
    const kt::KTString<Char> back = kt::FileUrlToPath<Char>(url.Data());
    KT_FUZZ_CHECK(Contents(back) == path);
}

template <class Char>
void Run(kt::fuzz::Input& input) {
    const bool dots = input.Bool(), parents = input.Bool();
    const std::basic_string<Char> base = input.Text<Char>(32);
    const std::basic_string<Char> text = input.Text<Char>(64);
    CheckAnyText(text, base, dots, parents);
    CheckRelativeRoundTrip<Char>(input);
    CheckUrlRoundTrip<Char>(input);
}

}  // namespace

KT_FUZZ_BOTH_WIDTHS(2048)
