// The calls through which the plugin touches the shared desktop: cursor, foreground window,
// injected input, the tray, popup menus and showing Winamp's window. They go through this table
// so that tests can record them instead of moving the real cursor.
#pragma once
#include <windows.h>
#include <shellapi.h>

struct TDesktopCalls {
    BOOL(WINAPI* GetCursorPos)(LPPOINT);
    BOOL(WINAPI* SetCursorPos)(int, int);
    void(WINAPI* mouse_event)(DWORD, DWORD, DWORD, DWORD, ULONG_PTR);
    BOOL(WINAPI* SetForegroundWindow)(HWND);
    HWND(WINAPI* GetForegroundWindow)();
    BOOL(WINAPI* Shell_NotifyIconW)(DWORD, PNOTIFYICONDATAW);
    BOOL(WINAPI* TrackPopupMenu)(HMENU, UINT, int, int, int, HWND, const RECT*);
    // Read with the call that shows a window, so that a test can stage the window's state.
    BOOL(WINAPI* IsIconic)(HWND);
    BOOL(WINAPI* IsWindowVisible)(HWND);
    BOOL(WINAPI* ShowWindow)(HWND, int);
};

// The real calls.
const TDesktopCalls& RealDesktop();
// What the plugin uses; tests may swap entries.
extern TDesktopCalls Desktop;
