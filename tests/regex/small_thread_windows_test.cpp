// Pattern search on a Windows thread whose stack is 1 MiB, as a 32-bit host's threads often have (the
// usual default reservation of a Windows program). std::thread and winpthreads cannot choose the
// reservation: they take the program's default, so the thread is made with CreateThread. The search reads
// the stack it has left through GetCurrentThreadStackLimits (platform/windows/thread_stack.cpp).
#define WIN32_LEAN_AND_MEAN
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/regex/pattern_search.h"

using namespace kt;

namespace {

constexpr size_t MiB = size_t{1} << 20;

// Runs `work` on a new thread with exactly `bytes` of stack reserved, and waits for it.
void RunOnThreadWithStack(size_t bytes, const std::function<void()>& work) {
    auto run = [](void* job) -> DWORD {
        (*static_cast<const std::function<void()>*>(job))();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, bytes, run, const_cast<std::function<void()>*>(&work),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr) << "CreateThread failed with " << GetLastError();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
}

std::string Repeat(std::string_view unit, size_t count) {
    std::string text;
    text.reserve(unit.size() * count);
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
}

// One input with its true answers. A search may instead give up with -1 (false) where it reaches a limit of
// its own: for patterns whose compiled form outgrows the limits of compiling, and for back-references,
// which only the backtracking matcher follows, within its stack and steps. Everywhere else the answer is
// exact, whatever the stack.
struct Case {
    const char* name;
    std::string pattern;
    std::string text;
    int32_t found;  // of FindRegex, -1 for none
    bool matches;   // of MatchesRegex
    bool mayGiveUp;
};

std::vector<Case> Cases() {
    const std::string prose = Repeat("the quick brown fox, jumps over the lazy dog. ", MiB / 46);
    const std::string mail = prose + " me@example.com";
    const auto mailAt = static_cast<int32_t>(mail.size() - 14);
    return {
        // Small inputs: always the answer.
        {"error code", "e(rr|xx)or [0-9]+", "at 3: error 42", 6, false, false},
        {"repeated pair", "(ab)\\1", "xxabab", 2, false, false},
        {"whole repeated pair", "(ab)\\1", "abab", 0, true, false},
        // Long matches, which the backtracking matcher would take one stack frame per character for.
        {"a+ on 30,000", "a+", std::string(30000, 'a'), 0, true, false},
        {".* on 4 MiB", ".*", std::string(4 * MiB, 'a'), 0, true, false},
        {"a+ on 4 MiB then b", "a+", std::string(4 * MiB - 1, 'a') + "b", 0, false, false},
        {"(a|b)* on 1 MiB", "(a|b)*", Repeat("ab", MiB / 2), 0, true, false},
        {"mail at the end of 1 MiB", "\\w+@\\w+\\.com", mail, mailAt, false, false},
        {"[^,]*, on 1 MiB", "[^,]*,", std::string(MiB, 'a') + ",", 0, true, false},
        // Quadratic or exponential for a backtracking matcher; the answer is no match either way.
        {"[^,]*, on 100,000 without a comma", "[^,]*,", std::string(100000, 'a'), -1, false, false},
        {"[a-z]+$ on 20,000 letters and !", "[a-z]+$", std::string(20000, 'q') + "!", -1, false, false},
        {"(a*)*b on 28 a", "(a*)*b", std::string(28, 'a'), -1, false, false},
        {"(x+x+)+y on 26 x", "(x+x+)+y", std::string(26, 'x'), -1, false, false},
        {"(a*)*\\1b on 28 a", "(a*)*\\1b", std::string(28, 'a'), -1, false, false},
        // Back-references over long texts.
        {"(a+)\\1 on 1 MiB", "(a+)\\1", std::string(MiB, 'a'), 0, true, true},
        {"(.*)\\1 on 1 MiB", "(.*)\\1", Repeat("ab", MiB / 2), 0, true, true},
        // Deep or large patterns, which a recursive compiler or matcher takes stack per level of.
        {"12,000 literals", std::string(12000, 'a'), std::string(12000, 'a'), 0, true, true},
        {"6,000 lazy stars", Repeat("a*?", 6000) + "b", "b", 0, true, true},
        {"50,000 nested groups", Repeat("(", 50000) + "a" + Repeat(")", 50000), "a", 0, true, true},
        {"(?:){20000}", "(?:){20000}a", "a", 0, true, true},
        {"20,000 alternatives", Repeat("a|", 20000) + "a", "a", 0, true, true},
        {"1 MiB bracket", "[" + Repeat("a-b", MiB / 3) + "]", "b", 0, true, true},
    };
}

template <class Char>
void ExpectAnswersOrGivingUp() {
    const platform::StackRange stack = platform::CurrentThreadStack();
    ASSERT_EQ(stack.high - stack.low, MiB) << "the thread's stack as the system reports it";
    CharSubstitution<Char> none;
    for (const Case& c : Cases()) {
        const std::basic_string<Char> pattern(c.pattern.begin(), c.pattern.end());
        const KTString<Char> text(std::basic_string<Char>(c.text.begin(), c.text.end()).c_str());
        const KTPattern<Char> compiled(pattern.c_str());
        const int32_t found[] = {FindRegex(text, pattern.c_str(), 0, true, none),
                                 compiled.Find(text, 0, true, none)};
        const bool matches[] = {MatchesRegex(text, pattern.c_str(), none), compiled.Matches(text, none)};
        for (int i = 0; i < 2; ++i) {
            const char* how = i == 0 ? "FindRegex/MatchesRegex" : "KTPattern";
            EXPECT_TRUE(found[i] == c.found || (c.mayGiveUp && found[i] == -1))
                << c.name << ", width " << sizeof(Char) << ", " << how << ": found at " << found[i];
            EXPECT_TRUE(matches[i] == c.matches || (c.mayGiveUp && !matches[i]))
                << c.name << ", width " << sizeof(Char) << ", " << how << ": matched";
        }
    }
}

}  // namespace

TEST(PatternSearchOnWindows, OneMebibyteThreadGivesAnswersOrGivesUp) {
    RunOnThreadWithStack(MiB, [] {
        ExpectAnswersOrGivingUp<char>();
        ExpectAnswersOrGivingUp<char16_t>();
    });
}
