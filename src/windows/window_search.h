// Looking for windows by class, title or caption: the clients' status forms and main windows,
// and the controls on a form.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>

#include "settings/tps.h"
#include "windows/window_text.h"

// One window search: what to look for, and what was found.
struct TWindowsAr {
    std::array<HWND, ICQClientsMaxCount + 1> windows{}; // in the order of enumeration
    int32_t wwCounter = 0;                              // entries of windows filled, 0..21
    std::string szClass;   // class names, each followed by one NUL; empty = no class criterion
    std::string szTitle;   // compared with the window title; empty = none
    std::string szCaption; // compared with the text the window answers; empty = none
};
inline const TWindowsAr nilTWindowsAr{};

// Appends one class name to a class list.
void AddClassName(std::string& list, const std::string& name);

// Enumeration callback: lParam is the address of a TWindowsAr. Always goes on to the end.
BOOL CALLBACK FindWindowProc(HWND h, LPARAM lParam);

// All descendants of hParent, or the top-level windows when hParent is 0, that meet the
// criteria of ww, appended to ww (up to 21 in all). Returns ww.wwCounter.
int FindChildsWindows(HWND hParent, TWindowsAr& ww);

// What FindChildsWindows(nullptr, ww) finds, in the same order. A search by class alone lets
// the window manager pick out the windows of each class, instead of reading the class of every
// window on the desktop, so its cost hardly grows with the number of windows.
int FindTopLevelWindows(TWindowsAr& ww);

// Calls visit(window, className, caption) for each of the first 21 descendants of parent, in
// enumeration order, skipping those whose texts cannot be read.
template <typename Visit> void ForEachReadableDescendant(HWND parent, Visit visit) {
    TWindowsAr ww = nilTWindowsAr;
    FindChildsWindows(parent, ww);
    for (int i = 0; i < ww.wwCounter; ++i) {
        const HWND h = ww.windows[static_cast<size_t>(i)];
        std::string cls, caption;
        if (sGetWindowClassAndCaption(h, cls, caption)) visit(h, cls, caption);
    }
}
