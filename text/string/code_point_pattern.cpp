#include "text/string/code_point_pattern.h"

#include "platform/platform.h"
#include "text/unicode/case_fold.h"

namespace kt {

template <class Char>
uint32_t KTCodePointPattern<Char>::FoldBeyondAscii(uint32_t cp) noexcept {
    if constexpr (std::is_same_v<Char, char16_t>)
        return cp < 0x10000 ? platform::ToUpperUnit16(static_cast<char16_t>(cp)) : cp;
    else
        return ToUpperCodePoint(cp);
}

template <class Char>
KTCodePointPattern<Char>::KTCodePointPattern(KTTextPiece<Char> text, bool fold) : folded_(fold) {
    const Char* p = text.Data();
    const Char* end = p + text.Length();
    int32_t count = 0;
    if constexpr (std::is_same_v<Char, char>)
        for (const char* q = p; q < end && *q != 0; ++count)
            q += Utf8SequenceLength(static_cast<unsigned char>(*q));
    else
        count = text.Length();
    if (count >= InlineRoom - 1) {
        points_ = new uint32_t[static_cast<size_t>(count) + 1];
        onHeap_ = true;
    }
    int32_t n = 0;
    while (p < end && *p != 0 && n < count) points_[n++] = Prepare(NextCharacter(p));
    points_[n] = 0;
    count_ = n;
    single_ = n <= 1;
}

template <class Char>
KTCodePointPattern<Char>::~KTCodePointPattern() {
    if (onHeap_) delete[] points_;
}

template <class Char>
bool KTCodePointPattern<Char>::Contains(uint32_t cp) const noexcept {
    if (single_) return count_ == 1 && points_[0] == cp;
    for (int32_t i = 0; i < count_; ++i)
        if (points_[i] == cp) return true;
    return false;
}

template class KTCodePointPattern<char>;
template class KTCodePointPattern<char16_t>;

}  // namespace kt
