// The tray icon: record sizes by shell version, adding and removing, the tooltip, the clicks.
// The desktop calls are recorded through the Desktop table; nothing touches the real tray.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/fake_winamp.h"
#include "common/texts.h"
#include "common/plugin_fixture.h"
#include "plugin/gen_Lumtra.h"
#include "plugin/tray.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "windows/desktop.h"

namespace {
// ---- what the plugin asked of the desktop, in order
enum CallKind { ShellNotify, CursorPos, Foreground, PopupMenu, Show };
struct DesktopCall {
    CallKind kind;
    UINT_PTR a = 0, b = 0, c = 0, d = 0, e = 0; // the call's arguments, as listed per kind below
    bool operator==(const DesktopCall&) const = default;
};
struct Recorded {
    std::vector<DesktopCall> calls;
    std::vector<NOTIFYICONDATAW> icons; // the record as each Shell_NotifyIconW saw it
};
Recorded rec;
constexpr POINT CursorAt{321, 654};

BOOL WINAPI RecShellNotify(DWORD message, PNOTIFYICONDATAW data) {
    rec.calls.push_back({ShellNotify, message});
    NOTIFYICONDATAW copy{};
    std::memcpy(&copy, data, std::min<size_t>(data->cbSize, sizeof copy)); // what the shell reads
    rec.icons.push_back(copy);
    return TRUE;
}
BOOL WINAPI RecGetCursorPos(LPPOINT p) {
    rec.calls.push_back({CursorPos});
    *p = CursorAt;
    return TRUE;
}
BOOL WINAPI RecSetForeground(HWND h) {
    rec.calls.push_back({Foreground, reinterpret_cast<UINT_PTR>(h)});
    return TRUE;
}
// Winamp's window as the test stages it: the state is read, only ShowWindow is recorded.
struct WindowState {
    bool visible = true, iconic = false;
};
WindowState winamp;
BOOL WINAPI StagedIsIconic(HWND) {
    return winamp.iconic;
}
BOOL WINAPI StagedIsWindowVisible(HWND) {
    return winamp.visible;
}
BOOL WINAPI RecShowWindow(HWND h, int command) {
    rec.calls.push_back({Show, reinterpret_cast<UINT_PTR>(h), static_cast<UINT_PTR>(command)});
    return TRUE;
}
BOOL WINAPI RecTrackPopupMenu(HMENU m, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    rec.calls.push_back({PopupMenu, reinterpret_cast<UINT_PTR>(m), flags, static_cast<UINT_PTR>(x),
                         static_cast<UINT_PTR>(y), reinterpret_cast<UINT_PTR>(owner)});
    return TRUE;
}

// ---- a shell that reports what the test says
struct ReportedVersion {
    bool exported = true; // the shell has DllGetVersion
    HRESULT result = NOERROR;
    DWORD major = 6, minor = 0;
};
ReportedVersion reported;
int versionCalls = 0;
HRESULT CALLBACK FakeDllGetVersion(DWORD* info) {
    ++versionCalls;
    if (info[0] != 20) return E_INVALIDARG; // cbSize
    info[1] = reported.major;
    info[2] = reported.minor;
    return reported.result;
}
FARPROC WINAPI FakeGetProcAddress(HMODULE, LPCSTR name) {
    if (!reported.exported || std::strcmp(name, "DllGetVersion") != 0) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeDllGetVersion));
}

// The host answers the menu request with a real menu of its own.
HMENU hostMenu = nullptr;
WNDPROC hostProc = nullptr;
LRESULT CALLBACK MenuAnsweringHost(HWND h, UINT m, WPARAM w, LPARAM l) {
    const LRESULT r = CallWindowProcA(hostProc, h, m, w, l);
    if (m == WM_WA_IPC && l == IPC_GET_HMENU) return reinterpret_cast<LRESULT>(hostMenu);
    return r;
}

class TrayTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        plugin.hwndParent = host.hwnd();
        rec = {};
        reported = {};
        versionCalls = 0;
        shell32_ver = 400;
        ShellVersionSource = {"shell32.dll", &FakeGetProcAddress};
        Desktop.Shell_NotifyIconW = &RecShellNotify;
        Desktop.GetCursorPos = &RecGetCursorPos;
        Desktop.SetForegroundWindow = &RecSetForeground;
        Desktop.TrackPopupMenu = &RecTrackPopupMenu;
        Desktop.IsIconic = &StagedIsIconic;
        Desktop.IsWindowVisible = &StagedIsWindowVisible;
        Desktop.ShowWindow = &RecShowWindow;
        winamp = {};
        ps = defPS;
    }
    void TearDown() override {
        Desktop = RealDesktop();
        ShellVersionSource = RealShellVersionSource();
        shell32_ver = 400;
        PluginTest::TearDown();
    }
    UINT_PTR Host() const { return reinterpret_cast<UINT_PTR>(host.hwnd()); }
    // The ANSI record the plugin keeps, and the Unicode one the shell is given (as UTF-8).
    static std::string Tip(const TNOTIFYICONDATA2& icon) {
        return std::string(icon.szTip, strnlen(icon.szTip, sizeof icon.szTip));
    }
    static std::string Tip(const NOTIFYICONDATAW& icon) {
        return Narrow(std::wstring(icon.szTip, wcsnlen(icon.szTip, std::size(icon.szTip))),
                      CP_UTF8);
    }
    FakeWinamp host;
};

void ExpectCalls(const std::vector<DesktopCall>& expected) {
    EXPECT_EQ(expected.size(), rec.calls.size()) << "number of desktop calls";
    for (size_t i = 0; i < std::max(expected.size(), rec.calls.size()); ++i) {
        const DesktopCall none{static_cast<CallKind>(-1)};
        const DesktopCall& want = i < expected.size() ? expected[i] : none;
        const DesktopCall& got = i < rec.calls.size() ? rec.calls[i] : none;
        EXPECT_EQ(want, got) << "call " << i << ": expected kind " << want.kind << " (" << want.a
                             << ", " << want.b << ", " << want.c << ", " << want.d << ", " << want.e
                             << "), got kind " << got.kind << " (" << got.a << ", " << got.b << ", "
                             << got.c << ", " << got.d << ", " << got.e << ")";
    }
}
} // namespace

TEST_F(TrayTest, RecordSizeFollowsTheShellVersion) {
    struct Case {
        const char* shell;
        bool exported;
        HRESULT result;
        DWORD major, minor;
        uint32_t version;
        DWORD size;
    };
    const Case cases[] = {
        {"6.00", true, NOERROR, 6, 0, 600, NOTIFYICONDATA_FULL_SIZE},
        {"6.01", true, NOERROR, 6, 1, 601, NOTIFYICONDATA_V2_SIZE_L},
        {"5.00", true, NOERROR, 5, 0, 500, NOTIFYICONDATA_V2_SIZE_L},
        {"4.71", true, NOERROR, 4, 71, 471, NOTIFYICONDATA_V1_SIZE_L},
        {"without DllGetVersion", false, NOERROR, 0, 0, 400, NOTIFYICONDATA_V1_SIZE_L},
        {"whose call fails", true, E_FAIL, 6, 0, 400, NOTIFYICONDATA_V1_SIZE_L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shell);
        shell32_ver = 400;
        reported = {c.exported, c.result, c.major, c.minor};
        rec = {};
        do_icons();
        EXPECT_EQ(c.version, shell32_ver);
        ASSERT_FALSE(rec.icons.empty());
        EXPECT_EQ(c.size, ps.TrayIcon.cbSize);
        // The shell gets the Unicode form of the same size.
        const DWORD wide = c.size == NOTIFYICONDATA_FULL_SIZE   ? NOTIFYICONDATAW_FULL_SIZE
                           : c.size == NOTIFYICONDATA_V2_SIZE_L ? NOTIFYICONDATAW_V2_SIZE_L
                                                                : NOTIFYICONDATAW_V1_SIZE_L;
        EXPECT_EQ(wide, rec.icons[0].cbSize);
    }
#ifndef _WIN64
    EXPECT_EQ(952u, NOTIFYICONDATAW_FULL_SIZE);
    EXPECT_EQ(936u, NOTIFYICONDATAW_V2_SIZE_L);
    EXPECT_EQ(152u, NOTIFYICONDATAW_V1_SIZE_L);
#endif
#ifndef _WIN64
    EXPECT_EQ(504u, NOTIFYICONDATA_FULL_SIZE);
    EXPECT_EQ(488u, NOTIFYICONDATA_V2_SIZE_L);
    EXPECT_EQ(88u, NOTIFYICONDATA_V1_SIZE_L);
#else
    // The 64-bit shell's own record: pointers of 8 bytes, the tip at offset 40.
    EXPECT_EQ(sizeof(NOTIFYICONDATAA) >= NOTIFYICONDATA_FULL_SIZE, true);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), NOTIFYICONDATA_V2_SIZE_L);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), NOTIFYICONDATA_V1_SIZE_L);
#endif
}

TEST_F(TrayTest, TheVersionIsAskedForEachComparisonAndAFailureKeepsTheLastReading) {
    reported = {true, NOERROR, 5, 0};
    do_icons();
    EXPECT_EQ(2, versionCalls); // once for "exactly 6.00", once for "5.00 or later"
    reported.exported = false;
    rec = {};
    do_icons();
    EXPECT_EQ(500u, shell32_ver);
    EXPECT_EQ(NOTIFYICONDATAW_V2_SIZE_L, rec.icons[0].cbSize);
    ShellVersionSource.library = "no_such_shell_library.dll";
    EXPECT_EQ(500u, GetShellVer());
}

TEST_F(TrayTest, TheRealShellAnswers) {
    ShellVersionSource = RealShellVersionSource();
    EXPECT_GE(GetShellVer(), 500u); // Wine's shell32 reports a current version
}

TEST_F(TrayTest, EnabledWithTrayRemovesThenAddsTheIcon) {
    ps.Tray = U8(u8"Файл: C:\\a.mp3\\nИсполнитель: Кино\\nНазвание: Звезда");
    do_icons();
    ExpectCalls({{ShellNotify, NIM_DELETE}, {ShellNotify, NIM_ADD}});
    const NOTIFYICONDATAW& del = rec.icons[0];
    EXPECT_EQ(host.hwnd(), del.hWnd);
    EXPECT_EQ(1000u, del.uID);
    const NOTIFYICONDATAW& add = rec.icons[1];
    EXPECT_EQ(host.hwnd(), add.hWnd);
    EXPECT_EQ(1000u, add.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE), add.uFlags);
    EXPECT_EQ(3732u, add.uCallbackMessage);
    EXPECT_NE(nullptr, add.hIcon); // MAINICON of the module's resources
    EXPECT_EQ(U8(u8"Файл: C:\\a.mp3\r\nИсполнитель: Кино\r\nНазвание: Звезда"), Tip(add));
    // Later modifications change the tooltip only.
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), ps.TrayIcon.uFlags);
}

TEST_F(TrayTest, WithoutEnableOrTrayTheIconIsOnlyRemoved) {
    const char* const settings[][2] = {{"1", "0"}, {"0", "1"}, {"0", "0"}};
    for (const auto& s : settings) {
        SCOPED_TRACE(std::string("Enable ") + s[0] + ", SetTray " + s[1]);
        ps.DlgControlsV[IDC_Enable] = s[0];
        ps.DlgControlsV[IDC_SetTray] = s[1];
        rec = {};
        do_icons();
        ExpectCalls({{ShellNotify, NIM_DELETE}});
    }
    // With the tray off, neither clicks nor updates reach the desktop.
    rec = {};
    OnTrayMessage(WM_RBUTTONUP);
    OnTrayMessage(WM_LBUTTONUP);
    ps.Tray = "x";
    RefreshTrayTip();
    ExpectCalls({});
}

TEST_F(TrayTest, StartAndStopShowAndRemoveTheIcon) {
    init();
    ExpectCalls({{ShellNotify, NIM_DELETE}, {ShellNotify, NIM_ADD}});
    EXPECT_EQ("", Tip(rec.icons[1])); // no update yet
    rec = {};
    quit();
    ExpectCalls({{ShellNotify, NIM_DELETE}});
}

TEST_F(TrayTest, TheRefreshPutsTheUpdatedTextAsBuilt) {
    do_icons();
    rec = {};
    ps.Tray = U8(u8"Кино - Звезда\r\nliteral \\n stays");
    RefreshTrayTip();
    ExpectCalls({{ShellNotify, NIM_MODIFY}});
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), rec.icons[0].uFlags);
    EXPECT_EQ(U8(u8"Кино - Звезда\r\nliteral \\n stays"), Tip(rec.icons[0]));
}

TEST_F(TrayTest, LongTextsAreCutInsideTheFieldAndNeverInsideALineBreak) {
    ps.TrayIcon.dwState = 0xA5A5A5A5; // the field after the tooltip
    struct Case {
        const char* what;
        std::string text, tip;
    };
    const std::string x127(127, 'x');
    const std::string line40(40, 'a');
    const Case cases[] = {
        {"127 bytes show whole", x127, x127},
        {"a longer line is cut at the field's end", std::string(300, 'y'), std::string(127, 'y')},
        {"a nearby line break is preferred",
         line40 + "\r\n" + std::string(70, 'b') + "\r\n" + std::string(100, 'c'),
         line40 + "\r\n" + std::string(70, 'b')},
        {"a pair across the end is dropped whole", std::string(126, 'd') + "\r\n" + "tail",
         std::string(126, 'd')},
        {"a distant line break is not", std::string(60, 'e') + "\r\n" + std::string(100, 'f'),
         std::string(60, 'e') + "\r\n" + std::string(65, 'f')},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(ps.TrayIcon.szTip, 'z', sizeof ps.TrayIcon.szTip);
        SetToolTipText(c.text);
        EXPECT_EQ(c.tip, Tip(ps.TrayIcon));
        for (size_t i = c.tip.size(); i < sizeof ps.TrayIcon.szTip; ++i)
            ASSERT_EQ(0, ps.TrayIcon.szTip[i]) << "byte " << i;
        EXPECT_EQ(0xA5A5A5A5u, ps.TrayIcon.dwState);
    }
}

TEST_F(TrayTest, RightClickOpensWinampsMenuAtTheCursor) {
    hostMenu = CreatePopupMenu();
    hostProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuAnsweringHost)));
    host.received().clear();
    OnTrayMessage(MAKELPARAM(WM_RBUTTONUP, 0));
    ExpectCalls({{CursorPos},
                 {Foreground, Host()},
                 {PopupMenu, reinterpret_cast<UINT_PTR>(hostMenu), 0, 321, 654, Host()}});
    ASSERT_EQ(1u, host.received().size());
    EXPECT_EQ(static_cast<UINT>(WM_WA_IPC), host.received()[0].message);
    EXPECT_EQ(0u, host.received()[0].wParam);
    EXPECT_EQ(IPC_GET_HMENU, host.received()[0].lParam);
    SetWindowLongPtrA(host.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostProc));
    DestroyMenu(hostMenu);
}

// As Winamp's own icon: a minimized or hidden Winamp is restored (a hidden one shown as well),
// then brought in front.
TEST_F(TrayTest, LeftClickShowsWinampAndOtherEventsDoNothing) {
    const struct {
        const char* what;
        WindowState state;
        std::vector<DesktopCall> calls;
    } cases[] = {
        {"visible", {true, false}, {{Foreground, Host()}}},
        {"minimized", {true, true}, {{Show, Host(), SW_RESTORE}, {Foreground, Host()}}},
        {"hidden",
         {false, false},
         {{Show, Host(), SW_RESTORE}, {Show, Host(), SW_SHOW}, {Foreground, Host()}}},
        {"minimized to the tray",
         {false, true},
         {{Show, Host(), SW_RESTORE}, {Show, Host(), SW_SHOW}, {Foreground, Host()}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        winamp = c.state;
        rec = {};
        OnTrayMessage(WM_LBUTTONUP);
        ExpectCalls(c.calls);
    }
    winamp = {};
    rec = {};
    for (UINT m : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_USER + 2})
        OnTrayMessage(m);
    ExpectCalls({});
    // Only the low word carries the event.
    OnTrayMessage(MAKELPARAM(WM_LBUTTONUP, 7));
    ExpectCalls({{Foreground, Host()}});
}

// Explorer restarted: the icon is added again with the tooltip it had, and nothing else happens;
// without the tray option nothing at all.
TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgainWithItsTooltip) {
    init();
    ps.DlgControlsV[IDC_SetTray] = "1";
    config_apply();
    ps.Tray = U8(u8"Кино - Группа крови");
    RefreshTrayTip();
    rec = {};
    SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ExpectCalls({{ShellNotify, NIM_ADD}});
    ASSERT_EQ(1u, rec.icons.size());
    EXPECT_EQ(U8(u8"Кино - Группа крови"), Tip(rec.icons[0]));
    EXPECT_EQ(UINT{NIF_ICON | NIF_TIP | NIF_MESSAGE}, rec.icons[0].uFlags);
    EXPECT_EQ(dwTRAY_MSG, rec.icons[0].uCallbackMessage);

    ps.DlgControlsV[IDC_SetTray] = "0";
    config_apply();
    rec = {};
    SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ExpectCalls({});
    quit();
}

// The tooltip the shell is given: the track exactly, cut in characters as the ANSI one is in
// bytes, never between the halves of a surrogate pair.
TEST_F(TrayTest, TheUnicodeTooltipIsCutInWholeCharacters) {
    const std::wstring note = L"\U0001F3B5"; // one character, two UTF-16 units
    const struct {
        const char* what;
        std::wstring text, tip;
    } cases[] = {
        {"short", L"Bj\u00f6rk \u65e5\u672c", L"Bj\u00f6rk \u65e5\u672c"},
        {"127 characters", std::wstring(127, L'\u65e5'), std::wstring(127, L'\u65e5')},
        {"longer", std::wstring(200, L'\u266b'), std::wstring(127, L'\u266b')},
        {"a pair across the end", std::wstring(126, L'x') + note, std::wstring(126, L'x')},
        {"a line break nearby", std::wstring(100, L'a') + L"\r\n" + std::wstring(50, L'b'),
         std::wstring(100, L'a')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.tip, TrayTipW(Narrow(c.text, CP_UTF8))) << c.what;
}
