// Reading integers out of zero-terminated text, 8-bit (UTF-8 in char) and 16-bit (UTF-16 in char16_t):
//   ParseNumber    decimal with optional blanks, sign and "0x" prefix; saturates on overflow
//   ParseDigits    bare decimal digits; reports overflow
//   ParseHex       hexadecimal digits; saturates by counting significant digits
//   HexDigitValue  the value of one hexadecimal digit
// None of them allocates, throws or reports a position; results go to an out-parameter. A null text
// reads as the empty text. Only ASCII digits count: in 8-bit text no byte from 0x80 on is a digit.
//
// The templates are defined here so that calls can be inlined; the library holds one explicit
// instantiation per width and target type, which out-of-line calls share.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

namespace kt {

// What ParseNumber and ParseDigits do beyond reading digits. Value-initialised (all zero) it reads plain
// decimal text and yields 0 for a text without digits.
struct NumberParseOptions {
    uint8_t skipBlanks = 0;  // step over leading spaces and tabs first
    // What a text without digits yields: 0 gives 0; a positive mode gives `fallback` limited from above
    // (judged by its two 32-bit halves); a negative mode gives `fallback` clamped to the target's range.
    int8_t fallbackMode = 0;
    int64_t fallback = 0;
    uint8_t allowHexPrefix = 0;  // a text starting with "0x" (lower-case x) is read by ParseHex
};

// The two text widths.
template <class Char>
concept NumberTextUnit = std::same_as<Char, char> || std::same_as<Char, char16_t>;

// The ten target types. `int` and `long` are the same 32-bit kind on every platform, signed and unsigned:
// where `long` has 64 bits (LP64 systems) it still takes the 32-bit limits, so that a text reads to the same
// value everywhere. The 64-bit kind is `long long`.
template <class T>
concept NumberParseTarget = std::same_as<T, signed char> || std::same_as<T, unsigned char> ||
    std::same_as<T, short> || std::same_as<T, unsigned short> || std::same_as<T, int> ||
    std::same_as<T, unsigned int> || std::same_as<T, long> || std::same_as<T, unsigned long> ||
    std::same_as<T, long long> || std::same_as<T, unsigned long long>;

namespace detail {

// The kind whose limits a target type takes: `long` and `unsigned long` read as 32-bit integers.
template <class T>
using NumberKind = std::conditional_t<std::is_same_v<T, long>, int32_t,
                                      std::conditional_t<std::is_same_v<T, unsigned long>, uint32_t, T>>;

template <class Char>
inline constexpr Char EmptyNumberText[1] = {};

// The code unit as a non-negative number, so that 8-bit units from 0x80 on never look like ASCII.
template <class Char>
constexpr uint32_t NumberUnitValue(Char unit) {
    if constexpr (sizeof(Char) == 1) {
        return static_cast<unsigned char>(unit);
    } else {
        return static_cast<uint32_t>(unit);
    }
}

// 0-9 for a decimal digit, anything above 9 otherwise (the subtraction wraps below '0').
template <class Char>
constexpr uint32_t DecimalDigit(Char unit) {
    return NumberUnitValue(unit) - '0';
}

// 0-15 for a hexadecimal digit, 16 otherwise. With bit 5 set, only 'a'-'f' and 'A'-'F' land on 'a'-'f'.
template <class Char>
constexpr uint32_t HexDigit(Char unit) {
    const uint32_t value = NumberUnitValue(unit);
    if (value - '0' < 10) return value - '0';
    if ((value | 0x20) - 'a' < 6) return (value | 0x20) - 'a' + 10;
    return 16;
}

template <class Char, class T>
struct NumberParser {
    // Small types are accumulated in 32 bits so that no arithmetic happens in promoted `int`.
    using Accumulator = std::conditional_t<(sizeof(T) <= 4), uint32_t, uint64_t>;
    static constexpr T Max = std::numeric_limits<T>::max();
    static constexpr T Min = std::numeric_limits<T>::min();
    static constexpr uint64_t MaxMagnitude = static_cast<uint64_t>(Max);

    [[nodiscard]] static constexpr bool ParseDigits(const Char* text, T& out,
                                                    const NumberParseOptions& options) {
        if (text == nullptr) text = EmptyNumberText<Char>;
        // The first 19 digits go into 64 bits without overflow tests, which any value of a target up to
        // 32 bits, leading zeros aside, fits; the range is checked once after them.
        constexpr int SafeDigits = std::numeric_limits<uint64_t>::digits10;
        uint64_t value = 0;
        const int taken = TakeDigits(text, SafeDigits, value);
        if (taken == 0) {
            out = Fallback(options);
            return false;
        }
        if (value > MaxMagnitude) {
            out = Max;
            return true;
        }
        if (taken == SafeDigits) {
            text += taken;
            for (uint32_t digit; (digit = DecimalDigit(*text)) <= 9; ++text) {
                // value * 10 + digit > max, tested without overflowing.
                if (value > MaxMagnitude / 10 || value * 10 > MaxMagnitude - digit) {
                    out = Max;
                    return true;
                }
                value = value * 10 + digit;
            }
        }
        out = static_cast<T>(value);
        return false;
    }

    // Reads up to `limit` digits into `value` without overflow tests and returns how many it read: two a
    // step, which halves the steps and their tests, and a unit is read only after a digit before it.
    static constexpr int TakeDigits(const Char* text, int limit, uint64_t& value) {
        int taken = 0;
        for (; taken + 2 <= limit; taken += 2) {
            const uint32_t high = DecimalDigit(text[taken]);
            if (high > 9) return taken;
            const uint32_t low = DecimalDigit(text[taken + 1]);
            if (low > 9) {
                value = value * 10 + high;
                return taken + 1;
            }
            value = value * 100 + (high * 10 + low);
        }
        if (const uint32_t digit = DecimalDigit(text[taken]); taken < limit && digit <= 9) {
            value = value * 10 + digit;
            ++taken;
        }
        return taken;
    }

    static constexpr void ParseNumber(const Char* text, T& out, const NumberParseOptions& options) {
        if (text == nullptr) text = EmptyNumberText<Char>;
        if (options.skipBlanks) {
            while (*text == Char(' ') || *text == Char('\t')) ++text;
        }
        if (options.allowHexPrefix && text[0] == Char('0') && text[1] == Char('x')) {
            ParseHex(text + 2, out);
            return;
        }
        bool negative = false;
        if (std::is_signed_v<T> && *text == Char('-')) {
            negative = true;
            ++text;
        } else if (*text == Char('+')) {
            ++text;
        }
        // An unsigned target keeps a '-', which is no digit and so leads to the fallback.
        const bool overflow = ParseDigits(text, out, options);
        // After an overflow the magnitude saturated at max; max + 1 is the magnitude of min.
        if (negative) out = static_cast<T>(NegateInWidth(out) - overflow);
    }

    static constexpr void ParseHex(const Char* text, T& out) {
        out = 0;
        if (text == nullptr) return;
        if (text[0] == Char('0') && text[1] == Char('x')) text += 2;
        constexpr int MaxSignificant = std::numeric_limits<std::make_unsigned_t<T>>::digits / 4;
        Accumulator value = 0;
        int significant = 0;
        for (uint32_t digit; (digit = HexDigit(*text)) < 16; ++text) {
            if (value == 0 && digit == 0) continue;  // leading zeros do not count
            if (significant == MaxSignificant) {
                // One digit too many: saturate towards the sign of the bit pattern read so far.
                out = IsNegativePattern(value) ? Min : Max;
                return;
            }
            ++significant;
            value = value * 16 + digit;
        }
        out = static_cast<T>(value);  // signed targets take the digits as a two's-complement pattern
    }

    static constexpr T Fallback(const NumberParseOptions& options) {
        if (options.fallbackMode == 0) return 0;
        if (options.fallbackMode > 0) {
            const auto bits = static_cast<uint64_t>(options.fallback);
            const auto high = static_cast<int32_t>(bits >> 32);
            const auto low = static_cast<uint32_t>(bits);
            if (high > 0 || std::cmp_greater(low, Max)) return Max;
            return static_cast<T>(low);
        }
        if (std::cmp_greater(options.fallback, Max)) return Max;
        if (std::cmp_less(options.fallback, Min)) return Min;
        return static_cast<T>(options.fallback);
    }

    static constexpr bool IsNegativePattern(Accumulator value) {
        if constexpr (std::is_signed_v<T>) {
            return static_cast<T>(value) < 0;
        } else {
            return false;
        }
    }

    // -value modulo 2^bits: the negation of min is min.
    static constexpr T NegateInWidth(T value) {
        using Unsigned = std::make_unsigned_t<T>;
        return static_cast<T>(static_cast<Unsigned>(0u - static_cast<Unsigned>(value)));
    }
};

}  // namespace detail

// Reads an optionally signed decimal number. With `skipBlanks`, leading spaces and tabs are stepped over;
// with `allowHexPrefix`, a text that then starts with "0x" is read by ParseHex instead. Signed targets
// accept '-' and '+', unsigned ones only '+'. Out of range the value saturates to max (positive) or min
// (negative); a text without digits gives the fallback of `options`, negated after a '-'.
template <NumberTextUnit Char, NumberParseTarget T>
constexpr void ParseNumber(const Char* text, T& out, const NumberParseOptions& options) noexcept {
    detail::NumberKind<T> value = 0;
    detail::NumberParser<Char, detail::NumberKind<T>>::ParseNumber(text, value, options);
    out = static_cast<T>(value);
}

// Reads decimal digits only (no blanks, sign or prefix). Returns true when they exceed the target's max,
// and out is then max; a text without digits gives the fallback of `options`.
template <NumberTextUnit Char, NumberParseTarget T>
[[nodiscard]] constexpr bool ParseDigits(const Char* text, T& out,
                                         const NumberParseOptions& options) noexcept {
    detail::NumberKind<T> value = 0;
    const bool overflow =
        detail::NumberParser<Char, detail::NumberKind<T>>::ParseDigits(text, value, options);
    out = static_cast<T>(value);
    return overflow;
}

// Reads hexadecimal digits after an optional "0x". Leading zeros aside, at most bits / 4 digits are taken;
// one more saturates to max, or to min for a signed target whose digits so far form a negative pattern.
// Signed targets take the digits as a two's-complement pattern: "FF" into signed char gives -1. A text
// without digits gives 0.
template <NumberTextUnit Char, NumberParseTarget T>
constexpr void ParseHex(const Char* text, T& out) noexcept {
    detail::NumberKind<T> value = 0;
    detail::NumberParser<Char, detail::NumberKind<T>>::ParseHex(text, value);
    out = static_cast<T>(value);
}

// True and the digit's value (0-15) in out when `unit` is 0-9, a-f or A-F; otherwise false, out unchanged.
template <NumberTextUnit Char, NumberParseTarget T>
[[nodiscard]] constexpr bool HexDigitValue(Char unit, T& out) noexcept {
    const uint32_t digit = detail::HexDigit(unit);
    if (digit >= 16) return false;
    out = static_cast<T>(digit);
    return true;
}

namespace detail {
extern template struct NumberParser<char, signed char>;
extern template struct NumberParser<char, unsigned char>;
extern template struct NumberParser<char, short>;
extern template struct NumberParser<char, unsigned short>;
extern template struct NumberParser<char, int>;
extern template struct NumberParser<char, unsigned int>;
extern template struct NumberParser<char, long long>;
extern template struct NumberParser<char, unsigned long long>;
extern template struct NumberParser<char16_t, signed char>;
extern template struct NumberParser<char16_t, unsigned char>;
extern template struct NumberParser<char16_t, short>;
extern template struct NumberParser<char16_t, unsigned short>;
extern template struct NumberParser<char16_t, int>;
extern template struct NumberParser<char16_t, unsigned int>;
extern template struct NumberParser<char16_t, long long>;
extern template struct NumberParser<char16_t, unsigned long long>;
}  // namespace detail

}  // namespace kt
