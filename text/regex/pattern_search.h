// Pattern search and match on strings over the standard library's ECMAScript regular expressions.
// Every call compiles its pattern afresh; every failure (an invalid pattern, the library's complexity
// limits, exhausted memory) reads as "no match". So does a pattern with a back-reference or repeat count
// beyond INT32_MAX, which the standard library would overflow on instead of rejecting.
#pragma once

#include <cstdint>

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
    const Char* Buffer() const noexcept { return buffer_; }

  private:
    Char ch_ = 0;
    const Char* replacement_ = nullptr;
    Char* buffer_ = nullptr;
};

namespace regex_detail {
// Whether the pattern holds a back-reference number (\12) or a repeat count ({2,5}) beyond INT32_MAX.
// libstdc++ accumulates those digits in a long without an overflow check and returns them as int, so
// such a pattern never reaches it.
template <class Char>
bool HasNumberBeyondInt(const Char* pattern) noexcept;

// Both apply the substitution inside the guarded region, so that a failed copy also reads as no match.
template <class Char>
int32_t FindRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                       const Char* pattern) noexcept;
template <class Char>
bool MatchesRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                       const Char* pattern) noexcept;
}  // namespace regex_detail

// Where the first match of `pattern` begins (8-bit: characters, or bytes with inUnits), or -1. `start` is
// checked against the length (a start beyond the end gives -1) but the search covers the whole string.
template <class Char, class Storage>
int32_t FindRegex(const KTStringT<Char, Storage>& s, const Char* pattern, int32_t start, bool inUnits,
                  CharSubstitution<Char>& substitution) {
    if (pattern == nullptr || pattern[0] == 0) return -1;
    const Char* data = s.Data();
    int32_t length = s.Length();
    if (start < 0) start = 0;
    if constexpr (std::is_same_v<Char, char>) {
        if (!inUnits && start != ToEnd) {
            int32_t units = CharsToUnits(data, start);
            if (units == length && UnitsToChars(data, length) < start)
                return -1;  // fewer characters than start
            start = units;
        }
    }
    if (start > length) return -1;
    int32_t offset = regex_detail::FindRegexUnits(substitution, data, length, pattern);
    if constexpr (std::is_same_v<Char, char>)
        if (offset > 0 && !inUnits) return UnitsToChars(data, offset);
    return offset;
}

// Whether the whole string matches `pattern`.
template <class Char, class Storage>
bool MatchesRegex(const KTStringT<Char, Storage>& s, const Char* pattern,
                  CharSubstitution<Char>& substitution) {
    if (pattern == nullptr || pattern[0] == 0) return false;
    return regex_detail::MatchesRegexUnits(substitution, s.Data(), s.Length(), pattern);
}

}  // namespace kt
