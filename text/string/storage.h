// The four storage modes of KTString. Each mode is a small struct that holds the object's members and
// supplies the few steps in which the modes differ: where the length is cached, how capacity is obtained,
// how a block is given up, and what must happen before the first write (unshare, take ownership).
// Everything else is written once in KTStringT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/string/gcc_bounds.h"
#include "text/string/string_block.h"

namespace kt {

// Options of Reserve.
inline constexpr unsigned Exact = 1;      // reallocate to exactly the new capacity, also to shrink
inline constexpr unsigned Terminate = 2;  // write a terminator (at 0 for a fresh block, else at the capacity)
inline constexpr unsigned Preserve = 4;   // keep the contents and the cached length

namespace detail {

// Steps for strings that own their block alone: the unique and inline modes, and borrowed strings
// once they own their characters. `slot` is the object's data pointer; an inline buffer, when the
// block says there is one, lies directly behind it (short header, then the characters).
template <class Char>
struct OwnedBlock {
    // GCC (32-bit) follows this into objects without an inline buffer, on paths that never reach it.
    KT_BOUNDS_WARNINGS_OFF
    static Char* InlineChars(Char** slot) {
        return reinterpret_cast<Char*>(reinterpret_cast<unsigned char*>(slot + 1) + ShortHeaderSize);
    }
    KT_BOUNDS_WARNINGS_ON

    static void Reserve(Char** slot, int32_t newCapacity, unsigned options) {
        Char* data = *slot;
        if (newCapacity <= 0) {
            if (options & Exact) Empty(slot);
            if ((options & Terminate) && !IsNullData(*slot)) {
                (*slot)[0] = 0;
                block::StoreLength(*slot, 0);
            }
            return;
        }
        if (IsNullData(data)) {
            *slot = block::Allocate<Char>(newCapacity);
            if (options & (Terminate | Preserve)) {
                (*slot)[0] = 0;
                block::StoreLength(*slot, 0);
            }
            return;
        }
        int32_t capacity = block::Capacity(data);
        int32_t cachedLength = block::CachedLength(data);
        if (newCapacity <= capacity && (!(options & Exact) || newCapacity == capacity)) return;

        uint16_t flags = block::Flags(data);
        bool freeOld = !(flags & NotOwned);
        Char* fresh;
        if (flags & InlineCapable) {
            Char* inlineChars = InlineChars(slot);
            if (newCapacity <= block::Capacity(inlineChars)) {
                if (data == inlineChars) return;
                fresh = inlineChars;
                block::MarkLengthNotCached(fresh);
            } else {
                fresh = block::Allocate<Char>(newCapacity);
                block::SetFlags(fresh, InlineCapable);
            }
        } else {
            fresh = block::Allocate<Char>(newCapacity);
        }
        if (options & Preserve) {
            int32_t keep = capacity < newCapacity ? capacity : newCapacity;
            std::memcpy(fresh, data, (static_cast<size_t>(keep) + 1) * sizeof(Char));
            if (cachedLength >= 0 && cachedLength <= newCapacity) block::StoreLength(fresh, cachedLength);
        }
        *slot = fresh;
        if (freeOld) block::Free(data);
        if (options & Terminate) fresh[newCapacity] = 0;
    }

    static void Empty(Char** slot) {
        Char* data = *slot;
        if (IsNullData(data)) return;
        uint16_t flags = block::Flags(data);
        if (flags & InlineCapable) {
            if (!(flags & NotOwned)) {
                block::Free(data);
                *slot = InlineChars(slot);
            }
            (*slot)[0] = 0;
            block::StoreLength(*slot, 0);
        } else {
            block::Free(data);
            *slot = TNullData<Char>::Data();
        }
    }

    static void Release(Char* data) noexcept {
        if (!IsNullData(data) && !(block::Flags(data) & NotOwned)) block::Free(data);
    }

    static void Clear(Char* data) {
        if (IsNullData(data)) return;
        data[0] = 0;
        block::StoreLength(data, 0);
    }
};

// Steps shared by every mode whose length cache lives in the block header.
template <class Char>
struct HeaderLength {
    static int32_t Cached(const Char* data) { return block::CachedLength(data); }
    // A negative length forgets the cached one.
    static void Store(Char* data, int32_t length) {
        if (IsNullData(data)) return;
        if (length < 0)
            block::MarkLengthNotCached(data);
        else
            block::StoreLength(data, length);
    }
};

}  // namespace detail

// The steps of the modes whose object owns its block alone (unique and inline); the derived struct holds
// the data pointer. No data members here, so the derived layouts stay standard.
template <class Derived, class Char>
struct OwnedSteps {
    int32_t CachedLength() const { return detail::HeaderLength<Char>::Cached(Data()); }
    void CacheLength(int32_t length) { detail::HeaderLength<Char>::Store(Data(), length); }
    int32_t CurrentCapacity() const { return block::Capacity(Data()); }
    void MakeWritable() {}
    void ReserveBlock(int32_t capacity, unsigned options) {
        detail::OwnedBlock<Char>::Reserve(&Self().data_, capacity, options);
    }
    void EnsureBlock(int32_t capacity, bool keep) {
        if (capacity > CurrentCapacity()) ReserveBlock(capacity, keep ? Preserve : 0);
    }
    void DropStorage() { detail::OwnedBlock<Char>::Empty(&Self().data_); }
    void ClearContents() { detail::OwnedBlock<Char>::Clear(Data()); }
    void ReleaseStorage() noexcept { detail::OwnedBlock<Char>::Release(Data()); }

  private:
    Derived& Self() { return static_cast<Derived&>(*this); }
    Char* Data() const { return static_cast<const Derived&>(*this).data_; }
};

// KTString: the object owns its block alone; copies are deep.
template <class Char>
struct UniqueStorage : OwnedSteps<UniqueStorage<Char>, Char> {
    Char* data_ = TNullData<Char>::Data();

    static constexpr bool MoveTakesBlock = true;
    constexpr UniqueStorage() noexcept = default;
    void AdoptBlock(Char* data) { data_ = data; }
    // Only inline strings have inline-capable blocks, so a unique string's block can always be taken.
    bool CanTakeBlockOf(const UniqueStorage&) const { return true; }
    void TakeBlockOf(UniqueStorage& other) noexcept {
        data_ = other.data_;
        other.data_ = TNullData<Char>::Data();
    }
};

// The member order KTStringInline relies on: its operations find the inline buffer behind the data pointer,
// so the inline header must follow the pointer without a gap, and the characters the header. `value` is
// false for a layout that breaks it; every KTStringInline's constructor asserts it at compile time, with
// the message "KTStringInline_TVerifyMemberPlacement failed!".
template <class Layout>
struct TVerifyMemberPlacement {
    static constexpr bool value = offsetof(Layout, data_) == 0 &&
                                  offsetof(Layout, inlineHeader_) == sizeof(void*) &&
                                  offsetof(Layout, inlineChars_) == sizeof(void*) + ShortHeaderSize;
};

// KTStringInline: the data pointer, then at once a short header and N + 1 inline characters.
// The operations find the inline buffer behind the data pointer, so they are not instantiated per N.
template <class Char, int32_t N>
struct InlineStorage : OwnedSteps<InlineStorage<Char, N>, Char> {
    static_assert(N >= 1 && N <= MaxShortCapacity, "inline capacity must fit a short header");

    static constexpr bool MoveTakesBlock = false;

    Char* data_;
    unsigned char inlineHeader_[ShortHeaderSize];
    Char inlineChars_[N + 1];

    InlineStorage() noexcept : data_(inlineChars_) {
        static_assert(TVerifyMemberPlacement<InlineStorage>::value,
                      "KTStringInline_TVerifyMemberPlacement failed!");
        block::SetWord(inlineChars_, 4, static_cast<uint16_t>(N));
        block::SetFlags(inlineChars_, InlineCapable | NotOwned);
        block::SetWord(inlineChars_, 6, 0);
        inlineChars_[0] = 0;
    }
    InlineStorage(const InlineStorage&) = delete;
    InlineStorage& operator=(const InlineStorage&) = delete;

    void AdoptBlock(Char* data) {
        block::SetFlags(data, InlineCapable);
        data_ = data;
    }
    // A block made for an inline string belongs with that object's buffer: moving copies instead.
    bool CanTakeBlockOf(const InlineStorage&) const { return false; }
    void TakeBlockOf(InlineStorage&) noexcept {}
};

// KTStringShared: several objects may hold one block; the flags word counts the holders besides the first.
template <class Char>
struct SharedStorage {
    Char* data_ = TNullData<Char>::Data();

    static constexpr bool MoveTakesBlock = true;
    constexpr SharedStorage() noexcept = default;
    uint16_t Holders() const { return block::Flags(data_); }

    int32_t CachedLength() const { return detail::HeaderLength<Char>::Cached(data_); }
    void CacheLength(int32_t length) { detail::HeaderLength<Char>::Store(data_, length); }
    int32_t CurrentCapacity() const { return block::Capacity(data_); }
    void AdoptBlock(Char* data) { data_ = data; }

    // The holders word counts at most this many further holders.
    static constexpr uint16_t MaxHolders = 0xFFFF;

    // Becomes one more holder of `other`'s block. False, with nothing changed, when the count is full: the
    // caller then copies, since a count that wrapped to 0 would let one release free a block others hold.
    [[nodiscard]] bool Share(const SharedStorage& other) noexcept {
        if (!IsNullData(other.data_) && block::Flags(other.data_) == MaxHolders) return false;
        data_ = other.data_;
        if (!IsNullData(data_)) block::SetFlags(data_, static_cast<uint16_t>(Holders() + 1));
        return true;
    }
    void ReleaseHold() noexcept {
        if (IsNullData(data_)) return;
        uint16_t holders = Holders();
        if (holders > 0)
            block::SetFlags(data_, static_cast<uint16_t>(holders - 1));
        else
            block::Free(data_);
    }
    // Gives this object a block of its own of `capacity` units holding a copy of the shared one.
    void Unshare(int32_t capacity) {
        Char* old = data_;
        if (capacity < 1) {
            ReleaseHold();
            data_ = TNullData<Char>::Data();
            return;
        }
        Char* fresh = block::Allocate<Char>(capacity);
        int32_t oldCapacity = block::Capacity(old);
        int32_t copy = oldCapacity < capacity ? oldCapacity : capacity;
        std::memcpy(fresh, old, (static_cast<size_t>(copy) + 1) * sizeof(Char));
        int32_t length = block::CachedLength(old);
        if (length >= 0 && length <= capacity) block::StoreLength(fresh, length);
        ReleaseHold();
        data_ = fresh;
    }
    void MakeWritable() {
        if (!IsNullData(data_) && Holders() > 0) Unshare(CurrentCapacity());
    }
    void ReserveBlock(int32_t capacity, unsigned options) {
        int32_t current = CurrentCapacity();
        if (!(options & Preserve)) {
            if (capacity <= current && Holders() == 0) return;
            // Allocate before letting go, so that a failed allocation leaves the string as it was.
            Char* fresh = capacity < 1 ? TNullData<Char>::Data() : block::Allocate<Char>(capacity);
            ReleaseHold();
            data_ = fresh;
            return;
        }
        if (capacity > current) {
            Char* fresh = block::Allocate<Char>(capacity);
            std::memcpy(fresh, data_, (static_cast<size_t>(current) + 1) * sizeof(Char));
            int32_t length = block::CachedLength(data_);
            if (length >= 0) block::StoreLength(fresh, length);
            ReleaseHold();
            data_ = fresh;
        } else if (Holders() > 0) {
            Unshare(current);
        }
    }
    void EnsureBlock(int32_t capacity, bool keep) {
        if (capacity > CurrentCapacity() || (!IsNullData(data_) && Holders() > 0))
            ReserveBlock(capacity, keep ? Preserve : 0);
    }
    void DropStorage() {
        ReleaseHold();
        data_ = TNullData<Char>::Data();
    }
    void ClearContents() {
        if (IsNullData(data_)) return;
        if (Holders() > 0) {
            DropStorage();
            return;
        }
        data_[0] = 0;
        block::StoreLength(data_, 0);
    }
    void ReleaseStorage() noexcept { ReleaseHold(); }
    bool CanTakeBlockOf(const SharedStorage&) const { return true; }
    void TakeBlockOf(SharedStorage& other) noexcept {
        data_ = other.data_;
        other.data_ = TNullData<Char>::Data();
    }
};

// KTStringBorrowed: starts on foreign terminated characters without a header; the length is cached in the
// object until the first write copies the characters into a block of its own.
template <class Char>
struct BorrowedStorage {
    Char* data_ = TNullData<Char>::Data();
    uint8_t owned_ = 1;
    int32_t length_ = -1;

    static constexpr bool MoveTakesBlock = true;
    constexpr BorrowedStorage() noexcept = default;
    bool Owned() const { return owned_ != 0; }

    int32_t CachedLength() const {
        return owned_ ? detail::HeaderLength<Char>::Cached(data_) : (length_ >= 0 ? length_ : -1);
    }
    void CacheLength(int32_t length) {
        if (owned_)
            detail::HeaderLength<Char>::Store(data_, length);
        else
            length_ = length < 0 ? -1 : length;
    }
    // Foreign characters offer no capacity of their own.
    int32_t CurrentCapacity() const { return owned_ ? block::Capacity(data_) : 0; }
    void AdoptBlock(Char* data) {
        data_ = data;
        owned_ = 1;
    }
    void Borrow(const Char* text) {
        if (text == nullptr) return;
        data_ =
            const_cast<Char*>(text);  // written only through _SetStringEnd, as the borrowing contract says
        owned_ = 0;
        length_ = -1;
    }
    void MakeWritable() {
        if (owned_) return;
        int32_t length = length_;
        if (length < 0)
            for (length = 0; data_[length] != 0;) ++length;
        Char* fresh = TNullData<Char>::Data();
        if (length > 0) {
            fresh = block::Allocate<Char>(length);
            std::memcpy(fresh, data_, static_cast<size_t>(length) * sizeof(Char));
            fresh[length] = 0;
            block::StoreLength(fresh, length);
        }
        data_ = fresh;
        owned_ = 1;
        length_ = -1;
    }
    void ReserveBlock(int32_t capacity, unsigned options) {
        MakeWritable();
        detail::OwnedBlock<Char>::Reserve(&data_, capacity, options);
    }
    void EnsureBlock(int32_t capacity, bool keep) {
        MakeWritable();
        if (capacity > CurrentCapacity()) ReserveBlock(capacity, keep ? Preserve : 0);
    }
    void DropStorage() {
        if (owned_) detail::OwnedBlock<Char>::Release(data_);
        data_ = TNullData<Char>::Data();
        owned_ = 1;
        length_ = -1;
    }
    void ClearContents() {
        MakeWritable();
        detail::OwnedBlock<Char>::Clear(data_);
    }
    void ReleaseStorage() noexcept {
        if (owned_) detail::OwnedBlock<Char>::Release(data_);
    }
    bool CanTakeBlockOf(const BorrowedStorage&) const { return true; }
    void TakeBlockOf(BorrowedStorage& other) noexcept {
        data_ = other.data_;
        owned_ = other.owned_;
        length_ = other.length_;
        other.data_ = TNullData<Char>::Data();
        other.owned_ = 1;
        other.length_ = -1;
    }
};

}  // namespace kt
