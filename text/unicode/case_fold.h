// The Unicode 6.0 simple case table and the one-code-point case mappings built on it.
// Depends on nothing but the standard library, so the platform layer and the string type can use it.
#pragma once

#include "text/unicode/generated/unicode_constants.h"

#include <array>
#include <cstdint>

namespace kt {

// One cased code point: its simple mappings (the code point itself where it has none) and up to two
// further members of its case class (0 when absent; extra2 is 0 whenever extra1 is).
struct CaseFoldRow {
    uint32_t code;
    uint32_t upper;
    uint32_t lower;
    uint32_t fold;
    uint32_t extra1;
    uint32_t extra2;
};

// Every code point of Unicode 6.0 that shares a case class with another, sorted by code, each once.
// Constant-initialised: usable before any static initialiser has run.
extern constinit const std::array<CaseFoldRow, CaseFoldRowCount> CaseFoldTable;

// The row of codePoint, or null when it has none.
[[nodiscard]] const CaseFoldRow* FindCaseRow(uint32_t codePoint) noexcept;

// Simple case mappings; code points below 0x80 are mapped without the table.
[[nodiscard]] inline uint32_t ToUpperCodePoint(uint32_t codePoint) noexcept {
    if (codePoint < 0x80) return codePoint - 0x61u < 26u ? codePoint - 0x20 : codePoint;
    const CaseFoldRow* row = FindCaseRow(codePoint);
    return row ? row->upper : codePoint;
}

[[nodiscard]] inline uint32_t ToLowerCodePoint(uint32_t codePoint) noexcept {
    if (codePoint < 0x80) return codePoint - 0x41u < 26u ? codePoint + 0x20 : codePoint;
    const CaseFoldRow* row = FindCaseRow(codePoint);
    return row ? row->lower : codePoint;
}

}  // namespace kt
