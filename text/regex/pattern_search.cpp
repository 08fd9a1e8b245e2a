#include "text/regex/pattern_search.h"

#include <cstring>
#include <new>
#include <regex>
#include <string>

namespace kt {

template <class Char>
const Char* CharSubstitution<Char>::Apply(const Char* text, int32_t length) {
    if (replacement_ == nullptr) return text;
    delete[] buffer_;
    buffer_ = nullptr;
    auto units = static_cast<size_t>(length) + 1;
    buffer_ = new Char[units];
    std::memcpy(buffer_, text, units * sizeof(Char));
    // The pair overwrites the unit and the one behind it; at the last unit only the first of the pair
    // fits, so that the copy stays within its length + 1 units and stays terminated.
    for (size_t i = 0; buffer_[i] != 0;) {
        if (buffer_[i] != ch_) {
            ++i;
            continue;
        }
        buffer_[i] = replacement_[0];
        if (i + 1 < units - 1) buffer_[i + 1] = replacement_[1];
        i += 2;
        if (i >= units - 1) break;
    }
    return buffer_;
}

namespace regex_detail {
namespace {
// The standard library has no regex for char16_t: run 16-bit text through wchar_t, unit by unit, so
// that positions stay in code units.
template <class Char>
using RegexChar = std::conditional_t<std::is_same_v<Char, char>, char, wchar_t>;

template <class Char>
std::basic_string<RegexChar<Char>> Widen(const Char* text) {
    std::basic_string<RegexChar<Char>> out;
    for (const Char* p = text; *p != 0; ++p) out.push_back(static_cast<RegexChar<Char>>(*p));
    return out;
}

template <class Char>
bool IsDigit(Char c) {
    return c >= Char('0') && c <= Char('9');
}

// Consumes the rest of a digit run that began with `first`; true when its value exceeds INT32_MAX.
template <class Char>
bool DigitRunBeyondInt(Char first, const Char*& p) {
    int64_t value = first - Char('0');
    bool beyond = false;
    for (; IsDigit(*p); ++p) {
        if (!beyond) value = value * 10 + (*p - Char('0'));
        beyond = beyond || value > INT32_MAX;
    }
    return beyond;
}
}  // namespace

// Follows the ECMAScript scanner of the standard library just far enough to know which digit runs it
// reads as numbers: "\1"..."\9" and their following digits (in and out of brackets), and the counts
// between "{" and "}". Whatever the library would reject anyway may end the scan with false.
template <class Char>
bool HasNumberBeyondInt(const Char* p) noexcept {
    enum class State { Normal, Bracket, Brace } state = State::Normal;
    while (*p != 0) {
        const Char c = *p++;
        if (state == State::Brace) {
            if (IsDigit(c)) {
                if (DigitRunBeyondInt(c, p)) return true;
            } else if (c == Char('}')) {
                state = State::Normal;
            } else if (c != Char(',')) {
                return false;  // not a valid repeat
            }
        } else if (c == Char('\\')) {
            if (*p == 0) return false;
            const Char escaped = *p++;
            if (escaped >= Char('1') && escaped <= Char('9')) {
                if (DigitRunBeyondInt(escaped, p)) return true;
            } else if (escaped == Char('c') && *p != 0) {
                ++p;  // "\cX": X is a literal, whatever it is
            }
        } else if (state == State::Normal) {
            if (c == Char('[')) {
                state = State::Bracket;
                if (*p == Char('^')) ++p;
            } else if (c == Char('{')) {
                state = State::Brace;
            }
        } else if (c == Char(']')) {
            state = State::Normal;
        } else if (c == Char('[') && (*p == Char('.') || *p == Char(':') || *p == Char('='))) {
            // "[:name:]" and its kin run to the same mark followed by "]"
            const Char mark = *p++;
            while (*p != 0 && !(p[0] == mark && p[1] == Char(']'))) ++p;
            if (*p == 0) return false;
            p += 2;
        }
    }
    return false;
}

template <class Char>
int32_t FindRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                       const Char* pattern) noexcept {
    if (HasNumberBeyondInt(pattern)) return -1;
    try {
        const Char* subject = substitution.Apply(text, length);
        if constexpr (std::is_same_v<Char, char>) {
            std::regex re(pattern, std::regex::ECMAScript);
            std::cmatch match;
            if (!std::regex_search(subject, match, re)) return -1;
            return static_cast<int32_t>(match.position(0));
        } else {
            std::wregex re(Widen(pattern), std::regex::ECMAScript);
            std::wstring wide = Widen(subject);
            std::wsmatch match;
            if (!std::regex_search(wide, match, re)) return -1;
            return static_cast<int32_t>(match.position(0));
        }
    } catch (const std::exception&) {
        return -1;
    }
}

template <class Char>
bool MatchesRegexUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                       const Char* pattern) noexcept {
    if (HasNumberBeyondInt(pattern)) return false;
    try {
        const Char* subject = substitution.Apply(text, length);
        if constexpr (std::is_same_v<Char, char>) {
            std::regex re(pattern, std::regex::ECMAScript);
            return std::regex_match(subject, re);
        } else {
            std::wregex re(Widen(pattern), std::regex::ECMAScript);
            return std::regex_match(Widen(subject), re);
        }
    } catch (const std::exception&) {
        return false;
    }
}

template bool HasNumberBeyondInt(const char*) noexcept;
template bool HasNumberBeyondInt(const char16_t*) noexcept;
template int32_t FindRegexUnits(CharSubstitution<char>&, const char*, int32_t, const char*) noexcept;
template int32_t FindRegexUnits(CharSubstitution<char16_t>&, const char16_t*, int32_t,
                                const char16_t*) noexcept;
template bool MatchesRegexUnits(CharSubstitution<char>&, const char*, int32_t, const char*) noexcept;
template bool MatchesRegexUnits(CharSubstitution<char16_t>&, const char16_t*, int32_t,
                                const char16_t*) noexcept;
}  // namespace regex_detail

template class CharSubstitution<char>;
template class CharSubstitution<char16_t>;

}  // namespace kt
