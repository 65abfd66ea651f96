#include "windows/desktop.h"

namespace {
// Thin forwarders: each call goes through the library's import table at the moment it is made,
// so a host that watches those imports (the player program's soak run) sees every call.
BOOL WINAPI CallGetCursorPos(LPPOINT p) {
    return ::GetCursorPos(p);
}
BOOL WINAPI CallSetCursorPos(int x, int y) {
    return ::SetCursorPos(x, y);
}
void WINAPI CallMouseEvent(DWORD f, DWORD x, DWORD y, DWORD d, ULONG_PTR e) {
    ::mouse_event(f, x, y, d, e);
}
BOOL WINAPI CallSetForegroundWindow(HWND h) {
    return ::SetForegroundWindow(h);
}
HWND WINAPI CallGetForegroundWindow() {
    return ::GetForegroundWindow();
}
BOOL WINAPI CallShellNotifyIcon(DWORD m, PNOTIFYICONDATAW d) {
    return ::Shell_NotifyIconW(m, d);
}
BOOL WINAPI CallTrackPopupMenu(HMENU m, UINT f, int x, int y, int r, HWND h, const RECT* rc) {
    return ::TrackPopupMenu(m, f, x, y, r, h, rc);
}
BOOL WINAPI CallIsIconic(HWND h) {
    return ::IsIconic(h);
}
BOOL WINAPI CallIsWindowVisible(HWND h) {
    return ::IsWindowVisible(h);
}
BOOL WINAPI CallShowWindow(HWND h, int command) {
    return ::ShowWindow(h, command);
}
} // namespace

const TDesktopCalls& RealDesktop() {
    static const TDesktopCalls real{&CallGetCursorPos,        &CallSetCursorPos,
                                    &CallMouseEvent,          &CallSetForegroundWindow,
                                    &CallGetForegroundWindow, &CallShellNotifyIcon,
                                    &CallTrackPopupMenu,      &CallIsIconic,
                                    &CallIsWindowVisible,     &CallShowWindow};
    return real;
}

TDesktopCalls Desktop = RealDesktop();
