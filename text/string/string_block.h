// The storage block behind every KTString: a small header directly in front of the characters.
//
// Short header (capacity <= 32767), 6 bytes:      Long header (capacity > 32767), 10 bytes:
//   -6 length (0x8000: not cached)                  -10 length, low word of the negated value
//   -4 capacity                                      -8 capacity, low word of the negated value
//   -2 flags / holders                               -6 length, high word (0x8000: not cached)
//                                                    -4 capacity, high word (always negative)
//                                                    -2 flags / holders
// All words are little-endian 16-bit values. This file is the only place that touches header bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include "text/string/gcc_bounds.h"
#include "text/support/kt_assert.h"

namespace kt {

// Header word values of the length and the flags word.
inline constexpr uint16_t LengthNotCached = 0x8000;
inline constexpr uint16_t InlineCapable = 1;  // the owning object has an inline buffer
inline constexpr uint16_t NotOwned = 2;       // the storage must never be freed (the inline buffer)

// Counts meaning "up to the end" are never converted between characters and bytes.
inline constexpr int32_t ToEnd = 0x7FFFFFFF;

inline constexpr int32_t ShortHeaderSize = 6;
inline constexpr int32_t LongHeaderSize = 10;
inline constexpr int32_t MaxShortCapacity = 0x7FFF;

// The shared empty value of each width: a short header of zeros followed by one zero unit.
// It is never written and never freed; every writer compares against it first.
extern char TNullData8[ShortHeaderSize + 1];
extern char16_t TNullData16[ShortHeaderSize / 2 + 1];

template <class Char>
struct TNullData;
template <>
struct TNullData<char> {
    [[nodiscard]] static constexpr char* Data() { return TNullData8 + ShortHeaderSize; }
    [[nodiscard]] static constexpr char* Block() { return TNullData8; }
    static constexpr size_t BlockUnits = sizeof(TNullData8);
};
template <>
struct TNullData<char16_t> {
    [[nodiscard]] static constexpr char16_t* Data() { return TNullData16 + ShortHeaderSize / 2; }
    [[nodiscard]] static constexpr char16_t* Block() { return TNullData16; }
    static constexpr size_t BlockUnits = sizeof(TNullData16) / sizeof(char16_t);
};

template <class Char>
[[nodiscard]] constexpr bool IsNullData(const Char* data) {
    return data == TNullData<Char>::Data();
}

// Throws std::logic_error when any unit of the width's empty block is not zero. The block can be
// given for tests; by default it is the real one.
template <class Char>
void VerifyNullData(const Char* block = TNullData<Char>::Block(), size_t units = TNullData<Char>::BlockUnits);

namespace block {

// The header lies in front of the data pointer, outside the object GCC thinks the pointer points into
// (the shared empty value, a string object's inline buffer).
KT_BOUNDS_WARNINGS_OFF
[[nodiscard]] inline uint16_t Word(const void* data, int distance) {
    const auto* p = static_cast<const unsigned char*>(data) - distance;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline void SetWord(void* data, int distance, uint16_t value) {
    auto* p = static_cast<unsigned char*>(data) - distance;
    p[0] = static_cast<unsigned char>(value & 0xFF);
    p[1] = static_cast<unsigned char>(value >> 8);
}
KT_BOUNDS_WARNINGS_ON
[[nodiscard]] inline int16_t SignedWord(const void* data, int distance) {
    return static_cast<int16_t>(Word(data, distance));
}

[[nodiscard]] inline bool IsLong(const void* data) {
    return SignedWord(data, 4) < 0;
}
[[nodiscard]] inline int32_t HeaderSize(const void* data) {
    return IsLong(data) ? LongHeaderSize : ShortHeaderSize;
}

inline int32_t Negated(uint16_t high, uint16_t low) {
    return static_cast<int32_t>(0u - ((static_cast<uint32_t>(high) << 16) | low));
}

[[nodiscard]] inline int32_t Capacity(const void* data) {
    int16_t high = SignedWord(data, 4);
    if (high >= 0) return high;
    return Negated(static_cast<uint16_t>(high), Word(data, 8));
}

// The cached length, or -1 when it is not cached.
[[nodiscard]] inline int32_t CachedLength(const void* data) {
    int16_t high = SignedWord(data, 6);
    if (high >= 0) return high;
    if (static_cast<uint16_t>(high) == LengthNotCached) return -1;
    int32_t length = Negated(static_cast<uint16_t>(high), Word(data, 10));
    return length >= 0 ? length : -1;
}

// Stores a length in the form the capacity word dictates (long blocks store even small lengths negated).
// Every writer of a length comes through here, so this is where a block's length <= capacity is checked.
inline void StoreLength(void* data, int32_t length) {
    KT_ASSERT(0 <= length && length <= Capacity(data));
    if (!IsLong(data)) {
        SetWord(data, 6, static_cast<uint16_t>(length));
        return;
    }
    uint32_t negated = 0u - static_cast<uint32_t>(length);
    SetWord(data, 6, static_cast<uint16_t>(negated >> 16));
    SetWord(data, 10, static_cast<uint16_t>(negated & 0xFFFF));
}

inline void MarkLengthNotCached(void* data) {
    SetWord(data, 6, LengthNotCached);
}

[[nodiscard]] inline uint16_t Flags(const void* data) {
    return Word(data, 2);
}
inline void SetFlags(void* data, uint16_t flags) {
    SetWord(data, 2, flags);
}

// Writes a fresh header for `capacity` directly in front of `data`: flags 0, length not cached.
inline void InitHeader(void* data, int32_t capacity) {
    if (capacity <= MaxShortCapacity) {
        SetWord(data, 4, static_cast<uint16_t>(capacity));
        SetWord(data, 6, LengthNotCached);
    } else {
        uint32_t negated = 0u - static_cast<uint32_t>(capacity);
        SetWord(data, 4, static_cast<uint16_t>(negated >> 16));
        SetWord(data, 8, static_cast<uint16_t>(negated & 0xFFFF));
        SetWord(data, 6, LengthNotCached);
        SetWord(data, 10, 0);
    }
    SetFlags(data, 0);
}

// Bytes of a block: header + (capacity + 1) units, saturating so that an overflow fails to allocate.
template <class Char>
[[nodiscard]] size_t AllocationSize(int32_t capacity) {
    size_t header = capacity <= MaxShortCapacity ? ShortHeaderSize : LongHeaderSize;
    size_t units = static_cast<size_t>(capacity) + 1;
    constexpr size_t max = std::numeric_limits<size_t>::max();
    if (units > (max - header) / sizeof(Char)) return max;
    return header + units * sizeof(Char);
}

// Allocates a block with the array form of operator new; returns its data pointer. The non-throwing form
// lets a failed allocation reach the string type's own error (std::runtime_error) instead of leaving as
// std::bad_alloc; a size beyond the address space (saturated above) is std::bad_array_new_length.
template <class Char>
[[nodiscard]] Char* Allocate(int32_t capacity) {
    const size_t size = AllocationSize<Char>(capacity);
    if (size == std::numeric_limits<size_t>::max()) throw std::bad_array_new_length();
    unsigned char* raw = new (std::nothrow) unsigned char[size];
    if (raw == nullptr) throw std::runtime_error("KTString::_AllocateStorage out of memory!");
    int32_t header = capacity <= MaxShortCapacity ? ShortHeaderSize : LongHeaderSize;
    Char* data = reinterpret_cast<Char*>(raw + header);
    InitHeader(data, capacity);
    return data;
}

// Frees a block allocated by Allocate; the header size follows from the capacity word.
template <class Char>
void Free(Char* data) {
    unsigned char* raw = reinterpret_cast<unsigned char*>(data) - HeaderSize(data);
    delete[] raw;
}

}  // namespace block
}  // namespace kt
