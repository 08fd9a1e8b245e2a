// File paths and "file:" URLs held in KTString values, for both widths and every storage mode:
//   PathToFileUrl, FileUrlToPath          a Windows path as a "file:" URL and back
//   PercentEscape, PercentUnescape        "%XX" escapes with UTF-8 as the byte encoding
//   FindExtension, GetExtension, RemoveExtension, WithoutExtension
//   IsValidFileName                       the Windows rules: characters, device names, length
//   MakeAbsolutePath, MakeRelativePath, CollapsePathSegments, EnsureTrailingSeparator
//   PathHandler, SetPathHandler           the user's hook for URLs, extensions and base locations
//
// Both "\" and "/" are separators everywhere; what produces URLs writes "/", what produces paths "\".
// 8-bit text is UTF-8, 16-bit text UTF-16. A null text reads as the empty text.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "text/string/kt_string.h"
#include "text/string/operations.h"
#include "text/string/text_piece.h"

namespace kt {

// Takes over three decisions of the path operations. The library's user owns the object; the library
// keeps one plain pointer per width (SetPathHandler) and never frees it.
template <class Char>
class PathHandler {
  public:
    virtual ~PathHandler() = default;
    // True when `text` is a plain path and not a URL with a scheme.
    [[nodiscard]] virtual bool IsLocalPath(const Char* text) = 0;
    // True when the handler has written the extension of `text` (without its dot) into `extension`.
    [[nodiscard]] virtual bool GetExtension(const Char* text, KTString<Char>& extension) = 0;
    // Changes a base location in place before a relative path is resolved against it.
    virtual void AdjustBase(KTString<Char>& base) = 0;
};

// Installs `handler` (null: none) for the width at once, replacing the previous one; returns `handler`.
// Meant to be called once before the path operations are used.
template <class Char>
PathHandler<Char>* SetPathHandler(PathHandler<Char>* handler);
template <class Char>
[[nodiscard]] PathHandler<Char>* CurrentPathHandler();

// Relative: not empty, no ":" anywhere and not starting with two separators ("dir\x" and "\dir\x" are;
// "D:\x", "http://h/x" and "\\server\x" are not).
template <class Char>
[[nodiscard]] bool IsRelativePath(KTTextPiece<Char> text);

// True for a usable Windows file name: not empty, at most 260 characters (code points in 8-bit text),
// none of \ / : * ? " < > | CR LF, not made of dots only, and not a device name (CON, PRN, NUL, AUX,
// COM1-COM9, LPT1-LPT9, CLOCK$, in any case, alone or before a dot).
template <class Char>
[[nodiscard]] bool IsValidFileName(const Char* name);
// The eleven characters no file name may hold: \ / : * ? " < > | CR LF (built once, at first use).
template <class Char>
[[nodiscard]] const Char* InvalidFileNameCharacters();

// Removes "." (with `removeDotSegments`) and resolved ".." (with `resolveParentSegments`) segments and
// runs of separators from the terminated path in `buffer`, in place; returns the new length. The drive or
// scheme, the root and a first segment (a relative path's first name, a UNC server, a URL's host) are
// never removed.
template <class Char>
int32_t CollapsePathSegments(Char* buffer, bool removeDotSegments, bool resolveParentSegments);

namespace ops {
template <class Char>
constexpr bool IsSeparator(Char c) {
    return c == Char('\\') || c == Char('/');
}

// The cores work on terminated texts (null: the empty text).
template <class Char>
[[nodiscard]] KTString<Char> PathToFileUrl(const Char* text);
template <class Char>
[[nodiscard]] KTString<Char> FileUrlToPath(const Char* text);
// False (and `out` untouched) when no byte needs escaping.
template <class Char>
bool PercentEscape(const Char* text, int mode, KTString<Char>& out);
// Writes the unescaped bytes of `count` units to `out` (room for `count` bytes; may be `text` itself in
// the 8-bit width) and returns their number.
template <class Char>
int32_t PercentUnescapeBytes(const Char* text, int32_t count, char* out);
// Offset of the extension's dot in `count` units, or -1.
template <class Char>
int32_t FindExtensionUnits(const Char* text, int32_t count);
// False (and `out` untouched) when the path stays as it is.
template <class Char>
bool MakeAbsolutePath(KTTextPiece<Char> path, KTTextPiece<Char> base, KTTextPiece<Char> fallbackBase,
                      bool removeDotSegments, bool resolveParentSegments, KTString<Char>& out);
template <class Char>
bool MakeRelativePath(KTTextPiece<Char> path, KTTextPiece<Char> base, KTTextPiece<Char> fallbackBase,
                      bool allowParentSteps, bool pathIsDirectory, KTString<Char>& out);
// Length of `text` once trailing whitespace is removed, and the separator to append ("\" or "/", or 0
// when none is needed).
template <class Char>
Char TrailingSeparatorNeeded(const Char* text, int32_t& length);

// Gives the string the contents of `result`, taking its block where the storage mode allows.
template <class Char, class S>
void TakeResult(KTStringT<Char, S>& s, KTString<Char>&& result) {
    if constexpr (std::is_same_v<S, UniqueStorage<Char>>)
        s = std::move(result);
    else
        s = result;
}
}  // namespace ops

// ---- URLs ----------------------------------------------------------------------------------------------

// The path as a "file:" URL, in place: "D:\My Documents\a.txt" becomes "file:///D:/My%20Documents/a.txt",
// "\\srv" becomes "file://srv/". Relative paths and texts that already are URLs keep their escapes and get
// no scheme. Leading whitespace is removed.
template <class Char, class S>
KTStringT<Char, S>& PathToFileUrl(KTStringT<Char, S>& s) {
    ops::TakeResult(s, ops::PathToFileUrl(s.Data()));
    return s;
}
template <class Char>
[[nodiscard]] KTString<Char> PathToFileUrl(const Char* text) {
    return ops::PathToFileUrl(text);
}

// The "file:" URL (prefix case-sensitive) as a path, in place: "file:///D:/a%20b" becomes "D:\a b",
// "file://host/x" becomes "\\host\x". Other texts lose only their leading whitespace.
template <class Char, class S>
KTStringT<Char, S>& FileUrlToPath(KTStringT<Char, S>& s) {
    ops::TakeResult(s, ops::FileUrlToPath(s.Data()));
    return s;
}
template <class Char>
[[nodiscard]] KTString<Char> FileUrlToPath(const Char* text) {
    return ops::FileUrlToPath(text);
}

// Escapes, as "%" and two upper-case hexadecimal digits, every UTF-8 byte outside 33-126 and
// " % < > ^ ` { | }; mode 1 also # ; / ? : @ & = + $ , (for a single URL component); mode 2 those and "\".
// 16-bit text is escaped through its UTF-8 bytes. A text with nothing to escape is not touched.
template <class Char, class S>
KTStringT<Char, S>& PercentEscape(KTStringT<Char, S>& s, int mode) {
    KTString<Char> escaped;
    if (ops::PercentEscape(s.Data(), mode, escaped)) ops::TakeResult(s, std::move(escaped));
    return s;
}

// Turns "%XX" (either case) into its byte and "%%" into "%"; a broken escape is dropped with the one or two
// characters after the "%". The bytes are the new 8-bit text, or are decoded as UTF-8 into the 16-bit
// string (which throws std::runtime_error "KTString::ConvertFromUTF8String failed!" when that fails). A
// text without "%" is not touched.
template <class Char, class S>
KTStringT<Char, S>& PercentUnescape(KTStringT<Char, S>& s) {
    const int32_t count = s.Length();
    if (std::char_traits<Char>::find(s.Data(), static_cast<size_t>(count), Char('%')) == nullptr) return s;
    if constexpr (std::is_same_v<Char, char>) {
        s.MakeWritable();
        s._SetStringEnd(ops::PercentUnescapeBytes(s.Data(), count, s.Data()));
    } else {
        KTString<char> bytes(KTCapacity{count});
        const int32_t length = ops::PercentUnescapeBytes(s.Data(), count, bytes.Data());
        s.ConvertFromUTF8String(bytes.Data(), length);
    }
    return s;
}

// ---- extensions ----------------------------------------------------------------------------------------

// The last "." of the text when none of space, #, %, ;, / and \ follows it ("archive.tar.gz": the dot
// before gz; "a.b/c": none), or null.
template <class Char, class S>
[[nodiscard]] const Char* FindExtension(const KTStringT<Char, S>& s) {
    const int32_t dot = ops::FindExtensionUnits(s.Data(), s.Length());
    return dot < 0 ? nullptr : s.Data() + dot;
}

// The extension without its dot (the PathHandler's when it gives one), or the empty string, in `out`;
// with `lowercase` it is lower-cased. Returns `out`.
template <class Char, class S, class R>
KTStringT<Char, R>& GetExtension(const KTStringT<Char, S>& s, KTStringT<Char, R>& out, bool lowercase) {
    KTString<Char> handled;
    PathHandler<Char>* handler = CurrentPathHandler<Char>();
    if (handler != nullptr && handler->GetExtension(s.Data(), handled)) {
        out = handled;
    } else {
        const int32_t dot = ops::FindExtensionUnits(s.Data(), s.Length());
        if (dot < 0)
            out.Clear();
        else
            out.Assign(s.Data() + dot + 1, s.Length() - dot - 1);
    }
    if (lowercase) MakeLower(out);
    return out;
}

// Cuts the text before its extension's dot, in place; a text without an extension stays as it is.
template <class Char, class S>
KTStringT<Char, S>& RemoveExtension(KTStringT<Char, S>& s) {
    const int32_t dot = ops::FindExtensionUnits(s.Data(), s.Length());
    if (dot < 0) return s;
    s.MakeWritable();
    s._SetStringEnd(dot);
    return s;
}

// What RemoveExtension would leave, in `out`; returns `out`.
template <class Char, class S, class R>
KTStringT<Char, R>& WithoutExtension(const KTStringT<Char, S>& s, KTStringT<Char, R>& out) {
    const int32_t dot = ops::FindExtensionUnits(s.Data(), s.Length());
    out.Assign(s.Data(), dot < 0 ? s.Length() : dot);
    return out;
}

template <class Char, class S>
[[nodiscard]] bool IsValidFileName(const KTStringT<Char, S>& s) {
    return IsValidFileName(s.Data());
}

// ---- absolute and relative paths -----------------------------------------------------------------------

// Resolves a relative path (see IsRelativePath) against the directory of `base` (the PathHandler adjusts
// the base first; an empty base is replaced by `fallbackBase` taken as a directory), in place; then
// collapses "." and ".." segments as the two flags ask. Other paths stay as they are. A path starting
// with a separator keeps only the drive of the base ("D:\x"), or its scheme and host.
template <class Char, class S>
KTStringT<Char, S>& MakeAbsolutePath(KTStringT<Char, S>& s, std::type_identity_t<KTTextPiece<Char>> base,
                                     std::type_identity_t<KTTextPiece<Char>> fallbackBase,
                                     bool removeDotSegments, bool resolveParentSegments) {
    KTString<Char> absolute;
    if (ops::MakeAbsolutePath(KTTextPiece<Char>(s.Data()), base, fallbackBase, removeDotSegments,
                              resolveParentSegments, absolute))
        ops::TakeResult(s, std::move(absolute));
    return s;
}

// Expresses the path relative to the directory of `base` (empty: `fallbackBase` as a directory), in
// place, comparing ASCII letters without case and "\" equal to "/": the rest of the path below that
// directory (or "." for the directory itself when `pathIsDirectory`), or with `allowParentSteps` "..\"
// steps up to the common directory on the same drive. Paths on other drives, URLs and paths without a
// common directory stay as they are.
template <class Char, class S>
KTStringT<Char, S>& MakeRelativePath(KTStringT<Char, S>& s, std::type_identity_t<KTTextPiece<Char>> base,
                                     std::type_identity_t<KTTextPiece<Char>> fallbackBase,
                                     bool allowParentSteps, bool pathIsDirectory) {
    KTString<Char> relative;
    if (ops::MakeRelativePath(KTTextPiece<Char>(s.Data()), base, fallbackBase, allowParentSteps,
                              pathIsDirectory, relative))
        ops::TakeResult(s, std::move(relative));
    return s;
}

// Removes trailing whitespace, then appends a separator unless the text is empty or ends in one: "\"
// when the text holds a "\" anywhere, else "/".
template <class Char, class S>
KTStringT<Char, S>& EnsureTrailingSeparator(KTStringT<Char, S>& s) {
    int32_t length = 0;
    const Char separator = ops::TrailingSeparatorNeeded(s.Data(), length);
    if (length < s.Length()) {
        s.MakeWritable();
        s._SetStringEnd(length);
    }
    if (separator != 0) s.Append(&separator, 1);
    return s;
}

}  // namespace kt
