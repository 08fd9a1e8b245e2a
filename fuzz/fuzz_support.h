// Helpers shared by the fuzz targets: property checks that abort (libFuzzer then keeps the input), a
// reader that turns the fuzzer's bytes into choices and texts, terminated copies that AddressSanitizer
// guards, and strict UTF-8 / UTF-16 validity tests for the round-trip properties.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

// A property that does not hold: report it and abort, so that the fuzzer records the input as a crash.
#define KT_FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::kt::fuzz::Fail(#condition, __FILE__, __LINE__))

// The entry point of a target that checks both widths: the first byte picks Run<char> or Run<char16_t>,
// which the target defines, for inputs up to `maxSize` bytes.
#define KT_FUZZ_BOTH_WIDTHS(maxSize)                                          \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        if (size > (maxSize)) return 0;                                       \
        ::kt::fuzz::Input input(data, size);                                  \
        if (input.Bool())                                                     \
            Run<char>(input);                                                 \
        else                                                                  \
            Run<char16_t>(input);                                             \
        return 0;                                                             \
    }

namespace kt::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

// Reads the fuzzer's bytes front to back; once they are used up every read gives 0 or an empty text, so
// that any input is a complete test case.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }
    uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    bool Bool() { return (Byte() & 1) != 0; }
    uint32_t U32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
        return value;
    }
    uint64_t U64() { return static_cast<uint64_t>(U32()) << 32 | U32(); }
    // A value in 0..bound-1 (bound > 0).
    uint32_t Below(uint32_t bound) { return (bound <= 256 ? Byte() : U32()) % bound; }

    // A text without zero units: a length byte (limited to maxUnits), then the units (two bytes each in
    // the 16-bit width); zero units are left out.
    template <class Char>
    std::basic_string<Char> Text(size_t maxUnits) {
        return Units<Char>(Byte() % (maxUnits + 1));
    }
    // All remaining bytes as units (at most maxUnits), without zero units.
    template <class Char>
    std::basic_string<Char> Rest(size_t maxUnits) {
        return Units<Char>(maxUnits);
    }

  private:
    template <class Char>
    std::basic_string<Char> Units(size_t count) {
        std::basic_string<Char> text;
        for (size_t i = 0; i < count && !Empty(); ++i) {
            Char unit = static_cast<Char>(Byte());
            if constexpr (sizeof(Char) == 2) unit = static_cast<Char>(unit << 8 | Byte());
            if (unit != 0) text.push_back(unit);
        }
        return text;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A terminated copy of a text at the end of a heap block (behind `offset` spare units, to start it at any
// alignment): a read past the terminator is a heap-buffer-overflow under AddressSanitizer.
template <class Char>
class ExactText {
  public:
    explicit ExactText(std::basic_string_view<Char> text, size_t offset = 0)
        : block_(new Char[offset + text.size() + 1]), units_(block_.get() + offset), size_(text.size()) {
        text.copy(units_, text.size());
        units_[text.size()] = 0;
    }
    const Char* Get() const { return units_; }
    Char* Get() { return units_; }
    size_t Size() const { return size_; }

  private:
    std::unique_ptr<Char[]> block_;
    Char* units_;
    size_t size_;
};

// The units of a string of the library (any width and storage mode) as a standard string.
template <class S>
std::basic_string<typename S::CharType> Contents(const S& s) {
    return std::basic_string<typename S::CharType>(s.Data(), static_cast<size_t>(s.Length()));
}

// Well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length;
        uint32_t cp;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = cp << 6 | (next & 0x3F);
        }
        const uint32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (cp < shortest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Well-formed UTF-16: every surrogate half in a high-low pair.
inline bool IsValidUtf16(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

// The code points of well-formed text (UTF-8), or of 16-bit text taken unit by unit.
inline std::u32string CodePointsOf(std::string_view validUtf8) {
    std::u32string points;
    for (size_t i = 0; i < validUtf8.size();) {
        const auto lead = static_cast<unsigned char>(validUtf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) cp = cp << 6 | (static_cast<unsigned char>(validUtf8[i + k]) & 0x3F);
        points.push_back(cp);
        i += length;
    }
    return points;
}
inline std::u32string CodePointsOf(std::u16string_view units) {
    return std::u32string(units.begin(), units.end());
}

// The UTF-8 form of code points (each below 0x110000 and outside D800-DFFF).
inline std::string Utf8Of(std::u32string_view points) {
    std::string bytes;
    for (char32_t cp : points) {
        if (cp < 0x80) {
            bytes.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | cp >> 6));
            bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | cp >> 12));
            bytes.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | cp >> 18));
            bytes.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return bytes;
}

// Text of the width from code points: UTF-8 for 8-bit text, one unit per code point for 16-bit text.
template <class Char>
std::basic_string<Char> TextOf(std::u32string_view points) {
    if constexpr (sizeof(Char) == 1) {
        return Utf8Of(points);
    } else {
        std::u16string units;
        for (char32_t cp : points) units.push_back(static_cast<char16_t>(cp));
        return units;
    }
}

}  // namespace kt::fuzz
