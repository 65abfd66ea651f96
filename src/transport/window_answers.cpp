#include "transport/window_answers.h"

#include "transport/send.h"
#include "transport/window_memo.h"

bool IsAnsweringWindow(HWND h) {
    return h != nullptr && MemoIsWindow(h) && !IsUnanswering(h);
}

LRESULT AskTextLength(HWND h) {
    return SendToWindow(h, WM_GETTEXTLENGTH, 0, 0);
}

void AskText(HWND h, char* buffer, size_t size) {
    SendToWindow(h, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}

LRESULT AskTextLengthW(HWND h) {
    return SendToWindowW(h, WM_GETTEXTLENGTH, 0, 0);
}

void AskTextW(HWND h, wchar_t* buffer, size_t size) {
    SendToWindowW(h, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}

LRESULT AskTitleLength(HWND h) {
    DWORD pid = 0;
    MemoThreadId(h, &pid);
    if (pid == GetCurrentProcessId()) return GetWindowTextLengthA(h);
    return AskTextLength(h);
}
