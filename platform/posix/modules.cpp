#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "platform/platform.h"

namespace kt::platform {

namespace {
void SetError(std::string* error) {
    if (error == nullptr) return;
    const char* message = dlerror();
    *error = message != nullptr ? message : "unknown error of the module loader";
}
}  // namespace

void* LoadModule(const char* path, std::string* error) {
    // Local binding: the module's symbols never take part in resolving other modules' references.
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) SetError(error);
    return module;
}

void* ModuleSymbol(void* module, const char* name) {
    return module ? dlsym(module, name) : nullptr;
}

bool UnloadModule(void* module, std::string* error) {
    if (module == nullptr) return true;
    if (dlclose(module) == 0) return true;
    SetError(error);
    return false;
}

bool IsModuleLoaded(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) return false;
    dlclose(module);  // drops the reference RTLD_NOLOAD just took
    return true;
}

std::string ExecutableDirectory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) return {};
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace kt::platform
