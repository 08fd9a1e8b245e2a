// Random range sets checked against a plain bitset over the whole code space: after every operation the
// set must keep its form (sorted, disjoint, not touching, within 0..0x10FFFF) and hold the same code points
// as the bitset that went through the same operations.
#include "text/unicode/case_fold.h"
#include "text/unicode/range_set.h"

#include "tests/unicode/range_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace kt::test {
namespace {

constexpr uint32_t Max = RangeSet::MaxCodePoint;

class Bits {
  public:
    Bits() : words_((Max + 1) / 64) {}
    explicit Bits(const RangeSet& set) : Bits() {
        for (const CodePointRange& range : set.Ranges()) SetRange(range.first, range.last);
    }

    void SetRange(uint32_t first, uint32_t last) {
        for (uint32_t c = first; c <= last;) {
            if (c % 64 == 0 && last - c >= 63) {
                words_[c / 64] = ~uint64_t{0};
                c += 64;
            } else {
                Set(c++);
            }
        }
    }
    void Set(uint32_t c) { words_[c / 64] |= uint64_t{1} << (c % 64); }
    bool Test(uint32_t c) const { return (words_[c / 64] >> (c % 64)) & 1; }
    void Flip() {
        for (auto& word : words_) word = ~word;
    }
    void Remove(const Bits& other) {
        for (size_t i = 0; i < words_.size(); ++i) words_[i] &= ~other.words_[i];
    }
    // The smallest code point in both, or NoCodePoint.
    uint32_t FirstCommon(const Bits& other) const {
        for (size_t i = 0; i < words_.size(); ++i) {
            if (const uint64_t both = words_[i] & other.words_[i]) {
                return static_cast<uint32_t>(i * 64 + std::countr_zero(both));
            }
        }
        return RangeSet::NoCodePoint;
    }
    template <class Visit>
    void ForEach(Visit visit) const {
        for (size_t i = 0; i < words_.size(); ++i) {
            for (uint64_t word = words_[i]; word != 0; word &= word - 1) {
                visit(static_cast<uint32_t>(i * 64 + std::countr_zero(word)));
            }
        }
    }
    friend bool operator==(const Bits&, const Bits&) = default;

  private:
    std::vector<uint64_t> words_;
};

// The meaning of the case flag, one code point at a time.
void AddCaseVariants(Bits& bits, uint32_t c) {
    if (const CaseFoldRow* row = FindCaseRow(c)) {
        for (uint32_t variant : {row->upper, row->lower, row->extra1, row->extra2}) {
            if (variant != 0) bits.Set(variant);
        }
    }
}

class RandomRanges {
  public:
    explicit RandomRanges(uint32_t seed) : engine_(seed) {}

    uint32_t Below(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine_); }

    // Mostly short ranges near the bottom (where the cased letters are) or the top of the code space, now
    // and then a wide one anywhere; sometimes reversed.
    CodePointRange Next(uint32_t maxWidth) {
        uint32_t first;
        switch (Below(4)) {
            case 0:
                first = Below(0x600);
                break;
            case 1:
                first = Max - Below(0x600);
                break;
            case 2:
                first = 0x1E00 + Below(0x400);
                break;
            default:
                first = Below(Max + 1);
                break;
        }
        uint32_t width = Below(8) == 0 ? Below(maxWidth) : Below(40);
        uint32_t last = first + width > Max ? Max : first + width;
        if (Below(20) == 0) std::swap(first, last);
        return {first, last};
    }

  private:
    std::mt19937 engine_;
};

void Expect(const RangeSet& set, const Bits& model, const char* step, int trial) {
    ASSERT_TRUE(HasSetForm(set)) << step << " in trial " << trial;
    ASSERT_TRUE(Bits(set) == model) << step << " in trial " << trial;
}

TEST(RangeSetProperty, AgreesWithABitsetModel) {
    for (int trial = 0; trial < 150; ++trial) {
        RandomRanges random(static_cast<uint32_t>(trial) * 7919u + 1u);
        RangeSet a, b;
        Bits modelA, modelB;
        for (uint32_t i = 0, n = random.Below(12); i < n; ++i) {
            const CodePointRange range = random.Next(0x30000);
            a.Insert(range);
            if (range.first <= range.last) modelA.SetRange(range.first, range.last);
        }
        for (uint32_t i = 0, n = random.Below(12); i < n; ++i) {
            const CodePointRange range = random.Next(0x30000);
            b.Insert(range);
            if (range.first <= range.last) modelB.SetRange(range.first, range.last);
        }
        Expect(a, modelA, "building a", trial);
        Expect(b, modelB, "building b", trial);

        for (int step = 0; step < 10; ++step) {
            switch (random.Below(7)) {
                case 0: {
                    const CodePointRange range = random.Next(0x30000);
                    a.Insert(range);
                    if (range.first <= range.last) modelA.SetRange(range.first, range.last);
                    Expect(a, modelA, "Insert", trial);
                    break;
                }
                case 1: {
                    const CodePointRange range = random.Next(600);
                    a.Insert(range, true);
                    for (uint32_t c = range.first; c <= range.last; ++c) {
                        modelA.Set(c);
                        AddCaseVariants(modelA, c);
                    }
                    Expect(a, modelA, "case-insensitive Insert", trial);
                    break;
                }
                case 2: {
                    const bool caseInsensitive = CodePointCount(b) < 5000 && random.Below(2) == 0;
                    a.InsertAll(b, caseInsensitive);
                    modelB.ForEach([&](uint32_t c) {
                        modelA.Set(c);
                        if (caseInsensitive) AddCaseVariants(modelA, c);
                    });
                    Expect(a, modelA, "InsertAll", trial);
                    break;
                }
                case 3:
                    a.Complement();
                    modelA.Flip();
                    Expect(a, modelA, "Complement", trial);
                    break;
                case 4:
                    a.Subtract(b);
                    modelA.Remove(modelB);
                    Expect(a, modelA, "Subtract", trial);
                    break;
                case 5:
                    b.Complement();
                    modelB.Flip();
                    Expect(b, modelB, "Complement of b", trial);
                    break;
                default:
                    b.Subtract(a);
                    modelB.Remove(modelA);
                    Expect(b, modelB, "Subtract from b", trial);
                    break;
            }

            const uint32_t first = modelA.FirstCommon(modelB);
            ASSERT_EQ(a.FirstCommon(b), first) << "trial " << trial;
            ASSERT_EQ(b.FirstCommon(a), first) << "trial " << trial;
            const uint32_t n = random.Below(0xFFFFFFFFu);
            const uint32_t picked = a.PickCommon(b, n);
            if (first == RangeSet::NoCodePoint) {
                ASSERT_EQ(picked, RangeSet::NoCodePoint);
            } else {
                // Within the run of shared code points that starts at the first one.
                ASSERT_GE(picked, first) << "trial " << trial;
                for (uint32_t c = first; c <= picked; ++c) {
                    ASSERT_TRUE(modelA.Test(c) && modelB.Test(c)) << "trial " << trial << " n " << n;
                }
            }
            for (int probe = 0; probe < 20; ++probe) {
                const uint32_t c = random.Next(1).first;
                ASSERT_EQ(a.Contains(c), modelA.Test(c)) << "trial " << trial << " code point " << c;
            }
        }
    }
}

TEST(RangeSetProperty, AssignTableOfASetRoundTrips) {
    RandomRanges random(42);
    for (int trial = 0; trial < 50; ++trial) {
        RangeSet source;
        for (uint32_t i = 0, n = random.Below(30); i < n; ++i) source.Insert(random.Next(0x30000));
        const Ranges ranges = RangesOf(source);
        RangeSet copy;
        copy.Reserve(ranges.size());
        copy.AssignTable(ranges.data(), ranges.size());
        EXPECT_EQ(copy, source);
    }
}

}  // namespace
}  // namespace kt::test
