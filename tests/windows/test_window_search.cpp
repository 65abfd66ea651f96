// The window search: criteria, exact class names, the 21-window limit, appending.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "common/client_fixture.h"
#include "windows/window_search.h"
#include "windows/window_text.h"

namespace {
std::map<HWND, int> textReads; // WM_GETTEXT messages each of our own test windows answered

LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_GETTEXT) ++textReads[h];
    return DefWindowProcA(h, m, w, l);
}

// A parent window of our own with children of the given classes and texts.
class Family {
  public:
    Family() {
        Register("LumtraParent");
        parent = CreateWindowExA(0, "LumtraParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~Family() { DestroyWindow(parent); }
    Family(const Family&) = delete;
    Family& operator=(const Family&) = delete;
    HWND Add(const char* cls, const char* text = "") {
        Register(cls);
        HWND h = CreateWindowExA(0, cls, text, WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        children.push_back(h);
        return h;
    }
    HWND parent;
    std::vector<HWND> children;

  private:
    static void Register(const char* cls) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
    }
};

std::vector<HWND> Found(const TWindowsAr& ww) {
    return {ww.windows.begin(), ww.windows.begin() + ww.wwCounter};
}

TWindowsAr ClassSearch(std::initializer_list<const char*> classes) {
    TWindowsAr ww = nilTWindowsAr;
    for (const char* c : classes)
        AddClassName(ww.szClass, c);
    return ww;
}
} // namespace

TEST(WindowSearch, EmptyCriteriaTakeTheFirst21InEnumerationOrder) {
    Family f;
    for (int i = 0; i < 25; ++i)
        f.Add("LumtraPlain");
    TWindowsAr ww = nilTWindowsAr;
    EXPECT_EQ(21, FindChildsWindows(f.parent, ww));
    EXPECT_EQ(std::vector<HWND>(f.children.begin(), f.children.begin() + 21), Found(ww));
}

TEST(WindowSearch, ClassNamesMatchExactlyAndCaseSensitively) {
    Family f;
    HWND qip = f.Add("TCusForm");
    f.Add("TCusFor");
    f.Add("TCusFormX");
    HWND rnq = f.Add("TxStatusForm");
    f.Add("xStatusForm");
    TWindowsAr ww = ClassSearch({"TCusForm", "TxStatusForm"});
    EXPECT_EQ(2, FindChildsWindows(f.parent, ww));
    EXPECT_EQ((std::vector<HWND>{qip, rnq}), Found(ww));
}

TEST(WindowSearch, TitleAndCaptionIgnoreCaseAndAreOnlyReadWhenNeeded) {
    Family f;
    HWND byClass = f.Add("LumtraWanted", "other");
    HWND byTitle = f.Add("LumtraPlain", "Слушаю музыку");
    HWND neither = f.Add("LumtraPlain", "Слушаю");
    TWindowsAr ww = nilTWindowsAr;
    AddClassName(ww.szClass, "LumtraWanted");
    ww.szTitle = "СЛУШАЮ МУЗЫКУ";
    ww.szCaption = "nothing";
    textReads.clear();
    EXPECT_EQ(2, FindChildsWindows(f.parent, ww));
    EXPECT_EQ((std::vector<HWND>{byClass, byTitle}), Found(ww));
    // Once a criterion has taken a window, the later ones read none of its texts.
    EXPECT_EQ(0, textReads[byClass]);
    EXPECT_EQ(1, textReads[byTitle]); // the title (our own window answers it by message)
    EXPECT_EQ(2, textReads[neither]); // the title, then the caption

    ww = nilTWindowsAr;
    ww.szCaption = "other";
    EXPECT_EQ(1, FindChildsWindows(f.parent, ww));
    EXPECT_EQ(byClass, ww.windows[0]);
}

TEST(WindowSearch, ASecondSearchOnTheSameRecordAppendsUpTo21) {
    Family f;
    for (int i = 0; i < 15; ++i)
        f.Add("LumtraPlain");
    TWindowsAr ww = nilTWindowsAr;
    EXPECT_EQ(15, FindChildsWindows(f.parent, ww));
    EXPECT_EQ(21, FindChildsWindows(f.parent, ww));
    EXPECT_EQ(f.children[5], ww.windows[20]);
    EXPECT_EQ(f.children[0], ww.windows[15]);
}

class TopLevelSearch : public ClientsTest {};

// Top-level windows are enumerated for a zero parent, also where EnumChildWindows finds none.
TEST_F(TopLevelSearch, ZeroParentFindsTheFormsOfAnotherProcessUpTo21) {
    for (int i = 0; i < 25; ++i)
        clients.Qip("q" + std::to_string(i));
    TWindowsAr ww = ClassSearch({"TCusForm", "TxStatusForm"});
    EXPECT_EQ(21, FindChildsWindows(nullptr, ww));
    for (HWND h : Found(ww)) {
        EXPECT_EQ("TCusForm", sGetWindowClass(h));
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        EXPECT_EQ(clients.pid(), pid);
    }
}

// The search by class through the window manager finds what the enumeration finds, in its
// order: both kinds interleaved beyond the 21-window limit, a class whose name differs only in
// letter case (registered by another program), a second search appending to the first, and the
// two kinds far apart.
TEST_F(TopLevelSearch, SearchByClassFindsWhatTheEnumerationFinds) {
    FakeClientProcess other;
    other.TopLevelWindows(1, "tcusform");
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        clients.Qip(std::string("q") + n);
        clients.Rnq(std::string("r") + n);
    }
    TWindowsAr enumerated = ClassSearch({"TCusForm", "TxStatusForm"});
    TWindowsAr picked = enumerated;
    EXPECT_EQ(21, FindTopLevelWindows(picked));
    FindChildsWindows(nullptr, enumerated);
    EXPECT_EQ(Found(enumerated), Found(picked));

    enumerated = ClassSearch({"TRnQmain"});
    picked = enumerated;
    EXPECT_EQ(12, FindTopLevelWindows(picked));
    EXPECT_EQ(21, FindTopLevelWindows(picked));
    FindChildsWindows(nullptr, enumerated);
    FindChildsWindows(nullptr, enumerated);
    EXPECT_EQ(Found(enumerated), Found(picked));

    // The newest forms of the two kinds far apart in z-order, hundreds of windows between them,
    // above them and below them.
    other.TopLevelWindows(300, "LumtraNoise");
    clients.Rnq("far");
    other.TopLevelWindows(300, "LumtraNoise");
    clients.Qip("near");
    other.TopLevelWindows(300, "LumtraNoise");
    enumerated = ClassSearch({"TCusForm", "TxStatusForm"});
    picked = enumerated;
    EXPECT_EQ(21, FindTopLevelWindows(picked));
    FindChildsWindows(nullptr, enumerated);
    EXPECT_EQ(Found(enumerated), Found(picked));
}
