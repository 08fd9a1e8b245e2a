#include "catalogue/module_startup.h"

#include "catalogues/catalogues.h"
#include "text/regex/unicode_blocks.h"
#include "text/string/string_statics.h"

namespace kt {

namespace {
struct BlockTableRelease {
    ~BlockTableRelease() { ReleaseUnicodeBlockTable(); }
};
}  // namespace

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
    // A static object's destructor joins the exit list of the module that constructs it (std::atexit
    // would not under every run-time: a sanitizer's atexit registers for the process), so the
    // release runs first when the module unloads.
    static BlockTableRelease release;
}

}  // namespace kt
