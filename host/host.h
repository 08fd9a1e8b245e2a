// What a host program sees of the catalogue module: the record each catalogue publishes, the module's
// one export that leads to the first record, and a small loader. This header needs nothing of the
// module's own code, so a host builds against it alone.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "text/string/text_index.h"

namespace kt::host {

// One slot per language code the framework knows ("en", "de", "ja", "zh-CHS", "es", "fr").
inline constexpr int LanguageSlotCount = 6;

// An index map as the record holds it: an opaque handle of the module's map and its element count.
struct IndexMapHandle {
    void* map;
    uint32_t count;
};

// A catalogue as the host reads it. Records form a chain through `next`, newest first.
// The accessors return an entry's text or key for an index from 0 to count - 1, and null otherwise.
struct ResourceStringRecord {
    using EntryAccessor = const char16_t* (*)(ResourceStringRecord* record, int32_t index);

    std::atomic<uint32_t> languageSlotsA[LanguageSlotCount];
    std::atomic<uint32_t> languageSlotsB[LanguageSlotCount];
    EntryAccessor textAt;
    EntryAccessor keyAt;
    const void* idPairAt;  // optional function: (index) -> pointer to an identifier pair, or null
    const void* altKeyAt;  // optional function: (index) -> second key, or null
    const char16_t* name;
    ResourceStringRecord* next;
    uint32_t version;
    int32_t count;
    int32_t altKeyCount;
    std::atomic<bool> keyIndexReady;
    IndexMapHandle keyIndex;
    std::atomic<bool> altIndexReady;
    IndexMapHandle altKeyIndex;
    IndexMapHandle idMap;
};

static_assert(std::is_standard_layout_v<ResourceStringRecord>);
static_assert(sizeof(std::atomic<uint32_t>) == 4 && sizeof(std::atomic<bool>) == 1);
#if UINTPTR_MAX == 0xFFFFFFFFu
// The layout of the 32-bit build.
static_assert(offsetof(ResourceStringRecord, languageSlotsB) == 24);
static_assert(offsetof(ResourceStringRecord, textAt) == 48);
static_assert(offsetof(ResourceStringRecord, keyAt) == 52);
static_assert(offsetof(ResourceStringRecord, idPairAt) == 56);
static_assert(offsetof(ResourceStringRecord, altKeyAt) == 60);
static_assert(offsetof(ResourceStringRecord, name) == 64);
static_assert(offsetof(ResourceStringRecord, next) == 68);
static_assert(offsetof(ResourceStringRecord, version) == 72);
static_assert(offsetof(ResourceStringRecord, count) == 76);
static_assert(offsetof(ResourceStringRecord, altKeyCount) == 80);
static_assert(offsetof(ResourceStringRecord, keyIndexReady) == 84);
static_assert(offsetof(ResourceStringRecord, keyIndex) == 88);
static_assert(offsetof(ResourceStringRecord, altIndexReady) == 96);
static_assert(offsetof(ResourceStringRecord, altKeyIndex) == 100);
static_assert(offsetof(ResourceStringRecord, idMap) == 108);
static_assert(sizeof(ResourceStringRecord) == 116);
#else
// The same fields in their natural 64-bit places.
static_assert(offsetof(ResourceStringRecord, languageSlotsB) == 24);
static_assert(offsetof(ResourceStringRecord, textAt) == 48);
static_assert(offsetof(ResourceStringRecord, keyAt) == 56);
static_assert(offsetof(ResourceStringRecord, idPairAt) == 64);
static_assert(offsetof(ResourceStringRecord, altKeyAt) == 72);
static_assert(offsetof(ResourceStringRecord, name) == 80);
static_assert(offsetof(ResourceStringRecord, next) == 88);
static_assert(offsetof(ResourceStringRecord, version) == 96);
static_assert(offsetof(ResourceStringRecord, count) == 100);
static_assert(offsetof(ResourceStringRecord, altKeyCount) == 104);
static_assert(offsetof(ResourceStringRecord, keyIndexReady) == 108);
static_assert(offsetof(ResourceStringRecord, keyIndex) == 112);
static_assert(offsetof(ResourceStringRecord, altIndexReady) == 128);
static_assert(offsetof(ResourceStringRecord, altKeyIndex) == 136);
static_assert(offsetof(ResourceStringRecord, idMap) == 152);
static_assert(sizeof(ResourceStringRecord) == 168);
#endif

// The module's export, by name, without arguments: the first record of the chain, or null.
inline constexpr const char* FirstRecordExport = "GetFirstResourceStringLibrary";
using GetFirstResourceStringLibraryFunction = ResourceStringRecord* (*)();

// File name of the German catalogue module.
#ifdef _WIN32
inline constexpr const char* ModuleFileName = "ktcatalogue_de.dll";
#else
inline constexpr const char* ModuleFileName = "libktcatalogue_de.so";
#endif

// A loaded catalogue module. Loading runs the module's start-up; Unload (or the destructor) runs its
// exit list and unmaps it. Records must not be used after that.
class CatalogueModule {
  public:
    CatalogueModule() = default;
    CatalogueModule(const CatalogueModule&) = delete;
    CatalogueModule& operator=(const CatalogueModule&) = delete;
    CatalogueModule(CatalogueModule&& other) noexcept;
    CatalogueModule& operator=(CatalogueModule&& other) noexcept;
    ~CatalogueModule();

    // Loads the module at `path`; false with `Error()` set when it cannot be loaded or lacks the export.
    // A path with a directory part is checked with CheckModuleFile first, so that a damaged file is
    // reported instead of reaching the system's loader; a bare file name is left to the loader's search.
    [[nodiscard]] bool Load(const std::string& path);
    // Runs the module's exit list; false when the loader reports an error.
    [[nodiscard]] bool Unload();

    [[nodiscard]] bool IsLoaded() const { return handle_ != nullptr; }
    [[nodiscard]] const std::string& Error() const { return error_; }
    // The head of the chain, through the export; null when nothing is loaded.
    [[nodiscard]] ResourceStringRecord* First() const { return first_ ? first_() : nullptr; }

    // Where a host finds the module by default: ../lib/libktcatalogue_de.so beside its own directory.
    [[nodiscard]] static std::string DefaultPath();

  private:
    // Unload where nobody can be told that it failed (destruction, replacement): Error() keeps the reason.
    void UnloadQuietly() noexcept { static_cast<void>(Unload()); }

    void* handle_ = nullptr;
    GetFirstResourceStringLibraryFunction first_ = nullptr;
    std::string error_;
};

// --- Checking a module file before loading it ---------------------------------------------------------
// The system's loader maps a module's segments as its headers describe them and trusts that they lie inside
// the file: a copy cut short crashes the loading process (SIGBUS) instead of failing. These checks read
// the headers and refuse such a file. They catch files cut short or of another kind; they cannot tell
// whether bytes inside the segments were overwritten.

// Reads `count` bytes at `offset` of a module file into `out`; false when the file has no such bytes.
using ModuleFileReader = std::function<bool(uint64_t offset, void* out, size_t count)>;

// Empty when the `size` bytes that `read` gives form an ELF shared object of class `elfClass` (1: 32-bit,
// 2: 64-bit) in this machine's byte order, for ELF machine `machine` (0: any), whose program headers and
// segments lie inside the file, which has a loadable and a dynamic segment, whose dynamic segment lies in a
// loaded one, is not empty and ends with its terminating entry, and whose tables named there (strings,
// symbols, hashes, versions, relocations, initialisers) lie inside loaded segments; otherwise why not, in
// words that complete "the file is damaged or not a module for this machine: ".
[[nodiscard]] std::string CheckElfSharedObject(const ModuleFileReader& read, uint64_t size, int elfClass,
                                               uint16_t machine);

// The same for a Windows DLL: an MZ header leading to a PE header for COFF machine `machine` (0x14C: x86,
// 0x8664: x86-64, 0xAA64: ARM64) marked as a DLL, with an optional header of the machine's kind and headers
// and sections inside the file.
[[nodiscard]] std::string CheckPeDll(const ModuleFileReader& read, uint64_t size, uint16_t machine);

// The check of this build's kind of module (a DLL on Windows, an ELF shared object elsewhere) on the file
// at `path` (UTF-8); empty when it passes, otherwise a message that starts with the path.
[[nodiscard]] std::string CheckModuleFile(const std::string& path);

// Loads the module at `path` once in a child process where the system has them (not on Windows), reads
// every catalogue's keys and texts there and unloads it, so that a damaged file that passes CheckModuleFile
// and still crashes the system's loader (or the module) ends only the child. Empty when the child came
// through (whether or not the module loaded), otherwise a message that starts with the path and names the
// signal or exit code. A host that must not die of a damaged module calls it before Load; the module's
// start-up then runs twice.
[[nodiscard]] std::string TrialLoad(const std::string& path);

// The catalogue named `name` (exact comparison) on the chain from `first`, or null.
[[nodiscard]] ResourceStringRecord* FindRecord(ResourceStringRecord* first, const char16_t* name);

// The index of the entry whose key is `key` (exact comparison) in `record`, or -1. A linear walk over the
// key accessor: a host that looks up many keys builds a KeyIndex once instead.
[[nodiscard]] int32_t FindEntry(ResourceStringRecord* record, std::u16string_view key);

// A hash index of a record's keys, built by one walk over the key accessor; Find gives FindEntry's result
// (of equal keys the first entry) without walking again. The keys are the module's: unload ends the index.
class KeyIndex {
  public:
    explicit KeyIndex(ResourceStringRecord* record);
    [[nodiscard]] int32_t Find(std::u16string_view key) const noexcept {
        const int32_t* index = index_.Find(key);
        return index != nullptr ? *index : -1;
    }

  private:
    KTTextIndex<char16_t> index_;
};

// UTF-8 form of a zero-terminated UTF-16 text for printing; unpaired surrogates become U+FFFD.
[[nodiscard]] std::string ToUtf8(const char16_t* text);
[[nodiscard]] std::string ToUtf8(std::u16string_view text);

// UTF-16 form of a UTF-8 text, e.g. a command-line argument; false (and `out` unspecified) when `text` is
// not well-formed UTF-8.
[[nodiscard]] bool FromUtf8(std::string_view text, std::u16string& out);

}  // namespace kt::host
