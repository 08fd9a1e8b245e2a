// ParseNumber against std::from_chars on the same zero-terminated decimal texts. from_chars is handed the
// precomputed end of each text; ParseNumber finds it at the terminator.
#include "text/util/number_parse.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using kt::NumberParseOptions;

struct Texts {
    std::string buffer;  // every text followed by its terminator
    std::vector<size_t> starts, ends;
};

// 4096 values of T of every magnitude (random bits of a random width) and, when signed, either sign;
// maxDigits > 0 keeps them that short instead.
template <class T>
const Texts& SampleTexts(int maxDigits) {
    static Texts texts[2];
    Texts& result = texts[maxDigits > 0];
    if (!result.starts.empty()) return result;
    std::mt19937_64 random(12345);
    for (int i = 0; i < 4096; ++i) {
        const int width = static_cast<int>(random() % std::numeric_limits<T>::digits) + 1;
        auto bits = static_cast<std::make_unsigned_t<T>>(random() >> (64 - width));
        if (maxDigits > 0) {
            uint64_t limit = 1;
            for (int digits = static_cast<int>(random() % maxDigits) + 1; digits > 0; --digits) limit *= 10;
            bits = static_cast<std::make_unsigned_t<T>>(bits % limit);
        }
        const T value = static_cast<T>(std::is_signed_v<T> && random() % 2 ? 0u - bits : bits);
        char digits[32];
        const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        result.starts.push_back(result.buffer.size());
        result.buffer.append(digits, static_cast<size_t>(end - digits));
        result.ends.push_back(result.buffer.size());
        result.buffer.push_back('\0');
    }
    return result;
}

template <class T>
void BM_ParseNumber(benchmark::State& state) {
    const Texts& texts = SampleTexts<T>(static_cast<int>(state.range(0)));
    const NumberParseOptions options{};
    for (auto _ : state) {
        T sum = 0;
        for (size_t start : texts.starts) {
            T value;
            kt::ParseNumber(texts.buffer.data() + start, value, options);
            sum = static_cast<T>(sum ^ value);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.starts.size()));
}

template <class T>
void BM_FromChars(benchmark::State& state) {
    const Texts& texts = SampleTexts<T>(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        T sum = 0;
        for (size_t i = 0; i < texts.starts.size(); ++i) {
            T value = 0;
            std::from_chars(texts.buffer.data() + texts.starts[i], texts.buffer.data() + texts.ends[i],
                            value);
            sum = static_cast<T>(sum ^ value);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.starts.size()));
}

// Argument: 0 for values of every magnitude, n for values of at most n digits.
BENCHMARK_TEMPLATE(BM_ParseNumber, int)->Arg(0)->Arg(4);
BENCHMARK_TEMPLATE(BM_FromChars, int)->Arg(0)->Arg(4);
BENCHMARK_TEMPLATE(BM_ParseNumber, unsigned)->Arg(0);
BENCHMARK_TEMPLATE(BM_FromChars, unsigned)->Arg(0);
BENCHMARK_TEMPLATE(BM_ParseNumber, long long)->Arg(0)->Arg(4);
BENCHMARK_TEMPLATE(BM_FromChars, long long)->Arg(0)->Arg(4);
BENCHMARK_TEMPLATE(BM_ParseNumber, unsigned long long)->Arg(0);
BENCHMARK_TEMPLATE(BM_FromChars, unsigned long long)->Arg(0);
BENCHMARK_TEMPLATE(BM_ParseNumber, short)->Arg(0);
BENCHMARK_TEMPLATE(BM_FromChars, short)->Arg(0);

}  // namespace

BENCHMARK_MAIN();
