// ResourceStringLibrary: the run-time face of one catalogue and the record a host reads across the
// module boundary (host/host.h describes the same layout from the host's side).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <type_traits>

#include "host/host.h"
#include "text/string/text_index.h"

namespace kt {

// One entry of a catalogue's optional identifier-pair table.
struct IdPair {
    int32_t id;
    uint32_t value;
};

// Orders zero-terminated keys by their code units as unsigned numbers; a key that ends first is smaller.
struct KeyTextLess {
    bool operator()(const char16_t* left, const char16_t* right) const noexcept;
};

// The key indexes hold the very pointers the accessors return, not copies.
using KeyIndexMap = std::map<const char16_t*, int32_t, KeyTextLess>;
using IdValueMap = std::map<int32_t, uint32_t>;

// An index map as the record holds it: the map, owned by the record, and its element count, kept equal to
// the map's size so that a host can read it without knowing the map's type.
template <class Map>
struct IndexMap {
    Map* map;
    uint32_t count;

    // Sets map[key] to value, replacing an earlier value; may throw std::bad_alloc, leaving the map as it
    // was.
    void Set(const typename Map::key_type& key, const typename Map::mapped_type& value) {
        map->insert_or_assign(key, value);
        count = static_cast<uint32_t>(map->size());
    }
};

struct ResourceStringLibrary {
    using EntryAccessor = const char16_t* (*)(ResourceStringLibrary* library, int32_t index);
    using IdPairAccessor = const IdPair* (*)(int32_t index);
    using AltKeyAccessor = const char16_t* (*)(int32_t index);

    // Stores the arguments, creates the three empty maps and pushes the object onto the registry's chain
    // (building the registry on first use). On failure nothing is left allocated or registered.
    ResourceStringLibrary(const char16_t* name, EntryAccessor textAt, EntryAccessor keyAt, int32_t count,
                          IdPairAccessor idPairAt, AltKeyAccessor altKeyAt, int32_t altKeyCount);
    // Unlinks the object from the chain and releases its maps.
    ~ResourceStringLibrary();
    ResourceStringLibrary(const ResourceStringLibrary&) = delete;
    ResourceStringLibrary& operator=(const ResourceStringLibrary&) = delete;

    // Build keyIndex (from keyAt), or altKeyIndex and idMap (from altKeyAt and idPairAt), once, under
    // the registry's mutex. A null library is ignored. Read the maps only after one of these returned
    // or the ready flag read true.
    static void BuildKeyIndex(ResourceStringLibrary* library);
    static void BuildAltIndexes(ResourceStringLibrary* library);

    // The entry index of `key` (exact comparison; of equal keys the later entry), or -1; builds the key
    // index on first use. A null library finds nothing.
    static int32_t FindKey(ResourceStringLibrary* library, std::u16string_view key) {
        if (library == nullptr) return -1;
        if (!library->keyIndexReady.load()) BuildKeyIndex(library);
        const int32_t* index = library->keyLookup.Find(key);
        return index != nullptr ? *index : -1;
    }

    // The host-visible fields, in the record's order. Nothing of the module reads the slots or version.
    std::atomic<uint32_t> languageSlotsA[host::LanguageSlotCount];
    std::atomic<uint32_t> languageSlotsB[host::LanguageSlotCount];
    EntryAccessor textAt;
    EntryAccessor keyAt;
    IdPairAccessor idPairAt;
    AltKeyAccessor altKeyAt;
    const char16_t* name;
    ResourceStringLibrary* next;
    uint32_t version;
    int32_t count;
    int32_t altKeyCount;
    std::atomic<bool> keyIndexReady;
    IndexMap<KeyIndexMap> keyIndex;
    std::atomic<bool> altIndexReady;
    IndexMap<KeyIndexMap> altKeyIndex;
    IndexMap<IdValueMap> idMap;

    // The module's own, behind the record: a hash index of the same keys as keyIndex, built with it and
    // published by the same flag. Look-ups use it; the ordered map stays because the record exposes it.
    KTTextIndex<char16_t> keyLookup;
};

// The object begins with the record a host reads: same fields, same places.
static_assert(std::is_standard_layout_v<ResourceStringLibrary>);
static_assert(offsetof(ResourceStringLibrary, keyLookup) >= sizeof(host::ResourceStringRecord));
#define KT_SAME_PLACE(field) \
    static_assert(offsetof(ResourceStringLibrary, field) == offsetof(host::ResourceStringRecord, field))
KT_SAME_PLACE(languageSlotsA);
KT_SAME_PLACE(languageSlotsB);
KT_SAME_PLACE(textAt);
KT_SAME_PLACE(keyAt);
KT_SAME_PLACE(idPairAt);
KT_SAME_PLACE(altKeyAt);
KT_SAME_PLACE(name);
KT_SAME_PLACE(next);
KT_SAME_PLACE(version);
KT_SAME_PLACE(count);
KT_SAME_PLACE(altKeyCount);
KT_SAME_PLACE(keyIndexReady);
KT_SAME_PLACE(keyIndex);
KT_SAME_PLACE(altIndexReady);
KT_SAME_PLACE(altKeyIndex);
KT_SAME_PLACE(idMap);
#undef KT_SAME_PLACE
static_assert(sizeof(IndexMap<KeyIndexMap>) == sizeof(host::IndexMapHandle) &&
              sizeof(IndexMap<IdValueMap>) == sizeof(host::IndexMapHandle));

}  // namespace kt
