// The messages the plugin sends to a client's status form and its controls, one wrapper each,
// all through the bounded send so a hung client cannot hold Winamp.
#pragma once
#include <windows.h>
#include <string>

#include "transport/send.h"
#include "windows/window_text.h"

// The point packed as the button messages carry it: x in the low 16 bits, y in the high ones.
inline LPARAM PointParam(POINT p) {
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

inline int ComboGetCurSel(HWND h) {
    return static_cast<int>(SendToWindow(h, CB_GETCURSEL, 0, 0));
}
inline void ComboSetCurSel(HWND h, int index) {
    SendToWindow(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
// A UTF-8 text, in the form the control speaks.
inline void EditSetText(HWND h, const std::string& utf8) {
    SetControlText(h, utf8);
}
inline void ButtonDown(HWND h, POINT p) {
    SendToWindow(h, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(p));
}
inline void ButtonUp(HWND h, WPARAM keys, POINT p) {
    SendToWindow(h, WM_LBUTTONUP, keys, PointParam(p));
}
inline void KeyDown(HWND h, WPARAM key) {
    SendToWindow(h, WM_KEYDOWN, key, 0);
}
inline void KeyUp(HWND h, WPARAM key) {
    SendToWindow(h, WM_KEYUP, key, 0);
}
inline void SysCommand(HWND h, WPARAM command) {
    SendToWindow(h, WM_SYSCOMMAND, command, 0);
}
