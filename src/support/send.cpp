#include "support/send.h"

LRESULT SendToWindow(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(h, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, SendTimeoutMs,
                             &result))
        return 0;
    return static_cast<LRESULT>(result);
}
