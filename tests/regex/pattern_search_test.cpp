#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <locale>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "text/regex/pattern_search.h"

using namespace kt;

TEST(PatternSearch, FindRegexPositions) {
    CharSubstitution<char> none;
    KTString<char> s("abcabc");
    EXPECT_EQ(FindRegex(s, "c", 0, false, none), 2);
    EXPECT_EQ(FindRegex(s, "x", 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, "", 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, static_cast<const char*>(nullptr), 0, false, none), -1);
    EXPECT_EQ(FindRegex(s, "(", 0, false, none), -1) << "an invalid pattern is caught";
    EXPECT_EQ(FindRegex(s, "c", 7, false, none), -1) << "a start beyond the end";
    EXPECT_EQ(FindRegex(s, "c", -3, false, none), 2);

    KTString<char> umlaut("\u00E4bc");
    EXPECT_EQ(FindRegex(umlaut, "b", 0, false, none), 1);
    EXPECT_EQ(FindRegex(umlaut, "b", 0, true, none), 2);
    KTStringShared<char> shared(umlaut);
    EXPECT_EQ(FindRegex(shared, "c", 0, false, none), 2);
    EXPECT_EQ(KTPattern<char>("\xC3\xA4+b").Find(KTString<char>("x\u00E4\u00E4b"), 1, false, none), 2)
        << "a compiled pattern's character positions";

    CharSubstitution<char16_t> none16;
    KTString<char16_t> wide(u"\u00E4bc");
    EXPECT_EQ(FindRegex(wide, u"b", 0, false, none16), 1);
    EXPECT_EQ(FindRegex(wide, u"b", 0, true, none16), 1);
    KTStringBorrowed<char16_t> borrowed(Borrow, u"x\U0001F600y");
    EXPECT_EQ(FindRegex(borrowed, u"y", 0, false, none16), 3) << "a pair counts two units";
}

TEST(PatternSearch, MatchesRegex) {
    CharSubstitution<char> none;
    KTString<char> s("abc");
    EXPECT_FALSE(MatchesRegex(s, "b", none));
    EXPECT_TRUE(MatchesRegex(s, "a.c", none));
    EXPECT_FALSE(MatchesRegex(s, "", none));
    EXPECT_FALSE(MatchesRegex(s, "(", none));
    CharSubstitution<char16_t> none16;
    EXPECT_TRUE(MatchesRegex(KTString<char16_t>(u"\u00E4bc"), u"\u00E4b.", none16));
}

// The standard library reads back-reference numbers and repeat counts into a long without an overflow
// check and hands them on as int: beyond INT32_MAX such a pattern is invalid, whatever its width.
TEST(PatternSearch, NumbersBeyondIntAreInvalid) {
    CharSubstitution<char> none;
    KTString<char> aa("aa");
    EXPECT_EQ(FindRegex(aa, "(a)\\1", 0, false, none), 0);
    EXPECT_TRUE(MatchesRegex(aa, "a{2}", none));
    EXPECT_TRUE(MatchesRegex(aa, "a{0000000002}", none)) << "leading zeros: the value counts, not the digits";
    EXPECT_FALSE(regex_detail::MeasurePattern("a{1,2147483647}").numberBeyondInt);
    EXPECT_TRUE(regex_detail::MeasurePattern("a{1,2147483648}").numberBeyondInt);
    EXPECT_FALSE(regex_detail::MeasurePattern(u"\\2147483647").numberBeyondInt);
    EXPECT_TRUE(regex_detail::MeasurePattern(u"\\2147483648").numberBeyondInt);
    EXPECT_FALSE(MatchesRegex(KTString<char>("a"), "a{4294967297}", none)) << "would wrap around to a{1}";
    EXPECT_EQ(FindRegex(aa, "a|\\33333333333333333333333333", 0, false, none), -1);
    EXPECT_EQ(FindRegex(aa, "[\\99999999999]|a", 0, false, none), -1);

    // Only the digits the library reads as numbers count: literals, "\0" and "\x" escapes, bracketed
    // braces and class names are text.
    KTString<char> digits("12345678901234567890{99999999999}");
    EXPECT_EQ(FindRegex(digits, "12345678901234567890", 0, false, none), 0);
    EXPECT_EQ(FindRegex(digits, "\\x312345678901", 0, false, none), 0);
    EXPECT_EQ(FindRegex(digits, "[{]99999999999", 0, false, none), 20);
    EXPECT_EQ(FindRegex(digits, "[[:digit:]{]99999999999", 0, false, none), 20);
    EXPECT_EQ(FindRegex(digits, "\\{99999999999", 0, false, none), 20);

    CharSubstitution<char16_t> none16;
    KTString<char16_t> wide(u"aa");
    EXPECT_TRUE(MatchesRegex(wide, u"(a)\\1", none16));
    EXPECT_FALSE(MatchesRegex(wide, u"a{99999999999999999999}", none16));
    EXPECT_EQ(FindRegex(wide, u"\\99999999999999999999", 0, false, none16), -1);
}

TEST(PatternSearch, Substitution) {
    CharSubstitution<char16_t> off;
    KTString<char16_t> abc(u"ABC");
    EXPECT_EQ(off.Apply(abc), abc.Data());
    EXPECT_EQ(off.Buffer(), nullptr);

    const char16_t xy[] = {u'x', u'y'};
    CharSubstitution<char16_t> sub(u'A', xy);
    const char16_t* subject = sub.Apply(abc);
    EXPECT_EQ(std::u16string_view(subject), u"xyC");
    EXPECT_TRUE(MatchesRegex(abc, u"xyC", sub));
    EXPECT_EQ(abc.ToView(), u"ABC") << "the string itself is unchanged";

    KTString<char16_t> last(u"BCA");  // the unit to rewrite is the last one: the copy stays terminated
    EXPECT_EQ(std::u16string_view(sub.Apply(last)), u"BCx");
    KTString<char16_t> twice(u"AA");
    EXPECT_EQ(std::u16string_view(sub.Apply(twice)), u"xy");
}

// --- hostile input: every call returns, with the answer or with a limit reached -------------------------

namespace {

using regex_detail::IsLimit;
using regex_detail::Matchers;
using regex_detail::SearchEnd;
using regex_detail::SearchOutcome;

constexpr size_t MiB = size_t{1} << 20;
// Sanitizer builds run the matcher some thirty times slower: there the long texts are 32 KiB, still longer
// than their stack could hold one level per character of. 32-bit builds, often run under emulation, take
// 128 KiB, beyond what their smaller frames fit into 8 MiB.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t Long = MiB / 32;
#elif UINTPTR_MAX == UINT32_MAX
constexpr size_t Long = MiB / 8;
#else
constexpr size_t Long = MiB;
#endif

std::string Repeat(std::string_view unit, size_t count) {
    std::string text;
    text.reserve(unit.size() * count);
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
}
std::string Prose(size_t length) {
    std::string text = Repeat("the quick brown fox, jumps over the lazy dog. ", length / 46 + 1);
    text.resize(length);
    return text;
}

// Searches (or matches the whole text) in the width of Char, with pattern and text given as ASCII.
template <class Char>
SearchOutcome Search(const std::string& pattern, const std::string& text, bool wholeText,
                     Matchers matchers = Matchers::AutomatonFirst) {
    const std::basic_string<Char> widePattern(pattern.begin(), pattern.end());
    const std::basic_string<Char> wideText(text.begin(), text.end());
    CharSubstitution<Char> none;
    return regex_detail::SearchUnits(none, wideText.c_str(), static_cast<int32_t>(wideText.size()),
                                     widePattern.c_str(), wholeText, matchers);
}

struct HostileCase {
    const char* name;
    std::string pattern;
    std::string text;
    int32_t found;     // the answer of FindRegex, -1 for none
    bool matches;      // of MatchesRegex
    bool findLimited;  // whether the search ends at a limit rather than with the answer
};

std::vector<HostileCase> HostileCases() {
    const std::string mail = Prose(Long) + " me@example.com";
    return {
        // The library's matcher recursed once per character: long matches overflowed the stack.
        {"a+ on a long text", "a+", std::string(Long, 'a'), 0, true, false},
        {".* on four long texts", ".*", std::string(4 * Long, 'a'), 0, true, false},
        {"a+ on four long texts", "a+", std::string(4 * Long - 1, 'a') + "b", 0, false, false},
        {"(a|b)* on a long text", "(a|b)*", Repeat("ab", Long / 2), 0, true, false},
        {"mail at the end of a long text", "\\w+@\\w+\\.com", mail, static_cast<int32_t>(mail.size() - 14),
         false, false},
        {"[^,]*, on a long text", "[^,]*,", std::string(Long, 'a') + ",", 0, true, false},
        // Quadratic and exponential for a backtracking matcher, linear for the automaton.
        {"[^,]*, on 100 B without a comma", "[^,]*,", std::string(100000, 'a'), -1, false, false},
        {"[a-z]+$ on 20,000 letters and !", "[a-z]+$", std::string(20000, 'q') + "!", -1, false, false},
        {"(a*)*b on 28 a", "(a*)*b", std::string(28, 'a'), -1, false, false},
        {"(a|a)*b on 28 a", "(a|a)*b", std::string(28, 'a'), -1, false, false},
        {"(x+x+)+y on 26 x", "(x+x+)+y", std::string(26, 'x'), -1, false, false},
        // The compiler recursed once per group level and per term; removing long runs of its placeholder
        // states takes time quadratic in their length.
        {"50,000 nested groups", Repeat("(", 50000) + "a" + Repeat(")", 50000), "a", -1, false, true},
        {"15,000 nested (?:", Repeat("(?:", 15000) + "a" + Repeat(")", 15000), "a", -1, false, true},
        {"(?:){20000}", "(?:){20000}a", "a", -1, false, true},
        {"20,000 alternatives", Repeat("a|", 20000) + "a", "a", -1, false, true},
        {"1 MiB of literals", std::string(MiB, 'a'), std::string(MiB, 'a'), -1, false, true},
        {"1 MiB of brackets", Repeat("[a]", MiB / 3), "a", -1, false, true},
        {"1 MiB bracket", "[" + Repeat("a-b", MiB / 3) + "]", "b", -1, false, true},
    };
}

template <class Char>
void ExpectHostileResults() {
    for (const HostileCase& c : HostileCases()) {
        const SearchOutcome found = Search<Char>(c.pattern, c.text, false);
        EXPECT_EQ(found.position, c.found) << c.name << ", width " << sizeof(Char);
        EXPECT_EQ(IsLimit(found.end), c.findLimited) << c.name << ", width " << sizeof(Char);
        EXPECT_EQ(Search<Char>(c.pattern, c.text, true).end == SearchEnd::Match, c.matches)
            << c.name << ", width " << sizeof(Char);
        if (c.pattern.size() < 1000) {  // a compiled pattern answers alike, under the same limits
            const std::basic_string<Char> pattern(c.pattern.begin(), c.pattern.end());
            const std::basic_string<Char> text(c.text.begin(), c.text.end());
            CharSubstitution<Char> none;
            const KTPattern<Char> compiled(pattern.c_str());
            EXPECT_EQ(compiled.Find(KTStringBorrowed<Char>(Borrow, text.c_str()), 0, true, none), c.found)
                << c.name;
        }
    }
}

}  // namespace

TEST(PatternSearchLimits, HostileInputGivesTheDocumentedResult) {
    ExpectHostileResults<char>();
    ExpectHostileResults<char16_t>();
}

namespace {

// Runs `work` on a thread with a stack of `bytes` (std::thread cannot choose its stack size).
void RunWithStack(size_t bytes, const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
    pthread_t thread;
    auto run = [](void* job) -> void* {
        (*static_cast<const std::function<void()>*>(job))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// Uses the stack until about `left` bytes of it remain, then runs `work`.
void Descend(size_t left, const std::function<void()>& work) {
    volatile char frame[4096];
    frame[0] = 1;
    const auto here = reinterpret_cast<uintptr_t>(&frame[0]);
    const platform::StackRange stack = platform::CurrentThreadStack();
    ASSERT_TRUE(stack.low < here && here < stack.high);
    if (here - stack.low > left)
        Descend(left, work);
    else
        work();
    frame[1] = frame[0];
}

// Inputs whose matching or compiling needs more stack than a small thread has, by depth of the text
// (long matches) or of the pattern (terms, groups, lazy quantifiers that the matcher passes unchecked).
template <class Char>
void ExpectSmallStackResults(const char* where) {
    // Long matches need no stack from the automaton: answered on every stack.
    const std::string many(100000, 'a');
    EXPECT_EQ(Search<Char>(".*", many, false).position, 0) << where;
    EXPECT_EQ(Search<Char>("(a|b)*", many, true).end, SearchEnd::Match) << where;
    for (size_t size : {1000, 3000, 6000, 12000}) {
        const struct {
            std::string pattern;
            std::string text;
        } deep[] = {{std::string(size, 'a'), std::string(size, 'a')},
                    {Repeat("(", size) + "a" + Repeat(")", size), "a"},
                    {Repeat("a*?", size) + "b", "b"},
                    {Repeat("(?:a|", size / 2) + "b" + Repeat(")", size / 2), "b"}};
        for (const auto& c : deep) {
            const SearchOutcome outcome = Search<Char>(c.pattern, c.text, false);
            EXPECT_TRUE(outcome.position == 0 || IsLimit(outcome.end))
                << where << ": " << c.pattern.substr(0, 12) << "... of " << c.pattern.size();
        }
    }
}

}  // namespace

// Threads of 1 MiB, as the 32-bit Windows DLL's threads may have, and of 256 KiB; and a thread that has
// used most of its stack before it searches: the limits follow the stack really left.
TEST(PatternSearchLimits, SmallAndUsedStacks) {
    for (size_t bytes : {size_t{256} << 10, MiB}) {
        RunWithStack(bytes, [] {
            ExpectSmallStackResults<char>("small stack");
            ExpectSmallStackResults<char16_t>("small stack");
        });
    }
    RunWithStack(4 * MiB, [] {
        Descend(512 << 10, [] {
            ExpectSmallStackResults<char>("used stack");
            ExpectSmallStackResults<char16_t>("used stack");
        });
    });
}

namespace {

struct ForeignFailure {};  // not derived from std::exception

template <class Char>
struct FailingCollate : std::collate<Char> {
    typename std::collate<Char>::string_type do_transform(const Char*, const Char*) const override {
        throw ForeignFailure{};
    }
};

}  // namespace

// A bracket expression builds collation keys (the 8-bit one while compiling, the 16-bit one while the
// library's matcher runs, for a pattern the automaton declines); a locale whose collation throws something
// else than a std::exception makes that reach the caller, and the next search runs as usual.
TEST(PatternSearchLimits, ForeignExceptionsPassThrough) {
    const std::locale previous = std::locale::global(
        std::locale(std::locale(std::locale(), new FailingCollate<char>), new FailingCollate<wchar_t>));
    CharSubstitution<char> none;
    CharSubstitution<char16_t> none16;
    EXPECT_THROW(static_cast<void>(FindRegex(KTString<char>("abc"), "[b]", 0, false, none)), ForeignFailure);
    EXPECT_THROW(static_cast<void>(MatchesRegex(KTString<char16_t>(u"axca"), u"(a)[b]c\\1", none16)),
                 ForeignFailure);
    std::locale::global(previous);
    EXPECT_EQ(FindRegex(KTString<char>("abc"), "[b]", 0, false, none), 1);
    EXPECT_TRUE(MatchesRegex(KTString<char16_t>(u"abc"), u"a[b]c", none16));
}

// --- a compiled pattern ------------------------------------------------------------------------------------

TEST(CompiledPattern, PatternsThatMatchNothing) {
    for (const std::string& pattern : {std::string(), std::string("a("), std::string("\\9999999999"),
                                       Repeat("(", 50000) + Repeat(")", 50000)}) {
        const KTPattern<char> compiled(pattern.c_str());
        CharSubstitution<char> none;
        EXPECT_FALSE(compiled.IsValid()) << pattern.substr(0, 12);
        EXPECT_EQ(compiled.Find(KTString<char>("a()"), 0, false, none), -1);
        EXPECT_FALSE(compiled.Matches(KTString<char>(""), none));
    }
    EXPECT_FALSE(KTPattern<char16_t>(nullptr).IsValid());
    KTPattern<char16_t> moved(u"b");
    KTPattern<char16_t> target(std::move(moved));
    KTPattern<char16_t> assigned(u"z");
    assigned = std::move(target);
    CharSubstitution<char16_t> none;
    EXPECT_TRUE(assigned.IsValid());
    EXPECT_EQ(assigned.Find(KTString<char16_t>(u"abc"), 0, true, none), 1);
    EXPECT_FALSE(target.IsValid()) << "a moved-from pattern matches nothing";
}

// One pattern searched from several threads at once, each with its own substitution.
TEST(CompiledPattern, SharedBetweenThreads) {
    const KTPattern<char> compiled("e(rr|xx)or [0-9]+");
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&compiled, &wrong, t] {
            CharSubstitution<char> none;
            const KTString<char> line(("at " + std::to_string(t) + ": error " + std::to_string(t)).c_str());
            for (int i = 0; i < 200; ++i)
                if (compiled.Find(line, 0, true, none) != 6) ++wrong;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

// --- searches as a user searching a log file makes them ----------------------------------------------------

namespace {

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
