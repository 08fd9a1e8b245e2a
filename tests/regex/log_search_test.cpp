// Searches as a user searching a log file makes them: patterns that begin with ".*" on logs from a few KB
// to 64 MiB, answered with the standard library's position, in both widths; and the inputs that once
// escaped the limits of the library's guarded matcher.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>

#include "text/regex/pattern_search.h"

using namespace kt;

namespace {

constexpr size_t MiB = size_t{1} << 20;
// Sanitizer builds run some thirty times slower, 32-bit builds often under emulation: there the longest
// log is 1 MiB.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || UINTPTR_MAX == UINT32_MAX
constexpr size_t LongestLog = MiB;
#else
constexpr size_t LongestLog = 64 * MiB;
#endif

const char* const LogPatterns[] = {".*reset by peer", ".*error", ".*failed", ".*\\(code [0-9]+\\)",
                                   ".*@.*\\.com"};
constexpr char LastLine[] =
    "2026-12-07 10:00:03 error: handshake failed, connection reset by peer (code 104) "
    "from admin@example.com\n";

// Lines of 100 bytes that none of the patterns matches, then the line that all of them match.
std::string Log(size_t size) {
    static const char* const lines[] = {"2026-12-07 10:00:01 info  server started on port 8080",
                                        "2026-12-07 10:00:02 warn  slow request /api/items took 1203 ms"};
    std::string log;
    log.reserve(size + sizeof LastLine);
    for (size_t i = 0; log.size() + 100 <= size; ++i) {
        const size_t at = log.size();
        log += lines[i % 2];
        log.resize(at + 99, '.');
        log += '\n';
    }
    return log + LastLine;
}

template <class Char>
void ExpectLogAnswers(const std::string& log8, int32_t expected) {
    const std::basic_string<Char> log(log8.begin(), log8.end());
    const KTStringBorrowed<Char> s(Borrow, log.c_str());
    CharSubstitution<Char> none;
    for (const char* pattern8 : LogPatterns) {
        const std::basic_string<Char> pattern(pattern8, pattern8 + std::char_traits<char>::length(pattern8));
        const std::string where = std::string(pattern8) + " in " + std::to_string(log.size()) +
                                  " units, width " + std::to_string(sizeof(Char));
        EXPECT_EQ(FindRegex(s, pattern.c_str(), 0, true, none), expected) << where;
        if (log.size() <= 2 * MiB) {
            EXPECT_EQ(KTPattern<Char>(pattern.c_str()).Find(s, 0, true, none), expected) << where;
        }
        EXPECT_FALSE(MatchesRegex(s, pattern.c_str(), none)) << where << ": the dot stops at line ends";
    }
}

}  // namespace

// On a short log the standard library's own search gives the expected position; on the long ones the
// position is where the only matching line begins.
TEST(LogSearch, DotStarPatternsFindTheLineOnEveryLength) {
    const std::string shortLog = Log(6000);
    const auto lastLine = static_cast<int32_t>(shortLog.size() - (sizeof LastLine - 1));
    for (const char* pattern : LogPatterns) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(shortLog, match, std::regex(pattern)));
        ASSERT_EQ(match.position(0), lastLine) << pattern;
    }
    for (const size_t size : {size_t{6000}, MiB, LongestLog}) {
        const std::string log = Log(size);
        const auto expected = static_cast<int32_t>(log.size() - (sizeof LastLine - 1));
        ExpectLogAnswers<char>(log, expected);
        ExpectLogAnswers<char16_t>(log, expected);
    }
}

namespace {

std::string Repeat(std::string_view unit, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
}

}  // namespace

// What a review found beyond the guarded matcher's limits: lookaheads nested in lookaheads (each level
// set up a matcher of its own before any check), and a pattern of many empty alternatives on a long text.
TEST(LogSearch, InputsThatEscapedTheLimits) {
    CharSubstitution<char> none;
    const KTString<char> a("a");
    // Lookaheads nest up to 16 deep; deeper is a limit, whatever the text.
    EXPECT_EQ(FindRegex(a, (Repeat("(?=", 16) + "a" + Repeat(")", 16)).c_str(), 0, true, none), 0);
    for (const size_t depth : {17, 580, 2000}) {
        const std::string pattern = Repeat("(?=", depth) + "a" + Repeat(")", depth) + std::string(10000, 'b');
        const regex_detail::SearchOutcome outcome =
            regex_detail::SearchUnits(none, "a", 1, pattern.c_str(), false);
        EXPECT_EQ(outcome.position, -1) << depth;
        EXPECT_TRUE(regex_detail::IsLimit(outcome.end)) << depth;
    }
    // 2,000 empty alternatives before an "x" on 1 MiB of "a": the automaton answers.
    const std::string text(MiB, 'a');
    const std::string alternatives = "(?:" + Repeat("|", 2000) + ")x";
    const regex_detail::SearchOutcome outcome = regex_detail::SearchUnits(
        none, text.c_str(), static_cast<int32_t>(text.size()), alternatives.c_str(), false);
    EXPECT_EQ(outcome.end, regex_detail::SearchEnd::NoMatch);
    EXPECT_EQ(FindRegex(KTString<char>((text + "x").c_str()), alternatives.c_str(), 0, true, none),
              static_cast<int32_t>(text.size()));
}
