// UTF-8 primitives shared by the whole text library. Decoding follows the lead-byte bit rules only:
// continuation bytes are not validated and overlong forms are accepted.
#pragma once

#include <cstdint>

namespace kt {

// Number of bytes of the sequence that starts with `lead`: 1 below 0x80, else
// 1 + (((~s >> 1) | s) >> 4 & 3) with s the byte sign-extended (2 for C0-DF, 3 for E0-EF, 4 for F0-FF).
[[nodiscard]] constexpr int Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    int32_t s = static_cast<int8_t>(lead);
    return 1 + static_cast<int>(((static_cast<uint32_t>(~s) >> 1 | static_cast<uint32_t>(s)) >> 4) & 3);
}

// UTF-8 length of a code point as the converters count it: 1, 2, 3, or 4 bytes.
[[nodiscard]] constexpr int Utf8Length(uint32_t codePoint) {
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// Writes the UTF-8 form of `codePoint` at `out` (room for 4 bytes) and advances `out`; false and nothing
// written for values above 0x10FFFF or in D800-DFFF. Writes no terminator.
bool EncodeUtf8(char*& out, uint32_t codePoint);

// Decodes the sequence at `in` by the bit rules and advances `in` past it. A sequence cut short by the
// terminator ends there: the terminator is neither consumed nor read past.
uint32_t DecodeUtf8(const char*& in);
// The same for a counted text that ends at `end` (or at a zero byte before it): `end` cuts a sequence as
// the terminator would, and nothing at or behind it is read. At `end` itself: 0, `in` stays.
uint32_t DecodeUtf8(const char*& in, const char* end);

// Steps over up to `count` characters of `text`, never past its terminator; returns the bytes stepped over.
[[nodiscard]] int32_t CharsToUnits(const char* text, int32_t count);

// Number of characters (sequences) that start before byte offset `units`, never counting past the terminator.
[[nodiscard]] int32_t UnitsToChars(const char* text, int32_t units);

// Decodes the sequence that ends just before `pos` and moves `pos` back to its lead byte, never before
// `start`: continuation bytes (10xxxxxx) are collected backwards and the byte before them is the lead.
// Returns 0 and leaves `pos` alone when `pos` is at `start`.
uint32_t DecodeUtf8Previous(const char* start, const char*& pos);

// Where `codePoint` occurs in `text`, or null; null for a null text and for the code point 0. Below 0x80
// this is a byte search (strchr): an overlong form of the code point is not found, and a byte that the
// sequence walk would take as a continuation byte is. Above, it is the first sequence of the walk that
// decodes to `codePoint` by the bit rules of DecodeUtf8.
[[nodiscard]] const char* FindCodePoint(const char* text, uint32_t codePoint);

// The UTF-8 bytes of a terminated UTF-16 text, converted by the platform's UTF-8 code page (unpaired
// surrogates become U+FFFD), in a buffer the object owns. Size() counts the bytes with the terminator;
// a null text or a failed conversion leaves the buffer empty: null Data(), Size() 0.
class KTUtf8Buffer {
  public:
    explicit KTUtf8Buffer(const char16_t* text);
    ~KTUtf8Buffer() { delete[] bytes_; }
    KTUtf8Buffer(KTUtf8Buffer&& other) noexcept : bytes_(other.bytes_), size_(other.size_) {
        other.bytes_ = nullptr;
        other.size_ = 0;
    }
    KTUtf8Buffer& operator=(KTUtf8Buffer&& other) noexcept {
        if (this != &other) {
            delete[] bytes_;
            bytes_ = other.bytes_;
            size_ = other.size_;
            other.bytes_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }
    KTUtf8Buffer(const KTUtf8Buffer&) = delete;
    KTUtf8Buffer& operator=(const KTUtf8Buffer&) = delete;

    [[nodiscard]] const char* Data() const { return bytes_; }
    [[nodiscard]] int32_t Size() const { return size_; }

  private:
    char* bytes_ = nullptr;
    int32_t size_ = 0;
};

}  // namespace kt
