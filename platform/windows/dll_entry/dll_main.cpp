// The entry function of a module built as a Windows DLL. The run-time's own entry has already run the
// start-up list (the static initialisers) when it calls this one at process attach, and runs the exit list
// after it at process detach.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    // Nothing of the module runs when threads start or end.
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}
