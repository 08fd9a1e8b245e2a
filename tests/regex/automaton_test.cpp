// The automaton against the standard library's own matcher: generated patterns over every construct the
// automaton takes, generated subjects, both widths, leftmost start and whole-text match, through the
// automaton itself (both engines) and through the operations with a start and a substitution.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "text/regex/automaton.h"
#include "text/regex/pattern_search.h"

using namespace kt;
using regex_detail::Declined;
using regex_detail::PatternAutomaton;

namespace {

// Pieces of patterns, each valid on its own; units beyond ASCII are written as \u escapes, which the
// 8-bit form reads as their low byte.
const char* const Atoms[] = {
    "a",
    "b",
    "c",
    ".",
    "\\d",
    "\\w",
    "\\s",
    "\\D",
    "\\W",
    "\\S",
    "[ab]",
    "[^a]",
    "[a-c]",
    "[^a-c\\n]",
    "[[:alpha:]]",
    "[[:digit:][:space:]]",
    "[^[:alnum:]]",
    "[\\w-]",
    "[-a]",
    "[a-]",
    "[]",
    "[^]",
    "[\\d.]",
    "[\\W]",
    "[\\S\\d]",
    "[a-a]",
    "[--/]",
    "[a\\-z]",
    "[\\]a]",
    "[\\b]",
    "[.]",
    "[[.a.]-c]",
    "[[.hyphen.]]",
    "\\x61",
    "\\u0062",
    "\\n",
    "\\t",
    "\\cA",
    "\\0",
    "\\.",
    "\\*",
    "\\\\",
    "\\-",
    "}",
    "]",
    "_",
    "1",
    "-",
    "\\u00e4",
    "\\u00c3",
    "[\\u00e0-\\u00ff]",
    "[\\x80-\\xff]",
    "\\u0100",
    "\\u2028",
    "[\\u0100-\\uffff]",
    "\\ud83d",
    "[^\\u00e4]",
};
const char* const Assertions[] = {"^", "$", "\\b", "\\B"};
const char* const Quantifiers[] = {"*", "+", "?", "{0}", "{1}", "{2}", "{0,1}", "{1,3}", "{2,}", "{0,}"};

class PatternGenerator {
  public:
    explicit PatternGenerator(uint32_t seed) : random_(seed) {}

    std::string Pattern() { return Alternation(3); }

  private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[Pick(N)];
    }

    std::string Alternation(int depth) {
        std::string text = Sequence(depth);
        while (Pick(4) == 0) text += "|" + Sequence(depth);
        return text;
    }
    std::string Sequence(int depth) {
        std::string text;
        for (size_t terms = Pick(4); terms > 0; --terms) text += Term(depth);
        return text;
    }
    std::string Term(int depth) {
        if (Pick(8) == 0) return Pick(Assertions);
        std::string atom;
        if (depth > 0 && Pick(4) == 0)
            atom = (Pick(2) == 0 ? "(" : "(?:") + Alternation(depth - 1) + ")";
        else
            atom = Pick(Atoms);
        for (size_t n = Pick(3) == 0 ? 1 + Pick(2) : 0; n > 0; --n) {
            atom += Pick(Quantifiers);
            if (Pick(3) == 0) atom += "?";
        }
        return atom;
    }

    std::mt19937 random_;
};

template <class Char>
std::basic_string<Char> Subject(std::mt19937& random) {
    static const char16_t Units[] = {
        u'a', u'b', u'c', u'a',      u'b',      u' ',      u'1',      u'_',    u'\n',           u'\r',
        u'-', u'.', u'A', u'\u00e4', u'\u00c3', u'\u0100', u'\u2028', u'\xff', char16_t{0xD83D}};
    std::basic_string<Char> subject(std::uniform_int_distribution<size_t>(0, 12)(random), Char('a'));
    for (Char& unit : subject)
        unit =
            static_cast<Char>(Units[std::uniform_int_distribution<size_t>(0, std::size(Units) - 1)(random)]);
    return subject.substr(0, subject.find(Char(0)));  // U+0100 is a NUL in 8 bits: the subject ends there
}

// The standard library's answer through its guarded matcher, or nothing where that reaches a limit (nested
// quantifiers backtrack exponentially even on these short subjects).
template <class Char>
std::optional<int32_t> Library(const std::basic_string<Char>& pattern, const std::basic_string<Char>& subject,
                               bool wholeText) {
    CharSubstitution<Char> none;
    const regex_detail::SearchOutcome outcome =
        regex_detail::SearchUnits(none, subject.c_str(), static_cast<int32_t>(subject.size()),
                                  pattern.c_str(), wholeText, regex_detail::Matchers::LibraryOnly);
    if (regex_detail::IsLimit(outcome.end)) return std::nullopt;
    return outcome.position;
}

template <class Char>
void ExpectSameAnswers(uint32_t seed, int patterns, int subjects) {
    PatternGenerator generator(seed);
    std::mt19937 random(seed);
    int taken = 0, compared = 0;
    for (int i = 0; i < patterns; ++i) {
        const std::string pattern8 = generator.Pattern();
        const std::basic_string<Char> pattern(pattern8.begin(), pattern8.end());
        if (!KTPattern<Char>(pattern.c_str()).IsValid()) continue;
        Declined declined = Declined::No;
        const auto automaton =
            PatternAutomaton<Char>::Build(pattern.c_str(), static_cast<int64_t>(pattern.size()), declined);
        ASSERT_TRUE(automaton) << "declined /" << pattern8 << "/: " << static_cast<int>(declined);
        ++taken;
        for (int j = 0; j < subjects; ++j) {
            const std::basic_string<Char> subject = Subject<Char>(random);
            const Char* text = subject.c_str();
            const std::string where = "/" + pattern8 + "/, width " + std::to_string(sizeof(Char)) +
                                      ", subject " + std::to_string(j) + " of pattern " + std::to_string(i);
            const std::optional<int32_t> found = Library(pattern, subject, false);
            const std::optional<int32_t> matched = Library(pattern, subject, true);
            // The operations, with a start and a substitution: the answers on the rewritten copy.
            const Char pair[3] = {Char('x'), Char('y'), 0};
            CharSubstitution<Char> rewrite(Char('a'), pair);
            const KTString<Char> s(text);
            const std::basic_string<Char> rewritten(rewrite.Apply(s));
            const auto start =
                static_cast<int32_t>(std::uniform_int_distribution<size_t>(0, subject.size() + 2)(random)) -
                1;
            if (const auto expected = Library(pattern, rewritten, false)) {
                ASSERT_EQ(FindRegex(s, pattern.c_str(), start, true, rewrite),
                          start > static_cast<int32_t>(subject.size()) ? -1 : *expected)
                    << where << ", rewritten, from " << start;
            }
            if (const auto expected = Library(pattern, rewritten, true)) {
                ASSERT_EQ(MatchesRegex(s, pattern.c_str(), rewrite), *expected == 0)
                    << where << ", rewritten";
            }
            using Engine = typename PatternAutomaton<Char>::Engine;
            for (const Engine engine : {Engine::Simulation, Engine::Deterministic}) {
                const std::string how =
                    where + (engine == Engine::Simulation ? ", simulated" : ", deterministic");
                if (found) {
                    ASSERT_EQ(automaton->Find(text, text + subject.size(), engine), *found) << how;
                    ++compared;
                }
                if (matched) {
                    ASSERT_EQ(automaton->Matches(text, text + subject.size(), engine), *matched == 0)
                        << how << ", whole";
                }
            }
        }
    }
    EXPECT_GT(taken, patterns / 2) << "most generated patterns are valid";
    EXPECT_GT(compared, taken * subjects * 2 * 9 / 10)
        << "the library answers most searches within its limits";
}

}  // namespace

// Sanitizer builds run the library's matcher some thirty times slower: there a tenth of the patterns.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int GeneratedPatterns = 300;
#else
constexpr int GeneratedPatterns = 3000;
#endif

TEST(Automaton, AnswersAsTheStandardLibrary) {
    ExpectSameAnswers<char>(1, GeneratedPatterns, 12);
    ExpectSameAnswers<char16_t>(2, GeneratedPatterns, 12);
}

// Every unit against the sets the library builds from its traits, in both widths.
TEST(Automaton, SetsHoldWhatTheLibraryMatches) {
    const char* const sets[] = {
        ".",           "\\w",         "\\W",           "\\s",           "\\d",
        "[[:alpha:]]", "[[:punct:]]", "[^[:upper:]_]", "[\\x80-\\xff]", "[^\\u00e4-\\u0101]",
        "[[:print:]]", "[[.space.]]"};
    for (const char* set8 : sets) {
        const std::u16string set16(set8, set8 + std::char_traits<char>::length(set8));
        Declined declined;
        const auto narrow =
            PatternAutomaton<char>::Build(set8, static_cast<int64_t>(std::strlen(set8)), declined);
        const auto wide =
            PatternAutomaton<char16_t>::Build(set16.c_str(), static_cast<int64_t>(set16.size()), declined);
        ASSERT_TRUE(narrow && wide) << set8;
        const std::regex re(set8);
        const std::wregex wre(std::wstring(set16.begin(), set16.end()));
        for (unsigned unit = 1; unit < 0x10000; ++unit) {
            const char16_t one16[1] = {static_cast<char16_t>(unit)};
            const wchar_t wideUnit[1] = {static_cast<wchar_t>(unit)};
            ASSERT_EQ(wide->Matches(one16, one16 + 1), std::regex_match(wideUnit, wideUnit + 1, wre))
                << set8 << " at U+" << std::hex << unit;
            if (unit < 256) {
                const char one[1] = {static_cast<char>(unit)};
                ASSERT_EQ(narrow->Matches(one, one + 1), std::regex_match(one, one + 1, re))
                    << set8 << " at byte " << std::hex << unit;
            }
        }
    }
}

// What the automaton declines, the library's matcher answers under its limits.
TEST(Automaton, DeclinesWhatIsNotRegular) {
    const struct {
        const char* pattern;
        Declined why;
    } cases[] = {{"(a)\\1", Declined::BackReference},     {"a(?=b)", Declined::Lookahead},
                 {"a(?!b)", Declined::Lookahead},         {"[[=a=]]", Declined::EquivalenceClass},
                 {"(a{1000}){1000}", Declined::TooLarge}, {"((a{100}){100}){100}", Declined::TooLarge}};
    for (const auto& c : cases) {
        Declined declined = Declined::No;
        EXPECT_FALSE(
            PatternAutomaton<char>::Build(c.pattern, static_cast<int64_t>(std::strlen(c.pattern)), declined))
            << c.pattern;
        EXPECT_EQ(declined, c.why) << c.pattern;
    }
    Declined declined = Declined::No;
    const auto largest = PatternAutomaton<char>::Build("(a{300}){300}", 13, declined);
    ASSERT_TRUE(largest) << "90,000 copies fit";
    const std::string text(90000, 'a');
    EXPECT_TRUE(largest->Matches(text.data(), text.data() + text.size()));
    EXPECT_FALSE(largest->Matches(text.data(), text.data() + text.size() - 1));
}
