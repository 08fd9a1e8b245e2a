// UTF-8 <-> UTF-16 conversions and the decimal formatter, side by side with ICU and the standard library.
//
// The platform pair (the UTF-8 code page, what ConvertFromUTF8String and KTUtf8Buffer use) runs against
// u_strFromUTF8 and u_strToUTF8 into buffers large enough; ToUtf8 and ConvertFromUTF8String are the string
// operations on top (a size pass, one allocation, a conversion pass). Inputs: German prose (mostly ASCII
// with umlauts and the sharp s) and pure ASCII, 64 KiB each.
#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/string/convert.h"
#include "text/string/kt_string.h"
#include "text/string/number_format.h"

#if KT_HAVE_ICU
#include <unicode/ustring.h>
#endif

namespace {

constexpr const char* GermanParagraph =
    "Die Würde des Menschen ist unantastbar. Sie zu achten und zu schützen ist Verpflichtung aller "
    "staatlichen Gewalt. Das Deutsche Volk bekennt sich darum zu unverletzlichen und unveräußerlichen "
    "Menschenrechten als Grundlage jeder menschlichen Gemeinschaft, des Friedens und der Gerechtigkeit "
    "in der Welt. Jeder hat das Recht auf die freie Entfaltung seiner Persönlichkeit, soweit er nicht "
    "die Rechte anderer verletzt. Größere Straßen führen über Brücken; Mädchen und Jungen üben täglich. ";

constexpr const char* AsciiParagraph =
    "The quick brown fox jumps over the lazy dog while the five boxing wizards jump quickly. Pack my "
    "box with five dozen liquor jugs, and sphinx of black quartz, judge my vow; how vexingly quick daft "
    "zebras jump. ";

std::string Repeat(const char* paragraph) {
    std::string text;
    while (text.size() < 64 * 1024) text += paragraph;
    return text;
}

const std::string& Input(int which) {
    static const std::string german = Repeat(GermanParagraph);
    static const std::string ascii = Repeat(AsciiParagraph);
    return which == 0 ? german : ascii;
}

std::u16string Utf16Of(const std::string& bytes) {
    std::u16string units(bytes.size(), u'\0');
    int32_t n = kt::platform::Utf8ToUtf16(bytes.data(), static_cast<int32_t>(bytes.size()), units.data(),
                                          static_cast<int32_t>(units.size()));
    units.resize(static_cast<size_t>(n));
    return units;
}

void Label(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetLabel(state.range(0) == 0 ? "German" : "ASCII");
}

void KT_Utf8ToUtf16(benchmark::State& state) {
    const std::string& in = Input(static_cast<int>(state.range(0)));
    std::vector<char16_t> out(in.size());
    for (auto _ : state) {
        int32_t n = kt::platform::Utf8ToUtf16(in.data(), static_cast<int32_t>(in.size()), out.data(),
                                              static_cast<int32_t>(out.size()));
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    Label(state, in.size());
}

void KT_Utf16ToUtf8(benchmark::State& state) {
    const std::u16string in = Utf16Of(Input(static_cast<int>(state.range(0))));
    std::vector<char> out(in.size() * 3);
    for (auto _ : state) {
        int32_t n = kt::platform::Utf16ToUtf8(in.data(), static_cast<int32_t>(in.size()), out.data(),
                                              static_cast<int32_t>(out.size()));
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    Label(state, in.size() * 2);
}

void KT_ConvertFromUTF8String(benchmark::State& state) {
    const std::string& in = Input(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        kt::KTString<char16_t> s;
        s.ConvertFromUTF8String(in.data(), static_cast<int32_t>(in.size()));
        benchmark::DoNotOptimize(s.Data());
    }
    Label(state, in.size());
}

void KT_ToUtf8(benchmark::State& state) {
    const std::u16string in = Utf16Of(Input(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        kt::KTString<char> s = kt::ToUtf8(in.data(), static_cast<int32_t>(in.size()));
        benchmark::DoNotOptimize(s.Data());
    }
    Label(state, in.size() * 2);
}

#if KT_HAVE_ICU
void ICU_Utf8ToUtf16(benchmark::State& state) {
    const std::string& in = Input(static_cast<int>(state.range(0)));
    std::vector<UChar> out(in.size());
    for (auto _ : state) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t n = 0;
        u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &n, in.data(),
                      static_cast<int32_t>(in.size()), &status);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    Label(state, in.size());
}

void ICU_Utf16ToUtf8(benchmark::State& state) {
    const std::u16string in = Utf16Of(Input(static_cast<int>(state.range(0))));
    std::vector<char> out(in.size() * 3);
    for (auto _ : state) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t n = 0;
        u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n, in.data(),
                    static_cast<int32_t>(in.size()), &status);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    Label(state, in.size() * 2);
}

// The string-level counterpart of ConvertFromUTF8String with ICU: preflight, allocate, convert.
void ICU_Utf8ToUtf16Allocating(benchmark::State& state) {
    const std::string& in = Input(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t n = 0;
        u_strFromUTF8(nullptr, 0, &n, in.data(), static_cast<int32_t>(in.size()), &status);
        std::u16string s(static_cast<size_t>(n), u'\0');
        status = U_ZERO_ERROR;
        u_strFromUTF8(s.data(), n, &n, in.data(), static_cast<int32_t>(in.size()), &status);
        benchmark::DoNotOptimize(s.data());
    }
    Label(state, in.size());
}

void ICU_Utf16ToUtf8Allocating(benchmark::State& state) {
    const std::u16string in = Utf16Of(Input(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t n = 0;
        u_strToUTF8(nullptr, 0, &n, in.data(), static_cast<int32_t>(in.size()), &status);
        std::string s(static_cast<size_t>(n), '\0');
        status = U_ZERO_ERROR;
        u_strToUTF8(s.data(), n, &n, in.data(), static_cast<int32_t>(in.size()), &status);
        benchmark::DoNotOptimize(s.data());
    }
    Label(state, in.size() * 2);
}

BENCHMARK(ICU_Utf8ToUtf16)->Arg(0)->Arg(1);
BENCHMARK(ICU_Utf16ToUtf8)->Arg(0)->Arg(1);
BENCHMARK(ICU_Utf8ToUtf16Allocating)->Arg(0)->Arg(1);
BENCHMARK(ICU_Utf16ToUtf8Allocating)->Arg(0)->Arg(1);
#endif

BENCHMARK(KT_Utf8ToUtf16)->Arg(0)->Arg(1);
BENCHMARK(KT_Utf16ToUtf8)->Arg(0)->Arg(1);
BENCHMARK(KT_ConvertFromUTF8String)->Arg(0)->Arg(1);
BENCHMARK(KT_ToUtf8)->Arg(0)->Arg(1);

// ---- decimal formatting: 1024 values of every length per iteration --------------------------------------

const std::vector<int64_t>& Numbers() {
    static const std::vector<int64_t> numbers = [] {
        std::mt19937_64 random(42);
        std::vector<int64_t> values(1024);
        for (auto& v : values)
            v = static_cast<int64_t>(random() >> (random() % 64)) * (random() % 2 ? 1 : -1);
        return values;
    }();
    return numbers;
}

void KT_FormatDecimal(benchmark::State& state) {
    char buffer[32];
    for (auto _ : state) {
        for (int64_t v : Numbers()) {
            bool negative = v < 0;
            uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            kt::FormatDecimal(buffer, 32, magnitude, kt::DefaultIntegerFormat<char>, negative);
            benchmark::DoNotOptimize(buffer);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Numbers().size()));
}

void Std_ToChars(benchmark::State& state) {
    char buffer[32];
    for (auto _ : state) {
        for (int64_t v : Numbers()) {
            auto end = std::to_chars(buffer, buffer + 31, v).ptr;
            *end = 0;
            benchmark::DoNotOptimize(buffer);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Numbers().size()));
}

BENCHMARK(KT_FormatDecimal);
BENCHMARK(Std_ToChars);

}  // namespace

BENCHMARK_MAIN();
