// Exports of the probe module, a test build of the catalogue module: they let a test reach the
// registry and the block table while the module is loaded and while its exit list runs.
#include <cstddef>

#include "catalogue/resource_string_registry.h"
#include "text/unicode/unicode_blocks.h"

extern "C" [[gnu::visibility("default")]] kt::ResourceStringRegistry* ProbeRegistry() {
    return &kt::ResourceStringRegistry::Instance();
}

extern "C" [[gnu::visibility("default")]] size_t ProbeBlockTableSize() {
    return kt::UnicodeBlockTable().size();
}
