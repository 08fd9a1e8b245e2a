// Runs of ASCII, 16 units at a time: how many of the 16 units at a position are ASCII before the first
// that is not, and copying 16 units into the other width. SSE2 on x86 (the baseline of x86-64; the 32-bit
// builds pass -msse2), two or four machine words elsewhere. The converters take the ASCII start of a block
// from here and walk the rest unit by unit. Both forms are compiled wherever SSE2 is, so that the tests can
// hold the portable one to the same answers.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kt::platform {

inline constexpr int AsciiBlockUnits = 16;

// Machine words: any CPU.
struct PortableAsciiBlocks {
    static uint64_t LoadWord(const void* p) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }

    // The bits of a word of units that are set only in units from 0x80 on.
    template <class Unit>
    static constexpr uint64_t NonAsciiBits = sizeof(Unit) == 1 ? 0x8080808080808080ull
                                                               : 0xFF80FF80FF80FF80ull;
    template <class Unit>
    static constexpr int WordUnits = sizeof(uint64_t) / sizeof(Unit);

    // The number of ASCII units in the word at `p` before the first that is not (WordUnits: all are), in a
    // little- or big-endian word.
    template <class Unit>
    static int AsciiPrefixOfWord(const Unit* p) {
        const uint64_t flagged = LoadWord(p) & NonAsciiBits<Unit>;
        if (flagged == 0) return WordUnits<Unit>;
        const int bit = std::endian::native == std::endian::little ? std::countr_zero(flagged)
                                                                   : std::countl_zero(flagged);
        return bit / (8 * static_cast<int>(sizeof(Unit)));
    }

    template <class Unit>
    static int AsciiPrefix(const Unit* p) {
        for (int at = 0; at < AsciiBlockUnits; at += WordUnits<Unit>) {
            const int ascii = AsciiPrefixOfWord(p + at);
            if (ascii < WordUnits<Unit>) return at + ascii;
        }
        return AsciiBlockUnits;
    }

    template <class Unit>
    static uint32_t NonAsciiMask(const Unit* p) {
        uint32_t mask = 0;
        for (int i = 0; i < AsciiBlockUnits; ++i) mask |= static_cast<uint32_t>(p[i] >= 0x80) << i;
        return mask;
    }

    template <class Unit>
    static bool IsAsciiBlock(const Unit* p) {
        uint64_t any = 0;
        for (int at = 0; at < AsciiBlockUnits; at += WordUnits<Unit>) any |= LoadWord(p + at);
        return (any & NonAsciiBits<Unit>) == 0;
    }

    static int Utf8LengthOfBlock(const char16_t* p) {
        int bytes = 0;
        for (int i = 0; i < AsciiBlockUnits; ++i) {
            if (p[i] >= 0xD800 && p[i] <= 0xDFFF) return -1;
            bytes += p[i] < 0x80 ? 1 : p[i] < 0x800 ? 2 : 3;
        }
        return bytes;
    }

    static void WidenBlock(const uint8_t* in, char16_t* out) {
        for (int i = 0; i < AsciiBlockUnits; ++i) out[i] = in[i];
    }
    static void NarrowBlock(const char16_t* in, char* out) {
        for (int i = 0; i < AsciiBlockUnits; ++i) out[i] = static_cast<char>(in[i]);
    }
};

#if defined(__SSE2__)
struct Sse2AsciiBlocks {
    static __m128i LoadBlock(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

    // Whether the 16 units at `p` are all ASCII. The walks branch on this before they ask for the ASCII
    // start, so that the next position does not wait for the load of this block.
    static bool IsAsciiBlock(const uint8_t* p) { return _mm_movemask_epi8(LoadBlock(p)) == 0; }
    static bool IsAsciiBlock(const char16_t* p) {
        const __m128i high = _mm_set1_epi16(static_cast<int16_t>(0xFF80));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(
                   _mm_and_si128(_mm_or_si128(LoadBlock(p), LoadBlock(p + 8)), high), _mm_setzero_si128())) ==
               0xFFFF;
    }

    // Bit i set where unit i of the 16 at `p` is not ASCII.
    static uint32_t NonAsciiMask(const uint8_t* p) {
        return static_cast<uint32_t>(_mm_movemask_epi8(LoadBlock(p)));
    }
    // For UTF-16 units an unsigned saturating add of 0x7F80 sets the top bit from 0x80 up; the arithmetic
    // shift spreads it over the unit, and packing gives one byte per unit.
    static uint32_t NonAsciiMask(const char16_t* p) {
        const __m128i lift = _mm_set1_epi16(0x7F80);
        const __m128i low = _mm_srai_epi16(_mm_adds_epu16(LoadBlock(p), lift), 15);
        const __m128i high = _mm_srai_epi16(_mm_adds_epu16(LoadBlock(p + 8), lift), 15);
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
    }

    // The number of ASCII units among the 16 at `p` before the first that is not (16: all are ASCII).
    template <class Unit>
    static int AsciiPrefix(const Unit* p) {
        return std::countr_zero(NonAsciiMask(p) | 1u << AsciiBlockUnits);
    }

    // The UTF-8 length of the 16 UTF-16 units at `p`: one byte each, one more from 0x80 and one more from
    // 0x800; -1 when one of them is a surrogate (D800-DFFF), whose length depends on its neighbour.
    static int Utf8LengthOfBlock(const char16_t* p) {
        const __m128i a = LoadBlock(p), b = LoadBlock(p + 8);
        const __m128i surrogateBits = _mm_set1_epi16(static_cast<int16_t>(0xF800)),
                      surrogate = _mm_set1_epi16(static_cast<int16_t>(0xD800));
        const __m128i anySurrogate =
            _mm_or_si128(_mm_cmpeq_epi16(_mm_and_si128(a, surrogateBits), surrogate),
                         _mm_cmpeq_epi16(_mm_and_si128(b, surrogateBits), surrogate));
        if (_mm_movemask_epi8(anySurrogate) != 0) return -1;
        // A saturating subtraction leaves a unit non-zero exactly when it is above the bound; the comparisons
        // packed to one byte per unit are -1 where it is not. Less one byte per unit up to 0x7FF and one more
        // per unit up to 0x7F, summed across the bytes.
        const __m128i zero = _mm_setzero_si128(), below80 = _mm_set1_epi16(0x7F),
                      below800 = _mm_set1_epi16(0x7FF);
        const auto atMost = [zero](__m128i x, __m128i y, __m128i bound) {
            return _mm_packs_epi16(_mm_cmpeq_epi16(_mm_subs_epu16(x, bound), zero),
                                   _mm_cmpeq_epi16(_mm_subs_epu16(y, bound), zero));
        };
        const __m128i fewer = _mm_sub_epi8(_mm_sub_epi8(zero, atMost(a, b, below80)), atMost(a, b, below800));
        const __m128i sums = _mm_sad_epu8(fewer, zero);
        return 3 * AsciiBlockUnits - _mm_cvtsi128_si32(sums) -
               _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
    }

    // The 16 bytes at `in` as 16 units at `out`.
    static void WidenBlock(const uint8_t* in, char16_t* out) {
        const __m128i bytes = LoadBlock(in), zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    }

    // The 16 units at `in` as 16 bytes at `out`; exact for the ASCII units, anything for the others.
    static void NarrowBlock(const char16_t* in, char* out) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(LoadBlock(in), LoadBlock(in + 8)));
    }
};
using AsciiBlocks = Sse2AsciiBlocks;
#else
using AsciiBlocks = PortableAsciiBlocks;
#endif

// The helpers of the form this build takes.
template <class Unit>
inline bool IsAsciiBlock(const Unit* p) {
    return AsciiBlocks::IsAsciiBlock(p);
}
template <class Unit>
inline uint32_t NonAsciiMask(const Unit* p) {
    return AsciiBlocks::NonAsciiMask(p);
}
template <class Unit>
inline int AsciiPrefix(const Unit* p) {
    return AsciiBlocks::AsciiPrefix(p);
}
inline int Utf8LengthOfBlock(const char16_t* p) {
    return AsciiBlocks::Utf8LengthOfBlock(p);
}
inline void WidenBlock(const uint8_t* in, char16_t* out) {
    AsciiBlocks::WidenBlock(in, out);
}
inline void NarrowBlock(const char16_t* in, char* out) {
    AsciiBlocks::NarrowBlock(in, out);
}

}  // namespace kt::platform
