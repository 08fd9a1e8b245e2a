// String storage against the standard library's strings on the same work.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/string/kt_string.h"

namespace {

template <class Char>
const Char* Text16();
template <>
const char* Text16<char>() {
    return "0123456789abcdef";
}
template <>
const char16_t* Text16<char16_t>() {
    return u"0123456789abcdef";
}

template <class Char>
void KTConstruct(benchmark::State& state) {
    const Char* text = Text16<Char>();
    benchmark::DoNotOptimize(text);
    for (auto _ : state) {
        kt::KTString<Char> s(text);
        benchmark::DoNotOptimize(s.Data());
    }
}
template <class Char>
void StdConstruct(benchmark::State& state) {
    const Char* text = Text16<Char>();
    benchmark::DoNotOptimize(text);
    for (auto _ : state) {
        std::basic_string<Char> s(text);
        benchmark::DoNotOptimize(s.data());
    }
}

template <class Char>
void KTLengthCached(benchmark::State& state) {
    kt::KTString<Char> s(Text16<Char>());
    for (auto _ : state) {
        benchmark::DoNotOptimize(&s);
        benchmark::DoNotOptimize(s.Length());
    }
}
template <class Char>
void StdLength(benchmark::State& state) {
    std::basic_string<Char> s(Text16<Char>());
    for (auto _ : state) {
        benchmark::DoNotOptimize(&s);
        benchmark::DoNotOptimize(s.size());
    }
}

// Uncached: the length is forgotten before every query, so it is found by scanning; the standard
// library's counterpart is measuring the terminated array.
template <class Char>
void KTLengthUncached(benchmark::State& state) {
    kt::KTString<Char> s(Text16<Char>());
    for (auto _ : state) {
        s._MarkLengthNotCached();
        benchmark::DoNotOptimize(s.Length());
    }
}
template <class Char>
void StdLengthOfTerminated(benchmark::State& state) {
    std::basic_string<Char> s(Text16<Char>());
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.data());
        benchmark::DoNotOptimize(std::char_traits<Char>::length(s.c_str()));
    }
}

constexpr int PieceCount = 10000;

template <class Char>
void KTAppendPieces(benchmark::State& state) {
    const Char* piece = Text16<Char>();
    for (auto _ : state) {
        kt::KTString<Char> s;
        for (int i = 0; i < PieceCount; ++i) s.Append(piece, 16);
        benchmark::DoNotOptimize(s.Data());
    }
    state.SetBytesProcessed(state.iterations() * PieceCount * 16 * sizeof(Char));
}
template <class Char>
void StdAppendPieces(benchmark::State& state) {
    const Char* piece = Text16<Char>();
    for (auto _ : state) {
        std::basic_string<Char> s;
        for (int i = 0; i < PieceCount; ++i) s.append(piece, 16);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * PieceCount * 16 * sizeof(Char));
}

}  // namespace

BENCHMARK(KTConstruct<char>);
BENCHMARK(StdConstruct<char>);
BENCHMARK(KTConstruct<char16_t>);
BENCHMARK(StdConstruct<char16_t>);
BENCHMARK(KTLengthCached<char>);
BENCHMARK(StdLength<char>);
BENCHMARK(KTLengthUncached<char>);
BENCHMARK(StdLengthOfTerminated<char>);
BENCHMARK(KTLengthUncached<char16_t>);
BENCHMARK(StdLengthOfTerminated<char16_t>);
BENCHMARK(KTAppendPieces<char>);
BENCHMARK(StdAppendPieces<char>);
BENCHMARK(KTAppendPieces<char16_t>);
BENCHMARK(StdAppendPieces<char16_t>);
BENCHMARK_MAIN();
