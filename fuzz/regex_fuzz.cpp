// FindRegex and MatchesRegex with fuzzed patterns: every failure of the standard library's regex (invalid
// pattern, complexity limits) reads as "no match" and never escapes. Found positions lie within the
// string; a whole-string match is also found at 0; 8-bit character positions agree with byte positions;
// ASCII patterns on ASCII subjects give the same answers in both widths; a substitution keeps positions.
//
// Limits: patterns of at most 48 units with at most four quantifier characters (* + ? {), subjects of at
// most 16 units. libstdc++'s regex executor backtracks recursively, so long subjects overflow the stack
// (which no handler can catch) and stacked quantifiers ("h+*++*+") take exponential time; these bounds
// keep every run short and within the stack.
#include <regex>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/regex/pattern_search.h"
#include "text/string/utf8.h"

namespace {

constexpr size_t MaxPattern = 48;
constexpr size_t MaxSubject = 16;
constexpr int MaxQuantifiers = 4;

template <class Char>
bool TooManyQuantifiers(const std::basic_string<Char>& pattern) {
    int count = 0;
    for (Char c : pattern) count += c == Char('*') || c == Char('+') || c == Char('?') || c == Char('{');
    return count > MaxQuantifiers;
}

template <class Char>
struct Outcome {
    int32_t found;
    bool matches;
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
    if (matches && start <= s.Length() && !patternText.empty()) KT_FUZZ_CHECK(found == 0);
    if (patternText.empty()) KT_FUZZ_CHECK(found == -1 && !matches);

    if constexpr (sizeof(Char) == 1) {
        // Character positions are the byte positions counted in characters.
        const int32_t startChars = kt::UnitsToChars(s.Data(), start);
        if (kt::CharsToUnits(s.Data(), startChars) == start) {
            const int32_t inChars = kt::FindRegex(s, pattern.Get(), startChars, false, none);
            KT_FUZZ_CHECK(inChars == (found <= 0 ? found : kt::UnitsToChars(s.Data(), found)));
        }
        // The library's answer is the standard library's, with its failures as "no match"; a number
        // beyond INT32_MAX would overflow inside the standard library, so it is no match unasked.
        int32_t expected = -1;
        if (!kt::regex_detail::HasNumberBeyondInt(patternText.c_str())) {
            try {
                const std::regex re(patternText, std::regex::ECMAScript);
                std::smatch match;
                if (std::regex_search(subject, match, re)) expected = static_cast<int32_t>(match.position(0));
            } catch (const std::exception&) {
            }
        }
        if (start <= s.Length() && !patternText.empty()) KT_FUZZ_CHECK(found == expected);
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
        KT_FUZZ_CHECK(substituted == -1 || (substituted >= 0 && substituted <= s.Length()));
        const Char* copy = present.Buffer();
        KT_FUZZ_CHECK(copy == nullptr || std::basic_string<Char>(copy).size() == subject.size());
    }
    return {found, matches};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 512) return 0;
    kt::fuzz::Input input(data, size);
    const int32_t start = static_cast<int32_t>(input.Byte() % 32) - 2;
    const bool wide = input.Bool();
    if (wide) {
        const std::u16string pattern = input.Text<char16_t>(MaxPattern);
        if (TooManyQuantifiers(pattern)) return 0;
        Search<char16_t>(input.Rest<char16_t>(MaxSubject), pattern, start);
        return 0;
    }
    const std::string pattern = input.Text<char>(MaxPattern);
    if (TooManyQuantifiers(pattern)) return 0;
    const std::string subject = input.Rest<char>(MaxSubject);
    const auto narrow = Search<char>(subject, pattern, start);
    auto ascii = [](const std::string& text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    };
    if (ascii(pattern) && ascii(subject)) {
        const auto wideOutcome = Search<char16_t>(std::u16string(subject.begin(), subject.end()),
                                                  std::u16string(pattern.begin(), pattern.end()), start);
        KT_FUZZ_CHECK(wideOutcome.found == narrow.found && wideOutcome.matches == narrow.matches);
    }
    return 0;
}
