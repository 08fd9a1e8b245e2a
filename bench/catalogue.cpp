// The catalogue module as a host meets it, and looking a key up in a catalogue's key index.
//  - LoadAndWalk: dlopen of the module (its whole start-up), a walk over every record reading every key
//    and text, and dlclose.
//  - Key lookup: every key of a catalogue looked up by content (the caller's own copy of the key) through
//    FindKey (the hash index BuildKeyIndex builds), against std::unordered_map<std::u16string_view, int>
//    over the same keys; and, for reference, in the ordered map the record exposes.
#include <benchmark/benchmark.h>

#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/resource_string_registry.h"
#include "catalogues/catalogue_list.h"
#include "host/host.h"
#include "module/module_startup.h"

namespace {

using kt::ResourceStringLibrary;

void LoadAndWalk(benchmark::State& state) {
    size_t units = 0;
    for (auto _ : state) {
        kt::host::CatalogueModule module;
        if (!module.Load(KT_CATALOGUE_MODULE)) {
            state.SkipWithError(module.Error().c_str());
            return;
        }
        for (auto* record = module.First(); record != nullptr; record = record->next)
            for (int32_t index = 0; index < record->count; ++index)
                units += std::char_traits<char16_t>::length(record->keyAt(record, index)) +
                         std::char_traits<char16_t>::length(record->textAt(record, index));
        if (!module.Unload()) {
            state.SkipWithError(module.Error().c_str());
            return;
        }
    }
    benchmark::DoNotOptimize(units);
}
BENCHMARK(LoadAndWalk)->Unit(benchmark::kMicrosecond);

// The catalogue's keys as a caller holds them: copies, not the table's own pointers.
std::vector<std::u16string> CopiedKeys(ResourceStringLibrary* library) {
    std::vector<std::u16string> keys;
    for (int32_t index = 0; index < library->count; ++index)
        keys.emplace_back(library->keyAt(library, index));
    return keys;
}

// Every catalogue of the module, by its place on the list (the benchmarks' argument).
#define KT_CATALOGUE_NAME(Type, name) u"" name,
constexpr const char16_t* CatalogueNames[] = {KT_CATALOGUES(KT_CATALOGUE_NAME)};
#undef KT_CATALOGUE_NAME
constexpr int CatalogueCount = static_cast<int>(std::size(CatalogueNames));

ResourceStringLibrary* Catalogue(benchmark::State& state) {
    kt::RunModuleStartup();
    const char16_t* name = CatalogueNames[state.range(0)];
    ResourceStringLibrary* library = kt::ResourceStringRegistry::Instance().FindLibrary(name);
    state.SetLabel(std::to_string(library->count) + " keys");
    return library;
}

void KTKeyLookup(benchmark::State& state) {
    ResourceStringLibrary* library = Catalogue(state);
    std::vector<std::u16string> keys = CopiedKeys(library);
    int64_t sum = 0;
    for (auto _ : state)
        for (const std::u16string& key : keys) sum += ResourceStringLibrary::FindKey(library, key);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}
BENCHMARK(KTKeyLookup)->DenseRange(0, CatalogueCount - 1);

void StdKeyLookup(benchmark::State& state) {
    ResourceStringLibrary* library = Catalogue(state);
    std::vector<std::u16string> keys = CopiedKeys(library);
    std::unordered_map<std::u16string_view, int> index;
    for (int32_t i = 0; i < library->count; ++i) index.emplace(library->keyAt(library, i), i);
    int64_t sum = 0;
    for (auto _ : state)
        for (const std::u16string& key : keys) sum += index.find(key)->second;
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}
BENCHMARK(StdKeyLookup)->DenseRange(0, CatalogueCount - 1);

void OrderedKeyIndexLookup(benchmark::State& state) {
    ResourceStringLibrary* library = Catalogue(state);
    ResourceStringLibrary::BuildKeyIndex(library);
    const kt::KeyIndexMap& index = *library->keyIndex.map;
    std::vector<std::u16string> keys = CopiedKeys(library);
    int64_t sum = 0;
    for (auto _ : state)
        for (const std::u16string& key : keys) sum += index.find(key.c_str())->second;
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
}
BENCHMARK(OrderedKeyIndexLookup)->DenseRange(0, CatalogueCount - 1);

}  // namespace

BENCHMARK_MAIN();
