// A small Windows host of the catalogue module, as a host program written for Windows uses it: the
// system loader directly (LoadLibraryW, GetProcAddress by name and by ordinal, FreeLibrary) and the
// record layout of host/host.h. It walks the chain and prints each catalogue with its first entry.
//   winhost [path\to\ktcatalogue_de.dll]   (default: ktcatalogue_de.dll beside the program or on the
//   system's search path)
// Exit code 0 when the module loads, both look-ups agree, every record answers its accessors as the
// record layout promises and the module unloads; 1 otherwise.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "catalogues/catalogue_list.h"
#include "host/host.h"

namespace {

using kt::host::ResourceStringRecord;

std::string Utf8(const char16_t* text) {
    if (text == nullptr) return "(null)";
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "(unconvertible)";
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.pop_back();  // the terminator
    return narrow;
}

std::wstring Wide(const char* text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
    wide.pop_back();
    return wide;
}

kt::host::GetFirstResourceStringLibraryFunction AsExport(FARPROC address) {
    kt::host::GetFirstResourceStringLibraryFunction function;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

// Checks one record's accessors at the edges of its entries; prints what is wrong.
bool RecordAnswers(ResourceStringRecord* record) {
    bool ok = true;
    if (record->count <= 0 || record->keyAt(record, record->count - 1) == nullptr ||
        record->textAt(record, record->count - 1) == nullptr) {
        std::printf("    FAIL: no last entry\n");
        ok = false;
    }
    if (record->keyAt(record, record->count) != nullptr || record->keyAt(record, -1) != nullptr ||
        record->textAt(record, record->count) != nullptr) {
        std::printf("    FAIL: an index outside the entries does not yield null\n");
        ok = false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : kt::host::ModuleFileName;
    std::printf("winhost: %d-bit host, record size %u\n", static_cast<int>(sizeof(void*) * 8),
                static_cast<unsigned>(sizeof(ResourceStringRecord)));

    HMODULE module = LoadLibraryW(Wide(path).c_str());
    if (module == nullptr) {
        std::printf("FAIL: LoadLibrary(%s): error %lu\n", path, GetLastError());
        return 1;
    }
    std::printf("LoadLibrary(%s): loaded\n", path);

    auto byName = AsExport(GetProcAddress(module, kt::host::FirstRecordExport));
    auto byOrdinal = AsExport(GetProcAddress(module, MAKEINTRESOURCEA(1)));
    bool ok = byName != nullptr && byName == byOrdinal;
    std::printf("GetProcAddress by name and by ordinal 1: %s\n",
                byName == nullptr ? "FAIL: no export by name"
                                  : (byName == byOrdinal ? "same function" : "FAIL: they differ"));

    int catalogues = 0;
    if (byName != nullptr) {
        for (ResourceStringRecord* record = byName(); record != nullptr; record = record->next) {
            ++catalogues;
            std::printf("%2d. %-13s %4d entries, version %u; [0] %s = \"%s\"\n", catalogues,
                        Utf8(record->name).c_str(), static_cast<int>(record->count),
                        static_cast<unsigned>(record->version), Utf8(record->keyAt(record, 0)).c_str(),
                        Utf8(record->textAt(record, 0)).c_str());
            ok = RecordAnswers(record) && ok;
            if (catalogues > 1000) break;  // a chain that loops
        }
    }
    std::printf("catalogues on the chain: %d\n", catalogues);
    ok = ok && catalogues == KT_CATALOGUE_COUNT;

    if (FreeLibrary(module)) {
        std::printf("FreeLibrary: unloaded\n");
    } else {
        std::printf("FAIL: FreeLibrary: error %lu\n", GetLastError());
        ok = false;
    }
    std::printf("winhost: %s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
