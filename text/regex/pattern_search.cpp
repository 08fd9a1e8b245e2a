#include "text/regex/pattern_search.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/regex/automaton.h"

namespace kt {

template <class Char>
const Char* CharSubstitution<Char>::Apply(const Char* text, int32_t length) {
    if (replacement_ == nullptr) return text;
    delete[] buffer_;
    buffer_ = nullptr;
    auto units = static_cast<size_t>(length) + 1;
    buffer_ = new Char[units];
    std::memcpy(buffer_, text, units * sizeof(Char));
    // The pair overwrites the unit and the one behind it; at the last unit only the first of the pair
    // fits, so that the copy stays within its length + 1 units and stays terminated.
    for (size_t i = 0; buffer_[i] != 0;) {
        if (buffer_[i] != ch_) {
            ++i;
            continue;
        }
        buffer_[i] = replacement_[0];
        if (i + 1 < units - 1) buffer_[i + 1] = replacement_[1];
        i += 2;
        if (i >= units - 1) break;
    }
    return buffer_;
}

namespace regex_detail {
namespace {

// How libstdc++'s regex spends the stack, and how much a call sets aside.
//
// The compiler recurses once per term of a sequence ("abc" is three) and a few times per group level; the
// matcher recurses once per state it passes. Most states read or compare a position in the text, which is
// where the guard below checks the stack; alternatives ("a|b"), quantifiers' loops and capturing groups'
// ends go on without that, so a chain of them deepens the stack unchecked. The figures are bytes
// per level, measured by painting a thread's stack (x86-64; 32-bit builds need less) and rounded up by a
// quarter or more. Plain builds, g++ 12 and clang 14 at -O0 and -O2: at most 144 per term, 528 per group
// level, 400 per unchecked state. Sanitizer builds: at most 480, 1,824 and 1,568 (clang with
// AddressSanitizer). The reserve covers the frames below the deepest check (a bracket test reaches into the
// locale) and the throw that ends the search.
struct StackCosts {
    int64_t term;
    int64_t group;
    int64_t uncheckedState;
    int64_t reserve;
    int64_t compileReserve;  // below the compiler's deepest frame: the locale and the allocator
    // ThreadSanitizer records every active call in a table of its own, of fixed size (64 Ki calls), and
    // fails when a deep recursion overflows it: there a call uses at most this much stack.
    int64_t most = INT64_MAX;
};
#if defined(__SANITIZE_THREAD__)
#define KT_REGEX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KT_REGEX_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KT_REGEX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KT_REGEX_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(KT_REGEX_THREAD_SANITIZER)
constexpr StackCosts Stack{640, 2560, 2048, 128 * 1024, 32 * 1024, 1024 * 1024};
#elif defined(KT_REGEX_ADDRESS_SANITIZER)
constexpr StackCosts Stack{640, 2560, 2048, 128 * 1024, 32 * 1024};
#else
constexpr StackCosts Stack{192, 768, 512, 64 * 1024, 16 * 1024};
#endif
// The least stack supported below a call: a thread's or a signal handler's stack of 64 KiB. Where the
// system cannot describe the stack a call runs on, this much is assumed to be left.
constexpr int64_t LeastStack = 64 * 1024;
// Lookaheads nested deeper than this are a limit: each level sets up a matcher of its own, unchecked.
constexpr int64_t MaxLookaheadDepth = 16;

// The budget, in steps. A step is one operation of the matcher on a position in the text (read, advance,
// compare, copy): 2 to 10 nanoseconds in an optimised build. Each run of a matcher may take a floor for
// short texts plus a share per code unit of the text, so that a pattern that runs in linear time still gets
// through a long text; common patterns take 5 to 80 steps per unit over prose, either matcher. Compiling is
// not guarded step by step: its cost is estimated from the pattern's shape, charged in advance, and may not
// exceed an allowance of its own.
constexpr int64_t StepFloor = 1'000'000;
constexpr int64_t StepsPerUnit = 128;
constexpr int64_t CompileAllowance = 20'000'000;

// What compiling costs: a state about 256 steps (its memory dominates); a bracket expression in 8-bit
// patterns a table of all 256 characters, each tested against all its items, where testing a character
// costs about 40 steps (a collation key is built every time). Wide patterns test at matching time instead;
// there reading a character is charged for the items of the longest bracket expression.
constexpr int64_t BracketTest = 40;
constexpr int64_t StepsPerState = 256;

constexpr int64_t Saturated = int64_t{1} << 48;
int64_t Add(int64_t a, int64_t b) {
    return std::min(a + b, Saturated);
}
int64_t Multiply(int64_t a, int64_t b) {
    return a != 0 && b > Saturated / a ? Saturated : std::min(a * b, Saturated);
}

// States and unchecked states of a piece of the pattern.
struct Cost {
    int64_t states = 0;
    int64_t unchecked = 0;
    void operator+=(const Cost& other) {
        states = Add(states, other.states);
        unchecked = Add(unchecked, other.unchecked);
    }
    Cost Times(int64_t copies) const { return {Multiply(states, copies), Multiply(unchecked, copies)}; }
};

template <class Char>
bool IsDigit(Char c) {
    return c >= Char('0') && c <= Char('9');
}
template <class Char>
bool IsHexDigit(Char c) {
    return IsDigit(c) || (c >= Char('a') && c <= Char('f')) || (c >= Char('A') && c <= Char('F'));
}

// Consumes the rest of a digit run that began with `first`; its value, or -1 beyond INT32_MAX.
template <class Char>
int64_t ReadNumber(Char first, const Char*& p) {
    int64_t value = first - Char('0');
    for (; IsDigit(*p); ++p) {
        if (value < 0) continue;
        value = value * 10 + (*p - Char('0'));
        if (value > INT32_MAX) value = -1;
    }
    return value;
}
}  // namespace

// A piece of the pattern as libstdc++'s compiler builds it: its states, and the runs of placeholder
// states at its ends. The compiler links pieces through placeholders and removes them at the end, walking
// each run once from every state that leads into it, so that its work grows with the runs' lengths.
struct Piece {
    Cost cost;
    bool hollow = true;  // placeholders only; then lead and trail are both their number
    int64_t lead = 0;    // placeholders before the first state that does something
    int64_t trail = 0;   // and after the last one
};
Piece Placeholders(int64_t count) {
    return {{count, 0}, true, count, count};
}
Piece Solid(Cost cost, int64_t lead, int64_t trail) {
    return {cost, false, lead, trail};
}

// Tracks the longest run of placeholders the pieces put together.
class RunTracker {
  public:
    Piece Then(const Piece& first, const Piece& second) {
        Piece joined = first;
        joined.cost += second.cost;
        if (first.hollow && second.hollow) {
            joined.lead = joined.trail = Add(first.lead, second.lead);
        } else if (first.hollow) {
            joined = Solid(joined.cost, Add(first.lead, second.lead), second.trail);
        } else if (second.hollow) {
            joined.trail = Add(first.trail, second.lead);
        } else {
            Note(Add(first.trail, second.lead));
            joined.trail = second.trail;
        }
        Note(joined.lead);
        Note(joined.trail);
        return joined;
    }
    // `copies` of a piece in a row.
    Piece Repeat(const Piece& piece, int64_t copies) {
        if (copies == 0) return Placeholders(0);
        Piece repeated = piece;
        repeated.cost = piece.cost.Times(copies);
        if (piece.hollow)
            repeated.lead = repeated.trail = Multiply(piece.lead, copies);
        else if (copies > 1)
            Note(Add(piece.trail, piece.lead));
        Note(repeated.lead);
        return repeated;
    }
    // The runs of a piece that a state of its own now ends (a group, a quantifier's loop).
    void Close(const Piece& piece) {
        Note(piece.lead);
        Note(piece.trail);
    }
    int64_t Longest() const { return longest_; }

  private:
    void Note(int64_t run) { longest_ = std::max(longest_, run); }
    int64_t longest_ = 0;
};

// Follows libstdc++'s ECMAScript scanner and compiler far enough to know the terms, groups, alternatives,
// quantifiers and bracket expressions, and which digit runs it reads as numbers: "\1"..."\9" and their
// following digits (in and out of brackets), and the counts between "{" and "}". The figures are upper
// bounds: what the scan cannot place counts as a term, and a pattern the library rejects may come out
// larger.
template <class Char>
PatternShape MeasurePattern(const Char* p) {
    PatternShape shape;
    RunTracker runs;
    enum class Kind { Top, Capture, Plain, Lookahead };
    struct Level {
        Kind kind;
        Piece sequence;                    // of the current alternative, without its closing placeholder
        std::optional<Piece> pending;      // its last term, which quantifiers still apply to
        std::optional<Piece> alternation;  // the alternatives before it, joined
        int64_t inside;                    // compiler stack at the start of each alternative
        int64_t afterClose;  // compiler stack once the group is a term of the enclosing sequence
    };
    std::vector<Level> levels{Level{Kind::Top, Placeholders(0), {}, {}, 0, 0}};
    int64_t depth = 0;
    auto deepen = [&](int64_t bytes) {
        depth = Add(depth, bytes);
        shape.compileStack = std::max(shape.compileStack, depth);
    };
    auto flush = [&](Level& level) {
        if (level.pending) level.sequence = runs.Then(level.sequence, *level.pending);
        level.pending.reset();
    };
    auto term = [&](Piece piece) {
        flush(levels.back());
        levels.back().pending = piece;
        deepen(Stack.term);
    };
    // Ends the current alternative: each ends in a placeholder, and each "|" adds an alternative state and
    // a placeholder that every alternative before it runs through.
    auto endAlternative = [&](Level& level) {
        flush(level);
        Piece alternative = runs.Then(level.sequence, Placeholders(1));
        runs.Close(alternative);
        if (!level.alternation) return alternative;
        Piece& joined = *level.alternation;
        joined.cost += alternative.cost;
        joined.cost += Cost{2, 1};
        joined.trail = std::max(Add(joined.trail, 1), Add(alternative.trail, 1));
        runs.Close(joined);
        return alternative;
    };
    auto whole = [&](Level& level) {
        Piece alternative = endAlternative(level);
        return level.alternation ? *level.alternation : alternative;
    };
    // "*", "+" and "?" add states around their term; a count in braces copies it once per repetition,
    // and once more for a "{n,}" loop (the original stays in the automaton, unused).
    auto quantify = [&](bool braces, int64_t least, int64_t optional, bool unbounded) {
        Level& level = levels.back();
        if (!level.pending) return;  // nothing to repeat: the library rejects the pattern
        const Piece body = *level.pending;
        const int64_t repeats = unbounded ? 1 : optional;
        Piece result = runs.Then(Placeholders(1), runs.Repeat(body, least));
        if (unbounded) {
            runs.Close(body);
            result = runs.Then(result, Solid({}, 0, 0));
        } else if (optional > 0) {
            runs.Close(body);
            result = runs.Then(result, Solid({}, 0, Add(body.trail, 1)));
        } else {
            result = runs.Then(result, Placeholders(1));
        }
        result.cost = braces ? body.cost.Times(Add(Add(least, optional), unbounded ? 2 : 1)) : body.cost;
        result.cost += Cost{Add(repeats, 2), repeats};
        level.pending = result;
    };
    auto skipLazyMark = [&]() {
        if (*p == Char('?')) ++p;
    };

    const Char* const begin = p;
    while (*p != 0) {
        const Char c = *p++;
        if (c == Char('\\')) {
            if (*p == 0) break;
            const Char escaped = *p++;
            if (escaped >= Char('1') && escaped <= Char('9')) {
                shape.backReference = true;
                if (ReadNumber(escaped, p) < 0) shape.numberBeyondInt = true;
            } else if (escaped == Char('b') || escaped == Char('B')) {
                shape.wordBoundary = true;
            } else if (escaped == Char('d') || escaped == Char('D') || escaped == Char('s') ||
                       escaped == Char('S') || escaped == Char('w') || escaped == Char('W')) {
                shape.brackets = Add(shape.brackets, 1);
                shape.bracketUnits = Add(shape.bracketUnits, 2);
                shape.longestBracket = std::max<int64_t>(shape.longestBracket, 2);
            } else if (escaped == Char('c') && *p != 0) {
                ++p;  // "\cX": X is a literal, whatever it is
            } else if (escaped == Char('x') || escaped == Char('u')) {
                for (int digits = escaped == Char('x') ? 2 : 4; digits > 0 && IsHexDigit(*p); --digits) ++p;
            }
            term(Solid({1, 0}, 0, 0));
        } else if (c == Char('[')) {
            const Char* const opening = p - 1;
            if (*p == Char('^')) ++p;
            while (*p != 0 && *p != Char(']')) {
                const Char inside = *p++;
                if (inside == Char('\\') && *p != 0) {
                    const Char escaped = *p++;
                    if (escaped >= Char('1') && escaped <= Char('9') && ReadNumber(escaped, p) < 0)
                        shape.numberBeyondInt = true;
                } else if (inside == Char('[') && (*p == Char('.') || *p == Char(':') || *p == Char('='))) {
                    // "[:name:]" and its kin run to the same mark followed by "]"
                    const Char mark = *p++;
                    while (*p != 0 && !(p[0] == mark && p[1] == Char(']'))) ++p;
                    if (*p != 0) p += 2;
                }
            }
            if (*p != 0) ++p;
            const int64_t units = p - opening;
            shape.brackets = Add(shape.brackets, 1);
            shape.bracketUnits = Add(shape.bracketUnits, units);
            shape.longestBracket = std::max(shape.longestBracket, units);
            term(Solid({1, 0}, 0, 0));
        } else if (c == Char('(')) {
            Kind kind = Kind::Capture;
            if (*p == Char('?') && p[1] != 0) {
                kind = p[1] == Char(':') ? Kind::Plain : Kind::Lookahead;
                p += 2;
            }
            if (kind == Kind::Capture) shape.captures = Add(shape.captures, 1);
            if (kind == Kind::Lookahead) {
                shape.lookahead = true;
                const auto nested = std::count_if(levels.begin(), levels.end(),
                                                  [](const Level& l) { return l.kind == Kind::Lookahead; });
                shape.lookaheadDepth = std::max<int64_t>(shape.lookaheadDepth, nested + 1);
            }
            flush(levels.back());
            const int64_t afterClose = Add(depth, Stack.term);
            deepen(Stack.group);
            levels.push_back(Level{kind, Placeholders(0), {}, {}, depth, afterClose});
        } else if (c == Char(')') && levels.size() > 1) {
            Level& level = levels.back();
            const Kind kind = level.kind;
            Piece inner = whole(level);
            depth = level.afterClose;
            levels.pop_back();
            if (kind == Kind::Plain) {
                inner = runs.Then(Placeholders(1), inner);
            } else {
                runs.Close(inner);  // between the group's own states
                inner = Solid(inner.cost, 0, 0);
                inner.cost += Cost{2, kind == Kind::Capture ? 2 : 0};
            }
            levels.back().pending = inner;
        } else if (c == Char('|')) {
            Level& level = levels.back();
            const Piece alternative = endAlternative(level);
            if (!level.alternation) level.alternation = Solid(alternative.cost, 0, alternative.trail);
            level.sequence = Placeholders(0);
            depth = level.inside;
        } else if (c == Char('*') || c == Char('+') || c == Char('?')) {
            skipLazyMark();  // lazy or greedy, the loop is the same states
            if (c == Char('?'))
                quantify(false, 0, 1, false);
            else
                quantify(false, c == Char('+') ? 1 : 0, 0, true);
        } else if (c == Char('{')) {
            int64_t least = 0;
            int64_t most = -2;  // -2: "{n}", -3: "{n,}"
            if (IsDigit(*p)) {
                least = ReadNumber(*p++, p);
                if (*p == Char(',')) {
                    ++p;
                    most = IsDigit(*p) ? ReadNumber(*p++, p) : -3;
                }
            }
            if (least < 0 || most == -1) {
                shape.numberBeyondInt = true;
                continue;
            }
            if (*p != Char('}')) continue;  // not a valid repeat: the library rejects it
            ++p;
            skipLazyMark();
            quantify(true, least, most >= 0 ? std::max<int64_t>(most - least, 0) : 0, most == -3);
        } else {
            term(Solid({1, 0}, 0, 0));
        }
    }
    shape.units = p - begin;
    // Groups left open make the library reject the pattern; their figures still count.
    while (levels.size() > 1) {
        Piece inner = whole(levels.back());
        levels.pop_back();
        flush(levels.back());
        levels.back().sequence = runs.Then(levels.back().sequence, inner);
    }
    const Piece pattern = whole(levels.front());
    runs.Close(pattern);
    shape.states = Add(pattern.cost.states, 4);
    shape.uncheckedStates = pattern.cost.unchecked;
    shape.placeholderRun = runs.Longest();
    return shape;
}

namespace {

// The guard's checks and every operation of a position are inlined: the matcher runs through them at each
// state it passes.
#define KT_REGEX_INLINE __attribute__((always_inline)) inline

KT_REGEX_INLINE uintptr_t StackAddress() {
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}

// What the operations of one search may spend, and what each costs.
class SearchGuard {
  public:
    SearchGuard(int64_t budget, uintptr_t floor, int64_t readCost, int64_t advanceCost, int64_t compareCost)
        : budget_(budget),
          floor_(floor),
          readCost_(readCost),
          advanceCost_(advanceCost),
          compareCost_(compareCost) {}

    // Inlined into every operation of the position: the matcher calls them at each state it passes.
    KT_REGEX_INLINE void Step(int64_t cost) {
        steps_ += cost;
        if (steps_ > budget_ || StackAddress() < floor_) [[unlikely]]
            Exceeded();
    }
    // Counts without checking: the next step does that.
    KT_REGEX_INLINE void Charge(int64_t cost) noexcept { steps_ += cost; }
    int64_t ReadCost() const { return readCost_; }
    int64_t AdvanceCost() const { return advanceCost_; }
    int64_t CompareCost() const { return compareCost_; }

  private:
    // Out of line, so that the matcher's frames, one per state it passes, stay small.
    [[noreturn, gnu::noinline, gnu::cold]] void Exceeded() const {
        throw std::regex_error(steps_ > budget_ ? std::regex_constants::error_complexity
                                                : std::regex_constants::error_stack);
    }

    int64_t steps_ = 0;
    int64_t budget_;
    uintptr_t floor_;
    int64_t readCost_;
    int64_t advanceCost_;
    int64_t compareCost_;
};

// The guard of the search running on this thread, for positions the library default-constructs (it makes
// one per automaton state for each run, lookaheads included), and an idle one for those made outside.
thread_local SearchGuard* activeGuard = nullptr;
SearchGuard& IdleGuard() {
    thread_local SearchGuard idle(INT64_MAX, 0, 0, 0, 0);
    return idle;
}

class ActiveGuard {
  public:
    explicit ActiveGuard(SearchGuard& guard) : previous_(activeGuard) { activeGuard = &guard; }
    ~ActiveGuard() { activeGuard = previous_; }
    ActiveGuard(const ActiveGuard&) = delete;
    ActiveGuard& operator=(const ActiveGuard&) = delete;

  private:
    SearchGuard* previous_;
};

// A position in the subject as std::regex_search and std::regex_match walk it. Both are templates over the
// iterator, and libstdc++'s matcher compares the position at every state that consumes or tests text (with
// the end, or with where a loop last began) before it reads or advances it: reading and advancing are
// charged to the budget, and each comparison checks the budget and the stack. It widens 16-bit units to
// wchar_t as it reads them. Reading gives a value, not a reference: the library only ever copies the
// characters it reads. The matcher copies the capture positions once per start position and per accepted
// match, which its advance and compare costs cover; a position copies as a plain pair of pointers, so that
// the library moves its capture vectors as memory. Its states that only copy a position (a group's begin
// and end, a quantifier's loop) then recurse unchecked, which the stack reserve counts.
template <class Char>
class GuardedPosition {
  public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = RegexChar<Char>;
    using difference_type = ptrdiff_t;
    using pointer = void;
    using reference = value_type;

    GuardedPosition() noexcept : guard_(activeGuard != nullptr ? activeGuard : &IdleGuard()) {
        guard_->Charge(1);
    }
    GuardedPosition(const Char* at, SearchGuard& guard) : at_(at), guard_(&guard) {}

    KT_REGEX_INLINE value_type operator*() const {
        guard_->Charge(guard_->ReadCost());
        return static_cast<value_type>(*at_);
    }
    KT_REGEX_INLINE GuardedPosition& operator++() {
        guard_->Charge(guard_->AdvanceCost());
        ++at_;
        return *this;
    }
    GuardedPosition operator++(int) {
        GuardedPosition before(*this);
        ++*this;
        return before;
    }
    KT_REGEX_INLINE GuardedPosition& operator--() {
        guard_->Charge(1);
        --at_;
        return *this;
    }
    GuardedPosition operator--(int) {
        GuardedPosition before(*this);
        --*this;
        return before;
    }
    friend KT_REGEX_INLINE bool operator==(const GuardedPosition& a, const GuardedPosition& b) {
        a.guard_->Step(a.guard_->CompareCost());
        return a.at_ == b.at_;
    }

    const Char* Address() const { return at_; }

  private:
    const Char* at_ = nullptr;
    SearchGuard* guard_;
};

// The stack a call may use: from the caller's frame down to the thread's stack end. Compiling keeps a
// small reserve free below its estimate, the matcher a larger one.
struct StackRoom {
    uintptr_t top;
    uintptr_t low;
    uintptr_t Floor(int64_t reserve) const {
        uintptr_t floor = low + static_cast<uintptr_t>(reserve);
        if (top > floor && top - floor > static_cast<uint64_t>(Stack.most))
            floor = top - static_cast<uintptr_t>(Stack.most);
        return std::min(floor, top);
    }
    int64_t Size(int64_t reserve) const { return static_cast<int64_t>(top - Floor(reserve)); }
};
// A call on a stack the system cannot describe (a coroutine's, a signal handler's alternate stack) assumes
// it has the least stack supported left below it.
StackRoom MeasureStackRoom() {
    const uintptr_t here = StackAddress();
    const platform::StackRange range = platform::CurrentThreadStack();
    if (range.high == 0 || here <= range.low || here > range.high)
        return {here, here - std::min<uintptr_t>(here, LeastStack)};
    return {here, range.low};
}

// What compiling costs in steps, and what reading a character and advancing a position cost in the
// matcher.
struct Charges {
    int64_t compile;
    int64_t read;
    int64_t advance;
    int64_t compare;
};
template <class Char>
Charges ChargesFor(const PatternShape& shape) {
    Charges charges{Add(Multiply(shape.units, 4), Multiply(shape.states, StepsPerState)), 1, 1, 1};
    charges.compile = Add(charges.compile, Multiply(shape.states, shape.placeholderRun));
    if constexpr (std::is_same_v<Char, char>) {
        const int64_t table = Add(Multiply(shape.brackets, BracketTest), shape.bracketUnits);
        charges.compile = Add(charges.compile, Multiply(256, table));
    } else {
        // Wide bracket expressions look up and transform their ranges and classes once.
        const int64_t items = Add(Multiply(shape.brackets, 1024), Multiply(shape.bracketUnits, 64));
        charges.compile = Add(charges.compile, items);
        charges.read += shape.longestBracket / 8;
    }
    if (shape.wordBoundary) charges.read += 8;  // looks the class "w" up by name each time
    // The matcher copies the capture positions (the groups and three more) at each start position and at
    // each accepted match, which compares positions first.
    const int64_t results = Add(shape.captures, 3) / 8;
    charges.advance += results;
    charges.compare += results;
    return charges;
}

// The pattern as the standard library compiles it, with what its operations cost.
template <class Char>
struct LibraryPattern {
    Charges charges;
    std::basic_regex<RegexChar<Char>> re;

    explicit LibraryPattern(const PatternShape& shape) : charges(ChargesFor<Char>(shape)) {}
};

// Compiles the pattern with the standard library, unless compiling would exceed its allowance or the stack
// left. This decides whether a pattern is valid.
template <class Char>
SearchEnd Compile(const Char* pattern, const PatternShape& shape, const StackRoom& room,
                  LibraryPattern<Char>& library) {
    if (library.charges.compile > CompileAllowance) return SearchEnd::StepLimit;
    if (shape.compileStack > room.Size(Stack.compileReserve)) return SearchEnd::StackLimit;
    try {
        library.re.assign(pattern, pattern + shape.units, std::regex::ECMAScript);
    } catch (const std::regex_error&) {
        return SearchEnd::InvalidPattern;
    }
    return SearchEnd::Match;
}

// One run of the standard library's matcher over the subject, under its own step budget and the stack
// floor.
template <class Char>
SearchOutcome Run(const LibraryPattern<Char>& library, const PatternShape& shape, const Char* subject,
                  const Char* end, bool wholeText, const StackRoom& room) {
    // Each lookahead sets up a matcher of its own before anything is checked: nesting them multiplies
    // that work and its memory.
    if (shape.lookaheadDepth > MaxLookaheadDepth) return {-1, SearchEnd::StepLimit};
    const int64_t unchecked = Multiply(shape.uncheckedStates, Stack.uncheckedState);
    if (unchecked >= room.Size(Stack.reserve)) return {-1, SearchEnd::StackLimit};
    const Charges& charges = library.charges;
    SearchGuard guard(StepFloor + StepsPerUnit * (end - subject),
                      room.Floor(Stack.reserve) + static_cast<uintptr_t>(unchecked), charges.read,
                      charges.advance, charges.compare);
    ActiveGuard active(guard);
    using Position = GuardedPosition<Char>;
    const Position first(subject, guard), last(end, guard);
    try {
        if (wholeText) {
            if (!std::regex_match(first, last, library.re)) return {-1, SearchEnd::NoMatch};
            return {0, SearchEnd::Match};
        }
        std::match_results<Position> match;
        if (!std::regex_search(first, last, match, library.re)) return {-1, SearchEnd::NoMatch};
        return {static_cast<int32_t>(match[0].first.Address() - subject), SearchEnd::Match};
    } catch (const std::regex_error& limit) {
        return {-1, limit.code() == std::regex_constants::error_stack ? SearchEnd::StackLimit
                                                                      : SearchEnd::StepLimit};
    }
}

// The automaton's answer as an outcome.
template <class Char>
SearchOutcome Answer(const PatternAutomaton<Char>& automaton, const Char* subject, const Char* end,
                     bool wholeText) {
    if (wholeText)
        return automaton.Matches(subject, end) ? SearchOutcome{0, SearchEnd::Match}
                                               : SearchOutcome{-1, SearchEnd::NoMatch};
    const int32_t found = automaton.Find(subject, end);
    return {found, found >= 0 ? SearchEnd::Match : SearchEnd::NoMatch};
}

// Turns what escapes a search into its outcome: exhausted memory and the standard library's other
// failures read as no match; anything not derived from std::exception passes through.
template <class Search>
SearchOutcome Guarded(Search search) {
    try {
        return search();
    } catch (const std::bad_alloc&) {
        return {-1, SearchEnd::NoMemory};
    } catch (const std::exception&) {
        return {-1, SearchEnd::InvalidPattern};
    }
}

template <class Char>
std::unique_ptr<PatternAutomaton<Char>> BuildAutomaton(const Char* pattern, const PatternShape& shape) {
    if (shape.backReference) return nullptr;
    Declined declined = Declined::No;
    return PatternAutomaton<Char>::Build(pattern, shape.units, declined);
}

}  // namespace

// The standard library compiles the pattern, which decides whether it is valid; the automaton answers
// where it takes the pattern, the library's matcher under its limits where not.
template <class Char>
SearchOutcome SearchUnits(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                          const Char* pattern, bool wholeText, Matchers matchers) {
    return Guarded([&]() -> SearchOutcome {
        const PatternShape shape = MeasurePattern(pattern);
        if (shape.numberBeyondInt) return {-1, SearchEnd::InvalidPattern};
        const Char* subject = substitution.Apply(text, length);
        const Char* end = subject + std::char_traits<Char>::length(subject);
        const StackRoom room = MeasureStackRoom();
        LibraryPattern<Char> library(shape);
        const SearchEnd compiled = Compile(pattern, shape, room, library);
        if (compiled != SearchEnd::Match) return {-1, compiled};
        if (matchers == Matchers::AutomatonFirst)
            if (const auto automaton = BuildAutomaton(pattern, shape))
                return Answer(*automaton, subject, end, wholeText);
        return Run(library, shape, subject, end, wholeText, room);
    });
}

// The library's pattern and the automaton, compiled once.
template <class Char>
struct CompiledPattern {
    PatternShape shape;
    SearchEnd compiled = SearchEnd::InvalidPattern;  // Match: the library's pattern is there
    std::optional<LibraryPattern<Char>> library;
    std::unique_ptr<PatternAutomaton<Char>> automaton;

    explicit CompiledPattern(const Char* pattern) {
        if (pattern == nullptr || pattern[0] == 0) return;
        shape = MeasurePattern(pattern);
        if (shape.numberBeyondInt) return;
        compiled = Compile(pattern, shape, MeasureStackRoom(), library.emplace(shape));
        if (compiled == SearchEnd::Match) automaton = BuildAutomaton(pattern, shape);
    }

    SearchOutcome Search(CharSubstitution<Char>& substitution, const Char* text, int32_t length,
                         bool wholeText) const {
        if (compiled != SearchEnd::Match) return {-1, compiled};
        return Guarded([&]() -> SearchOutcome {
            const Char* subject = substitution.Apply(text, length);
            const Char* end = subject + std::char_traits<Char>::length(subject);
            if (automaton) return Answer(*automaton, subject, end, wholeText);
            return Run(*library, shape, subject, end, wholeText, MeasureStackRoom());
        });
    }
};

template PatternShape MeasurePattern(const char*);
template PatternShape MeasurePattern(const char16_t*);
template SearchOutcome SearchUnits(CharSubstitution<char>&, const char*, int32_t, const char*, bool,
                                   Matchers);
template SearchOutcome SearchUnits(CharSubstitution<char16_t>&, const char16_t*, int32_t, const char16_t*,
                                   bool, Matchers);
}  // namespace regex_detail

template <class Char>
KTPattern<Char>::KTPattern(const Char* pattern) {
    try {
        compiled_ = std::make_unique<regex_detail::CompiledPattern<Char>>(pattern);
    } catch (const std::exception&) {
        compiled_.reset();  // exhausted memory: a pattern that matches nothing
    }
}
template <class Char>
KTPattern<Char>::~KTPattern() = default;
template <class Char>
KTPattern<Char>::KTPattern(KTPattern&&) noexcept = default;
template <class Char>
KTPattern<Char>& KTPattern<Char>::operator=(KTPattern&&) noexcept = default;

template <class Char>
bool KTPattern<Char>::IsValid() const noexcept {
    return compiled_ && compiled_->compiled == regex_detail::SearchEnd::Match;
}

template <class Char>
regex_detail::SearchOutcome KTPattern<Char>::SearchUnits(CharSubstitution<Char>& substitution,
                                                         const Char* text, int32_t length,
                                                         bool wholeText) const {
    if (!compiled_) return {-1, regex_detail::SearchEnd::NoMemory};
    return compiled_->Search(substitution, text, length, wholeText);
}

template class KTPattern<char>;
template class KTPattern<char16_t>;

template class CharSubstitution<char>;
template class CharSubstitution<char16_t>;

}  // namespace kt
