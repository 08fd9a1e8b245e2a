// KTString: a string that is a single pointer to its first character, with a length-caching header in
// front of the characters (see string_block.h). One class template serves both widths (char: UTF-8,
// char16_t: UTF-16) and all four storage modes (see storage.h).
#pragma once

#include <cmath>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/platform.h"
#include "text/string/gcc_bounds.h"
#include "text/string/number_format.h"
#include "text/string/storage.h"
#include "text/string/string_block.h"
#include "text/string/utf8.h"

namespace kt {

// Capacity argument of the reserving constructor: KTString<char> s(KTCapacity{16});
struct KTCapacity {
    int32_t count;
};

// Tag of the KTStringBorrowed constructor that attaches to foreign characters without copying.
struct KTBorrowTag {};
inline constexpr KTBorrowTag Borrow{};

template <class Char, class Storage>
class KTStringT;
template <class Char>
class KTConcat;  // text/string/concat.h

namespace detail {
template <class Char>
size_t TextLength(const Char* text) {
    if constexpr (std::is_same_v<Char, char>)
        return std::strlen(text);
    else
        return std::char_traits<Char>::length(text);
}

// Writes a code point as UTF-8 or UTF-16 at `out`; returns the units written (0 when refused).
template <class Char>
int EncodeCodePoint(Char* out, uint32_t cp) {
    if constexpr (std::is_same_v<Char, char>) {
        char* p = out;
        return EncodeUtf8(p, cp) ? static_cast<int>(p - out) : 0;
    } else {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        if (cp < 0x10000) {
            out[0] = static_cast<Char>(cp);
            return 1;
        }
        cp -= 0x10000;
        out[0] = static_cast<Char>(0xD800 | (cp >> 10));
        out[1] = static_cast<Char>(0xDC00 | (cp & 0x3FF));
        return 2;
    }
}

// Units of a single 8-bit character taken as Latin-1: 0x80-0xFF is U+0080-U+00FF.
// The two-unit write is reached only for a block with room for it; GCC also follows the path where the
// target is the one-unit shared empty value.
KT_BOUNDS_WARNINGS_OFF
template <class Char>
int EncodeLatin1(Char* out, char c) {
    auto value = static_cast<unsigned char>(c);
    if constexpr (std::is_same_v<Char, char>) {
        if (value >= 0x80) {
            out[0] = static_cast<char>(0xC0 | value >> 6);
            out[1] = static_cast<char>(0x80 | (value & 0x3F));
            return 2;
        }
    }
    out[0] = static_cast<Char>(value);
    return 1;
}
KT_BOUNDS_WARNINGS_ON

[[noreturn]] void ThrowWriteToNull();
[[noreturn]] void ThrowTooLong();
[[noreturn]] void ThrowConvertFromUtf8Failed();
}  // namespace detail

template <class Char, class Storage>
class KTStringT : private Storage {
    static_assert(std::is_same_v<Char, char> || std::is_same_v<Char, char16_t>,
                  "KTString is UTF-8 or UTF-16");
    template <class, class>
    friend class KTStringT;

  public:
    using CharType = Char;
    using View = std::basic_string_view<Char>;
    // Whether a move takes the source's block (false for inline strings, whose moves copy).
    static constexpr bool MoveTakesBlock = Storage::MoveTakesBlock;

    // --- construction -------------------------------------------------------------------------------
    constexpr KTStringT() noexcept = default;

    KTStringT(const Char* text) {  // NOLINT: implicit, like the terminated arrays it stands for
        if (text != nullptr && text[0] != 0) AssignUnits(text, CountOf(detail::TextLength(text)));
    }

    // `count` is in code units; in the 8-bit width with countIsUnits false it counts characters.
    // ToEnd takes the text up to its terminator. Units are copied as they are, terminators included.
    KTStringT(const Char* text, int32_t count, bool countIsUnits = true) {
        if (text == nullptr || count < 1) return;
        if (count == ToEnd)
            count = CountOf(detail::TextLength(text));
        else if (std::is_same_v<Char, char> && !countIsUnits)
            count = CharsToUnitsOf(text, count);
        if (count > 0) AssignUnits(text, count);
    }

    explicit KTStringT(View piece) {
        if (!piece.empty()) AssignUnits(piece.data(), CountOf(piece.size()));
    }

    // An empty string with room for `capacity` units (8-bit, countIsUnits false: for that many
    // characters, 4 bytes each); with zeroFill every unit of the block is 0.
    // GCC follows the fill into the shared empty value, which a positive capacity has already left.
    KT_BOUNDS_WARNINGS_OFF
    explicit KTStringT(KTCapacity capacity, bool countIsUnits = true, bool zeroFill = false) {
        int64_t units = capacity.count;
        if (units < 1) return;
        if (std::is_same_v<Char, char> && !countIsUnits) units *= 4;
        if (units > ToEnd) detail::ThrowTooLong();
        this->ReserveBlock(static_cast<int32_t>(units), 0);
        if (zeroFill) std::memset(this->data_, 0, (static_cast<size_t>(units) + 1) * sizeof(Char));
        this->data_[0] = 0;
        this->CacheLength(0);
    }
    KT_BOUNDS_WARNINGS_ON

    // One 8-bit character, taken as Latin-1. A NUL gives an empty string with room for one unit.
    explicit KTStringT(char c) { AssignLatin1(c); }
    explicit KTStringT(char32_t codePoint) { AssignCodePoint(codePoint); }
    explicit KTStringT(char16_t unit) requires std::is_same_v<Char, char16_t> {
        AssignUnits(&unit, unit == 0 ? 0 : 1);
    }

    KTStringT(const Char* first, const Char* last) {
        if (first != nullptr && last != nullptr && last > first) AssignUnits(first, CountOf(last - first));
    }

    // Attaches a borrowed string to foreign terminated characters (null: the empty string).
    KTStringT(KTBorrowTag,
              const Char* text) noexcept requires std::is_same_v<Storage, BorrowedStorage<Char>> {
        this->Borrow(text);
    }

    KTStringT(const KTStringT& other) { CopyFrom(other); }
    template <class OtherStorage>
    KTStringT(const KTStringT<Char, OtherStorage>& other) {  // NOLINT: any mode converts to any mode
        AssignUnits(other.Data(), other.Length());
    }
    KTStringT(KTStringT&& other) noexcept(Storage::MoveTakesBlock) {
        if (this->CanTakeBlockOf(other))
            this->TakeBlockOf(other);
        else
            AssignUnits(other.Data(), other.Length());
    }

    ~KTStringT() { this->ReleaseStorage(); }

    // --- assignment ---------------------------------------------------------------------------------
    KTStringT& operator=(const KTStringT& other) {
        if constexpr (IsShared) {
            if (this->data_ != other.data_) {
                this->ReleaseStorage();
                this->data_ = TNullData<Char>::Data();
                CopyFrom(other);
            }
        } else if (this != &other) {
            AssignUnits(other.Data(), other.Length());
        }
        return *this;
    }
    KTStringT& operator=(KTStringT&& other) noexcept(Storage::MoveTakesBlock) {
        if (this == &other) return *this;
        if (this->CanTakeBlockOf(other)) {
            this->ReleaseStorage();
            this->data_ = TNullData<Char>::Data();
            this->TakeBlockOf(other);
        } else {
            AssignUnits(other.Data(), other.Length());
        }
        return *this;
    }
    template <class OtherStorage>
    KTStringT& operator=(const KTStringT<Char, OtherStorage>& other) {
        return Assign(other.Data(), other.Length());
    }
    KTStringT& operator=(const Char* text) {
        return Assign(text, text ? CountOf(detail::TextLength(text)) : 0);
    }
    KTStringT& operator=(View piece) { return Assign(piece.data(), CountOf(piece.size())); }
    KTStringT& operator=(char c) {
        AssignLatin1(c);
        return *this;
    }
    KTStringT& operator=(char32_t codePoint) {
        AssignCodePoint(codePoint);
        return *this;
    }

    // Copies `count` units into the string's own storage (nothing when `text` is the string's own data).
    KTStringT& Assign(const Char* text, int32_t count) {
        if (text == this->data_) return *this;
        if (text == nullptr || count < 0) count = 0;
        AssignUnits(text, count);
        return *this;
    }

    // --- appending: always grows to exactly the new length ---------------------------------------------
    KTStringT& operator+=(const Char* text) {
        if (text != nullptr) AppendUnits(text, CountOf(detail::TextLength(text)));
        return *this;
    }
    KTStringT& operator+=(View piece) { return Append(piece.data(), CountOf(piece.size())); }
    template <class OtherStorage>
    KTStringT& operator+=(const KTStringT<Char, OtherStorage>& other) {
        return Append(other.Data(), other.Length());
    }
    KTStringT& operator+=(char c) {
        if (c == 0) return *this;
        Char units[2];
        AppendUnits(units, detail::EncodeLatin1(units, c));
        return *this;
    }
    KTStringT& operator+=(char16_t unit) requires std::is_same_v<Char, char16_t> {
        if (unit != 0) AppendUnits(&unit, 1);
        return *this;
    }
    KTStringT& operator+=(char32_t codePoint) { return AppendCodePoint(codePoint); }

    // Appends `count` units (negative: up to the terminator; null: nothing).
    KTStringT& Append(const Char* text, int32_t count) {
        if (text == nullptr) return *this;
        if (count < 0) count = CountOf(detail::TextLength(text));
        AppendUnits(text, count);
        return *this;
    }
    // A code point refused by the encoder (above 0x10FFFF, a surrogate) or 0 appends nothing.
    KTStringT& AppendCodePoint(uint32_t codePoint) {
        Char units[4];
        if (codePoint != 0) AppendUnits(units, detail::EncodeCodePoint(units, codePoint));
        return *this;
    }

    // --- numbers (text/string/number_format.h) -----------------------------------------------------------
    // Integers in decimal, pointers as "0x" and upper-case hexadecimal, floats as "%10.2f". Appending grows
    // exactly, like the rest of the family; assigning makes room without keeping the old characters.
    template <KTNumber Number>
    KTStringT& operator+=(Number value) {
        return AppendNumber(MakeNumberPiece(value));
    }
    template <class Void>
    requires std::is_void_v<Void> KTStringT& operator+=(Void* pointer) {
        return AppendNumber(MakeNumberPiece(pointer));
    }
    template <KTNumber Number>
    KTStringT& operator=(Number value) {
        return AssignNumber(MakeNumberPiece(value));
    }
    template <class Void>
    requires std::is_void_v<Void> KTStringT& operator=(Void* pointer) {
        return AssignNumber(MakeNumberPiece(pointer));
    }

    // Replaces the contents with `value` written with `decimals` digits after the point: "INF" and "-INF"
    // for infinities; `roundHalfUp` rounds the last digit instead of cutting; a remainder within `epsilon`
    // of 0 or of a whole unit counts as that; `padDecimals` writes all `decimals` digits; `keepSignOfZero`
    // keeps "-" on a value that prints as zero; `appendPointZero` writes ".0" when no fraction was written.
    KTStringT& FormatDouble(double value, int32_t decimals, bool roundHalfUp, double epsilon,
                            bool padDecimals, bool keepSignOfZero, bool appendPointZero) {
        char text[detail::DoubleTextCapacity];
        int32_t padZeros;
        int32_t length = detail::FormatDoubleText(text, value, decimals, roundHalfUp, epsilon, padDecimals,
                                                  keepSignOfZero, appendPointZero, padZeros);
        return AssignAscii(text, length, padZeros, std::isinf(value) ? 0 : 64);
    }
    // Replaces the contents with the Roman numeral of 1..9999 ("MCMXCIV"); other values empty the string.
    KTStringT& ToRoman(int32_t value, bool uppercase) {
        char text[detail::RomanTextCapacity];
        int32_t length = detail::RomanText(text, value, uppercase);
        if (length == 0) {
            Empty();
            return *this;
        }
        return AssignAscii(text, length, 0, detail::RomanTextCapacity);
    }
    // Replaces the contents with the bijective base-26 label of `value`: A..Z, AA, AB, ...; values below 1
    // clear the string.
    KTStringT& ToAlphabetic(int32_t value, bool uppercase) requires std::is_same_v<Char, char> {
        if (value < 1) {
            Clear();
            return *this;
        }
        int32_t letters = 0;
        for (int32_t n = value; n != 0; n = (n - 1) / 26) ++letters;
        this->EnsureBlock(letters, false);
        _SetStringEnd(letters);
        const char first = uppercase ? 'A' : 'a';
        for (int32_t n = value, at = letters; n != 0; n = (n - 1) / 26)
            this->data_[--at] = static_cast<char>(first + (n - 1) % 26);
        return *this;
    }
    // Replaces the contents with the text of a locale item (platform::LocaleItem) of the user's default
    // locale, or of `locale`; false when the platform knows no such locale or item.
    [[nodiscard]] bool LoadLocaleInfo(uint32_t item) requires std::is_same_v<Char, char16_t> {
        return LoadLocaleInfo(platform::LocaleUserDefault, item);
    }
    [[nodiscard]] bool LoadLocaleInfo(uint32_t locale,
                                      uint32_t item) requires std::is_same_v<Char, char16_t> {
        int32_t needed = platform::LocaleItemText(locale, item, nullptr, 0);
        if (needed <= 0) return false;
        this->EnsureBlock(needed - 1, false);
        if (needed == 1) {
            Clear();
            return true;
        }
        int32_t written = platform::LocaleItemText(locale, item, this->data_, Capacity() + 1);
        if (written <= 0) {
            Clear();
            return false;
        }
        _SetStringEnd(written - 1);
        return true;
    }

    // --- UTF-8 (text/string/convert.h has the conversions that make new strings) --------------------
    // Replaces the contents with the UTF-16 form of `count` bytes of UTF-8 (negative: up to the terminator),
    // converted by the platform's UTF-8 code page; ill-formed bytes become U+FFFD. Throws std::runtime_error
    // "KTString::ConvertFromUTF8String failed!" when the converter fails.
    KTStringT& ConvertFromUTF8String(const char* text,
                                     int32_t count = -1) requires std::is_same_v<Char, char16_t> {
        return _ConvertFromUTF8(platform::Utf8ToUtf16, text, count);
    }
    KTStringT& ConvertFromUTF8String(std::string_view piece) requires std::is_same_v<Char, char16_t> {
        return _ConvertFromUTF8(platform::Utf8ToUtf16, piece.data(), CountOf(piece.size()));
    }
    template <class OtherStorage>
    KTStringT& ConvertFromUTF8String(
        const KTStringT<char, OtherStorage>& text) requires std::is_same_v<Char, char16_t> {
        return _ConvertFromUTF8(platform::Utf8ToUtf16, text.Data(), text.Length());
    }
    // ConvertFromUTF8String with a converter of the platform's signature (the seam tests use).
    template <class Converter>
    KTStringT& _ConvertFromUTF8(Converter convert, const char* text, int32_t count) {
        if (text == nullptr || count == 0 || (count < 0 && text[0] == 0)) {
            Clear();
            return *this;
        }
        if (count < 0) count = CountOf(std::strlen(text));
        const int32_t units = convert(text, count, nullptr, 0);
        if (units <= 0) detail::ThrowConvertFromUtf8Failed();
        this->EnsureBlock(units, false);
        if (convert(text, count, this->data_, Capacity() + 1) <= 0) {
            Clear();
            detail::ThrowConvertFromUtf8Failed();
        }
        _SetStringEnd(units);
        return *this;
    }
    // Replaces the units with the UTF-8 bytes of the contents, one byte per unit (U+00E9 becomes 0x00C3,
    // 0x00A9), as percent-escaping needs them.
    KTStringT& ConvertToUtf8Units() requires std::is_same_v<Char, char16_t> {
        KTUtf8Buffer bytes(this->data_);
        if (bytes.Size() == 0) {
            Clear();
            return *this;
        }
        const int32_t count = bytes.Size() - 1;
        this->EnsureBlock(count, false);
        if (IsNullData(this->data_)) return *this;
        for (int32_t i = 0; i < count; ++i) this->data_[i] = static_cast<unsigned char>(bytes.Data()[i]);
        _SetStringEnd(count);
        return *this;
    }

    // --- concatenation expressions (text/string/concat.h) -------------------------------------------
    // One allocation of exactly the expression's length.
    KTStringT(const KTConcat<Char>& expression) {  // NOLINT: implicit, so that `S s = a + b;` reads naturally
        expression.MaterializeInto(*this);
    }
    KTStringT& operator=(const KTConcat<Char>& expression) {
        expression.AssignTo(*this);
        return *this;
    }
    KTStringT& operator+=(const KTConcat<Char>& expression) {
        expression.AppendTo(*this);
        return *this;
    }

    // --- access -------------------------------------------------------------------------------------
    [[nodiscard]] Char* Data() noexcept { return this->data_; }
    [[nodiscard]] const Char* Data() const noexcept { return this->data_; }

    // The cached length; scans for the terminator and caches the result when it is not cached.
    [[nodiscard]] int32_t Length() const {
        int32_t cached = this->CachedLength();
        if (cached >= 0) return cached;
        int32_t length = CountOf(detail::TextLength(this->data_));
        const_cast<KTStringT*>(this)->CacheLength(length);
        return length;
    }
    [[nodiscard]] int32_t Capacity() const { return this->CurrentCapacity(); }
    [[nodiscard]] bool IsEmpty() const { return this->data_[0] == 0; }
    [[nodiscard]] bool IsNull() const { return IsNullData(this->data_); }
    [[nodiscard]] View ToView() const { return View(this->data_, static_cast<size_t>(Length())); }

    Char& operator[](int32_t index) { return this->data_[index]; }
    const Char& operator[](int32_t index) const { return this->data_[index]; }

    // --- storage control ----------------------------------------------------------------------------
    // Points the string at a fresh block (flags 0, length not cached); writes no terminator and does
    // not release the previous block.
    void _AllocateStorage(int32_t capacity) { this->AdoptBlock(block::Allocate<Char>(capacity)); }

    // Writes the terminator at `length` and caches it. On the empty value only 0 (or less) is allowed.
    void _SetStringEnd(int32_t length) {
        if (IsNullData(this->data_)) {
            if (length > 0) detail::ThrowWriteToNull();
            return;
        }
        this->data_[length] = 0;
        this->CacheLength(length);
    }
    void _SetStringEnd(const Char* end) { _SetStringEnd(CountOf(end - this->data_)); }

    // Stores `length` in the length cache without writing a terminator; LengthNotCached forgets it.
    void _SetLengthCache(int32_t length) { this->CacheLength(length); }
    void _SetLengthCache(const Char* end) { this->CacheLength(CountOf(end - this->data_)); }
    // Forgets the cached length (the header's LengthNotCached): the next Length() scans.
    void _MarkLengthNotCached() { this->CacheLength(-1); }

    // Changes the capacity. Without Exact it never shrinks; with Preserve it keeps the contents.
    void Reserve(int32_t capacity, unsigned options) { this->ReserveBlock(capacity, options); }
    // Grows (never shrinks) to `capacity`; unshares a shared block and takes ownership of borrowed text.
    void EnsureCapacity(int32_t capacity, bool keepContents) { this->EnsureBlock(capacity, keepContents); }
    // Drops the storage: back to the empty value (or the inline buffer).
    void Empty() { this->DropStorage(); }
    // Empties the contents but keeps the block.
    void Clear() { this->ClearContents(); }
    // Makes the characters safe to write: unshares a shared block, copies borrowed characters.
    void MakeWritable() { this->Storage::MakeWritable(); }

    // Mode-specific queries, for the modes that have them.
    [[nodiscard]] uint16_t Holders() const requires requires(const Storage& s) { s.Holders(); }
    { return Storage::Holders(); }
    [[nodiscard]] bool Owned() const requires requires(const Storage& s) { s.Owned(); }
    { return Storage::Owned(); }

    // --- comparison ---------------------------------------------------------------------------------
    template <class OtherStorage>
    [[nodiscard]] bool operator==(const KTStringT<Char, OtherStorage>& other) const {
        return ToView() == other.ToView();
    }
    [[nodiscard]] bool operator==(const Char* text) const {
        return ToView() == View(text ? text : TNullData<Char>::Data());
    }
    [[nodiscard]] bool operator==(View text) const { return ToView() == text; }

  private:
    static constexpr bool IsShared = std::is_same_v<Storage, SharedStorage<Char>>;

    static int32_t CountOf(size_t units) {
        if (units > static_cast<size_t>(ToEnd)) detail::ThrowTooLong();
        return static_cast<int32_t>(units);
    }
    static int32_t CountOf(ptrdiff_t units) { return CountOf(static_cast<size_t>(units)); }
    static int32_t CharsToUnitsOf(const Char* text, int32_t count) {
        if constexpr (std::is_same_v<Char, char>)
            return CharsToUnits(text, count);
        else
            return count;
    }

    bool Aliases(const Char* text) const {
        return !IsNullData(this->data_) && std::less_equal<const Char*>()(this->data_, text) &&
               std::less_equal<const Char*>()(text, this->data_ + Capacity());
    }

    // Shares the block in the shared mode (a block whose holder count is full is copied instead); copies
    // in the others.
    void CopyFrom(const KTStringT& other) {
        if constexpr (IsShared)
            if (this->Share(other)) return;
        AssignUnits(other.Data(), other.Length());
    }

    void AssignUnits(const Char* text, int32_t count) {
        if (count > 0 && Aliases(text)) {  // the source would not survive a reallocation: copy it first
            KTStringT<Char, UniqueStorage<Char>> copy(text, count);
            AssignUnits(copy.Data(), count);
            return;
        }
        this->EnsureBlock(count, false);
        if (IsNullData(this->data_)) return;
        if (count > 0) std::memcpy(this->data_, text, static_cast<size_t>(count) * sizeof(Char));
        _SetStringEnd(count);
    }

    // GCC follows the copy into the object's own storage (the shared empty value, an inline buffer) on the
    // path where the block has just been grown.
    KT_BOUNDS_WARNINGS_OFF
    void AppendUnits(const Char* units, int32_t count) {
        if (count <= 0) return;
        int32_t length = Length();
        if (static_cast<int64_t>(length) + count > ToEnd) detail::ThrowTooLong();
        int32_t needed = length + count;
        if (needed > Capacity()) {  // growing also unshares a shared block and owns borrowed text
            ptrdiff_t offset = Aliases(units) ? units - this->data_ : -1;
            this->ReserveBlock(needed, Preserve);
            if (offset >= 0) units = this->data_ + offset;
        } else {
            this->MakeWritable();
        }
        std::memmove(this->data_ + length, units, static_cast<size_t>(count) * sizeof(Char));
        _SetStringEnd(needed);
    }
    KT_BOUNDS_WARNINGS_ON

    KTStringT& AppendNumber(const NumberPiece& piece) {
        const int32_t count = MeasureNumber<Char>(piece);
        const int32_t length = Length();
        if (static_cast<int64_t>(length) + count > ToEnd) detail::ThrowTooLong();
        if (length + count > Capacity())
            this->ReserveBlock(length + count, Preserve);
        else
            this->MakeWritable();
        FormatNumber(this->data_ + length, count + 1, piece);
        _SetStringEnd(length + count);
        return *this;
    }

    KTStringT& AssignNumber(const NumberPiece& piece) {
        const int32_t count = MeasureNumber<Char>(piece);
        this->EnsureBlock(count, false);
        FormatNumber(this->data_, count + 1, piece);
        _SetStringEnd(count);
        return *this;
    }

    // Replaces the contents with `length` ASCII characters and `padZeros` zeros, in a block of at least
    // `minCapacity` units.
    KTStringT& AssignAscii(const char* text, int32_t length, int32_t padZeros, int32_t minCapacity) {
        if (static_cast<int64_t>(length) + padZeros > ToEnd) detail::ThrowTooLong();
        const int32_t total = length + padZeros;
        this->EnsureBlock(total > minCapacity ? total : minCapacity, false);
        if (IsNullData(this->data_)) return *this;
        for (int32_t i = 0; i < length; ++i) this->data_[i] = static_cast<Char>(text[i]);
        for (int32_t i = length; i < total; ++i) this->data_[i] = Char('0');
        _SetStringEnd(total);
        return *this;
    }

    void AssignLatin1(char c) {
        int units = std::is_same_v<Char, char> && static_cast<unsigned char>(c) >= 0x80 ? 2 : 1;
        this->EnsureBlock(units, false);
        if (c == 0) {
            this->data_[0] = 0;
            this->CacheLength(0);
            return;
        }
        _SetStringEnd(detail::EncodeLatin1(this->data_, c));
    }

    void AssignCodePoint(uint32_t cp) {
        int units = std::is_same_v<Char, char> ? Utf8Length(cp) : (cp >= 0x10000 ? 2 : 1);
        this->EnsureBlock(units, false);
        int written = cp == 0 ? 0 : detail::EncodeCodePoint(this->data_, cp);
        _SetStringEnd(written);
    }
};

// The four storage modes.
template <class Char>
using KTString = KTStringT<Char, UniqueStorage<Char>>;
template <class Char, int32_t N>
using KTStringInline = KTStringT<Char, InlineStorage<Char, N>>;
template <class Char>
using KTStringShared = KTStringT<Char, SharedStorage<Char>>;
template <class Char>
using KTStringBorrowed = KTStringT<Char, BorrowedStorage<Char>>;

}  // namespace kt
