// Only in the DLL: the tests link the same code into their own programs and initialise it
// themselves.
#include "plugin/gen_Lumtra.h"
#include "plugin/pacer.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    try {
        if (reason == DLL_PROCESS_ATTACH) LoadTimeInit();
        // Unloaded without quit: the plugin's own window must not outlive its procedure. (At
        // process exit the system takes it with everything else.)
        if (reason == DLL_PROCESS_DETACH && !reserved) StopPacer();
    } catch (...) {
    }
    return TRUE;
}
