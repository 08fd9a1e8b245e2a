// Quoted-printable encoding and line endings. Every operation is written once over both widths and all
// storage modes: the passes over the characters live in encodings.cpp (instantiated for char and
// char16_t), the templates here only obtain storage as the string's mode requires.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

#include "text/string/kt_string.h"
#include "text/string/text_piece.h"

namespace kt {

// The three line endings, as terminated texts of either width.
template <class Char>
inline constexpr Char LineEndingCRLF[3] = {Char('\r'), Char('\n'), Char(0)};
template <class Char>
inline constexpr Char LineEndingCR[2] = {Char('\r'), Char(0)};
template <class Char>
inline constexpr Char LineEndingLF[2] = {Char('\n'), Char(0)};

// The first line break of `text` that is not `target`, which must be "\r", "\n" or "\r\n"; for a CR LF
// pair the position of its CR. Null when every break matches, when there is none, or for another target.
[[nodiscard]] const char* FindForeignLineEnding(KTTextPiece<char> text, KTTextPiece<char> target);
[[nodiscard]] const char16_t* FindForeignLineEnding(KTTextPiece<char16_t> text, KTTextPiece<char16_t> target);

// The first line break of `text` ("\r\n", "\r" or "\n"), or a copy of `defaultEnding` when it has none.
[[nodiscard]] KTString<char> DetectLineEnding(KTTextPiece<char> text, KTTextPiece<char> defaultEnding);
[[nodiscard]] KTString<char16_t> DetectLineEnding(KTTextPiece<char16_t> text,
                                                  KTTextPiece<char16_t> defaultEnding);

namespace detail {

enum class LineEnding { None, CR, LF, CRLF };

// Which of the three endings `target` is; None for anything else (null and empty included).
template <class Char>
LineEnding ClassifyLineEnding(KTTextPiece<Char> target);
// Units that `length` units of `text` take once every break is `target` (CR, LF or CRLF).
template <class Char>
int64_t MeasureLineEndings(const Char* text, int32_t length, LineEnding target);
// Writes `length` units of `text` with every break made `target` to `out`; returns the units written. When
// the result is not longer than the text, `out` may be `text` itself.
template <class Char>
int32_t WriteLineEndings(const Char* text, int32_t length, Char* out, LineEnding target);

// Units of the quoted-printable form of `length` units of `text`, and that form written to `out`.
int64_t MeasureQuotedPrintable(const char16_t* text, int32_t length);
void WriteQuotedPrintable(const char16_t* text, int32_t length, char16_t* out);

// Replaces the contents of `text` with `length` (> 0) units that `write` puts into a block of their own:
// for the modes that move blocks the new block is taken over, inline strings copy it.
template <class Char, class Storage, class Writer>
void ReplaceContents(KTStringT<Char, Storage>& text, int32_t length, Writer&& write) {
    KTStringT<Char, Storage> fresh;
    fresh.EnsureCapacity(length, false);
    std::forward<Writer>(write)(fresh.Data());
    fresh._SetStringEnd(length);
    text = std::move(fresh);
}

// Whether `units` lies in the block of `text` (so that writing the string could change it).
template <class Char, class Storage>
bool PointsInto(const KTStringT<Char, Storage>& text, const Char* units) {
    const Char* begin = text.Data();
    return !text.IsNull() && std::less_equal<const Char*>()(begin, units) &&
           std::less_equal<const Char*>()(units, begin + text.Capacity());
}

}  // namespace detail

// Replaces the contents of `text` with `source` where every line break (CR LF, a lone CR, a lone LF) has
// become `target` ("\r\n", "\r" or "\n"). Any other target leaves the string unchanged. `source` may be
// the string itself or a part of it.
template <class Char, class Storage>
KTStringT<Char, Storage>& ConvertLineEndings(KTStringT<Char, Storage>& text,
                                             std::type_identity_t<KTTextPiece<Char>> source,
                                             std::type_identity_t<KTTextPiece<Char>> target) {
    const detail::LineEnding ending = detail::ClassifyLineEnding(target);
    if (ending == detail::LineEnding::None) return text;
    const int32_t length = source.Length();
    const bool inPlace = source.Data() == text.Data() && length == text.Length();
    if (!inPlace && detail::PointsInto(text, source.Data())) {
        // A part of the string itself: writing would overwrite what is still to be read.
        const KTString<Char> copy(source.Data(), length);
        return ConvertLineEndings(text, copy, target);
    }
    if (ending != detail::LineEnding::CRLF) {  // never longer: one forward pass, in place if need be
        if (length == 0) {
            text.Clear();
            return text;
        }
        if (inPlace)
            text.MakeWritable();
        else
            text.EnsureCapacity(length, false);
        const Char* from = inPlace ? text.Data() : source.Data();
        text._SetStringEnd(detail::WriteLineEndings(from, length, text.Data(), ending));
        return text;
    }
    const int64_t converted = detail::MeasureLineEndings(source.Data(), length, ending);
    if (converted > ToEnd) detail::ThrowTooLong();
    const auto convertedLength = static_cast<int32_t>(converted);
    if (convertedLength == length) {  // every break is CR LF already
        if (!inPlace) text.Assign(source.Data(), length);
        return text;
    }
    auto write = [&](Char* out) { detail::WriteLineEndings(source.Data(), length, out, ending); };
    if (inPlace) {
        detail::ReplaceContents(text, convertedLength, write);
    } else {
        text.EnsureCapacity(convertedLength, false);
        write(text.Data());
        text._SetStringEnd(convertedLength);
    }
    return text;
}

// Converts the string's own line breaks to `target`.
template <class Char, class Storage>
KTStringT<Char, Storage>& ConvertLineEndings(KTStringT<Char, Storage>& text,
                                             std::type_identity_t<KTTextPiece<Char>> target) {
    return ConvertLineEndings(text, KTTextPiece<Char>(text), target);
}

// Converts only when the string has a line break that is not `target` (see FindForeignLineEnding), so
// that a string that needs nothing keeps its block untouched.
template <class Char, class Storage>
KTStringT<Char, Storage>& ConvertLineEndingsIfNeeded(KTStringT<Char, Storage>& text,
                                                     std::type_identity_t<KTTextPiece<Char>> target) {
    if (FindForeignLineEnding(KTTextPiece<Char>(text), target) != nullptr) ConvertLineEndings(text, target);
    return text;
}

// Replaces the contents of a 16-bit string that holds one byte per unit (as ConvertToUtf8Units leaves it)
// with their quoted-printable form: "=XX" escapes in upper-case hexadecimal (a unit above 0xFF with as
// many digits as it needs), CR LF line breaks, and a soft break "=\r\n" after the character that starts
// at column 70 or later, so that no line of byte values exceeds 76 characters. A line never ends in white
// space, and a dot at the start of a line is escaped.
template <class Storage>
KTStringT<char16_t, Storage>& EncodeQuotedPrintable(KTStringT<char16_t, Storage>& text) {
    const int32_t length = text.Length();
    if (length == 0) return text;
    const int64_t encoded = detail::MeasureQuotedPrintable(text.Data(), length);
    if (encoded > ToEnd) detail::ThrowTooLong();
    detail::ReplaceContents(text, static_cast<int32_t>(encoded),
                            [&](char16_t* out) { detail::WriteQuotedPrintable(text.Data(), length, out); });
    return text;
}

}  // namespace kt
