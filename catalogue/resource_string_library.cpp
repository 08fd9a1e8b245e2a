#include "catalogue/resource_string_library.h"

#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "catalogue/resource_string_registry.h"

namespace kt {

bool KeyTextLess::operator()(const char16_t* left, const char16_t* right) const noexcept {
    for (;; ++left, ++right) {
        if (*left != *right) return *left < *right;  // char16_t is unsigned; a terminator is the smallest
        if (*left == 0) return false;
    }
}

ResourceStringLibrary::ResourceStringLibrary(const char16_t* name, EntryAccessor textAt, EntryAccessor keyAt,
                                             int32_t count, IdPairAccessor idPairAt, AltKeyAccessor altKeyAt,
                                             int32_t altKeyCount)
    : textAt(textAt),
      keyAt(keyAt),
      idPairAt(idPairAt),
      altKeyAt(altKeyAt),
      name(name),
      next(nullptr),
      version(2),
      count(count),
      altKeyCount(altKeyCount) {
    // Owned by smart pointers until nothing can fail any more: a throw releases them in reverse order.
    auto keys = std::make_unique<KeyIndexMap>();
    auto altKeys = std::make_unique<KeyIndexMap>();
    auto ids = std::make_unique<IdValueMap>();
    for (auto& slot : languageSlotsA) slot.exchange(0);
    for (auto& slot : languageSlotsB) slot.exchange(0);
    keyIndexReady.exchange(false);
    altIndexReady.exchange(false);
    ResourceStringRegistry& registry = ResourceStringRegistry::Instance();
    keyIndex = {keys.release(), 0};
    altKeyIndex = {altKeys.release(), 0};
    idMap = {ids.release(), 0};
    registry.Register(this);
}

ResourceStringLibrary::~ResourceStringLibrary() {
    ResourceStringRegistry::Instance().Unregister(this);
    delete idMap.map;
    delete altKeyIndex.map;
    delete keyIndex.map;
}

void ResourceStringLibrary::BuildKeyIndex(ResourceStringLibrary* library) {
    if (library == nullptr || library->keyIndexReady.load()) return;
    std::lock_guard lock(ResourceStringRegistry::Instance().mutex);
    if (library->keyIndexReady.load()) return;
    // The hash index is built aside and installed whole, so a failure leaves none half-built.
    KTTextIndex<char16_t> lookup;
    lookup.Reserve(static_cast<size_t>(library->count > 0 ? library->count : 0));
    for (int32_t index = 0; index < library->count; ++index)
        if (const char16_t* key = library->keyAt(library, index)) {
            library->keyIndex.Set(key, index);
            lookup.Set(key, std::char_traits<char16_t>::length(key), index);
        }
    library->keyLookup = std::move(lookup);
    library->keyIndexReady.exchange(true);
}

void ResourceStringLibrary::BuildAltIndexes(ResourceStringLibrary* library) {
    if (library == nullptr || library->altIndexReady.load()) return;
    std::lock_guard lock(ResourceStringRegistry::Instance().mutex);
    if (library->altIndexReady.load()) return;
    if (library->altKeyAt != nullptr)
        for (int32_t index = 0; index < library->altKeyCount; ++index)
            if (const char16_t* key = library->altKeyAt(index)) library->altKeyIndex.Set(key, index);
    if (library->idPairAt != nullptr)
        for (int32_t index = 0;; ++index) {
            const IdPair* pair = library->idPairAt(index);
            if (pair == nullptr) break;
            library->idMap.Set(pair->id, pair->value);
            if (index == std::numeric_limits<int32_t>::max()) break;
        }
    library->altIndexReady.exchange(true);
}

}  // namespace kt
