#include "plugin/pacer.h"

#include <algorithm>

#include "plugin/gen_Lumtra.h"

UINT CountdownSecondMs = 1000;

namespace {
constexpr UINT_PTR DeadlineTimer = 1;
// The plugin's own message, to its own window only: Winamp never receives it.
constexpr UINT WM_UPDATE_DUE = WM_APP + 1;

HWND window = nullptr;
bool deadlineRunning = false;
bool updatePosted = false;
TPacerCalls calls{};

LRESULT CALLBACK PacerProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    // This frame stays on Winamp's stack while the update waits, and quit may come meanwhile.
    const TPluginOnStack below;
    try {
        if (message == WM_TIMER && wParam == DeadlineTimer) {
            CancelDeadline();
            if (calls.OnDeadline) calls.OnDeadline();
            return 0;
        }
        if (message == WM_UPDATE_DUE) {
            updatePosted = false;
            if (calls.OnUpdateDue) calls.OnUpdateDue();
            return 0;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(h, message, wParam, lParam);
}

// Made on the first need, on the thread that needs it: Winamp's.
HWND Window() {
    if (window && IsWindow(window)) return window;
    // A system class, so that nothing is left registered when the library goes.
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PacerProc));
    deadlineRunning = updatePosted = false;
    return window;
}
} // namespace

void StartDeadline(int32_t seconds, const TPacerCalls& with) {
    if (seconds <= 0 || deadlineRunning) return;
    const HWND h = Window();
    if (!h) return;
    calls = with;
    // A delay of days is one the user asked for; the system's timer reaches about 24 days.
    const auto ms = std::min<unsigned long long>(
        static_cast<unsigned long long>(seconds) * CountdownSecondMs, USER_TIMER_MAXIMUM);
    deadlineRunning = SetTimer(h, DeadlineTimer, static_cast<UINT>(ms), nullptr) != 0;
}

void CancelDeadline() {
    if (deadlineRunning && window) KillTimer(window, DeadlineTimer);
    deadlineRunning = false;
}

void PostUpdate(const TPacerCalls& with) {
    if (updatePosted) return;
    const HWND h = Window();
    if (!h) return;
    calls = with;
    updatePosted = PostMessageW(h, WM_UPDATE_DUE, 0, 0) != FALSE;
}

bool UpdatePosted() {
    return updatePosted;
}

void StopPacer() {
    // Only the thread that made it can destroy it; quit and unload come on Winamp's.
    if (window && IsWindow(window) &&
        GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        DestroyWindow(window);
    window = nullptr;
    deadlineRunning = updatePosted = false;
}
