// Loads the catalogue module, walks its chain of catalogues and prints the first text of "gui".
#include <cstdio>

#include "host/host.h"

int main(int argc, char** argv) {
    kt::host::CatalogueModule module;  // unloads the module when it goes out of scope
    if (!module.Load(argc > 1 ? argv[1] : KT_CATALOGUE_MODULE)) {
        std::fprintf(stderr, "%s\n", module.Error().c_str());
        return 1;
    }
    int catalogues = 0;
    for (kt::host::ResourceStringRecord* record = module.First(); record != nullptr; record = record->next)
        ++catalogues;
    kt::host::ResourceStringRecord* gui = kt::host::FindRecord(module.First(), u"gui");
    const char16_t* text = gui != nullptr ? gui->textAt(gui, 0) : nullptr;
    if (text == nullptr) {
        std::fprintf(stderr, "the module has no catalogue \"gui\" with a text\n");
        return 1;
    }
    std::printf("%d catalogues\ngui 0: %s\n", catalogues, kt::host::ToUtf8(text).c_str());
}
