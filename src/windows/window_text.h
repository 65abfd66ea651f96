// Reading the texts of windows, our own and those of other programs.
#pragma once
#include <windows.h>
#include <string>

// A window length above this is not believed: a client reporting hundreds of megabytes (or a
// negative length) must not make the plugin allocate without bound.
inline constexpr LRESULT MaxWindowTextLength = 64 * 1024;

bool IsWindowL(HWND h);
std::string sGetWindowClass(HWND h);
std::string sGetWindowTitle(HWND h);
std::string sGetWindowCaption(HWND h);
bool sGetWindowClassAndTitle(HWND h, std::string& Title, std::string& ClassName,
                             std::string& Caption);
// The same without the title, for callers that do not use it: the window receives the same
// messages as from sGetWindowClassAndTitle.
bool sGetWindowClassAndCaption(HWND h, std::string& ClassName, std::string& Caption);
