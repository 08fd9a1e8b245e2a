// ParseNumber, ParseDigits, ParseHex and HexDigitValue for both widths and all ten integer types, against
// std::from_chars with the documented saturation, fallback and sign rules applied (long and unsigned long
// with the 32-bit limits).
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>

#include "fuzz/fuzz_support.h"
#include "text/util/number_parse.h"

namespace {

template <class Char>
bool IsDigit(Char c) {
    return static_cast<uint32_t>(c) - '0' < 10;
}
template <class Char>
int HexValue(Char c) {
    const auto u = static_cast<uint32_t>(c);
    if (u - '0' < 10) return static_cast<int>(u - '0');
    if (u - 'a' < 6) return static_cast<int>(u - 'a' + 10);
    if (u - 'A' < 6) return static_cast<int>(u - 'A' + 10);
    return -1;
}

template <class T>
T ReferenceFallback(const kt::NumberParseOptions& options) {
    constexpr T max = std::numeric_limits<T>::max(), min = std::numeric_limits<T>::min();
    if (options.fallbackMode == 0) return 0;
    if (options.fallbackMode > 0) {
        const auto bits = static_cast<uint64_t>(options.fallback);
        const auto high = static_cast<int32_t>(static_cast<uint32_t>(bits >> 32));
        const auto low = static_cast<uint32_t>(bits);
        if (high > 0 || std::cmp_greater(low, max)) return max;
        return static_cast<T>(low);
    }
    if (std::cmp_greater(options.fallback, max)) return max;
    if (std::cmp_less(options.fallback, min)) return min;
    return static_cast<T>(options.fallback);
}

// The run of units from `p` that `accept` takes, as ASCII text.
template <class Char, class Accept>
std::string RunOf(const Char* p, Accept accept) {
    std::string run;
    for (; accept(*p); ++p) run.push_back(static_cast<char>(*p));
    return run;
}

// Digits from `p`, read by std::from_chars: the value (saturated at max) and whether it went beyond max;
// no digits: the fallback.
template <class T, class Char>
T ReferenceDigits(const Char* p, const kt::NumberParseOptions& options, bool& overflow) {
    const std::string digits = RunOf(p, IsDigit<Char>);
    overflow = false;
    if (digits.empty()) return ReferenceFallback<T>(options);
    T value = 0;
    overflow = std::from_chars(digits.data(), digits.data() + digits.size(), value).ec ==
               std::errc::result_out_of_range;
    return overflow ? std::numeric_limits<T>::max() : value;
}

// std::from_chars in base 16 on the unsigned type: the pattern when the significant digits fit, else
// saturation decided by the bit pattern of the digits that did fit.
template <class T, class Char>
T ReferenceHex(const Char* p) {
    using Unsigned = std::make_unsigned_t<T>;
    constexpr size_t maxDigits = std::numeric_limits<Unsigned>::digits / 4;
    if (p[0] == Char('0') && p[1] == Char('x')) p += 2;
    while (*p == Char('0')) ++p;
    const std::string digits = RunOf(p, [](Char c) { return HexValue(c) >= 0; });
    const size_t taken = std::min(digits.size(), maxDigits);
    Unsigned pattern = 0;
    std::from_chars(digits.data(), digits.data() + taken, pattern, 16);
    const auto value = static_cast<T>(pattern);
    if (digits.size() == taken) return value;
    return std::cmp_less(value, 0) ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
}

template <class T, class Char>
T ReferenceNumber(const Char* p, const kt::NumberParseOptions& options) {
    if (options.skipBlanks)
        while (*p == Char(' ') || *p == Char('\t')) ++p;
    if (options.allowHexPrefix && p[0] == Char('0') && p[1] == Char('x')) return ReferenceHex<T>(p + 2);
    bool negative = false;
    if (std::is_signed_v<T> && *p == Char('-')) {
        negative = true;
        ++p;
    } else if (*p == Char('+')) {
        ++p;
    }
    bool overflow = false;
    const T value = ReferenceDigits<T>(p, options, overflow);
    if (!negative) return value;
    using Unsigned = std::make_unsigned_t<T>;
    const auto negated = static_cast<T>(static_cast<Unsigned>(0u - static_cast<Unsigned>(value)));
    return overflow ? std::numeric_limits<T>::min() : negated;
}

// `Limits` is the integer kind whose limits T takes: T itself, except the 32-bit kind for long.
template <class T, class Limits = T, class Char>
void CheckType(const Char* text, const kt::NumberParseOptions& options) {
    T out = 1;
    kt::ParseNumber(text, out, options);
    KT_FUZZ_CHECK(out == static_cast<T>(ReferenceNumber<Limits>(text, options)));
    bool overflow = false;
    const auto expected = static_cast<T>(ReferenceDigits<Limits>(text, options, overflow));
    out = 1;
    KT_FUZZ_CHECK(kt::ParseDigits(text, out, options) == overflow);
    KT_FUZZ_CHECK(out == expected);
    out = 1;
    kt::ParseHex(text, out);
    KT_FUZZ_CHECK(out == static_cast<T>(ReferenceHex<Limits>(text)));
    T digit = 99;
    const bool isHex = kt::HexDigitValue(text[0], digit);
    KT_FUZZ_CHECK(isHex == (HexValue(text[0]) >= 0));
    KT_FUZZ_CHECK(digit == static_cast<T>(isHex ? HexValue(text[0]) : 99));
}

template <class Char>
void CheckAll(const Char* text, const kt::NumberParseOptions& options) {
    CheckType<signed char>(text, options);
    CheckType<unsigned char>(text, options);
    CheckType<short>(text, options);
    CheckType<unsigned short>(text, options);
    CheckType<int>(text, options);
    CheckType<unsigned int>(text, options);
    CheckType<long, int32_t>(text, options);
    CheckType<unsigned long, uint32_t>(text, options);
    CheckType<long long>(text, options);
    CheckType<unsigned long long>(text, options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256) return 0;
    kt::fuzz::Input input(data, size);
    kt::NumberParseOptions options;
    options.skipBlanks = input.Byte() & 1;
    options.fallbackMode = static_cast<int8_t>(input.Byte());
    options.fallback = static_cast<int64_t>(input.U64());
    options.allowHexPrefix = input.Byte() & 1;
    const bool wide = input.Bool();
    // Bytes that are digits, signs, blanks and prefix letters most of the time, anything now and then.
    std::u16string text;
    while (!input.Empty()) {
        const uint8_t b = input.Byte();
        static constexpr char alphabet[] = "0123456789+- \txXaAfFgG";
        char16_t unit = b < 0xC0 ? alphabet[b % (sizeof alphabet - 1)] : wide ? (b << 8 | input.Byte()) : b;
        if (unit != 0) text.push_back(unit);
    }
    if (wide) {
        const kt::fuzz::ExactText<char16_t> exact(text);
        CheckAll(exact.Get(), options);
    } else {
        std::string bytes(text.begin(), text.end());
        const kt::fuzz::ExactText<char> exact(bytes);
        CheckAll(exact.Get(), options);
    }
    return 0;
}
