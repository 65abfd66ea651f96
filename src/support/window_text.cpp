#include "support/window_text.h"

#include "support/owners.h"
#include "support/send.h"
#include "support/window_memo.h"

#include <algorithm>

namespace {
// Room for a reported length plus the NUL and one spare byte, with absurd reports capped.
size_t TextBufferSize(LRESULT reported) {
    return static_cast<size_t>(std::clamp<LRESULT>(reported, 0, MaxWindowTextLength)) + 2;
}

// The length of a window's title. For another program's window it is asked with the bounded
// send: Wine answers GetWindowTextLengthA by sending WM_GETTEXTLENGTH without any time-out.
LRESULT TitleLength(HWND h) {
    DWORD pid = 0;
    MemoThreadId(h, &pid);
    if (pid == GetCurrentProcessId()) return GetWindowTextLengthA(h);
    return SendToWindow(h, WM_GETTEXTLENGTH, 0, 0);
}

std::string TextOf(const LocalBuffer& b) {
    return b ? std::string(b.get(), strnlen(b.get(), b.size())) : std::string();
}

// One buffer for the class name, the title and the shown text alike: as large as the largest.
size_t ClassAndTextsBufferSize(HWND h) {
    return std::max({size_t{1024}, TextBufferSize(TitleLength(h)),
                     TextBufferSize(SendToWindow(h, WM_GETTEXTLENGTH, 0, 0))});
}
} // namespace

bool IsWindowL(HWND h) {
    // A client that stopped answering during this pass counts as gone until the pass ends.
    return h != nullptr && MemoIsWindow(h) && !IsUnanswering(h);
}

std::string sGetWindowClass(HWND h) {
    // No separate existence test: the class of a window that is gone reads empty anyway.
    if (!h || IsUnanswering(h)) return {};
    return MemoClassName(h);
}

std::string sGetWindowTitle(HWND h) {
    if (!IsWindowL(h)) return {};
    LocalBuffer b(TextBufferSize(TitleLength(h)));
    if (b) GetWindowTextA(h, b.get(), static_cast<int>(b.size()));
    return TextOf(b);
}

std::string sGetWindowCaption(HWND h) {
    if (!IsWindowL(h)) return {};
    LocalBuffer b(TextBufferSize(SendToWindow(h, WM_GETTEXTLENGTH, 0, 0)));
    if (b) SendToWindow(h, WM_GETTEXT, b.size(), reinterpret_cast<LPARAM>(b.get()));
    return TextOf(b);
}

bool sGetWindowClassAndTitle(HWND h, std::string& Title, std::string& ClassName,
                             std::string& Caption) {
    if (!IsWindowL(h)) return false;
    const size_t size = ClassAndTextsBufferSize(h);
    LocalBuffer b(size);
    if (!b) return false;
    const int n = static_cast<int>(size);
    GetClassNameA(h, b.get(), n);
    ClassName = TextOf(b);
    ZeroMemory(b.get(), size);
    GetWindowTextA(h, b.get(), n);
    Title = TextOf(b);
    ZeroMemory(b.get(), size);
    SendToWindow(h, WM_GETTEXT, size, reinterpret_cast<LPARAM>(b.get()));
    Caption = TextOf(b);
    return true;
}

bool sGetWindowClassAndCaption(HWND h, std::string& ClassName, std::string& Caption) {
    if (!IsWindowL(h)) return false;
    // The client is asked exactly what sGetWindowClassAndTitle asks it, buffer size included.
    const size_t size = ClassAndTextsBufferSize(h);
    LocalBuffer b(size);
    if (!b) return false;
    ClassName = MemoClassName(h);
    SendToWindow(h, WM_GETTEXT, size, reinterpret_cast<LPARAM>(b.get()));
    Caption = TextOf(b);
    return true;
}
