// A search inside a signal handler that runs on a small alternate stack, which the thread library cannot
// describe: the call assumes the least stack supported, and the automaton, which needs none per unit of
// the text, answers every pattern it takes.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "text/regex/pattern_search.h"

#if defined(__SANITIZE_THREAD__)
// The handler runs for a signal the test raises itself, synchronously: allocating there is safe, which
// ThreadSanitizer cannot know.
extern "C" const char* __tsan_default_options() {
    return "report_signal_unsafe=0";
}
#endif

namespace {

int32_t found = -2, backReference = -2;
bool matches = false;

void SearchInHandler(int) {
    const std::string text(20000, 'a');
    const kt::KTStringBorrowed<char> s(kt::Borrow, text.c_str());
    kt::CharSubstitution<char> none;
    found = kt::FindRegex(s, "(a|b)+$", 0, true, none);
    matches = kt::MatchesRegex(s, "(a|b)+", none);
    // The library's matcher would recurse once per unit here: on an unknown stack that is a limit.
    backReference = kt::FindRegex(s, "(a)\\1+$", 0, true, none);
}

}  // namespace

TEST(SignalStack, SearchesOnA64KiBAlternateStack) {
    std::vector<char> stack(64 * 1024);
    stack_t alternate{}, previous{};
    alternate.ss_sp = stack.data();
    alternate.ss_size = stack.size();
    ASSERT_EQ(sigaltstack(&alternate, &previous), 0);
    struct sigaction action {
    }, before{};
    action.sa_handler = SearchInHandler;
    action.sa_flags = SA_ONSTACK;
    ASSERT_EQ(sigaction(SIGUSR1, &action, &before), 0);
    raise(SIGUSR1);
    sigaction(SIGUSR1, &before, nullptr);
    sigaltstack(&previous, nullptr);
    EXPECT_EQ(found, 0);
    EXPECT_TRUE(matches);
    EXPECT_EQ(backReference, -1);
}
