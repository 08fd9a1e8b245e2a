// Line-ending conversion against what a user would otherwise write: a loop over a std::string into a
// reused buffer, and std::regex_replace. Quoted-printable encoding has no standard-library or ICU
// counterpart; its throughput is measured alone.
#include <benchmark/benchmark.h>

#include <random>
#include <regex>
#include <string>

#include "text/util/encodings.h"

namespace {

// 1 MiB of words in lines of about 60 characters, ended by `ending`.
std::string Lines(const char* ending) {
    std::mt19937 rng(5);
    std::string text;
    size_t column = 0;
    while (text.size() < (1u << 20)) {
        const int word = 2 + static_cast<int>(rng() % 8);
        for (int i = 0; i < word; ++i) text += static_cast<char>('a' + rng() % 26);
        column += static_cast<size_t>(word) + 1;
        if (column > 60) {
            text += ending;
            column = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}
const std::string& UnixText() {
    static const std::string text = Lines("\n");
    return text;
}
const std::string& WindowsText() {
    static const std::string text = Lines("\r\n");
    return text;
}

// The loop a user writes: every CR LF, lone CR and lone LF becomes `ending`.
void StdConvert(const std::string& in, std::string& out, const char* ending) {
    out.clear();
    out.reserve(in.size() + in.size() / 16);
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r') {
            if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
            out += ending;
        } else if (in[i] == '\n') {
            out += ending;
        } else {
            out += in[i];
        }
    }
}

void KTToCRLF(benchmark::State& state) {
    const kt::KTString<char> source(UnixText().c_str());
    kt::KTString<char> out;
    for (auto _ : state) {
        kt::ConvertLineEndings(out, source, kt::LineEndingCRLF<char>);
        benchmark::DoNotOptimize(out.Data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(UnixText().size()));
}
void StdLoopToCRLF(benchmark::State& state) {
    std::string out;
    for (auto _ : state) {
        StdConvert(UnixText(), out, "\r\n");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(UnixText().size()));
}
void StdRegexToCRLF(benchmark::State& state) {
    const std::regex breaks("\r\n|\r|\n");
    for (auto _ : state) benchmark::DoNotOptimize(std::regex_replace(UnixText(), breaks, "\r\n"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(UnixText().size()));
}

void KTToLF(benchmark::State& state) {
    const kt::KTString<char> source(WindowsText().c_str());
    kt::KTString<char> out;
    for (auto _ : state) {
        kt::ConvertLineEndings(out, source, kt::LineEndingLF<char>);
        benchmark::DoNotOptimize(out.Data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(WindowsText().size()));
}
void StdLoopToLF(benchmark::State& state) {
    std::string out;
    for (auto _ : state) {
        StdConvert(WindowsText(), out, "\n");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(WindowsText().size()));
}

void KTQuotedPrintable(benchmark::State& state) {
    const std::u16string text(WindowsText().begin(), WindowsText().end());
    for (auto _ : state) {
        kt::KTString<char16_t> s(text.c_str());
        benchmark::DoNotOptimize(kt::EncodeQuotedPrintable(s).Data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(KTToCRLF);
BENCHMARK(StdLoopToCRLF);
BENCHMARK(StdRegexToCRLF);
BENCHMARK(KTToLF);
BENCHMARK(StdLoopToLF);
BENCHMARK(KTQuotedPrintable);
BENCHMARK_MAIN();
