// The module's start-up list, in one place.
#pragma once

#include "text/string/string_block.h"

namespace kt {

// Runs the module's own start-up steps, in this order:
//  1. the thirteen catalogues in the order of catalogues/catalogue_list.h: each Library call puts its
//  catalogue on the
//     chain and registers its destruction; the first also builds the registry, whose destruction is
//     therefore registered before any catalogue's;
//  2. the 8-bit string values: the check that the empty value is all zero, then their releases;
//  3. the same for the 16-bit string values;
//  4. the Unicode block table, and its release.
// Every release goes to the exit list, which runs newest first when the module unloads.
// The empty-value blocks to check can be replaced (tests use that); a block that is not all zero makes
// the start-up throw std::logic_error after step 1.
void RunModuleStartup(const char* nullBlock8 = TNullData<char>::Block(),
                      const char16_t* nullBlock16 = TNullData<char16_t>::Block());

}  // namespace kt
