// ResourceStringRegistry: the process-wide registry of the catalogue framework. It keeps the chain of
// catalogue objects, finds a catalogue by name, holds the language settings and the replaceable hooks,
// and its recursive mutex is the lock of the whole framework.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "catalogue/resource_string_library.h"
#include "text/string/kt_string.h"

namespace kt {

// What a string hook produces and a catalogue's Get returns.
struct StringResult {
    KTString<char16_t> text;
    uint32_t tag = 0;
};

// The framework's language codes; the index is the language's number.
inline constexpr const char16_t* LanguageCodes[] = {u"en", u"de", u"ja", u"zh-CHS", u"es", u"fr"};
// The language number of a name that is none of LanguageCodes.
inline constexpr int32_t NoLanguage = 6;
static_assert(std::size(LanguageCodes) == NoLanguage && NoLanguage == host::LanguageSlotCount);

// Orders strings by their code units as unsigned numbers.
struct TextLess {
    bool operator()(const KTString<char16_t>& left, const KTString<char16_t>& right) const {
        return left.ToView() < right.ToView();
    }
};

class ResourceStringRegistry {
  public:
    // Hooks are plain functions; the defaults use at most their first argument.
    using StringHook = StringResult& (*)(StringResult& result, ResourceStringLibrary* library, uint32_t first,
                                         uint32_t second);
    using TextHook = KTString<char16_t>& (*)(KTString<char16_t>& text);
    using NotifyHook = void (*)();

    // A registry with no catalogues, language "en" and the default hooks. Allocates no characters.
    ResourceStringRegistry();
    ResourceStringRegistry(const ResourceStringRegistry&) = delete;
    ResourceStringRegistry& operator=(const ResourceStringRegistry&) = delete;
    // Releases extraText, the slots (last first), the maps and the language name, then the mutex.
    ~ResourceStringRegistry() = default;

    // The module's registry, built on the first call; its destruction runs at unload, after every
    // catalogue object's (the first catalogue builds it before registering its own destructor).
    static ResourceStringRegistry& Instance();

    // The chain: newest first, changed only while the module loads or unloads, and read without a lock.
    [[nodiscard]] ResourceStringLibrary* First() const noexcept { return head; }
    void Register(ResourceStringLibrary* library) noexcept;
    void Unregister(ResourceStringLibrary* library) noexcept;
    // The first catalogue whose name equals `name` exactly (code unit by code unit), or null.
    [[nodiscard]] ResourceStringLibrary* FindLibrary(const char16_t* name) const noexcept;
    [[nodiscard]] static ResourceStringLibrary* FindLibraryFrom(ResourceStringLibrary* start,
                                                                const char16_t* name) noexcept;

    // Index of `code` in LanguageCodes, ignoring case; NoLanguage for null or an unknown code.
    [[nodiscard]] static int32_t LanguageIndex(const char16_t* code) noexcept;

    // The current language: any non-empty name is kept as given; its index is that of LanguageIndex.
    // A null or empty name changes nothing.
    void SetLanguage(const char16_t* name);
    // The current language name, "en" before any SetLanguage; lower-cased on request.
    KTString<char16_t>& GetLanguage(KTString<char16_t>& result, bool lowerCase);
    // A language name per caller-chosen identifier; a null or empty name erases the identifier's entry.
    void SetLanguageFor(const char16_t* name, uint32_t id);
    // The name stored for `id`, or the empty string (never the current language).
    KTString<char16_t>& GetLanguageFor(KTString<char16_t>& result, bool lowerCase, uint32_t id);

    // What every catalogue's Get does: calls hook1 with a temporary result, the catalogue and the two
    // values, and moves the temporary into `result`.
    static StringResult& GetThroughHook(ResourceStringLibrary& library, StringResult& result, uint32_t first,
                                        uint32_t second);

    // The default hooks.
    static StringResult& DefaultStringHook(StringResult& result, ResourceStringLibrary* library,
                                           uint32_t first, uint32_t second);
    static KTString<char16_t>& DefaultTextHook(KTString<char16_t>& text);
    static void DefaultNotifyHook() {}

    // Fields, in this order; their destruction order at unload follows from it.
    std::recursive_mutex mutex;
    uint32_t hookContext = 0;  // no operation of the module reads it
    StringHook hook1 = &DefaultStringHook;
    StringHook hook2 = &DefaultStringHook;
    TextHook hook3 = &DefaultTextHook;
    TextHook hook4 = &DefaultTextHook;
    NotifyHook hook5 = &DefaultNotifyHook;
    ResourceStringLibrary* head = nullptr;
    std::atomic<int32_t> languageIndex;
    KTString<char16_t> languageName;
    std::map<uint32_t, KTString<char16_t>> languagesById;
    // Filled by a host framework, not by the module; released at unload.
    std::map<KTString<char16_t>,
             std::map<KTString<char16_t>, std::map<int32_t, KTString<char16_t>>, TextLess>, TextLess>
        nestedStrings;
    std::array<std::shared_ptr<void>, host::LanguageSlotCount> sharedSlots;
    KTString<char16_t> extraText;

  private:
    static void LowerCaseInPlace(KTString<char16_t>& text);
};

}  // namespace kt

// The module's only export: the head of the chain (the most recently registered catalogue), or null.
extern "C" kt::ResourceStringLibrary* GetFirstResourceStringLibrary();
