// Helpers shared by the range-set tests.
#pragma once

#include "text/unicode/range_set.h"

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace kt {

// Lets GoogleTest print ranges as [first, last] in hexadecimal.
inline void PrintTo(const CodePointRange& range, std::ostream* out) {
    *out << std::hex << std::uppercase << '[' << range.first << ',' << range.last << ']' << std::dec;
}

}  // namespace kt

namespace kt::test {

using Ranges = std::vector<CodePointRange>;

inline Ranges RangesOf(const RangeSet& set) {
    return {set.Ranges().begin(), set.Ranges().end()};
}

// A set built by inserting the given ranges in order, without the case flag.
inline RangeSet SetOf(std::initializer_list<CodePointRange> ranges) {
    RangeSet set;
    for (const CodePointRange& range : ranges) set.Insert(range);
    return set;
}

inline uint64_t CodePointCount(const RangeSet& set) {
    uint64_t count = 0;
    for (const CodePointRange& range : set.Ranges()) count += range.last - range.first + 1;
    return count;
}

// Sorted, disjoint, not touching, first <= last, all within 0..0x10FFFF.
inline bool HasSetForm(const RangeSet& set) {
    const auto ranges = set.Ranges();
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].first > ranges[i].last || ranges[i].last > RangeSet::MaxCodePoint) return false;
        if (i > 0 && ranges[i - 1].last + 1 >= ranges[i].first) return false;
    }
    return true;
}

}  // namespace kt::test
