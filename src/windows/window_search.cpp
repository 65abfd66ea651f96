#include "windows/window_search.h"

#include "support/supportLumtra.h"
#include "transport/window_memo.h"
#include "windows/window_text.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {
bool Contains(const std::vector<HWND>& v, HWND h) {
    return std::find(v.begin(), v.end(), h) != v.end();
}

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

// The first `limit` top-level windows of exactly this class, in z-order. The window manager
// picks them out (FindWindowExA), matching class names regardless of case, so the name of each
// one it picks is compared here.
std::vector<HWND> WindowsOfClass(const std::string& name, size_t limit) {
    std::vector<HWND> out;
    HWND after = nullptr;
    int restarts = 0;
    for (int step = 0; step < MaxClassSteps && out.size() < limit; ++step) {
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
        if (MemoClassName(h) == name && !Contains(out, h)) {
            out.push_back(h);
            MemoSawWindow(h); // the window manager has just found it: it exists
        }
    }
    return out;
}

struct TOrdering {
    const std::vector<HWND>* wanted;
    std::vector<HWND> ordered;
};

BOOL CALLBACK OrderProc(HWND h, LPARAM lParam) {
    try {
        auto* o = reinterpret_cast<TOrdering*>(lParam);
        const std::vector<HWND>& w = *o->wanted;
        if (Contains(w, h)) o->ordered.push_back(h);
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
        if (!Contains(o.ordered, h) && IsWindow(h)) {
            o.ordered.clear();
            EnumWindows(&OrderProc, reinterpret_cast<LPARAM>(&o));
            break;
        }
    windows = std::move(o.ordered);
}

// The windows of one class, in z-order.
struct TClassWindows {
    std::string name;
    std::vector<HWND> windows;
};

std::vector<HWND> Concatenated(const std::vector<TClassWindows>& lists) {
    std::vector<HWND> all;
    for (const TClassWindows& l : lists)
        all.insert(all.end(), l.windows.begin(), l.windows.end());
    return all;
}

// Requests about the z-order that the merge below may make before it lets an enumeration decide.
// Under Wine every window an enumeration meets costs a request to its server, so asking the
// window manager about the forms alone is far cheaper on a crowded desktop.
constexpr int MaxOrderRequests = 512;

// Where the first window of `list` below h lies in it (its size when none is below h). `list`
// holds windows of exactly this class in z-order. The window manager finds the next window of a
// class below h in one request, so forms of two kinds are put in order with about one request
// per form of the first kind. False when the budget is spent.
bool FirstBelow(HWND h, const std::string& name, const std::vector<HWND>& list, int& budget,
                size_t& at) {
    at = list.size();
    for (HWND after = h; budget-- > 0;) {
        const HWND next = FindWindowExA(nullptr, after, name.c_str(), nullptr);
        if (!next) return true; // also when h has gone meanwhile; the caller sees the order break
        const auto it = std::find(list.begin(), list.end(), next);
        if (it != list.end()) {
            at = static_cast<size_t>(it - list.begin());
            return true;
        }
        after = next; // a class named alike but for case, one beyond the list, or a new window
    }
    return false;
}

// Merges lists each already in z-order (one per class) into the first `room` windows in
// z-order. False when that would cost more requests
// than allowed, or the desktop changed meanwhile (the answers contradict each other).
bool MergeInZOrder(const std::vector<TClassWindows>& lists, size_t room, std::vector<HWND>& out) {
    int budget = MaxOrderRequests;
    std::vector<HWND> merged = lists.front().windows;
    for (size_t j = 1; j < lists.size(); ++j) {
        const std::vector<HWND>& list = lists[j].windows;
        std::vector<HWND> both;
        size_t taken = 0; // the windows of this list placed so far, all above the last one merged
        for (HWND h : merged) {
            size_t at = list.size();
            if (taken < list.size() && !FirstBelow(h, lists[j].name, list, budget, at))
                return false;
            if (at < taken) return false;
            while (taken < at)
                both.push_back(list[taken++]);
            both.push_back(h);
        }
        while (taken < list.size())
            both.push_back(list[taken++]);
        merged = std::move(both);
    }
    if (merged.size() > room) merged.resize(room);
    out = std::move(merged);
    return true;
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
    std::vector<TClassWindows> lists;
    for (const std::string& name : ClassNames(ww.szClass)) {
        std::vector<HWND> ofClass = WindowsOfClass(name, room);
        if (!ofClass.empty()) lists.push_back({name, std::move(ofClass)});
    }
    std::vector<HWND> found;
    if (lists.empty()) return ww.wwCounter;
    if (lists.size() == 1) {
        found = std::move(lists.front().windows);
    } else if (!MergeInZOrder(lists, room, found)) {
        // A desktop reshuffled while it was asked, or crowded with windows of a class named
        // alike: one enumeration puts them in order.
        found = Concatenated(lists);
        PutInEnumerationOrder(found);
    }
    for (size_t i = 0; i < found.size() && i < room; ++i)
        ww.windows[static_cast<size_t>(ww.wwCounter++)] = found[i];
    return ww.wwCounter;
}
