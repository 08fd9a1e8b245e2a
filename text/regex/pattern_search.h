// Pattern search and match on strings with the standard library's ECMAScript regular expressions. Every
// call compiles its pattern afresh with std::regex, which decides whether it is valid; every failure (an
// invalid pattern, exhausted memory, a limit below) reads as "no match". So does a pattern with a
// back-reference or repeat count beyond INT32_MAX, which the standard library would overflow on instead of
// rejecting.
//
// The answer comes from an automaton of our own (automaton.h), in time linear in the text, for every pattern
// without back-references, lookaheads or equivalence classes and within 100,000 states. The others run the
// standard library's matcher, which recurses once per character and backtracks without bound, under limits
// of its own (see pattern_search.cpp): a budget of 1,000,000 steps plus 128 per code unit of the text,
// lookaheads nested at most 16 deep, and the stack the calling thread really has left, less a reserve.
// Compiling runs under an estimate of its cost checked in advance. Only those searches can reach a limit:
// they give -1 or false, never overflow the stack and never run longer than their budget.
#pragma once

#include <cstdint>
#include <memory>

#include "text/string/kt_string.h"

namespace kt {

// Rewrites one code unit into a fixed pair of units before matching, without changing the length, so
// that positions found in the rewritten copy are positions in the string. A null replacement switches
// the substitution off. The object owns the copy made by the last Apply.
template <class Char>
class CharSubstitution {
  public:
    CharSubstitution() = default;
    CharSubstitution(Char ch, const Char* replacement) : ch_(ch), replacement_(replacement) {}
    ~CharSubstitution() { delete[] buffer_; }
    CharSubstitution(const CharSubstitution&) = delete;
    CharSubstitution& operator=(const CharSubstitution&) = delete;

    // The terminated units to match: the string's own characters, or the rewritten copy.
    const Char* Apply(const Char* text, int32_t length);
    template <class Storage>
    const Char* Apply(const KTStringT<Char, Storage>& s) {
        return Apply(s.Data(), s.Length());
    }
    [[nodiscard]] const Char* Buffer() const noexcept { return buffer_; }

  private:
    Char ch_ = 0;
    const Char* replacement_ = nullptr;
    Char* buffer_ = nullptr;
};

namespace regex_detail {
// What a scan of the pattern tells before the standard library compiles it: enough to bound the
// compiler's recursion and the work of compiling and matching.
struct PatternShape {
    // A back-reference number (\12) or repeat count ({2,5}) beyond INT32_MAX. libstdc++ accumulates those
    // digits in a long without an overflow check and returns them as int, so such a pattern never reaches it.
    bool numberBeyondInt = false;
    bool backReference = false;
    bool wordBoundary = false;
    bool lookahead = false;
    int64_t lookaheadDepth = 0;  // of lookaheads inside lookaheads
    int64_t units = 0;
    int64_t compileStack = 0;     // bytes the compiler's recursion may take in this build
    int64_t states = 0;           // at least the states of the compiled automaton
    int64_t uncheckedStates = 0;  // states the matcher may pass without reading or comparing positions
    int64_t captures = 0;         // capturing groups
    int64_t placeholderRun = 0;   // the longest run of placeholder states the compiler links and removes
    int64_t brackets = 0;         // bracket expressions and class escapes (\w, \d, ...)
    int64_t bracketUnits = 0;     // their units, all together
    int64_t longestBracket = 0;   // units of the longest one
};
template <class Char>
[[nodiscard]] PatternShape MeasurePattern(const Char* pattern);

// How a guarded search ended: the answer, or why there is none.
enum class SearchEnd { Match, NoMatch, InvalidPattern, StepLimit, StackLimit, NoMemory };
struct SearchOutcome {
    int32_t position;  // of the match in code units; -1 without one
    SearchEnd end;
};
// Whether a search ended at one of its limits (steps or stack) rather than with an answer.
[[nodiscard]] inline bool IsLimit(SearchEnd end) noexcept {
    return end == SearchEnd::StepLimit || end == SearchEnd::StackLimit;
}

// What answers a search: the automaton where it takes the pattern, else the standard library's matcher
// under its limits (what the operations do), or the library's matcher alone.
enum class Matchers { AutomatonFirst, LibraryOnly };

// The search (wholeText: the match) itself. It applies the substitution inside the guarded region, so that
// a failed copy also reads as no match. Exceptions not derived from std::exception pass through.
template <class Char>
[[nodiscard]] SearchOutcome SearchUnits(CharSubstitution<Char>& substitution, const Char* text,
                                        int32_t length, const Char* pattern, bool wholeText,
                                        Matchers matchers = Matchers::AutomatonFirst);

template <class Char>
struct CompiledPattern;

// Where the search in characters begins in units, or -1 when the string has fewer characters or units.
template <class Char, class Storage>
[[nodiscard]] int32_t StartUnits(const KTStringT<Char, Storage>& s, int32_t start, bool inUnits) {
    const Char* data = s.Data();
    const int32_t length = s.Length();
    if (start < 0) start = 0;
    if constexpr (std::is_same_v<Char, char>) {
        if (!inUnits && start != ToEnd) {
            const int32_t units = CharsToUnits(data, start);
            if (units == length && UnitsToChars(data, length) < start)
                return -1;  // fewer characters than start
            start = units;
        }
    }
    return start > length ? -1 : start;
}

// A found unit offset in the position convention of FindRegex.
template <class Char>
[[nodiscard]] int32_t FoundPosition(const Char* data, int32_t offset, bool inUnits) {
    if constexpr (std::is_same_v<Char, char>)
        if (offset > 0 && !inUnits) return UnitsToChars(data, offset);
    return offset;
}

template <class Char>
[[nodiscard]] int32_t FindRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                                     const Char* pattern) {
    return SearchUnits(substitution, text, length, pattern, false).position;
}
template <class Char>
[[nodiscard]] bool MatchesRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                                     const Char* pattern) {
    return SearchUnits(substitution, text, length, pattern, true).end == SearchEnd::Match;
}
}  // namespace regex_detail

// Where the first match of `pattern` begins (8-bit: characters, or bytes with inUnits), or -1. `start` is
// checked against the length (a start beyond the end gives -1) but the search covers the whole string.
template <class Char, class Storage>
[[nodiscard]] int32_t FindRegex(const KTStringT<Char, Storage>& s, const Char* pattern, int32_t start,
                                bool inUnits, CharSubstitution<Char>& substitution) {
    if (pattern == nullptr || pattern[0] == 0) return -1;
    if (regex_detail::StartUnits(s, start, inUnits) < 0) return -1;
    const int32_t offset = regex_detail::FindRegexUnits(substitution, s.Data(), s.Length(), pattern);
    return regex_detail::FoundPosition(s.Data(), offset, inUnits);
}

// Whether the whole string matches `pattern`.
template <class Char, class Storage>
[[nodiscard]] bool MatchesRegex(const KTStringT<Char, Storage>& s, const Char* pattern,
                                CharSubstitution<Char>& substitution) {
    if (pattern == nullptr || pattern[0] == 0) return false;
    return regex_detail::MatchesRegexUnits(substitution, s.Data(), s.Length(), pattern);
}

// A pattern compiled once and searched with many times: the answers of FindRegex and MatchesRegex with the
// same pattern, under the same limits, without compiling on every call (the library's pattern and the
// automaton both). A pattern that is empty, invalid
// or beyond the limits of compiling matches nothing (IsValid() is false). A KTPattern may be searched
// with from several threads at once; each search brings its own substitution.
//
//     const KTPattern<char> code("code [0-9]+");
//     for (const auto& line : lines)
//         if (code.Find(line, 0, false, none) >= 0) ...
template <class Char>
class KTPattern {
  public:
    explicit KTPattern(const Char* pattern);
    ~KTPattern();
    KTPattern(KTPattern&&) noexcept;
    KTPattern& operator=(KTPattern&&) noexcept;
    KTPattern(const KTPattern&) = delete;
    KTPattern& operator=(const KTPattern&) = delete;

    [[nodiscard]] bool IsValid() const noexcept;

    template <class Storage>
    [[nodiscard]] int32_t Find(const KTStringT<Char, Storage>& s, int32_t start, bool inUnits,
                               CharSubstitution<Char>& substitution) const {
        if (regex_detail::StartUnits(s, start, inUnits) < 0) return -1;
        const int32_t offset = SearchUnits(substitution, s.Data(), s.Length(), false).position;
        return regex_detail::FoundPosition(s.Data(), offset, inUnits);
    }
    template <class Storage>
    [[nodiscard]] bool Matches(const KTStringT<Char, Storage>& s,
                               CharSubstitution<Char>& substitution) const {
        return SearchUnits(substitution, s.Data(), s.Length(), true).end == regex_detail::SearchEnd::Match;
    }

    // The search (wholeText: the match) in units, and how it ended.
    [[nodiscard]] regex_detail::SearchOutcome SearchUnits(CharSubstitution<Char>& substitution,
                                                          const Char* text, int32_t length,
                                                          bool wholeText) const;

  private:
    std::unique_ptr<regex_detail::CompiledPattern<Char>> compiled_;
};

}  // namespace kt
