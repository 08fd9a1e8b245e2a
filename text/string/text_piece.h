// KTTextPiece: the second text of a string operation, in whatever form the caller has it: a terminated
// array (null reads as the empty text), a KTString of any storage mode, a string view, a concatenation
// expression (materialised into its result cache, which lives as long as the expression), or an explicit
// pointer and count (a negative count means up to the terminator).
#pragma once

#include <cstdint>
#include <string_view>

#include "text/string/concat.h"
#include "text/string/kt_string.h"

namespace kt {

template <class Char>
class KTTextPiece {
  public:
    constexpr KTTextPiece() noexcept = default;
    KTTextPiece(const Char* text) noexcept  // NOLINT: implicit on purpose, like the array it stands for
        : data_(text ? text : TNullData<Char>::Data()), length_(text ? Measure(text) : 0) {}
    KTTextPiece(const Char* text, int32_t count) noexcept
        : data_(text ? text : TNullData<Char>::Data()),
          length_(!text       ? 0
                  : count < 0 ? Measure(text)
                              : count) {}
    KTTextPiece(std::basic_string_view<Char> view) noexcept  // NOLINT
        : data_(view.data() ? view.data() : TNullData<Char>::Data()),
          length_(static_cast<int32_t>(view.size())) {}
    template <class Storage>
    KTTextPiece(const KTStringT<Char, Storage>& text)  // NOLINT
        : data_(text.Data()), length_(text.Length()) {}

    KTTextPiece(const KTConcat<Char>& expression)  // NOLINT
        : data_(expression.Data()), length_(expression.Length()) {}

    [[nodiscard]] const Char* Data() const noexcept { return data_; }
    [[nodiscard]] int32_t Length() const noexcept { return length_; }
    [[nodiscard]] bool IsEmpty() const noexcept { return length_ <= 0; }
    [[nodiscard]] std::basic_string_view<Char> View() const noexcept {
        return {data_, static_cast<size_t>(length_)};
    }

  private:
    [[nodiscard]] static int32_t Measure(const Char* text) noexcept {
        return static_cast<int32_t>(std::basic_string_view<Char>(text).size());
    }

    const Char* data_ = TNullData<Char>::Data();
    int32_t length_ = 0;
};

}  // namespace kt
