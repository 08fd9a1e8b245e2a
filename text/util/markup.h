// Moving text into and out of markup (XML and HTML), for both widths and every storage mode:
//   EscapeMarkup             "<", ">", "&" (and quotes on request) as entities, controls as "&#N;"
//   DecodeNumericReferences  "&#65;" and "&#x42;" back into characters, in place
//   DecodeNamedReferences    the five XML names (amp, apos, gt, lt, quot) back into characters, in place
//   TextToMarkup             plain text as display markup: named entities, references, optional "<BR>"
//   GetLocalName, GetNamePrefix, CutToNamePrefix   the two halves of a qualified name "prefix:local"
//   FindWholeWord            a search that accepts only occurrences between word delimiters
//
// 8-bit text is UTF-8, decoded leniently (continuation bits are taken as they come), except that a
// malformed sequence never takes in a byte below 0x80 (utf8_reading.h): whatever bytes come before a "<",
// the escaper sees it. A code point below 0x80 decoded from bytes above 0x7F (an overlong or malformed
// sequence) is written as "&#N;" by both escapers, so that their output holds no ASCII character that was
// not that same byte of the input. 16-bit text is read one code unit at a time, surrogate halves are not
// combined. A text ends at its first zero character and a null text reads as the empty text.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "text/string/kt_string.h"
#include "text/string/text_piece.h"
#include "text/string/utf8.h"
#include "text/util/utf8_reading.h"

namespace kt {

namespace detail {
// The HTML 4 names of the Latin-1 letters U+00C0 to U+00FF, without U+00D7 and U+00F7.
#define KT_LATIN1_LETTER_ENTITIES(W)                                                                         \
    W("Agrave"), W("Aacute"), W("Acirc"), W("Atilde"), W("Auml"), W("Aring"), W("AElig"), W("Ccedil"),       \
        W("Egrave"), W("Eacute"), W("Ecirc"), W("Euml"), W("Igrave"), W("Iacute"), W("Icirc"), W("Iuml"),    \
        W("ETH"), W("Ntilde"), W("Ograve"), W("Oacute"), W("Ocirc"), W("Otilde"), W("Ouml"), W("Oslash"),    \
        W("Ugrave"), W("Uacute"), W("Ucirc"), W("Uuml"), W("Yacute"), W("THORN"), W("szlig"), W("agrave"),   \
        W("aacute"), W("acirc"), W("atilde"), W("auml"), W("aring"), W("aelig"), W("ccedil"), W("egrave"),   \
        W("eacute"), W("ecirc"), W("euml"), W("igrave"), W("iacute"), W("icirc"), W("iuml"), W("eth"),       \
        W("ntilde"), W("ograve"), W("oacute"), W("ocirc"), W("otilde"), W("ouml"), W("oslash"), W("ugrave"), \
        W("uacute"), W("ucirc"), W("uuml"), W("yacute"), W("thorn"), W("yuml")
#define KT_NARROW_LITERAL(s) s
#define KT_WIDE_LITERAL(s) u"" s

template <class Char>
struct EntityNameSource;
template <>
struct EntityNameSource<char> {
    static constexpr const char* Quot = "quot";
    static constexpr const char* Amp = "amp";
    static constexpr const char* Lt = "lt";
    static constexpr const char* Gt = "gt";
    static constexpr const char* Letters[62] = {KT_LATIN1_LETTER_ENTITIES(KT_NARROW_LITERAL)};
};
template <>
struct EntityNameSource<char16_t> {
    static constexpr const char16_t* Quot = u"quot";
    static constexpr const char16_t* Amp = u"amp";
    static constexpr const char16_t* Lt = u"lt";
    static constexpr const char16_t* Gt = u"gt";
    static constexpr const char16_t* Letters[62] = {KT_LATIN1_LETTER_ENTITIES(KT_WIDE_LITERAL)};
};
#undef KT_LATIN1_LETTER_ENTITIES
#undef KT_NARROW_LITERAL
#undef KT_WIDE_LITERAL

template <class Char>
constexpr std::array<const Char*, 256> BuildEntityNameTable() {
    using Source = EntityNameSource<Char>;
    std::array<const Char*, 256> table{};
    table['"'] = Source::Quot;
    table['&'] = Source::Amp;
    table['<'] = Source::Lt;
    table['>'] = Source::Gt;
    int next = 0;
    for (int cp = 0xC0; cp <= 0xFF; ++cp)
        if (cp != 0xD7 && cp != 0xF7) table[cp] = Source::Letters[next++];
    return table;
}
}  // namespace detail

// The entity name (without "&" and ";") of each code point 0-255, or null: quot, amp, lt, gt and the
// Latin-1 letters; 66 names in all. No name for the apostrophe, U+00A0-U+00BF, U+00D7 or U+00F7.
template <class Char>
inline constexpr std::array<const Char*, 256> EntityNameTable = detail::BuildEntityNameTable<Char>();

// The punctuation of running text and markup that ends a word for FindWholeWord.
template <class Char>
inline constexpr const Char* DefaultWordDelimiters = nullptr;
template <>
inline constexpr const char* DefaultWordDelimiters<char> = " ,.;:!?\r\n\"<>()[]";
template <>
inline constexpr const char16_t* DefaultWordDelimiters<char16_t> = u" ,.;:!?\r\n\"<>()[]";

namespace ops {

// Writes "&#N;" (decimal, no leading zeros) at `out`; returns the units written (at most 14).
template <class Char>
int32_t FormatNumericReference(Char* out, uint32_t value) {
    char digits[10];
    int32_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    int32_t at = 0;
    out[at++] = Char('&');
    out[at++] = Char('#');
    while (count > 0) out[at++] = static_cast<Char>(digits[--count]);
    out[at++] = Char(';');
    return at;
}

// Appends to a string directly in its buffer. Whenever the room runs out the buffer grows, keeping its
// contents, to twice the length needed but at least 1024 units, so that appending unit by unit stays
// linear. Nothing touches the string before Start; Finish writes the terminator and the length.
template <class Char, class S>
class GrowingWriter {
  public:
    explicit GrowingWriter(KTStringT<Char, S>& out) : out_(out) {}
    GrowingWriter(const GrowingWriter&) = delete;
    GrowingWriter& operator=(const GrowingWriter&) = delete;

    // Replaces the string's contents with `count` units of `prefix` (which must not lie in the string).
    // `expected` is the least length the whole output will have, when known.
    void Start(const Char* prefix, int32_t count, int64_t expected = 0) {
        const int64_t needed = (expected > count ? expected : count) + 1;
        if (needed > out_.Capacity())
            out_.EnsureCapacity(GrownCapacity(needed), false);
        else
            out_.MakeWritable();  // unshares a shared block, copies borrowed characters
        if (count > 0) std::memcpy(out_.Data(), prefix, static_cast<size_t>(count) * sizeof(Char));
        length_ = count;
        capacity_ = out_.Capacity();
    }
    void Put(Char unit) {
        *Room(1) = unit;
        ++length_;
    }
    void PutAscii(const char* text, int32_t count) {
        Char* at = Room(count);
        for (int32_t i = 0; i < count; ++i) at[i] = static_cast<Char>(text[i]);
        length_ += count;
    }
    void PutUnits(const Char* text, int32_t count) {
        std::memcpy(Room(count), text, static_cast<size_t>(count) * sizeof(Char));
        length_ += count;
    }
    // A character read by NextCharacterSparingAscii: 8-bit, a code point re-encoded as UTF-8 (dropped
    // when UTF-8 cannot hold it); 16-bit, the code unit as it is, surrogate halves included.
    void PutCharacter(uint32_t c) {
        if constexpr (std::is_same_v<Char, char>)
            length_ += detail::EncodeCodePoint(Room(4), c);
        else
            Put(static_cast<Char>(c));
    }
    void PutReference(uint32_t value) { length_ += FormatNumericReference(Room(14), value); }
    void Finish() { out_._SetStringEnd(length_); }

  private:
    static int32_t GrownCapacity(int64_t needed) {
        if (needed > ToEnd) detail::ThrowTooLong();
        int64_t grown = needed * 2 < 1024 ? 1024 : needed * 2;
        return static_cast<int32_t>(grown > ToEnd ? ToEnd : grown);
    }
    Char* Room(int32_t count) {
        if (static_cast<int64_t>(length_) + count > capacity_) Grow(count);
        return out_.Data() + length_;
    }
    void Grow(int32_t count) {
        out_.Reserve(GrownCapacity(static_cast<int64_t>(length_) + count), Preserve);
        capacity_ = out_.Capacity();
    }

    KTStringT<Char, S>& out_;
    int32_t length_ = 0;
    int32_t capacity_ = 0;  // the block's, read once per growth rather than from its header per write
};

// The in-place core of the reference decoders over `count` units; returns the new length. The text before
// `first` (the first "&") is left as it is.
template <class Char>
int32_t DecodeReferencesUnits(Char* text, int32_t count, int32_t first, bool numeric, bool named);

// Byte (or unit) offset of the first acceptable whole-word occurrence; `start` is in units.
template <class Char>
int32_t FindWholeWordUnits(const Char* text, int32_t count, KTTextPiece<Char> needle,
                           KTTextPiece<Char> delimiters, int32_t start, bool backwards);

template <class Char>
int32_t FindUnitIn(const Char* text, int32_t count, Char unit) {
    for (int32_t i = 0; i < count; ++i)
        if (text[i] == unit) return i;
    return -1;
}

// The piece as far as its first zero character, where a text ends.
template <class Char>
KTTextPiece<Char> UpToFirstZero(KTTextPiece<Char> piece) {
    const int32_t zero = FindUnitIn(piece.Data(), piece.Length(), Char(0));
    return zero < 0 ? piece : KTTextPiece<Char>(piece.Data(), zero);
}

template <class Char>
int32_t TerminatedLength(const Char* text) {
    return text == nullptr ? 0 : static_cast<int32_t>(std::char_traits<Char>::length(text));
}

template <class Char>
constexpr uint32_t UnitValue(Char unit) {
    return static_cast<std::make_unsigned_t<Char>>(unit);
}

// The ASCII characters EscapeMarkup has to look at before its extra characters are known.
constexpr std::array<bool, 128> EscapeAttention(bool escapeQuotes) {
    std::array<bool, 128> attention{};
    for (int c = 0; c < 32; ++c) attention[c] = c != '\t' && c != '\n' && c != '\r';
    attention['<'] = attention['>'] = attention['&'] = true;
    attention['"'] = attention['\''] = escapeQuotes;
    return attention;
}

// Whether `cp` is one of the extra characters of EscapeMarkup (8-bit: compared code point by code point).
inline bool IsExtraCharacter(const char* extra, uint32_t cp) {
    return extra != nullptr && FindCodePoint(extra, cp) != nullptr;
}
inline bool IsExtraCharacter(const char16_t* extra, uint32_t unit) {
    if (extra == nullptr) return false;
    for (; *extra != 0; ++extra)
        if (*extra == unit) return true;
    return false;
}

}  // namespace ops

// ---- escaping ------------------------------------------------------------------------------------------

// Writes the escaped form of `input` into `output` and returns true, or returns false and leaves `output`
// untouched when no character needed escaping. "<", ">" and "&" become "&lt;", "&gt;", "&amp;"; with
// `escapeQuotes` the double quote and the apostrophe become "&quot;" and "&apos;" (they are never taken
// from `extraChars`); controls below 32 other than tab, CR and LF, the characters of `extraChars` (null:
// none) and ASCII decoded from bytes above 0x7F (8-bit) become "&#N;". `output` must not hold `input`.
template <class Char, class R>
[[nodiscard]] bool EscapeMarkupInto(const Char* input, KTStringT<Char, R>& output, bool escapeQuotes,
                                    std::type_identity_t<const Char*> extraChars) {
    if (input == nullptr) return false;
    // ASCII characters that may need escaping stop the fast scan (the terminator too); everything else is
    // looked at one character at a time.
    std::array<bool, 128> attention = ops::EscapeAttention(escapeQuotes);
    if (extraChars != nullptr)
        for (const Char* e = extraChars; *e != 0;)
            if (const uint32_t c = ops::NextCharacterSparingAscii(e); c < 128) attention[c] = true;
    ops::GrowingWriter<Char, R> writer(output);
    bool started = false;
    for (const Char* p = input;;) {
        const Char* run = p;
        while (ops::UnitValue(*p) < 128 && !attention[ops::UnitValue(*p)]) ++p;
        if (started && p != run) writer.PutUnits(run, static_cast<int32_t>(p - run));
        if (*p == 0) break;
        const Char* at = p;
        const uint32_t c = ops::NextCharacterSparingAscii(p);
        const char* entity = nullptr;
        int32_t entityLength = 0;
        bool reference = false;
        if (ops::IsDisguisedAscii(c, at)) {
            reference = true;
        } else if (c == '<') {
            entity = "&lt;", entityLength = 4;
        } else if (c == '>') {
            entity = "&gt;", entityLength = 4;
        } else if (c == '&') {
            entity = "&amp;", entityLength = 5;
        } else if (c == '"' || c == '\'') {
            if (escapeQuotes) entity = c == '"' ? "&quot;" : "&apos;", entityLength = 6;
        } else if (c < 32 && c != '\t' && c != '\n' && c != '\r') {
            reference = true;
        } else {
            reference = ops::IsExtraCharacter(extraChars, c);
        }
        if (entity == nullptr && !reference) {
            if (started) writer.PutCharacter(c);
            continue;
        }
        if (!started) {
            // The output is at least as long as the input: room for that (twice, as growing gives) at once.
            const auto prefix = static_cast<int32_t>(at - input);
            writer.Start(input, prefix, static_cast<int64_t>(prefix) + ops::TerminatedLength(at));
            started = true;
        }
        if (reference)
            writer.PutReference(c);
        else
            writer.PutAscii(entity, entityLength);
    }
    if (started) writer.Finish();
    return started;
}

// Escapes the string's own text in place; a text that needs no escaping is not touched (no copy is made).
template <class Char, class S>
KTStringT<Char, S>& EscapeMarkup(KTStringT<Char, S>& s, bool escapeQuotes,
                                 std::type_identity_t<const Char*> extraChars) {
    // A block of the string's own mode can be moved in; an inline string copies the result.
    using Result = std::conditional_t<KTStringT<Char, S>::MoveTakesBlock, KTStringT<Char, S>, KTString<Char>>;
    Result escaped;
    if (EscapeMarkupInto(s.Data(), escaped, escapeQuotes, extraChars)) s = std::move(escaped);
    return s;
}

// The escaped form of `input` as a new string: a plain copy when nothing needed escaping, the empty string
// for a null or empty input.
template <class Char>
[[nodiscard]] KTString<Char> EscapeMarkup(const Char* input, bool escapeQuotes,
                                          std::type_identity_t<const Char*> extraChars) {
    KTString<Char> result;
    if (!EscapeMarkupInto(input, result, escapeQuotes, extraChars)) result = input;
    return result;
}

// ---- references ----------------------------------------------------------------------------------------

// The shared core of the two decoders. Numeric: "&#" and decimal digits, or "&#x" and hexadecimal
// digits, then ";" (8-bit: the value as UTF-8, nothing for values UTF-8 cannot hold; 16-bit: the value
// modulo 65536 as one unit; 0 gives "?"). Named: exactly "&amp;", "&apos;", "&gt;", "&lt;", "&quot;".
// Anything else starting with "&" stays as it is.
template <class Char, class S>
KTStringT<Char, S>& DecodeReferences(KTStringT<Char, S>& s, bool numeric, bool named) {
    const int32_t count = ops::UpToFirstZero(KTTextPiece<Char>(s)).Length();
    const int32_t first = ops::FindUnitIn(s.Data(), count, Char('&'));
    if (first < 0) return s;
    s.MakeWritable();
    s._SetStringEnd(ops::DecodeReferencesUnits(s.Data(), count, first, numeric, named));
    return s;
}

template <class Char, class S>
KTStringT<Char, S>& DecodeNumericReferences(KTStringT<Char, S>& s) {
    return DecodeReferences(s, true, false);
}

template <class Char, class S>
KTStringT<Char, S>& DecodeNamedReferences(KTStringT<Char, S>& s) {
    return DecodeReferences(s, false, true);
}

// ---- plain text to markup ------------------------------------------------------------------------------

// Replaces the contents of `output` with `input` as display markup: each line break (CR LF, CR, LF) as
// "<BR>\r\n" with `lineBreaksToTags`, else as it stands; characters with an EntityNameTable name as
// "&name;"; other characters outside 32-126, and ASCII decoded from bytes above 0x7F (8-bit), as "&#N;"
// (16-bit: each surrogate half on its own); printable ASCII as it is. `output` must not hold `input`.
template <class Char, class R>
KTStringT<Char, R>& TextToMarkupInto(const Char* input, KTStringT<Char, R>& output, bool lineBreaksToTags) {
    if (input == nullptr || input[0] == 0) {
        output.Clear();
        return output;
    }
    ops::GrowingWriter<Char, R> writer(output);
    writer.Start(nullptr, 0, ops::TerminatedLength(input));  // the output is at least as long as the input
    for (const Char* p = input; *p != 0;) {
        const Char* at = p;
        const uint32_t c = ops::NextCharacterSparingAscii(p);
        if (ops::IsDisguisedAscii(c, at)) {
            writer.PutReference(c);
        } else if (c == '\r' || c == '\n') {
            const bool pair = c == '\r' && *p == Char('\n');
            if (lineBreaksToTags) {
                writer.PutAscii("<BR>\r\n", 6);
            } else {
                writer.Put(static_cast<Char>(c));
                if (pair) writer.Put(Char('\n'));
            }
            if (pair) ++p;
        } else if (c < 256 && EntityNameTable<Char>[c] != nullptr) {
            const Char* name = EntityNameTable<Char>[c];
            writer.Put(Char('&'));
            writer.PutUnits(name, ops::TerminatedLength(name));
            writer.Put(Char(';'));
        } else if (c < 32 || c > 126) {
            writer.PutReference(c);
        } else {
            writer.Put(static_cast<Char>(c));
        }
    }
    writer.Finish();
    return output;
}

// Converts the string's own text in place.
template <class Char, class S>
KTStringT<Char, S>& TextToMarkup(KTStringT<Char, S>& s, bool lineBreaksToTags) {
    const KTString<Char> input(s.Data());
    return TextToMarkupInto(input.Data(), s, lineBreaksToTags);
}

template <class Char>
[[nodiscard]] KTString<Char> TextToMarkup(const Char* input, bool lineBreaksToTags) {
    KTString<Char> result;
    TextToMarkupInto(input, result, lineBreaksToTags);
    return result;
}

// ---- qualified names -----------------------------------------------------------------------------------

// The text after the first ":", or the whole text without one.
template <class Char>
[[nodiscard]] KTString<Char> GetLocalName(KTTextPiece<Char> name) {
    name = ops::UpToFirstZero(name);
    const int32_t colon = ops::FindUnitIn(name.Data(), name.Length(), Char(':'));
    return KTString<Char>(name.Data() + colon + 1, name.Length() - colon - 1);
}
template <class Char, class S>
[[nodiscard]] KTString<Char> GetLocalName(const KTStringT<Char, S>& name) {
    return GetLocalName(KTTextPiece<Char>(name.Data()));
}
template <class Char>
[[nodiscard]] KTString<Char> GetLocalName(const Char* name) {
    return GetLocalName(KTTextPiece<Char>(name));
}

// The text before the first ":", or the empty string without one.
template <class Char>
[[nodiscard]] KTString<Char> GetNamePrefix(KTTextPiece<Char> name) {
    name = ops::UpToFirstZero(name);
    const int32_t colon = ops::FindUnitIn(name.Data(), name.Length(), Char(':'));
    return colon < 0 ? KTString<Char>() : KTString<Char>(name.Data(), colon);
}
template <class Char, class S>
[[nodiscard]] KTString<Char> GetNamePrefix(const KTStringT<Char, S>& name) {
    return GetNamePrefix(KTTextPiece<Char>(name.Data()));
}
template <class Char>
[[nodiscard]] KTString<Char> GetNamePrefix(const Char* name) {
    return GetNamePrefix(KTTextPiece<Char>(name));
}

// Cuts the string at its first ":"; empties it when there is none (before its first zero character).
template <class Char, class S>
KTStringT<Char, S>& CutToNamePrefix(KTStringT<Char, S>& s) {
    const KTTextPiece<Char> text = ops::UpToFirstZero(KTTextPiece<Char>(s));
    const int32_t colon = ops::FindUnitIn(text.Data(), text.Length(), Char(':'));
    if (colon < 0) {
        s.Clear();
        return s;
    }
    s.MakeWritable();
    s._SetStringEnd(colon);
    return s;
}

// ---- whole words ---------------------------------------------------------------------------------------

// The position (in code units: bytes in 8-bit text) of the first occurrence of `needle` with a delimiter
// (or the text's edge) on either side, or -1. Forwards the search starts at `start` (negative: at 0);
// backwards it takes the last occurrence that ends at or before `start` (negative: -1; beyond the end: the
// end) and goes on before it. In 8-bit text `start` counts characters unless `inUnits` is set.
template <class Char, class S>
[[nodiscard]] int32_t FindWholeWord(const KTStringT<Char, S>& s,
                                    std::type_identity_t<KTTextPiece<Char>> needle,
                                    std::type_identity_t<KTTextPiece<Char>> delimiters, int32_t start,
                                    bool inUnits, bool backwards) {
    needle = ops::UpToFirstZero(needle);
    delimiters = ops::UpToFirstZero(delimiters);
    if (needle.IsEmpty() || delimiters.IsEmpty()) return -1;
    if (start < 0) {
        if (backwards) return -1;
        start = 0;
    }
    const KTTextPiece<Char> text = ops::UpToFirstZero(KTTextPiece<Char>(s));
    const int32_t count = text.Length();
    if constexpr (std::is_same_v<Char, char>)
        if (!inUnits && start > 0) start = CharsToUnits(text.Data(), start);
    if (start > count) {
        if (!backwards) return -1;
        start = count;
    }
    return ops::FindWholeWordUnits(text.Data(), count, needle, delimiters, start, backwards);
}

template <class Char, class S>
[[nodiscard]] int32_t FindWholeWord(const KTStringT<Char, S>& s,
                                    std::type_identity_t<KTTextPiece<Char>> needle, int32_t start = 0,
                                    bool inUnits = false, bool backwards = false) {
    return FindWholeWord(s, needle, DefaultWordDelimiters<Char>, start, inUnits, backwards);
}

}  // namespace kt
