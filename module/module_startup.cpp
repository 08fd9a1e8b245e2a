#include "module/module_startup.h"

#include "catalogues/catalogues.h"
#include "text/string/string_statics.h"
#include "text/unicode/unicode_blocks.h"

namespace kt {

namespace {
struct BlockTableRelease {
    ~BlockTableRelease() { ReleaseUnicodeBlockTable(); }
};
}  // namespace

void RunModuleStartup(const char* nullBlock8, const char16_t* nullBlock16) {
#define KT_START_CATALOGUE(Type, name) Type::Library();
    KT_CATALOGUES(KT_START_CATALOGUE)
#undef KT_START_CATALOGUE

    InitializeStringStatics<char>(nullBlock8);
    InitializeStringStatics<char16_t>(nullBlock16);

    BuildUnicodeBlockTable();
    // A static object's destructor joins the exit list of the module that constructs it (std::atexit
    // would not under every run-time: a sanitizer's atexit registers for the process), so the
    // release runs first when the module unloads.
    static BlockTableRelease release;
}

}  // namespace kt
