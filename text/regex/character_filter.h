// KeepCharacters: reduces a string to the characters of a set written as a short text of characters and
// inclusive ranges ("a..z0..9_"), in place and in one pass.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "text/string/code_point_pattern.h"
#include "text/string/kt_string.h"

namespace kt {

// The set of a set text: ranges "first..last" (tested first, in order) and single characters. Code points
// in the 8-bit width, code units in the 16-bit width.
template <class Char>
class CharacterSetFilter {
  public:
    explicit CharacterSetFilter(const Char* setText);
    [[nodiscard]] bool Contains(uint32_t c) const noexcept;

    // Filters the terminated units in place from `from` on (the first character to remove); returns the
    // new length.
    [[nodiscard]] int32_t Compact(Char* data, int32_t from) const;
    // The unit offset of the first character not in the set, or -1 when every character is. Walks to the
    // terminator, so that a string left as it is keeps even its length cache untouched.
    [[nodiscard]] int32_t FirstRemoved(const Char* data) const;

  private:
    KTCodePointPattern<Char> pattern_;
    std::vector<std::pair<uint32_t, uint32_t>> ranges_;
    int32_t singles_ = 0;
};

template <class Char, class S>
KTStringT<Char, S>& KeepCharacters(KTStringT<Char, S>& s, const Char* setText) {
    if (setText == nullptr || setText[0] == 0) {
        if (!IsNullData(s.Data())) {
            s.MakeWritable();
            s._SetStringEnd(0);
        }
        return s;
    }
    CharacterSetFilter<Char> filter(setText);
    int32_t from = filter.FirstRemoved(s.Data());
    if (from < 0) return s;  // everything is kept: nothing is written, not even the length cache
    s.MakeWritable();
    s._SetStringEnd(filter.Compact(s.Data(), from));
    return s;
}

}  // namespace kt
