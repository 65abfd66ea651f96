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

// What a client's control shows, in UTF-8, read in the form the control speaks: through the wide
// messages from a Unicode control, so that nothing is lost, through the ANSI ones (and the code
// page) from an ANSI control.
std::string sGetControlText(HWND h);
// Gives a control a UTF-8 text in the same form (WM_SETTEXT, bounded as every message).
void SetControlText(HWND h, const std::string& utf8);
// What the control will show once given the text: the text itself on a Unicode control, what the
// code page leaves of it on an ANSI one. A change test compares with this, so that an ANSI client
// already showing the converted text is not written again at every update.
std::string ControlShows(HWND h, const std::string& utf8);
