// Loads and unloads the catalogue module many times (1,000 by default; the count may be given as the
// first argument), walking the whole chain each time: every record's name, every key and text, and the
// null sentinel behind the last entry. Each cycle must see the same thirteen catalogues and entries, and
// after each unload the module must be gone from the process. Run under valgrind's memcheck and under
// LeakSanitizer, it shows that start-up and unload leave nothing behind.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogues/catalogue_list.h"
#include "host/host.h"
#include "platform/platform.h"

namespace {

struct ChainSummary {
    int records = 0;
    long entries = 0;
    unsigned long checksum = 0;  // over every unit of every name, key and text
    bool operator==(const ChainSummary&) const = default;
};

unsigned long Mix(unsigned long sum, const char16_t* text) {
    for (; *text != 0; ++text) sum = sum * 31 + *text;
    return sum * 31 + 1;
}

bool Walk(kt::host::ResourceStringRecord* first, ChainSummary& summary) {
    for (auto* record = first; record != nullptr; record = record->next) {
        if (record->name == nullptr || record->count <= 0) return false;
        ++summary.records;
        summary.checksum = Mix(summary.checksum, record->name);
        for (int32_t i = 0; i < record->count; ++i) {
            const char16_t* key = record->keyAt(record, i);
            const char16_t* text = record->textAt(record, i);
            if (key == nullptr || text == nullptr) return false;
            summary.checksum = Mix(Mix(summary.checksum, key), text);
            ++summary.entries;
        }
        if (record->keyAt(record, record->count) != nullptr ||
            record->textAt(record, record->count) != nullptr)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string path = KT_CATALOGUE_MODULE;
    ChainSummary expected;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        kt::host::CatalogueModule module;
        if (!module.Load(path)) {
            std::fprintf(stderr, "cycle %d: %s\n", cycle, module.Error().c_str());
            return 1;
        }
        ChainSummary summary;
        if (!Walk(module.First(), summary) || summary.records != KT_CATALOGUE_COUNT) {
            std::fprintf(stderr, "cycle %d: the chain is not the thirteen catalogues\n", cycle);
            return 1;
        }
        if (cycle == 0) expected = summary;
        if (!(summary == expected)) {
            std::fprintf(stderr, "cycle %d: the chain differs from the first cycle's\n", cycle);
            return 1;
        }
        if (!module.Unload() || kt::platform::IsModuleLoaded(path.c_str())) {
            std::fprintf(stderr, "cycle %d: the module is still loaded: %s\n", cycle, module.Error().c_str());
            return 1;
        }
    }
    std::printf("%d load/unload cycles, %d catalogues and %ld entries each\n", cycles, expected.records,
                expected.entries);
    return 0;
}
