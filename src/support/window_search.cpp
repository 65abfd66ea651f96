#include "support/window_search.h"

#include "support/supportLumtra.h"
#include "support/window_memo.h"
#include "support/window_text.h"

#include <algorithm>
#include <string_view>
#include <vector>

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

// The names of a class list, each once, in the order of the list.
std::vector<std::string> ClassNames(const std::string& list) {
    std::vector<std::string> names;
    std::string_view rest(list);
    while (!rest.empty()) {
        const size_t end = rest.find('\0');
        const std::string item(rest.substr(0, end));
        if (!item.empty() && std::find(names.begin(), names.end(), item) == names.end())
            names.push_back(item);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return names;
}

// A desktop reshuffled while it is walked must not keep the walk going.
constexpr int MaxClassSteps = 4096;
constexpr int MaxRestarts = 3;

// Appends the first `limit` top-level windows of exactly this class, in z-order. The window
// manager picks them out (FindWindowExA), matching class names regardless of case, so the name
// of each one it picks is compared here.
void AppendWindowsOfClass(const std::string& name, size_t limit, std::vector<HWND>& out) {
    const size_t first = out.size();
    HWND after = nullptr;
    int restarts = 0;
    for (int step = 0; step < MaxClassSteps && out.size() - first < limit; ++step) {
        const HWND h = FindWindowExA(nullptr, after, name.c_str(), nullptr);
        if (!h) {
            // The window the walk went on from has gone meanwhile: walk again from the top.
            if (after && !IsWindow(after) && restarts++ < MaxRestarts) {
                after = nullptr;
                continue;
            }
            break;
        }
        after = h;
        if (MemoClassName(h) == name &&
            std::find(out.begin() + static_cast<ptrdiff_t>(first), out.end(), h) == out.end())
            out.push_back(h);
    }
}

struct TOrdering {
    const std::vector<HWND>* wanted;
    std::vector<HWND> ordered;
};

BOOL CALLBACK OrderProc(HWND h, LPARAM lParam) {
    try {
        auto* o = reinterpret_cast<TOrdering*>(lParam);
        const std::vector<HWND>& w = *o->wanted;
        if (std::find(w.begin(), w.end(), h) != w.end()) o->ordered.push_back(h);
        return o->ordered.size() < w.size();
    } catch (...) {
        return FALSE;
    }
}

// The windows in the order an enumeration of the top-level windows meets them. The desktop's
// list alone says that: EnumDesktopWindows hands it over as it is, where Wine's EnumWindows
// asks the window manager about every window once more. Should a window be missing from that
// list and still exist, the ordinary enumeration decides.
void PutInEnumerationOrder(std::vector<HWND>& windows) {
    TOrdering o{&windows, {}};
    EnumDesktopWindows(nullptr, &OrderProc, reinterpret_cast<LPARAM>(&o));
    for (HWND h : windows)
        if (std::find(o.ordered.begin(), o.ordered.end(), h) == o.ordered.end() && IsWindow(h)) {
            o.ordered.clear();
            EnumWindows(&OrderProc, reinterpret_cast<LPARAM>(&o));
            break;
        }
    windows = std::move(o.ordered);
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
        if (Matches(*ww, h)) {
            ww->windows[static_cast<size_t>(ww->wwCounter++)] = h;
            MemoSawWindow(h);
        }
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

int FindTopLevelWindows(TWindowsAr& ww) {
    if (ww.szClass.empty() || !ww.szTitle.empty() || !ww.szCaption.empty())
        return FindChildsWindows(nullptr, ww);
    if (ww.wwCounter < 0 || ww.wwCounter > ICQClientsMaxCount) return ww.wwCounter;
    // Whatever comes first in the enumeration is among the first `room` of its own class.
    const size_t room = static_cast<size_t>(ICQClientsMaxCount + 1 - ww.wwCounter);
    std::vector<HWND> found;
    int classesFound = 0;
    for (const std::string& name : ClassNames(ww.szClass)) {
        const size_t before = found.size();
        AppendWindowsOfClass(name, room, found);
        if (found.size() > before) ++classesFound;
    }
    // Each class comes in z-order already; windows of several classes are interleaved.
    if (classesFound > 1) PutInEnumerationOrder(found);
    for (size_t i = 0; i < found.size() && i < room; ++i)
        ww.windows[static_cast<size_t>(ww.wwCounter++)] = found[i];
    return ww.wwCounter;
}
