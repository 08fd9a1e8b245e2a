// Code-point patterns and the operations built on them: KeepCharacters (set texts with "a..z" ranges),
// RemoveCharacters and Translate, in both widths, against a model written from the documented rules.
// 8-bit results are compared for well-formed UTF-8; on other bytes the operations must stay within the
// string and never lengthen it (KeepCharacters, RemoveCharacters).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/regex/character_filter.h"
#include "text/string/code_point_pattern.h"
#include "text/string/operations.h"

namespace {

using kt::fuzz::Contents;

// The characters of a text as the width reads them: UTF-8 sequences decoded by the lead-byte rule (the
// reference of utf8_fuzz covers that decoder), or 16-bit units.
template <class Char>
std::u32string CharactersOf(const std::basic_string<Char>& text) {
    std::u32string points;
    const Char* p = text.c_str();
    while (*p != 0) points.push_back(kt::NextCharacter(p));
    return points;
}

// The pattern holds the characters, each folded when asked, and answers Contains for exactly those (only
// the first one for a single-character pattern).
template <class Char>
std::u32string CheckPattern(const std::basic_string<Char>& text, bool fold) {
    const kt::fuzz::ExactText<Char> exact(text);
    const kt::KTCodePointPattern<Char> pattern(exact.Get(), fold);
    std::u32string expected = CharactersOf(text);
    if (fold)
        for (char32_t& c : expected) c = kt::KTCodePointPattern<Char>::Fold(c);
    KT_FUZZ_CHECK(pattern.Count() == static_cast<int32_t>(expected.size()));
    KT_FUZZ_CHECK(pattern.IsEmpty() == expected.empty());
    KT_FUZZ_CHECK(pattern.IsSingle() == (expected.size() <= 1));
    KT_FUZZ_CHECK(pattern.IsFolded() == fold);
    for (size_t i = 0; i < expected.size(); ++i) KT_FUZZ_CHECK(pattern.CodePoints()[i] == expected[i]);
    KT_FUZZ_CHECK(pattern.CodePoints()[expected.size()] == 0);
    for (char32_t c : expected) KT_FUZZ_CHECK(pattern.Contains(c));
    for (char32_t probe : {U'a', U'A', U'.', U'\x00E9', U'\x00C9', U'\x10000'})
        KT_FUZZ_CHECK(pattern.Contains(probe) == (expected.find(probe) != std::u32string::npos));
    return expected;
}

// KeepCharacters' set: "x..y" ranges (four entries) first, in order, and the remaining single characters.
bool ModelKeeps(const std::u32string& set, char32_t c) {
    std::vector<std::pair<char32_t, char32_t>> ranges;
    std::u32string singles;
    for (size_t i = 0; i < set.size();) {
        if (i + 3 < set.size() && set[i + 1] == U'.' && set[i + 2] == U'.') {
            ranges.emplace_back(set[i], set[i + 3]);
            i += 4;
        } else {
            singles.push_back(set[i++]);
        }
    }
    for (const auto& [first, last] : ranges)
        if (first <= c && c <= last) return true;
    return singles.find(c) != std::u32string::npos;
}

template <class Char>
void CheckKeepCharacters(const std::basic_string<Char>& text, const std::basic_string<Char>& setText,
                         bool comparable) {
    kt::KTString<Char> s(text.c_str());
    const kt::fuzz::ExactText<Char> set(setText);
    kt::KeepCharacters(s, set.Get());
    KT_FUZZ_CHECK(s.Length() <= static_cast<int32_t>(text.size()));
    if (!comparable) return;
    std::u32string kept;
    const std::u32string setPoints = CharactersOf(setText);
    for (char32_t c : CharactersOf(text))
        if (ModelKeeps(setPoints, c)) kept.push_back(c);
    KT_FUZZ_CHECK(Contents(s) == kt::fuzz::TextOf<Char>(kept));
}

template <class Char>
void CheckRemoveAndTranslate(const std::basic_string<Char>& text, const std::basic_string<Char>& fromText,
                             const std::basic_string<Char>& toText, bool fold, bool comparable) {
    const kt::fuzz::ExactText<Char> fromExact(fromText);
    const kt::fuzz::ExactText<Char> toExact(toText);
    const kt::KTCodePointPattern<Char> from(fromExact.Get(), fold);
    const kt::KTCodePointPattern<Char> to(toExact.Get(), false);
    std::u32string fromPoints(from.CodePoints(), from.CodePoints() + from.Count());
    const std::u32string toPoints(to.CodePoints(), to.CodePoints() + to.Count());

    kt::KTString<Char> removed(text.c_str());
    kt::RemoveCharacters(removed, from);
    KT_FUZZ_CHECK(removed.Length() <= static_cast<int32_t>(text.size()));
    kt::KTString<Char> translated(text.c_str());
    kt::Translate(translated, from, to);
    if (!comparable) return;

    std::u32string keptPoints, translatedPoints;
    for (char32_t c : CharactersOf(text)) {
        const size_t at = fromPoints.find(from.Prepare(c));
        if (at == std::u32string::npos) {
            keptPoints.push_back(c);
            translatedPoints.push_back(c);
        } else if (at < toPoints.size()) {
            translatedPoints.push_back(toPoints[at]);
        }
    }
    KT_FUZZ_CHECK(Contents(removed) == kt::fuzz::TextOf<Char>(keptPoints));
    KT_FUZZ_CHECK(Contents(translated) == kt::fuzz::TextOf<Char>(translatedPoints));
}

template <class Char>
void Run(kt::fuzz::Input& input) {
    const bool fold = input.Bool();
    const std::basic_string<Char> setText = input.Text<Char>(16);
    const std::basic_string<Char> toText = input.Text<Char>(8);
    // Now and then a pattern longer than the object's inline room.
    std::basic_string<Char> text = input.Rest<Char>(1024);
    bool comparable = true;
    if constexpr (sizeof(Char) == 1)
        comparable =
            kt::fuzz::IsValidUtf8(text) && kt::fuzz::IsValidUtf8(setText) && kt::fuzz::IsValidUtf8(toText);
    CheckPattern(setText, fold);
    CheckPattern(text, fold);
    CheckKeepCharacters(text, setText, comparable);
    CheckRemoveAndTranslate(text, setText, toText, fold, comparable);
}

}  // namespace

KT_FUZZ_BOTH_WIDTHS(4096)
