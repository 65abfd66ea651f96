// Cost per message of Winamp's main window with and without the plugin's hook, for a message
// the plugin ignores and for a host message that counts down (and so costs two queries).
// For reference it also measures a bare subclass that only passes messages on, the least any
// hook installed with SetWindowLongPtr/CallWindowProc can cost.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "common/fake_winamp.h"
#include "plugin/gen_Lumtra.h"
#include "host/wa_ipc.h"
#include "plugin/window_proc.h"
#include "settings/settings.h"

namespace {
constexpr int Rounds = 15;
constexpr LPARAM AnyIpc = 1234; // a host message the plugin neither sends nor watches

struct Case {
    const char* name;
    UINT message;
    LPARAM lParam;
    int count;
    double target;
};
constexpr Case Cases[] = {
    {"WM_NULL", WM_NULL, 0, 20000, 1.10},
    {"WM_MOUSEMOVE", WM_MOUSEMOVE, 0, 20000, 1.10},
    {"WM_WA_IPC (counted)", WM_WA_IPC, AnyIpc, 10000, 3.5},
};
constexpr size_t CaseCount = std::size(Cases);

double NsPerMessage(HWND h, const Case& c) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < c.count; ++i)
        SendMessageA(h, c.message, 0, c.lParam);
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) * 1e9 / double(freq.QuadPart) / double(c.count);
}

void NoUpdate() {}
bool NoClients() {
    return true;
}

WNDPROC bareNext = nullptr;
LRESULT CALLBACK BareSubclass(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcW(bareNext, h, m, w, l);
}

// In the host window's own kind (a Unicode one, as Winamp 5's), as the plugin hooks.
WNDPROC Install(HWND h, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}
} // namespace

int main() {
    LoadTimeInit();
    FakeWinampOptions options;
    options.record = false;
    options.playlist = {FakeEntry{"C:\\Music\\Band - Song.mp3", "Band - Song", {}}};
    FakeWinamp host(options);
    const HWND h = host.hwnd();
    plugin.hwndParent = h;
    plugin.hDllInstance = GetModuleHandleA(nullptr);
    ps.WinampVer = options.version;
    UpdateCalls = TUpdateCalls{&NoClients, &NoUpdate, &NoUpdate};

    // Best of several rounds, the three set-ups interleaved so that a busy machine slows them
    // alike.
    double plain[CaseCount], bare[CaseCount], hooked[CaseCount];
    std::fill(std::begin(plain), std::end(plain), 1e30);
    std::fill(std::begin(bare), std::end(bare), 1e30);
    std::fill(std::begin(hooked), std::end(hooked), 1e30);
    for (int r = 0; r < Rounds; ++r) {
        for (size_t i = 0; i < CaseCount; ++i)
            plain[i] = std::min(plain[i], NsPerMessage(h, Cases[i]));
        bareNext = Install(h, &BareSubclass);
        for (size_t i = 0; i < CaseCount; ++i)
            bare[i] = std::min(bare[i], NsPerMessage(h, Cases[i]));
        Install(h, bareNext);
        lpWndProcOld = Install(h, &WindowProc);
        lpWndProcOldWide = true;
        for (size_t i = 0; i < CaseCount; ++i)
            hooked[i] = std::min(hooked[i], NsPerMessage(h, Cases[i]));
        Install(h, lpWndProcOld);
        lpWndProcOld = nullptr;
    }
    if (SetStatusOnNext != 0) std::printf("the countdown moved: %d\n", SetStatusOnNext);

    std::printf("%-20s %10s %10s %10s %7s %7s %7s\n", "message", "unhooked", "bare sub", "hooked",
                "bare/un", "hook/un", "target");
    for (size_t i = 0; i < CaseCount; ++i) {
        const Case& c = Cases[i];
        const double ratio = hooked[i] / plain[i];
        std::printf("%-20s %8.1fns %8.1fns %8.1fns %6.2fx %6.2fx %6.2fx%s\n", c.name, plain[i],
                    bare[i], hooked[i], bare[i] / plain[i], ratio, c.target,
                    ratio <= c.target ? "" : "  (over target)");
    }
    return 0;
}
