#include "text/unicode/case_fold.h"

#include <algorithm>

namespace kt {

const CaseFoldRow* FindCaseRow(uint32_t codePoint) noexcept {
    auto row = std::lower_bound(CaseFoldTable.begin(), CaseFoldTable.end(), codePoint,
                                [](const CaseFoldRow& r, uint32_t key) { return r.code < key; });
    return row != CaseFoldTable.end() && row->code == codePoint ? &*row : nullptr;
}

}  // namespace kt
