// The shape every catalogue shares: its entries, split at compile time into a key array and a text
// array of N + 1 pointers each (element N is the null sentinel), the clamping accessors over them, and
// the catalogue's Library, Anchor, KeyAt and Get. A catalogue source only lists its name and entries
// in a definition type and instantiates Catalogue<Definition> for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "catalogue/resource_string_library.h"
#include "catalogue/resource_string_registry.h"

namespace kt {

// One entry as a catalogue source lists it: the ASCII key and the German display text.
struct CatalogueEntry {
    const char16_t* key;
    const char16_t* text;
};

// The two constant arrays of a catalogue with N entries.
template <size_t N>
struct CatalogueTables {
    std::array<const char16_t*, N + 1> keys{};
    std::array<const char16_t*, N + 1> texts{};
};

template <size_t N>
consteval CatalogueTables<N> SplitEntries(const std::array<CatalogueEntry, N>& entries) {
    CatalogueTables<N> tables;
    for (size_t i = 0; i < N; ++i) {
        tables.keys[i] = entries[i].key;
        tables.texts[i] = entries[i].text;
    }
    tables.keys[N] = nullptr;
    tables.texts[N] = nullptr;
    return tables;
}

// Definition supplies `static constexpr const char16_t* name` and
// `static constexpr std::array<CatalogueEntry, N> entries`.
template <class Definition>
class Catalogue {
  public:
    // The catalogue's object, constructed and put on the registry's chain by the first call.
    static ResourceStringLibrary& Library();

    // Constructing an Anchor makes sure the catalogue is on the chain.
    struct Anchor {
        Anchor() { Library(); }
    };

    // The key of entry `index`; null for an index outside 0..N-1.
    static const char16_t* KeyAt(int32_t index);

    // The text of the catalogue's entry as the registry's hook1 produces it.
    static StringResult& Get(StringResult& result, uint32_t first, uint32_t second);

    // The accessors the object hands to the host as textAt and keyAt. They ignore the object.
    static const char16_t* TextAccessor(ResourceStringLibrary* library, int32_t index) noexcept;
    static const char16_t* KeyAccessor(ResourceStringLibrary* library, int32_t index) noexcept;

  private:
    static constexpr size_t Count() { return Definition::entries.size(); }
    // Indexes outside 0..N are replaced by N, the sentinel: the accessors clamp, they never search.
    static constexpr size_t Clamp(int32_t index) {
        return index >= 0 && static_cast<size_t>(index) <= Count() ? static_cast<size_t>(index) : Count();
    }
};

// The key and text arrays of a catalogue, in constant storage.
template <class Definition>
inline constexpr auto CatalogueTablesOf = SplitEntries(Definition::entries);

template <class Definition>
ResourceStringLibrary& Catalogue<Definition>::Library() {
    static_assert(Count() <= static_cast<size_t>(INT32_MAX));
    static ResourceStringLibrary library(Definition::name, &TextAccessor, &KeyAccessor,
                                         static_cast<int32_t>(Count()), nullptr, nullptr, 0);
    return library;
}

template <class Definition>
const char16_t* Catalogue<Definition>::KeyAt(int32_t index) {
    Library();
    return CatalogueTablesOf<Definition>.keys[Clamp(index)];
}

template <class Definition>
StringResult& Catalogue<Definition>::Get(StringResult& result, uint32_t first, uint32_t second) {
    return ResourceStringRegistry::GetThroughHook(Library(), result, first, second);
}

template <class Definition>
const char16_t* Catalogue<Definition>::TextAccessor(ResourceStringLibrary*, int32_t index) noexcept {
    return CatalogueTablesOf<Definition>.texts[Clamp(index)];
}

template <class Definition>
const char16_t* Catalogue<Definition>::KeyAccessor(ResourceStringLibrary*, int32_t index) noexcept {
    return CatalogueTablesOf<Definition>.keys[Clamp(index)];
}

}  // namespace kt
