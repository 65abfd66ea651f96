#include "common/fake_winamp.h"

#include "plugin/wa_ipc.h"

namespace {
constexpr char ClassName[] = "Winamp v1.x";

void RegisterOnce() {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FakeWinamp::HostProc();
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = ClassName;
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassA(&wc);
    done = true;
}
} // namespace

WNDPROC FakeWinamp::HostProc() {
    return &FakeWinamp::Proc;
}

FakeWinamp::FakeWinamp(const FakeWinampOptions& o) : options(o) {
    RegisterOnce();
    hwnd_ = CreateWindowExA(0, ClassName, "Winamp", WS_OVERLAPPEDWINDOW, 10, 10, 300, 120, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, 0, reinterpret_cast<LONG_PTR>(this));
}

FakeWinamp::~FakeWinamp() {
    Destroy();
}

void FakeWinamp::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, 0, 0);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

LRESULT CALLBACK FakeWinamp::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<FakeWinamp*>(GetWindowLongPtrA(h, 0));
    if (!self) return DefWindowProcA(h, m, w, l);
    self->received_.push_back({m, w, l});
    if (m == WM_WA_IPC && l == IPC_GETVERSION) return self->options.version;
    return DefWindowProcA(h, m, w, l);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
