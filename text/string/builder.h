// KTStringBuilder appends pieces to a target string with amortised growth: by doubling with a floor of 1024
// units, or, with a growth increment, to exactly the needed size plus the increment. After every append
// the target is terminated and its length is not cached; the builder's position says how much was written.
//
// It also measures: in counting mode only the position advances. The two-pass protocol runs the same
// appends twice, the first time counting and the second writing into a target grown once:
//
//     KTStringBuilder builder(target);
//     while (builder.NextPass()) builder.Append(a).Append(b).AppendCodePoint(cp);
//
// While a builder writes, the target is changed only through it: the builder keeps the block's address and
// capacity between appends (only sharing a KTStringShared target's block is noticed, and unshares it).
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

#include "text/string/kt_string.h"
#include "text/support/kt_assert.h"

namespace kt {

template <class Char, class Storage>
class KTStringBuilder {
  public:
    using Target = KTStringT<Char, Storage>;

    // Starts at the end of the target's contents, in writing mode.
    explicit KTStringBuilder(Target& target, uint32_t growthIncrement = 0)
        : target_(&target),
          start_(static_cast<uint32_t>(target.Length())),
          position_(start_),
          growthIncrement_(growthIncrement) {}

    // `count` units of `text`; a negative count takes it up to the terminator, a null text is empty.
    KTStringBuilder& Append(const Char* text, int32_t count) {
        if (text == nullptr) return *this;
        return AppendUnits(text, count < 0 ? detail::TextLength(text) : static_cast<size_t>(count));
    }
    KTStringBuilder& Append(const Char* text) {
        return text == nullptr ? *this : AppendUnits(text, detail::TextLength(text));
    }
    template <class OtherStorage>
    KTStringBuilder& Append(const KTStringT<Char, OtherStorage>& text) {
        return AppendUnits(text.Data(), static_cast<size_t>(text.Length()));
    }
    // One code unit. A 16-bit builder takes an 8-bit character as Latin-1 (0xE9 is U+00E9), as string
    // assignment does.
    KTStringBuilder& Append(char unit) {
        const Char value = static_cast<Char>(static_cast<unsigned char>(unit));
        return AppendUnits(&value, 1);
    }
    KTStringBuilder& Append(char16_t unit) requires std::is_same_v<Char, char16_t> {
        return AppendUnits(&unit, 1);
    }
    // A code point as UTF-8 (8-bit) or UTF-16 (16-bit); U+0000 adds one zero unit, which ends the target's
    // text for a length query while the position counts on. Only code points the encoder refuses
    // (surrogates, above U+10FFFF) add nothing, in both modes.
    KTStringBuilder& AppendCodePoint(uint32_t codePoint) {
        Char units[4];
        const int count = detail::EncodeCodePoint(units, codePoint);
        return AppendUnits(units, static_cast<size_t>(count));
    }

    // Steps the two-pass protocol: the first call switches to counting and returns true; the second grows
    // the target to exactly the counted size (keeping its contents), switches to writing, rewinds to the
    // start and returns true; every later call returns false.
    [[nodiscard]] bool NextPass() {
        if (pass_ >= 2) return false;
        ++pass_;
        if (pass_ == 1) {
            writing_ = 0;
            capacity_ = 0;
            return true;
        }
        writing_ = 1;
        target_->EnsureCapacity(static_cast<int32_t>(position_), true);
        position_ = start_;
        CacheBlock();  // grown, unshared or owned: writable
        KT_ASSERT(position_ <= static_cast<uint32_t>(target_->Capacity()));
        return true;
    }

    [[nodiscard]] uint32_t Position() const { return position_; }
    [[nodiscard]] uint32_t StartPosition() const { return start_; }
    [[nodiscard]] bool Writing() const { return writing_ != 0; }
    Target& GetTarget() const { return *target_; }

  private:
    KTStringBuilder& AppendUnits(const Char* units, size_t count) {
        if (count == 0) return *this;
        // The fast path: room in the cached block (never in counting mode, whose cached capacity is 0).
        // Read into locals and written back once: the stores of units could alias the members otherwise.
        const uint32_t at = position_;
        Char* const data = data_;
        if (uint64_t{at} + count <= capacity_ && !HasOtherHolders()) {
            const auto end = static_cast<uint32_t>(at + count);
            MoveUnits(data + at, units, count);
            data[end] = 0;
            block::MarkLengthNotCached(data);
            position_ = end;
            KT_ASSERT(position_ <= capacity_);
            return *this;
        }
        if (count > static_cast<size_t>(ToEnd) - at) detail::ThrowTooLong();
        const auto needed = static_cast<uint32_t>(at + count);
        if (writing_) {
            const CachedBlock block = WriteGrowing(*target_, at, GrownCapacity(needed), units, count);
            data_ = block.data;
            capacity_ = block.capacity;
        }
        position_ = needed;
        return *this;
    }

    struct CachedBlock {
        Char* data;
        uint32_t capacity;
    };
    // The append that grows or unshares the target first. Static and out of line, so that no call takes
    // the builder's address: the compiler may then keep its position and block in registers across a
    // loop of appends, where an escaped builder would store and reload them at every append.
    [[gnu::noinline]] static CachedBlock WriteGrowing(Target& target, uint32_t at, int32_t grownCapacity,
                                                      const Char* units, size_t count) {
        const auto needed = static_cast<uint32_t>(at + count);
        if (needed > static_cast<uint32_t>(target.Capacity())) {
            // The units may lie in the target's own block, which growing frees.
            const Char* data = target.Data();
            const bool inTarget = !target.IsNull() && std::less_equal<const Char*>()(data, units) &&
                                  std::less<const Char*>()(units, data + target.Capacity() + 1);
            const ptrdiff_t offset = units - (inTarget ? data : units);
            target.Reserve(grownCapacity, Preserve);
            if (inTarget) units = target.Data() + offset;
        } else {
            target.MakeWritable();
        }
        Char* data = target.Data();
        std::memmove(data + at, units, count * sizeof(Char));
        data[needed] = 0;
        target._MarkLengthNotCached();
        KT_ASSERT(needed <= static_cast<uint32_t>(target.Capacity()));
        return {data, static_cast<uint32_t>(target.Capacity())};
    }

    // memmove, with pieces of up to 16 bytes moved inline: every byte is loaded before any is stored, so
    // the units may overlap the destination (a target appended to itself).
    // GCC 12 follows a piece of known small size (a short standard string's own buffer, an encoded code
    // point) into branches such a piece never takes, and reports reading past it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overread"
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    static void MoveUnits(Char* to, const Char* from, size_t count) {
        const size_t size = count * sizeof(Char);
        auto* out = reinterpret_cast<unsigned char*>(to);
        const auto* in = reinterpret_cast<const unsigned char*>(from);
        if (size > 16) {
            std::memmove(out, in, size);
        } else if (size >= 8) {
            MoveEnds<uint64_t>(out, in, size);
        } else if (size >= 4) {
            MoveEnds<uint32_t>(out, in, size);
        } else if (size >= 2) {
            MoveEnds<uint16_t>(out, in, size);
        } else {
            *out = *in;
        }
    }
    // The first and the last word of `size` bytes (from 1 to 2 words), which overlap unless size is 2 words.
    template <class Word>
    static void MoveEnds(unsigned char* out, const unsigned char* in, size_t size) {
        Word first, last;
        std::memcpy(&first, in, sizeof(Word));
        std::memcpy(&last, in + size - sizeof(Word), sizeof(Word));
        std::memcpy(out, &first, sizeof(Word));
        std::memcpy(out + size - sizeof(Word), &last, sizeof(Word));
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

    // Keeps the target's block and capacity for the fast path; call only where the block is writable.
    void CacheBlock() {
        data_ = target_->Data();
        capacity_ = static_cast<uint32_t>(target_->Capacity());
    }
    // A shared target's block may have gained holders since the last append; others hold theirs alone.
    bool HasOtherHolders() const {
        if constexpr (std::is_same_v<Storage, SharedStorage<Char>>)
            return block::Flags(data_) != 0;
        else
            return false;
    }

    int32_t GrownCapacity(uint32_t needed) const {
        uint64_t grown = growthIncrement_ != 0 ? uint64_t{needed} + growthIncrement_
                                               : (needed > 512 ? uint64_t{needed} * 2 : 1024);
        return static_cast<int32_t>(grown < static_cast<uint64_t>(ToEnd) ? grown : ToEnd);
    }

    Target* target_;
    uint32_t start_;
    uint32_t position_;
    uint32_t growthIncrement_;
    uint8_t writing_ = 1;
    int8_t pass_ = 0;
    // The target's block and capacity as the last growing append or NextPass left them; a capacity of 0
    // sends every append through WriteGrowing (before the first write, and in counting mode).
    Char* data_ = nullptr;
    uint32_t capacity_ = 0;
};

template <class Char, class Storage>
KTStringBuilder(KTStringT<Char, Storage>&) -> KTStringBuilder<Char, Storage>;
template <class Char, class Storage>
KTStringBuilder(KTStringT<Char, Storage>&, uint32_t) -> KTStringBuilder<Char, Storage>;

}  // namespace kt
