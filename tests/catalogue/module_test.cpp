// The built module, loaded and unloaded as a host does it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "catalogue/resource_string_registry.h"
#include "host/host.h"
#include "platform/platform.h"
#include "tests/catalogue/catalogue_test_support.h"
#include "text/unicode/generated/unicode_constants.h"

namespace kt {
namespace {

// Whether any mapping of this process comes from a file whose path ends in `fileName`. Windows has no
// /proc; there the loader's own answer (IsModuleLoaded) is the whole check.
bool Mapped(const std::string& fileName) {
#ifdef _WIN32
    return platform::IsModuleLoaded(fileName.c_str());
#else
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.ends_with("/" + fileName)) return true;
    return false;
#endif
}

TEST(CatalogueModule, LoadsWalksUnloadsAndLoadsAgain) {
    const std::string path = KT_CATALOGUE_MODULE;
    ASSERT_FALSE(platform::IsModuleLoaded(path.c_str()));
    // The file itself, not a link to it: on ELF systems hosts load libktcatalogue_de.so, a link to the
    // versioned file, and the process's mappings name the versioned file.
    const std::string fileName = std::filesystem::canonical(path).filename().string();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        host::CatalogueModule module;
        if (round == 1) {
            ASSERT_TRUE(module.Load(path)) << module.Error();
        } else {
            // Moving hands the loaded module over, by construction and by assignment.
            host::CatalogueModule loading;
            ASSERT_TRUE(loading.Load(path)) << loading.Error();
            host::CatalogueModule moved(std::move(loading));
            module = std::move(moved);
            EXPECT_FALSE(loading.IsLoaded());
            EXPECT_FALSE(moved.IsLoaded());
            EXPECT_EQ(moved.First(), nullptr);
        }
        ASSERT_TRUE(module.IsLoaded());
        EXPECT_TRUE(platform::IsModuleLoaded(path.c_str()));
        EXPECT_TRUE(Mapped(fileName));
        host::ResourceStringRecord* first = module.First();
        test::ExpectStartedChain(first);
        // A text across the module boundary, in either round (every text of the module is compared with the
        // committed reference export by ktcat_check_against_reference).
        const char16_t* const texts[][3] = {
            {u"Scintilla", u"MessageNoMoreOccurrencesSearchAgain",
             u"Keine weiteren Treffer!\r\nErneut suchen?"},
        };
        for (const auto& [catalogue, key, text] : texts) {
            host::ResourceStringRecord* record = host::FindRecord(first, catalogue);
            ASSERT_NE(record, nullptr) << test::Narrow(catalogue);
            const int32_t index = host::FindEntry(record, key);
            ASSERT_GE(index, 0) << test::Narrow(key);
            EXPECT_EQ(std::u16string(record->textAt(record, index)), text) << test::Narrow(key);
        }
        EXPECT_EQ(host::FindRecord(first, u"scintilla"), nullptr) << "names compare exactly";
        EXPECT_EQ(host::FindRecord(first, nullptr), nullptr);

        ASSERT_TRUE(module.Unload()) << module.Error();
        EXPECT_FALSE(platform::IsModuleLoaded(path.c_str())) << "the module stayed loaded after dlclose";
        EXPECT_FALSE(Mapped(fileName)) << "the module's pages are still mapped";
    }
}

TEST(CatalogueModule, LoadReportsAMissingModule) {
    host::CatalogueModule module;
    EXPECT_FALSE(module.Load(std::string(KT_CATALOGUE_MODULE) + ".missing"));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_FALSE(module.Error().empty());
    EXPECT_EQ(module.First(), nullptr);
}

// --- damaged module files -------------------------------------------------------------------------------

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

host::ModuleFileReader ReaderOf(const std::string& bytes) {
    return [&bytes](uint64_t offset, void* out, size_t count) {
        if (offset > bytes.size() || count > bytes.size() - offset) return false;
        std::memcpy(out, bytes.data() + offset, count);
        return true;
    };
}

// A copy of the module cut short, or damaged, is refused before the system's loader sees it (which would
// stop the process with SIGBUS); the error names the file and what is wrong.
TEST(CatalogueModule, LoadRefusesAModuleCutShort) {
    const std::string bytes = FileBytes(KT_CATALOGUE_MODULE);
    ASSERT_GT(bytes.size(), 200000u);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("ktcat_cut_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder);
    for (size_t length : {size_t{0}, size_t{40}, size_t{1000}, size_t{100000}}) {
        SCOPED_TRACE(length);
        const std::string path = (folder / ("cut" + std::to_string(length))).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(length));
        host::CatalogueModule module;
        EXPECT_FALSE(module.Load(path));
        EXPECT_TRUE(module.Error().starts_with(path + ": damaged or not a module for this machine: "))
            << module.Error();
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(host::CheckModuleFile(KT_CATALOGUE_MODULE), "");
    EXPECT_EQ(host::CheckModuleFile(folder.string()), folder.string() + ": no such file");
}

#ifndef _WIN32
// Headers of the real module, changed one field at a time.
TEST(CatalogueModule, ElfCheckReadsEveryHeaderFieldItRelies) {
    const std::string module = FileBytes(KT_CATALOGUE_MODULE);
    const int elfClass = sizeof(void*) == 8 ? 2 : 1;
    const bool is64 = elfClass == 2;
    auto check = [elfClass](const std::string& bytes) {
        return host::CheckElfSharedObject(ReaderOf(bytes), bytes.size(), elfClass, 0);
    };
    ASSERT_EQ(check(module), "");
    auto put = [](std::string bytes, size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
        return bytes;
    };
    const size_t phoff = is64 ? 32 : 28, phoffWidth = is64 ? 8 : 4;
    uint64_t tableOffset = 0;
    std::memcpy(&tableOffset, module.data() + phoff, phoffWidth);
    const size_t offsetField = tableOffset + (is64 ? 8 : 4), fileSizeField = tableOffset + (is64 ? 32 : 16);
    const std::pair<std::string, std::string> damaged[] = {
        {put(module, 0, 'X', 1), "it is not an ELF file"},
        {put(module, 4, 3 - elfClass, 1), std::string("it is a ") + (is64 ? "32" : "64") +
                                              "-bit ELF file; this program loads " + (is64 ? "64" : "32") +
                                              "-bit modules"},
        {put(module, 5, 2, 1), "its byte order is not this machine's"},
        {put(module, 16, 2, 2), "it is no shared object (ELF type 2)"},
        {put(module, is64 ? 54 : 42, 40, 2),
         std::string("its program headers are 40 bytes long, not ") + (is64 ? "56" : "32")},
        {put(module, is64 ? 56 : 44, 0, 2), "it has no program headers"},
        {put(module, phoff, module.size() - 8, phoffWidth),
         "its program headers (bytes " + std::to_string(module.size() - 8)},
        // An offset near the top of the range: its end overflows, and must not wrap into the file.
        {put(module, offsetField, is64 ? ~uint64_t{0} - 8 : 0xFFFFFFF8u, phoffWidth),
         "the contents of its segment 0 (bytes "},
        {put(module, fileSizeField, module.size() + 1, phoffWidth),
         "the contents of its segment 0 (bytes 0 to " + std::to_string(module.size() + 1)},
        {module.substr(0, 10), "it is 10 bytes long, too short for an ELF header"},
    };
    for (const auto& [bytes, message] : damaged)
        EXPECT_TRUE(check(bytes).starts_with(message)) << check(bytes) << "\n" << message;
    EXPECT_TRUE(host::CheckElfSharedObject(ReaderOf(module), module.size(), elfClass, 1)
                    .starts_with("it is built for ELF machine"));
}
#endif

#ifndef _WIN32
// Copies damaged past their headers, as an interrupted copy or bit rot leaves them: the dynamic segment
// and the tables it names are checked, and what passes is tried in a child process first, so that the
// host (this test) never dies in the system's loader. What comes through both is loaded here.
TEST(CatalogueModule, DamagedCopiesAreRefusedOrTriedNeverCrash) {
    const std::string module = FileBytes(KT_CATALOGUE_MODULE);
    const bool is64 = sizeof(void*) == 8;
    const size_t entry = is64 ? 56 : 32, word = is64 ? 8 : 4;
    auto get = [&module](size_t at, size_t width) {
        uint64_t value = 0;
        std::memcpy(&value, module.data() + at, width);  // little-endian, as the machines this runs on
        return value;
    };
    const size_t table = get(is64 ? 32 : 28, word), count = get(is64 ? 56 : 44, 2);
    size_t dynamic = 0, dynamicSize = 0;
    for (size_t i = 0; i < count; ++i)
        if (get(table + i * entry, 4) == 2) {
            dynamic = get(table + i * entry + (is64 ? 8 : 4), word);
            dynamicSize = get(table + i * entry + (is64 ? 32 : 16), word);
        }
    ASSERT_GT(dynamicSize, 0u);
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("ktcat_damaged_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "damaged.so").string();
    // Why the copy is not loaded, or empty after loading it and reading every text.
    auto outcome = [&path](const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::string problem = host::CheckModuleFile(path);
        if (problem.empty()) problem = host::TrialLoad(path);
        host::CatalogueModule loaded;
        if (problem.empty() && loaded.Load(path)) {
            for (host::ResourceStringRecord* record = loaded.First(); record != nullptr;
                 record = record->next)
                for (int32_t index = 0; index < record->count; ++index)
                    static_cast<void>(record->textAt(record, index));
        }
        return problem;
    };
    const std::string damaged = path + ": damaged or not a module for this machine: ";
    std::string zeroed = module;
    std::fill(zeroed.begin() + static_cast<std::ptrdiff_t>(dynamic),
              zeroed.begin() + static_cast<std::ptrdiff_t>(dynamic + dynamicSize), '\0');
    EXPECT_EQ(outcome(zeroed), damaged + "its dynamic segment is empty");
    if (dynamic > 65536) {  // zeros from 64 KiB on, as an interrupted copy into a preallocated file leaves
        std::string cut = module;
        std::fill(cut.begin() + 65536, cut.end(), '\0');
        EXPECT_EQ(outcome(cut), damaged + "its dynamic segment is empty");
    }
    std::string endless = module;
    for (size_t at = dynamic; at + 2 * word <= dynamic + dynamicSize; at += 2 * word)
        endless.replace(at, 2 * word, module.substr(dynamic, 2 * word));
    EXPECT_EQ(outcome(endless), damaged + "its dynamic segment has no terminating entry");
    for (size_t at = dynamic; at < dynamic + dynamicSize; at += 2 * word) {
        if (get(at, word) != 5) continue;  // DT_STRTAB, moved far outside the module
        std::string moved = module;
        moved.replace(at + word, word, std::string(word, '\x7F'));
        EXPECT_TRUE(outcome(moved).starts_with(damaged + "its string table (bytes ")) << outcome(moved);
    }
    // Random bytes in the ELF header, the program headers and the dynamic segment.
    std::mt19937 random(29);
    const std::pair<size_t, size_t> regions[] = {
        {0, is64 ? 64 : 52}, {table, count * entry}, {dynamic, dynamicSize}};
    size_t refused = 0, crashed = 0, loaded = 0;
    for (int copy = 0; copy < 200; ++copy) {
        std::string bytes = module;
        for (uint32_t changes = 1 + random() % 4; changes > 0; --changes) {
            const auto& [start, length] = regions[random() % 3];
            bytes[start + random() % length] = static_cast<char>(random());
        }
        const std::string problem = outcome(bytes);
        refused += problem.starts_with(damaged);
        crashed += problem.starts_with(path + ": the system loader ");
        loaded += problem.empty();
        EXPECT_TRUE(
            problem.empty() || problem.starts_with(damaged) ||
            problem.starts_with(path + ": the system loader crashed on this file (signal ") ||
            problem.starts_with(path + ": the system loader ended the process on this file (exit code "))
            << problem;
    }
    std::printf("200 damaged copies: %zu refused by the check, %zu ended the trial load, %zu loaded\n",
                refused, crashed, loaded);
    EXPECT_EQ(host::TrialLoad(KT_CATALOGUE_MODULE), "");
    const std::string loop = (folder / "a").string();
    std::filesystem::create_symlink("b", folder / "a");
    std::filesystem::create_symlink("a", folder / "b");
    EXPECT_EQ(host::CheckModuleFile(loop), loop + ": a loop of symbolic links");
    std::filesystem::remove_all(folder);
}
#endif

// A small DLL image as the linker lays one out: MZ header, PE header, optional header, one section.
std::string PeImage(uint16_t machine) {
    std::string image(0x400, '\0');
    auto put = [&image](size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
    };
    const bool plus = machine != 0x14C;
    const uint16_t optionalSize = plus ? 240 : 224;
    put(0, 'M' | 'Z' << 8, 2);
    put(0x3C, 0x40, 4);
    put(0x40, 'P' | 'E' << 8, 4);
    put(0x44, machine, 2);
    put(0x46, 1, 2);  // one section
    put(0x54, optionalSize, 2);
    put(0x56, 0x2002, 2);                // executable image, DLL
    put(0x58, plus ? 0x20B : 0x10B, 2);  // optional header magic
    put(0x58 + 60, 0x200, 4);            // size of headers
    const size_t section = 0x58 + optionalSize;
    std::memcpy(&image[section], ".data", 5);
    put(section + 16, 0x200, 4);  // raw size
    put(section + 20, 0x200, 4);  // raw offset
    return image;
}

TEST(CatalogueModule, PeCheckReadsEveryHeaderFieldItRelies) {
    auto check = [](const std::string& bytes, uint16_t machine = 0x14C) {
        return host::CheckPeDll(ReaderOf(bytes), bytes.size(), machine);
    };
    const std::string image = PeImage(0x14C);
    ASSERT_EQ(check(image), "");
    EXPECT_EQ(check(PeImage(0x8664), 0x8664), "");
    auto changed = [&image](size_t at, char value) {
        std::string bytes = image;
        bytes[at] = value;
        return bytes;
    };
    const std::pair<std::string, std::string> damaged[] = {
        {image.substr(0, 0x3FF),
         "the contents of its section 0 (bytes 512 to 1024) reach past the end of the file (1023 bytes)"},
        {image.substr(0, 0x50), "its PE header (bytes 64 to 88) reach past the end of the file (80 bytes)"},
        {image.substr(0, 20), "it is 20 bytes long, too short for an MZ header"},
        {changed(0, 'X'), "it is not a Windows module (no MZ header)"},
        {changed(0x3F, '\x7F'),
         "its PE header (bytes 2130706496 to 2130706520) reach past the end of the file (1024 bytes)"},
        {changed(0x41, 'X'), "it is not a PE file"},
        {changed(0x45, '\x86'), "it is built for machine 34380, not for this one (332)"},
        {changed(0x57, 0), "it is no DLL"},
        {changed(0x59, 0x02), "its optional header is of kind 523, not 267"},
        {changed(0x54, 10), "its optional header is missing or too short"},
        {changed(0x46, 0), "it has no sections"},
        {changed(0x46, 100),
         "its section table (bytes 312 to 4312) reach past the end of the file (1024 bytes)"},
    };
    for (const auto& [bytes, message] : damaged) EXPECT_EQ(check(bytes), message);
}

// The probe module is the catalogue module plus two exports that let the test watch its unload.
using RegistryProbe = ResourceStringRegistry* (*)();
using BlockTableProbe = size_t (*)();

struct UnloadObservation {
    bool registryReleasing = false;
    ResourceStringLibrary* head = reinterpret_cast<ResourceStringLibrary*>(1);
    size_t blockTableSize = 1;
};

TEST(CatalogueModule, UnloadRunsTheExitListNewestFirstAndTheRegistryLast) {
    std::string error;
    void* probe = platform::LoadModule(KT_CATALOGUE_PROBE_MODULE, &error);
    ASSERT_NE(probe, nullptr) << error;
    auto registryOf = reinterpret_cast<RegistryProbe>(platform::ModuleSymbol(probe, "ProbeRegistry"));
    auto blockTableSize =
        reinterpret_cast<BlockTableProbe>(platform::ModuleSymbol(probe, "ProbeBlockTableSize"));
    ASSERT_TRUE(registryOf && blockTableSize);
    ResourceStringRegistry* registry = registryOf();
    EXPECT_EQ(blockTableSize(), UnicodeBlockCount);
    test::ExpectStartedChain(registry->First());

    // A slot the registry releases while it is being destroyed, the last entry of the exit list.
    static UnloadObservation seen;
    seen = {};
    registry->sharedSlots[0] = std::shared_ptr<void>(nullptr, [registry, blockTableSize](void*) {
        seen.registryReleasing = true;
        seen.head = registry->head;
        seen.blockTableSize = blockTableSize();
    });
    ASSERT_TRUE(platform::UnloadModule(probe, &error)) << error;
    EXPECT_TRUE(seen.registryReleasing) << "the exit list did not run at unload";
    EXPECT_EQ(seen.head, nullptr) << "every catalogue unlinks itself before the registry goes";
    EXPECT_EQ(seen.blockTableSize, 0u) << "the block table is released before the registry";
    EXPECT_FALSE(platform::IsModuleLoaded(KT_CATALOGUE_PROBE_MODULE));
}

}  // namespace
}  // namespace kt
