// Only in the DLL: the tests link the same code into their own programs and initialise it
// themselves.
#include "plugin/gen_Lumtra.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        try {
            LoadTimeInit();
        } catch (...) {
        }
    }
    return TRUE;
}
