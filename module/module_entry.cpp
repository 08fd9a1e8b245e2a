// The module's entry: its one static initialiser runs the start-up list when the module is loaded; the
// exit list that start-up fills runs when it is unloaded. Only the module itself is built from this file.
// (ELF has no per-thread notifications to switch off, unlike a Windows DLL's entry point.)
#include "module/module_startup.h"

namespace {
struct ModuleStartup {
    ModuleStartup() { kt::RunModuleStartup(); }
};
const ModuleStartup startup;
}  // namespace
