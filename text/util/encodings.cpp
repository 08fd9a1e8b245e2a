#include "text/util/encodings.h"

#include <cstring>

namespace kt {
namespace detail {

template <class Char>
LineEnding ClassifyLineEnding(KTTextPiece<Char> target) {
    const Char* units = target.Data();
    if (target.Length() == 1) {
        if (units[0] == Char('\r')) return LineEnding::CR;
        if (units[0] == Char('\n')) return LineEnding::LF;
    } else if (target.Length() == 2 && units[0] == Char('\r') && units[1] == Char('\n')) {
        return LineEnding::CRLF;
    }
    return LineEnding::None;
}

namespace {

// The line break that starts at text[i] (None when text[i] is no break); a CR LF pair counts as one.
template <class Char>
LineEnding BreakAt(const Char* text, int32_t length, int32_t i) {
    if (text[i] == Char('\n')) return LineEnding::LF;
    if (text[i] != Char('\r')) return LineEnding::None;
    return i + 1 < length && text[i + 1] == Char('\n') ? LineEnding::CRLF : LineEnding::CR;
}

int32_t UnitsOf(LineEnding ending) {
    return ending == LineEnding::CRLF ? 2 : 1;
}

// Position of the first CR or LF at or after `i`, or `length`. Lines are long and breaks rare, so eight
// bytes are tested at a time: a lane equal to c is a zero lane of word ^ (c in every lane), and
// (x - ones) & ~x & high is non-zero exactly when x has a zero lane.
template <class Char>
int32_t NextBreak(const Char* text, int32_t i, int32_t length) {
    constexpr int32_t lanes = sizeof(uint64_t) / sizeof(Char);
    constexpr uint64_t ones = ~uint64_t{0} / ((uint64_t{1} << (8 * sizeof(Char))) - 1);
    constexpr uint64_t high = ones << (8 * sizeof(Char) - 1);
    for (; i <= length - lanes; i += lanes) {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        const uint64_t cr = word ^ (ones * '\r'), lf = word ^ (ones * '\n');
        if ((((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & high) break;
    }
    while (i < length && text[i] != Char('\r') && text[i] != Char('\n')) ++i;
    return i;
}

// Calls onRun(start, count) for each stretch without breaks and onBreak(found) for each break, in order.
template <class Char, class OnRun, class OnBreak>
void WalkLines(const Char* text, int32_t length, OnRun onRun, OnBreak onBreak) {
    for (int32_t i = 0; i < length;) {
        const int32_t next = NextBreak(text, i, length);
        if (next > i) onRun(i, next - i);
        if (next == length) return;
        const LineEnding found = BreakAt(text, length, next);
        onBreak(found);
        i = next + UnitsOf(found);
    }
}

}  // namespace

template <class Char>
int64_t MeasureLineEndings(const Char* text, int32_t length, LineEnding target) {
    int64_t units = 0;
    WalkLines(
        text, length, [&](int32_t, int32_t count) { units += count; },
        [&](LineEnding) { units += UnitsOf(target); });
    return units;
}

template <class Char>
int32_t WriteLineEndings(const Char* text, int32_t length, Char* out, LineEnding target) {
    int32_t written = 0;
    WalkLines(
        text, length,
        [&](int32_t start, int32_t count) {  // memmove: `out` may be `text` itself, a little behind
            std::memmove(out + written, text + start, static_cast<size_t>(count) * sizeof(Char));
            written += count;
        },
        [&](LineEnding) {
            if (target != LineEnding::LF) out[written++] = Char('\r');
            if (target != LineEnding::CR) out[written++] = Char('\n');
        });
    return written;
}

template LineEnding ClassifyLineEnding<char>(KTTextPiece<char>);
template LineEnding ClassifyLineEnding<char16_t>(KTTextPiece<char16_t>);
template int64_t MeasureLineEndings<char>(const char*, int32_t, LineEnding);
template int64_t MeasureLineEndings<char16_t>(const char16_t*, int32_t, LineEnding);
template int32_t WriteLineEndings<char>(const char*, int32_t, char*, LineEnding);
template int32_t WriteLineEndings<char16_t>(const char16_t*, int32_t, char16_t*, LineEnding);

namespace {

// Where the column reaches this before a character, a soft line break follows the character.
constexpr int32_t SoftBreakColumn = 70;

int32_t HexDigits(char16_t unit) {
    int32_t digits = 2;
    for (unsigned rest = unit >> 8; rest != 0; rest >>= 4) ++digits;
    return digits;
}

// Counts the units of the encoded text.
struct MeasuringSink {
    int64_t units = 0;
    void Put(char16_t) { ++units; }
    void PutBreak() { units += 2; }
    int32_t PutEscape(char16_t unit) {
        const int32_t escape = 1 + HexDigits(unit);
        units += escape;
        return escape;
    }
    void DropLast() { --units; }
};

// Writes the encoded text.
struct WritingSink {
    char16_t* out;
    void Put(char16_t unit) { *out++ = unit; }
    void PutBreak() {
        *out++ = u'\r';
        *out++ = u'\n';
    }
    int32_t PutEscape(char16_t unit) {
        const int32_t digits = HexDigits(unit);
        *out++ = u'=';
        for (int32_t shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            *out++ = static_cast<char16_t>(u"0123456789ABCDEF"[(unit >> shift) & 0xF]);
        return 1 + digits;
    }
    void DropLast() { --out; }
};

// The encoder, once for measuring and writing.
template <class Sink>
void EncodeQuotedPrintableTo(const char16_t* text, int32_t length, Sink& sink) {
    int32_t column = 0;
    char16_t previous = 0;
    bool endsInPlainBlank = false;  // the last unit written is a space or tab of the text
    for (int32_t i = 0; i < length; previous = text[i++]) {
        const char16_t unit = text[i];
        if (unit == u'\r') {
            if (endsInPlainBlank) {  // white space must not end a line: escape it
                sink.DropLast();
                sink.PutEscape(previous);
            }
            sink.PutBreak();
            column = 0;
            endsInPlainBlank = false;
            continue;
        }
        if (unit == u'\n' && previous == u'\r') continue;  // the CR wrote the break
        const bool plain =
            unit == u'\t' || (unit >= 32 && unit <= 126 && unit != u'=' && (unit != u'.' || column != 0));
        int32_t written = 1;
        if (plain)
            sink.Put(unit);
        else
            written = sink.PutEscape(unit);
        endsInPlainBlank = plain && (unit == u' ' || unit == u'\t');
        if (column >= SoftBreakColumn) {
            sink.Put(u'=');
            sink.PutBreak();
            column = 0;
            endsInPlainBlank = false;
        } else {
            column += written;
        }
    }
}

}  // namespace

int64_t MeasureQuotedPrintable(const char16_t* text, int32_t length) {
    MeasuringSink sink;
    EncodeQuotedPrintableTo(text, length, sink);
    return sink.units;
}

void WriteQuotedPrintable(const char16_t* text, int32_t length, char16_t* out) {
    WritingSink sink{out};
    EncodeQuotedPrintableTo(text, length, sink);
}

}  // namespace detail

namespace {

template <class Char>
const Char* FindForeign(KTTextPiece<Char> text, KTTextPiece<Char> target) {
    const detail::LineEnding wanted = detail::ClassifyLineEnding(target);
    if (wanted == detail::LineEnding::None) return nullptr;
    const Char* units = text.Data();
    for (int32_t i = detail::NextBreak(units, 0, text.Length()); i < text.Length();
         i = detail::NextBreak(units, i, text.Length())) {
        const detail::LineEnding found = detail::BreakAt(units, text.Length(), i);
        if (found != wanted) return units + i;
        i += detail::UnitsOf(found);
    }
    return nullptr;
}

template <class Char>
KTString<Char> Detect(KTTextPiece<Char> text, KTTextPiece<Char> defaultEnding) {
    const int32_t first = detail::NextBreak(text.Data(), 0, text.Length());
    if (first == text.Length()) return KTString<Char>(defaultEnding.Data(), defaultEnding.Length());
    switch (detail::BreakAt(text.Data(), text.Length(), first)) {
        case detail::LineEnding::CRLF:
            return KTString<Char>(LineEndingCRLF<Char>);
        case detail::LineEnding::CR:
            return KTString<Char>(LineEndingCR<Char>);
        default:
            return KTString<Char>(LineEndingLF<Char>);
    }
}

}  // namespace

const char* FindForeignLineEnding(KTTextPiece<char> text, KTTextPiece<char> target) {
    return FindForeign(text, target);
}
const char16_t* FindForeignLineEnding(KTTextPiece<char16_t> text, KTTextPiece<char16_t> target) {
    return FindForeign(text, target);
}

KTString<char> DetectLineEnding(KTTextPiece<char> text, KTTextPiece<char> defaultEnding) {
    return Detect(text, defaultEnding);
}
KTString<char16_t> DetectLineEnding(KTTextPiece<char16_t> text, KTTextPiece<char16_t> defaultEnding) {
    return Detect(text, defaultEnding);
}

}  // namespace kt
