#include "catalogue/module_startup.h"

#include <cstdlib>
#include <new>

#include "catalogues/catalogues.h"
#include "text/regex/unicode_blocks.h"
#include "text/string/string_statics.h"

namespace kt {

void RunModuleStartup(const char* nullBlock8, const char16_t* nullBlock16) {
    KtguiCatalogue::Library();
    ScintillaCatalogue::Library();
    CoreCatalogue::Library();
    CryptographyCatalogue::Library();
    DispatchCatalogue::Library();
    DrawCatalogue::Library();
    GuiCatalogue::Library();
    MsgCatalogue::Library();
    OsCatalogue::Library();
    RegexCatalogue::Library();
    ResCatalogue::Library();
    XmlCatalogue::Library();
    XsdtCatalogue::Library();

    InitializeStringStatics<char>(nullBlock8);
    InitializeStringStatics<char16_t>(nullBlock16);

    BuildUnicodeBlockTable();
    // atexit from inside a shared module joins that module's exit list, so this runs at its unload.
    if (std::atexit(&ReleaseUnicodeBlockTable) != 0) {
        ReleaseUnicodeBlockTable();
        throw std::bad_alloc();
    }
}

}  // namespace kt
