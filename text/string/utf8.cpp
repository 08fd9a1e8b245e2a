#include "text/string/utf8.h"

#include <cstddef>
#include <cstring>

namespace kt {

bool EncodeUtf8(char*& out, uint32_t cp) {
    auto put = [&out](uint32_t byte) { *out++ = static_cast<char>(static_cast<unsigned char>(byte)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | cp >> 6);
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        put(0xE0 | cp >> 12);
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        put(0xF0 | cp >> 18);
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        return false;
    }
    return true;
}

uint32_t DecodeUtf8(const char*& in) {
    auto lead = static_cast<unsigned char>(*in++);
    if (lead < 0x80) return lead;
    int continuation = Utf8SequenceLength(lead) - 1;
    uint32_t cp = lead & (0x3Fu >> continuation);
    for (int i = 0; i < continuation; ++i) {
        auto byte = static_cast<unsigned char>(*in);
        if (byte == 0) break;  // a truncated sequence never consumes the terminator
        cp = cp << 6 | (byte & 0x3Fu);
        ++in;
    }
    return cp;
}

uint32_t DecodeUtf8(const char*& in, const char* end) {
    constexpr ptrdiff_t longest = 4;
    if (in >= end) return 0;
    if (end - in >= longest) return DecodeUtf8(in);
    char rest[longest + 1] = {};
    std::memcpy(rest, in, static_cast<size_t>(end - in));
    const char* p = rest;
    const uint32_t cp = DecodeUtf8(p);
    in += p - rest;
    return cp;
}

int32_t CharsToUnits(const char* text, int32_t count) {
    if (text == nullptr || count <= 0) return 0;
    const char* p = text;
    for (int32_t i = 0; i < count && *p != 0; ++i) {
        int length = Utf8SequenceLength(static_cast<unsigned char>(*p));
        ++p;
        // A lead byte may promise more bytes than remain: stop at the terminator.
        for (int k = 1; k < length && *p != 0; ++k) ++p;
    }
    return static_cast<int32_t>(p - text);
}

int32_t UnitsToChars(const char* text, int32_t units) {
    if (text == nullptr || units <= 0) return 0;
    const char* p = text;
    const char* end = text + units;
    int32_t chars = 0;
    while (p < end && *p != 0) {
        int length = Utf8SequenceLength(static_cast<unsigned char>(*p));
        ++p;
        for (int k = 1; k < length && *p != 0; ++k) ++p;
        ++chars;
    }
    return chars;
}

}  // namespace kt
