// Markup escaping and percent escaping against the straightforward std::string escapers a user would
// write. The "allocs" counter is the number of heap allocations per iteration.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <string_view>

#include "text/util/markup.h"
#include "text/util/paths.h"

namespace {
long allocationCount = 0;
}  // namespace

// Counting replacements of the global allocation functions; kept out of line so that the compiler does not
// pair a malloc it can see with a delete it cannot.

[[gnu::noinline]] void* operator new(size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

constexpr size_t TextBytes = 64 * 1024;

// Words of ASCII letters with a few two-byte letters; `specialPercent` of the characters are markup
// specials (< > & ").
std::string MakeText(int specialPercent) {
    std::mt19937 rng(42);
    std::string text;
    while (text.size() < TextBytes) {
        const unsigned roll = rng() % 100;
        if (roll < static_cast<unsigned>(specialPercent))
            text += "<>&\""[rng() % 4];
        else if (roll < static_cast<unsigned>(specialPercent) + 3)
            text += "\xC3\xA9";
        else if (roll % 7 == 0)
            text += ' ';
        else
            text += static_cast<char>('a' + rng() % 26);
    }
    return text;
}

const std::string& PlainText() {
    static const std::string text = MakeText(0);
    return text;
}
const std::string& SpecialText() {
    static const std::string text = MakeText(10);
    return text;
}

std::string StdEscapeMarkup(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (char c : in) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

constexpr std::array<bool, 256> PercentEscapeTable = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = b < 33 || b > 126;
    for (char c : std::string_view("\"%<>^`{|}#;/?:@&=+$,")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

std::string TablePercentEscape(std::string_view in) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(in.size());
    for (char c : in) {
        const auto b = static_cast<unsigned char>(c);
        if (PercentEscapeTable[b]) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

void Finish(benchmark::State& state, long allocations) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TextBytes));
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
}

// In place: a text without specials is left alone.
void KTEscapeMarkupPlain(benchmark::State& state) {
    kt::KTString<char> s(PlainText().c_str());
    const long before = allocationCount;
    for (auto _ : state) {
        kt::EscapeMarkup(s, true, nullptr);
        benchmark::DoNotOptimize(s.Data());
    }
    Finish(state, allocationCount - before);
}
void StdEscapeMarkupPlain(benchmark::State& state) {
    const long before = allocationCount;
    for (auto _ : state) benchmark::DoNotOptimize(StdEscapeMarkup(PlainText()));
    Finish(state, allocationCount - before);
}

// A new escaped string from a text with 10% specials.
void KTEscapeMarkupSpecials(benchmark::State& state) {
    const long before = allocationCount;
    for (auto _ : state) benchmark::DoNotOptimize(kt::EscapeMarkup(SpecialText().c_str(), true, nullptr));
    Finish(state, allocationCount - before);
}
void StdEscapeMarkupSpecials(benchmark::State& state) {
    const long before = allocationCount;
    for (auto _ : state) benchmark::DoNotOptimize(StdEscapeMarkup(SpecialText()));
    Finish(state, allocationCount - before);
}

// Mode 1 (a URL component) on the text with specials; the KTString is refilled from the text first, which
// reuses its block.
void KTPercentEscape(benchmark::State& state) {
    kt::KTString<char> s;
    const long before = allocationCount;
    for (auto _ : state) {
        s = SpecialText().c_str();
        kt::PercentEscape(s, 1);
        benchmark::DoNotOptimize(s.Data());
    }
    Finish(state, allocationCount - before);
}
void StdPercentEscape(benchmark::State& state) {
    const long before = allocationCount;
    for (auto _ : state) benchmark::DoNotOptimize(TablePercentEscape(SpecialText()));
    Finish(state, allocationCount - before);
}

BENCHMARK(KTEscapeMarkupPlain);
BENCHMARK(StdEscapeMarkupPlain);
BENCHMARK(KTEscapeMarkupSpecials);
BENCHMARK(StdEscapeMarkupSpecials);
BENCHMARK(KTPercentEscape);
BENCHMARK(StdPercentEscape);

}  // namespace

BENCHMARK_MAIN();
