#include "text/string/text_index.h"

#include <new>
#include <utility>

namespace kt {

namespace {

// Slots for `count` texts at most half full: a power of two, at least 8.
size_t CapacityFor(size_t count) {
    if (count > (SIZE_MAX >> 2)) throw std::bad_alloc();
    size_t capacity = 8;
    while (capacity < 2 * count) capacity *= 2;
    return capacity;
}

}  // namespace

template <class Char>
KTTextIndex<Char>::KTTextIndex(KTTextIndex&& other) noexcept
    : slots_(std::exchange(other.slots_, nullptr)),
      mask_(std::exchange(other.mask_, 0)),
      size_(std::exchange(other.size_, 0)) {}

template <class Char>
KTTextIndex<Char>& KTTextIndex<Char>::operator=(KTTextIndex&& other) noexcept {
    if (this != &other) {
        delete[] slots_;
        slots_ = std::exchange(other.slots_, nullptr);
        mask_ = std::exchange(other.mask_, 0);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

template <class Char>
void KTTextIndex<Char>::Reserve(size_t count) {
    const size_t capacity = CapacityFor(count);
    if (slots_ == nullptr || capacity > mask_ + 1) Rehash(capacity);
}

template <class Char>
void KTTextIndex<Char>::Set(const Char* text, size_t length, int32_t value) {
    static constexpr Char empty[1] = {};
    if (text == nullptr) text = empty;  // a null pointer marks an empty slot
    if (slots_ == nullptr || 2 * (size_ + 1) > mask_ + 1) Reserve(size_ + 1);
    const uint32_t hash = Hash(text, length);
    size_t at = hash & mask_;
    for (; slots_[at].text != nullptr; at = (at + 1) & mask_) {
        Slot& slot = slots_[at];
        if (slot.hash == hash && slot.length == length &&
            std::memcmp(slot.text, text, length * sizeof(Char)) == 0) {
            slot.value = value;
            return;
        }
    }
    slots_[at] = {text, length, hash, value};
    ++size_;
}

template <class Char>
void KTTextIndex<Char>::Rehash(size_t capacity) {
    if (capacity > SIZE_MAX / sizeof(Slot)) throw std::bad_alloc();
    Slot* fresh = new Slot[capacity]();
    const size_t mask = capacity - 1;
    for (size_t i = 0; slots_ != nullptr && i <= mask_; ++i) {
        if (slots_[i].text == nullptr) continue;
        size_t at = slots_[i].hash & mask;
        while (fresh[at].text != nullptr) at = (at + 1) & mask;
        fresh[at] = slots_[i];
    }
    delete[] slots_;
    slots_ = fresh;
    mask_ = mask;
}

template class KTTextIndex<char>;
template class KTTextIndex<char16_t>;

}  // namespace kt
