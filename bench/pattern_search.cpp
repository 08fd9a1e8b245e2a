// Pattern search with a pattern compiled once (KTPattern) and compiled on every call (FindRegex), against the
// engines a user would otherwise pick: std::regex, RE2, and PCRE2 with and without its JIT compiler. Each
// searches for the leftmost match and reports where it begins. Texts: a 64-character log line, and a log of
// 1 MiB (100-byte lines) whose last line holds the match. Patterns: three typical ones, and one that begins
// with ".*", as a search for a line does.
#include <benchmark/benchmark.h>

#include <regex>
#include <string>

#include "text/regex/pattern_search.h"

#if defined(KT_HAVE_RE2)
#include <re2/re2.h>
#endif
#if defined(KT_HAVE_PCRE2)
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#endif

namespace {

const char* const Patterns[] = {"code [0-9]+", "\\w+@\\w+\\.com", "e(rr|xx)or", ".*reset by peer"};

// 100-byte lines up to about `size` bytes, then one line that every pattern here matches.
std::string LogOf(size_t size) {
    static const char* const lines[] = {"2026-12-07 10:00:01 info  server started on port 8080",
                                        "2026-12-07 10:00:02 warn  slow request /api/items took 1203 ms"};
    std::string text;
    text.reserve(size + 128);
    for (size_t i = 0; text.size() + 100 <= size; ++i) {
        const size_t at = text.size();
        text += lines[i % 2];
        text.resize(at + 99, '.');
        text += '\n';
    }
    return text +
           "2026-12-07 10:00:03 error: handshake failed, connection reset by peer (code 104) from "
           "admin@example.com\n";
}

const std::string& Text(int64_t which) {
    static const std::string line = "2026-12-06 04:05:33 error: connection reset by peer (code 104)";
    static const std::string log = LogOf(size_t{1} << 20);
    return which == 0 ? line : log;
}

// Arguments: the pattern, then the text (0 the line, 1 the log).
void Texts(benchmark::internal::Benchmark* b) {
    for (int text = 0; text < 2; ++text)
        for (int pattern = 0; pattern < 4; ++pattern) b->Args({pattern, text});
}

void Processed(benchmark::State& state, const std::string& text) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void KTPatternSearch(benchmark::State& state) {
    const kt::KTPattern<char> pattern(Patterns[state.range(0)]);
    const std::string& text = Text(state.range(1));
    const kt::KTStringBorrowed<char> s(kt::Borrow, text.c_str());
    kt::CharSubstitution<char> none;
    for (auto _ : state) benchmark::DoNotOptimize(pattern.Find(s, 0, true, none));
    Processed(state, text);
}
void KTFindRegexSearch(benchmark::State& state) {
    const char* pattern = Patterns[state.range(0)];
    const std::string& text = Text(state.range(1));
    const kt::KTStringBorrowed<char> s(kt::Borrow, text.c_str());
    kt::CharSubstitution<char> none;
    for (auto _ : state) benchmark::DoNotOptimize(kt::FindRegex(s, pattern, 0, true, none));
    Processed(state, text);
}
void StdRegexSearch(benchmark::State& state) {
    const std::regex re(Patterns[state.range(0)], std::regex::ECMAScript);
    const std::string& text = Text(state.range(1));
    for (auto _ : state) {
        std::smatch match;
        benchmark::DoNotOptimize(std::regex_search(text, match, re) ? match.position(0) : -1);
    }
    Processed(state, text);
}
void StdRegexCompileAndSearch(benchmark::State& state) {
    const std::string& text = Text(state.range(1));
    for (auto _ : state) {
        const std::regex re(Patterns[state.range(0)], std::regex::ECMAScript);
        std::smatch match;
        benchmark::DoNotOptimize(std::regex_search(text, match, re) ? match.position(0) : -1);
    }
    Processed(state, text);
}

#if defined(KT_HAVE_RE2)
void Re2Search(benchmark::State& state) {
    const RE2 re(Patterns[state.range(0)]);
    const std::string& text = Text(state.range(1));
    for (auto _ : state) {
        re2::StringPiece match;
        const bool found = re.Match(text, 0, text.size(), RE2::UNANCHORED, &match, 1);
        benchmark::DoNotOptimize(found ? match.data() - text.data() : -1);
    }
    Processed(state, text);
}
BENCHMARK(Re2Search)->Apply(Texts);
#endif

#if defined(KT_HAVE_PCRE2)
void Pcre2Search(benchmark::State& state, bool jit) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Patterns[state.range(0)]),
                                     PCRE2_ZERO_TERMINATED, 0, &error, &offset, nullptr);
    if (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0)
        state.SkipWithError("no JIT on this machine");
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const std::string& text = Text(state.range(1));
    for (auto _ : state) {
        const int found =
            pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data, nullptr);
        benchmark::DoNotOptimize(found > 0 ? static_cast<long>(pcre2_get_ovector_pointer(data)[0]) : -1);
    }
    Processed(state, text);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}
BENCHMARK_CAPTURE(Pcre2Search, jit, true)->Apply(Texts);
BENCHMARK_CAPTURE(Pcre2Search, interpreted, false)->Apply(Texts);
#endif

// ".*"-led searches on logs from 64 KiB to 64 MiB whose last line holds the match: the time per byte (one
// item is one byte) stays the same whatever the length.
const char* const LinePatterns[] = {".*reset by peer", ".*error", ".*failed", ".*\\(code [0-9]+\\)",
                                    ".*@.*\\.com"};
void KTLogSearch(benchmark::State& state) {
    static std::string log;
    const auto size = static_cast<size_t>(state.range(1));
    if (log.size() < size) log = LogOf(64 << 20);
    const std::string text = log.substr(log.size() - size);
    const kt::KTPattern<char> pattern(LinePatterns[state.range(0)]);
    const kt::KTStringBorrowed<char> s(kt::Borrow, text.c_str());
    kt::CharSubstitution<char> none;
    for (auto _ : state) benchmark::DoNotOptimize(pattern.Find(s, 0, true, none));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(KTLogSearch)->ArgsProduct({{0, 1, 2, 3, 4}, {64 << 10, 1 << 20, 16 << 20, 64 << 20}});

}  // namespace

BENCHMARK(KTPatternSearch)->Apply(Texts);
BENCHMARK(KTFindRegexSearch)->Apply(Texts);
BENCHMARK(StdRegexSearch)->Apply(Texts);
BENCHMARK(StdRegexCompileAndSearch)->Apply(Texts);
BENCHMARK_MAIN();
