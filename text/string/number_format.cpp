#include "text/string/number_format.h"

#include <cmath>
#include <cstring>

namespace kt::detail {

namespace {

// Appends a fraction digit that rounding or tolerance may have raised to 10: it then writes "0" and
// carries into the digits before it, through nines (1156.78881 and a last 9 rounded up give 1156.788820).
// The carry is that of any digit string: across the point, and out of the first digit as a new leading
// "1". (The rounding and the carry before the digits are written take a fraction that close to a whole
// unit into the integer part already, so in practice the carry ends within the fraction.)
void PutFractionDigit(char* out, int32_t& length, int32_t firstDigit, int digit) {
    if (digit < 10) {
        out[length++] = static_cast<char>('0' + digit);
        return;
    }
    out[length++] = '0';
    for (int32_t at = length - 2; at >= firstDigit; --at) {
        if (out[at] == '.') continue;
        if (out[at] != '9') {
            ++out[at];
            return;
        }
        out[at] = '0';
    }
    std::memmove(out + firstDigit + 1, out + firstDigit, static_cast<size_t>(length - firstDigit));
    out[firstDigit] = '1';
    ++length;
}

}  // namespace

int32_t FormatDoubleText(char* out, double value, int32_t decimals, bool roundHalfUp, double epsilon,
                         bool padDecimals, bool keepSignOfZero, bool appendPointZero, int32_t& padZeros) {
    padZeros = 0;
    const bool negative = std::signbit(value);  // -0.0 counts as negative
    if (std::isinf(value)) {
        const char* text = negative ? "-INF" : "INF";
        std::memcpy(out, text, std::strlen(text));
        return static_cast<int32_t>(std::strlen(text));
    }
    // NaN is not singled out: every comparison below is false for it, so it prints like zero.
    double integer;
    double fraction = std::modf(std::fabs(value), &integer);
    auto reachesOne = [epsilon](double f) { return f >= 1.0 || 1.0 - f < epsilon; };

    if (decimals > 0 && roundHalfUp) {
        const double scale = std::pow(10.0, decimals);
        if (std::isfinite(scale)) {
            double whole;
            if (std::modf(fraction * scale, &whole) >= 0.5) fraction = (whole + 1.0) / scale;
            if (reachesOne(fraction)) {
                integer += 1.0;
                fraction = 0.0;
            }
        }
    }
    if (reachesOne(fraction)) {
        integer += 1.0;
        fraction = 0.0;
    } else if (decimals == 0 && roundHalfUp && fraction >= 0.5) {
        integer += 1.0;
        fraction = 0.0;
    } else if (fraction < epsilon) {
        fraction = 0.0;
    }
    const bool sign = negative && (keepSignOfZero || integer > 0.0 || (fraction > 0.0 && decimals > 0));

    // Integer digits, least significant first, then reversed behind the sign.
    char digits[320];
    int32_t count = 0;
    while (integer > 0.0) {
        digits[count++] = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
        integer = std::floor(integer / 10.0);
    }
    if (count == 0) digits[count++] = '0';
    int32_t length = 0;
    if (sign) out[length++] = '-';
    const int32_t firstDigit = length;
    while (count > 0) out[length++] = digits[--count];

    bool point = false;
    if (decimals > 0 && (fraction > 0.0 || padDecimals)) {
        out[length++] = '.';
        point = true;
        int32_t written = 0;
        // A fraction runs out of bits within 1074 digits; the bound only guards the buffer, keeping room
        // for the last digit and a new leading digit that a carry may add.
        const int32_t room = DoubleTextCapacity - length - 2;
        for (; written < decimals - 1 && fraction > 0.0 && written < room; ++written) {
            double digit;
            double rest = std::modf(fraction * 10.0, &digit);
            if (1.0 - rest < epsilon) {  // 0.0999... is 0.1: raise the digit, go on with what is missing
                digit += 1.0;
                rest = 1.0 - rest;
            }
            PutFractionDigit(out, length, firstDigit, static_cast<int>(digit));
            fraction = rest;
        }
        if (written == decimals - 1 && fraction > 0.0) {
            double digit;
            double rest = std::modf(fraction * 10.0, &digit);
            if (roundHalfUp && rest >= 0.5) digit += 1.0;
            PutFractionDigit(out, length, firstDigit, static_cast<int>(digit));
            ++written;
        }
        if (padDecimals) padZeros = decimals - written;
    }
    if (!point && appendPointZero) {
        out[length++] = '.';
        out[length++] = '0';
    }
    return length;
}

int32_t RomanText(char* out, int32_t value, bool uppercase) {
    if (value < 1 || value > 9999) return 0;
    const char* letters = uppercase ? "IVXLCDM" : "ivxlcdm";
    int32_t length = 0;
    for (int32_t thousands = value / 1000; thousands > 0; --thousands) out[length++] = letters[6];
    // Hundreds, tens, units: the letters for one, five and ten of each place.
    int32_t place = 100;
    for (int letter = 4; letter >= 0; letter -= 2, place /= 10) {
        const int digit = value / place % 10;
        const char one = letters[letter], five = letters[letter + 1], ten = letters[letter + 2];
        if (digit == 9) {
            out[length++] = one;
            out[length++] = ten;
        } else if (digit == 4) {
            out[length++] = one;
            out[length++] = five;
        } else {
            if (digit >= 5) out[length++] = five;
            for (int i = digit % 5; i > 0; --i) out[length++] = one;
        }
    }
    return length;
}

}  // namespace kt::detail
