#include "text/regex/automaton.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <locale>
#include <optional>
#include <string>

namespace kt::regex_detail {

template <class Char>
void PatternAutomaton<Char>::UnitSet::Complete(const Traits& traits) {
    std::sort(units.begin(), units.end());
    for (unsigned i = 0; i < 256; ++i)
        if (Evaluate(static_cast<Unit>(i), traits)) low_[i / 64] |= uint64_t{1} << (i % 64);
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
        a_.start_ = whole.first;
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
        if (static_cast<int32_t>(a_.nodes_.size()) >= MaxStates) {
            tooLarge_ = true;
            return -1;
        }
        a_.nodes_.push_back(node);
        return static_cast<int32_t>(a_.nodes_.size()) - 1;
    }
    void Patch(const Fragment& fragment, int32_t next) {
        if (fragment.last >= 0) a_.nodes_[fragment.last].next = next;
    }
    Fragment Single(Node node) {
        const int32_t owned = static_cast<int32_t>(a_.nodes_.size());
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
            if (i + 1 < level.alternatives.size()) entry = Add({Kind::Split, level.alternatives[i].first, entry});
        }
        return {entry, join, level.owned};
    }

    // A copy of a fragment at the end of the list, its inner links moved along.
    Fragment Copy(const Fragment& fragment, int32_t ownedEnd) {
        const int32_t offset = static_cast<int32_t>(a_.nodes_.size()) - fragment.owned;
        for (int32_t i = fragment.owned; i < ownedEnd; ++i) {
            Node node = a_.nodes_[i];
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
        const int32_t ownedEnd = static_cast<int32_t>(a_.nodes_.size());
        const int64_t copies = most < 0 ? std::max<int64_t>(least, 1) : most;
        const int64_t size = ownedEnd - body.owned;
        if (copies > 0 && (size + 2) > (MaxStates - ownedEnd) / copies) return Declined::TooLarge;
        if (copies == 0) {
            a_.nodes_.resize(static_cast<size_t>(body.owned));
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
                    if (!AtEnd() && ctype_.is(std::ctype_base::digit, static_cast<Unit>(*p_)) && !ReadCount(most))
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
        return Single({Kind::Unit, -1, -1, static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(unit))});
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
                levels_.push_back(Level{{}, {}, {}, static_cast<int32_t>(a_.nodes_.size())});
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
                if constexpr (!std::is_same_v<Unit, char>) any.units.insert(any.units.end(), {Unit(0x2028), Unit(0x2029)});
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
                    return ctype_.is(std::ctype_base::digit, escaped) ? Declined::BackReference : Declined::Unexpected;
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
                if (AtEnd() || !ctype_.is(std::ctype_base::xdigit, static_cast<Unit>(*p_))) return std::nullopt;
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
                return mark == '.' ? Token::CollatingName : mark == ':' ? Token::ClassName : Token::EquivalenceName;
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
                    const auto mask = a_.traits_.lookup_classname(name.data(), name.data() + name.size(), false);
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
                    if (next == Token::Dash) end = Unit('-');
                    else if (next != Token::Unit) return Declined::Unexpected;
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

// The automaton run over a text: the set of states reached at each position, each with the earliest start
// of a match that could lead there (Thompson's simulation, one pass, no backtracking). A state reached
// twice at one position keeps the earlier start, since both go on alike. The first match that completes
// fixes an upper bound on the answer; the run goes on only while states with an earlier start live.
template <class Char>
class PatternAutomaton<Char>::Run {
  public:
    Run(const PatternAutomaton& automaton, const Char* text, const Char* end)
        : a_(automaton),
          text_(text),
          length_(static_cast<int32_t>(end - text)),
          mark_(automaton.nodes_.size(), 0) {
        current_.reserve(automaton.nodes_.size());
        next_.reserve(automaton.nodes_.size());
    }

    // The leftmost start of a match (wholeText: 0 for a match of the whole text), or -1.
    int32_t Search(bool wholeText) {
        whole_ = wholeText;
        Enter(0);
        Closure(current_, a_.start_, 0);
        for (int32_t i = 0;;) {
            if (best_ != NoMatch && (current_.empty() || current_.front().start >= best_)) break;
            if (current_.empty()) {
                if (whole_) break;
                i = NextCandidate(i + 1);  // the start at i led nowhere
                if (i > length_) break;
                Enter(i);
                Closure(current_, a_.start_, i);
                continue;
            }
            if (i == length_) break;
            const Unit unit = static_cast<Unit>(text_[i]);
            Enter(++i);
            next_.clear();
            for (const Thread& thread : current_)
                if (thread.start < best_ && Consumes(a_.nodes_[thread.state], unit))
                    Closure(next_, a_.nodes_[thread.state].next, thread.start);
            if (!whole_ && best_ == NoMatch) Closure(next_, a_.start_, i);
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
        for (; i < length_; ++i) {
            const auto unit = static_cast<std::make_unsigned_t<Unit>>(static_cast<Unit>(text_[i]));
            if (unit < 256 ? a_.firstUnits_[unit] : a_.highFirstUnits_) return i;
        }
        return length_ + 1;
    }

    bool IsWord(int32_t at) const {
        return a_.sets_[static_cast<size_t>(a_.wordSet_)].Contains(static_cast<Unit>(text_[at]), a_.traits_);
    }
    // Moves to the boundary before unit `at`: what the assertions there see.
    void Enter(int32_t at) {
        ++generation_;
        at_ = at;
        if (a_.usesWordBoundary_) {
            wordBefore_ = at > 0 && IsWord(at - 1);
            wordAfter_ = at < length_ && IsWord(at);
        }
    }
    bool Consumes(const Node& node, Unit unit) const {
        if (node.kind == Kind::Unit)
            return static_cast<std::make_unsigned_t<Unit>>(unit) == node.argument;
        return a_.sets_[node.argument].Contains(unit, a_.traits_);
    }

    // Adds the states that `state` reaches without consuming, at the current boundary.
    void Closure(std::vector<Thread>& list, int32_t state, int32_t start) {
        stack_.push_back(state);
        while (!stack_.empty()) {
            const int32_t s = stack_.back();
            stack_.pop_back();
            if (mark_[static_cast<size_t>(s)] == generation_) continue;
            mark_[static_cast<size_t>(s)] = generation_;
            const Node& node = a_.nodes_[static_cast<size_t>(s)];
            bool holds = true;
            switch (node.kind) {
                case Kind::Unit:
                case Kind::Set:
                    list.push_back({s, start});
                    continue;
                case Kind::Split:
                    stack_.push_back(node.alternative);
                    break;
                case Kind::Match:
                    if (!whole_ || at_ == length_) best_ = std::min(best_, start);
                    continue;
                case Kind::Begin:
                    holds = at_ == 0;
                    break;
                case Kind::End:
                    holds = at_ == length_;
                    break;
                case Kind::WordBoundary:
                    holds = wordBefore_ != wordAfter_;
                    break;
                case Kind::NotWordBoundary:
                    holds = wordBefore_ == wordAfter_;
                    break;
                case Kind::Empty:
                    break;
            }
            if (holds) stack_.push_back(node.next);
        }
    }

    const PatternAutomaton& a_;
    const Char* text_;
    int32_t length_;
    bool whole_ = false;
    int32_t best_ = NoMatch;
    int32_t at_ = 0;
    bool wordBefore_ = false;
    bool wordAfter_ = false;
    uint32_t generation_ = 0;
    std::vector<uint32_t> mark_;  // the generation of the boundary where each state was last reached
    std::vector<Thread> current_;
    std::vector<Thread> next_;
    std::vector<int32_t> stack_;
};

template <class Char>
std::unique_ptr<PatternAutomaton<Char>> PatternAutomaton<Char>::Build(const Char* pattern, int64_t units,
                                                                      Declined& declined) {
    std::unique_ptr<PatternAutomaton> automaton(new PatternAutomaton());
    declined = units > MaxStates * int64_t{4} ? Declined::TooLarge
                                               : Builder(*automaton, pattern, pattern + units).Build();
    if (declined != Declined::No) return nullptr;

    UnitSet word;
    const Unit w[1] = {Unit('w')};
    word.classes = automaton->traits_.lookup_classname(w, w + 1, false);
    word.Complete(automaton->traits_);
    automaton->sets_.push_back(std::move(word));
    automaton->wordSet_ = static_cast<int32_t>(automaton->sets_.size()) - 1;

    // The units a match may begin with, from the states the start reaches without consuming, whatever
    // the assertions on the way say; a match of the empty text may begin anywhere.
    automaton->firstUnits_.fill(false);
    automaton->highFirstUnits_ = false;
    automaton->anyFirstUnit_ = false;
    std::vector<bool> seen(automaton->nodes_.size(), false);
    std::vector<int32_t> stack{automaton->start_};
    while (!stack.empty()) {
        const auto s = static_cast<size_t>(stack.back());
        stack.pop_back();
        if (seen[s]) continue;
        seen[s] = true;
        const Node& node = automaton->nodes_[s];
        if (node.kind == Kind::Match) {
            automaton->anyFirstUnit_ = true;
        } else if (node.kind == Kind::Unit) {
            if (node.argument < 256)
                automaton->firstUnits_[node.argument] = true;
            else
                automaton->highFirstUnits_ = true;
        } else if (node.kind == Kind::Set) {
            const UnitSet& set = automaton->sets_[node.argument];
            for (unsigned i = 0; i < 256; ++i)
                if (set.Contains(static_cast<Unit>(i), automaton->traits_)) automaton->firstUnits_[i] = true;
            if constexpr (!std::is_same_v<Unit, char>) automaton->highFirstUnits_ = true;
        } else {
            if (node.kind == Kind::Split) stack.push_back(node.alternative);
            stack.push_back(node.next);
        }
    }
    return automaton;
}

template <class Char>
int32_t PatternAutomaton<Char>::Find(const Char* text, const Char* end) const {
    return Run(*this, text, end).Search(false);
}

template <class Char>
bool PatternAutomaton<Char>::Matches(const Char* text, const Char* end) const {
    return Run(*this, text, end).Search(true) == 0;
}

template class PatternAutomaton<char>;
template class PatternAutomaton<char16_t>;

}  // namespace kt::regex_detail
