// KTTextIndex: a flat open-addressing hash index from texts to 32-bit values. It holds the callers' own
// pointers, not copies, so the texts must outlive it (catalogue keys are constant data). Each slot keeps the
// text's hash and length beside the pointer, so that a look-up compares characters only once, on the slot
// that matches both. The table is at most half full: a probe ends at an empty slot within a few steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/string/gcc_bounds.h"

namespace kt {

template <class Char>
class KTTextIndex {
  public:
    KTTextIndex() noexcept = default;
    KTTextIndex(KTTextIndex&& other) noexcept;
    KTTextIndex& operator=(KTTextIndex&& other) noexcept;
    KTTextIndex(const KTTextIndex&) = delete;
    KTTextIndex& operator=(const KTTextIndex&) = delete;
    ~KTTextIndex() { delete[] slots_; }

    // Makes room for `count` texts in all, so that setting them allocates no more. Throws std::bad_alloc
    // (nothing changed) when the table cannot be allocated.
    void Reserve(size_t count);
    // Sets index[text] to `value`, inserting the text or replacing the value stored for an equal one.
    // A null text with length 0 is the empty text. Throws std::bad_alloc with nothing changed.
    void Set(const Char* text, size_t length, int32_t value);

    // The value stored for `text`, or null.
    const int32_t* Find(std::basic_string_view<Char> text) const noexcept {
        if (slots_ == nullptr) return nullptr;
        const uint32_t hash = Hash(text.data(), text.size());
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.text == nullptr) return nullptr;
            if (slot.hash == hash && slot.length == text.size() &&
                SameUnits(slot.text, text.data(), text.size()))
                return &slot.value;
        }
    }
    size_t Size() const noexcept { return size_; }

    // The hash of `length` units at `text`. Their bytes are read in words, and the last word overlaps the one
    // before rather than being read byte by byte; words are combined by a wide multiplication that folds the
    // product's halves together, which spreads every input bit over the low bits that choose a slot.
    static uint32_t Hash(const Char* text, size_t length) noexcept {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text);
        const size_t size = length * sizeof(Char);
        uint64_t seed = 0x243F6A8885A308D3u ^ size;
        uint64_t first, last;
        if (size > 16) {
            const unsigned char* end = bytes + size;
            for (; end - bytes > 16; bytes += 16) seed = Fold(Load64(bytes) ^ Key1, Load64(bytes + 8) ^ seed);
            first = Load64(end - 16);
            last = Load64(end - 8);
        } else if (size >= 8) {
            first = Load64(bytes);
            last = Load64(bytes + size - 8);
        } else if (size >= 4) {
            first = Load32(bytes);
            last = Load32(bytes + size - 4);
        } else {
            first =
                size == 0 ? 0 : bytes[0] | uint64_t{bytes[size / 2]} << 8 | uint64_t{bytes[size - 1]} << 16;
            last = 0;
        }
        const uint64_t hash = Fold(first ^ Key1, last ^ seed ^ Key2);
        return static_cast<uint32_t>(hash ^ hash >> 32);
    }

  private:
    struct Slot {
        const Char* text;  // null: the slot is empty
        size_t length;
        uint32_t hash;
        int32_t value;
    };

    static constexpr uint64_t Key1 = 0xA0761D6478BD642Fu;
    static constexpr uint64_t Key2 = 0xE7037ED1A0B428DBu;

    // The 128-bit product of two words, its halves folded together by exclusive or.
    static uint64_t Fold(uint64_t a, uint64_t b) noexcept {
#ifdef __SIZEOF_INT128__
        __extension__ using Wide = unsigned __int128;
        const Wide product = static_cast<Wide>(a) * b;
        return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
#else
        const uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32, bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
        const uint64_t low = aLow * bLow, middle1 = aHigh * bLow, middle2 = aLow * bHigh,
                       high = aHigh * bHigh;
        const uint64_t carry = ((low >> 32) + (middle1 & 0xFFFFFFFFu) + (middle2 & 0xFFFFFFFFu)) >> 32;
        const uint64_t productLow = low + (middle1 << 32) + (middle2 << 32);
        const uint64_t productHigh = high + (middle1 >> 32) + (middle2 >> 32) + carry;
        return productLow ^ productHigh;
#endif
    }
    // GCC 12 checks the word loads of the branches for longer texts against a short literal's bounds even
    // where the length rules those branches out; the loads read only inside the text.
    KT_BOUNDS_WARNINGS_OFF
    static uint64_t Load64(const unsigned char* bytes) noexcept {
        uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }
    static uint32_t Load32(const unsigned char* bytes) noexcept {
        uint32_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }
    KT_BOUNDS_WARNINGS_ON
    // Whether `length` units at `a` and `b` are equal; compared in words, inline (keys are short).
    static bool SameUnits(const Char* a, const Char* b, size_t length) noexcept {
        const auto* left = reinterpret_cast<const unsigned char*>(a);
        const auto* right = reinterpret_cast<const unsigned char*>(b);
        const size_t size = length * sizeof(Char);
        if (size == 0) return true;  // an empty view may hold a null pointer, which memcmp must not see
        if (size < 8) return std::memcmp(left, right, size) == 0;
        for (size_t at = 0; at + 8 < size; at += 8)
            if (Load64(left + at) != Load64(right + at)) return false;
        return Load64(left + size - 8) == Load64(right + size - 8);
    }

    // Moves every text into a fresh table of `capacity` slots (a power of two).
    void Rehash(size_t capacity);

    Slot* slots_ = nullptr;  // mask_ + 1 slots, or null while the index is empty
    size_t mask_ = 0;
    size_t size_ = 0;
};

extern template class KTTextIndex<char>;
extern template class KTTextIndex<char16_t>;

}  // namespace kt
