// The string builder and concatenation expressions against the standard library's strings.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/string/builder.h"
#include "text/string/concat.h"
#include "text/string/kt_string.h"

namespace {

// Both sides grow a block to about 8 MB per iteration. Without a warm-up the C library's allocator hands
// such blocks out as fresh mappings until a large free raises its mapping threshold, and whichever side runs
// first pays for page faults. One large allocation and release at start-up puts both on reused heap memory.
const bool allocatorWarmedUp = [] {
    char* volatile block = new char[24 << 20];  // volatile: the pair must not be optimised away
    delete[] block;
    return true;
}();

constexpr const char* Pieces[] = {"alpha", "be", "gamma, ", "delta-", "epsilon", "z", "eta; ", "theta"};
constexpr int PieceCount = 1000000;

void KT_BuilderAppend(benchmark::State& state) {
    for (auto _ : state) {
        kt::KTString<char> target;
        kt::KTStringBuilder builder(target);
        for (int i = 0; i < PieceCount; ++i) builder.Append(Pieces[i & 7]);
        benchmark::DoNotOptimize(target.Data());
    }
    state.SetItemsProcessed(state.iterations() * PieceCount);
}

void Std_StringAppend(benchmark::State& state) {
    for (auto _ : state) {
        std::string target;
        for (int i = 0; i < PieceCount; ++i) target.append(Pieces[i & 7]);
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(state.iterations() * PieceCount);
}

// The same with the pieces' lengths known: strings on both sides.
void KT_BuilderAppendStrings(benchmark::State& state) {
    std::vector<kt::KTString<char>> pieces(std::begin(Pieces), std::end(Pieces));
    for (auto _ : state) {
        kt::KTString<char> target;
        kt::KTStringBuilder builder(target);
        for (int i = 0; i < PieceCount; ++i) builder.Append(pieces[i & 7]);
        benchmark::DoNotOptimize(target.Data());
    }
    state.SetItemsProcessed(state.iterations() * PieceCount);
}

void Std_StringAppendStrings(benchmark::State& state) {
    std::vector<std::string> pieces(std::begin(Pieces), std::end(Pieces));
    for (auto _ : state) {
        std::string target;
        for (int i = 0; i < PieceCount; ++i) target.append(pieces[i & 7]);
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(state.iterations() * PieceCount);
}

// Pieces of 16 bytes at eight offsets into one text, pointer and count on both sides.
constexpr const char* Piece16 = "0123456789abcdefghijklmnop";
constexpr int Piece16Count = PieceCount / 4;  // 4 MB, as much as the short pieces make

void KT_BuilderAppend16(benchmark::State& state) {
    for (auto _ : state) {
        kt::KTString<char> target;
        kt::KTStringBuilder builder(target);
        for (int i = 0; i < Piece16Count; ++i) builder.Append(Piece16 + (i & 7), 16);
        benchmark::DoNotOptimize(target.Data());
    }
    state.SetItemsProcessed(state.iterations() * Piece16Count);
}

void Std_StringAppend16(benchmark::State& state) {
    for (auto _ : state) {
        std::string target;
        for (int i = 0; i < Piece16Count; ++i) target.append(Piece16 + (i & 7), 16);
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(state.iterations() * Piece16Count);
}

BENCHMARK(KT_BuilderAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(Std_StringAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(KT_BuilderAppendStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(Std_StringAppendStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(KT_BuilderAppend16)->Unit(benchmark::kMillisecond);
BENCHMARK(Std_StringAppend16)->Unit(benchmark::kMillisecond);

// A five-piece concatenation: three strings and two texts, 58 characters in all.
void KT_ConcatFive(benchmark::State& state) {
    kt::KTString<char> first("Catalogue entry "), second("no_encoding_specified"), third("xml");
    for (auto _ : state) {
        benchmark::DoNotOptimize(first.Data());
        kt::KTString<char> joined = first + second + " in catalogue " + third + ": missing";
        benchmark::DoNotOptimize(joined.Data());
    }
}

void Std_ConcatFive(benchmark::State& state) {
    std::string first("Catalogue entry "), second("no_encoding_specified"), third("xml");
    for (auto _ : state) {
        benchmark::DoNotOptimize(first.data());
        std::string joined = first + second + " in catalogue " + third + ": missing";
        benchmark::DoNotOptimize(joined.data());
    }
}

BENCHMARK(KT_ConcatFive);
BENCHMARK(Std_ConcatFive);

}  // namespace

BENCHMARK_MAIN();
