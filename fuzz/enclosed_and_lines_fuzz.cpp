// RemoveEnclosed and FirstLines in both widths against models written from the documented walks, and the
// two widths against each other on well-formed text.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/string/code_point_pattern.h"
#include "text/string/convert.h"
#include "text/string/operations.h"

namespace {

using kt::fuzz::Contents;

template <class Char>
std::u32string CharactersOf(const std::basic_string<Char>& text) {
    std::u32string points;
    const Char* p = text.c_str();
    while (*p != 0) points.push_back(kt::NextCharacter(p));
    return points;
}

// Whether the pattern's code points follow at `at`, each character prepared as the pattern says.
template <class Char>
bool MatchesAt(const kt::KTCodePointPattern<Char>& pattern, const std::u32string& text, size_t at) {
    for (int32_t k = 0; k < pattern.Count(); ++k)
        if (at + k >= text.size() || pattern.Prepare(text[at + k]) != pattern.CodePoints()[k]) return false;
    return true;
}

template <class Char>
std::u32string ModelRemoveEnclosed(const std::u32string& text, const kt::KTCodePointPattern<Char>& opening,
                                   const kt::KTCodePointPattern<Char>& closing, char32_t escape, bool flat) {
    if (text.empty() || opening.IsEmpty() || closing.IsEmpty()) return text;
    const bool same = std::u32string(opening.CodePoints(), opening.CodePoints() + opening.Count()) ==
                      std::u32string(closing.CodePoints(), closing.CodePoints() + closing.Count());
    std::u32string kept;
    int depth = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == escape) {
            if (depth == 0) {
                kept.push_back(text[i]);
                if (i + 1 < text.size()) kept.push_back(text[i + 1]);
            }
            i += 2;
        } else if (MatchesAt(opening, text, i)) {
            i += opening.Count();
            depth = same ? 1 - depth : flat ? (depth == 0 ? 1 : depth) : depth + 1;
        } else if (depth == 0) {
            kept.push_back(text[i++]);
        } else if (MatchesAt(closing, text, i)) {
            i += closing.Count();
            --depth;
        } else {
            ++i;
        }
    }
    return kept;
}

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

std::u32string ModelFirstLines(const std::u32string& text, int32_t maxLines, bool skipEmpty, bool trim,
                               const std::u32string& suffix) {
    std::u32string result, previousBreak;
    size_t position = 0, stop = text.size();
    int32_t taken = 0;
    while (position < text.size()) {
        size_t end = position;
        while (end < text.size() && text[end] != U'\r' && text[end] != U'\n') ++end;
        size_t breakLength = end == text.size()                                                        ? 0
                             : (text[end] == U'\r' && end + 1 < text.size() && text[end + 1] == U'\n') ? 2
                                                                                                       : 1;
        size_t first = position, last = end;
        if (trim) {
            while (first < last && IsBlank(text[first])) ++first;
            while (last > first && IsBlank(text[last - 1])) --last;
        }
        if (skipEmpty && first == last) {
            position = end + breakLength;
            continue;
        }
        if (taken >= maxLines) {
            stop = first;
            break;
        }
        result += previousBreak;
        result.append(text, first, last - first);
        previousBreak = text.substr(end, breakLength);
        ++taken;
        position = end + breakLength;
    }
    if (!suffix.empty()) {
        while (stop < text.size() && IsBlank(text[stop])) ++stop;
        if (stop < text.size()) result += suffix;
    }
    return result;
}

struct Options {
    char32_t escape;
    bool flat, foldOpening, foldClosing, skipEmpty, trim;
    int32_t maxLines;
};

template <class Char>
std::basic_string<Char> RunRemoveEnclosed(const std::basic_string<Char>& text,
                                          const std::basic_string<Char>& open,
                                          const std::basic_string<Char>& close, const Options& o,
                                          bool compare) {
    const kt::fuzz::ExactText<Char> openExact(open), closeExact(close);
    const kt::KTCodePointPattern<Char> opening(openExact.Get(), o.foldOpening);
    const kt::KTCodePointPattern<Char> closing(closeExact.Get(), o.foldClosing);
    kt::KTString<Char> s(text.c_str());
    kt::RemoveEnclosed(s, opening, closing, o.escape, o.flat);
    KT_FUZZ_CHECK(s.Length() <= static_cast<int32_t>(text.size()));
    if (compare)
        KT_FUZZ_CHECK(Contents(s) == kt::fuzz::TextOf<Char>(ModelRemoveEnclosed(CharactersOf(text), opening,
                                                                                closing, o.escape, o.flat)));
    return Contents(s);
}

template <class Char>
std::basic_string<Char> RunFirstLines(const std::basic_string<Char>& text,
                                      const std::basic_string<Char>& suffix, bool withSuffix,
                                      const Options& o, bool compare) {
    const kt::KTString<Char> s(text.c_str());
    kt::KTString<Char> result(text.c_str());  // replaced whole
    const kt::fuzz::ExactText<Char> suffixExact(suffix);
    kt::FirstLines(s, result, o.maxLines, o.skipEmpty, o.trim, withSuffix ? suffixExact.Get() : nullptr);
    if (compare) {
        const std::u32string expected = ModelFirstLines(CharactersOf(text), o.maxLines, o.skipEmpty, o.trim,
                                                        withSuffix ? CharactersOf(suffix) : std::u32string());
        KT_FUZZ_CHECK(Contents(result) == kt::fuzz::TextOf<Char>(expected));
    }
    return Contents(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    kt::fuzz::Input input(data, size);
    Options o{};
    const uint8_t escapeChoice = input.Byte();
    o.escape = escapeChoice < 128   ? U'\\'
               : escapeChoice < 192 ? 0
                                    : static_cast<char32_t>(escapeChoice & 0x7F);
    o.flat = input.Bool();
    o.foldOpening = input.Bool();
    o.foldClosing = input.Bool();
    o.skipEmpty = input.Bool();
    o.trim = input.Bool();
    o.maxLines = static_cast<int32_t>(input.Byte() % 10) - 1;
    const bool withSuffix = input.Bool();
    const bool wideOnly = input.Bool();
    const std::u16string open = input.Text<char16_t>(3);
    const std::u16string close = input.Text<char16_t>(3);
    const std::u16string suffix = input.Text<char16_t>(4);
    const std::u16string text = input.Rest<char16_t>(1024);

    RunRemoveEnclosed<char16_t>(text, open, close, o, true);
    RunFirstLines<char16_t>(text, suffix, withSuffix, o, true);
    if (wideOnly || !kt::fuzz::IsValidUtf16(text) || !kt::fuzz::IsValidUtf16(open) ||
        !kt::fuzz::IsValidUtf16(close) || !kt::fuzz::IsValidUtf16(suffix))
        return 0;
    // The same texts in UTF-8: the model again, and agreement with the 16-bit results where no character
    // lies beyond the BMP (the 16-bit width sees those as two units).
    auto utf8 = [](const std::u16string& units) {
        const kt::KTString<char> bytes = kt::ToUtf8(units.c_str());
        return std::string(bytes.Data(), bytes.Length());
    };
    const std::string removed = RunRemoveEnclosed<char>(utf8(text), utf8(open), utf8(close), o, true);
    const std::string lines = RunFirstLines<char>(utf8(text), utf8(suffix), withSuffix, o, true);
    const std::u16string all = text + open + close + suffix;
    if (std::none_of(all.begin(), all.end(), [](char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }) &&
        !o.foldOpening && !o.foldClosing) {
        KT_FUZZ_CHECK(removed == utf8(RunRemoveEnclosed<char16_t>(text, open, close, o, false)));
        KT_FUZZ_CHECK(lines == utf8(RunFirstLines<char16_t>(text, suffix, withSuffix, o, false)));
    }
    return 0;
}
