#include "text/unicode/unicode_blocks.h"

#include "text/unicode/generated/unicode_data.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace kt {

namespace {

// Raw storage rather than an array of entries: the entries' lifetime is exactly that between build and
// release, and no destructor of this file's own can run before or after the module's release step.
alignas(UnicodeBlock) constinit unsigned char blockStorage[sizeof(UnicodeBlock) * UnicodeBlockCount] = {};
constinit size_t builtEntries = 0;

UnicodeBlock* Entries() noexcept {
    return std::launder(reinterpret_cast<UnicodeBlock*>(blockStorage));
}

}  // namespace

void BuildUnicodeBlockTable() {
    if (builtEntries == UnicodeBlockCount) return;
    UnicodeBlock* entries = Entries();
    try {
        for (const UnicodeBlockSource& source : UnicodeBlockSources) {
            UnicodeBlock* entry =
                ::new (static_cast<void*>(entries + builtEntries)) UnicodeBlock{source.name, {}};
            ++builtEntries;
            // One allocation per entry: room for every listed range, though some merge.
            entry->ranges.Reserve(source.rangeCount);
            const CodePointRange* listed = UnicodeBlockRanges + source.firstRange;
            for (uint32_t i = 0; i < source.rangeCount; ++i) entry->ranges.Insert(listed[i]);
        }
    } catch (...) {
        ReleaseUnicodeBlockTable();
        throw;
    }
}

void ReleaseUnicodeBlockTable() noexcept {
    UnicodeBlock* entries = Entries();
    while (builtEntries > 0) entries[--builtEntries].~UnicodeBlock();
}

std::span<const UnicodeBlock> UnicodeBlockTable() noexcept {
    if (builtEntries != UnicodeBlockCount) return {};
    return {Entries(), UnicodeBlockCount};
}

const UnicodeBlock* FindUnicodeBlock(std::string_view name) noexcept {
    const std::span<const UnicodeBlock> table = UnicodeBlockTable();
    auto entry =
        std::lower_bound(table.begin(), table.end(), name,
                         [](const UnicodeBlock& block, std::string_view key) { return block.name < key; });
    return entry != table.end() && entry->name == name ? &*entry : nullptr;
}

}  // namespace kt
