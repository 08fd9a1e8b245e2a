#include "text/regex/automaton.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <locale>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace kt::regex_detail {

namespace {

// The units below 256 in a character class of the traits' locale. Asking the traits is the surest way to
// agree with the library's matcher, and some 256 calls into the locale: the tables of named locales are
// kept, a few dozen at most (a class mask is one of the locale's classes, or an "or" of those a bracket
// names).
template <class Traits>
std::array<uint64_t, 4> ClassTable(const Traits& traits, const typename Traits::char_class_type& mask) {
    using Unit = typename Traits::char_type;
    auto compute = [&] {
        std::array<uint64_t, 4> table{};
        for (unsigned i = 0; i < 256; ++i)
            if (traits.isctype(static_cast<Unit>(i), mask)) table[i / 64] |= uint64_t{1} << (i % 64);
        return table;
    };
    struct Kept {
        std::string locale;
        typename Traits::char_class_type mask;
        std::array<uint64_t, 4> table;
    };
    static std::mutex keeping;
    static std::vector<Kept> kept;
    const std::string locale = traits.getloc().name();
    if (locale == "*") return compute();
    {
        const std::lock_guard lock(keeping);
        for (const Kept& k : kept)
            if (k.mask == mask && k.locale == locale) return k.table;
    }
    const std::array<uint64_t, 4> table = compute();
    const std::lock_guard lock(keeping);
    if (kept.size() < 64) kept.push_back({locale, mask, table});
    return table;
}

}  // namespace

template <class Char>
void PatternAutomaton<Char>::UnitSet::Complete(const Traits& traits) {
    std::sort(units.begin(), units.end());
    for (const Unit unit : units) {
        const auto index = static_cast<std::make_unsigned_t<Unit>>(unit);
        if (index < 256) low_[index / 64] |= uint64_t{1} << (index % 64);
    }
    for (const auto& [first, last] : ranges)
        for (unsigned i = 0; i < 256; ++i)
            if (first <= static_cast<Unit>(i) && static_cast<Unit>(i) <= last)
                low_[i / 64] |= uint64_t{1} << (i % 64);
    std::array<uint64_t, 4> member{};
    if (!(classes == typename Traits::char_class_type{})) member = ClassTable(traits, classes);
    for (const auto& mask : negatedClasses) {
        const std::array<uint64_t, 4> in = ClassTable(traits, mask);
        for (size_t w = 0; w < 4; ++w) member[w] |= ~in[w];
    }
    for (size_t w = 0; w < 4; ++w) low_[w] = (low_[w] | member[w]) ^ (negated ? ~uint64_t{0} : 0);
}

// The library's bracket matcher: a unit of the list, a range, a class, or outside a negated class; then the
// whole is negated for "[^...]". Ranges compare units as the library's character type does (char is signed
// where the platform makes it so).
template <class Char>
bool PatternAutomaton<Char>::UnitSet::Evaluate(Unit unit, const Traits& traits) const {
    bool member = std::binary_search(units.begin(), units.end(), unit) ||
                  std::any_of(ranges.begin(), ranges.end(),
                              [unit](const auto& r) { return r.first <= unit && unit <= r.second; }) ||
                  traits.isctype(unit, classes) ||
                  std::any_of(negatedClasses.begin(), negatedClasses.end(),
                              [&](const auto& c) { return !traits.isctype(unit, c); });
    return member != negated;
}

// Parses the pattern as the library's ECMAScript scanner and compiler read it, into a Thompson automaton.
// The parse keeps its own stack of open groups, so that its depth costs no call stack. Every fragment it
// builds owns the states from where it began to the end of the list, so that a counted repeat copies its
// fragment as a block.
template <class Char>
class PatternAutomaton<Char>::Builder {
  public:
    Builder(PatternAutomaton& automaton, const Char* pattern, const Char* end)
        : a_(automaton),
          p_(pattern),
          end_(end),
          ctype_(std::use_facet<std::ctype<Unit>>(automaton.traits_.getloc())) {}

    Declined Build() {
        levels_.push_back(Level{});
        while (p_ != end_) {
            const Declined declined = Term();
            if (declined != Declined::No) return declined;
        }
        if (levels_.size() != 1) return Declined::Unexpected;
        const Fragment whole = Close(levels_.back());
        const int32_t match = Add({Kind::Match});
        if (match < 0) return Declined::TooLarge;
        Patch(whole, match);
        a_.forward_.start = whole.first;
        return tooLarge_ ? Declined::TooLarge : Declined::No;
    }

  private:
    struct Fragment {
        int32_t first;  // where it is entered
        int32_t last;   // its one exit, a state whose next is still open
        int32_t owned;  // the first of its states; they run to the end of the list
    };
    struct Level {
        std::vector<Fragment> alternatives;  // finished, before the current one
        std::optional<Fragment> sequence;    // the current alternative's terms before the last
        std::optional<Fragment> last;        // the last term, which a quantifier repeats
        int32_t owned = 0;
    };

    int32_t Add(Node node) {
        if (static_cast<int32_t>(a_.forward_.nodes.size()) >= MaxStates) {
            tooLarge_ = true;
            return -1;
        }
        a_.forward_.nodes.push_back(node);
        return static_cast<int32_t>(a_.forward_.nodes.size()) - 1;
    }
    void Patch(const Fragment& fragment, int32_t next) {
        if (fragment.last >= 0) a_.forward_.nodes[fragment.last].next = next;
    }
    Fragment Single(Node node) {
        const int32_t owned = static_cast<int32_t>(a_.forward_.nodes.size());
        const int32_t state = Add(node);
        return {state, state, owned};
    }
    Fragment Empty() { return Single({Kind::Empty}); }

    // Ends the last term: it joins the sequence of the current alternative.
    void Flush(Level& level) {
        if (!level.last) return;
        if (level.sequence) {
            Patch(*level.sequence, level.last->first);
            level.sequence = Fragment{level.sequence->first, level.last->last, level.sequence->owned};
        } else {
            level.sequence = level.last;
        }
        level.last.reset();
    }
    void Push(const Fragment& term) {
        Flush(levels_.back());
        levels_.back().last = term;
    }
    // The group's alternatives as one fragment: a chain of splits into them, all leading to one exit.
    Fragment Close(Level& level) {
        Flush(level);
        level.alternatives.push_back(level.sequence ? *level.sequence : Empty());
        if (level.alternatives.size() == 1) {
            Fragment only = level.alternatives.front();
            only.owned = level.owned;
            return only;
        }
        const int32_t join = Add({Kind::Empty});
        int32_t entry = level.alternatives.back().first;
        for (size_t i = level.alternatives.size(); i-- > 0;) {
            Patch(level.alternatives[i], join);
            if (i + 1 < level.alternatives.size())
                entry = Add({Kind::Split, level.alternatives[i].first, entry});
        }
        return {entry, join, level.owned};
    }

    // A copy of a fragment at the end of the list, its inner links moved along.
    Fragment Copy(const Fragment& fragment, int32_t ownedEnd) {
        const int32_t offset = static_cast<int32_t>(a_.forward_.nodes.size()) - fragment.owned;
        for (int32_t i = fragment.owned; i < ownedEnd; ++i) {
            Node node = a_.forward_.nodes[i];
            if (node.next >= fragment.owned && node.next < ownedEnd) node.next += offset;
            if (node.alternative >= fragment.owned && node.alternative < ownedEnd) node.alternative += offset;
            if (Add(node) < 0) return fragment;
        }
        return {fragment.first + offset, fragment.last + offset, fragment.owned + offset};
    }

    // "x*", "x+", "x?": a split that loops back or skips.
    Fragment Loop(const Fragment& body, bool atLeastOnce) {
        const int32_t exit = Add({Kind::Empty});
        const int32_t split = Add({Kind::Split, body.first, exit});
        Patch(body, split);
        return {atLeastOnce ? body.first : split, exit, body.owned};
    }
    Fragment Optional(const Fragment& body) {
        const int32_t exit = Add({Kind::Empty});
        const int32_t split = Add({Kind::Split, body.first, exit});
        Patch(body, exit);
        return {split, exit, body.owned};
    }
    // "x{least,most}" (most -1: no bound): least copies, then most - least optional ones or a loop.
    Declined Counted(int64_t least, int64_t most) {
        Level& level = levels_.back();
        const Fragment body = *level.last;
        const int32_t ownedEnd = static_cast<int32_t>(a_.forward_.nodes.size());
        const int64_t copies = most < 0 ? std::max<int64_t>(least, 1) : most;
        const int64_t size = ownedEnd - body.owned;
        if (copies > 0 && (size + 2) > (MaxStates - ownedEnd) / copies) return Declined::TooLarge;
        if (copies == 0) {
            a_.forward_.nodes.resize(static_cast<size_t>(body.owned));
            level.last = Empty();
            return Declined::No;
        }
        std::vector<Fragment> parts{body};
        for (int64_t i = 1; i < copies; ++i) parts.push_back(Copy(body, ownedEnd));
        std::optional<Fragment> result;
        for (int64_t i = 0; i < copies; ++i) {
            Fragment part = parts[static_cast<size_t>(i)];
            if (most < 0 && i == copies - 1)
                part = Loop(part, least > 0);
            else if (i >= least)
                part = Optional(part);
            if (result) {
                Patch(*result, part.first);
                result = Fragment{result->first, part.last, body.owned};
            } else {
                result = part;
            }
        }
        level.last = Fragment{result->first, result->last, body.owned};
        return Declined::No;
    }

    bool AtEnd() const { return p_ == end_; }
    char Narrow(Unit unit, char otherwise) const { return ctype_.narrow(unit, otherwise); }
    Unit Next() { return static_cast<Unit>(*p_++); }

    // Reads a quantifier after a term, if there is one, and applies it. The library accepts a lazy mark
    // ("?") after each; laziness does not change what matches where.
    Declined Quantifiers() {
        for (;;) {
            if (AtEnd()) return Declined::No;
            const char c = Narrow(static_cast<Unit>(*p_), ' ');
            if (c != '*' && c != '+' && c != '?' && c != '{') return Declined::No;
            Level& level = levels_.back();
            if (!level.last) return Declined::Unexpected;
            ++p_;
            if (c == '*' || c == '+') {
                level.last = Loop(*level.last, c == '+');
            } else if (c == '?') {
                level.last = Optional(*level.last);
            } else {
                int64_t least = 0, most = 0;
                if (!ReadCount(least)) return Declined::Unexpected;
                most = least;
                if (!AtEnd() && *p_ == Char(',')) {
                    ++p_;
                    most = -1;
                    if (!AtEnd() && ctype_.is(std::ctype_base::digit, static_cast<Unit>(*p_)) &&
                        !ReadCount(most))
                        return Declined::Unexpected;
                }
                if (AtEnd() || *p_ != Char('}')) return Declined::Unexpected;
                ++p_;
                if (most >= 0 && most < least) return Declined::Unexpected;
                const Declined declined = Counted(least, most);
                if (declined != Declined::No) return declined;
            }
            if (tooLarge_) return Declined::TooLarge;
            if (!AtEnd() && *p_ == Char('?')) ++p_;
        }
    }
    bool ReadCount(int64_t& value) {
        if (AtEnd() || !ctype_.is(std::ctype_base::digit, static_cast<Unit>(*p_))) return false;
        value = 0;
        for (; !AtEnd() && ctype_.is(std::ctype_base::digit, static_cast<Unit>(*p_)); ++p_) {
            value = value * 10 + a_.traits_.value(static_cast<Unit>(*p_), 10);
            if (value > INT32_MAX) return false;
        }
        return true;
    }

    int32_t AddSet(UnitSet&& set) {
        set.Complete(a_.traits_);
        a_.sets_.push_back(std::move(set));
        return static_cast<int32_t>(a_.sets_.size()) - 1;
    }
    Fragment SetState(UnitSet&& set) {
        return Single({Kind::Set, -1, -1, static_cast<uint32_t>(AddSet(std::move(set)))});
    }
    Fragment UnitState(Unit unit) {
        return Single(
            {Kind::Unit, -1, -1, static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(unit))});
    }
    // "\d", "\s", "\w" and their capitals, the negated forms.
    UnitSet ClassEscape(Unit letter) {
        UnitSet set;
        const Unit name[1] = {letter};
        set.classes = a_.traits_.lookup_classname(name, name + 1, false);
        set.negated = ctype_.is(std::ctype_base::upper, letter);
        return set;
    }

    // One term: an atom and its quantifiers, an assertion, or a group's opening or closing.
    Declined Term() {
        const Unit c = Next();
        switch (Narrow(c, ' ')) {
            case '^':
                Push(Single({Kind::Begin}));
                return Declined::No;
            case '$':
                Push(Single({Kind::End}));
                return Declined::No;
            case '*':
            case '+':
            case '?':
            case '{':
                return Declined::Unexpected;  // a quantifier with nothing to repeat
            case '|': {
                Level& level = levels_.back();
                Flush(level);
                level.alternatives.push_back(level.sequence ? *level.sequence : Empty());
                level.sequence.reset();
                return Declined::No;
            }
            case '(': {
                if (!AtEnd() && *p_ == Char('?')) {
                    ++p_;
                    if (AtEnd() || *p_ != Char(':')) return Declined::Lookahead;
                    ++p_;
                }
                Flush(levels_.back());
                levels_.push_back(Level{{}, {}, {}, static_cast<int32_t>(a_.forward_.nodes.size())});
                return Declined::No;
            }
            case ')': {
                if (levels_.size() < 2) return Declined::Unexpected;
                const Fragment group = Close(levels_.back());
                levels_.pop_back();
                Push(group);
                return Quantifiers();
            }
            case '.': {
                UnitSet any;
                any.negated = true;
                any.units = {Unit('\n'), Unit('\r')};
                if constexpr (!std::is_same_v<Unit, char>)
                    any.units.insert(any.units.end(), {Unit(0x2028), Unit(0x2029)});
                Push(SetState(std::move(any)));
                return Quantifiers();
            }
            case '[': {
                UnitSet set;
                const Declined declined = Bracket(set);
                if (declined != Declined::No) return declined;
                Push(SetState(std::move(set)));
                return Quantifiers();
            }
            case '\\': {
                if (AtEnd()) return Declined::Unexpected;
                const Unit escaped = Next();
                const char name = Narrow(escaped, '\0');
                if (name == 'b' || name == 'B') {
                    Push(Single({name == 'b' ? Kind::WordBoundary : Kind::NotWordBoundary}));
                    a_.usesWordBoundary_ = true;
                    return Declined::No;
                }
                if (name == 'd' || name == 'D' || name == 's' || name == 'S' || name == 'w' || name == 'W') {
                    Push(SetState(ClassEscape(escaped)));
                    return Quantifiers();
                }
                const std::optional<Unit> unit = EscapedUnit(escaped);
                if (!unit)
                    return ctype_.is(std::ctype_base::digit, escaped) ? Declined::BackReference
                                                                      : Declined::Unexpected;
                Push(UnitState(*unit));
                return Quantifiers();
            }
            default:
                Push(UnitState(c));
                return Quantifiers();
        }
    }

    // The unit an escape (after its backslash) stands for, in or out of brackets, but for "\b": control
    // escapes, "\0", "\cX" (the library takes X itself), "\xHH", "\uHHHH" and identity escapes. Nothing for
    // a digit 1 to 9 (a back-reference) or an escape the library rejects.
    std::optional<Unit> EscapedUnit(Unit escaped) {
        static constexpr char Controls[] = "0\0b\bf\fn\nr\rt\tv\v";
        const char name = Narrow(escaped, '\0');
        for (size_t i = 0; name != '\0' && i + 1 < sizeof Controls; i += 2)
            if (Controls[i] == name) return Unit(Controls[i + 1]);
        if (name == 'c') {
            if (AtEnd()) return std::nullopt;
            return Next();
        }
        if (name == 'x' || name == 'u') {
            long value = 0;
            for (int digits = name == 'x' ? 2 : 4; digits > 0; --digits) {
                if (AtEnd() || !ctype_.is(std::ctype_base::xdigit, static_cast<Unit>(*p_)))
                    return std::nullopt;
                value = value * 16 + a_.traits_.value(Next(), 16);
            }
            return static_cast<Unit>(value);
        }
        if (ctype_.is(std::ctype_base::digit, escaped)) return std::nullopt;
        return escaped;
    }

    // A bracket expression after its "[", as the library's bracket compiler reads it: the first item may
    // be a "]" that ends it at once (ECMAScript) or a "-" taken literally; a "-" after a unit makes a range
    // with the next unit, after a range or a class it is literal, before "]" too.
    enum class Token { Unit, Dash, End, ClassName, CollatingName, EquivalenceName, ClassEscape, Invalid };
    Token BracketToken(Unit& unit, std::basic_string<Unit>& name) {
        if (AtEnd()) return Token::Invalid;
        const Unit c = Next();
        const char n = Narrow(c, ' ');
        if (n == '-') return Token::Dash;
        if (n == ']') return Token::End;
        if (n == '[' && !AtEnd()) {
            const char mark = Narrow(static_cast<Unit>(*p_), ' ');
            if (mark == '.' || mark == ':' || mark == '=') {
                ++p_;
                name.clear();
                while (!AtEnd() && Narrow(static_cast<Unit>(*p_), ' ') != mark) name += Next();
                if (AtEnd() || (++p_, AtEnd()) || Narrow(Next(), ' ') != ']') return Token::Invalid;
                return mark == '.'   ? Token::CollatingName
                       : mark == ':' ? Token::ClassName
                                     : Token::EquivalenceName;
            }
        }
        if (n == '\\') {
            if (AtEnd()) return Token::Invalid;
            const Unit escaped = Next();
            const char e = Narrow(escaped, '\0');
            if (e == 'd' || e == 'D' || e == 's' || e == 'S' || e == 'w' || e == 'W') {
                unit = escaped;
                return Token::ClassEscape;
            }
            if (e == 'B') return Token::Invalid;
            const std::optional<Unit> escapedUnit = EscapedUnit(escaped);
            if (!escapedUnit) return Token::Invalid;
            unit = *escapedUnit;
            return Token::Unit;
        }
        unit = c;
        return Token::Unit;
    }

    Declined Bracket(UnitSet& set) {
        if (!AtEnd() && *p_ == Char('^')) {
            set.negated = true;
            ++p_;
        }
        std::optional<Unit> pending;  // the last unit, which a "-" may make the start of a range
        bool afterClass = false;
        auto pushUnit = [&](Unit unit) {
            if (pending) set.units.push_back(*pending);
            pending = unit;
            afterClass = false;
        };
        auto pushClass = [&]() {
            if (pending) set.units.push_back(*pending);
            pending.reset();
            afterClass = true;
        };
        Unit unit{};
        std::basic_string<Unit> name;
        bool first = true;
        for (;;) {
            Token token = BracketToken(unit, name);
            if (first && token == Token::Dash) token = Token::Unit, unit = Unit('-');
            first = false;
            switch (token) {
                case Token::End:
                    if (pending) set.units.push_back(*pending);
                    return Declined::No;
                case Token::Unit:
                    pushUnit(unit);
                    break;
                case Token::ClassName: {
                    const auto mask =
                        a_.traits_.lookup_classname(name.data(), name.data() + name.size(), false);
                    if (mask == typename Traits::char_class_type{}) return Declined::Unexpected;
                    pushClass();
                    set.classes |= mask;
                    break;
                }
                case Token::ClassEscape: {
                    const Unit letter[1] = {unit};
                    const auto mask = a_.traits_.lookup_classname(letter, letter + 1, false);
                    pushClass();
                    if (ctype_.is(std::ctype_base::upper, unit))
                        set.negatedClasses.push_back(mask);
                    else
                        set.classes |= mask;
                    break;
                }
                case Token::CollatingName: {
                    const auto symbol = a_.traits_.lookup_collatename(name.data(), name.data() + name.size());
                    if (symbol.empty()) return Declined::Unexpected;
                    set.units.push_back(symbol[0]);
                    if (symbol.size() == 1)
                        pushUnit(symbol[0]);
                    else
                        pushClass();
                    break;
                }
                case Token::EquivalenceName:
                    return Declined::EquivalenceClass;
                case Token::Dash: {
                    const Char* const before = p_;
                    Unit end{};
                    const Token next = BracketToken(end, name);
                    if (next == Token::End) {
                        pushUnit(Unit('-'));
                        set.units.push_back(*pending);
                        return Declined::No;
                    }
                    if (afterClass) return Declined::Unexpected;
                    if (!pending) {
                        p_ = before;  // a dash after a range: a unit of its own
                        pushUnit(Unit('-'));
                        break;
                    }
                    if (next == Token::Dash)
                        end = Unit('-');
                    else if (next != Token::Unit)
                        return Declined::Unexpected;
                    if (*pending > end) return Declined::Unexpected;
                    set.ranges.emplace_back(*pending, end);
                    pending.reset();
                    afterClass = false;
                    break;
                }
                case Token::Invalid:
                    return Declined::Unexpected;
            }
        }
    }

    PatternAutomaton& a_;
    const Char* p_;
    const Char* const end_;
    const std::ctype<Unit>& ctype_;
    std::vector<Level> levels_;
    bool tooLarge_ = false;
};

// Walks from the states on `stack` to every state they reach without consuming at a boundary, each once
// (marked with `generation`): reports each unit or set state to `consuming`, and the match state to
// `matched`.
template <class Char>
template <class Consuming, class Matched>
void PatternAutomaton<Char>::Walk(const Graph& graph, const Boundary& boundary, std::vector<int32_t>& stack,
                                  std::vector<uint32_t>& mark, uint32_t generation, Consuming consuming,
                                  Matched matched) {
    while (!stack.empty()) {
        const int32_t s = stack.back();
        stack.pop_back();
        if (s < 0 || mark[static_cast<size_t>(s)] == generation) continue;
        mark[static_cast<size_t>(s)] = generation;
        const Node& node = graph.nodes[static_cast<size_t>(s)];
        switch (node.kind) {
            case Kind::Unit:
            case Kind::Set:
                consuming(s);
                break;
            case Kind::Match:
                matched();
                break;
            case Kind::Split:
                stack.push_back(node.alternative);
                stack.push_back(node.next);
                break;
            default:
                if (boundary.Holds(node.kind)) stack.push_back(node.next);
                break;
        }
    }
}

// The automaton run over a text: the set of states reached at each position, each with the earliest start
// of a match that could lead there (Thompson's simulation, one pass, no backtracking). A state reached
// twice at one position keeps the earlier start, since both go on alike. The first match that completes
// fixes an upper bound on the answer; the run goes on only while states with an earlier start live.
template <class Char>
class PatternAutomaton<Char>::Run {
  public:
    Run(const PatternAutomaton& automaton, const Char* text, const Char* end)
        : a_(automaton),
          nodes_(automaton.forward_.nodes),
          text_(text),
          length_(static_cast<int32_t>(end - text)),
          mark_(nodes_.size(), 0) {
        current_.reserve(nodes_.size());
        next_.reserve(nodes_.size());
    }

    // The leftmost start of a match (wholeText: 0 for a match of the whole text), or -1.
    int32_t Search(bool wholeText) {
        whole_ = wholeText;
        const int32_t start = a_.forward_.start;
        Enter(0);
        Closure(current_, start, 0);
        for (int32_t i = 0;;) {
            if (best_ != NoMatch && (current_.empty() || current_.front().start >= best_)) break;
            if (current_.empty()) {
                if (whole_) break;
                i = NextCandidate(i + 1);  // the start at i led nowhere
                if (i > length_) break;
                Enter(i);
                Closure(current_, start, i);
                continue;
            }
            if (i == length_) break;
            const Unit unit = static_cast<Unit>(text_[i]);
            Enter(++i);
            next_.clear();
            for (const Thread& thread : current_)
                if (thread.start < best_ && a_.Consumes(nodes_[static_cast<size_t>(thread.state)], unit))
                    Closure(next_, nodes_[static_cast<size_t>(thread.state)].next, thread.start);
            if (!whole_ && best_ == NoMatch) Closure(next_, start, i);
            current_.swap(next_);
        }
        return best_ == NoMatch ? -1 : best_;
    }

  private:
    static constexpr int32_t NoMatch = INT32_MAX;
    struct Thread {
        int32_t state;
        int32_t start;
    };

    // The first position from `i` where a match may begin; beyond the end when there is none.
    int32_t NextCandidate(int32_t i) const {
        if (a_.anyFirstUnit_ || i > length_) return i;
        i = a_.NextCandidate(text_, i, length_);
        return i < length_ ? i : length_ + 1;
    }

    // Moves to the boundary before unit `at`.
    void Enter(int32_t at) {
        ++generation_;
        at_ = at;
        boundary_ = {at == 0, at == length_, false, false};
        if (a_.usesWordBoundary_) {
            boundary_.wordBefore = at > 0 && a_.IsWord(static_cast<Unit>(text_[at - 1]));
            boundary_.wordAfter = at < length_ && a_.IsWord(static_cast<Unit>(text_[at]));
        }
    }

    // Adds the states that `state` reaches without consuming, at the current boundary.
    void Closure(std::vector<Thread>& list, int32_t state, int32_t start) {
        stack_.push_back(state);
        Walk(
            a_.forward_, boundary_, stack_, mark_, generation_,
            [&](int32_t s) {
                list.push_back({s, start});
            },
            [&] {
                if (!whole_ || at_ == length_) best_ = std::min(best_, start);
            });
    }

    const PatternAutomaton& a_;
    const std::vector<Node>& nodes_;
    const Char* text_;
    int32_t length_;
    bool whole_ = false;
    int32_t best_ = NoMatch;
    int32_t at_ = 0;
    Boundary boundary_{};
    uint32_t generation_ = 0;
    std::vector<uint32_t> mark_;  // the generation of the boundary where each state was last reached
    std::vector<Thread> current_;
    std::vector<Thread> next_;
    std::vector<int32_t> stack_;
};

// A deterministic automaton over a graph, built as the text asks for its states: each state is the set of
// graph states a boundary holds before the assertions there are tested (its kernel), with what those
// assertions need to know of the unit before; its transition on a unit tests them, with the unit after, and
// steps over the unit. A transition also tells whether the graph's match state was reached at the boundary
// before its unit. States live in a cache of at most CacheBytes; when it is full it is emptied, and after
// MaxFlushes the automaton gives up and the simulation answers instead, so that neither memory nor time
// depends on anything but the pattern and the length of the text.
template <class Char>
class PatternAutomaton<Char>::Dfa {
  public:
    // On a first search, texts shorter than this are answered by the simulation, which builds nothing.
    static constexpr int64_t Worthwhile = 256;
    static constexpr size_t CacheBytes = size_t{1} << 20;
    static constexpr int MaxFlushes = 16;

    Dfa(const PatternAutomaton& automaton, const Graph& graph)
        : a_(automaton), graph_(graph), mark_(graph.nodes.size(), 0) {}

    // Readies the automaton, and the states it kept from earlier searches, for a text of `length` units.
    void Begin(int32_t length) {
        length_ = length;
        flushes_ = 0;
    }

    // The leftmost start of a match, or nothing where an automaton gave up. The forward automaton finds
    // where the earliest match ends (e): no match begins after e. Then, from e on, without new starts, the
    // last end of a match that began up to e (f): a match of the leftmost start ends no later. The reverse
    // automaton reads from f back to the beginning and reports every start of a match that ends up to f;
    // the last it reports is the leftmost.
    static std::optional<int32_t> FindLeftmost(Dfa& forward, Dfa& reverse, const Char* text,
                                               const Char* end) {
        const auto length = static_cast<int32_t>(end - text);
        forward.Begin(length);
        reverse.Begin(length);
        const Scanned earliest = forward.Scan(forward.Initial({}, true, false, true), text, 0, length, true);
        if (!earliest.complete) return std::nullopt;
        if (earliest.last < 0) return -1;
        const int32_t e = earliest.last;
        const Scanned latest = forward.Scan(forward.WithoutNewStarts(earliest.state), text, e, length, false);
        if (!latest.complete) return std::nullopt;
        const int32_t f = std::max(e, latest.last);
        // Every match of the leftmost start ends between e and f: reading back, matches may end (the reverse
        // graph start) at each boundary from f down to e, and not below.
        const bool wordAfter =
            f < length && forward.a_.usesWordBoundary_ && forward.a_.IsWord(static_cast<Unit>(text[f]));
        const Scanned ends =
            reverse.Scan(reverse.Initial({}, f == length, wordAfter, true), text, f, e, false);
        if (!ends.complete) return std::nullopt;
        const Scanned starts = reverse.Scan(reverse.WithoutNewStarts(ends.state), text, e, 0, false);
        if (!starts.complete) return std::nullopt;
        return starts.last >= 0 ? starts.last : ends.last;
    }

    // Whether the whole text matches, or nothing where the automaton gave up.
    std::optional<bool> MatchesWhole(const Char* text, const Char* end) {
        const auto length = static_cast<int32_t>(end - text);
        Begin(length);
        const Scanned scanned = Scan(Initial({graph_.start}, true, false, false), text, 0, length, false);
        if (!scanned.complete) return std::nullopt;
        return scanned.last == length;
    }

  private:
    static constexpr uint32_t Unknown = UINT32_MAX;
    static constexpr uint32_t MatchBefore = uint32_t{1} << 31;
    struct State {
        std::vector<int32_t> kernel;  // sorted
        bool edge;                    // the boundary is where the text (or, reading back, its end) is
        bool lastWord;                // the unit read last is a word character
        bool addStarts;               // every boundary also holds the graph's start
        bool dead;                    // no kernel and no starts: nothing can match from here
        bool idle;                    // no kernel, only starts
        int8_t endMatch = -1;         // whether the match state is reached where the text ends; -1 unknown
        std::array<uint32_t, 256> next;
    };
    struct KeyHash {
        size_t operator()(const std::vector<int32_t>& key) const noexcept {
            uint64_t hash = 1469598103934665603u;
            for (const int32_t v : key) hash = (hash ^ static_cast<uint32_t>(v)) * 1099511628211u;
            return static_cast<size_t>(hash);
        }
    };
    struct Scanned {
        bool complete = true;
        int32_t last = -1;  // the last boundary where a match was reached, -1 for none
        int32_t state = 0;  // the state at that boundary, when the scan stopped there
    };

    // Reads units from boundary `at` towards `limit` (backwards when limit is below), noting each boundary
    // where the match state is reached; with `stopAtFirst`, stops at the first. Where the limit is an end
    // of the text, the match state may also be reached there. The scan stops where no way on is left.
    Scanned Scan(int32_t state, const Char* text, int32_t at, int32_t limit, bool stopAtFirst) {
        if (state < 0) return {false};
        return graph_.backwards ? Scan<-1>(state, text, at, limit, stopAtFirst)
                                : Scan<1>(state, text, at, limit, stopAtFirst);
    }
    template <int Step>
    Scanned Scan(int32_t state, const Char* text, int32_t at, int32_t limit, bool stopAtFirst) {
        const bool textEnds = Step > 0 ? limit == length_ : limit == 0;
        Scanned scanned;
        const State* current = states_[static_cast<size_t>(state)].get();
        bool skipping = !a_.anyFirstUnit_;
        int64_t skips = 0, skipped = 0;
        while (at != limit) {
            if (Step > 0 && current->idle && skipping) {
                // Only starts are alive: no match begins before the next unit a match may begin with. Where
                // that is one unit and it comes every few units, stepping on is cheaper than calling memchr.
                const int32_t candidate = a_.NextCandidate(text, at, limit);
                skipped += candidate - at;
                if (++skips == 64 && a_.singleFirstUnit_ >= 0) skipping = skipped >= 64 * 16;
                if (candidate != at) {
                    at = candidate;
                    if (at == limit) break;
                    const bool word = a_.usesWordBoundary_ && a_.IsWord(static_cast<Unit>(text[at - 1]));
                    int32_t& idle = idle_[word];
                    if (idle < 0) {
                        int32_t none = -1;
                        idle = Find({}, false, word, true, none);
                        if (idle < 0) return {false};
                    }
                    state = idle;
                    current = states_[static_cast<size_t>(state)].get();
                }
            }
            const Unit unit = static_cast<Unit>(text[Step > 0 ? at : at - 1]);
            const auto index = static_cast<std::make_unsigned_t<Unit>>(unit);
            uint32_t next = index < 256 ? current->next[index] : Unknown;
            if (next == Unknown) [[unlikely]] {
                next = Next(state, unit);
                if (next == Unknown) return {false};
            }
            if (next & MatchBefore) [[unlikely]] {
                scanned.last = at;
                if (stopAtFirst) {
                    scanned.state = state;
                    return scanned;
                }
            }
            state = static_cast<int32_t>(next & ~MatchBefore);
            current = states_[static_cast<size_t>(state)].get();
            at += Step;
            if (current->dead) [[unlikely]]
                return scanned;
        }
        if (textEnds && EndMatch(state)) scanned.last = limit;
        scanned.state = state;
        return scanned;
    }

    // The state that goes on from `state` at its boundary, the start there included, but adds no starts
    // after it.
    int32_t WithoutNewStarts(int32_t state) {
        const State& from = *states_[static_cast<size_t>(state)];
        std::vector<int32_t> kernel = from.kernel;
        kernel.push_back(graph_.start);
        return Initial(std::move(kernel), from.edge, from.lastWord, false);
    }

    int32_t Initial(std::vector<int32_t> kernel, bool edge, bool lastWord, bool addStarts) {
        std::sort(kernel.begin(), kernel.end());
        kernel.erase(std::unique(kernel.begin(), kernel.end()), kernel.end());
        int32_t none = -1;
        return Find(std::move(kernel), edge, lastWord && a_.usesWordBoundary_, addStarts, none);
    }

    // The state with this kernel and these flags, added when new. Adding to a full cache empties it first
    // and adds `current` (the state being left) again, updating its number. -1 once the automaton gave up.
    int32_t Find(std::vector<int32_t>&& kernel, bool edge, bool lastWord, bool addStarts, int32_t& current) {
        std::vector<int32_t> key = kernel;
        key.push_back(int32_t{edge} | int32_t{lastWord} << 1 | int32_t{addStarts} << 2);
        if (const auto found = index_.find(key); found != index_.end()) return found->second;
        const size_t bytes = sizeof(State) + 2 * key.size() * sizeof(int32_t) + 64;
        if (used_ + bytes > CacheBytes && !states_.empty()) {
            if (++flushes_ > MaxFlushes) return -1;
            std::unique_ptr<State> kept;
            if (current >= 0) kept = std::move(states_[static_cast<size_t>(current)]);
            states_.clear();
            index_.clear();
            idle_[0] = idle_[1] = -1;
            used_ = 0;
            if (kept) {
                kept->next.fill(Unknown);
                std::vector<int32_t> keptKernel = kept->kernel;
                int32_t unused = -1;
                current = Find(std::move(keptKernel), kept->edge, kept->lastWord, kept->addStarts, unused);
                states_[static_cast<size_t>(current)]->endMatch = kept->endMatch;
            }
            if (const auto found = index_.find(key); found != index_.end()) return found->second;
        }
        const bool dead = kernel.empty() && !addStarts;
        const bool idle = kernel.empty() && addStarts;
        auto state =
            std::make_unique<State>(State{std::move(kernel), edge, lastWord, addStarts, dead, idle, -1, {}});
        state->next.fill(Unknown);
        states_.push_back(std::move(state));
        used_ += bytes;
        const auto number = static_cast<int32_t>(states_.size()) - 1;
        index_.emplace(std::move(key), number);
        return number;
    }

    // The transition of `state` on `unit`: the next state, with MatchBefore where the match state was
    // reached at the boundary. Units from 256 up are worked out each time.
    [[gnu::noinline]] uint32_t Next(int32_t& state, Unit unit) {
        const auto index = static_cast<std::make_unsigned_t<Unit>>(unit);
        const State& from = *states_[static_cast<size_t>(state)];
        const bool word = a_.usesWordBoundary_ && a_.IsWord(unit);
        const bool matched = Closure(from, {from.edge, false, from.lastWord, word});
        std::vector<int32_t> kernel;
        for (const int32_t s : consuming_) {
            const Node& node = graph_.nodes[static_cast<size_t>(s)];
            if (a_.Consumes(node, unit)) kernel.push_back(node.next);
        }
        std::sort(kernel.begin(), kernel.end());
        kernel.erase(std::unique(kernel.begin(), kernel.end()), kernel.end());
        const int32_t target = Find(std::move(kernel), false, word, from.addStarts, state);
        if (target < 0) return Unknown;
        const uint32_t transition = static_cast<uint32_t>(target) | (matched ? MatchBefore : 0);
        if (index < 256) states_[static_cast<size_t>(state)]->next[index] = transition;
        return transition;
    }

    bool EndMatch(int32_t state) {
        State& s = *states_[static_cast<size_t>(state)];
        if (s.endMatch < 0) s.endMatch = Closure(s, {s.edge, true, s.lastWord, false}) ? 1 : 0;
        return s.endMatch == 1;
    }

    // Collects the consuming states the kernel reaches at a boundary; whether the match state is among them.
    bool Closure(const State& state, const Boundary& boundary) {
        consuming_.clear();
        bool matched = false;
        stack_.assign(state.kernel.begin(), state.kernel.end());
        if (state.addStarts) stack_.push_back(graph_.start);
        Walk(
            graph_, boundary, stack_, mark_, ++generation_, [&](int32_t s) { consuming_.push_back(s); },
            [&] { matched = true; });
        return matched;
    }

    const PatternAutomaton& a_;
    const Graph& graph_;
    int32_t length_ = 0;  // of the text
    std::vector<std::unique_ptr<State>> states_;
    std::unordered_map<std::vector<int32_t>, int32_t, KeyHash> index_;
    int32_t idle_[2] = {-1, -1};  // the states of starts alone within the text, after a unit that is no word
                                  // character and after one that is
    size_t used_ = 0;
    int flushes_ = 0;
    uint32_t generation_ = 0;
    std::vector<uint32_t> mark_;
    std::vector<int32_t> consuming_;
    std::vector<int32_t> stack_;
};
template <class Char>
std::unique_ptr<PatternAutomaton<Char>> PatternAutomaton<Char>::Build(const Char* pattern, int64_t units,
                                                                      Declined& declined) {
    std::unique_ptr<PatternAutomaton> automaton(new PatternAutomaton());
    automaton->kept_ = std::make_unique<KeptAutomata>();
    declined = units > MaxStates * int64_t{4} ? Declined::TooLarge
                                              : Builder(*automaton, pattern, pattern + units).Build();
    if (declined != Declined::No) return nullptr;
    if (automaton->usesWordBoundary_) {
        UnitSet word;
        const Unit w[1] = {Unit('w')};
        word.classes = automaton->traits_.lookup_classname(w, w + 1, false);
        word.Complete(automaton->traits_);
        automaton->sets_.push_back(std::move(word));
        automaton->wordSet_ = static_cast<int32_t>(automaton->sets_.size()) - 1;
    }
    automaton->FindFirstUnits();
    automaton->Reverse();
    return automaton;
}

// The units a match may begin with, from the states the start reaches without consuming, whatever the
// assertions on the way say; a match of the empty text may begin anywhere.
template <class Char>
void PatternAutomaton<Char>::FindFirstUnits() {
    firstUnits_.fill(false);
    highFirstUnits_ = false;
    anyFirstUnit_ = false;
    std::vector<bool> seen(forward_.nodes.size(), false);
    std::vector<int32_t> stack{forward_.start};
    while (!stack.empty()) {
        const auto s = static_cast<size_t>(stack.back());
        stack.pop_back();
        if (seen[s]) continue;
        seen[s] = true;
        const Node& node = forward_.nodes[s];
        if (node.kind == Kind::Match) {
            anyFirstUnit_ = true;
        } else if (node.kind == Kind::Unit) {
            if (node.argument < 256)
                firstUnits_[node.argument] = true;
            else
                highFirstUnits_ = true;
        } else if (node.kind == Kind::Set) {
            for (unsigned i = 0; i < 256; ++i)
                if (Consumes(node, static_cast<Unit>(i))) firstUnits_[i] = true;
            if constexpr (!std::is_same_v<Unit, char>) highFirstUnits_ = true;
        } else {
            if (node.kind == Kind::Split) stack.push_back(node.alternative);
            stack.push_back(node.next);
        }
    }
    if (!anyFirstUnit_ && !highFirstUnits_ && std::count(firstUnits_.begin(), firstUnits_.end(), true) == 1)
        singleFirstUnit_ =
            static_cast<int>(std::find(firstUnits_.begin(), firstUnits_.end(), true) - firstUnits_.begin());
}

// Every link of the pattern's graph turned around. Arriving at a state of the reverse graph stands for
// having arrived at that state of the pattern's; it leads on to each state that leads into it there, through
// a copy of that state's own test where it has one (a unit, a set or an assertion). The reverse graph is
// entered where the pattern's matches, and matches where the pattern's is entered.
template <class Char>
void PatternAutomaton<Char>::Reverse() {
    const std::vector<Node>& nodes = forward_.nodes;
    const auto count = static_cast<int32_t>(nodes.size());
    std::vector<std::vector<int32_t>> into(nodes.size());
    for (int32_t i = 0; i < count; ++i) {
        const Node& node = nodes[static_cast<size_t>(i)];
        if (node.next >= 0) into[static_cast<size_t>(node.next)].push_back(i);
        if (node.kind == Kind::Split && node.alternative >= 0)
            into[static_cast<size_t>(node.alternative)].push_back(i);
    }
    std::vector<Node>& reverse = reverse_.nodes;
    reverse.assign(nodes.size(), Node{Kind::Empty});
    const auto match = static_cast<int32_t>(reverse.size());
    reverse.push_back({Kind::Match});
    auto add = [&](Node node) {
        reverse.push_back(node);
        return static_cast<int32_t>(reverse.size()) - 1;
    };
    for (int32_t arrived = 0; arrived < count; ++arrived) {
        std::vector<int32_t> targets;
        if (arrived == forward_.start) targets.push_back(match);
        for (const int32_t from : into[static_cast<size_t>(arrived)]) {
            Node test = nodes[static_cast<size_t>(from)];
            test.next = from;
            test.alternative = -1;
            if (test.kind == Kind::Begin)
                test.kind = Kind::End;
            else if (test.kind == Kind::End)
                test.kind = Kind::Begin;
            targets.push_back(test.kind == Kind::Empty || test.kind == Kind::Split ? from : add(test));
        }
        // One way on is a plain link, several a chain of splits.
        int32_t entry = targets.empty() ? -1 : targets.back();
        for (size_t i = targets.size(); i-- > 1;) entry = add({Kind::Split, targets[i - 1], entry});
        reverse[static_cast<size_t>(arrived)] = {Kind::Empty, entry};
    }
    reverse_.backwards = true;
    reverse_.start = static_cast<int32_t>(
        std::find_if(nodes.begin(), nodes.end(), [](const Node& n) { return n.kind == Kind::Match; }) -
        nodes.begin());
}

template <class Char>
int32_t PatternAutomaton<Char>::NextCandidate(const Char* text, int32_t at, int32_t limit) const {
    if constexpr (std::is_same_v<Char, char>) {
        if (singleFirstUnit_ >= 0) {
            const void* found = std::memchr(text + at, singleFirstUnit_, static_cast<size_t>(limit - at));
            return found != nullptr ? static_cast<int32_t>(static_cast<const char*>(found) - text) : limit;
        }
    }
    for (; at < limit; ++at) {
        const auto unit = static_cast<std::make_unsigned_t<Unit>>(static_cast<Unit>(text[at]));
        if (unit < 256 ? firstUnits_[unit] : highFirstUnits_) return at;
    }
    return limit;
}

template <class Char>
PatternAutomaton<Char>::~PatternAutomaton() = default;

// The deterministic automata a pattern keeps between its searches, built on the first that needs them; a
// search that finds them in use by another thread builds its own.
template <class Char>
struct PatternAutomaton<Char>::KeptAutomata {
    std::mutex inUse;
    std::unique_ptr<Dfa> forward;
    std::unique_ptr<Dfa> reverse;
};

template <class Char>
template <class Answer>
auto PatternAutomaton<Char>::Deterministic(const Char* text, const Char* end, Engine engine,
                                           Answer answer) const
    -> decltype(answer(std::declval<Dfa&>(), std::declval<Dfa&>())) {
    const bool repeated = searches_.fetch_add(1, std::memory_order_relaxed) > 0;
    if (engine == Engine::Simulation ||
        (engine == Engine::Chosen && !repeated && end - text < Dfa::Worthwhile))
        return std::nullopt;
    std::unique_lock lock(kept_->inUse, std::try_to_lock);
    if (lock.owns_lock()) {
        if (!kept_->forward) {
            kept_->forward = std::make_unique<Dfa>(*this, forward_);
            kept_->reverse = std::make_unique<Dfa>(*this, reverse_);
        }
        return answer(*kept_->forward, *kept_->reverse);
    }
    Dfa forward(*this, forward_), reverse(*this, reverse_);
    return answer(forward, reverse);
}

template <class Char>
int32_t PatternAutomaton<Char>::Find(const Char* text, const Char* end, Engine engine) const {
    const std::optional<int32_t> found = Deterministic(text, end, engine, [&](Dfa& forward, Dfa& reverse) {
        return Dfa::FindLeftmost(forward, reverse, text, end);
    });
    return found ? *found : Run(*this, text, end).Search(false);
}

template <class Char>
bool PatternAutomaton<Char>::Matches(const Char* text, const Char* end, Engine engine) const {
    const std::optional<bool> matches =
        Deterministic(text, end, engine, [&](Dfa& forward, Dfa&) { return forward.MatchesWhole(text, end); });
    return matches ? *matches : Run(*this, text, end).Search(true) == 0;
}

template class PatternAutomaton<char>;
template class PatternAutomaton<char16_t>;

}  // namespace kt::regex_detail
