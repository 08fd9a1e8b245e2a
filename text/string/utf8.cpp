#include "text/string/utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kt {

bool EncodeUtf8(char*& out, uint32_t cp) {
    auto put = [&out](uint32_t byte) { *out++ = static_cast<char>(static_cast<unsigned char>(byte)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | cp >> 6);
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        put(0xE0 | cp >> 12);
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        put(0xF0 | cp >> 18);
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        return false;
    }
    return true;
}

uint32_t DecodeUtf8(const char*& in) {
    auto lead = static_cast<unsigned char>(*in++);
    if (lead < 0x80) return lead;
    int continuation = Utf8SequenceLength(lead) - 1;
    uint32_t cp = lead & (0x3Fu >> continuation);
    for (int i = 0; i < continuation; ++i) {
        auto byte = static_cast<unsigned char>(*in);
        if (byte == 0) break;  // a truncated sequence never consumes the terminator
        cp = cp << 6 | (byte & 0x3Fu);
        ++in;
    }
    return cp;
}

uint32_t DecodeUtf8(const char*& in, const char* end) {
    constexpr ptrdiff_t longest = 4;
    if (in >= end) return 0;
    if (end - in >= longest) return DecodeUtf8(in);
    char rest[longest + 1] = {};
    std::memcpy(rest, in, static_cast<size_t>(end - in));
    const char* p = rest;
    const uint32_t cp = DecodeUtf8(p);
    in += p - rest;
    return cp;
}

namespace {

// Steps over the sequence that starts at `p` by its lead byte's length, never past the terminator.
const char* StepSequence(const char* p) {
    const int length = Utf8SequenceLength(static_cast<unsigned char>(*p));
    ++p;
    for (int k = 1; k < length && *p != 0; ++k) ++p;  // a lead may promise more bytes than remain
    return p;
}

// Where the walk over `text` must stop: at the terminator, or after `limit` bytes if none comes before.
// memchr finds it many bytes at a time and reads nothing behind it, so the words read below stay inside.
const char* StopOf(const char* text, size_t limit) {
    const void* terminator = std::memchr(text, 0, limit);
    return terminator != nullptr ? static_cast<const char*>(terminator) : text + limit;
}

// 16 bytes as one value: GCC and Clang turn the operations below into SSE2 instructions on x86 and into
// plain code elsewhere. A comparison gives a lane of all ones where it holds.
using Bytes = unsigned char __attribute__((vector_size(16)));
using Lanes = signed char __attribute__((vector_size(16)));

Bytes LoadBytes(const char* p) {
    Bytes bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes;
}

// Whether any lane of `lanes` is set, and the number of set lanes in a sum of at most 15 comparisons.
bool AnyLane(Lanes lanes) {
    uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}
int32_t LaneSum(Lanes counts) {
    uint64_t halves[2];
    std::memcpy(halves, &counts, sizeof halves);
    constexpr uint64_t EachByte = 0x0101010101010101u;
    return static_cast<int32_t>((halves[0] * EachByte >> 56) + (halves[1] * EachByte >> 56));
}

// A block of 64 bytes that the walk enters at a sequence start, or carried on from a block before it.
// When its bytes are well-formed (each byte is a continuation byte, 10xxxxxx, exactly when a lead byte
// up to 3 bytes before it promises one: 110xxxxx the next byte, 1110xxxx two, 1111xxxx three, F8-FF
// included by the lead-byte rule), the walk lands on exactly the bytes that are not continuation bytes,
// and counting those gives its result. Returns their number, or -1 when the block needs the walk byte by
// byte (ill-formed text keeps the walk's own rules). The bytes up to 3 before `p` must be readable.
constexpr int32_t BlockBytes = 64;
int32_t CountBlock(const char* p, bool enteredAtStart) {
    Bytes blocks[BlockBytes / 16], any = {};
    for (int32_t i = 0; i < BlockBytes / 16; ++i) any |= blocks[i] = LoadBytes(p + 16 * i);
    const auto byteBefore = [p](int32_t back) { return static_cast<unsigned char>(p[-back]); };
    if (!AnyLane(static_cast<Lanes>(any >= 0x80)) &&
        (enteredAtStart || (byteBefore(1) < 0xC0 && byteBefore(2) < 0xE0 && byteBefore(3) < 0xF0)))
        return BlockBytes;  // ASCII, and no sequence from before reaches into it
    Lanes mismatch = {}, continuations = {};
    for (int32_t at = 0; at < BlockBytes; at += 16) {
        const Bytes bytes = blocks[at / 16];
        Lanes promisedBy1 = LoadBytes(p + at - 1) >= 0xC0, promisedBy2 = LoadBytes(p + at - 2) >= 0xE0,
              promisedBy3 = LoadBytes(p + at - 3) >= 0xF0;
        if (at == 0 && enteredAtStart) {  // the bytes before the start promise nothing to the walk
            promisedBy1[0] = promisedBy2[0] = promisedBy2[1] = promisedBy3[0] = promisedBy3[1] =
                promisedBy3[2] = 0;
        }
        const Lanes continuation = (bytes & 0xC0) == 0x80;
        mismatch |= continuation ^ (promisedBy1 | promisedBy2 | promisedBy3);
        continuations -= continuation;
    }
    return AnyLane(mismatch) ? -1 : BlockBytes - LaneSum(continuations);
}

// Where the walk goes on after well-formed blocks that end at `p`: past the bytes that the last lead
// promises beyond them (the walk skips them unread), never beyond `stop`.
const char* PastPromised(const char* p, const char* stop) {
    for (int32_t back = 1; back <= 3; ++back) {
        const auto byte = static_cast<unsigned char>(p[-back]);
        if ((byte & 0xC0) == 0x80) continue;
        const int32_t promised = Utf8SequenceLength(byte) - back;
        return promised <= 0 ? p : promised < stop - p ? p + promised : stop;
    }
    return p;  // a 4-byte sequence ends at p
}

// The lead-byte walk from `text` over at most `count` sequences, all before `stop` (which no terminator
// precedes). Returns where it ends and sets `walked` to the sequences it stepped over. Well-formed blocks
// are counted whole; anything else (ill-formed bytes, the first and the last bytes) is walked sequence by
// sequence.
const char* WalkSequences(const char* text, const char* stop, int32_t count, int32_t& walked) {
    const char* p = text;
    int32_t chars = 0;
    while (chars < count && p < stop) {
        if (p - text >= 3) {  // p is a sequence start
            const char* from = p;
            for (; stop - p >= BlockBytes && count - chars >= BlockBytes; p += BlockBytes) {
                const int32_t sequences = CountBlock(p, p == from);
                if (sequences < 0) break;
                chars += sequences;
            }
            if (p != from) p = PastPromised(p, stop);
        }
        const char* until = stop - p > BlockBytes ? p + BlockBytes : stop;
        for (; chars < count && p < until; ++chars) p = StepSequence(p);
    }
    walked = chars;
    return p;
}

}  // namespace

int32_t CharsToUnits(const char* text, int32_t count) {
    if (text == nullptr || count <= 0) return 0;
    // `count` sequences take at most 4 bytes each: no need to look for the terminator further.
    const size_t longest =
        static_cast<size_t>(count) <= SIZE_MAX / 4 ? static_cast<size_t>(count) * 4 : SIZE_MAX;
    int32_t walked;
    return static_cast<int32_t>(WalkSequences(text, StopOf(text, longest), count, walked) - text);
}

int32_t UnitsToChars(const char* text, int32_t units) {
    if (text == nullptr || units <= 0) return 0;
    int32_t walked;
    WalkSequences(text, StopOf(text, static_cast<size_t>(units)), INT32_MAX, walked);
    return walked;
}

}  // namespace kt
