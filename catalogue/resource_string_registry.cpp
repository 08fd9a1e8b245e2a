#include "catalogue/resource_string_registry.h"

#include <utility>

#include "platform/platform.h"

namespace kt {

namespace {
bool SameText(const char16_t* left, const char16_t* right) noexcept {
    for (;; ++left, ++right) {
        if (*left != *right) return false;
        if (*left == 0) return true;
    }
}
}  // namespace

ResourceStringRegistry::ResourceStringRegistry() {
    languageIndex.exchange(0);
}

ResourceStringRegistry& ResourceStringRegistry::Instance() {
    static ResourceStringRegistry registry;
    return registry;
}

void ResourceStringRegistry::Register(ResourceStringLibrary* library) noexcept {
    if (library == nullptr) return;
    library->next = head;
    head = library;
}

void ResourceStringRegistry::Unregister(ResourceStringLibrary* library) noexcept {
    if (library == nullptr) return;
    for (ResourceStringLibrary** link = &head; *link != nullptr; link = &(*link)->next) {
        if (*link == library) {
            *link = library->next;
            return;
        }
    }
}

ResourceStringLibrary* ResourceStringRegistry::FindLibrary(const char16_t* name) const noexcept {
    return FindLibraryFrom(head, name);
}

ResourceStringLibrary* ResourceStringRegistry::FindLibraryFrom(ResourceStringLibrary* start,
                                                               const char16_t* name) noexcept {
    if (name == nullptr) return nullptr;
    for (ResourceStringLibrary* library = start; library != nullptr; library = library->next)
        if (SameText(library->name, name)) return library;
    return nullptr;
}

int32_t ResourceStringRegistry::LanguageIndex(const char16_t* code) noexcept {
    if (code == nullptr) return NoLanguage;
    for (int32_t index = 0; index < NoLanguage; ++index)
        if (platform::CompareNoCase16(code, LanguageCodes[index]) == 0) return index;
    return NoLanguage;
}

void ResourceStringRegistry::SetLanguage(const char16_t* name) {
    if (name == nullptr || name[0] == 0) return;
    int32_t index = LanguageIndex(name);
    std::lock_guard lock(mutex);
    languageIndex.exchange(index);
    languageName = name;
}

KTString<char16_t>& ResourceStringRegistry::GetLanguage(KTString<char16_t>& result, bool lowerCase) {
    std::lock_guard lock(mutex);
    int32_t index = languageIndex.load();
    result = languageName;
    // Only before the first SetLanguage is the name empty; the index then names the default language.
    if (result.IsEmpty() && index >= 0 && index < NoLanguage) result = LanguageCodes[index];
    if (lowerCase) LowerCaseInPlace(result);
    return result;
}

void ResourceStringRegistry::SetLanguageFor(const char16_t* name, uint32_t id) {
    std::lock_guard lock(mutex);
    if (name == nullptr || name[0] == 0) {
        languagesById.erase(id);
        return;
    }
    auto at = languagesById.lower_bound(id);
    if (at != languagesById.end() && at->first == id) {
        at->second = name;
        return;
    }
    // All or nothing: the name is built before the node, so that whichever allocation fails leaves the map
    // as it was.
    KTString<char16_t> value(name);
    languagesById.emplace_hint(at, id, std::move(value));
}

KTString<char16_t>& ResourceStringRegistry::GetLanguageFor(KTString<char16_t>& result, bool lowerCase,
                                                           uint32_t id) {
    result.Empty();
    {
        std::lock_guard lock(mutex);
        auto found = languagesById.find(id);
        if (found != languagesById.end()) result = found->second;
    }
    if (lowerCase) LowerCaseInPlace(result);
    return result;
}

void ResourceStringRegistry::LowerCaseInPlace(KTString<char16_t>& text) {
    // The empty value is shared by every empty string and never written.
    if (text.IsNull()) return;
    text._MarkLengthNotCached();
    platform::ToLower16(text.Data(), static_cast<size_t>(text.Length()));
}

StringResult& ResourceStringRegistry::GetThroughHook(ResourceStringLibrary& library, StringResult& result,
                                                     uint32_t first, uint32_t second) {
    StringResult produced;
    Instance().hook1(produced, &library, first, second);
    result.text = std::move(produced.text);
    result.tag = produced.tag;
    return result;
}

StringResult& ResourceStringRegistry::DefaultStringHook(StringResult& result, ResourceStringLibrary*,
                                                        uint32_t, uint32_t) {
    result.text.Empty();
    result.tag = 0;
    return result;
}

KTString<char16_t>& ResourceStringRegistry::DefaultTextHook(KTString<char16_t>& text) {
    text.Empty();
    return text;
}

}  // namespace kt

extern "C" [[gnu::visibility("default")]] kt::ResourceStringLibrary* GetFirstResourceStringLibrary() {
    return kt::ResourceStringRegistry::Instance().First();
}
