#include "text/regex/character_filter.h"

namespace kt {

template <class Char>
CharacterSetFilter<Char>::CharacterSetFilter(const Char* setText) : pattern_(setText, false) {
    // Split into ranges and singles; the singles are compacted in place in the pattern's array.
    uint32_t* points = pattern_.CodePoints();
    int32_t count = pattern_.Count();
    for (int32_t i = 0; i < count;) {
        if (i + 3 < count && points[i + 1] == '.' && points[i + 2] == '.') {
            ranges_.emplace_back(points[i], points[i + 3]);
            i += 4;
        } else {
            points[singles_++] = points[i++];
        }
    }
    points[singles_] = 0;
}

template <class Char>
bool CharacterSetFilter<Char>::Contains(uint32_t c) const noexcept {
    for (auto [first, last] : ranges_)
        if (first <= c && c <= last) return true;
    const uint32_t* singles = pattern_.CodePoints();
    if (singles_ == 1) return singles[0] == c;
    for (int32_t i = 0; i < singles_; ++i)
        if (singles[i] == c) return true;
    return false;
}

template <class Char>
int32_t CharacterSetFilter<Char>::FirstRemoved(const Char* data) const {
    for (const Char* p = data; *p != 0;) {
        const Char* start = p;
        if (!Contains(NextCharacter(p))) return static_cast<int32_t>(start - data);
    }
    return -1;
}

template <class Char>
int32_t CharacterSetFilter<Char>::Compact(Char* data, int32_t from) const {
    Char* out = data + from;
    for (const Char* p = data + from; *p != 0;) {
        uint32_t c = NextCharacter(p);
        if (!Contains(c)) continue;
        if constexpr (std::is_same_v<Char, char>)
            EncodeUtf8(out, c);  // a surrogate or a value above U+10FFFF writes nothing
        else
            *out++ = static_cast<Char>(c);
    }
    return static_cast<int32_t>(out - data);
}

template class CharacterSetFilter<char>;
template class CharacterSetFilter<char16_t>;

}  // namespace kt
