#include "support/window_search.h"

#include "support/supportLumtra.h"
#include "support/window_text.h"

#include <string_view>

namespace {
bool ClassListed(const std::string& list, const std::string& name) {
    std::string_view rest(list);
    while (!rest.empty()) {
        const size_t end = rest.find('\0');
        const std::string_view item = rest.substr(0, end);
        if (!item.empty() && item == name) return true; // exact, case-sensitive
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

// The criteria are alternatives, tried in order; a later one is not read once one matched.
bool Matches(const TWindowsAr& ww, HWND h) {
    if (ww.szClass.empty() && ww.szTitle.empty() && ww.szCaption.empty()) return true;
    if (!ww.szClass.empty() && ClassListed(ww.szClass, sGetWindowClass(h))) return true;
    if (!ww.szTitle.empty() && sStrCompareText(ww.szTitle, sGetWindowTitle(h)) == 0) return true;
    if (!ww.szCaption.empty() && sStrCompareText(ww.szCaption, sGetWindowCaption(h)) == 0)
        return true;
    return false;
}
} // namespace

void AddClassName(std::string& list, const std::string& name) {
    list += name;
    list += '\0';
}

BOOL CALLBACK FindWindowProc(HWND h, LPARAM lParam) {
    try {
        auto* ww = reinterpret_cast<TWindowsAr*>(lParam);
        if (!ww || ww->wwCounter < 0 || ww->wwCounter > ICQClientsMaxCount) return TRUE;
        if (Matches(*ww, h)) ww->windows[static_cast<size_t>(ww->wwCounter++)] = h;
    } catch (...) {
    }
    return TRUE;
}

int FindChildsWindows(HWND hParent, TWindowsAr& ww) {
    const LPARAM lp = reinterpret_cast<LPARAM>(&ww);
    // A zero parent means the top-level windows; Wine's EnumChildWindows finds none for it.
    if (hParent)
        EnumChildWindows(hParent, &FindWindowProc, lp);
    else
        EnumWindows(&FindWindowProc, lp);
    return ww.wwCounter;
}
