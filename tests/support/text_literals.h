// Test-side text helpers shared by the typed tests of both widths.
#pragma once

#include <string>
#include <string_view>

#include "text/string/kt_string.h"

namespace kt::test {

// An ASCII literal as a standard string of either width, so one test body serves char and char16_t.
template <class Char>
std::basic_string<Char> Ascii(std::string_view ascii) {
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

// The units of a string (without the terminator) as a standard string, for comparisons that print well.
template <class Char, class S>
std::basic_string<Char> Units(const KTStringT<Char, S>& s) {
    return std::basic_string<Char>(s.Data(), static_cast<size_t>(s.Length()));
}

}  // namespace kt::test
