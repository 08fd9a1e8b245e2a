// KTCodePointPattern: a pattern text turned into an array of code points, optionally folded to upper case,
// as case-insensitive searches and character-set operations compare them. Up to 255 code points live in
// the object; longer patterns use a heap array.
#pragma once

#include <cstdint>

#include "text/string/text_piece.h"

namespace kt {

template <class Char>
class KTCodePointPattern {
  public:
    static constexpr int32_t InlineRoom = 256;

    explicit KTCodePointPattern(KTTextPiece<Char> text, bool fold = false);
    ~KTCodePointPattern();
    KTCodePointPattern(const KTCodePointPattern&) = delete;
    KTCodePointPattern& operator=(const KTCodePointPattern&) = delete;

    // The code points, terminated by 0.
    [[nodiscard]] const uint32_t* CodePoints() const noexcept { return points_; }
    [[nodiscard]] uint32_t* CodePoints() noexcept { return points_; }
    [[nodiscard]] int32_t Count() const noexcept { return count_; }
    [[nodiscard]] bool IsSingle() const noexcept { return single_; }  // one code point, or none
    [[nodiscard]] bool IsFolded() const noexcept { return folded_; }
    [[nodiscard]] bool IsEmpty() const noexcept { return count_ == 0; }

    // The upper-case folding the pattern uses, for the text it is compared with.
    [[nodiscard]] static uint32_t Fold(uint32_t codePoint) noexcept {
        if (codePoint < 0x80) return codePoint - 'a' < 26u ? codePoint - 0x20 : codePoint;
        return FoldBeyondAscii(codePoint);
    }
    [[nodiscard]] uint32_t Prepare(uint32_t codePoint) const noexcept {
        return folded_ ? Fold(codePoint) : codePoint;
    }
    // Whether `codePoint` (already prepared) is one of the pattern's code points.
    [[nodiscard]] bool Contains(uint32_t codePoint) const noexcept;

  private:
    [[nodiscard]] static uint32_t FoldBeyondAscii(uint32_t codePoint) noexcept;

    uint32_t inline_[InlineRoom];
    uint32_t* points_ = inline_;
    bool onHeap_ = false;
    bool single_ = true;
    bool folded_ = false;
    int32_t count_ = 0;
};

// Decodes the character at `p` (8-bit: one UTF-8 sequence; 16-bit: one unit) and advances `p`.
inline uint32_t NextCharacter(const char*& p) noexcept {
    return DecodeUtf8(p);
}
inline uint32_t NextCharacter(const char16_t*& p) noexcept {
    return *p++;
}

}  // namespace kt
