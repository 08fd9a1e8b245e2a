// The bounded printf of the platform layer (declared in platform/platform.h). The C library has no printf
// for char16_t, so conversions are parsed here; numbers still go through std::snprintf with the same flags,
// width, precision and length, which keeps the C library's exact digits, rounding and locale. The 8-bit
// form is the C library's vsnprintf, behind a check of the format with the same conversion grammar, so
// that both widths reject the same formats (and vsnprintf never sees one whose behaviour is undefined).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

#include "platform/platform.h"

namespace kt::platform {

namespace {

// Appends to the caller's buffer while the output fits, always keeping one unit for the terminator; past
// that, and without a buffer, it only counts, so that the rest of the format is still checked and the size
// of the whole output is known. An output of more than INT_MAX units fails the whole result, like a format
// the formatter rejects: every operation reports it (false) and formatting stops right there.
class BoundedWriter {
  public:
    BoundedWriter(char16_t* buffer, size_t capacity)
        : buffer_(buffer), fits_(buffer ? std::min<size_t>(capacity - 1, INT_MAX) : 0) {}

    size_t Length() const { return length_; }
    // Units that may still come before the output is too long for any buffer.
    size_t Room() const { return INT_MAX - length_; }
    // Whether everything so far stands in the buffer.
    bool Fits() const { return buffer_ != nullptr && length_ <= fits_; }
    // Whether `count` more units would pass the end of the buffer.
    bool Overflows(size_t count) const { return buffer_ != nullptr && length_ + count > fits_; }
    // Measuring only: nothing is written.
    bool Measuring() const { return buffer_ == nullptr; }
    // Counts units that are not written.
    bool Count(size_t count) {
        if (count > Room()) return false;
        length_ += count;
        return true;
    }

    bool Put(char16_t unit) { return Append(&unit, 1); }
    bool PutCodePoint(char32_t codePoint) {
        if (codePoint < 0x10000) return Put(static_cast<char16_t>(codePoint));
        codePoint -= 0x10000;
        return Put(static_cast<char16_t>(0xD800 + (codePoint >> 10))) &&
               Put(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
    bool Fill(char16_t unit, size_t count) {
        if (count > Room()) return false;
        if (const size_t writable = Writable(count)) std::fill_n(buffer_ + length_, writable, unit);
        length_ += count;
        return true;
    }
    bool Append(const char16_t* units, size_t count) {
        if (count > Room()) return false;
        if (const size_t writable = Writable(count)) std::copy_n(units, writable, buffer_ + length_);
        length_ += count;
        return true;
    }

  private:
    // How many of the next `count` units still go into the buffer.
    size_t Writable(size_t count) const { return length_ < fits_ ? std::min(count, fits_ - length_) : 0; }

    char16_t* buffer_;
    size_t fits_;
    size_t length_ = 0;
};

// Decodes the UTF-8 character at `text` and advances past it. An ill-formed sequence gives U+FFFD and is
// passed over by its maximal subpart (the Unicode recommendation); a terminator is never a continuation
// byte, so decoding never reads past it.
char32_t NextUtf8(const unsigned char*& text) {
    unsigned lead = *text++;
    if (lead < 0x80) return lead;
    int continuations;
    char32_t codePoint;
    unsigned low = 0x80, high = 0xBF;  // the range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0xFFFD;
    }
    for (; continuations > 0; --continuations) {
        unsigned next = *text;
        if (next < low || next > high) return 0xFFFD;
        codePoint = codePoint << 6 | (next & 0x3F);
        ++text;
        low = 0x80;
        high = 0xBF;
    }
    return codePoint;
}

size_t UnitsOf(char32_t codePoint) {
    return codePoint < 0x10000 ? 1 : 2;
}

// Converts a whole UTF-8 text (the C library's output) to the writer.
bool PutUtf8(BoundedWriter& out, const char* text) {
    const unsigned char* next = reinterpret_cast<const unsigned char*>(text);
    while (*next != 0)
        if (!out.PutCodePoint(NextUtf8(next))) return false;
    return true;
}

// --- conversions ----------------------------------------------------------------------------------

// The flags, each bit 1 << (its position in FlagCharacters).
enum Flag : unsigned {
    LeftJustify = 1,
    Sign = 2,
    Space = 4,
    Alternate = 8,
    ZeroPad = 16,
};
constexpr std::u16string_view FlagCharacters = u"-+ #0";

enum class Length { None, Char, Short, LongLong, Long, Size, Max, Ptrdiff, LongDouble };

// The length modifiers as written, indexed by Length; a longer one comes before its prefix.
constexpr const char* LengthModifiers[] = {"", "hh", "h", "ll", "l", "z", "j", "t", "L"};

// The parser reads formats of either width.
template <class Unit>
Length ParseLength(const Unit*& format) {
    for (int length = static_cast<int>(Length::Char); length <= static_cast<int>(Length::LongDouble);
         ++length) {
        const char* modifier = LengthModifiers[length];
        size_t matched = 0;  // a mismatch at the format's terminator ends the comparison
        while (modifier[matched] != 0 && format[matched] == static_cast<Unit>(modifier[matched])) ++matched;
        if (modifier[matched] == 0) {
            format += matched;
            return static_cast<Length>(length);
        }
    }
    return Length::None;
}

struct Conversion {
    unsigned flags = 0;
    int width = 0;
    int precision = -1;  // -1: none
    Length length = Length::None;
    char type = 0;
};

// va_list may be an array type; wrapping it lets helpers take the one list by reference.
struct Arguments {
    va_list list;
};

// Reads a decimal field of the format; nullopt when it does not fit in an int.
template <class Unit>
std::optional<int> ParseDecimal(const Unit*& format) {
    int value = 0;
    for (; *format >= '0' && *format <= '9'; ++format) {
        int digit = *format - '0';
        if (value > (INT_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Parses the conversion after its '%' and takes the * arguments it names (none without `arguments`: a
// check of the format only); nullopt when the conversion is invalid or incomplete. `format` is left after
// the conversion character.
template <class Unit>
std::optional<Conversion> ParseConversion(const Unit*& format, Arguments* arguments) {
    Conversion conversion;
    for (size_t flag;
         *format > 0 && *format <= 0x7F &&
         (flag = FlagCharacters.find(static_cast<char16_t>(*format))) != std::u16string_view::npos;
         ++format)
        conversion.flags |= 1u << flag;
    if (*format == '*') {
        ++format;
        int width = arguments ? va_arg(arguments->list, int) : 0;
        if (width == INT_MIN) return std::nullopt;
        if (width < 0) conversion.flags |= LeftJustify;  // a negative width argument means '-'
        conversion.width = width < 0 ? -width : width;
    } else {
        std::optional<int> width = ParseDecimal(format);
        if (!width) return std::nullopt;
        conversion.width = *width;
    }
    if (*format == '.') {
        ++format;
        if (*format == '*') {
            ++format;
            int precision = arguments ? va_arg(arguments->list, int) : -1;
            conversion.precision = precision < 0 ? -1 : precision;  // negative: as if none were given
        } else {
            std::optional<int> precision = ParseDecimal(format);
            if (!precision) return std::nullopt;
            conversion.precision = *precision;
        }
    }
    conversion.length = ParseLength(format);
    const auto type = static_cast<std::make_unsigned_t<Unit>>(*format);
    if (type == 0 || type > 0x7F) return std::nullopt;
    conversion.type = static_cast<char>(type);
    ++format;
    return conversion;
}

bool IsFloatingType(char type) {
    return std::char_traits<char>::find("fFeEgGaA", 8, type) != nullptr;
}

// Whether the formatter takes the conversion: a known type with a length modifier that applies to it.
// %n is not supported.
bool IsSupported(const Conversion& conversion) {
    switch (conversion.type) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            return conversion.length != Length::LongDouble;
        case 'c':
        case 's':
            return conversion.length == Length::None || conversion.length == Length::Long ||
                   conversion.length == Length::Short;
        case 'p':
            return conversion.length == Length::None;
        default:
            return IsFloatingType(conversion.type) &&
                   (conversion.length == Length::None || conversion.length == Length::Long ||
                    conversion.length == Length::LongDouble);
    }
}

// --- numbers through the C library -----------------------------------------------------------------

// The narrow conversion format "%<flags>*.*<length><type>": width and precision always come as arguments
// (a negative precision argument means none).
void BuildNarrowFormat(const Conversion& conversion, char (&narrow)[16]) {
    char* next = narrow;
    *next++ = '%';
    // '#' is defined only for o, x, X and the floating types.
    bool alternateAllowed = conversion.type == 'o' || conversion.type == 'x' || conversion.type == 'X' ||
                            IsFloatingType(conversion.type);
    unsigned flags = alternateAllowed ? conversion.flags : conversion.flags & ~Alternate;
    for (size_t flag = 0; flag < FlagCharacters.size(); ++flag)
        if (flags & 1u << flag) *next++ = static_cast<char>(FlagCharacters[flag]);
    for (char c : {'*', '.', '*'}) *next++ = c;
    for (const char* text = LengthModifiers[static_cast<int>(conversion.length)]; *text != 0; ++text)
        *next++ = *text;
    *next++ = conversion.type;
    *next = 0;
}

// UTF-8 characters of up to three bytes make at least one unit each: the fewest units `bytes` can become.
size_t FewestUnits(size_t bytes) {
    return (bytes + 2) / 3;
}

// A number is at least `width` bytes long, and has at least `precision` ASCII digits except with %g and %G
// without '#', which drop trailing zeros: so a result that cannot fit is known before the C library makes
// it. Such a number, and any number once the buffer has overflowed, only counts those fewest units: the
// result is too small whatever it holds, and only the rest of the format still matters.
template <class T>
bool PutNumber(BoundedWriter& out, Conversion conversion, T value) {
    bool dropsTrailingZeros =
        (conversion.type == 'g' || conversion.type == 'G') && !(conversion.flags & Alternate);
    size_t fewest = FewestUnits(static_cast<size_t>(conversion.width));
    if (!dropsTrailingZeros && conversion.precision > 0)
        fewest = std::max(fewest, static_cast<size_t>(conversion.precision));
    if (fewest > out.Room()) return false;
    if (out.Overflows(fewest)) return out.Count(fewest);
    // Past the longest exact decimal expansion of a long double, more %g digits change nothing.
    constexpr int AllSignificantDigits = 20000;
    if (dropsTrailingZeros) conversion.precision = std::min(conversion.precision, AllSignificantDigits);
    char narrow[16];
    BuildNarrowFormat(conversion, narrow);
    char local[256];
    int length = std::snprintf(local, sizeof(local), narrow, conversion.width, conversion.precision, value);
    if (length < 0) return false;  // the C library cannot make it (above INT_MAX bytes)
    if (static_cast<size_t>(length) < sizeof(local)) return PutUtf8(out, local);
    if (FewestUnits(static_cast<size_t>(length)) > out.Room()) return false;
    // Measuring, a long number counts a unit per byte, without being made: enough for any UTF-8, and
    // exact for the ASCII digits and padding of every usual locale.
    if (out.Measuring()) return out.Count(static_cast<size_t>(length));
    std::unique_ptr<char[]> large(new char[static_cast<size_t>(length) + 1]);
    std::snprintf(large.get(), static_cast<size_t>(length) + 1, narrow, conversion.width,
                  conversion.precision, value);
    return PutUtf8(out, large.get());
}

// The Put functions take supported conversions only (IsSupported).
bool PutSigned(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    switch (conversion.length) {
        case Length::Long:
            return PutNumber(out, conversion, va_arg(arguments.list, long));
        case Length::LongLong:
            return PutNumber(out, conversion, va_arg(arguments.list, long long));
        case Length::Size:
            return PutNumber(out, conversion, va_arg(arguments.list, std::make_signed_t<size_t>));
        case Length::Max:
            return PutNumber(out, conversion, va_arg(arguments.list, intmax_t));
        case Length::Ptrdiff:
            return PutNumber(out, conversion, va_arg(arguments.list, ptrdiff_t));
        default:  // none, hh, h: promoted to int
            return PutNumber(out, conversion, va_arg(arguments.list, int));
    }
}

bool PutUnsigned(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    switch (conversion.length) {
        case Length::Long:
            return PutNumber(out, conversion, va_arg(arguments.list, unsigned long));
        case Length::LongLong:
            return PutNumber(out, conversion, va_arg(arguments.list, unsigned long long));
        case Length::Size:
            return PutNumber(out, conversion, va_arg(arguments.list, size_t));
        case Length::Max:
            return PutNumber(out, conversion, va_arg(arguments.list, uintmax_t));
        case Length::Ptrdiff:
            return PutNumber(out, conversion, va_arg(arguments.list, std::make_unsigned_t<ptrdiff_t>));
        default:  // none, hh, h: promoted to unsigned
            return PutNumber(out, conversion, va_arg(arguments.list, unsigned));
    }
}

bool PutFloating(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    if (conversion.length == Length::LongDouble)
        return PutNumber(out, conversion, va_arg(arguments.list, long double));
    return PutNumber(out, conversion, va_arg(arguments.list, double));
}

// --- text ----------------------------------------------------------------------------------------

// 16-bit units, already measured.
struct Utf16Units {
    const char16_t* units;
    size_t count;

    size_t Units() const { return count; }
    bool WriteTo(BoundedWriter& out) const { return out.Append(units, count); }
};

// Zero-terminated UTF-8 text, up to the whole characters that fit in `limit` units.
class Utf8Characters {
  public:
    Utf8Characters(const char* text, size_t limit) : text_(reinterpret_cast<const unsigned char*>(text)) {
        const unsigned char* next = text_;
        while (units_ < limit && *next != 0) {
            size_t units = UnitsOf(NextUtf8(next));
            if (units > limit - units_) break;  // a surrogate pair is never split
            units_ += units;
        }
    }

    size_t Units() const { return units_; }
    bool WriteTo(BoundedWriter& out) const {
        const unsigned char* next = text_;
        for (size_t written = 0; written < units_;) {
            char32_t codePoint = NextUtf8(next);
            if (!out.PutCodePoint(codePoint)) return false;
            written += UnitsOf(codePoint);
        }
        return true;
    }

  private:
    const unsigned char* text_;
    size_t units_ = 0;
};

// Writes `text` in a field of the conversion's width, filled with spaces ('0' does not apply to text).
template <class Text>
bool PutPadded(BoundedWriter& out, const Conversion& conversion, const Text& text) {
    size_t units = text.Units();
    size_t width = static_cast<size_t>(conversion.width);
    size_t padding = width > units ? width - units : 0;
    bool left = conversion.flags & LeftJustify;
    if (!left && !out.Fill(u' ', padding)) return false;
    if (!text.WriteTo(out)) return false;
    return !left || out.Fill(u' ', padding);
}

size_t PrecisionLimit(const Conversion& conversion) {
    return conversion.precision < 0 ? SIZE_MAX : static_cast<size_t>(conversion.precision);
}

bool PutString(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    static constexpr char NullText[] = "(null)";
    size_t limit = PrecisionLimit(conversion);
    if (conversion.length == Length::Short) {
        const char* text = va_arg(arguments.list, const char*);
        return PutPadded(out, conversion, Utf8Characters(text ? text : NullText, limit));
    }
    const char16_t* text = va_arg(arguments.list, const char16_t*);
    if (text == nullptr) return PutPadded(out, conversion, Utf8Characters(NullText, limit));
    size_t count = 0;
    while (count < limit && text[count] != 0) ++count;  // reads no further than the precision
    return PutPadded(out, conversion, Utf16Units{text, count});
}

bool PutCharacter(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    const int value = va_arg(arguments.list, int);
    // %hc is Latin-1: the byte value is the code point.
    const char16_t unit =
        conversion.length == Length::Short ? static_cast<unsigned char>(value) : static_cast<char16_t>(value);
    return PutPadded(out, conversion, Utf16Units{&unit, 1});
}

// The pointer in the C library's form; only '-' and the width apply.
bool PutPointer(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    char text[64];
    std::snprintf(text, sizeof(text), "%p", va_arg(arguments.list, void*));
    return PutPadded(out, conversion, Utf8Characters(text, SIZE_MAX));
}

bool PutConversion(BoundedWriter& out, const Conversion& conversion, Arguments& arguments) {
    switch (conversion.type) {
        case 'd':
        case 'i':
            return PutSigned(out, conversion, arguments);
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            return PutUnsigned(out, conversion, arguments);
        case 'c':
            return PutCharacter(out, conversion, arguments);
        case 's':
            return PutString(out, conversion, arguments);
        case 'p':
            return PutPointer(out, conversion, arguments);
        default:
            return PutFloating(out, conversion, arguments);
    }
}

bool FormatAll(BoundedWriter& out, const char16_t* format, Arguments& arguments) {
    while (*format != 0) {
        const char16_t* literal = format;
        while (*format != 0 && *format != u'%') ++format;
        if (!out.Append(literal, static_cast<size_t>(format - literal))) return false;
        if (*format == 0) break;
        ++format;
        if (*format == u'%') {  // only the bare "%%" is a percent sign
            ++format;
            if (!out.Put(u'%')) return false;
            continue;
        }
        std::optional<Conversion> conversion = ParseConversion(format, &arguments);
        if (!conversion || !IsSupported(*conversion)) return false;
        if (!PutConversion(out, *conversion, arguments)) return false;
    }
    return true;
}

// Whether every conversion of a narrow format is one the 16-bit formatter takes too.
bool IsValidFormat(const char* format) {
    while (*format != 0) {
        if (*format++ != '%') continue;
        if (*format == '%') {
            ++format;
            continue;
        }
        std::optional<Conversion> conversion = ParseConversion(format, nullptr);
        if (!conversion || !IsSupported(*conversion)) return false;
    }
    return true;
}

}  // namespace

int FormatBounded16V(char16_t* buffer, size_t capacity, const char16_t* format, va_list args) {
    if (buffer != nullptr && capacity == 0) return FormatTooSmall;
    BoundedWriter out(buffer, capacity);
    bool complete = false;
    if (format != nullptr) {
        Arguments arguments;
        va_copy(arguments.list, args);
        complete = FormatAll(out, format, arguments);
        va_end(arguments.list);
    }
    const int result = !complete ? FormatInvalid  // rejected, or more than INT_MAX units
                       : buffer == nullptr || out.Fits() ? static_cast<int>(out.Length())
                                                         : FormatTooSmall;
    if (buffer != nullptr) buffer[result < 0 ? 0 : result] = 0;
    return result;
}

int FormatBounded8V(char* buffer, size_t capacity, const char* format, va_list args) {
    if (buffer != nullptr && capacity == 0) return FormatTooSmall;
    if (format == nullptr || !IsValidFormat(format)) {
        if (buffer != nullptr) buffer[0] = 0;
        return FormatInvalid;
    }
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(buffer, buffer ? capacity : 0, format, copy);
    va_end(copy);
    if (length >= 0 && (buffer == nullptr || static_cast<size_t>(length) < capacity)) return length;
    if (buffer != nullptr) buffer[0] = 0;
    return length < 0 ? FormatInvalid : FormatTooSmall;
}

int FormatBounded16(char16_t* buffer, size_t capacity, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatBounded16V(buffer, capacity, format, args);
    va_end(args);
    return result;
}

}  // namespace kt::platform
