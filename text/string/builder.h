// KTStringBuilder appends pieces to a target string with amortised growth: by doubling with a floor of 1024
// units, or, with a growth increment, to exactly the needed size plus the increment. After every append
// the target is terminated and its length is not cached; the builder's position says how much was written.
//
// It also measures: in counting mode only the position advances. The two-pass protocol runs the same
// appends twice, the first time counting and the second writing into a target grown once:
//
//     KTStringBuilder builder(target);
//     while (builder.NextPass()) builder.Append(a).Append(b).AppendCodePoint(cp);
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
            return true;
        }
        writing_ = 1;
        target_->EnsureCapacity(static_cast<int32_t>(position_), true);
        position_ = start_;
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
        if (count > static_cast<size_t>(ToEnd) - position_) detail::ThrowTooLong();
        const auto needed = static_cast<uint32_t>(position_ + count);
        if (!writing_) {
            position_ = needed;
            return *this;
        }
        if (needed > static_cast<uint32_t>(target_->Capacity())) {
            // The units may lie in the target's own block, which growing frees.
            const Char* data = target_->Data();
            const bool inTarget = !target_->IsNull() && std::less_equal<const Char*>()(data, units) &&
                                  std::less<const Char*>()(units, data + target_->Capacity() + 1);
            const ptrdiff_t offset = units - (inTarget ? data : units);
            target_->Reserve(GrownCapacity(needed), Preserve);
            if (inTarget) units = target_->Data() + offset;
        } else {
            target_->MakeWritable();
        }
        Char* data = target_->Data();
        std::memmove(data + position_, units, count * sizeof(Char));
        position_ = needed;
        data[position_] = 0;
        target_->_MarkLengthNotCached();
        KT_ASSERT(position_ <= static_cast<uint32_t>(target_->Capacity()));
        return *this;
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
};

template <class Char, class Storage>
KTStringBuilder(KTStringT<Char, Storage>&) -> KTStringBuilder<Char, Storage>;
template <class Char, class Storage>
KTStringBuilder(KTStringT<Char, Storage>&, uint32_t) -> KTStringBuilder<Char, Storage>;

}  // namespace kt
