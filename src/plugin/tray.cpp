#include "plugin/tray.h"

#include <cstring>

#include "plugin/gen_Lumtra.h"
#include "host/host.h"
#include "host/wa_ipc.h"
#include "report/last_update.h"
#include "settings/settings.h"
#include "windows/desktop.h"
#include "support/owners.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

uint32_t shell32_ver = 400;

const TShellVersionSource& RealShellVersionSource() {
    static const TShellVersionSource real{"shell32.dll", &::GetProcAddress};
    return real;
}
TShellVersionSource ShellVersionSource = RealShellVersionSource();

namespace {
// The shell's published version record and entry point.
struct TDllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
static_assert(sizeof(TDllVersionInfo) == 20);
using TDllGetVersion = HRESULT(CALLBACK*)(TDllVersionInfo*);

// A line break this close to the end of the field is a better place to cut than the field's
// last byte: the tooltip then ends with whole lines.
constexpr size_t LineCutReach = 32;

// The tooltip exactly as the last update built it; the record holds what the code page has of it.
std::wstring tipW;

// The record in the shell's Unicode form, as the shell is handed it.
NOTIFYICONDATAW WideRecord() {
    const TNOTIFYICONDATA2& a = ps.TrayIcon;
    NOTIFYICONDATAW w{};
    w.cbSize = a.cbSize == NOTIFYICONDATA_FULL_SIZE   ? NOTIFYICONDATAW_FULL_SIZE
               : a.cbSize == NOTIFYICONDATA_V2_SIZE_L ? NOTIFYICONDATAW_V2_SIZE_L
                                                      : NOTIFYICONDATAW_V1_SIZE_L;
    w.hWnd = a.Wnd;
    w.uID = a.uID;
    w.uFlags = a.uFlags;
    w.uCallbackMessage = a.uCallbackMessage;
    w.hIcon = a.hIcon;
    // The oldest form ends after 64 characters: its tooltip is cut to fit, terminated.
    const size_t room = w.cbSize == NOTIFYICONDATAW_V1_SIZE_L ? 63 : std::size(w.szTip) - 1;
    tipW.copy(w.szTip, room);
    return w;
}

BOOL NotifyShell(DWORD message) {
    NOTIFYICONDATAW record = WideRecord();
    return Desktop.Shell_NotifyIconW(message, &record);
}

// Both forms of the tooltip from the track's UTF-8 text. While a failure that loses the user
// something stands, its short line follows the track, whole: the track gives way to it.
void SetToolTip(const std::string& utf8) {
    const std::string warning = TrayWarning(ps.ReportC);
    if (warning.empty()) {
        SetToolTipText(AnsiFromUtf8(utf8));
        tipW = TrayTipW(utf8);
        return;
    }
    const std::wstring line = WideOf(vbcrlf + warning).substr(0, TrayTipMax);
    std::wstring track = WideOf(utf8);
    const size_t room = TrayTipMax - line.size();
    if (track.size() > room) track.resize(room);
    if (!track.empty() && track.back() >= 0xD800 && track.back() <= 0xDBFF) track.pop_back();
    while (!track.empty() && (track.back() == L'\r' || track.back() == L'\n'))
        track.pop_back();
    tipW = track.empty() ? line.substr(2) : track + line;
    SetToolTipText(AnsiFromWide(tipW));
}

// How many bytes of text go into the tooltip field: all of a short text; of a longer one as many
// whole characters as fit, pulled back to a nearby line break, and never splitting a CR LF pair.
size_t TipLength(const std::string& text) {
    if (text.size() <= TrayTipMax) return text.size();
    const char* s = text.c_str();
    size_t cut = 0; // whole characters only, for the double-byte code pages
    while (cut < TrayTipMax) {
        const size_t next = static_cast<size_t>(CharNextA(s + cut) - s);
        if (next <= cut || next > TrayTipMax) break;
        cut = next;
    }
    for (size_t i = cut; i > 0 && cut - i < LineCutReach; --i)
        if (s[i - 1] == '\r' && s[i] == '\n') return i - 1;
    if (cut > 0 && s[cut - 1] == '\r' && s[cut] == '\n') --cut;
    return cut;
}

void ShowWinampMenu() {
    const HWND host = plugin.hwndParent;
    const auto menu = reinterpret_cast<HMENU>(HostQuery(IPC_GET_HMENU));
    POINT at{};
    Desktop.GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    Desktop.SetForegroundWindow(host);
    Desktop.TrackPopupMenu(menu, 0, at.x, at.y, 0, host, nullptr);
}

// As Winamp's own tray icon: a hidden window (minimized to the tray, or hidden with its
// minimized state kept) is restored and shown; one minimized to the taskbar is restored too,
// where Winamp's icon would only bring its button forward. Then Winamp comes in front: the
// click gave this process the right to do so.
void ShowWinamp() {
    const HWND host = plugin.hwndParent;
    const bool hidden = !Desktop.IsWindowVisible(host);
    if (hidden || Desktop.IsIconic(host)) Desktop.ShowWindow(host, SW_RESTORE);
    if (hidden) Desktop.ShowWindow(host, SW_SHOW);
    Desktop.SetForegroundWindow(host);
}
} // namespace

uint32_t GetShellVer() {
    LoadedLibrary shell(ShellVersionSource.library);
    if (!shell) return shell32_ver;
    const auto get = reinterpret_cast<TDllGetVersion>(
        reinterpret_cast<void*>(ShellVersionSource.GetProcAddress(shell.get(), "DllGetVersion")));
    if (get) {
        TDllVersionInfo info{};
        info.cbSize = sizeof info;
        if (get(&info) == NOERROR) shell32_ver = info.dwMajorVersion * 100 + info.dwMinorVersion;
    }
    return shell32_ver;
}

std::wstring TrayTipW(const std::string& utf8) {
    const std::wstring w = WideOf(utf8);
    if (w.size() <= TrayTipMax) return w;
    size_t cut = TrayTipMax;
    if (cut > 0 && w[cut - 1] >= 0xD800 && w[cut - 1] <= 0xDBFF) --cut; // a pair stays whole
    for (size_t i = cut; i > 0 && cut - i < LineCutReach; --i)
        if (w[i - 1] == L'\r' && w[i] == L'\n') return w.substr(0, i - 1);
    if (cut > 0 && w[cut - 1] == L'\r' && w[cut] == L'\n') --cut;
    return w.substr(0, cut);
}

void SetToolTipText(const std::string& text) {
    char* tip = ps.TrayIcon.szTip;
    std::memset(tip, 0, sizeof ps.TrayIcon.szTip);
    std::memcpy(tip, text.data(), TipLength(text));
}

void do_icons() {
    try {
        TNOTIFYICONDATA2& icon = ps.TrayIcon;
        // Only the version 6.00 shell takes the whole record; later ones read the shell-5 form.
        if (GetShellVer() == 600)
            icon.cbSize = NOTIFYICONDATA_FULL_SIZE;
        else if (GetShellVer() >= 500)
            icon.cbSize = NOTIFYICONDATA_V2_SIZE_L;
        else
            icon.cbSize = NOTIFYICONDATA_V1_SIZE_L;
        icon.Wnd = plugin.hwndParent;
        icon.uID = IDC_TRAYICON;
        NotifyShell(NIM_DELETE);
        if (!GetControlValueB(IDC_Enable) || !GetControlValueB(IDC_SetTray)) return;
        icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        icon.uCallbackMessage = dwTRAY_MSG;
        icon.hIcon = LoadIconA(plugin.hDllInstance, "MAINICON");
        SetToolTip(StringCPP2String(ps.Tray));
        NotifyShell(NIM_ADD);
        // From now on every modification changes the tooltip only.
        icon.uFlags = NIF_TIP;
    } catch (...) {
    }
}

namespace {
const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
} // namespace

UINT TaskbarCreatedMessage() {
    return taskbarCreated;
}

void OnTaskbarCreated() {
    try {
        if (!GetControlValueB(IDC_Enable) || !GetControlValueB(IDC_SetTray)) return;
        TNOTIFYICONDATA2& icon = ps.TrayIcon;
        if (!icon.cbSize || icon.Wnd != plugin.hwndParent)
            return; // never added: nothing to restore
        // The record still holds the current tooltip; nothing is removed first, the icon is gone.
        icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        NotifyShell(NIM_ADD);
        icon.uFlags = NIF_TIP;
    } catch (...) {
    }
}

void OnTrayMessage(LPARAM lParam) {
    if (!GetControlValueB(IDC_SetTray)) return;
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: ShowWinampMenu(); break;
    case WM_LBUTTONUP: ShowWinamp(); break;
    default: break;
    }
}

void RefreshTrayTip() {
    if (!GetControlValueB(IDC_SetTray)) return;
    SetToolTip(ps.Tray);
    NotifyShell(NIM_MODIFY);
}
