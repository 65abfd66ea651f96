#include "windows/window_text.h"

#include "support/owners.h"
#include "support/unicode.h"
#include "transport/send.h"
#include "transport/window_answers.h"
#include "transport/window_memo.h"

#include <algorithm>

namespace {
// Room for a reported length plus the NUL and one spare byte, with absurd reports capped.
size_t TextBufferSize(LRESULT reported) {
    return static_cast<size_t>(std::clamp<LRESULT>(reported, 0, MaxWindowTextLength)) + 2;
}

std::string TextOf(const LocalBuffer& b) {
    return b ? std::string(b.get(), strnlen(b.get(), b.size())) : std::string();
}

// One buffer for the class name, the title and the shown text alike: as large as the largest.
size_t ClassAndTextsBufferSize(HWND h) {
    return std::max(
        {size_t{1024}, TextBufferSize(AskTitleLength(h)), TextBufferSize(AskTextLength(h))});
}
} // namespace

bool IsWindowL(HWND h) {
    return IsAnsweringWindow(h);
}

std::string sGetWindowClass(HWND h) {
    // No separate existence test: the class of a window that is gone reads empty anyway.
    if (!h || IsUnanswering(h)) return {};
    return MemoClassName(h);
}

std::string sGetWindowTitle(HWND h) {
    if (!IsWindowL(h)) return {};
    LocalBuffer b(TextBufferSize(AskTitleLength(h)));
    if (b) GetWindowTextA(h, b.get(), static_cast<int>(b.size()));
    return TextOf(b);
}

std::string sGetWindowCaption(HWND h) {
    if (!IsWindowL(h)) return {};
    LocalBuffer b(TextBufferSize(AskTextLength(h)));
    if (b) AskText(h, b.get(), b.size());
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
    AskText(h, b.get(), size);
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
    AskText(h, b.get(), size);
    Caption = TextOf(b);
    return true;
}

std::string sGetControlText(HWND h) {
    if (!MemoIsUnicode(h)) return Utf8FromAnsi(sGetWindowCaption(h));
    if (!IsWindowL(h)) return {};
    const size_t count = TextBufferSize(AskTextLengthW(h));
    LocalBuffer b(count * sizeof(wchar_t));
    if (!b) return {};
    const auto* text = reinterpret_cast<wchar_t*>(b.get());
    AskTextW(h, reinterpret_cast<wchar_t*>(b.get()), count);
    return Utf8Of(text, wcsnlen(text, count));
}

void SetControlText(HWND h, const std::string& utf8) {
    if (MemoIsUnicode(h)) {
        const std::wstring text = WideOf(utf8);
        SendToWindowW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        const std::string text = AnsiFromUtf8(utf8);
        SendToWindow(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::string ControlShows(HWND h, const std::string& utf8) {
    return MemoIsUnicode(h) ? utf8 : Utf8FromAnsi(AnsiFromUtf8(utf8));
}
