// The Unicode block table: every block name the library knows and the block's code points.
#pragma once

#include "text/unicode/generated/unicode_constants.h"
#include "text/unicode/range_set.h"

#include <span>
#include <string_view>

namespace kt {

// One entry: the block name (ASCII, as in Unicode 6.0 without spaces) and its code points.
struct UnicodeBlock {
    std::string_view name;
    RangeSet ranges;
};

// Builds the table: UnicodeBlockCount entries in ascending byte order of their names, each set made by
// inserting the block's listed ranges in order. Runs once, on the thread that loads the module, before
// any reader; a second call while the table is built does nothing. If it fails (std::bad_alloc), the
// entries built so far are destroyed before the exception leaves.
void BuildUnicodeBlockTable();

// Destroys the entries from the last to the first. Afterwards the table is empty until built again.
void ReleaseUnicodeBlockTable() noexcept;

// The entries while the table is built; empty before BuildUnicodeBlockTable and after the release.
[[nodiscard]] std::span<const UnicodeBlock> UnicodeBlockTable() noexcept;

// The entry whose name equals name exactly (byte for byte, case-sensitive), or null; binary search.
[[nodiscard]] const UnicodeBlock* FindUnicodeBlock(std::string_view name) noexcept;

}  // namespace kt
