// Membership tests on the Unicode category and block sets, RangeSet against ICU's UnicodeSet (as built,
// and frozen), and the cost of building the block table.
#include "text/unicode/unicode_blocks.h"
#include "text/unicode/unicode_char_classes.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#ifdef KT_HAVE_ICU
#include <unicode/uniset.h>
#endif

namespace {

// Every allocation through the global operator new is counted (ICU allocates with malloc, so its
// allocations are not).
std::atomic<size_t> allocationCount{0};

void* CountedAllocate(size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
    return CountedAllocate(size);
}
void* operator new[](size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
    std::free(block);
}

namespace {

using kt::RangeSet;

// Code points as text meets them: mostly the Basic Multilingual Plane, some supplementary ones.
const std::vector<uint32_t>& Probes() {
    static const std::vector<uint32_t> probes = [] {
        std::mt19937 engine(2011);
        std::uniform_int_distribution<uint32_t> bmp(0, 0xFFFF);
        std::uniform_int_distribution<uint32_t> any(0x10000, RangeSet::MaxCodePoint);
        std::vector<uint32_t> result(4096);
        for (size_t i = 0; i < result.size(); ++i) result[i] = i % 10 == 9 ? any(engine) : bmp(engine);
        return result;
    }();
    return probes;
}

const kt::UnicodeCharClasses& Classes() {
    static const kt::UnicodeCharClasses classes;
    return classes;
}

// The two groups of sets compared: the 37 category sets and the 213 block sets.
std::vector<const RangeSet*> SetGroup(int group) {
    std::vector<const RangeSet*> sets;
    if (group == 0) {
        for (size_t i = 0; i < kt::UnicodeCategoryCount; ++i) sets.push_back(&Classes().Category(i));
    } else {
        kt::BuildUnicodeBlockTable();
        for (const kt::UnicodeBlock& block : kt::UnicodeBlockTable()) sets.push_back(&block.ranges);
    }
    return sets;
}

const char* GroupName(int group) {
    return group == 0 ? "categories" : "blocks";
}

void BM_RangeSetContains(benchmark::State& state) {
    const auto sets = SetGroup(static_cast<int>(state.range(0)));
    const auto& probes = Probes();
    for (auto _ : state) {
        size_t hits = 0;
        for (const RangeSet* set : sets) {
            for (uint32_t c : probes) hits += set->Contains(c);
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * sets.size() * probes.size()));
    state.SetLabel(GroupName(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_RangeSetContains)->Arg(0)->Arg(1);

#ifdef KT_HAVE_ICU
std::vector<icu::UnicodeSet> IcuSets(int group, bool frozen) {
    std::vector<icu::UnicodeSet> result;
    for (const RangeSet* set : SetGroup(group)) {
        icu::UnicodeSet& icuSet = result.emplace_back();
        for (const kt::CodePointRange& range : set->Ranges()) {
            icuSet.add(static_cast<UChar32>(range.first), static_cast<UChar32>(range.last));
        }
        if (frozen) icuSet.freeze();
    }
    return result;
}

void IcuContains(benchmark::State& state, bool frozen) {
    const auto sets = IcuSets(static_cast<int>(state.range(0)), frozen);
    const auto& probes = Probes();
    for (auto _ : state) {
        size_t hits = 0;
        for (const icu::UnicodeSet& set : sets) {
            for (uint32_t c : probes) hits += set.contains(static_cast<UChar32>(c));
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * sets.size() * probes.size()));
    state.SetLabel(GroupName(static_cast<int>(state.range(0))));
}

void BM_IcuUnicodeSetContains(benchmark::State& state) {
    IcuContains(state, false);
}
void BM_IcuFrozenUnicodeSetContains(benchmark::State& state) {
    IcuContains(state, true);
}
BENCHMARK(BM_IcuUnicodeSetContains)->Arg(0)->Arg(1);
BENCHMARK(BM_IcuFrozenUnicodeSetContains)->Arg(0)->Arg(1);
#endif

void BM_BuildUnicodeBlockTable(benchmark::State& state) {
    kt::ReleaseUnicodeBlockTable();
    size_t allocations = 0;
    for (auto _ : state) {
        const size_t before = allocationCount.load(std::memory_order_relaxed);
        kt::BuildUnicodeBlockTable();
        allocations = allocationCount.load(std::memory_order_relaxed) - before;
        state.PauseTiming();
        kt::ReleaseUnicodeBlockTable();
        state.ResumeTiming();
    }
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK(BM_BuildUnicodeBlockTable);

void BM_BuildAndReleaseUnicodeBlockTable(benchmark::State& state) {
    kt::ReleaseUnicodeBlockTable();
    for (auto _ : state) {
        kt::BuildUnicodeBlockTable();
        kt::ReleaseUnicodeBlockTable();
    }
}
BENCHMARK(BM_BuildAndReleaseUnicodeBlockTable);

#ifdef KT_HAVE_ICU
// The same 213 sets built as ICU UnicodeSets from the same ranges, for comparison.
void BM_BuildIcuBlockSets(benchmark::State& state) {
    kt::BuildUnicodeBlockTable();
    std::vector<std::vector<kt::CodePointRange>> blocks;
    for (const kt::UnicodeBlock& block : kt::UnicodeBlockTable()) {
        blocks.emplace_back(block.ranges.Ranges().begin(), block.ranges.Ranges().end());
    }
    for (auto _ : state) {
        std::vector<icu::UnicodeSet> sets(blocks.size());
        for (size_t i = 0; i < blocks.size(); ++i) {
            for (const kt::CodePointRange& range : blocks[i]) {
                sets[i].add(static_cast<UChar32>(range.first), static_cast<UChar32>(range.last));
            }
        }
        benchmark::DoNotOptimize(sets.data());
    }
}
BENCHMARK(BM_BuildIcuBlockSets);
#endif

void BM_BuildUnicodeCharClasses(benchmark::State& state) {
    size_t allocations = 0;
    for (auto _ : state) {
        const size_t before = allocationCount.load(std::memory_order_relaxed);
        kt::UnicodeCharClasses classes;
        allocations = allocationCount.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(&classes);
    }
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK(BM_BuildUnicodeCharClasses);

}  // namespace

BENCHMARK_MAIN();
