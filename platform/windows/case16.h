// The 16-bit case mapping of the platform layer (declared in platform/platform.h) on Windows: the C
// run-time's own functions, to which char16_t text is handed as it is (wchar_t has 16 bits there). They map
// each code unit with the run-time's current locale; in the "C" locale a program starts in, that is A-Z and
// a-z only, and a surrogate pair is never mapped.
#pragma once

#include <string.h>
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>

namespace kt::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

namespace case16 {
inline wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// Runs a terminated-string mapper (_wcslwr_s, _wcsupr_s) over the first `count` units of `text`, or up to
// its terminator. Text without a terminator among them goes through a terminated copy, chunk by chunk:
// the run-time stops the process when the terminator is missing, and maps unit by unit anyway.
template <class Mapper>
void MapInPlace(char16_t* text, size_t count, Mapper map) noexcept {
    if (text == nullptr || count == 0) return;
    const size_t length = wcsnlen(Wide(text), count);
    if (length < count) {
        map(Wide(text), length + 1);
        return;
    }
    wchar_t chunk[128];
    for (size_t done = 0; done < count;) {
        const size_t units = std::min(count - done, std::size(chunk) - 1);
        std::copy_n(text + done, units, chunk);
        chunk[units] = 0;
        map(chunk, units + 1);
        std::copy_n(chunk, units, text + done);
        done += units;
    }
}
}  // namespace case16

inline int CompareNoCase16(const char16_t* left, const char16_t* right) noexcept {
    return _wcsicmp(case16::Wide(left), case16::Wide(right));
}

inline void ToLower16(char16_t* text, size_t count) noexcept {
    case16::MapInPlace(text, count, [](wchar_t* units, size_t size) { _wcslwr_s(units, size); });
}

inline void ToUpper16(char16_t* text, size_t count) noexcept {
    case16::MapInPlace(text, count, [](wchar_t* units, size_t size) { _wcsupr_s(units, size); });
}

inline char16_t ToUpperUnit16(char16_t unit) noexcept {
    return static_cast<char16_t>(towupper(unit));
}

}  // namespace kt::platform
