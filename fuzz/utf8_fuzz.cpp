// UTF-8 decoding, character/byte counting and the conversions between the widths.
//
// On any bytes: DecodeUtf8 steps by the lead-byte rule and stops at the terminator, CharsToUnits and
// UnitsToChars agree with that walk, DecodeUtf8Previous walks the same text back, FindCodePoint finds a
// byte below 0x80 and otherwise the first sequence of the value, and ToUtf8 encodes any 16-bit text exactly
// as the documented surrogate rule says. Every text is a terminated copy at the end of its block (at any
// alignment), so a read past the terminator is reported. On well-formed text: UTF-8 -> UTF-16 -> UTF-8
// and UTF-16 -> UTF-8 -> UTF-16 give back the input. The platform converters' block walks give what
// their scalar walks give, on any input at every alignment, in the size query and in the conversion, with
// room enough and with one unit too little.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "platform/posix/utf8_codepage.h"
#include "text/string/convert.h"
#include "text/string/kt_string.h"
#include "text/string/utf8.h"

namespace {

using kt::fuzz::ExactText;

struct Sequence {
    int32_t offset;
    int32_t length;
    uint32_t value;
    bool complete;
};

// The lead-byte walk as documented: a lead announces its length; continuation bits are taken unchecked;
// a sequence cut short ends at the terminator.
std::vector<Sequence> ReferenceWalk(const std::string& bytes) {
    std::vector<Sequence> walk;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int announced = kt::Utf8SequenceLength(lead);
        const int length = static_cast<int>(std::min<size_t>(announced, bytes.size() - i));
        uint32_t value = lead < 0x80 ? lead : lead & (0x3Fu >> (announced - 1));
        for (int k = 1; k < length; ++k)
            value = value << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        walk.push_back({static_cast<int32_t>(i), length, value, length == announced});
        i += length;
    }
    return walk;
}

void CheckUtf8Walks(const std::string& bytes) {
    const ExactText<char> text(bytes, bytes.size() % 8);  // the counts read whole words where aligned
    const std::vector<Sequence> walk = ReferenceWalk(bytes);
    const auto count = static_cast<int32_t>(walk.size());
    const auto size = static_cast<int32_t>(bytes.size());

    const char* p = text.Get();
    for (const Sequence& sequence : walk) {
        KT_FUZZ_CHECK(p == text.Get() + sequence.offset);
        const uint32_t value = kt::DecodeUtf8(p);
        KT_FUZZ_CHECK(p == text.Get() + sequence.offset + sequence.length);
        if (sequence.complete) KT_FUZZ_CHECK(value == sequence.value);
    }
    KT_FUZZ_CHECK(*p == 0);

    for (int32_t chars = -1; chars <= count + 1; ++chars) {
        const int32_t units = kt::CharsToUnits(text.Get(), chars);
        const int32_t expected = chars <= 0 ? 0 : chars >= count ? size : walk[chars].offset;
        KT_FUZZ_CHECK(units == expected);
        KT_FUZZ_CHECK(kt::UnitsToChars(text.Get(), units) == std::max(0, std::min(chars, count)));
    }
    KT_FUZZ_CHECK(kt::CharsToUnits(text.Get(), 0x7FFFFFFF) == size);
    size_t next = 0;
    for (int32_t units = 0; units <= size + 1; ++units) {
        // Characters that start before byte `units`, never past the terminator.
        while (next < walk.size() && walk[next].offset < units) ++next;
        KT_FUZZ_CHECK(kt::UnitsToChars(text.Get(), units) == static_cast<int32_t>(next));
    }
    KT_FUZZ_CHECK(kt::UnitsToChars(text.Get(), 0x7FFFFFFF) == count);

    // Backwards from the end: never before the start, always one step back at least.
    const char* position = text.Get() + size;
    int steps = 0;
    while (position != text.Get()) {
        const char* before = position;
        kt::DecodeUtf8Previous(text.Get(), position);
        KT_FUZZ_CHECK(position < before && position >= text.Get());
        ++steps;
    }
    KT_FUZZ_CHECK(steps <= size);
    KT_FUZZ_CHECK(kt::DecodeUtf8Previous(text.Get(), position) == 0 && position == text.Get());

    // FindCodePoint: below 0x80 a plain byte search; above, the first sequence of the walk with the value
    // (overlong forms included). One value per input, taken from the text or not in it.
    if (!walk.empty()) {
        const uint32_t wanted = walk[walk.size() / 2].value;
        const char* expected = nullptr;
        if (wanted < 0x80) {
            const size_t at = bytes.find(static_cast<char>(wanted));
            if (wanted != 0 && at != std::string::npos) expected = text.Get() + at;
        } else {
            for (const Sequence& sequence : walk) {
                if (sequence.value == wanted) {
                    expected = text.Get() + sequence.offset;
                    break;
                }
            }
        }
        KT_FUZZ_CHECK(kt::FindCodePoint(text.Get(), wanted) == expected);
    }
    KT_FUZZ_CHECK(kt::FindCodePoint(text.Get(), 0) == nullptr);

    if (!kt::fuzz::IsValidUtf8(bytes)) return;
    // Well-formed text decodes to its code points both ways, and survives a round trip through UTF-16.
    const std::u32string points = kt::fuzz::CodePointsOf(bytes);
    KT_FUZZ_CHECK(points.size() == walk.size());
    for (size_t i = 0; i < walk.size(); ++i) KT_FUZZ_CHECK(walk[i].value == points[i]);
    position = text.Get() + size;
    for (size_t i = points.size(); i-- > 0;)
        KT_FUZZ_CHECK(kt::DecodeUtf8Previous(text.Get(), position) == points[i]);

    kt::KTString<char16_t> wide;
    wide.ConvertFromUTF8String(text.Get());
    const kt::KTString<char> back = kt::ToUtf8(wide);
    KT_FUZZ_CHECK(std::string(back.Data(), back.Length()) == bytes);
    const kt::KTUtf8Buffer buffer(wide.Data());
    if (bytes.empty()) {
        KT_FUZZ_CHECK(buffer.Data() == nullptr || buffer.Size() == 1);
    } else {
        KT_FUZZ_CHECK(buffer.Size() == size + 1 &&
                      std::memcmp(buffer.Data(), bytes.data(), bytes.size() + 1) == 0);
    }
    kt::KTString<char16_t> units(wide);
    units.ConvertToUtf8Units();
    KT_FUZZ_CHECK(units.Length() == size);
    for (int32_t i = 0; i < size; ++i) KT_FUZZ_CHECK(units.Data()[i] == static_cast<unsigned char>(bytes[i]));
    const kt::KTString<char> copy = kt::CopyUtf8(text.Get());
    KT_FUZZ_CHECK(std::string(copy.Data(), copy.Length()) == bytes);
}

// ToUtf8's own rule: a unit in D800-DFFF takes the next unit with it, whatever it is; one that is the last
// unit encodes as U+FFFD.
std::string ReferenceToUtf8(const std::u16string& units, size_t count) {
    std::u32string points;
    for (size_t i = 0; i < count;) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            if (i + 1 >= units.size()) {
                points.push_back(0xFFFD);
                ++i;
            } else {
                points.push_back((((unit & 0x3FFu) << 10) | (units[i + 1] & 0x3FFu)) + 0x10000);
                i += 2;
            }
        } else {
            points.push_back(unit);
            ++i;
        }
    }
    return kt::fuzz::Utf8Of(points);
}

void CheckUtf16(const std::u16string& units) {
    const ExactText<char16_t> text(units);
    const kt::KTString<char> terminated = kt::ToUtf8(text.Get());
    const std::string expected = ReferenceToUtf8(units, units.size());
    KT_FUZZ_CHECK(std::string(terminated.Data(), terminated.Length()) == expected);
    // The counted form reads exactly `count` units (a surrogate at count - 1 takes the unit at count,
    // which may be the terminator); count the whole text and compare.
    const kt::KTString<char> counted = kt::ToUtf8(text.Get(), static_cast<int32_t>(units.size()));
    if (units.empty() || units.back() < 0xD800 || units.back() > 0xDFFF)
        KT_FUZZ_CHECK(std::string(counted.Data(), counted.Length()) == expected);
    // The same from every offset in a block, which the ASCII blocks start at.
    for (size_t offset = 1; offset < kt::platform::AsciiBlockUnits; ++offset) {
        const ExactText<char16_t> shifted(units, offset);
        const kt::KTString<char> converted = kt::ToUtf8(shifted.Get());
        KT_FUZZ_CHECK(std::string(converted.Data(), converted.Length()) == expected);
    }

    if (!kt::fuzz::IsValidUtf16(units)) return;
    kt::KTString<char16_t> wide;
    wide.ConvertFromUTF8String(terminated);
    KT_FUZZ_CHECK(std::u16string(wide.Data(), wide.Length()) == units);
    const kt::KTUtf8Buffer buffer(text.Get());
    if (!units.empty())
        KT_FUZZ_CHECK(buffer.Size() == terminated.Length() + 1 &&
                      std::memcmp(buffer.Data(), terminated.Data(), buffer.Size()) == 0);
}

// Converts `input` with the block walk (`convert`, the platform's) and the scalar walk, from every offset
// in a block: the size, the units written with exactly that room, and the failure with one unit less.
template <class In, class Out, class Converter, class Scalar>
void CompareWalks(const std::basic_string<In>& input, Converter convert, Scalar scalar) {
    const auto count = static_cast<int32_t>(input.size());
    for (size_t offset = 0; offset < kt::platform::AsciiBlockUnits; ++offset) {
        const ExactText<In> copy(input, offset);  // a read behind the terminator is reported
        const In* text = copy.Get();
        const int32_t needed = scalar(text, count, nullptr, 0);
        KT_FUZZ_CHECK(convert(text, count, nullptr, 0) == needed);
        if (needed <= 0) continue;
        std::basic_string<Out> expected(static_cast<size_t>(needed), Out(0)), actual = expected;
        KT_FUZZ_CHECK(scalar(text, count, expected.data(), needed) == needed);
        KT_FUZZ_CHECK(convert(text, count, actual.data(), needed) == needed);
        KT_FUZZ_CHECK(actual == expected);
        if (needed > 1) KT_FUZZ_CHECK(convert(text, count, actual.data(), needed - 1) == 0);
    }
}

void CheckPlatformWalks(const uint8_t* data, size_t size) {
    using kt::platform::utf8_codepage::Walk;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CompareWalks<char, char16_t>(bytes, kt::platform::Utf8ToUtf16,
                                 kt::platform::utf8_codepage::Utf8ToUtf16<Walk::Scalar>);
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    CompareWalks<char16_t, char>(units, kt::platform::Utf16ToUtf8,
                                 kt::platform::utf8_codepage::Utf16ToUtf8<Walk::Scalar>);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bytes.resize(std::strlen(bytes.c_str()));  // a terminated text ends at its first zero
    CheckUtf8Walks(bytes);
    CheckPlatformWalks(data, size);

    kt::fuzz::Input input(data, size);
    CheckUtf16(input.Rest<char16_t>(2048));

    // EncodeUtf8 writes what the reference writes, and refuses surrogates and values above U+10FFFF.
    kt::fuzz::Input values(data, size);
    for (int i = 0; i < 8 && !values.Empty(); ++i) {
        const uint32_t cp = values.U32() >> (values.Byte() % 12);
        char out[4] = {};
        char* end = out;
        const bool encodable = cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        KT_FUZZ_CHECK(kt::EncodeUtf8(end, cp) == encodable);
        if (!encodable) {
            KT_FUZZ_CHECK(end == out);
            continue;
        }
        KT_FUZZ_CHECK(std::string(out, end) == kt::fuzz::Utf8Of(std::u32string(1, cp)));
        KT_FUZZ_CHECK(end - out == kt::Utf8Length(cp));
    }
    return 0;
}
