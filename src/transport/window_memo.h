// What client work asks the system about other programs' windows, each asked once. Whether a
// window still lives is taken as the piece of work first found it; its thread, process and class
// never change while it lives, so they are kept from one piece to the next for as long as every
// piece asks about the window. Each answer is a round trip to the window manager (under Wine a
// request to its server), and every update asks the same few windows again and again.
#pragma once
#include <windows.h>
#include <string>

// The answers are used while one of these lives; when the outermost one ends, whether windows
// live is forgotten, and so is all about a window it did not ask about. Without one every
// question goes to the system. The record is not locked: only Winamp's thread, which runs every
// piece of client work, asks through it.
class TWindowMemo {
  public:
    TWindowMemo();
    ~TWindowMemo();
    TWindowMemo(const TWindowMemo&) = delete;
    TWindowMemo& operator=(const TWindowMemo&) = delete;
};

// IsWindow.
bool MemoIsWindow(HWND h);
// An enumeration has just met the window: it exists, as an IsWindow at that moment would say.
void MemoSawWindow(HWND h);
// IsWindowUnicode: whether the window takes texts in the wide form. Kept, like the class, while
// every piece asks about the window: a control gets its kind when it is made (and subclassed), and
// a kind gone stale would cost only the system's conversion of a text, never a wrong window.
bool MemoIsUnicode(HWND h);
// GetClassNameA; empty for a window that is gone.
std::string MemoClassName(HWND h);
// GetWindowThreadProcessId: the thread, and the process in pid when given; 0 for a window that
// is gone.
DWORD MemoThreadId(HWND h, DWORD* pid = nullptr);
