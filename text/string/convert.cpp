#include "text/string/convert.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/common/ascii_blocks.h"
#include "platform/platform.h"
#include "text/string/utf8.h"

namespace kt {

namespace detail {
void ThrowConvertFromUtf8Failed() {
    throw std::runtime_error("KTString::ConvertFromUTF8String failed!");
}
}  // namespace detail

uint32_t DecodeUtf8Previous(const char* start, const char*& pos) {
    if (start == nullptr || pos <= start) return 0;
    auto byte = static_cast<unsigned char>(*--pos);
    if (byte < 0x80) return byte;
    uint32_t bits = 0;
    int shift = 0;
    int continuation = 0;
    while ((byte & 0xC0) == 0x80 && pos > start) {
        if (shift < 32) bits |= static_cast<uint32_t>(byte & 0x3F) << shift;
        shift += 6;
        ++continuation;
        byte = static_cast<unsigned char>(*--pos);
    }
    // Runs of more continuation bytes than a sequence has shift the lead's bits out, as 32 bits would.
    if (shift >= 32 || continuation >= 6) return bits;
    return static_cast<uint32_t>(byte & (0x3Fu >> continuation)) << shift | bits;
}

const char* FindCodePoint(const char* text, uint32_t codePoint) {
    if (text == nullptr || codePoint == 0) return nullptr;
    if (codePoint < 0x80) return std::strchr(text, static_cast<int>(codePoint));
    const char* p = text;
    while (*p != 0) {
        if (static_cast<unsigned char>(*p) < 0x80) {
            ++p;
            continue;
        }
        const char* sequence = p;
        if (DecodeUtf8(p) == codePoint) return sequence;
    }
    return nullptr;
}

KTUtf8Buffer::KTUtf8Buffer(const char16_t* text) {
    if (text == nullptr) return;
    const int32_t size = platform::Utf16ToUtf8(text, -1, nullptr, 0);
    if (size <= 0) return;
    bytes_ = new char[static_cast<size_t>(size)];
    if (platform::Utf16ToUtf8(text, -1, bytes_, size) != size) {
        delete[] bytes_;
        bytes_ = nullptr;
        return;
    }
    size_ = size;
}

namespace {

// One walk of the UTF-16 to UTF-8 conversion over `count` units: counts the bytes, and with an output
// also writes them. Both walks take the same steps, so the count is exactly what the second one writes.
// A block of 16 units narrowed into the output writes 16 bytes however few of them are kept: every unit
// left gives at least one byte, so the output has room for them.
template <bool Write>
int64_t Utf16ToUtf8Walk(const char16_t* text, int32_t count, char* out) {
    int64_t bytes = 0;
    int32_t i = 0;
    while (i < count) {
        if constexpr (!Write) {  // counting, a block at a time up to a surrogate; ASCII blocks the quickest
            for (; count - i >= platform::AsciiBlockUnits; i += platform::AsciiBlockUnits) {
                const int length = platform::IsAsciiBlock(text + i) ? platform::AsciiBlockUnits
                                                                    : platform::Utf8LengthOfBlock(text + i);
                if (length < 0) break;
                bytes += length;
            }
        }
        // ASCII, a block at a time; a block with a non-ASCII unit hands over its ASCII start first.
        while (count - i >= platform::AsciiBlockUnits) {
            if (platform::IsAsciiBlock(text + i)) {
                if constexpr (Write) platform::NarrowBlock(text + i, out + bytes);
                bytes += platform::AsciiBlockUnits;
                i += platform::AsciiBlockUnits;
                continue;
            }
            const int ascii = platform::AsciiPrefix(text + i);
            if constexpr (Write) platform::NarrowBlock(text + i, out + bytes);
            bytes += ascii;
            i += ascii;
            const uint32_t unit = text[i];
            if (unit >= 0x800) break;
            if constexpr (Write) {  // a unit below 0x800 in place, Latin text's letters beyond ASCII
                out[bytes] = static_cast<char>(0xC0 | unit >> 6);
                out[bytes + 1] = static_cast<char>(0x80 | (unit & 0x3F));
            }
            bytes += 2;
            ++i;
        }
        if (i == count) break;
        if (text[i] < 0x80) {  // the last units, fewer than a block
            if constexpr (Write) out[bytes] = static_cast<char>(text[i]);
            ++bytes;
            ++i;
            continue;
        }
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (i + 1 < count) {
                // The pair rule takes the next unit whatever it is.
                cp = (((cp & 0x3FF) << 10) | (text[i + 1] & 0x3FFu)) + 0x10000;
                ++i;
            } else {
                cp = 0xFFFD;  // a surrogate with nothing after it
            }
        }
        ++i;
        if constexpr (Write) {
            char* p = out + bytes;
            EncodeUtf8(p, cp);
        }
        bytes += Utf8Length(cp);
    }
    return bytes;
}

}  // namespace

KTString<char> ToUtf8(const char16_t* text, int32_t count) {
    KTString<char> result;
    if (text == nullptr || count < 1) return result;
    const int64_t bytes = Utf16ToUtf8Walk<false>(text, count, nullptr);
    if (bytes > ToEnd) detail::ThrowTooLong();
    result._AllocateStorage(static_cast<int32_t>(bytes));
    Utf16ToUtf8Walk<true>(text, count, result.Data());
    result._SetStringEnd(static_cast<int32_t>(bytes));
    return result;
}

KTString<char> ToUtf8(const char16_t* text) {
    if (text == nullptr) return KTString<char>();
    const size_t length = std::char_traits<char16_t>::length(text);
    if (length > static_cast<size_t>(ToEnd)) detail::ThrowTooLong();
    return ToUtf8(text, static_cast<int32_t>(length));
}

KTString<char> CopyUtf8(const char* text) {
    return KTString<char>(text);
}

}  // namespace kt
