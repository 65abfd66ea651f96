#include "support/window_search.h"

#include "support/supportLumtra.h"
#include "transport/window_memo.h"
#include "support/window_text.h"

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
        if (MemoClassName(h) == name && !Contains(out, h)) out.push_back(h);
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

// Requests about the z-order that the merge below may make before it lets an enumeration decide.
// Under Wine every window an enumeration meets costs a request to its server, so the windows
// walked near the forms are far cheaper than all of them on a crowded desktop.
constexpr int MaxOrderSteps = 512;

// The z-order as walked so far, within a budget of requests. Each step tells the neighbour on
// the other side as well, so no step is asked twice in one merge: the walks below go over the
// same windows from both ends and more than once.
class TZWalk {
  public:
    HWND Next(HWND h) { return Step(h, true); }
    HWND Prev(HWND h) { return Step(h, false); }
    bool Spent() const { return left_ <= 0; }

  private:
    struct TLink {
        HWND from, to;
        bool down;
    };
    std::vector<TLink> links_;
    int left_ = MaxOrderSteps;

    HWND Step(HWND h, bool down) {
        for (const TLink& l : links_)
            if (l.from == h && l.down == down) return l.to;
        --left_;
        const HWND to = GetWindow(h, down ? GW_HWNDNEXT : GW_HWNDPREV);
        links_.push_back({h, to, down});
        if (to) links_.push_back({to, h, !down});
        return to;
    }
};

enum class TAbove { Yes, No, Unknown };

// Whether a comes before b in z-order, told by walking from both towards both ends at once:
// the first walker to meet the other window, or to run off its end, decides. Costs about three
// times the distance between them, or to the nearer end, in steps.
TAbove Above(HWND a, HWND b, TZWalk& z) {
    HWND downA = a, upB = b, downB = b, upA = a;
    while (!z.Spent()) {
        downA = z.Next(downA);
        if (downA == b) return TAbove::Yes;
        if (!downA) return TAbove::No; // b was not below a
        upB = z.Prev(upB);
        if (upB == a) return TAbove::Yes;
        if (!upB) return TAbove::No; // a was not above b
        downB = z.Next(downB);
        if (downB == a || !downB) return downB ? TAbove::No : TAbove::Yes;
        upA = z.Prev(upA);
        if (upA == b || !upA) return upA ? TAbove::No : TAbove::Yes;
    }
    return TAbove::Unknown;
}

std::vector<HWND> Concatenated(const std::vector<std::vector<HWND>>& lists) {
    std::vector<HWND> all;
    for (const std::vector<HWND>& l : lists)
        all.insert(all.end(), l.begin(), l.end());
    return all;
}

// Merges lists each already in z-order (one per class) into the first `room` windows in
// z-order. The topmost of their first windows and the lowest of their last ones are found, and
// the z-order is walked from both towards the middle until every window of the lists is met:
// forms that lie together, or in two groups (say, older ones low and newer ones high), cost
// only the windows among them. False when that would cost more steps than allowed, or the
// desktop changed meanwhile (a window not met where it should be).
bool MergeInZOrder(const std::vector<std::vector<HWND>>& lists, size_t room,
                   std::vector<HWND>& out) {
    TZWalk z;
    HWND top = lists.front().front(), bottom = lists.front().back();
    for (size_t j = 1; j < lists.size(); ++j) {
        const TAbove higher = Above(lists[j].front(), top, z);
        const TAbove lower = Above(lists[j].back(), bottom, z);
        if (higher == TAbove::Unknown || lower == TAbove::Unknown) return false;
        if (higher == TAbove::Yes) top = lists[j].front();
        if (lower == TAbove::No) bottom = lists[j].back();
    }
    const std::vector<HWND> wanted = Concatenated(lists);
    std::vector<HWND> fromTop, fromBottom;
    const auto take = [&](HWND h, std::vector<HWND>& into) {
        if (Contains(wanted, h) && !Contains(fromTop, h) && !Contains(fromBottom, h))
            into.push_back(h);
    };
    HWND down = top, up = bottom;
    take(down, fromTop);
    take(up, fromBottom);
    while (fromTop.size() + fromBottom.size() < wanted.size() && down != up) {
        if (z.Spent()) return false;
        down = z.Next(down);
        if (!down) return false;
        take(down, fromTop);
        if (down == up) break;
        up = z.Prev(up);
        if (!up) return false;
        take(up, fromBottom);
    }
    if (fromTop.size() + fromBottom.size() < wanted.size()) return false;
    out = std::move(fromTop);
    out.insert(out.end(), fromBottom.rbegin(), fromBottom.rend());
    if (out.size() > room) out.resize(room);
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
    std::vector<std::vector<HWND>> lists;
    for (const std::string& name : ClassNames(ww.szClass)) {
        std::vector<HWND> ofClass = WindowsOfClass(name, room);
        if (!ofClass.empty()) lists.push_back(std::move(ofClass));
    }
    std::vector<HWND> found;
    if (lists.empty()) return ww.wwCounter;
    if (lists.size() == 1) {
        found = std::move(lists.front());
    } else if (!MergeInZOrder(lists, room, found)) {
        // Windows of several classes far apart: one enumeration puts them in order.
        found = Concatenated(lists);
        PutInEnumerationOrder(found);
    }
    for (size_t i = 0; i < found.size() && i < room; ++i)
        ww.windows[static_cast<size_t>(ww.wwCounter++)] = found[i];
    return ww.wwCounter;
}
