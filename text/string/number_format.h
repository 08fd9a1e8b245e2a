// Number formatting: the decimal and hexadecimal formatters with their descriptors, the "%10.2f" form of
// appended floats, and the text forms of numbers appended to strings or concatenated. The formatters
// write into caller-supplied buffers and allocate nothing; each answers a null or too small buffer with the
// number of characters it needs, terminator included, so that a string can reserve the exact length first.
//
// The string operations built on these (number appends and assignments, FormatDouble, ToRoman,
// ToAlphabetic, LoadLocaleInfo) are members of KTStringT (text/string/kt_string.h).
#pragma once

#include <bit>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <type_traits>

namespace kt {

// Descriptor of the decimal formatter. `width` is the minimum field length including a minus sign (0: no
// minimum); `fill` pads on the left up to it.
template <class Char>
struct IntegerFormat {
    int32_t width;
    Char fill;
};

// Descriptor of the hexadecimal formatter. `prefix` (may be null) is written before the digits and counts
// towards `width`.
template <class Char>
struct HexFormat {
    bool uppercase;
    const Char* prefix;
    int32_t width;
    Char fill;
};

namespace detail {
template <class Char>
inline constexpr Char HexPrefix[3] = {Char('0'), Char('x'), Char(0)};
}  // namespace detail

// The descriptors used when a number is appended to a string: plain digits with a leading "-" when
// negative; upper-case hexadecimal digits after "0x".
template <class Char>
inline constexpr IntegerFormat<Char> DefaultIntegerFormat{0, Char(0)};
template <class Char>
inline constexpr HexFormat<Char> DefaultHexFormat{true, detail::HexPrefix<Char>, 0, Char(' ')};

namespace detail {

inline constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline constexpr uint64_t PowersOfTen[20] = {1ull,
                                             10ull,
                                             100ull,
                                             1000ull,
                                             10000ull,
                                             100000ull,
                                             1000000ull,
                                             10000000ull,
                                             100000000ull,
                                             1000000000ull,
                                             10000000000ull,
                                             100000000000ull,
                                             1000000000000ull,
                                             10000000000000ull,
                                             100000000000000ull,
                                             1000000000000000ull,
                                             10000000000000000ull,
                                             100000000000000000ull,
                                             1000000000000000000ull,
                                             10000000000000000000ull};

// Decimal digits of a value, 1 for zero: log10 estimated from the bit length, corrected by one compare.
// (value | 1 changes no digit count: powers of ten are even.)
constexpr int DecimalDigits(uint64_t value) {
    uint64_t v = value | 1;
    int estimate = (std::bit_width(v) * 1233) >> 12;
    return estimate + (v >= PowersOfTen[estimate] ? 1 : 0);
}

// Writes the digits of `value` so that the last one lands just before `end`; returns the first digit.
template <class Char, class Unsigned>
Char* WriteDigitsBackwards(Char* end, Unsigned value) {
    while (value >= 100) {
        auto pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        end -= 2;
        end[0] = static_cast<Char>(DigitPairs[pair]);
        end[1] = static_cast<Char>(DigitPairs[pair + 1]);
    }
    if (value >= 10) {
        auto pair = static_cast<unsigned>(value) * 2;
        end -= 2;
        end[0] = static_cast<Char>(DigitPairs[pair]);
        end[1] = static_cast<Char>(DigitPairs[pair + 1]);
    } else {
        *--end = static_cast<Char>('0' + value);
    }
    return end;
}

template <class Char>
int64_t PrefixLength(const Char* prefix) {
    int64_t length = 0;
    if (prefix != nullptr)
        while (prefix[length] != 0) ++length;
    return length;
}

// The size query's answer for a field of `field` characters: the field and its terminator, or INT32_MAX
// when no buffer length (a 32-bit count) can hold both.
constexpr int32_t NeededLength(int64_t field) {
    return field >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(field + 1);
}

template <class Char, class Unsigned>
int32_t FormatDecimalDigits(Char* out, int32_t outLength, Unsigned value, const IntegerFormat<Char>& format,
                            bool negative) {
    const int32_t natural = DecimalDigits(value) + (negative ? 1 : 0);
    const int64_t wanted = format.width > natural ? format.width : natural;
    if (out == nullptr || outLength <= wanted) return NeededLength(wanted);
    const auto field = static_cast<int32_t>(wanted);  // below outLength, so a 32-bit count

    out[field] = 0;
    Char* first = WriteDigitsBackwards(out + field, value);
    if (negative && (field == natural || format.fill == Char(' '))) {
        *--first = Char('-');  // the sign stays with the digits
    } else if (negative) {
        *out++ = Char('-');  // any other fill goes between the sign and the digits
    }
    while (out < first) *out++ = format.fill;
    return 0;
}

}  // namespace detail

// Decimal formatter: writes the magnitude `value` (with a minus sign when `negative`) as `format` says,
// terminated, and returns 0; or, when `out` is null or `outLength` (in characters) is too small, writes
// nothing and returns the length needed including the terminator. A field that needs more than INT32_MAX
// characters with its terminator (a width of INT32_MAX) fits no buffer: the call then writes nothing and
// returns INT32_MAX, whatever `outLength` is.
template <class Char>
int32_t FormatDecimal(Char* out, int32_t outLength, uint32_t value,
                      const IntegerFormat<Char>& format = DefaultIntegerFormat<Char>, bool negative = false) {
    return detail::FormatDecimalDigits(out, outLength, value, format, negative);
}
template <class Char>
int32_t FormatDecimal(Char* out, int32_t outLength, uint64_t value,
                      const IntegerFormat<Char>& format = DefaultIntegerFormat<Char>, bool negative = false) {
    if (value <= UINT32_MAX)  // 32-bit division is cheaper
        return detail::FormatDecimalDigits(out, outLength, static_cast<uint32_t>(value), format, negative);
    return detail::FormatDecimalDigits(out, outLength, value, format, negative);
}

// Hexadecimal formatter, with the return convention of FormatDecimal (INT32_MAX included: a width or a
// prefix of INT32_MAX characters fits no buffer). `size` is the value's size in bytes:
// 1 and 2 keep the low 8 or 16 bits, 4 ignores `high`, 8 takes both words.
template <class Char>
int32_t FormatHex(Char* out, int32_t outLength, uint32_t low, uint32_t high, int32_t size,
                  const HexFormat<Char>& format = DefaultHexFormat<Char>) {
    uint64_t value = size == 1   ? (low & 0xFFu)
                     : size == 2 ? (low & 0xFFFFu)
                     : size == 4 ? low
                                 : (uint64_t{high} << 32 | low);
    const int64_t digits = (std::bit_width(value | 1) + 3) / 4;
    const int64_t natural = digits + detail::PrefixLength(format.prefix);
    const int64_t wanted = format.width > natural ? format.width : natural;
    if (out == nullptr || outLength <= wanted) return detail::NeededLength(wanted);
    const auto field = static_cast<int32_t>(wanted);  // below outLength, so 32-bit counts from here on
    const auto prefixLength = static_cast<int32_t>(natural - digits);

    const char* letters = format.uppercase ? "0123456789ABCDEF" : "0123456789abcdef";
    out[field] = 0;
    Char* first = out + field;
    do {
        *--first = static_cast<Char>(letters[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    // A space fill keeps the prefix at the digits; any other fill goes between prefix and digits.
    Char* prefixAt = format.fill == Char(' ') ? first - prefixLength : out;
    for (int32_t i = 0; i < prefixLength; ++i) prefixAt[i] = format.prefix[i];
    if (prefixAt == out)
        out += prefixLength;
    else
        first = prefixAt;
    while (out < first) *out++ = format.fill;
    return 0;
}

// The "%10.2f" form of an appended float: widened to double, two decimals, right-aligned in 10 characters
// (longer numbers take the room they need). Correctly rounded, as the C library's printf is. Same return
// convention as FormatDecimal.
template <class Char>
int32_t FormatFloat(Char* out, int32_t outLength, float value) {
    char digits[64];  // the longest float, -3.4e38 with two decimals, takes 43
    auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                std::chars_format::fixed, 2);
    const auto length = static_cast<int32_t>(result.ptr - digits);
    const int32_t field = length > 10 ? length : 10;
    if (out == nullptr || outLength <= field) return field + 1;
    int32_t padding = field - length;
    for (int32_t i = 0; i < padding; ++i) out[i] = Char(' ');
    for (int32_t i = 0; i < length; ++i) out[padding + i] = static_cast<Char>(digits[i]);
    out[field] = 0;
    return 0;
}

// --- numbers as pieces of text ---------------------------------------------------------------------------
// What a string append, a string assignment or a concatenation makes of a value. The kinds are those of a
// concatenation node (text/string/concat.h), numbers and text alike, so that a node carries a number piece
// unchanged; Float to Hex are numbers.
enum class PieceKind : int32_t {
    Text = 1,
    CodePoint = 2,
    Float = 3,     // bits of a float, written "%10.2f"
    Signed = 4,    // signed 64-bit, decimal
    Unsigned = 5,  // unsigned 64-bit, decimal
    Hex = 6,       // a pointer-sized value, DefaultHexFormat
};

struct NumberPiece {
    PieceKind kind;
    uint64_t value;
};

// The value types that append and assign as numbers: integers that are not characters or bool, and float.
template <class T>
concept KTNumber = (std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
                    !std::same_as<T, signed char> && !std::same_as<T, unsigned char> &&
                    !std::same_as<T, wchar_t> && !std::same_as<T, char8_t> && !std::same_as<T, char16_t> &&
                    !std::same_as<T, char32_t>) ||
                   std::same_as<T, float>;

template <KTNumber T>
[[nodiscard]] constexpr NumberPiece MakeNumberPiece(T value) {
    if constexpr (std::is_same_v<T, float>)
        return {PieceKind::Float, std::bit_cast<uint32_t>(value)};
    else if constexpr (std::is_signed_v<T>)
        return {PieceKind::Signed, static_cast<uint64_t>(static_cast<int64_t>(value))};
    else
        return {PieceKind::Unsigned, static_cast<uint64_t>(value)};
}
[[nodiscard]] inline NumberPiece MakeNumberPiece(const void* pointer) {
    return {PieceKind::Hex, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer))};
}

// Formats a number piece, with the return convention of FormatDecimal.
template <class Char>
int32_t FormatNumber(Char* out, int32_t outLength, const NumberPiece& piece) {
    switch (piece.kind) {
        case PieceKind::Float:
            return FormatFloat(out, outLength, std::bit_cast<float>(static_cast<uint32_t>(piece.value)));
        case PieceKind::Signed: {
            bool negative = static_cast<int64_t>(piece.value) < 0;
            return FormatDecimal(out, outLength, negative ? 0 - piece.value : piece.value,
                                 DefaultIntegerFormat<Char>, negative);
        }
        case PieceKind::Unsigned:
            return FormatDecimal(out, outLength, piece.value);
        case PieceKind::Hex:
            return FormatHex(out, outLength, static_cast<uint32_t>(piece.value),
                             static_cast<uint32_t>(piece.value >> 32), 8);
        default:
            if (out != nullptr && outLength > 0) out[0] = 0;
            return out != nullptr && outLength > 0 ? 0 : 1;
    }
}

// Units a number piece produces, without the terminator.
template <class Char>
[[nodiscard]] int32_t MeasureNumber(const NumberPiece& piece) {
    return FormatNumber<Char>(nullptr, 0, piece) - 1;
}

// --- the text cores of the string members FormatDouble and ToRoman -----------------------------------------
namespace detail {

// Room FormatDoubleText needs: a sign, 309 integer digits, a point and at most 1074 fraction digits (a
// double's fraction runs out of bits by then), or ".0".
inline constexpr int32_t DoubleTextCapacity = 1400;

// Writes the FormatDouble text of `value` (ASCII, not terminated) and returns its length; `padZeros`
// receives the number of "0" that padding adds behind it.
int32_t FormatDoubleText(char* out, double value, int32_t decimals, bool roundHalfUp, double epsilon,
                         bool padDecimals, bool keepSignOfZero, bool appendPointZero, int32_t& padZeros);

inline constexpr int32_t RomanTextCapacity = 22;

// Writes the Roman numeral of `value` (ASCII, not terminated) and returns its length: 0 outside 1..9999.
int32_t RomanText(char* out, int32_t value, bool uppercase);

}  // namespace detail
}  // namespace kt
