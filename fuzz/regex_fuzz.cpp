// FindRegex and MatchesRegex with fuzzed patterns and long subjects: every failure of the standard
// library's regex (invalid pattern, the search's step and stack limits) reads as "no match" and never
// escapes. Found positions lie within the string; a whole-string match is also found at 0; 8-bit character
// positions agree with byte positions; a substitution keeps positions; a KTPattern answers alike, with and
// without a substitution. A pattern the automaton takes never ends at a limit; where the library's guarded
// matcher stays within its limits, the operations give its answers, which are the plain matcher's own (in
// both widths, so ASCII gives the same answers in both).
//
// Limits: patterns of at most 255 units, any content; subjects of at most 8,192 units, the input's own or a
// short run of units repeated (the first byte's top bits choose 1, 8, 64 or 512 copies). The library's
// limits keep each search within its budget, so the checks need none of their own.
#include <optional>
#include <regex>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/regex/automaton.h"
#include "text/regex/pattern_search.h"
#include "text/string/utf8.h"

namespace {

using kt::regex_detail::Matchers;
using kt::regex_detail::SearchEnd;
using kt::regex_detail::SearchOutcome;

constexpr size_t MaxPattern = 255;
constexpr size_t MaxSubject = 8192;

// The standard library's answer, run only where the guarded depth-first matcher got through: the plain one
// then does the same work on a smaller stack.
template <class Char>
int32_t Unguarded(const std::basic_string<Char>& subject, const std::basic_string<Char>& pattern,
                  bool wholeText) {
    if (kt::regex_detail::MeasurePattern(pattern.c_str()).numberBeyondInt) return -1;
    using Regex = std::conditional_t<sizeof(Char) == 1, std::regex, std::wregex>;
    using Text = std::basic_string<typename Regex::value_type>;
    const Text text(subject.begin(), subject.end());
    try {
        const Regex re(Text(pattern.begin(), pattern.end()), std::regex::ECMAScript);
        if (wholeText) return std::regex_match(text, re) ? 0 : -1;
        std::match_results<typename Text::const_iterator> match;
        return std::regex_search(text, match, re) ? static_cast<int32_t>(match.position(0)) : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

// Whether the automaton takes the pattern (up to its first NUL, as the operations read it).
template <class Char>
bool AutomatonTakes(const std::basic_string<Char>& pattern) {
    const kt::regex_detail::PatternShape shape = kt::regex_detail::MeasurePattern(pattern.c_str());
    if (shape.units == 0 || shape.numberBeyondInt || shape.backReference) return false;
    kt::regex_detail::Declined declined;
    return kt::regex_detail::PatternAutomaton<Char>::Build(pattern.c_str(), shape.units, declined) != nullptr;
}

struct Answers {
    int32_t found;
    bool matches;
    bool operator==(const Answers&) const = default;
};

// The answers of one or both matchers, or nothing where they reach a limit.
template <class Char>
std::optional<Answers> Guarded(const std::basic_string<Char>& subject,
                               const kt::fuzz::ExactText<Char>& pattern, Matchers matchers) {
    kt::CharSubstitution<Char> none;
    SearchOutcome outcomes[2];
    for (bool wholeText : {false, true}) {
        outcomes[wholeText] = kt::regex_detail::SearchUnits(
            none, subject.c_str(), static_cast<int32_t>(subject.size()), pattern.Get(), wholeText, matchers);
        if (kt::regex_detail::IsLimit(outcomes[wholeText].end)) return std::nullopt;
    }
    return Answers{outcomes[0].position, outcomes[1].end == SearchEnd::Match};
}

template <class Char>
struct Outcome {
    int32_t found;
    bool matches;
    bool exact;  // the answers are the standard library's, no limit reached
};

template <class Char>
Outcome<Char> Search(const std::basic_string<Char>& subject, const std::basic_string<Char>& patternText,
                     int32_t start) {
    const kt::KTString<Char> s(subject.c_str());
    const kt::fuzz::ExactText<Char> pattern(patternText);
    kt::CharSubstitution<Char> none;
    const int32_t found = kt::FindRegex(s, pattern.Get(), start, true, none);
    const bool matches = kt::MatchesRegex(s, pattern.Get(), none);
    KT_FUZZ_CHECK(found == -1 || (found >= 0 && found <= s.Length()));
    if (start > s.Length()) KT_FUZZ_CHECK(found == -1);
    if (patternText.empty()) KT_FUZZ_CHECK(found == -1 && !matches);
    // A compiled pattern gives the same answers.
    const kt::KTPattern<Char> compiled(pattern.Get());
    KT_FUZZ_CHECK(compiled.Find(s, start, true, none) == found);
    KT_FUZZ_CHECK(compiled.Matches(s, none) == matches);

    // Where the library's matcher gets through under its limits, it gives the plain matcher's answers (which
    // then does the same work), and so do the operations, whether the automaton answers them or not.
    const std::optional<Answers> library =
        patternText.empty() ? std::nullopt : Guarded(subject, pattern, Matchers::LibraryOnly);
    const bool exactKnown = library.has_value();
    const Answers exact = library.value_or(Answers{-1, false});
    // A pattern the automaton takes never ends at a limit.
    const bool taken = AutomatonTakes(patternText);
    if (taken) KT_FUZZ_CHECK(Guarded(subject, pattern, Matchers::AutomatonFirst).has_value());
    if (exactKnown) {
        KT_FUZZ_CHECK(exact.found == Unguarded(subject, patternText, false));
        KT_FUZZ_CHECK(exact.matches == (Unguarded(subject, patternText, true) == 0));
        if (start <= s.Length()) KT_FUZZ_CHECK(found == exact.found);
        KT_FUZZ_CHECK(matches == exact.matches);
        if (matches && start <= s.Length()) KT_FUZZ_CHECK(found == 0);
    }

    if constexpr (sizeof(Char) == 1) {
        // Character positions are the byte positions counted in characters.
        const int32_t startChars = kt::UnitsToChars(s.Data(), start);
        if (subject.size() <= 64 && kt::CharsToUnits(s.Data(), startChars) == start) {
            const int32_t inChars = kt::FindRegex(s, pattern.Get(), startChars, false, none);
            KT_FUZZ_CHECK(inChars == (found <= 0 ? found : kt::UnitsToChars(s.Data(), found)));
        }
    }

    // A substitution rewrites units in a copy of the same length: positions stay comparable, and a
    // substitution for a unit the subject lacks changes nothing.
    const Char replacement[3] = {Char('#'), Char('#'), 0};
    kt::CharSubstitution<Char> absent(Char(0x7F), replacement);
    if (subject.find(Char(0x7F)) == std::basic_string<Char>::npos) {
        KT_FUZZ_CHECK(kt::FindRegex(s, pattern.Get(), start, true, absent) == found);
        KT_FUZZ_CHECK(kt::MatchesRegex(s, pattern.Get(), absent) == matches);
    }
    if (!subject.empty()) {
        kt::CharSubstitution<Char> present(subject[0], replacement);
        const int32_t substituted = kt::FindRegex(s, pattern.Get(), start, true, present);
        KT_FUZZ_CHECK(compiled.Find(s, start, true, present) == substituted);
        KT_FUZZ_CHECK(compiled.Matches(s, present) == kt::MatchesRegex(s, pattern.Get(), present));
        KT_FUZZ_CHECK(substituted == -1 || (substituted >= 0 && substituted <= s.Length()));
        const Char* copy = present.Buffer();
        KT_FUZZ_CHECK(copy == nullptr || std::basic_string<Char>(copy).size() == subject.size());
    }
    return {found, matches, exactKnown || taken};
}

template <class Char>
std::basic_string<Char> Subject(kt::fuzz::Input& input, int copies) {
    const std::basic_string<Char> unit = input.Rest<Char>(MaxSubject);
    std::basic_string<Char> subject;
    for (int i = 0; i < copies && subject.size() + unit.size() <= MaxSubject; ++i) subject += unit;
    return subject;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 * MaxSubject + MaxPattern + 3) return 0;
    kt::fuzz::Input input(data, size);
    const uint8_t first = input.Byte();
    const int32_t start = static_cast<int32_t>(first % 32) - 2;
    const int copies = 1 << (3 * (first >> 6));
    const bool wide = input.Bool();
    if (wide) {
        const std::u16string pattern = input.Text<char16_t>(MaxPattern);
        Search<char16_t>(Subject<char16_t>(input, copies), pattern, start);
        return 0;
    }
    const std::string pattern = input.Text<char>(MaxPattern);
    const std::string subject = Subject<char>(input, copies);
    const auto narrow = Search<char>(subject, pattern, start);
    auto ascii = [](const std::string& text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    };
    if (ascii(pattern) && ascii(subject)) {
        const auto wideOutcome = Search<char16_t>(std::u16string(subject.begin(), subject.end()),
                                                  std::u16string(pattern.begin(), pattern.end()), start);
        if (narrow.exact && wideOutcome.exact)
            KT_FUZZ_CHECK(wideOutcome.found == narrow.found && wideOutcome.matches == narrow.matches);
    }
    return 0;
}
