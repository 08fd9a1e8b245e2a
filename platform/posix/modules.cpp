#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

TrialLoadResult TrialLoadModule(const char* path, void (*exercise)(void* module)) {
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        // A crash must end the child by its signal, not in a handler a sanitizer installed; and the
        // loader's messages are the parent's to give.
        for (int number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS}) ::signal(number, SIG_DFL);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (module != nullptr) {
            if (exercise != nullptr) exercise(module);
            dlclose(module);
        }
        // A normal end, so that exit handlers the module left behind run (and crash) here as well.
        std::exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return {};
    TrialLoadResult result;
    result.tried = true;
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
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
