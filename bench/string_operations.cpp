// String operations against what a user would otherwise reach for: the standard library's views and
// strings, ICU's case folding, and a precompiled std::regex.
#include <benchmark/benchmark.h>

#include <random>
#include <regex>
#include <string>
#include <string_view>
#include <utility>

#include "text/regex/pattern_search.h"
#include "text/string/operations.h"

#ifdef KT_HAVE_ICU
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#endif

namespace {

// 1 MiB of lower-case words; the needle occurs once, at the very end.
std::string Haystack() {
    std::mt19937 rng(7);
    std::string text;
    while (text.size() < (1u << 20) - 16) {
        int word = 2 + static_cast<int>(rng() % 8);
        for (int i = 0; i < word; ++i) text += static_cast<char>('a' + rng() % 26);
        text += ' ';
    }
    text += "needle1234";
    return text;
}
const std::string& Text() {
    static const std::string text = Haystack();
    return text;
}
std::u16string Widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}
const char* Needle = "needle1234";

void KTFind8(benchmark::State& state) {
    kt::KTString<char> s(Text().c_str());
    for (auto _ : state) benchmark::DoNotOptimize(kt::Find(s, Needle, 0, true));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
void StdFind8(benchmark::State& state) {
    std::string_view s(Text());
    for (auto _ : state) benchmark::DoNotOptimize(s.find(Needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
void KTFind16(benchmark::State& state) {
    std::u16string wide = Widen(Text());
    std::u16string needle = Widen(Needle);
    kt::KTString<char16_t> s(wide.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(kt::Find(s, needle.c_str()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
void StdFind16(benchmark::State& state) {
    std::u16string wide = Widen(Text());
    std::u16string needle = Widen(Needle);
    std::u16string_view s(wide);
    for (auto _ : state) benchmark::DoNotOptimize(s.find(needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}

// The same search reporting a character position (the default), which counts the characters before the hit:
// in the ASCII text, and in 1 MiB of German prose (umlauts and sharp s, two bytes each, in about one word
// in three).
std::string GermanProse() {
    static const char* const words[] = {"der",
                                        "die",
                                        "und",
                                        "f\xC3\xBCr",
                                        "mit",
                                        "\xC3\xBC"
                                        "ber",
                                        "sch\xC3\xB6n",
                                        "Stra\xC3\x9F"
                                        "e",
                                        "Haus",
                                        "gr\xC3\xB6\xC3\x9F"
                                        "er",
                                        "M\xC3\xA4"
                                        "dchen",
                                        "Zeit",
                                        "K\xC3\xA4se",
                                        "wird",
                                        "nicht",
                                        "T\xC3\xBCr",
                                        "Schl\xC3\xBCssel",
                                        "einem",
                                        "Jahr",
                                        "k\xC3\xB6nnen",
                                        "Wetter",
                                        "auch",
                                        "Stadt",
                                        "Fr\xC3\xBChling",
                                        "hei\xC3\x9F"
                                        "t",
                                        "noch",
                                        "Arbeit"};
    std::mt19937 rng(11);
    std::string text;
    while (text.size() < (1u << 20) - 16) {
        text += words[rng() % std::size(words)];
        text += rng() % 9 == 0 ? ". " : " ";
    }
    text += "needle1234";
    return text;
}
const std::string& German() {
    static const std::string text = GermanProse();
    return text;
}
void KTFind8Chars(benchmark::State& state, const std::string& (*text)()) {
    kt::KTString<char> s(text().c_str());
    for (auto _ : state) benchmark::DoNotOptimize(kt::Find(s, Needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text().size()));
}
void StdFind8Chars(benchmark::State& state, const std::string& (*text)()) {
    std::string_view s(text());
    for (auto _ : state) benchmark::DoNotOptimize(s.find(Needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text().size()));
}

// Case-insensitive search for "NEEDLE1234" in the 16-bit text.
void KTFindNoCase16(benchmark::State& state) {
    std::u16string wide = Widen(Text());
    kt::KTString<char16_t> s(wide.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(kt::FindNoCase(s, u"NEEDLE1234"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
#ifdef KT_HAVE_ICU
void IcuFoldThenFind16(benchmark::State& state) {
    std::u16string wide = Widen(Text());
    std::u16string folded(wide.size() + 1, u'\0');
    std::u16string needle = u"NEEDLE1234";
    std::u16string foldedNeedle(needle.size() + 1, u'\0');
    for (auto _ : state) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t n = u_strFoldCase(folded.data(), static_cast<int32_t>(folded.size()), wide.data(),
                                  static_cast<int32_t>(wide.size()), U_FOLD_CASE_DEFAULT, &status);
        int32_t m =
            u_strFoldCase(foldedNeedle.data(), static_cast<int32_t>(foldedNeedle.size()), needle.data(),
                          static_cast<int32_t>(needle.size()), U_FOLD_CASE_DEFAULT, &status);
        benchmark::DoNotOptimize(std::u16string_view(folded.data(), static_cast<size_t>(n))
                                     .find(std::u16string_view(foldedNeedle.data(), static_cast<size_t>(m))));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(IcuFoldThenFind16);
#endif

// Replace every "the" (frequent in a text of short words) by "THE!" in a string, in texts of 64 bytes to
// 16 MiB, against the loop a user writes with the standard library: find, append the piece before the hit
// and the replacement to a new string, go on behind the hit; the new string then replaces the old one. Each
// iteration starts from a fresh copy of the text on both sides, the string to change.
std::string ReplaceText(int64_t size) {
    std::string text;
    while (static_cast<int64_t>(text.size()) < size) text += "over the lazy dog and the fox ";
    text.resize(static_cast<size_t>(size));
    return text;
}
void KTReplaceAll(benchmark::State& state) {
    const std::string text = ReplaceText(state.range(0));
    for (auto _ : state) {
        kt::KTString<char> s(text.data(), static_cast<int32_t>(text.size()));
        kt::Replace(s, "the", "THE!");
        benchmark::DoNotOptimize(s.Data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
void StdReplaceLinear(benchmark::State& state) {
    const std::string text = ReplaceText(state.range(0));
    for (auto _ : state) {
        std::string s = text;
        std::string replaced;
        size_t from = 0;
        for (size_t at = s.find("the"); at != std::string::npos; at = s.find("the", at + 3)) {
            replaced.append(s, from, at - from);
            replaced += "THE!";
            from = at + 3;
        }
        replaced.append(s, from);
        s = std::move(replaced);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
// The loop that edits a copy in place, each replacement moving the rest of the text: quadratic.
void StdReplaceInPlace(benchmark::State& state) {
    const std::string text = ReplaceText(state.range(0));
    for (auto _ : state) {
        std::string s = text;
        for (size_t at = s.find("the"); at != std::string::npos; at = s.find("the", at + 4))
            s.replace(at, 3, "THE!");
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// One pattern search in a short line, for three typical patterns: FindRegex (the pattern compiled on every
// call) against the same work with std::regex (compiled, then std::regex_search); bench_pattern_search has
// the compiled pattern and the other engines.
const char* Line = "2026-12-06 04:05:33 error: connection reset by peer (code 104)";
const char* const Patterns[] = {"code [0-9]+", "\\w+@\\w+\\.com", "e(rr|xx)or"};
void KTFindRegexPerCall(benchmark::State& state) {
    kt::KTString<char> s(Line);
    kt::CharSubstitution<char> none;
    const char* pattern = Patterns[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(kt::FindRegex(s, pattern, 0, true, none));
}
void StdRegexPerCall(benchmark::State& state) {
    const char* pattern = Patterns[state.range(0)];
    for (auto _ : state) {
        std::regex re(pattern, std::regex::ECMAScript);
        std::cmatch match;
        benchmark::DoNotOptimize(std::regex_search(Line, match, re));
    }
}
void KTFindRegexPerCall16(benchmark::State& state) {
    const std::u16string line = Widen(Line), pattern = Widen(Patterns[state.range(0)]);
    kt::KTString<char16_t> s(line.c_str());
    kt::CharSubstitution<char16_t> none;
    for (auto _ : state) benchmark::DoNotOptimize(kt::FindRegex(s, pattern.c_str(), 0, true, none));
}
void StdWregexPerCall(benchmark::State& state) {
    const std::string line8(Line), pattern8(Patterns[state.range(0)]);
    const std::wstring line(line8.begin(), line8.end()), pattern(pattern8.begin(), pattern8.end());
    for (auto _ : state) {
        std::wregex re(pattern, std::regex::ECMAScript);
        std::wsmatch match;
        benchmark::DoNotOptimize(std::regex_search(line, match, re));
    }
}
}  // namespace

BENCHMARK(KTFind8);
BENCHMARK(StdFind8);
BENCHMARK(KTFind16);
BENCHMARK(StdFind16);
BENCHMARK_CAPTURE(KTFind8Chars, ascii, &Text);
BENCHMARK_CAPTURE(StdFind8Chars, ascii, &Text);
BENCHMARK_CAPTURE(KTFind8Chars, german, &German);
BENCHMARK_CAPTURE(StdFind8Chars, german, &German);
BENCHMARK(KTFindNoCase16);
BENCHMARK(KTReplaceAll)->Arg(64)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(StdReplaceLinear)->Arg(64)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(StdReplaceInPlace)->Arg(600000);
BENCHMARK(KTFindRegexPerCall)->DenseRange(0, 2);
BENCHMARK(StdRegexPerCall)->DenseRange(0, 2);
BENCHMARK(KTFindRegexPerCall16)->DenseRange(0, 2);
BENCHMARK(StdWregexPerCall)->DenseRange(0, 2);
BENCHMARK_MAIN();
