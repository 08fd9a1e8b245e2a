// Helpers of the Windows platform layer: UTF-8 text to and from the system's UTF-16, and the text of the
// last system error. Windows text is handed over as it is, since wchar_t has 16 bits there.
#pragma once

#include <string>

namespace kt::platform::windows {

// The UTF-16 form of a UTF-8 text (ill-formed sequences become U+FFFD); empty for empty or null text.
std::wstring WideFromUtf8(const char* text);
// The UTF-8 form of a UTF-16 text (unpaired surrogates become U+FFFD).
std::string Utf8FromWide(const wchar_t* text, size_t length);
// The system's message for `code` in UTF-8, without the line end; a generic text for unknown codes.
std::string ErrorText(unsigned long code);

}  // namespace kt::platform::windows
