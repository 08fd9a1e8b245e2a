// RangeSet against a bitset over 0..0x10FFFF: a fuzzed sequence of insertions and unions (plain and
// case-insensitive, the case variants taken one code point at a time from the case table), complements and
// subtractions on two sets, with the canonical form (sorted, disjoint, not touching) and exact agreement
// with the model checked after every step; FirstCommon / PickCommon checked against the model's
// intersection, and AssignTable of a set's own ranges giving the set back.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/unicode/case_fold.h"
#include "text/unicode/range_set.h"

namespace {

constexpr uint32_t CodePointLimit = kt::RangeSet::MaxCodePoint + 1;

// The model: one bit per code point, filled a word at a time so that large ranges stay cheap.
class Model {
  public:
    Model() : words_(WordCount) {}
    void Clear() { std::fill(words_.begin(), words_.end(), 0); }
    bool Test(uint32_t cp) const { return (words_[cp / 64] >> (cp % 64) & 1) != 0; }
    void SetRange(uint32_t first, uint32_t last) {
        for (uint32_t cp = first; cp <= last;) {
            if (cp % 64 == 0 && last - cp >= 63) {
                words_[cp / 64] = ~uint64_t{0};
                cp += 64;
            } else {
                Set(cp++);
            }
        }
    }
    void Set(uint32_t cp) { words_[cp / 64] |= uint64_t{1} << (cp % 64); }
    // The code point and the members of its case class, as the case flag means them.
    void SetWithCaseVariants(uint32_t cp) {
        Set(cp);
        if (const kt::CaseFoldRow* row = kt::FindCaseRow(cp))
            for (uint32_t variant : {row->upper, row->lower, row->extra1, row->extra2})
                if (variant != 0) Set(variant);
    }
    void Flip() {
        for (auto& word : words_) word = ~word;  // 0x110000 is a multiple of 64: no spare bits
    }
    void Add(const Model& other) {
        for (size_t i = 0; i < WordCount; ++i) words_[i] |= other.words_[i];
    }
    void Remove(const Model& other) {
        for (size_t i = 0; i < WordCount; ++i) words_[i] &= ~other.words_[i];
    }
    uint64_t Count() const {
        uint64_t count = 0;
        for (uint64_t word : words_) count += static_cast<uint64_t>(__builtin_popcountll(word));
        return count;
    }
    // The smallest code point in both, or NoCodePoint.
    uint32_t FirstCommon(const Model& other) const {
        for (size_t i = 0; i < WordCount; ++i)
            if (const uint64_t both = words_[i] & other.words_[i])
                return static_cast<uint32_t>(i * 64 + static_cast<size_t>(__builtin_ctzll(both)));
        return kt::RangeSet::NoCodePoint;
    }

  private:
    static constexpr size_t WordCount = CodePointLimit / 64;
    std::vector<uint64_t> words_;
};

// Code points clustered where the interesting boundaries are, now and then anywhere.
uint32_t CodePoint(kt::fuzz::Input& input) {
    switch (input.Byte() % 4) {
        case 0:
            return input.Byte();
        case 1:
            return 0x100 + input.Below(0x500);
        case 2:
            return input.U32() % CodePointLimit;
        default:
            return kt::RangeSet::MaxCodePoint - input.Byte();
    }
}

void CheckCanonical(const kt::RangeSet& set, const Model& model) {
    uint32_t covered = 0;
    const auto ranges = set.Ranges();
    for (size_t i = 0; i < ranges.size(); ++i) {
        KT_FUZZ_CHECK(ranges[i].first <= ranges[i].last && ranges[i].last <= kt::RangeSet::MaxCodePoint);
        if (i > 0) KT_FUZZ_CHECK(ranges[i - 1].last + 1 < ranges[i].first);
        covered += ranges[i].last - ranges[i].first + 1;
        // Each range lies in the model and is bounded by code points outside it.
        KT_FUZZ_CHECK(model.Test(ranges[i].first) && model.Test(ranges[i].last));
        if (ranges[i].first > 0) KT_FUZZ_CHECK(!model.Test(ranges[i].first - 1));
        if (ranges[i].last < kt::RangeSet::MaxCodePoint) KT_FUZZ_CHECK(!model.Test(ranges[i].last + 1));
    }
    KT_FUZZ_CHECK(covered == model.Count());  // so the ranges hold exactly the model's code points
    KT_FUZZ_CHECK(set.IsEmpty() == (covered == 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 512) return 0;
    kt::fuzz::Input input(data, size);
    kt::RangeSet sets[2];
    static Model models[2];  // kept between inputs: large blocks are slow to get under AddressSanitizer
    models[0].Clear();
    models[1].Clear();
    for (int step = 0; step < 24 && !input.Empty(); ++step) {
        const int which = input.Byte() & 1;
        kt::RangeSet& set = sets[which];
        Model& model = models[which];
        const kt::RangeSet& other = sets[1 - which];
        const Model& otherModel = models[1 - which];
        switch (input.Byte() % 8) {
            case 0:
            case 1:
            case 2: {
                const uint32_t first = CodePoint(input);
                const uint32_t last = input.Bool() ? first + input.Byte() : CodePoint(input);
                const uint32_t top = last > kt::RangeSet::MaxCodePoint ? kt::RangeSet::MaxCodePoint : last;
                set.InsertRange(first, top);
                if (first <= top) model.SetRange(first, top);
                break;
            }
            case 3: {
                // Inserted again, a case-insensitive range adds nothing.
                const uint32_t first = CodePoint(input);
                const uint32_t last = first + input.Byte() % 64;
                const uint32_t top = last > kt::RangeSet::MaxCodePoint ? kt::RangeSet::MaxCodePoint : last;
                set.InsertRange(first, top, true);
                const kt::RangeSet once = set;
                set.InsertRange(first, top, true);
                KT_FUZZ_CHECK(set == once);
                for (uint32_t cp = first; cp <= top; ++cp) model.SetWithCaseVariants(cp);
                break;
            }
            case 4: {
                const bool caseInsensitive = input.Bool() && otherModel.Count() < 5000;
                set.InsertAll(other, caseInsensitive);
                model.Add(otherModel);
                if (caseInsensitive)
                    for (const auto& range : other.Ranges())
                        for (uint32_t cp = range.first; cp <= range.last; ++cp) model.SetWithCaseVariants(cp);
                break;
            }
            case 5:
                set.Complement();
                model.Flip();
                break;
            case 6:
                set.Subtract(other);
                model.Remove(otherModel);
                break;
            default: {
                const uint32_t expected = model.FirstCommon(otherModel);
                const uint32_t first = set.FirstCommon(other);
                const uint32_t pick = set.PickCommon(other, input.U32());
                KT_FUZZ_CHECK(first == expected);
                if (expected == kt::RangeSet::NoCodePoint)
                    KT_FUZZ_CHECK(pick == kt::RangeSet::NoCodePoint);
                else  // within the run of shared code points that starts at the first one
                    KT_FUZZ_CHECK(pick >= expected && pick < CodePointLimit);
                for (uint32_t cp = expected; cp <= pick && pick != kt::RangeSet::NoCodePoint; ++cp)
                    KT_FUZZ_CHECK(model.Test(cp) && otherModel.Test(cp));
                KT_FUZZ_CHECK(other.FirstCommon(set) == first);
                kt::RangeSet copy;
                copy.Reserve(set.Ranges().size());
                copy.AssignTable(set.Ranges().data(), set.Ranges().size());
                KT_FUZZ_CHECK(copy == set);
                break;
            }
        }
        CheckCanonical(set, model);
        for (int probe = 0; probe < 4; ++probe) {
            const uint32_t cp = CodePoint(input);
            KT_FUZZ_CHECK(set.Contains(cp) == (cp < CodePointLimit && model.Test(cp)));
        }
    }
    return 0;
}
