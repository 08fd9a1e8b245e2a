// Loadable modules over the system's loader (LoadLibraryW, GetProcAddress, FreeLibrary). Paths are UTF-8
// and handed to the system as UTF-16; either separator works.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/windows/wide.h"

namespace kt::platform {

namespace {
void SetError(std::string* error, const char* path) {
    if (error == nullptr) return;
    const DWORD code = GetLastError();
    *error = std::string(path != nullptr ? path : "(null)") + ": " + windows::ErrorText(code);
}
}  // namespace

TrialLoadResult TrialLoadModule(const char*, void (*)(void*)) {
    return {};  // Windows has no fork; a DLL the loader cannot map fails LoadLibrary with an error instead
}

void* LoadModule(const char* path, std::string* error) {
    if (path == nullptr || *path == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        SetError(error, path);
        return nullptr;
    }
    // No error boxes: a module that cannot be loaded is reported to the caller.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(windows::WideFromUtf8(path).c_str());
    SetErrorMode(previousMode);
    if (module == nullptr) SetError(error, path);
    return module;
}

void* ModuleSymbol(void* module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    FARPROC symbol = GetProcAddress(static_cast<HMODULE>(module), name);
    void* address;
    static_assert(sizeof address == sizeof symbol);
    std::memcpy(&address, &symbol, sizeof address);  // a code address handed on as the layer's void*
    return address;
}

bool UnloadModule(void* module, std::string* error) {
    if (module == nullptr) return true;
    if (FreeLibrary(static_cast<HMODULE>(module))) return true;
    SetError(error, "FreeLibrary");
    return false;
}

bool IsModuleLoaded(const char* path) {
    if (path == nullptr || *path == 0) return false;
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              windows::WideFromUtf8(path).c_str(), &module) != 0;
}

std::string ExecutableDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 0x8000) return {};  // longer than any path the system allows
        path.resize(path.size() * 2);
    }
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    return windows::Utf8FromWide(path.data(), separator);
}

}  // namespace kt::platform
