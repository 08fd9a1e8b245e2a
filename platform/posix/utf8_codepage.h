// The walks of the UTF-8 code-page converter pair. Ill-formed UTF-8 is replaced by U+FFFD once per maximal
// subpart (the longest prefix of a well-formed sequence, or a single byte that starts none), and an
// unpaired surrogate by U+FFFD: what the system converter does without flags, and what ICU's converters do
// with U+FFFD as the substitution character.
//
// Both directions run one loop for the size query and the conversion: a sink either counts or writes.
// The block walk takes the ASCII start of every 16 units in registers (ascii_blocks.h) and walks the rest
// unit by unit; the scalar walk takes ASCII a machine word at a time. Both give the same results on every
// input: the converters use the block walk, and the tests run the scalar walk beside it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "platform/common/ascii_blocks.h"

namespace kt::platform::utf8_codepage {

enum class Walk { Blocks, Scalar };

inline constexpr char16_t Replacement = 0xFFFD;

// Counts the units a conversion produces.
template <class Unit>
struct CountingSink {
    int64_t count = 0;
    static constexpr bool HasRoom(int64_t) { return true; }
    void Put(Unit) { ++count; }
    void Put2(Unit, Unit) { count += 2; }
    void Put3(Unit, Unit, Unit) { count += 3; }
    void Put4(Unit, Unit, Unit, Unit) { count += 4; }
    template <class Source>
    void PutAscii(const Source*, int64_t n) {
        count += n;
    }
    template <class Source>
    void PutAsciiBlock(const Source*, int n) {
        count += n;
    }
    int64_t Result() const { return count; }
};

// Writes into a buffer of fixed size; the caller checks HasRoom before every Put.
template <class Unit>
struct WritingSink {
    Unit* out;
    Unit* const start;
    Unit* const end;
    WritingSink(Unit* buffer, int32_t capacity) : out(buffer), start(buffer), end(buffer + capacity) {}
    bool HasRoom(int64_t n) const { return end - out >= n; }
    void Put(Unit a) { *out++ = a; }
    void Put2(Unit a, Unit b) {
        out[0] = a;
        out[1] = b;
        out += 2;
    }
    void Put3(Unit a, Unit b, Unit c) {
        out[0] = a;
        out[1] = b;
        out[2] = c;
        out += 3;
    }
    void Put4(Unit a, Unit b, Unit c, Unit d) {
        out[0] = a;
        out[1] = b;
        out[2] = c;
        out[3] = d;
        out += 4;
    }
    // Copies n ASCII units, narrowing or widening them; n is small (a word's worth).
    template <class Source>
    void PutAscii(const Source* in, int64_t n) {
        for (int64_t i = 0; i < n; ++i) out[i] = static_cast<Unit>(in[i]);
        out += n;
    }
    // Writes a whole block (the caller made sure of room for it) and keeps its first n units, the ASCII
    // ones: what follows them is written over next.
    void PutAsciiBlock(const uint8_t* in, int n) {
        WidenBlock(in, out);
        out += n;
    }
    void PutAsciiBlock(const char16_t* in, int n) {
        NarrowBlock(in, out);
        out += n;
    }
    int64_t Result() const { return out - start; }
};

inline bool IsTrail(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// The block walk of both directions: whole blocks of ASCII, else a block's ASCII runs and between them
// what `takeLetter` takes in place: a letter beyond ASCII that Latin text has often (a well-formed two-byte
// sequence, a unit below 0x800), its units consumed, or 0 to leave the rest to the walk unit by unit. The
// block's mask of non-ASCII units is worked out once; each ASCII run is written as a whole block from
// where it starts, so the walk needs room for three blocks and input for two.
template <class Unit, class Sink, class TakeLetter>
const Unit* WalkAsciiBlocks(const Unit* p, const Unit* const end, Sink& sink, TakeLetter takeLetter) {
    while (end - p >= 2 * AsciiBlockUnits && sink.HasRoom(3 * AsciiBlockUnits)) {
        uint32_t nonAscii = NonAsciiMask(p);
        if (nonAscii == 0) {
            sink.PutAsciiBlock(p, AsciiBlockUnits);
            p += AsciiBlockUnits;
            continue;
        }
        const Unit* const block = p;
        for (;;) {
            const int next = nonAscii == 0 ? AsciiBlockUnits : std::countr_zero(nonAscii);
            sink.PutAsciiBlock(p, static_cast<int>(block + next - p));
            p = block + next;
            if (next == AsciiBlockUnits) break;
            const int taken = takeLetter(p);
            if (taken == 0) return p;
            p += taken;
            const auto done = static_cast<int>(p - block);
            if (done >= AsciiBlockUnits) break;
            nonAscii &= ~0u << done;
        }
    }
    return p;
}

// ASCII a machine word at a time, for what the blocks leave (a short text, its end, the last units of room)
// and for the scalar walk; stops at the first unit that is not ASCII.
template <class Unit, class Sink>
const Unit* WalkAsciiWords(const Unit* p, const Unit* const end, Sink& sink) {
    constexpr int WordUnits = PortableAsciiBlocks::WordUnits<Unit>;
    while (end - p >= WordUnits && sink.HasRoom(WordUnits)) {
        const int ascii = PortableAsciiBlocks::AsciiPrefixOfWord(p);
        sink.PutAscii(p, ascii);
        p += ascii;
        if (ascii < WordUnits) break;
    }
    return p;
}

// UTF-8 to UTF-16. Returns the units produced, or -1 when the sink ran out of room. The sink is a copy,
// so that its position stays in a register across the stores of a block.
template <Walk walk, class Sink>
int64_t Utf8ToUtf16Run(const uint8_t* p, const uint8_t* const end, Sink sink) {
    while (p < end) {
        // ASCII, a block or a word at a time (words for what the blocks leave: a short text, its end, the
        // last units of room); the first non-ASCII byte ends the run.
        if constexpr (walk == Walk::Blocks) {
            p = WalkAsciiBlocks(p, end, sink, [end, &sink](const uint8_t* q) {
                if (q[0] < 0xC2 || q[0] > 0xDF || end - q < 2 || !IsTrail(q[1])) return 0;
                sink.Put(static_cast<char16_t>((q[0] & 0x1F) << 6 | (q[1] & 0x3F)));
                return 2;
            });
        }
        p = WalkAsciiWords(p, end, sink);
        if (p == end) break;
        if (!sink.HasRoom(1)) return -1;
        const uint8_t lead = *p;
        if (lead < 0x80) {
            sink.Put(lead);
            ++p;
            continue;
        }
        const int64_t left = end - p;
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (left >= 2 && IsTrail(p[1])) {
                sink.Put(static_cast<char16_t>((lead & 0x1F) << 6 | (p[1] & 0x3F)));
                p += 2;
            } else {
                sink.Put(Replacement);
                p += 1;
            }
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            // E0 needs A0-BF next (no overlong forms), ED needs 80-9F (no surrogates).
            const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
            const uint8_t high = lead == 0xED ? 0x9F : 0xBF;
            if (left < 2 || p[1] < low || p[1] > high) {
                sink.Put(Replacement);
                p += 1;
            } else if (left < 3 || !IsTrail(p[2])) {
                sink.Put(Replacement);
                p += 2;
            } else {
                sink.Put(static_cast<char16_t>((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F)));
                p += 3;
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            // F0 needs 90-BF next (no overlong forms), F4 needs 80-8F (nothing above U+10FFFF).
            const uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
            const uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
            int valid = 1;
            if (left >= 2 && p[1] >= low && p[1] <= high) {
                valid = 2;
                if (left >= 3 && IsTrail(p[2])) {
                    valid = 3;
                    if (left >= 4 && IsTrail(p[3])) valid = 4;
                }
            }
            if (valid < 4) {
                sink.Put(Replacement);
                p += valid;
            } else {
                if (!sink.HasRoom(2)) return -1;
                uint32_t cp = static_cast<uint32_t>(lead & 0x07) << 18 |
                              static_cast<uint32_t>(p[1] & 0x3F) << 12 |
                              static_cast<uint32_t>(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
                cp -= 0x10000;
                sink.Put2(static_cast<char16_t>(0xD800 | cp >> 10),
                          static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
                p += 4;
            }
        } else {  // a stray continuation byte, C0, C1 or F5-FF: no sequence starts here
            sink.Put(Replacement);
            p += 1;
        }
    }
    return sink.Result();
}

// UTF-16 to UTF-8. Returns the bytes produced, or -1 when the sink ran out of room.
template <Walk walk, class Sink>
int64_t Utf16ToUtf8Run(const char16_t* p, const char16_t* const end, Sink sink) {
    while (p < end) {
        if constexpr (walk == Walk::Blocks) {
            p = WalkAsciiBlocks(p, end, sink, [&sink](const char16_t* q) {
                if (q[0] >= 0x800 || !sink.HasRoom(2)) return 0;
                sink.Put2(static_cast<char>(0xC0 | q[0] >> 6), static_cast<char>(0x80 | (q[0] & 0x3F)));
                return 1;
            });
        }
        p = WalkAsciiWords(p, end, sink);
        if (p == end) break;
        uint32_t unit = *p++;
        if (unit < 0x80) {
            if (!sink.HasRoom(1)) return -1;
            sink.Put(static_cast<char>(unit));
            continue;
        }
        if (unit < 0x800) {
            if (!sink.HasRoom(2)) return -1;
            sink.Put2(static_cast<char>(0xC0 | unit >> 6), static_cast<char>(0x80 | (unit & 0x3F)));
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            if (unit <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
                if (!sink.HasRoom(4)) return -1;
                uint32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (*p++ - 0xDC00u);
                sink.Put4(static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                          static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (cp & 0x3F)));
                continue;
            }
            unit = Replacement;  // unpaired
        }
        if (!sink.HasRoom(3)) return -1;
        sink.Put3(static_cast<char>(0xE0 | unit >> 12), static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                  static_cast<char>(0x80 | (unit & 0x3F)));
    }
    return sink.Result();
}

// The shared contract of both directions: a negative count takes the terminator along, a null or
// zero-sized output asks for the size, and every failure is 0.
template <class In, class Out, class Run>
int32_t Convert(const In* text, int32_t count, Out* out, int32_t outCapacity, Run run) {
    if (text == nullptr || count == 0 || outCapacity < 0) return 0;
    size_t length = count > 0 ? static_cast<size_t>(count) : std::char_traits<In>::length(text) + 1;
    if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return 0;
    int64_t produced;
    if (out == nullptr || outCapacity == 0) {
        CountingSink<Out> sink;
        produced = run(text, text + length, sink);
    } else {
        WritingSink<Out> sink(out, outCapacity);
        produced = run(text, text + length, sink);
    }
    if (produced <= 0 || produced > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(produced);
}

template <Walk walk>
int32_t Utf8ToUtf16(const char* text, int32_t count, char16_t* out, int32_t outCapacity) {
    return Convert(text, count, out, outCapacity, [](const char* first, const char* last, auto& sink) {
        return Utf8ToUtf16Run<walk>(reinterpret_cast<const uint8_t*>(first),
                                    reinterpret_cast<const uint8_t*>(last), sink);
    });
}

template <Walk walk>
int32_t Utf16ToUtf8(const char16_t* text, int32_t count, char* out, int32_t outCapacity) {
    return Convert(text, count, out, outCapacity,
                   [](const char16_t* first, const char16_t* last, auto& sink) {
                       return Utf16ToUtf8Run<walk>(first, last, sink);
                   });
}

}  // namespace kt::platform::utf8_codepage
