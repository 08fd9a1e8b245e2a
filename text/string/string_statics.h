// The string type's values with static storage duration, one set per width. Each is constant-initialised
// to the empty value and filled on first use; its release is registered then, to run at unload.
#pragma once

#include "text/string/kt_string.h"

namespace kt {

template <class Char>
struct StringStatics {
    static const KTString<Char>& Whitespace();         // space, tab, CR, LF
    static const KTString<Char>& WhitespaceNoBreak();  // the same four and U+00A0
    static const KTString<Char>& LineBreak();          // CR LF
};

// Load-time step of the string type for one width: checks that the width's empty value is all zero
// (std::logic_error otherwise), then builds the static values, which registers their three releases
// in this order. `nullBlock` can stand in for the real empty block in tests.
template <class Char>
void InitializeStringStatics(const Char* nullBlock = TNullData<Char>::Block());

}  // namespace kt
