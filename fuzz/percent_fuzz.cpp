// PercentEscape and PercentUnescape in both widths and all three modes.
//
// Escaping leaves only printable ASCII outside the mode's set, "%" only as the start of "%XX" with upper-case
// digits, and unescaping that gives back the input (8-bit: any bytes; 16-bit: well-formed UTF-16). A text
// with nothing to escape, or without "%" to unescape, stays the same object. Unescaping any text never
// grows it and fails, in the 16-bit width, only with the documented conversion error.
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "text/string/convert.h"
#include "text/util/paths.h"

namespace {

bool MustEscape(unsigned char byte, int mode) {
    if (byte < 33 || byte > 126) return true;
    if (std::string_view("\"%<>^`{|}").find(static_cast<char>(byte)) != std::string_view::npos) return true;
    if (mode == 2 && byte == '\\') return true;
    return mode >= 1 &&
           std::string_view("#;/?:@&=+$,").find(static_cast<char>(byte)) != std::string_view::npos;
}

bool IsUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The escaped form as bytes: 8-bit text is its bytes, 16-bit text holds one byte per unit.
template <class Char>
std::string BytesOf(const kt::KTString<Char>& s) {
    std::string bytes;
    for (int32_t i = 0; i < s.Length(); ++i) {
        KT_FUZZ_CHECK(static_cast<uint32_t>(s.Data()[i]) < 0x80);
        bytes.push_back(static_cast<char>(s.Data()[i]));
    }
    return bytes;
}

template <class Char>
void CheckRoundTrip(const std::basic_string<Char>& text, std::string_view utf8, int mode) {
    kt::KTString<Char> s(text.c_str());
    const Char* before = s.Data();
    kt::PercentEscape(s, mode);
    bool needed = false;
    for (char c : utf8) needed = needed || MustEscape(static_cast<unsigned char>(c), mode);
    if (!needed) {
        KT_FUZZ_CHECK(s.Data() == before);  // not touched
        KT_FUZZ_CHECK(std::basic_string<Char>(s.Data(), s.Length()) == text);
    }
    const std::string escaped = BytesOf(s);
    // Each input byte is one output byte or one "%XX".
    size_t decoded = 0;
    for (size_t i = 0; i < escaped.size(); ++i) {
        const auto byte = static_cast<unsigned char>(escaped[i]);
        if (byte == '%') {
            KT_FUZZ_CHECK(i + 2 < escaped.size() && IsUpperHex(escaped[i + 1]) && IsUpperHex(escaped[i + 2]));
            const int value = std::stoi(escaped.substr(i + 1, 2), nullptr, 16);
            KT_FUZZ_CHECK(decoded < utf8.size() && static_cast<unsigned char>(utf8[decoded]) == value);
            KT_FUZZ_CHECK(MustEscape(static_cast<unsigned char>(value), mode));
            i += 2;
        } else {
            KT_FUZZ_CHECK(!MustEscape(byte, mode));
            KT_FUZZ_CHECK(decoded < utf8.size() && utf8[decoded] == escaped[i]);
        }
        ++decoded;
    }
    KT_FUZZ_CHECK(decoded == utf8.size());

    kt::PercentUnescape(s);
    KT_FUZZ_CHECK(std::basic_string<Char>(s.Data(), s.Length()) == text);
}

// Unescaping any text never grows it; 16-bit text throws only the conversion error.
template <class Char>
void CheckUnescapeAnything(const std::basic_string<Char>& text) {
    kt::KTString<Char> s(text.c_str());
    const Char* before = s.Data();
    try {
        kt::PercentUnescape(s);
    } catch (const std::runtime_error& error) {
        KT_FUZZ_CHECK(sizeof(Char) == 2);
        KT_FUZZ_CHECK(std::string_view(error.what()) == "KTString::ConvertFromUTF8String failed!");
        return;
    }
    if (text.find(Char('%')) == std::basic_string<Char>::npos) {
        KT_FUZZ_CHECK(s.Data() == before);
        KT_FUZZ_CHECK(std::basic_string<Char>(s.Data(), s.Length()) == text);
    }
    KT_FUZZ_CHECK(s.Length() <= static_cast<int32_t>(text.size()));  // each byte gives at most one unit
    KT_FUZZ_CHECK(s.Data()[s.Length()] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2048) return 0;
    kt::fuzz::Input input(data, size);
    const int mode = input.Byte() % 3;
    if (input.Bool()) {
        const std::string bytes = input.Rest<char>(1024);
        CheckRoundTrip<char>(bytes, bytes, mode);
        CheckUnescapeAnything<char>(bytes);
    } else {
        const std::u16string units = input.Rest<char16_t>(512);
        CheckUnescapeAnything<char16_t>(units);
        if (!kt::fuzz::IsValidUtf16(units)) return 0;
        const kt::KTString<char> utf8 = kt::ToUtf8(units.c_str());
        CheckRoundTrip<char16_t>(units, std::string_view(utf8.Data(), utf8.Length()), mode);
    }
    return 0;
}
