#include "plugin/window_proc.h"

#include "plugin/gen_Lumtra.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Winamp always handles the message first; nothing the plugin does changes the result.
    if (!lpWndProcOld) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(lpWndProcOld, window, message, wParam, lParam);
}
