// Test-side text helpers shared by the typed tests of both widths.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "text/string/kt_string.h"

namespace kt::test {

// An ASCII literal as a standard string of either width, so one test body serves char and char16_t.
template <class Char>
std::basic_string<Char> Ascii(std::string_view ascii) {
    return std::basic_string<Char>(ascii.begin(), ascii.end());
}

// Text of code points in the width's encoding (UTF-8 or UTF-16).
template <class Char>
std::basic_string<Char> Encoded(std::u32string_view text) {
    std::basic_string<Char> out;
    for (char32_t c : text) {
        Char units[4];
        out.append(units, static_cast<size_t>(detail::EncodeCodePoint(units, c)));
    }
    return out;
}

// The typed tests' parameters: both widths, and the strings of both widths in the four storage modes.
using Widths = ::testing::Types<char, char16_t>;
using AllModes = ::testing::Types<KTString<char>, KTString<char16_t>, KTStringInline<char, 8>,
                                  KTStringInline<char16_t, 8>, KTStringShared<char>, KTStringShared<char16_t>,
                                  KTStringBorrowed<char>, KTStringBorrowed<char16_t>>;
using Modes16 = ::testing::Types<KTString<char16_t>, KTStringInline<char16_t, 8>, KTStringShared<char16_t>,
                                 KTStringBorrowed<char16_t>>;

// The fixture of a typed test over storage modes S: T("...") is ASCII text in the mode's width, Make("...") a
// string of the mode.
template <class S>
class ModeTest : public ::testing::Test {
  protected:
    using Char = typename S::CharType;
    static std::basic_string<Char> T(std::string_view ascii) { return Ascii<Char>(ascii); }
    static S Make(std::string_view ascii) { return S(Ascii<Char>(ascii).c_str()); }
};

// The units of a string (without the terminator) as a standard string, for comparisons that print well.
template <class Char, class S>
std::basic_string<Char> Units(const KTStringT<Char, S>& s) {
    return std::basic_string<Char>(s.Data(), static_cast<size_t>(s.Length()));
}

}  // namespace kt::test
