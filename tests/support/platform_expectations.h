// What the platform layer does differently on Windows, for tests that run on both.
#pragma once

namespace kt::test {

// The 16-bit case functions (CompareNoCase16, ToLower16, ToUpper16) go through the C run-time on
// Windows, which in the "C" locale the tests run in maps A-Z alone; the POSIX layer maps by Unicode's
// simple case mapping.
#ifdef _WIN32
inline constexpr bool CaseMapsBeyondAscii = false;
#else
inline constexpr bool CaseMapsBeyondAscii = true;
#endif

// MinGW's printf, the reference of the float formatting tests on Windows, writes a negative NaN as
// "nan"; glibc's keeps the sign, as the formatter does.
#ifdef _WIN32
inline constexpr bool PrintfSignsNaN = false;
#else
inline constexpr bool PrintfSignsNaN = true;
#endif

}  // namespace kt::test
