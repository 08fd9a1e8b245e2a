// A pattern as an automaton of our own: the same language as the standard library's ECMAScript regex
// compiles the pattern to, searched in time linear in the text (times the pattern's size), without
// recursion, without a budget, in memory that depends on the pattern alone.
//
// FindRegex needs only where the leftmost match begins and MatchesRegex only whether the whole text matches:
// both depend on the set of texts the pattern matches, not on the order in which a backtracking matcher
// tries its alternatives. So every pattern whose language is regular gets the standard library's answer
// here: all of the grammar but back-references, lookahead assertions and equivalence classes ("[[=a=]]"),
// which the automaton declines, as it declines a pattern of more than MaxStates states.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <regex>
#include <type_traits>
#include <vector>

namespace kt::regex_detail {

// Why a pattern has no automaton.
enum class Declined { No, BackReference, Lookahead, EquivalenceClass, TooLarge, Unexpected };

// The standard library has no regex for char16_t: 16-bit text runs through wchar_t, unit by unit, so
// that positions stay in code units.
template <class Char>
using RegexChar = std::conditional_t<std::is_same_v<Char, char>, char, wchar_t>;

template <class Char>
class PatternAutomaton {
  public:
    // The most states an automaton may have (each atom takes one, each quantifier and alternative one or two
    // more, a counted repeat one copy of its atom per count): some 32 bytes each, and the work per unit of
    // the text grows with their number.
    static constexpr int32_t MaxStates = 100'000;

    // The automaton of a pattern (of `units` units) that the standard library accepts, or null with the
    // reason in `declined`. Throws std::bad_alloc when memory runs out.
    static std::unique_ptr<PatternAutomaton> Build(const Char* pattern, int64_t units, Declined& declined);

    // How a search runs: the simulation of the graph, or a deterministic automaton built from it as the
    // text asks (which falls back on the simulation where its cache overflows too often); by default the
    // second, but for a first search of a short text. The deterministic automaton's states are kept for the
    // next search, unless another thread uses them.
    enum class Engine { Chosen, Simulation, Deterministic };

    // Where the leftmost match in [text, end) begins, or -1.
    [[nodiscard]] int32_t Find(const Char* text, const Char* end, Engine engine = Engine::Chosen) const;
    // Whether the whole of [text, end) matches.
    [[nodiscard]] bool Matches(const Char* text, const Char* end, Engine engine = Engine::Chosen) const;

    [[nodiscard]] int32_t States() const noexcept { return static_cast<int32_t>(forward_.nodes.size()); }

    using Unit = RegexChar<Char>;
    using Traits = std::regex_traits<Unit>;

    // One state. A unit state consumes one unit that its set holds; the others consume nothing: an empty
    // state leads on, a split leads two ways, an assertion leads on where it holds, the match state ends.
    enum class Kind : uint8_t { Unit, Set, Empty, Split, Begin, End, WordBoundary, NotWordBoundary, Match };
    struct Node {
        Kind kind;
        int32_t next = -1;
        int32_t alternative = -1;  // of a split
        uint32_t argument = 0;     // a unit state's unit, a set state's set
    };

    // The units a bracket expression, a class escape or "." matches, with the membership the standard
    // library's traits give: a table for the units below 256, and the expression's items for the units
    // above, which only the 16-bit forms read.
    class UnitSet {
      public:
        bool negated = false;
        std::vector<Unit> units;
        std::vector<std::pair<Unit, Unit>> ranges;
        typename Traits::char_class_type classes{};
        std::vector<typename Traits::char_class_type> negatedClasses;

        // Evaluates the items as the library's bracket matcher does, then fills the table.
        void Complete(const Traits& traits);
        [[nodiscard]] bool Contains(Unit unit, const Traits& traits) const {
            const auto index = static_cast<std::make_unsigned_t<Unit>>(unit);
            if (index < 256) return (low_[index / 64] >> (index % 64)) & 1;
            return Evaluate(unit, traits);
        }

      private:
        [[nodiscard]] bool Evaluate(Unit unit, const Traits& traits) const;
        uint64_t low_[4] = {};
    };

    // What the assertions see at a boundary between two units.
    struct Boundary {
        bool begin;
        bool end;
        bool wordBefore;
        bool wordAfter;
        [[nodiscard]] bool Holds(Kind kind) const {
            switch (kind) {
                case Kind::Begin:
                    return begin;
                case Kind::End:
                    return end;
                case Kind::WordBoundary:
                    return wordBefore != wordAfter;
                case Kind::NotWordBoundary:
                    return wordBefore == wordAfter;
                default:
                    return true;
            }
        }
    };
    // States and where they are entered.
    struct Graph {
        std::vector<Node> nodes;
        int32_t start = 0;
        bool backwards = false;  // reads the text from its end
    };

    ~PatternAutomaton();
    PatternAutomaton(const PatternAutomaton&) = delete;
    PatternAutomaton& operator=(const PatternAutomaton&) = delete;

  private:
    class Builder;
    class Run;
    class Dfa;
    struct KeptAutomata;
    PatternAutomaton() = default;
    // Runs `answer` on deterministic automata, the kept ones where free; nothing where the simulation
    // answers instead.
    template <class Answer>
    auto Deterministic(const Char* text, const Char* end, Engine engine, Answer answer) const
        -> decltype(answer(std::declval<Dfa&>(), std::declval<Dfa&>()));
    void Reverse();
    void FindFirstUnits();
    template <class Consuming, class Matched>
    static void Walk(const Graph& graph, const Boundary& boundary, std::vector<int32_t>& stack,
                     std::vector<uint32_t>& mark, uint32_t generation, Consuming consuming, Matched matched);
    // The first position in [at, limit) where a match may begin, or limit.
    [[nodiscard]] int32_t NextCandidate(const Char* text, int32_t at, int32_t limit) const;
    [[nodiscard]] bool IsWord(Unit unit) const {
        return sets_[static_cast<size_t>(wordSet_)].Contains(unit, traits_);
    }
    [[nodiscard]] bool Consumes(const Node& node, Unit unit) const {
        if (node.kind == Kind::Unit) return static_cast<std::make_unsigned_t<Unit>>(unit) == node.argument;
        return sets_[node.argument].Contains(unit, traits_);
    }

    Traits traits_;
    Graph forward_;
    // The same language read backwards: a match found reading from the end towards the beginning ends
    // where a match of the pattern begins. "^" and "$" trade places.
    Graph reverse_;
    std::vector<UnitSet> sets_;
    int32_t wordSet_ = 0;  // the units "\b" counts as word characters
    bool usesWordBoundary_ = false;
    bool anyFirstUnit_ = true;            // a match may begin with any unit, or with none: every position
    std::array<bool, 256> firstUnits_{};  // else the units below 256 that a match may begin with
    bool highFirstUnits_ = true;          // and whether units from 256 up may begin one
    int singleFirstUnit_ = -1;            // the one unit a match must begin with, if there is one
    mutable std::atomic<uint64_t> searches_{0};
    std::unique_ptr<KeptAutomata> kept_;
};

}  // namespace kt::regex_detail
