// Pattern search on a thread with exactly 1 MiB of stack reserved, as a 32-bit host's threads often have.
// std::thread and winpthreads take the program's default reservation whatever they ask for, so the thread
// comes from CreateThread; the search reads its stack through GetCurrentThreadStackLimits.
#define WIN32_LEAN_AND_MEAN
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "text/regex/pattern_search.h"

using namespace kt;

namespace {

constexpr size_t MiB = size_t{1} << 20;

std::string Repeat(std::string_view unit, size_t count) {
    std::string text;
    while (count-- > 0) text += unit;
    return text;
}

// Inputs with their true answers. Where `mayGiveUp`, a search may give -1 (false) at a limit of its own:
// back-references over long texts, which only the backtracking matcher follows, and patterns deeper or
// larger than compiling allows. Everywhere else the answer is exact, whatever the stack.
struct Case {
    std::string pattern, text;
    int32_t found;
    bool matches, mayGiveUp;
};

template <class Char>
void ExpectAnswersOrGivingUp() {
    ASSERT_EQ(platform::CurrentThreadStack().high - platform::CurrentThreadStack().low, MiB);
    const std::string mail = Repeat("the quick brown fox, jumps over the lazy dog. ", MiB / 46) + " me@x.com";
    const Case cases[] = {
        {"e(rr|xx)or [0-9]+", "at 3: error 42", 6, false, false},
        {"(ab)\\1", "xxabab", 2, false, false},
        {".*", std::string(4 * MiB, 'a'), 0, true, false},
        {"a+", std::string(4 * MiB - 1, 'a') + "b", 0, false, false},
        {"(a|b)*", Repeat("ab", MiB / 2), 0, true, false},
        {"\\w+@\\w+\\.com", mail, static_cast<int32_t>(mail.size() - 8), false, false},
        {"[^,]*,", std::string(100000, 'a'), -1, false, false},
        {"(x+x+)+y", std::string(26, 'x'), -1, false, false},
        {"(a*)*\\1b", std::string(28, 'a'), -1, false, false},
        {"(a+)\\1", std::string(MiB, 'a'), 0, true, true},
        {std::string(12000, 'a'), std::string(12000, 'a'), 0, true, true},
        {Repeat("a*?", 6000) + "b", "b", 0, true, true},
        {std::string(50000, '(') + "a" + std::string(50000, ')'), "a", 0, true, true},
        {Repeat("a|", 20000) + "a", "a", 0, true, true},
    };
    CharSubstitution<Char> none;
    for (const Case& c : cases) {
        const std::basic_string<Char> pattern(c.pattern.begin(), c.pattern.end());
        const KTString<Char> text(std::basic_string<Char>(c.text.begin(), c.text.end()).c_str());
        const std::string name = c.pattern.substr(0, 20) + ", width " + std::to_string(sizeof(Char));
        for (int32_t found : {FindRegex(text, pattern.c_str(), 0, true, none),
                              KTPattern<Char>(pattern.c_str()).Find(text, 0, true, none)})
            EXPECT_TRUE(found == c.found || (c.mayGiveUp && found == -1)) << name << ": found at " << found;
        const bool matches = MatchesRegex(text, pattern.c_str(), none);
        EXPECT_TRUE(matches == c.matches || (c.mayGiveUp && !matches)) << name << ": matched";
    }
}

}  // namespace

TEST(PatternSearchOnWindows, OneMebibyteThreadGivesAnswersOrGivesUp) {
    auto run = [](void*) -> DWORD {
        ExpectAnswersOrGivingUp<char>();
        ExpectAnswersOrGivingUp<char16_t>();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, MiB, run, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr) << "CreateThread failed with " << GetLastError();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
}
